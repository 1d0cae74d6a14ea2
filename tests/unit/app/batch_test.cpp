// hostsim --batch: one script over many drawings, each in a process of its
// own; the results under the same names in the output folder, a table at
// the end, and a non-zero status when any drawing failed.
#include <gtest/gtest.h>

#include <string>

#include "ivtest.h"

namespace {

using ivtest::HostsimOptions;

// A drawing of one line made by hostsim itself.
std::string makeDrawing(const ivtest::TempDir& dir, const std::string& name, int length) {
    std::string path = dir.file(name);
    HostsimOptions o;
    o.loadModule = false;
    o.saveDxf = path;
    ivtest::Run run = ivtest::runHostsim("LINE 0,0 " + std::to_string(length) + ",5\n\n", o);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    return path;
}

const char* const kWatermarkScript = "WM 0,0 100,100 2 3 50 ALL\n\n7\n";  // 2 rows of 3

TEST(Batch, WatermarksEveryDrawingAndReportsATable) {
    ivtest::TempDir dir;
    std::string a = makeDrawing(dir, "a.dxf", 10);
    std::string b = makeDrawing(dir, "b.dxf", 20);
    std::string c = makeDrawing(dir, "c.dxf", 30);
    ivtest::writeFile(dir.file("wm.scr"), kWatermarkScript);
    std::string out = dir.file("out");
    ivtest::Run run =
        ivtest::runHostsimArgs({"--batch", out, "-j", "2", "--script", dir.file("wm.scr"), "--registry",
                                dir.file("r.reg"), "--load", ivtest::modulePath(), a, b, c});
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    for (const char* name : {"a.dxf", "b.dxf", "c.dxf"}) {
        std::string result = ivtest::readFile(out + "/" + name);
        EXPECT_NE(result.find("QWK_WaterMark"), std::string::npos) << name;
    }
    EXPECT_NE(run.transcript.find("watermarks"), std::string::npos) << run.transcript;
    for (const std::string& drawing : {a, b, c})
        EXPECT_TRUE(run.contains(drawing + "          6 ")) << "six watermarks made in " << drawing << "\n"
                                                            << run.transcript;
    EXPECT_EQ(run.count("  ok"), 3) << run.transcript;
    EXPECT_NE(run.transcript.find("3 of 3 drawings ok, 0 failed"), std::string::npos) << run.transcript;
    EXPECT_EQ(run.transcript.find("\r"), std::string::npos) << "no progress bar off a terminal";
}

TEST(Batch, AFailingDrawingNeverStopsTheOthersAndFailsTheRun) {
    ivtest::TempDir dir;
    std::string a = makeDrawing(dir, "a.dxf", 10);
    ivtest::writeFile(dir.file("broken.dxf"), "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n");
    std::string c = makeDrawing(dir, "c.dxf", 30);
    ivtest::writeFile(dir.file("wm.scr"), kWatermarkScript);
    std::string out = dir.file("out");
    ivtest::Run run = ivtest::runHostsimArgs(
        {"--batch=" + out, "--jobs=1", "--script=" + dir.file("wm.scr"), "--registry=" + dir.file("r.reg"),
         "--load=" + ivtest::modulePath(), a, dir.file("broken.dxf"), dir.file("missing.dxf"), c});
    EXPECT_EQ(run.exitCode, 6) << run.transcript << run.errors;
    EXPECT_TRUE(ivtest::fileExists(out + "/a.dxf"));
    EXPECT_TRUE(ivtest::fileExists(out + "/c.dxf"));
    EXPECT_FALSE(ivtest::fileExists(out + "/broken.dxf"));
    EXPECT_NE(run.transcript.find("failed: cannot open"), std::string::npos) << run.transcript;
    EXPECT_NE(run.transcript.find("failed: does not exist"), std::string::npos) << run.transcript;
    EXPECT_NE(run.transcript.find("2 of 4 drawings ok, 2 failed"), std::string::npos) << run.transcript;
}

TEST(Batch, AScriptProblemInOneDrawingIsThatDrawingsFailure) {
    ivtest::TempDir dir;
    std::string a = makeDrawing(dir, "a.dxf", 10);
    ivtest::writeFile(dir.file("bad.scr"), "NOSUCH\n");
    ivtest::Run run = ivtest::runHostsimArgs({"--batch", dir.file("out"), "--script", dir.file("bad.scr"),
                                              "--registry", dir.file("r.reg"), "--no-load", a});
    EXPECT_EQ(run.exitCode, 6) << run.transcript << run.errors;
    EXPECT_NE(run.transcript.find("unknown command"), std::string::npos) << run.transcript;
}

TEST(Batch, NeedsAScriptAndDrawings) {
    ivtest::TempDir dir;
    ivtest::Run noScript = ivtest::runHostsimArgs({"--batch", dir.file("out"), "a.dxf"});
    EXPECT_EQ(noScript.exitCode, 2);
    EXPECT_NE(noScript.errors.find("--batch needs --script"), std::string::npos) << noScript.errors;
    ivtest::writeFile(dir.file("s.scr"), "QUIT\n");
    ivtest::Run noDrawing =
        ivtest::runHostsimArgs({"--batch", dir.file("out"), "--script", dir.file("s.scr")});
    EXPECT_EQ(noDrawing.exitCode, 2);
    EXPECT_NE(noDrawing.errors.find("at least one drawing"), std::string::npos) << noDrawing.errors;
}

}  // namespace
