// What the watermark asks of its clones: extents, transformation, the
// transformed copy, and the listing; and the fault seams those take.
#include <cmath>

#include "enttest.h"

using enttest::EntityTest;
using enttest::near;
using enttest::same;

namespace {
const double kPi = 3.14159265358979323846;

AcDbExtents extentsOf(const AcDbEntity& ent) {
    AcDbExtents ext;
    EXPECT_EQ(ent.getGeomExtents(ext), Acad::eOk);
    return ext;
}
}  // namespace

TEST_F(EntityTest, ExtentsOfALineSpanItsTwoPoints) {
    AcDbExtents ext = extentsOf(AcDbLine(AcGePoint3d(5, -1, 0), AcGePoint3d(-2, 3, 1)));
    EXPECT_TRUE(same(ext.minPoint(), AcGePoint3d(-2, -1, 0)));
    EXPECT_TRUE(same(ext.maxPoint(), AcGePoint3d(5, 3, 1)));
}

TEST_F(EntityTest, ExtentsOfACircleAreItsSquare) {
    AcDbExtents ext = extentsOf(AcDbCircle(AcGePoint3d(10, 20, 0), AcGeVector3d::kZAxis, 5));
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(5, 15, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(15, 25, 0)));
}

TEST_F(EntityTest, ExtentsOfAQuarterArcCoverOnlyThatQuarter) {
    AcDbExtents ext = extentsOf(AcDbArc(AcGePoint3d(0, 0, 0), 2, 0.0, kPi / 2));
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(0, 0, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(2, 2, 0)));
    // From 3 o'clock round past 12 to 9 o'clock the top is reached.
    AcDbExtents upper = extentsOf(AcDbArc(AcGePoint3d(0, 0, 0), 2, 0.0, kPi));
    EXPECT_TRUE(near(upper.maxPoint(), AcGePoint3d(2, 2, 0)));
    EXPECT_TRUE(near(upper.minPoint(), AcGePoint3d(-2, 0, 0)));
}

TEST_F(EntityTest, ExtentsOfAPolylineIncludeTheBulgedSegmentsArc) {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);  // a half circle to the right of the chord's direction
    pl.addVertexAt(1, AcGePoint2d(4, 0));
    AcDbExtents ext = extentsOf(pl);
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(0, -2, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(4, 0, 0)));
}

TEST_F(EntityTest, ExtentsOfTextComeFromHeightLengthAndWidthFactor) {
    AcDbText text(AcGePoint3d(1, 2, 0), hs::fromUtf8("ABCD").c_str(), AcDbObjectId::kNull, 2.0, 0.0);
    text.setWidthFactor(0.5);
    AcDbExtents ext = extentsOf(text);
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(1, 2, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(1 + 4 * 2.0 * 0.5, 4, 0)));
}

TEST_F(EntityTest, ExtentsOfRotatedTextAreTurnedWithIt) {
    AcDbText text(AcGePoint3d(0, 0, 0), hs::fromUtf8("ABC").c_str(), AcDbObjectId::kNull, 1.0, kPi / 2);
    AcDbExtents ext = extentsOf(text);
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(-1, 0, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(0, 3, 0)));
}

TEST_F(EntityTest, ExtentsOfABlockReferenceAreItsBlocksEntitiesPlaced) {
    AcDbObjectId block = addBlock("B", AcGePoint3d(1, 1, 0));
    append(new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(3, 2, 0)), block);
    AcDbBlockReference* pRef = new AcDbBlockReference(AcGePoint3d(10, 10, 0), block);
    pRef->setScaleFactors(AcGeScale3d(2.0));
    AcDbObjectId id = append(pRef);
    AcDbBlockReference* pOpen = nullptr;
    ASSERT_EQ(acdbOpenObject(pOpen, id, AcDb::kForRead), Acad::eOk);
    AcDbExtents ext = extentsOf(*pOpen);
    pOpen->close();
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(10, 10, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(14, 12, 0)));
}

TEST_F(EntityTest, ExtentsOfAnEllipseReachItsAxesEnds) {
    AcDbEllipse e(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(0, 4, 0), 0.5);
    AcDbExtents ext = extentsOf(e);
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(-2, -4, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(2, 4, 0)));
}

