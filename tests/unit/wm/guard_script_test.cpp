// Watermarks survive ordinary erasing; undo and redo still take them away and
// bring them back; WBLOCK writes drawings without them.
#include "wmscript.h"

using namespace wmscript;

namespace {

const std::string kMake = line(-5, 2, 25, 12) + "WM\n20,10\n100,50\n2\n3\n50\nALL\n\n\n";

}  // namespace

TEST_F(WmScript, EraseLeavesWatermarksAndErasesTheOthers) {
    ivtest::Run run = ivtest::runHostsim(kMake + line(0, 0, 1, 1) + "ERASE\nALL\n\n", savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    EXPECT_EQ(d->marks.size(), 6u);
    EXPECT_EQ(d->entities, 6) << "the two lines are erased";
}

TEST_F(WmScript, UndoOfTheCommandRemovesTheWatermarksAndRedoBringsThemBack) {
    ivtest::Run undone = ivtest::runHostsim(kMake + "U\n", savingRun());
    ASSERT_EQ(undone.exitCode, 0) << undone.transcript;
    EXPECT_TRUE(readDrawing(undone.savePath)->marks.empty()) << undone.transcript;

    ivtest::Run redone = ivtest::runHostsim(kMake + "U\nREDO\n", savingRun());
    ASSERT_EQ(redone.exitCode, 0) << redone.transcript;
    std::unique_ptr<Drawing> d = readDrawing(redone.savePath);
    ASSERT_EQ(d->marks.size(), 6u) << redone.transcript;
    for (const Mark& m : d->marks)
        EXPECT_EQ(m.count, 1);
    EXPECT_NE(d->at(20, 10), nullptr);
}

TEST_F(WmScript, UndoWithACountAndMixedCaseNamesOpenTheGuard) {
    ivtest::Run run = ivtest::runHostsim(kMake + line(0, 0, 1, 1) + "Undo\n2\n", savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    EXPECT_TRUE(d->marks.empty()) << run.transcript;
    EXPECT_EQ(d->entities, 1);

    ivtest::Run again = ivtest::runHostsim(kMake + "UNDO\n1\nMRedo\n1\n", savingRun());
    ASSERT_EQ(again.exitCode, 0) << again.transcript;
    EXPECT_EQ(readDrawing(again.savePath)->marks.size(), 6u) << again.transcript;
}

TEST_F(WmScript, ACancelledUndoLeavesWatermarksProtectedForTheNextErase) {
    ivtest::Run run = ivtest::runHostsim(kMake + "UNDO\n^C\nERASE\nALL\n\n", savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(readDrawing(run.savePath)->marks.size(), 6u) << run.transcript;
}

TEST_F(WmScript, WblockWritesNoWatermarkAndTheSourceKeepsThem) {
    ivtest::TempDir dir;
    ivtest::Run run = ivtest::runHostsim(
        kMake + "-WBLOCK\n" + dir.file("written.dxf") + "\n*\nERASE\nALL\n\n", savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("6 objects were not erased.")) << run.transcript;
    std::unique_ptr<Drawing> written = readDrawing(dir.file("written.dxf"));
    ASSERT_EQ(written->error, "");
    EXPECT_TRUE(written->marks.empty());
    EXPECT_EQ(written->entities, 1) << "the source line is written";
    std::unique_ptr<Drawing> source = readDrawing(run.savePath);
    EXPECT_EQ(source->marks.size(), 6u) << "the drawing keeps them, also against the ERASE after WBLOCK";
}

TEST_F(WmScript, LoadUnloadAndLoadAgainGivesAWorkingGuard) {
    std::string reload = "ARX\nU " + std::string(IV_MODULE_FILE) + "\nARX\nL " + ivtest::modulePath() + "\n";
    ivtest::Run erased = ivtest::runHostsim(reload + kMake + "ERASE\nALL\n\n", savingRun());
    ASSERT_EQ(erased.exitCode, 0) << erased.transcript;
    EXPECT_EQ(readDrawing(erased.savePath)->marks.size(), 6u) << erased.transcript;
    EXPECT_EQ(erased.count("https://www.halvorn.example/eng"), 1) << "the run counter starts afresh";

    ivtest::Run undone = ivtest::runHostsim(reload + kMake + "U\n", savingRun());
    ASSERT_EQ(undone.exitCode, 0) << undone.transcript;
    EXPECT_TRUE(readDrawing(undone.savePath)->marks.empty()) << undone.transcript;
}

TEST_F(WmScript, WblockOfADrawingWithoutWatermarksWritesEveryEntity) {
    ivtest::TempDir dir;
    ivtest::HostsimOptions opts = savingRun();
    opts.drawing = ivtest::sourcePath("examples/plan.dxf");
    ivtest::Run run = ivtest::runHostsim("-WBLOCK\n" + dir.file("written.dxf") + "\n*\n", opts);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> written = readDrawing(dir.file("written.dxf"));
    std::unique_ptr<Drawing> source = readDrawing(run.savePath);
    ASSERT_EQ(written->error, "");
    EXPECT_GT(source->entities, 50);
    EXPECT_EQ(written->entities, source->entities);
}

TEST_F(WmScript, WblockOfADrawingWithLockedLayersWritesNoWatermark) {
    // Everything is on layer 0, locked before the write-block.
    ivtest::TempDir dir;
    ivtest::Run run = ivtest::runHostsim(
        kMake + "-LAYER\nLO\n0\n\n-WBLOCK\n" + dir.file("written.dxf") + "\n*\n", savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> written = readDrawing(dir.file("written.dxf"));
    ASSERT_EQ(written->error, "");
    EXPECT_TRUE(written->marks.empty()) << run.transcript;
    EXPECT_EQ(written->entities, 1) << "the source line is written";
    EXPECT_EQ(readDrawing(run.savePath)->marks.size(), 6u) << "the drawing keeps them";
}

TEST_F(WmScript, ATransparentCommandAtUndosPromptDoesNotStopTheUndo) {
    for (const char* transparent : {"'SETVAR\nCMDECHO\n1\n", "'qwkHelp\n"}) {
        ivtest::Run run = ivtest::runHostsim(kMake + "UNDO\n" + transparent + "1\n", savingRun());
        ASSERT_EQ(run.exitCode, 0) << run.transcript;
        EXPECT_FALSE(run.contains("Cannot undo")) << run.transcript;
        EXPECT_TRUE(readDrawing(run.savePath)->marks.empty()) << transparent << run.transcript;
        // And the guard closes with the undo: the next erase leaves watermarks.
        ivtest::Run after = ivtest::runHostsim(
            kMake + line(0, 0, 1, 1) + "UNDO\n" + transparent + "1\nERASE\nALL\n\n", savingRun());
        ASSERT_EQ(after.exitCode, 0) << after.transcript;
        EXPECT_EQ(readDrawing(after.savePath)->marks.size(), 6u) << transparent << after.transcript;
    }
}
