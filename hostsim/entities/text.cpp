// AcDbText: one line of text at a position, with height, rotation, width
// factor and oblique angle. Justified text keeps its alignment point.
#include "hostsim/text.h"

#include "common.h"
#include "dbents.h"
#include "fields.h"

AcDbText::AcDbText() {
    m_d.style = hs::fromUtf8("Standard");
}

AcDbText::AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId /*style*/, double height,
                   double rotation)
    : AcDbText() {
    m_d.position = position;
    m_d.text = text != nullptr ? text : hs::tstring();
    m_d.height = height;
    m_d.rotation = rotation;
}

AcDbText::~AcDbText() {}

AcGePoint3d AcDbText::position() const {
    assertReadEnabled();
    return m_d.position;
}

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_d.position = pt;
    return Acad::eOk;
}

AcGePoint3d AcDbText::alignmentPoint() const {
    assertReadEnabled();
    return m_d.alignment;
}

Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_d.alignment = pt;
    return Acad::eOk;
}

Adesk::Boolean AcDbText::isDefaultAlignment() const {
    assertReadEnabled();
    return m_d.hMode == 0 && m_d.vMode == 0;
}

AcGeVector3d AcDbText::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

double AcDbText::thickness() const {
    assertReadEnabled();
    return m_d.thickness;
}

Acad::ErrorStatus AcDbText::setThickness(double thickness) {
    assertWriteEnabled();
    m_d.thickness = thickness;
    return Acad::eOk;
}

double AcDbText::oblique() const {
    assertReadEnabled();
    return m_d.oblique;
}

Acad::ErrorStatus AcDbText::setOblique(double angle) {
    assertWriteEnabled();
    m_d.oblique = angle;
    return Acad::eOk;
}

double AcDbText::rotation() const {
    assertReadEnabled();
    return m_d.rotation;
}

Acad::ErrorStatus AcDbText::setRotation(double angle) {
    assertWriteEnabled();
    m_d.rotation = angle;
    return Acad::eOk;
}

double AcDbText::height() const {
    assertReadEnabled();
    return m_d.height;
}

