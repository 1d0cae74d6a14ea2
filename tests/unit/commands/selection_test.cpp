// Selection sets: modes, filters on the DXF type name, entity names and the
// bookkeeping of sets, including a set a command forgets to free.
#include <array>

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

class Selection : public EdTest {
protected:
    // Selects with mode "X" and a group 0 filter; returns the ids (empty when
    // the selection gave no set).
    std::vector<AcDbObjectId> selectX(const char* types, int* status = nullptr) {
        hs::tstring text = hs::fromUtf8(types);
        resbuf filter;
        filter.rbnext = nullptr;
        filter.restype = 0;
        filter.resval.rstring = const_cast<ACHAR*>(text.c_str());
        return select(T("X"), &filter, status);
    }
    std::vector<AcDbObjectId> select(const ACHAR* mode, const resbuf* filter, int* status = nullptr) {
        ads_name ss;
        int st = acedSSGet(mode, nullptr, nullptr, filter, ss);
        if (status != nullptr)
            *status = st;
        return takeSet(st, ss);
    }
    static std::vector<AcDbObjectId> takeSet(int st, ads_name ss) {
        std::vector<AcDbObjectId> ids;
        if (st != RTNORM)
            return ids;
        long n = 0;
        EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
        for (long i = 0; i < n; ++i) {
            ads_name en;
            AcDbObjectId id;
            EXPECT_EQ(acedSSName(ss, i, en), RTNORM);
            EXPECT_EQ(acdbGetObjectId(id, en), Acad::eOk);
            ids.push_back(id);
        }
        EXPECT_EQ(acedSSFree(ss), RTNORM);
        return ids;
    }
    std::vector<AcDbObjectId> interactive(const std::string& script, int* status = nullptr) {
        answers(script);
        return select(nullptr, nullptr, status);
    }

    void SetUp() override {
        EdTest::SetUp();
        line = addLine(0, 0, 10, 0);
        circle = addCircle(20, 20, 5);
        AcDbPolyline* pl = new AcDbPolyline();
        pl->addVertexAt(0, AcGePoint2d(50, 50));
        pl->addVertexAt(1, AcGePoint2d(60, 60));
        poly = append(pl);
        hs::tstring t = hs::fromUtf8("note");
        text = append(new AcDbText(AcGePoint3d(100, 100, 0), t.c_str(), AcDbObjectId::kNull, 2.5, 0));
    }
    AcDbObjectId line, circle, poly, text;
};

using Ids = std::vector<AcDbObjectId>;

TEST_F(Selection, ModeXSelectsTheWholeDrawingInRecordOrder) {
    EXPECT_EQ(select(T("X"), nullptr), (Ids{line, circle, poly, text}));
}

TEST_F(Selection, AFilterMatchesCommaSeparatedTypeNamesIgnoringCase) {
    EXPECT_EQ(selectX("circle,LINE"), (Ids{line, circle}));
    EXPECT_EQ(selectX("ARC,CIRCLE,LINE,LWPOLYLINE,TEXT,MTEXT,INSERT"), (Ids{line, circle, poly, text}));
}

TEST_F(Selection, AFilterTakesWildcards) {
    EXPECT_EQ(selectX("*LINE"), (Ids{line, poly}));
    EXPECT_EQ(selectX("c?rcle"), (Ids{circle}));
    EXPECT_EQ(selectX("~LINE"), (Ids{circle, poly, text}));
    EXPECT_EQ(selectX("[LT]*"), (Ids{line, poly, text}));
}

TEST_F(Selection, AFilterMatchesOnlyTheDxfNameNotTheClassName) {
    int st = 0;
    EXPECT_TRUE(selectX("AcDbLine", &st).empty());
    EXPECT_EQ(st, RTERROR);
    EXPECT_TRUE(selectX("POLYLINE").empty()) << "a lightweight polyline is LWPOLYLINE";
}

