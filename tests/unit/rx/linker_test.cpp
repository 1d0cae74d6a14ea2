// The dynamic linker seen through hostsim runs: release check, locking,
// messages, and what it does about a module that leaves things behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ivtest.h"

namespace {
std::string testModule(const std::string& name) {
    return ivtest::testModuleDir() + "/" + name + IV_TEST_MODULE_SUFFIX;
}

ivtest::Run runWith(const std::string& module, const std::string& script) {
    ivtest::HostsimOptions opts;
    opts.loadModule = false;
    opts.modules = {module};
    return ivtest::runHostsim(script, opts);
}
}  // namespace

TEST(DynamicLinker, RefusesAModuleBuiltForAnotherRelease) {
    ivtest::Run run = runWith(testModule("mod_wrong_release"), "ARX\n?\n");
    EXPECT_TRUE(run.contains("it was built for host release")) << run.transcript;
    EXPECT_FALSE(run.contains("got a message")) << run.transcript;
    EXPECT_TRUE(run.contains("No modules loaded.")) << run.transcript;
}

TEST(DynamicLinker, ReportsAFileThatCannotBeLoaded) {
    ivtest::Run run = runWith("/nonexistent/Nothing.dll", "");
    EXPECT_TRUE(run.contains("Cannot load /nonexistent/Nothing.dll")) << run.transcript;
}

TEST(DynamicLinker, LoadsAModuleNamedWithoutAFolderFromTheCurrentFolder) {
    // The system's loader would look for a bare name on its own search path.
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(ivtest::testModuleDir());
    ivtest::HostsimOptions opts;
    opts.loadModule = false;
    ivtest::Run run = ivtest::runHostsim("ARX\nL\nmod_events" IV_TEST_MODULE_SUFFIX "\n", opts);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(run.contains("mod_events" IV_TEST_MODULE_SUFFIX " loaded.")) << run.transcript;
    EXPECT_FALSE(run.contains("Cannot load")) << run.transcript;
}

TEST(DynamicLinker, RefusesToUnloadALockedModule) {
    ivtest::Run run =
        runWith(testModule("mod_locked"), "ARX\nU mod_locked" IV_TEST_MODULE_SUFFIX "\nLOCKEDCMD\nARX\n?\n");
    EXPECT_TRUE(run.contains("mod_locked" IV_TEST_MODULE_SUFFIX " is locked and cannot be unloaded."))
        << run.transcript;
    EXPECT_TRUE(run.contains("locked command ran")) << run.transcript;
    EXPECT_TRUE(run.contains("Module mod_locked" IV_TEST_MODULE_SUFFIX " (locked)")) << run.transcript;
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
}

TEST(DynamicLinker, SendsInitialiseThenUnloadAndNamesTheModuleWhileLoading) {
    std::string path = testModule("mod_events");
    ivtest::Run run = runWith(path, "ARX\nU mod_events" IV_TEST_MODULE_SUFFIX "\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("[message 1]\n[app name " + path + "]\n")) << run.transcript;
    EXPECT_TRUE(run.contains("[message 2]\n")) << run.transcript;
    EXPECT_LT(run.transcript.find("[message 1]"), run.transcript.find("[message 2]"));
}

TEST(DynamicLinker, ReportsAndRemovesWhatAModuleLeftBehind) {
    ivtest::Run run =
        runWith(testModule("mod_leaky"), "SETVAR\nCMDECHO\n1\nARX\nU mod_leaky" IV_TEST_MODULE_SUFFIX
                                         "\nLEAKYCMD\nSETVAR\nCMDECHO\n1\n");
    EXPECT_NE(run.exitCode, 0) << "leftovers are host faults\n" << run.transcript;
    EXPECT_TRUE(run.contains("left the command LEAKYCMD registered")) << run.transcript;
    EXPECT_TRUE(run.contains("left an editor reactor attached")) << run.transcript;
    EXPECT_TRUE(run.contains("Unknown command \"LEAKYCMD\"")) << run.transcript;
    // Only the notification before the unload reached the reactor.
    EXPECT_EQ(run.count("leaky reactor heard a command"), 1) << run.transcript;
}

TEST(DynamicLinker, LoadsAndUnloadsFromTheCommandLineOptions) {
    ivtest::HostsimOptions opts;
    opts.loadModule = false;
    opts.modules = {testModule("mod_events"), testModule("mod_locked")};
    ivtest::Run run = ivtest::runHostsim("ARX\n?\n", opts);
    EXPECT_TRUE(run.contains("Module mod_events" IV_TEST_MODULE_SUFFIX
                             "\n  Group EVENTS:\n    EventsCommand (evc) transparent\n"))
        << run.transcript;
    EXPECT_TRUE(run.contains("Module mod_locked" IV_TEST_MODULE_SUFFIX
                             " (locked)\n  Group LOCKTEST:\n    LOCKEDCMD (LOCKEDCMD)\n"))
        << run.transcript;
}

TEST(Hostsim, RejectsUnknownOptions) {
    ivtest::Run run = ivtest::runHostsimArgs({"--frobnicate"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.errors.find("unknown option --frobnicate"), std::string::npos) << run.errors;
}

TEST(Hostsim, ExitsWithZeroWhenTheScriptRanToItsEnd) {
    ivtest::HostsimOptions opts;
    opts.loadModule = false;
    ivtest::Run run = ivtest::runHostsim("SETVAR\nCMDECHO\n0\n", opts);
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
}

TEST(Hostsim, ReadsTheScriptFromStandardInputWithADash) {
    ivtest::Run run =
        ivtest::runHostsimArgs({"--no-load", "--script", "-", "--registry", "/dev/null/none"}, "NOPE\n");
    EXPECT_TRUE(run.contains("Unknown command \"NOPE\"")) << run.transcript << run.errors;
}
