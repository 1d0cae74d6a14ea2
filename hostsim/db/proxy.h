// hostsim's proxy entity: what the drawing holds where an entity's class is
// not registered (its module absent or unloaded, or its reader asked for a
// proxy). It keeps the entity's DXF record as filed (without the graphics
// groups), its class record and its graphics; it obeys the class's proxy
// flags for every edit and draws from its graphics.
#pragma once
#include <string>
#include <utility>

#include "dbproxy.h"
#include "dxf/tags.h"
#include "hostsim/text.h"

namespace hs {

// A class record as DXF files carry it in their CLASSES section.
struct ProxyClassRecord {
    std::string dxfName;   // group 1
    std::string cppName;   // group 2
    std::string appName;   // group 3, in the file's text
    int proxyFlags = 0;    // group 90
    bool isEntity = true;  // group 281
};

// What both kinds of proxy file for copies and undo: the class record, the
// proxy's state bits and its kept record.
void fileOutProxyRecord(AcDbDwgFiler* pFiler, const ProxyClassRecord& rec, int bits, const dxf::Tags& tags);
Acad::ErrorStatus fileInProxyRecord(AcDbDwgFiler* pFiler, ProxyClassRecord& rec, int& bits, dxf::Tags& tags);
// A byte string as the proxies file it (its size, then its bytes).
void fileOutBytes(AcDbDwgFiler* pFiler, const std::string& s);
Acad::ErrorStatus fileInBytes(AcDbDwgFiler* pFiler, std::string& s);
// The application text of a class record as the build's text (the record
// holds it as the file's bytes: UTF-8 or the drawing's code page).
tstring proxyApplicationName(const ProxyClassRecord& rec, bool utf8);

// What both kinds of proxy keep and answer alike: the class record and the
// names it gives, the record's groups as filed, and whether that record is a
// file's own proxy record.
template <class Base>
class ProxyState : public Base {
public:
    int proxyFlags() const override {
        this->assertReadEnabled();
        return m_record.proxyFlags;
    }
    const ACHAR* originalClassName() const override {
        this->assertReadEnabled();
        return m_className.c_str();
    }
    const ACHAR* originalDxfName() const override {
        this->assertReadEnabled();
        return m_dxfName.c_str();
    }
    const ACHAR* applicationDescription() const override {
        this->assertReadEnabled();
        return m_appName.c_str();
    }

    // ---- hostsim ----
    const ProxyClassRecord& classRecord() const {
        this->assertReadEnabled();
        return m_record;
    }
    void setClassRecord(const ProxyClassRecord& record) {
        this->assertWriteEnabled();
        m_record = record;
        m_className = fromUtf8(record.cppName);
        m_dxfName = fromUtf8(record.dxfName);
        m_appName = proxyApplicationName(m_record, m_utf8);
    }
    // The record from its group 0 on, as it is written (file text); for an
    // entity without the graphics groups.
    const dxf::Tags& tags() const {
        this->assertReadEnabled();
        return m_tags;
    }
    void setTags(dxf::Tags tags) {
        this->assertWriteEnabled();
        m_tags = std::move(tags);
    }
    // True when the tags' strings are UTF-8 (files from AC1021 on).
    bool tagsAreUtf8() const {
        this->assertReadEnabled();
        return m_utf8;
    }
    void setTagsAreUtf8(bool utf8) {
        this->assertWriteEnabled();
        m_utf8 = utf8;
        m_appName = proxyApplicationName(m_record, m_utf8);
    }
    // True for a file's proxy record (ACAD_PROXY_ENTITY, ACAD_PROXY_OBJECT:
    // the object's data in the host's binary form): written back as it is,
    // never read into an object of its class.
    bool isFileProxyRecord() const {
        this->assertReadEnabled();
        return m_fileRecord;
    }
    void setFileProxyRecord(bool fileRecord) {
        this->assertWriteEnabled();
        m_fileRecord = fileRecord;
    }

protected:
    ProxyClassRecord m_record;
    tstring m_className, m_dxfName, m_appName;  // the record's names as the build's text
    dxf::Tags m_tags;
    bool m_utf8 = false;
    bool m_fileRecord = false;
};

}  // namespace hs

// hostsim's proxy object: what the drawing holds in place of a non-entity
// object of the OBJECTS section whose class is not registered. It keeps the
// record as it was filed (from its group 0, application data, extended data
// and references included) and its class record; it refuses erasing and
// cloning unless the class's proxy flags allow them.
class HsProxyObject : public hs::ProxyState<AcDbProxyObject> {
public:
    HsProxyObject();
    ~HsProxyObject() override;

