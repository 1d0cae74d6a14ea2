// Entities hostsim keeps as their DXF tags have the extents and the picture
// their groups give: window selection finds them, blocks holding them are
// sized by them, type filters name them, and the picture shows them.
#include <cmath>
#include <cstring>

#include "acedads.h"
#include "dxf/kept_entity.h"
#include "dxftest.h"
#include "hostsim/picture.h"
#include "hostsim/selection.h"
#include "hostsim/session.h"
#include "inprocess.h"

using namespace dxftest;

namespace {

class KeptShapes : public DxfTest {};

// A drawing of entities hostsim does not model, each with a shape worked
// out by hand in the comments of the tests.
const std::string& drawing() {
    static const std::string text = dxfText(
        {"0 SECTION", "2 HEADER", "9 $ACADVER", "1 AC1015", "9 $HANDSEED", "5 100", "0 ENDSEC", "0 SECTION",
         "2 BLOCKS", "0 BLOCK", "5 60", "100 AcDbEntity", "8 0", "100 AcDbBlockBegin", "2 *D1", "70 1",
         "10 0.0", "20 0.0", "30 0.0", "3 *D1", "0 LINE", "5 61", "100 AcDbEntity", "8 0", "100 AcDbLine",
         "10 30.0", "20 30.0", "30 0.0", "11 34.0", "21 31.0", "31 0.0", "0 ENDBLK", "5 62", "100 AcDbEntity",
         "8 0", "100 AcDbBlockEnd", "0 BLOCK", "5 63", "100 AcDbEntity", "8 0", "100 AcDbBlockBegin",
         "2 Parts", "70 0", "10 0.0", "20 0.0", "30 0.0", "3 Parts", "0 SPLINE", "5 64", "100 AcDbEntity",
         "8 0", "100 AcDbSpline", "70 8", "71 3", "72 8", "73 4", "74 0", "40 0.0", "40 0.0", "40 0.0",
         "40 0.0", "40 1.0", "40 1.0", "40 1.0", "40 1.0", "10 0.0", "20 0.0", "30 0.0", "10 1.0", "20 2.0",
         "30 0.0", "10 3.0", "20 2.0", "30 0.0", "10 4.0", "20 0.0", "30 0.0", "0 CIRCLE", "5 65",
         "100 AcDbEntity", "8 0", "100 AcDbCircle", "10 0.0", "20 0.0", "30 0.0", "40 0.5", "0 ENDBLK",
         "5 66", "100 AcDbEntity", "8 0", "100 AcDbBlockEnd", "0 ENDSEC", "0 SECTION", "2 ENTITIES",
         // The Bezier curve (0,0) (1,2) (3,2) (4,0): x 0..4, y 0..1.5.
         "0 SPLINE", "5 30", "100 AcDbEntity", "8 0", "100 AcDbSpline", "70 8", "71 3", "72 8", "73 4",
         "74 0", "40 0.0", "40 0.0", "40 0.0", "40 0.0", "40 1.0", "40 1.0", "40 1.0", "40 1.0", "10 0.0",
         "20 0.0", "30 0.0", "10 1.0", "20 2.0", "30 0.0", "10 3.0", "20 2.0", "30 0.0", "10 4.0", "20 0.0",
         "30 0.0",
         // A polyline path with a half circle out to x 16, an edge path with
         // a line and a half circle up to y 1; the seed point (5,5) is not
         // part of the outline.
         "0 HATCH", "5 31", "100 AcDbEntity", "8 0", "100 AcDbHatch", "10 0.0", "20 0.0", "30 0.0", "210 0.0",
         "220 0.0", "230 1.0", "2 SOLID", "70 1", "71 0", "91 2", "92 2", "72 1", "73 1", "93 4", "10 10.0",
         "20 0.0", "42 0.0", "10 14.0", "20 0.0", "42 1.0", "10 14.0", "20 4.0", "42 0.0", "10 10.0",
         "20 4.0", "42 0.0", "97 0", "92 1", "93 2", "72 1", "10 20.0", "20 0.0", "11 22.0", "21 0.0", "72 2",
         "10 21.0", "20 0.0", "40 1.0", "50 0.0", "51 180.0", "73 1", "97 0", "75 0", "76 1", "98 1",
         "10 5.0", "20 5.0",
         // From (3,10) straight to (4,10), then a clockwise half circle to
         // (4,14) out to x 2.
         "0 POLYLINE", "5 40", "100 AcDbEntity", "8 0", "100 AcDb2dPolyline", "66 1", "10 0.0", "20 0.0",
         "30 0.0", "70 0", "0 VERTEX", "5 41", "100 AcDbEntity", "8 0", "100 AcDbVertex", "100 AcDb2dVertex",
         "10 3.0", "20 10.0", "30 0.0", "0 VERTEX", "5 42", "100 AcDbEntity", "8 0", "100 AcDbVertex",
         "100 AcDb2dVertex", "10 4.0", "20 10.0", "30 0.0", "42 -1.0", "0 VERTEX", "5 43", "100 AcDbEntity",
         "8 0", "100 AcDbVertex", "100 AcDb2dVertex", "10 4.0", "20 14.0", "30 0.0", "0 SEQEND", "5 44",
         "100 AcDbEntity", "8 0", "0 3DFACE", "5 50", "100 AcDbEntity", "8 0", "100 AcDbFace", "10 0.0",
         "20 20.0", "30 0.0", "11 2.0", "21 20.0", "31 0.0", "12 2.0", "22 22.0", "32 1.0", "13 0.0",
         "23 22.0", "33 1.0", "0 SOLID", "5 51", "100 AcDbEntity", "8 0", "100 AcDbTrace", "10 5.0",
         "20 20.0", "30 0.0", "11 7.0", "21 20.0", "31 0.0", "12 5.0", "22 23.0", "32 0.0", "13 7.0",
         "23 23.0", "33 0.0",
         // 4 x 2 pixels of half a unit, from (10,20) less half a pixel.
         "0 IMAGE", "5 52", "100 AcDbEntity", "8 0", "100 AcDbRasterImage", "90 0", "10 10.0", "20 20.0",
         "30 0.0", "11 0.5", "21 0.0", "31 0.0", "12 0.0", "22 0.5", "32 0.0", "13 4.0", "23 2.0", "0 LEADER",
         "5 53", "100 AcDbEntity", "8 0", "100 AcDbLeader", "3 Standard", "76 3", "10 20.0", "20 20.0",
         "30 0.0", "10 21.0", "20 22.0", "30 0.0", "10 23.0", "20 22.0", "30 0.0", "0 DIMENSION", "5 54",
         "100 AcDbEntity", "8 0", "100 AcDbDimension", "2 *D1", "10 34.0", "20 31.0", "30 0.0", "70 32",
         // A reference with an attribute: the block (x -0.5..4, y -0.5..1.5)
         // at (40,0), the attribute's text from (40,-2), 0.5 high.
         "0 INSERT", "5 55", "100 AcDbEntity", "8 0", "100 AcDbBlockReference", "66 1", "2 Parts", "10 40.0",
         "20 0.0", "30 0.0", "0 ATTRIB", "5 56", "100 AcDbEntity", "8 0", "100 AcDbText", "10 40.0",
         "20 -2.0", "30 0.0", "40 0.5", "1 A1", "100 AcDbAttribute", "2 TAG", "70 0", "0 SEQEND", "5 57",
         "100 AcDbEntity", "8 0", "0 INSERT", "5 58", "100 AcDbEntity", "8 0", "100 AcDbBlockReference",
         "2 Parts", "10 50.0", "20 0.0", "30 0.0", "0 REGION", "5 59", "100 AcDbEntity", "8 0",
         "100 AcDbModelerGeometry", "70 1", "1 acis data", "0 ENDSEC", "0 EOF"});
    return text;
}

AcDbObjectId byHandle(AcDbDatabase* pDb, std::uint64_t h) {
    return hs::idFromHandle(pDb, h);
}

// Extents of an entity, rounded to 1e-9, as "x0,y0 x1,y1" (or the status).
std::string extentsOf(AcDbObjectId id) {
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
        return "cannot open";
    AcDbExtents ext;
    Acad::ErrorStatus es = pEnt->getGeomExtents(ext);
    pEnt->close();
    if (es != Acad::eOk)
        return "status " + std::to_string(static_cast<int>(es));
    auto r = [](double v) {
        double x = std::round(v * 1e9) / 1e9;
        return hs::dxf::formatDouble(x == 0 ? 0.0 : x);
    };
    return r(ext.minPoint().x) + "," + r(ext.minPoint().y) + " " + r(ext.maxPoint().x) + "," +
           r(ext.maxPoint().y);
}

TEST_F(KeptShapes, EachKeptEntityHasTheExtentsItsGroupsGive) {
    DbPtr pDb = read(drawing());
    AcDbDatabase* p = pDb.get();
    EXPECT_EQ(extentsOf(byHandle(p, 0x30)), "0.0,0.0 4.0,1.5");
    EXPECT_EQ(extentsOf(byHandle(p, 0x31)), "10.0,0.0 22.0,4.0");
    EXPECT_EQ(extentsOf(byHandle(p, 0x40)), "2.0,10.0 4.0,14.0");
    EXPECT_EQ(extentsOf(byHandle(p, 0x50)), "0.0,20.0 2.0,22.0");
    EXPECT_EQ(extentsOf(byHandle(p, 0x51)), "5.0,20.0 7.0,23.0");
    EXPECT_EQ(extentsOf(byHandle(p, 0x52)), "9.75,19.75 11.75,20.75");
    EXPECT_EQ(extentsOf(byHandle(p, 0x53)), "20.0,20.0 23.0,22.0");
    EXPECT_EQ(extentsOf(byHandle(p, 0x54)), "30.0,30.0 34.0,31.0");
    EXPECT_EQ(extentsOf(byHandle(p, 0x55)), "39.5,-2.0 44.0,1.5");
    // An ACIS body: its shape is not in its groups.
    EXPECT_EQ(extentsOf(byHandle(p, 0x59)),
              "status " + std::to_string(static_cast<int>(Acad::eInvalidExtents)));
}

TEST_F(KeptShapes, ABlockOfSplinesAndCirclesIsSizedByBoth) {
    DbPtr pDb = read(drawing());
    // The plain reference is a database block reference; the block's spline
    // reaches x 4 and y 1.5 beyond its circle.
    AcDbObjectId ref = byHandle(pDb.get(), 0x58);
    EXPECT_EQ(hs::className(ref), "AcDbBlockReference");
    EXPECT_EQ(extentsOf(ref), "49.5,-0.5 54.0,1.5");
}

TEST_F(KeptShapes, TypeFiltersNameKeptEntitiesByTheirFileType) {
    hs::Session::get().setDatabase(read(drawing()).release());
    auto count = [](const char* types) {
        auto text = hs::fromUtf8(types);
        resbuf rb{};
        rb.rbnext = nullptr;
        rb.restype = RTDXF0;
        rb.resval.rstring = &text[0];
        hs::SelectionFilter filter;
        std::string why;
        EXPECT_TRUE(filter.parse(&rb, why)) << why;
        return hs::drawingEntities(&filter).size();
    };
    EXPECT_EQ(count("SPLINE"), 1u);
    EXPECT_EQ(count("SPLINE,HATCH"), 2u);
    EXPECT_EQ(count("*POLYLINE"), 1u);
    EXPECT_EQ(count("INSERT"), 2u);
    EXPECT_EQ(count("~INSERT"), 9u);
    EXPECT_EQ(count("HSDXFKEPTENTITY"), 0u);
    hs::Session::get().setDatabase(new AcDbDatabase(true, true));
}

TEST_F(KeptShapes, AWindowRoundKeptEntitiesSelectsThem) {
    hs::Session::get().setDatabase(read(drawing()).release());
    ivtest::Transcript transcript;
    // The window holds the hatch, the image and the leader, nothing else.
    ivtest::runScript("ERASE\nW\n9,-1\n23,23\n\n");
    AcDbDatabase* pDb = hs::Session::get().database();
    for (std::uint64_t h : {0x31u, 0x52u, 0x53u})
        EXPECT_TRUE(byHandle(pDb, h).isErased()) << std::hex << h;
    for (std::uint64_t h : {0x30u, 0x40u, 0x50u, 0x51u, 0x54u, 0x55u, 0x58u, 0x59u})
        EXPECT_FALSE(byHandle(pDb, h).isErased()) << std::hex << h;
    // A crossing window over the polyline's arc alone finds the polyline.
    ivtest::runScript("ERASE\nC\n1.9,11.9\n2.1,12.1\n\n");
    EXPECT_TRUE(byHandle(pDb, 0x40).isErased());
    EXPECT_FALSE(byHandle(pDb, 0x30).isErased());
    hs::Session::get().setDatabase(new AcDbDatabase(true, true));
}

TEST_F(KeptShapes, AReferenceWithAttributesMovesAndScalesWithItsAttributes) {
    DbPtr pDb = read(drawing());
    AcDbObjectId ref = byHandle(pDb.get(), 0x55);
    HsDxfKeptEntity* pKept = nullptr;
    ASSERT_EQ(acdbOpenObject(pKept, ref, AcDb::kForWrite), Acad::eOk);
    AcGeMatrix3d xform = AcGeMatrix3d::translation(AcGeVector3d(10, 5, 0)) * AcGeMatrix3d::scaling(2.0);
    EXPECT_EQ(pKept->transformBy(xform), Acad::eOk);
    // Stretched one way only, it would no longer be a reference of the block.
    AcGeMatrix3d stretch;
    stretch.entry[0][0] = 3.0;
    EXPECT_EQ(pKept->transformBy(stretch), Acad::eNotApplicable);
    hs::dxf::Tags tags = pKept->tags();
    pKept->close();
    EXPECT_EQ(value(tags, 10, 0), "90.0");
    EXPECT_EQ(value(tags, 20, 0), "5.0");
    EXPECT_EQ(value(tags, 41), "2.0");
    EXPECT_EQ(value(tags, 43), "2.0");
    EXPECT_EQ(value(tags, 10, 1), "90.0");  // the attribute
    EXPECT_EQ(value(tags, 20, 1), "1.0");
    EXPECT_EQ(value(tags, 40), "1.0");
    EXPECT_EQ(value(tags, 1), "A1");
    EXPECT_EQ(extentsOf(ref), "89.0,1.0 98.0,8.0");
    // A spline keeps refusing: its groups are not rewritten.
    AcDbEntity* pSpline = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(pSpline, byHandle(pDb.get(), 0x30), AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(pSpline->transformBy(xform), Acad::eNotApplicable);
    pSpline->close();
    EXPECT_EQ(extentsOf(byHandle(pDb.get(), 0x30)), "0.0,0.0 4.0,1.5");
}

TEST_F(KeptShapes, ThePictureShowsKeptEntities) {
    DbPtr pDb = read(drawing());
    std::string svg = hs::svgOf(pDb.get());
    // Nine shapes of their own (the REGION has none), the dimension's line,
    // and the blocks' spline and circle twice.
    size_t lines = 0;
    for (size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1))
        ++lines;
    EXPECT_GE(lines, 11u) << svg.substr(0, 2000);
}

}  // namespace
