// Scale factors along three axes (block references).
#pragma once
#include "adesk.h"

class AcGeScale3d {
public:
    AcGeScale3d() : sx(1.0), sy(1.0), sz(1.0) {}
    explicit AcGeScale3d(double factor) : sx(factor), sy(factor), sz(factor) {}
    AcGeScale3d(double xFactor, double yFactor, double zFactor) : sx(xFactor), sy(yFactor), sz(zFactor) {}
    static const AcGeScale3d kIdentity;
    Adesk::Boolean operator==(const AcGeScale3d& s) const { return sx == s.sx && sy == s.sy && sz == s.sz; }
    Adesk::Boolean operator!=(const AcGeScale3d& s) const { return !(*this == s); }
    AcGeScale3d operator*(double factor) const { return AcGeScale3d(sx * factor, sy * factor, sz * factor); }

    double sx, sy, sz;
};
