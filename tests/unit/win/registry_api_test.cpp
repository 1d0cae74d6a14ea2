// The Win32 registry functions of the host, A and W forms, keep Windows
// semantics over the registry file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hostsim/registry.h"
#include "hostsim/session.h"
#include "inprocess.h"
#include "ivtest.h"
#include "win/shell.h"
#include "winsubset.h"

namespace {

class RegistryApi : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("reg.reg");
#if defined(_WIN32)
        hs::interceptRegistry(GetModuleHandleW(nullptr));  // keeps the file in step
#endif
        ivtest::useRegistryFile(path_);
    }
    void TearDown() override {
        ivtest::useMemoryRegistry();
    }
    HKEY create(const wchar_t* sub) {
        HKEY h = nullptr;
        DWORD disp = 0;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, &disp),
                  ERROR_SUCCESS);
        return h;
    }
    ivtest::TempDir dir_;
    std::string path_;
};

}  // namespace

TEST_F(RegistryApi, OpeningAMissingKeyFailsWithFileNotFound) {
    HKEY h = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_QUERY_VALUE, &h),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Nowhere", 0, KEY_QUERY_VALUE, &h),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(ivtest::fileExists(path_));
}

TEST_F(RegistryApi, CreateMakesEveryLevelAndTellsWhetherItWasNew) {
    HKEY h = nullptr;
    DWORD disp = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A\\B\\C", 0, nullptr, 0, KEY_WRITE, nullptr, &h, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\b\\c", 0, nullptr, 0, KEY_WRITE, nullptr, &h, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(h);
    ivtest::RegFile reg = ivtest::RegFile::load(path_);
    EXPECT_TRUE(reg.hasKey("HKEY_CURRENT_USER\\A"));
    EXPECT_TRUE(reg.hasKey("HKEY_CURRENT_USER\\A\\B"));
    EXPECT_TRUE(reg.hasKey("HKEY_CURRENT_USER\\A\\B\\C"));
}

TEST_F(RegistryApi, QueryReportsMissingValueAndTheStoredType) {
    HKEY h = create(L"K");
    DWORD type = 99;
    DWORD size = 4;
    BYTE buf[4] = {};
    EXPECT_EQ(RegQueryValueExW(h, L"none", nullptr, &type, buf, &size), ERROR_FILE_NOT_FOUND);
    const BYTE q[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(RegSetValueExW(h, L"big", 0, REG_QWORD, q, 8), ERROR_SUCCESS);
    size = 0;
    EXPECT_EQ(RegQueryValueExW(h, L"big", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_QWORD));
    EXPECT_EQ(size, 8u);
    RegCloseKey(h);
}

TEST_F(RegistryApi, TooSmallBufferGivesMoreDataAndTheSizeNeeded) {
    HKEY h = create(L"K");
    const BYTE q[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(RegSetValueExW(h, L"big", 0, REG_BINARY, q, 8), ERROR_SUCCESS);
    BYTE buf[4] = {9, 9, 9, 9};
    DWORD size = 4;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(h, L"big", nullptr, &type, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    RegCloseKey(h);
}

TEST_F(RegistryApi, StringsRoundTripBetweenTheWideAndNarrowForms) {
    HKEY h = create(L"Strings");
    const wchar_t* text = L"caf\u00e9";
    ASSERT_EQ(RegSetValueExW(h, L"w", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    char narrow[16] = {};
    DWORD size = sizeof narrow;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(h, "W", nullptr, &type, reinterpret_cast<BYTE*>(narrow), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
#if defined(_WIN32)
    // The narrow form is the system code page's text.
    char expected[16] = {};
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, expected, sizeof expected, nullptr, nullptr);
    EXPECT_STREQ(narrow, expected);
    EXPECT_EQ(size, static_cast<DWORD>(n));
#else
    EXPECT_STREQ(narrow, "caf\xc3\xa9");
    EXPECT_EQ(size, 6u);
#endif
    wchar_t wide[16] = {};
    size = sizeof wide;
    ASSERT_EQ(RegQueryValueExW(h, L"w", nullptr, &type, reinterpret_cast<BYTE*>(wide), &size), ERROR_SUCCESS);
    EXPECT_STREQ(wide, text);
    EXPECT_EQ(size, 5 * sizeof(wchar_t));
    RegCloseKey(h);
    EXPECT_EQ(ivtest::RegFile::load(path_).value("HKEY_CURRENT_USER\\Strings", "w"), "\"caf\xc3\xa9\"");
}

TEST_F(RegistryApi, AHandleOpenedForQueryCannotSetValues) {
    create(L"RO");
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"RO", 0, KEY_QUERY_VALUE, &h), ERROR_SUCCESS);
    DWORD v = 1;
    EXPECT_EQ(RegSetValueExW(h, L"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_ACCESS_DENIED);
    RegCloseKey(h);
}

TEST_F(RegistryApi, ClosedOrUnknownHandlesAreRefused) {
    HKEY h = create(L"K");
    EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExW(h, L"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApi, ValuesSurviveInTheFileWithTheirTypes) {
    HKEY h = create(L"Types");
    DWORD d = 0xfa;
    const BYTE be[4] = {0, 0, 0, 1};
    const BYTE q[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    RegSetValueExA(h, "d", 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4);
    RegSetValueExA(h, "be", 0, REG_DWORD_BIG_ENDIAN, be, 4);
    RegSetValueExA(h, "q", 0, REG_QWORD, q, 8);
    RegSetValueExA(h, "s", 0, REG_SZ, reinterpret_cast<const BYTE*>("a\"b\\c"), 6);
    RegCloseKey(h);
    ivtest::RegFile reg = ivtest::RegFile::load(path_);
    const std::string k = "HKEY_CURRENT_USER\\Types";
    EXPECT_EQ(reg.value(k, "d"), "dword:000000fa");
    EXPECT_EQ(reg.value(k, "be"), "hex(5):00,00,00,01");
    EXPECT_EQ(reg.value(k, "q"), "hex(b):01,00,00,00,00,00,00,00");
    EXPECT_EQ(reg.value(k, "s"), "\"a\\\"b\\\\c\"");
    // Read back through a fresh load of the file.
    ivtest::useRegistryFile(path_);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Types", 0, KEY_READ, &h), ERROR_SUCCESS);
    char s[16] = {};
    DWORD size = sizeof s;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(h, "s", nullptr, &type, reinterpret_cast<BYTE*>(s), &size), ERROR_SUCCESS);
    EXPECT_STREQ(s, "a\"b\\c");
    RegCloseKey(h);
}
