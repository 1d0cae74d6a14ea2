// The 8-bit builds call the registry's A functions and the wide builds its W
// functions; a user who moves between them keeps their settings, because the
// registry stores names and values in one form whichever family wrote them.
// Runs against hostsim's registry on Linux and the real one on Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/platform.h"
#include "inprocess.h"
#include "settings/settings.h"

namespace {

class TextWidths : public ::testing::Test {
protected:
    void SetUp() override { ivtest::useMemoryRegistry(); }
    void TearDown() override { ivtest::useMemoryRegistry(); }
};

// What a release 16 build's helper does: the 8-bit functions.
void writeNarrow(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvorn\\Quillwerk", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              0);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              0);
    RegCloseKey(key);
}

DWORD readNarrow(const char* name, DWORD* type) {
    HKEY key = nullptr;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvorn\\Quillwerk", 0, KEY_READ, &key) != 0)
        return 0xDEADBEEF;
    LONG rc = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == 0 && size == sizeof value ? value : 0xDEADBEEF;
}

// What a release 18 or 19 build's helper does: the wide functions.
void writeWide(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Halvorn\\Quillwerk", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              0);
    EXPECT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              0);
    RegCloseKey(key);
}

DWORD readWide(const wchar_t* name, DWORD* type) {
    HKEY key = nullptr;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Halvorn\\Quillwerk", 0, KEY_READ, &key) != 0)
        return 0xDEADBEEF;
    LONG rc = RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == 0 && size == sizeof value ? value : 0xDEADBEEF;
}

}  // namespace

TEST_F(TextWidths, ValuesWrittenByAnEightBitBuildAreReadByAWideOne) {
    writeNarrow("wmLines", 7);
    writeNarrow("ChineseVersion", 1);
    DWORD type = 0;
    EXPECT_EQ(readWide(L"wmLines", &type), 7u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(readWide(L"WMLINES", &type), 7u) << "names compare ignoring case in either family";
    EXPECT_EQ(readWide(L"ChineseVersion", &type), 1u);
}

TEST_F(TextWidths, ValuesWrittenByAWideBuildAreReadByAnEightBitOne) {
    writeWide(L"wmColumns", 11);
    writeWide(L"wmColor", 0xFFFFFFFFu);
    DWORD type = 0;
    EXPECT_EQ(readNarrow("wmColumns", &type), 11u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(readNarrow("wmColor", &type), 0xFFFFFFFFu);
}

TEST_F(TextWidths, TheModulesHelpersOfThisBuildMeetBothFamilies) {
    // This build's helpers use one family; the other family wrote before and
    // reads after, as a user switching between releases would see.
    writeNarrow("wmFact", 40);
    writeWide(L"wmColor", 3);
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmFact")), 40);
    EXPECT_EQ(readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColor")), 3);
    EXPECT_EQ(writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmLines"), 9), 1);
    DWORD type = 0;
    EXPECT_EQ(readNarrow("wmLines", &type), 9u);
    EXPECT_EQ(readWide(L"wmLines", &type), 9u);
}
