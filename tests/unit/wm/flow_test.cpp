// The WM command's dialogue: prompts, stored defaults, clamping, cancels,
// command echo, the start page and the Chinese texts.
#include "wmscript.h"

using namespace wmscript;

namespace {

const std::string kSource = line(-5, 2, 25, 12);

std::string wmAnswers(const std::string& grid, const std::string& colour = "") {
    return "WM\n20,10\n100,50\n" + grid + "ALL\n\n" + colour + "\n";
}

}  // namespace

TEST_F(WmScript, AFirstRunShowsTheDefaultsAndEnterStoresThem) {
    ivtest::Run run = ivtest::runHostsim(kSource + wmAnswers("\n\n\n"), savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("\nPick a point for one corner of the new watermark: ")) << run.transcript;
    EXPECT_TRUE(run.contains("\nPick another point for the corner of the new watermark: "));
    EXPECT_TRUE(run.contains("\nWatermark Lines(2--12)[12]: "));
    EXPECT_TRUE(run.contains("\nWatermark Columns(3--16)[16]: "));
    EXPECT_TRUE(run.contains("\n\nWatermark Size(10--90)[50]: "));
    EXPECT_TRUE(run.contains("\nPlease Select Entities (ARC,CIRCLE,LINE,LWPOLYLINE,TEXT,MTEXT,INSERT):\n"));
    EXPECT_TRUE(run.contains("\nWatermark Color(0--255)[250]: "));
    EXPECT_EQ(setting(run, "wmLines"), ivtest::regDword(12));
    EXPECT_EQ(setting(run, "wmColumns"), ivtest::regDword(16));
    EXPECT_EQ(setting(run, "wmFact"), ivtest::regDword(50));
    EXPECT_EQ(setting(run, "wmColor"), ivtest::regDword(250));
    EXPECT_EQ(readDrawing(run.savePath)->marks.size(), 12u * 16u);
}

TEST_F(WmScript, AnswersOutOfRangeAreClampedStoredAndShownNextTime) {
    ivtest::Run low = ivtest::runHostsim(kSource + wmAnswers("1\n0\n5\n") + wmAnswers("\n\n\n"), savingRun());
    ASSERT_EQ(low.exitCode, 0) << low.transcript;
    EXPECT_TRUE(low.contains("[2]: ")) << low.transcript;
    EXPECT_TRUE(low.contains("Columns(3--16)[3]: "));
    EXPECT_TRUE(low.contains("Size(10--90)[10]: "));
    EXPECT_EQ(setting(low, "wmLines"), ivtest::regDword(2));
    EXPECT_EQ(setting(low, "wmColumns"), ivtest::regDword(3));
    EXPECT_EQ(setting(low, "wmFact"), ivtest::regDword(10));

    ivtest::Run high = ivtest::runHostsim(kSource + wmAnswers("20\n17\n100\n"), savingRun());
    ASSERT_EQ(high.exitCode, 0) << high.transcript;
    EXPECT_EQ(setting(high, "wmLines"), ivtest::regDword(12));
    EXPECT_EQ(setting(high, "wmColumns"), ivtest::regDword(16));
    EXPECT_EQ(setting(high, "wmFact"), ivtest::regDword(90));
}

TEST_F(WmScript, StoredValuesOutOfRangeShowTheSubstitutesNotTheBounds) {
    ivtest::Run run =
        ivtest::runHostsim(kSource + wmAnswers("\n\n\n"),
                           savingRun({{"wmLines", 1}, {"wmColumns", 25}, {"wmFact", 95}, {"wmColor", 300}}));
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("Lines(2--12)[12]: ")) << run.transcript;
    EXPECT_TRUE(run.contains("Columns(3--16)[16]: "));
    EXPECT_TRUE(run.contains("Size(10--90)[50]: "));
    EXPECT_TRUE(run.contains("Color(0--255)[250]: "));
    ivtest::Run zero = ivtest::runHostsim(kSource + wmAnswers("\n\n\n"), savingRun({{"wmColor", 0}}));
    EXPECT_TRUE(zero.contains("Color(0--255)[250]: ")) << zero.transcript;
}

