// The host's cloning protocol: deepClone and wblockClone of objects (a clone
// pass through the object's own filing), the id translation pass, and the
// database entry points deepCloneObjects and wblockCloneObjects with their
// notifications. COPY, -ARRAY, WBLOCK and INSERT all go through here.
//
// The clone pass: make an object of the same class, add it under the owner
// (appendAcDbEntity for an entity owned by a block table record), write the
// original with a deep clone (or wblock clone) filer, read the clone from it,
// mark the clone's ids in flux, record the pair, then clone what the filer
// saw written as owned (and, for wblock, as hard pointers) with the clone as
// owner. The translation pass writes every clone with an id translation
// filer and reads it back through the map: an id in the map becomes its
// clone, an id of the destination database stays, any other id becomes null.
#include <unordered_map>
#include <unordered_set>

#include "aced.h"
#include "db/dbimp.h"
#include "db/proxy.h"
#include "dbsymtb.h"
#include "filing/dwgfiler.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

namespace hs {

Acad::ErrorStatus withOpen(AcDbObjectId id, AcDb::OpenMode mode,
                           const std::function<Acad::ErrorStatus(AcDbObject*)>& fn) {
    AcDbStub* stub = id.stub();
    if (stub == nullptr || stub->pObject == nullptr)
        return Acad::eKeyNotFound;
    if (stub->writer || (mode == AcDb::kForRead && stub->readers > 0))
        return fn(stub->pObject);
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = openInternal(id, mode, pObj);
    if (es != Acad::eOk)
        return es;
    es = fn(pObj);
    closeInternal(pObj);
    return es;
}

namespace {

void closeIfOpen(AcDbObject* pObj) {
    AcDbStub* stub = pObj != nullptr ? pObj->hsStub() : nullptr;
    if (stub != nullptr && (stub->writer || stub->readers > 0))
        closeInternal(pObj);
}

bool isCloned(const AcDbIdMapping& map, AcDbObjectId id) {
    AcDbIdPair pair(id, AcDbObjectId::kNull, false);
    return map.compute(pair) && pair.isCloned();
}

// A symbol table record into the destination's table: mapped onto the
// record of the same name there, or cloned.
Acad::ErrorStatus cloneRecord(AcDbObjectId srcRec, AcDbObjectId dstTable, AcDbIdMapping& map) {
    if (srcRec.isNull() || dstTable.isNull() || srcRec.stub()->pObject == nullptr)
        return Acad::eOk;
    AcDbIdPair known(srcRec, AcDbObjectId::kNull, false);
    if (map.compute(known))
        return Acad::eOk;
    map.assign(AcDbIdPair(srcRec.stub()->owner, dstTable, false));
    AcDbObjectId existing = findEntry(dstTable, recordName(srcRec), false);
    if (!existing.isNull())
        return map.assign(AcDbIdPair(srcRec, existing, false));
    if (const AcDbLayerTableRecord* pLayer = AcDbLayerTableRecord::cast(srcRec.stub()->pObject)) {
        AcDbObjectId lt = pLayer->hsLinetypeId();
        if (!lt.isNull())
            cloneRecord(lt, dstTable.database()->linetypeTableId(), map);
    }
    return withOpen(dstTable, AcDb::kForWrite, [&](AcDbObject* pTable) {
        return withOpen(srcRec, AcDb::kForRead, [&](AcDbObject* pRec) {
            AcDbObject* pClone = nullptr;
            Acad::ErrorStatus es = pRec->wblockClone(pTable, pClone, map, false);
            closeIfOpen(pClone);
            return es;
        });
    });
}

// An entity's layer and linetype are hard pointers in the host's files: a
// wblock clone into another database takes their records along.
Acad::ErrorStatus cloneEntityRecords(const AcDbEntity* pEnt, AcDbIdMapping& map, AcDbDatabase* pDest) {
    AcDbDatabase* pSrcDb = pEnt->database();
    if (pSrcDb == nullptr || pSrcDb == pDest)
        return Acad::eOk;
    Acad::ErrorStatus es = cloneRecord(pEnt->linetypeId(), pDest->linetypeTableId(), map);
    if (es == Acad::eOk)
        es = cloneRecord(pEnt->layerId(), pDest->layerTableId(), map);
    return es;
}

}  // namespace

void discardClone(AcDbObject* pClone) {
    AcDbStub* stub = pClone->hsStub();
    if (stub == nullptr) {
        delete pClone;
        return;
    }
    stub->erased = true;
    stub->inFlux = false;
    closeIfOpen(pClone);
}

Acad::ErrorStatus defaultClone(const AcDbObject* pSrc, AcRxObject* pOwnerRx, AcDbObject*& pClone,
                               AcDbIdMapping& map, bool isPrimary, bool wblock) {
    pClone = nullptr;
    pSrc->assertReadEnabled();
    AcDbObjectId srcId = pSrc->objectId();
    if (srcId.isNull())
        return Acad::eNotInDatabase;
    if (isCloned(map, srcId))
        return Acad::eOk;
    // A proxy is cloned only where its class's flags allow it.
    if (!cloningAllowed(pSrc)) {
        // Commands that copy entities tell of their refusals beforehand; a
        // proxy object is cloned only through the API, which tells here.
        if (wblock)
            Session::get().print(proxyRefusalLine(srcId, "written out"));
        else if (proxyObject(const_cast<AcDbObject*>(pSrc)) != nullptr)
            Session::get().print(proxyRefusalLine(srcId, "copied"));
        return Acad::eNotAllowedForThisProxy;
    }
    AcDbDatabase* pDest = nullptr;
    if (map.destDb(pDest) != Acad::eOk)
        return Acad::eInvalidIdMap;

    // The owner: an object, or (wblock of what a hard pointer refers to) the
    // destination database, where the clone of the original's owner is found.
    AcDbObject* pOwner = AcDbObject::cast(pOwnerRx);
    AcDbObjectId ownerId = pOwner != nullptr ? pOwner->objectId() : AcDbObjectId::kNull;
    if (pOwner == nullptr && AcDbDatabase::cast(pOwnerRx) != nullptr) {
        AcDbIdPair owner(pSrc->ownerId(), AcDbObjectId::kNull, false);
        if (!map.compute(owner) || owner.value().isNull())
            return Acad::eOwnerNotSet;
        ownerId = owner.value();
    }
    if (ownerId.isNull())
        return Acad::eInvalidOwnerObject;

    if (wblock)
        if (const AcDbEntity* pSrcEnt = AcDbEntity::cast(pSrc)) {
            Acad::ErrorStatus es = cloneEntityRecords(pSrcEnt, map, pDest);
            if (es != Acad::eOk)
                return es;
        }

    AcRxClass* cls = pSrc->isA();
    AcRxObject* pMade = cls != nullptr ? cls->create() : nullptr;
    if (pMade == nullptr)
        return Acad::eOutOfMemory;
    AcDbObject* pNew = AcDbObject::cast(pMade);
    if (pNew == nullptr) {
        delete pMade;
        return Acad::eWrongObjectType;
    }
    AcDbObjectId newId;
    Acad::ErrorStatus es;
    AcDbBlockTableRecord* pBtr = AcDbBlockTableRecord::cast(pOwner);
    AcDbEntity* pEnt = AcDbEntity::cast(pNew);
    if (pBtr != nullptr && pEnt != nullptr)
        es = pBtr->appendAcDbEntity(newId, pEnt);
    else
        es = addObject(ownerId.database(), pNew, ownerId, AcDbHandle(), newId);
    if (es != Acad::eOk) {
        delete pNew;
        return es;
    }

    DwgFiler filer(wblock ? AcDb::kWblockCloneFiler : AcDb::kDeepCloneFiler, pDest);
    filer.setSubject(pSrc);
    es = pSrc->dwgOut(&filer);
    if (es == Acad::eOk) {
        filer.rewind();
        filer.setSubject(pNew);
        es = pNew->dwgIn(&filer);
    }
    if (es != Acad::eOk) {
        discardClone(pNew);
        return es;
    }
    pNew->setAcDbObjectIdsInFlux();
    map.assign(AcDbIdPair(srcId, newId, true, isPrimary, true));
    pClone = pNew;

    // What the original owns (and for wblock what it points to) follows,
    // non-primary, the clone as owner.
    for (const DwgFiler::Follow& f : filer.idsToFollow()) {
        // Anything the map knows already (cloned, or mapped onto a record of
        // the destination) is not cloned again.
        AcDbIdPair known(f.id, AcDbObjectId::kNull, false);
        if (map.compute(known) || f.id.stub()->pObject == nullptr || f.id.stub()->erased)
            continue;
        es = withOpen(f.id, AcDb::kForRead, [&](AcDbObject* pSub) {
            AcDbObject* pSubClone = nullptr;
            Acad::ErrorStatus st = wblock
                                       ? pSub->wblockClone(f.owned ? static_cast<AcRxObject*>(pNew) : pDest,
                                                           pSubClone, map, false)
                                       : pSub->deepClone(pNew, pSubClone, map, false);
            closeIfOpen(pSubClone);
            return st;
        });
        if (es != Acad::eOk)
            return es;
    }
    return Acad::eOk;
}

void cloneBegin(AcDbIdMapping& map) {
    AcDbIdMapping::Imp* imp = map.hsImp();
    if (imp->begun)
        return;
    imp->begun = true;
    Session::get().notifyEditorReactors([&](AcEditorReactor* r) { r->beginDeepClone(imp->pDest, map); });
}

void cloneAbort(AcDbIdMapping& map) {
    AcDbIdMapping::Imp* imp = map.hsImp();
    if (!imp->begun || imp->aborted || imp->finished)
        return;
    imp->aborted = true;
    for (const AcDbIdPair& pair : imp->pairs)
        if (pair.isCloned() && pair.value().stub() != nullptr)
            pair.value().stub()->inFlux = false;
    Session::get().notifyEditorReactors([&](AcEditorReactor* r) { r->abortDeepClone(map); });
}

Acad::ErrorStatus clonePrimaries(const std::vector<AcDbObjectId>& ids, AcDbObjectId owner, AcDbIdMapping& map,
                                 bool wblock, int* failed) {
    return withOpen(owner, AcDb::kForWrite, [&](AcDbObject* pOwner) {
        for (AcDbObjectId id : ids) {
            Acad::ErrorStatus es = Acad::eOk;
            if (id.isNull())
                es = Acad::eNullObjectId;
            else if (id.isErased())
                es = Acad::eWasErased;
            else if (!isCloned(map, id))
                es = withOpen(id, AcDb::kForRead, [&](AcDbObject* pSrc) {
                    AcDbObject* pClone = nullptr;
                    Acad::ErrorStatus st = wblock ? pSrc->wblockClone(pOwner, pClone, map, true)
                                                  : pSrc->deepClone(pOwner, pClone, map, true);
                    closeIfOpen(pClone);
                    return st;
                });
            if (es == Acad::eOk)
                continue;
            if (failed == nullptr)
                return es;
            ++*failed;
        }
        return Acad::eOk;
    });
}

namespace {

// The translation pass over every clone of the map.
void translate(AcDbIdMapping& map) {
    AcDbIdMapping::Imp* imp = map.hsImp();
    for (std::size_t i = 0; i < imp->pairs.size(); ++i) {
        AcDbIdPair pair = imp->pairs[i];
        AcDbStub* stub = pair.value().stub();
        if (!pair.isCloned() || stub == nullptr || stub->pObject == nullptr)
            continue;
        if (!pair.isOwnerXlated()) {
            AcDbIdPair owner(stub->owner, AcDbObjectId::kNull, false);
            if (map.compute(owner) && !owner.value().isNull())
                stub->owner = owner.value();
            pair.setIsOwnerXlated(true);
            imp->pairs[i] = pair;
        }
        withOpen(pair.value(), AcDb::kForWrite, [&](AcDbObject* pClone) {
            DwgFiler filer(AcDb::kIdXlateFiler, imp->pDest);
            filer.setSubject(pClone);
            Acad::ErrorStatus es = pClone->dwgOut(&filer);
            if (es == Acad::eOk) {
                filer.rewind();
                filer.setIdMap(&map);
                es = pClone->dwgIn(&filer);
            }
            if (es != Acad::eOk)
                Session::get().print("Cannot translate the references of " + className(pair.value()) + ": " +
                                     toUtf8(acadErrorStatusText(es)) + "\n");
            return es;
        });
        stub->inFlux = false;
    }
}

}  // namespace

Acad::ErrorStatus cloneFinish(AcDbIdMapping& map) {
    AcDbIdMapping::Imp* imp = map.hsImp();
    if (imp->finished || imp->aborted)
        return Acad::eInvalidIdMap;
    Acad::ErrorStatus veto = Acad::eOk;
    Session::get().notifyEditorReactors([&](AcEditorReactor* r) {
        if (veto == Acad::eOk)
            r->beginDeepCloneXlation(map, &veto);
    });
    if (veto != Acad::eOk) {
        cloneAbort(map);
        return veto;
    }
    translate(map);
    imp->finished = true;
    Session::get().notifyEditorReactors([&](AcEditorReactor* r) { r->endDeepClone(map); });
    return Acad::eOk;
}

// ---- COPY and -ARRAY ----

Acad::ErrorStatus copyEntities(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform,
                               std::vector<AcDbObjectId>& copies, int& failed) {
    copies.clear();
    failed = 0;
    if (ids.empty())
        return Acad::eOk;
    AcDbDatabase* pDb = ids.front().database();
    // One operation per owner would be needed for entities of several
    // blocks; the editor's selection is of one space.
    AcDbObjectId owner = ids.front().stub()->owner;
    AcDbIdMapping map;
    map.hsImp()->pOrig = pDb;
    map.hsImp()->pDest = pDb;
    map.hsImp()->context = AcDb::kDcCopy;
    cloneBegin(map);
    Acad::ErrorStatus es = clonePrimaries(ids, owner, map, /*wblock=*/false, &failed);
    if (es != Acad::eOk) {
        cloneAbort(map);
        failed = static_cast<int>(ids.size());
        return es;
    }
    es = cloneFinish(map);
    if (es != Acad::eOk)
        return es;
    for (AcDbObjectId id : ids) {
        AcDbIdPair pair(id, AcDbObjectId::kNull, false);
        if (!map.compute(pair) || !pair.isCloned() || pair.value().isNull())
            continue;
        copies.push_back(pair.value());
        if (xform == AcGeMatrix3d::kIdentity)
            continue;
        Acad::ErrorStatus st = withOpen(pair.value(), AcDb::kForWrite, [&](AcDbObject* pObj) {
            AcDbEntity* pEnt = AcDbEntity::cast(pObj);
            return pEnt != nullptr ? pEnt->transformBy(xform) : Acad::eOk;
        });
        if (st != Acad::eOk)
            ++failed;
    }
    return Acad::eOk;
}

}  // namespace hs

