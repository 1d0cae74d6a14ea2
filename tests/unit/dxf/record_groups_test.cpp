// The groups of the records hostsim reads into entities, table records and
// their settings: read in whatever order other programs write them, modelled
// where the host models them, kept in their place where it does not, and a
// save that would write what cannot be read back refused with a message.
#include <cmath>
#include <limits>

#include "dxf/kept_entity.h"
#include "dxftest.h"
#include "entity/QWK_WaterMark.h"

using namespace dxftest;
using hs::dxf::Tags;

namespace {

class DxfRecordGroups : public DxfTest {};

// A drawing of the given entities alone.
std::string entities(std::initializer_list<const char*> lines) {
    std::string text = dxfText({"0 SECTION", "2 ENTITIES"});
    text += dxfText(lines);
    text += dxfText({"0 ENDSEC", "0 EOF"});
    return text;
}

// A drawing of one table with the given entries.
std::string table(const char* name, std::initializer_list<const char*> lines) {
    std::string text = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\n" + std::string(name) + "\n5\n9\n70\n1\n";
    text += dxfText(lines);
    text += dxfText({"0 ENDTAB", "0 ENDSEC", "0 EOF"});
    return text;
}

template <class T>
struct Opened {
    T* p = nullptr;
    Opened(AcDbDatabase* pDb, std::uint64_t handle) {
        AcDbObjectId id = hs::idFromHandle(pDb, handle);
        if (!id.isNull())
            acdbOpenObject(p, id, AcDb::kForRead);
    }
    ~Opened() {
        if (p != nullptr)
            p->close();
    }
    T* operator->() const { return p; }
};

// The table entry of a type with this name, or empty.
Tags findNamed(const std::string& text, const std::string& type, const std::string& name) {
    for (const Tags& t : itemsOf(text, "TABLES"))
        if (!t.empty() && t[0].value == type && value(t, 2) == name)
            return t;
    return Tags();
}

// The position of the nth group with this code and value in tags, or -1.
int indexOf(const Tags& tags, int code, const std::string& value, int nth = 0) {
    for (size_t i = 0; i < tags.size(); ++i)
        if (tags[i].code == code && tags[i].value == value && nth-- == 0)
            return static_cast<int>(i);
    return -1;
}

// The groups from the nth group with this code on, as "code value" words.
std::vector<std::string> groupsFrom(const Tags& tags, int code, size_t count, int nth = 0) {
    std::vector<std::string> out;
    for (size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].code != code || nth-- != 0)
            continue;
        for (size_t k = i; k < tags.size() && out.size() < count; ++k)
            out.push_back(std::to_string(tags[k].code) + " " + tags[k].value);
        break;
    }
    return out;
}

// Every carriage return before a line feed belongs to the line end, as
// other readers take it: a value read with the others kept lost one of them
// on every save and reopen, so the drawing never read back the same. Here
// the section name, the record type and the values all end in several.
TEST_F(DxfRecordGroups, CarriageReturnsBeforeTheLineEndAreAllPartOfIt) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(
        "0\r\r\nSECTION\r\n2\nENTITIES\r\r\r\n0\nLINE\r\r\n8\nWalls\r\r\r\n10\n1.5\r\r\n20\n2.0\n30\n0.0\n"
        "11\n3.0\n21\n4.0\n31\n0.0\n370\n25\r\r\n0\nENDSEC\r\r\n0\nEOF\n",
        pDb);
    ASSERT_TRUE(result.ok) << result.message;
    DbPtr db(pDb);
    std::string saved = write(db.get());
    Tags line = findItem(saved, "ENTITIES", "LINE");
    EXPECT_EQ(value(line, 8), "Walls");
    EXPECT_EQ(value(line, 10), "1.5");
    EXPECT_EQ(value(line, 370), "25");
    EXPECT_EQ(saved.find('\r'), std::string::npos);
}

// Application data ends only at its closing group: a stray group 102 inside
// it does not end it, or the handle after that would be taken for the owner,
// and every save and reopen added another owner group.
TEST_F(DxfRecordGroups, AStrayGroupInsideApplicationDataDoesNotEndIt) {
    DbPtr db = read(entities({"0 LINE", "5 2A", "102 {ACAD_REACTORS", "330 7F", "102 stray", "330 7E",
                              "102 }", "330 1F", "100 AcDbEntity", "8 0", "100 AcDbLine", "10 0.0", "20 0.0",
                              "30 0.0", "11 1.0", "21 1.0", "31 0.0"}));
    ASSERT_TRUE(db);
    std::string saved = write(db.get());
    Tags line = findItem(saved, "ENTITIES", "LINE");
    EXPECT_EQ(groupsFrom(line, 102, 5),
              (std::vector<std::string>{"102 {ACAD_REACTORS", "330 7F", "102 stray", "330 7E", "102 }"}));
    int owners = 0;
    for (const auto& t : line)
        owners += t.code == 330 ? 1 : 0;
    EXPECT_EQ(owners, 3) << "two reactors and the owner";
    DbPtr again = read(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), saved);
}

// A record kept whole because its space group does not parse is written
// back with that group as it was: writing a readable one in its place would
// make the next reading take the record another way.
TEST_F(DxfRecordGroups, ASpaceGroupThatDoesNotParseIsWrittenBackAsItWas) {
    DbPtr db = read(entities({"0 LINE", "5 2A", "100 AcDbEntity", "67 x", "8 0", "100 AcDbLine", "10 0.0",
                              "20 0.0", "30 0.0", "11 1.0", "21 1.0", "31 0.0"}));
    ASSERT_TRUE(db);
    std::string saved = write(db.get());
    EXPECT_EQ(value(findItem(saved, "ENTITIES", "LINE"), 67), "x");
    DbPtr again = read(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), saved);
}

}  // namespace

