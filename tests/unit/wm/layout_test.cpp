// The grid a WM run leaves in the drawing, read back from the saved DXF.
#include "wmscript.h"

using namespace wmscript;

namespace {

const std::string kSource = line(-5, 2, 25, 12);

// WM with the corners in the given order, rows, columns, size, every entity
// selected and the default colour.
std::string wm(const std::string& corner1, const std::string& corner2,
               const std::string& grid = "4\n5\n50\n") {
    return "WM\n" + corner1 + "\n" + corner2 + "\n" + grid + "ALL\n\n\n";
}

}  // namespace

TEST_F(WmScript, TheWorkedExampleGivesTwentyWatermarksFromTheFirstToTheLastCell) {
    ivtest::Run run = ivtest::runHostsim(kSource + wm("100,50", "20,10"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->error, "");
    ASSERT_EQ(d->marks.size(), 20u) << run.transcript;
    const Mark* first = d->at(20, 10);
    ASSERT_NE(first, nullptr) << run.transcript;
    EXPECT_NEAR(first->max.x, 35, 1e-6);
    EXPECT_NEAR(first->max.y, 15, 1e-6);
    const Mark* last = d->at(85, 45);
    ASSERT_NE(last, nullptr);
    EXPECT_NEAR(last->max.x, 100, 1e-6);
    EXPECT_NEAR(last->max.y, 50, 1e-6);
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 5; j++)
            EXPECT_NE(d->at(20 + j * 16.25, 10 + i * 35.0 / 3.0), nullptr) << "row " << i << " column " << j;
    for (const Mark& m : d->marks) {
        EXPECT_EQ(m.count, 1);
        EXPECT_EQ(m.colour, 250);
        EXPECT_EQ(m.cloneClasses, std::vector<std::string>{"AcDbLine"});
    }
    EXPECT_EQ(d->entities, 21) << "the source stays";
    EXPECT_TRUE(d->marksBehind) << "every watermark is drawn behind the other entities";
}

TEST_F(WmScript, CornersInAnyOrderGiveTheSameGrid) {
    for (auto corners : {std::make_pair("20,10", "100,50"), std::make_pair("100,10", "20,50"),
                         std::make_pair("20,50", "100,10")}) {
        ivtest::Run run = ivtest::runHostsim(kSource + wm(corners.first, corners.second), savingRun());
        ASSERT_EQ(run.exitCode, 0) << run.transcript;
        std::unique_ptr<Drawing> d = readDrawing(run.savePath);
        EXPECT_EQ(d->marks.size(), 20u) << corners.first << " " << corners.second;
        EXPECT_NE(d->at(20, 10), nullptr) << corners.first << " " << corners.second;
        EXPECT_NE(d->at(85, 45), nullptr) << corners.first << " " << corners.second;
    }
}

TEST_F(WmScript, WatermarksOfEarlierRunsGoBehindTooAndAreNotSources) {
    ivtest::Run run = ivtest::runHostsim(kSource + wm("20,10", "100,50", "2\n3\n50\n") +
                                             wm("200,10", "300,50", "2\n3\n50\n") + line(0, 0, 1, 1),
                                         savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 12u);
    for (const Mark& m : d->marks)
        EXPECT_EQ(m.count, 1) << "an existing watermark is never a source";
    EXPECT_TRUE(d->marksBehind);
}

TEST_F(WmScript, ARotatedUcsIsConvertedToWorldCorners) {
    // With the UCS turned 90 degrees, UCS (x, y) is world (-y, x): the picked
    // rectangle's converted corners are (-10, 20) and (-50, 100).
    ivtest::Run run = ivtest::runHostsim(kSource + "UCS\nZ\n90\n" + wm("20,10", "100,50"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 20u) << run.transcript;
    // e = |80 / 4| * 0.5 = 10 = h, so the fitted watermark keeps its size.
    const Mark* first = d->at(-10, 20);
    ASSERT_NE(first, nullptr) << run.transcript;
    EXPECT_NEAR(first->max.x, 20, 1e-6);
    EXPECT_NEAR(first->max.y, 30, 1e-6);
    // Column distance |-40 - 30| / 4 = 17.5, row distance |80 - 10| / 3 = 23.33;
    // the host's array runs along the current UCS: columns up, rows to the left.
    EXPECT_NE(d->at(-10 - 3 * 70.0 / 3.0, 20 + 4 * 17.5), nullptr);
}

TEST_F(WmScript, AFlatSourceLeavesTheWatermarkWhereItWasCreatedWithOneMessage) {
    ivtest::Run run = ivtest::runHostsim(line(0, 5, 30, 5) + wm("20,10", "100,50"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("The watermark has no height; it is left where it was created."), 1)
        << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 1u);
    EXPECT_NEAR(d->marks[0].min.x, 0, 1e-9);
    EXPECT_NEAR(d->marks[0].min.y, 5, 1e-9);
}

TEST_F(WmScript, AFlatRectangleLeavesTheWatermarkWhereItWasCreatedWithOneMessage) {
    ivtest::Run run = ivtest::runHostsim(kSource + wm("20,10", "100,10"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("The rectangle has no height; the watermark is left where it was created."), 1)
        << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 1u);
    EXPECT_NEAR(d->marks[0].min.x, -5, 1e-9);
}

TEST_F(WmScript, AFailedArrayListLeavesTheFittedWatermarkAlone) {
    ivtest::Run run =
        ivtest::runHostsim(kSource + "HSFAULT acutBuildList 6\n" + wm("20,10", "100,50"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("Couldn't create list")) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 1u);
    EXPECT_NE(d->at(20, 10), nullptr);
}

TEST_F(WmScript, ALayoutBeyondTheRangeOfNumbersLeavesTheWatermarkWhereItWasMade) {
    // A long flat source in a huge rectangle: its fitted width would be infinite.
    ivtest::Run run =
        ivtest::runHostsim(line(0, 0, 1000, 1) + wm("0,0", "1e308,1e308", "2\n3\n50\n"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(
        run.count("The watermark cannot be fitted into the rectangle; it is left where it was created."), 1)
        << run.transcript;
    EXPECT_FALSE(run.contains("inf")) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 1u) << "no array";
    EXPECT_EQ(d->marks[0].min, AcGePoint3d(0, 0, 0));
    EXPECT_EQ(d->marks[0].max, AcGePoint3d(1000, 1, 0));
    EXPECT_EQ(d->entities, 2) << "the source line and one watermark";
}

TEST_F(WmScript, NoNameOrNoSetForTheWatermarkSkipsTheArray) {
    for (const char* fault : {"acdbGetAdsName 3", "acedSSAdd 3"}) {
        ivtest::Run run = ivtest::runHostsim(
            kSource + "HSFAULT " + std::string(fault) + "\n" + wm("20,10", "100,50"), savingRun());
        ASSERT_EQ(run.exitCode, 0) << fault << "\n" << run.transcript;
        EXPECT_FALSE(run.contains("Enter the type of array")) << fault << "\n" << run.transcript;
        std::unique_ptr<Drawing> d = readDrawing(run.savePath);
        ASSERT_EQ(d->marks.size(), 1u) << fault << "\n" << run.transcript;
        EXPECT_NE(d->at(20, 10), nullptr) << "the watermark is fitted into the first cell";
    }
}
