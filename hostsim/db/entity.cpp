// AcDbEntity: the common properties (colour, layer, linetype, linetype
// scale, lineweight, visibility), their filing, and the default geometry
// hooks. AcCmColor lives here too.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "db/dbimp.h"
#include "db/pool.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "filing/dxffiler.h"
#include "hostsim/dbapi.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"

// ---- AcCmColor ----

AcCmColor::AcCmColor() : m_method(AcCmEntityColor::kByLayer), m_index(256), m_rgb{0, 0, 0} {}

AcCmColor::AcCmColor(const AcCmColor& other)
    : AcCmColorBase(other),
      m_method(other.m_method),
      m_index(other.m_index),
      m_rgb{other.m_rgb[0], other.m_rgb[1], other.m_rgb[2]},
      m_names(other.m_names ? new Names(*other.m_names) : nullptr) {}

AcCmColor& AcCmColor::operator=(const AcCmColor& other) {
    if (this != &other) {
        m_method = other.m_method;
        m_index = other.m_index;
        m_rgb[0] = other.m_rgb[0];
        m_rgb[1] = other.m_rgb[1];
        m_rgb[2] = other.m_rgb[2];
        m_names.reset(other.m_names ? new Names(*other.m_names) : nullptr);
    }
    return *this;
}

AcCmColor::~AcCmColor() = default;

AcCmEntityColor::ColorMethod AcCmColor::colorMethod() const {
    return m_method;
}

Acad::ErrorStatus AcCmColor::setColorMethod(AcCmEntityColor::ColorMethod eColorMethod) {
    m_method = eColorMethod;
    m_names.reset();
    if (eColorMethod == AcCmEntityColor::kByLayer)
        m_index = 256;
    else if (eColorMethod == AcCmEntityColor::kByBlock)
        m_index = 0;
    return Acad::eOk;
}

bool AcCmColor::isByColor() const {
    return m_method == AcCmEntityColor::kByColor;
}
bool AcCmColor::isByLayer() const {
    return m_method == AcCmEntityColor::kByLayer;
}
bool AcCmColor::isByBlock() const {
    return m_method == AcCmEntityColor::kByBlock;
}
bool AcCmColor::isByACI() const {
    return m_method == AcCmEntityColor::kByACI;
}

Acad::ErrorStatus AcCmColor::setColorIndex(Adesk::UInt16 colorIndex) {
    if (colorIndex > 256)
        return Acad::eInvalidInput;
    m_index = colorIndex;
    m_names.reset();
    if (colorIndex == 256)
        m_method = AcCmEntityColor::kByLayer;
    else if (colorIndex == 0)
        m_method = AcCmEntityColor::kByBlock;
    else
        m_method = AcCmEntityColor::kByACI;
    return Acad::eOk;
}

Adesk::UInt16 AcCmColor::colorIndex() const {
    return m_index;
}

Acad::ErrorStatus AcCmColor::setRGB(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue) {
    m_method = AcCmEntityColor::kByColor;
    m_names.reset();
    m_rgb[0] = red;
    m_rgb[1] = green;
    m_rgb[2] = blue;
    return Acad::eOk;
}

Adesk::UInt8 AcCmColor::red() const {
    return m_rgb[0];
}
Adesk::UInt8 AcCmColor::green() const {
    return m_rgb[1];
}
Adesk::UInt8 AcCmColor::blue() const {
    return m_rgb[2];
}

Acad::ErrorStatus AcCmColor::setNames(const ACHAR* colorName, const ACHAR* bookName) {
    if (colorName == nullptr || *colorName == 0) {
        m_names.reset();
        return Acad::eOk;
    }
    std::unique_ptr<Names> pNames(new Names());
    pNames->color = colorName;
    pNames->book = bookName != nullptr ? bookName : ACRX_T("");
    m_names = std::move(pNames);
    return Acad::eOk;
}

const ACHAR* AcCmColor::colorName() const {
    return m_names ? m_names->color.c_str() : ACRX_T("");
}

const ACHAR* AcCmColor::bookName() const {
    return m_names ? m_names->book.c_str() : ACRX_T("");
}

