// The write-block scrub: every watermark of the written database is erased,
// in model space, paper space and block definitions, on locked layers too; a
// record or entity the host refuses to open is passed over and the walk goes on.
#include "../entity/wmtest.h"
#include "guard/guard.h"
#include "hostsim/dbapi.h"

namespace {

// A database with, in block-table order: model space (line, watermark,
// circle, watermark), paper space (watermark), block "LOGO" (line, watermark).
class WblockScrub : public wmtest::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        g_bAllowErase = false;
        pDb = new AcDbDatabase(true, true);
        AcDbBlockTable* pBlockTable = nullptr;
        ASSERT_EQ(pDb->getSymbolTable(pBlockTable, AcDb::kForWrite), Acad::eOk);
        AcDbBlockTableRecord* pLogo = new AcDbBlockTableRecord();
        pLogo->setName(ACRX_T("LOGO"));
        ASSERT_EQ(pBlockTable->add(pLogo), Acad::eOk);
        append(pLogo, wmtest::newLine(0, 0, 1, 1));
        logoMark = append(pLogo, watermark());
        pLogo->close();

        AcDbBlockTableRecord* pRec = nullptr;
        ASSERT_EQ(pBlockTable->getAt(ACRX_T("*Model_Space"), pRec, AcDb::kForWrite), Acad::eOk);
        modelLine = append(pRec, wmtest::newLine(0, 0, 5, 5));
        modelMark1 = append(pRec, watermark());
        append(pRec, new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 1.0));
        modelMark2 = append(pRec, watermark());
        pRec->close();
        ASSERT_EQ(pBlockTable->getAt(ACRX_T("*Paper_Space"), pRec, AcDb::kForWrite), Acad::eOk);
        paperMark = append(pRec, watermark());
        pRec->close();
        pBlockTable->close();
        clearPrinted();
    }
    void TearDown() override {
        EXPECT_TRUE(hs::openObjects().empty()) << "the scrub left objects open";
        delete pDb;
        g_bAllowErase = false;
        SessionTest::TearDown();
    }
    static QWK_WaterMark* watermark() {
        QWK_WaterMark* pWm = new QWK_WaterMark();
        wmtest::fill(*pWm, {wmtest::newLine(0, 0, 2, 1)});
        return pWm;
    }
    static AcDbObjectId append(AcDbBlockTableRecord* pRec, AcDbEntity* pEnt) {
        AcDbObjectId id;
        EXPECT_EQ(pRec->appendAcDbEntity(id, pEnt), Acad::eOk);
        pEnt->close();
        return id;
    }
    void setLayerLocked(const ACHAR* name, bool locked) {
        AcDbLayerTable* pLayers = nullptr;
        ASSERT_EQ(pDb->getSymbolTable(pLayers, AcDb::kForRead), Acad::eOk);
        AcDbLayerTableRecord* pLayer = nullptr;
        ASSERT_EQ(pLayers->getAt(name, pLayer, AcDb::kForWrite), Acad::eOk);
        pLayer->setIsLocked(locked);
        pLayer->close();
        pLayers->close();
    }
    bool layerLocked(const ACHAR* name) {
        AcDbLayerTable* pLayers = nullptr;
        EXPECT_EQ(pDb->getSymbolTable(pLayers, AcDb::kForRead), Acad::eOk);
        AcDbLayerTableRecord* pLayer = nullptr;
        EXPECT_EQ(pLayers->getAt(name, pLayer, AcDb::kForRead), Acad::eOk);
        bool locked = pLayer != nullptr && pLayer->isLocked();
        if (pLayer != nullptr)
            pLayer->close();
        pLayers->close();
        return locked;
    }
    std::string erasedMarks() const {
        std::string s;
        for (AcDbObjectId id : {modelMark1, modelMark2, paperMark, logoMark})
            s += id.isErased() ? "E" : "-";
        return s;
    }

    AcDbDatabase* pDb = nullptr;
    AcDbObjectId modelLine, modelMark1, modelMark2, paperMark, logoMark;
    KeelCommandReactor reactor;
};

}  // namespace