TEST_F(Selection, AnEmptySelectionGivesAnErrorAndNoSet) {
    int before = hs::allocatedSelectionSets();
    int st = 0;
    EXPECT_TRUE(selectX("ELLIPSE", &st).empty());
    EXPECT_EQ(st, RTERROR);
    EXPECT_EQ(hs::allocatedSelectionSets(), before);
}

TEST_F(Selection, AFilterGroupThatCannotBeAppliedIsAnError) {
    resbuf filter;
    filter.rbnext = nullptr;
    filter.restype = 40;
    filter.resval.rreal = 1.0;
    int st = 0;
    EXPECT_TRUE(select(T("X"), &filter, &st).empty());
    EXPECT_EQ(st, RTERROR);
}

TEST_F(Selection, TheLayerFilterTakesWildcardsToo) {
    run("-LAYER\nMake\nWalls\n\nLINE\n0,50\n5,50\n\n");
    AcDbObjectId onWalls = modelSpace().back();
    hs::tstring name = hs::fromUtf8("w*");
    resbuf filter;
    filter.rbnext = nullptr;
    filter.restype = 8;
    filter.resval.rstring = const_cast<ACHAR*>(name.c_str());
    EXPECT_EQ(select(T("X"), &filter), (Ids{onWalls}));
}

TEST_F(Selection, AWindowTakesWhatLiesEntirelyInsideAndACrossingWhatTouches) {
    EXPECT_EQ(interactive("W\n-1,-1\n22,22\n\n"), (Ids{line}));
    EXPECT_EQ(interactive("C -1,-1 22,22\n\n"), (Ids{line, circle}));
    EXPECT_NE(out().find("Select objects: "), std::string::npos);
}

TEST_F(Selection, APointPicksTheTopmostEntityWhoseExtentsHoldIt) {
    AcDbObjectId upper = addCircle(22, 20, 5);
    EXPECT_EQ(interactive("21,20\n\n"), (Ids{upper}));
    hs::bringToFront({circle});
    EXPECT_EQ(interactive("21,20\n\n"), (Ids{circle}));
    EXPECT_TRUE(interactive("500,500\n\n").empty()) << "nothing there";
}

TEST_F(Selection, LastAllPreviousAndRemoveWorkAsTheHostDoes) {
    EXPECT_EQ(interactive("L\n\n"), (Ids{text}));
    EXPECT_EQ(interactive("ALL\nR\n5,0\n\n"), (Ids{circle, poly, text}));
    EXPECT_EQ(interactive("P\n\n"), (Ids{circle, poly, text}));
    EXPECT_NE(out().find("4 found"), std::string::npos) << out();
}

TEST_F(Selection, RemovingAndAddingAgainKeepsTheOrderOfChoiceAndCountsDuplicates) {
    // Remove the line and the circle, add the line back: it comes last; a
    // second ALL finds every entity already chosen or adds the circle back.
    EXPECT_EQ(interactive("ALL\nR\n5,0\n21,20\nA\n5,0\nALL\n\n"), (Ids{poly, text, line, circle}));
    EXPECT_NE(out().find("1 found, 1 removed, 3 total"), std::string::npos) << out();
    EXPECT_NE(out().find("4 found (3 duplicate), 4 total"), std::string::npos) << out();
}

TEST_F(Selection, CtrlCCancelsAndEnterAloneSelectsNothing) {
    int st = 0;
    EXPECT_TRUE(interactive("5,0\n^C\n", &st).empty());
    EXPECT_EQ(st, RTCAN);
    EXPECT_TRUE(interactive("\n", &st).empty());
    EXPECT_EQ(st, RTERROR);
}

TEST_F(Selection, TheInteractiveSelectionAppliesTheFilter) {
    hs::tstring types = hs::fromUtf8("CIRCLE");
    resbuf filter;
    filter.rbnext = nullptr;
    filter.restype = 0;
    filter.resval.rstring = const_cast<ACHAR*>(types.c_str());
    answers("ALL\n\n");
    EXPECT_EQ(select(nullptr, &filter), (Ids{circle}));
    EXPECT_NE(out().find("3 were filtered out."), std::string::npos) << out();
}