Acad::ErrorStatus AcDbText::setHeight(double height) {
    if (!(height > 0.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.height = height;
    return Acad::eOk;
}

double AcDbText::widthFactor() const {
    assertReadEnabled();
    return m_d.widthFactor;
}

Acad::ErrorStatus AcDbText::setWidthFactor(double factor) {
    if (!(factor > 0.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.widthFactor = factor;
    return Acad::eOk;
}

ACHAR* AcDbText::textString() const {
    assertReadEnabled();
    return hs::newString(m_d.text.c_str());
}

const ACHAR* AcDbText::textStringConst() const {
    assertReadEnabled();
    return m_d.text.c_str();
}

Acad::ErrorStatus AcDbText::setTextString(const ACHAR* text) {
    if (text == nullptr)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.text = text;
    return Acad::eOk;
}

int AcDbText::hsHorizontalMode() const {
    assertReadEnabled();
    return m_d.hMode;
}

void AcDbText::hsSetHorizontalMode(int mode) {
    assertWriteEnabled();
    m_d.hMode = static_cast<Adesk::Int16>(mode);
}

int AcDbText::hsVerticalMode() const {
    assertReadEnabled();
    return m_d.vMode;
}

void AcDbText::hsSetVerticalMode(int mode) {
    assertWriteEnabled();
    m_d.vMode = static_cast<Adesk::Int16>(mode);
}

std::string AcDbText::hsStyleName() const {
    assertReadEnabled();
    return hs::toUtf8(m_d.style);
}

void AcDbText::hsFields(Data& d, hs::EntityFields& f) {
    f.marker("AcDbText").real(39, d.thickness, true).point(10, d.position).real(40, d.height);
    f.text(1, d.text).angle(50, d.rotation, true).real(41, d.widthFactor, true, 1.0);
    f.angle(51, d.oblique, true).text(7, d.style, true, "Standard").int16(71, d.genFlags, true);
    f.int16(72, d.hMode, true).point(11, d.alignment, true).vector(210, d.normal, true);
    f.marker("AcDbText").int16(73, d.vMode, true);
}

Acad::ErrorStatus AcDbText::dwgOutFields(AcDbDwgFiler* pFiler) const {
    return hs::dwgOutEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
}

Acad::ErrorStatus AcDbText::dwgInFields(AcDbDwgFiler* pFiler) {
    return hs::dwgInEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
}

// Left-aligned text has no alignment point of its own: none is written.
Acad::ErrorStatus AcDbText::dxfOutFields(AcDbDxfFiler* pFiler) const {
    return hs::dxfOutEntity<AcDbEntity>(
        this, pFiler, m_d, &hsFields, +[](Data& d) {
            d.position = hs::worldToPlane(d.position, d.normal);
            bool justified = d.hMode != 0 || d.vMode != 0;
            d.alignment = justified ? hs::worldToPlane(d.alignment, d.normal) : AcGePoint3d::kOrigin;
        });
}

Acad::ErrorStatus AcDbText::dxfInFields(AcDbDxfFiler* pFiler) {
    return hs::dxfInEntity<AcDbEntity>(
        this, pFiler, m_d, &hsFields, +[](Data& d) {
            d.position = hs::planeToWorld(d.position, d.normal);
            d.alignment = hs::planeToWorld(d.alignment, d.normal);
        });
}

// The start of the base line, from the justification: left-aligned text
// starts at its position, justified text is placed about its alignment point.
static AcGePoint3d baseLineStart(const AcGePoint3d& position, const AcGePoint3d& alignment, int hMode,
                                 int vMode, double width, double height, const AcGeVector3d& dir,
                                 const AcGeVector3d& up) {
    if ((hMode == 0 && vMode == 0) || hMode == 3 || hMode == 5)
        return position;
    double dx = (hMode == 1 || hMode == 4) ? -width / 2.0 : (hMode == 2 ? -width : 0.0);
    double dy = vMode == 3 ? -height : (vMode == 2 || hMode == 4) ? -height / 2.0 : 0.0;
    return alignment + dir * dx + up * dy;
}

// The width along the base line: aligned and fitted text spans its two points.
static double lineWidth(const AcGePoint3d& position, const AcGePoint3d& alignment, int hMode, double cells,
                        double height, double widthFactor) {
    if (hMode == 3 || hMode == 5)
        return position.distanceTo(alignment);
    return cells * height * widthFactor;
}

Adesk::Boolean AcDbText::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    AcGeVector3d dir = hs::planeDirection(m_d.rotation, m_d.normal);
    AcGeVector3d up = m_d.normal.crossProduct(dir);
    double width = lineWidth(m_d.position, m_d.alignment, m_d.hMode, hs::textCells(m_d.text), m_d.height,
                             m_d.widthFactor);
    AcGePoint3d start =
        baseLineStart(m_d.position, m_d.alignment, m_d.hMode, m_d.vMode, width, m_d.height, dir, up);
    if (m_d.hMode == 3 || m_d.hMode == 5)
        dir = (m_d.alignment - m_d.position).normal();
    pWd->geometry().text(start, m_d.normal, dir, m_d.height, m_d.widthFactor, m_d.oblique, m_d.text.c_str());
    return Adesk::kTrue;
}

void AcDbText::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbEntity::HS_HOOK(list, subList)();
    hs::listLine("Style =", "\"" + hs::toUtf8(m_d.style) + "\"");
    hs::listLine("start point,", hs::listPoint(m_d.position));
    hs::listLine("height", hs::listReal(m_d.height));
    hs::listLine("text", hs::toUtf8(m_d.text));
    hs::listLine("rotation angle", hs::listAngle(m_d.rotation));
    hs::listLine("width scale factor", hs::listReal(m_d.widthFactor));
    hs::listLine("obliquing angle", hs::listAngle(m_d.oblique));
}

Acad::ErrorStatus AcDbText::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    AcGeVector3d dir = hs::planeDirection(m_d.rotation, m_d.normal);
    AcGeVector3d up = m_d.normal.crossProduct(dir);
    double width = lineWidth(m_d.position, m_d.alignment, m_d.hMode, hs::textCells(m_d.text), m_d.height,
                             m_d.widthFactor);
    AcGePoint3d start =
        baseLineStart(m_d.position, m_d.alignment, m_d.hMode, m_d.vMode, width, m_d.height, dir, up);
    if (m_d.hMode == 3 || m_d.hMode == 5)
        dir = (m_d.alignment - m_d.position).normal();
    AcDbExtents ext;
    ext.addPoint(start);
    ext.addPoint(start + dir * width);
    ext.addPoint(start + up * m_d.height);
    ext.addPoint(start + dir * width + up * m_d.height);
    extents = ext;
    return Acad::eOk;
}

// Both points go through the transformation; the rotation is measured again
// in the new plane and the height scales.
Acad::ErrorStatus AcDbText::hsTransform(const AcGeMatrix3d& xform) {
    if (!hs::keepsShape(xform))
        return Acad::eNotApplicable;
    if (hs::movesOnly(xform)) {
        m_d.position.transformBy(xform);
        m_d.alignment.transformBy(xform);
        return Acad::eOk;
    }
    AcGeVector3d dir = hs::planeDirection(m_d.rotation, m_d.normal);
    dir.transformBy(xform);
    m_d.position.transformBy(xform);
    m_d.alignment.transformBy(xform);
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    m_d.rotation = hs::planeAngle(dir, m_d.normal);
    double scale = xform.scale();
    m_d.height *= scale;
    m_d.thickness *= scale;
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbText)