TEST_F(EntityTest, MovingKeepsEveryValueButThePositionExactly) {
    AcDbArc arc(AcGePoint3d(1, 1, 0), 2, 0.3, 1.9);
    ASSERT_EQ(arc.transformBy(AcGeMatrix3d::translation(AcGeVector3d(10, -5, 0))), Acad::eOk);
    EXPECT_TRUE(same(arc.center(), AcGePoint3d(11, -4, 0)));
    EXPECT_EQ(arc.startAngle(), 0.3);
    EXPECT_EQ(arc.endAngle(), 1.9);
    EXPECT_EQ(arc.radius(), 2.0);
}

TEST_F(EntityTest, ScalingAboutAPointScalesRadiusHeightAndDistances) {
    AcGeMatrix3d scale = AcGeMatrix3d::scaling(3.0, AcGePoint3d(1, 1, 0));
    AcDbCircle circle(AcGePoint3d(2, 1, 0), AcGeVector3d::kZAxis, 0.5);
    ASSERT_EQ(circle.transformBy(scale), Acad::eOk);
    EXPECT_TRUE(near(circle.center(), AcGePoint3d(4, 1, 0)));
    EXPECT_DOUBLE_EQ(circle.radius(), 1.5);
    AcDbText text(AcGePoint3d(1, 2, 0), hs::fromUtf8("x").c_str(), AcDbObjectId::kNull, 2.0, 0.0);
    ASSERT_EQ(text.transformBy(scale), Acad::eOk);
    EXPECT_TRUE(near(text.position(), AcGePoint3d(1, 4, 0)));
    EXPECT_DOUBLE_EQ(text.height(), 6.0);
}

TEST_F(EntityTest, RotatingTurnsPositionsAndAngles) {
    AcGeMatrix3d quarter = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, AcGePoint3d(0, 0, 0));
    AcDbArc arc(AcGePoint3d(2, 0, 0), 1, 0.0, kPi / 2);
    ASSERT_EQ(arc.transformBy(quarter), Acad::eOk);
    EXPECT_TRUE(near(arc.center(), AcGePoint3d(0, 2, 0)));
    EXPECT_NEAR(arc.startAngle(), kPi / 2, 1e-12);
    EXPECT_NEAR(arc.endAngle(), kPi, 1e-12);
    EXPECT_TRUE(same(arc.normal(), AcGeVector3d::kZAxis));
    AcDbText text(AcGePoint3d(1, 0, 0), hs::fromUtf8("x").c_str(), AcDbObjectId::kNull, 1.0, 0.0);
    ASSERT_EQ(text.transformBy(quarter), Acad::eOk);
    EXPECT_TRUE(near(text.position(), AcGePoint3d(0, 1, 0)));
    EXPECT_NEAR(text.rotation(), kPi / 2, 1e-12);
}

TEST_F(EntityTest, RotatingABlockReferenceAddsToItsRotationAndMirroringFlipsItsYScale) {
    AcDbBlockReference ref(AcGePoint3d(1, 0, 0), AcDbObjectId::kNull);
    ASSERT_EQ(ref.transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis)), Acad::eOk);
    EXPECT_TRUE(near(ref.position(), AcGePoint3d(0, 1, 0)));
    EXPECT_NEAR(ref.rotation(), kPi / 2, 1e-12);
    AcGeMatrix3d mirror;
    mirror.entry[0][0] = -1.0;  // x -> -x
    AcDbBlockReference plain(AcGePoint3d(2, 0, 0), AcDbObjectId::kNull);
    ASSERT_EQ(plain.transformBy(mirror), Acad::eOk);
    AcGePoint3d probe(1, 1, 0);
    // The mirrored reference places a block point where the mirror would.
    EXPECT_TRUE(near(AcGePoint3d(probe).transformBy(plain.blockTransform()), AcGePoint3d(-3, 1, 0)));
    EXPECT_LT(plain.scaleFactors().sy, 0.0);
}

TEST_F(EntityTest, MirroringAPolylineTurnsItsBulges) {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 0.5);
    pl.addVertexAt(1, AcGePoint2d(2, 0));
    AcGeMatrix3d mirror;
    mirror.entry[1][1] = -1.0;  // y -> -y
    ASSERT_EQ(pl.transformBy(mirror), Acad::eOk);
    double bulge = 0.0;
    pl.getBulgeAt(0, bulge);
    EXPECT_EQ(bulge, -0.5);
}

TEST_F(EntityTest, CirclesRefuseScalingThatWouldMakeThemEllipsesAndStayUnchanged) {
    AcGeMatrix3d stretch;
    stretch.entry[0][0] = 2.0;
    AcDbCircle circle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 1);
    EXPECT_EQ(circle.transformBy(stretch), Acad::eNotApplicable);
    EXPECT_TRUE(same(circle.center(), AcGePoint3d(1, 1, 0)));
    AcDbLine line(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0));
    EXPECT_EQ(line.transformBy(stretch), Acad::eOk);
    EXPECT_TRUE(same(line.endPoint(), AcGePoint3d(4, 2, 0)));
}

