// The DXF filer hands out strings without an allocation each: they must stay
// right and valid for the whole object, and a reused filer starts empty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filing/dxffiler.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace {

class DxfFilerStrings : public ::testing::Test {
protected:
    static void SetUpTestSuite() { hs::Session::get(); }
    void SetUp() override { hs::clearFaults(); }
    void TearDown() override { hs::clearFaults(); }
};

}  // namespace

TEST_F(DxfFilerStrings, EveryStringOfALargeObjectStaysValidUntilTheObjectIsRead) {
    // More text than one block of the filer's string store holds.
    std::vector<hs::DxfItem> items;
    for (int i = 0; i < 3000; ++i)
        items.push_back(hs::DxfItem::str(1, "text number " + std::to_string(i)));
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
    std::vector<const ACHAR*> seen;
    resbuf rb;
    while (filer.readResBuf(&rb) == Acad::eOk)
        seen.push_back(rb.resval.rstring);
    ASSERT_EQ(seen.size(), 3000u);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(hs::toUtf8(seen[static_cast<size_t>(i)]), "text number " + std::to_string(i));
}

TEST_F(DxfFilerStrings, LongAndNonAsciiStringsComeBackWhole) {
    std::string longText(40000, 'x');
    std::string accented =
        "Stra\xC3\x9F"
        "e \xE4\xB8\xAD";
    hs::DxfFiler filer(
        AcDb::kFileFiler, nullptr,
        {hs::DxfItem::str(1, longText), hs::DxfItem::str(1, accented), hs::DxfItem::str(1, "")});
    resbuf a, b, c;
    ASSERT_EQ(filer.readResBuf(&a), Acad::eOk);
    ASSERT_EQ(filer.readResBuf(&b), Acad::eOk);
    ASSERT_EQ(filer.readResBuf(&c), Acad::eOk);
    EXPECT_EQ(hs::toUtf8(a.resval.rstring), longText);
#if HOSTSIM_WIDE
    EXPECT_EQ(hs::toUtf8(b.resval.rstring), accented);
#endif
    EXPECT_EQ(hs::toUtf8(c.resval.rstring), "");
}

TEST_F(DxfFilerStrings, AReusedFilerStartsEmptyWithItsStatusCleared) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, {hs::DxfItem::str(1, "first")});
    hs::armFault("AcDbDxfFiler::readResBuf", Acad::eFilerError);
    resbuf rb;
    EXPECT_EQ(filer.readResBuf(&rb), Acad::eFilerError);
    EXPECT_EQ(filer.filerStatus(), Acad::eFilerError);
    filer.reuse(nullptr);
    EXPECT_EQ(filer.filerStatus(), Acad::eOk);
    EXPECT_TRUE(filer.items().empty());
    EXPECT_EQ(filer.readResBuf(&rb), Acad::eEndOfFile);
    filer.items().push_back(hs::DxfItem::str(1, "second"));
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_EQ(hs::toUtf8(rb.resval.rstring), "second");
}

TEST_F(DxfFilerStrings, ASubclassMarkerMatchesOnlyTheWholeName) {
    std::string withNul("AcDbEntity\0\0\0", 13);
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr,
                       {hs::DxfItem::str(100, withNul), hs::DxfItem::str(100, "AcDbEnt"),
                        hs::DxfItem::str(100, "AcDbEntityX"), hs::DxfItem::str(100, "AcDbEntity")});
    EXPECT_FALSE(filer.atSubclassData(ACRX_T("AcDbEntity")));
    filer.setPosition(1);
    EXPECT_FALSE(filer.atSubclassData(ACRX_T("AcDbEntity")));
    filer.setPosition(2);
    EXPECT_FALSE(filer.atSubclassData(ACRX_T("AcDbEntity")));
    filer.setPosition(3);
    EXPECT_TRUE(filer.atSubclassData(ACRX_T("AcDbEntity")));
}

TEST_F(DxfFilerStrings, SameTextComparesHostTextWithUtf8) {
    EXPECT_TRUE(hs::sameText("AcDbLine", ACRX_T("AcDbLine")));
    EXPECT_FALSE(hs::sameText("AcDbLine", ACRX_T("AcDbLines")));
    EXPECT_FALSE(hs::sameText("AcDbLines", ACRX_T("AcDbLine")));
    EXPECT_TRUE(hs::sameText("", ACRX_T("")));
    EXPECT_TRUE(hs::sameText("", nullptr));
#if HOSTSIM_WIDE
    EXPECT_TRUE(hs::sameText("\xE4\xB8\xAD", L"\x4E2D"));
    EXPECT_FALSE(hs::sameText("\xE4\xB8\xAD", L"\x4E2E"));
#endif
}
