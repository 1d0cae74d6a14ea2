// SAVE and SAVEAS from the command line: where the file goes, what editor
// reactors hear, and what a failed save leaves behind.
#include <unistd.h>

#include "aced.h"
#include "dxftest.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "inprocess.h"
#include "ivtest.h"

using namespace dxftest;

namespace {

class SaveRecorder : public AcEditorReactor {
public:
    std::vector<std::string> events;
    void beginSave(AcDbDatabase*, const ACHAR* name) override {
        events.push_back("beginSave " + hs::toUtf8(name));
    }
    void saveComplete(AcDbDatabase*, const ACHAR* name) override {
        events.push_back("saveComplete " + hs::toUtf8(name));
    }
    void abortSave(AcDbDatabase*) override { events.push_back("abortSave"); }
};

class SaveCommands : public DxfTest {
protected:
    void SetUp() override {
        DxfTest::SetUp();
        hs::Session::get().setDatabase(new AcDbDatabase(true, true));
        addLine(hs::Session::get().database(), 0, 0, 3, 4);
        acedEditor->addReactor(&rec_);
    }
    void TearDown() override {
        acedEditor->removeReactor(&rec_);
        DxfTest::TearDown();
    }
    SaveRecorder rec_;
    ivtest::TempDir dir_;
    ivtest::Transcript transcript_;
};

}  // namespace

TEST_F(SaveCommands, SaveAsWritesTheNamedFileAfterTellingTheReactors) {
    std::string path = dir_.file("plan.dxf");
    std::string out = ivtest::runScript("SAVEAS\n" + path + "\n");
    ASSERT_TRUE(ivtest::fileExists(path)) << out;
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"beginSave " + path, "saveComplete " + path}));
    DbPtr back = read(ivtest::readFile(path));
    ASSERT_TRUE(back);
    EXPECT_EQ(modelSpaceClasses(back.get()), std::vector<std::string>{"AcDbLine"});
}

TEST_F(SaveCommands, SaveAsAddsTheDxfExtension) {
    std::string path = dir_.file("noext");
    ivtest::runScript("SAVEAS\n" + path + "\n");
    EXPECT_TRUE(ivtest::fileExists(path + ".dxf"));
}

TEST_F(SaveCommands, SaveOfAnUnnamedDrawingAsksAndThenUsesTheName) {
    std::string path = dir_.file("asked.dxf");
    std::string out = ivtest::runScript("SAVE\n" + path + "\nLINE\n5,5\n6,6\n\nSAVE\n");
    EXPECT_NE(out.find("Save drawing as"), std::string::npos) << out;
    ASSERT_TRUE(ivtest::fileExists(path));
    DbPtr back = read(ivtest::readFile(path));
    ASSERT_TRUE(back);
    EXPECT_EQ(modelSpaceClasses(back.get()).size(), 2u) << out;
    EXPECT_EQ(rec_.events.size(), 4u);
}

TEST_F(SaveCommands, CancellingTheNameSavesNothing) {
    std::string out = ivtest::runScript("SAVEAS\n^C\n");
    EXPECT_TRUE(rec_.events.empty());
}

TEST_F(SaveCommands, AFailedSaveKeepsTheOldFileAndTellsTheReactors) {
    std::string path = dir_.file("kept.dxf");
    ivtest::writeFile(path, "old contents");
    hs::armFault("AcDbEntity::dxfOutFields", Acad::eOutOfMemory);
    std::string out = ivtest::runScript("SAVEAS\n" + path + "\n");
    EXPECT_EQ(ivtest::readFile(path), "old contents");
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"beginSave " + path, "abortSave"}));
    EXPECT_NE(out.find("Error"), std::string::npos) << out;
}

TEST_F(SaveCommands, AFolderThatDoesNotExistIsReportedNotSaved) {
    std::string path = dir_.file("missing/folder/plan.dxf");
    std::string out = ivtest::runScript("SAVEAS\n" + path + "\n");
    EXPECT_FALSE(ivtest::fileExists(path));
    EXPECT_NE(out.find("cannot write"), std::string::npos) << out;
    EXPECT_EQ(rec_.events.back(), "abortSave");
}

// A drawing large enough that its file is written in several pieces.
class LargeSave : public DxfTest {
protected:
    void SetUp() override {
        DxfTest::SetUp();
        db_.reset(new AcDbDatabase(true, true));
        for (int i = 0; i < kLines; ++i)
            addLine(db_.get(), i * 0.1, 1.0 / 3.0, i * 0.1 + 1.0 / 7.0, 2.0);
    }
    static constexpr int kLines = 30000;  // a file of about 5 MB
    DbPtr db_;
    ivtest::TempDir dir_;
};

TEST_F(LargeSave, TheFileWrittenInPiecesIsTheWholeDrawing) {
    std::string path = dir_.file("large.dxf");
    ASSERT_TRUE(hs::writeDxfFile(path, db_.get()).ok);
    std::string inMemory;
    ASSERT_TRUE(hs::writeDxfText(db_.get(), inMemory).ok);
    std::string onDisk = ivtest::readFile(path);
    EXPECT_GT(onDisk.size(), 2u << 20);
    EXPECT_TRUE(onDisk == inMemory) << onDisk.size() << " bytes against " << inMemory.size();
    EXPECT_FALSE(ivtest::fileExists(path + ".hostsim-part"));
    // Opened again (a file this large is read into a buffer of its own).
    AcDbDatabase* pBack = nullptr;
    hs::DxfResult back = hs::readDxfFile(path, pBack);
    ASSERT_TRUE(back.ok) << back.message;
    DbPtr owned(pBack);
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(pBack)).size(), static_cast<size_t>(kLines));
    std::string again;
    ASSERT_TRUE(hs::writeDxfText(pBack, again).ok);
    EXPECT_TRUE(again == inMemory);
}

TEST_F(LargeSave, AFailureAfterPiecesWereWrittenKeepsTheOldFileAndLeavesNoTemporary) {
    std::string path = dir_.file("kept.dxf");
    ivtest::writeFile(path, "old contents");
    // The entity near the end fails, when most of the file is written.
    hs::armFault("AcDbEntity::dxfOutFields", Acad::eOutOfMemory, /*skip=*/kLines - 1000);
    hs::DxfResult result = hs::writeDxfFile(path, db_.get());
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(path), std::string::npos) << result.message;
    EXPECT_EQ(ivtest::readFile(path), "old contents");
    EXPECT_FALSE(ivtest::fileExists(path + ".hostsim-part"));
}

TEST_F(LargeSave, ASinkThatFailsEndsTheWritingWithAnError) {
    int calls = 0;
    size_t bytes = 0;
    hs::DxfResult result = hs::writeDxfPieces(db_.get(), [&](std::string_view piece) {
        ++calls;
        bytes += piece.size();
        return calls < 2;  // the second piece cannot be written
    });
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("could not be written"), std::string::npos) << result.message;
    EXPECT_EQ(calls, 2);  // nothing is offered after the failure
    EXPECT_GE(bytes, 1u << 20);
}
