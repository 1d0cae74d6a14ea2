// Cloning into another database: AcDbDatabase::wblock in its four forms and
// AcDbDatabase::insert in its three, with the editor notifications in the
// host's order.
//
// WBLOCK: wblockNotice, beginDeepClone (the new database), beginWblock, the
// clone pass, otherWblock, beginDeepCloneXlation, the translation pass,
// endDeepClone, endWblock; abortDeepClone and abortWblock on failure. The
// block and selection forms send beginWblock while the new database holds
// only its tables and empty spaces; the whole-drawing form sends it once
// model space has been copied (the host's reference for that form says so).
//
// INSERT: beginInsert, beginDeepClone, the clone pass, otherInsert,
// beginDeepCloneXlation, the translation pass, endDeepClone, endInsert;
// abortDeepClone and abortInsert on failure. Records of the same name keep
// the target's definition. The documentation leaves the place of
// beginDeepClone relative to beginInsert open; hostsim sends it after.
#include <unordered_map>
#include <unordered_set>

#include "aced.h"
#include "db/dbimp.h"
#include "dbsymtb.h"
#include "filing/dwgfiler.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

namespace hs {
namespace {

void notify(const std::function<void(AcEditorReactor*)>& fn) {
    Session::get().notifyEditorReactors(fn);
}

void closeClone(AcDbObject* pClone) {
    AcDbStub* stub = pClone != nullptr ? pClone->hsStub() : nullptr;
    if (stub != nullptr && (stub->writer || stub->readers > 0))
        closeInternal(pClone);
}

// One clone of records and entities from pFrom into pTo under one map.
struct CrossClone {
    AcDbDatabase* pFrom;
    AcDbDatabase* pTo;
    AcDbIdMapping& map;
    int failed = 0;

    void mapTo(AcDbObjectId src, AcDbObjectId dst, bool cloned) {
        map.assign(AcDbIdPair(src, dst, cloned, /*isPrimary=*/false, /*isOwnerXlated=*/true));
    }

    // A clone of the source object under owner (wblockClone), closed.
    Acad::ErrorStatus cloneUnder(AcDbObjectId srcId, AcDbObject* pOwner, bool primary) {
        return withOpen(srcId, AcDb::kForRead, [&](AcDbObject* pSrc) {
            AcDbObject* pClone = nullptr;
            Acad::ErrorStatus es = pSrc->wblockClone(pOwner, pClone, map, primary);
            closeClone(pClone);
            return es;
        });
    }

    // Refreshes a record of the target from the source record of the same name.
    void refresh(AcDbObjectId srcId, AcDbObjectId dstId) {
        DwgFiler filer(AcDb::kWblockCloneFiler, pTo);
        Acad::ErrorStatus es = withOpen(srcId, AcDb::kForRead, [&](AcDbObject* pSrc) {
            filer.setSubject(pSrc);
            return pSrc->dwgOut(&filer);
        });
        if (es != Acad::eOk)
            return;
        withOpen(dstId, AcDb::kForWrite, [&](AcDbObject* pDst) {
            filer.rewind();
            filer.setSubject(pDst);
            return pDst->dwgIn(&filer);
        });
    }

    // The records of a table: those the target has by name are mapped onto
    // its own (refreshed from the source with refreshExisting), the others
    // are cloned into the target's table.
    Acad::ErrorStatus cloneTable(AcDbObjectId srcTable, AcDbObjectId dstTable, bool refreshExisting) {
        mapTo(srcTable, dstTable, false);
        std::vector<AcDbObjectId> fresh;
        for (const AcDbObjectId& id : srcTable.stub()->entries()) {
            if (id.stub()->erased)
                continue;
            AcDbObjectId dstId = findEntry(dstTable, recordName(id), false);
            if (dstId.isNull()) {
                fresh.push_back(id);
                continue;
            }
            if (refreshExisting)
                refresh(id, dstId);
            mapTo(id, dstId, refreshExisting);
        }
        if (fresh.empty())
            return Acad::eOk;
        return withOpen(dstTable, AcDb::kForWrite, [&](AcDbObject* pTable) {
            for (AcDbObjectId id : fresh) {
                Acad::ErrorStatus es = cloneUnder(id, pTable, false);
                if (es != Acad::eOk)
                    return es;
            }
            return Acad::eOk;
        });
    }

