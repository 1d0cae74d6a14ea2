// Copying through filing: the deep clone of COPY and -ARRAY, and the
// write-block clone into a new database. Objects are written with the DWG
// filer and read into new objects made by their class's create(), as the host
// copies them, so custom classes copy through their own filing.
#include <unordered_map>
#include <unordered_set>

#include "db/dbimp.h"
#include "dbsymtb.h"
#include "filing/dwgfiler.h"
#include "hostsim/dbapi.h"

namespace hs {

namespace {

// Runs fn on the object, opening it for read when nobody has it open.
template <class Fn>
Acad::ErrorStatus withReadable(AcDbObjectId id, Fn fn) {
    AcDbStub* stub = id.stub();
    if (stub == nullptr || stub->pObject == nullptr)
        return Acad::eKeyNotFound;
    if (stub->writer || stub->readers > 0)
        return fn(stub->pObject);
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = openInternal(id, AcDb::kForRead, pObj);
    if (es != Acad::eOk)
        return es;
    es = fn(pObj);
    closeInternal(pObj);
    return es;
}

// A new object of the class of pSrc, filled from the filer's bytes.
Acad::ErrorStatus readInto(const AcDbObject* pSrc, DwgFiler& filer, AcDbObject*& pNew) {
    pNew = nullptr;
    AcRxClass* cls = pSrc->isA();
    AcRxObject* p = cls != nullptr ? cls->create() : nullptr;
    if (p == nullptr)
        return Acad::eOutOfMemory;
    pNew = AcDbObject::cast(p);
    if (pNew == nullptr) {
        delete p;
        return Acad::eWrongObjectType;
    }
    filer.rewind();
    Acad::ErrorStatus es = pNew->dwgInFields(&filer);
    if (es != Acad::eOk) {
        delete pNew;
        pNew = nullptr;
    }
    return es;
}

}  // namespace

Acad::ErrorStatus deepCloneEntity(AcDbObjectId srcId, const AcGeMatrix3d& xform, AcDbObjectId& newId,
                                  AcDbObjectId ownerId) {
    newId = AcDbObjectId::kNull;
    if (srcId.isNull())
        return Acad::eNullObjectId;
    if (srcId.isErased())
        return Acad::eWasErased;
    AcDbObject* pNew = nullptr;
    AcDbObjectId owner = ownerId;
    Acad::ErrorStatus es = withReadable(srcId, [&](AcDbObject* pSrc) {
        if (!AcDbEntity::cast(pSrc))
            return Acad::eWrongObjectType;
        if (owner.isNull())
            owner = pSrc->ownerId();
        DwgFiler filer(AcDb::kDeepCloneFiler, pSrc->database());
        Acad::ErrorStatus st = pSrc->dwgOutFields(&filer);
        return st == Acad::eOk ? readInto(pSrc, filer, pNew) : st;
    });
    if (es != Acad::eOk)
        return es;
    AcDbEntity* pEnt = AcDbEntity::cast(pNew);
    if (!(xform == AcGeMatrix3d::kIdentity)) {
        es = pEnt->transformBy(xform);
        if (es != Acad::eOk) {
            delete pEnt;
            return es;
        }
    }
    AcDbObject* pOwner = nullptr;
    es = openQuiet(owner, AcDb::kForWrite, false, pOwner);
    if (es != Acad::eOk) {
        delete pEnt;
        return es;
    }
    AcDbBlockTableRecord* pRec = AcDbBlockTableRecord::cast(pOwner);
    es = pRec != nullptr ? pRec->appendAcDbEntity(newId, pEnt) : Acad::eWrongObjectType;
    if (es == Acad::eOk)
        closeInternal(pEnt);
    else
        delete pEnt;
    closeInternal(pOwner);
    return es;
}

namespace {

struct WblockRun {
    AcDbDatabase* pSrc;
    AcDbDatabase* pDst;
    std::map<AcDbStub*, AcDbObjectId> idMap;  // records and tables
    DwgFiler filer{AcDb::kWblockCloneFiler};

    WblockRun(AcDbDatabase* src, AcDbDatabase* dst) : pSrc(src), pDst(dst) {
        filer.setDatabase(dst);
        filer.setIdMap(&idMap);
    }

    // A copy of the source object, resident in the target under owner.
    Acad::ErrorStatus copyObject(AcDbObjectId srcId, AcDbObjectId owner, AcDbObjectId& newId) {
        AcDbObject* pNew = nullptr;
        Acad::ErrorStatus es = withReadable(srcId, [&](AcDbObject* pObj) {
            filer.setBytes({});
            Acad::ErrorStatus st = pObj->dwgOutFields(&filer);
            return st == Acad::eOk ? readInto(pObj, filer, pNew) : st;
        });
        if (es != Acad::eOk)
            return es;
        AcDbStub* stub = attachObject(pDst, pNew, owner, 0);
        if (stub == nullptr) {  // every handle is in use
            delete pNew;
            return Acad::eOutOfMemory;
        }
        newId = AcDbObjectId(stub);
        addEntry(owner, newId);
        closeInternal(pNew);
        return Acad::eOk;
    }

