// The write-block scrub: every watermark of a database written by WBLOCK is
// erased there, so watermarks never travel into other drawings. The source
// drawing is not touched.
#include <vector>

#include "entity/QWK_WaterMark.h"
#include "guard/guard.h"

namespace {

// The written database is a copy that only the file will keep: its locked
// layers are unlocked for the scrub, so that entities on them can be opened
// for write, and locked again afterwards so the file shows them as they were.
std::vector<AcDbObjectId> unlockLayers(AcDbDatabase* pDb) {
    std::vector<AcDbObjectId> unlocked;
    AcDbLayerTable* pLayerTable = nullptr;
    if (pDb->getSymbolTable(pLayerTable, AcDb::kForRead) != Acad::eOk)
        return unlocked;
    // Through the base class, whose iterator gives every kind of record.
    const AcDbSymbolTable* pTable = pLayerTable;
    AcDbSymbolTableIterator* pIterator = nullptr;
    if (pTable->newIterator(pIterator, /*atBeginning=*/true, /*skipDeleted=*/true) == Acad::eOk) {
        for (; !pIterator->done(); pIterator->step(true, true)) {
            AcDbSymbolTableRecord* pRecord = nullptr;
            if (pIterator->getRecord(pRecord, AcDb::kForWrite, /*openErasedRec=*/false) != Acad::eOk)
                continue;
            AcDbLayerTableRecord* pLayer = AcDbLayerTableRecord::cast(pRecord);
            if (pLayer != nullptr && pLayer->isLocked()) {
                pLayer->setIsLocked(false);
                unlocked.push_back(pLayer->objectId());
            }
            pRecord->close();
        }
        delete pIterator;
    }
    pLayerTable->close();
    return unlocked;
}

void relockLayers(const std::vector<AcDbObjectId>& layers) {
    for (AcDbObjectId id : layers) {
        AcDbObject* pObj = nullptr;
        if (acdbOpenAcDbObject(pObj, id, AcDb::kForWrite) != Acad::eOk)
            continue;
        AcDbLayerTableRecord* pLayer = AcDbLayerTableRecord::cast(pObj);
        if (pLayer != nullptr)
            pLayer->setIsLocked(true);
        pObj->close();
    }
}

}  // namespace

void KeelCommandReactor::endWblock(AcDbDatabase* pTo) {
    if (pTo == nullptr)
        return;
    AcDbBlockTable* pBlockTable = nullptr;
    if (pTo->getSymbolTable(pBlockTable, AcDb::kForRead) != Acad::eOk)
        return;
    AcDbBlockTableIterator* pBlockTableIterator = nullptr;
    if (pBlockTable->newIterator(pBlockTableIterator, /*atBeginning=*/true, /*skipDeleted=*/true) !=
        Acad::eOk) {
        pBlockTable->close();
        return;
    }
    std::vector<AcDbObjectId> unlocked = unlockLayers(pTo);
    for (; !pBlockTableIterator->done(); pBlockTableIterator->step(true, true)) {
        AcDbBlockTableRecord* pBlockTableRecord = nullptr;
        // A record that cannot be opened is passed over; the others are
        // still scrubbed.
        if (pBlockTableIterator->getRecord(pBlockTableRecord, AcDb::kForWrite, /*openErasedRec=*/false) !=
            Acad::eOk)
            continue;
        scrubBlockTableRecord(pBlockTableRecord);
        pBlockTableRecord->close();
    }
    delete pBlockTableIterator;
    pBlockTable->close();
    relockLayers(unlocked);
}

void scrubBlockTableRecord(AcDbBlockTableRecord* pBlockTableRecord) {
    AcDbBlockTableRecordIterator* pBlockIterator = nullptr;
    if (pBlockTableRecord->newIterator(pBlockIterator, /*atBeginning=*/true, /*skipDeleted=*/true) !=
        Acad::eOk)
        return;
    for (pBlockIterator->start(true, true); !pBlockIterator->done(); pBlockIterator->step(true, true)) {
        AcDbEntity* pEnt = nullptr;
        // An entity that cannot be opened is passed over: a watermark after
        // it must still be found.
        if (pBlockIterator->getEntity(pEnt, AcDb::kForWrite, /*openErasedEntity=*/false) != Acad::eOk)
            continue;
        if (QWK_WaterMark::cast(pEnt) != nullptr) {
            // The flag goes back to what it was, so the write-block never
            // leaves the source drawing's watermarks erasable.
            bool bPrevious = g_bAllowErase;
            g_bAllowErase = true;
            pEnt->erase(true);
            g_bAllowErase = bPrevious;
        }
        pEnt->close();
    }
    delete pBlockIterator;
}
