// Two-dimensional point.
#pragma once
#include "adesk.h"

class AcGePoint2d {
public:
    AcGePoint2d() : x(0.0), y(0.0) {}
    AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}
    static const AcGePoint2d kOrigin;
    Adesk::Boolean operator==(const AcGePoint2d& p) const { return x == p.x && y == p.y; }
    Adesk::Boolean operator!=(const AcGePoint2d& p) const { return !(*this == p); }
    AcGePoint2d& set(double xx, double yy) {
        x = xx;
        y = yy;
        return *this;
    }
    double x, y;
};
