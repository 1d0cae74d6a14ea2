// The recording world-draw context: model transforms, colour resolution and
// the primitives each drawable draws.
#include "worlddraw.h"

#include <cmath>
#include <cstdio>

#include "dbsymtb.h"
#include "entities/common.h"
#include "hostsim/text.h"

namespace hs {

namespace {

// Text for the picture, in UTF-8.
std::string pictureText(const ACHAR* pMsg) {
    return toUnicodeUtf8(pMsg);
}

std::string hexHandle(const AcDbObject* pObj) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(pObj->hsHandle().value()));
    return buf;
}

std::string className(const AcRxObject* pObj) {
    AcRxClass* pClass = pObj->isA();
    if (pClass == nullptr)
        return std::string();
    const ACHAR* dxf = pClass->dxfName();
    return toUtf8(dxf != nullptr && *dxf ? dxf : pClass->name());
}

}  // namespace

// ---- geometry ----

Adesk::Boolean RecordingGeometry::circle(const AcGePoint3d& center, const double radius,
                                         const AcGeVector3d& normal) const {
    return circularArc(center, radius, normal, AcGeVector3d(), kTwoPi);
}

// Arcs in planes facing the viewer stay arcs; others are drawn as the
// polylines of their points.
Adesk::Boolean RecordingGeometry::circularArc(const AcGePoint3d& center, const double radius,
                                              const AcGeVector3d& normal, const AcGeVector3d& startVector,
                                              const double sweepAngle, const AcGiArcType) const {
    const AcGeMatrix3d& m = m_owner.transform();
    AcGeVector3d ax, ay;
    planeAxes(normal, ax, ay);
    AcGeVector3d start = startVector.length() == 0.0 ? ax : startVector.normal();
    AcGeVector3d side = normal.normal().crossProduct(start);
    AcGePoint3d c = center;
    c.transformBy(m);
    AcGeVector3d a = start * radius, b = side * radius;
    a.transformBy(m);
    b.transformBy(m);
    AcGeVector3d n = a.crossProduct(b);
    double sweep = sweepAngle;
    double t0 = sweep >= 0.0 ? 0.0 : sweep;
    double t1 = sweep >= 0.0 ? sweep : 0.0;
    if (std::fabs(n.x) > 1e-9 * n.length() || std::fabs(n.y) > 1e-9 * n.length()) {
        Primitive p;
        p.pts = arcPoints(c, a, b, t0, t1);
        m_owner.add(p);
        return Adesk::kTrue;
    }
    Primitive p;
    p.centre = c;
    p.radius = a.length();
    if (std::fabs(sweep) >= kTwoPi) {
        p.kind = Primitive::kCircle;
    } else {
        p.kind = Primitive::kArc;
        p.pts = {c + a * std::cos(t0) + b * std::sin(t0), c + a * std::cos(t1) + b * std::sin(t1)};
        // Counter-clockwise about the (transformed) normal; seen from +z when it points up.
        p.sweep = (t1 - t0) * (n.z >= 0.0 ? 1.0 : -1.0);
    }
    m_owner.add(p);
    return Adesk::kTrue;
}

Adesk::Boolean RecordingGeometry::polyline(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                                           const AcGeVector3d*, Adesk::Int32) const {
    if (nbPoints == 0 || pVertexList == nullptr)
        return Adesk::kFalse;
    Primitive p;
    p.kind = nbPoints == 1 ? Primitive::kDot : Primitive::kPolyline;
    for (Adesk::UInt32 i = 0; i < nbPoints; ++i) {
        AcGePoint3d pt = pVertexList[i];
        p.pts.push_back(pt.transformBy(m_owner.transform()));
    }
    m_owner.add(p);
    return Adesk::kTrue;
}

