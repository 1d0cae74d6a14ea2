// Editor reactors hear every command run from the command line, with its
// global name, before and after, and how it ended.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aced.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "inprocess.h"

namespace {

class Recorder : public AcEditorReactor {
public:
    std::vector<std::string> events;
    void commandWillStart(const ACHAR* c) override { events.push_back("willStart " + hs::toUtf8(c)); }
    void commandEnded(const ACHAR* c) override { events.push_back("ended " + hs::toUtf8(c)); }
    void commandCancelled(const ACHAR* c) override { events.push_back("cancelled " + hs::toUtf8(c)); }
    void commandFailed(const ACHAR* c) override { events.push_back("failed " + hs::toUtf8(c)); }
    void unknownCommand(const ACHAR* c, AcDbVoidPtrArray*) override {
        events.push_back("unknown " + hs::toUtf8(c));
    }
};

void askOnce() {
    hs::Session::get().readInput("Say something: ");
}
void nestedCaller() {
    hs::Session::get().runCommand("HsAsk", /*nested=*/true);
}

class EditorReactors : public ::testing::Test {
protected:
    void SetUp() override {
        acedEditor->addReactor(&rec_);
        acedRegCmds->addCommand(ACRX_T("HSREACT"), ACRX_T("HsAsk"), ACRX_T("hsa"), ACRX_CMD_TRANSPARENT,
                                askOnce);
        acedRegCmds->addCommand(ACRX_T("HSREACT"), ACRX_T("HsNest"), ACRX_T("hsn"), 0, nestedCaller);
    }
    void TearDown() override {
        acedEditor->removeReactor(&rec_);
        acedRegCmds->removeGroup(ACRX_T("HSREACT"));
    }
    Recorder rec_;
};

}  // namespace

TEST_F(EditorReactors, HearTheGlobalNameBeforeAndAfterACommand) {
    ivtest::runScript("hsa\nhello\n");
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"willStart HsAsk", "ended HsAsk"}));
}

TEST_F(EditorReactors, HearCancelledWhenAPromptGotCaretC) {
    ivtest::runScript("hsask\n^C\n");
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"willStart HsAsk", "cancelled HsAsk"}));
}

TEST_F(EditorReactors, HearFailedWhenTheInputEndedInsideTheCommand) {
    ivtest::runScript("HSASK\n");
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"willStart HsAsk", "failed HsAsk"}));
}

TEST_F(EditorReactors, HearUnknownCommands) {
    ivtest::runScript("hs_nothing_here\n");
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"unknown hs_nothing_here"}));
}

TEST_F(EditorReactors, HearATransparentCommandInsideAnother) {
    std::string out = ivtest::runScript("SETVAR\n'hsa\ninner\nCMDECHO\n1\n");
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"willStart SETVAR", "willStart HsAsk", "ended HsAsk",
                                                     "ended SETVAR"}))
        << out;
}

TEST_F(EditorReactors, RefuseAnOrdinaryCommandTypedTransparently) {
    std::string out = ivtest::runScript("SETVAR\n'QUIT\nCMDECHO\n1\n");
    EXPECT_NE(out.find("may not be invoked transparently"), std::string::npos) << out;
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"willStart SETVAR", "ended SETVAR"}));
}

TEST_F(EditorReactors, HearNestedCommandsAndTheirCancelReachesTheOuterCommand) {
    ivtest::runScript("hsn\n^C\n");
    EXPECT_EQ(rec_.events, (std::vector<std::string>{"willStart HsNest", "willStart HsAsk", "cancelled HsAsk",
                                                     "cancelled HsNest"}));
}

TEST_F(EditorReactors, StopHearingOnceRemoved) {
    acedEditor->removeReactor(&rec_);
    ivtest::runScript("hsa\nx\n");
    EXPECT_TRUE(rec_.events.empty());
}

TEST_F(EditorReactors, NestedPromptsAreSilentWhileCmdechoIsZero) {
    hs::Session& s = hs::Session::get();
    s.setVar("CMDECHO", 0);
    std::string out = ivtest::runScript("hsn\nquiet answer\n");
    s.setVar("CMDECHO", 1);
    EXPECT_EQ(out.find("Say something"), std::string::npos) << out;
    EXPECT_EQ(out.find("quiet answer"), std::string::npos) << out;
}
