// Copying through filing: clone, deep clone (COPY, -ARRAY) and wblock clone.
#include "dbtest.h"

using dbtest::DbTest;
using dbtest::ProbeEntity;

using Copying = DbTest;

namespace {

// COPY's clone of one entity: one deep clone operation, then the transform.
Acad::ErrorStatus copyOne(AcDbObjectId src, const AcGeMatrix3d& xform, AcDbObjectId& copy) {
    std::vector<AcDbObjectId> copies;
    int failed = 0;
    Acad::ErrorStatus es = hs::copyEntities({src}, xform, copies, failed);
    copy = copies.empty() ? AcDbObjectId::kNull : copies[0];
    return es != Acad::eOk ? es : failed > 0 ? Acad::eInvalidInput : Acad::eOk;
}

AcDbDatabase* wblockWhole(AcDbDatabase* pDb) {
    AcDbDatabase* pOut = nullptr;
    EXPECT_EQ(pDb->wblock(pOut), Acad::eOk);
    return pOut;
}

}  // namespace

TEST_F(Copying, CloneGivesANonResidentCopyMadeThroughTheClassesOwnFiling) {
    addLayer("WALLS");
    AcDbObjectId id = addProbe(7.5);
    ProbeEntity* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
    p->setColorIndex(3);
    p->setLayer(ACRX_T("WALLS"));
    p->setLinetypeScale(2.5);
    p->downgradeOpen();
    ProbeEntity::s_reads = 0;
    ProbeEntity* pCopy = ProbeEntity::cast(p->clone());
    p->close();
    ASSERT_NE(pCopy, nullptr);
    EXPECT_EQ(ProbeEntity::s_reads, 1);
    EXPECT_TRUE(pCopy->objectId().isNull());
    EXPECT_EQ(pCopy->value(), 7.5);
    EXPECT_EQ(pCopy->colorIndex(), 3);
    ACHAR* layer = pCopy->layer();
    EXPECT_EQ(hs::toUtf8(layer), "WALLS");
    acdbFree(layer);
    EXPECT_EQ(pCopy->linetypeScale(), 2.5);
    delete pCopy;
}

TEST_F(Copying, CloneGivesNullWhenTheAllocationFails) {
    ProbeEntity src(1.0);
    hs::armFault("AcHeapOperators::new", Acad::eOutOfMemory);
    EXPECT_EQ(src.clone(), nullptr);
}

TEST_F(Copying, TheTransformedCopyOfTheBaseIsACloneTransformed) {
    ProbeEntity src(1.0);
    AcDbEntity* pCopy = nullptr;
    ASSERT_EQ(src.getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0)), pCopy), Acad::eOk);
    EXPECT_EQ(ProbeEntity::cast(pCopy)->value(), 11.0);
    EXPECT_EQ(src.value(), 1.0);
    delete pCopy;
}

TEST_F(Copying, DeepCloneAppendsATransformedCopyToTheOwnerOfTheOriginal) {
    AcDbObjectId block = addBlock("DOOR", 1.0);
    AcDbObjectId src = hs::entitiesOf(block).at(0);
    AcDbObjectId copy;
    ASSERT_EQ(copyOne(src, AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0)), copy), Acad::eOk);
    EXPECT_NE(copy, src);
    EXPECT_EQ(hs::entitiesOf(block), (std::vector<AcDbObjectId>{src, copy}));
    EXPECT_EQ(valueOf(src), 1.0);
    EXPECT_EQ(valueOf(copy), 6.0);
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(Copying, DeepCloneIntoAnotherOwnerAndOfAnErasedEntity) {
    AcDbObjectId src = addProbe(2.0);
    AcDbObjectIdArray ids;
    ids.append(src);
    AcDbObjectId paper = hs::paperSpaceId(db);
    AcDbIdMapping map;
    ASSERT_EQ(db->deepCloneObjects(ids, paper, map), Acad::eOk);
    AcDbIdPair pair(src, AcDbObjectId::kNull, false);
    ASSERT_TRUE(map.compute(pair));
    EXPECT_TRUE(pair.isCloned());
    EXPECT_TRUE(pair.isPrimary());
    EXPECT_EQ(hs::entitiesOf(paper), std::vector<AcDbObjectId>{pair.value()});
    EXPECT_FALSE(pair.value().isNull());
    EXPECT_TRUE(hs::openObjects().empty());
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, src, AcDb::kForWrite), Acad::eOk);
    p->erase();
    p->close();
    AcDbIdMapping again;
    EXPECT_EQ(db->deepCloneObjects(ids, paper, again), Acad::eWasErased);
}

namespace {

struct Snapshot {
    std::vector<std::uint64_t> handles;
    std::vector<bool> erased;
    std::vector<double> values;
};

}  // namespace

