// World drawing: drawables, the world-draw context and its geometry.
#pragma once
#include "gemat3d.h"
#include "rxobject.h"

class AcGiWorldDraw;
class AcGiViewportDraw;
class AcGiDrawableTraits;
class AcCmEntityColor;
class AcDbObjectId;

enum AcGiRegenType {
    eAcGiRegenTypeInvalid = 0,
    kAcGiStandardDisplay = 2,
    kAcGiHideOrShadeCommand,
    kAcGiRenderCommand,
    kAcGiShadedDisplay = kAcGiRenderCommand,
    kAcGiForExplode,
    kAcGiSaveWorldDrawForProxy
};

enum AcGiArcType { kAcGiArcSimple = 0, kAcGiArcSector, kAcGiArcChord };

class AcGiDrawable : public AcRxObject {
public:
    static AcRxClass* desc();
#if IRONVEIL_RELEASE >= 18
    // Sealed in these releases: they call the protected sub* hooks.
    Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits);
    Adesk::Boolean worldDraw(AcGiWorldDraw* wd);
    void viewportDraw(AcGiViewportDraw* vd);

protected:
    virtual Adesk::UInt32 subSetAttributes(AcGiDrawableTraits* traits) = 0;
    virtual Adesk::Boolean subWorldDraw(AcGiWorldDraw* wd) = 0;
    virtual void subViewportDraw(AcGiViewportDraw* vd) = 0;
#else
    virtual Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits) = 0;
    virtual Adesk::Boolean worldDraw(AcGiWorldDraw* wd) = 0;
    virtual void viewportDraw(AcGiViewportDraw* vd) = 0;
#endif
};

class AcGiSubEntityTraits : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual void setColor(const Adesk::UInt16 color) = 0;
    virtual void setTrueColor(const AcCmEntityColor& color) = 0;
    virtual void setLayer(const AcDbObjectId layerId) = 0;
    virtual void setLineType(const AcDbObjectId linetypeId) = 0;
    virtual Adesk::UInt16 color() const = 0;
};

class AcGiGeometry : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual Adesk::Boolean circle(const AcGePoint3d& center, const double radius,
                                  const AcGeVector3d& normal) const = 0;
    virtual Adesk::Boolean circularArc(const AcGePoint3d& center, const double radius,
                                       const AcGeVector3d& normal, const AcGeVector3d& startVector,
                                       const double sweepAngle,
                                       const AcGiArcType arcType = kAcGiArcSimple) const = 0;
    virtual Adesk::Boolean polyline(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                                    const AcGeVector3d* pNormal = nullptr,
                                    Adesk::Int32 lBaseSubEntMarker = -1) const = 0;
    virtual Adesk::Boolean text(const AcGePoint3d& position, const AcGeVector3d& normal,
                                const AcGeVector3d& direction, const double height, const double width,
                                const double oblique, const ACHAR* pMsg) const = 0;
    virtual Adesk::Boolean draw(AcGiDrawable* pDrawable) const = 0;
    virtual Adesk::Boolean pushModelTransform(const AcGeMatrix3d& xMat) = 0;
    virtual Adesk::Boolean popModelTransform() = 0;
};

class AcGiWorldGeometry : public AcGiGeometry {
public:
    static AcRxClass* desc();
};

class AcGiCommonDraw : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual AcGiSubEntityTraits& subEntityTraits() const = 0;
    virtual Adesk::Boolean regenAbort() const = 0;
    virtual AcGiRegenType regenType() const = 0;
};

class AcGiWorldDraw : public AcGiCommonDraw {
public:
    static AcRxClass* desc();
    virtual AcGiWorldGeometry& geometry() const = 0;
};
