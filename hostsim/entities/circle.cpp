// AcDbCircle: a full circle in the plane of its normal.
#include "common.h"
#include "dbents.h"
#include "fields.h"

AcDbCircle::AcDbCircle() {}

AcDbCircle::AcDbCircle(const AcGePoint3d& cntr, const AcGeVector3d& nrm, double radius) {
    m_d.center = cntr;
    m_d.normal = nrm.length() == 0.0 ? AcGeVector3d::kZAxis : nrm.normal();
    m_d.radius = radius;
}

AcDbCircle::~AcDbCircle() {}

AcGePoint3d AcDbCircle::center() const {
    assertReadEnabled();
    return m_d.center;
}

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& center) {
    assertWriteEnabled();
    m_d.center = center;
    return Acad::eOk;
}

double AcDbCircle::radius() const {
    assertReadEnabled();
    return m_d.radius;
}

Acad::ErrorStatus AcDbCircle::setRadius(double radius) {
    if (!(radius > 0.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.radius = radius;
    return Acad::eOk;
}

double AcDbCircle::thickness() const {
    assertReadEnabled();
    return m_d.thickness;
}

Acad::ErrorStatus AcDbCircle::setThickness(double thickness) {
    assertWriteEnabled();
    m_d.thickness = thickness;
    return Acad::eOk;
}

AcGeVector3d AcDbCircle::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

Adesk::Boolean AcDbCircle::isClosed() const {
    assertReadEnabled();
    return Adesk::kTrue;
}

void AcDbCircle::hsFields(Data& d, hs::EntityFields& f) {
    f.marker("AcDbCircle").real(39, d.thickness, true).point(10, d.center).real(40, d.radius);
    f.vector(210, d.normal, true);
}

// DXF gives the centre in plane coordinates.
static void circleToFile(AcGePoint3d& center, const AcGeVector3d& normal) {
    center = hs::worldToPlane(center, normal);
}
static void circleFromFile(AcGePoint3d& center, const AcGeVector3d& normal) {
    center = hs::planeToWorld(center, normal);
}

Acad::ErrorStatus AcDbCircle::dwgOutFields(AcDbDwgFiler* pFiler) const {
    return hs::dwgOutEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbCircle::dwgInFields(AcDbDwgFiler* pFiler) {
    return hs::dwgInEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbCircle::dxfOutFields(AcDbDxfFiler* pFiler) const {
    return hs::dxfOutEntity<AcDbCurve>(
        this, pFiler, m_d, &hsFields, +[](Data& d) { circleToFile(d.center, d.normal); });
}

Acad::ErrorStatus AcDbCircle::dxfInFields(AcDbDxfFiler* pFiler) {
    return hs::dxfInEntity<AcDbCurve>(
        this, pFiler, m_d, &hsFields, +[](Data& d) { circleFromFile(d.center, d.normal); });
}

Adesk::Boolean AcDbCircle::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    pWd->geometry().circle(m_d.center, m_d.radius, m_d.normal);
    return Adesk::kTrue;
}

void AcDbCircle::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbCurve::HS_HOOK(list, subList)();
    hs::listLine("center point,", hs::listPoint(m_d.center));
    hs::listLine("radius", hs::listReal(m_d.radius));
    hs::listLine("circumference", hs::listReal(hs::kTwoPi * m_d.radius));
    hs::listLine("area", hs::listReal(hs::kPi * m_d.radius * m_d.radius));
}

Acad::ErrorStatus AcDbCircle::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    AcGeVector3d ax, ay;
    hs::planeAxes(m_d.normal, ax, ay);
    AcDbExtents ext;
    hs::addArcExtents(ext, m_d.center, ax * m_d.radius, ay * m_d.radius, 0.0, hs::kTwoPi);
    extents = ext;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::hsTransform(const AcGeMatrix3d& xform) {
    if (!hs::keepsShape(xform))
        return Acad::eNotApplicable;
    m_d.center.transformBy(xform);
    m_d.radius *= xform.scale();
    m_d.thickness *= xform.scale();
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbCircle)
