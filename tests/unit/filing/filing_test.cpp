// The DWG filer (typed binary stream) and the DXF filer (group-code items).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/session_imp.h"
#include "dbsymtb.h"
#include "filing/dwgfiler.h"
#include "filing/dxffiler.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace {

class Filing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { hs::Session::get(); }
    void SetUp() override { hs::clearFaults(); }
    void TearDown() override { hs::clearFaults(); }
};

using DwgFiling = Filing;
using DxfFiling = Filing;

}  // namespace

TEST_F(DwgFiling, ItemsReadBackInOrderWithTheirValues) {
    hs::DwgFiler filer(AcDb::kCopyFiler);
    filer.writeInt16(-7);
    filer.writeString(ACRX_T("AcDbLine"));
    filer.writeDouble(0.1);
    filer.writePoint3d(AcGePoint3d(1, 2, 3));
    filer.writeBool(true);
    EXPECT_EQ(filer.describe(),
              (std::vector<std::string>{"Int16 -7", "String AcDbLine", "Double 0.10000000000000001",
                                        "Point3d 1,2,3", "Bool 1"}));
    filer.rewind();
    Adesk::Int16 i = 0;
    ACHAR* s = nullptr;
    double d = 0;
    AcGePoint3d p;
    bool b = false;
    EXPECT_EQ(filer.readInt16(&i), Acad::eOk);
    EXPECT_EQ(filer.readString(&s), Acad::eOk);
    EXPECT_EQ(filer.readDouble(&d), Acad::eOk);
    EXPECT_EQ(filer.readPoint3d(&p), Acad::eOk);
    EXPECT_EQ(filer.readBool(&b), Acad::eOk);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(hs::toUtf8(s), "AcDbLine");
    EXPECT_EQ(acdbFree(s), Acad::eOk);
    EXPECT_EQ(d, 0.1);
    EXPECT_EQ(p, AcGePoint3d(1, 2, 3));
    EXPECT_TRUE(b);
    EXPECT_EQ(filer.filerStatus(), Acad::eOk);
}

TEST_F(DwgFiling, ReadingAnItemOfAnotherTypeSetsTheStatusAndLaterReadsKeepFailing) {
    hs::DwgFiler filer;
    filer.writeInt32(5);
    filer.writeInt16(6);
    filer.rewind();
    Adesk::Int16 i = 99;
    EXPECT_EQ(filer.readInt16(&i), Acad::eInvalidInput);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(filer.filerStatus(), Acad::eInvalidInput);
    Adesk::Int32 j = 99;
    EXPECT_EQ(filer.readInt32(&j), Acad::eInvalidInput);
    EXPECT_EQ(j, 0);
    EXPECT_EQ(filer.writeInt16(1), Acad::eInvalidInput);
}

TEST_F(DwgFiling, ReadingPastTheEndSetsEndOfFile) {
    hs::DwgFiler filer;
    filer.writeInt16(1);
    filer.rewind();
    Adesk::Int16 i = 0;
    ASSERT_EQ(filer.readInt16(&i), Acad::eOk);
    ACHAR* s = reinterpret_cast<ACHAR*>(1);
    EXPECT_EQ(filer.readString(&s), Acad::eEndOfFile);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(filer.filerStatus(), Acad::eEndOfFile);
}

TEST_F(DwgFiling, DoublesAndHandlesSurviveBitForBit) {
    const double values[] = {1.0 / 3.0, -0.0, 1e-310, std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity()};
    hs::DwgFiler filer(AcDb::kUndoFiler);
    for (double v : values)
        filer.writeDouble(v);
    filer.writeAcDbHandle(AcDbHandle(0x1234567890ull));
    filer.rewind();
    for (double v : values) {
        double r = 0;
        ASSERT_EQ(filer.readDouble(&r), Acad::eOk);
        EXPECT_EQ(std::memcmp(&r, &v, sizeof v), 0);
    }
    AcDbHandle h;
    ASSERT_EQ(filer.readAcDbHandle(&h), Acad::eOk);
    EXPECT_EQ(h.value(), 0x1234567890ull);
    EXPECT_EQ(filer.filerType(), AcDb::kUndoFiler);
}

TEST_F(DwgFiling, AnArmedWriteFaultFailsThatWriteAndSetsTheStatus) {
    hs::armFault("AcDbDwgFiler::writeString", Acad::eFilerError, /*skip=*/1);
    hs::DwgFiler filer;
    EXPECT_EQ(filer.writeString(ACRX_T("first")), Acad::eOk);
    EXPECT_EQ(filer.writeString(ACRX_T("second")), Acad::eFilerError);
    EXPECT_EQ(filer.filerStatus(), Acad::eFilerError);
    EXPECT_EQ(filer.describe(), std::vector<std::string>{"String first"});
}

