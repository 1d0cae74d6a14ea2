// A watermark built through the API travels with its clones when the host's
// own COPY and MOVE commands copy and move it, and the picture shows the
// clones in the watermark's colour.
#include <fstream>
#include <sstream>

#include "../entity/wmtest.h"
#include "hostsim/dbapi.h"
#include "hostsim/picture.h"
#include "inprocess.h"
#include "ivtest.h"

namespace {

class WatermarkCopyMove : public wmtest::SessionTest {
protected:
    void SetUp() override {
        wmtest::SessionTest::SetUp();
        hs::Session::get().setDatabase(new AcDbDatabase());
    }

    // A watermark of a line (0,0)-(10,0) and a circle at (5,5) r 2, colour 1,
    // appended to model space.
    AcDbObjectId makeWatermark() {
        QWK_WaterMark* pWm = new QWK_WaterMark();
        AcDbLine* pLine = wmtest::newLine(0, 0, 10, 0);
        AcDbCircle* pCircle = new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 2.0);
        EXPECT_TRUE(pWm->set_pEntity(pLine));
        EXPECT_TRUE(pWm->set_pEntity(pCircle));
        delete pLine;
        delete pCircle;
        EXPECT_EQ(pWm->set_ColorIndex(1), Acad::eOk);
        AcDbBlockTableRecord* pSpace = nullptr;
        EXPECT_EQ(acdbOpenObject(pSpace, hs::modelSpaceId(hs::Session::get().database()), AcDb::kForWrite),
                  Acad::eOk);
        AcDbObjectId id;
        EXPECT_EQ(pSpace->appendAcDbEntity(id, pWm), Acad::eOk);
        pWm->close();
        pSpace->close();
        return id;
    }

    std::vector<AcDbObjectId> watermarks() {
        std::vector<AcDbObjectId> ids;
        for (AcDbObjectId id : hs::entitiesOf(hs::modelSpaceId(hs::Session::get().database()))) {
            AcDbEntity* pEnt = nullptr;
            if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
                continue;
            if (QWK_WaterMark::cast(pEnt))
                ids.push_back(id);
            pEnt->close();
        }
        return ids;
    }

    // The clones' geometry of a watermark: line start x, circle centre x and y.
    struct Seen {
        int count = 0;
        double lineStartX = 0, lineStartY = 0, circleX = 0, circleY = 0;
        int lineColour = 0, circleColour = 0, ownColour = 0;
    };
    Seen look(AcDbObjectId id) {
        Seen s;
        QWK_WaterMark* pWm = nullptr;
        EXPECT_EQ(acdbOpenObject(pWm, id, AcDb::kForRead), Acad::eOk);
        if (!pWm)
            return s;
        s.count = pWm->count();
        s.ownColour = pWm->colorIndex();
        if (const AcDbLine* pLine = AcDbLine::cast(pWm->entityAt(0))) {
            s.lineStartX = pLine->startPoint().x;
            s.lineStartY = pLine->startPoint().y;
            s.lineColour = pLine->colorIndex();
        }
        if (const AcDbCircle* pCircle = AcDbCircle::cast(pWm->entityAt(1))) {
            s.circleX = pCircle->center().x;
            s.circleY = pCircle->center().y;
            s.circleColour = pCircle->colorIndex();
        }
        pWm->close();
        return s;
    }
};

TEST_F(WatermarkCopyMove, CopyMakesAWatermarkWithTheSameClonesAtTheNewPlace) {
    AcDbObjectId original = makeWatermark();
    ivtest::runScript("COPY\nALL\n\n0,0\n100,50\n");

    std::vector<AcDbObjectId> ids = watermarks();
    ASSERT_EQ(ids.size(), 2u) << printed();
    AcDbObjectId copy = ids[0] == original ? ids[1] : ids[0];
    Seen s = look(copy);
    EXPECT_EQ(s.count, 2);
    EXPECT_DOUBLE_EQ(s.lineStartX, 100.0);
    EXPECT_DOUBLE_EQ(s.lineStartY, 50.0);
    EXPECT_DOUBLE_EQ(s.circleX, 105.0);
    EXPECT_DOUBLE_EQ(s.circleY, 55.0);
    EXPECT_EQ(s.ownColour, 1);
    EXPECT_EQ(s.lineColour, 1);
    EXPECT_EQ(s.circleColour, 1);

    Seen o = look(original);
    EXPECT_DOUBLE_EQ(o.lineStartX, 0.0) << "the original stays where it was";
    EXPECT_DOUBLE_EQ(o.circleX, 5.0);
}

TEST_F(WatermarkCopyMove, MoveCarriesEveryClone) {
    AcDbObjectId id = makeWatermark();
    ivtest::runScript("MOVE\nALL\n\n0,0\n-20,30\n");
    Seen s = look(id);
    EXPECT_EQ(s.count, 2) << printed();
    EXPECT_DOUBLE_EQ(s.lineStartX, -20.0);
    EXPECT_DOUBLE_EQ(s.lineStartY, 30.0);
    EXPECT_DOUBLE_EQ(s.circleX, -15.0);
    EXPECT_DOUBLE_EQ(s.circleY, 35.0);
}

TEST_F(WatermarkCopyMove, ThePictureShowsTheClonesOfTheCopyInTheWatermarkColour) {
    makeWatermark();
    ivtest::runScript("COPY\nALL\n\n0,0\n100,50\n");
    ivtest::TempDir dir;
    std::string path = dir.file("copy.svg");
    std::string error;
    ASSERT_TRUE(hs::writeSvg(hs::Session::get().database(), path, &error)) << error;
    std::string svg = ivtest::readFile(path);
    const std::string red = "stroke=\"" + hs::paletteColour(1) + "\"";
    size_t circles = 0;
    for (size_t at = svg.find("<circle"); at != std::string::npos; at = svg.find("<circle", at + 1)) {
        size_t end = svg.find('>', at);
        EXPECT_NE(svg.substr(at, end - at).find(red), std::string::npos) << svg.substr(at, end - at);
        ++circles;
    }
    EXPECT_EQ(circles, 2u) << "one circle clone per watermark:\n" << svg;
    size_t redLines = 0;
    for (size_t at = svg.find("<polyline " + red); at != std::string::npos;
         at = svg.find("<polyline " + red, at + 1))
        ++redLines;
    EXPECT_EQ(redLines, 2u) << "one line clone per watermark:\n" << svg;
}

}  // namespace
