// C run-time text functions and host printing keep the Microsoft rules the
// module was written for.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <mbctype.h>
#endif

#include <cstring>
#include <string>

#include "acadstrc.h"
#include "acdbads.h"
#include "acutads.h"
#include "hostsim/text.h"
#include "inprocess.h"
#include "winsubset.h"

TEST(Snprintf, WritesNoTerminatorAndReturnsMinusOneWhenTheTextDoesNotFit) {
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(_snprintf(buf, 4, "%s", "abcdef"), -1);
    EXPECT_EQ(std::string(buf, 5), "abcdx");
    EXPECT_EQ(_snprintf(buf, 4, "%d", 1234), 4);  // exact fit: no terminator either
    EXPECT_EQ(std::string(buf, 5), "1234x");
    EXPECT_EQ(_snprintf(buf, 8, "%d-%s", 7, "ok"), 4);
    EXPECT_STREQ(buf, "7-ok");
}

TEST(Snwprintf, TakesPercentSAsAWideString) {
    wchar_t buf[32];
    EXPECT_EQ(_snwprintf(buf, 32, L"%s=%d", L"wmLines", 12), 10);
    EXPECT_STREQ(buf, L"wmLines=12");
    EXPECT_EQ(_snwprintf(buf, 32, L"%S|%hs|%ls", "n1", "n2", L"w"), 7);
    EXPECT_STREQ(buf, L"n1|n2|w");
    EXPECT_EQ(_snwprintf(buf, 3, L"%s", L"long"), -1);
}

TEST(Mbsicmp, ComparesLettersIgnoringCase) {
    auto u = [](const char* s) { return reinterpret_cast<const unsigned char*>(s); };
    EXPECT_EQ(_mbsicmp(u("WBLOCK"), u("wblock")), 0);
    EXPECT_LT(_mbsicmp(u("undo"), u("UNDOX")), 0);
    EXPECT_GT(_mbsicmp(u("redo"), u("MREDO")), 0);
    // A double-byte character's trail byte is not folded: 0xB0 0x41 differs
    // from 0xB0 0x61. On Windows this holds where the code page is 936.
#if defined(_WIN32)
    int previous = _getmbcp();
    ASSERT_EQ(_setmbcp(936), 0);
#endif
    EXPECT_NE(_mbsicmp(u("\xB0\x41"), u("\xB0\x61")), 0);
#if defined(_WIN32)
    _setmbcp(previous);
#endif
}

TEST(Wcsicmp, ComparesLettersIgnoringCase) {
    EXPECT_EQ(_wcsicmp(L"MRedo", L"mredo"), 0);
    EXPECT_NE(_wcsicmp(L"U", L"UNDO"), 0);
    EXPECT_LT(_wcsicmp(L"a", L"B"), 0);
}

TEST(AcutPrintf, PrintsToTheTranscriptWithTheBuildsStringWidth) {
    ivtest::Transcript t;
    acutPrintf(ACRX_T("!%s@%d: %s\n"), ACRX_T("path"), 42, acadErrorStatusText(Acad::eWasOpenForWrite));
    EXPECT_EQ(t.take(), "!path@42: eWasOpenForWrite\n");
}

TEST(AcadErrorStatusText, NamesEveryStatusTheModuleReports) {
    EXPECT_EQ(hs::toUtf8(acadErrorStatusText(Acad::eOk)), "eOk");
    EXPECT_EQ(hs::toUtf8(acadErrorStatusText(Acad::eInvalidInput)), "eInvalidInput");
    EXPECT_EQ(hs::toUtf8(acadErrorStatusText(Acad::eBadDxfSequence)), "eBadDxfSequence");
    EXPECT_EQ(hs::toUtf8(acadErrorStatusText(Acad::eMakeMeProxy)), "eMakeMeProxy");
    const ACHAR* first = acadErrorStatusText(Acad::eOutOfMemory);
    for (int i = 0; i < 400; ++i)
        acadErrorStatusText(static_cast<Acad::ErrorStatus>(i));
    EXPECT_EQ(hs::toUtf8(first), "eOutOfMemory") << "earlier texts stay valid";
}

TEST(AcdbFail, PrintsItsMessage) {
    ivtest::Transcript t;
    acdbFail(ACRX_T("something broke"));
    EXPECT_NE(t.take().find("something broke\n"), std::string::npos);
}

TEST(Text, Utf8RoundTripsThroughTheBuildsText) {
    std::string s = "Quillwerk \xe6\xb0\xb4\xe5\x8d\xb0 \xf0\x9f\x98\x80";
    EXPECT_EQ(hs::toUtf8(hs::fromUtf8(s)), s);
    EXPECT_EQ(hs::wideToUtf8(hs::utf8ToWide(s).c_str(), hs::utf8ToWide(s).size()), s);
    EXPECT_TRUE(hs::equalsNoCase("Quillwerk_help", "QUILLWERK_HELP"));
    EXPECT_FALSE(hs::equalsNoCase("WM", "WMX"));
}
