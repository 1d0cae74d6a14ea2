// Windows: the session's registry is a sandbox of the real registry. What the
// module writes with the real functions is what hostsim reads; the user's own
// keys stay out of reach; the module's shell and registry calls pass through
// hostsim (transcript, fault table).
#if defined(_WIN32)
#include <gtest/gtest.h>

#include <string>

#include "hostsim/faults.h"
#include "hostsim/registry.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "inprocess.h"
#include "ivtest.h"
#include "win/shell.h"
#include "winsubset.h"  // the real windows.h and shellapi.h, in their order

namespace {

const wchar_t* const kSub = L"Software\\Hostsim Test\\Real";
const std::string kPath = "HKEY_CURRENT_USER\\Software\\Hostsim Test\\Real";

class RealRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("user.reg");
        hs::interceptRegistry(GetModuleHandleW(nullptr));
        ivtest::useRegistryFile(path_);
    }
    void TearDown() override {
        hs::clearFaults();
        ivtest::useMemoryRegistry();
    }
    HKEY create() {
        HKEY h = nullptr;
        EXPECT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, kSub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
        return h;
    }
    hs::Registry& reg() { return hs::Session::get().registry(); }
    ivtest::TempDir dir_;
    std::string path_;
};

}  // namespace

TEST_F(RealRegistry, AValueSetThroughTheRealFunctionIsWhatHostsimReads) {
    ASSERT_TRUE(reg().sandboxed());
    HKEY h = create();
    const wchar_t text[] = L"\u4e2d\u6587";
    ASSERT_EQ(RegSetValueExW(h, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
              ERROR_SUCCESS);
    const BYTE q[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(RegSetValueExW(h, L"Big", 0, REG_QWORD, q, 8), ERROR_SUCCESS);
    RegCloseKey(h);
    const hs::Registry::Value* name = reg().value(kPath, "name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->type, static_cast<std::uint32_t>(REG_SZ));
    EXPECT_EQ(name->text, "\xe4\xb8\xad\xe6\x96\x87");
    const hs::Registry::Value* big = reg().value(kPath, "BIG");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->bytes, std::vector<unsigned char>(q, q + 8));
    ivtest::RegFile file = ivtest::RegFile::load(path_);
    EXPECT_EQ(file.value(kPath, "Name"), "\"\xe4\xb8\xad\xe6\x96\x87\"") << ivtest::readFile(path_);
    EXPECT_EQ(file.value(kPath, "Big"), "hex(b):01,02,03,04,05,06,07,08");
}

TEST_F(RealRegistry, WhatHostsimWritesIsWhatTheRealFunctionReads) {
    reg().setDword(kPath, "wmColor", 0xfa);
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &h), ERROR_SUCCESS);
    DWORD v = 0;
    DWORD size = sizeof v;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(h, L"WMCOLOR", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(v, 0xfau);
    RegCloseKey(h);
}

TEST_F(RealRegistry, EachRunSeesOnlyItsOwnFileNotTheUsersRealKeys) {
    HKEY h = create();
    RegCloseKey(h);
    {
        // A second store opened meanwhile takes HKEY_CURRENT_USER, and gives it
        // back when it goes.
        hs::Registry other;
        std::string message;
        ASSERT_TRUE(other.open(std::string(), message));
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    }
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &h), ERROR_SUCCESS);
    RegCloseKey(h);
    ivtest::useMemoryRegistry();
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND)
        << "the last run's keys outlived it";
}

TEST_F(RealRegistry, InjectedFaultsReachTheModulesRegistryCalls) {
    HKEY h = create();
    hs::armFault("RegSetValueEx", Acad::eInvalidInput);
    DWORD v = 1;
    EXPECT_EQ(RegSetValueExW(h, L"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg().value(kPath, "x"), nullptr);
    EXPECT_EQ(RegSetValueExW(h, L"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS)
        << "the fault was armed for one call";
    RegCloseKey(h);
    hs::armFault("RegOpenKeyEx", Acad::eInvalidInput);
    h = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &h), ERROR_ACCESS_DENIED);
    EXPECT_EQ(h, nullptr);
}

TEST(RealShell, TheModulesShellRequestsAreRecordedNotOpened) {
    hs::interceptShell(GetModuleHandleW(nullptr));
    ivtest::Transcript t;
    HINSTANCE r = ShellExecuteW(nullptr, L"open", L"https://example.test/w", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_GT(reinterpret_cast<std::uintptr_t>(r), 32u);
    ShellExecuteA(nullptr, nullptr, "https://example.test/a", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(t.take(), "open https://example.test/w\nopen https://example.test/a\n");
}

TEST(RealShell, TheModuleLibrarysImportsAreRedirectedOnce) {
    HMODULE module = LoadLibraryW(hs::utf8ToWide(ivtest::modulePath()).c_str());
    ASSERT_NE(module, nullptr) << ivtest::modulePath();
    EXPECT_EQ(hs::interceptShell(module), 1) << "the module calls ShellExecuteW";
    EXPECT_GE(hs::interceptRegistry(module), 4) << "open, query, create and set, at least";
    EXPECT_EQ(hs::interceptShell(module), 0) << "a second pass changes nothing";
    EXPECT_EQ(hs::interceptRegistry(module), 0);
    FreeLibrary(module);
}

#endif
