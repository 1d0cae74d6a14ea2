// The module seen from the host: what loading, the help command and
// unloading leave in the transcript, the command stack and the registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ivtest.h"

namespace {

const std::string kHelpEnglish = "open https://www.halvorn.example/eng/apps/quillwerk_help.asp\n";
const std::string kHelpChinese = "open https://www.halvorn.example\n";

std::string registryWithChineseVersion(const std::string& valueText) {
    return ivtest::regFileText({{ivtest::kSettingsKey, {{"ChineseVersion", valueText}}}});
}

std::string appKey() {
    return "HKEY_CURRENT_USER\\Software\\Hostsim\\R" + std::to_string(IRONVEIL_RELEASE) +
           ".0\\Applications\\Quillwerk";
}

}  // namespace

TEST(HelpCommand, OpensTheEnglishHelpPageWhenNoSettingsExist) {
    ivtest::Run run = ivtest::runHostsim("qwkHelp\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains(kHelpEnglish)) << run.transcript;
    EXPECT_EQ(run.count("open "), 1);
}

TEST(HelpCommand, AnswersToItsGlobalNameInAnyCase) {
    ivtest::Run run = ivtest::runHostsim("QUILLWERK_HELP\nqwkhelp\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count(kHelpEnglish), 2) << run.transcript;
}

TEST(HelpCommand, OpensTheSiteRootWhenChineseVersionIsOne) {
    ivtest::HostsimOptions opts;
    opts.registryText = registryWithChineseVersion(ivtest::regDword(1));
    ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains(kHelpChinese)) << run.transcript;
    EXPECT_FALSE(run.contains("/eng")) << run.transcript;
}

TEST(HelpCommand, TakesAnyNonZeroDwordAsChineseIncludingAllBitsSet) {
    for (unsigned int v : {2u, 0x80000000u, 0xFFFFFFFFu}) {
        ivtest::HostsimOptions opts;
        opts.registryText = registryWithChineseVersion(ivtest::regDword(v));
        ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
        EXPECT_TRUE(run.contains(kHelpChinese)) << "value " << v << "\n" << run.transcript;
    }
}

TEST(HelpCommand, StaysEnglishWhenChineseVersionIsZero) {
    ivtest::HostsimOptions opts;
    opts.registryText = registryWithChineseVersion(ivtest::regDword(0));
    ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
    EXPECT_TRUE(run.contains(kHelpEnglish)) << run.transcript;
}

TEST(HelpCommand, StaysEnglishWhenChineseVersionIsTheStringOne) {
    ivtest::HostsimOptions opts;
    opts.registryText = registryWithChineseVersion(ivtest::regString("1"));
    ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
    EXPECT_TRUE(run.contains(kHelpEnglish)) << run.transcript;
}

TEST(HelpCommand, StaysEnglishWhenChineseVersionIsASixtyFourBitOne) {
    ivtest::HostsimOptions opts;
    opts.registryText = registryWithChineseVersion("hex(b):01,00,00,00,00,00,00,00");
    ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
    EXPECT_TRUE(run.contains(kHelpEnglish)) << run.transcript;
}

TEST(HelpCommand, StaysEnglishWhenChineseVersionIsBigEndianOrBinary) {
    for (const char* value : {"hex(5):00,00,00,01", "hex:01,00,00,00"}) {
        ivtest::HostsimOptions opts;
        opts.registryText = registryWithChineseVersion(value);
        ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
        EXPECT_TRUE(run.contains(kHelpEnglish)) << value << "\n" << run.transcript;
    }
}

TEST(HelpCommand, ReadsTheLanguageOnlyAtLoad) {
    // The switch is read at load; a reload picks up a change made meanwhile.
    ivtest::HostsimOptions opts;
    opts.registryText = registryWithChineseVersion(ivtest::regDword(1));
    ivtest::Run run = ivtest::runHostsim("qwkHelp\nARX\nU Ironveil" +
                                             std::string(IRONVEIL_RELEASE == 16 ? ".arx" : ".dll") +
                                             "\nARX\nL " + ivtest::modulePath() + "\nqwkHelp\n",
                                         opts);
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count(kHelpChinese), 2) << run.transcript;
}

