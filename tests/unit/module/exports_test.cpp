// The module file exports exactly the two functions the host calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "ivtest.h"

namespace {
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
