// Every entity travels through the DWG and DXF filers unchanged: values come
// back bit for bit (DXF angles, kept in degrees, to within rounding), with
// the real subclass markers and group codes in DXF.
#include <cmath>

#include "enttest.h"

using enttest::EntityTest;
using enttest::near;
using enttest::same;

namespace {
const double kPi = 3.14159265358979323846;

bool has(const std::vector<std::string>& groups, const std::string& line) {
    for (const std::string& g : groups)
        if (g == line)
            return true;
    return false;
}

// The groups after the entity's common ones, from its first subclass marker.
std::vector<std::string> ownGroups(const std::vector<std::string>& groups, const std::string& marker) {
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i] == "100 " + marker)
            return std::vector<std::string>(groups.begin() + static_cast<long>(i), groups.end());
    return {};
}

AcDbPolyline* bulgedPolyline() {
    AcDbPolyline* p = new AcDbPolyline();
    p->addVertexAt(0, AcGePoint2d(0.1, 0.2), 0.5);
    p->addVertexAt(1, AcGePoint2d(10.3, 0.7), 0.0, 0.25, 0.75);
    p->addVertexAt(2, AcGePoint2d(10.0 / 3.0, 7.1), -1.0);
    p->setClosed(Adesk::kTrue);
    p->setElevation(2.5);
    return p;
}
}  // namespace

TEST_F(EntityTest, LineComesBackFromDwgWithTheSameValues) {
    AcDbLine line(AcGePoint3d(0.1, 1.0 / 3.0, -2.5), AcGePoint3d(1e300, -7.25, 0.3));
    line.setThickness(0.7);
    line.setColorIndex(3);
    auto copy = dwgRoundTrip(line);
    EXPECT_TRUE(same(copy->startPoint(), line.startPoint()));
    EXPECT_TRUE(same(copy->endPoint(), line.endPoint()));
    EXPECT_EQ(copy->thickness(), 0.7);
    EXPECT_EQ(copy->colorIndex(), 3);
}

TEST_F(EntityTest, LineWritesItsSubclassMarkerThenStartAndEndPoints) {
    AcDbLine line(AcGePoint3d(1, 2, 3), AcGePoint3d(4.5, 5, 6));
    std::vector<std::string> own = ownGroups(dxfGroups(line), "AcDbLine");
    ASSERT_EQ(own.size(), 3u);
    EXPECT_EQ(own[1], "10 1.0,2.0,3.0");
    EXPECT_EQ(own[2], "11 4.5,5.0,6.0");
    EXPECT_TRUE(has(dxfGroups(line), "100 AcDbEntity"));
}

TEST_F(EntityTest, LineComesBackFromDxfWithTheSameValues) {
    AcDbLine line(AcGePoint3d(0.1, 1.0 / 3.0, -2.5), AcGePoint3d(2.0 / 7.0, -7.25, 0.3));
    line.setThickness(1.5);
    line.setNormal(AcGeVector3d(0, 0.6, 0.8));
    auto copy = dxfRoundTrip(line);
    EXPECT_TRUE(same(copy->startPoint(), line.startPoint()));
    EXPECT_TRUE(same(copy->endPoint(), line.endPoint()));
    EXPECT_EQ(copy->thickness(), 1.5);
    EXPECT_TRUE(same(copy->normal(), line.normal()));
}

TEST_F(EntityTest, CircleComesBackFromDwgAndDxf) {
    AcDbCircle circle(AcGePoint3d(1.0 / 3.0, 2, 0), AcGeVector3d::kZAxis, 0.1);
    std::vector<std::string> own = ownGroups(dxfGroups(circle), "AcDbCircle");
    ASSERT_EQ(own.size(), 3u);
    EXPECT_EQ(own[2], "40 0.1");
    auto dwg_circle = dwgRoundTrip(circle);
    auto dxf_circle = dxfRoundTrip(circle);
    for (AcDbCircle* copy : {dwg_circle.get(), dxf_circle.get()}) {
        EXPECT_TRUE(same(copy->center(), circle.center()));
        EXPECT_EQ(copy->radius(), 0.1);
    }
}