// dxflib-based programs write both subclass markers first and then the
// layer, colour and the points; a drawing of them came back with zero-length
// lines and nameless block references.
TEST_F(DxfRecordGroups, CommonGroupsAfterTheSubclassMarkerAreReadWithThePoints) {
    DbPtr db = read(dxfText({"0 SECTION", "2 BLOCKS", "0 BLOCK", "8 0", "2 BOX", "70 0", "10 0.0", "20 0.0",
                             "30 0.0", "0 ENDBLK", "8 0", "0 ENDSEC"}) +
                    entities({"0 LINE",
                              "5 20",
                              "100 AcDbEntity",
                              "100 AcDbLine",
                              "8 Walls",
                              "62 1",
                              "370 25",
                              "10 1.5",
                              "20 2.5",
                              "30 0.0",
                              "11 3.5",
                              "21 4.5",
                              "31 0.0",
                              "0 INSERT",
                              "5 21",
                              "100 AcDbEntity",
                              "100 AcDbBlockReference",
                              "8 0",
                              "2 BOX",
                              "10 5.0",
                              "20 6.0",
                              "30 0.0"}));
    ASSERT_TRUE(db);
    {
        Opened<AcDbLine> line(db.get(), 0x20);
        ASSERT_NE(line.p, nullptr);
        EXPECT_EQ(line->startPoint(), AcGePoint3d(1.5, 2.5, 0.0));
        EXPECT_EQ(line->endPoint(), AcGePoint3d(3.5, 4.5, 0.0));
        EXPECT_EQ(hs::toUtf8(line->hsLayerName()), "Walls");
        EXPECT_EQ(line->colorIndex(), 1);
        EXPECT_EQ(line->lineWeight(), AcDb::kLnWt025);
    }
    {
        Opened<AcDbBlockReference> ref(db.get(), 0x21);
        ASSERT_NE(ref.p, nullptr);
        EXPECT_EQ(ref->hsBlockName(), "BOX");
        EXPECT_FALSE(ref->blockTableRecord().isNull());
        EXPECT_EQ(ref->position(), AcGePoint3d(5.0, 6.0, 0.0));
    }
    std::string out = write(db.get());
    EXPECT_EQ(value(findItem(out, "ENTITIES", "INSERT"), 2), "BOX");
    Tags line = findItem(out, "ENTITIES", "LINE");
    EXPECT_EQ(value(line, 8), "Walls");
    EXPECT_EQ(value(line, 11), "3.5");
}

TEST_F(DxfRecordGroups, AHandleAfterTheLayerOrTheSubclassMarkerIsTheEntitysHandle) {
    DbPtr db = read(entities({"0 LINE", "8 Walls", "5 2A", "62 3", "10 1.0", "20 2.0", "30 0.0", "11 3.0",
                              "21 4.0", "31 0.0", "0 CIRCLE", "100 AcDbEntity", "8 0", "100 AcDbCircle",
                              "5 2B", "10 7.0", "20 8.0", "30 0.0", "40 2.0"}));
    ASSERT_TRUE(db);
    {
        Opened<AcDbLine> line(db.get(), 0x2A);
        ASSERT_NE(line.p, nullptr);
        EXPECT_EQ(line->colorIndex(), 3);
        EXPECT_EQ(line->endPoint(), AcGePoint3d(3.0, 4.0, 0.0));
    }
    Opened<AcDbCircle> circle(db.get(), 0x2B);
    ASSERT_NE(circle.p, nullptr);
    EXPECT_EQ(circle->radius(), 2.0);
    EXPECT_EQ(circle->center(), AcGePoint3d(7.0, 8.0, 0.0));
}

TEST_F(DxfRecordGroups, GroupsOfASubclassSplitInTwoAreAllRead) {
    DbPtr db =
        read(entities({"0 LINE", "5 30", "100 AcDbEntity", "8 0", "100 AcDbLine", "10 1.0", "20 2.0",
                       "30 0.0", "100 AcDbEntity", "62 5", "100 AcDbLine", "11 3.0", "21 4.0", "31 0.0"}));
    ASSERT_TRUE(db);
    Opened<AcDbLine> line(db.get(), 0x30);
    ASSERT_NE(line.p, nullptr);
    EXPECT_EQ(line->colorIndex(), 5);
    EXPECT_EQ(line->endPoint(), AcGePoint3d(3.0, 4.0, 0.0));
}

TEST_F(DxfRecordGroups, GroupsHostsimDoesNotModelComeBackInTheirPlace) {
    DbPtr db = read(entities({"0 LWPOLYLINE",
                              "5 40",
                              "100 AcDbEntity",
                              "8 0",
                              "284 2",
                              "100 AcDbPolyline",
                              "90 2",
                              "70 0",
                              "10 0.0",
                              "20 0.0",
                              "91 7",
                              "10 1.0",
                              "20 1.0",
                              "91 8",
                              "0 INSERT",
                              "5 41",
                              "100 AcDbEntity",
                              "8 0",
                              "100 AcDbBlockReference",
                              "2 BOX",
                              "10 0.0",
                              "20 0.0",
                              "30 0.0",
                              "70 3",
                              "71 2",
                              "44 5.0",
                              "45 6.0"}));
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    Tags pline = findItem(out, "ENTITIES", "LWPOLYLINE");
    EXPECT_EQ(pline[indexOf(pline, 8, "0") + 1].code, 284);
    EXPECT_EQ(groupsFrom(pline, 10, 6),
              (std::vector<std::string>{"10 0.0", "20 0.0", "91 7", "10 1.0", "20 1.0", "91 8"}));
    Tags insert = findItem(out, "ENTITIES", "INSERT");
    EXPECT_EQ(value(insert, 70), "3");
    EXPECT_EQ(value(insert, 71), "2");
    EXPECT_EQ(value(insert, 44), "5.0");
    EXPECT_EQ(value(insert, 45), "6.0");
    // And the same again once saved.
    DbPtr again = read(out);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), out);
}