Adesk::Boolean RecordingGeometry::text(const AcGePoint3d& position, const AcGeVector3d&,
                                       const AcGeVector3d& direction, const double height, const double width,
                                       const double oblique, const ACHAR* pMsg) const {
    const AcGeMatrix3d& m = m_owner.transform();
    Primitive p;
    p.kind = Primitive::kText;
    p.centre = position;
    p.centre.transformBy(m);
    AcGeVector3d dir = direction.length() == 0.0 ? AcGeVector3d::kXAxis : direction.normal();
    dir.transformBy(m);
    double scale = dir.length();
    p.dir = dir.normal();
    p.height = height * scale;
    p.length = textCells(pMsg != nullptr ? tstring(pMsg) : tstring()) * height * width * scale;
    p.oblique = oblique;
    p.text = pictureText(pMsg);
    m_owner.add(p);
    return Adesk::kTrue;
}

Adesk::Boolean RecordingGeometry::draw(AcGiDrawable* pDrawable) const {
    return m_owner.drawDrawable(pDrawable) ? Adesk::kTrue : Adesk::kFalse;
}

Adesk::Boolean RecordingGeometry::pushModelTransform(const AcGeMatrix3d& xMat) {
    m_owner.pushTransform(xMat);
    return Adesk::kTrue;
}

Adesk::Boolean RecordingGeometry::popModelTransform() {
    return m_owner.popTransform() ? Adesk::kTrue : Adesk::kFalse;
}

// ---- the context ----

RecordingDraw::RecordingDraw() : m_geometry(*this), m_transforms(1), m_contexts(1) {}

AcGiSubEntityTraits& RecordingDraw::subEntityTraits() const {
    return m_traits;
}
AcGiWorldGeometry& RecordingDraw::geometry() const {
    return m_geometry;
}

bool RecordingDraw::popTransform() {
    if (m_transforms.size() <= 1)
        return false;
    m_transforms.pop_back();
    return true;
}

int RecordingDraw::resolve(int index) const {
    if (index == 0)
        return m_contexts.back().byBlock;
    if (index == 256 || index < 0 || index > 256)
        return m_contexts.back().byLayer;
    return index;
}

void RecordingDraw::add(Primitive p) {
    if (p.kind != Primitive::kGroupBegin && p.kind != Primitive::kGroupEnd)
        p.colour = resolve(m_traits.color());
    m_prims.push_back(std::move(p));
}

bool RecordingDraw::drawDrawable(AcGiDrawable* pDrawable) {
    if (pDrawable == nullptr)
        return false;
    Adesk::UInt16 saved = m_traits.color();
    AcDbEntity* pEnt = AcDbEntity::cast(pDrawable);
    if (pEnt == nullptr) {
        pDrawable->worldDraw(this);
        m_traits.setColor(saved);
        return true;
    }
    if (pEnt->visibility() == AcDb::kInvisible)
        return true;
    Context ctx;
    ctx.byBlock = resolve(saved);
    ctx.byLayer = m_contexts.back().byLayer;
    AcDbLayerTableRecord* pLayer = nullptr;
    AcDbObjectId layerId = pEnt->layerId();
    if (!layerId.isNull() && acdbOpenObject(pLayer, layerId, AcDb::kForRead) == Acad::eOk) {
        bool hidden = pLayer->isOff() || pLayer->isFrozen();
        int index = pLayer->color().colorIndex();
        pLayer->close();
        if (hidden)
            return true;
        if (index >= 1 && index <= 255)
            ctx.byLayer = index;
    }
    Primitive begin;
    begin.kind = Primitive::kGroupBegin;
    begin.text = className(pEnt);
    begin.handle = hexHandle(pEnt);
    m_prims.push_back(begin);
    m_contexts.push_back(ctx);
    m_traits.setColor(pEnt->colorIndex());
    pDrawable->worldDraw(this);
    m_contexts.pop_back();
    Primitive end;
    end.kind = Primitive::kGroupEnd;
    m_prims.push_back(end);
    m_traits.setColor(saved);
    return true;
}

}  // namespace hs
