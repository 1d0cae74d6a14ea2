// AcDbArc: a circular arc, counter-clockwise about its normal from the start
// angle to the end angle.
#include "common.h"
#include "dbents.h"
#include "fields.h"

AcDbArc::AcDbArc() {}

AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
    : AcDbArc(center, AcGeVector3d::kZAxis, radius, startAngle, endAngle) {}

AcDbArc::AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
                 double endAngle) {
    m_d.center = center;
    m_d.normal = normal.length() == 0.0 ? AcGeVector3d::kZAxis : normal.normal();
    m_d.radius = radius;
    m_d.startAngle = startAngle;
    m_d.endAngle = endAngle;
}

AcDbArc::~AcDbArc() {}

AcGePoint3d AcDbArc::center() const {
    assertReadEnabled();
    return m_d.center;
}

Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& center) {
    assertWriteEnabled();
    m_d.center = center;
    return Acad::eOk;
}

double AcDbArc::radius() const {
    assertReadEnabled();
    return m_d.radius;
}

Acad::ErrorStatus AcDbArc::setRadius(double radius) {
    if (!(radius > 0.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.radius = radius;
    return Acad::eOk;
}

double AcDbArc::startAngle() const {
    assertReadEnabled();
    return m_d.startAngle;
}

Acad::ErrorStatus AcDbArc::setStartAngle(double angle) {
    assertWriteEnabled();
    m_d.startAngle = angle;
    return Acad::eOk;
}

double AcDbArc::endAngle() const {
    assertReadEnabled();
    return m_d.endAngle;
}

Acad::ErrorStatus AcDbArc::setEndAngle(double angle) {
    assertWriteEnabled();
    m_d.endAngle = angle;
    return Acad::eOk;
}

double AcDbArc::thickness() const {
    assertReadEnabled();
    return m_d.thickness;
}

Acad::ErrorStatus AcDbArc::setThickness(double thickness) {
    assertWriteEnabled();
    m_d.thickness = thickness;
    return Acad::eOk;
}

AcGeVector3d AcDbArc::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbArc::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

void AcDbArc::hsFields(Data& d, hs::EntityFields& f) {
    f.marker("AcDbCircle").real(39, d.thickness, true).point(10, d.center).real(40, d.radius);
    f.vector(210, d.normal, true);
    f.marker("AcDbArc").angle(50, d.startAngle).angle(51, d.endAngle);
}

Acad::ErrorStatus AcDbArc::dwgOutFields(AcDbDwgFiler* pFiler) const {
    return hs::dwgOutEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbArc::dwgInFields(AcDbDwgFiler* pFiler) {
    return hs::dwgInEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

// DXF gives the centre in plane coordinates.
Acad::ErrorStatus AcDbArc::dxfOutFields(AcDbDxfFiler* pFiler) const {
    return hs::dxfOutEntity<AcDbCurve>(
        this, pFiler, m_d, &hsFields, +[](Data& d) { d.center = hs::worldToPlane(d.center, d.normal); });
}

Acad::ErrorStatus AcDbArc::dxfInFields(AcDbDxfFiler* pFiler) {
    return hs::dxfInEntity<AcDbCurve>(
        this, pFiler, m_d, &hsFields, +[](Data& d) { d.center = hs::planeToWorld(d.center, d.normal); });
}

// The sweep from start to end, counter-clockwise, in (0, 2pi].
static double sweepOf(double startAngle, double endAngle) {
    double sweep = hs::normalizeAngle(endAngle - startAngle);
    return sweep == 0.0 ? hs::kTwoPi : sweep;
}

Adesk::Boolean AcDbArc::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    pWd->geometry().circularArc(m_d.center, m_d.radius, m_d.normal,
                                hs::planeDirection(m_d.startAngle, m_d.normal),
                                sweepOf(m_d.startAngle, m_d.endAngle));
    return Adesk::kTrue;
}

void AcDbArc::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbCurve::HS_HOOK(list, subList)();
    hs::listLine("center point,", hs::listPoint(m_d.center));
    hs::listLine("radius", hs::listReal(m_d.radius));
    hs::listLine("start angle", hs::listAngle(m_d.startAngle));
    hs::listLine("end angle", hs::listAngle(m_d.endAngle));
    hs::listLine("length", hs::listReal(m_d.radius * sweepOf(m_d.startAngle, m_d.endAngle)));
}

Acad::ErrorStatus AcDbArc::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    AcGeVector3d ax, ay;
    hs::planeAxes(m_d.normal, ax, ay);
    double t0 = hs::normalizeAngle(m_d.startAngle);
    AcDbExtents ext;
    hs::addArcExtents(ext, m_d.center, ax * m_d.radius, ay * m_d.radius, t0,
                      t0 + sweepOf(m_d.startAngle, m_d.endAngle));
    extents = ext;
    return Acad::eOk;
}

// The end points are carried through the transformation and the angles
// measured again in the new plane; a mirror reverses the direction of travel.
Acad::ErrorStatus AcDbArc::hsTransform(const AcGeMatrix3d& xform) {
    if (!hs::keepsShape(xform))
        return Acad::eNotApplicable;
    if (hs::movesOnly(xform)) {
        m_d.center.transformBy(xform);
        return Acad::eOk;
    }
    AcGeVector3d startDir = hs::planeDirection(m_d.startAngle, m_d.normal);
    AcGeVector3d endDir = hs::planeDirection(m_d.endAngle, m_d.normal);
    startDir.transformBy(xform);
    endDir.transformBy(xform);
    m_d.center.transformBy(xform);
    m_d.radius *= xform.scale();
    m_d.thickness *= xform.scale();
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    double a0 = hs::planeAngle(startDir, m_d.normal);
    double a1 = hs::planeAngle(endDir, m_d.normal);
    if (xform.det() < 0.0) {
        m_d.startAngle = a1;
        m_d.endAngle = a0;
    } else {
        m_d.startAngle = a0;
        m_d.endAngle = a1;
    }
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbArc)