TEST_F(EntityTest, CircleInATiltedPlaneIsWrittenInPlaneCoordinatesAndReadBackInWorldCoordinates) {
    AcGeVector3d normal = AcGeVector3d(1, 1, 1).normal();
    AcDbCircle circle(AcGePoint3d(5, -3, 2), normal, 4);
    std::vector<std::string> groups = dxfGroups(circle);
    EXPECT_FALSE(has(groups, "10 5,-3,2"));
    auto copy = dxfRoundTrip(circle);
    EXPECT_TRUE(near(copy->center(), circle.center(), 1e-12));
    EXPECT_TRUE(same(copy->normal(), normal));
}

TEST_F(EntityTest, ArcWritesCircleThenArcSubclassWithAnglesInDegrees) {
    AcDbArc arc(AcGePoint3d(1, 2, 0), 3, 0.0, kPi / 2);
    std::vector<std::string> own = ownGroups(dxfGroups(arc), "AcDbCircle");
    ASSERT_EQ(own.size(), 6u);
    EXPECT_EQ(own[3], "100 AcDbArc");
    EXPECT_EQ(own[4], "50 0.0");
    EXPECT_EQ(own[5], "51 90.0");
}

TEST_F(EntityTest, ArcComesBackFromDwgExactlyAndFromDxfWithinRounding) {
    AcDbArc arc(AcGePoint3d(1.5, 2.25, 0), 3.125, 0.3, 4.1);
    auto dwg = dwgRoundTrip(arc);
    EXPECT_EQ(dwg->startAngle(), 0.3);
    EXPECT_EQ(dwg->endAngle(), 4.1);
    auto dxf = dxfRoundTrip(arc);
    EXPECT_TRUE(same(dxf->center(), arc.center()));
    EXPECT_EQ(dxf->radius(), 3.125);
    EXPECT_NEAR(dxf->startAngle(), 0.3, 1e-15);
    EXPECT_NEAR(dxf->endAngle(), 4.1, 1e-15);
}

TEST_F(EntityTest, PolylineKeepsVerticesBulgesWidthsClosedFlagAndElevationThroughDwg) {
    std::unique_ptr<AcDbPolyline> pl(bulgedPolyline());
    auto copy = dwgRoundTrip(*pl);
    ASSERT_EQ(copy->numVerts(), 3u);
    for (unsigned i = 0; i < 3; ++i) {
        AcGePoint2d a, b;
        double ba, bb, sa, ea, sb, eb;
        pl->getPointAt(i, a);
        copy->getPointAt(i, b);
        pl->getBulgeAt(i, ba);
        copy->getBulgeAt(i, bb);
        pl->getWidthsAt(i, sa, ea);
        copy->getWidthsAt(i, sb, eb);
        EXPECT_TRUE(a == b) << i;
        EXPECT_EQ(ba, bb) << i;
        EXPECT_EQ(sa, sb) << i;
        EXPECT_EQ(ea, eb) << i;
    }
    EXPECT_TRUE(copy->isClosed());
    EXPECT_EQ(copy->elevation(), 2.5);
}

TEST_F(EntityTest, PolylineWritesCountFlagsThenOneVertexGroupPerPoint) {
    std::unique_ptr<AcDbPolyline> pl(bulgedPolyline());
    std::vector<std::string> own = ownGroups(dxfGroups(*pl), "AcDbPolyline");
    ASSERT_GE(own.size(), 4u);
    EXPECT_EQ(own[1], "90 3");
    EXPECT_EQ(own[2], "70 1");
    EXPECT_EQ(own[3], "38 2.5");
    EXPECT_TRUE(has(own, "42 0.5"));
    EXPECT_TRUE(has(own, "40 0.25"));
    EXPECT_TRUE(has(own, "41 0.75"));
    EXPECT_TRUE(has(own, "42 -1.0"));
}

TEST_F(EntityTest, PolylineComesBackFromDxfWithTheSameVertices) {
    std::unique_ptr<AcDbPolyline> pl(bulgedPolyline());
    auto copy = dxfRoundTrip(*pl);
    ASSERT_EQ(copy->numVerts(), 3u);
    AcGePoint2d p;
    double bulge, s, e;
    copy->getPointAt(2, p);
    copy->getBulgeAt(2, bulge);
    copy->getWidthsAt(1, s, e);
    EXPECT_EQ(p.x, 10.0 / 3.0);
    EXPECT_EQ(bulge, -1.0);
    EXPECT_EQ(s, 0.25);
    EXPECT_EQ(e, 0.75);
    EXPECT_TRUE(copy->isClosed());
    EXPECT_EQ(copy->elevation(), 2.5);
}

