// The module file exports exactly the two functions the host calls.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstdio>
#include <set>
#include <string>

#include "adesk.h"
#include "core/os.h"
#include "ivtest.h"

namespace {
#if defined(_WIN32)
// The names in the DLL's export table, read from the mapped image.
std::set<std::string> definedDynamicSymbols(const std::string& file) {
    std::set<std::string> names;
    HMODULE h = LoadLibraryExA(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (h == nullptr)
        return names;
    auto base = reinterpret_cast<const unsigned char*>(h);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress != 0) {
        auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
        auto nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
    }
    FreeLibrary(h);
    return names;
}
#else
std::set<std::string> definedDynamicSymbols(const std::string& file) {
    std::set<std::string> names;
    std::string cmd = "nm -D --defined-only '" + file + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr)
        return names;
    char line[4096];
    while (fgets(line, sizeof line, p) != nullptr) {
        std::string l(line);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        size_t space = l.find_last_of(' ');
        if (space != std::string::npos)
            names.insert(l.substr(space + 1));
    }
    pclose(p);
    return names;
}
#endif
}  // namespace

TEST(ModuleFile, ExportsOnlyTheEntryPointAndTheApiVersion) {
    std::set<std::string> names = definedDynamicSymbols(ivtest::modulePath());
    ASSERT_FALSE(names.empty()) << "nm found nothing in " << ivtest::modulePath();
    EXPECT_EQ(names.count("acrxEntryPoint"), 1u);
    EXPECT_EQ(names.count("acrxGetApiVersion"), 1u);
    std::set<std::string> others;
    for (const std::string& n : names)
        if (n != "acrxEntryPoint" && n != "acrxGetApiVersion")
            others.insert(n);
    std::string list;
    for (const std::string& n : others)
        list += n + "\n";
    EXPECT_TRUE(others.empty()) << "other exported symbols:\n" << list;
}

TEST(ModuleFile, CarriesTheNameOfItsRelease) {
    std::string expected = IRONVEIL_RELEASE == 16 ? "Ironveil.arx" : "Ironveil.dll";
    EXPECT_EQ(ivtest::modulePath().substr(ivtest::modulePath().size() - expected.size()), expected);
    EXPECT_TRUE(ivtest::fileExists(ivtest::modulePath()));
}

// The module file itself answers the host's release check with its release
// in the upper 16 bits; the value is printed so each configuration's log shows it.
TEST(ModuleFile, AnswersTheReleaseCheckWithItsRelease) {
    std::string error;
    void* library = hs::os::openLibrary(ivtest::modulePath(), error);
    ASSERT_NE(library, nullptr) << error;
    auto version = reinterpret_cast<Adesk::UInt32 (*)()>(hs::os::findSymbol(library, "acrxGetApiVersion"));
    ASSERT_NE(version, nullptr);
    const Adesk::UInt32 expected = IRONVEIL_RELEASE == 16   ? 0x100000u
                                   : IRONVEIL_RELEASE == 18 ? 0x120000u
                                                            : 0x130000u;
    Adesk::UInt32 got = version();
    std::printf("release %d%s, %d-bit: acrxGetApiVersion = 0x%X\n", IRONVEIL_RELEASE,
                IRONVEIL_RELEASE == 16 ? (IRONVEIL_MAINT == 0 ? " (2004 SDK)" : " (2006 SDK)") : "",
                static_cast<int>(sizeof(void*) * 8), static_cast<unsigned>(got));
    EXPECT_EQ(got, expected);
    EXPECT_EQ(version(), expected) << "the second call answers the same";
    hs::os::closeLibrary(library);
}