TEST_F(WblockScrub, EveryWatermarkInEveryRecordIsErased) {
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "EEEE");
    EXPECT_FALSE(modelLine.isErased());
    EXPECT_EQ(printed(), "");
}

TEST_F(WblockScrub, TheFlagKeepsItsPreviousValue) {
    reactor.endWblock(pDb);
    EXPECT_FALSE(g_bAllowErase) << "a write-block must not leave watermarks erasable";
    g_bAllowErase = true;
    reactor.endWblock(pDb);
    EXPECT_TRUE(g_bAllowErase);
}

TEST_F(WblockScrub, ADatabaseWithoutWatermarksIsOpenedButNothingIsErased) {
    reactor.endWblock(pDb);
    int entityOpens = hs::faultCalls("AcDbBlockTableRecordIterator::getEntity");
    reactor.endWblock(pDb);  // now without watermarks
    EXPECT_EQ(hs::faultCalls("AcDbBlockTableRecordIterator::getEntity") - entityOpens, 3)
        << "the three ordinary entities are opened, the erased watermarks skipped";
    EXPECT_FALSE(modelLine.isErased());
}

TEST_F(WblockScrub, NoBlockTableMeansNothingHappens) {
    hs::armFault("AcDbDatabase::getSymbolTable", Acad::eNotOpenForRead);
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "----");
}

TEST_F(WblockScrub, NoTableIteratorMeansNothingHappens) {
    hs::armFault("AcDbBlockTable::newIterator", Acad::eOutOfMemory);
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "----");
}

TEST_F(WblockScrub, ARecordThatCannotBeOpenedIsPassedOverAndTheNextScrubbed) {
    hs::armFault("AcDbBlockTableIterator::getRecord", Acad::eWasOpenForWrite, /*skip=*/1);
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "EE-E");
}

TEST_F(WblockScrub, ARecordWithoutEntityIteratorIsSkippedAndTheNextScrubbed) {
    hs::armFault("AcDbBlockTableRecord::newIterator", Acad::eOutOfMemory);
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "--EE");
}

TEST_F(WblockScrub, AnEntityThatCannotBeOpenedIsPassedOverAndTheWalkGoesOn) {
    // The second entity of model space (its first watermark) cannot be
    // opened; the watermark after it in the same record is still found.
    hs::armFault("AcDbBlockTableRecordIterator::getEntity", Acad::eWasOpenForWrite, /*skip=*/1);
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "-EEE");
}

TEST_F(WblockScrub, WatermarksOnLockedLayersAreErasedAndTheLayersStayLocked) {
    setLayerLocked(ACRX_T("0"), true);
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "EEEE");
    EXPECT_FALSE(modelLine.isErased());
    EXPECT_TRUE(layerLocked(ACRX_T("0"))) << "the written drawing keeps its layer states";
    EXPECT_FALSE(g_bAllowErase);
}

TEST_F(WblockScrub, AFailedEraseIsIgnoredAndTheWalkGoesOn) {
    hs::armFault("AcDbObject::erase", Acad::eInvalidInput);
    reactor.endWblock(pDb);
    EXPECT_EQ(erasedMarks(), "-EEE");
}

TEST_F(WblockScrub, AnErasedWatermarkIsNotOpenedAgain) {
    g_bAllowErase = true;
    AcDbEntity* pEnt = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, modelMark1, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(pEnt->erase(), Acad::eOk);
    pEnt->close();
    g_bAllowErase = false;
    int before = hs::faultCalls("AcDbBlockTableRecordIterator::getEntity");
    reactor.endWblock(pDb);
    EXPECT_EQ(hs::faultCalls("AcDbBlockTableRecordIterator::getEntity") - before, 6);
    EXPECT_EQ(erasedMarks(), "EEEE");
}