TEST_F(EntityTest, TextComesBackWithStringHeightRotationAndWidthFactor) {
    AcDbText text(AcGePoint3d(1.0 / 3.0, 2, 0),
                  hs::fromUtf8("\xC3\x9C"
                               "bersicht & <plan>")
                      .c_str(),
                  AcDbObjectId::kNull, 2.5, kPi / 6);
    text.setWidthFactor(0.8);
    text.setOblique(0.1);
    auto dwg = dwgRoundTrip(text);
    auto dxf = dxfRoundTrip(text);
    for (AcDbText* copy : {dwg.get(), dxf.get()}) {
        EXPECT_EQ(hs::toUtf8(copy->textStringConst()),
                  "\xC3\x9C"
                  "bersicht & <plan>");
        EXPECT_TRUE(same(copy->position(), text.position()));
        EXPECT_EQ(copy->height(), 2.5);
        EXPECT_EQ(copy->widthFactor(), 0.8);
        EXPECT_NEAR(copy->rotation(), kPi / 6, 1e-15);
        EXPECT_NEAR(copy->oblique(), 0.1, 1e-15);
    }
}

TEST_F(EntityTest, TextWritesTwoAcDbTextSubclassMarkers) {
    AcDbText text(AcGePoint3d(0, 0, 0), hs::fromUtf8("A").c_str(), AcDbObjectId::kNull, 1.0, 0.0);
    std::vector<std::string> groups = dxfGroups(text);
    int markers = 0;
    for (const std::string& g : groups)
        markers += g == "100 AcDbText";
    EXPECT_EQ(markers, 2);
    EXPECT_TRUE(has(groups, "1 A"));
    EXPECT_TRUE(has(groups, "40 1.0"));
}

TEST_F(EntityTest, MTextLongerThanOneGroupIsSplitIntoPiecesAndJoinedAgain) {
    std::string contents;
    for (int i = 0; i < 120; ++i)
        contents += "line " + std::to_string(i) + "\\P";
    AcDbMText mtext;
    mtext.setContents(hs::fromUtf8(contents).c_str());
    mtext.setLocation(AcGePoint3d(3, 4, 0));
    mtext.setTextHeight(0.35);
    mtext.setWidth(40);
    mtext.setAttachment(AcDbMText::kMiddleCenter);
    mtext.setRotation(kPi / 2);
    std::vector<std::string> groups = dxfGroups(mtext);
    int pieces = 0;
    for (const std::string& g : groups)
        pieces += g.rfind("3 ", 0) == 0;
    EXPECT_GE(pieces, 3);
    auto dwg_mtext = dwgRoundTrip(mtext);
    auto dxf_mtext = dxfRoundTrip(mtext);
    for (AcDbMText* copy : {dwg_mtext.get(), dxf_mtext.get()}) {
        ACHAR* p = copy->contents();
        EXPECT_EQ(hs::toUtf8(p), contents);
        acdbFree(p);
        EXPECT_TRUE(same(copy->location(), AcGePoint3d(3, 4, 0)));
        EXPECT_EQ(copy->textHeight(), 0.35);
        EXPECT_EQ(copy->width(), 40.0);
        EXPECT_EQ(copy->attachment(), AcDbMText::kMiddleCenter);
        EXPECT_NEAR(copy->rotation(), kPi / 2, 1e-15);
    }
}

