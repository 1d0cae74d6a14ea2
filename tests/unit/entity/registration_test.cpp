// The watermark's run-time class as the host registers it.
#include <cstdio>

#include "wmtest.h"

namespace {
class WatermarkClass : public wmtest::SessionTest {};
}  // namespace

TEST_F(WatermarkClass, IsRegisteredWithItsNamesVersionsAndApplicationString) {
    AcRxClass* pClass = QWK_WaterMark::desc();
    ASSERT_NE(pClass, nullptr);
    EXPECT_EQ(hs::toUtf8(pClass->name()), "QWK_WaterMark");
    EXPECT_EQ(hs::toUtf8(pClass->dxfName()), "QWK_WaterMark");
    EXPECT_EQ(
        hs::toUtf8(pClass->appName()),
        "\"QWK_WaterMark|Product Desc:     Ironveil|Company:          Halvorn Co. Ltd.|WEB Address:      "
        "https://www.halvorn.example\"");
    EXPECT_EQ(pClass->proxyFlags(), 0);
    EXPECT_EQ(pClass->appNameCallbackPtr(), nullptr);
    int dwgVer = -1, maintVer = -1;
    pClass->getClassVersion(dwgVer, maintVer);
    std::printf("release %d: QWK_WaterMark registered with drawing version %d, maintenance release %d\n",
                IRONVEIL_RELEASE, dwgVer, maintVer);
#if IRONVEIL_RELEASE == 16
    EXPECT_EQ(dwgVer, 25);
    EXPECT_EQ(maintVer, IRONVEIL_MAINT);
    // The value is the SDK's own, not one the build passes beside it.
    EXPECT_EQ(maintVer, static_cast<int>(AcDb::kMReleaseCurrent));
#elif IRONVEIL_RELEASE == 18
    EXPECT_EQ(dwgVer, 29);
    EXPECT_EQ(maintVer, 6);
#else
    EXPECT_EQ(dwgVer, 31);
    EXPECT_EQ(maintVer, 8);
#endif
    EXPECT_TRUE(pClass->isDerivedFrom(AcDbEntity::desc()));
}

TEST_F(WatermarkClass, TheHostCreatesEmptyWatermarks) {
    AcRxObject* pObj = QWK_WaterMark::desc()->create();
    QWK_WaterMark* pWm = QWK_WaterMark::cast(pObj);
    ASSERT_NE(pWm, nullptr);
    EXPECT_EQ(pWm->count(), 0);
    EXPECT_EQ(pWm->watermarkColorIndex(), 250);
    EXPECT_EQ(pWm->isA(), QWK_WaterMark::desc());
    delete pObj;
}

TEST_F(WatermarkClass, CastAcceptsOnlyWatermarks) {
    QWK_WaterMark wm;
    AcDbLine line;
    EXPECT_EQ(QWK_WaterMark::cast(&wm), &wm);
    EXPECT_EQ(QWK_WaterMark::cast(&line), nullptr);
    EXPECT_EQ(QWK_WaterMark::cast(nullptr), nullptr);
}

TEST_F(WatermarkClass, RegisteringTwiceKeepsTheSameClass) {
    AcRxClass* pBefore = QWK_WaterMark::desc();
    QWK_WaterMark::rxInit();
    EXPECT_EQ(QWK_WaterMark::desc(), pBefore);
}
