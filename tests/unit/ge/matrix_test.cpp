// Matrices, points, vectors and extents behave as the host's geometry
// library: composition applies the right-hand matrix first, inverses undo,
// rotations and scalings keep their centre fixed.
#include <gtest/gtest.h>

#include <cmath>

#include "dbmain.h"
#include "gemat3d.h"

namespace {
const double kPi = 3.14159265358979323846;

::testing::AssertionResult near(const AcGePoint3d& a, const AcGePoint3d& b, double tol = 1e-12) {
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not (" << b.x
                                         << ", " << b.y << ", " << b.z << ")";
}

AcGePoint3d moved(AcGePoint3d p, const AcGeMatrix3d& m) {
    return p.transformBy(m);
}
}  // namespace

TEST(Matrix, ANewMatrixIsTheIdentity) {
    AcGeMatrix3d m;
    EXPECT_TRUE(m == AcGeMatrix3d::kIdentity);
    EXPECT_TRUE(near(moved(AcGePoint3d(1, 2, 3), m), AcGePoint3d(1, 2, 3), 0.0));
}

TEST(Matrix, ProductAppliesTheRightHandMatrixFirst) {
    AcGeMatrix3d t = AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0));
    AcGeMatrix3d r = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis);
    // Rotate (1,0,0) to (0,1,0), then move it.
    EXPECT_TRUE(near(moved(AcGePoint3d(1, 0, 0), t * r), AcGePoint3d(10, 1, 0)));
    // Move to (11,0,0), then rotate it.
    EXPECT_TRUE(near(moved(AcGePoint3d(1, 0, 0), r * t), AcGePoint3d(0, 11, 0)));
    AcGeMatrix3d pre = r;
    pre.preMultBy(t);
    EXPECT_TRUE(pre == t * r);
    AcGeMatrix3d post = r;
    post.postMultBy(t);
    EXPECT_TRUE(post == r * t);
}

TEST(Matrix, InverseUndoesACompositeTransformation) {
    AcGeMatrix3d m = AcGeMatrix3d::translation(AcGeVector3d(3, -4, 5)) *
                     AcGeMatrix3d::rotation(0.7, AcGeVector3d(1, 2, 3), AcGePoint3d(1, 1, 1)) *
                     AcGeMatrix3d::scaling(2.5, AcGePoint3d(-2, 0, 4));
    AcGePoint3d p(7.5, -1.25, 3.0);
    EXPECT_TRUE(near(moved(moved(p, m), m.inverse()), p, 1e-12));
    AcGeMatrix3d id = m * m.inverse();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(id.entry[r][c], r == c ? 1.0 : 0.0, 1e-12) << r << "," << c;
}

TEST(Matrix, DeterminantIsTheVolumeScaleAndNegativeForAMirror) {
    EXPECT_DOUBLE_EQ(AcGeMatrix3d::scaling(2.0).det(), 8.0);
    EXPECT_NEAR(AcGeMatrix3d::rotation(1.1, AcGeVector3d(0, 1, 1)).det(), 1.0, 1e-12);
    AcGeMatrix3d mirror;
    mirror.entry[0][0] = -1.0;
    EXPECT_DOUBLE_EQ(mirror.det(), -1.0);
    EXPECT_DOUBLE_EQ((AcGeMatrix3d::translation(AcGeVector3d(4, 5, 6)) * mirror).det(), -1.0);
}

TEST(Matrix, ScalingKeepsItsCentreWhereItIs) {
    AcGeMatrix3d s = AcGeMatrix3d::scaling(3.0, AcGePoint3d(1, 2, 3));
    EXPECT_TRUE(near(moved(AcGePoint3d(1, 2, 3), s), AcGePoint3d(1, 2, 3), 0.0));
    EXPECT_TRUE(near(moved(AcGePoint3d(2, 2, 3), s), AcGePoint3d(4, 2, 3), 0.0));
    EXPECT_DOUBLE_EQ(s.scale(), 3.0);
}

TEST(Matrix, RotationTurnsAboutAnAxisThroughItsCentre) {
    AcGeMatrix3d r = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, AcGePoint3d(5, 5, 0));
    EXPECT_TRUE(near(moved(AcGePoint3d(5, 5, 0), r), AcGePoint3d(5, 5, 0), 0.0));
    // A quarter turn about a coordinate axis comes out exact.
    EXPECT_TRUE(near(moved(AcGePoint3d(6, 5, 0), r), AcGePoint3d(5, 6, 0), 0.0));
    AcGeMatrix3d x = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kXAxis);
    EXPECT_TRUE(near(moved(AcGePoint3d(0, 1, 0), x), AcGePoint3d(0, 0, 1), 0.0));
    AcGeMatrix3d third = AcGeMatrix3d::rotation(2 * kPi / 3, AcGeVector3d(1, 1, 1));
    EXPECT_TRUE(near(moved(AcGePoint3d(1, 0, 0), third), AcGePoint3d(0, 1, 0)));
}

TEST(Matrix, VectorsIgnoreTheTranslation) {
    AcGeMatrix3d m = AcGeMatrix3d::translation(AcGeVector3d(100, 100, 100)) * AcGeMatrix3d::scaling(2.0);
    AcGeVector3d v(1, 2, 3);
    v.transformBy(m);
    EXPECT_TRUE(v == AcGeVector3d(2, 4, 6));
}

TEST(Matrix, UniformScaleWithRotationIsRecognisedAndAStretchIsNot) {
    EXPECT_TRUE((AcGeMatrix3d::rotation(0.3, AcGeVector3d(1, -2, 0.5)) * AcGeMatrix3d::scaling(4.0))
                    .isUniScaledOrtho());
    AcGeMatrix3d stretch;
    stretch.entry[1][1] = 2.0;
    EXPECT_FALSE(stretch.isUniScaledOrtho());
}

TEST(Extents, ANewBoxIsEmptyAndAddingItChangesNothing) {
    AcDbExtents box(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 1));
    AcDbExtents empty;
    EXPECT_TRUE(empty.hsIsEmpty());
    box.addExt(empty);
    EXPECT_TRUE(box.minPoint() == AcGePoint3d(0, 0, 0));
    EXPECT_TRUE(box.maxPoint() == AcGePoint3d(1, 1, 1));
}

TEST(Extents, AddingBoxesAndPointsGivesTheirUnion) {
    AcDbExtents box;
    box.addPoint(AcGePoint3d(2, 3, 0));
    box.addExt(AcDbExtents(AcGePoint3d(-1, 5, -2), AcGePoint3d(0, 6, 1)));
    EXPECT_TRUE(box.minPoint() == AcGePoint3d(-1, 3, -2));
    EXPECT_TRUE(box.maxPoint() == AcGePoint3d(2, 6, 1));
}

TEST(Extents, AnInvertedBoxIsRefused) {
    AcDbExtents box;
    EXPECT_EQ(box.set(AcGePoint3d(1, 0, 0), AcGePoint3d(0, 1, 1)), Acad::eInvalidExtents);
    EXPECT_TRUE(box.hsIsEmpty());
}

TEST(Extents, ATurnedBoxIsTheBoxOfItsTurnedCorners) {
    AcDbExtents box(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 1, 0));
    box.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis));
    EXPECT_TRUE(near(box.minPoint(), AcGePoint3d(-1, 0, 0)));
    EXPECT_TRUE(near(box.maxPoint(), AcGePoint3d(0, 2, 0)));
}
