// acedCmd and acedCommand driving the host's commands from inside a
// command, as the module does: -ARRAY's grid, DRAWORDER's order, the undo
// group they join and the echo that CMDECHO controls.
#include <algorithm>
#include <cmath>

#include "aced.h"
#include "acedads.h"
#include "adslib.h"
#include "edfixture.h"

namespace {

using edtest::EdTest;

struct T {
    hs::tstring s;
    T(const char* c) : s(hs::fromUtf8(c)) {}
    operator const ACHAR*() const { return s.c_str(); }
    // For variable argument lists, which take the pointer only.
    const ACHAR* c() const { return s.c_str(); }
};

// What the test commands below work on and what acedCmd returned to them.
AcDbObjectId g_source;
int g_status = 0;
short g_echo = 1;

// Arrays g_source 4 x 5 as the watermark command does, with CMDECHO g_echo.
void arrayCommand() {
    resbuf echo;
    echo.rbnext = nullptr;
    echo.restype = RTSHORT;
    echo.resval.rint = g_echo;
    acedSetVar(T("CMDECHO"), &echo);
    ads_name en, ss;
    acdbGetAdsName(en, g_source);
    acedSSAdd(en, nullptr, ss);
    resbuf* rb = acutBuildList(RTSTR, T("-array").c(), RTPICKS, ss, RTSTR, T("").c(), RTSTR, T("R").c(),
                               RTSHORT, 4, RTSHORT, 5, RTREAL, 35.0 / 3, RTREAL, 16.25, 0);
    g_status = acedCmd(rb);
    acutRelRb(rb);
    acedSSFree(ss);
    echo.resval.rint = 1;
    acedSetVar(T("CMDECHO"), &echo);
}

// Sends every circle of the drawing to the back through DRAWORDER.
void backCommand() {
    resbuf filter;
    hs::tstring circle = hs::fromUtf8("CIRCLE");
    filter.rbnext = nullptr;
    filter.restype = 0;
    filter.resval.rstring = const_cast<ACHAR*>(circle.c_str());
    ads_name ss;
    if (acedSSGet(T("X"), nullptr, nullptr, &filter, ss) != RTNORM)
        return;
    resbuf* rb =
        acutBuildList(RTSTR, T("draworder").c(), RTPICKS, ss, RTSTR, T("").c(), RTSTR, T("B").c(), 0);
    g_status = acedCmd(rb);
    acutRelRb(rb);
    acedSSFree(ss);
}

void unknownCommand() {
    resbuf* rb = acutBuildList(RTSTR, T("NOSUCHCOMMAND").c(), 0);
    g_status = acedCmd(rb);
    acutRelRb(rb);
}

void lineByArgumentsCommand() {
    ads_point a = {1, 2, 0}, b = {4, 6, 0};
    g_status = acedCommand(RTSTR, T("_.LINE").c(), RTPOINT, a, RT3DPOINT, b, RTSTR, T("").c(), 0);
}

class DrivenCommands : public EdTest {
protected:
    static void SetUpTestSuite() {
        hs::Session::get();
        acedRegCmds->addCommand(T("CTEST_CMD"), T("CTARRAY"), T("CTARRAY"), ACRX_CMD_MODAL, arrayCommand);
        acedRegCmds->addCommand(T("CTEST_CMD"), T("CTBACK"), T("CTBACK"), ACRX_CMD_MODAL, backCommand);
        acedRegCmds->addCommand(T("CTEST_CMD"), T("CTUNKNOWN"), T("CTUNKNOWN"), ACRX_CMD_MODAL,
                                unknownCommand);
        acedRegCmds->addCommand(T("CTEST_CMD"), T("CTLINE"), T("CTLINE"), ACRX_CMD_MODAL,
                                lineByArgumentsCommand);
    }
    static void TearDownTestSuite() { acedRegCmds->removeGroup(T("CTEST_CMD")); }
    void SetUp() override {
        EdTest::SetUp();
        g_status = 0;
        g_echo = 1;
    }