bool AcCmColor::operator==(const AcCmColor& c) const {
    if (m_method != c.m_method)
        return false;
    if ((m_names == nullptr) != (c.m_names == nullptr) ||
        (m_names && (m_names->color != c.m_names->color || m_names->book != c.m_names->book)))
        return false;
    if (m_method == AcCmEntityColor::kByColor)
        return m_rgb[0] == c.m_rgb[0] && m_rgb[1] == c.m_rgb[1] && m_rgb[2] == c.m_rgb[2];
    return m_index == c.m_index;
}

Acad::ErrorStatus AcCmColor::dwgIn(AcDbDwgFiler* pInputFiler) {
    Adesk::UInt16 method = 0, index = 0;
    Adesk::UInt32 rgb = 0;
    pInputFiler->readUInt16(&method);
    pInputFiler->readUInt16(&index);
    pInputFiler->readUInt32(&rgb);
    if (pInputFiler->filerStatus() != Acad::eOk)
        return pInputFiler->filerStatus();
    if (method < AcCmEntityColor::kByLayer || method > AcCmEntityColor::kNone || index > 256)
        return Acad::eInvalidInput;
    m_method = static_cast<AcCmEntityColor::ColorMethod>(method);
    m_index = index;
    m_rgb[0] = static_cast<Adesk::UInt8>(rgb >> 16);
    m_rgb[1] = static_cast<Adesk::UInt8>(rgb >> 8);
    m_rgb[2] = static_cast<Adesk::UInt8>(rgb);
    ACHAR* pColor = nullptr;
    ACHAR* pBook = nullptr;
    pInputFiler->readString(&pColor);
    pInputFiler->readString(&pBook);
    setNames(pColor, pBook);
    acdbFree(pColor);
    acdbFree(pBook);
    return pInputFiler->filerStatus();
}

Acad::ErrorStatus AcCmColor::dwgOut(AcDbDwgFiler* pOutputFiler) const {
    pOutputFiler->writeUInt16(static_cast<Adesk::UInt16>(m_method));
    pOutputFiler->writeUInt16(m_index);
    pOutputFiler->writeUInt32((Adesk::UInt32(m_rgb[0]) << 16) | (Adesk::UInt32(m_rgb[1]) << 8) | m_rgb[2]);
    pOutputFiler->writeString(colorName());
    pOutputFiler->writeString(bookName());
    return pOutputFiler->filerStatus();
}

// ---- AcDbEntity ----

struct AcDbEntity::Props {
    // Entities are made and dropped in large numbers (reading a drawing,
    // cloning, undo): their records come from a free list.
    static void* operator new(std::size_t size) {
#if HS_POOL_RECORDS
        (void)size;
        if (void* p = pool().take())
            return p;
        throw std::bad_alloc();
#else
        return ::operator new(size);
#endif
    }
    static void operator delete(void* p) {
#if HS_POOL_RECORDS
        pool().give(p);
#else
        ::operator delete(p);
#endif
    }
    static hs::RecordPool& pool() {
        // Never destroyed: entities may still be deleted while the program ends.
        static hs::RecordPool* s_pool = new hs::RecordPool(sizeof(Props));
        return *s_pool;
    }

    AcCmColor color;
    hs::tstring layer = ACRX_T("0");
    double linetypeScale = 1.0;
    AcDb::LineWeight lineWeight = AcDb::kLnWtByLayer;
    AcDb::Visibility visibility = AcDb::kVisible;
    // The properties set since the entity was made (the others take the
    // database's current values when it is added to a database).
    enum { kColorSet = 1, kLayerSet = 2, kLinetypeSet = 4, kScaleSet = 8, kWeightSet = 16, kAllSet = 31 };
    unsigned char setMask = 0;
    // The common groups a reading took so far, one bit each: a second group
    // of a kind is left to the file reader, which keeps it as it was.
    unsigned short readMask = 0;
    AcCmTransparency transparency;

