// Proxy objects and entities: what the host keeps in place of an object whose
// class no loaded module registers. The proxy holds the object's data as it
// was filed, its class record and (for an entity) its graphics, and allows
// only the edits its proxy flags name.
#pragma once
#include "dbmain.h"

class AcDbProxyObject : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbProxyObject);

    enum {
        kNoOperation = 0,
        kEraseAllowed = 0x1,
        kAllButCloningAllowed = 0x1,
        kCloningAllowed = 0x80,
        kAllAllowedBits = 0x81,
        kMergeIgnore = 0,
        kMergeReplace = 0x100,
        kMergeMangleName = 0x200,
        kDisableProxyWarning = 0x400
    };

    virtual int proxyFlags() const = 0;
    virtual const ACHAR* originalClassName() const = 0;
    virtual const ACHAR* originalDxfName() const = 0;
    virtual const ACHAR* applicationDescription() const = 0;
    virtual Acad::ErrorStatus getReferences(AcDbObjectIdArray& ids, AcDbIntArray& types) const = 0;
    virtual AcDb::DuplicateRecordCloning mergeStyle() const = 0;

protected:
    AcDbProxyObject();
};

class AcDbProxyEntity : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbProxyEntity);

    enum GraphicsMetafileType { kNoMetafile = 0, kBoundingBox = 1, kFullGraphics = 2 };

    enum {
        kNoOperation = 0,
        kEraseAllowed = 0x1,
        kTransformAllowed = 0x2,
        kColorChangeAllowed = 0x4,
        kLayerChangeAllowed = 0x8,
        kLinetypeChangeAllowed = 0x10,
        kLinetypeScaleChangeAllowed = 0x20,
        kVisibilityChangeAllowed = 0x40,
        kCloningAllowed = 0x80,
        kLineWeightChangeAllowed = 0x100,
        kPlotStyleNameChangeAllowed = 0x200,
        kAllButCloningAllowed = 0x37F,
        kDisableProxyWarning = 0x400,
#if IRONVEIL_RELEASE >= 18
        kMaterialChangeAllowed = 0x800,
        kAllAllowedBits = 0xBFF
#else
        kAllAllowedBits = 0x3FF
#endif
    };

    virtual int proxyFlags() const = 0;
    virtual const ACHAR* originalClassName() const = 0;
    virtual const ACHAR* originalDxfName() const = 0;
    virtual const ACHAR* applicationDescription() const = 0;
    virtual Acad::ErrorStatus getReferences(AcDbObjectIdArray& ids, AcDbIntArray& types) const = 0;
    virtual GraphicsMetafileType graphicsMetafileType() const = 0;

protected:
    AcDbProxyEntity();
};

// The proxy's class record, with the names as the build's text.
Acad::ErrorStatus acdbGetProxyInfo(AcDbObject* pObj, ACHAR*& dxfName, ACHAR*& className, ACHAR*& appName);
