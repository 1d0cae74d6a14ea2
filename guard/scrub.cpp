// The write-block scrub: every watermark of a database written by WBLOCK is
// erased there, so watermarks never travel into other drawings. The source
// drawing is not touched.
#include "entity/QWK_WaterMark.h"
#include "guard/guard.h"

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
    for (; !pBlockTableIterator->done(); pBlockTableIterator->step(true, true)) {
        AcDbBlockTableRecord* pBlockTableRecord = nullptr;
        if (pBlockTableIterator->getRecord(pBlockTableRecord, AcDb::kForWrite, /*openErasedRec=*/false) !=
            Acad::eOk)
            break;
        scrubBlockTableRecord(pBlockTableRecord);
        pBlockTableRecord->close();
    }
    delete pBlockTableIterator;
    pBlockTable->close();
}

void scrubBlockTableRecord(AcDbBlockTableRecord* pBlockTableRecord) {
    AcDbBlockTableRecordIterator* pBlockIterator = nullptr;
    if (pBlockTableRecord->newIterator(pBlockIterator, /*atBeginning=*/true, /*skipDeleted=*/true) !=
        Acad::eOk)
        return;
    for (pBlockIterator->start(true, true); !pBlockIterator->done(); pBlockIterator->step(true, true)) {
        AcDbEntity* pEnt = nullptr;
        // An entity that cannot be opened ends the walk of this record only.
        if (pBlockIterator->getEntity(pEnt, AcDb::kForWrite, /*openErasedEntity=*/false) != Acad::eOk)
            break;
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
