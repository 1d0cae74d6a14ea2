// Result-buffer lists, system variables and coordinate conversion.
#include <cmath>

#include "../commands/edfixture.h"
#include "acedads.h"
#include "adslib.h"

namespace {

using edtest::EdTest;

struct T {
    hs::tstring s;
    T(const char* c) : s(hs::fromUtf8(c)) {}
    operator const ACHAR*() const { return s.c_str(); }
    // For variable argument lists, which take the pointer only.
    const ACHAR* c() const { return s.c_str(); }
};

class ResultBuffers : public EdTest {};

TEST_F(ResultBuffers, BuildListMakesOneBufferPerPairInOrderWithCopiedText) {
    hs::tstring text = hs::fromUtf8("-array");
    ads_name ss = {3, 4};
    ads_point pt = {1, 2, 3};
    resbuf* rb = acutBuildList(RTSTR, text.c_str(), RTPICKS, ss, RTSHORT, 4, RTREAL, 11.5, RT3DPOINT, pt,
                               RTLONG, 70000L, 0);
    ASSERT_NE(rb, nullptr);
    text[0] = 'X';  // the list holds its own copy
    EXPECT_EQ(rb->restype, RTSTR);
    EXPECT_EQ(edtest::str(rb->resval.rstring), "-array");
    resbuf* r = rb->rbnext;
    EXPECT_EQ(r->restype, RTPICKS);
    EXPECT_EQ(r->resval.rlname[0], 3);
    EXPECT_EQ(r->resval.rlname[1], 4);
    r = r->rbnext;
    EXPECT_EQ(r->restype, RTSHORT);
    EXPECT_EQ(r->resval.rint, 4);
    r = r->rbnext;
    EXPECT_EQ(r->restype, RTREAL);
    EXPECT_DOUBLE_EQ(r->resval.rreal, 11.5);
    r = r->rbnext;
    EXPECT_EQ(r->restype, RT3DPOINT);
    EXPECT_DOUBLE_EQ(r->resval.rpoint[Z], 3);
    r = r->rbnext;
    EXPECT_EQ(r->restype, RTLONG);
    EXPECT_EQ(r->resval.rlong, 70000);
    EXPECT_EQ(r->rbnext, nullptr);
    EXPECT_EQ(acutRelRb(rb), RTNORM);
}

TEST_F(ResultBuffers, BuildListTakesDxfGroupCodes) {
    resbuf* rb = acutBuildList(0, T("LINE").c(), 8, T("WALLS").c(), 62, 3, 40, 2.5, 0);
    EXPECT_EQ(rb, nullptr) << "a list cannot start with group 0: it ends the list";
    rb = acutBuildList(RTDXF0, T("LINE").c(), 8, T("WALLS").c(), 62, 3, 40, 2.5, 0);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(edtest::str(rb->resval.rstring), "LINE");
    EXPECT_EQ(edtest::str(rb->rbnext->resval.rstring), "WALLS");
    EXPECT_EQ(rb->rbnext->rbnext->resval.rint, 3);
    EXPECT_DOUBLE_EQ(rb->rbnext->rbnext->rbnext->resval.rreal, 2.5);
    acutRelRb(rb);
}

TEST_F(ResultBuffers, BuildListGivesNullForAnUnknownTypeCode) {
    EXPECT_EQ(acutBuildList(RTSTR, T("a").c(), 12345, 1, 0), nullptr);
}

TEST_F(ResultBuffers, BuildListGivesNullWhenTheHostCannotBuildIt) {
    hs::armFault("acutBuildList", Acad::eOutOfMemory);
    EXPECT_EQ(acutBuildList(RTSTR, T("-array").c(), 0), nullptr);
    resbuf* rb = acutBuildList(RTSTR, T("-array").c(), 0);
    EXPECT_NE(rb, nullptr) << "only the armed call fails";
    acutRelRb(rb);
}

TEST_F(ResultBuffers, NewRbIsEmptyAndReleasable) {
    resbuf* rb = acutNewRb(RTSTR);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(rb->restype, RTSTR);
    EXPECT_EQ(rb->resval.rstring, nullptr);
    EXPECT_EQ(rb->rbnext, nullptr);
    EXPECT_EQ(acutRelRb(rb), RTNORM);
    EXPECT_EQ(acutRelRb(nullptr), RTNORM);
}

class SystemVariables : public EdTest {};

TEST_F(SystemVariables, CmdechoCanBeSetAndRead) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = 0;
    EXPECT_EQ(acedSetVar(T("cmdecho"), &rb), RTNORM);
    resbuf got;
    EXPECT_EQ(acedGetVar(T("CMDECHO"), &got), RTNORM);
    EXPECT_EQ(got.restype, RTSHORT);
    EXPECT_EQ(got.resval.rint, 0);
    EXPECT_EQ(hs::Session::get().getVar("CMDECHO"), 0);
}