TEST_F(Copying, WblockOfTheWholeDrawingCopiesEverySpaceBlockAndLayerAndLeavesTheSourceAlone) {
    AcDbObjectId walls = addLayer("WALLS", /*locked=*/true);
    (void)walls;
    addProbe(1.0);
    AcDbObjectId gone = addProbe(2.0);
    addProbe(3.0, hs::paperSpaceId(db));
    addBlock("DOOR", 4.0);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, gone, AcDb::kForWrite), Acad::eOk);
    p->erase();
    p->close();

    auto snapshot = [&]() {
        Snapshot s;
        for (const AcDbObjectId& id : hs::allObjects(db, true)) {
            s.handles.push_back(id.handle().value());
            s.erased.push_back(id.isErased());
        }
        for (const AcDbObjectId& id : hs::entitiesOf(hs::modelSpaceId(db), true))
            s.values.push_back(valueOf(id));
        return s;
    };
    Snapshot before = snapshot();
    std::uint64_t seed = hs::handseed(db);

    AcDbDatabase* pOut = wblockWhole(db);
    ASSERT_NE(pOut, nullptr);
    Snapshot after = snapshot();
    EXPECT_EQ(before.handles, after.handles);
    EXPECT_EQ(before.erased, after.erased);
    EXPECT_EQ(before.values, after.values);
    EXPECT_EQ(hs::handseed(db), seed);
    EXPECT_TRUE(hs::openObjects().empty());

    std::vector<AcDbObjectId> model = hs::entitiesOf(hs::modelSpaceId(pOut), true);
    ASSERT_EQ(model.size(), 1u);  // the erased entity is not written
    EXPECT_EQ(model[0].database(), pOut);
    ProbeEntity* pEnt = nullptr;
    ASSERT_EQ(acdbOpenObject(pEnt, model[0], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pEnt->value(), 1.0);
    pEnt->close();
    EXPECT_EQ(hs::entitiesOf(hs::paperSpaceId(pOut)).size(), 1u);

    AcDbBlockTable* pBlocks = nullptr;
    ASSERT_EQ(pOut->getBlockTable(pBlocks, AcDb::kForRead), Acad::eOk);
    AcDbObjectId door;
    EXPECT_EQ(pBlocks->getAt(ACRX_T("DOOR"), door), Acad::eOk);
    pBlocks->close();
    EXPECT_EQ(hs::entitiesOf(door).size(), 1u);

    AcDbLayerTable* pLayers = nullptr;
    ASSERT_EQ(pOut->getLayerTable(pLayers, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableRecord* pWalls = nullptr;
    ASSERT_EQ(pLayers->getAt(ACRX_T("WALLS"), pWalls, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pWalls->isLocked());
    pWalls->close();
    pLayers->close();
    delete pOut;
}

TEST_F(Copying, WblockOfASelectionWritesOnlyThoseEntitiesIntoModelSpace) {
    AcDbObjectId a = addProbe(1.0);
    addProbe(2.0);
    AcDbObjectId c = addProbe(3.0, hs::paperSpaceId(db));
    AcDbObjectIdArray selection;
    selection.append(a);
    selection.append(c);
    AcDbDatabase* pOut = nullptr;
    ASSERT_EQ(db->wblock(pOut, selection, AcGePoint3d(0, 0, 0)), Acad::eOk);
    ASSERT_NE(pOut, nullptr);
    std::vector<double> values;
    for (const AcDbObjectId& id : hs::entitiesOf(hs::modelSpaceId(pOut)))
        values.push_back(valueOf(id));
    EXPECT_EQ(values, (std::vector<double>{1.0, 3.0}));
    EXPECT_TRUE(hs::entitiesOf(hs::paperSpaceId(pOut)).empty());
    delete pOut;
}

TEST_F(Copying, WblockOfABlockMakesItsEntitiesTheModelSpace) {
    addProbe(1.0);
    AcDbObjectId window = addBlock("WINDOW", 9.0);
    AcDbDatabase* pOut = nullptr;
    ASSERT_EQ(db->wblock(pOut, window), Acad::eOk);
    ASSERT_NE(pOut, nullptr);
    std::vector<AcDbObjectId> model = hs::entitiesOf(hs::modelSpaceId(pOut));
    ASSERT_EQ(model.size(), 1u);
    EXPECT_EQ(valueOf(model[0]), 9.0);
    delete pOut;
    EXPECT_EQ(db->wblock(pOut, AcDbObjectId::kNull), Acad::eNullObjectId);
    EXPECT_EQ(pOut, nullptr);
}

TEST_F(Copying, WblockSkipsErasedBlockDefinitions) {
    AcDbObjectId block = addBlock("OLD", 1.0);
    AcDbBlockTableRecord* pRec = nullptr;
    ASSERT_EQ(acdbOpenObject(pRec, block, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(pRec->erase(), Acad::eOk);
    pRec->close();
    AcDbDatabase* pOut = wblockWhole(db);
    AcDbBlockTable* pBlocks = nullptr;
    ASSERT_EQ(pOut->getBlockTable(pBlocks, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(pBlocks->has(ACRX_T("OLD")));
    pBlocks->close();
    delete pOut;
}

// ---- draw order ----

using DrawOrder = DbTest;

TEST_F(DrawOrder, SendToBackAndBringToFrontKeepTheMovedEntitiesInTheirOrder) {
    AcDbObjectId a = addProbe(1.0), b = addProbe(2.0), c = addProbe(3.0), d = addProbe(4.0);
    AcDbObjectId ms = hs::modelSpaceId(db);
    EXPECT_FALSE(hs::drawOrderDiffers(ms));
    hs::sendToBack({d, c});
    EXPECT_EQ(hs::drawOrder(ms), (std::vector<AcDbObjectId>{c, d, a, b}));
    EXPECT_TRUE(hs::drawOrderDiffers(ms));
    hs::bringToFront({c});
    EXPECT_EQ(hs::drawOrder(ms), (std::vector<AcDbObjectId>{d, a, b, c}));
    AcDbObjectId e = addProbe(5.0);
    EXPECT_EQ(hs::drawOrder(ms).back(), e);
    EXPECT_EQ(hs::entitiesOf(ms), (std::vector<AcDbObjectId>{a, b, c, d, e}));
}

TEST_F(DrawOrder, AGivenOrderIsCompletedWithTheEntitiesItDoesNotName) {
    AcDbObjectId a = addProbe(1.0), b = addProbe(2.0), c = addProbe(3.0);
    AcDbObjectId ms = hs::modelSpaceId(db);
    hs::setDrawOrder(ms, {c, a});
    EXPECT_EQ(hs::drawOrder(ms), (std::vector<AcDbObjectId>{c, a, b}));
    hs::setDrawOrder(ms, {a, b, c});
    EXPECT_FALSE(hs::drawOrderDiffers(ms));
}

TEST_F(DrawOrder, WblockKeepsTheDrawOrder) {
    addProbe(1.0);
    AcDbObjectId b = addProbe(2.0);
    hs::sendToBack({b});
    AcDbDatabase* pOut = wblockWhole(db);
    std::vector<double> values;
    for (const AcDbObjectId& id : hs::drawOrder(hs::modelSpaceId(pOut)))
        values.push_back(valueOf(id));
    EXPECT_EQ(values, (std::vector<double>{2.0, 1.0}));
    delete pOut;
}

TEST_F(Copying, WblockCloneObjectsTakesTheLayerAndItsLinetypeAlongIntoAnotherDatabase) {
    AcDbObjectId walls = addLayer("WALLS");
    AcDbObjectId src = addProbe(4.0);
    ProbeEntity* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, src, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(p->setLayer(walls), Acad::eOk);
    p->close();
    AcDbDatabase target;
    AcDbObjectIdArray ids;
    ids.append(src);
    AcDbObjectId owner = hs::modelSpaceId(&target);
    AcDbIdMapping map;
    ASSERT_EQ(db->wblockCloneObjects(ids, owner, map, AcDb::kDrcIgnore), Acad::eOk);
    EXPECT_EQ(map.deepCloneContext(), AcDb::kDcWblkObjects);
    std::vector<AcDbObjectId> model = hs::entitiesOf(owner);
    ASSERT_EQ(model.size(), 1u);
    EXPECT_EQ(valueOf(model[0]), 4.0);
    AcDbLayerTable* pLayers = nullptr;
    ASSERT_EQ(target.getLayerTable(pLayers, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pLayers->has(ACRX_T("WALLS")));
    pLayers->close();
    AcDbEntity* pEnt = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, model[0], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pEnt->layerId().database(), &target);
    pEnt->close();
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(Copying, TheIdMapKeepsItsPairsInOrderAndIteratesThem) {
    AcDbObjectId a = addProbe(1.0), b = addProbe(2.0);
    AcDbIdMapping map;
    ASSERT_EQ(map.assign(AcDbIdPair(a, b, true, true)), Acad::eOk);
    ASSERT_EQ(map.assign(AcDbIdPair(b, a, false)), Acad::eOk);
    AcDbIdPair pair(a, AcDbObjectId::kNull, false);
    ASSERT_TRUE(map.compute(pair));
    EXPECT_EQ(pair.value(), b);
    EXPECT_TRUE(pair.isPrimary());
    AcDbIdMappingIter it(map);
    std::vector<AcDbObjectId> keys;
    for (it.start(); !it.done(); it.next()) {
        AcDbIdPair p;
        ASSERT_TRUE(it.getMap(p));
        keys.push_back(p.key());
    }
    EXPECT_EQ(keys, (std::vector<AcDbObjectId>{a, b}));
    EXPECT_TRUE(map.del(a));
    EXPECT_FALSE(map.compute(pair));
    AcDbDatabase* pDest = nullptr;
    EXPECT_EQ(map.destDb(pDest), Acad::eNoDatabase);
}