    // Most entities keep the default linetype: it is not stored for each.
    Props() = default;
    Props(const Props& o) {
        *this = o;
    }
    Props(Props&&) = default;
    Props& operator=(Props&&) = default;
    Props& operator=(const Props& o) {
        color = o.color;
        layer = o.layer;
        linetypeScale = o.linetypeScale;
        lineWeight = o.lineWeight;
        visibility = o.visibility;
        setMask = o.setMask;
        transparency = o.transparency;
        m_linetype.reset(o.m_linetype ? new hs::tstring(*o.m_linetype) : nullptr);
        return *this;
    }
    const hs::tstring& linetype() const {
        static const hs::tstring kByLayer = ACRX_T("ByLayer");
        return m_linetype ? *m_linetype : kByLayer;
    }
    void setLinetype(const ACHAR* name) {
        setLinetype(hs::tstring(name != nullptr ? name : ACRX_T("")));
    }
    void setLinetype(const hs::tstring& name) {
        if (m_linetype)
            *m_linetype = name;
        else
            m_linetype.reset(new hs::tstring(name));
    }
    bool hasLinetype() const {
        return m_linetype != nullptr;
    }
    void resetLinetype() {
        m_linetype.reset();
    }

private:
    std::unique_ptr<hs::tstring> m_linetype;
};

AcDbEntity::AcDbEntity() : m_pProps(new Props()) {}

AcDbEntity::~AcDbEntity() {
    delete m_pProps;
}

namespace hs {
bool isLineWeight(int lw) {
    static const int valid[] = {0,  5,  9,  13,  15,  18,  20,  25,  30,  35,  40, 50, 53, 60,
                                70, 80, 90, 100, 106, 120, 140, 158, 200, 211, -1, -2, -3};
    for (int v : valid)
        if (v == lw)
            return true;
    return false;
}
}  // namespace hs

namespace {

// The database that resolves names: the entity's own, else the working one.
AcDbDatabase* namingDatabase(const AcDbObject* pObj) {
    return pObj->database() != nullptr ? pObj->database() : acdbHostApplicationServices()->workingDatabase();
}

}  // namespace

AcDbObjectId AcDbEntity::blockId() const {
    return ownerId();
}

AcCmColor AcDbEntity::color() const {
    assertReadEnabled();
    return m_pProps->color;
}

Acad::ErrorStatus AcDbEntity::setColor(const AcCmColor& color, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setColor");
    if (es != Acad::eOk)
        return es;
    assertWriteEnabled();
    m_pProps->color = color;
    m_pProps->setMask |= Props::kColorSet;
    return Acad::eOk;
}

Adesk::UInt16 AcDbEntity::colorIndex() const {
    assertReadEnabled();
    return m_pProps->color.colorIndex();
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 color, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setColorIndex");
    if (es != Acad::eOk)
        return es;
    if (color > 256)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_pProps->color.setColorIndex(color);
    m_pProps->setMask |= Props::kColorSet;
    return Acad::eOk;
}

ACHAR* AcDbEntity::layer() const {
    assertReadEnabled();
    return hs::newString(m_pProps->layer.c_str());
}

const ACHAR* AcDbEntity::hsLayerName() const {
    return m_pProps->layer.c_str();
}

AcDbObjectId AcDbEntity::layerId() const {
    assertReadEnabled();
    AcDbDatabase* pDb = namingDatabase(this);
    return pDb != nullptr ? hs::findEntry(pDb->layerTableId(), m_pProps->layer, false) : AcDbObjectId::kNull;
}