TEST_F(DxfRecordGroups, TransparencyTrueColourWithItsIndexAndBookNameAreModelled) {
    DbPtr db = read(entities({"0 LINE", "5 50", "100 AcDbEntity", "8 0", "62 94", "420 11843407",
                              "430 RAL$RAL 1013", "440 33554560", "100 AcDbLine", "10 0.0", "20 0.0",
                              "30 0.0", "11 1.0", "21 0.0", "31 0.0"}));
    ASSERT_TRUE(db);
    {
        Opened<AcDbLine> line(db.get(), 0x50);
        ASSERT_NE(line.p, nullptr);
        AcCmColor c = line->color();
        EXPECT_TRUE(c.isByColor());
        EXPECT_EQ(c.red(), 0xB4);
        EXPECT_EQ(c.green(), 0xB7);
        EXPECT_EQ(c.blue(), 0x4F);
        EXPECT_EQ(hs::toUtf8(c.colorName()), "RAL 1013");
        EXPECT_EQ(hs::toUtf8(c.bookName()), "RAL");
        EXPECT_TRUE(line->transparency().isByAlpha());
        EXPECT_EQ(line->transparency().alpha(), 128);
        // A copy keeps them.
        std::unique_ptr<AcRxObject> copy(line->clone());
        AcDbLine* pCopy = AcDbLine::cast(copy.get());
        ASSERT_NE(pCopy, nullptr);
        EXPECT_EQ(pCopy->color(), c);
        EXPECT_EQ(pCopy->transparency(), line->transparency());
    }
    Tags line = findItem(write(db.get()), "ENTITIES", "LINE");
    EXPECT_EQ(value(line, 62), "94");
    EXPECT_EQ(value(line, 420), "11843407");
    EXPECT_EQ(value(line, 430), "RAL$RAL 1013");
    EXPECT_EQ(value(line, 440), "33554560");
}

TEST_F(DxfRecordGroups, ANewColourDropsTheBookName) {
    DbPtr db =
        read(entities({"0 LINE", "5 51", "100 AcDbEntity", "8 0", "62 94", "420 11843407", "430 RAL$RAL 1013",
                       "100 AcDbLine", "10 0.0", "20 0.0", "30 0.0", "11 1.0", "21 0.0", "31 0.0"}));
    ASSERT_TRUE(db);
    AcDbObjectId id = hs::idFromHandle(db.get(), 0x51);
    AcDbLine* pLine = nullptr;
    ASSERT_EQ(acdbOpenObject(pLine, id, AcDb::kForWrite), Acad::eOk);
    AcCmColor c;
    c.setRGB(1, 2, 3);
    pLine->setColor(c);
    pLine->close();
    Tags line = findItem(write(db.get()), "ENTITIES", "LINE");
    EXPECT_EQ(value(line, 420), "66051");
    EXPECT_EQ(value(line, 430), "<none>");
}

TEST_F(DxfRecordGroups, LayerFlagsPlotFlagAndTrueColourWithItsIndexAreModelled) {
    DbPtr db = read(table(
        "LAYER", {"0 LAYER", "5 60", "100 AcDbSymbolTableRecord", "100 AcDbLayerTableRecord", "2 Hidden",
                  "70 2", "62 -94", "420 11843407", "6 Continuous", "290 0", "370 -3", "390 F"}));
    ASSERT_TRUE(db);
    {
        Opened<AcDbLayerTableRecord> layer(db.get(), 0x60);
        ASSERT_NE(layer.p, nullptr);
        EXPECT_TRUE(layer->VPDFLT());
        EXPECT_FALSE(layer->isFrozen());
        EXPECT_TRUE(layer->isOff());
        EXPECT_FALSE(layer->isPlottable());
        EXPECT_TRUE(layer->color().isByColor());
    }
    Tags layer = findNamed(write(db.get()), "LAYER", "Hidden");
    EXPECT_EQ(value(layer, 70), "2");
    EXPECT_EQ(value(layer, 62), "-94");
    EXPECT_EQ(value(layer, 420), "11843407");
    EXPECT_EQ(value(layer, 290), "0");
    EXPECT_EQ(value(layer, 390), "F");
}

TEST_F(DxfRecordGroups, ComplexLinetypeShapesAndTextsComeBackAfterTheirDash) {
    DbPtr db = read(table("LTYPE", {"0 LTYPE",
                                    "5 70",
                                    "100 AcDbSymbolTableRecord",
                                    "100 AcDbLinetypeTableRecord",
                                    "2 GAS_LINE",
                                    "70 0",
                                    "3 Gas ---- GAS ----",
                                    "72 65",
                                    "73 3",
                                    "40 0.95",
                                    "49 0.5",
                                    "74 0",
                                    "49 -0.2",
                                    "74 2",
                                    "75 0",
                                    "340 11",
                                    "46 0.1",
                                    "50 0.0",
                                    "44 -0.1",
                                    "45 -0.05",
                                    "9 GAS",
                                    "49 -0.25",
                                    "74 0"}));
    ASSERT_TRUE(db);
    Tags ltype = findNamed(write(db.get()), "LTYPE", "GAS_LINE");
    ASSERT_FALSE(ltype.empty());
    EXPECT_EQ(groupsFrom(ltype, 49, 11, 1),
              (std::vector<std::string>{"49 -0.2", "74 2", "75 0", "340 11", "46 0.1", "50 0.0", "44 -0.1",
                                        "45 -0.05", "9 GAS", "49 -0.25", "74 0"}));
}

TEST_F(DxfRecordGroups, BlockUnitsExplodeAndScaleFlagsAndPreviewAreKept) {
    DbPtr db = read(table("BLOCK_RECORD",
                          {"0 BLOCK_RECORD", "5 80", "100 AcDbSymbolTableRecord", "100 AcDbBlockTableRecord",
                           "2 PART", "70 4", "280 0", "281 1", "310 0102A0FF"}));
    ASSERT_TRUE(db);
    {
        Opened<AcDbBlockTableRecord> rec(db.get(), 0x80);
        ASSERT_NE(rec.p, nullptr);
        EXPECT_EQ(rec->blockInsertUnits(), AcDb::kUnitsMillimeters);
        EXPECT_FALSE(rec->explodable());
        EXPECT_EQ(rec->blockScaling(), AcDbBlockTableRecord::kUniform);
    }
    Tags rec = findNamed(write(db.get()), "BLOCK_RECORD", "PART");
    ASSERT_FALSE(rec.empty());
    EXPECT_EQ(groupsFrom(rec, 70, 4), (std::vector<std::string>{"70 4", "280 0", "281 1", "310 0102A0FF"}));
}

