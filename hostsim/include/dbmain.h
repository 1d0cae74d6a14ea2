// Database objects, entities, colours, extents and the database itself.
#pragma once
#include <memory>
#include <string>

#include "acadstrc.h"
#include "acdb.h"
#include "acgi.h"
#include "dbid.h"
#include "dbidmap.h"
#include "gemat3d.h"
#include "gept3dar.h"
#include "rxobject.h"

class AcDbDwgFiler;
class AcDbDxfFiler;
class AcDbBlockTable;
class AcDbLayerTable;
class AcDbLinetypeTable;
class AcDbBlockTableRecord;
class AcDbIdMapping;
struct resbuf;

// hostsim: the names the display and geometry hooks have in this release.
#if IRONVEIL_RELEASE >= 18
#define HS_HOOK(plain, sub) sub
#else
#define HS_HOOK(plain, sub) plain
#endif

class AcCmEntityColor {
public:
    enum ColorMethod {
        kByLayer = 0xC0,
        kByBlock = 0xC1,
        kByColor = 0xC2,
        kByACI = 0xC3,
        kByPen = 0xC4,
        kForeground = 0xC5,
        kNone = 0xC8
    };
};

class AcCmColorBase {
public:
    virtual ~AcCmColorBase() {}
};

// Entity colour: a colour index (0 ByBlock, 256 ByLayer, 1..255) or a true colour.
class AcCmColor : public AcCmColorBase {
public:
    AcCmColor();
    AcCmColor(const AcCmColor& other);
    AcCmColor(AcCmColor&& other) noexcept = default;
    AcCmColor& operator=(const AcCmColor& other);
    AcCmColor& operator=(AcCmColor&& other) noexcept = default;
    ~AcCmColor() override;
    virtual AcCmEntityColor::ColorMethod colorMethod() const;
    virtual Acad::ErrorStatus setColorMethod(AcCmEntityColor::ColorMethod eColorMethod);
    virtual bool isByColor() const;
    virtual bool isByLayer() const;
    virtual bool isByBlock() const;
    virtual bool isByACI() const;
    virtual Acad::ErrorStatus setColorIndex(Adesk::UInt16 colorIndex);
    virtual Adesk::UInt16 colorIndex() const;
    virtual Acad::ErrorStatus setRGB(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue);
    virtual Adesk::UInt8 red() const;
    virtual Adesk::UInt8 green() const;
    virtual Adesk::UInt8 blue() const;
    // The name of a colour from a colour book, and the book's name; empty
    // for other colours. Setting the colour in any other way drops them.
    Acad::ErrorStatus setNames(const ACHAR* colorName, const ACHAR* bookName = nullptr);
    const ACHAR* colorName() const;
    const ACHAR* bookName() const;
    bool operator==(const AcCmColor& c) const;
    bool operator!=(const AcCmColor& c) const { return !(*this == c); }
    Acad::ErrorStatus dwgIn(AcDbDwgFiler* pInputFiler);
    Acad::ErrorStatus dwgOut(AcDbDwgFiler* pOutputFiler) const;

private:
    struct Names {
        std::basic_string<ACHAR> color, book;
    };
    AcCmEntityColor::ColorMethod m_method;
    Adesk::UInt16 m_index;
    Adesk::UInt8 m_rgb[3];
    // Most colours have no names: nothing is stored for them.
    std::unique_ptr<Names> m_names;
};