namespace {

// Resolves a symbol name in the given table of the naming database; outside
// any database every name is taken as given.
Acad::ErrorStatus resolveName(const AcDbObject* pObj, AcDbObjectId (AcDbDatabase::*table)() const,
                              const ACHAR* name, hs::tstring& out) {
    if (name == nullptr || *name == 0)
        return Acad::eInvalidInput;
    AcDbDatabase* pDb = namingDatabase(pObj);
    if (pDb == nullptr) {
        out = name;
        return Acad::eOk;
    }
    AcDbObjectId id = hs::findEntry((pDb->*table)(), name, false);
    if (id.isNull())
        return Acad::eKeyNotFound;
    out = hs::recordName(id);
    return Acad::eOk;
}

Acad::ErrorStatus nameOfRecord(AcDbObjectId id, const AcRxClass* pClass, hs::tstring& out) {
    if (id.isNull())
        return Acad::eNullObjectId;
    if (id.stub()->pObject == nullptr || id.stub()->erased || !id.stub()->pObject->isKindOf(pClass))
        return Acad::eWrongObjectType;
    out = hs::recordName(id);
    return Acad::eOk;
}

}  // namespace

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* newVal, Adesk::Boolean, bool)
#else
Acad::ErrorStatus AcDbEntity::setLayer(const char* newVal, Adesk::Boolean)
#endif
{
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setLayer");
    if (es != Acad::eOk)
        return es;
    hs::tstring name;
    es = resolveName(this, &AcDbDatabase::layerTableId, newVal, name);
    if (es != Acad::eOk)
        return es;
    assertWriteEnabled();
    m_pProps->layer = name;
    m_pProps->setMask |= Props::kLayerSet;
    return Acad::eOk;
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId newVal, Adesk::Boolean, bool)
#else
Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId newVal, Adesk::Boolean)
#endif
{
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setLayer");
    if (es != Acad::eOk)
        return es;
    hs::tstring name;
    es = nameOfRecord(newVal, AcDbLayerTableRecord::desc(), name);
    if (es != Acad::eOk)
        return es;
    assertWriteEnabled();
    m_pProps->layer = name;
    m_pProps->setMask |= Props::kLayerSet;
    return Acad::eOk;
}

ACHAR* AcDbEntity::linetype() const {
    assertReadEnabled();
    return hs::newString(m_pProps->linetype().c_str());
}

AcDbObjectId AcDbEntity::linetypeId() const {
    assertReadEnabled();
    AcDbDatabase* pDb = namingDatabase(this);
    return pDb != nullptr ? hs::findEntry(pDb->linetypeTableId(), m_pProps->linetype(), false)
                          : AcDbObjectId::kNull;
}

Acad::ErrorStatus AcDbEntity::setLinetype(const ACHAR* newVal, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setLinetype");
    if (es != Acad::eOk)
        return es;
    hs::tstring name;
    es = resolveName(this, &AcDbDatabase::linetypeTableId, newVal, name);
    if (es != Acad::eOk)
        return es;
    assertWriteEnabled();
    m_pProps->setLinetype(name);
    m_pProps->setMask |= Props::kLinetypeSet;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId newVal, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setLinetype");
    if (es != Acad::eOk)
        return es;
    hs::tstring name;
    es = nameOfRecord(newVal, AcDbLinetypeTableRecord::desc(), name);
    if (es != Acad::eOk)
        return es;
    assertWriteEnabled();
    m_pProps->setLinetype(name);
    m_pProps->setMask |= Props::kLinetypeSet;
    return Acad::eOk;
}

double AcDbEntity::linetypeScale() const {
    assertReadEnabled();
    return m_pProps->linetypeScale;
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double newval, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setLinetypeScale");
    if (es != Acad::eOk)
        return es;
    if (!(newval > 0.0) || !std::isfinite(newval))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_pProps->linetypeScale = newval;
    m_pProps->setMask |= Props::kScaleSet;
    return Acad::eOk;
}

AcDb::LineWeight AcDbEntity::lineWeight() const {
    assertReadEnabled();
    return m_pProps->lineWeight;
}

Acad::ErrorStatus AcDbEntity::setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setLineWeight");
    if (es != Acad::eOk)
        return es;
    if (!hs::isLineWeight(newVal))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_pProps->lineWeight = newVal;
    m_pProps->setMask |= Props::kWeightSet;
    return Acad::eOk;
}

AcDb::Visibility AcDbEntity::visibility() const {
    assertReadEnabled();
    return m_pProps->visibility;
}

Acad::ErrorStatus AcDbEntity::setVisibility(AcDb::Visibility newVal, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setVisibility");
    if (es != Acad::eOk)
        return es;
    assertWriteEnabled();
    m_pProps->visibility = newVal;
    return Acad::eOk;
}

AcCmTransparency AcDbEntity::transparency() const {
    assertReadEnabled();
    return m_pProps->transparency;
}