TEST_F(WmScript, TheColourIsStoredAsTypedAndGivenToTheWatermark) {
    // 0 is ByBlock and 256 ByLayer for the host; 300 is no colour it knows.
    for (unsigned colour : {0u, 256u, 300u, 3u}) {
        ivtest::Run run =
            ivtest::runHostsim(kSource + wmAnswers("2\n3\n50\n", std::to_string(colour)), savingRun());
        ASSERT_EQ(run.exitCode, 0) << run.transcript;
        EXPECT_EQ(setting(run, "wmColor"), ivtest::regDword(colour));
        std::unique_ptr<Drawing> d = readDrawing(run.savePath);
        ASSERT_EQ(d->marks.size(), 6u);
        if (colour == 300)
            continue;
        for (const Mark& m : d->marks) {
            EXPECT_EQ(m.colour, (int)colour);
            EXPECT_EQ(m.cloneColour, (int)colour);
        }
    }
}

TEST_F(WmScript, CancelAtEitherCornerPrintsCanceledAndTouchesNoSetting) {
    for (const std::string& script : {std::string("WM\n^C\n"), std::string("WM\n20,10\n^C\n")}) {
        ivtest::Run run =
            ivtest::runHostsim(kSource + script + "SETVAR\nCMDECHO\n\n", savingRun({{"wmLines", 4}}));
        ASSERT_EQ(run.exitCode, 0) << run.transcript;
        EXPECT_EQ(run.count("canceled!"), 1) << run.transcript;
        EXPECT_FALSE(run.contains("Watermark Lines"));
        EXPECT_EQ(setting(run, "wmLines"), ivtest::regDword(4));
        EXPECT_EQ(setting(run, "wmColumns"), "");
        EXPECT_TRUE(run.contains("Enter new value for CMDECHO <1>")) << run.transcript;
    }
}

TEST_F(WmScript, CancelAtTheRowsPromptTakesTheDefaultAndGoesOn) {
    ivtest::Run run = ivtest::runHostsim(kSource + wmAnswers("^C\n5\n50\n"), savingRun({{"wmLines", 3}}));
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("Watermark Columns(3--16)[16]: ")) << run.transcript;
    EXPECT_EQ(setting(run, "wmLines"), ivtest::regDword(3));
    EXPECT_EQ(setting(run, "wmColumns"), ivtest::regDword(5));
    EXPECT_EQ(readDrawing(run.savePath)->marks.size(), 15u);
}

TEST_F(WmScript, CommandEchoIsOnAfterEveryRun) {
    // Echo off before, then a complete run, a cancelled selection and a run without sources.
    ivtest::Run run = ivtest::runHostsim("SETVAR\nCMDECHO\n0\n" + kSource + wmAnswers("2\n3\n50\n") +
                                             "SETVAR\nCMDECHO\n\n" + "SETVAR\nCMDECHO\n0\n" +
                                             "WM\n20,10\n100,50\n\n\n\n^C\n" + "SETVAR\nCMDECHO\n\n",
                                         savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("Enter new value for CMDECHO <1>"), 4) << run.transcript;
    EXPECT_FALSE(run.contains("Enter new value for CMDECHO <0>"));
    EXPECT_TRUE(run.contains("None Selected.\n"));
}

TEST_F(WmScript, TheStartPageOpensAfterTheFirstThreeRunsOnly) {
    std::string runs =
        "WM\n^C\n" + kSource + wmAnswers("2\n3\n50\n") + wmAnswers("2\n3\n50\n") + wmAnswers("2\n3\n50\n");
    ivtest::Run run = ivtest::runHostsim(runs, savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("https://www.halvorn.example/eng"), 3) << run.transcript;
}

TEST_F(WmScript, EveryPromptOfAChineseRunIsChinese) {
    ivtest::HostsimOptions opts = savingRun({{"ChineseVersion", 1}});
    ivtest::Run run = ivtest::runHostsim(kSource + wmAnswers("\n\n\n") + "WM\n^C\n", opts);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("\n请指定表达水印范围的矩形的一个角点: ")) << run.transcript;
    EXPECT_TRUE(run.contains("\n请指定表达水印范围的矩形的另一个角点:: "));
    EXPECT_TRUE(run.contains("\n水印行数(2--12)[12]: "));
    EXPECT_TRUE(run.contains("\n水印列数(3--16)[16]: "));
    EXPECT_TRUE(run.contains("\n\n水印大小(10--90)[50]: "));
    EXPECT_TRUE(run.contains("\n请选择 圆弧、圆、直线、多段线、文字、图块来制作水印:\n"));
    EXPECT_TRUE(run.contains("\n水印色彩号(0--255)[250]: "));
    EXPECT_TRUE(run.contains("canceled!"));
    EXPECT_FALSE(run.contains("Watermark"));
    EXPECT_FALSE(run.contains("Pick a"));
    EXPECT_EQ(run.count("https://www.halvorn.example/chn"), 2);
}
