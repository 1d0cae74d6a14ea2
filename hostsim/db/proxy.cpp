// Proxy objects and entities: the classes, hostsim's proxy entity, and the
// places the host makes and unmakes proxies (a class deleted while its
// instances live, a module loaded again).
#include "db/proxy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "db/dbimp.h"
#include "dxf/drawing_data.h"
#include "dxf/objects_io.h"
#include "dxf/proxy_dxf.h"
#include "filing/dwgfiler.h"
#include "gi/proxygraphics.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

// ---- the classes ----

ACRX_DEFINE_MEMBERS(AcDbProxyObject);
ACRX_DEFINE_MEMBERS(AcDbProxyEntity);

namespace {

AcRxObject* makeProxyEntity() {
    return new HsProxyEntity();
}

AcRxObject* makeProxyObject() {
    return new HsProxyObject();
}

}  // namespace

void AcDbProxyObject::rxInit() {
    ACRX_STATIC_CHECK(AcDbProxyObject);
    gpDesc = newAcRxClass(ACRX_T("AcDbProxyObject"), ACRX_T("AcDbObject"), AcDb::kDHL_CURRENT,
                          AcDb::kMReleaseCurrent, 0, &makeProxyObject, ACRX_T("ACAD_PROXY_OBJECT"),
                          ACRX_T("ObjectDBX Classes"));
}
void AcDbProxyObject::rxInit(AppNameChangeFuncPtr) {
    rxInit();
}
void AcDbProxyEntity::rxInit() {
    ACRX_STATIC_CHECK(AcDbProxyEntity);
    gpDesc = newAcRxClass(ACRX_T("AcDbProxyEntity"), ACRX_T("AcDbEntity"), AcDb::kDHL_CURRENT,
                          AcDb::kMReleaseCurrent, 0, &makeProxyEntity, ACRX_T("ACAD_PROXY_ENTITY"),
                          ACRX_T("ObjectDBX Classes"));
}
void AcDbProxyEntity::rxInit(AppNameChangeFuncPtr) {
    rxInit();
}

// ---- database reactors ----

AcRxClass* AcDbDatabaseReactor::desc() {
    AcRxDictionary* pDict = acrxClassDictionary;
    return pDict != nullptr ? static_cast<AcRxClass*>(pDict->at(ACRX_T("AcDbDatabaseReactor"))) : nullptr;
}

void AcDbDatabaseReactor::proxyResurrectionCompleted(const AcDbDatabase*, const ACHAR*, AcDbObjectIdArray&) {}

void AcDbDatabase::addReactor(AcDbDatabaseReactor* pReactor) const {
    std::vector<AcDbDatabaseReactor*>& r = m_pImp->reactors;
    if (pReactor != nullptr && std::find(r.begin(), r.end(), pReactor) == r.end())
        r.push_back(pReactor);
}

void AcDbDatabase::removeReactor(AcDbDatabaseReactor* pReactor) const {
    std::vector<AcDbDatabaseReactor*>& r = m_pImp->reactors;
    r.erase(std::remove(r.begin(), r.end(), pReactor), r.end());
}

AcDbProxyObject::AcDbProxyObject() = default;
AcDbProxyEntity::AcDbProxyEntity() = default;

Adesk::Boolean AcDbObject::isAProxy() const {
    return isKindOf(AcDbProxyEntity::desc()) || isKindOf(AcDbProxyObject::desc());
}

Acad::ErrorStatus acdbGetProxyInfo(AcDbObject* pObj, ACHAR*& dxfName, ACHAR*& className, ACHAR*& appName) {
    dxfName = className = appName = nullptr;
    if (HsProxyObject* p = hs::proxyObject(pObj)) {
        dxfName = hs::newString(p->originalDxfName());
        className = hs::newString(p->originalClassName());
        appName = hs::newString(p->applicationDescription());
        return Acad::eOk;
    }
    HsProxyEntity* p = hs::proxyEntity(pObj);
    if (p == nullptr)
        return Acad::eNotThatKindOfClass;
    dxfName = hs::newString(p->originalDxfName());
    className = hs::newString(p->originalClassName());
    appName = hs::newString(p->applicationDescription());
    return Acad::eOk;
}

// ---- HsProxyEntity ----

HsProxyEntity::HsProxyEntity() = default;
HsProxyEntity::~HsProxyEntity() = default;

Acad::ErrorStatus HsProxyEntity::getReferences(AcDbObjectIdArray&, AcDbIntArray&) const {
    assertReadEnabled();
    return Acad::eOk;
}
AcDbProxyEntity::GraphicsMetafileType HsProxyEntity::graphicsMetafileType() const {
    assertReadEnabled();
    return m_graphics.empty() ? kNoMetafile : kFullGraphics;
}

