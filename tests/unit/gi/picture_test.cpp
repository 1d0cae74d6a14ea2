// The picture shows model space in draw order, each entity in its palette
// colour; a nested drawable takes its own colour, ByBlock the caller's and
// ByLayer its layer's; blocks are drawn where their references place them.
#include "hostsim/picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/session_imp.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace {

const double kPi = 3.14159265358979323846;

// Draws its children after setting its traits' colour, as a watermark does.
class Wrapper : public AcGiDrawable {
public:
    Wrapper(Adesk::UInt16 colour, std::vector<AcGiDrawable*> children)
        : m_colour(colour), m_children(children) {}
#if IRONVEIL_RELEASE >= 18
protected:
    Adesk::UInt32 subSetAttributes(AcGiDrawableTraits*) override {
        return 0;
    }
    Adesk::Boolean subWorldDraw(AcGiWorldDraw* pWd) override {
        return draw(pWd);
    }
    void subViewportDraw(AcGiViewportDraw*) override {}
#else
    Adesk::UInt32 setAttributes(AcGiDrawableTraits*) override {
        return 0;
    }
    Adesk::Boolean worldDraw(AcGiWorldDraw* pWd) override {
        return draw(pWd);
    }
    void viewportDraw(AcGiViewportDraw*) override {}
#endif
private:
    Adesk::Boolean draw(AcGiWorldDraw* pWd) {
        pWd->subEntityTraits().setColor(m_colour);
        for (AcGiDrawable* p : m_children)
            pWd->geometry().draw(p);
        return Adesk::kTrue;
    }
    Adesk::UInt16 m_colour;
    std::vector<AcGiDrawable*> m_children;
};

std::vector<std::string> all(const std::string& text, const std::string& pattern) {
    std::vector<std::string> out;
    std::regex re(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        out.push_back((*it)[1].str());
    return out;
}

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        hs::Session::Imp& imp = hs::Session::get().imp();
        imp.capturing = true;
        imp.toStdout = false;
        hs::Session::get().setDatabase(new AcDbDatabase());
        db = hs::Session::get().database();
    }
    void TearDown() override { hs::Session::get().imp().capturing = false; }

    AcDbObjectId append(AcDbEntity* pEnt, AcDbObjectId owner = AcDbObjectId::kNull) {
        AcDbBlockTableRecord* pRec = nullptr;
        EXPECT_EQ(acdbOpenObject(pRec, owner.isNull() ? hs::modelSpaceId(db) : owner, AcDb::kForWrite),
                  Acad::eOk);
        AcDbObjectId id;
        EXPECT_EQ(pRec->appendAcDbEntity(id, pEnt), Acad::eOk);
        pEnt->close();
        pRec->close();
        return id;
    }
    AcDbLine* line(double x1, double y1, double x2, double y2, int colour) {
        AcDbLine* p = new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0));
        p->setColorIndex(static_cast<Adesk::UInt16>(colour));
        return p;
    }
    void addLayer(const char* name, int colour, bool off) {
        AcDbLayerTable* pTable = nullptr;
        ASSERT_EQ(db->getLayerTable(pTable, AcDb::kForWrite), Acad::eOk);
        AcDbLayerTableRecord* pLayer = new AcDbLayerTableRecord();
        pLayer->setName(hs::fromUtf8(name).c_str());
        AcCmColor c;
        c.setColorIndex(static_cast<Adesk::UInt16>(colour));
        pLayer->setColor(c);
        pLayer->setIsOff(off);
        EXPECT_EQ(pTable->add(pLayer), Acad::eOk);
        pLayer->close();
        pTable->close();
    }

    AcDbDatabase* db = nullptr;
};

}  // namespace

