// What the host sees of a watermark: drawing, listing, extents, transforms,
// transformed copies and grips, all answered through the clones.
#include "filing/dwgfiler.h"
#include "wmtest.h"

namespace {

class WatermarkDisplay : public wmtest::SessionTest {};

// A world-draw context that records what is drawn, in order.
class RecordingDraw : public AcGiWorldDraw {
    class Traits : public AcGiSubEntityTraits {
    public:
        explicit Traits(std::vector<std::string>& log) : m_log(log) {}
        void setColor(const Adesk::UInt16 color) override {
            m_colour = color;
            m_log.push_back("colour " + std::to_string(color));
        }
        void setTrueColor(const AcCmEntityColor&) override {}
        void setLayer(const AcDbObjectId) override {}
        void setLineType(const AcDbObjectId) override {}
        Adesk::UInt16 color() const override { return m_colour; }

    private:
        std::vector<std::string>& m_log;
        Adesk::UInt16 m_colour = 256;
    };
    class Geometry : public AcGiWorldGeometry {
    public:
        explicit Geometry(std::vector<std::string>& log, std::vector<const AcGiDrawable*>& drawn)
            : m_log(log), m_drawn(drawn) {}
        Adesk::Boolean circle(const AcGePoint3d&, const double, const AcGeVector3d&) const override {
            return 0;
        }
        Adesk::Boolean circularArc(const AcGePoint3d&, const double, const AcGeVector3d&, const AcGeVector3d&,
                                   const double, const AcGiArcType) const override {
            return 0;
        }
        Adesk::Boolean polyline(const Adesk::UInt32, const AcGePoint3d*, const AcGeVector3d*,
                                Adesk::Int32) const override {
            return 0;
        }
        Adesk::Boolean text(const AcGePoint3d&, const AcGeVector3d&, const AcGeVector3d&, const double,
                            const double, const double, const ACHAR*) const override {
            return 0;
        }
        Adesk::Boolean draw(AcGiDrawable* pDrawable) const override {
            m_log.push_back("draw");
            m_drawn.push_back(pDrawable);
            return 0;
        }
        Adesk::Boolean pushModelTransform(const AcGeMatrix3d&) override { return 0; }
        Adesk::Boolean popModelTransform() override { return 0; }

    private:
        std::vector<std::string>& m_log;
        std::vector<const AcGiDrawable*>& m_drawn;
    };

public:
    RecordingDraw() : m_traits(log), m_geometry(log, drawn) {}
    AcGiSubEntityTraits& subEntityTraits() const override { return const_cast<Traits&>(m_traits); }
    Adesk::Boolean regenAbort() const override { return 0; }
    AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
    AcGiWorldGeometry& geometry() const override { return const_cast<Geometry&>(m_geometry); }

    std::vector<std::string> log;
    std::vector<const AcGiDrawable*> drawn;

private:
    Traits m_traits;
    Geometry m_geometry;
};

QWK_WaterMark* threeLines() {
    QWK_WaterMark* pWm = new QWK_WaterMark();
    wmtest::fill(*pWm,
                 {wmtest::newLine(0, 0, 1, 0), wmtest::newLine(0, 1, 1, 1), wmtest::newLine(0, 2, 1, 2)});
    return pWm;
}

}  // namespace

TEST_F(WatermarkDisplay, ItDrawsEachCloneInOrderAfterOneColourSetting) {
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    wm->set_ColorIndex(3);
    RecordingDraw draw;
    EXPECT_TRUE(wm->worldDraw(&draw));
    EXPECT_EQ(draw.log, (std::vector<std::string>{"colour 3", "draw", "draw", "draw"}));
    ASSERT_EQ(draw.drawn.size(), 3u);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(draw.drawn[i], static_cast<const AcGiDrawable*>(wm->entityAt(i)));
}

TEST_F(WatermarkDisplay, AnEmptyWatermarkDrawsNothing) {
    QWK_WaterMark wm;
    RecordingDraw draw;
    EXPECT_TRUE(wm.worldDraw(&draw));
    EXPECT_TRUE(draw.drawn.empty());
}

TEST_F(WatermarkDisplay, ListPrintsOnlyTheSignature) {
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    wm->list();
    EXPECT_EQ(printed(), "QUILLWERK WATERMARK, By https://www.halvorn.example");
}

