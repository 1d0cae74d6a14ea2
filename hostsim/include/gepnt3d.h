// Three-dimensional point.
#pragma once
#include "gevec3d.h"

class AcGePoint3d {
public:
    AcGePoint3d() : x(0.0), y(0.0), z(0.0) {}
    AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
    static const AcGePoint3d kOrigin;

    AcGePoint3d operator+(const AcGeVector3d& v) const { return AcGePoint3d(x + v.x, y + v.y, z + v.z); }
    AcGePoint3d operator-(const AcGeVector3d& v) const { return AcGePoint3d(x - v.x, y - v.y, z - v.z); }
    AcGeVector3d operator-(const AcGePoint3d& p) const { return AcGeVector3d(x - p.x, y - p.y, z - p.z); }
    AcGePoint3d& operator+=(const AcGeVector3d& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    AcGePoint3d& transformBy(const AcGeMatrix3d& leftSide);
    double distanceTo(const AcGePoint3d& p) const;
    Adesk::Boolean operator==(const AcGePoint3d& p) const { return x == p.x && y == p.y && z == p.z; }
    Adesk::Boolean operator!=(const AcGePoint3d& p) const { return !(*this == p); }
    AcGePoint3d& set(double xx, double yy, double zz) {
        x = xx;
        y = yy;
        z = zz;
        return *this;
    }

    double x, y, z;
};
