// Scripts are read as the host reads its script files: a space ends an
// answer as a line break does, except in text answers; a byte-order mark is
// not input; Enter at "Command: " repeats the last command; HELP lists the
// commands.
#include <gtest/gtest.h>

#include <string>

#include "ivtest.h"

namespace {

using ivtest::HostsimOptions;

TEST(ScriptRules, ASpaceEndsAnAnswerSoAWholeCommandFitsOnALine) {
    ivtest::Run run = ivtest::runHostsim("LINE 0,0 10,0 10,10\n\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("Specify first point: 0,0\n")) << run.transcript;
    EXPECT_TRUE(run.contains("Specify next point or [Undo]: 10,0\n")) << run.transcript;
    EXPECT_TRUE(run.contains("Specify next point or [Undo]: 10,10\n")) << run.transcript;
}

TEST(ScriptRules, TwoSpacesAreTwoEnters) {
    // "CIRCLE 0,0 3" then a space: Enter at Command: repeats CIRCLE.
    ivtest::Run run = ivtest::runHostsim("CIRCLE 0,0 3 \n5,5\n1\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_EQ(run.count("Specify center point for circle"), 2) << run.transcript;
}

TEST(ScriptRules, ATextAnswerTakesTheRestOfTheLineWithItsSpaces) {
    HostsimOptions o;
    o.saveDxf = "out.dxf";
    ivtest::Run run = ivtest::runHostsim("TEXT 0,0 2.5 0 Hello big world\n", o);
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("Enter text: Hello big world\n")) << run.transcript;
    EXPECT_NE(ivtest::readFile(run.savePath).find("Hello big world"), std::string::npos);
}

TEST(ScriptRules, AQuotedAnswerKeepsItsSpaces) {
    ivtest::TempDir dir;
    std::string path = dir.file("with space.dxf");
    ivtest::Run run = ivtest::runHostsim("LINE 0,0 1,1\n\nSAVEAS \"" + path + "\"\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(ivtest::fileExists(path)) << run.transcript;
}

TEST(ScriptRules, AByteOrderMarkIsSkipped) {
    ivtest::Run run = ivtest::runHostsim(
        "\xEF\xBB\xBF"
        "CIRCLE\n0,0\n2\nLINE\n0,0\n1,1\n\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_FALSE(run.contains("Unknown command")) << run.transcript;
    EXPECT_TRUE(run.contains("Command: CIRCLE\n")) << run.transcript;
}

TEST(ScriptRules, WindowsLineEndsAreLineEnds) {
    ivtest::Run run = ivtest::runHostsim("CIRCLE\r\n0,0\r\n2\r\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
}

TEST(ScriptRules, EnterAtTheCommandPromptRepeatsTheLastCommand) {
    HostsimOptions o;
    o.saveDxf = "out.dxf";
    ivtest::Run run = ivtest::runHostsim("CIRCLE\n0,0\n2\n\n5,5\n1\n", o);
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_EQ(run.count("Command: CIRCLE\n"), 1) << run.transcript;
    EXPECT_EQ(run.count("Specify center point for circle"), 2) << run.transcript;
}

TEST(ScriptRules, EnterBeforeAnyCommandDoesNothing) {
    ivtest::Run run = ivtest::runHostsim("\n\nCIRCLE\n0,0\n2\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_EQ(run.count("Specify center point for circle"), 1) << run.transcript;
}

TEST(ScriptRules, HelpListsTheHostsAndTheModulesCommandsOneLineEach) {
    ivtest::Run run = ivtest::runHostsim("HELP\n?\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_FALSE(run.contains("F1")) << run.transcript;
    EXPECT_EQ(run.count("  ERASE "), 2) << "once for HELP, once for ?\n" << run.transcript;
    EXPECT_EQ(run.count("  QWK_WaterMark (WM) "), 2) << run.transcript;
    EXPECT_EQ(run.count("  Quillwerk_help (qwkHelp) "), 2) << run.transcript;
    EXPECT_TRUE(run.contains("  LINE                 draws lines")) << run.transcript;
}

TEST(ScriptRules, TheModulesPromptsReadOneAnswerPerSpaceToo) {
    // The watermark command with all its answers on two lines.
    HostsimOptions o;
    o.saveDxf = "out.dxf";
    ivtest::Run run = ivtest::runHostsim("LINE 0,0 10,5\n\nWM 0,0 100,100 2 3 50 L\n\n7\n", o);
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_FALSE(run.contains("Requires")) << run.transcript;
    EXPECT_NE(ivtest::readFile(run.savePath).find("QWK_WaterMark"), std::string::npos) << run.transcript;
}

}  // namespace
