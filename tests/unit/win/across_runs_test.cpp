// The per-user registry carries settings and records from one run to the
// next: what the module and hostsim store in one run is what the next run
// reads, with every value type intact. On Windows each run's registry is a
// sandbox of the real registry filled from the file, so these tests check the
// trip file -> real registry -> file as well.
#include <gtest/gtest.h>

#include <string>

#include "hostsim/registry.h"
#include "hostsim/session.h"
#include "inprocess.h"
#include "ivtest.h"
#include "settings/settings.h"
#include "win/shell.h"
#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Halvorn\\Quillwerk";

class RegistryAcrossRuns : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("user.reg");
#if defined(_WIN32)
        hs::interceptRegistry(GetModuleHandleW(nullptr));
#endif
    }
    void TearDown() override {
        ivtest::useMemoryRegistry();
    }
    // Ends this run and starts the next from the file.
    void nextRun() {
        hs::Session::get().registry().flush();
        ivtest::useRegistryFile(path_);
    }
    hs::Registry& reg() {
        return hs::Session::get().registry();
    }
    ivtest::TempDir dir_;
    std::string path_;
};

}  // namespace

TEST_F(RegistryAcrossRuns, ASettingTheModuleStoresIsSeenByHostsimAndTheNextRun) {
    ivtest::useRegistryFile(path_);
    ASSERT_EQ(writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColumns"), 7), 1);
    const hs::Registry::Value* v = reg().value(kKey, "WMCOLUMNS");
    ASSERT_NE(v, nullptr) << "hostsim does not see the module's write";
    EXPECT_EQ(v->type, 4u);
    EXPECT_EQ(v->bytes, std::vector<unsigned char>({7, 0, 0, 0}));
    nextRun();
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColumns")), 7);
    EXPECT_EQ(ivtest::RegFile::load(path_).value(kKey, "wmColumns"), ivtest::regDword(7));
}

TEST_F(RegistryAcrossRuns, HostsimsRecordsReachTheModuleInTheNextRun) {
    ivtest::useRegistryFile(path_);
    reg().setDword(kKey, "wmFact", 30);
    reg().setString("HKEY_CURRENT_USER\\Software\\Hostsim Test\\Record", "LOADER", "C:\\x\\Ironveil.dll");
    nextRun();
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmFact")), 30);
    const hs::Registry::Value* loader =
        reg().value("HKEY_CURRENT_USER\\Software\\Hostsim Test\\Record", "loader");
    ASSERT_NE(loader, nullptr);
    EXPECT_EQ(loader->type, 1u);
    EXPECT_EQ(loader->text, "C:\\x\\Ironveil.dll");
}

TEST_F(RegistryAcrossRuns, EveryValueTypeComesBackExactlyAsItWasStored) {
    const std::string file =
        "REGEDIT4\n\n[HKEY_CURRENT_USER]\n\n[HKEY_CURRENT_USER\\Software]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Types]\n"
        "@=\"default\"\n"
        "\"be\"=hex(5):00,00,00,01\n"
        "\"bin\"=hex:00,ff,10\n"
        "\"dw\"=dword:fffffffe\n"
        "\"empty\"=\"\"\n"
        "\"exp\"=hex(2):25,50,41,54,48,25,00\n"
        "\"lines\"=hex(1):61,0a,62,00\n"
        "\"link\"=hex(6):41,00,42,00\n"
        "\"multi\"=hex(7):6f,6e,65,00,74,77,6f,00,00\n"
        "\"none\"=hex(0):\n"
        "\"qw\"=hex(b):ff,ee,dd,cc,bb,aa,99,88\n"
        "\"text\"=\"\xe4\xb8\xad\xe6\x96\x87 \\\"quoted\\\" \xf0\x9f\x98\x80\"\n"
        "\n[HKEY_CURRENT_USER\\Software\\Types\\Empty key]\n";
    ivtest::writeFile(path_, file);
    ivtest::useRegistryFile(path_);
    const hs::Registry::Value* text = reg().value("HKEY_CURRENT_USER\\Software\\Types", "text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "\xe4\xb8\xad\xe6\x96\x87 \"quoted\" \xf0\x9f\x98\x80");
    const hs::Registry::Value* multi = reg().value("HKEY_CURRENT_USER\\Software\\Types", "multi");
    ASSERT_NE(multi, nullptr);
    EXPECT_EQ(multi->type, 7u);
    EXPECT_EQ(multi->text, std::string("one\0two", 7));
    ASSERT_TRUE(reg().save());
    EXPECT_EQ(ivtest::readFile(path_), file);
    nextRun();
    ASSERT_TRUE(reg().save());
    EXPECT_EQ(ivtest::readFile(path_), file) << "a second run changed the stored values";
}

TEST_F(RegistryAcrossRuns, ARemovedKeyStaysRemovedAndItsSiblingsStay) {
    ivtest::useRegistryFile(path_);
    reg().setDword("HKEY_CURRENT_USER\\Software\\Gone\\Deep", "a", 1);
    reg().setDword("HKEY_CURRENT_USER\\Software\\Kept", "b", 2);
    ASSERT_TRUE(reg().removeKey("HKEY_CURRENT_USER\\Software\\Gone"));
    EXPECT_FALSE(reg().removeKey("HKEY_CURRENT_USER\\Software\\Gone")) << "removed twice";
    nextRun();
    EXPECT_EQ(reg().find("HKEY_CURRENT_USER\\Software\\Gone"), nullptr);
    EXPECT_EQ(reg().find("HKEY_CURRENT_USER\\Software\\Gone\\Deep"), nullptr);
    ASSERT_NE(reg().value("HKEY_CURRENT_USER\\Software\\Kept", "b"), nullptr);
    ivtest::RegFile file = ivtest::RegFile::load(path_);
    EXPECT_FALSE(file.hasKey("HKEY_CURRENT_USER\\Software\\Gone"));
    EXPECT_EQ(file.value("HKEY_CURRENT_USER\\Software\\Kept", "b"), ivtest::regDword(2));
}

TEST_F(RegistryAcrossRuns, ARunThatChangesNothingLeavesTheFileAsTheUserWroteIt) {
    // Not in the form hostsim writes: comments, capitals, no intermediate keys.
    const std::string file =
        "REGEDIT4\n; the user's notes\n[HKEY_CURRENT_USER\\Software\\Halvorn\\Quillwerk]\n"
        "\"wmLines\"=dword:0000000A\n";
    ivtest::writeFile(path_, file);
    ivtest::useRegistryFile(path_);
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmLines")), 10);
    ASSERT_TRUE(reg().flush());
    EXPECT_EQ(ivtest::readFile(path_), file);
}

// Through the hostsim program: the WM command's answers of the first run are
// the defaults it offers in the second.
TEST(RegistryAcrossHostsimRuns, TheWatermarkAnswersOfOneRunAreTheDefaultsOfTheNext) {
    const std::string source = "LINE\n-5,2\n25,12\n\n";
    ivtest::HostsimOptions first;
    ivtest::Run one = ivtest::runHostsim(source + "WM\n20,10\n100,50\n3\n4\n30\nALL\n\n5\n", first);
    ASSERT_EQ(one.exitCode, 0) << one.transcript;
    ASSERT_TRUE(one.contains("Watermark Lines(2--12)[12]: ")) << one.transcript;
    EXPECT_EQ(ivtest::RegFile::load(one.registryPath).value(ivtest::kSettingsKey, "wmColor"),
              ivtest::regDword(5))
        << one.registryText();
    ivtest::HostsimOptions second;
    second.registryText = one.registryText();
    ivtest::Run two = ivtest::runHostsim(source + "WM\n20,10\n100,50\n\n\n\nALL\n\n\n", second);
    ASSERT_EQ(two.exitCode, 0) << two.transcript;
    EXPECT_TRUE(two.contains("Watermark Lines(2--12)[3]: ")) << two.transcript;
    EXPECT_TRUE(two.contains("Watermark Columns(3--16)[4]: "));
    EXPECT_TRUE(two.contains("Watermark Size(10--90)[30]: "));
    EXPECT_TRUE(two.contains("Watermark Color(0--255)[5]: "));
    EXPECT_EQ(ivtest::RegFile::load(two.registryPath).value(ivtest::kSettingsKey, "wmLines"),
              ivtest::regDword(3));
}