Acad::ErrorStatus AcDbEntity::setTransparency(const AcCmTransparency& trans, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setTransparency");
    if (es != Acad::eOk)
        return es;
    if (trans.isInvalid())
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_pProps->transparency = trans;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setPropertiesFrom(const AcDbEntity* pEntity, Adesk::Boolean) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::setPropertiesFrom");
    if (es != Acad::eOk)
        return es;
    if (pEntity == nullptr)
        return Acad::eNullEntityPointer;
    pEntity->assertReadEnabled();
    assertWriteEnabled();
    if (pEntity != this)
        *m_pProps = *pEntity->m_pProps;
    return Acad::eOk;
}

// ---- database defaults ----

void AcDbEntity::setDatabaseDefaults() {
    setDatabaseDefaults(namingDatabase(this));
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* pDb) {
    hsApplyDatabaseDefaults(pDb, /*onlyUnset=*/false);
}

void AcDbEntity::subSetDatabaseDefaults(AcDbDatabase*) {}

void AcDbEntity::hsApplyDatabaseDefaults(AcDbDatabase* pDb, bool onlyUnset) {
    if (pDb == nullptr)
        return;
    assertWriteEnabled(/*autoUndo=*/false);
    Props& p = *m_pProps;
    unsigned unset = onlyUnset ? ~unsigned(p.setMask) : unsigned(Props::kAllSet);
    if (unset & Props::kColorSet)
        p.color = pDb->cecolor();
    if (unset & Props::kLayerSet) {
        hs::tstring name = hs::recordName(pDb->clayer());
        if (!name.empty())
            p.layer = name;
    }
    if (unset & Props::kLinetypeSet) {
        AcDbObjectId lt = pDb->celtype();
        if (lt.isNull() || lt == pDb->byLayerLinetype())
            p.resetLinetype();
        else
            p.setLinetype(hs::recordName(lt));
    }
    if (unset & Props::kScaleSet)
        p.linetypeScale = pDb->celtscale();
    if (unset & Props::kWeightSet)
        p.lineWeight = pDb->celweight();
    p.setMask = Props::kAllSet;
    subSetDatabaseDefaults(pDb);
}

// ---- filing of the common properties ----

Acad::ErrorStatus AcDbEntity::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::dwgOutFields");
    if (es != Acad::eOk)
        return es;
    es = AcDbObject::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(m_pProps->layer.c_str());
    pFiler->writeString(m_pProps->linetype().c_str());
    m_pProps->color.dwgOut(pFiler);
    pFiler->writeDouble(m_pProps->linetypeScale);
    pFiler->writeInt16(static_cast<Adesk::Int16>(m_pProps->lineWeight));
    pFiler->writeInt16(static_cast<Adesk::Int16>(m_pProps->visibility));
    pFiler->writeUInt32(m_pProps->transparency.serializeOut());
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::dwgInFields");
    if (es != Acad::eOk)
        return es;
    es = AcDbObject::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Props p;
    ACHAR* s = nullptr;
    if (pFiler->readString(&s) == Acad::eOk && s != nullptr)
        p.layer = s;
    acdbFree(s);
    s = nullptr;
    if (pFiler->readString(&s) == Acad::eOk && s != nullptr)
        p.setLinetype(s);
    acdbFree(s);
    p.color.dwgIn(pFiler);
    pFiler->readDouble(&p.linetypeScale);
    Adesk::Int16 lw = 0, vis = 0;
    pFiler->readInt16(&lw);
    pFiler->readInt16(&vis);
    Adesk::UInt32 transparency = 0;
    pFiler->readUInt32(&transparency);
    p.transparency.serializeIn(transparency);
    if (pFiler->filerStatus() != Acad::eOk)
        return pFiler->filerStatus();
    p.lineWeight = static_cast<AcDb::LineWeight>(lw);
    p.visibility = vis != 0 ? AcDb::kInvisible : AcDb::kVisible;
    p.setMask = Props::kAllSet;
    *m_pProps = p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::dxfOutFields(AcDbDxfFiler* pFiler) const {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::dxfOutFields");
    if (es != Acad::eOk)
        return es;
    es = AcDbObject::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("AcDbEntity"));
    pFiler->writeString(AcDb::kDxfLayerName, m_pProps->layer.c_str());
    if (m_pProps->hasLinetype() && !hs::equalsNoCase(hs::toUtf8(m_pProps->linetype()), "ByLayer"))
        pFiler->writeString(AcDb::kDxfLinetypeName, m_pProps->linetype().c_str());
    const AcCmColor& c = m_pProps->color;
    if (c.isByColor()) {
        // A true colour keeps the colour index given with it, for readers
        // that know only indexes.
        if (c.colorIndex() >= 1 && c.colorIndex() <= 255)
            pFiler->writeInt16(AcDb::kDxfColor, static_cast<Adesk::Int16>(c.colorIndex()));
        pFiler->writeInt32(420, (Adesk::Int32(c.red()) << 16) | (Adesk::Int32(c.green()) << 8) | c.blue());
        if (*c.colorName() != 0) {
            hs::tstring name = hs::tstring(c.bookName()) + ACRX_T("$") + c.colorName();
            pFiler->writeString(static_cast<AcDb::DxfCode>(430), name.c_str());
        }
    } else if (c.colorIndex() != 256) {
        pFiler->writeInt16(AcDb::kDxfColor, static_cast<Adesk::Int16>(c.colorIndex()));
    }
    if (m_pProps->lineWeight != AcDb::kLnWtByLayer)
        pFiler->writeInt16(AcDb::kDxfLineWeight, static_cast<Adesk::Int16>(m_pProps->lineWeight));
    if (m_pProps->linetypeScale != 1.0)
        pFiler->writeDouble(AcDb::kDxfLinetypeScale, m_pProps->linetypeScale);
    if (m_pProps->visibility == AcDb::kInvisible)
        pFiler->writeInt16(AcDb::kDxfVisibility, 1);
    if (!m_pProps->transparency.isByLayer())
        pFiler->writeInt32(static_cast<AcDb::DxfCode>(440),
                           static_cast<Adesk::Int32>(m_pProps->transparency.serializeOut()));
    return pFiler->filerStatus();
}

