// AcDbObject: opening and closing with the host's rules, erasing, the
// read/write assertions, filing wrappers and copying through the copy filer.
#include <new>

#include "db/dbimp.h"
#include "db/pool.h"
#include "dbsymtb.h"
#include "filing/dwgfiler.h"
#include "filing/dxffiler.h"
#include "hostsim/dbapi.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"

namespace {

std::string describe(const AcDbObject* pObj) {
    std::string s;
    // The class the database recorded: a destructor already running sees only its base.
    AcRxClass* cls =
        pObj->hsStub() != nullptr && pObj->hsStub()->pClass != nullptr ? pObj->hsStub()->pClass : pObj->isA();
    s = cls != nullptr ? hs::toUtf8(cls->name()) : std::string("object");
    if (pObj->hsStub() != nullptr) {
        char buf[32];
        std::snprintf(buf, sizeof buf, " (handle %llX)",
                      static_cast<unsigned long long>(pObj->hsStub()->handle.value()));
        s += buf;
    }
    return s;
}

void noteOpen(AcDbStub* stub) {
    AcDbDatabase::Imp* imp = stub->pDb->hsImp();
    if (stub->writer || stub->readers > 0)
        imp->open.insert(stub);
    else
        imp->open.erase(stub);
}

// An entity whose layer is locked refuses a write-open.
bool onLockedLayer(AcDbObject* pObj) {
    AcDbEntity* pEnt = AcDbEntity::cast(pObj);
    if (pEnt == nullptr || pObj->database() == nullptr)
        return false;
    const AcDbLayerTableRecord* layer = hs::layerRecord(pObj->database(), pEnt->hsLayerName());
    return layer != nullptr && layer->isLocked();
}

constexpr int kMaxReaders = 256;

Acad::ErrorStatus openObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                             const char* site, bool checkLock) {
    pObj = nullptr;
    if (site != nullptr) {
        Acad::ErrorStatus es = hs::checkFault(site);
        if (es != Acad::eOk)
            return es;
    }
    if (id.isNull())
        return Acad::eNullObjectId;
    AcDbStub* stub = id.stub();
    if (stub->pObject == nullptr)
        return Acad::eKeyNotFound;
    if (stub->erased && !openErased)
        return Acad::eWasErased;
    if (stub->writer)
        return Acad::eWasOpenForWrite;
    if (mode == AcDb::kForWrite) {
        if (stub->readers > 0)
            return Acad::eWasOpenForRead;
        if (checkLock && onLockedLayer(stub->pObject))
            return Acad::eOnLockedLayer;
        stub->writer = true;
    } else {
        // The host keeps at most 256 readers of one object.
        if (stub->readers >= kMaxReaders)
            return Acad::eAtMaxReaders;
        ++stub->readers;
    }
    Acad::ErrorStatus es = stub->pObject->subOpen(mode);
    if (es != Acad::eOk) {
        if (mode == AcDb::kForWrite)
            stub->writer = false;
        else
            --stub->readers;
        return es;
    }
    noteOpen(stub);
    pObj = stub->pObject;
    return Acad::eOk;
}

}  // namespace

namespace hs {

Acad::ErrorStatus openInternal(AcDbObjectId id, AcDb::OpenMode mode, AcDbObject*& pObj) {
    return openObject(pObj, id, mode, /*openErased=*/true, /*site=*/nullptr, /*checkLock=*/false);
}

void closeInternal(AcDbObject* pObj) {
    AcDbStub* stub = pObj->hsStub();
    if (stub == nullptr)
        return;
    pObj->subClose();
    if (stub->writer) {
        stub->writer = false;
        stub->isNew = false;
    } else if (stub->readers > 0) {
        --stub->readers;
    }
    noteOpen(stub);
}

Acad::ErrorStatus openQuiet(AcDbObjectId id, AcDb::OpenMode mode, bool openErased, AcDbObject*& pObj) {
    return openObject(pObj, id, mode, openErased, /*site=*/nullptr, /*checkLock=*/true);
}

Acad::ErrorStatus copyThroughFiling(const AcDbObject* pSrc, AcDb::FilerType type, AcDbObject*& pCopy) {
    pCopy = nullptr;
    if (pSrc == nullptr)
        return Acad::eNullObjectPointer;
    AcRxClass* cls = pSrc->isA();
    if (cls == nullptr)
        return Acad::eWrongObjectType;
    AcRxObject* pNew = cls->create();
    if (pNew == nullptr)
        return Acad::eOutOfMemory;
    AcDbObject* pObj = AcDbObject::cast(pNew);
    if (pObj == nullptr) {
        delete pNew;
        return Acad::eWrongObjectType;
    }
    DwgFiler filer(type, pSrc->database());
    filer.setSubject(pSrc);
    Acad::ErrorStatus es = pSrc->dwgOutFields(&filer);
    if (es == Acad::eOk) {
        filer.rewind();
        es = pObj->dwgInFields(&filer);
    }
    if (es != Acad::eOk) {
        delete pObj;
        return es;
    }
    pCopy = pObj;
    return Acad::eOk;
}

}  // namespace hs

