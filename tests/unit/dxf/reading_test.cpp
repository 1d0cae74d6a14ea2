// Opening DXF files written by other programs: what becomes database
// objects, what is kept as it was, and how a damaged file is reported.
#include <cstring>

#include "dxf/kept_entity.h"
#include "dxftest.h"

using namespace dxftest;
using hs::dxf::Tags;

namespace {

class DxfReading : public DxfTest {};

// An R2000 drawing with a line, a spline (which hostsim does not know) and a
// circle, a text style, and an object of an unknown class.
const std::string& r2000Drawing() {
    static const std::string text = dxfText({"0 SECTION",
                                             "2 HEADER",
                                             "9 $ACADVER",
                                             "1 AC1015",
                                             "9 $HANDSEED",
                                             "5 300",
                                             "9 $INSUNITS",
                                             "70 6",
                                             "9 $CUSTOMVAR",
                                             "40 1.25",
                                             "0 ENDSEC",
                                             "0 SECTION",
                                             "2 TABLES",
                                             "0 TABLE",
                                             "2 LAYER",
                                             "5 2",
                                             "330 0",
                                             "100 AcDbSymbolTable",
                                             "70 2",
                                             "0 LAYER",
                                             "5 10",
                                             "330 2",
                                             "100 AcDbSymbolTableRecord",
                                             "100 AcDbLayerTableRecord",
                                             "2 0",
                                             "70 0",
                                             "62 7",
                                             "6 Continuous",
                                             "0 LAYER",
                                             "5 11",
                                             "330 2",
                                             "100 AcDbSymbolTableRecord",
                                             "100 AcDbLayerTableRecord",
                                             "2 Walls",
                                             "70 0",
                                             "62 1",
                                             "6 Continuous",
                                             "0 ENDTAB",
                                             "0 TABLE",
                                             "2 STYLE",
                                             "5 3",
                                             "330 0",
                                             "100 AcDbSymbolTable",
                                             "70 1",
                                             "0 STYLE",
                                             "5 12",
                                             "330 3",
                                             "100 AcDbSymbolTableRecord",
                                             "100 AcDbTextStyleTableRecord",
                                             "2 Notes",
                                             "70 0",
                                             "40 0.0",
                                             "41 0.8",
                                             "50 0.0",
                                             "71 0",
                                             "42 2.5",
                                             "3 isocp.shx",
                                             "4 ",
                                             "0 ENDTAB",
                                             "0 ENDSEC",
                                             "0 SECTION",
                                             "2 ENTITIES",
                                             "0 LINE",
                                             "5 100",
                                             "100 AcDbEntity",
                                             "8 Walls",
                                             "100 AcDbLine",
                                             "10 0.1",
                                             "20 0.2",
                                             "30 0.0",
                                             "11 10.5",
                                             "21 -3.25",
                                             "31 0.0",
                                             "0 SPLINE",
                                             "5 101",
                                             "100 AcDbEntity",
                                             "8 0",
                                             "100 AcDbSpline",
                                             "210 0.0",
                                             "220 0.0",
                                             "230 1.0",
                                             "70 8",
                                             "71 3",
                                             "72 8",
                                             "73 4",
                                             "74 0",
                                             "42 0.0000000001",
                                             "43 0.0000000001",
                                             "40 0.0",
                                             "40 0.0",
                                             "40 0.0",
                                             "40 0.0",
                                             "40 1.0",
                                             "40 1.0",
                                             "40 1.0",
                                             "40 1.0",
                                             "10 0.0",
                                             "20 0.0",
                                             "30 0.0",
                                             "10 1.0",
                                             "20 2.0",
                                             "30 0.0",
                                             "10 3.0",
                                             "20 2.0",
                                             "30 0.0",
                                             "10 4.0",
                                             "20 0.0",
                                             "30 0.0",
                                             "0 CIRCLE",
                                             "5 102",
                                             "100 AcDbEntity",
                                             "8 0",
                                             "62 3",
                                             "100 AcDbCircle",
                                             "10 5.0",
                                             "20 5.0",
                                             "30 0.0",
                                             "40 2.5",
                                             "0 ENDSEC",
                                             "0 SECTION",
                                             "2 OBJECTS",
                                             "0 DICTIONARY",
                                             "5 C",
                                             "330 0",
                                             "100 AcDbDictionary",
                                             "281 1",
                                             "3 ACME_DATA",
                                             "350 200",
                                             "0 ACME_THING",
                                             "5 200",
                                             "330 C",
                                             "100 AcmeThing",
                                             "1 anything at all",
                                             "90 42",
                                             "0 ENDSEC",
                                             "0 EOF"});
    return text;
}

}  // namespace

