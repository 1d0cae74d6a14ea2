// Symbol tables and their iterators: the generic table, the block table,
// the layer table and the linetype table, and the record base class.
#include "db/dbimp.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "filing/dxffiler.h"
#include "hostsim/dbapi.h"

// ---- AcDbSymbolTableRecord ----

struct AcDbSymbolTableRecord::Name {
    hs::tstring text;
};

AcDbSymbolTableRecord::AcDbSymbolTableRecord() : m_pName(new Name()) {}

AcDbSymbolTableRecord::~AcDbSymbolTableRecord() {
    delete m_pName;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& pName) const {
    assertReadEnabled();
    pName = hs::newString(m_pName->text.c_str());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& pName) const {
    pName = m_pName->text.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* pName) {
    if (pName == nullptr || *pName == 0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    AcDbObjectId other = hs::findEntry(ownerId(), pName, false);
    if (!other.isNull() && other != objectId())
        return Acad::eDuplicateKey;
    m_pName->text = pName;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = AcDbObject::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    ACHAR* s = nullptr;
    if (pFiler->readString(&s) == Acad::eOk && s != nullptr)
        m_pName->text = s;
    acdbFree(s);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbObject::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(m_pName->text.c_str());
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTableRecord::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = AcDbObject::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->atSubclassData(ACRX_T("AcDbSymbolTableRecord"));
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTableRecord::dxfOutFields(AcDbDxfFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbObject::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("AcDbSymbolTableRecord"));
    return pFiler->filerStatus();
}

// ---- iterators over a list of entries ----

struct AcDbSymbolTableIterator::Imp : hs::EntryCursor {};

AcDbSymbolTableIterator::AcDbSymbolTableIterator(Imp* pImp) : m_pImp(pImp) {}

AcDbSymbolTableIterator::~AcDbSymbolTableIterator() {
    delete m_pImp;
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    m_pImp->start(atBeginning, skipDeleted);
}

bool AcDbSymbolTableIterator::done() const {
    return m_pImp->done();
}

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    m_pImp->step(forward, skipDeleted);
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    id = m_pImp->current();
    return id.isNull() ? Acad::eInvalidIndex : Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& pRecord, AcDb::OpenMode openMode,
                                                     bool openErasedRec) const {
    return hs::openAs("AcDbSymbolTableIterator::getRecord", m_pImp->current(), openMode, openErasedRec,
                      pRecord);
}

Acad::ErrorStatus AcDbBlockTableIterator::getRecord(AcDbBlockTableRecord*& pRecord, AcDb::OpenMode openMode,
                                                    bool openErasedRec) const {
    return hs::openAs("AcDbBlockTableIterator::getRecord", m_pImp->current(), openMode, openErasedRec,
                      pRecord);
}

// ---- AcDbSymbolTable ----

AcDbSymbolTable::AcDbSymbolTable() = default;
AcDbSymbolTable::~AcDbSymbolTable() = default;

bool AcDbSymbolTable::has(const ACHAR* name) const {
    assertReadEnabled();
    return name != nullptr && !hs::findEntry(objectId(), name, false).isNull();
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    assertReadEnabled();
    if (hsStub() == nullptr)
        return false;
    for (const AcDbObjectId& e : hsStub()->entries())
        if (e == id && !e.stub()->erased)
            return true;
    return false;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                         bool getErasedRec) const {
    assertReadEnabled();
    recordId = AcDbObjectId::kNull;
    if (entryName == nullptr)
        return Acad::eInvalidInput;
    recordId = hs::findEntry(objectId(), entryName, getErasedRec);
    return recordId.isNull() ? Acad::eKeyNotFound : Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* pRecord) {
    AcDbObjectId id;
    return add(id, pRecord);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& recordId, AcDbSymbolTableRecord* pRecord) {
    recordId = AcDbObjectId::kNull;
    if (pRecord == nullptr)
        return Acad::eNullObjectPointer;
    if (hsStub() == nullptr)
        return Acad::eNotInDatabase;
    assertWriteEnabled(/*autoUndo=*/false);
    if (pRecord->hsStub() != nullptr)
        return Acad::eAlreadyInDb;
    const ACHAR* name = nullptr;
    pRecord->getName(name);
    if (name == nullptr || *name == 0)
        return Acad::eInvalidInput;
    if (!hs::findEntry(objectId(), name, false).isNull())
        return Acad::eDuplicateKey;
    return hs::addObject(database(), pRecord, objectId(), AcDbHandle(), recordId);
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning,
                                               bool skipDeleted) const {
    pIterator = nullptr;
    Acad::ErrorStatus es = hs::checkFault("AcDbSymbolTable::newIterator");
    if (es != Acad::eOk)
        return es;
    assertReadEnabled();
    if (hsStub() == nullptr)
        return Acad::eNotInDatabase;
    auto* pImp = new AcDbSymbolTableIterator::Imp();
    pImp->owner = hsStub();
    pImp->start(atBeginning, skipDeleted);
    pIterator = new AcDbSymbolTableIterator(pImp);
    return Acad::eOk;
}