TEST(Palette, IndexColoursAreTheHostsStandardOnes) {
    EXPECT_EQ(hs::paletteColour(1), "#ff0000");
    EXPECT_EQ(hs::paletteColour(2), "#ffff00");
    EXPECT_EQ(hs::paletteColour(3), "#00ff00");
    EXPECT_EQ(hs::paletteColour(5), "#0000ff");
    EXPECT_EQ(hs::paletteColour(8), "#808080");
    EXPECT_EQ(hs::paletteColour(11), "#ff7f7f");
    EXPECT_EQ(hs::paletteColour(250), "#333333");
    // White on the host's dark screen, black on the white picture.
    EXPECT_EQ(hs::paletteColour(7), "#000000");
}

TEST_F(PictureTest, EntitiesAreDrawnInDrawOrderNotCreationOrder) {
    AcDbObjectId first = append(line(0, 0, 10, 0, 1));
    append(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 2));
    AcDbObjectId text =
        append(new AcDbText(AcGePoint3d(1, 1, 0), hs::fromUtf8("T").c_str(), AcDbObjectId::kNull, 1.0, 0.0));
    EXPECT_EQ(all(hs::svgOf(db), "data-entity=\"(\\w+)\""),
              (std::vector<std::string>{"LINE", "CIRCLE", "TEXT"}));
    hs::sendToBack({text});
    hs::bringToFront({first});
    EXPECT_EQ(all(hs::svgOf(db), "data-entity=\"(\\w+)\""),
              (std::vector<std::string>{"TEXT", "CIRCLE", "LINE"}));
}

TEST_F(PictureTest, EachEntityIsDrawnInItsPaletteColourAndByLayerInItsLayers) {
    addLayer("RED", 1, false);
    append(line(0, 0, 1, 0, 3));
    AcDbLine* pByLayer = line(0, 1, 1, 1, 256);
    pByLayer->setLayer(hs::fromUtf8("RED").c_str());
    append(pByLayer);
    append(line(0, 2, 1, 2, 7));
    EXPECT_EQ(all(hs::svgOf(db), "stroke=\"(#[0-9a-f]{6})\""),
              (std::vector<std::string>{"#00ff00", "#ff0000", "#000000"}));
}

