// The tag layer: reading line pairs strictly and writing them back.
#include "dxf/tags.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

using namespace hs::dxf;

namespace {
// The views of the tags point into text, which must outlive them.
std::vector<RawTag> readAll(const std::string& text, std::string* error = nullptr) {
    TagReader r(text);
    std::vector<RawTag> tags;
    RawTag t;
    while (r.next(t))
        tags.push_back(t);
    if (error)
        *error = r.error();
    return tags;
}
}  // namespace

TEST(TagReader, ReadsLineFeedAndCarriageReturnLineFeedFilesAlike) {
    std::string error;
    const std::string lfText = "  0\nSECTION\n  2\nHEADER\n";
    const std::string crlfText = "  0\r\nSECTION\r\n  2\r\nHEADER\r\n";
    auto lf = readAll(lfText, &error);
    auto crlf = readAll(crlfText, &error);
    ASSERT_EQ(lf.size(), 2u);
    ASSERT_EQ(crlf.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(lf[i].code, crlf[i].code);
        EXPECT_EQ(lf[i].value, crlf[i].value);
    }
    EXPECT_EQ(lf[1].code, 2);
    EXPECT_EQ(lf[1].value, "HEADER");
    EXPECT_TRUE(error.empty());
}

TEST(TagReader, SkipsAUtf8ByteOrderMark) {
    const std::string text = "\xEF\xBB\xBF  0\nEOF\n";
    auto tags = readAll(text);
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0].code, 0);
    EXPECT_EQ(tags[0].value, "EOF");
}

TEST(TagReader, KeepsValuesExactlyAsWritten) {
    const std::string text = "  1\n  two spaces before, one after \n1000\n\n  0\nEOF";
    auto tags = readAll(text);
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[0].value, "  two spaces before, one after ");
    EXPECT_EQ(tags[1].value, "");
    EXPECT_EQ(tags[2].value, "EOF");
}

TEST(TagReader, ReportsTheLineOfAGroupCodeThatIsNotANumber) {
    std::string error;
    const std::string text = "  0\nSECTION\n  2\nHEADER\nnine\n$ACADVER\n";
    auto tags = readAll(text, &error);
    EXPECT_EQ(tags.size(), 2u);
    EXPECT_NE(error.find("line 5"), std::string::npos) << error;
    EXPECT_NE(error.find("group code"), std::string::npos) << error;
    EXPECT_NE(error.find("nine"), std::string::npos) << error;
}

TEST(TagReader, ReportsAGroupCodeWithoutItsValue) {
    std::string error;
    const std::string text = "  0\nSECTION\n  2\n";
    auto tags = readAll(text, &error);
    EXPECT_EQ(tags.size(), 1u);
    EXPECT_NE(error.find("line 4"), std::string::npos) << error;
    EXPECT_NE(error.find("value of group code 2"), std::string::npos) << error;
}

TEST(TagReader, RefusesGroupCodesOutsideTheDxfRange) {
    std::string error;
    readAll("99999\nX\n", &error);
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    readAll("12abc\nX\n", &error);
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    readAll("\nX\n", &error);
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
}

TEST(TagReader, PushBackGivesTheSameTagAgain) {
    TagReader r("  0\nLINE\n  8\nWalls\n");
    RawTag a, b, c;
    ASSERT_TRUE(r.next(a));
    r.pushBack();
    ASSERT_TRUE(r.next(b));
    EXPECT_EQ(b.value, "LINE");
    ASSERT_TRUE(r.peek(c));
    EXPECT_EQ(c.value, "Walls");
    ASSERT_TRUE(r.next(c));
    EXPECT_EQ(c.code, 8);
    EXPECT_FALSE(r.next(c));
    EXPECT_FALSE(r.failed());
}

TEST(TagReader, NeverReadsPastTheEndOfArbitraryBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 64, '\0');
        for (char& c : text)
            c = "0123456789 \n\r-+.EOFA\xEF\xBB\xBF"[rng() % 22];
        TagReader r(text);
        RawTag t;
        int n = 0;
        while (r.next(t))
            ++n;
        EXPECT_LE(n, static_cast<int>(text.size()) / 2 + 1);
    }
}

TEST(TagReader, ReadsEveryValueLengthLineEndAndCodeFormAlike) {
    // Values of every length around the reader's word-wide line search,
    // codes written in the forms programs use, both line ends, and the last
    // value with and without a line end: each tag comes back with its code,
    // its exact value and the line of its code.
    std::mt19937 rng(3);
    const char* codeForms[] = {"%3d", "%d", "%6d", "%d  ", "+%d"};
    for (const char* eol : {"\n", "\r\n"}) {
        for (bool finalEol : {true, false}) {
            std::string text;
            std::vector<std::pair<int, std::string>> expected;
            for (int length = 0; length <= 40; ++length) {
                int code = static_cast<int>(rng() % 1072);
                std::string value;
                for (int i = 0; i < length; ++i)
                    value.push_back("abcXYZ 0.5-\t\r{}"[rng() % 16]);
                if (!value.empty() && value.back() == '\r')
                    value.back() = 'r';  // a final CR is part of the line end
                char codeText[16];
                std::snprintf(codeText, sizeof codeText, codeForms[length % 5], code);
                text += codeText;
                text += eol;
                text += value;
                text += eol;
                expected.emplace_back(code, value);
            }
            if (!finalEol)
                text.resize(text.size() - std::strlen(eol));
            std::string error;
            std::vector<RawTag> tags = readAll(text, &error);
            EXPECT_TRUE(error.empty()) << error;
            ASSERT_EQ(tags.size(), expected.size());
            for (size_t i = 0; i < tags.size(); ++i) {
                EXPECT_EQ(tags[i].code, expected[i].first) << i;
                EXPECT_EQ(tags[i].value, expected[i].second) << i;
                EXPECT_EQ(tags[i].line, static_cast<int>(2 * i + 1)) << i;
            }
        }
    }
}