TEST_F(SystemVariables, AnUnknownVariableIsAnError) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = 1;
    EXPECT_EQ(acedSetVar(T("NOSUCHVAR"), &rb), RTERROR);
    EXPECT_EQ(acedGetVar(T("NOSUCHVAR"), &rb), RTERROR);
}

TEST_F(SystemVariables, AValueOfTheWrongTypeOrOutOfRangeIsRefused) {
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = 5;
    EXPECT_EQ(acedSetVar(T("CMDECHO"), &rb), RTERROR);
    rb.restype = RTREAL;
    rb.resval.rreal = 0;
    EXPECT_EQ(acedSetVar(T("CMDECHO"), &rb), RTERROR);
    EXPECT_EQ(hs::Session::get().getVar("CMDECHO"), 1);
}

TEST_F(SystemVariables, ClayerNamesTheCurrentLayer) {
    run("-LAYER\nMake\nWalls\n\n");
    resbuf got;
    ASSERT_EQ(acedGetVar(T("CLAYER"), &got), RTNORM);
    EXPECT_EQ(got.restype, RTSTR);
    EXPECT_EQ(edtest::str(got.resval.rstring), "Walls");
    delete[] got.resval.rstring;
}

class Trans : public EdTest {
protected:
    static resbuf code(short c) {
        resbuf rb;
        rb.rbnext = nullptr;
        rb.restype = RTSHORT;
        rb.resval.rint = c;
        return rb;
    }
};

TEST_F(Trans, WorldAndUcsAreTheSameUntilTheUcsChanges) {
    resbuf ucs = code(1), wcs = code(0);
    ads_point p = {3, 4, 5}, r;
    ASSERT_EQ(acedTrans(p, &ucs, &wcs, 0, r), RTNORM);
    EXPECT_DOUBLE_EQ(r[X], 3);
    EXPECT_DOUBLE_EQ(r[Y], 4);
    EXPECT_DOUBLE_EQ(r[Z], 5);
}

TEST_F(Trans, AMovedAndRotatedUcsIsConvertedBothWays) {
    run("UCS\nO\n10,20\nUCS\nZ\n90\n");
    resbuf ucs = code(1), wcs = code(0);
    ads_point p = {1, 0, 0}, r, back;
    ASSERT_EQ(acedTrans(p, &ucs, &wcs, 0, r), RTNORM);
    EXPECT_NEAR(r[X], 10, 1e-12);
    EXPECT_NEAR(r[Y], 21, 1e-12);
    ASSERT_EQ(acedTrans(r, &wcs, &ucs, 0, back), RTNORM);
    EXPECT_NEAR(back[X], 1, 1e-12);
    EXPECT_NEAR(back[Y], 0, 1e-12);
    ASSERT_EQ(acedTrans(p, &ucs, &wcs, 1, r), RTNORM) << "a displacement ignores the origin";
    EXPECT_NEAR(r[X], 0, 1e-12);
    EXPECT_NEAR(r[Y], 1, 1e-12);
}

TEST_F(Trans, UcsWorldRestoresTheWorldSystem) {
    run("UCS\nO\n10,20\nUCS\nW\n");
    resbuf ucs = code(1), wcs = code(0);
    ads_point p = {1, 1, 0}, r;
    ASSERT_EQ(acedTrans(p, &ucs, &wcs, 0, r), RTNORM);
    EXPECT_DOUBLE_EQ(r[X], 1);
    EXPECT_DOUBLE_EQ(r[Y], 1);
}

TEST_F(Trans, PointsTypedInAUcsAreStoredInWorldCoordinates) {
    run("UCS\nO\n100,0\nLINE\n0,0\n10,0\n\n");
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_POINT(startOf(ids[0]), 100, 0, 0);
    EXPECT_POINT(endOf(ids[0]), 110, 0, 0);
}

TEST_F(Trans, AnUnknownCoordinateSystemIsAnError) {
    resbuf bad = code(7), wcs = code(0);
    ads_point p = {1, 1, 0}, r;
    EXPECT_EQ(acedTrans(p, &bad, &wcs, 0, r), RTERROR);
}

}  // namespace