TEST_F(WatermarkDisplay, ExtentsAreTheUnionOfTheClonesAndTheCallersBox) {
    QWK_WaterMark wm;
    wmtest::fill(wm, {wmtest::newLine(-5, 2, 0, 3), wmtest::newLine(20, 10, 25, 12)});
    AcDbExtents ext;
    ASSERT_EQ(wm.getGeomExtents(ext), Acad::eOk);
    EXPECT_EQ(ext.minPoint(), AcGePoint3d(-5, 2, 0));
    EXPECT_EQ(ext.maxPoint(), AcGePoint3d(25, 12, 0));

    AcDbExtents caller(AcGePoint3d(-100, 0, -1), AcGePoint3d(0, 50, 0));
    ASSERT_EQ(wm.getGeomExtents(caller), Acad::eOk);
    EXPECT_EQ(caller.minPoint(), AcGePoint3d(-100, 0, -1));
    EXPECT_EQ(caller.maxPoint(), AcGePoint3d(25, 50, 0));
}

TEST_F(WatermarkDisplay, AnEmptyWatermarkLeavesTheCallersExtentsAlone) {
    QWK_WaterMark wm;
    AcDbExtents caller(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6));
    EXPECT_EQ(wm.getGeomExtents(caller), Acad::eOk);
    EXPECT_EQ(caller.minPoint(), AcGePoint3d(1, 2, 3));
    EXPECT_EQ(caller.maxPoint(), AcGePoint3d(4, 5, 6));
    AcGeMatrix3d move;
    move.setToTranslation(AcGeVector3d(1, 0, 0));
    EXPECT_EQ(wm.transformBy(move), Acad::eOk);
}

TEST_F(WatermarkDisplay, TransformMovesEveryClone) {
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    AcGeMatrix3d move;
    move.setToTranslation(AcGeVector3d(10, 20, 0));
    ASSERT_EQ(wm->transformBy(move), Acad::eOk);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(wmtest::lineAt(*wm, i)->startPoint(), AcGePoint3d(10, 20 + i, 0));
}

TEST_F(WatermarkDisplay, ATransformRefusedByTheSecondCloneLeavesEveryCloneAsItWasWithLine150) {
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    hs::armFault("AcDbEntity::transformBy", Acad::eNotApplicable, /*skip=*/1);
    AcGeMatrix3d move;
    move.setToTranslation(AcGeVector3d(10, 0, 0));
    EXPECT_EQ(wm->transformBy(move), Acad::eNotApplicable);
    EXPECT_EQ(wmtest::lineAt(*wm, 0)->startPoint(), AcGePoint3d(0, 0, 0)) << "all or nothing";
    EXPECT_EQ(wmtest::lineAt(*wm, 1)->startPoint(), AcGePoint3d(0, 1, 0));
    EXPECT_EQ(wmtest::lineAt(*wm, 2)->startPoint(), AcGePoint3d(0, 2, 0));
    EXPECT_EQ(printed(), wmtest::errorLine(150, Acad::eNotApplicable));
}

TEST_F(WatermarkDisplay, AShapeTheCircleCannotTakeLeavesTheLineUnscaledToo) {
    // A line takes a non-uniform scaling, a circle does not.
    QWK_WaterMark wm;
    wmtest::fill(
        wm, {wmtest::newLine(0, 0, 10, 5), new AcDbCircle(AcGePoint3d(3, 3, 0), AcGeVector3d::kZAxis, 1)});
    clearPrinted();
    AcGeMatrix3d stretch;
    stretch.entry[0][0] = 2.0;
    Acad::ErrorStatus es = wm.transformBy(stretch);
    EXPECT_NE(es, Acad::eOk);
    EXPECT_EQ(wmtest::lineAt(wm, 0)->endPoint(), AcGePoint3d(10, 5, 0));
    const AcDbCircle* pCircle = AcDbCircle::cast(wm.entityAt(1));
    ASSERT_NE(pCircle, nullptr);
    EXPECT_EQ(pCircle->center(), AcGePoint3d(3, 3, 0));
    EXPECT_EQ(printed(), wmtest::errorLine(150, es));
    // A transform every clone takes moves them all.
    AcGeMatrix3d move;
    move.setToTranslation(AcGeVector3d(1, 0, 0));
    ASSERT_EQ(wm.transformBy(move), Acad::eOk);
    EXPECT_EQ(wmtest::lineAt(wm, 0)->endPoint(), AcGePoint3d(11, 5, 0));
    EXPECT_EQ(AcDbCircle::cast(wm.entityAt(1))->center(), AcGePoint3d(4, 3, 0));
}