    // The entities of a source block into a target block, keeping the draw order.
    void cloneEntities(AcDbObjectId srcBtr, AcDbObjectId dstBtr, const std::unordered_set<AcDbStub*>* only,
                       bool primary) {
        std::vector<AcDbObjectId> ids;
        for (const AcDbObjectId& id : srcBtr.stub()->entries())
            if (!id.stub()->erased && (only == nullptr || only->count(id.stub()) != 0))
                ids.push_back(id);
        if (ids.empty())
            return;
        withOpen(dstBtr, AcDb::kForWrite, [&](AcDbObject* pOwner) {
            for (AcDbObjectId id : ids)
                if (cloneUnder(id, pOwner, primary) != Acad::eOk)
                    ++failed;
            return Acad::eOk;
        });
        std::vector<AcDbObjectId>& srcOrder = srcBtr.stub()->drawOrder();
        if (srcOrder.empty())
            return;
        std::vector<AcDbObjectId> order = dstBtr.stub()->drawOrder();
        if (order.empty())
            order = dstBtr.stub()->entries();
        std::unordered_set<AcDbStub*> mine;
        std::vector<AcDbObjectId> clones;
        for (const AcDbObjectId& id : srcOrder) {
            AcDbIdPair pair(id, AcDbObjectId::kNull, false);
            if (map.compute(pair) && pair.isCloned() && pair.value().database() == pTo &&
                mine.insert(pair.value().stub()).second)
                clones.push_back(pair.value());
        }
        std::vector<AcDbObjectId> merged;
        for (const AcDbObjectId& id : order)
            if (mine.count(id.stub()) == 0)
                merged.push_back(id);
        merged.insert(merged.end(), clones.begin(), clones.end());
        dstBtr.stub()->drawOrder() = merged;
    }

    // The block records other than the spaces and the skipped one: mapped
    // onto the target's of the same name, or cloned. Returns the pairs.
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> cloneBlocks(AcDbObjectId skip) {
        AcDbDatabase::Imp* src = pFrom->hsImp();
        AcDbDatabase::Imp* dst = pTo->hsImp();
        std::vector<std::pair<AcDbObjectId, AcDbObjectId>> out;
        mapTo(src->blockTable, dst->blockTable, false);
        for (const AcDbObjectId& id : src->blockTable.stub()->entries()) {
            if (id.stub()->erased || id == skip || id == src->modelSpace || id == src->paperSpace)
                continue;
            AcDbObjectId target = findEntry(dst->blockTable, recordName(id), false);
            if (!target.isNull()) {
                mapTo(id, target, false);
                continue;  // the target's own definition stays
            }
            withOpen(dst->blockTable, AcDb::kForWrite,
                     [&](AcDbObject* pTable) { return cloneUnder(id, pTable, false); });
            AcDbIdPair pair(id, AcDbObjectId::kNull, false);
            if (map.compute(pair) && !pair.value().isNull())
                out.emplace_back(id, pair.value());
        }
        return out;
    }