namespace {
const int kPropertyCodes[] = {
    AcDb::kDxfLayerName,  AcDb::kDxfLinetypeName,  AcDb::kDxfColor,     420, 430, 440,
    AcDb::kDxfLineWeight, AcDb::kDxfLinetypeScale, AcDb::kDxfVisibility};
}  // namespace

bool hs::isEntityPropertyCode(int code) {
    return std::find(std::begin(kPropertyCodes), std::end(kPropertyCodes), code) != std::end(kPropertyCodes);
}

// The groups of the entity subclass, each once: a second group of a kind is
// left unread (the file reader keeps it where it was), so that what the file
// gave first stays what is read, save after save.
bool AcDbEntity::readCommonGroup(Props& p, const resbuf& rb) {
    unsigned bit = 0;
    for (size_t i = 0; i < sizeof kPropertyCodes / sizeof kPropertyCodes[0]; ++i)
        if (kPropertyCodes[i] == rb.restype)
            bit = 1u << i;
    if ((p.readMask & bit) != 0 || !readCommonValue(p, rb))
        return false;
    p.readMask = static_cast<unsigned short>(p.readMask | bit);
    return true;
}

// The groups of the entity subclass, in any order: a colour index given
// with a true colour stays the true colour's index, and a colour book name
// stays with its true colour.
bool AcDbEntity::readCommonValue(Props& p, const resbuf& rb) {
    auto keepingTrueColor = [&p](auto change) {
        AcCmColor old = p.color;
        change();
        if (old.isByColor()) {
            p.color.setRGB(old.red(), old.green(), old.blue());
            p.color.setNames(old.colorName(), old.bookName());
        }
    };
    switch (rb.restype) {
        case AcDb::kDxfLayerName:
            p.layer = rb.resval.rstring;
            return true;
        case AcDb::kDxfLinetypeName:
            p.setLinetype(rb.resval.rstring);
            return true;
        // A value the host would not take (a colour outside 0-256, a
        // lineweight that is none, a scale that is not positive, an unknown
        // transparency method) is left unread: the file reader keeps the
        // group as the file gave it and says so.
        case AcDb::kDxfColor:
            if (rb.resval.rint < 0 || rb.resval.rint > 256)
                return false;
            keepingTrueColor([&] { p.color.setColorIndex(static_cast<Adesk::UInt16>(rb.resval.rint)); });
            return true;
        case 420: {
            AcCmColor old = p.color;
            p.color.setRGB(static_cast<Adesk::UInt8>(rb.resval.rlong >> 16),
                           static_cast<Adesk::UInt8>(rb.resval.rlong >> 8),
                           static_cast<Adesk::UInt8>(rb.resval.rlong));
            p.color.setNames(old.colorName(), old.bookName());
            return true;
        }
        case 430: {
            // "BOOK$COLOR"; the name belongs to the true colour (420).
            hs::tstring text = rb.resval.rstring != nullptr ? rb.resval.rstring : ACRX_T("");
            size_t dollar = text.find(ACHAR('$'));
            if (dollar == hs::tstring::npos)
                p.color.setNames(text.c_str());
            else
                p.color.setNames(text.substr(dollar + 1).c_str(), text.substr(0, dollar).c_str());
            return true;
        }
        case 440: {
            AcCmTransparency t;
            t.serializeIn(static_cast<Adesk::UInt32>(rb.resval.rlong));
            // By layer is written as nothing: only its plain form reads back.
            if (t.isInvalid() || (t.isByLayer() && rb.resval.rlong != 0))
                return false;
            p.transparency = t;
            return true;
        }
        case AcDb::kDxfLineWeight:
            if (!hs::isLineWeight(rb.resval.rint))
                return false;
            p.lineWeight = static_cast<AcDb::LineWeight>(rb.resval.rint);
            return true;
        case AcDb::kDxfLinetypeScale:
            if (!(rb.resval.rreal > 0.0) || !std::isfinite(rb.resval.rreal))
                return false;
            p.linetypeScale = rb.resval.rreal;
            return true;
        case AcDb::kDxfVisibility:
            p.visibility = rb.resval.rint != 0 ? AcDb::kInvisible : AcDb::kVisible;
            return true;
        // Paper space is where the entity is owned; the proxy graphics of an
        // entity hostsim models are made again from the entity itself.
        case 67:
        case 92:
        case 160:
        case 310:
            return true;
        default:
            // Shadows, material, visual style, plot style, layout name: kept
            // in their place by the file reader.
            return false;
    }
}

