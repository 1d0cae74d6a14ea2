// Opening and closing objects by id, with the host's rules and statuses.
#include "dbtest.h"

using dbtest::DbTest;
using dbtest::ProbeEntity;

using OpenRules = DbTest;

TEST_F(OpenRules, AnObjectOpensForReadManyTimesAndStaysOpenUntilEveryReaderCloses) {
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* a = nullptr;
    AcDbEntity* b = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(a, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenAcDbEntity(b, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(a, b);
    a->close();
    EXPECT_EQ(hs::openObjects().size(), 1u);
    b->close();
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(OpenRules, ASecondWriteOpenIsRefusedWithWasOpenForWrite) {
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* a = nullptr;
    AcDbEntity* b = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(a, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(acdbOpenAcDbEntity(b, id, AcDb::kForWrite), Acad::eWasOpenForWrite);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(acdbOpenAcDbEntity(b, id, AcDb::kForRead), Acad::eWasOpenForWrite);
    a->close();
}

TEST_F(OpenRules, AWriteOpenOfAnObjectOpenForReadIsRefusedWithWasOpenForRead) {
    AcDbObjectId id = addProbe(1.0);
    AcDbObject* a = nullptr;
    AcDbObject* b = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(a, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(acdbOpenAcDbObject(b, id, AcDb::kForWrite), Acad::eWasOpenForRead);
    a->close();
    EXPECT_EQ(acdbOpenAcDbObject(b, id, AcDb::kForWrite), Acad::eOk);
    b->close();
}

TEST_F(OpenRules, UpgradeOpenWorksForTheOnlyReaderAndNotWhenOthersRead) {
    AcDbObjectId id = addProbe(1.0);
    ProbeEntity* a = nullptr;
    ProbeEntity* b = nullptr;
    ASSERT_EQ(acdbOpenObject(a, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(b, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(a->upgradeOpen(), Acad::eHadMultipleReaders);
    b->close();
    EXPECT_EQ(a->upgradeOpen(), Acad::eOk);
    EXPECT_TRUE(a->isWriteEnabled());
    a->setValue(2.0);
    EXPECT_EQ(a->upgradeOpen(), Acad::eWasOpenForWrite);
    EXPECT_EQ(a->downgradeOpen(), Acad::eOk);
    EXPECT_FALSE(a->isWriteEnabled());
    a->close();
    EXPECT_EQ(valueOf(id), 2.0);
}

TEST_F(OpenRules, AnObjectOutsideTheDatabaseCountsAsOpenForWrite) {
    ProbeEntity ent(1.0);
    EXPECT_TRUE(ent.isReadEnabled());
    EXPECT_TRUE(ent.isWriteEnabled());
    EXPECT_EQ(ent.upgradeOpen(), Acad::eWasOpenForWrite);
    EXPECT_TRUE(ent.objectId().isNull());
    EXPECT_EQ(ent.database(), nullptr);
    ent.setValue(3.0);
    EXPECT_EQ(ent.value(), 3.0);
}

TEST_F(OpenRules, AnErasedObjectOpensOnlyWhenErasedObjectsAreAskedFor) {
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(p->erase(), Acad::eOk);
    p->close();
    EXPECT_TRUE(id.isErased());
    EXPECT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead), Acad::eWasErased);
    EXPECT_EQ(p, nullptr);
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead, /*openErasedEntity=*/true), Acad::eOk);
    EXPECT_TRUE(p->isErased());
    p->close();
}

TEST_F(OpenRules, AWriteOpenOfAnEntityOnALockedLayerIsRefused) {
    addLayer("LOCKED", /*locked=*/true);
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(p->setLayer(ACRX_T("LOCKED")), Acad::eOk);
    p->close();
    EXPECT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForWrite), Acad::eOnLockedLayer);
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(p->upgradeOpen(), Acad::eOnLockedLayer);
    p->close();
}

TEST_F(OpenRules, OpeningALayerAsAnEntityIsRefusedWithoutOpeningIt) {
    AcDbObjectId layer = addLayer("WALLS");
    AcDbEntity* p = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(p, layer, AcDb::kForRead), Acad::eNotThatKindOfClass);
    EXPECT_EQ(p, nullptr);
    EXPECT_TRUE(hs::openObjects().empty());
    AcDbLayerTableRecord* pLayer = nullptr;
    EXPECT_EQ(acdbOpenObject(pLayer, layer, AcDb::kForRead), Acad::eOk);
    pLayer->close();
    AcDbBlockTableRecord* pBlock = nullptr;
    EXPECT_EQ(acdbOpenObject(pBlock, layer, AcDb::kForRead), Acad::eNotThatKindOfClass);
    EXPECT_EQ(pBlock, nullptr);
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(OpenRules, AnArmedOpenFaultFailsTheOpenWithItsStatus) {
    AcDbObjectId id = addProbe(1.0);
    hs::armFault("acdbOpenAcDbEntity", Acad::eOutOfMemory);
    AcDbEntity* p = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead), Acad::eOutOfMemory);
    EXPECT_EQ(p, nullptr);
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead), Acad::eOk);
    p->close();
}