// ---- AcDbObject ----

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbObject::deepClone(AcDbObject* pOwnerObject, AcDbObject*& pClonedObject,
                                        AcDbIdMapping& idMap, Adesk::Boolean isPrimary) const {
    return subDeepClone(pOwnerObject, pClonedObject, idMap, isPrimary);
}

Acad::ErrorStatus AcDbObject::wblockClone(AcRxObject* pOwnerObject, AcDbObject*& pClonedObject,
                                          AcDbIdMapping& idMap, Adesk::Boolean isPrimary) const {
    return subWblockClone(pOwnerObject, pClonedObject, idMap, isPrimary);
}

Acad::ErrorStatus AcDbObject::subDeepClone(AcDbObject* pOwnerObject, AcDbObject*& pClonedObject,
                                           AcDbIdMapping& idMap, Adesk::Boolean isPrimary) const {
    return hs::defaultClone(this, pOwnerObject, pClonedObject, idMap, isPrimary != 0, /*wblock=*/false);
}

Acad::ErrorStatus AcDbObject::subWblockClone(AcRxObject* pOwnerObject, AcDbObject*& pClonedObject,
                                             AcDbIdMapping& idMap, Adesk::Boolean isPrimary) const {
    return hs::defaultClone(this, pOwnerObject, pClonedObject, idMap, isPrimary != 0, /*wblock=*/true);
}
#else
Acad::ErrorStatus AcDbObject::deepClone(AcDbObject* pOwnerObject, AcDbObject*& pClonedObject,
                                        AcDbIdMapping& idMap, Adesk::Boolean isPrimary) const {
    return hs::defaultClone(this, pOwnerObject, pClonedObject, idMap, isPrimary != 0, /*wblock=*/false);
}

