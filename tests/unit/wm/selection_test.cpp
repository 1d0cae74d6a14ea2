// Which entities a WM run takes as sources, and what it does when it can
// take none.
#include "wmscript.h"

using namespace wmscript;

namespace {

std::string wmSelecting(const std::string& selection, const std::string& colour = "") {
    return "WM\n20,10\n100,50\n2\n3\n50\n" + selection + "\n\n" + colour + "\n";
}

// An ellipse, a point and a circle, written as a short DXF file.
const char* const kMixedDrawing = R"(0
SECTION
2
HEADER
9
$ACADVER
1
AC1015
0
ENDSEC
0
SECTION
2
ENTITIES
0
ELLIPSE
5
A1
100
AcDbEntity
8
0
100
AcDbEllipse
10
50
20
50
30
0
11
10
21
0
31
0
210
0
220
0
230
1
40
0.5
41
0
42
6.283185307179586
0
POINT
5
A2
100
AcDbEntity
8
0
100
AcDbPoint
10
60
20
60
30
0
0
CIRCLE
5
A3
100
AcDbEntity
8
0
100
AcDbCircle
10
55
20
55
30
0
40
2
0
ENDSEC
0
EOF
)";

}  // namespace

TEST_F(WmScript, ThreeHundredSelectedEntitiesUseTheFirst256WithAMessage) {
    std::string script;
    for (int i = 0; i < 300; i++)
        script += line(i, 0, i, 10 + (i < 256 ? 0 : 100));
    ivtest::Run run = ivtest::runHostsim(script + wmSelecting("ALL"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.count("\nOnly 256 Entitys used."), 1);
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 6u);
    EXPECT_EQ(d->marks[0].count, 256);
    // The later, taller lines are left out: the watermark is 255 wide for
    // 10 high before the fit, so 50 % of a 20-high cell makes it 10 high.
    const Mark* first = d->at(20, 10);
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(first->max.y - first->min.y, 10.0, 1e-6);
    EXPECT_NEAR(first->max.x - first->min.x, 255.0, 1e-6);
}

TEST_F(WmScript, ExactlyTwoHundredFiftySixSayNothingAboutTheLimit) {
    std::string script;
    for (int i = 0; i < 256; i++)
        script += line(i, 0, i, 10);
    ivtest::Run run = ivtest::runHostsim(script + wmSelecting("ALL"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_FALSE(run.contains("Only 256"));
    EXPECT_EQ(readDrawing(run.savePath)->marks.at(0).count, 256);
}

TEST_F(WmScript, EllipsesPointsAndWatermarksAreNotSelectable) {
    ivtest::TempDir dir;
    ivtest::writeFile(dir.file("mixed.dxf"), kMixedDrawing);
    ivtest::HostsimOptions opts = savingRun();
    opts.drawing = dir.file("mixed.dxf");
    ivtest::Run run = ivtest::runHostsim(wmSelecting("W 40,40 70,70") + wmSelecting("W 0,0 200,200"), opts);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 12u) << run.transcript;
    for (const Mark& m : d->marks)
        EXPECT_EQ(m.cloneClasses, std::vector<std::string>{"AcDbCircle"});
}

TEST_F(WmScript, ABlockReferenceIsOneSource) {
    ivtest::HostsimOptions opts = savingRun();
    opts.drawing = ivtest::sourcePath("examples/plan.dxf");
    ivtest::Run run = ivtest::runHostsim(wmSelecting("W 229,9 411,61"), opts);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 6u) << run.transcript;
    EXPECT_EQ(d->marks[0].cloneClasses, std::vector<std::string>{"AcDbBlockReference"});
}

TEST_F(WmScript, EscapeAtTheSelectionEndsWithoutAColourPrompt) {
    ivtest::Run run = ivtest::runHostsim(line(0, 0, 5, 5) + "WM\n20,10\n100,50\n\n\n\n^C\n", savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("None Selected.\n"));
    EXPECT_FALSE(run.contains("Watermark Color"));
    EXPECT_EQ(setting(run, "wmLines"), ivtest::regDword(12)) << "the grid settings stay stored";
    EXPECT_TRUE(readDrawing(run.savePath)->marks.empty());
}

TEST_F(WmScript, SourcesOnALockedLayerAreLeftOutSilentlyButTheColourIsStored) {
    std::string script =
        "-LAYER\nM\nFIXED\n\n" + line(0, 0, 5, 5) + line(0, 5, 5, 0) + "-LAYER\nLO\nFIXED\n\n";
    ivtest::Run run = ivtest::runHostsim(script + wmSelecting("ALL", "3"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("Watermark Color(0--255)[250]: "));
    EXPECT_EQ(setting(run, "wmColor"), ivtest::regDword(3));
    EXPECT_FALSE(run.contains("ERROR")) << run.transcript;
    EXPECT_TRUE(readDrawing(run.savePath)->marks.empty());
}

TEST_F(WmScript, ALockedSourceAmongOthersIsLeftOut) {
    std::string script =
        "-LAYER\nM\nFIXED\n\n" + line(0, 0, 50, 50) + "-LAYER\nS\n0\nLO\nFIXED\n\n" + line(0, 0, 5, 5);
    ivtest::Run run = ivtest::runHostsim(script + wmSelecting("ALL"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 6u) << run.transcript;
    EXPECT_EQ(d->marks[0].count, 1);
}

TEST_F(WmScript, AFailedAllocationClosesEverythingAndSaysSo) {
    ivtest::Run run = ivtest::runHostsim(
        line(0, 0, 5, 5) + "HSFAULT AcHeapOperators::new 6 0 -1\n" + wmSelecting("ALL"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("addQWK_WaterMark_ERROR 50: out of memory")) << run.transcript;
}