TEST_F(DxfRecordGroups, MTextSpacingBackgroundColumnsAndEmbeddedObjectComeBack) {
    DbPtr db = read(entities({"0 MTEXT",      "5 90",          "100 AcDbEntity",
                              "8 0",          "100 AcDbMText", "10 0.0",
                              "20 0.0",       "30 0.0",        "40 2.5",
                              "41 50.0",      "71 1",          "72 5",
                              "1 Hello",      "73 2",          "44 1.5",
                              "90 1",         "63 1",          "45 1.25",
                              "441 33554559", "75 1",          "76 2",
                              "78 0",         "79 1",          "48 20.0",
                              "49 2.0",       "50 30.0",       "101 Embedded Object",
                              "70 1",         "10 1.0",        "20 0.0",
                              "30 0.0",       "11 0.0",        "21 0.0",
                              "31 0.0",       "40 50.0",       "41 0.0"}));
    ASSERT_TRUE(db);
    {
        Opened<AcDbMText> mtext(db.get(), 0x90);
        ASSERT_NE(mtext.p, nullptr);
        EXPECT_EQ(mtext->lineSpacingStyle(), AcDb::kExactly);
        EXPECT_EQ(mtext->lineSpacingFactor(), 1.5);
        EXPECT_TRUE(mtext->backgroundFillOn());
        AcCmColor fill;
        mtext->getBackgroundFillColor(fill);
        EXPECT_EQ(fill.colorIndex(), 1);
        double scale = 0;
        mtext->getBackgroundScaleFactor(scale);
        EXPECT_EQ(scale, 1.25);
        AcCmTransparency t;
        mtext->getBackgroundTransparency(t);
        EXPECT_EQ(t.alpha(), 127);
        EXPECT_EQ(mtext->rotation(), 0.0);  // the column height (50) is not a rotation
    }
    Tags mtext = findItem(write(db.get()), "ENTITIES", "MTEXT");
    EXPECT_EQ(value(mtext, 73), "2");
    EXPECT_EQ(value(mtext, 44), "1.5");
    EXPECT_EQ(value(mtext, 90), "1");
    EXPECT_EQ(value(mtext, 63), "1");
    EXPECT_EQ(value(mtext, 441), "33554559");
    EXPECT_EQ(groupsFrom(mtext, 75, 18),
              (std::vector<std::string>{"75 1", "76 2", "78 0", "79 1", "48 20.0", "49 2.0", "50 30.0",
                                        "101 Embedded Object", "70 1", "10 1.0", "20 0.0", "30 0.0", "11 0.0",
                                        "21 0.0", "31 0.0", "40 50.0", "41 0.0"}));
}

// An embedded object in the middle of a line's groups, with a point after
// it: the line cannot take the point, so it is kept as it was, never half
// read.
TEST_F(DxfRecordGroups, ARecordThatCannotBeReadCompletelyIsKeptWholeWithAMessage) {
    hs::DxfResult result;
    DbPtr db = read(entities({"0 LINE", "5 A0", "100 AcDbEntity", "8 0", "100 AcDbLine", "10 1.0", "20 1.0",
                              "30 0.0", "101 Embedded Object", "1000 stray", "11 2.0", "21 2.0", "31 0.0"}),
                    &result);
    ASSERT_TRUE(db);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("LINE A0 kept as it is"), std::string::npos) << result.warnings[0];
    AcDbObjectId id = hs::idFromHandle(db.get(), 0xA0);
    ASSERT_FALSE(id.isNull());
    EXPECT_EQ(hs::className(id), "HsDxfKeptEntity");
    Tags line = findItem(write(db.get()), "ENTITIES", "LINE");
    EXPECT_EQ(value(line, 1000), "stray");
    EXPECT_EQ(value(line, 11), "2.0");
}

TEST_F(DxfRecordGroups, ASaveRefusesABlockRecordWithoutANameAndNamesIt) {
    DbPtr db(new AcDbDatabase());
    AcDbBlockTableRecord* pRec = new AcDbBlockTableRecord();
    AcDbObjectId id;
    ASSERT_EQ(hs::addObject(db.get(), pRec, db->blockTableId(), AcDbHandle(), id), Acad::eOk);
    pRec->close();
    std::string out;
    hs::DxfResult result = hs::writeDxfText(db.get(), out);
    EXPECT_FALSE(result.ok);
    std::string handle = hs::dxf::formatHandle(id.handle().value());
    EXPECT_NE(result.message.find("BLOCK_RECORD with handle " + handle), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("no name"), std::string::npos) << result.message;
}

TEST_F(DxfRecordGroups, ASaveRefusesACoordinateThatIsNotFiniteAndNamesTheEntity) {
    DbPtr db(new AcDbDatabase());
    AcDbObjectId id = addLine(db.get(), 0, 0, std::numeric_limits<double>::infinity(), 1);
    std::string out;
    hs::DxfResult result = hs::writeDxfText(db.get(), out);
    EXPECT_FALSE(result.ok);
    std::string handle = hs::dxf::formatHandle(id.handle().value());
    EXPECT_NE(result.message.find("LINE with handle " + handle), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("not a finite number"), std::string::npos) << result.message;
}

// A program's own subclass before the record's markers: the markers are the
// record's, kept once, and the other one stays before them.
TEST_F(DxfRecordGroups, AForeignSubclassBeforeTheRecordsOwnKeepsOneOfEachMarker) {
    DbPtr db =
        read(table("LAYER", {"0 LAYER", "5 22", "330 9", "100 AcDbMlineStyle", "100 AcDbSymbolTableRecord",
                             "100 AcDbLayerTableRecord", "2 Standard", "70 0", "62 7"}));
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    Tags layer = findNamed(out, "LAYER", "Standard");
    EXPECT_EQ(groupsFrom(layer, 100, 4),
              (std::vector<std::string>{"100 AcDbMlineStyle", "100 AcDbSymbolTableRecord",
                                        "100 AcDbLayerTableRecord", "2 Standard"}));
    DbPtr again = read(out);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), out);
}

// A table record cannot be kept as tags in place of its object: it is read
// without the group whose value does not parse, which comes back as it was.
TEST_F(DxfRecordGroups, ALayerGroupThatDoesNotParseIsReportedAndKeptAsItWas) {
    hs::DxfResult result;
    DbPtr db = read(table("LAYER", {"0 LAYER", "5 24", "100 AcDbSymbolTableRecord",
                                    "100 AcDbLayerTableRecord", "2 HIDDEN", "70 0", "62 x3", "6 DASHED"}),
                    &result);
    ASSERT_TRUE(db);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("LAYER HIDDEN"), std::string::npos) << result.warnings[0];
    std::string out = write(db.get());
    Tags layer = findNamed(out, "LAYER", "HIDDEN");
    // After the colour the layer has now (a reader takes the first).
    EXPECT_EQ(groupsFrom(layer, 70, 3), (std::vector<std::string>{"70 0", "62 7", "62 x3"}));
    DbPtr again = read(out);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), out);
}