// Transparency: by layer, by block, or an alpha value (0 clear, 255 solid).
class AcCmTransparency {
public:
    enum transparencyMethod { kByLayer = 0, kByBlock, kByAlpha, kErrorValue };
    AcCmTransparency() = default;
    explicit AcCmTransparency(Adesk::UInt8 alpha) { setAlpha(alpha); }
    void setAlpha(Adesk::UInt8 alpha) { m_value = (Adesk::UInt32(kByAlpha) << 24) | alpha; }
    Adesk::UInt8 alpha() const { return isByAlpha() ? Adesk::UInt8(m_value & 0xFF) : Adesk::UInt8(255); }
    void setMethod(transparencyMethod method) { m_value = Adesk::UInt32(method) << 24; }
    transparencyMethod method() const {
        Adesk::UInt32 m = m_value >> 24;
        return m <= kByAlpha ? transparencyMethod(m) : kErrorValue;
    }
    bool isByLayer() const { return method() == kByLayer; }
    bool isByBlock() const { return method() == kByBlock; }
    bool isByAlpha() const { return method() == kByAlpha; }
    bool isInvalid() const { return method() == kErrorValue; }
    bool isClear() const { return isByAlpha() && alpha() == 0; }
    bool isSolid() const { return isByAlpha() && alpha() == 255; }
    // The packed form DXF files hold in group 440 (method in the top byte).
    Adesk::UInt32 serializeOut() const { return m_value; }
    void serializeIn(Adesk::UInt32 value) { m_value = value; }
    bool operator==(const AcCmTransparency& t) const { return m_value == t.m_value; }
    bool operator!=(const AcCmTransparency& t) const { return m_value != t.m_value; }

private:
    Adesk::UInt32 m_value = 0;
};

class AcDbExtents {
public:
    AcDbExtents();
    AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max);
    AcGePoint3d minPoint() const { return mMinPoint; }
    AcGePoint3d maxPoint() const { return mMaxPoint; }
    Acad::ErrorStatus set(const AcGePoint3d& min, const AcGePoint3d& max);
    void addPoint(const AcGePoint3d& pt);
    void addExt(const AcDbExtents& src);
    void expandBy(const AcGeVector3d& vec);
    void transformBy(const AcGeMatrix3d& mat);
    // hostsim: true until a point has been added (the default box is inverted).
    bool hsIsEmpty() const;

private:
    AcGePoint3d mMinPoint;
    AcGePoint3d mMaxPoint;
};

// Memory of database objects. hostsim can be told to make an allocation fail;
// the operator then gives null, which the caller must check.
class AcHeapOperators {
public:
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* p);
    static void* operator new[](size_t size) noexcept;
    static void operator delete[](void* p);
};

class AcDbObject : public AcGiDrawable, public AcHeapOperators {
public:
    ACRX_DECLARE_MEMBERS(AcDbObject);
    ~AcDbObject() override;

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const;
    virtual Acad::ErrorStatus setOwnerId(AcDbObjectId objId);
    void getAcDbHandle(AcDbHandle& handle) const;
    AcDbHandle hsHandle() const;
    AcDbDatabase* database() const;

    Acad::ErrorStatus upgradeOpen();
    Acad::ErrorStatus downgradeOpen();
    Acad::ErrorStatus close();
    Acad::ErrorStatus cancel();
    Acad::ErrorStatus erase(Adesk::Boolean erasing = true);
    Adesk::Boolean isErased() const;
    Adesk::Boolean isAProxy() const;
    Adesk::Boolean isReadEnabled() const;
    Adesk::Boolean isWriteEnabled() const;
    Adesk::Boolean isNotifyEnabled() const;
    Adesk::Boolean isNewObject() const;
    void assertReadEnabled() const;
    void assertWriteEnabled(Adesk::Boolean autoUndo = true, Adesk::Boolean recordModified = true);
    void assertNotifyEnabled() const;

    Acad::ErrorStatus dwgIn(AcDbDwgFiler* pFiler);
    Acad::ErrorStatus dwgOut(AcDbDwgFiler* pFiler) const;
    Acad::ErrorStatus dxfIn(AcDbDxfFiler* pFiler);
    Acad::ErrorStatus dxfOut(AcDbDxfFiler* pFiler) const;

