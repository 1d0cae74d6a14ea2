// The settings helpers over the host's registry: what a read yields for every
// kind of stored value, and what a write leaves behind.
#include <gtest/gtest.h>

#include <string>

#include "hostsim/faults.h"
#include "hostsim/registry.h"
#include "hostsim/session.h"
#include "inprocess.h"
#include "ivtest.h"
#include "settings/settings.h"

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Halvorn\\Quillwerk";

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("registry.reg");
        ivtest::useRegistryFile(path_);
    }
    void TearDown() override {
        hs::clearFaults();
        ivtest::useMemoryRegistry();
    }
    void store(const std::string& valueText) {
        ivtest::writeFile(path_, ivtest::regFileText({{kKey, {{"wmLines", valueText}}}}));
        ivtest::useRegistryFile(path_);
    }
    int readLines() { return readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmLines")); }
    ivtest::TempDir dir_;
    std::string path_;
};

}  // namespace

TEST_F(SettingsStore, MissingKeyReadsAsZeroAndCreatesNothing) {
    EXPECT_EQ(readLines(), 0);
    EXPECT_EQ(hs::Session::get().registry().find(kKey), nullptr);
    EXPECT_EQ(hs::Session::get().registry().find("HKEY_CURRENT_USER\\Software"), nullptr);
    EXPECT_FALSE(ivtest::fileExists(path_)) << "a read wrote the registry file";
}

TEST_F(SettingsStore, MissingValueReadsAsZero) {
    ivtest::writeFile(path_, ivtest::regFileText({{kKey, {{"wmColor", ivtest::regDword(5)}}}}));
    ivtest::useRegistryFile(path_);
    EXPECT_EQ(readLines(), 0);
}

TEST_F(SettingsStore, DwordReadsAsItsSignedValue) {
    store(ivtest::regDword(12));
    EXPECT_EQ(readLines(), 12);
    store(ivtest::regDword(0xFFFFFFFFu));
    EXPECT_EQ(readLines(), -1);
}

TEST_F(SettingsStore, ValueOfAnotherTypeReadsAsZero) {
    for (const char* v : {"\"50\"", "hex(5):00,00,00,32", "hex:32,00,00,00", "hex(2):35,30,00"}) {
        store(v);
        EXPECT_EQ(readLines(), 0) << v;
    }
}

TEST_F(SettingsStore, ValueLongerThanFourBytesReadsAsZero) {
    store("hex(b):32,00,00,00,00,00,00,00");
    EXPECT_EQ(readLines(), 0);
    store("hex(4):32,00,00,00,00");  // a REG_DWORD with five bytes
    EXPECT_EQ(readLines(), 0);
}

TEST_F(SettingsStore, ShorterDwordDataReadsWithoutGarbage) {
    store("hex(4):07,00");
    int v = readLines();
    EXPECT_EQ(v, 7);
}

TEST_F(SettingsStore, NamesCompareIgnoringCase) {
    ivtest::writeFile(
        path_, "REGEDIT4\n\n[hkey_current_user\\SOFTWARE\\halvorn\\QUILLWERK]\n\"WMLINES\"=dword:00000009\n");
    ivtest::useRegistryFile(path_);
    EXPECT_EQ(readLines(), 9);
}

TEST_F(SettingsStore, WriteCreatesEveryMissingLevelAndStoresADword) {
    EXPECT_EQ(writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmFact"), 50), 1);
    ivtest::RegFile reg = ivtest::RegFile::load(path_);
    EXPECT_TRUE(reg.hasKey("HKEY_CURRENT_USER\\Software\\Halvorn"));
    EXPECT_EQ(reg.value(kKey, "wmFact"), "dword:00000032") << ivtest::readFile(path_);
}

TEST_F(SettingsStore, RoundTripKeepsNegativeAndExtremeValues) {
    for (int v : {0, 1, -1, 255, 2147483647, -2147483647 - 1}) {
        ASSERT_EQ(writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColor"), v), 1);
        EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColor")), v);
        ivtest::useRegistryFile(path_);  // and through the file
        EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColor")), v);
    }
}

TEST_F(SettingsStore, WriteReplacesAValueOfAnotherType) {
    store("\"12\"");
    ASSERT_EQ(writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmLines"), 4), 1);
    EXPECT_EQ(readLines(), 4);
    EXPECT_EQ(ivtest::RegFile::load(path_).value(kKey, "wmLines"), "dword:00000004");
}

TEST_F(SettingsStore, FailedKeyCreationReportsZeroAndStoresNothing) {
    hs::armFault("RegCreateKeyEx", Acad::eInvalidInput);
    EXPECT_EQ(writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmLines"), 4), 0);
    EXPECT_EQ(hs::Session::get().registry().find(kKey), nullptr);
}

TEST_F(SettingsStore, FailedSetKeepsThePreviousValue) {
    store(ivtest::regDword(6));
    hs::armFault("RegSetValueEx", Acad::eInvalidInput);
    EXPECT_EQ(writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmLines"), 4), 0);
    EXPECT_EQ(readLines(), 6);
}

TEST_F(SettingsStore, HelpersAcceptAnyRootAndSubKey) {
    ASSERT_EQ(writeRegistryDword(HKEY_CURRENT_USER, ACRX_T("Software\\Elsewhere"), ACRX_T("x"), 3), 1);
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, ACRX_T("Software\\Elsewhere"), ACRX_T("x")), 3);
    EXPECT_EQ(readRegistryDword(HKEY_LOCAL_MACHINE, ACRX_T("Software\\Elsewhere"), ACRX_T("x")), 0);
}
