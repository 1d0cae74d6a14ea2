// AcDbPoint: a single world point.
#include "common.h"
#include "dbents.h"
#include "fields.h"

AcDbPoint::AcDbPoint() {}

AcDbPoint::AcDbPoint(const AcGePoint3d& position) {
    m_d.position = position;
}

AcDbPoint::~AcDbPoint() {}

AcGePoint3d AcDbPoint::position() const {
    assertReadEnabled();
    return m_d.position;
}

Acad::ErrorStatus AcDbPoint::setPosition(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_d.position = pt;
    return Acad::eOk;
}

double AcDbPoint::thickness() const {
    assertReadEnabled();
    return m_d.thickness;
}

Acad::ErrorStatus AcDbPoint::setThickness(double thickness) {
    assertWriteEnabled();
    m_d.thickness = thickness;
    return Acad::eOk;
}

AcGeVector3d AcDbPoint::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbPoint::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

double AcDbPoint::ecsRotation() const {
    assertReadEnabled();
    return m_d.ecsRotation;
}

Acad::ErrorStatus AcDbPoint::setEcsRotation(double angle) {
    assertWriteEnabled();
    m_d.ecsRotation = angle;
    return Acad::eOk;
}

void AcDbPoint::hsFields(Data& d, hs::EntityFields& f) {
    f.marker("AcDbPoint").point(10, d.position).real(39, d.thickness, true).vector(210, d.normal, true);
    f.angle(50, d.ecsRotation, true);
}

Acad::ErrorStatus AcDbPoint::dwgOutFields(AcDbDwgFiler* pFiler) const {
    return hs::dwgOutEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbPoint::dwgInFields(AcDbDwgFiler* pFiler) {
    return hs::dwgInEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbPoint::dxfOutFields(AcDbDxfFiler* pFiler) const {
    return hs::dxfOutEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbPoint::dxfInFields(AcDbDxfFiler* pFiler) {
    return hs::dxfInEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
}

// A point is drawn as a one-vertex polyline: a dot.
Adesk::Boolean AcDbPoint::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    pWd->geometry().polyline(1, &m_d.position, &m_d.normal);
    return Adesk::kTrue;
}

void AcDbPoint::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbEntity::HS_HOOK(list, subList)();
    hs::listLine("at point,", hs::listPoint(m_d.position));
}

Acad::ErrorStatus AcDbPoint::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    extents = AcDbExtents(m_d.position, m_d.position);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::hsTransform(const AcGeMatrix3d& xform) {
    m_d.position.transformBy(xform);
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    m_d.thickness *= xform.scale();
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbPoint)
