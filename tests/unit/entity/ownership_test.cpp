// What a watermark holds and owns: construction, set_pEntity, set_ColorIndex
// and destruction of the clones.
#include "wmtest.h"

using wmtest::CountedLine;

namespace {

class WatermarkOwnership : public wmtest::SessionTest {};

void addCounted(QWK_WaterMark& wm, int n) {
    for (int i = 0; i < n; i++) {
        CountedLine src(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
        ASSERT_TRUE(wm.set_pEntity(&src));
    }
}

}  // namespace

TEST_F(WatermarkOwnership, ANewWatermarkHoldsNothingAndHasColourIndex250) {
    QWK_WaterMark wm;
    EXPECT_EQ(wm.count(), 0);
    EXPECT_EQ(wm.watermarkColorIndex(), 250);
    EXPECT_EQ(wm.entityAt(0), nullptr);
}

TEST_F(WatermarkOwnership, DestroyingAWatermarkDeletesItsClones) {
    for (int n : {0, 3, 256}) {
        int before = CountedLine::s_live;
        {
            QWK_WaterMark* pWm = new QWK_WaterMark();
            addCounted(*pWm, n);
            EXPECT_EQ(CountedLine::s_live, before + n) << n << " clones";
            delete pWm;
        }
        EXPECT_EQ(CountedLine::s_live, before) << n << " clones";
    }
}

TEST_F(WatermarkOwnership, ClonesArePrivateCopiesInCallOrder) {
    QWK_WaterMark wm;
    AcDbLine* pSrc = wmtest::newLine(1, 2, 3, 4);
    ASSERT_TRUE(wm.set_pEntity(pSrc));
    AcDbCircle circle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 2.0);
    ASSERT_TRUE(wm.set_pEntity(&circle));
    ASSERT_EQ(wm.count(), 2);
    EXPECT_NE(wm.entityAt(0), pSrc);
    ASSERT_NE(wmtest::lineAt(wm, 0), nullptr);
    EXPECT_EQ(wmtest::lineAt(wm, 0)->endPoint(), AcGePoint3d(3, 4, 0));
    EXPECT_TRUE(wm.entityAt(0)->objectId().isNull());
    ASSERT_NE(AcDbCircle::cast(wm.entityAt(1)), nullptr);
    // The source is untouched by the copy.
    pSrc->setEndPoint(AcGePoint3d(9, 9, 0));
    EXPECT_EQ(wmtest::lineAt(wm, 0)->endPoint(), AcGePoint3d(3, 4, 0));
    delete pSrc;
}

TEST_F(WatermarkOwnership, ANullSourceIsRefusedWithItsMessage) {
    QWK_WaterMark wm;
    addCounted(wm, 1);
    clearPrinted();
    EXPECT_FALSE(wm.set_pEntity(nullptr));
    EXPECT_EQ(printed(), "set_pEntity_ERROR!");
    EXPECT_EQ(wm.count(), 1);
}

TEST_F(WatermarkOwnership, TheTwoHundredFiftySeventhCloneIsRefused) {
    QWK_WaterMark wm;
    addCounted(wm, 256);
    ASSERT_EQ(wm.count(), 256);
    int live = CountedLine::s_live;
    clearPrinted();
    CountedLine extra;
    EXPECT_FALSE(wm.set_pEntity(&extra));
    EXPECT_EQ(printed(), "set_pEntity_ERROR!");
    EXPECT_EQ(wm.count(), 256);
    EXPECT_EQ(CountedLine::s_live, live + 1);  // only `extra` itself
    EXPECT_EQ(wm.entityAt(256), nullptr);
    const AcDbLine* pLast = wmtest::lineAt(wm, 255);
    ASSERT_NE(pLast, nullptr);
    EXPECT_EQ(pLast->startPoint(), AcGePoint3d(255, 0, 0));
}

TEST_F(WatermarkOwnership, ACloneTakesTheWatermarkColourOfTheMoment) {
    QWK_WaterMark wm;
    AcDbLine* pSrc = wmtest::newLine(0, 0, 1, 1);
    pSrc->setColorIndex(3);
    ASSERT_TRUE(wm.set_pEntity(pSrc));
    delete pSrc;
    EXPECT_EQ(wm.entityAt(0)->colorIndex(), 250);
}

TEST_F(WatermarkOwnership, SetColorIndexRecoloursTheClonesAndTheWatermark) {
    QWK_WaterMark wm;
    wm.setColorIndex(7);
    wmtest::fill(wm, {wmtest::newLine(0, 0, 1, 1), wmtest::newLine(0, 0, 2, 2)});
    EXPECT_EQ(wm.set_ColorIndex(1), Acad::eOk);
    EXPECT_EQ(wm.watermarkColorIndex(), 1);
    EXPECT_EQ(wm.colorIndex(), 1);
    EXPECT_EQ(wm.entityAt(0)->colorIndex(), 1);
    EXPECT_EQ(wm.entityAt(1)->colorIndex(), 1);
    EXPECT_EQ(printed(), "");
}

TEST_F(WatermarkOwnership, SetColorIndexWithoutClonesLeavesTheWatermarksOwnColour) {
    QWK_WaterMark wm;
    wm.setColorIndex(7);
    EXPECT_EQ(wm.set_ColorIndex(1), Acad::eOk);
    EXPECT_EQ(wm.watermarkColorIndex(), 1);
    EXPECT_EQ(wm.colorIndex(), 7);
}

TEST_F(WatermarkOwnership, SetColorIndexKeepsTheLowSixteenBits) {
    QWK_WaterMark wm;
    wm.set_ColorIndex(0x10000 + 5);
    EXPECT_EQ(wm.watermarkColorIndex(), 5);
}

TEST_F(WatermarkOwnership, ACloneRefusingTheColourIsReportedWithLine298) {
    QWK_WaterMark wm;
    addCounted(wm, 2);
    CountedLine::s_refuse = Acad::eInvalidInput;
    clearPrinted();
    EXPECT_EQ(wm.set_ColorIndex(4), Acad::eOk);
    std::string one = wmtest::errorLine(298, Acad::eInvalidInput);
    EXPECT_EQ(printed(), one + one);
}
