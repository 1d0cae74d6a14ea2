// Block table records (with their entity iterator), layer records and
// linetype records.
#include <cstdlib>

#include "db/dbimp.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "filing/dxffiler.h"
#include "hostsim/dbapi.h"

namespace {

// Reads the groups of one record subclass; fn returns false for a group it
// does not know, which ends the subclass.
template <class Fn>
Acad::ErrorStatus readGroups(AcDbDxfFiler* pFiler, Fn fn) {
    hs::DxfFiler* pHs = dynamic_cast<hs::DxfFiler*>(pFiler);
    resbuf rb;
    for (;;) {
        Acad::ErrorStatus es = pHs != nullptr ? pHs->readResBufQuiet(&rb) : pFiler->readResBuf(&rb);
        if (es != Acad::eOk)
            break;
        if (rb.restype == AcDb::kDxfSubclass || !fn(rb)) {
            pFiler->pushBackItem();
            break;
        }
    }
    return pFiler->filerStatus();
}

}  // namespace

struct AcDbBlockTableRecordIterator::Imp : hs::EntryCursor {};

// ---- AcDbBlockTableRecord ----

AcDbBlockTableRecord::AcDbBlockTableRecord() = default;
AcDbBlockTableRecord::~AcDbBlockTableRecord() = default;

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* pEntity) {
    AcDbObjectId id;
    return appendAcDbEntity(id, pEntity);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& pOutputId, AcDbEntity* pEntity) {
    pOutputId = AcDbObjectId::kNull;
    Acad::ErrorStatus es = hs::checkFault("AcDbBlockTableRecord::appendAcDbEntity");
    if (es != Acad::eOk)
        return es;
    if (pEntity == nullptr)
        return Acad::eNullEntityPointer;
    if (hsStub() == nullptr)
        return Acad::eNotInDatabase;
    assertWriteEnabled(/*autoUndo=*/false);
    if (pEntity->hsStub() != nullptr)
        return Acad::eAlreadyInDb;
    return hs::addObject(database(), pEntity, objectId(), AcDbHandle(), pOutputId);
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& pIterator,
                                                    bool atBeginning, bool skipDeleted) const {
    pIterator = nullptr;
    Acad::ErrorStatus es = hs::checkFault("AcDbBlockTableRecord::newIterator");
    if (es != Acad::eOk)
        return es;
    assertReadEnabled();
    if (hsStub() == nullptr)
        return Acad::eNotInDatabase;
    auto* pImp = new AcDbBlockTableRecordIterator::Imp();
    pImp->owner = hsStub();
    pImp->start(atBeginning, skipDeleted);
    pIterator = new AcDbBlockTableRecordIterator(pImp);
    return Acad::eOk;
}

AcGePoint3d AcDbBlockTableRecord::origin() const {
    assertReadEnabled();
    return m_origin;
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_origin = pt;
    return Acad::eOk;
}

bool AcDbBlockTableRecord::isLayout() const {
    const ACHAR* name = nullptr;
    getName(name);
    std::string n = hs::upper(hs::toUtf8(name));
    return n.rfind("*MODEL_SPACE", 0) == 0 || n.rfind("*PAPER_SPACE", 0) == 0;
}

bool AcDbBlockTableRecord::isAnonymous() const {
    const ACHAR* name = nullptr;
    getName(name);
    return name != nullptr && name[0] == ACHAR('*') && !isLayout();
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->readPoint3d(&m_origin);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writePoint3d(m_origin);
    return pFiler->filerStatus();
}

// The origin is written by the BLOCK entity of the file, not by the record.
Acad::ErrorStatus AcDbBlockTableRecord::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->atSubclassData(ACRX_T("AcDbBlockTableRecord"));
    return readGroups(pFiler, [&](const resbuf& rb) {
        if (rb.restype == AcDb::kDxfSymbolTableName)
            setName(rb.resval.rstring);
        return rb.restype == 2 || rb.restype == 340 || rb.restype == 70 || rb.restype == 280 ||
               rb.restype == 281 || rb.restype == 310 || rb.restype == 1001 || rb.restype >= 1000;
    });
}

Acad::ErrorStatus AcDbBlockTableRecord::dxfOutFields(AcDbDxfFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    const ACHAR* name = nullptr;
    getName(name);
    pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("AcDbBlockTableRecord"));
    pFiler->writeString(AcDb::kDxfSymbolTableName, name);
    return pFiler->filerStatus();
}

// ---- AcDbBlockTableRecordIterator ----

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(Imp* pImp) : m_pImp(pImp) {}

AcDbBlockTableRecordIterator::~AcDbBlockTableRecordIterator() {
    delete m_pImp;
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
    m_pImp->start(atBeginning, skipDeleted);
}