    virtual Acad::ErrorStatus subErase(Adesk::Boolean erasing);
    virtual Acad::ErrorStatus subOpen(AcDb::OpenMode mode);
    virtual Acad::ErrorStatus subClose();
    virtual Acad::ErrorStatus subCancel();
    virtual Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler);
    virtual Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const;
    virtual Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler);
    virtual Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const;

    // A non-resident copy made through the copy filer.
    AcRxObject* clone() const override;

    // Cloning. The default makes an object of the same class, adds it under
    // the owner (an entity owned by a block table record is appended to it),
    // files this object into it through a deep clone (or wblock clone) filer,
    // records the pair in the map and clones what this object owns (and,
    // for wblock, what it points to with hard pointers) as non-primary.
#if IRONVEIL_RELEASE >= 18
    Acad::ErrorStatus deepClone(AcDbObject* pOwnerObject, AcDbObject*& pClonedObject, AcDbIdMapping& idMap,
                                Adesk::Boolean isPrimary = true) const;
    Acad::ErrorStatus wblockClone(AcRxObject* pOwnerObject, AcDbObject*& pClonedObject, AcDbIdMapping& idMap,
                                  Adesk::Boolean isPrimary = true) const;

protected:
    virtual Acad::ErrorStatus subDeepClone(AcDbObject* pOwnerObject, AcDbObject*& pClonedObject,
                                           AcDbIdMapping& idMap, Adesk::Boolean isPrimary = true) const;
    virtual Acad::ErrorStatus subWblockClone(AcRxObject* pOwnerObject, AcDbObject*& pClonedObject,
                                             AcDbIdMapping& idMap, Adesk::Boolean isPrimary = true) const;

public:
#else
    virtual Acad::ErrorStatus deepClone(AcDbObject* pOwnerObject, AcDbObject*& pClonedObject,
                                        AcDbIdMapping& idMap, Adesk::Boolean isPrimary = true) const;
    virtual Acad::ErrorStatus wblockClone(AcRxObject* pOwnerObject, AcDbObject*& pClonedObject,
                                          AcDbIdMapping& idMap, Adesk::Boolean isPrimary = true) const;
#endif
    void setAcDbObjectIdsInFlux();
    Adesk::Boolean isAcDbObjectIdsInFlux() const;
    virtual Acad::ErrorStatus swapReferences(const AcDbIdMapping& idMap);

#if IRONVEIL_RELEASE >= 18
protected:
    Adesk::UInt32 subSetAttributes(AcGiDrawableTraits* pTraits) override;
    Adesk::Boolean subWorldDraw(AcGiWorldDraw* pWd) override;
    void subViewportDraw(AcGiViewportDraw* pVd) override;

public:
#else
    Adesk::UInt32 setAttributes(AcGiDrawableTraits* pTraits) override;
    Adesk::Boolean worldDraw(AcGiWorldDraw* pWd) override;
    void viewportDraw(AcGiViewportDraw* pVd) override;
#endif

    // hostsim: the record that ties a resident object to its database.
    AcDbStub* hsStub() const {
        return m_pStub;
    }
    void hsSetStub(AcDbStub* pStub) {
        m_pStub = pStub;
    }

protected:
    AcDbObject();

private:
    friend class AcDbStub;
    AcDbStub* m_pStub = nullptr;
};

class AcDbEntity : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbEntity);
    ~AcDbEntity() override;

    AcDbObjectId blockId() const;

    AcCmColor color() const;
    virtual Acad::ErrorStatus setColor(const AcCmColor& color, Adesk::Boolean doSubents = true);
    Adesk::UInt16 colorIndex() const;
    virtual Acad::ErrorStatus setColorIndex(Adesk::UInt16 color, Adesk::Boolean doSubents = true);

    ACHAR* layer() const;
    AcDbObjectId layerId() const;
    // hostsim: the layer name without the read check (the open rules need it before opening).
    const ACHAR* hsLayerName() const;
#if IRONVEIL_RELEASE >= 18
    virtual Acad::ErrorStatus setLayer(const ACHAR* newVal, Adesk::Boolean doSubents = true,
                                       bool allowHiddenLayer = false);
    virtual Acad::ErrorStatus setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents = true,
                                       bool allowHiddenLayer = false);