Acad::ErrorStatus AcDbObject::wblockClone(AcRxObject* pOwnerObject, AcDbObject*& pClonedObject,
                                          AcDbIdMapping& idMap, Adesk::Boolean isPrimary) const {
    return hs::defaultClone(this, pOwnerObject, pClonedObject, idMap, isPrimary != 0, /*wblock=*/true);
}
#endif

void AcDbObject::setAcDbObjectIdsInFlux() {
    if (m_pStub != nullptr)
        m_pStub->inFlux = true;
}

Adesk::Boolean AcDbObject::isAcDbObjectIdsInFlux() const {
    return m_pStub != nullptr && m_pStub->inFlux;
}

Acad::ErrorStatus AcDbObject::swapReferences(const AcDbIdMapping&) {
    return Acad::eOk;
}

// ---- AcDbDatabase entry points ----

Acad::ErrorStatus AcDbDatabase::deepCloneObjects(AcDbObjectIdArray& objectIds, AcDbObjectId& owner,
                                                 AcDbIdMapping& idMap, bool deferXlation) {
    AcDbIdMapping::Imp* imp = idMap.hsImp();
    if (imp->finished || imp->aborted)
        return Acad::eInvalidIdMap;
    if (owner.isNull())
        return Acad::eNullObjectId;
    if (owner.database() != this)
        return Acad::eWrongDatabase;
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < objectIds.length(); ++i) {
        if (objectIds[i].database() != this)
            return Acad::eWrongDatabase;
        ids.push_back(objectIds[i]);
    }
    if (!imp->begun) {
        imp->pOrig = this;
        imp->pDest = this;
        if (imp->context == AcDb::kDcWblkObjects)
            imp->context = AcDb::kDcObjects;
    } else if (imp->pDest != this) {
        return Acad::eWrongDatabase;
    }
    hs::cloneBegin(idMap);
    Acad::ErrorStatus es = hs::clonePrimaries(ids, owner, idMap, /*wblock=*/false);
    if (es != Acad::eOk) {
        hs::cloneAbort(idMap);
        return es;
    }
    return deferXlation ? Acad::eOk : hs::cloneFinish(idMap);
}