TEST_F(EntityTest, AnInjectedTransformFailureIsReturnedAndLeavesTheEntityUntouched) {
    hs::armFault("AcDbEntity::transformBy", Acad::eOnLockedLayer);
    AcDbLine line(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0));
    EXPECT_EQ(line.transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0))), Acad::eOnLockedLayer);
    EXPECT_TRUE(same(line.startPoint(), AcGePoint3d(1, 1, 0)));
    EXPECT_EQ(line.transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0))), Acad::eOk);
    EXPECT_TRUE(same(line.startPoint(), AcGePoint3d(6, 1, 0)));
}

TEST_F(EntityTest, TransformedCopyIsANewEntityOfTheSameClassAndTheSourceStaysPut) {
    AcDbCircle circle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2);
    circle.setColorIndex(6);
    AcDbEntity* pCopy = nullptr;
    ASSERT_EQ(circle.getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(0, 5, 0)), pCopy), Acad::eOk);
    std::unique_ptr<AcDbEntity> owned(pCopy);
    AcDbCircle* pCircle = AcDbCircle::cast(pCopy);
    ASSERT_NE(pCircle, nullptr);
    EXPECT_NE(pCopy, &circle);
    EXPECT_TRUE(same(pCircle->center(), AcGePoint3d(1, 6, 0)));
    EXPECT_EQ(pCircle->radius(), 2.0);
    EXPECT_EQ(pCircle->colorIndex(), 6);
    EXPECT_TRUE(same(circle.center(), AcGePoint3d(1, 1, 0)));
}

TEST_F(EntityTest, AnInjectedTransformedCopyFailureGivesNoCopy) {
    hs::armFault("AcDbEntity::getTransformedCopy", Acad::eOutOfMemory);
    AcDbPoint point(AcGePoint3d(1, 1, 0));
    AcDbEntity* pCopy = nullptr;
    EXPECT_EQ(point.getTransformedCopy(AcGeMatrix3d::kIdentity, pCopy), Acad::eOutOfMemory);
    EXPECT_EQ(pCopy, nullptr);
}

TEST_F(EntityTest, ATransformedCopyOfAShapeThatCannotBeStretchedIsRefused) {
    AcGeMatrix3d stretch;
    stretch.entry[1][1] = 3.0;
    AcDbArc arc(AcGePoint3d(1, 1, 0), 1, 0, 1);
    AcDbEntity* pCopy = nullptr;
    EXPECT_EQ(arc.getTransformedCopy(stretch, pCopy), Acad::eNotApplicable);
    EXPECT_EQ(pCopy, nullptr);
}

TEST_F(EntityTest, ListShowsTheTypeLayerAndTheGeometry) {
    AcDbObjectId id = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0)));
    AcDbEntity* pEnt = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead), Acad::eOk);
    pEnt->list();
    pEnt->close();
    std::string out = printed();
    EXPECT_NE(out.find("LINE"), std::string::npos) << out;
    EXPECT_NE(out.find("Layer: \"0\""), std::string::npos) << out;
    EXPECT_NE(out.find("from point, X=   0.0000  Y=   0.0000  Z=   0.0000"), std::string::npos) << out;
    EXPECT_NE(out.find("to point, X=   3.0000  Y=   4.0000  Z=   0.0000"), std::string::npos) << out;
    EXPECT_NE(out.find("Length = 5.0000"), std::string::npos) << out;
}

TEST_F(EntityTest, MTextIsDrawnAsItsPlainLinesAndPlacedByItsAttachmentPoint) {
    AcDbMText mtext;
    mtext.setContents(hs::fromUtf8("{\\fArial|b1;AB}\\PC\\{D").c_str());
    mtext.setTextHeight(1.0);
    mtext.setAttachment(AcDbMText::kMiddleCenter);
    EXPECT_EQ(mtext.hsPlainLines(), (std::vector<std::string>{"AB", "C{D"}));
    AcDbExtents ext = extentsOf(mtext);
    // Three cells wide, two lines 5/3 of the height apart, centred on the location.
    double h = 1.0 + 5.0 / 3.0;
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(-1.5, -h / 2, 0)));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(1.5, h / 2, 0)));
}
