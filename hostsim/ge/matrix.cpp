// 4x4 transformation matrices: construction, composition, inverse, determinant.
#include <cmath>
#include <utility>

#include "gemat3d.h"

const AcGeMatrix3d AcGeMatrix3d::kIdentity;

AcGeMatrix3d::AcGeMatrix3d() {
    setToIdentity();
}

AcGeMatrix3d& AcGeMatrix3d::setToIdentity() {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            entry[r][c] = (r == c) ? 1.0 : 0.0;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToTranslation(const AcGeVector3d& vec) {
    setToIdentity();
    entry[0][3] = vec.x;
    entry[1][3] = vec.y;
    entry[2][3] = vec.z;
    return *this;
}

// Scaling about a centre: p' = c + s (p - c).
AcGeMatrix3d& AcGeMatrix3d::setToScaling(double s, const AcGePoint3d& c) {
    setToIdentity();
    entry[0][0] = entry[1][1] = entry[2][2] = s;
    entry[0][3] = c.x - s * c.x;
    entry[1][3] = c.y - s * c.y;
    entry[2][3] = c.z - s * c.z;
    return *this;
}

// Rotation by the right-hand rule about an axis through a centre (Rodrigues).
// Quarter turns about a coordinate axis come out exact.
AcGeMatrix3d& AcGeMatrix3d::setToRotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& c) {
    setToIdentity();
    AcGeVector3d u = axis.normal();
    if (u.length() == 0.0)
        return *this;
    double s = std::sin(angle);
    double k = std::cos(angle);
    // Snap the values that a whole number of quarter turns should give exactly.
    if (std::fabs(s) < 1e-15)
        s = 0.0;
    if (std::fabs(k) < 1e-15)
        k = 0.0;
    if (std::fabs(std::fabs(s) - 1.0) < 1e-15)
        s = s > 0 ? 1.0 : -1.0;
    if (std::fabs(std::fabs(k) - 1.0) < 1e-15)
        k = k > 0 ? 1.0 : -1.0;
    double t = 1.0 - k;
    entry[0][0] = t * u.x * u.x + k;
    entry[0][1] = t * u.x * u.y - s * u.z;
    entry[0][2] = t * u.x * u.z + s * u.y;
    entry[1][0] = t * u.x * u.y + s * u.z;
    entry[1][1] = t * u.y * u.y + k;
    entry[1][2] = t * u.y * u.z - s * u.x;
    entry[2][0] = t * u.x * u.z - s * u.y;
    entry[2][1] = t * u.y * u.z + s * u.x;
    entry[2][2] = t * u.z * u.z + k;
    for (int r = 0; r < 3; ++r)
        entry[r][3] = (r == 0   ? c.x
                       : r == 1 ? c.y
                                : c.z) -
                      (entry[r][0] * c.x + entry[r][1] * c.y + entry[r][2] * c.z);
    return *this;
}

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& vec) {
    return AcGeMatrix3d().setToTranslation(vec);
}

AcGeMatrix3d AcGeMatrix3d::scaling(double scaleAll, const AcGePoint3d& center) {
    return AcGeMatrix3d().setToScaling(scaleAll, center);
}

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
    return AcGeMatrix3d().setToRotation(angle, axis, center);
}

// (A * B) applied to a point is A applied to (B applied to the point).
AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& m) const {
    AcGeMatrix3d out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += entry[r][k] * m.entry[k][c];
            out.entry[r][c] = sum;
        }
    return out;
}

AcGeMatrix3d& AcGeMatrix3d::operator*=(const AcGeMatrix3d& m) {
    return *this = *this * m;
}
AcGeMatrix3d& AcGeMatrix3d::preMultBy(const AcGeMatrix3d& leftSide) {
    return *this = leftSide * *this;
}
AcGeMatrix3d& AcGeMatrix3d::postMultBy(const AcGeMatrix3d& rightSide) {
    return *this = *this * rightSide;
}

// Gauss-Jordan elimination with partial pivoting; a singular matrix gives
// the identity, as there is no inverse to give.
AcGeMatrix3d AcGeMatrix3d::inverse() const {
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = entry[r][c];
            a[r][c + 4] = (r == c) ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        if (a[pivot][col] == 0.0)
            return AcGeMatrix3d();
        if (pivot != col)
            for (int c = 0; c < 8; ++c)
                std::swap(a[pivot][c], a[col][c]);
        double p = a[col][col];
        for (int c = 0; c < 8; ++c)
            a[col][c] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0)
                continue;
            double f = a[r][col];
            for (int c = 0; c < 8; ++c)
                a[r][c] -= f * a[col][c];
        }
    }
    AcGeMatrix3d out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.entry[r][c] = a[r][c + 4];
    return out;
}

static double det3(double a, double b, double c, double d, double e, double f, double g, double h, double i) {
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

// Expansion along the bottom row.
double AcGeMatrix3d::det() const {
    const double(*m)[4] = entry;
    double sum = 0.0;
    for (int c = 0; c < 4; ++c) {
        if (m[3][c] == 0.0)
            continue;
        int k[3], n = 0;
        for (int j = 0; j < 4; ++j)
            if (j != c)
                k[n++] = j;
        double minor = det3(m[0][k[0]], m[0][k[1]], m[0][k[2]], m[1][k[0]], m[1][k[1]], m[1][k[2]],
                            m[2][k[0]], m[2][k[1]], m[2][k[2]]);
        sum += ((3 + c) % 2 == 0 ? 1.0 : -1.0) * m[3][c] * minor;
    }
    return sum;
}

double AcGeMatrix3d::scale() const {
    return AcGeVector3d(entry[0][0], entry[1][0], entry[2][0]).length();
}

// True when the linear part is a rotation (or reflection) times one scale.
bool AcGeMatrix3d::isUniScaledOrtho() const {
    AcGeVector3d cx(entry[0][0], entry[1][0], entry[2][0]);
    AcGeVector3d cy(entry[0][1], entry[1][1], entry[2][1]);
    AcGeVector3d cz(entry[0][2], entry[1][2], entry[2][2]);
    double lx = cx.length(), ly = cy.length(), lz = cz.length();
    if (lx == 0.0)
        return false;
    const double tol = 1e-10 * lx;
    return std::fabs(lx - ly) <= tol && std::fabs(lx - lz) <= tol &&
           std::fabs(cx.dotProduct(cy)) <= tol * lx && std::fabs(cx.dotProduct(cz)) <= tol * lx &&
           std::fabs(cy.dotProduct(cz)) <= tol * lx;
}

Adesk::Boolean AcGeMatrix3d::operator==(const AcGeMatrix3d& m) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (entry[r][c] != m.entry[r][c])
                return false;
    return true;
}