Acad::ErrorStatus AcDbDatabase::wblockCloneObjects(AcDbObjectIdArray& objectIds, AcDbObjectId& owner,
                                                   AcDbIdMapping& idMap, AcDb::DuplicateRecordCloning drc,
                                                   bool deferXlation) {
    AcDbIdMapping::Imp* imp = idMap.hsImp();
    if (imp->finished || imp->aborted)
        return Acad::eInvalidIdMap;
    if (owner.isNull())
        return Acad::eNullObjectId;
    AcDbDatabase* pDest = owner.database();
    if (pDest == nullptr)
        return Acad::eNoDatabase;
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < objectIds.length(); ++i) {
        if (objectIds[i].database() != this)
            return Acad::eWrongDatabase;
        ids.push_back(objectIds[i]);
    }
    if (!imp->begun) {
        imp->pOrig = this;
        imp->pDest = pDest;
        imp->context = AcDb::kDcWblkObjects;
        imp->drc = drc;
    } else if (imp->pDest != pDest) {
        return Acad::eWrongDatabase;
    }
    hs::cloneBegin(idMap);
    if (imp->wblockObjectsSent.insert(this).second)
        hs::Session::get().notifyEditorReactors(
            [&](AcEditorReactor* r) { r->beginWblockObjects(this, idMap); });
    // The owner's own records are the same in both databases when they are
    // one: the spaces and tables of the source map onto the destination's.
    Acad::ErrorStatus es = hs::clonePrimaries(ids, owner, idMap, /*wblock=*/true);
    if (es != Acad::eOk) {
        hs::cloneAbort(idMap);
        return es;
    }
    return deferXlation ? Acad::eOk : hs::cloneFinish(idMap);
}

void AcDbDatabase::abortDeepClone(AcDbIdMapping& idMap) {
    hs::cloneAbort(idMap);
}

void AcDbDatabase::forceWblockDatabaseCopy() {
    m_pImp->forceWblockCopy = true;
}