TEST_F(DwgFiling, AnArmedReadFaultFailsTheRead) {
    hs::DwgFiler filer;
    filer.writeInt16(1);
    filer.rewind();
    hs::armFault("AcDbDwgFiler::readInt16", Acad::eFilerError);
    Adesk::Int16 i = 5;
    EXPECT_EQ(filer.readInt16(&i), Acad::eFilerError);
    EXPECT_EQ(filer.filerStatus(), Acad::eFilerError);
}

TEST_F(DwgFiling, BinaryChunksAndBytesKeepTheirLength) {
    hs::DwgFiler filer;
    char data[] = {1, 0, 2, 3};
    ads_binary chunk{4, data};
    filer.writeBChunk(chunk);
    filer.writeBytes(data, 4);
    filer.rewind();
    ads_binary out{0, nullptr};
    ASSERT_EQ(filer.readBChunk(&out), Acad::eOk);
    ASSERT_EQ(out.clen, 4);
    EXPECT_EQ(std::memcmp(out.buf, data, 4), 0);
    delete[] out.buf;
    char back[3];
    EXPECT_EQ(filer.readBytes(back, 3), Acad::eInvalidInput);
}

// ---- DXF ----

TEST_F(DxfFiling, WritersAppendTypedItemsAndTheEmbeddedObjectMarker) {
    hs::DxfFiler filer;
    filer.writeString(100, ACRX_T("QWK_WaterMark"));
    filer.writeInt16(70, 1);
    filer.writeEmbeddedObjectStart();
    filer.writeDouble(40, 2.5);
    filer.writePoint3d(10, AcGePoint3d(1, 2, 3));
    EXPECT_EQ(filer.describe(), (std::vector<std::string>{"100 QWK_WaterMark", "70 1", "101 Embedded Object",
                                                          "40 2.5", "10 1.0,2.0,3.0"}));
}

TEST_F(DxfFiling, AtSubclassDataConsumesOnlyAMatchingMarker) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr,
                       {hs::DxfItem::str(100, "AcDbEntity"), hs::DxfItem::str(8, "0")});
    EXPECT_FALSE(filer.atSubclassData(ACRX_T("AcDbLine")));
    EXPECT_EQ(filer.position(), 0u);
    EXPECT_TRUE(filer.atSubclassData(ACRX_T("AcDbEntity")));
    resbuf rb;
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 8);
    EXPECT_EQ(hs::toUtf8(rb.resval.rstring), "0");
}

TEST_F(DxfFiling, AtEmbeddedObjectStartConsumesTheMarkerOnlyWhenItIsNext) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr,
                       {hs::DxfItem::str(300, "AcDbLine"), hs::DxfItem::str(101, "Embedded Object")});
    EXPECT_FALSE(filer.atEmbeddedObjectStart());
    resbuf rb;
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_TRUE(filer.atEmbeddedObjectStart());
    EXPECT_TRUE(filer.atEOF());
}

TEST_F(DxfFiling, PushBackItemGivesTheSameItemAgain) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, {hs::DxfItem::num(70, 3), hs::DxfItem::num(70, 4)});
    resbuf rb;
    EXPECT_EQ(filer.pushBackItem(), Acad::eInvalidInput);
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_EQ(filer.pushBackItem(), Acad::eOk);
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_EQ(rb.resval.rint, 3);
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_EQ(rb.resval.rint, 4);
}

TEST_F(DxfFiling, TheEndOfTheItemsEndsTheObjectWithoutFailingTheFiler) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, {hs::DxfItem::num(70, 3), hs::DxfItem::str(0, "LINE")});
    resbuf rb;
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_TRUE(filer.atEndOfObject());
    EXPECT_EQ(filer.readResBuf(&rb), Acad::eEndOfFile);
    EXPECT_EQ(filer.filerStatus(), Acad::eOk);
}

TEST_F(DxfFiling, AnArmedReadFaultFailsTheReadAndTheFiler) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, {hs::DxfItem::num(70, 3)});
    hs::armFault("AcDbDxfFiler::readResBuf", Acad::eFilerError);
    resbuf rb;
    EXPECT_EQ(filer.readResBuf(&rb), Acad::eFilerError);
    EXPECT_EQ(filer.filerStatus(), Acad::eFilerError);
}

TEST_F(DxfFiling, AValueOfTheWrongKindForItsGroupIsRefused) {
    hs::DxfFiler filer;
    EXPECT_EQ(filer.writeDouble(8, 1.0), Acad::eInvalidDxfCode);
    EXPECT_TRUE(filer.items().empty());
}

TEST_F(DxfFiling, SetErrorKeepsTheMessageAndTheStatus) {
    hs::DxfFiler filer;
    EXPECT_EQ(filer.setError(Acad::eBadDxfSequence, ACRX_T("bad group %d"), 70), Acad::eBadDxfSequence);
    EXPECT_EQ(filer.filerStatus(), Acad::eBadDxfSequence);
    EXPECT_EQ(hs::toUtf8(filer.errorMessage()), "bad group 70");
}

