// Block table records (with their entity iterator), layer records and
// linetype records.
#include <cstdlib>

#include "db/dbimp.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "filing/dxffiler.h"
#include "hostsim/dbapi.h"

namespace {

// Reads the groups of a record's last subclass; fn returns false for a group
// it does not model. Such a group is left unread for the file reader, which
// keeps it in its place, and reading goes on; extended data (from its first
// application name) ends it.
template <class Fn>
Acad::ErrorStatus readGroups(AcDbDxfFiler* pFiler, Fn fn) {
    hs::DxfFiler* pHs = dynamic_cast<hs::DxfFiler*>(pFiler);
    resbuf rb;
    for (;;) {
        Acad::ErrorStatus es = pHs != nullptr ? pHs->readResBufQuiet(&rb) : pFiler->readResBuf(&rb);
        if (es != Acad::eOk)
            break;
        if (rb.restype == AcDb::kDxfRegAppName) {
            pFiler->pushBackItem();
            break;
        }
        if (rb.restype != AcDb::kDxfSubclass && fn(rb))
            continue;
        if (pHs == nullptr || !pHs->leavesUnknown()) {
            pFiler->pushBackItem();
            break;
        }
        pHs->leaveLastItem();
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

AcDb::UnitsValue AcDbBlockTableRecord::blockInsertUnits() const {
    assertReadEnabled();
    return static_cast<AcDb::UnitsValue>(m_units);
}

Acad::ErrorStatus AcDbBlockTableRecord::setBlockInsertUnits(AcDb::UnitsValue insunits) {
    if (insunits < AcDb::kUnitsUndefined || insunits > AcDb::kUnitsMax)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_units = static_cast<Adesk::Int16>(insunits);
    return Acad::eOk;
}

bool AcDbBlockTableRecord::explodable() const {
    assertReadEnabled();
    return m_explodable;
}

Acad::ErrorStatus AcDbBlockTableRecord::setExplodable(bool bExplodable) {
    assertWriteEnabled();
    m_explodable = bExplodable;
    return Acad::eOk;
}

AcDbBlockTableRecord::BlockScaling AcDbBlockTableRecord::blockScaling() const {
    assertReadEnabled();
    return m_scaling == 1 ? kUniform : kAny;
}

Acad::ErrorStatus AcDbBlockTableRecord::setBlockScaling(BlockScaling blockScaling) {
    assertWriteEnabled();
    m_scaling = blockScaling == kUniform ? 1 : 0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->readPoint3d(&m_origin);
    pFiler->readInt16(&m_units);
    pFiler->readBool(&m_explodable);
    pFiler->readInt16(&m_scaling);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writePoint3d(m_origin);
    pFiler->writeInt16(m_units);
    pFiler->writeBool(m_explodable);
    pFiler->writeInt16(m_scaling);
    return pFiler->filerStatus();
}

// The origin is written by the BLOCK entity of the file, not by the record.
Acad::ErrorStatus AcDbBlockTableRecord::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->atSubclassData(ACRX_T("AcDbBlockTableRecord"));
    m_units = 0;
    m_explodable = true;
    m_scaling = 0;
    // The layout (340) is the file reader's; the preview picture (310) is kept
    // by it in its place.
    bool named = false;
    return readGroups(pFiler, [&](const resbuf& rb) {
        switch (rb.restype) {
            case AcDb::kDxfSymbolTableName:
                // The first name is the record's (as the file reader takes it).
                if (named || rb.resval.rstring == nullptr || *rb.resval.rstring == 0)
                    return false;
                named = true;
                setName(rb.resval.rstring);
                return true;
            case 340:
                return true;
            case 70:
                m_units = rb.resval.rint;
                return true;
            case 280:
                m_explodable = rb.resval.rint != 0;
                return true;
            case 281:
                m_scaling = rb.resval.rint != 0 ? 1 : 0;
                return true;
            default:
                return false;
        }
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
    pFiler->writeInt16(static_cast<AcDb::DxfCode>(70), m_units);
    pFiler->writeInt16(static_cast<AcDb::DxfCode>(280), m_explodable ? 1 : 0);
    pFiler->writeInt16(static_cast<AcDb::DxfCode>(281), m_scaling);
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
    m_missingLinetype.clear();
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

bool AcDbLayerTableRecord::isPlottable() const {
    assertReadEnabled();
    return m_plottable;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsPlottable(bool plot) {
    assertWriteEnabled();
    m_plottable = plot;
    return Acad::eOk;
}

bool AcDbLayerTableRecord::VPDFLT() const {
    assertReadEnabled();
    return m_vpdflt;
}

void AcDbLayerTableRecord::setVPDFLT(bool frozen) {
    assertWriteEnabled();
    m_vpdflt = frozen;
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
    pFiler->readBool(&m_plottable);
    pFiler->readBool(&m_vpdflt);
    pFiler->readInt16(&m_otherFlags);
    ACHAR* pMissing = nullptr;
    pFiler->readString(&pMissing);
    m_missingLinetype = pMissing != nullptr ? pMissing : ACRX_T("");
    acdbFree(pMissing);
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
    pFiler->writeBool(m_plottable);
    pFiler->writeBool(m_vpdflt);
    pFiler->writeInt16(m_otherFlags);
    pFiler->writeString(m_missingLinetype.c_str());
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbLayerTableRecord::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->atSubclassData(ACRX_T("AcDbLayerTableRecord"));
    bool named = false;
    return readGroups(pFiler, [&](const resbuf& rb) {
        switch (rb.restype) {
            case 2:
                // The first name is the record's (as the file reader takes it).
                if (named || rb.resval.rstring == nullptr || *rb.resval.rstring == 0)
                    return false;
                named = true;
                setName(rb.resval.rstring);
                return true;
            case 70:
                m_frozen = (rb.resval.rint & 1) != 0;
                m_vpdflt = (rb.resval.rint & 2) != 0;
                m_locked = (rb.resval.rint & 4) != 0;
                m_otherFlags = static_cast<Adesk::Int16>(rb.resval.rint & ~7);
                return true;
            case 62: {
                // The index stays with a true colour given before it.
                m_off = rb.resval.rint < 0;
                AcCmColor old = m_color;
                m_color.setColorIndex(static_cast<Adesk::UInt16>(std::abs(rb.resval.rint) % 257));
                if (old.isByColor())
                    m_color.setRGB(old.red(), old.green(), old.blue());
                return true;
            }
            case 420:
                m_color.setRGB(static_cast<Adesk::UInt8>(rb.resval.rlong >> 16),
                               static_cast<Adesk::UInt8>(rb.resval.rlong >> 8),
                               static_cast<Adesk::UInt8>(rb.resval.rlong));
                return true;
            case 290:
                m_plottable = rb.resval.rint != 0;
                return true;
            case 6:
                if (pFiler->database() != nullptr)
                    m_linetype =
                        hs::findEntry(pFiler->database()->linetypeTableId(), rb.resval.rstring, false);
                // A name the drawing lacks, or spelled otherwise than its entry.
                m_missingLinetype =
                    rb.resval.rstring != nullptr &&
                            (m_linetype.isNull() || hs::recordName(m_linetype) != rb.resval.rstring)
                        ? rb.resval.rstring
                        : ACRX_T("");
                return true;
            case 370:
                // A value that is no lineweight is not read: the file reader
                // reports the record.
                if (!hs::isLineWeight(rb.resval.rint))
                    return false;
                m_lineWeight = static_cast<AcDb::LineWeight>(rb.resval.rint);
                return true;
            default:
                // The plot style, material and others are kept by the file reader.
                return false;
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
    pFiler->writeInt16(70, static_cast<Adesk::Int16>(m_otherFlags | (m_frozen ? 1 : 0) | (m_vpdflt ? 2 : 0) |
                                                     (m_locked ? 4 : 0)));
    // A true colour is written with the colour index read with it.
    Adesk::UInt16 read = m_color.colorIndex();
    Adesk::Int16 index =
        static_cast<Adesk::Int16>(m_color.isByColor() && (read < 1 || read > 255) ? 7 : m_color.colorIndex());
    pFiler->writeInt16(62, m_off ? static_cast<Adesk::Int16>(-index) : index);
    if (m_color.isByColor())
        pFiler->writeInt32(
            420, (Adesk::Int32(m_color.red()) << 16) | (Adesk::Int32(m_color.green()) << 8) | m_color.blue());
    hs::tstring lt = hs::recordName(m_linetype);
    if (!m_missingLinetype.empty() &&
        (lt.empty() || hs::equalsNoCase(hs::toUtf8(lt.c_str()), hs::toUtf8(m_missingLinetype.c_str()))))
        lt = m_missingLinetype;
    // No linetype: the drawing's continuous linetype, spelled as the drawing has it.
    AcDbDatabase* pDb = database() != nullptr ? database() : pFiler->database();
    if (lt.empty() && pDb != nullptr)
        lt = hs::recordName(hs::findEntry(pDb->linetypeTableId(), ACRX_T("Continuous"), false));
    if (lt.empty())
        lt = ACRX_T("Continuous");
    pFiler->writeString(6, lt.c_str());
    pFiler->writeBool(static_cast<AcDb::DxfCode>(290), m_plottable);
    pFiler->writeInt16(370, static_cast<Adesk::Int16>(m_lineWeight));
    return pFiler->filerStatus();
}

// ---- AcDbLinetypeTableRecord ----

struct AcDbLinetypeTableRecord::Data {
    hs::tstring comments;
    double patternLength = 0.0;
    std::vector<double> dashes;
    // Each dash's element type (74): 0 a plain dash; otherwise a shape or
    // a text follows it, whose groups the file reader keeps after it.
    std::vector<Adesk::Int16> types;
    Adesk::Int16 flags = 0;
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
    m_pData->types.resize(m_pData->dashes.size(), 0);
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
    m_pData->types.assign(m_pData->dashes.size(), 0);
    for (size_t i = 0; i < m_pData->dashes.size(); ++i) {
        pFiler->readDouble(&m_pData->dashes[i]);
        pFiler->readInt16(&m_pData->types[i]);
    }
    pFiler->readInt16(&m_pData->flags);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(m_pData->comments.c_str());
    pFiler->writeDouble(m_pData->patternLength);
    pFiler->writeInt16(static_cast<Adesk::Int16>(m_pData->dashes.size()));
    for (size_t i = 0; i < m_pData->dashes.size(); ++i) {
        pFiler->writeDouble(m_pData->dashes[i]);
        pFiler->writeInt16(i < m_pData->types.size() ? m_pData->types[i] : Adesk::Int16(0));
    }
    pFiler->writeInt16(m_pData->flags);
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->atSubclassData(ACRX_T("AcDbLinetypeTableRecord"));
    m_pData->dashes.clear();
    m_pData->types.clear();
    m_pData->flags = 0;
    bool named = false;
    return readGroups(pFiler, [&](const resbuf& rb) {
        switch (rb.restype) {
            case 2:
                // The first name is the record's (as the file reader takes it).
                if (named || rb.resval.rstring == nullptr || *rb.resval.rstring == 0)
                    return false;
                named = true;
                setName(rb.resval.rstring);
                return true;
            case 3:
                m_pData->comments = rb.resval.rstring;
                return true;
            case 40:
                m_pData->patternLength = rb.resval.rreal;
                return true;
            case 49:
                if (m_pData->dashes.size() >= 12)
                    return false;
                m_pData->dashes.push_back(rb.resval.rreal);
                m_pData->types.push_back(0);
                return true;
            case 74:
                if (m_pData->types.empty() || m_pData->types.size() > 12)
                    return false;
                m_pData->types.back() = rb.resval.rint;
                return true;
            case 70:
                m_pData->flags = rb.resval.rint;
                return true;
            case 72:  // alignment, always 'A'
            case 73:  // the number of dashes
                return true;
            default:
                // A complex linetype's shapes and texts (75, 340, 46, 50, 44,
                // 45, 9) are kept by the file reader after their dash.
                return false;
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
    pFiler->writeInt16(70, m_pData->flags);
    pFiler->writeString(3, m_pData->comments.c_str());
    pFiler->writeInt16(72, 65);
    pFiler->writeInt16(73, static_cast<Adesk::Int16>(m_pData->dashes.size()));
    pFiler->writeDouble(40, m_pData->patternLength);
    for (size_t i = 0; i < m_pData->dashes.size(); ++i) {
        pFiler->writeDouble(49, m_pData->dashes[i]);
        pFiler->writeInt16(74, i < m_pData->types.size() ? m_pData->types[i] : Adesk::Int16(0));
    }
    return pFiler->filerStatus();
}
