// -WBLOCK: the file it writes, the drawing it leaves alone and the
// notifications the editor reactors get, in the host's order.
#include <cstdio>

#include "aced.h"
#include "edfixture.h"
#include "hostsim/dxffile.h"
#include "ivtest.h"

namespace {

using edtest::EdTest;

// Records the write-block notifications and what the new database holds.
class Recorder : public AcEditorReactor {
public:
    std::vector<std::string> calls;
    size_t entitiesAtEnd = 0;
    void beginWblock(AcDbDatabase*, AcDbDatabase* pFrom, const AcGePoint3d*& insertionPoint) override {
        calls.push_back("begin selection " + std::to_string(insertionPoint->x) + " " +
                        (pFrom == hs::Session::get().database() ? "from drawing" : "from elsewhere"));
    }
    void beginWblock(AcDbDatabase*, AcDbDatabase*, AcDbObjectId) override { calls.push_back("begin block"); }
    void beginWblock(AcDbDatabase* pTo, AcDbDatabase*) override {
        calls.push_back(std::string("begin whole") +
                        (pTo != hs::Session::get().database() ? " new database" : ""));
    }
    void endWblock(AcDbDatabase* pTo) override {
        calls.push_back("end");
        entitiesAtEnd = hs::entitiesOf(hs::modelSpaceId(pTo)).size();
    }
};

class Wblock : public EdTest {
protected:
    void SetUp() override {
        EdTest::SetUp();
        acedEditor->addReactor(&recorder);
    }
    void TearDown() override {
        acedEditor->removeReactor(&recorder);
        EdTest::TearDown();
    }
    // The number of model-space entities of a written file.
    static int entitiesIn(const std::string& path) {
        AcDbDatabase* pDb = nullptr;
        hs::DxfResult res = hs::readDxfFile(path, pDb);
        EXPECT_TRUE(res.ok) << res.message;
        if (pDb == nullptr)
            return -1;
        int n = static_cast<int>(hs::entitiesOf(hs::modelSpaceId(pDb)).size());
        delete pDb;
        return n;
    }
    Recorder recorder;
    ivtest::TempDir dir;
};

TEST_F(Wblock, TheWholeDrawingIsWrittenAndTheDrawingKeepsEverything) {
    addLine(0, 0, 10, 0);
    addCircle(5, 5, 2);
    std::string path = dir.file("all.dxf");
    run("-WBLOCK\n" + path + "\n*\n");
    ASSERT_TRUE(ivtest::fileExists(path)) << out();
    EXPECT_EQ(entitiesIn(path), 2);
    EXPECT_EQ(live(modelSpace()).size(), 2u);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"begin whole new database", "end"}));
    EXPECT_EQ(recorder.entitiesAtEnd, 2u) << "endWblock sees the filled database";
    EXPECT_EQ(newFaults(), 0) << out();
}

TEST_F(Wblock, SelectedObjectsAreWrittenWithTheInsertionPointForm) {
    addLine(0, 0, 10, 0);
    addCircle(50, 50, 2);
    std::string path = dir.file("part");
    run("-WBLOCK\n" + path + "\n\n7,0\nC 40,40 60,60\n\n");
    ASSERT_TRUE(ivtest::fileExists(path + ".dxf")) << out();
    EXPECT_EQ(entitiesIn(path + ".dxf"), 1);
    EXPECT_EQ(live(modelSpace()).size(), 2u) << "the selected objects stay in the drawing";
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0], "begin selection 7.000000 from drawing");
    EXPECT_EQ(recorder.calls[1], "end");
}

TEST_F(Wblock, AnUnknownBlockWritesNothing) {
    std::string path = dir.file("none.dxf");
    run("-WBLOCK\n" + path + "\nNOSUCHBLOCK\n");
    EXPECT_FALSE(ivtest::fileExists(path));
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_NE(out().find("Block NOSUCHBLOCK not found."), std::string::npos) << out();
}

TEST_F(Wblock, AnExistingFileIsReplacedOnlyWhenTheUserSaysYes) {
    addLine(0, 0, 10, 0);
    std::string path = dir.file("old.dxf");
    ivtest::writeFile(path, "keep me");
    run("-WBLOCK\n" + path + "\n\n");
    EXPECT_EQ(ivtest::readFile(path), "keep me");
    run("-WBLOCK\n" + path + "\nY\n*\n");
    EXPECT_EQ(entitiesIn(path), 1);
}

}  // namespace