#else
    virtual Acad::ErrorStatus setLayer(const char* newVal, Adesk::Boolean doSubents = true);
    virtual Acad::ErrorStatus setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents = true);
#endif

    ACHAR* linetype() const;
    AcDbObjectId linetypeId() const;
    virtual Acad::ErrorStatus setLinetype(const ACHAR* newVal, Adesk::Boolean doSubents = true);
    virtual Acad::ErrorStatus setLinetype(AcDbObjectId newVal, Adesk::Boolean doSubents = true);

    double linetypeScale() const;
    virtual Acad::ErrorStatus setLinetypeScale(double newval, Adesk::Boolean doSubents = true);

    AcDb::LineWeight lineWeight() const;
    virtual Acad::ErrorStatus setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean doSubents = true);

    AcDb::Visibility visibility() const;
    virtual Acad::ErrorStatus setVisibility(AcDb::Visibility newVal, Adesk::Boolean doSubents = true);

    AcCmTransparency transparency() const;
    virtual Acad::ErrorStatus setTransparency(const AcCmTransparency& trans, Adesk::Boolean doSubents = true);

    // hostsim: takes one of the common groups (layer, colour, ...) that a
    // file gave after the entity's subclass data; false for other groups.
    bool hsReadCommonGroup(const resbuf& rb);

    Acad::ErrorStatus setPropertiesFrom(const AcDbEntity* pEntity, Adesk::Boolean doSubents = true);

    // The database's current colour, layer, linetype, linetype scale and
    // lineweight for each of them that was never set; then the entity's hook.
    void setDatabaseDefaults();
    void setDatabaseDefaults(AcDbDatabase* pDb);
    virtual void subSetDatabaseDefaults(AcDbDatabase* pDb);
    // hostsim: what adding the entity to a database does (only the
    // properties never set), and setDatabaseDefaults (all of them).
    void hsApplyDatabaseDefaults(AcDbDatabase* pDb, bool onlyUnset);

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;

#if IRONVEIL_RELEASE >= 18
    // Sealed in these releases: each calls its protected sub* hook.
    void list() const;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
    Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const;
    Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                    AcDbIntArray& geomIds) const;
    Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;

protected:
    virtual void subList() const;
    virtual Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform);
    virtual Acad::ErrorStatus subGetTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const;
    virtual Acad::ErrorStatus subGetGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                               AcDbIntArray& geomIds) const;
    virtual Acad::ErrorStatus subMoveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
    virtual Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const;

public:
#else
    virtual void list() const;
    virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
    virtual Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const;
    virtual Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                            AcDbIntArray& geomIds) const;
    virtual Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
    virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
#endif

protected:
    AcDbEntity();

private:
    struct Props;
    static bool readCommonGroup(Props& p, const resbuf& rb);
    static bool readCommonValue(Props& p, const resbuf& rb);
    Props* m_pProps;
};

// Database reactors: hostsim sends proxyResurrectionCompleted only.
class AcDbDatabaseReactor : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual void proxyResurrectionCompleted(const AcDbDatabase* dwg, const ACHAR* appname,
                                            AcDbObjectIdArray& objects);
};

