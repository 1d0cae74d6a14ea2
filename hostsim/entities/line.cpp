// AcDbLine: a straight segment between two world points.
#include <cmath>

#include "common.h"
#include "dbents.h"
#include "fields.h"

AcDbLine::AcDbLine() {}

AcDbLine::AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) {
    m_d.start = start;
    m_d.end = end;
}

AcDbLine::~AcDbLine() {}

AcGePoint3d AcDbLine::startPoint() const {
    assertReadEnabled();
    return m_d.start;
}

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_d.start = pt;
    return Acad::eOk;
}

AcGePoint3d AcDbLine::endPoint() const {
    assertReadEnabled();
    return m_d.end;
}

Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_d.end = pt;
    return Acad::eOk;
}

double AcDbLine::thickness() const {
    assertReadEnabled();
    return m_d.thickness;
}

Acad::ErrorStatus AcDbLine::setThickness(double thickness) {
    assertWriteEnabled();
    m_d.thickness = thickness;
    return Acad::eOk;
}

AcGeVector3d AcDbLine::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbLine::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

void AcDbLine::hsFields(Data& d, hs::EntityFields& f) {
    f.marker("AcDbLine")
        .real(39, d.thickness, true)
        .point(10, d.start)
        .point(11, d.end)
        .vector(210, d.normal, true);
}

Acad::ErrorStatus AcDbLine::dwgOutFields(AcDbDwgFiler* pFiler) const {
    return hs::dwgOutEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbLine::dwgInFields(AcDbDwgFiler* pFiler) {
    return hs::dwgInEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbLine::dxfOutFields(AcDbDxfFiler* pFiler) const {
    return hs::dxfOutEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbLine::dxfInFields(AcDbDxfFiler* pFiler) {
    return hs::dxfInEntity<AcDbCurve>(this, pFiler, m_d, &hsFields);
}

Adesk::Boolean AcDbLine::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    AcGePoint3d pts[2] = {m_d.start, m_d.end};
    pWd->geometry().polyline(2, pts, &m_d.normal);
    return Adesk::kTrue;
}

void AcDbLine::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbCurve::HS_HOOK(list, subList)();
    AcGeVector3d delta = m_d.end - m_d.start;
    hs::listLine("from point,", hs::listPoint(m_d.start));
    hs::listLine("to point,", hs::listPoint(m_d.end));
    hs::listLine("Length =", hs::listReal(delta.length()) +
                                 ",  Angle in XY Plane = " + hs::listAngle(std::atan2(delta.y, delta.x)));
    hs::listLine("Delta X =", hs::listReal(delta.x) + ", Delta Y = " + hs::listReal(delta.y) +
                                  ", Delta Z = " + hs::listReal(delta.z));
}

Acad::ErrorStatus AcDbLine::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    AcDbExtents ext;
    ext.addPoint(m_d.start);
    ext.addPoint(m_d.end);
    extents = ext;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::hsTransform(const AcGeMatrix3d& xform) {
    m_d.start.transformBy(xform);
    m_d.end.transformBy(xform);
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    m_d.thickness *= xform.scale();
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbLine)