TEST_F(DxfRecordGroups, ASaveRefusesABlockOriginThatIsNotFiniteAndNamesTheBlock) {
    DbPtr db(new AcDbDatabase());
    AcDbBlockTableRecord* pRec = new AcDbBlockTableRecord();
    pRec->setName(hs::fromUtf8("FAR").c_str());
    pRec->setOrigin(AcGePoint3d(std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0));
    AcDbObjectId id;
    ASSERT_EQ(hs::addObject(db.get(), pRec, db->blockTableId(), AcDbHandle(), id), Acad::eOk);
    pRec->close();
    std::string out;
    hs::DxfResult result = hs::writeDxfText(db.get(), out);
    EXPECT_FALSE(result.ok);
    std::string handle = hs::dxf::formatHandle(id.handle().value());
    EXPECT_NE(result.message.find("BLOCK_RECORD with handle " + handle), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("origin is not a finite number"), std::string::npos) << result.message;
}

TEST_F(DxfRecordGroups, ALayersLinetypeThatTheFileLacksKeepsItsName) {
    DbPtr db = read(table("LAYER", {"0 LAYER", "5 25", "100 AcDbSymbolTableRecord",
                                    "100 AcDbLayerTableRecord", "2 HIDDEN", "70 0", "62 3", "6 DASHED"}));
    ASSERT_TRUE(db);
    EXPECT_EQ(value(findNamed(write(db.get()), "LAYER", "HIDDEN"), 6), "DASHED");
}

TEST_F(DxfRecordGroups, ASaveRefusesTwoLayersOfOneNameAndNamesTheSecond) {
    DbPtr db(new AcDbDatabase());
    AcDbLayerTableRecord* pRec = new AcDbLayerTableRecord();
    pRec->setName(ACRX_T("0"));
    AcDbObjectId id;
    ASSERT_EQ(hs::addObject(db.get(), pRec, db->layerTableId(), AcDbHandle(), id), Acad::eOk);
    pRec->close();
    std::string out;
    hs::DxfResult result = hs::writeDxfText(db.get(), out);
    EXPECT_FALSE(result.ok);
    std::string handle = hs::dxf::formatHandle(id.handle().value());
    EXPECT_NE(result.message.find("LAYER with handle " + handle), std::string::npos) << result.message;
}

// A reactor group that is never closed ends at the subclass data. An owner
// hostsim adds to a record that had none goes after the group, which is
// closed first: added inside it, the owner was not read back as the owner,
// and every save added another.
TEST_F(DxfRecordGroups, AnApplicationGroupLeftOpenIsClosedBeforeTheOwnerAddedAfterIt) {
    DbPtr db = read(dxfText({"0 SECTION", "2 OBJECTS", "0 DICTIONARY", "5 C", "330 0", "100 AcDbDictionary",
                             "3 ACAD_MLINESTYLE", "350 20", "0 MLINESTYLE", "5 20", "102 {ACAD_REACTORS",
                             "330 C", "100 AcDbMlineStyle", "2 Standard", "70 0", "0 ENDSEC", "0 EOF"}));
    ASSERT_TRUE(db);
    std::string once = write(db.get());
    Tags style = findItem(once, "OBJECTS", "MLINESTYLE");
    int close = indexOf(style, 102, "}");
    ASSERT_GE(close, 0);
    EXPECT_EQ(groupsFrom(style, 102, 6),
              (std::vector<std::string>{"102 {ACAD_REACTORS", "330 C", "102 }", "330 C", "100 AcDbMlineStyle",
                                        "2 Standard"}));
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(findItem(write(again.get()), "OBJECTS", "MLINESTYLE"), style);
}

// The record's handle is its first handle group; another one is data of the
// record (it was dropped on the second save).
TEST_F(DxfRecordGroups, ASecondHandleGroupOfARecordComesBackInItsPlace) {
    DbPtr db = read(entities({"0 LINE", "5 2A", "100 AcDbEntity", "8 0", "100 AcDbLine", "10 1", "20 2",
                              "30 0", "11 3", "21 4", "31 0", "5 7F"}));
    ASSERT_TRUE(db);
    ASSERT_EQ(modelSpaceClasses(db.get()), (std::vector<std::string>{"AcDbLine"}));
    std::string once = write(db.get());
    Tags line = findItem(once, "ENTITIES", "LINE");
    EXPECT_EQ(value(line, 5), "2A");
    EXPECT_EQ(groupsFrom(line, 11, 4), (std::vector<std::string>{"11 3.0", "21 4.0", "31 0.0", "5 7F"}));
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(findItem(write(again.get()), "ENTITIES", "LINE"), line);
}

// The owner of an entity is where the reader files it: one that does not
// parse no longer makes the whole line a record kept as tags (which the
// next save, with the owner mended, read as a line).
TEST_F(DxfRecordGroups, AnOwnerThatDoesNotParseIsReadAsNoOwner) {
    DbPtr db = read(entities({"0 LINE", "5 2A", "330 ZZ", "100 AcDbEntity", "8 0", "100 AcDbLine", "10 1",
                              "20 2", "30 0", "11 3", "21 4", "31 0"}));
    ASSERT_TRUE(db);
    EXPECT_EQ(modelSpaceClasses(db.get()), (std::vector<std::string>{"AcDbLine"}));
    Tags line = findItem(write(db.get()), "ENTITIES", "LINE");
    EXPECT_EQ(groupsFrom(line, 10, 3), (std::vector<std::string>{"10 1.0", "20 2.0", "30 0.0"}));
}

// The first name group of a record is its name. A second one given in
// another part of the record would be written before it and be read as the
// name next time: the file is refused, naming the record's line.
TEST_F(DxfRecordGroups, ARecordHoldingAnotherNameThatWouldComeFirstIsRefusedNamingItsLine) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(
        table("LAYER", {"0 LAYER", "5 30", "2 WALLS", "100 AcDbSymbolTableRecord", "100 AcDbOther", "2 OTHER",
                        "100 AcDbLayerTableRecord", "70 0", "62 1", "6 CONTINUOUS"}),
        pDb);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(pDb, nullptr);
    delete pDb;
    EXPECT_NE(result.message.find("line 13: the LAYER entry \"WALLS\" holds a second name group"),
              std::string::npos)
        << result.message;
}

