// hostsim as a program: its exit status tells whether the run went well,
// its own errors go to standard error, and every file it was asked to
// write is either written whole or reported.
#include <gtest/gtest.h>

#include <string>

#include "ivtest.h"

namespace {

using ivtest::HostsimOptions;

const int kScriptProblem = 4;
const int kNotWritten = 5;

TEST(ExitStatus, AScriptThatRanCleanlyExitsZero) {
    ivtest::Run run = ivtest::runHostsim("LINE\n0,0\n1,1\n\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.errors.empty()) << run.errors;
}

TEST(ExitStatus, AnUnknownCommandFailsTheRunAndNamesItsLine) {
    ivtest::Run run = ivtest::runHostsim("LINE\n0,0\n1,1\n\nNOSUCH\nCIRCLE\n0,0\n1\n");
    EXPECT_EQ(run.exitCode, kScriptProblem) << run.transcript;
    EXPECT_NE(run.errors.find("script.scr: line 5: unknown command \"NOSUCH\""), std::string::npos)
        << run.errors;
    EXPECT_TRUE(run.contains("Specify radius of circle")) << "the script goes on\n" << run.transcript;
}

TEST(ExitStatus, KeepGoingIgnoresScriptProblems) {
    HostsimOptions o;
    o.extraArgs = {"--keep-going"};
    ivtest::Run run = ivtest::runHostsim("NOSUCH\n", o);
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_NE(run.errors.find("line 1: unknown command"), std::string::npos) << "still reported\n"
                                                                             << run.errors;
}

TEST(ExitStatus, ARefusedAnswerFailsTheRun) {
    ivtest::Run run = ivtest::runHostsim("CIRCLE\nnowhere\n0,0\n1\n");
    EXPECT_EQ(run.exitCode, kScriptProblem) << run.transcript;
    EXPECT_TRUE(run.contains("Point or option keyword required.")) << run.transcript;
    EXPECT_NE(run.errors.find("line 2: the answer \"nowhere\" was refused"), std::string::npos) << run.errors;
}

TEST(ExitStatus, AnInvalidSelectionFailsTheRun) {
    ivtest::Run run = ivtest::runHostsim("LINE\n0,0\n1,1\n\nERASE\nbogus\nALL\n\n");
    EXPECT_EQ(run.exitCode, kScriptProblem) << run.transcript;
    EXPECT_NE(run.errors.find("line 6: the answer \"bogus\" was refused"), std::string::npos) << run.errors;
}

TEST(ExitStatus, AScriptEndingInsideACommandFailsTheRun) {
    ivtest::Run run = ivtest::runHostsim("CIRCLE\n0,0\n");
    EXPECT_EQ(run.exitCode, kScriptProblem) << run.transcript;
    EXPECT_NE(run.errors.find("the script ended inside the command CIRCLE"), std::string::npos) << run.errors;
}

TEST(ExitStatus, CancellingACommandIsNotAProblem) {
    ivtest::Run run = ivtest::runHostsim("CIRCLE\n0,0\n^C\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript << run.errors;
}

TEST(ExitStatus, AScriptThatIsAFolderOrHasNoNameIsRefused) {
    ivtest::TempDir dir;
    ivtest::Run folder = ivtest::runHostsimArgs({"--no-load", "--script", dir.path()});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.errors.find("is a folder"), std::string::npos) << folder.errors;
    ivtest::Run empty = ivtest::runHostsimArgs({"--no-load", "--script="});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_NE(empty.errors.find("--script needs a file name"), std::string::npos) << empty.errors;
    ivtest::Run missing = ivtest::runHostsimArgs({"--no-load", "--script", dir.file("none.scr")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.errors.find("does not exist"), std::string::npos) << missing.errors;
}

TEST(ExitStatus, ARegistryFileThatCannotBeWrittenIsAnError) {
    // The registry's folder would have to be inside a plain file.
    ivtest::TempDir dir;
    ivtest::writeFile(dir.file("plain"), "x");
    ivtest::writeFile(dir.file("s.scr"), "QUIT\n");
    ivtest::Run run = ivtest::runHostsimArgs({"--load", ivtest::modulePath(), "--script", dir.file("s.scr"),
                                              "--registry", dir.file("plain/r.reg")});
    EXPECT_EQ(run.exitCode, kNotWritten) << run.transcript << run.errors;
    EXPECT_NE(run.errors.find("the registry file was not written"), std::string::npos) << run.errors;
}

TEST(ExitStatus, ADrawingOrPictureThatCannotBeWrittenIsAnErrorAndLeavesNoFile) {
    HostsimOptions o;
    o.saveDxf = "no-such-folder/out.dxf";
    o.saveSvg = "no-such-folder/out.svg";
    ivtest::Run run = ivtest::runHostsim("LINE\n0,0\n1,1\n\n", o);
    EXPECT_EQ(run.exitCode, kNotWritten) << run.transcript << run.errors;
    EXPECT_NE(run.errors.find("cannot save"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("cannot draw"), std::string::npos) << run.errors;
}

TEST(ExitStatus, SavedFilesAreWholeAndNoPartFileIsLeft) {
    HostsimOptions o;
    o.saveDxf = "out.dxf";
    o.saveSvg = "out.svg";
    ivtest::Run run = ivtest::runHostsim("LINE\n0,0\n1,1\n\n", o);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(ivtest::readFile(run.savePath).find("EOF"), std::string::npos);
    EXPECT_NE(ivtest::readFile(run.svgPath).find("</svg>"), std::string::npos);
    EXPECT_FALSE(ivtest::fileExists(run.savePath + ".hostsim-part"));
    EXPECT_FALSE(ivtest::fileExists(run.svgPath + ".hostsim-part"));
}

TEST(ExitStatus, AModuleThatCannotBeLoadedFailsTheRun) {
    HostsimOptions o;
    o.loadModule = false;
    o.modules = {"/nonexistent/Nothing.dll"};
    ivtest::Run run = ivtest::runHostsim("CIRCLE 0,0 1\n", o);
    EXPECT_EQ(run.exitCode, 2) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("Specify radius of circle")) << "the script still ran\n" << run.transcript;
    EXPECT_NE(run.errors.find("the module /nonexistent/Nothing.dll was not loaded"), std::string::npos)
        << run.errors;
}

TEST(Messages, HostsimsOwnErrorsGoToStandardErrorWithBinaryBytesEscaped) {
    ivtest::TempDir dir;
    std::string bad = dir.file("bad.dxf");
    ivtest::writeFile(bad, "\x01\xff\xfe garbage\x07\n");
    ivtest::Run run = ivtest::runHostsimArgs({"--no-load", bad});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.errors.find("hostsim: cannot open"), std::string::npos) << run.errors;
    EXPECT_EQ(run.transcript.find("cannot open"), std::string::npos) << "not in the transcript";
    for (char c : run.errors)
        EXPECT_FALSE(c != '\n' && c != '\r' && static_cast<unsigned char>(c) < 0x20)
            << "a raw control byte on stderr";
    EXPECT_EQ(run.errors.find('\xff'), std::string::npos) << run.errors;
}

TEST(Options, HelpDescribesEveryOptionAndVersionNamesTheRelease) {
    ivtest::Run help = ivtest::runHostsimArgs({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* opt : {"--load", "--no-load", "--script", "--registry", "--save", "--svg", "--open-urls",
                            "--keep-going", "--batch", "--jobs", "--help", "--version", "Exit status"})
        EXPECT_NE(help.transcript.find(opt), std::string::npos) << opt << "\n" << help.transcript;
    ivtest::Run version = ivtest::runHostsimArgs({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.transcript.find("host release " + std::to_string(IRONVEIL_RELEASE)), std::string::npos)
        << version.transcript;
}

TEST(Options, ValuesMayFollowAnEqualsSign) {
    ivtest::TempDir dir;
    ivtest::writeFile(dir.file("s.scr"), "CIRCLE\n0,0\n2\n");
    ivtest::Run run =
        ivtest::runHostsimArgs({"--no-load", "--script=" + dir.file("s.scr"),
                                "--registry=" + dir.file("r.reg"), "--save=" + dir.file("o.dxf")});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(ivtest::readFile(dir.file("o.dxf")).find("CIRCLE"), std::string::npos);
}

TEST(Options, AnUnknownOptionOrAMissingValueIsRefused) {
    ivtest::Run unknown = ivtest::runHostsimArgs({"--frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.errors.find("unknown option --frobnicate"), std::string::npos) << unknown.errors;
    ivtest::Run missing = ivtest::runHostsimArgs({"--save"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.errors.find("--save needs a value"), std::string::npos) << missing.errors;
}

}  // namespace