// ---- memory ----

void* AcHeapOperators::operator new(size_t size) noexcept {
    if (hs::checkFault("AcHeapOperators::new") != Acad::eOk)
        return nullptr;
    return hs::poolAllocate(size);
}

void AcHeapOperators::operator delete(void* p) {
    hs::poolFree(p);
}

void* AcHeapOperators::operator new[](size_t size) noexcept {
    if (hs::checkFault("AcHeapOperators::new") != Acad::eOk)
        return nullptr;
    return ::operator new[](size, std::nothrow);
}

void AcHeapOperators::operator delete[](void* p) {
    ::operator delete[](p);
}

// ---- AcDbObject ----

AcDbObject::AcDbObject() = default;

// Once an object is in a database, the database owns it: deleting it is a
// fatal error of the host. The database detaches its objects before it
// deletes them.
AcDbObject::~AcDbObject() {
    if (m_pStub != nullptr && m_pStub->pObject == this)
        hs::Session::get().fatal("delete of " + describe(this) +
                                 ", which is in a database (close it; the database deletes it)");
}

AcDbObjectId AcDbObject::objectId() const {
    return AcDbObjectId(m_pStub);
}

AcDbObjectId AcDbObject::ownerId() const {
    return m_pStub != nullptr ? m_pStub->owner : AcDbObjectId::kNull;
}

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId objId) {
    if (m_pStub == nullptr)
        return Acad::eNotInDatabase;
    assertWriteEnabled(false, true);
    m_pStub->owner = objId;
    return Acad::eOk;
}

void AcDbObject::getAcDbHandle(AcDbHandle& handle) const {
    handle = hsHandle();
}

AcDbHandle AcDbObject::hsHandle() const {
    return m_pStub != nullptr ? m_pStub->handle : AcDbHandle();
}

