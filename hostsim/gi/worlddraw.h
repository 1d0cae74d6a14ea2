// A world-draw context that records what drawables draw, in world
// coordinates with colours resolved, for the picture.
#pragma once
#include <string>
#include <vector>

#include "acgi.h"
#include "dbmain.h"

namespace hs {

struct Primitive {
    enum Kind { kGroupBegin, kGroupEnd, kPolyline, kDot, kCircle, kArc, kText } kind = kPolyline;
    int colour = 7;                // 1..255
    std::vector<AcGePoint3d> pts;  // polyline, dot; arc: start and end
    AcGePoint3d centre;            // circle, arc; text: base line start
    double radius = 0.0;           // circle, arc
    double sweep = 0.0;            // arc: counter-clockwise seen from +z when positive
    AcGeVector3d dir;              // text direction
    double height = 0.0;           // text
    double length = 0.0;           // text: width along the base line
    double oblique = 0.0;          // text
    std::string text;              // text (UTF-8); group: entity name
    std::string handle;            // group
};

class RecordingDraw;

class RecordingTraits : public AcGiSubEntityTraits {
public:
    void setColor(const Adesk::UInt16 color) override { m_color = color; }
    void setTrueColor(const AcCmEntityColor&) override {}
    void setLayer(const AcDbObjectId) override {}
    void setLineType(const AcDbObjectId) override {}
    Adesk::UInt16 color() const override { return m_color; }

private:
    Adesk::UInt16 m_color = 7;
};

class RecordingGeometry : public AcGiWorldGeometry {
public:
    explicit RecordingGeometry(RecordingDraw& owner) : m_owner(owner) {}
    Adesk::Boolean circle(const AcGePoint3d& center, const double radius,
                          const AcGeVector3d& normal) const override;
    Adesk::Boolean circularArc(const AcGePoint3d& center, const double radius, const AcGeVector3d& normal,
                               const AcGeVector3d& startVector, const double sweepAngle,
                               const AcGiArcType arcType = kAcGiArcSimple) const override;
    Adesk::Boolean polyline(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                            const AcGeVector3d* pNormal = nullptr,
                            Adesk::Int32 lBaseSubEntMarker = -1) const override;
    Adesk::Boolean text(const AcGePoint3d& position, const AcGeVector3d& normal,
                        const AcGeVector3d& direction, const double height, const double width,
                        const double oblique, const ACHAR* pMsg) const override;
    Adesk::Boolean draw(AcGiDrawable* pDrawable) const override;
    Adesk::Boolean pushModelTransform(const AcGeMatrix3d& xMat) override;
    Adesk::Boolean popModelTransform() override;

private:
    RecordingDraw& m_owner;
};

class RecordingDraw : public AcGiWorldDraw {
public:
    RecordingDraw();
    AcGiSubEntityTraits& subEntityTraits() const override;
    Adesk::Boolean regenAbort() const override { return Adesk::kFalse; }
    AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
    AcGiWorldGeometry& geometry() const override;

    // Draws a drawable: an entity takes its own colour (ByBlock the caller's,
    // ByLayer its layer's) and is skipped when invisible or on a layer that
    // is off or frozen.
    bool drawDrawable(AcGiDrawable* pDrawable);
    const std::vector<Primitive>& primitives() const { return m_prims; }

    // For the geometry: the current transform and the resolved colour.
    const AcGeMatrix3d& transform() const { return m_transforms.back(); }
    void pushTransform(const AcGeMatrix3d& m) { m_transforms.push_back(m_transforms.back() * m); }
    bool popTransform();
    // Adds a primitive in world coordinates, in the current colour.
    void add(Primitive p);

private:
    struct Context {
        int byBlock = 7;  // what ByBlock means here: the caller's colour
        int byLayer = 7;  // the colour of the drawing entity's layer
    };
    int resolve(int index) const;

    mutable RecordingTraits m_traits;
    mutable RecordingGeometry m_geometry;
    std::vector<AcGeMatrix3d> m_transforms;
    std::vector<Context> m_contexts;
    std::vector<Primitive> m_prims;
};

// The SVG text of recorded primitives.
// The SVG of recorded shapes; shapes whose numbers are not finite are left
// out, and `note` (when given) says how many and of which entities.
std::string svgFromPrimitives(const std::vector<Primitive>& prims, std::string* note = nullptr);

}  // namespace hs
