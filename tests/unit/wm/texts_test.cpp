// The command's Chinese texts are GBK bytes in the 8-bit builds and UTF-16
// code units in the wide ones; a wrong source or compiler charset would show
// as other characters on the user's screen.
#include "command/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Expected {
    IvText which;
    const char* gbk;
    std::vector<unsigned> utf16;
};

const Expected kExpected[] = {
    {kFirstCornerPrompt,
     "\x0A\xC7\xEB\xD6\xB8\xB6\xA8\xB1\xED\xB4\xEF\xCB\xAE\xD3\xA1\xB7\xB6\xCE\xA7\xB5\xC4\xBE\xD8\xD0\xCE"
     "\xB5\xC4\xD2\xBB\xB8\xF6\xBD\xC7\xB5\xE3: ",
     {0x000A, 0x8BF7, 0x6307, 0x5B9A, 0x8868, 0x8FBE, 0x6C34, 0x5370, 0x8303, 0x56F4,
      0x7684, 0x77E9, 0x5F62, 0x7684, 0x4E00, 0x4E2A, 0x89D2, 0x70B9, 0x003A, 0x0020}},
    {kLinesPrompt,
     "\x0A\xCB\xAE\xD3\xA1\xD0\xD0\xCA\xFD(2--12)[%d]: ",
     {0x000A, 0x6C34, 0x5370, 0x884C, 0x6570, 0x0028, 0x0032, 0x002D, 0x002D, 0x0031, 0x0032, 0x0029, 0x005B,
      0x0025, 0x0064, 0x005D, 0x003A, 0x0020}},
    {kSelectPrompt,
     "\x0A\xC7\xEB\xD1\xA1\xD4\xF1 "
     "\xD4\xB2\xBB\xA1\xA1\xA2\xD4\xB2\xA1\xA2\xD6\xB1\xCF\xDF\xA1\xA2\xB6\xE0\xB6\xCE\xCF\xDF\xA1\xA2\xCE"
     "\xC4\xD7\xD6\xA1\xA2\xCD\xBC\xBF\xE9\xC0\xB4\xD6\xC6\xD7\xF7\xCB\xAE\xD3\xA1:\x0A",
     {0x000A, 0x8BF7, 0x9009, 0x62E9, 0x0020, 0x5706, 0x5F27, 0x3001, 0x5706, 0x3001,
      0x76F4, 0x7EBF, 0x3001, 0x591A, 0x6BB5, 0x7EBF, 0x3001, 0x6587, 0x5B57, 0x3001,
      0x56FE, 0x5757, 0x6765, 0x5236, 0x4F5C, 0x6C34, 0x5370, 0x003A, 0x000A}},
};

}  // namespace

TEST(ChineseTexts, AreStoredInTheBuildsTextEncoding) {
    for (const Expected& e : kExpected) {
        const ACHAR* text = ivText(e.which, true);
#if IRONVEIL_RELEASE == 16
        EXPECT_EQ(std::string(text), std::string(e.gbk)) << "text " << e.which;
#else
        std::vector<unsigned> units;
        for (const ACHAR* p = text; *p != 0; ++p) {
            unsigned c = static_cast<unsigned>(*p);
            if (c >= 0x10000) {  // 32-bit wchar_t: as the two UTF-16 units Windows would hold
                units.push_back(0xD800 + ((c - 0x10000) >> 10));
                units.push_back(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                units.push_back(c);
            }
        }
        EXPECT_EQ(units, e.utf16) << "text " << e.which;
#endif
    }
}

TEST(ChineseTexts, EnglishTextsArePlainAscii) {
    const ACHAR* text = ivText(kFirstCornerPrompt, false);
    for (const ACHAR* p = text; *p != 0; ++p)
        EXPECT_LT(static_cast<unsigned>(*p), 0x80u);
}
