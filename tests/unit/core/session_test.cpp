// The command line: how script lines become answers, what the transcript
// shows, and how faults are counted.
#include "hostsim/session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aced.h"
#include "hostsim/faults.h"
#include "inprocess.h"
#include "ivtest.h"

namespace {

std::vector<hs::Input> g_answers;

void askThree() {
    for (int i = 0; i < 3; ++i)
        g_answers.push_back(hs::Session::get().readInput("Answer: "));
}

struct AskCommand {
    AskCommand() {
        acedRegCmds->addCommand(ACRX_T("SESSIONTEST"), ACRX_T("ASK3"), ACRX_T("ASK3"), 0, askThree);
        g_answers.clear();
    }
    ~AskCommand() { acedRegCmds->removeGroup(ACRX_T("SESSIONTEST")); }
};

}  // namespace

TEST(CommandLine, BlankLinesAreEnterCaretCIsCancelAndCommentsAreSkipped) {
    AskCommand cmd;
    std::string out = ivtest::runScript("ASK3\n; a comment\n12,3\r\n\n^C\n");
    ASSERT_EQ(g_answers.size(), 3u) << out;
    EXPECT_EQ(g_answers[0].kind, hs::Input::kText);
    EXPECT_EQ(g_answers[0].text, "12,3");
    EXPECT_EQ(g_answers[1].kind, hs::Input::kEnter);
    EXPECT_EQ(g_answers[2].kind, hs::Input::kCancel);
    EXPECT_EQ(out, "Command: ASK3\nAnswer: 12,3\nAnswer: \nAnswer: *Cancel*\nCommand: \n");
}

TEST(CommandLine, EndOfInputIsReportedToThePrompt) {
    AskCommand cmd;
    ivtest::runScript("ASK3\nonly\n");
    ASSERT_EQ(g_answers.size(), 3u);
    EXPECT_EQ(g_answers[1].kind, hs::Input::kEnd);
    EXPECT_EQ(g_answers[2].kind, hs::Input::kEnd);
}

TEST(CommandLine, QueuedAnswersComeBeforeTheScript) {
    AskCommand cmd;
    hs::Session& s = hs::Session::get();
    ivtest::Transcript t;
    s.setScriptText("from_script\n");
    s.pushInputQueue({hs::Input{hs::Input::kText, "queued"}});
    s.runCommand("ask3", true);
    s.popInputQueue();
    ASSERT_EQ(g_answers.size(), 3u);
    EXPECT_EQ(g_answers[0].text, "queued");
    EXPECT_EQ(g_answers[1].text, "from_script");
}

TEST(CommandLine, UnknownCommandsAreReportedAndTheScriptGoesOn) {
    std::string out = ivtest::runScript("NOSUCHCOMMAND\nSETVAR\nCMDECHO\n1\n");
    EXPECT_NE(out.find("Unknown command \"NOSUCHCOMMAND\".  Type HELP or ? for the list of commands.\n"),
              std::string::npos)
        << out;
    ASSERT_EQ(hs::Session::get().scriptProblems().size(), 1u);
    EXPECT_EQ(hs::Session::get().scriptProblems()[0], "line 1: unknown command \"NOSUCHCOMMAND\"");
    EXPECT_NE(out.find("Enter new value for CMDECHO <1>: 1"), std::string::npos) << out;
}

TEST(CommandLine, QuitEndsTheLoop) {
    AskCommand cmd;
    std::string out = ivtest::runScript("QUIT\nASK3\n");
    EXPECT_TRUE(g_answers.empty()) << out;
}

TEST(Variables, CmdechoStartsAtOne) {
    EXPECT_EQ(hs::Session::get().getVar("cmdecho"), 1);
}

TEST(Variables, SetvarChangesAVariableByNameIgnoringCase) {
    ivtest::runScript("SETVAR\nhsTestVar\n42\n");
    EXPECT_EQ(hs::Session::get().getVar("HSTESTVAR"), 42);
    std::string out = ivtest::runScript("SETVAR\nhstestvar\nabc\n");
    EXPECT_NE(out.find("Requires an integer value."), std::string::npos) << out;
    EXPECT_EQ(hs::Session::get().getVar("HSTESTVAR"), 42);
}

TEST(Faults, AreCountedAndPrinted) {
    hs::Session& s = hs::Session::get();
    ivtest::Transcript t;
    int before = s.faultCount();
    s.fault("an object was left open");
    EXPECT_EQ(s.faultCount(), before + 1);
    EXPECT_EQ(t.take(), "** Host fault: an object was left open\n");
}

TEST(Faults, FatalErrorsEndTheProcessWithANonZeroStatus) {
    EXPECT_EXIT(hs::Session::get().fatal("broken rule"), ::testing::ExitedWithCode(3), "");
}

TEST(FaultTable, FailsTheChosenCallsOnly) {
    hs::armFault("Test::site", Acad::eOutOfMemory, /*skip=*/1, /*times=*/2);
    EXPECT_EQ(hs::checkFault("Test::site"), Acad::eOk);
    EXPECT_EQ(hs::checkFault("Test::site"), Acad::eOutOfMemory);
    EXPECT_EQ(hs::checkFault("Test::site"), Acad::eOutOfMemory);
    EXPECT_EQ(hs::checkFault("Test::site"), Acad::eOk);
    EXPECT_EQ(hs::faultCalls("Test::site"), 4);
    hs::armFault("Test::always", Acad::eInvalidInput, 0, -1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(hs::checkFault("Test::always"), Acad::eInvalidInput);
    hs::clearFaults();
    EXPECT_EQ(hs::checkFault("Test::always"), Acad::eOk);
}

TEST(FaultTable, CanBeArmedFromAScript) {
    ivtest::runScript("HSFAULT\nTest::scripted eWasOpenForWrite 0 1\n");
    EXPECT_EQ(hs::checkFault("Test::scripted"), Acad::eWasOpenForWrite);
    EXPECT_EQ(hs::checkFault("Test::scripted"), Acad::eOk);
    ivtest::runScript("HSFAULT Test::numbered 3\n");
    EXPECT_EQ(hs::checkFault("Test::numbered"), Acad::eInvalidInput);
}
