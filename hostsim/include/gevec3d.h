// Three-dimensional vector.
#pragma once
#include "adesk.h"

class AcGeMatrix3d;

class AcGeVector3d {
public:
    AcGeVector3d() : x(0.0), y(0.0), z(0.0) {}
    AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
    static const AcGeVector3d kIdentity;
    static const AcGeVector3d kXAxis;
    static const AcGeVector3d kYAxis;
    static const AcGeVector3d kZAxis;

    AcGeVector3d operator*(double scl) const { return AcGeVector3d(x * scl, y * scl, z * scl); }
    AcGeVector3d operator+(const AcGeVector3d& v) const { return AcGeVector3d(x + v.x, y + v.y, z + v.z); }
    AcGeVector3d operator-(const AcGeVector3d& v) const { return AcGeVector3d(x - v.x, y - v.y, z - v.z); }
    AcGeVector3d operator-() const { return AcGeVector3d(-x, -y, -z); }
    AcGeVector3d& transformBy(const AcGeMatrix3d& leftSide);
    double length() const;
    AcGeVector3d normal() const;
    double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
    AcGeVector3d crossProduct(const AcGeVector3d& v) const {
        return AcGeVector3d(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }
    Adesk::Boolean operator==(const AcGeVector3d& v) const { return x == v.x && y == v.y && z == v.z; }
    Adesk::Boolean operator!=(const AcGeVector3d& v) const { return !(*this == v); }

    double x, y, z;
};