TEST_F(WatermarkDisplay, TheTransformedCopyHoldsTransformedClonesAndKeepsTheLook) {
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    wm->set_ColorIndex(1);
    wm->setLinetypeScale(3.0);
    AcGeMatrix3d scale;
    scale.setToScaling(2.0, AcGePoint3d(0, 0, 0));
    AcDbEntity* pCopy = nullptr;
    ASSERT_EQ(wm->getTransformedCopy(scale, pCopy), Acad::eOk);
    std::unique_ptr<AcDbEntity> copy(pCopy);
    QWK_WaterMark* pWm = QWK_WaterMark::cast(pCopy);
    ASSERT_NE(pWm, nullptr);
    EXPECT_TRUE(pWm->objectId().isNull());
    ASSERT_EQ(pWm->count(), 3);
    EXPECT_EQ(pWm->watermarkColorIndex(), 1);
    EXPECT_EQ(pWm->colorIndex(), 1);
    EXPECT_DOUBLE_EQ(pWm->linetypeScale(), 3.0);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(wmtest::lineAt(*pWm, i)->endPoint(), AcGePoint3d(2, 2 * i, 0));
        EXPECT_EQ(pWm->entityAt(i)->colorIndex(), 1);
        EXPECT_NE(pWm->entityAt(i), wm->entityAt(i));
    }
    EXPECT_EQ(wmtest::lineAt(*wm, 1)->endPoint(), AcGePoint3d(1, 1, 0)) << "the source is unchanged";
}

TEST_F(WatermarkDisplay, TheTransformedCopyOfAReadWatermarkKeepsItsClonesColour) {
    // A watermark read back from a file has its colour index at 250 (it is not
    // filed) while its clones keep the colour they were given.
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    wm->set_ColorIndex(3);
    hs::DwgFiler filer;
    ASSERT_EQ(wm->dwgOutFields(&filer), Acad::eOk);
    filer.rewind();
    QWK_WaterMark read;
    ASSERT_EQ(read.dwgInFields(&filer), Acad::eOk);
    ASSERT_EQ(read.count(), 3);
    ASSERT_EQ(read.entityAt(0)->colorIndex(), 3);
    AcGeMatrix3d move;
    move.setToTranslation(AcGeVector3d(5, 0, 0));
    AcDbEntity* pCopy = nullptr;
    ASSERT_EQ(read.getTransformedCopy(move, pCopy), Acad::eOk);
    std::unique_ptr<AcDbEntity> copy(pCopy);
    QWK_WaterMark* pWm = QWK_WaterMark::cast(pCopy);
    ASSERT_NE(pWm, nullptr);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(pWm->entityAt(i)->colorIndex(), 3) << "clone " << i;
        EXPECT_EQ(wmtest::lineAt(*pWm, i)->startPoint(), AcGePoint3d(5, i, 0));
    }
}

TEST_F(WatermarkDisplay, ACloneWithoutATransformedCopyFailsTheCopySilently) {
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    hs::armFault("AcDbEntity::getTransformedCopy", Acad::eNotApplicable, /*skip=*/2);
    AcGeMatrix3d scale;
    scale.setToScaling(2.0);
    AcDbEntity* pCopy = reinterpret_cast<AcDbEntity*>(0x1);
    EXPECT_EQ(wm->getTransformedCopy(scale, pCopy), Acad::eNotApplicable);
    EXPECT_EQ(pCopy, reinterpret_cast<AcDbEntity*>(0x1));
    EXPECT_EQ(printed(), "");
}

TEST_F(WatermarkDisplay, ItOffersNoGripsAndMovingGripsChangesNothing) {
    std::unique_ptr<QWK_WaterMark> wm(threeLines());
    AcGePoint3dArray points;
    AcDbIntArray modes, ids;
    EXPECT_EQ(wm->getGripPoints(points, modes, ids), Acad::eOk);
    EXPECT_EQ(points.length(), 0);
    EXPECT_EQ(modes.length(), 0);
    EXPECT_EQ(ids.length(), 0);
    AcDbIntArray indices;
    indices.append(0);
    EXPECT_EQ(wm->moveGripPointsAt(indices, AcGeVector3d(5, 5, 0)), Acad::eOk);
    EXPECT_EQ(wmtest::lineAt(*wm, 0)->startPoint(), AcGePoint3d(0, 0, 0));
}
