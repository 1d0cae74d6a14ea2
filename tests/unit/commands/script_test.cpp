// The editing commands through the hostsim program: a script draws, edits,
// undoes and saves, and the saved drawing is read back.
#include "edfixture.h"
#include "hostsim/dxffile.h"
#include "ivtest.h"

namespace {

struct Saved {
    int lines = 0, circles = 0, other = 0;
};

Saved readSaved(const std::string& path) {
    Saved s;
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult res = hs::readDxfFile(path, pDb);
    EXPECT_TRUE(res.ok) << res.message;
    if (pDb == nullptr)
        return s;
    for (AcDbObjectId id : hs::entitiesOf(hs::modelSpaceId(pDb))) {
        std::string cls = hs::className(id);
        if (cls == "AcDbLine")
            ++s.lines;
        else if (cls == "AcDbCircle")
            ++s.circles;
        else
            ++s.other;
    }
    delete pDb;
    return s;
}

ivtest::HostsimOptions saving() {
    ivtest::HostsimOptions opts;
    opts.loadModule = false;
    opts.saveDxf = "out.dxf";
    return opts;
}

TEST(CommandScripts, AScriptThatDrawsEditsAndUndoesSavesWhatRemains) {
    ivtest::Run run = ivtest::runHostsim(
        "LINE\n0,0\n10,0\n\nCIRCLE\n5,5\n2\nCOPY\nL\n\n0,0\n20,0\nERASE\n5,0\n\nU\n-ARRAY\n5,"
        "0\n\nR\n2\n3\n4\n15\n",
        saving());
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    Saved s = readSaved(run.savePath);
    EXPECT_EQ(s.lines, 6) << "the erased line came back with U, then was arrayed 2 x 3\n" << run.transcript;
    EXPECT_EQ(s.circles, 2);
    EXPECT_EQ(s.other, 0);
}

TEST(CommandScripts, ACancelEndsTheCommandAndTheScriptGoesOn) {
    ivtest::Run run = ivtest::runHostsim("LINE\n0,0\n^C\nCIRCLE\n0,0\n^C\nCIRCLE\n1,1\n1\n", saving());
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("*Cancel*"), 2) << run.transcript;
    EXPECT_EQ(readSaved(run.savePath).circles, 1);
}

TEST(CommandScripts, TheEndOfTheScriptInsideACommandDoesNotHang) {
    ivtest::HostsimOptions opts = saving();
    opts.timeoutSeconds = 20;
    ivtest::Run run = ivtest::runHostsim("LINE\n0,0\n5,5\n", opts);
    EXPECT_NE(run.exitCode, -1) << "killed: the script's end did not end the command";
    EXPECT_EQ(readSaved(run.savePath).lines, 1) << run.transcript;
}

}  // namespace