    static AcGePoint3d centreOf(AcDbObjectId id) {
        AcDbCircle* pCircle = nullptr;
        AcGePoint3d c;
        if (acdbOpenObject(pCircle, id, AcDb::kForRead) == Acad::eOk) {
            c = pCircle->center();
            pCircle->close();
        }
        return c;
    }
};

TEST_F(DrivenCommands, ArrayMakesTheGridOfRowsAndColumnsFromTheDistances) {
    g_source = addCircle(22.5, 12.5, 2.5);
    run("CTARRAY\n");
    EXPECT_EQ(g_status, RTNORM);
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(ids.size(), 20u) << out();
    std::vector<std::pair<double, double>> centres;
    for (AcDbObjectId id : ids)
        centres.push_back({centreOf(id).x, centreOf(id).y});
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 5; ++col) {
            double x = 22.5 + col * 16.25, y = 12.5 + row * (35.0 / 3);
            bool found = std::any_of(centres.begin(), centres.end(), [&](const std::pair<double, double>& c) {
                return std::fabs(c.first - x) < 1e-9 && std::fabs(c.second - y) < 1e-9;
            });
            EXPECT_TRUE(found) << "row " << row << " column " << col;
        }
    }
    AcDbExtents last = extents(ids.back());
    EXPECT_NEAR(last.maxPoint().x, 90, 1e-9);
    EXPECT_NEAR(last.maxPoint().y, 50, 1e-9);
    EXPECT_EQ(newFaults(), 0) << out();
}

TEST_F(DrivenCommands, TheArrayJoinsTheCallingCommandsUndoGroup) {
    g_source = addCircle(0, 0, 1);
    run("CTARRAY\n");
    ASSERT_EQ(live(modelSpace()).size(), 20u);
    run("U\n");
    EXPECT_EQ(live(modelSpace()).size(), 1u) << "one U takes back every copy the driven command made\n"
                                             << out();
    run("REDO\n");
    EXPECT_EQ(live(modelSpace()).size(), 20u);
}

TEST_F(DrivenCommands, WithCmdechoOffTheDrivenPromptsAreNotShown) {
    g_source = addCircle(0, 0, 1);
    g_echo = 0;
    run("CTARRAY\n");
    EXPECT_EQ(out().find("number of rows"), std::string::npos) << out();
    EXPECT_EQ(live(modelSpace()).size(), 20u);
}

TEST_F(DrivenCommands, WithCmdechoOnTheDrivenPromptsAndAnswersAreShown) {
    g_source = addCircle(0, 0, 1);
    run("CTARRAY\n");
    EXPECT_NE(out().find("Enter the number of rows (---) <1>: 4"), std::string::npos) << out();
    EXPECT_NE(out().find("16.25"), std::string::npos) << out();
}

TEST_F(DrivenCommands, DraworderBackPutsTheSelectedEntitiesBehindTheOthers) {
    AcDbObjectId l1 = addLine(0, 0, 1, 1);
    AcDbObjectId c1 = addCircle(0, 0, 1);
    AcDbObjectId l2 = addLine(0, 0, 2, 2);
    AcDbObjectId c2 = addCircle(0, 0, 2);
    run("CTBACK\n");
    EXPECT_EQ(g_status, RTNORM);
    EXPECT_EQ(hs::drawOrder(hs::modelSpaceId(db())), (std::vector<AcDbObjectId>{c1, c2, l1, l2}));
    EXPECT_EQ(modelSpace(), (std::vector<AcDbObjectId>{l1, c1, l2, c2})) << "the record order stays";
}

TEST_F(DrivenCommands, AnUnknownCommandIsAnError) {
    run("CTUNKNOWN\n");
    EXPECT_EQ(g_status, RTERROR);
}

TEST_F(DrivenCommands, AcedCommandTakesTheListAsArguments) {
    run("CTLINE\n");
    EXPECT_EQ(g_status, RTNORM);
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_POINT(startOf(ids[0]), 1, 2, 0);
    EXPECT_POINT(endOf(ids[0]), 4, 6, 0);
}

TEST_F(DrivenCommands, ADrivenCommandDoesNotEatTheScriptsNextCommand) {
    run("CTLINE\nCIRCLE\n0,0\n3\n");
    EXPECT_EQ(modelSpace().size(), 2u) << out();
}

}  // namespace