const std::string& HsProxyEntity::graphics() const {
    assertReadEnabled();
    return m_graphics;
}
void HsProxyEntity::setGraphics(std::string graphics) {
    assertWriteEnabled();
    m_graphics = std::move(graphics);
}
bool HsProxyEntity::commonChanged() const {
    assertReadEnabled();
    return m_commonChanged;
}
const AcGeMatrix3d& HsProxyEntity::accumulatedTransform() const {
    assertReadEnabled();
    return m_xform;
}
bool HsProxyEntity::transformed() const {
    assertReadEnabled();
    return m_transformed;
}
void HsProxyEntity::setAccumulatedTransform(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    m_xform = xform;
    m_transformed = true;
}

bool HsProxyEntity::allows(int flag) const {
    return (m_record.proxyFlags & flag) != 0;
}

// The undo log puts back what it recorded whatever the flags say: an undo
// is not an edit of the proxy.
namespace {
bool undoRunning(const AcDbObject* pObj) {
    AcDbDatabase* pDb = pObj->database();
    return pDb != nullptr && pDb->hsImp()->undo.suspended;
}
}  // namespace

Acad::ErrorStatus HsProxyEntity::changeCommon() {
    m_commonChanged = true;
    return Acad::eOk;
}

Acad::ErrorStatus HsProxyEntity::subErase(Adesk::Boolean erasing) {
    if (!allows(kEraseAllowed) && !undoRunning(this))
        return Acad::eNotAllowedForThisProxy;
    return AcDbProxyEntity::subErase(erasing);
}

#define HS_PROXY_GUARD(FLAG)                      \
    do {                                          \
        if (!allows(FLAG) && !undoRunning(this))  \
            return Acad::eNotAllowedForThisProxy; \
    } while (0)