// Data of another program's subclass ahead of a record's own subclass data,
// after an application group that holds the owner, is kept and written back
// ahead of the record's own owner and subclass markers: the next reading
// kept those too, and the record grew on every save. The file is refused,
// naming the record's line; the same subclass after the record's own data is
// kept and comes back as it was.
TEST_F(DxfRecordGroups, ARecordWhoseKeptGroupsWouldTakeItsOwnGroupsWithThemIsRefused) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(
        table("BLOCK_RECORD", {"0 BLOCK_RECORD", "5 30", "102 {ACAD_XDICTIONARY", "360 42", "101 }", "330 9",
                               "100 OtherSymbolTableRecord", "100 AcDbBlockTableRecord", "2 PART", "70 0"}),
        pDb);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(pDb, nullptr);
    delete pDb;
    EXPECT_NE(
        result.message.find("line 13: the BLOCK_RECORD entry \"PART\" holds groups hostsim does not read "
                            "(from group 100 \"OtherSymbolTableRecord\")"),
        std::string::npos)
        << result.message;

    DbPtr db = read(
        table("BLOCK_RECORD", {"0 BLOCK_RECORD", "5 30", "330 9", "100 AcDbSymbolTableRecord",
                               "100 AcDbBlockTableRecord", "2 PART", "70 0", "100 OtherRecord", "1 note"}));
    ASSERT_TRUE(db);
    std::string once = write(db.get());
    EXPECT_EQ(groupsFrom(findNamed(once, "BLOCK_RECORD", "PART"), 100, 2, 2),
              (std::vector<std::string>{"100 OtherRecord", "1 note"}));
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), once);
}

// A section name holding a carriage return is refused (hostsim keeps such a
// section as it is, and could not name it back).
TEST_F(DxfRecordGroups, ASectionNameHoldingALineBreakIsRefused) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText("0\nSECTION\n2\nBLO\rCKS\n0\nENDSEC\n0\nEOF\n", pDb);
    EXPECT_FALSE(result.ok);
    delete pDb;
    EXPECT_NE(result.message.find("line 3: expected a section name without a line break"), std::string::npos)
        << result.message;
}

// An unmodelled group that the save would put where the next reading takes
// it as one of the entity's own (here a lineweight after a vertical
// alignment that is not written, being the default) would be lost then: the
// record is kept whole instead, with a message.
TEST_F(DxfRecordGroups, AnEntityWhoseKeptGroupWouldBeReadAsItsOwnNextTimeIsKeptWholeWithAMessage) {
    hs::DxfResult result;
    DbPtr db = read(entities({"0 TEXT", "5 2A", "100 AcDbFoo", "10 1.0", "20 2.0", "30 0.0", "40 2.5", "1 Hi",
                              "73 0", "370 -1"}),
                    &result);
    ASSERT_TRUE(db);
    EXPECT_EQ(modelSpaceClasses(db.get()), (std::vector<std::string>{"HsDxfKeptEntity"}));
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("TEXT 2A kept as it is"), std::string::npos) << result.warnings[0];
    Tags text = findItem(write(db.get()), "ENTITIES", "TEXT");
    EXPECT_EQ(groupsFrom(text, 1, 3), (std::vector<std::string>{"1 Hi", "73 0", "370 -1"}));
}

// Model space has one draw order: a second sort-entities table of it took
// the place of the first in the next reading and was lost there.
TEST_F(DxfRecordGroups, ASecondSortEntitiesTableOfModelSpaceIsLeftOutWithAMessage) {
    hs::DxfResult result;
    DbPtr db = read(dxfText({"0 SECTION",
                             "2 TABLES",
                             "0 TABLE",
                             "2 BLOCK_RECORD",
                             "5 1",
                             "70 1",
                             "0 BLOCK_RECORD",
                             "5 1F",
                             "330 1",
                             "100 AcDbSymbolTableRecord",
                             "100 AcDbBlockTableRecord",
                             "2 *Model_Space",
                             "0 ENDTAB",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 ENTITIES",
                             "0 LINE",
                             "5 2A",
                             "330 1F",
                             "100 AcDbEntity",
                             "8 0",
                             "100 AcDbLine",
                             "10 0.0",
                             "20 0.0",
                             "30 0.0",
                             "11 1.0",
                             "21 1.0",
                             "31 0.0",
                             "0 LINE",
                             "5 2B",
                             "330 1F",
                             "100 AcDbEntity",
                             "8 0",
                             "100 AcDbLine",
                             "10 0.0",
                             "20 1.0",
                             "30 0.0",
                             "11 1.0",
                             "21 0.0",
                             "31 0.0",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 OBJECTS",
                             "0 SORTENTSTABLE",
                             "5 40",
                             "100 AcDbSortentsTable",
                             "330 1F",
                             "331 2A",
                             "5 2B",
                             "331 2B",
                             "5 2A",
                             "0 SORTENTSTABLE",
                             "5 41",
                             "100 AcDbSortentsTable",
                             "330 1F",
                             "331 2A",
                             "5 2A",
                             "331 2B",
                             "5 2B",
                             "0 ENDSEC",
                             "0 EOF"}),
                    &result);
    ASSERT_TRUE(db);
    bool said = false;
    for (const std::string& w : result.warnings)
        said = said || w.find("a second sort-entities table of model space (handle 41) is left out") !=
                           std::string::npos;
    EXPECT_TRUE(said);
    std::string out = write(db.get());
    int tables = 0;
    for (const Tags& t : itemsOf(out, "OBJECTS"))
        tables += t[0].value == "SORTENTSTABLE" ? 1 : 0;
    EXPECT_EQ(tables, 1);
    EXPECT_EQ(modelSpaceClasses(db.get()), (std::vector<std::string>{"AcDbLine", "AcDbLine"}));
}