TEST_F(OpenRules, ANullIdIsRefused) {
    AcDbObject* p = nullptr;
    EXPECT_EQ(acdbOpenAcDbObject(p, AcDbObjectId::kNull, AcDb::kForRead), Acad::eNullObjectId);
}

TEST_F(OpenRules, AnObjectLeftOpenWhenACommandEndsIsReportedAsAHostFault) {
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForWrite), Acad::eOk);
    int faults = hs::Session::get().faultCount();
    endCommand("LEAKY");
    EXPECT_EQ(hs::Session::get().faultCount(), faults + 1);
    EXPECT_NE(printed().find("still open for write at the end of the command LEAKY"), std::string::npos)
        << printed();
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(OpenRules, ClosingAnObjectThatIsNotOpenIsAHostFault) {
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead), Acad::eOk);
    p->close();
    int faults = hs::Session::get().faultCount();
    EXPECT_NE(p->close(), Acad::eOk);
    EXPECT_EQ(hs::Session::get().faultCount(), faults + 1);
}

using OpenRulesDeathTest = DbTest;

TEST_F(OpenRulesDeathTest, WritingToAnObjectOpenForReadEndsTheHost) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    AcDbObjectId id = addProbe(1.0);
    ProbeEntity* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EXIT(p->setValue(2.0), ::testing::ExitedWithCode(3), "");
    p->close();
}

TEST_F(OpenRulesDeathTest, ReadingAClosedObjectEndsTheHost) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    AcDbObjectId id = addProbe(1.0);
    ProbeEntity* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForRead), Acad::eOk);
    p->close();
    EXPECT_EXIT(p->value(), ::testing::ExitedWithCode(3), "");
}

// ---- erasing ----

using Erasing = DbTest;

TEST_F(Erasing, EraseTwiceGivesWasErasedAndUneraseOfALiveObjectGivesWasNotErased) {
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(p->erase(false), Acad::eWasNotErased);
    EXPECT_EQ(p->erase(), Acad::eOk);
    EXPECT_EQ(p->erase(), Acad::eWasErased);
    EXPECT_EQ(p->erase(false), Acad::eOk);
    EXPECT_FALSE(p->isErased());
    p->close();
}

TEST_F(Erasing, ARefusingEraseHookStopsTheEraseAndItsStatusIsReturned) {
    AcDbObjectId id = addProbe(1.0);
    ProbeEntity::s_refuseErase = true;
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(p->erase(), Acad::eInvalidInput);
    EXPECT_FALSE(p->isErased());
    EXPECT_EQ(ProbeEntity::s_eraseCalls, 1);
    p->close();
}

TEST_F(Erasing, EraseNeedsTheObjectOpenForWrite) {
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(p->erase(), Acad::eNotOpenForWrite);
    EXPECT_FALSE(id.isErased());
    p->close();
}