bool AcDbBlockTableRecordIterator::done() const {
    return m_pImp->done();
}

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
    m_pImp->step(forward, skipDeleted);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& entityId) const {
    entityId = m_pImp->current();
    return entityId.isNull() ? Acad::eInvalidIndex : Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& pEntity, AcDb::OpenMode openMode,
                                                          bool openErasedEntity) const {
    return hs::openAs("AcDbBlockTableRecordIterator::getEntity", m_pImp->current(), openMode,
                      openErasedEntity, pEntity);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(AcDbObjectId id) {
    const auto& entries = m_pImp->owner->entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == id) {
            m_pImp->pos = static_cast<long>(i);
            return Acad::eOk;
        }
    }
    return Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(const AcDbEntity* pEntity) {
    if (pEntity == nullptr)
        return Acad::eNullEntityPointer;
    return seek(pEntity->objectId());
}

// ---- AcDbLayerTableRecord ----

AcDbLayerTableRecord::AcDbLayerTableRecord() {
    m_color.setColorIndex(7);
}

AcDbLayerTableRecord::~AcDbLayerTableRecord() = default;

AcCmColor AcDbLayerTableRecord::color() const {
    assertReadEnabled();
    return m_color;
}

void AcDbLayerTableRecord::setColor(const AcCmColor& color) {
    assertWriteEnabled();
    m_color = color;
}

bool AcDbLayerTableRecord::isOff() const {
    assertReadEnabled();
    return m_off;
}

void AcDbLayerTableRecord::setIsOff(bool off) {
    assertWriteEnabled();
    m_off = off;
}

bool AcDbLayerTableRecord::isFrozen() const {
    assertReadEnabled();
    return m_frozen;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen) {
    assertWriteEnabled();
    m_frozen = frozen;
    return Acad::eOk;
}

// Read by the open rule without opening the record.
bool AcDbLayerTableRecord::isLocked() const {
    return m_locked;
}

void AcDbLayerTableRecord::setIsLocked(bool locked) {
    assertWriteEnabled();
    m_locked = locked;
}

AcDbObjectId AcDbLayerTableRecord::linetypeObjectId() const {
    assertReadEnabled();
    return m_linetype;
}

Acad::ErrorStatus AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
    assertWriteEnabled();
    m_linetype = id;
    return Acad::eOk;
}

AcDb::LineWeight AcDbLayerTableRecord::lineWeight() const {
    assertReadEnabled();
    return m_lineWeight;
}

Acad::ErrorStatus AcDbLayerTableRecord::setLineWeight(AcDb::LineWeight weight) {
    assertWriteEnabled();
    m_lineWeight = weight;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    m_color.dwgIn(pFiler);
    pFiler->readBool(&m_off);
    pFiler->readBool(&m_frozen);
    pFiler->readBool(&m_locked);
    pFiler->readHardPointerId(&m_linetype);
    Adesk::Int16 lw = 0;
    pFiler->readInt16(&lw);
    m_lineWeight = static_cast<AcDb::LineWeight>(lw);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    m_color.dwgOut(pFiler);
    pFiler->writeBool(m_off);
    pFiler->writeBool(m_frozen);
    pFiler->writeBool(m_locked);
    pFiler->writeHardPointerId(m_linetype);
    pFiler->writeInt16(static_cast<Adesk::Int16>(m_lineWeight));
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbLayerTableRecord::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->atSubclassData(ACRX_T("AcDbLayerTableRecord"));
    return readGroups(pFiler, [&](const resbuf& rb) {
        switch (rb.restype) {
            case 2:
                setName(rb.resval.rstring);
                return true;
            case 70:
                m_frozen = (rb.resval.rint & 1) != 0;
                m_locked = (rb.resval.rint & 4) != 0;
                return true;
            case 62:
                m_off = rb.resval.rint < 0;
                m_color.setColorIndex(static_cast<Adesk::UInt16>(std::abs(rb.resval.rint) % 257));
                return true;
            case 420:
                m_color.setRGB(static_cast<Adesk::UInt8>(rb.resval.rlong >> 16),
                               static_cast<Adesk::UInt8>(rb.resval.rlong >> 8),
                               static_cast<Adesk::UInt8>(rb.resval.rlong));
                return true;
            case 6:
                if (pFiler->database() != nullptr)
                    m_linetype =
                        hs::findEntry(pFiler->database()->linetypeTableId(), rb.resval.rstring, false);
                return true;
            case 370:
                m_lineWeight = static_cast<AcDb::LineWeight>(rb.resval.rint);
                return true;
            case 290:
            case 390:
            case 347:
            case 348:
                return true;
            default:
                return rb.restype >= 1000;
        }
    });
}

