// The editor's input functions, answered from a script: what each returns
// for a value, Enter, ^C, the end of the script and answers it must refuse.
#include <cmath>

#include "../commands/edfixture.h"
#include "acedads.h"
#include "adslib.h"

namespace {

using edtest::EdTest;

// A prompt or keyword list in the build's text.
struct T {
    hs::tstring s;
    T(const char* c) : s(hs::fromUtf8(c)) {}
    operator const ACHAR*() const { return s.c_str(); }
    // For variable argument lists, which take the pointer only.
    const ACHAR* c() const { return s.c_str(); }
};

class Input : public EdTest {};

TEST_F(Input, GetIntReturnsTheTypedInteger) {
    answers("42\n");
    int v = 0;
    EXPECT_EQ(acedGetInt(T("Rows: "), &v), RTNORM);
    EXPECT_EQ(v, 42);
    EXPECT_NE(out().find("Rows: 42"), std::string::npos) << out();
}

TEST_F(Input, GetIntGivesNoneForEnterAndLeavesTheValue) {
    answers("\n");
    int v = 7;
    EXPECT_EQ(acedGetInt(T("Rows: "), &v), RTNONE);
    EXPECT_EQ(v, 7);
}

TEST_F(Input, GetIntGivesCancelForCtrlC) {
    answers("^C\n5\n");
    int v = 7;
    EXPECT_EQ(acedGetInt(T("Rows: "), &v), RTCAN);
    EXPECT_EQ(v, 7);
}

TEST_F(Input, TheEndOfTheScriptAtAPromptCountsAsCancel) {
    answers("");
    int v = 0;
    ads_point p;
    EXPECT_EQ(acedGetInt(T("Rows: "), &v), RTCAN);
    EXPECT_EQ(acedGetPoint(nullptr, T("Point: "), p), RTCAN);
}

TEST_F(Input, GetIntRefusesANonIntegerAndAsksAgain) {
    answers("abc\n3.5\n12\n");
    int v = 0;
    EXPECT_EQ(acedGetInt(T("Rows: "), &v), RTNORM);
    EXPECT_EQ(v, 12);
    std::string o = out();
    size_t first = o.find("Requires an integer value.");
    ASSERT_NE(first, std::string::npos) << o;
    EXPECT_NE(o.find("Requires an integer value.", first + 1), std::string::npos) << o;
}

TEST_F(Input, GetIntRefusesValuesOutsideTheShortRange) {
    answers("32768\n-32769\n-32768\n");
    int v = 0;
    EXPECT_EQ(acedGetInt(T("N: "), &v), RTNORM);
    EXPECT_EQ(v, -32768);
    EXPECT_NE(out().find("Value must be between -32768 and 32767."), std::string::npos) << out();
}

TEST_F(Input, GetIntWithAHugeNumberIsRefusedNotWrapped) {
    answers("99999999999999999999999\n5\n");
    int v = 0;
    EXPECT_EQ(acedGetInt(T("N: "), &v), RTNORM);
    EXPECT_EQ(v, 5);
}

TEST_F(Input, InitGetRestrictionsApplyToTheNextRequestOnly) {
    answers("\n0\n-3\n4\n\n");
    int v = 0;
    acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
    EXPECT_EQ(acedGetInt(T("N: "), &v), RTNORM);
    EXPECT_EQ(v, 4);
    EXPECT_NE(out().find("Value must be positive and nonzero."), std::string::npos) << out();
    EXPECT_EQ(acedGetInt(T("N: "), &v), RTNONE) << "the restrictions were used up";
}

TEST_F(Input, AKeywordAnswerGivesRtkwordAndGetInputTheFullKeyword) {
    answers("c\nund\n");
    ads_point p;
    acedInitGet(0, T("Close Undo"));
    EXPECT_EQ(acedGetPoint(nullptr, T("Next: "), p), RTKWORD);
    ACHAR kw[140];
    EXPECT_EQ(acedGetInput(kw), RTNORM);
    EXPECT_EQ(edtest::str(kw), "Close");
    acedInitGet(0, T("Close Undo"));
    EXPECT_EQ(acedGetPoint(nullptr, T("Next: "), p), RTKWORD);
    EXPECT_EQ(acedGetInput(kw), RTNORM);
    EXPECT_EQ(edtest::str(kw), "Undo");
}

TEST_F(Input, KeywordsNeedTheirCapitalLetters) {
    EXPECT_EQ(hs::matchKeyword("Make Set LOck LType ltScale", "l"), "");
    EXPECT_EQ(hs::matchKeyword("Make Set LOck LType ltScale", "lo"), "LOck");
    EXPECT_EQ(hs::matchKeyword("Make Set LOck LType ltScale", "LT"), "LType");
    EXPECT_EQ(hs::matchKeyword("Make Set LOck LType ltScale", "s"), "Set");
    EXPECT_EQ(hs::matchKeyword("Make Set LOck LType ltScale", "lts"), "ltScale");
    EXPECT_EQ(hs::matchKeyword("ON OFF", "o"), "");
    EXPECT_EQ(hs::matchKeyword("ON OFF", "off"), "OFF");
    EXPECT_EQ(hs::matchKeyword("Make _ Make", "_make"), "Make");
}

TEST_F(Input, GetPointReadsTwoAndThreeCoordinates) {
    answers("3,4\n1.5,-2,7\n");
    ads_point p;
    EXPECT_EQ(acedGetPoint(nullptr, T("P: "), p), RTNORM);
    EXPECT_DOUBLE_EQ(p[X], 3);
    EXPECT_DOUBLE_EQ(p[Y], 4);
    EXPECT_DOUBLE_EQ(p[Z], 0);
    EXPECT_EQ(acedGetPoint(nullptr, T("P: "), p), RTNORM);
    EXPECT_DOUBLE_EQ(p[X], 1.5);
    EXPECT_DOUBLE_EQ(p[Y], -2);
    EXPECT_DOUBLE_EQ(p[Z], 7);
}

TEST_F(Input, RelativeAndPolarPointsStartFromTheLastPoint) {
    answers("10,10\n@5,-2\n@10<90\n");
    ads_point p;
    ASSERT_EQ(acedGetPoint(nullptr, T("P: "), p), RTNORM);
    ASSERT_EQ(acedGetPoint(nullptr, T("P: "), p), RTNORM);
    EXPECT_DOUBLE_EQ(p[X], 15);
    EXPECT_DOUBLE_EQ(p[Y], 8);
    ASSERT_EQ(acedGetPoint(nullptr, T("P: "), p), RTNORM);
    EXPECT_NEAR(p[X], 15, 1e-12);
    EXPECT_NEAR(p[Y], 18, 1e-12);
}

TEST_F(Input, GetPointRefusesWhatIsNotAPoint) {
    answers("1,2,3,4\nx,y\n1;2\n2,3\n");
    ads_point p;
    EXPECT_EQ(acedGetPoint(nullptr, T("P: "), p), RTNORM);
    EXPECT_DOUBLE_EQ(p[X], 2);
    std::string o = out();
    int refusals = 0;
    for (size_t at = o.find("Invalid point."); at != std::string::npos; at = o.find("Invalid point.", at + 1))
        ++refusals;
    EXPECT_EQ(refusals, 3) << o;
}

TEST_F(Input, GetPointAndCornerGiveNoneForEnterAndCancelForCtrlC) {
    answers("\n^C\n");
    ads_point base = {0, 0, 0}, p;
    EXPECT_EQ(acedGetPoint(nullptr, T("P: "), p), RTNONE);
    EXPECT_EQ(acedGetCorner(base, T("C: "), p), RTCAN);
}

TEST_F(Input, GetRealAcceptsNumbersAndRefusesText) {
    answers("nan\ninf\nten\n2.5e1\n");
    double v = 0;
    EXPECT_EQ(acedGetReal(T("R: "), &v), RTNORM);
    EXPECT_DOUBLE_EQ(v, 25);
    EXPECT_NE(out().find("Requires numeric value."), std::string::npos);
}

TEST_F(Input, GetStringEndsAtASpaceUnlessSpacesAreAllowedWhenItTakesTheRestOfTheLine) {
    answers("hello world\nhello big world\n\n");
    ACHAR buf[140];
    EXPECT_EQ(acedGetString(0, T("S: "), buf), RTNORM);
    EXPECT_EQ(edtest::str(buf), "hello");
    EXPECT_EQ(acedGetString(0, T("S: "), buf), RTNORM);
    EXPECT_EQ(edtest::str(buf), "world") << "the space ended the first answer";
    EXPECT_EQ(acedGetString(1, T("S: "), buf), RTNORM);
    EXPECT_EQ(edtest::str(buf), "hello big world");
    EXPECT_EQ(acedGetString(1, T("S: "), buf), RTNORM);
    EXPECT_EQ(edtest::str(buf), "");
}

TEST_F(Input, TextWithSpacesTakesWhatIsLeftOfALineAfterEarlierAnswers) {
    answers("7 some words here\n");
    int n = 0;
    ACHAR buf[140];
    EXPECT_EQ(acedGetInt(T("N: "), &n), RTNORM);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(acedGetString(1, T("S: "), buf), RTNORM);
    EXPECT_EQ(edtest::str(buf), "some words here");
}

TEST_F(Input, GetStringNeverWritesMoreThanTheHostLimit) {
    answers(std::string(500, 'a') + "\n");
    ACHAR buf[200];
    for (ACHAR& c : buf)
        c = 'z';
    EXPECT_EQ(acedGetString(1, T("S: "), buf), RTINPUTTRUNCATED);
    EXPECT_EQ(edtest::str(buf), std::string(132, 'a'));
    EXPECT_EQ(buf[133], 'z');
}

TEST_F(Input, GetDistTakesANumberOrTwoPoints) {
    answers("4\n3,4\n");
    ads_point base = {0, 0, 0};
    double d = 0;
    EXPECT_EQ(acedGetDist(nullptr, T("D: "), &d), RTNORM);
    EXPECT_DOUBLE_EQ(d, 4);
    EXPECT_EQ(acedGetDist(base, T("D: "), &d), RTNORM);
    EXPECT_DOUBLE_EQ(d, 5);
}

TEST_F(Input, GetAngleIsAskedInDegreesAndGivenInRadians) {
    answers("90\n");
    double a = 0;
    EXPECT_EQ(acedGetAngle(nullptr, T("A: "), &a), RTNORM);
    EXPECT_NEAR(a, 3.14159265358979323846 / 2, 1e-12);
}

TEST_F(Input, NumbersAreWrittenSoTheyReadBackExactly) {
    for (double v : {35.0 / 3, 16.25, 0.1, -1e-300, 12345678.9}) {
        std::string s = hs::formatReal(v);
        EXPECT_EQ(std::strtod(s.c_str(), nullptr), v) << s;
    }
    EXPECT_EQ(hs::formatReal(16.25), "16.25");
}

}  // namespace