bool AcDbEntity::hsReadCommonGroup(const resbuf& rb) {
    assertWriteEnabled();
    return readCommonGroup(*m_pProps, rb);
}

Acad::ErrorStatus AcDbEntity::dxfInFields(AcDbDxfFiler* pFiler) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::dxfInFields");
    if (es != Acad::eOk)
        return es;
    es = AcDbObject::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    // Files of release 12 have no subclass markers: the common groups come first.
    pFiler->atSubclassData(ACRX_T("AcDbEntity"));
    hs::DxfFiler* pHs = dynamic_cast<hs::DxfFiler*>(pFiler);
    // Read into a scratch record that keeps its strings' storage from one
    // entity to the next, then exchange it with the entity's.
    static Props s_scratch;
    Props& p = s_scratch;
    p.color = AcCmColor();
    p.layer.assign(ACRX_T("0"));
    p.resetLinetype();
    p.linetypeScale = 1.0;
    p.lineWeight = AcDb::kLnWtByLayer;
    p.visibility = AcDb::kVisible;
    p.setMask = Props::kAllSet;
    p.transparency = AcCmTransparency();
    p.readMask = 0;
    resbuf rb;
    for (;;) {
        es = pHs != nullptr ? pHs->readResBufQuiet(&rb) : pFiler->readResBuf(&rb);
        if (es != Acad::eOk)
            break;
        if (!readCommonGroup(p, rb)) {
            pFiler->pushBackItem();
            break;
        }
    }
    if (pFiler->filerStatus() != Acad::eOk)
        return pFiler->filerStatus();
    std::swap(*m_pProps, p);
    return Acad::eOk;
}

// ---- geometry hooks: defaults ----

