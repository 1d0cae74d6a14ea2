// Plane geometry, arc extents, shape checks and LIST lines for the entities.
#include "common.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "hostsim/session.h"

namespace hs {

static bool isWorldZ(const AcGeVector3d& n) {
    return n.x == 0.0 && n.y == 0.0 && n.z == 1.0;
}

void planeAxes(const AcGeVector3d& normal, AcGeVector3d& xAxis, AcGeVector3d& yAxis) {
    AcGeVector3d n = normal.normal();
    if (isWorldZ(n) || n.length() == 0.0) {
        xAxis = AcGeVector3d::kXAxis;
        yAxis = AcGeVector3d::kYAxis;
        return;
    }
    const double limit = 1.0 / 64.0;
    if (std::fabs(n.x) < limit && std::fabs(n.y) < limit)
        xAxis = AcGeVector3d::kYAxis.crossProduct(n).normal();
    else
        xAxis = AcGeVector3d::kZAxis.crossProduct(n).normal();
    yAxis = n.crossProduct(xAxis).normal();
}

AcGePoint3d planeToWorld(const AcGePoint3d& p, const AcGeVector3d& normal) {
    if (isWorldZ(normal))
        return p;
    AcGeVector3d ax, ay;
    planeAxes(normal, ax, ay);
    AcGeVector3d az = normal.normal();
    return AcGePoint3d::kOrigin + ax * p.x + ay * p.y + az * p.z;
}

AcGePoint3d worldToPlane(const AcGePoint3d& p, const AcGeVector3d& normal) {
    if (isWorldZ(normal))
        return p;
    AcGeVector3d ax, ay;
    planeAxes(normal, ax, ay);
    AcGeVector3d v = p - AcGePoint3d::kOrigin;
    return AcGePoint3d(v.dotProduct(ax), v.dotProduct(ay), v.dotProduct(normal.normal()));
}

double normalizeAngle(double angle) {
    double a = std::fmod(angle, kTwoPi);
    if (a < 0.0)
        a += kTwoPi;
    if (a >= kTwoPi)
        a = 0.0;
    return a;
}

double planeAngle(const AcGeVector3d& dir, const AcGeVector3d& normal) {
    AcGeVector3d ax, ay;
    planeAxes(normal, ax, ay);
    return normalizeAngle(std::atan2(dir.dotProduct(ay), dir.dotProduct(ax)));
}

AcGeVector3d planeDirection(double angle, const AcGeVector3d& normal) {
    AcGeVector3d ax, ay;
    planeAxes(normal, ax, ay);
    return ax * std::cos(angle) + ay * std::sin(angle);
}

void addArcExtents(AcDbExtents& ext, const AcGePoint3d& c, const AcGeVector3d& a, const AcGeVector3d& b,
                   double t0, double t1) {
    auto at = [&](double t) { return c + a * std::cos(t) + b * std::sin(t); };
    ext.addPoint(at(t0));
    ext.addPoint(at(t1));
    // Along each world axis the coordinate c + a cos t + b sin t is extreme
    // where tan t = b/a; add those extremes that lie inside the sweep.
    const double ac[3] = {a.x, a.y, a.z};
    const double bc[3] = {b.x, b.y, b.z};
    for (int k = 0; k < 3; ++k) {
        if (ac[k] == 0.0 && bc[k] == 0.0)
            continue;
        double base = std::atan2(bc[k], ac[k]);
        for (int half = 0; half < 2; ++half) {
            double t = base + half * kPi;
            // The first occurrence of t at or after t0.
            t = t0 + normalizeAngle(t - t0);
            if (t <= t1)
                ext.addPoint(at(t));
        }
    }
}

std::vector<AcGePoint3d> arcPoints(const AcGePoint3d& c, const AcGeVector3d& a, const AcGeVector3d& b,
                                   double t0, double t1) {
    const double step = kPi / 36.0;  // five degrees
    int n = std::max(1, static_cast<int>(std::ceil((t1 - t0) / step)));
    std::vector<AcGePoint3d> pts;
    pts.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        double t = t0 + (t1 - t0) * i / n;
        pts.push_back(c + a * std::cos(t) + b * std::sin(t));
    }
    return pts;
}

bool movesOnly(const AcGeMatrix3d& xform) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (xform.entry[r][c] != (r == c ? 1.0 : 0.0))
                return false;
    return true;
}

bool keepsShape(const AcGeMatrix3d& xform) {
    return xform.isUniScaledOrtho();
}

AcGeVector3d transformedNormal(const AcGeVector3d& normal, const AcGeMatrix3d& xform) {
    AcGeVector3d n = normal;
    n.transformBy(xform);
    n = n.normal();
    // Keep the exact world z axis when a rotation about it leaves rounding noise.
    if (std::fabs(n.x) < 1e-15 && std::fabs(n.y) < 1e-15 && n.z > 0.0)
        n = AcGeVector3d::kZAxis;
    return n;
}

void listLine(const std::string& label, const std::string& value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%24s", label.c_str());
    Session::get().print(std::string(buf) + " " + value + "\n");
}

std::string listReal(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

std::string listAngle(double radians) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", normalizeAngle(radians) * 180.0 / kPi);
    return buf;
}

std::string listPoint(const AcGePoint3d& p) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "X=%9.4f  Y=%9.4f  Z=%9.4f", p.x, p.y, p.z);
    return buf;
}

}  // namespace hs

namespace hs {
double textCells(const std::basic_string<ACHAR>& text) {
#if HOSTSIM_WIDE
    double cells = 0.0;
    for (ACHAR ch : text) {
        unsigned long c = static_cast<unsigned long>(ch);
        if (c >= 0xDC00 && c <= 0xDFFF)
            continue;  // the second half of a surrogate pair
        cells += (c >= 0x1100) ? 2.0 : 1.0;
    }
    return cells;
#else
    return static_cast<double>(text.size());
#endif
}
}  // namespace hs