TEST(TagReader, ReportsAMissingValueAfterManyGoodTags) {
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += " 10\n1.5\n";
    text += "  0\n";  // the last code has no value line
    std::string error;
    std::vector<RawTag> tags = readAll(text, &error);
    EXPECT_EQ(tags.size(), 20u);
    EXPECT_NE(error.find("line 42"), std::string::npos) << error;
    EXPECT_NE(error.find("group code 0"), std::string::npos) << error;
}

TEST(Numbers, DoublesAreWrittenSoTheyReadBackBitForBit) {
    std::mt19937_64 rng(11);
    const double samples[] = {0.1,    1.0 / 3.0, -2.5e-300, 1e308, 123456789.123456789,
                              5e-324, -0.0,      1e21,      100.0, 0.0};
    std::vector<double> values(std::begin(samples), std::end(samples));
    for (int i = 0; i < 5000; ++i) {
        std::uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (std::isfinite(d))
            values.push_back(d);
    }
    for (double d : values) {
        std::string text = formatDouble(d);
        double back = 0;
        ASSERT_TRUE(parseDouble(text, back)) << text;
        EXPECT_EQ(std::memcmp(&d, &back, sizeof d), 0) << text;
        EXPECT_NE(text.find_first_of(".e"), std::string::npos) << text;
    }
}

TEST(Numbers, IntegersAndHandlesParseStrictly) {
    long long v = 0;
    EXPECT_TRUE(parseInt("  70", v));
    EXPECT_EQ(v, 70);
    EXPECT_TRUE(parseInt("-3 ", v));
    EXPECT_EQ(v, -3);
    EXPECT_FALSE(parseInt("7O", v));
    EXPECT_FALSE(parseInt("", v));
    std::uint64_t h = 0;
    EXPECT_TRUE(parseHandle("1F", h));
    EXPECT_EQ(h, 0x1Fu);
    EXPECT_FALSE(parseHandle("G1", h));
    EXPECT_FALSE(parseHandle("12345678901234567", h));
    EXPECT_TRUE(parseHandle("ab1f", h));
    EXPECT_EQ(h, 0xAB1Fu);
    EXPECT_TRUE(parseHandle(" 2A ", h));
    EXPECT_EQ(h, 0x2Au);
    EXPECT_TRUE(parseHandle("FFFFFFFFFFFFFFFF", h));
    EXPECT_EQ(h, ~std::uint64_t(0));
    EXPECT_FALSE(parseHandle("", h));
    EXPECT_FALSE(parseHandle("1F-", h));
    EXPECT_FALSE(parseHandle("0x1F", h));
    EXPECT_EQ(formatHandle(0xABCu), "ABC");
    double d = 0;
    EXPECT_FALSE(parseDouble("1.5x", d));
    EXPECT_FALSE(parseDouble("1e999", d));
    EXPECT_TRUE(parseDouble(" 1.5", d));
}

TEST(TagWriter, WritesTagsAReaderGivesBackUnchanged) {
    std::string out;
    TagWriter w(out);  // out outlives the tags read from it
    w.write(0, "SECTION");
    w.write(1000, " text with spaces ");
    w.writeDouble(40, 2.5);
    w.writeHandle(5, 0x2A);
    w.writePoint(10, 1, 2, 3);
    EXPECT_EQ(out.substr(0, 12), "  0\nSECTION\n");
    auto tags = readAll(out);
    ASSERT_EQ(tags.size(), 7u);
    EXPECT_EQ(tags[1].code, 1000);
    EXPECT_EQ(tags[1].value, " text with spaces ");
    EXPECT_EQ(tags[2].value, "2.5");
    EXPECT_EQ(tags[3].value, "2A");
    EXPECT_EQ(tags[6].code, 30);
    EXPECT_EQ(tags[6].value, "3.0");
}

TEST(GroupTypes, FollowTheDxfRanges) {
    EXPECT_EQ(groupType(0), GroupType::kString);
    EXPECT_EQ(groupType(10), GroupType::kDouble);
    EXPECT_EQ(groupType(62), GroupType::kInt16);
    EXPECT_EQ(groupType(90), GroupType::kInt32);
    EXPECT_EQ(groupType(100), GroupType::kString);
    EXPECT_EQ(groupType(290), GroupType::kBool);
    EXPECT_EQ(groupType(330), GroupType::kHandle);
    EXPECT_EQ(groupType(370), GroupType::kInt16);
    EXPECT_EQ(groupType(1040), GroupType::kDouble);
    EXPECT_EQ(groupType(1071), GroupType::kInt32);
    EXPECT_TRUE(isPointCode(10));
    EXPECT_FALSE(isPointCode(40));
}