// ---- the three tables ----

AcDbBlockTable::AcDbBlockTable() = default;
AcDbBlockTable::~AcDbBlockTable() = default;

Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* entryName, AcDbBlockTableRecord*& pRec,
                                        AcDb::OpenMode openMode, bool openErasedRec) const {
    pRec = nullptr;
    Acad::ErrorStatus es = hs::checkFault("AcDbBlockTable::getAt");
    if (es != Acad::eOk)
        return es;
    AcDbObjectId id;
    es = AcDbSymbolTable::getAt(entryName, id, openErasedRec);
    if (es != Acad::eOk)
        return es;
    AcDbObject* p = nullptr;
    es = hs::openQuiet(id, openMode, openErasedRec, p);
    pRec = static_cast<AcDbBlockTableRecord*>(p);
    return es;
}

Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                        bool getErasedRec) const {
    Acad::ErrorStatus es = hs::checkFault("AcDbBlockTable::getAt");
    if (es != Acad::eOk)
        return es;
    return AcDbSymbolTable::getAt(entryName, recordId, getErasedRec);
}

Acad::ErrorStatus AcDbBlockTable::newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning,
                                              bool skipDeleted) const {
    pIterator = nullptr;
    Acad::ErrorStatus es = hs::checkFault("AcDbBlockTable::newIterator");
    if (es != Acad::eOk)
        return es;
    assertReadEnabled();
    if (hsStub() == nullptr)
        return Acad::eNotInDatabase;
    auto* pImp = new AcDbSymbolTableIterator::Imp();
    pImp->owner = hsStub();
    pImp->start(atBeginning, skipDeleted);
    pIterator = new AcDbBlockTableIterator(pImp);
    return Acad::eOk;
}

namespace {

template <class Rec>
Acad::ErrorStatus openRecordByName(const AcDbSymbolTable* pTable, const char* site, const ACHAR* name,
                                   Rec*& pRec, AcDb::OpenMode mode, bool openErased) {
    pRec = nullptr;
    Acad::ErrorStatus es = hs::checkFault(site);
    if (es != Acad::eOk)
        return es;
    AcDbObjectId id;
    es = pTable->AcDbSymbolTable::getAt(name, id, openErased);
    if (es != Acad::eOk)
        return es;
    AcDbObject* p = nullptr;
    es = hs::openQuiet(id, mode, openErased, p);
    pRec = static_cast<Rec*>(p);
    return es;
}

}  // namespace

AcDbLayerTable::AcDbLayerTable() = default;
AcDbLayerTable::~AcDbLayerTable() = default;

Acad::ErrorStatus AcDbLayerTable::getAt(const ACHAR* entryName, AcDbLayerTableRecord*& pRec,
                                        AcDb::OpenMode openMode, bool openErasedRec) const {
    return openRecordByName(this, "AcDbLayerTable::getAt", entryName, pRec, openMode, openErasedRec);
}

Acad::ErrorStatus AcDbLayerTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                        bool getErasedRec) const {
    return AcDbSymbolTable::getAt(entryName, recordId, getErasedRec);
}

AcDbLinetypeTable::AcDbLinetypeTable() = default;
AcDbLinetypeTable::~AcDbLinetypeTable() = default;

Acad::ErrorStatus AcDbLinetypeTable::getAt(const ACHAR* entryName, AcDbLinetypeTableRecord*& pRec,
                                           AcDb::OpenMode openMode, bool openErasedRec) const {
    return openRecordByName(this, "AcDbLinetypeTable::getAt", entryName, pRec, openMode, openErasedRec);
}

Acad::ErrorStatus AcDbLinetypeTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                           bool getErasedRec) const {
    return AcDbSymbolTable::getAt(entryName, recordId, getErasedRec);
}