class AcDbDatabase : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDatabase);
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase() override;

    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbLinetypeTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
        return getSymbolTable(pTable, mode);
    }
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
        return getSymbolTable(pTable, mode);
    }
    Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& pTable, AcDb::OpenMode mode) {
        return getSymbolTable(pTable, mode);
    }
    AcDbObjectId blockTableId() const;
    AcDbObjectId layerTableId() const;
    AcDbObjectId linetypeTableId() const;
    AcDbObjectId clayer() const;
    Acad::ErrorStatus setClayer(AcDbObjectId objId);
    AcDbObjectId celtype() const;
    Acad::ErrorStatus setCeltype(AcDbObjectId objId);
    AcCmColor cecolor() const;
    Acad::ErrorStatus setCecolor(const AcCmColor& color);
    double celtscale() const;
    Acad::ErrorStatus setCeltscale(double scale);
    AcDb::LineWeight celweight() const;
    Acad::ErrorStatus setCelweight(AcDb::LineWeight weight);
    AcDbObjectId byLayerLinetype() const;
    AcDbObjectId byBlockLinetype() const;
    AcDbObjectId continuousLinetype() const;
    AcDbObjectId currentSpaceId() const;
    void addReactor(AcDbDatabaseReactor* pReactor) const;
    void removeReactor(AcDbDatabaseReactor* pReactor) const;
    Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& retId, bool createIfNotFound, const AcDbHandle& objHandle,
                                      Adesk::UInt32 xRefId = 0);

    // Cloning within this database, and wblock cloning into the map's
    // destination; the map's address names the operation.
    Acad::ErrorStatus deepCloneObjects(AcDbObjectIdArray& objectIds, AcDbObjectId& owner,
                                       AcDbIdMapping& idMap, bool deferXlation = false);
    Acad::ErrorStatus wblockCloneObjects(AcDbObjectIdArray& objectIds, AcDbObjectId& owner,
                                         AcDbIdMapping& idMap, AcDb::DuplicateRecordCloning drc,
                                         bool deferXlation = false);
    void abortDeepClone(AcDbIdMapping& idMap);
    void forceWblockDatabaseCopy();

    // A new database from chosen entities, a block, or the whole drawing.
    Acad::ErrorStatus wblock(AcDbDatabase*& pOutputDb, const AcDbObjectIdArray& outObjIds,
                             const AcGePoint3d& basePoint);
    Acad::ErrorStatus wblock(AcDbDatabase* pOutputDb, const AcDbObjectIdArray& outObjIds,
                             const AcGePoint3d& basePoint, AcDb::DuplicateRecordCloning drc);
    Acad::ErrorStatus wblock(AcDbDatabase*& pOutputDb, AcDbObjectId blockId);
    Acad::ErrorStatus wblock(AcDbDatabase*& pOutputDb);

    // Another database brought into this one, as a block or into model space.
    Acad::ErrorStatus insert(AcDbObjectId& blockId, const ACHAR* pBlockName, AcDbDatabase* pDb,
                             bool preserveSourceDatabase = true);
    Acad::ErrorStatus insert(const AcGeMatrix3d& xform, AcDbDatabase* pDb,
                             bool preserveSourceDatabase = true);
    Acad::ErrorStatus insert(AcDbObjectId& blockId, const ACHAR* pSourceBlockName,
                             const ACHAR* pDestinationBlockName, AcDbDatabase* pDb,
                             bool preserveSourceDatabase = true);

    // hostsim: the database's own state (object records, handles, draw order,
    // undo log). Defined in hostsim/db.
    class Imp;
    Imp* hsImp() const { return m_pImp; }

private:
    Imp* m_pImp;
};

class AcDbHostApplicationServices : public AcRxObject {
public:
    static AcRxClass* desc();
    AcDbDatabase* workingDatabase() const;
    void setWorkingDatabase(AcDbDatabase* pDatabase);
    // hostsim: the database set explicitly (workingDatabase() falls back to the session's).
    AcDbDatabase* hsSetWorkingDatabase() const { return m_pWorkingDatabase; }

private:
    AcDbDatabase* m_pWorkingDatabase = nullptr;
};
AcDbHostApplicationServices* acdbHostApplicationServices();

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedObject = false);
Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& pEnt, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedEntity = false);
// Opens only an object of the class (or a class derived from it):
// eNotThatKindOfClass otherwise, as the typed acdbOpenObject reports it.
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErasedObject, const AcRxClass* pClass);
template <class T>
inline Acad::ErrorStatus acdbOpenObject(T*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                        bool openErased = false) {
    AcDbObject* p = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(p, id, mode, openErased, T::desc());
    pObj = static_cast<T*>(p);
    return es;
}

#include "adsdef.h"
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName);
Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId);
Acad::ErrorStatus acdbFree(void* pBuffer);
