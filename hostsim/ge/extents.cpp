// Axis-aligned extents boxes. A new box is empty (inverted) until a point is
// added, so adding an empty box to another changes nothing.
#include <algorithm>
#include <limits>

#include "dbmain.h"
#include "gescl3d.h"

const AcGeScale3d AcGeScale3d::kIdentity(1.0, 1.0, 1.0);

namespace {
constexpr double kBig = std::numeric_limits<double>::max();
}

AcDbExtents::AcDbExtents() : mMinPoint(kBig, kBig, kBig), mMaxPoint(-kBig, -kBig, -kBig) {}

AcDbExtents::AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max) : mMinPoint(min), mMaxPoint(max) {}

bool AcDbExtents::hsIsEmpty() const {
    return mMinPoint.x > mMaxPoint.x || mMinPoint.y > mMaxPoint.y || mMinPoint.z > mMaxPoint.z;
}

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& min, const AcGePoint3d& max) {
    if (min.x > max.x || min.y > max.y || min.z > max.z)
        return Acad::eInvalidExtents;
    mMinPoint = min;
    mMaxPoint = max;
    return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& pt) {
    mMinPoint.set(std::min(mMinPoint.x, pt.x), std::min(mMinPoint.y, pt.y), std::min(mMinPoint.z, pt.z));
    mMaxPoint.set(std::max(mMaxPoint.x, pt.x), std::max(mMaxPoint.y, pt.y), std::max(mMaxPoint.z, pt.z));
}

void AcDbExtents::addExt(const AcDbExtents& src) {
    if (src.hsIsEmpty())
        return;
    addPoint(src.mMinPoint);
    addPoint(src.mMaxPoint);
}

void AcDbExtents::expandBy(const AcGeVector3d& vec) {
    if (hsIsEmpty())
        return;
    AcGePoint3d moved = (mMinPoint + vec);
    AcGePoint3d movedMax = (mMaxPoint + vec);
    addPoint(moved);
    addPoint(movedMax);
}

// The box of the eight transformed corners.
void AcDbExtents::transformBy(const AcGeMatrix3d& mat) {
    if (hsIsEmpty())
        return;
    AcDbExtents out;
    for (int i = 0; i < 8; ++i) {
        AcGePoint3d corner((i & 1) ? mMaxPoint.x : mMinPoint.x, (i & 2) ? mMaxPoint.y : mMinPoint.y,
                           (i & 4) ? mMaxPoint.z : mMinPoint.z);
        out.addPoint(corner.transformBy(mat));
    }
    *this = out;
}