    void cloneSymbolTables(bool refreshExisting) {
        // Linetypes before layers, so that layers find their linetypes.
        cloneTable(pFrom->hsImp()->linetypeTable, pTo->hsImp()->linetypeTable, refreshExisting);
        cloneTable(pFrom->hsImp()->layerTable, pTo->hsImp()->layerTable, refreshExisting);
    }
};

enum class Form { kWhole, kBlock, kSelection };

Acad::ErrorStatus runWblock(AcDbDatabase* pFrom, AcDbDatabase*& pTo, bool ownTarget, Form form,
                            const std::vector<AcDbObjectId>& ids, AcDbObjectId blockId,
                            const AcGePoint3d& base, AcDb::DuplicateRecordCloning drc) {
    notify([&](AcEditorReactor* r) { r->wblockNotice(pFrom); });
    AcDbIdMapping map;
    if (ownTarget)
        pTo = new AcDbDatabase(true);
    map.hsImp()->pOrig = pFrom;
    map.hsImp()->pDest = pTo;
    map.hsImp()->context = AcDb::kDcWblock;
    map.hsImp()->drc = drc;
    cloneBegin(map);
    AcDbDatabase::Imp* src = pFrom->hsImp();
    AcDbDatabase::Imp* dst = pTo->hsImp();
    const AcGePoint3d* pBase = &base;
    if (form == Form::kBlock)
        notify([&](AcEditorReactor* r) { r->beginWblock(pTo, pFrom, blockId); });
    else if (form == Form::kSelection)
        notify([&](AcEditorReactor* r) { r->beginWblock(pTo, pFrom, pBase); });

    CrossClone run{pFrom, pTo, map};
    run.cloneSymbolTables(/*refreshExisting=*/true);
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> blocks;
    if (form == Form::kBlock) {
        run.mapTo(blockId, dst->modelSpace, false);
        blocks = run.cloneBlocks(blockId);
        run.cloneEntities(blockId, dst->modelSpace, nullptr, true);
    } else if (form == Form::kSelection) {
        run.mapTo(src->modelSpace, dst->modelSpace, false);
        blocks = run.cloneBlocks(AcDbObjectId::kNull);
        std::unordered_set<AcDbStub*> selected;
        for (const AcDbObjectId& id : ids)
            selected.insert(id.stub());
        // Selected entities of any space land in the new model space.
        run.cloneEntities(src->modelSpace, dst->modelSpace, &selected, true);
        run.cloneEntities(src->paperSpace, dst->modelSpace, &selected, true);
    } else {
        run.mapTo(src->modelSpace, dst->modelSpace, false);
        run.mapTo(src->paperSpace, dst->paperSpace, false);
        blocks = run.cloneBlocks(AcDbObjectId::kNull);
        run.cloneEntities(src->modelSpace, dst->modelSpace, nullptr, true);
        notify([&](AcEditorReactor* r) { r->beginWblock(pTo, pFrom); });
        run.cloneEntities(src->paperSpace, dst->paperSpace, nullptr, true);
    }
    for (auto& b : blocks)
        run.cloneEntities(b.first, b.second, nullptr, false);

    notify([&](AcEditorReactor* r) { r->otherWblock(pTo, map, pFrom); });
    Acad::ErrorStatus es = cloneFinish(map);
    if (es == Acad::eOk && run.failed > 0) {
        Session::get().print(std::to_string(run.failed) + " object(s) could not be written.\n");
    }
    if (es != Acad::eOk) {
        notify([&](AcEditorReactor* r) { r->abortWblock(pTo); });
        if (ownTarget) {
            delete pTo;
            pTo = nullptr;
        }
        return es;
    }
    notify([&](AcEditorReactor* r) { r->endWblock(pTo); });
    return Acad::eOk;
}

// Entities only, all of this database.
Acad::ErrorStatus checkEntities(AcDbDatabase* pDb, const AcDbObjectIdArray& ids,
                                std::vector<AcDbObjectId>& out) {
    for (int i = 0; i < ids.length(); ++i) {
        AcDbObjectId id = ids[i];
        if (id.isNull() || id.database() != pDb)
            return Acad::eWrongDatabase;
        if (id.stub()->pObject == nullptr || AcDbEntity::cast(id.stub()->pObject) == nullptr)
            return Acad::eIllegalEntityType;
        out.push_back(id);
    }
    return Acad::eOk;
}

Acad::ErrorStatus runInsert(AcDbDatabase* pTo, AcDbDatabase* pFrom, AcDbObjectId srcBlock,
                            const ACHAR* destName, const AcGeMatrix3d* pXform, AcDbObjectId& blockId) {
    blockId = AcDbObjectId::kNull;
    if (pFrom == nullptr)
        return Acad::eNullObjectPointer;
    if (pFrom == pTo)
        return Acad::eWrongDatabase;
    AcDbDatabase::Imp* src = pFrom->hsImp();
    AcDbDatabase::Imp* dst = pTo->hsImp();
    if (pXform != nullptr)
        notify([&](AcEditorReactor* r) { r->beginInsert(pTo, *pXform, pFrom); });
    else
        notify([&](AcEditorReactor* r) { r->beginInsert(pTo, destName, pFrom); });
    auto abort = [&](Acad::ErrorStatus es) {
        notify([&](AcEditorReactor* r) { r->abortInsert(pTo); });
        return es;
    };
    AcDbObjectId target = dst->modelSpace;
    if (pXform == nullptr) {
        if (destName == nullptr || *destName == 0)
            return abort(Acad::eInvalidInput);
        if (!findEntry(dst->blockTable, destName, false).isNull())
            return abort(Acad::eDuplicateKey);
    }
    AcDbIdMapping map;
    map.hsImp()->pOrig = pFrom;
    map.hsImp()->pDest = pTo;
    map.hsImp()->context = AcDb::kDcInsert;
    map.hsImp()->drc = AcDb::kDrcIgnore;
    cloneBegin(map);
    CrossClone run{pFrom, pTo, map};
    run.cloneSymbolTables(/*refreshExisting=*/false);
    if (pXform == nullptr) {
        AcDbBlockTableRecord* pRec = new AcDbBlockTableRecord();
        pRec->setName(destName);
        Acad::ErrorStatus es = addObject(pTo, pRec, dst->blockTable, AcDbHandle(), target);
        if (es != Acad::eOk) {
            delete pRec;
            cloneAbort(map);
            return abort(es);
        }
        closeInternal(pRec);
    }
    run.mapTo(srcBlock, target, false);
    run.mapTo(src->paperSpace, dst->paperSpace, false);
    if (srcBlock != src->modelSpace)
        run.mapTo(src->modelSpace, dst->modelSpace, false);
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> blocks = run.cloneBlocks(srcBlock);
    run.cloneEntities(srcBlock, target, nullptr, true);
    for (auto& b : blocks)
        run.cloneEntities(b.first, b.second, nullptr, false);
    notify([&](AcEditorReactor* r) { r->otherInsert(pTo, map, pFrom); });
    Acad::ErrorStatus es = cloneFinish(map);
    if (es != Acad::eOk)
        return abort(es);
    if (pXform != nullptr) {
        for (const AcDbIdPair& pair : map.hsImp()->pairs) {
            if (!pair.isCloned() || !pair.isPrimary())
                continue;
            withOpen(pair.value(), AcDb::kForWrite, [&](AcDbObject* pObj) {
                AcDbEntity* pEnt = AcDbEntity::cast(pObj);
                return pEnt != nullptr ? pEnt->transformBy(*pXform) : Acad::eOk;
            });
        }
    }
    blockId = target;
    notify([&](AcEditorReactor* r) { r->endInsert(pTo); });
    return Acad::eOk;
}

}  // namespace
}  // namespace hs

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& pOutputDb, const AcDbObjectIdArray& outObjIds,
                                       const AcGePoint3d& basePoint) {
    pOutputDb = nullptr;
    std::vector<AcDbObjectId> ids;
    Acad::ErrorStatus es = hs::checkEntities(this, outObjIds, ids);
    if (es != Acad::eOk)
        return es;
    return hs::runWblock(this, pOutputDb, true, hs::Form::kSelection, ids, AcDbObjectId::kNull, basePoint,
                         AcDb::kDrcIgnore);
}

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase* pOutputDb, const AcDbObjectIdArray& outObjIds,
                                       const AcGePoint3d& basePoint, AcDb::DuplicateRecordCloning drc) {
    if (pOutputDb == nullptr)
        return Acad::eNullObjectPointer;
    if (pOutputDb == this)
        return Acad::eWrongDatabase;
    std::vector<AcDbObjectId> ids;
    Acad::ErrorStatus es = hs::checkEntities(this, outObjIds, ids);
    if (es != Acad::eOk)
        return es;
    return hs::runWblock(this, pOutputDb, false, hs::Form::kSelection, ids, AcDbObjectId::kNull, basePoint,
                         drc);
}

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& pOutputDb, AcDbObjectId blockId) {
    pOutputDb = nullptr;
    if (blockId.isNull())
        return Acad::eNullObjectId;
    if (blockId.database() != this || !AcDbBlockTableRecord::cast(blockId.stub()->pObject))
        return Acad::eWrongObjectType;
    if (blockId == m_pImp->modelSpace)
        return wblock(pOutputDb);
    return hs::runWblock(this, pOutputDb, true, hs::Form::kBlock, {}, blockId, AcGePoint3d(),
                         AcDb::kDrcIgnore);
}

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& pOutputDb) {
    pOutputDb = nullptr;
    return hs::runWblock(this, pOutputDb, true, hs::Form::kWhole, {}, AcDbObjectId::kNull, AcGePoint3d(),
                         AcDb::kDrcIgnore);
}

Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const ACHAR* pBlockName, AcDbDatabase* pDb,
                                       bool) {
    blockId = AcDbObjectId::kNull;
    if (pDb == nullptr)
        return Acad::eNullObjectPointer;
    return hs::runInsert(this, pDb, pDb->hsImp()->modelSpace, pBlockName, nullptr, blockId);
}

Acad::ErrorStatus AcDbDatabase::insert(const AcGeMatrix3d& xform, AcDbDatabase* pDb, bool) {
    if (pDb == nullptr)
        return Acad::eNullObjectPointer;
    AcDbObjectId blockId;
    return hs::runInsert(this, pDb, pDb->hsImp()->modelSpace, nullptr, &xform, blockId);
}

Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const ACHAR* pSourceBlockName,
                                       const ACHAR* pDestinationBlockName, AcDbDatabase* pDb, bool) {
    blockId = AcDbObjectId::kNull;
    if (pDb == nullptr || pSourceBlockName == nullptr)
        return Acad::eNullObjectPointer;
    AcDbObjectId srcBlock = hs::findEntry(pDb->hsImp()->blockTable, pSourceBlockName, false);
    if (srcBlock.isNull())
        return Acad::eKeyNotFound;
    return hs::runInsert(this, pDb, srcBlock, pDestinationBlockName, nullptr, blockId);
}
