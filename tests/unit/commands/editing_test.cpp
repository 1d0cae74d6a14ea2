// The host's drawing and editing commands run from a script: the geometry
// they make, MOVE/ROTATE/SCALE/COPY, ERASE and OOPS with an entity that
// refuses to be erased, undo and redo, CHPROP and -LAYER.
#include <cmath>

#include "acedads.h"
#include "edfixture.h"

// A line whose erase hook refuses every erase and unerase.
class StubbornLine : public AcDbLine {
public:
    ACRX_DECLARE_MEMBERS(StubbornLine);
    StubbornLine() = default;
    StubbornLine(const AcGePoint3d& a, const AcGePoint3d& b) : AcDbLine(a, b) {}
    Acad::ErrorStatus subErase(Adesk::Boolean) override {
        assertWriteEnabled();
        return Acad::eInvalidInput;
    }
};
ACRX_DXF_DEFINE_MEMBERS(StubbornLine, AcDbLine, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, STUBBORNLINE,
                        CTEST);

namespace {

using edtest::EdTest;

class Editing : public EdTest {
protected:
    static void SetUpTestSuite() {
        hs::Session::get();
        if (StubbornLine::desc() == nullptr) {
            StubbornLine::rxInit();
            acrxBuildClassHierarchy();
        }
    }
    static double radiusOf(AcDbObjectId id) {
        AcDbCircle* p = nullptr;
        double r = 0;
        if (acdbOpenObject(p, id, AcDb::kForRead) == Acad::eOk) {
            r = p->radius();
            p->close();
        }
        return r;
    }
    static AcGePoint3d centreOf(AcDbObjectId id) {
        AcDbCircle* p = nullptr;
        AcGePoint3d c;
        if (acdbOpenObject(p, id, AcDb::kForRead) == Acad::eOk) {
            c = p->center();
            p->close();
        }
        return c;
    }
    static int colourOf(AcDbObjectId id) {
        AcDbEntity* p = nullptr;
        int c = -1;
        if (acdbOpenAcDbEntity(p, id, AcDb::kForRead) == Acad::eOk) {
            c = p->colorIndex();
            p->close();
        }
        return c;
    }
    static std::string layerOf(AcDbObjectId id) {
        AcDbEntity* p = nullptr;
        std::string s;
        if (acdbOpenAcDbEntity(p, id, AcDb::kForRead) == Acad::eOk) {
            s = edtest::str(p->hsLayerName());
            p->close();
        }
        return s;
    }
};

TEST_F(Editing, LineDrawsOneSegmentPerPointAndCloseReturnsToTheStart) {
    run("LINE\n0,0\n10,0\n10,10\nC\n");
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(ids.size(), 3u) << out();
    EXPECT_POINT(startOf(ids[2]), 10, 10, 0);
    EXPECT_POINT(endOf(ids[2]), 0, 0, 0);
    EXPECT_EQ(newFaults(), 0) << out();
}

TEST_F(Editing, LineUndoTakesBackTheLastSegment) {
    run("LINE\n0,0\n10,0\n20,5\nU\n10,10\n\n");
    std::vector<AcDbObjectId> ids = live(modelSpace());
    ASSERT_EQ(ids.size(), 2u) << out();
    EXPECT_POINT(endOf(ids[1]), 10, 10, 0);
}

TEST_F(Editing, CircleArcPolylineAndTextMakeTheirEntities) {
    run("CIRCLE\n5,5\n2\nCIRCLE\n2P\n0,0\n4,0\nARC\n1,0\n0,1\n-1,0\nPLINE\n0,0\n10,0\nA\n10,10\nL\n0,10\nC\n"
        "TEXT\n0,20\n3\n0\nHello world\n");
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(ids.size(), 5u) << out();
    EXPECT_DOUBLE_EQ(radiusOf(ids[0]), 2);
    EXPECT_POINT(centreOf(ids[1]), 2, 0, 0);
    AcDbArc* pArc = nullptr;
    ASSERT_EQ(acdbOpenObject(pArc, ids[2], AcDb::kForRead), Acad::eOk);
    EXPECT_NEAR(pArc->radius(), 1, 1e-12);
    EXPECT_NEAR(pArc->startAngle(), 0, 1e-12);
    EXPECT_NEAR(pArc->endAngle(), 3.14159265358979323846, 1e-12);
    pArc->close();
    AcDbPolyline* pPl = nullptr;
    ASSERT_EQ(acdbOpenObject(pPl, ids[3], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pPl->numVerts(), 4u);
    EXPECT_TRUE(pPl->isClosed());
    double bulge = 0;
    pPl->getBulgeAt(1, bulge);
    EXPECT_NEAR(bulge, 1, 1e-12) << "a tangent arc from a straight segment turning back is a half circle";
    pPl->close();
    AcDbText* pText = nullptr;
    ASSERT_EQ(acdbOpenObject(pText, ids[4], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(edtest::str(pText->textStringConst()), "Hello world");
    EXPECT_DOUBLE_EQ(pText->height(), 3);
    pText->close();
}

TEST_F(Editing, MoveRotateAndScaleTransformTheSelection) {
    AcDbObjectId l = addLine(0, 0, 10, 0);
    run("MOVE\n5,0\n\n0,0\n3,4\n");
    EXPECT_POINT(startOf(l), 3, 4, 0);
    EXPECT_POINT(endOf(l), 13, 4, 0);
    run("ROTATE\nL\n\n3,4\n90\n");
    EXPECT_POINT(endOf(l), 3, 14, 0);
    run("SCALE\nL\n\n3,4\n0.5\n");
    EXPECT_POINT(endOf(l), 3, 9, 0);
    EXPECT_EQ(newFaults(), 0) << out();
}

TEST_F(Editing, CopyAddsAMovedCopyAndLeavesTheOriginal) {
    AcDbObjectId c = addCircle(0, 0, 1);
    run("COPY\nL\n\n0,0\n10,5\n");
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(ids.size(), 2u) << out();
    EXPECT_POINT(centreOf(c), 0, 0, 0);
    EXPECT_POINT(centreOf(ids[1]), 10, 5, 0);
    EXPECT_DOUBLE_EQ(radiusOf(ids[1]), 1);
}

TEST_F(Editing, CopyMultipleMakesACopyForEverySecondPoint) {
    addCircle(0, 0, 1);
    run("COPY\nL\n\nM\n0,0\n1,0\n2,0\n3,0\n\n");
    EXPECT_EQ(modelSpace().size(), 4u) << out();
}

TEST_F(Editing, EraseLeavesAnEntityThatRefusesAndSaysHowManyWereNotErased) {
    AcDbObjectId plain = addLine(0, 0, 1, 0);
    AcDbObjectId stubborn = append(new StubbornLine(AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0)));
    run("ERASE\nALL\n\n");
    EXPECT_TRUE(plain.isErased());
    EXPECT_FALSE(stubborn.isErased());
    EXPECT_NE(out().find("1 object was not erased."), std::string::npos) << out();
    run("OOPS\n");
    EXPECT_FALSE(plain.isErased()) << "OOPS brings back what ERASE erased";
}

TEST_F(Editing, EntitiesOnALockedLayerAreNotMovedAndTheCommandSaysSo) {
    run("-LAYER\nNew\nFixed\n\n");
    AcDbObjectId l = addLine(0, 0, 1, 0);
    run("CHPROP\nL\n\nLA\nFixed\n\n-LAYER\nLO\nFixed\n\nMOVE\nL\n\n0,0\n5,5\n");
    EXPECT_EQ(layerOf(l), "Fixed");
    EXPECT_POINT(startOf(l), 0, 0, 0);
    EXPECT_NE(out().find("1 was on a locked layer."), std::string::npos) << out();
    AcDbEntity* pEnt = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(pEnt, l, AcDb::kForWrite), Acad::eOnLockedLayer);
    run("-LAYER\nU\nFixed\n\nMOVE\nL\n\n0,0\n5,5\n");
    EXPECT_POINT(startOf(l), 5, 5, 0);
}

TEST_F(Editing, ChpropChangesColourLinetypeScaleAndLineweight) {
    AcDbObjectId c = addCircle(0, 0, 1);
    run("CHPROP\nL\n\nC\n3\nS\n2.5\nLW\n0.3\n\n");
    EXPECT_EQ(colourOf(c), 3);
    AcDbEntity* p = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(p, c, AcDb::kForRead), Acad::eOk);
    EXPECT_DOUBLE_EQ(p->linetypeScale(), 2.5);
    EXPECT_EQ(p->lineWeight(), AcDb::kLnWt030);
    p->close();
    run("CHPROP\nL\n\nC\nred\n\nCHPROP\nL\n\nC\n300\n^C\n");
    EXPECT_EQ(colourOf(c), 1);
    EXPECT_NE(out().find("Invalid color."), std::string::npos);
}

TEST_F(Editing, LayerMakeSetsTheCurrentLayerForNewEntities) {
    run("-LAYER\nMake\nWalls\n\nLINE\n0,0\n1,1\n\n");
    EXPECT_EQ(layerOf(modelSpace().back()), "Walls");
    run("-LAYER\nSet\nNoSuchLayer\n\n");
    EXPECT_NE(out().find("Cannot find layer \"NoSuchLayer\"."), std::string::npos);
}

TEST_F(Editing, UUndoRedoAndMredoWalkTheUndoLog) {
    run("LINE\n0,0\n1,0\n\nLINE\n0,1\n1,1\n\nCIRCLE\n0,0\n1\n");
    ASSERT_EQ(live(modelSpace()).size(), 3u);
    run("U\n");
    EXPECT_EQ(live(modelSpace()).size(), 2u);
    run("UNDO\n2\n");
    EXPECT_EQ(live(modelSpace()).size(), 0u) << out();
    run("REDO\n");
    EXPECT_EQ(live(modelSpace()).size(), 1u);
    run("MREDO\n2\n");
    EXPECT_EQ(live(modelSpace()).size(), 3u) << out();
    run("UNDO\nB\nY\n");
    EXPECT_EQ(live(modelSpace()).size(), 0u) << out();
}

TEST_F(Editing, UndoOfAMoveRestoresThePosition) {
    AcDbObjectId l = addLine(0, 0, 10, 0);
    run("MOVE\nL\n\n0,0\n5,5\nU\n");
    EXPECT_POINT(startOf(l), 0, 0, 0);
}

TEST_F(Editing, ListShowsEachSelectedEntity) {
    addLine(0, 0, 10, 0);
    run("LIST\nL\n\n");
    EXPECT_NE(out().find("LINE"), std::string::npos) << out();
}

TEST_F(Editing, ACancelledPromptEndsTheCommandWithoutChanges) {
    AcDbObjectId l = addLine(0, 0, 10, 0);
    run("MOVE\nL\n\n0,0\n^C\n");
    EXPECT_POINT(startOf(l), 0, 0, 0);
    EXPECT_NE(out().find("*Cancel*"), std::string::npos);
}

}  // namespace