TEST_F(DxfFiling, FileTagsBecomeItemsWithPointsJoinedAndBackWithDoublesExact) {
    std::vector<std::pair<int, std::string>> tags{{8, "WALLS"}, {10, "0.1"},    {20, "0.30000000000000004"},
                                                  {30, "-2"},   {40, "1e-300"}, {62, " 5"},
                                                  {10, "3.5"},  {20, "4"},      {330, "1a"}};
    std::vector<hs::DxfItem> items;
    std::string error;
    ASSERT_TRUE(hs::itemsFromTags(tags, items, &error)) << error;
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[1].point, AcGePoint3d(0.1, 0.30000000000000004, -2));
    EXPECT_EQ(items[2].real, 1e-300);
    EXPECT_EQ(items[3].integer, 5);
    EXPECT_EQ(items[4].dims, 2);
    EXPECT_EQ(items[5].text, "1A");
    std::vector<std::pair<int, std::string>> back = hs::tagsFromItems(items);
    std::vector<hs::DxfItem> again;
    ASSERT_TRUE(hs::itemsFromTags(back, again));
    EXPECT_EQ(again[1].point, items[1].point);
    EXPECT_EQ(again[2].real, 1e-300);
    EXPECT_EQ(back.size(), 9u);  // the 2d point keeps no z
    EXPECT_FALSE(hs::itemsFromTags({{40, "abc"}}, again, &error));
    EXPECT_NE(error.find("40"), std::string::npos);
}

TEST_F(DxfFiling, PointerGroupsResolveToObjectIdsOfTheFilersDatabase) {
    AcDbDatabase db;
    AcDbObjectId ms;
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(db.getBlockTable(pTable, AcDb::kForRead), Acad::eOk);
    pTable->getAt(ACDB_MODEL_SPACE, ms);
    pTable->close();
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(ms.handle().value()));
    hs::DxfFiler filer(AcDb::kFileFiler, &db, {hs::DxfItem::handle(330, hex)});
    resbuf rb;
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_EQ(reinterpret_cast<AcDbStub*>(rb.resval.rlname[0]), ms.stub());
    EXPECT_EQ(filer.items()[0].id, ms);
}

// ---- reads past an object's own data ----

namespace {

// Counts the host faults and captures the transcript during a test.
class ObjectData : public Filing {
protected:
    void SetUp() override {
        Filing::SetUp();
        hs::Session::get().startCapture(false);
        m_faults = hs::Session::get().faultCount();
    }
    void TearDown() override {
        hs::Session::get().stopCapture();
        Filing::TearDown();
    }
    int newFaults() const { return hs::Session::get().faultCount() - m_faults; }
    int m_faults = 0;
};

}  // namespace

TEST_F(ObjectData, ReadingAnotherTypeThanTheObjectWroteIsAHostFaultNamingIt) {
    AcDbLayerTableRecord rec;
    hs::DwgFiler filer(AcDb::kUndoFiler);
    filer.setSubject(&rec);
    filer.writeInt16(3);
    filer.rewind();
    double d = 0;
    EXPECT_EQ(filer.readDouble(&d), Acad::eInvalidInput);
    EXPECT_EQ(filer.readDouble(&d), Acad::eInvalidInput);
    EXPECT_EQ(newFaults(), 1) << "one fault per filer";
    std::string text = hs::Session::get().takeCapture();
    EXPECT_NE(text.find("undo filer: AcDbLayerTableRecord read Double where Int16 was written after 0 items"),
              std::string::npos)
        << text;
}

TEST_F(ObjectData, ReadingPastTheObjectsDataIsAHostFault) {
    AcDbLayerTableRecord rec;
    hs::DwgFiler filer(AcDb::kDeepCloneFiler);
    filer.setSubject(&rec);
    filer.writeInt16(3);
    filer.rewind();
    Adesk::Int16 v = 0;
    EXPECT_EQ(filer.readInt16(&v), Acad::eOk);
    EXPECT_EQ(filer.readInt16(&v), Acad::eEndOfFile);
    EXPECT_EQ(newFaults(), 1);
    std::string text = hs::Session::get().takeCapture();
    EXPECT_NE(
        text.find("deep clone filer: AcDbLayerTableRecord read Int16 past the end of its data after 1 items"),
        std::string::npos)
        << text;
}

TEST_F(ObjectData, AStreamThatNoObjectWroteOnlySetsTheStatus) {
    hs::DwgFiler filer(AcDb::kCopyFiler);
    filer.writeInt16(3);
    filer.rewind();
    double d = 0;
    EXPECT_EQ(filer.readDouble(&d), Acad::eInvalidInput);
    EXPECT_EQ(newFaults(), 0);
}

TEST_F(ObjectData, AnArmedReadFaultIsNotAHostFault) {
    AcDbLayerTableRecord rec;
    hs::DwgFiler filer(AcDb::kUndoFiler);
    filer.setSubject(&rec);
    filer.writeInt16(3);
    filer.rewind();
    hs::armFault("AcDbDwgFiler::readInt16", Acad::eFilerError);
    Adesk::Int16 v = 0;
    EXPECT_EQ(filer.readInt16(&v), Acad::eFilerError);
    EXPECT_EQ(newFaults(), 0);
}
