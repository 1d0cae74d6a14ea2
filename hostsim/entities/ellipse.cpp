// AcDbEllipse: an elliptical arc given by its centre, major axis (a world
// vector), normal, minor to major ratio and start and end parameters.
#include "common.h"
#include "dbents.h"
#include "fields.h"

AcDbEllipse::AcDbEllipse() {}

AcDbEllipse::AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
                         const AcGeVector3d& majorAxis, double radiusRatio, double startAngle,
                         double endAngle) {
    m_d.center = center;
    m_d.normal = unitNormal.length() == 0.0 ? AcGeVector3d::kZAxis : unitNormal.normal();
    m_d.majorAxis = majorAxis;
    m_d.ratio = radiusRatio;
    m_d.startAngle = startAngle;
    m_d.endAngle = endAngle;
}

AcDbEllipse::~AcDbEllipse() {}

AcGePoint3d AcDbEllipse::center() const {
    assertReadEnabled();
    return m_d.center;
}

Acad::ErrorStatus AcDbEllipse::setCenter(const AcGePoint3d& center) {
    assertWriteEnabled();
    m_d.center = center;
    return Acad::eOk;
}

AcGeVector3d AcDbEllipse::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

AcGeVector3d AcDbEllipse::majorAxis() const {
    assertReadEnabled();
    return m_d.majorAxis;
}

AcGeVector3d AcDbEllipse::minorAxis() const {
    assertReadEnabled();
    return m_d.normal.crossProduct(m_d.majorAxis) * m_d.ratio;
}

double AcDbEllipse::radiusRatio() const {
    assertReadEnabled();
    return m_d.ratio;
}

Acad::ErrorStatus AcDbEllipse::setRadiusRatio(double ratio) {
    if (!(ratio > 0.0 && ratio <= 1.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.ratio = ratio;
    return Acad::eOk;
}

double AcDbEllipse::startAngle() const {
    assertReadEnabled();
    return m_d.startAngle;
}

Acad::ErrorStatus AcDbEllipse::setStartAngle(double angle) {
    assertWriteEnabled();
    m_d.startAngle = angle;
    return Acad::eOk;
}

double AcDbEllipse::endAngle() const {
    assertReadEnabled();
    return m_d.endAngle;
}

Acad::ErrorStatus AcDbEllipse::setEndAngle(double angle) {
    assertWriteEnabled();
    m_d.endAngle = angle;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEllipse::set(const AcGePoint3d& center, const AcGeVector3d& unitNormal,
                                   const AcGeVector3d& majorAxis, double radiusRatio, double startAngle,
                                   double endAngle) {
    if (unitNormal.length() == 0.0 || majorAxis.length() == 0.0 || !(radiusRatio > 0.0 && radiusRatio <= 1.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.center = center;
    m_d.normal = unitNormal.normal();
    m_d.majorAxis = majorAxis;
    m_d.ratio = radiusRatio;
    m_d.startAngle = startAngle;
    m_d.endAngle = endAngle;
    return Acad::eOk;
}

Adesk::Boolean AcDbEllipse::isClosed() const {
    assertReadEnabled();
    return hs::normalizeAngle(m_d.endAngle - m_d.startAngle) == 0.0 ? Adesk::kTrue : Adesk::kFalse;
}

void AcDbEllipse::hsFields(Data& d, hs::EntityFields& f) {
    f.marker("AcDbEllipse").point(10, d.center).vector(11, d.majorAxis).vector(210, d.normal, true);
    f.real(40, d.ratio).real(41, d.startAngle).real(42, d.endAngle);
}

Acad::ErrorStatus AcDbEllipse::dwgOutFields(AcDbDwgFiler* pFiler) const {
    return hs::dwgOutEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbEllipse::dwgInFields(AcDbDwgFiler* pFiler) {
    return hs::dwgInEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbEllipse::dxfOutFields(AcDbDxfFiler* pFiler) const {
    return hs::dxfOutEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbEllipse::dxfInFields(AcDbDxfFiler* pFiler) {
    return hs::dxfInEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

// The parameter range, start to end, increasing; a whole turn when equal.
static void paramRange(double start, double end, double& t0, double& t1) {
    t0 = start;
    double sweep = hs::normalizeAngle(end - start);
    t1 = t0 + (sweep == 0.0 ? hs::kTwoPi : sweep);
}

Adesk::Boolean AcDbEllipse::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    double t0, t1;
    paramRange(m_d.startAngle, m_d.endAngle, t0, t1);
    std::vector<AcGePoint3d> pts = hs::arcPoints(m_d.center, m_d.majorAxis, minorAxis(), t0, t1);
    pWd->geometry().polyline(static_cast<Adesk::UInt32>(pts.size()), pts.data(), &m_d.normal);
    return Adesk::kTrue;
}

void AcDbEllipse::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbCurve::HS_HOOK(list, subList)();
    hs::listLine("Center:", hs::listPoint(m_d.center));
    hs::listLine("Major Axis:", hs::listPoint(AcGePoint3d::kOrigin + m_d.majorAxis));
    hs::listLine("Minor Axis:", hs::listPoint(AcGePoint3d::kOrigin + minorAxis()));
    hs::listLine("Radius Ratio:", hs::listReal(m_d.ratio));
    hs::listLine("Start Angle:", hs::listAngle(m_d.startAngle));
    hs::listLine("End Angle:", hs::listAngle(m_d.endAngle));
}

Acad::ErrorStatus AcDbEllipse::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    double t0, t1;
    paramRange(m_d.startAngle, m_d.endAngle, t0, t1);
    AcDbExtents ext;
    hs::addArcExtents(ext, m_d.center, m_d.majorAxis, minorAxis(), t0, t1);
    extents = ext;
    return Acad::eOk;
}

// A mirror turns the direction of travel: the parameters change sign and swap.
Acad::ErrorStatus AcDbEllipse::hsTransform(const AcGeMatrix3d& xform) {
    if (!hs::keepsShape(xform))
        return Acad::eNotApplicable;
    m_d.center.transformBy(xform);
    m_d.majorAxis.transformBy(xform);
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    if (xform.det() < 0.0) {
        double t0 = -m_d.endAngle;
        double t1 = -m_d.startAngle;
        m_d.startAngle = hs::normalizeAngle(t0);
        double end = hs::normalizeAngle(t1);
        m_d.endAngle = end == 0.0 ? hs::kTwoPi : end;
    }
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbEllipse)
