// Points and vectors: constants, lengths and transformation by a matrix.
#include <cmath>

#include "gemat3d.h"
#include "gepnt2d.h"

const AcGeVector3d AcGeVector3d::kIdentity(0.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kXAxis(1.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kYAxis(0.0, 1.0, 0.0);
const AcGeVector3d AcGeVector3d::kZAxis(0.0, 0.0, 1.0);
const AcGePoint3d AcGePoint3d::kOrigin(0.0, 0.0, 0.0);
const AcGePoint2d AcGePoint2d::kOrigin(0.0, 0.0);

double AcGeVector3d::length() const {
    return std::sqrt(x * x + y * y + z * z);
}

AcGeVector3d AcGeVector3d::normal() const {
    double len = length();
    if (len == 0.0)
        return *this;
    return AcGeVector3d(x / len, y / len, z / len);
}

// A vector has no position: only the linear part of the matrix acts on it.
AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) {
    const double(*e)[4] = m.entry;
    double nx = e[0][0] * x + e[0][1] * y + e[0][2] * z;
    double ny = e[1][0] * x + e[1][1] * y + e[1][2] * z;
    double nz = e[2][0] * x + e[2][1] * y + e[2][2] * z;
    x = nx;
    y = ny;
    z = nz;
    return *this;
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
    const double(*e)[4] = m.entry;
    double nx = e[0][0] * x + e[0][1] * y + e[0][2] * z + e[0][3];
    double ny = e[1][0] * x + e[1][1] * y + e[1][2] * z + e[1][3];
    double nz = e[2][0] * x + e[2][1] * y + e[2][2] * z + e[2][3];
    double w = e[3][0] * x + e[3][1] * y + e[3][2] * z + e[3][3];
    if (w != 1.0 && w != 0.0) {
        nx /= w;
        ny /= w;
        nz /= w;
    }
    x = nx;
    y = ny;
    z = nz;
    return *this;
}

double AcGePoint3d::distanceTo(const AcGePoint3d& p) const {
    return (*this - p).length();
}