TEST_F(DxfReading, KnownEntitiesBecomeDatabaseObjectsWithTheirHandles) {
    DbPtr db = read(r2000Drawing());
    ASSERT_TRUE(db);
    std::vector<std::string> classes = modelSpaceClasses(db.get());
    ASSERT_EQ(classes.size(), 3u);
    EXPECT_EQ(classes[0], "AcDbLine");
    EXPECT_EQ(classes[2], "AcDbCircle");
    AcDbObjectId lineId = hs::idFromHandle(db.get(), 0x100);
    ASSERT_FALSE(lineId.isNull());
    AcDbLine* pLine = nullptr;
    ASSERT_EQ(acdbOpenObject(pLine, lineId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pLine->startPoint().x, 0.1);
    EXPECT_EQ(pLine->endPoint().y, -3.25);
    std::string layer = hs::toUtf8(pLine->hsLayerName());
    pLine->close();
    EXPECT_EQ(layer, "Walls");
}

TEST_F(DxfReading, AnUnknownEntityKeepsItsPlaceAndHandle) {
    DbPtr db = read(r2000Drawing());
    ASSERT_TRUE(db);
    std::vector<std::string> classes = modelSpaceClasses(db.get());
    ASSERT_EQ(classes.size(), 3u);
    EXPECT_EQ(classes[1], "HsDxfKeptEntity");
    EXPECT_FALSE(hs::idFromHandle(db.get(), 0x101).isNull());
}

TEST_F(DxfReading, TypeNamesAreMatchedIgnoringCase) {
    DbPtr db =
        read(dxfText({"0 SECTION", "2 ENTITIES", "0 line", "5 20", "100 AcDbEntity", "8 0", "100 AcDbLine",
                      "10 1.0", "20 2.0", "30 0.0", "11 3.0", "21 4.0", "31 0.0", "0 ENDSEC", "0 EOF"}));
    ASSERT_TRUE(db);
    std::vector<std::string> classes = modelSpaceClasses(db.get());
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0], "AcDbLine");
}

TEST_F(DxfReading, NewHandlesStartAboveEveryHandleOfTheFile) {
    DbPtr db = read(r2000Drawing());
    ASSERT_TRUE(db);
    EXPECT_GE(hs::handseed(db.get()), 0x300u);
    AcDbObjectId id = addLine(db.get(), 0, 0, 1, 1);
    EXPECT_GE(id.handle().value(), 0x300u);
}

TEST_F(DxfReading, AHugeHandleSeedIsKeptWithoutMakingRoomForThatManyObjects) {
    // The seed says how far handles go, not how many objects there are: a
    // seed near the top of the range must not size anything by it.
    std::string text = r2000Drawing();
    size_t at = text.find("$HANDSEED\n  5\n300\n");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::strlen("$HANDSEED\n  5\n300\n"), "$HANDSEED\n  5\nFFFFFFFFFFFFFF0\n");
    DbPtr db = read(text);
    ASSERT_TRUE(db);
    EXPECT_EQ(modelSpaceClasses(db.get()).size(), 3u);
    EXPECT_GE(hs::handseed(db.get()), 0xFFFFFFFFFFFFFF0u);
    AcDbObjectId id = addLine(db.get(), 0, 0, 1, 1);
    EXPECT_GE(id.handle().value(), 0xFFFFFFFFFFFFFF0u);
}

TEST_F(DxfReading, AFileWithoutEofIsAnErrorNamingTheLine) {
    std::string text = r2000Drawing();
    text.resize(text.rfind("  0\nEOF"));
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(text, pDb);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(pDb, nullptr);
    EXPECT_NE(result.message.find("line "), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("EOF"), std::string::npos) << result.message;
}