    Acad::ErrorStatus getReferences(AcDbObjectIdArray& ids, AcDbIntArray& types) const override;
    AcDb::DuplicateRecordCloning mergeStyle() const override;

    Acad::ErrorStatus subErase(Adesk::Boolean erasing) override;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
};

class HsProxyEntity : public hs::ProxyState<AcDbProxyEntity> {
public:
    HsProxyEntity();
    ~HsProxyEntity() override;

    Acad::ErrorStatus getReferences(AcDbObjectIdArray& ids, AcDbIntArray& types) const override;
    GraphicsMetafileType graphicsMetafileType() const override;

    // ---- hostsim ----
    // The binary proxy graphics (empty: none; a file's proxy record keeps
    // them inside).
    const std::string& graphics() const;
    void setGraphics(std::string graphics);
    // True once a common property was changed (the flags allowed it): the
    // common groups are then written from the entity's state.
    bool commonChanged() const;
    // The transforms applied since the proxy was made (the flags allowed them).
    // The graphics are transformed with each transform; the matrices are
    // accumulated for the class and filed in the extension dictionary.
    const AcGeMatrix3d& accumulatedTransform() const;
    bool transformed() const;
    // The matrix a file kept for the proxy (its graphics already moved).
    void setAccumulatedTransform(const AcGeMatrix3d& xform);

    // Refusals name the operation; the status is eNotAllowedForThisProxy.
    Acad::ErrorStatus subErase(Adesk::Boolean erasing) override;
    Acad::ErrorStatus setColor(const AcCmColor& color, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 color, Adesk::Boolean doSubents = true) override;
#if IRONVEIL_RELEASE >= 18
    Acad::ErrorStatus setLayer(const ACHAR* newVal, Adesk::Boolean doSubents = true,
                               bool allowHiddenLayer = false) override;
    Acad::ErrorStatus setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents = true,
                               bool allowHiddenLayer = false) override;
#else
    Acad::ErrorStatus setLayer(const char* newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents = true) override;
#endif
    Acad::ErrorStatus setLinetype(const ACHAR* newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetype(AcDbObjectId newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetypeScale(double newval, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setVisibility(AcDb::Visibility newVal, Adesk::Boolean doSubents = true) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;

#if IRONVEIL_RELEASE >= 18
protected:
    Adesk::Boolean subWorldDraw(AcGiWorldDraw* pWd) override;
    void subList() const override;
    Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus subGetTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const override;
    Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;

public:
#else
    Adesk::Boolean worldDraw(AcGiWorldDraw* pWd) override;
    void list() const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
#endif

private:
    bool allows(int flag) const;
    Acad::ErrorStatus changeCommon();

    std::string m_graphics;
    bool m_commonChanged = false;
    bool m_transformed = false;
    AcGeMatrix3d m_xform;
};

namespace hs {

// True for the application text of a class record that names one of the
// host's own components ("ObjectDBX Classes", the multileader styles, the
// rendering and image components, ...): the host knows those classes, so
// their objects are not proxies where hostsim does not model them.
bool isHostApplication(const std::string& appName);
// Registers AcDbProxyObject and AcDbProxyEntity once.
void registerProxyClasses();
// The proxy entity behind an object, or null.
HsProxyEntity* proxyEntity(AcRxObject* pObj);
// The proxy object behind an object, or null.
HsProxyObject* proxyObject(AcRxObject* pObj);
// The line a command prints for an edit a proxy refused ("moved", "erased").
std::string proxyRefusalLine(AcDbObject* pObj, const std::string& verb);
// True unless the object is a proxy whose flags forbid cloning (COPY,
// -ARRAY, WBLOCK leave it out).
bool cloningAllowed(const AcDbObject* pObj);
// The refusal line for an object given by id (opened for read).
std::string proxyRefusalLine(AcDbObjectId id, const std::string& verb);
// Prints the refusal line of each proxy among ids whose flags forbid
// cloning, once each, before a command copies them.
void reportCloneRefusals(const std::vector<AcDbObjectId>& ids, const std::string& verb);
// Replaces every resident instance of the class, in every database, by a
// proxy holding what the instance files (its DXF record and graphics).
// Called by deleteAcRxClass while the class's module is still loaded.
void convertInstancesToProxies(AcRxClass* pClass);
// Turns the proxies whose class is registered again back into objects of
// that class (after a module is loaded); tells the database reactors.
void resurrectProxies();
// The number of proxy entities in the drawing.
int proxyCount(AcDbDatabase* pDb);
// The number of proxy objects in the drawing.
int proxyObjectCount(AcDbDatabase* pDb);
// The proxy notice for a drawing just opened (PROXYNOTICE 1): the number of
// proxies and each missing application.
void printProxyNotice(AcDbDatabase* pDb);

}  // namespace hs
