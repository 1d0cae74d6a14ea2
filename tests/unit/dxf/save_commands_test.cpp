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