TEST_F(Selection, EntitiesOnALockedLayerAreStillSelectable) {
    run("-LAYER\nLOck\n0\n\n");
    EXPECT_EQ(select(T("X"), nullptr).size(), 4u);
    AcDbEntity* pEnt = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(pEnt, line, AcDb::kForWrite), Acad::eOnLockedLayer);
}

TEST_F(Selection, SsAddWithoutASetMakesANewOne) {
    ads_name en, ss, same;
    ASSERT_EQ(acdbGetAdsName(en, circle), Acad::eOk);
    ASSERT_EQ(acedSSAdd(en, nullptr, ss), RTNORM);
    long n = 0;
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    EXPECT_EQ(n, 1);
    ads_name other;
    ASSERT_EQ(acdbGetAdsName(other, line), Acad::eOk);
    ASSERT_EQ(acedSSAdd(other, ss, same), RTNORM);
    EXPECT_TRUE(ads_name_equal(ss, same));
    ASSERT_EQ(acedSSAdd(other, ss, same), RTNORM);
    EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
    EXPECT_EQ(n, 2) << "an entity is in a set once";
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    EXPECT_EQ(acedSSFree(ss), RTERROR) << "a freed set is gone";
    EXPECT_EQ(acedSSLength(ss, &n), RTERROR);
}

TEST_F(Selection, EntityNamesAreStableAndBadNamesAreRefused) {
    ads_name a, b;
    ASSERT_EQ(acdbGetAdsName(a, poly), Acad::eOk);
    ASSERT_EQ(acdbGetAdsName(b, poly), Acad::eOk);
    EXPECT_TRUE(ads_name_equal(a, b));
    AcDbObjectId id;
    ads_name junk = {123456, 987654};
    EXPECT_NE(acdbGetObjectId(id, junk), Acad::eOk);
    EXPECT_TRUE(id.isNull());
    ads_name beyond = {a[0] + 1000, a[1]};
    EXPECT_NE(acdbGetObjectId(id, beyond), Acad::eOk);
    ads_name ss;
    EXPECT_EQ(acedSSAdd(junk, nullptr, ss), RTERROR);
    EXPECT_EQ(acedSSName(junk, 0, ss), RTERROR);
}

// A command that makes a selection set and does not free it.
void leakingCommand() {
    ads_name ss;
    acedSSGet(T("X"), nullptr, nullptr, nullptr, ss);
}
void tidyCommand() {
    ads_name ss;
    if (acedSSGet(T("X"), nullptr, nullptr, nullptr, ss) == RTNORM)
        acedSSFree(ss);
}

TEST_F(Selection, ASetStillAllocatedWhenACommandEndsIsAHostFault) {
    acedRegCmds->addCommand(T("CTEST_SEL"), T("CTLEAK"), T("CTLEAK"), ACRX_CMD_MODAL, leakingCommand);
    acedRegCmds->addCommand(T("CTEST_SEL"), T("CTTIDY"), T("CTTIDY"), ACRX_CMD_MODAL, tidyCommand);
    run("CTTIDY\n");
    EXPECT_EQ(newFaults(), 0) << out();
    run("CTLEAK\n");
    EXPECT_EQ(newFaults(), 1);
    EXPECT_NE(out().find("1 selection set not freed by the command CTLEAK"), std::string::npos) << out();
    EXPECT_EQ(hs::allocatedSelectionSets(), 0) << "the leaked set is taken back";
    acedRegCmds->removeGroup(T("CTEST_SEL"));
}

TEST_F(Selection, TheHostKeepsAtMost128Sets) {
    std::vector<std::array<long, 2>> sets;
    ads_name ss;
    while (acedSSAdd(nullptr, nullptr, ss) == RTNORM && sets.size() < 200)
        sets.push_back({static_cast<long>(ss[0]), static_cast<long>(ss[1])});
    EXPECT_EQ(sets.size(), 128u);
    for (auto& s : sets) {
        ads_name n = {s[0], s[1]};
        acedSSFree(n);
    }
    EXPECT_EQ(hs::allocatedSelectionSets(), 0);
}

}  // namespace
