// The default drawing, handles, symbol tables and iterators.
#include <set>

#include "dbtest.h"

using dbtest::DbTest;
using dbtest::ProbeEntity;

using Structure = DbTest;

TEST_F(Structure, ANewDrawingHasBothSpacesLayerZeroInWhiteAndTheThreeLinetypes) {
    AcDbBlockTable* pBlocks = nullptr;
    ASSERT_EQ(db->getBlockTable(pBlocks, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pBlocks->has(ACDB_MODEL_SPACE));
    EXPECT_TRUE(pBlocks->has(ACRX_T("*paper_space")));
    pBlocks->close();

    AcDbLayerTable* pLayers = nullptr;
    ASSERT_EQ(db->getLayerTable(pLayers, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableRecord* pZero = nullptr;
    ASSERT_EQ(pLayers->getAt(ACRX_T("0"), pZero, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pZero->color().colorIndex(), 7);
    EXPECT_FALSE(pZero->isLocked());
    pZero->close();
    pLayers->close();

    AcDbLinetypeTable* pTypes = nullptr;
    ASSERT_EQ(db->getLinetypeTable(pTypes, AcDb::kForRead), Acad::eOk);
    for (const ACHAR* name : {ACRX_T("ByBlock"), ACRX_T("ByLayer"), ACRX_T("Continuous")})
        EXPECT_TRUE(pTypes->has(name)) << hs::toUtf8(name);
    pTypes->close();
    EXPECT_EQ(db->byLayerLinetype(), hs::idFromHandle(db, db->byLayerLinetype().handle().value()));
}

TEST_F(Structure, HandlesAreUniqueAndFindTheirObjects) {
    std::set<std::uint64_t> handles;
    for (const AcDbObjectId& id : hs::allObjects(db))
        EXPECT_TRUE(handles.insert(id.handle().value()).second);
    AcDbObjectId a = addProbe(1.0);
    AcDbObjectId b = addProbe(2.0);
    EXPECT_NE(a.handle(), b.handle());
    EXPECT_EQ(handles.count(a.handle().value()), 0u);
    AcDbObjectId found;
    ASSERT_EQ(db->getAcDbObjectId(found, false, b.handle()), Acad::eOk);
    EXPECT_EQ(found, b);
    EXPECT_EQ(db->getAcDbObjectId(found, false, AcDbHandle(0xFFFFF)), Acad::eKeyNotFound);
    EXPECT_EQ(hs::className(a), "ProbeEntity");
}

TEST_F(Structure, AnObjectAddedWithAHandleKeepsItAndAnEarlierReferenceFindsIt) {
    AcDbObjectId forward;
    ASSERT_EQ(db->getAcDbObjectId(forward, true, AcDbHandle(0x500)), Acad::eOk);
    EXPECT_FALSE(forward.isValid());
    AcDbObjectId id;
    ProbeEntity* p = new ProbeEntity(4.0);
    ASSERT_EQ(hs::addObject(db, p, hs::modelSpaceId(db), AcDbHandle(0x500), id), Acad::eOk);
    p->close();
    EXPECT_EQ(id, forward);
    EXPECT_TRUE(forward.isValid());
    EXPECT_GT(hs::handseed(db), 0x500u);
    ProbeEntity* q = new ProbeEntity(5.0);
    EXPECT_EQ(hs::addObject(db, q, hs::modelSpaceId(db), AcDbHandle(0x500), id), Acad::eDuplicateKey);
    delete q;
}

TEST_F(Structure, AppendingToARecordKeepsTheRecordOrderAndTheOwner) {
    AcDbObjectId a = addProbe(1.0);
    AcDbObjectId b = addProbe(2.0);
    std::vector<AcDbObjectId> expected{a, b};
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(db)), expected);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, b, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(p->blockId(), hs::modelSpaceId(db));
    EXPECT_EQ(p->database(), db);
    p->close();
}

TEST_F(Structure, AppendingAnEntityAlreadyInTheDatabaseIsRefused) {
    AcDbObjectId a = addProbe(1.0);
    AcDbBlockTableRecord* pRec = nullptr;
    ASSERT_EQ(acdbOpenObject(pRec, hs::modelSpaceId(db), AcDb::kForWrite), Acad::eOk);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, a, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pRec->appendAcDbEntity(p), Acad::eAlreadyInDb);
    EXPECT_EQ(pRec->appendAcDbEntity(nullptr), Acad::eNullEntityPointer);
    p->close();
    pRec->close();
}

TEST_F(Structure, TheRecordIteratorSkipsErasedEntitiesInBothDirections) {
    AcDbObjectId a = addProbe(1.0);
    AcDbObjectId b = addProbe(2.0);
    AcDbObjectId c = addProbe(3.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, b, AcDb::kForWrite), Acad::eOk);
    p->erase();
    p->close();

    AcDbBlockTableRecord* pRec = nullptr;
    ASSERT_EQ(acdbOpenObject(pRec, hs::modelSpaceId(db), AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecordIterator* pIt = nullptr;
    ASSERT_EQ(pRec->newIterator(pIt), Acad::eOk);
    std::vector<AcDbObjectId> seen;
    for (pIt->start(); !pIt->done(); pIt->step()) {
        AcDbObjectId id;
        pIt->getEntityId(id);
        seen.push_back(id);
    }
    EXPECT_EQ(seen, (std::vector<AcDbObjectId>{a, c}));
    seen.clear();
    for (pIt->start(false); !pIt->done(); pIt->step(false)) {
        AcDbEntity* pEnt = nullptr;
        ASSERT_EQ(pIt->getEntity(pEnt, AcDb::kForRead), Acad::eOk);
        seen.push_back(pEnt->objectId());
        pEnt->close();
    }
    EXPECT_EQ(seen, (std::vector<AcDbObjectId>{c, a}));
    seen.clear();
    for (pIt->start(true, false); !pIt->done(); pIt->step(true, false)) {
        AcDbObjectId id;
        pIt->getEntityId(id);
        seen.push_back(id);
    }
    EXPECT_EQ(seen.size(), 3u);
    delete pIt;
    pRec->close();
}

TEST_F(Structure, TheBlockTableIteratorVisitsTheSpacesThenTheBlocks) {
    addBlock("DOOR", 1.0);
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(db->getSymbolTable(pTable, AcDb::kForRead), Acad::eOk);
    AcDbBlockTableIterator* pIt = nullptr;
    ASSERT_EQ(pTable->newIterator(pIt), Acad::eOk);
    std::vector<std::string> names;
    for (; !pIt->done(); pIt->step()) {
        AcDbBlockTableRecord* pRec = nullptr;
        ASSERT_EQ(pIt->getRecord(pRec, AcDb::kForWrite), Acad::eOk);
        const ACHAR* name = nullptr;
        pRec->getName(name);
        names.push_back(hs::toUtf8(name));
        pRec->close();
    }
    delete pIt;
    pTable->close();
    EXPECT_EQ(names, (std::vector<std::string>{"*Model_Space", "*Paper_Space", "DOOR"}));
}

TEST_F(Structure, ArmedTableFaultsFailTheirOperation) {
    hs::armFault("AcDbDatabase::getSymbolTable", Acad::eOutOfMemory);
    AcDbBlockTable* pTable = nullptr;
    EXPECT_EQ(db->getSymbolTable(pTable, AcDb::kForRead), Acad::eOutOfMemory);
    ASSERT_EQ(db->getSymbolTable(pTable, AcDb::kForRead), Acad::eOk);
    hs::armFault("AcDbBlockTable::newIterator", Acad::eOutOfMemory);
    AcDbBlockTableIterator* pIt = nullptr;
    EXPECT_EQ(pTable->newIterator(pIt), Acad::eOutOfMemory);
    EXPECT_EQ(pIt, nullptr);
    ASSERT_EQ(pTable->newIterator(pIt), Acad::eOk);
    hs::armFault("AcDbBlockTableIterator::getRecord", Acad::eWasOpenForWrite);
    AcDbBlockTableRecord* pRec = nullptr;
    EXPECT_EQ(pIt->getRecord(pRec, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(pRec, nullptr);
    delete pIt;
    pTable->close();
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(Structure, ARecordNameMustBeUniqueInItsTable) {
    addLayer("WALLS");
    AcDbLayerTable* pTable = nullptr;
    ASSERT_EQ(db->getLayerTable(pTable, AcDb::kForWrite), Acad::eOk);
    AcDbLayerTableRecord* pLayer = new AcDbLayerTableRecord();
    pLayer->setName(ACRX_T("walls"));
    EXPECT_EQ(pTable->add(pLayer), Acad::eDuplicateKey);
    delete pLayer;
    AcDbObjectId id;
    EXPECT_EQ(pTable->getAt(ACRX_T("Walls"), id), Acad::eOk);
    EXPECT_EQ(pTable->getAt(ACRX_T("ROOF"), id), Acad::eKeyNotFound);
    pTable->close();
}

TEST_F(Structure, AnAllocationFaultMakesNewGiveNull) {
    hs::armFault("AcHeapOperators::new", Acad::eOutOfMemory);
    ProbeEntity* p = new ProbeEntity(1.0);
    EXPECT_EQ(p, nullptr);
    p = new ProbeEntity(1.0);
    EXPECT_NE(p, nullptr);
    delete p;
}