TEST_F(DxfReading, AFileCutInsideASectionSaysWhatWasExpected) {
    std::string text = r2000Drawing();
    text.resize(text.find("CIRCLE"));
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(text, pDb);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(pDb, nullptr);
    EXPECT_NE(result.message.find("line "), std::string::npos) << result.message;
}

TEST_F(DxfReading, ABadGroupCodeGivesItsLineNumber) {
    std::string text = dxfText({"0 SECTION", "2 ENTITIES", "0 LINE", "5 20"});
    text += "ten\n1.0\n";
    text += dxfText({"0 ENDSEC", "0 EOF"});
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(text, pDb);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("line 9"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("group code"), std::string::npos) << result.message;
}

TEST_F(DxfReading, AnEntityWithAValueThatIsNotANumberIsKeptAndReported) {
    hs::DxfResult result;
    DbPtr db =
        read(dxfText({"0 SECTION", "2 ENTITIES", "0 LINE", "5 20", "100 AcDbEntity", "8 0", "100 AcDbLine",
                      "10 one", "20 2.0", "30 0.0", "11 3.0", "21 4.0", "31 0.0", "0 ENDSEC", "0 EOF"}),
             &result);
    ASSERT_TRUE(db);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("line 15"), std::string::npos) << result.warnings[0];
    std::string out = write(db.get());
    Tags line = findItem(out, "ENTITIES", "LINE");
    EXPECT_EQ(value(line, 10), "one");
}

TEST_F(DxfReading, LineEndsAndByteOrderMarkDoNotMatter) {
    std::string lf = r2000Drawing();
    std::string crlf = "\xEF\xBB\xBF";
    for (char c : lf) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    DbPtr a = read(lf);
    DbPtr b = read(crlf);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(modelSpaceClasses(a.get()), modelSpaceClasses(b.get()));
    EXPECT_EQ(write(a.get()), write(b.get()));
}

TEST_F(DxfReading, AnR12FileWithoutHandlesGetsUniqueHandles) {
    DbPtr db = read(
        dxfText({"0 SECTION",    "2 HEADER", "9 $ACADVER", "1 AC1009",  "0 ENDSEC",   "0 SECTION", "2 TABLES",
                 "0 TABLE",      "2 LAYER",  "70 1",       "0 LAYER",   "2 Doors",    "70 0",      "62 5",
                 "6 CONTINUOUS", "0 ENDTAB", "0 ENDSEC",   "0 SECTION", "2 BLOCKS",   "0 BLOCK",   "8 0",
                 "2 Door",       "70 0",     "10 0.0",     "20 0.0",    "30 0.0",     "3 Door",    "0 LINE",
                 "8 Doors",      "10 0.0",   "20 0.0",     "30 0.0",    "11 0.9",     "21 0.0",    "31 0.0",
                 "0 ENDBLK",     "8 0",      "0 ENDSEC",   "0 SECTION", "2 ENTITIES", "0 LINE",    "8 Doors",
                 "10 0.0",       "20 0.0",   "30 0.0",     "11 5.0",    "21 5.0",     "31 0.0",    "0 LINE",
                 "8 Doors",      "10 1.0",   "20 0.0",     "30 0.0",    "11 6.0",     "21 5.0",    "31 0.0",
                 "0 ENDSEC",     "0 EOF"}));
    ASSERT_TRUE(db);
    std::vector<AcDbObjectId> ents = hs::entitiesOf(hs::modelSpaceId(db.get()));
    ASSERT_EQ(ents.size(), 2u);
    EXPECT_NE(ents[0].handle(), ents[1].handle());
    std::string out = write(db.get());
    EXPECT_EQ(value(tagsOf(out), 1), "AC1015");
    std::set<std::string> handles;
    for (const char* section : {"TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}) {
        for (const Tags& item : itemsOf(out, section)) {
            std::string h = value(item, 5);
            if (h == "<none>")
                h = value(item, 105);
            if (item[0].value == "ENDTAB" || item[0].value == "TABLE")
                continue;
            EXPECT_NE(h, "<none>") << item[0].value << " in " << section;
            EXPECT_TRUE(handles.insert(h).second) << "handle " << h << " written twice";
        }
    }
    Tags block = findItem(out, "BLOCKS", "BLOCK");
    EXPECT_NE(out.find("Door"), std::string::npos);
}
