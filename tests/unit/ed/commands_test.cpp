// The command stack: groups, global and local names, flags and lookups.
#include <gtest/gtest.h>

#include "aced.h"
#include "hostsim/text.h"

namespace {
void nop() {}
void nop2() {}

class CommandStackTest : public ::testing::Test {
protected:
    void TearDown() override {
        acedRegCmds->removeGroup(ACRX_T("HSTEST_A"));
        acedRegCmds->removeGroup(ACRX_T("HSTEST_B"));
    }
};
}  // namespace

TEST_F(CommandStackTest, FindsACommandByEitherNameIgnoringCase) {
    ASSERT_EQ(acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("Hs_Global"), ACRX_T("hsl"),
                                      ACRX_CMD_TRANSPARENT, nop),
              Acad::eOk);
    AcEdCommand* byGlobal = acedRegCmds->lookupGlobalCmd(ACRX_T("HS_GLOBAL"));
    ASSERT_NE(byGlobal, nullptr);
    EXPECT_EQ(acedRegCmds->lookupLocalCmd(ACRX_T("HSL")), byGlobal);
    EXPECT_EQ(acedRegCmds->lookupCmd(ACRX_T("hs_global"), true), byGlobal);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd(ACRX_T("hsl")), nullptr) << "a local name is not a global one";
    EXPECT_EQ(byGlobal->commandFlags(), ACRX_CMD_TRANSPARENT);
    EXPECT_EQ(byGlobal->functionAddr(), &nop);
    EXPECT_EQ(hs::tstring(byGlobal->globalName()), ACRX_T("Hs_Global"));
    EXPECT_EQ(hs::tstring(byGlobal->localName()), ACRX_T("hsl"));
}

TEST_F(CommandStackTest, RefusesADuplicateNameInTheSameGroup) {
    ASSERT_EQ(acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("HSDUP"), ACRX_T("hsdup"), 0, nop),
              Acad::eOk);
    EXPECT_EQ(acedRegCmds->addCommand(ACRX_T("hstest_a"), ACRX_T("hsdup"), ACRX_T("other"), 0, nop2),
              Acad::eDuplicateKey);
    EXPECT_EQ(acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("HSOTHER"), ACRX_T("HSDUP"), 0, nop2),
              Acad::eDuplicateKey);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd(ACRX_T("HSDUP"))->functionAddr(), &nop);
}

TEST_F(CommandStackTest, TheGroupAddedLastIsSearchedFirst) {
    acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("HSSAME"), ACRX_T("HSSAME"), 0, nop);
    acedRegCmds->addCommand(ACRX_T("HSTEST_B"), ACRX_T("HSSAME"), ACRX_T("HSSAME"), 0, nop2);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd(ACRX_T("HSSAME"))->functionAddr(), &nop2);
    acedRegCmds->removeGroup(ACRX_T("HSTEST_B"));
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd(ACRX_T("HSSAME"))->functionAddr(), &nop);
}

TEST_F(CommandStackTest, RemovingAGroupRemovesAllItsCommands) {
    acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("HSONE"), ACRX_T("HSONE"), 0, nop);
    acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("HSTWO"), ACRX_T("HSTWO"), 0, nop);
    EXPECT_EQ(acedRegCmds->removeGroup(ACRX_T("hstest_a")), Acad::eOk);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd(ACRX_T("HSONE")), nullptr);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd(ACRX_T("HSTWO")), nullptr);
    EXPECT_EQ(acedRegCmds->removeGroup(ACRX_T("HSTEST_A")), Acad::eKeyNotFound);
}

TEST_F(CommandStackTest, RemovesOneCommandByItsGlobalName) {
    acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("HSONE"), ACRX_T("HSONE"), 0, nop);
    EXPECT_EQ(acedRegCmds->removeCmd(ACRX_T("HSTEST_A"), ACRX_T("hsone")), Acad::eOk);
    EXPECT_EQ(acedRegCmds->lookupGlobalCmd(ACRX_T("HSONE")), nullptr);
    EXPECT_EQ(acedRegCmds->removeCmd(ACRX_T("HSTEST_A"), ACRX_T("HSONE")), Acad::eKeyNotFound);
}

TEST_F(CommandStackTest, RefusesEmptyOrOverlongNames) {
    EXPECT_EQ(acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T(""), ACRX_T("x"), 0, nop),
              Acad::eInvalidInput);
    hs::tstring longName(65, ACRX_T('A'));
    EXPECT_EQ(acedRegCmds->addCommand(ACRX_T("HSTEST_A"), longName.c_str(), ACRX_T("x"), 0, nop),
              Acad::eInvalidInput);
    EXPECT_EQ(acedRegCmds->addCommand(ACRX_T("HSTEST_A"), ACRX_T("HS NAME"), ACRX_T("x"), 0, nop),
              Acad::eInvalidInput);
}

TEST_F(CommandStackTest, HostCommandsLiveInTheAcadGroup) {
    AcEdCommand* quit = acedRegCmds->lookupGlobalCmd(ACRX_T("QUIT"));
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(acedRegCmds->addCommand(ACRX_T("ACAD"), ACRX_T("QUIT"), ACRX_T("QUIT"), 0, nop),
              Acad::eDuplicateKey);
}