TEST_F(EntityTest, BlockReferenceIsWrittenWithItsBlockNameAndReadBackToTheSameRecord) {
    AcDbObjectId block = addBlock("TITLE");
    AcDbBlockReference ref(AcGePoint3d(10, 20, 0), block);
    ref.setScaleFactors(AcGeScale3d(2.0));
    ref.setRotation(kPi);
    std::vector<std::string> own = ownGroups(dxfGroups(ref), "AcDbBlockReference");
    ASSERT_GE(own.size(), 3u);
    EXPECT_EQ(own[1], "2 TITLE");
    EXPECT_EQ(own[2], "10 10.0,20.0,0.0");
    auto dwg_ref = dwgRoundTrip(ref);
    auto dxf_ref = dxfRoundTrip(ref);
    for (AcDbBlockReference* copy : {dwg_ref.get(), dxf_ref.get()}) {
        EXPECT_EQ(copy->blockTableRecord(), block);
        EXPECT_TRUE(same(copy->position(), AcGePoint3d(10, 20, 0)));
        EXPECT_TRUE(copy->scaleFactors() == AcGeScale3d(2.0));
        EXPECT_NEAR(copy->rotation(), kPi, 1e-15);
    }
}

TEST_F(EntityTest, BlockReferenceReadBeforeItsBlockFindsTheBlockLater) {
    size_t left = 0;
    auto ref = fromGroups<AcDbBlockReference>(
        {hs::DxfItem::str(100, "AcDbBlockReference"), hs::DxfItem::str(2, "LATER"),
         hs::DxfItem::pt(10, AcGePoint3d(1, 2, 0))},
        Acad::eOk, &left);
    EXPECT_EQ(left, 0u);
    EXPECT_TRUE(ref->blockTableRecord().isNull());
    AcDbObjectId block = addBlock("LATER");
    AcDbObjectId id = append(ref.release());
    AcDbBlockReference* pRef = nullptr;
    ASSERT_EQ(acdbOpenObject(pRef, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pRef->blockTableRecord(), block);
    pRef->close();
}

TEST_F(EntityTest, PointAndEllipseComeBackFromDwgAndDxf) {
    AcDbPoint point(AcGePoint3d(1.0 / 7.0, 2, 3));
    auto dwg_point = dwgRoundTrip(point);
    auto dxf_point = dxfRoundTrip(point);
    for (AcDbPoint* copy : {dwg_point.get(), dxf_point.get()})
        EXPECT_TRUE(same(copy->position(), point.position()));
    AcDbEllipse ellipse(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, AcGeVector3d(3, 1.0 / 3.0, 0), 0.4, 0.5,
                        2.5);
    std::vector<std::string> own = ownGroups(dxfGroups(ellipse), "AcDbEllipse");
    EXPECT_TRUE(has(own, "40 0.4"));
    EXPECT_TRUE(has(own, "41 0.5"));
    auto dwg_ellipse = dwgRoundTrip(ellipse);
    auto dxf_ellipse = dxfRoundTrip(ellipse);
    for (AcDbEllipse* copy : {dwg_ellipse.get(), dxf_ellipse.get()}) {
        EXPECT_TRUE(same(copy->center(), ellipse.center()));
        EXPECT_TRUE(same(copy->majorAxis(), ellipse.majorAxis()));
        EXPECT_EQ(copy->radiusRatio(), 0.4);
        EXPECT_EQ(copy->startAngle(), 0.5);
        EXPECT_EQ(copy->endAngle(), 2.5);
    }
}

TEST_F(EntityTest, GroupsInAnotherOrderAndWithoutSubclassMarkersAreRead) {
    // As an R12 file gives them: no markers, end point before start point.
    auto line = fromGroups<AcDbLine>({hs::DxfItem::pt(11, AcGePoint3d(4, 5, 6)), hs::DxfItem::dbl(39, 2.0),
                                      hs::DxfItem::pt(10, AcGePoint3d(1, 2, 3))});
    EXPECT_TRUE(same(line->startPoint(), AcGePoint3d(1, 2, 3)));
    EXPECT_TRUE(same(line->endPoint(), AcGePoint3d(4, 5, 6)));
    EXPECT_EQ(line->thickness(), 2.0);
}

TEST_F(EntityTest, ReadingStopsAtTheFirstGroupThatIsNotTheEntitysAndLeavesItForTheNextReader) {
    // The next embedded object's class name follows a watermark's clone.
    size_t left = 0;
    auto circle =
        fromGroups<AcDbCircle>({hs::DxfItem::str(100, "AcDbCircle"),
                                hs::DxfItem::pt(10, AcGePoint3d(1, 1, 0)), hs::DxfItem::dbl(40, 2.0),
                                hs::DxfItem::str(300, "AcDbLine"), hs::DxfItem::str(101, "Embedded Object")},
                               Acad::eOk, &left);
    EXPECT_EQ(circle->radius(), 2.0);
    EXPECT_EQ(left, 2u);
}

TEST_F(EntityTest, CloneKeepsTheClassTheGeometryAndTheCommonProperties) {
    addLayer("WALLS", 5);
    AcDbArc arc(AcGePoint3d(1, 2, 0), 3, 0.25, 1.5);
    arc.setColorIndex(4);
    arc.setLayer(hs::fromUtf8("WALLS").c_str());
    arc.setLinetypeScale(2.5);
    std::unique_ptr<AcRxObject> obj(arc.clone());
    AcDbArc* copy = AcDbArc::cast(obj.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->isA(), AcDbArc::desc());
    EXPECT_TRUE(same(copy->center(), arc.center()));
    EXPECT_EQ(copy->startAngle(), 0.25);
    EXPECT_EQ(copy->colorIndex(), 4);
    ACHAR* pLayer = copy->layer();
    EXPECT_EQ(hs::toUtf8(pLayer), "WALLS");
    acdbFree(pLayer);
    EXPECT_EQ(copy->linetypeScale(), 2.5);
}

TEST_F(EntityTest, EveryEntityClassIsRegisteredWithItsDxfNameAndCreatesItsObjects) {
    const char* names[][2] = {{"AcDbLine", "LINE"},
                              {"AcDbCircle", "CIRCLE"},
                              {"AcDbArc", "ARC"},
                              {"AcDbPolyline", "LWPOLYLINE"},
                              {"AcDbText", "TEXT"},
                              {"AcDbMText", "MTEXT"},
                              {"AcDbBlockReference", "INSERT"},
                              {"AcDbPoint", "POINT"},
                              {"AcDbEllipse", "ELLIPSE"}};
    for (auto& n : names) {
        AcRxClass* pClass = static_cast<AcRxClass*>(acrxClassDictionary->at(hs::fromUtf8(n[0]).c_str()));
        ASSERT_NE(pClass, nullptr) << n[0];
        EXPECT_EQ(hs::toUtf8(pClass->dxfName()), n[1]);
        std::unique_ptr<AcRxObject> obj(pClass->create());
        ASSERT_NE(obj, nullptr) << n[0];
        EXPECT_EQ(obj->isA(), pClass);
        EXPECT_TRUE(obj->isKindOf(AcDbEntity::desc()));
    }
    EXPECT_TRUE(AcDbLine::desc()->isDerivedFrom(AcDbCurve::desc()));
    EXPECT_FALSE(AcDbText::desc()->isDerivedFrom(AcDbCurve::desc()));
}

TEST_F(EntityTest, LeftAlignedTextWritesNoAlignmentPointAndJustifiedTextKeepsIt) {
    AcDbText text(AcGePoint3d(5, 5, 0), hs::fromUtf8("A").c_str(), AcDbObjectId::kNull, 1.0, 0.0);
    text.setAlignmentPoint(AcGePoint3d(-3, -3, 0));
    for (const std::string& g : dxfGroups(text))
        EXPECT_NE(g.rfind("11 ", 0), 0u) << g;
    text.hsSetHorizontalMode(1);
    text.setAlignmentPoint(AcGePoint3d(7, 5, 0));
    EXPECT_TRUE(has(dxfGroups(text), "11 7.0,5.0,0.0"));
    auto copy = dxfRoundTrip(text);
    EXPECT_EQ(copy->hsHorizontalMode(), 1);
    EXPECT_TRUE(same(copy->alignmentPoint(), AcGePoint3d(7, 5, 0)));
}

TEST_F(EntityTest, AnOldElevationGroupGivesTheHeightOfACircle) {
    size_t left = 0;
    auto circle = fromGroups<AcDbCircle>(
        {hs::DxfItem::pt(10, AcGePoint3d(1, 2, 0)), hs::DxfItem::dbl(38, 4.5), hs::DxfItem::dbl(40, 3.0)},
        Acad::eOk, &left);
    EXPECT_EQ(left, 0u);
    EXPECT_TRUE(same(circle->center(), AcGePoint3d(1, 2, 4.5)));
    EXPECT_EQ(circle->radius(), 3.0);
}
