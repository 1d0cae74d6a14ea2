// AcDbPolyline: the lightweight polyline. Vertices are plane coordinates at
// the polyline's elevation; a vertex's bulge bends the segment that starts
// there into an arc (bulge = tan(sweep / 4), positive counter-clockwise).
#include <cmath>

#include "common.h"
#include "dbents.h"
#include "fields.h"
#include "hostsim/text.h"

namespace {
constexpr Adesk::Int16 kClosedFlag = 1;
}

AcDbPolyline::AcDbPolyline() {}

AcDbPolyline::AcDbPolyline(unsigned int num_verts) {
    m_d.verts.reserve(num_verts);
}

AcDbPolyline::~AcDbPolyline() {}

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge,
                                            double startWidth, double endWidth) {
    if (index > m_d.verts.size())
        return Acad::eInvalidIndex;
    assertWriteEnabled();
    Vertex v;
    v.pt = pt;
    v.bulge = bulge;
    v.startWidth = startWidth < 0.0 ? m_d.constantWidth : startWidth;
    v.endWidth = endWidth < 0.0 ? m_d.constantWidth : endWidth;
    m_d.verts.insert(m_d.verts.begin() + index, v);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_d.verts.erase(m_d.verts.begin() + index);
    return Acad::eOk;
}

