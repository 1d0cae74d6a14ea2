// Property changes made to a watermark reach every clone, in slot order, with
// the same value and flag; refusals are reported with the setter's line.
#include "wmtest.h"

using wmtest::CountedLine;

namespace {

class WatermarkSetters : public wmtest::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        for (int i = 0; i < 3; i++) {
            CountedLine src(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
            ASSERT_TRUE(wm.set_pEntity(&src));
        }
        wm.setColorIndex(7);
        CountedLine::s_calls.clear();
        clearPrinted();
    }
    QWK_WaterMark wm;
};

}  // namespace

TEST_F(WatermarkSetters, SetColorReachesEveryCloneFirstThenTheWatermark) {
    CountedLine::s_pOwner = &wm;
    AcCmColor red;
    red.setColorIndex(1);
    EXPECT_EQ(wm.setColor(red, false), Acad::eOk);
    ASSERT_EQ(CountedLine::s_calls.size(), 3u);
    // The first clone is changed while the watermark still has its old colour.
    EXPECT_EQ(CountedLine::s_calls[0].rfind("setColor 1 doSubents=0 ownColour=7", 0), 0u)
        << CountedLine::s_calls[0];
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(wm.entityAt(i)->colorIndex(), 1);
    EXPECT_EQ(wm.colorIndex(), 1);
}

TEST_F(WatermarkSetters, SetLinetypeByNamePassesTheSameNameAndFlagToEachClone) {
    EXPECT_EQ(wm.setLinetype(ACRX_T("DASHED"), true), Acad::eOk);
    ASSERT_EQ(CountedLine::s_calls.size(), 3u);
    for (const std::string& call : CountedLine::s_calls)
        EXPECT_EQ(call, "setLinetypeName DASHED doSubents=1");
}

TEST_F(WatermarkSetters, SetLinetypeByIdReachesEachClone) {
    EXPECT_EQ(wm.setLinetype(AcDbObjectId::kNull, false), Acad::eOk);
    ASSERT_EQ(CountedLine::s_calls.size(), 3u);
    for (const std::string& call : CountedLine::s_calls)
        EXPECT_EQ(call, "setLinetypeId null doSubents=0");
}

TEST_F(WatermarkSetters, SetLinetypeScaleReachesEveryCloneAndTheWatermark) {
    CountedLine::s_pOwner = &wm;
    EXPECT_EQ(wm.setLinetypeScale(2.5, true), Acad::eOk);
    ASSERT_EQ(CountedLine::s_calls.size(), 3u);
    EXPECT_EQ(CountedLine::s_calls[0], "setLinetypeScale 2.5 doSubents=1 ownColour=7 ownScale=1");
    for (int i = 0; i < 3; i++)
        EXPECT_DOUBLE_EQ(wm.entityAt(i)->linetypeScale(), 2.5);
    EXPECT_DOUBLE_EQ(wm.linetypeScale(), 2.5);
}

TEST_F(WatermarkSetters, SetLineWeightReachesEveryCloneAndTheWatermark) {
    EXPECT_EQ(wm.setLineWeight(AcDb::kLnWt050, true), Acad::eOk);
    ASSERT_EQ(CountedLine::s_calls.size(), 3u);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(wm.entityAt(i)->lineWeight(), AcDb::kLnWt050);
    EXPECT_EQ(wm.lineWeight(), AcDb::kLnWt050);
}

#if IRONVEIL_RELEASE == 16
TEST_F(WatermarkSetters, SetLayerInBothFormsReachesEveryCloneInRelease16) {
    wm.setLayer("0", true);
    wm.setLayer(AcDbObjectId::kNull, false);
    ASSERT_EQ(CountedLine::s_calls.size(), 6u);
    EXPECT_EQ(CountedLine::s_calls[0], "setLayerName 0 doSubents=1");
    EXPECT_EQ(CountedLine::s_calls[3], "setLayerId null doSubents=0");
}
#else
TEST_F(WatermarkSetters, SetLayerChangesOnlyTheWatermarkInLaterReleases) {
    wm.setLayer(ACRX_T("0"), true);
    EXPECT_TRUE(CountedLine::s_calls.empty());
}
#endif

TEST_F(WatermarkSetters, SetColorIndexIsNotPassedOn) {
    wm.setColorIndex(3);
    EXPECT_TRUE(CountedLine::s_calls.empty());
    EXPECT_EQ(wm.entityAt(0)->colorIndex(), 250);
}

TEST_F(WatermarkSetters, AWatermarkWithoutClonesKeepsItsPropertiesAndSucceeds) {
    QWK_WaterMark empty;
    empty.setColorIndex(7);
    AcCmColor red;
    red.setColorIndex(1);
    EXPECT_EQ(empty.setColor(red), Acad::eOk);
    EXPECT_EQ(empty.colorIndex(), 7);
    EXPECT_EQ(empty.setLinetypeScale(3.0), Acad::eOk);
    EXPECT_DOUBLE_EQ(empty.linetypeScale(), 1.0);
}

TEST_F(WatermarkSetters, RefusingClonesAreReportedWithEachSettersLine) {
    CountedLine::s_refuse = Acad::eOnLockedLayer;
    const std::string lines[] = {"281", "269", "257", "312", "221"};
    AcCmColor red;
    red.setColorIndex(1);
    std::vector<Acad::ErrorStatus> results;
    results.push_back(wm.setColor(red));
    std::string afterColor = printed();
    clearPrinted();
    results.push_back(wm.setLinetype(ACRX_T("DASHED")));
    std::string afterName = printed();
    clearPrinted();
    results.push_back(wm.setLinetype(AcDbObjectId::kNull));
    std::string afterId = printed();
    clearPrinted();
    results.push_back(wm.setLinetypeScale(2.0));
    std::string afterScale = printed();
    clearPrinted();
    results.push_back(wm.setLineWeight(AcDb::kLnWt030));
    std::string afterWeight = printed();
    for (Acad::ErrorStatus es : results)
        EXPECT_EQ(es, Acad::eOk);
    auto three = [](int line) {
        std::string one = wmtest::errorLine(line, Acad::eOnLockedLayer);
        return one + one + one;
    };
    EXPECT_EQ(afterColor, three(281));
    EXPECT_EQ(afterName, three(269));
    EXPECT_EQ(afterId, three(257));
    EXPECT_EQ(afterScale, three(312));
    EXPECT_EQ(afterWeight, three(221));
#if IRONVEIL_RELEASE == 16
    clearPrinted();
    wm.setLayer(AcDbObjectId::kNull);
    EXPECT_EQ(printed(), three(233));
    clearPrinted();
    wm.setLayer("0");
    EXPECT_EQ(printed(), three(245));
#endif
}

TEST_F(WatermarkSetters, TheErrorLineNamesTheSourceOfThisBuild) {
    CountedLine::s_refuse = Acad::eInvalidInput;
    wm.setLineWeight(AcDb::kLnWt030);
    std::string text = printed();
#if IRONVEIL_RELEASE == 16
    EXPECT_EQ(text.rfind("!/", 0), 0u) << text;
    EXPECT_NE(text.find("entity/QWK_WaterMark.cpp@221: "), std::string::npos) << text;
#else
    EXPECT_EQ(text.rfind("!..\\Ironveil_2004_VC7\\Ironveil@221: ", 0), 0u) << text;
#endif
    EXPECT_EQ(text.find('\n'), std::string::npos);
}
