// Watermarks are new entities: they land on the current layer, as every
// entity added without a layer of its own does in the host.
#include "wmscript.h"

using namespace wmscript;

namespace {

const std::string kSource = line(-5, 2, 25, 12);
const std::string kWm = "WM\n20,10\n100,50\n4\n5\n50\nALL\n\n\n";

std::string layerOf(AcDbObjectId id) {
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
        return "?";
    ACHAR* name = pEnt->layer();
    std::string out = hs::toUtf8(name);
    acdbFree(name);
    pEnt->close();
    return out;
}

}  // namespace

TEST_F(WmScript, WatermarksGoOnTheCurrentLayer) {
    ivtest::Run run = ivtest::runHostsim("-LAYER\nMake\nMARKS\n\n" + kSource + kWm, savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->error, "");
    ASSERT_EQ(d->marks.size(), 20u) << run.transcript;
    for (const Mark& m : d->marks)
        EXPECT_EQ(layerOf(m.id), "MARKS");
}

TEST_F(WmScript, WithLayerZeroLockedAndAnotherLayerCurrentTheWholeGridIsLaidOut) {
    ivtest::Run run = ivtest::runHostsim("-LAYER\nMake\nMARKS\nLOck\n0\n\n" + kSource + kWm, savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->error, "");
    EXPECT_EQ(d->marks.size(), 20u) << run.transcript;
    EXPECT_NE(d->at(20, 10), nullptr) << run.transcript;
    EXPECT_NE(d->at(85, 45), nullptr) << run.transcript;
}

TEST_F(WmScript, SetvarClayerMakesTheWatermarksLayerCurrentToo) {
    ivtest::Run run =
        ivtest::runHostsim("-LAYER\nNew\nMARKS\n\nSETVAR\nCLAYER\nMARKS\n" + kSource + kWm, savingRun());
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 20u) << run.transcript;
    EXPECT_EQ(layerOf(d->marks[0].id), "MARKS");
}
