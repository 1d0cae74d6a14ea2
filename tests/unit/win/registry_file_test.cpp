// The registry file: a damaged file is reported by line and never destroyed.
#include <gtest/gtest.h>

#include <string>

#include "hostsim/registry.h"
#include "ivtest.h"

TEST(RegistryFile, ReportsTheLineOfEachUnreadableEntry) {
    ivtest::TempDir dir;
    std::string path = dir.file("bad.reg");
    ivtest::writeFile(path,
                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Good]\n\"a\"=dword:00000001\nthis is not a value\n"
                      "\"b\"=dword:xyz\n\"c\"=\"fine\"\n");
    hs::Registry reg;
    std::string message;
    EXPECT_FALSE(reg.open(path, message));
    EXPECT_NE(message.find("line 5:"), std::string::npos) << message;
    EXPECT_NE(message.find("line 6:"), std::string::npos) << message;
    EXPECT_EQ(message.find("line 4:"), std::string::npos) << message;
    // What could be read is there.
    ASSERT_NE(reg.value("HKEY_CURRENT_USER\\Good", "a"), nullptr);
    ASSERT_NE(reg.value("HKEY_CURRENT_USER\\Good", "c"), nullptr);
    EXPECT_EQ(reg.value("HKEY_CURRENT_USER\\Good", "c")->text, "fine");
}

TEST(RegistryFile, IsNeverRewrittenAfterItCouldNotBeRead) {
    ivtest::TempDir dir;
    std::string path = dir.file("bad.reg");
    std::string original = "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:00000001\ngarbage line\n";
    ivtest::writeFile(path, original);
    hs::Registry reg;
    std::string message;
    reg.open(path, message);
    EXPECT_FALSE(reg.writable());
    reg.setDword("HKEY_CURRENT_USER\\K", "b", 2);
    EXPECT_EQ(ivtest::readFile(path), original);
    EXPECT_NE(reg.value("HKEY_CURRENT_USER\\K", "b"), nullptr) << "the change lives on in memory";
}

TEST(RegistryFile, ReadsWhatItWritesIncludingContinuedHexLines) {
    ivtest::TempDir dir;
    std::string path = dir.file("r.reg");
    ivtest::writeFile(path,
                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"long\"=hex:01,02,03,\\\n  04,05\n@=\"default\"\n"
                      "\"multi\"=hex(7):61,00,62,00,00\n");
    hs::Registry reg;
    std::string message;
    ASSERT_TRUE(reg.open(path, message)) << message;
    ASSERT_NE(reg.value("HKEY_CURRENT_USER\\K", "long"), nullptr);
    EXPECT_EQ(reg.value("HKEY_CURRENT_USER\\K", "long")->bytes.size(), 5u);
    ASSERT_NE(reg.value("HKEY_CURRENT_USER\\K", ""), nullptr);
    EXPECT_EQ(reg.value("HKEY_CURRENT_USER\\K", "")->text, "default");
    EXPECT_EQ(reg.value("HKEY_CURRENT_USER\\K", "multi")->text, std::string("a\0b", 3));
    ASSERT_TRUE(reg.save());
    hs::Registry again;
    ASSERT_TRUE(again.open(path, message)) << message << "\n" << ivtest::readFile(path);
    EXPECT_EQ(again.text(), reg.text());
}

TEST(RegistryFile, AMissingFileIsMadeOnTheFirstChange) {
    ivtest::TempDir dir;
    std::string path = dir.file("sub/dir/new.reg");
    hs::Registry reg;
    std::string message;
    ASSERT_TRUE(reg.open(path, message));
    EXPECT_FALSE(ivtest::fileExists(path));
    reg.setString("HKEY_CURRENT_USER\\X", "v", "t");
    EXPECT_EQ(ivtest::RegFile::load(path).value("HKEY_CURRENT_USER\\X", "v"), "\"t\"");
}