unsigned int AcDbPolyline::numVerts() const {
    assertReadEnabled();
    return static_cast<unsigned int>(m_d.verts.size());
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& pt) const {
    assertReadEnabled();
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    pt = m_d.verts[index].pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& pt) const {
    assertReadEnabled();
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    const AcGePoint2d& p = m_d.verts[index].pt;
    pt = hs::planeToWorld(AcGePoint3d(p.x, p.y, m_d.elevation), m_d.normal);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& pt) {
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_d.verts[index].pt = pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getBulgeAt(unsigned int index, double& bulge) const {
    assertReadEnabled();
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    bulge = m_d.verts[index].bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setBulgeAt(unsigned int index, double bulge) {
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_d.verts[index].bulge = bulge;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const {
    assertReadEnabled();
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    startWidth = m_d.verts[index].startWidth;
    endWidth = m_d.verts[index].endWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setWidthsAt(unsigned int index, double startWidth, double endWidth) {
    if (index >= m_d.verts.size())
        return Acad::eInvalidIndex;
    assertWriteEnabled();
    m_d.verts[index].startWidth = startWidth;
    m_d.verts[index].endWidth = endWidth;
    return Acad::eOk;
}

// The polyline has a constant width when every vertex has the same widths.
Acad::ErrorStatus AcDbPolyline::getConstantWidth(double& width) const {
    assertReadEnabled();
    for (const Vertex& v : m_d.verts)
        if (v.startWidth != m_d.constantWidth || v.endWidth != m_d.constantWidth)
            return Acad::eInvalidInput;
    width = m_d.constantWidth;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setConstantWidth(double width) {
    if (width < 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.constantWidth = width;
    for (Vertex& v : m_d.verts)
        v.startWidth = v.endWidth = width;
    return Acad::eOk;
}

Adesk::Boolean AcDbPolyline::hasBulges() const {
    assertReadEnabled();
    for (const Vertex& v : m_d.verts)
        if (v.bulge != 0.0)
            return Adesk::kTrue;
    return Adesk::kFalse;
}

Adesk::Boolean AcDbPolyline::hasWidth() const {
    assertReadEnabled();
    for (const Vertex& v : m_d.verts)
        if (v.startWidth != 0.0 || v.endWidth != 0.0)
            return Adesk::kTrue;
    return Adesk::kFalse;
}

Adesk::Boolean AcDbPolyline::isClosed() const {
    assertReadEnabled();
    return (m_d.flags & kClosedFlag) != 0 ? Adesk::kTrue : Adesk::kFalse;
}

void AcDbPolyline::setClosed(Adesk::Boolean closed) {
    assertWriteEnabled();
    m_d.flags = static_cast<Adesk::Int16>(closed ? (m_d.flags | kClosedFlag) : (m_d.flags & ~kClosedFlag));
}

double AcDbPolyline::elevation() const {
    assertReadEnabled();
    return m_d.elevation;
}

void AcDbPolyline::setElevation(double elev) {
    assertWriteEnabled();
    m_d.elevation = elev;
}

double AcDbPolyline::thickness() const {
    assertReadEnabled();
    return m_d.thickness;
}

Acad::ErrorStatus AcDbPolyline::setThickness(double thickness) {
    assertWriteEnabled();
    m_d.thickness = thickness;
    return Acad::eOk;
}

AcGeVector3d AcDbPolyline::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbPolyline::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

void AcDbPolyline::reset(Adesk::Boolean reuse, unsigned int numVerts) {
    assertWriteEnabled();
    if (!reuse)
        m_d.verts.clear();
    else if (numVerts < m_d.verts.size())
        m_d.verts.resize(numVerts);
}

// The table holds the values between the vertex count and the vertices.
void AcDbPolyline::hsFields(Data& d, hs::EntityFields& f) {
    f.int16(70, d.flags).real(43, d.constantWidth, true).real(38, d.elevation, true);
    f.real(39, d.thickness, true);
}

static Acad::ErrorStatus writeNormal(AcDbDxfFiler* pFiler, const AcGeVector3d& normal) {
    if (normal == AcGeVector3d::kZAxis)
        return Acad::eOk;
    return pFiler->writeVector3d(AcDb::kDxfNormalX, normal);
}

Acad::ErrorStatus AcDbPolyline::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = hs::dwgOutEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
    if (es != Acad::eOk)
        return es;
    pFiler->writeVector3d(m_d.normal);
    pFiler->writeUInt32(static_cast<Adesk::UInt32>(m_d.verts.size()));
    for (const Vertex& v : m_d.verts) {
        pFiler->writePoint2d(v.pt);
        pFiler->writeDouble(v.bulge);
        pFiler->writeDouble(v.startWidth);
        if ((es = pFiler->writeDouble(v.endWidth)) != Acad::eOk)
            return es;
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbPolyline::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = hs::dwgInEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
    if (es != Acad::eOk)
        return es;
    pFiler->readVector3d(&m_d.normal);
    Adesk::UInt32 count = 0;
    if ((es = pFiler->readUInt32(&count)) != Acad::eOk)
        return es;
    m_d.verts.clear();
    for (Adesk::UInt32 i = 0; i < count; ++i) {
        Vertex v;
        pFiler->readPoint2d(&v.pt);
        pFiler->readDouble(&v.bulge);
        pFiler->readDouble(&v.startWidth);
        if ((es = pFiler->readDouble(&v.endWidth)) != Acad::eOk)
            return es;
        m_d.verts.push_back(v);
    }
    return pFiler->filerStatus();
}

// DXF: 90 count, the table, then per vertex 10 (x, y), 40 and 41 widths
// unless zero, 42 bulge unless zero; then 210.
Acad::ErrorStatus AcDbPolyline::dxfOutFields(AcDbDxfFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbCurve::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Data d = m_d;
    hs::EntityFields f;
    hsFields(d, f);
    if ((es = hs::writeMarker(pFiler, "AcDbPolyline")) != Acad::eOk)
        return es;
    if ((es = pFiler->writeInt32(AcDb::kDxfInt32, static_cast<Adesk::Int32>(d.verts.size()))) != Acad::eOk)
        return es;
    if ((es = f.dxfOut(pFiler)) != Acad::eOk)
        return es;
    for (const Vertex& v : d.verts) {
        if ((es = pFiler->writePoint2d(AcDb::kDxfXCoord, v.pt)) != Acad::eOk)
            return es;
        if (v.startWidth != 0.0 || v.endWidth != 0.0) {
            pFiler->writeDouble(40, v.startWidth);
            pFiler->writeDouble(41, v.endWidth);
        }
        if (v.bulge != 0.0)
            pFiler->writeDouble(42, v.bulge);
    }
    if ((es = writeNormal(pFiler, d.normal)) != Acad::eOk)
        return es;
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbPolyline::dxfInFields(AcDbDxfFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Data d;
    hs::EntityFields f;
    hsFields(d, f);
    pFiler->atSubclassData(hs::fromUtf8("AcDbPolyline").c_str());
    // Vertex groups: 10 starts a vertex, 40/41/42 belong to the last one.
    // A constant width (43) applies to vertices without widths of their own.
    std::vector<bool> ownWidth;
    auto extra = [&](const resbuf& rb) {
        switch (rb.restype) {
            case 10: {
                Vertex v;
                v.pt.set(rb.resval.rpoint[0], rb.resval.rpoint[1]);
                d.verts.push_back(v);
                ownWidth.push_back(false);
                return true;
            }
            case 40:
            case 41:
            case 42:
                if (d.verts.empty())
                    return true;
                if (rb.restype == 42)
                    d.verts.back().bulge = rb.resval.rreal;
                else {
                    (rb.restype == 40 ? d.verts.back().startWidth : d.verts.back().endWidth) =
                        rb.resval.rreal;
                    ownWidth.back() = true;
                }
                return true;
            case 90:  // the number of vertices
                return true;
            case 210:
                d.normal = AcGeVector3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
                return true;
            default:
                return false;
        }
    };
    if ((es = f.dxfIn(pFiler, extra)) != Acad::eOk)
        return es;
    for (size_t i = 0; i < d.verts.size(); ++i)
        if (!ownWidth[i])
            d.verts[i].startWidth = d.verts[i].endWidth = d.constantWidth;
    m_d = d;
    return Acad::eOk;
}

// Straight runs are drawn as polylines, bulged segments as arcs.
Adesk::Boolean AcDbPolyline::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    size_t n = m_d.verts.size();
    if (n == 0)
        return Adesk::kTrue;
    size_t segments = (m_d.flags & kClosedFlag) ? n : n - 1;
    auto world = [&](size_t i) {
        const AcGePoint2d& p = m_d.verts[i % n].pt;
        return hs::planeToWorld(AcGePoint3d(p.x, p.y, m_d.elevation), m_d.normal);
    };
    std::vector<AcGePoint3d> run{world(0)};
    auto flush = [&]() {
        if (run.size() > 1)
            pWd->geometry().polyline(static_cast<Adesk::UInt32>(run.size()), run.data(), &m_d.normal);
    };
    if (n == 1)
        pWd->geometry().polyline(1, run.data(), &m_d.normal);
    for (size_t i = 0; i < segments; ++i) {
        double bulge = m_d.verts[i].bulge;
        AcGePoint3d p0 = world(i), p1 = world(i + 1);
        if (bulge == 0.0) {
            run.push_back(p1);
            continue;
        }
        flush();
        run.assign(1, p1);
        // Centre and radius of the arc through p0 and p1 with this bulge.
        double sweep = 4.0 * std::atan(bulge);
        AcGeVector3d chord = p1 - p0;
        double half = chord.length() / 2.0;
        double radius = half / std::fabs(std::sin(sweep / 2.0));
        AcGeVector3d toCentre = m_d.normal.crossProduct(chord).normal() * (radius * std::cos(sweep / 2.0));
        AcGePoint3d mid = p0 + chord * 0.5;
        AcGePoint3d centre = bulge > 0 ? mid + toCentre : mid - toCentre;
        if (bulge > 0)
            pWd->geometry().circularArc(centre, radius, m_d.normal, (p0 - centre).normal(), sweep);
        else
            pWd->geometry().circularArc(centre, radius, m_d.normal, (p1 - centre).normal(), -sweep);
    }
    flush();
    return Adesk::kTrue;
}

void AcDbPolyline::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbCurve::HS_HOOK(list, subList)();
    hs::listLine((m_d.flags & kClosedFlag) ? "Closed" : "Open", "");
    hs::listLine("Constant width", hs::listReal(m_d.constantWidth));
    for (size_t i = 0; i < m_d.verts.size(); ++i) {
        const Vertex& v = m_d.verts[i];
        hs::listLine("at point", hs::listPoint(AcGePoint3d(v.pt.x, v.pt.y, m_d.elevation)));
        if (v.bulge != 0.0)
            hs::listLine("bulge", hs::listReal(v.bulge));
    }
}

Acad::ErrorStatus AcDbPolyline::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    AcDbExtents ext;
    size_t n = m_d.verts.size();
    AcGeVector3d ax, ay;
    hs::planeAxes(m_d.normal, ax, ay);
    for (size_t i = 0; i < n; ++i) {
        const Vertex& v = m_d.verts[i];
        AcGePoint3d p0 = hs::planeToWorld(AcGePoint3d(v.pt.x, v.pt.y, m_d.elevation), m_d.normal);
        ext.addPoint(p0);
        bool hasNext = i + 1 < n || (m_d.flags & kClosedFlag);
        if (v.bulge == 0.0 || !hasNext)
            continue;
        const AcGePoint2d& q = m_d.verts[(i + 1) % n].pt;
        double sweep = 4.0 * std::atan(v.bulge);
        double cx = (v.pt.x + q.x) / 2.0, cy = (v.pt.y + q.y) / 2.0;
        double dx = q.x - v.pt.x, dy = q.y - v.pt.y;
        double half = std::sqrt(dx * dx + dy * dy) / 2.0;
        if (half == 0.0)
            continue;
        double radius = half / std::fabs(std::sin(sweep / 2.0));
        double offset = radius * std::cos(sweep / 2.0) / (2.0 * half);
        // Left of the chord for counter-clockwise arcs, right for clockwise.
        double sign = v.bulge > 0 ? 1.0 : -1.0;
        AcGePoint3d c(cx - dy * offset * sign, cy + dx * offset * sign, m_d.elevation);
        double a0 = std::atan2(v.pt.y - c.y, v.pt.x - c.x);
        double a1 = std::atan2(q.y - c.y, q.x - c.x);
        double t0 = v.bulge > 0 ? a0 : a1;
        double t1 = v.bulge > 0 ? a1 : a0;
        t1 = t0 + hs::normalizeAngle(t1 - t0);
        hs::addArcExtents(ext, hs::planeToWorld(c, m_d.normal), ax * radius, ay * radius, t0, t1);
    }
    extents = ext;
    return Acad::eOk;
}

// Vertices go to world coordinates, through the transformation, and back
// into the new plane; a mirror turns every bulge.
Acad::ErrorStatus AcDbPolyline::hsTransform(const AcGeMatrix3d& xform) {
    if (!hs::keepsShape(xform))
        return Acad::eNotApplicable;
    AcGeVector3d newNormal = hs::transformedNormal(m_d.normal, xform);
    double scale = xform.scale();
    bool mirror = xform.det() < 0.0;
    double newElevation = m_d.elevation;
    for (size_t i = 0; i < m_d.verts.size(); ++i) {
        Vertex& v = m_d.verts[i];
        AcGePoint3d w = hs::planeToWorld(AcGePoint3d(v.pt.x, v.pt.y, m_d.elevation), m_d.normal);
        w.transformBy(xform);
        AcGePoint3d p = hs::worldToPlane(w, newNormal);
        v.pt.set(p.x, p.y);
        if (i == 0)
            newElevation = p.z;
        v.startWidth *= scale;
        v.endWidth *= scale;
        if (mirror)
            v.bulge = -v.bulge;
    }
    if (m_d.verts.empty()) {
        AcGePoint3d w = hs::planeToWorld(AcGePoint3d(0, 0, m_d.elevation), m_d.normal);
        newElevation = hs::worldToPlane(w.transformBy(xform), newNormal).z;
    }
    m_d.elevation = newElevation;
    m_d.constantWidth *= scale;
    m_d.thickness *= scale;
    m_d.normal = newNormal;
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbPolyline)