TEST_F(Erasing, TheSpacesLayerZeroAndTheStandardLinetypesCannotBeErased) {
    for (AcDbObjectId id :
         {hs::modelSpaceId(db), hs::paperSpaceId(db), db->continuousLinetype(), db->clayer()}) {
        AcDbObject* p = nullptr;
        ASSERT_EQ(acdbOpenAcDbObject(p, id, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(p->erase(), Acad::eCannotBeErasedByCaller) << hs::className(id);
        p->close();
        EXPECT_FALSE(id.isErased());
    }
}

TEST_F(OpenRules, The257thReaderIsRefusedWithAtMaxReaders) {
    AcDbObjectId id = addProbe(1.0);
    std::vector<AcDbObject*> readers;
    for (int i = 0; i < 256; ++i) {
        AcDbObject* p = nullptr;
        ASSERT_EQ(acdbOpenAcDbObject(p, id, AcDb::kForRead), Acad::eOk) << "reader " << i + 1;
        readers.push_back(p);
    }
    AcDbObject* extra = nullptr;
    EXPECT_EQ(acdbOpenAcDbObject(extra, id, AcDb::kForRead), Acad::eAtMaxReaders);
    EXPECT_EQ(extra, nullptr);
    readers.back()->close();
    readers.pop_back();
    EXPECT_EQ(acdbOpenAcDbObject(extra, id, AcDb::kForRead), Acad::eOk) << "a reader closed makes room";
    extra->close();
    for (AcDbObject* p : readers)
        p->close();
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(OpenRules, OpeningWithAClassRefusesAnObjectOfAnotherClass) {
    AcDbObjectId id = addProbe(1.0);
    AcDbObject* p = nullptr;
    EXPECT_EQ(acdbOpenAcDbObject(p, id, AcDb::kForRead, false, AcDbBlockTableRecord::desc()),
              Acad::eNotThatKindOfClass);
    EXPECT_EQ(p, nullptr);
    ASSERT_EQ(acdbOpenAcDbObject(p, id, AcDb::kForRead, false, AcDbEntity::desc()), Acad::eOk);
    p->close();
}

// ---- the database's current properties on new entities ----

using DatabaseDefaults = DbTest;

TEST_F(DatabaseDefaults, AnAppendedEntityTakesTheCurrentLayerAndPropertiesItNeverSet) {
    AcDbObjectId walls = addLayer("WALLS");
    ASSERT_EQ(db->setClayer(walls), Acad::eOk);
    AcCmColor red;
    red.setColorIndex(1);
    ASSERT_EQ(db->setCecolor(red), Acad::eOk);
    ASSERT_EQ(db->setCeltscale(3.0), Acad::eOk);
    ASSERT_EQ(db->setCelweight(AcDb::kLnWt050), Acad::eOk);
    AcDbObjectId id = addProbe(1.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForRead), Acad::eOk);
    ACHAR* layer = p->layer();
    EXPECT_EQ(hs::toUtf8(layer), "WALLS");
    acdbFree(layer);
    EXPECT_EQ(p->colorIndex(), 1);
    EXPECT_EQ(p->linetypeScale(), 3.0);
    EXPECT_EQ(p->lineWeight(), AcDb::kLnWt050);
    p->close();
}

TEST_F(DatabaseDefaults, WhatTheEntitySetItselfIsKept) {
    AcDbObjectId walls = addLayer("WALLS");
    ASSERT_EQ(db->setClayer(walls), Acad::eOk);
    AcCmColor red;
    red.setColorIndex(1);
    db->setCecolor(red);
    ProbeEntity* pNew = new ProbeEntity(2.0);
    pNew->setLayer(ACRX_T("0"));
    pNew->setColorIndex(5);
    AcDbBlockTableRecord* pMs = nullptr;
    ASSERT_EQ(acdbOpenObject(pMs, hs::modelSpaceId(db), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    ASSERT_EQ(pMs->appendAcDbEntity(id, pNew), Acad::eOk);
    ACHAR* layer = pNew->layer();
    EXPECT_EQ(hs::toUtf8(layer), "0");
    acdbFree(layer);
    EXPECT_EQ(pNew->colorIndex(), 5);
    // Asked for explicitly, every property takes the database's value.
    pNew->setDatabaseDefaults();
    layer = pNew->layer();
    EXPECT_EQ(hs::toUtf8(layer), "WALLS");
    acdbFree(layer);
    EXPECT_EQ(pNew->colorIndex(), 1);
    pNew->close();
    pMs->close();
}