// A record type holding a carriage return is refused.
TEST_F(DxfRecordGroups, ARecordTypeHoldingALineBreakIsRefused) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(
        entities({"0 LINE", "5 2A", "100 AcDbEntity", "8 0", "100 AcDbLine", "10 0.0", "20 0.0", "30 0.0",
                  "11 1.0", "21 1.0", "31 0.0", "0 END\rSEC", "5 2B", "8 0"}),
        pDb);
    EXPECT_FALSE(result.ok);
    delete pDb;
    EXPECT_NE(result.message.find("expected a record type without a line break"), std::string::npos)
        << result.message;
}

// Extended data runs from its first application name to the end of the
// record: other groups within it are part of it (they were also kept among
// the entity's own groups, and so written twice).
TEST_F(DxfRecordGroups, GroupsWithinExtendedDataStayInItAndAreWrittenOnce) {
    DbPtr db = read(entities({"0 LINE", "5 2A", "100 AcDbEntity", "8 0", "100 AcDbLine", "10 0.0", "20 0.0",
                              "30 0.0", "11 1.0", "21 1.0", "31 0.0", "1001 APP", "21 -10.5", "1000 note"}));
    ASSERT_TRUE(db);
    Tags line = findItem(write(db.get()), "ENTITIES", "LINE");
    EXPECT_EQ(groupsFrom(line, 11, 6),
              (std::vector<std::string>{"11 1.0", "21 1.0", "31 0.0", "1001 APP", "21 -10.5", "1000 note"}));
    EXPECT_EQ(line.size(), 15u);
}

// A layer's lineweight that is none of the host's is not taken into the
// layer (it held a value its type cannot): the reading says so, and the
// group is kept as it was.
TEST_F(DxfRecordGroups, ALayerLineweightThatIsNoLineweightIsReportedAndKeptAsItWas) {
    hs::DxfResult result;
    DbPtr db =
        read(table("LAYER", {"0 LAYER", "5 30", "100 AcDbSymbolTableRecord", "100 AcDbLayerTableRecord",
                             "2 WALLS", "70 0", "62 1", "6 CONTINUOUS", "370 -6666"}),
             &result);
    ASSERT_TRUE(db);
    ASSERT_FALSE(result.warnings.empty());
    EXPECT_NE(result.warnings[0].find("LAYER WALLS"), std::string::npos) << result.warnings[0];
    EXPECT_NE(result.warnings[0].find("370"), std::string::npos) << result.warnings[0];
    std::string once = write(db.get());
    EXPECT_EQ(value(findNamed(once, "LAYER", "WALLS"), 370), "-6666");
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(findNamed(write(again.get()), "LAYER", "WALLS"), findNamed(once, "LAYER", "WALLS"));
}

// An entity's colour, lineweight, linetype scale or transparency that holds
// no value the host takes is not turned into another one (a lineweight of 7
// became ByLayer, a colour of 300 became 256, a negative one lost its sign,
// a linetype scale of 0 was dropped): the reading says so, and each group
// comes back as the file gave it, save after save.
TEST_F(DxfRecordGroups, AnEntityPropertyHoldingNoValueTheHostTakesIsReportedAndKeptAsItWas) {
    hs::DxfResult result;
    DbPtr db =
        read(entities({"0 LINE", "5 2A",         "100 AcDbEntity", "8 0",          "62 300", "370 7",
                       "48 0.0", "440 50331648", "100 AcDbLine",   "10 0.0",       "20 0.0", "30 0.0",
                       "11 1.0", "21 1.0",       "31 0.0",         "0 LINE",       "5 2B",   "100 AcDbEntity",
                       "8 0",    "62 -3",        "370 25",         "100 AcDbLine", "10 0.0", "20 0.0",
                       "30 0.0", "11 1.0",       "21 1.0",         "31 0.0"}),
             &result);
    ASSERT_TRUE(db);
    std::string warnings;
    for (const std::string& w : result.warnings)
        warnings += w + "\n";
    for (const char* named : {"LINE 2A", "group 62 \"300\"", "group 370 \"7\"", "group 48 \"0.0\"",
                              "group 440 \"50331648\"", "LINE 2B", "group 62 \"-3\""})
        EXPECT_NE(warnings.find(named), std::string::npos) << named << " in\n" << warnings;
    EXPECT_EQ(warnings.find("370 \"25\""), std::string::npos) << warnings;
    std::string once = write(db.get());
    Tags first = findItem(once, "ENTITIES", "LINE");
    EXPECT_EQ(value(first, 62), "300");
    EXPECT_EQ(value(first, 370), "7");
    EXPECT_EQ(value(first, 48), "0.0");
    EXPECT_EQ(value(first, 440), "50331648");
    std::vector<Tags> lines = itemsOf(once, "ENTITIES");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(value(lines[1], 62), "-3");
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), once);
}

// A property given twice in one record (two colours, two layers): the first
// is the entity's, as before, and the second is no longer dropped on saving.
TEST_F(DxfRecordGroups, ASecondGroupOfAPropertyIsReportedAndKeptAfterTheFirst) {
    hs::DxfResult result;
    DbPtr db = read(entities({"0 LINE", "5 2A", "100 AcDbEntity", "8 0", "62 1", "8 WALLS", "62 5",
                              "100 AcDbLine", "10 0.0", "20 0.0", "30 0.0", "11 1.0", "21 1.0", "31 0.0"}),
                    &result);
    ASSERT_TRUE(db);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("LINE 2A"), std::string::npos) << result.warnings[0];
    EXPECT_NE(result.warnings[0].find("group 8 \"WALLS\", group 62 \"5\""), std::string::npos)
        << result.warnings[0];
    {
        Opened<AcDbEntity> line(db.get(), 0x2A);
        ASSERT_NE(line.p, nullptr);
        EXPECT_EQ(line->colorIndex(), 1);
        ACHAR* layer = line->layer();
        EXPECT_EQ(hs::toUtf8(layer), "0");
        acdbFree(layer);
    }
    std::string once = write(db.get());
    EXPECT_EQ(groupsFrom(findItem(once, "ENTITIES", "LINE"), 8, 4),
              (std::vector<std::string>{"8 0", "62 1", "8 WALLS", "62 5"}));
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), once);
}