Acad::ErrorStatus AcDbLayerTableRecord::dxfOutFields(AcDbDxfFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    const ACHAR* name = nullptr;
    getName(name);
    pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("AcDbLayerTableRecord"));
    pFiler->writeString(AcDb::kDxfSymbolTableName, name);
    pFiler->writeInt16(70, static_cast<Adesk::Int16>((m_frozen ? 1 : 0) | (m_locked ? 4 : 0)));
    Adesk::Int16 index = static_cast<Adesk::Int16>(m_color.isByColor() ? 7 : m_color.colorIndex());
    pFiler->writeInt16(62, m_off ? static_cast<Adesk::Int16>(-index) : index);
    if (m_color.isByColor())
        pFiler->writeInt32(
            420, (Adesk::Int32(m_color.red()) << 16) | (Adesk::Int32(m_color.green()) << 8) | m_color.blue());
    hs::tstring lt = hs::recordName(m_linetype);
    pFiler->writeString(6, lt.empty() ? ACRX_T("Continuous") : lt.c_str());
    pFiler->writeInt16(370, static_cast<Adesk::Int16>(m_lineWeight));
    return pFiler->filerStatus();
}

// ---- AcDbLinetypeTableRecord ----

struct AcDbLinetypeTableRecord::Data {
    hs::tstring comments;
    double patternLength = 0.0;
    std::vector<double> dashes;
};

AcDbLinetypeTableRecord::AcDbLinetypeTableRecord() : m_pData(new Data()) {}

AcDbLinetypeTableRecord::~AcDbLinetypeTableRecord() {
    delete m_pData;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::comments(const ACHAR*& pString) const {
    assertReadEnabled();
    pString = m_pData->comments.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const ACHAR* pString) {
    assertWriteEnabled();
    m_pData->comments = pString != nullptr ? pString : ACRX_T("");
    return Acad::eOk;
}

double AcDbLinetypeTableRecord::patternLength() const {
    assertReadEnabled();
    return m_pData->patternLength;
}

void AcDbLinetypeTableRecord::setPatternLength(double len) {
    assertWriteEnabled();
    m_pData->patternLength = len;
}

int AcDbLinetypeTableRecord::numDashes() const {
    assertReadEnabled();
    return static_cast<int>(m_pData->dashes.size());
}

void AcDbLinetypeTableRecord::setNumDashes(int count) {
    assertWriteEnabled();
    m_pData->dashes.resize(static_cast<size_t>(count < 0 ? 0 : count > 12 ? 12 : count), 0.0);
}

double AcDbLinetypeTableRecord::dashLengthAt(int index) const {
    assertReadEnabled();
    return index >= 0 && index < numDashes() ? m_pData->dashes[static_cast<size_t>(index)] : 0.0;
}

void AcDbLinetypeTableRecord::setDashLengthAt(int index, double value) {
    assertWriteEnabled();
    if (index >= 0 && index < static_cast<int>(m_pData->dashes.size()))
        m_pData->dashes[static_cast<size_t>(index)] = value;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    ACHAR* s = nullptr;
    if (pFiler->readString(&s) == Acad::eOk && s != nullptr)
        m_pData->comments = s;
    acdbFree(s);
    pFiler->readDouble(&m_pData->patternLength);
    Adesk::Int16 n = 0;
    pFiler->readInt16(&n);
    m_pData->dashes.assign(static_cast<size_t>(n < 0 ? 0 : n > 12 ? 12 : n), 0.0);
    for (double& d : m_pData->dashes)
        pFiler->readDouble(&d);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(m_pData->comments.c_str());
    pFiler->writeDouble(m_pData->patternLength);
    pFiler->writeInt16(static_cast<Adesk::Int16>(m_pData->dashes.size()));
    for (double d : m_pData->dashes)
        pFiler->writeDouble(d);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->atSubclassData(ACRX_T("AcDbLinetypeTableRecord"));
    m_pData->dashes.clear();
    return readGroups(pFiler, [&](const resbuf& rb) {
        switch (rb.restype) {
            case 2:
                setName(rb.resval.rstring);
                return true;
            case 3:
                m_pData->comments = rb.resval.rstring;
                return true;
            case 40:
                m_pData->patternLength = rb.resval.rreal;
                return true;
            case 49:
                if (m_pData->dashes.size() < 12)
                    m_pData->dashes.push_back(rb.resval.rreal);
                return true;
            case 70:
            case 72:
            case 73:
            case 74:
            case 75:
            case 340:
            case 46:
            case 50:
            case 44:
            case 45:
            case 9:
                return true;
            default:
                return rb.restype >= 1000;
        }
    });
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dxfOutFields(AcDbDxfFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    const ACHAR* name = nullptr;
    getName(name);
    pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("AcDbLinetypeTableRecord"));
    pFiler->writeString(AcDb::kDxfSymbolTableName, name);
    pFiler->writeInt16(70, 0);
    pFiler->writeString(3, m_pData->comments.c_str());
    pFiler->writeInt16(72, 65);
    pFiler->writeInt16(73, static_cast<Adesk::Int16>(m_pData->dashes.size()));
    pFiler->writeDouble(40, m_pData->patternLength);
    for (double d : m_pData->dashes) {
        pFiler->writeDouble(49, d);
        pFiler->writeInt16(74, 0);
    }
    return pFiler->filerStatus();
}