Acad::ErrorStatus HsProxyEntity::setColor(const AcCmColor& color, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kColorChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setColor(color, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
Acad::ErrorStatus HsProxyEntity::setColorIndex(Adesk::UInt16 color, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kColorChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setColorIndex(color, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus HsProxyEntity::setLayer(const ACHAR* newVal, Adesk::Boolean doSubents,
                                          bool allowHiddenLayer) {
    HS_PROXY_GUARD(kLayerChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLayer(newVal, doSubents, allowHiddenLayer);
    return es == Acad::eOk ? changeCommon() : es;
}
Acad::ErrorStatus HsProxyEntity::setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents,
                                          bool allowHiddenLayer) {
    HS_PROXY_GUARD(kLayerChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLayer(newVal, doSubents, allowHiddenLayer);
    return es == Acad::eOk ? changeCommon() : es;
}
#else
Acad::ErrorStatus HsProxyEntity::setLayer(const char* newVal, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kLayerChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLayer(newVal, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
Acad::ErrorStatus HsProxyEntity::setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kLayerChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLayer(newVal, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
#endif
Acad::ErrorStatus HsProxyEntity::setLinetype(const ACHAR* newVal, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kLinetypeChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLinetype(newVal, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
Acad::ErrorStatus HsProxyEntity::setLinetype(AcDbObjectId newVal, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kLinetypeChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLinetype(newVal, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
Acad::ErrorStatus HsProxyEntity::setLinetypeScale(double newval, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kLinetypeScaleChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLinetypeScale(newval, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
Acad::ErrorStatus HsProxyEntity::setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kLineWeightChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setLineWeight(newVal, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}
Acad::ErrorStatus HsProxyEntity::setVisibility(AcDb::Visibility newVal, Adesk::Boolean doSubents) {
    HS_PROXY_GUARD(kVisibilityChangeAllowed);
    Acad::ErrorStatus es = AcDbProxyEntity::setVisibility(newVal, doSubents);
    return es == Acad::eOk ? changeCommon() : es;
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus HsProxyEntity::subTransformBy(const AcGeMatrix3d& xform)
#else
Acad::ErrorStatus HsProxyEntity::transformBy(const AcGeMatrix3d& xform)
#endif
{
    HS_PROXY_GUARD(kTransformAllowed);
    assertWriteEnabled();
    // The graphics are transformed; the matrix is kept for the object's
    // class when it returns, and filed in the proxy's extension dictionary.
    m_graphics = hs::transformProxyGraphics(m_graphics, xform, database());
    m_xform = xform * m_xform;
    m_transformed = true;
    if (AcDbDatabase* pDb = database())
        hs::dxf::linkExtensionDictionary(m_tags, pDb);
    return Acad::eOk;
}
#undef HS_PROXY_GUARD

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus HsProxyEntity::subGetTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const
#else
Acad::ErrorStatus HsProxyEntity::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const
#endif
{
    pEnt = nullptr;
    assertReadEnabled();
    if (!allows(kTransformAllowed) || !allows(kCloningAllowed))
        return Acad::eNotAllowedForThisProxy;
#if IRONVEIL_RELEASE >= 18
    return AcDbProxyEntity::subGetTransformedCopy(xform, pEnt);
#else
    return AcDbProxyEntity::getTransformedCopy(xform, pEnt);
#endif
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus HsProxyEntity::subGetGeomExtents(AcDbExtents& extents) const
#else
Acad::ErrorStatus HsProxyEntity::getGeomExtents(AcDbExtents& extents) const
#endif
{
    assertReadEnabled();
    AcDbExtents ext;
    if (!hs::proxyGraphicsExtents(m_graphics, ext))
        return Acad::eInvalidExtents;
    extents = ext;
    return Acad::eOk;
}

#if IRONVEIL_RELEASE >= 18
Adesk::Boolean HsProxyEntity::subWorldDraw(AcGiWorldDraw* pWd)
#else
Adesk::Boolean HsProxyEntity::worldDraw(AcGiWorldDraw* pWd)
#endif
{
    assertReadEnabled();
    if (pWd == nullptr || m_graphics.empty())
        return Adesk::kTrue;
    // PROXYSHOW: 0 nothing, 1 the graphics, 2 the bounding box.
    int show = hs::Session::get().getVar("PROXYSHOW", 1);
    if (show == 0)
        return Adesk::kTrue;
    if (show == 2) {
        AcDbExtents ext;
        if (hs::proxyGraphicsExtents(m_graphics, ext)) {
            AcGePoint3d lo = ext.minPoint(), hi = ext.maxPoint();
            AcGePoint3d box[5] = {lo, AcGePoint3d(hi.x, lo.y, lo.z), AcGePoint3d(hi.x, hi.y, lo.z),
                                  AcGePoint3d(lo.x, hi.y, lo.z), lo};
            pWd->geometry().polyline(5, box);
        }
    } else {
        hs::playProxyGraphics(m_graphics, pWd);
    }
    return Adesk::kTrue;
}

#if IRONVEIL_RELEASE >= 18
void HsProxyEntity::subList() const
#else
void HsProxyEntity::list() const
#endif
{
    assertReadEnabled();
#if IRONVEIL_RELEASE >= 18
    AcDbProxyEntity::subList();
#else
    AcDbProxyEntity::list();
#endif
    hs::Session& s = hs::Session::get();
    s.print("                  Proxy entity of class " + m_record.cppName + " (DXF name " + m_record.dxfName +
            ")\n");
    s.print("            Application: " + hs::toUtf8(m_appName) + "\n");
    char flags[32];
    std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(m_record.proxyFlags));
    s.print("            Proxy flags: " + std::string(flags) +
            (m_record.proxyFlags == 0 ? " (no edits allowed)" : "") + "\n");
    s.print(std::string("               Graphics: ") +
            (m_graphics.empty() ? "none" : "saved with the drawing") + "\n");
}

// ---- filing (copies and undo) ----

namespace hs {

tstring proxyApplicationName(const ProxyClassRecord& rec, bool utf8) {
    return fromUtf8(dxf::TextCodec(utf8).decode(rec.appName));
}

void fileOutBytes(AcDbDwgFiler* pFiler, const std::string& s) {
    pFiler->writeUInt32(static_cast<Adesk::UInt32>(s.size()));
    if (!s.empty())
        pFiler->writeBytes(s.data(), static_cast<Adesk::UInt32>(s.size()));
}

Acad::ErrorStatus fileInBytes(AcDbDwgFiler* pFiler, std::string& s) {
    Adesk::UInt32 size = 0;
    Acad::ErrorStatus es = pFiler->readUInt32(&size);
    if (es != Acad::eOk)
        return es;
    if (size > (1u << 30))
        return Acad::eFilerError;
    s.assign(size, '\0');
    return size == 0 ? Acad::eOk : pFiler->readBytes(&s[0], size);
}

void fileOutProxyRecord(AcDbDwgFiler* pFiler, const ProxyClassRecord& rec, int bits, const dxf::Tags& tags) {
    fileOutBytes(pFiler, rec.dxfName);
    fileOutBytes(pFiler, rec.cppName);
    fileOutBytes(pFiler, rec.appName);
    pFiler->writeInt32(rec.proxyFlags);
    pFiler->writeInt16(static_cast<Adesk::Int16>(bits));
    pFiler->writeUInt32(static_cast<Adesk::UInt32>(tags.size()));
    for (const dxf::Tag& t : tags) {
        pFiler->writeInt16(static_cast<Adesk::Int16>(t.code));
        fileOutBytes(pFiler, t.value);
    }
}

Acad::ErrorStatus fileInProxyRecord(AcDbDwgFiler* pFiler, ProxyClassRecord& rec, int& bits, dxf::Tags& tags) {
    Acad::ErrorStatus es = Acad::eOk;
    Adesk::Int32 flags = 0;
    Adesk::Int16 filedBits = 0;
    Adesk::UInt32 count = 0;
    if ((es = fileInBytes(pFiler, rec.dxfName)) != Acad::eOk ||
        (es = fileInBytes(pFiler, rec.cppName)) != Acad::eOk ||
        (es = fileInBytes(pFiler, rec.appName)) != Acad::eOk ||
        (es = pFiler->readInt32(&flags)) != Acad::eOk || (es = pFiler->readInt16(&filedBits)) != Acad::eOk ||
        (es = pFiler->readUInt32(&count)) != Acad::eOk)
        return es;
    tags.clear();
    for (Adesk::UInt32 i = 0; i < count; ++i) {
        Adesk::Int16 code = 0;
        std::string value;
        if ((es = pFiler->readInt16(&code)) != Acad::eOk || (es = fileInBytes(pFiler, value)) != Acad::eOk)
            return es;
        tags.push_back({code, std::move(value)});
    }
    rec.proxyFlags = flags;
    bits = filedBits;
    return Acad::eOk;
}

}  // namespace hs

Acad::ErrorStatus HsProxyEntity::dwgOutFields(AcDbDwgFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbProxyEntity::dwgOutFields(pFiler);
    if (es != Acad::eOk || pFiler->filerType() == AcDb::kIdXlateFiler)
        return es;
    hs::fileOutProxyRecord(pFiler, m_record,
                           (m_record.isEntity ? 1 : 0) | (m_utf8 ? 2 : 0) | (m_commonChanged ? 4 : 0) |
                               (m_transformed ? 8 : 0) | (m_fileRecord ? 16 : 0),
                           m_tags);
    hs::fileOutBytes(pFiler, m_graphics);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            pFiler->writeDouble(m_xform.entry[r][c]);
    return pFiler->filerStatus();
}

Acad::ErrorStatus HsProxyEntity::dwgInFields(AcDbDwgFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbProxyEntity::dwgInFields(pFiler);
    if (es != Acad::eOk || pFiler->filerType() == AcDb::kIdXlateFiler)
        return es;
    hs::ProxyClassRecord rec;
    int bits = 0;
    hs::dxf::Tags tags;
    if ((es = hs::fileInProxyRecord(pFiler, rec, bits, tags)) != Acad::eOk)
        return es;
    std::string graphics;
    if ((es = hs::fileInBytes(pFiler, graphics)) != Acad::eOk)
        return es;
    AcGeMatrix3d xform;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if ((es = pFiler->readDouble(&xform.entry[r][c])) != Acad::eOk)
                return es;
    rec.isEntity = (bits & 1) != 0;
    m_utf8 = (bits & 2) != 0;
    m_commonChanged = (bits & 4) != 0;
    m_transformed = (bits & 8) != 0;
    m_fileRecord = (bits & 16) != 0;
    setClassRecord(rec);
    m_tags = std::move(tags);
    m_graphics = std::move(graphics);
    m_xform = xform;
    // A clone does not share the original's extension dictionary: it gets
    // its own when its matrix is filed.
    if (pFiler->filerType() == AcDb::kDeepCloneFiler || pFiler->filerType() == AcDb::kWblockCloneFiler)
        hs::dxf::unlinkExtensionDictionary(m_tags);
    return pFiler->filerStatus();
}

Acad::ErrorStatus HsProxyEntity::dxfInFields(AcDbDxfFiler* pFiler) {
    // The common groups give the entity's properties; the rest stays in the
    // kept record.
    return AcDbProxyEntity::dxfInFields(pFiler);
}

// ---- making and unmaking proxies ----

namespace hs {

bool isHostApplication(const std::string& appName) {
    std::string app = appName;
    if (!app.empty() && app[0] == '"')
        app.erase(0, 1);
    static const char* const own[] = {
        "ObjectDBX Classes", "ACDB_MLEADERSTYLE_CLASS", "SCENEOE", "ISM", "AcDbPersSubentManager", "EXAC_ESW",
        "AcAeEditorObj"};
    for (const char* name : own)
        if (app == name)
            return true;
    // Components named with their description: "WipeOut|Product Desc: ...".
    static const char* const described[] = {"AcDbDimAssoc|", "WipeOut|"};
    for (const char* prefix : described)
        if (app.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    return false;
}

void registerProxyClasses() {
    AcRxDictionary* pDict = acrxClassDictionary;
    if (pDict != nullptr && pDict->at(ACRX_T("AcDbProxyEntity")) != nullptr)
        return;
    AcDbProxyObject::rxInit();
    AcDbProxyEntity::rxInit();
    newAcRxClass(ACRX_T("AcDbDatabaseReactor"), ACRX_T("AcRxObject"));
    acrxBuildClassHierarchy();
}

HsProxyEntity* proxyEntity(AcRxObject* pObj) {
    AcRxDictionary* pDict = acrxClassDictionary;
    if (pObj == nullptr || pDict == nullptr || pDict->at(ACRX_T("AcDbProxyEntity")) == nullptr)
        return nullptr;
    AcDbProxyEntity* p = AcDbProxyEntity::cast(pObj);
    return p != nullptr ? static_cast<HsProxyEntity*>(p) : nullptr;
}

HsProxyObject* proxyObject(AcRxObject* pObj) {
    AcRxDictionary* pDict = acrxClassDictionary;
    if (pObj == nullptr || pDict == nullptr || pDict->at(ACRX_T("AcDbProxyObject")) == nullptr)
        return nullptr;
    AcDbProxyObject* p = AcDbProxyObject::cast(pObj);
    return p != nullptr ? static_cast<HsProxyObject*>(p) : nullptr;
}

std::string proxyRefusalLine(AcDbObject* pObj, const std::string& verb) {
    std::string cppName;
    if (HsProxyEntity* p = proxyEntity(pObj))
        cppName = p->classRecord().cppName;
    else if (HsProxyObject* po = proxyObject(pObj))
        cppName = po->classRecord().cppName;
    else
        return std::string();
    char handle[32];
    std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(pObj->hsHandle().value()));
    return "Proxy " + cppName + " (handle " + handle + ") cannot be " + verb +
           ": its application is not loaded.\n";
}

bool cloningAllowed(const AcDbObject* pObj) {
    if (HsProxyObject* po = proxyObject(const_cast<AcDbObject*>(pObj)))
        return (po->classRecord().proxyFlags & AcDbProxyObject::kCloningAllowed) != 0;
    HsProxyEntity* p = proxyEntity(const_cast<AcDbObject*>(pObj));
    return p == nullptr || (p->classRecord().proxyFlags & AcDbProxyEntity::kCloningAllowed) != 0;
}

void reportCloneRefusals(const std::vector<AcDbObjectId>& ids, const std::string& verb) {
    for (AcDbObjectId id : ids) {
        AcDbObject* pObj = nullptr;
        if (acdbOpenAcDbObject(pObj, id, AcDb::kForRead) != Acad::eOk)
            continue;
        bool refused = !cloningAllowed(pObj);
        pObj->close();
        if (refused)
            Session::get().print(proxyRefusalLine(id, verb));
    }
}

std::string proxyRefusalLine(AcDbObjectId id, const std::string& verb) {
    AcDbObject* pObj = nullptr;
    if (acdbOpenAcDbObject(pObj, id, AcDb::kForRead) != Acad::eOk)
        return std::string();
    std::string line = proxyRefusalLine(pObj, verb);
    pObj->close();
    return line;
}

namespace {

// A proxy of the object (open for read) whose class is pClass.
HsProxyEntity* proxyOf(AcDbEntity* pEnt, AcRxClass* pClass, AcDbDatabase* pDb) {
    dxf::DrawingData* data = pDb != nullptr ? dxf::drawingData(pDb, true) : nullptr;
    bool utf8 = data != nullptr && std::max(data->version, std::string("AC1015")) >= "AC1021";
    dxf::TextCodec codec(utf8);
    // What the entity files, with what the drawing kept of its record.
    dxf::Tags tags;
    Acad::ErrorStatus es = dxf::filedObjectRecord(pEnt, pDb, dxf::dxfNameOf(pClass), codec, tags);
    if (es != Acad::eOk)
        return nullptr;
    HsProxyEntity* pProxy = new HsProxyEntity();
    if (pProxy == nullptr)
        return nullptr;
    ProxyClassRecord rec;
    rec.dxfName = dxf::dxfNameOf(pClass);
    rec.cppName = toUtf8(pClass->name());
    rec.appName = codec.encode(pClass->appName() != nullptr ? toUtf8(pClass->appName()) : std::string());
    rec.proxyFlags = pClass->proxyFlags();
    rec.isEntity = true;
    pProxy->setTagsAreUtf8(utf8);
    pProxy->setClassRecord(rec);
    pProxy->setTags(std::move(tags));
    pProxy->setGraphics(recordProxyGraphics(pEnt, pDb));
    pProxy->setPropertiesFrom(pEnt);
    return pProxy;
}

// Puts pNew in the place of the stub's object, which is deleted.
void replaceObject(AcDbStub* stub, AcDbObject* pNew, AcRxClass* pClass) {
    AcDbObject* pOld = stub->pObject;
    stub->pObject = pNew;
    stub->pClass = pClass;
    pNew->hsSetStub(stub);
    if (pOld != nullptr) {
        pOld->hsSetStub(nullptr);
        delete pOld;
    }
}

}  // namespace

namespace {

// A proxy of the object (open for read) whose class is pClass: what it
// files, as a file holds it.
HsProxyObject* proxyObjectOf(AcDbObject* pObj, AcRxClass* pClass, AcDbDatabase* pDb) {
    dxf::DrawingData* data = pDb != nullptr ? dxf::drawingData(pDb, true) : nullptr;
    bool utf8 = data != nullptr && std::max(data->version, std::string("AC1015")) >= "AC1021";
    dxf::TextCodec codec(utf8);
    dxf::Tags tags;
    if (dxf::filedObjectRecord(pObj, pDb, dxf::dxfNameOf(pClass), codec, tags) != Acad::eOk)
        return nullptr;
    HsProxyObject* pProxy = new HsProxyObject();
    if (pProxy == nullptr)
        return nullptr;
    ProxyClassRecord rec;
    rec.dxfName = dxf::dxfNameOf(pClass);
    rec.cppName = toUtf8(pClass->name());
    rec.appName = codec.encode(pClass->appName() != nullptr ? toUtf8(pClass->appName()) : std::string());
    rec.proxyFlags = pClass->proxyFlags();
    rec.isEntity = false;
    pProxy->setTagsAreUtf8(utf8);
    pProxy->setClassRecord(rec);
    pProxy->setTags(std::move(tags));
    return pProxy;
}

// Replaces every resident instance of the class by the proxy `makeProxy`
// makes of it (null when it cannot), of class `proxyClass`; the states the
// undo log holds become states of the proxy. For objects, what the drawing
// kept of their records (unmodelled groups, application data, extended
// data) is now in the proxies' records.
void convertToProxies(AcRxClass* pClass, AcRxClass* proxyClass,
                      const std::function<AcDbObject*(AcDbObject*, AcRxClass*, AcDbDatabase*)>& makeProxy) {
    Session& session = Session::get();
    bool entities = pClass->isDerivedFrom(AcDbEntity::desc());
    for (AcDbDatabase* pDb : liveDatabases()) {
        std::vector<AcDbStub*> stubs;
        pDb->hsImp()->stubs.forEach([&](AcDbStub* stub) {
            if (stub->pObject != nullptr && stub->pObject->isA() != nullptr &&
                stub->pObject->isA()->isDerivedFrom(pClass))
                stubs.push_back(stub);
        });
        dxf::DrawingData* data = entities ? nullptr : dxf::drawingData(pDb, true);
        for (AcDbStub* stub : stubs) {
            AcRxClass* own = stub->pObject->isA();
            if (stub->writer || stub->readers > 0) {
                session.fault("a " + toUtf8(own->name()) + " was still open when its class was deleted");
                continue;
            }
            AcDbObject* pObj = nullptr;
            if (openInternal(AcDbObjectId(stub), AcDb::kForRead, pObj) != Acad::eOk)
                continue;
            AcDbObject* pProxy = makeProxy(pObj, own, pDb);
            closeInternal(pObj);
            if (pProxy == nullptr) {
                session.fault("a " + toUtf8(own->name()) + " could not be made a proxy");
                continue;
            }
            undoRewriteStates(stub, [&](std::vector<unsigned char>& state) {
                AcDbObject* pTmp = AcDbObject::cast(own->create());
                if (pTmp == nullptr)
                    return;
                DwgFiler in(AcDb::kUndoFiler, pDb);
                in.setBytes(state);
                if (pTmp->dwgInFields(&in) == Acad::eOk) {
                    if (AcDbObject* pTmpProxy = makeProxy(pTmp, own, pDb)) {
                        DwgFiler out(AcDb::kUndoFiler, pDb);
                        if (pTmpProxy->dwgOutFields(&out) == Acad::eOk)
                            state = out.bytes();
                        delete pTmpProxy;
                    }
                }
                delete pTmp;
            });
            if (data != nullptr) {
                std::uint64_t h = stub->handle.value();
                data->keptRuns.erase(h);
                data->appData.erase(h);
                data->xdata.erase(h);
            }
            replaceObject(stub, pProxy, proxyClass);
        }
    }
}

}  // namespace

void convertInstancesToProxies(AcRxClass* pClass) {
    if (pClass == nullptr || !pClass->isDerivedFrom(AcDbObject::desc()) ||
        pClass->isDerivedFrom(AcDbSymbolTable::desc()) ||
        pClass->isDerivedFrom(AcDbSymbolTableRecord::desc()))
        return;
    registerProxyClasses();
    if (pClass->isDerivedFrom(AcDbEntity::desc()))
        convertToProxies(pClass, AcDbProxyEntity::desc(),
                         [](AcDbObject* pObj, AcRxClass* own, AcDbDatabase* pDb) -> AcDbObject* {
                             return proxyOf(AcDbEntity::cast(pObj), own, pDb);
                         });
    else
        convertToProxies(pClass, AcDbProxyObject::desc(),
                         [](AcDbObject* pObj, AcRxClass* own, AcDbDatabase* pDb) -> AcDbObject* {
                             return proxyObjectOf(pObj, own, pDb);
                         });
}

int proxyObjectCount(AcDbDatabase* pDb) {
    int n = 0;
    if (pDb != nullptr)
        pDb->hsImp()->stubs.forEach([&](AcDbStub* stub) {
            n += stub->pObject != nullptr && !stub->erased && stub->pClass == AcDbProxyObject::desc();
        });
    return n;
}

int proxyCount(AcDbDatabase* pDb) {
    int n = 0;
    if (pDb != nullptr)
        pDb->hsImp()->stubs.forEach([&](AcDbStub* stub) {
            n += stub->pObject != nullptr && !stub->erased && stub->pClass == AcDbProxyEntity::desc();
        });
    return n;
}

namespace {

// The object a proxy object stands for, read from its record, when its
// class is registered again; null otherwise.
AcDbObject* resurrectObject(HsProxyObject* pProxy, AcDbDatabase* pDb) {
    AcRxDictionary* pDict = acrxClassDictionary;
    const ProxyClassRecord& rec = pProxy->classRecord();
    AcRxClass* pClass = static_cast<AcRxClass*>(pDict->at(fromUtf8(rec.cppName).c_str()));
    if (pProxy->isFileProxyRecord() || pClass == nullptr || pClass->isDerivedFrom(AcDbEntity::desc()) ||
        !pClass->isDerivedFrom(AcDbObject::desc()) || !equalsNoCase(dxf::dxfNameOf(pClass), rec.dxfName))
        return nullptr;
    AcDbObject* pObj = AcDbObject::cast(pClass->create());
    if (pObj == nullptr)
        return nullptr;
    std::string error;
    if (dxf::readProxyObjectInto(pProxy, pObj, pDb, error) != Acad::eOk) {
        delete pObj;
        return nullptr;
    }
    return pObj;
}

}  // namespace

void resurrectProxies() {
    AcRxDictionary* pDict = acrxClassDictionary;
    if (pDict == nullptr || pDict->at(ACRX_T("AcDbProxyEntity")) == nullptr)
        return;
    for (AcDbDatabase* pDb : liveDatabases()) {
        std::vector<AcDbStub*> stubs;
        pDb->hsImp()->stubs.forEach([&](AcDbStub* stub) {
            if (stub->pObject != nullptr &&
                (stub->pClass == AcDbProxyEntity::desc() || stub->pClass == AcDbProxyObject::desc()) &&
                !stub->writer && stub->readers == 0)
                stubs.push_back(stub);
        });
        // The objects brought back, by application.
        std::map<tstring, AcDbObjectIdArray> byApp;
        for (AcDbStub* stub : stubs) {
            AcDbObject* pObj = nullptr;
            if (openInternal(AcDbObjectId(stub), AcDb::kForRead, pObj) != Acad::eOk)
                continue;
            if (HsProxyObject* pProxyObject = proxyObject(pObj)) {
                AcDbObject* pBack = resurrectObject(pProxyObject, pDb);
                AcRxClass* pClass = pBack != nullptr ? pBack->isA() : nullptr;
                tstring app =
                    pClass != nullptr && pClass->appName() != nullptr ? pClass->appName() : tstring();
                closeInternal(pObj);
                if (pBack == nullptr)
                    continue;
                replaceObject(stub, pBack, pClass);
                byApp[app].append(AcDbObjectId(stub));
                continue;
            }
            HsProxyEntity* pProxy = static_cast<HsProxyEntity*>(pObj);
            const ProxyClassRecord& rec = pProxy->classRecord();
            AcRxClass* pClass = static_cast<AcRxClass*>(pDict->at(fromUtf8(rec.cppName).c_str()));
            AcDbEntity* pEnt = nullptr;
            if (!pProxy->isFileProxyRecord() && pClass != nullptr &&
                pClass->isDerivedFrom(AcDbEntity::desc()) &&
                equalsNoCase(dxf::dxfNameOf(pClass), rec.dxfName))
                pEnt = AcDbEntity::cast(pClass->create());
            std::string error;
            if (pEnt != nullptr && dxf::readProxyRecordInto(pProxy, pEnt, pDb, error) != Acad::eOk) {
                delete pEnt;
                pEnt = nullptr;
            }
            if (pEnt != nullptr && pProxy->transformed()) {
                // The class takes the matrix; the record of it goes.
                pEnt->transformBy(pProxy->accumulatedTransform());
                dxf::dropProxyTransform(pDb, stub->handle.value());
            }
            tstring app = pClass != nullptr && pClass->appName() != nullptr ? pClass->appName() : tstring();
            closeInternal(pObj);
            if (pEnt == nullptr)
                continue;
            replaceObject(stub, pEnt, pClass);
            byApp[app].append(AcDbObjectId(stub));
        }
        for (auto& [app, ids] : byApp)
            for (AcDbDatabaseReactor* r : std::vector<AcDbDatabaseReactor*>(pDb->hsImp()->reactors))
                r->proxyResurrectionCompleted(pDb, app.c_str(), ids);
    }
}

void printProxyNotice(AcDbDatabase* pDb) {
    if (pDb == nullptr || Session::get().getVar("PROXYNOTICE", 1) == 0)
        return;
    // By application and class: the proxy entities and the proxy objects.
    std::map<std::string, std::map<std::string, std::pair<int, int>>> byApp;
    int entities = 0, objects = 0;
    pDb->hsImp()->stubs.forEach([&](AcDbStub* stub) {
        bool isEntity = stub->pClass == AcDbProxyEntity::desc();
        if (stub->pObject == nullptr || stub->erased ||
            (!isEntity && stub->pClass != AcDbProxyObject::desc()))
            return;
        AcDbObject* pObj = nullptr;
        if (openInternal(AcDbObjectId(stub), AcDb::kForRead, pObj) != Acad::eOk)
            return;
        const ProxyClassRecord& rec = isEntity ? static_cast<HsProxyEntity*>(pObj)->classRecord()
                                               : static_cast<HsProxyObject*>(pObj)->classRecord();
        const ACHAR* app = isEntity ? static_cast<HsProxyEntity*>(pObj)->applicationDescription()
                                    : static_cast<HsProxyObject*>(pObj)->applicationDescription();
        // A class may ask not to be warned about.
        if ((rec.proxyFlags & AcDbProxyEntity::kDisableProxyWarning) == 0) {
            auto& n = byApp[toUtf8(app)][rec.cppName];
            ++(isEntity ? n.first : n.second);
            ++(isEntity ? entities : objects);
        }
        closeInternal(pObj);
    });
    if (entities + objects == 0)
        return;
    auto count = [](int n, const char* one, const char* many) {
        return std::to_string(n) + " proxy " + (n == 1 ? one : many);
    };
    std::string what = entities > 0 ? count(entities, "entity", "entities") : std::string();
    if (objects > 0)
        what += (what.empty() ? "" : " and ") + count(objects, "object", "objects");
    Session& s = Session::get();
    s.print("Proxy information: this drawing holds " + what + " whose application is missing.\n");
    for (const auto& [app, classes] : byApp) {
        s.print("  Missing application: " + app + "\n");
        for (const auto& [cls, n] : classes) {
            if (n.first > 0)
                s.print("    class " + cls + ": " + count(n.first, "entity", "entities") +
                        ", shown from their saved graphics\n");
            if (n.second > 0)
                s.print("    class " + cls + ": " + count(n.second, "object", "objects") +
                        ", kept as they were filed\n");
        }
    }
}

}  // namespace hs