// A group of extended data's kind (1000-1071) before any application name
// (1001) is no extended data. It was dropped, and it ended the reading of
// the record: a layer lost its colour and an entity was kept as tags. It is
// now kept in its place like any other group the record does not model.
TEST_F(DxfRecordGroups, AnExtendedDataGroupBeforeAnyApplicationNameIsKeptInItsPlace) {
    std::string text = dxfText({"0 SECTION", "2 TABLES", "0 TABLE", "2 LAYER", "5 2", "70 1", "0 LAYER",
                                "5 30", "100 AcDbSymbolTableRecord", "1000 stray", "100 AcDbLayerTableRecord",
                                "2 WALLS", "70 0", "62 1", "6 CONTINUOUS", "0 ENDTAB", "0 ENDSEC"});
    text += entities({"0 LINE", "5 2A", "100 AcDbEntity", "1040 2.5", "8 0", "100 AcDbLine", "10 0.0",
                      "20 0.0", "30 0.0", "11 1.0", "21 1.0", "31 0.0"});
    hs::DxfResult result;
    DbPtr db = read(text, &result);
    ASSERT_TRUE(db) << result.message;
    EXPECT_EQ(result.warnings, std::vector<std::string>{});
    EXPECT_EQ(modelSpaceClasses(db.get()), (std::vector<std::string>{"AcDbLine"}));
    std::string once = write(db.get());
    Tags layer = findNamed(once, "LAYER", "WALLS");
    EXPECT_EQ(value(layer, 62), "1");
    EXPECT_EQ(value(layer, 1000), "stray");
    EXPECT_LT(indexOf(layer, 1000, "stray"), indexOf(layer, 100, "AcDbLayerTableRecord"));
    Tags line = findItem(once, "ENTITIES", "LINE");
    EXPECT_EQ(groupsFrom(line, 1040, 3), (std::vector<std::string>{"1040 2.5", "8 0", "100 AcDbLine"}));
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), once);
}

// Extended data after an embedded object belongs to the extended data only:
// its groups were also kept as the embedded object's, and so written twice.
TEST_F(DxfRecordGroups, ExtendedDataAfterAnEmbeddedObjectIsWrittenOnce) {
    DbPtr db = read(
        entities({"0 CIRCLE", "5 90", "100 AcDbEntity", "8 0", "100 AcDbCircle", "10 1.0", "20 2.0", "30 0.0",
                  "40 3.0", "101 Embedded Object", "70 1", "1001 APP", "1000 note", "3 Global", "1070 5"}));
    ASSERT_TRUE(db);
    std::string once = write(db.get());
    Tags circle = findItem(once, "ENTITIES", "CIRCLE");
    EXPECT_EQ(groupsFrom(circle, 101, 6), (std::vector<std::string>{"101 Embedded Object", "70 1", "1001 APP",
                                                                    "1000 note", "3 Global", "1070 5"}));
    EXPECT_EQ(indexOf(circle, 3, "Global", 1), -1) << "written once";
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), once);
}

// A custom entity's data ends where its extended data begins: the groups
// from the first application name on are the extended data's, whatever they
// are, and never given to the entity's own reading (a watermark took an
// embedded circle there for one more clone, and gained another copy of it
// on every save).
TEST_F(DxfRecordGroups, ACustomEntityIsNotGivenItsExtendedDataToRead) {
    DbPtr db = read(entities({"0 QWK_WaterMark",
                              "5 90",
                              "100 AcDbEntity",
                              "8 0",
                              "100 QWK_WaterMark",
                              "70 1",
                              "70 1",
                              "300 AcDbLine",
                              "101 Embedded Object",
                              "100 AcDbEntity",
                              "8 0",
                              "100 AcDbLine",
                              "10 0.0",
                              "20 0.0",
                              "30 0.0",
                              "11 1.0",
                              "21 1.0",
                              "31 0.0",
                              "1001 APP",
                              "1000 note",
                              "300 AcDbCircle",
                              "101 Embedded Object",
                              "100 AcDbEntity",
                              "8 0",
                              "100 AcDbCircle",
                              "10 1.0",
                              "20 1.0",
                              "30 0.0",
                              "40 2.0"}));
    ASSERT_TRUE(db);
    {
        Opened<QWK_WaterMark> wm(db.get(), 0x90);
        ASSERT_NE(wm.p, nullptr);
        EXPECT_EQ(wm.p->count(), 1) << "the circle is extended data, not a clone";
    }
    std::string once = write(db.get());
    Tags wm = findItem(once, "ENTITIES", "QWK_WaterMark");
    EXPECT_EQ(indexOf(wm, 300, "AcDbCircle", 1), -1) << "written once";
    EXPECT_EQ(groupsFrom(wm, 1001, 4),
              (std::vector<std::string>{"1001 APP", "1000 note", "300 AcDbCircle", "101 Embedded Object"}));
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), once);
}

// A name group inside a table record's application data is the
// application's: the record is named by its own name group (it was named by
// the application's, and then written with both).
TEST_F(DxfRecordGroups, ANameGroupInsideApplicationDataDoesNotNameTheRecord) {
    hs::DxfResult result;
    DbPtr db =
        read(table("LAYER", {"0 LAYER", "5 30", "102 {APP", "2 Other", "102 }", "100 AcDbSymbolTableRecord",
                             "100 AcDbLayerTableRecord", "2 WALLS", "70 0", "62 1", "6 CONTINUOUS"}),
             &result);
    ASSERT_TRUE(db) << result.message;
    AcDbLayerTable* pLayers = nullptr;
    ASSERT_EQ(acdbOpenObject(pLayers, db->layerTableId(), AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pLayers->has(ACRX_T("WALLS")));
    EXPECT_FALSE(pLayers->has(ACRX_T("Other")));
    pLayers->close();
    std::string once = write(db.get());
    Tags layer;
    for (const Tags& t : itemsOf(once, "TABLES"))
        if (indexOf(t, 102, "{APP") >= 0)
            layer = t;
    ASSERT_FALSE(layer.empty()) << once;
    EXPECT_EQ(groupsFrom(layer, 102, 3), (std::vector<std::string>{"102 {APP", "2 Other", "102 }"}));
    EXPECT_GT(indexOf(layer, 2, "WALLS"), indexOf(layer, 100, "AcDbLayerTableRecord"));
    EXPECT_EQ(indexOf(layer, 2, "WALLS", 1), -1) << "named once";
    DbPtr again = read(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), once);
}