    // Refreshes an existing target record from the source record of the same name.
    void refreshRecord(AcDbObjectId srcId, AcDbObjectId dstId) {
        filer.setBytes({});
        if (withReadable(srcId, [&](AcDbObject* pObj) { return pObj->dwgOutFields(&filer); }) != Acad::eOk)
            return;
        AcDbObject* pDstObj = nullptr;
        if (openInternal(dstId, AcDb::kForWrite, pDstObj) != Acad::eOk)
            return;
        filer.rewind();
        pDstObj->dwgInFields(&filer);
        closeInternal(pDstObj);
    }

    void copyTable(AcDbObjectId srcTable, AcDbObjectId dstTable, bool refresh) {
        idMap[srcTable.stub()] = dstTable;
        for (const AcDbObjectId& id : srcTable.stub()->entries()) {
            if (id.stub()->erased)
                continue;
            AcDbObjectId dstId = findEntry(dstTable, recordName(id), false);
            if (dstId.isNull()) {
                copyObject(id, dstTable, dstId);
            } else if (refresh) {
                refreshRecord(id, dstId);
            }
            if (!dstId.isNull())
                idMap[id.stub()] = dstId;
        }
    }

    void copyEntities(AcDbObjectId srcBtr, AcDbObjectId dstBtr, const std::unordered_set<AcDbStub*>* only) {
        std::unordered_map<AcDbStub*, AcDbObjectId> copies;
        AcDbStub* src = srcBtr.stub();
        for (const AcDbObjectId& id : src->entries()) {
            if (id.stub()->erased || (only != nullptr && only->count(id.stub()) == 0))
                continue;
            AcDbObjectId newId;
            if (copyObject(id, dstBtr, newId) == Acad::eOk && !src->drawOrder().empty())
                copies[id.stub()] = newId;
        }
        if (src->drawOrder().empty())
            return;
        std::vector<AcDbObjectId> order;
        for (const AcDbObjectId& id : src->drawOrder()) {
            auto it = copies.find(id.stub());
            if (it != copies.end())
                order.push_back(it->second);
        }
        dstBtr.stub()->drawOrder() = order;
    }
};

}  // namespace

AcDbDatabase* wblockClone(AcDbDatabase* pSrc, const std::vector<AcDbObjectId>* entities,
                          const std::string& blockName) {
    if (pSrc == nullptr)
        return nullptr;
    AcDbDatabase* pDst = new AcDbDatabase(true);
    WblockRun run(pSrc, pDst);
    AcDbDatabase::Imp* src = pSrc->hsImp();
    AcDbDatabase::Imp* dst = pDst->hsImp();

    // Linetypes before layers, so that layers find their linetypes.
    run.copyTable(src->linetypeTable, dst->linetypeTable, true);
    run.copyTable(src->layerTable, dst->layerTable, true);

    // Block records: the spaces map onto the target's spaces; with a block
    // name, that block becomes model space and the source's spaces stay out.
    AcDbObjectId srcBlock;
    if (!blockName.empty()) {
        srcBlock = findEntry(src->blockTable, fromUtf8(blockName), false);
        if (srcBlock.isNull()) {
            delete pDst;
            return nullptr;
        }
    }
    run.idMap[src->blockTable.stub()] = dst->blockTable;
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> blocks;  // source, target
    for (const AcDbObjectId& id : src->blockTable.stub()->entries()) {
        if (id.stub()->erased)
            continue;
        AcDbObjectId target;
        if (!srcBlock.isNull()) {
            if (id == srcBlock)
                target = dst->modelSpace;
            else if (id == src->modelSpace || id == src->paperSpace)
                continue;
        } else if (id == src->modelSpace) {
            target = dst->modelSpace;
        } else if (id == src->paperSpace) {
            if (entities != nullptr)
                continue;
            target = dst->paperSpace;
        }
        if (target.isNull()) {
            AcDbObjectId existing = findEntry(dst->blockTable, recordName(id), false);
            if (!existing.isNull())
                target = existing;
            else if (run.copyObject(id, dst->blockTable, target) != Acad::eOk)
                continue;
        }
        run.idMap[id.stub()] = target;
        blocks.emplace_back(id, target);
    }

    std::unordered_set<AcDbStub*> selected;
    if (entities != nullptr)
        for (const AcDbObjectId& id : *entities)
            selected.insert(id.stub());
    for (auto& b : blocks) {
        bool isModel = blockName.empty() && b.first == src->modelSpace;
        if (entities != nullptr && isModel) {
            run.copyEntities(b.first, b.second, &selected);
            // Selected entities of other spaces land in model space too.
            for (const AcDbObjectId& id : *entities) {
                AcDbStub* owner = id.stub()->owner.stub();
                if (owner == src->paperSpace.stub() && !id.stub()->erased) {
                    AcDbObjectId newId;
                    run.copyObject(id, dst->modelSpace, newId);
                }
            }
        } else {
            run.copyEntities(b.first, b.second, nullptr);
        }
    }
    return pDst;
}

}  // namespace hs