namespace {

void listCommon(const AcDbEntity* pEnt, const hs::tstring& layer) {
    std::string type;
    if (pEnt->isA() != nullptr) {
        const ACHAR* dxf = pEnt->isA()->dxfName();
        type = hs::toUtf8(dxf != nullptr && *dxf ? dxf : pEnt->isA()->name());
    }
    std::string space = "Model space";
    AcDbDatabase* pDb = pEnt->database();
    if (pDb != nullptr && pEnt->ownerId() != hs::modelSpaceId(pDb))
        space = pEnt->ownerId() == hs::paperSpaceId(pDb) ? "Paper space" : "Block";
    char handle[32];
    std::snprintf(handle, sizeof handle, "%llx", static_cast<unsigned long long>(pEnt->hsHandle().value()));
    hs::Session& s = hs::Session::get();
    char line[512];
    std::snprintf(line, sizeof line, "%18s    Layer: \"%s\"\n", type.c_str(), hs::toUtf8(layer).c_str());
    s.print(line);
    std::snprintf(line, sizeof line, "%22sSpace: %s\n", "", space.c_str());
    s.print(line);
    std::snprintf(line, sizeof line, "%19sHandle = %s\n", "", handle);
    s.print(line);
}

}  // namespace

#if IRONVEIL_RELEASE >= 18
void AcDbEntity::list() const {
    subList();
}
Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d& xform) {
    return subTransformBy(xform);
}
Acad::ErrorStatus AcDbEntity::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const {
    return subGetTransformedCopy(xform, pEnt);
}
Acad::ErrorStatus AcDbEntity::getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                            AcDbIntArray& geomIds) const {
    return subGetGripPoints(gripPoints, osnapModes, geomIds);
}
Acad::ErrorStatus AcDbEntity::moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return subMoveGripPointsAt(indices, offset);
}
Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents& extents) const {
    return subGetGeomExtents(extents);
}
void AcDbEntity::subList() const
#else
void AcDbEntity::list() const
#endif
{
    assertReadEnabled();
    listCommon(this, m_pProps->layer);
    hs::Session& s = hs::Session::get();
    const AcCmColor& c = m_pProps->color;
    std::string color = c.isByLayer()   ? "BYLAYER"
                        : c.isByBlock() ? "BYBLOCK"
                                        : std::to_string(c.colorIndex());
    if (c.isByColor())
        color = std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue());
    if (!c.isByLayer())
        s.print("                  Color: " + color + "\n");
    if (!hs::equalsNoCase(hs::toUtf8(m_pProps->linetype()), "ByLayer"))
        s.print("               Linetype: \"" + hs::toUtf8(m_pProps->linetype()) + "\"\n");
    if (m_pProps->linetypeScale != 1.0)
        s.print("        Linetype scale: " + hs::formatDxfDouble(m_pProps->linetypeScale) + "\n");
    if (m_pProps->lineWeight != AcDb::kLnWtByLayer)
        s.print("             Lineweight: " + std::to_string(static_cast<int>(m_pProps->lineWeight)) + "\n");
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbEntity::subTransformBy(const AcGeMatrix3d&)
#else
Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&)
#endif
{
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::transformBy");
    return es != Acad::eOk ? es : Acad::eNotApplicable;
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbEntity::subGetTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const
#else
Acad::ErrorStatus AcDbEntity::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const
#endif
{
    pEnt = nullptr;
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::getTransformedCopy");
    if (es != Acad::eOk)
        return es;
    AcDbEntity* pCopy = AcDbEntity::cast(clone());
    if (pCopy == nullptr)
        return Acad::eOutOfMemory;
    es = pCopy->transformBy(xform);
    if (es != Acad::eOk) {
        delete pCopy;
        return es;
    }
    pEnt = pCopy;
    return Acad::eOk;
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbEntity::subGetGripPoints(AcGePoint3dArray&, AcDbIntArray&, AcDbIntArray&) const
#else
Acad::ErrorStatus AcDbEntity::getGripPoints(AcGePoint3dArray&, AcDbIntArray&, AcDbIntArray&) const
#endif
{
    assertReadEnabled();
    return Acad::eOk;
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbEntity::subMoveGripPointsAt(const AcDbIntArray&, const AcGeVector3d&)
#else
Acad::ErrorStatus AcDbEntity::moveGripPointsAt(const AcDbIntArray&, const AcGeVector3d&)
#endif
{
    return Acad::eNotApplicable;
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus AcDbEntity::subGetGeomExtents(AcDbExtents&) const
#else
Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents&) const
#endif
{
    assertReadEnabled();
    return Acad::eInvalidExtents;
}