TEST_F(PictureTest, EntitiesOnALayerThatIsOffAreNotDrawn) {
    addLayer("HIDDEN", 2, true);
    AcDbLine* p = line(0, 0, 1, 0, 3);
    p->setLayer(hs::fromUtf8("HIDDEN").c_str());
    append(p);
    append(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    EXPECT_EQ(all(hs::svgOf(db), "data-entity=\"(\\w+)\""), (std::vector<std::string>{"CIRCLE"}));
}

TEST_F(PictureTest, ANestedEntityTakesItsOwnColourAndByBlockTakesTheCallers) {
    AcDbLine own(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    own.setColorIndex(1);
    AcDbLine byBlock(AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0));
    byBlock.setColorIndex(0);
    Wrapper wrapper(5, {&own, &byBlock});
    std::string svg = hs::svgOfDrawables({&wrapper});
    EXPECT_EQ(all(svg, "stroke=\"(#[0-9a-f]{6})\""), (std::vector<std::string>{"#ff0000", "#0000ff"}));
}

TEST_F(PictureTest, ABlockIsDrawnWhereItsReferencePlacesItWithByBlockInTheReferencesColour) {
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(db->getBlockTable(pTable, AcDb::kForWrite), Acad::eOk);
    AcDbBlockTableRecord* pBlock = new AcDbBlockTableRecord();
    pBlock->setName(hs::fromUtf8("MARK").c_str());
    AcDbObjectId block;
    ASSERT_EQ(pTable->add(block, pBlock), Acad::eOk);
    pBlock->close();
    pTable->close();
    append(line(0, 0, 1, 0, 0), block);
    // A second line fixes the picture's scale: 100 units over 1000 pixels.
    append(line(0, 0, 100, 0, 3));
    AcDbBlockReference* pRef = new AcDbBlockReference(AcGePoint3d(50, 0, 0), block);
    pRef->setScaleFactors(AcGeScale3d(10.0));
    pRef->setRotation(kPi / 2);
    pRef->setColorIndex(6);
    append(pRef);
    std::string svg = hs::svgOf(db);
    std::vector<std::string> lines = all(svg, "<polyline stroke=\"(#[0-9a-f]{6}\" points=\"[^\"]*)\"");
    ASSERT_EQ(lines.size(), 2u) << svg;
    // From (50,0) up to (50,10): x 520 px, y from the bottom margin up 100 px.
    EXPECT_EQ(lines[1], "#ff00ff\" points=\"520.00,120.00 520.00,20.00") << svg;
}

TEST_F(PictureTest, TheYAxisPointsUpAndTheDrawingFitsThePicture) {
    append(line(0, 0, 0, 50, 7));
    append(line(0, 0, 100, 0, 7));
    std::string svg = hs::svgOf(db);
    EXPECT_NE(svg.find("width=\"1040.00\" height=\"540.00\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("points=\"20.00,520.00 20.00,20.00\""), std::string::npos) << svg;
}

TEST_F(PictureTest, TextIsDrawnAsSvgTextWithItsHeightAndEscaped) {
    append(line(0, 0, 100, 0, 7));
    append(
        new AcDbText(AcGePoint3d(10, 0, 0), hs::fromUtf8("R&D <1>").c_str(), AcDbObjectId::kNull, 5.0, 0.0));
    std::string svg = hs::svgOf(db);
    EXPECT_NE(svg.find("font-size=\"50.00\""), std::string::npos) << svg;
    EXPECT_NE(svg.find(">R&amp;D &lt;1&gt;</text>"), std::string::npos) << svg;
}

TEST_F(PictureTest, ABulgedPolylineSegmentIsDrawnAsAnArc) {
    AcDbPolyline* pl = new AcDbPolyline();
    pl->addVertexAt(0, AcGePoint2d(0, 0));
    pl->addVertexAt(1, AcGePoint2d(10, 0), 1.0);
    pl->addVertexAt(2, AcGePoint2d(10, 10));
    append(pl);
    std::string svg = hs::svgOf(db);
    EXPECT_EQ(all(svg, "<(polyline|path) ").size(), 2u) << svg;
    EXPECT_NE(svg.find(" A "), std::string::npos) << svg;
}

TEST_F(PictureTest, ThePictureIsWrittenToAFileAndAFolderThatDoesNotExistIsReported) {
    append(line(0, 0, 1, 1, 1));
    std::string path = ::testing::TempDir() + "picture_test.svg";
    std::string error;
    ASSERT_TRUE(hs::writeSvg(db, path, &error)) << error;
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str(), hs::svgOf(db));
    std::remove(path.c_str());
    EXPECT_FALSE(hs::writeSvg(db, "/no/such/folder/x.svg", &error));
    EXPECT_NE(error.find("/no/such/folder/x.svg"), std::string::npos);
}

TEST_F(PictureTest, ChineseTextIsWrittenAsUtf8AndEachCharacterTakesTwoCells) {
    append(line(0, 0, 100, 0, 7));
    const char* utf8 = "\xE6\xB0\xB4\xE5\x8D\xB0";  // two characters
#if HOSTSIM_WIDE
    hs::tstring text = hs::fromUtf8(utf8);
#else
    hs::tstring text = "\xCB\xAE\xD3\xA1";  // the same two in the system code page (GBK)
#endif
    append(new AcDbText(AcGePoint3d(10, 0, 0), text.c_str(), AcDbObjectId::kNull, 5.0, 0.0));
    std::string svg = hs::svgOf(db);
    EXPECT_NE(svg.find(std::string(">") + utf8 + "</text>"), std::string::npos) << svg;
    // Four cells of 5 units at 10 pixels a unit.
    EXPECT_NE(svg.find("textLength=\"200.00\""), std::string::npos) << svg;
}
