// The host's ordinary entities: line, circle, arc, lightweight polyline, text,
// multiline text, block reference, point and ellipse.
#pragma once
#include <string>
#include <vector>

#include "dbmain.h"
#include "gepnt2d.h"
#include "gescl3d.h"

namespace hs {
class EntityFields;  // hostsim/entities: an entity's filed values, in filing order
}

// The display, listing and geometry hooks every entity below overrides: the
// protected sub* hooks from release 18 on, the public operations in release 16.
#if IRONVEIL_RELEASE >= 18
#define HS_ENTITY_HOOK_ACCESS protected
#else
#define HS_ENTITY_HOOK_ACCESS public
#endif
#define HS_DECLARE_ENTITY_HOOKS                                                                             \
    HS_ENTITY_HOOK_ACCESS:                                                                                  \
    Adesk::Boolean HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw * pWd) override;                          \
    void HS_HOOK(list, subList)() const override;                                                           \
    Acad::ErrorStatus HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents & extents) const override;     \
    Acad::ErrorStatus HS_HOOK(transformBy, subTransformBy)(const AcGeMatrix3d& xform) override;             \
    Acad::ErrorStatus HS_HOOK(getTransformedCopy, subGetTransformedCopy)(const AcGeMatrix3d& xform,         \
                                                                         AcDbEntity*& pEnt) const override; \
                                                                                                            \
public:                                                                                                     \
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;                                           \
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;                                    \
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;                                           \
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;                                    \
    /* hostsim: the transformation alone, without the fault seam and open checks. */                        \
    Acad::ErrorStatus hsTransform(const AcGeMatrix3d& xform)

// Base of the entities that are curves.
class AcDbCurve : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbCurve);
    ~AcDbCurve() override;
    virtual Adesk::Boolean isClosed() const;

protected:
    AcDbCurve();
};

class AcDbLine : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbLine);
    AcDbLine();
    AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end);
    ~AcDbLine() override;

    AcGePoint3d startPoint() const;
    Acad::ErrorStatus setStartPoint(const AcGePoint3d& pt);
    AcGePoint3d endPoint() const;
    Acad::ErrorStatus setEndPoint(const AcGePoint3d& pt);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        AcGePoint3d start, end;
        double thickness = 0.0;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

class AcDbCircle : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbCircle);
    AcDbCircle();
    AcDbCircle(const AcGePoint3d& cntr, const AcGeVector3d& nrm, double radius);
    ~AcDbCircle() override;

    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const;
    Acad::ErrorStatus setRadius(double radius);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    Adesk::Boolean isClosed() const override;

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        AcGePoint3d center;  // world coordinates
        double radius = 0.0;
        double thickness = 0.0;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

class AcDbArc : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbArc);
    AcDbArc();
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
    AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
            double endAngle);
    ~AcDbArc() override;

    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    double radius() const;
    Acad::ErrorStatus setRadius(double radius);
    // Angles in radians, counter-clockwise about the normal from the plane's x axis.
    double startAngle() const;
    Acad::ErrorStatus setStartAngle(double angle);
    double endAngle() const;
    Acad::ErrorStatus setEndAngle(double angle);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        AcGePoint3d center;  // world coordinates
        double radius = 0.0;
        double thickness = 0.0;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
        double startAngle = 0.0;
        double endAngle = 0.0;
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

// Lightweight polyline: 2D vertices in the plane of its normal at its
// elevation, each with a bulge (tan of a quarter of the arc's angle) and widths.
class AcDbPolyline : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbPolyline);
    AcDbPolyline();
    explicit AcDbPolyline(unsigned int num_verts);
    ~AcDbPolyline() override;

    Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge = 0.,
                                  double startWidth = -1., double endWidth = -1.);
    Acad::ErrorStatus removeVertexAt(unsigned int index);
    unsigned int numVerts() const;
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& pt) const;  // plane coordinates
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& pt) const;  // world coordinates
    Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& pt);
    Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    Acad::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
    Acad::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);
    Acad::ErrorStatus getConstantWidth(double& width) const;
    Acad::ErrorStatus setConstantWidth(double width);
    Adesk::Boolean hasBulges() const;
    Adesk::Boolean hasWidth() const;
    Adesk::Boolean isClosed() const override;
    void setClosed(Adesk::Boolean closed);
    double elevation() const;
    void setElevation(double elev);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    void reset(Adesk::Boolean reuse, unsigned int numVerts);

    HS_DECLARE_ENTITY_HOOKS;

    struct Vertex {
        AcGePoint2d pt;
        double bulge = 0.0;
        double startWidth = 0.0;
        double endWidth = 0.0;
    };