AcDbDatabase* AcDbObject::database() const {
    return m_pStub != nullptr ? m_pStub->pDb : nullptr;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
    Acad::ErrorStatus es = hs::checkFault("AcDbObject::upgradeOpen");
    if (es != Acad::eOk)
        return es;
    // Objects outside a database are always open for write.
    if (m_pStub == nullptr || m_pStub->writer)
        return Acad::eWasOpenForWrite;
    if (m_pStub->readers == 0)
        return Acad::eNotOpenForRead;
    if (m_pStub->readers > 1)
        return Acad::eHadMultipleReaders;
    if (onLockedLayer(this))
        return Acad::eOnLockedLayer;
    m_pStub->readers = 0;
    m_pStub->writer = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
    Acad::ErrorStatus es = hs::checkFault("AcDbObject::downgradeOpen");
    if (es != Acad::eOk)
        return es;
    if (m_pStub == nullptr)
        return Acad::eOk;
    if (!m_pStub->writer)
        return Acad::eNotOpenForWrite;
    m_pStub->writer = false;
    m_pStub->readers = 1;
    m_pStub->isNew = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::close() {
    Acad::ErrorStatus es = hs::checkFault("AcDbObject::close");
    if (es != Acad::eOk)
        return es;
    if (m_pStub == nullptr)
        return Acad::eOk;
    if (!m_pStub->writer && m_pStub->readers == 0) {
        hs::Session::get().fault("close of " + describe(this) + ", which is not open");
        return Acad::eNotOpenForRead;
    }
    subClose();
    if (m_pStub->writer) {
        m_pStub->writer = false;
        m_pStub->isNew = false;
    } else {
        --m_pStub->readers;
    }
    noteOpen(m_pStub);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::cancel() {
    Acad::ErrorStatus es = hs::checkFault("AcDbObject::cancel");
    if (es != Acad::eOk)
        return es;
    if (m_pStub == nullptr)
        return Acad::eOk;
    if (!m_pStub->writer && m_pStub->readers == 0)
        return Acad::eNotOpenForRead;
    subCancel();
    if (m_pStub->writer)
        m_pStub->writer = false;
    else
        --m_pStub->readers;
    noteOpen(m_pStub);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(Adesk::Boolean erasing) {
    Acad::ErrorStatus es = hs::checkFault("AcDbObject::erase");
    if (es != Acad::eOk)
        return es;
    if (m_pStub == nullptr)
        return Acad::eNotInDatabase;
    if (!m_pStub->writer)
        return Acad::eNotOpenForWrite;
    if (erasing && m_pStub->erased)
        return Acad::eWasErased;
    if (!erasing && !m_pStub->erased)
        return Acad::eWasNotErased;
    // The tables and the records every drawing needs stay.
    if (erasing) {
        AcDbDatabase::Imp* imp = m_pStub->pDb->hsImp();
        AcDbObjectId id(m_pStub);
        if (id == imp->blockTable || id == imp->layerTable || id == imp->linetypeTable ||
            id == imp->modelSpace || id == imp->paperSpace || id == imp->layerZero || id == imp->ltByLayer ||
            id == imp->ltByBlock || id == imp->ltContinuous)
            return Acad::eCannotBeErasedByCaller;
    }
    // The object's own hook is asked first and may refuse.
    es = subErase(erasing);
    if (es != Acad::eOk)
        return es;
    m_pStub->erased = erasing != 0;
    hs::undoRecordErase(this, erasing != 0);
    return Acad::eOk;
}

Adesk::Boolean AcDbObject::isErased() const {
    return m_pStub != nullptr && m_pStub->erased;
}

Adesk::Boolean AcDbObject::isReadEnabled() const {
    return m_pStub == nullptr || m_pStub->writer || m_pStub->readers > 0;
}

Adesk::Boolean AcDbObject::isWriteEnabled() const {
    return m_pStub == nullptr || m_pStub->writer;
}

Adesk::Boolean AcDbObject::isNotifyEnabled() const {
    return false;
}

Adesk::Boolean AcDbObject::isNewObject() const {
    return m_pStub == nullptr || m_pStub->isNew;
}

void AcDbObject::assertReadEnabled() const {
    if (!isReadEnabled())
        hs::Session::get().fatal("assertReadEnabled: " + describe(this) + " is not open for read");
}

void AcDbObject::assertWriteEnabled(Adesk::Boolean autoUndo, Adesk::Boolean) {
    if (!isWriteEnabled())
        hs::Session::get().fatal("assertWriteEnabled: " + describe(this) + " is not open for write");
    if (autoUndo && m_pStub != nullptr)
        hs::undoRecordChange(this);
}

void AcDbObject::assertNotifyEnabled() const {}

Acad::ErrorStatus AcDbObject::dwgIn(AcDbDwgFiler* pFiler) {
    return dwgInFields(pFiler);
}

Acad::ErrorStatus AcDbObject::dwgOut(AcDbDwgFiler* pFiler) const {
    return dwgOutFields(pFiler);
}

Acad::ErrorStatus AcDbObject::dxfIn(AcDbDxfFiler* pFiler) {
    return dxfInFields(pFiler);
}

Acad::ErrorStatus AcDbObject::dxfOut(AcDbDxfFiler* pFiler) const {
    return dxfOutFields(pFiler);
}

Acad::ErrorStatus AcDbObject::subErase(Adesk::Boolean) {
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::subOpen(AcDb::OpenMode) {
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::subClose() {
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::subCancel() {
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::dwgInFields(AcDbDwgFiler* pFiler) {
    assertWriteEnabled();
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbObject::dwgOutFields(AcDbDwgFiler* pFiler) const {
    assertReadEnabled();
    return pFiler->filerStatus();
}

// In a file each object starts with its handle (5) and its owner (330); the
// file writer writes the type (0) before them.
Acad::ErrorStatus AcDbObject::dxfOutFields(AcDbDxfFiler* pFiler) const {
    assertReadEnabled();
    if (pFiler->filerType() == AcDb::kFileFiler && m_pStub != nullptr) {
        pFiler->writeAcDbHandle(AcDb::kDxfHandle, m_pStub->handle);
        pFiler->writeObjectId(AcDb::kDxfSoftPointerId, m_pStub->owner);
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbObject::dxfInFields(AcDbDxfFiler* pFiler) {
    assertWriteEnabled();
    // Skip the handle, the owner and the reactor and dictionary groups. A
    // second handle or owner group is not the object's: a file reader keeps it.
    hs::DxfFiler* pHs = dynamic_cast<hs::DxfFiler*>(pFiler);
    resbuf rb;
    bool inGroup = false, owner = false, handle = false;
    for (;;) {
        Acad::ErrorStatus es = pHs != nullptr ? pHs->readResBufQuiet(&rb) : pFiler->readResBuf(&rb);
        if (es != Acad::eOk)
            break;
        if (rb.restype == AcDb::kDxfControlString) {
            std::string s = rb.resval.rstring != nullptr ? hs::toUtf8(rb.resval.rstring) : std::string();
            inGroup = !s.empty() && s[0] == '{';
            continue;
        }
        if (rb.restype == AcDb::kDxfSubclass)  // a group left open ends at the subclass data
            inGroup = false;
        if (!inGroup && rb.restype == 330 && owner && pHs != nullptr && pHs->leavesUnknown()) {
            pHs->leaveLastItem();
            continue;
        }
        if (!inGroup && (rb.restype == 5 || rb.restype == 105) && handle && pHs != nullptr &&
            pHs->leavesUnknown()) {
            pHs->leaveLastItem();
            continue;
        }
        if (!inGroup && rb.restype == 330)
            owner = true;
        if (!inGroup && (rb.restype == 5 || rb.restype == 105))
            handle = true;
        if (inGroup || rb.restype == 5 || rb.restype == 105 || rb.restype == 330)
            continue;
        pFiler->pushBackItem();
        break;
    }
    return pFiler->filerStatus();
}

AcRxObject* AcDbObject::clone() const {
    AcDbObject* pCopy = nullptr;
    hs::copyThroughFiling(this, AcDb::kCopyFiler, pCopy);
    return pCopy;
}

#if IRONVEIL_RELEASE >= 18
Adesk::UInt32 AcDbObject::subSetAttributes(AcGiDrawableTraits*) {
    return 0;
}
Adesk::Boolean AcDbObject::subWorldDraw(AcGiWorldDraw*) {
    return Adesk::kTrue;
}
void AcDbObject::subViewportDraw(AcGiViewportDraw*) {}
#else
Adesk::UInt32 AcDbObject::setAttributes(AcGiDrawableTraits*) {
    return 0;
}
Adesk::Boolean AcDbObject::worldDraw(AcGiWorldDraw*) {
    return Adesk::kTrue;
}
void AcDbObject::viewportDraw(AcGiViewportDraw*) {}
#endif

// ---- opening by id ----

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedObject) {
    return openObject(pObj, id, mode, openErasedObject, "acdbOpenAcDbObject", true);
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& pEnt, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedEntity) {
    pEnt = nullptr;
    if (!id.isNull() && id.stub()->pObject != nullptr && !AcDbEntity::cast(id.stub()->pObject)) {
        Acad::ErrorStatus es = hs::checkFault("acdbOpenAcDbEntity");
        return es != Acad::eOk ? es : Acad::eNotThatKindOfClass;
    }
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = openObject(pObj, id, mode, openErasedEntity, "acdbOpenAcDbEntity", true);
    pEnt = static_cast<AcDbEntity*>(pObj);
    return es;
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                                     const AcRxClass* pClass) {
    pObj = nullptr;
    if (pClass != nullptr && !id.isNull() && id.stub()->pObject != nullptr &&
        !id.stub()->pObject->isKindOf(pClass)) {
        Acad::ErrorStatus es = hs::checkFault("acdbOpenObject");
        return es != Acad::eOk ? es : Acad::eNotThatKindOfClass;
    }
    return openObject(pObj, id, mode, openErased, "acdbOpenObject", true);
}