TEST(HelpCommand, RunsTransparentlyInsideAnotherCommandsPrompt) {
    ivtest::Run run = ivtest::runHostsim("SETVAR\n'qwkHelp\nCMDECHO\n1\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains(kHelpEnglish)) << run.transcript;
    // The prompt that was interrupted is asked again and takes the next answer.
    EXPECT_EQ(run.count("Enter variable name: "), 2) << run.transcript;
}

TEST(Loading, NeverCreatesTheSettingsKey) {
    ivtest::Run run = ivtest::runHostsim("qwkHelp\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    ivtest::RegFile reg = ivtest::RegFile::load(run.registryPath);
    EXPECT_FALSE(reg.hasKey(ivtest::kSettingsKey)) << run.registryText();
    EXPECT_FALSE(reg.hasKey("HKEY_CURRENT_USER\\Software\\Halvorn")) << run.registryText();
}

TEST(Loading, LeavesExistingSettingsUntouched) {
    ivtest::HostsimOptions opts;
    opts.registryText = ivtest::regFileText(
        {{ivtest::kSettingsKey,
          {{"wmColor", ivtest::regDword(7)}, {"ChineseVersion", ivtest::regString("1")}}}});
    ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
    ivtest::RegFile reg = ivtest::RegFile::load(run.registryPath);
    EXPECT_EQ(reg.value(ivtest::kSettingsKey, "wmColor"), "dword:00000007");
    EXPECT_EQ(reg.value(ivtest::kSettingsKey, "ChineseVersion"), "\"1\"");
}

TEST(Loading, WritesTheDemandLoadRecord) {
    ivtest::Run run = ivtest::runHostsim("");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    ivtest::RegFile reg = ivtest::RegFile::load(run.registryPath);
    EXPECT_EQ(reg.value(appKey(), "DESCRIPTION"), "\"Quillwerk version 1.0\"") << run.registryText();
    EXPECT_EQ(reg.value(appKey(), "LOADCTRLS"), "dword:0000000c") << run.registryText();
    EXPECT_EQ(reg.value(appKey(), "LOADER"), ivtest::regString(ivtest::nativePath(ivtest::modulePath())))
        << run.registryText();
    EXPECT_EQ(reg.value(appKey() + "\\Groups", "Quillwerk"), "\"Quillwerk\"") << run.registryText();
    EXPECT_FALSE(reg.hasKey(appKey() + "\\Commands")) << "the module names no commands in its record";
}

TEST(Loading, RegistersBothCommandsTransparentInTheQuillwerkGroup) {
    ivtest::Run run = ivtest::runHostsim("ARX\n?\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(
        run.contains("  Group Quillwerk:\n"
                     "    QWK_WaterMark (WM) transparent\n"
                     "    Quillwerk_help (qwkHelp) transparent\n"))
        << run.transcript;
}

TEST(Loading, RefusesASecondLoadOfTheSameModule) {
    ivtest::Run run = ivtest::runHostsim("ARX\nL " + ivtest::modulePath() + "\nqwkHelp\n");
    EXPECT_TRUE(run.contains("is already loaded.")) << run.transcript;
    EXPECT_EQ(run.count("open "), 1) << run.transcript;
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
}

TEST(Unloading, MakesTheHelpCommandUnknown) {
    std::string name = IRONVEIL_RELEASE == 16 ? "Ironveil.arx" : "Ironveil.dll";
    ivtest::Run run = ivtest::runHostsim("ARX\nU " + name + "\nqwkHelp\nWM\n");
    EXPECT_EQ(run.exitCode, 4) << "a script using unknown commands fails\n" << run.transcript;
    EXPECT_NE(run.errors.find("line 3: unknown command \"qwkHelp\""), std::string::npos) << run.errors;
    EXPECT_TRUE(run.contains(name + " unloaded.")) << run.transcript;
    EXPECT_TRUE(run.contains("Unknown command \"QWKHELP\"")) << run.transcript;
    EXPECT_TRUE(run.contains("Unknown command \"WM\"")) << run.transcript;
    EXPECT_FALSE(run.contains("open ")) << run.transcript;
    EXPECT_FALSE(run.contains("Host fault")) << "the module took back all it registered\n" << run.transcript;
}

TEST(Unloading, KeepsTheDemandLoadRecord) {
    std::string name = IRONVEIL_RELEASE == 16 ? "Ironveil.arx" : "Ironveil.dll";
    ivtest::Run run = ivtest::runHostsim("ARX\nU " + name + "\n");
    ASSERT_TRUE(run.contains(name + " unloaded.")) << run.transcript;
    ivtest::RegFile reg = ivtest::RegFile::load(run.registryPath);
    EXPECT_EQ(reg.value(appKey(), "LOADCTRLS"), "dword:0000000c") << run.registryText();
    EXPECT_TRUE(reg.hasValue(appKey() + "\\Groups", "Quillwerk")) << run.registryText();
}

TEST(Unloading, LoadUnloadLoadGivesAWorkingModuleAgain) {
    std::string name = IRONVEIL_RELEASE == 16 ? "Ironveil.arx" : "Ironveil.dll";
    ivtest::Run run =
        ivtest::runHostsim("ARX\nU " + name + "\nARX\nL " + ivtest::modulePath() + "\nqwkHelp\nARX\n?\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains(name + " loaded.")) << run.transcript;
    EXPECT_EQ(run.count(kHelpEnglish), 1) << run.transcript;
    EXPECT_TRUE(run.contains("    Quillwerk_help (qwkHelp) transparent\n")) << run.transcript;
}

TEST(Loading, IgnoresTheDrawingMessage) {
    // hostsim sends message 3 to every module when a drawing is opened; the
    // module must carry on exactly as before.
    ivtest::Run run = ivtest::runHostsim("HSNOTIFY\n3\nqwkHelp\nARX\n?\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains(kHelpEnglish)) << run.transcript;
    EXPECT_EQ(run.count("    Quillwerk_help (qwkHelp) transparent\n"), 1) << run.transcript;
}