private:
    struct Data {
        Adesk::Int16 flags = 0;  // 1 closed, 128 linetype generation
        double constantWidth = 0.0;
        double elevation = 0.0;
        double thickness = 0.0;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
        std::vector<Vertex> verts;  // plane coordinates
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

class AcDbText : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbText);
    AcDbText();
    AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style = AcDbObjectId::kNull,
             double height = 0, double rotation = 0);
    ~AcDbText() override;

    AcGePoint3d position() const;  // world coordinates
    Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    AcGePoint3d alignmentPoint() const;
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& pt);
    Adesk::Boolean isDefaultAlignment() const;
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    double oblique() const;
    Acad::ErrorStatus setOblique(double angle);
    double rotation() const;
    Acad::ErrorStatus setRotation(double angle);
    double height() const;
    Acad::ErrorStatus setHeight(double height);
    double widthFactor() const;
    Acad::ErrorStatus setWidthFactor(double factor);
    // A copy the caller frees with acdbFree.
    ACHAR* textString() const;
    const ACHAR* textStringConst() const;
    Acad::ErrorStatus setTextString(const ACHAR* text);

    // hostsim: the DXF justification codes (72 horizontal, 73 vertical), the
    // generation flags (71) and the style name (7), kept as read.
    int hsHorizontalMode() const;
    void hsSetHorizontalMode(int mode);
    int hsVerticalMode() const;
    void hsSetVerticalMode(int mode);
    std::string hsStyleName() const;  // UTF-8

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        AcGePoint3d position;  // world coordinates
        double height = 0.0;
        std::basic_string<ACHAR> text;
        double thickness = 0.0;
        double rotation = 0.0;
        double oblique = 0.0;
        std::basic_string<ACHAR> style;
        double widthFactor = 1.0;
        Adesk::Int16 genFlags = 0;
        Adesk::Int16 hMode = 0;
        AcGePoint3d alignment;  // world coordinates
        AcGeVector3d normal = AcGeVector3d::kZAxis;
        Adesk::Int16 vMode = 0;
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

class AcDbMText : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbMText);
    enum AttachmentPoint {
        kTopLeft = 1,
        kTopCenter = 2,
        kTopRight = 3,
        kMiddleLeft = 4,
        kMiddleCenter = 5,
        kMiddleRight = 6,
        kBottomLeft = 7,
        kBottomCenter = 8,
        kBottomRight = 9,
    };
    AcDbMText();
    ~AcDbMText() override;

    AcGePoint3d location() const;
    Acad::ErrorStatus setLocation(const AcGePoint3d& pt);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    AcGeVector3d direction() const;
    Acad::ErrorStatus setDirection(const AcGeVector3d& dir);
    double rotation() const;
    Acad::ErrorStatus setRotation(double angle);
    double width() const;
    Acad::ErrorStatus setWidth(double width);
    double textHeight() const;
    Acad::ErrorStatus setTextHeight(double height);
    AttachmentPoint attachment() const;
    Acad::ErrorStatus setAttachment(AttachmentPoint type);
    // A copy the caller frees with acdbFree.
    ACHAR* contents() const;
    int setContents(const ACHAR* text);
    AcDb::LineSpacingStyle lineSpacingStyle() const;
    Acad::ErrorStatus setLineSpacingStyle(AcDb::LineSpacingStyle eStyle);
    double lineSpacingFactor() const;
    Acad::ErrorStatus setLineSpacingFactor(double dFactor);
    bool backgroundFillOn() const;
    Acad::ErrorStatus setBackgroundFill(bool enable);
    Acad::ErrorStatus getBackgroundFillColor(AcCmColor& color) const;
    Acad::ErrorStatus setBackgroundFillColor(const AcCmColor& color);
    bool useBackgroundColorOn() const;
    Acad::ErrorStatus setUseBackgroundColor(bool enable);
    Acad::ErrorStatus getBackgroundScaleFactor(double& scale) const;
    Acad::ErrorStatus setBackgroundScaleFactor(const double scale);
    Acad::ErrorStatus getBackgroundTransparency(AcCmTransparency& transp) const;
    Acad::ErrorStatus setBackgroundTransparency(const AcCmTransparency& transp);
    // hostsim: the contents without formatting codes, one entry per line.
    std::vector<std::string> hsPlainLines() const;  // UTF-8

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        AcGePoint3d location;
        double height = 0.0;
        double width = 0.0;
        Adesk::Int16 attachment = kTopLeft;
        Adesk::Int16 flow = 1;
        std::basic_string<ACHAR> contents;
        std::basic_string<ACHAR> style;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
        AcGeVector3d direction = AcGeVector3d::kXAxis;
        double lineSpacingFactor = 1.0;
        Adesk::Int16 lineSpacingStyle = AcDb::kAtLeast;
        // Background: group 90 flags (1 fill, 2 the drawing's background
        // colour, 16 a frame), colour, border scale and transparency.
        Adesk::Int32 backgroundFlags = 0;
        AcCmColor backgroundColor;
        double backgroundScale = 1.5;
        AcCmTransparency backgroundTransparency;
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

