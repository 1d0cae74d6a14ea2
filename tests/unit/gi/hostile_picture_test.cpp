// The picture is always well-formed XML, whatever the drawing holds: texts
// with control characters or bytes that are not UTF-8, entities far away
// (coordinates near the largest double), and geometry that is not finite,
// which is left out with a message. xmllint (libxml2-utils) checks the files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "dbents.h"
#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/picture.h"
#include "hostsim/session.h"
#include "ivtest.h"

namespace {

bool haveXmllint() {
#if defined(_WIN32)
    return false;
#else
    return std::system("xmllint --version >/dev/null 2>&1") == 0;
#endif
}

// xmllint's verdict on the file: true when well-formed.
bool wellFormed(const std::string& path) {
    std::string cmd = "xmllint --noout '" + path + "' 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

std::string entities(const std::string& body) {
    return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
}

std::string text(const std::string& value, double x = 0) {
    return "0\nTEXT\n8\n0\n10\n" + std::to_string(x) + "\n20\n0\n30\n0\n40\n2.5\n1\n" + value + "\n";
}

ivtest::Run picture(const std::string& dxf, const std::string& name) {
    ivtest::TempDir dir;
    std::string drawing = dir.file(name);
    ivtest::writeFile(drawing, dxf);
    ivtest::HostsimOptions o;
    o.loadModule = false;
    o.drawing = drawing;
    o.saveSvg = "out.svg";
    return ivtest::runHostsim("", o);
}

TEST(HostilePicture, ControlCharactersInATextAreLeftOut) {
    ivtest::Run run = picture(entities(text(std::string("bell\x07") + "tab\tesc\x1b" + "end<&>")), "ctl.dxf");
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::string svg = ivtest::readFile(run.svgPath);
    EXPECT_NE(svg.find(">belltab\tescend&lt;&amp;&gt;</text>"), std::string::npos) << svg;
    if (haveXmllint()) {
        EXPECT_TRUE(wellFormed(run.svgPath)) << svg;
    }
}

TEST(HostilePicture, BytesThatAreNotUtf8BecomeTheReplacementCharacter) {
    ivtest::Run run = picture(entities(text("bad\xff\xfe"
                                            "byte")),
                              "bytes.dxf");
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::string svg = ivtest::readFile(run.svgPath);
    EXPECT_EQ(svg.find('\xff'), std::string::npos);
    if (haveXmllint()) {
        EXPECT_TRUE(wellFormed(run.svgPath)) << svg;
    }
}

TEST(HostilePicture, EntitiesAtTheEndsOfTheNumberRangeGiveFiniteSizes) {
    std::string body =
        "0\nLINE\n8\n0\n10\n-1e308\n20\n-1e308\n30\n0\n11\n1e308\n21\n1e308\n31\n0\n" + text("far", 1e307);
    ivtest::Run run = picture(entities(body), "far.dxf");
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::string svg = ivtest::readFile(run.svgPath);
    EXPECT_EQ(svg.find("nan"), std::string::npos) << svg;
    EXPECT_EQ(svg.find("inf"), std::string::npos) << svg;
    EXPECT_NE(svg.find("width=\"1040.00\""), std::string::npos) << svg;
    if (haveXmllint()) {
        EXPECT_TRUE(wellFormed(run.svgPath)) << svg;
    }
}

TEST(HostilePicture, GeometryThatIsNotFiniteIsLeftOutWithANote) {
    hs::Session& s = hs::Session::get();
    s.setDatabase(new AcDbDatabase());
    AcDbDatabase* pDb = s.database();
    AcDbBlockTableRecord* pMs = nullptr;
    ASSERT_EQ(acdbOpenObject(pMs, hs::modelSpaceId(pDb), AcDb::kForWrite), Acad::eOk);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    AcDbLine* pGood = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0));
    AcDbLine* pNan = new AcDbLine(AcGePoint3d(nan, 0, 0), AcGePoint3d(1, 1, 0));
    AcDbCircle* pInf = new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, inf);
    for (AcDbEntity* pEnt : std::initializer_list<AcDbEntity*>{pGood, pNan, pInf}) {
        ASSERT_EQ(pMs->appendAcDbEntity(pEnt), Acad::eOk);
        pEnt->close();
    }
    pMs->close();
    std::string note;
    std::string svg = hs::svgOfNoted(pDb, &note);
    EXPECT_EQ(svg.find("nan"), std::string::npos) << svg;
    EXPECT_EQ(svg.find("inf"), std::string::npos) << svg;
    EXPECT_NE(svg.find("points=\"20.00,1020.00 1020.00,20.00\""), std::string::npos)
        << "the good line fills it\n"
        << svg;
    EXPECT_NE(note.find("leaves out 2 shapes"), std::string::npos) << note;
    s.setDatabase(new AcDbDatabase());
}

}  // namespace
