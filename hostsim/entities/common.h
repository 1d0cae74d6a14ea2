// Helpers shared by the entity classes: plane (object coordinate system)
// geometry, arc extents and points, the transformed copy, and LIST lines.
#pragma once
#include <string>
#include <vector>

#include "dbmain.h"
#include "hostsim/faults.h"

namespace hs {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// The x and y axes of the plane with this normal, by the host's arbitrary
// axis rule (the world z axis gives the world x and y axes).
void planeAxes(const AcGeVector3d& normal, AcGeVector3d& xAxis, AcGeVector3d& yAxis);
// Plane coordinates to world coordinates and back. With the world z axis as
// normal both return the point unchanged (bit for bit).
AcGePoint3d planeToWorld(const AcGePoint3d& p, const AcGeVector3d& normal);
AcGePoint3d worldToPlane(const AcGePoint3d& p, const AcGeVector3d& normal);
// The angle of a world direction in the plane of the normal, in [0, 2pi).
double planeAngle(const AcGeVector3d& dir, const AcGeVector3d& normal);
// The world direction of an angle in the plane of the normal.
AcGeVector3d planeDirection(double angle, const AcGeVector3d& normal);
double normalizeAngle(double angle);  // into [0, 2pi)

// The points c + cos(t) a + sin(t) b for t from t0 to t1 (t1 >= t0).
void addArcExtents(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& a, const AcGeVector3d& b,
                   double t0, double t1);
std::vector<AcGePoint3d> arcPoints(const AcGePoint3d& c, const AcGeVector3d& a, const AcGeVector3d& b,
                                   double t0, double t1);

// True when the transformation only moves (its linear part is the identity):
// angles then stay exactly as they are.
bool movesOnly(const AcGeMatrix3d& xform);
// Transformations that keep circles circles: rotation, mirror, one scale.
bool keepsShape(const AcGeMatrix3d& xform);
// The normal after a transformation, unit length.
AcGeVector3d transformedNormal(const AcGeVector3d& normal, const AcGeMatrix3d& xform);

// The transformed copy every entity gives: a non-resident clone made through
// filing, then transformed. The caller owns the copy.
template <class E>
Acad::ErrorStatus transformedCopy(const E* pSrc, const AcGeMatrix3d& xform, AcDbEntity*& pEnt) {
    Acad::ErrorStatus es = checkFault("AcDbEntity::getTransformedCopy");
    if (es != Acad::eOk)
        return es;
    pSrc->assertReadEnabled();
    AcRxObject* pObj = pSrc->clone();
    E* pCopy = E::cast(pObj);
    if (pCopy == nullptr) {
        delete pObj;
        return Acad::eOutOfMemory;
    }
    es = pCopy->hsTransform(xform);
    if (es != Acad::eOk) {
        delete pCopy;
        return es;
    }
    pEnt = pCopy;
    return Acad::eOk;
}

// LIST output in the host's layout: a right-aligned label, then the value.
void listLine(const std::string& label, const std::string& value);
std::string listReal(double v);
std::string listAngle(double radians);  // degrees
std::string listPoint(const AcGePoint3d& p);

}  // namespace hs

// The transformation hooks, the same for every entity: the fault seam and
// the open check, then the entity's own hsTransform.
#define HS_DEFINE_TRANSFORM_HOOKS(CLASS_NAME)                                                       \
    Acad::ErrorStatus CLASS_NAME::HS_HOOK(transformBy, subTransformBy)(const AcGeMatrix3d& xform) { \
        Acad::ErrorStatus es = hs::checkFault("AcDbEntity::transformBy");                           \
        if (es != Acad::eOk)                                                                        \
            return es;                                                                              \
        assertWriteEnabled();                                                                       \
        return hsTransform(xform);                                                                  \
    }                                                                                               \
    Acad::ErrorStatus CLASS_NAME::HS_HOOK(getTransformedCopy, subGetTransformedCopy)(               \
        const AcGeMatrix3d& xform, AcDbEntity*& pEnt) const {                                       \
        return hs::transformedCopy(this, xform, pEnt);                                              \
    }

namespace hs {
// The width of a text in character cells: east Asian wide characters take
// two cells (in 8-bit text each byte is a cell, which gives the same).
double textCells(const std::basic_string<ACHAR>& text);
// The width of one cell is the text height times the width factor; the
// extents of a line of text are cells x height x width factor by height.
}  // namespace hs