class AcDbBlockReference : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockReference);
    AcDbBlockReference();
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec);
    ~AcDbBlockReference() override;

    AcDbObjectId blockTableRecord() const;
    Acad::ErrorStatus setBlockTableRecord(AcDbObjectId blockId);
    AcGePoint3d position() const;  // world coordinates
    Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    AcGeScale3d scaleFactors() const;
    Acad::ErrorStatus setScaleFactors(const AcGeScale3d& scale);
    double rotation() const;
    Acad::ErrorStatus setRotation(double angle);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    // Block definition coordinates to world coordinates.
    AcGeMatrix3d blockTransform() const;
    // hostsim: the block's name as written in DXF (UTF-8), resolved to the
    // record when the reference is read into a database.
    std::string hsBlockName() const;

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        std::basic_string<ACHAR> blockName;  // DXF only; DWG files the record id
        AcGePoint3d position;                // world coordinates
        double sx = 1.0, sy = 1.0, sz = 1.0;
        double rotation = 0.0;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
    };
    AcDbObjectId resolvedBlock() const;
    mutable AcDbObjectId m_block;
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

class AcDbPoint : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbPoint);
    AcDbPoint();
    explicit AcDbPoint(const AcGePoint3d& position);
    ~AcDbPoint() override;

    AcGePoint3d position() const;
    Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    double thickness() const;
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const;
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double ecsRotation() const;
    Acad::ErrorStatus setEcsRotation(double angle);

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        AcGePoint3d position;
        double thickness = 0.0;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
        double ecsRotation = 0.0;
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};

class AcDbEllipse : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDbEllipse);
    AcDbEllipse();
    AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
                double radiusRatio, double startAngle = 0.0, double endAngle = 6.28318530717958647692);
    ~AcDbEllipse() override;

    AcGePoint3d center() const;
    Acad::ErrorStatus setCenter(const AcGePoint3d& center);
    AcGeVector3d normal() const;
    AcGeVector3d majorAxis() const;
    AcGeVector3d minorAxis() const;
    double radiusRatio() const;
    Acad::ErrorStatus setRadiusRatio(double ratio);
    // Parameters of the ellipse's own angle, in radians.
    double startAngle() const;
    Acad::ErrorStatus setStartAngle(double angle);
    double endAngle() const;
    Acad::ErrorStatus setEndAngle(double angle);
    Acad::ErrorStatus set(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
                          const AcGeVector3d& majorAxis, double radiusRatio, double startAngle = 0.0,
                          double endAngle = 6.28318530717958647692);
    Adesk::Boolean isClosed() const override;

    HS_DECLARE_ENTITY_HOOKS;

private:
    struct Data {
        AcGePoint3d center;
        AcGeVector3d majorAxis = AcGeVector3d::kXAxis;
        AcGeVector3d normal = AcGeVector3d::kZAxis;
        double ratio = 1.0;
        double startAngle = 0.0;
        double endAngle = 6.28318530717958647692;
    };
    static void hsFields(Data& d, hs::EntityFields& f);
    Data m_d;
};
