// Drawings of other programs come back whole: handles stay unique whatever
// the file's handles and handle seed, entities stay in the space the file
// put them in, old drawings are saved in the later form with their layouts
// linked, and binary files read as their text form.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "dxf/kept_entity.h"
#include "dxftest.h"
#include "ivtest.h"

namespace hs {
namespace dxf {
// Tags in failure messages as "code value".
void PrintTo(const Tag& t, std::ostream* os) {
    *os << t.code << " " << t.value;
}
}  // namespace dxf
}  // namespace hs

using namespace dxftest;
using hs::dxf::Tag;
using hs::dxf::Tags;

namespace {

class ForeignDrawings : public DxfTest {};

// The bytes of a literal, NULs included.
template <size_t N>
std::string bytes(const char (&s)[N]) {
    return std::string(s, N - 1);
}

// Every record of the written file (from its group 0) with its section.
struct Record {
    std::string section;
    Tags tags;
};
std::vector<Record> recordsOf(const std::string& text) {
    std::vector<Record> out;
    for (const char* section : {"TABLES", "BLOCKS", "ENTITIES", "OBJECTS"})
        for (Tags& item : itemsOf(text, section))
            if (item[0].value != "TABLE" && item[0].value != "ENDTAB")
                out.push_back({section, std::move(item)});
    return out;
}

std::string handleOf(const Tags& tags) {
    for (const Tag& t : tags) {
        if (t.code == 100)
            break;
        if (t.code == 5 || t.code == 105)
            return t.value;
    }
    return "";
}

// The owner group of a record: the last 330 before its first subclass.
std::string ownerOf(const Tags& tags) {
    std::string owner;
    for (size_t i = 1; i < tags.size() && tags[i].code != 100; ++i)
        if (tags[i].code == 330)
            owner = tags[i].value;
    return owner;
}

// The records of the file that have no handle, and the handles used twice.
void expectUniqueHandles(const std::string& text) {
    std::map<std::string, int> seen;
    for (const Record& r : recordsOf(text)) {
        std::string h = handleOf(r.tags);
        EXPECT_FALSE(h.empty()) << r.tags[0].value << " in " << r.section << " has no handle";
        if (!h.empty() && ++seen[h] == 2)
            ADD_FAILURE() << "handle " << h << " is used twice";
    }
    EXPECT_GT(seen.size(), 10u);
}

std::uint64_t hex(const std::string& s) {
    return std::stoull(s, nullptr, 16);
}

// An R12 drawing as other programs write it: a block, a polyline with its
// vertices, a block reference with an attribute; with or without handles.
std::string r12Drawing(bool handles) {
    auto h = [&](const char* value) { return handles ? std::string("5 ") + value : std::string("999 -"); };
    std::string s1 = h("10"), s2 = h("11"), s3 = h("12"), s4 = h("13"), s5 = h("14"), s6 = h("15"),
                s7 = h("16"), s8 = h("17"), s9 = h("18"), s10 = h("19");
    return dxfText({"0 SECTION",    "2 HEADER",
                    "9 $ACADVER",   "1 AC1009",
                    "9 $HANDLING",  handles ? "70 1" : "70 0",
                    "9 $HANDSEED",  handles ? "5 1A" : "5 0",
                    "0 ENDSEC",     "0 SECTION",
                    "2 TABLES",     "0 TABLE",
                    "2 LAYER",      "70 1",
                    "0 LAYER",      "2 Walls",
                    "70 0",         "62 1",
                    "6 CONTINUOUS", "0 ENDTAB",
                    "0 ENDSEC",     "0 SECTION",
                    "2 BLOCKS",     "0 BLOCK",
                    "8 0",          "2 Door",
                    "70 2",         "10 0.0",
                    "20 0.0",       "30 0.0",
                    "3 Door",       "0 LINE",
                    s1.c_str(),     "8 0",
                    "10 0.0",       "20 0.0",
                    "30 0.0",       "11 1.0",
                    "21 0.0",       "31 0.0",
                    "0 ATTDEF",     s2.c_str(),
                    "8 0",          "10 0.0",
                    "20 0.0",       "30 0.0",
                    "40 0.2",       "1 ",
                    "3 Number",     "2 NUM",
                    "70 0",         "0 ENDBLK",
                    "8 0",          "0 ENDSEC",
                    "0 SECTION",    "2 ENTITIES",
                    "0 POLYLINE",   s3.c_str(),
                    "8 Walls",      "66 1",
                    "10 0.0",       "20 0.0",
                    "30 0.0",       "70 0",
                    "0 VERTEX",     s4.c_str(),
                    "8 Walls",      "10 0.0",
                    "20 0.0",       "30 0.0",
                    "0 VERTEX",     s5.c_str(),
                    "8 Walls",      "10 4.0",
                    "20 0.0",       "30 0.0",
                    "42 1.0",       "0 VERTEX",
                    s6.c_str(),     "8 Walls",
                    "10 4.0",       "20 3.0",
                    "30 0.0",       "0 SEQEND",
                    s7.c_str(),     "8 Walls",
                    "0 INSERT",     s8.c_str(),
                    "8 0",          "66 1",
                    "2 Door",       "10 5.0",
                    "20 5.0",       "30 0.0",
                    "0 ATTRIB",     s9.c_str(),
                    "8 0",          "10 5.0",
                    "20 5.0",       "30 0.0",
                    "40 0.2",       "1 D-7",
                    "2 NUM",        "70 0",
                    "0 SEQEND",     s10.c_str(),
                    "8 0",          "0 LINE",
                    "8 Walls",      "10 0.0",
                    "20 0.0",       "30 0.0",
                    "11 9.0",       "21 9.0",
                    "31 0.0",       "0 ENDSEC",
                    "0 EOF"});
}

TEST_F(ForeignDrawings, AnR12DrawingWithoutHandlesGetsAHandleForEveryRecordVerticesAndSequenceEndsIncluded) {
    DbPtr pDb = read(r12Drawing(/*handles=*/false));
    std::string text = write(pDb.get());
    expectUniqueHandles(text);
    // The vertices and the end of sequence belong to their polyline.
    std::vector<Tags> ents = itemsOf(text, "ENTITIES");
    ASSERT_EQ(ents.size(), 9u);
    ASSERT_EQ(ents[0][0].value, "POLYLINE");
    std::string polyline = handleOf(ents[0]);
    for (size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(ents[i][0].value, i < 4 ? "VERTEX" : "SEQEND");
        EXPECT_EQ(ownerOf(ents[i]), polyline) << ents[i][0].value << " " << i;
    }
    EXPECT_EQ(value(ents[2], 42), "1.0");  // the bulge is still there
    EXPECT_EQ(ents[6][0].value, "ATTRIB");
    EXPECT_EQ(ownerOf(ents[6]), handleOf(ents[5]));
    EXPECT_EQ(value(ents[6], 1), "D-7");
}

TEST_F(ForeignDrawings, AnR12DrawingKeepsItsHandlesAndItsBlockRecordsTakeOthers) {
    // The records of its blocks and layers have no handles in the file; the
    // vertices have handles just above the database's own records.
    DbPtr pDb = read(r12Drawing(/*handles=*/true));
    std::string text = write(pDb.get());
    expectUniqueHandles(text);
    std::vector<Tags> ents = itemsOf(text, "ENTITIES");
    ASSERT_EQ(ents.size(), 9u);
    std::vector<std::string> handles;
    for (size_t i = 0; i < 8; ++i)
        handles.push_back(handleOf(ents[i]));
    EXPECT_EQ(handles, (std::vector<std::string>{"12", "13", "14", "15", "16", "17", "18", "19"}));
    EXPECT_EQ(ents[8][0].value, "LINE");
    EXPECT_GT(hex(handleOf(ents[8])), 0x19u);
    std::vector<Record> all = recordsOf(text);
    std::uint64_t top = 0;
    for (const Record& r : all)
        top = std::max(top, hex(handleOf(r.tags)));
    Tags tags = tagsOf(text);
    for (size_t i = 0; i + 1 < tags.size(); ++i) {
        if (tags[i].code == 9 && tags[i].value == "$HANDSEED") {
            EXPECT_GT(hex(tags[i + 1].value), top);
        }
    }
}

TEST_F(ForeignDrawings, AHandleUsedTwiceIsRenumberedWithAMessageAndItsVerticesFollow) {
    std::string text =
        dxfText({"0 SECTION", "2 ENTITIES", "0 POLYLINE", "5 40",       "8 0",      "66 1",   "70 0",
                 "0 VERTEX",  "5 41",       "330 40",     "8 0",        "10 0.0",   "20 0.0", "0 SEQEND",
                 "5 42",      "330 40",     "8 0",        "0 POLYLINE", "5 40",     "8 0",    "66 1",
                 "70 0",      "0 VERTEX",   "5 43",       "330 40",     "8 0",      "10 7.0", "20 7.0",
                 "0 SEQEND",  "5 44",       "330 40",     "8 0",        "0 ENDSEC", "0 EOF"});
    hs::DxfResult result;
    DbPtr pDb = read(text, &result);
    bool told = false;
    for (const std::string& w : result.warnings)
        told = told || w.find("handle 40 is used twice") != std::string::npos;
    EXPECT_TRUE(told);
    std::string out = write(pDb.get());
    expectUniqueHandles(out);
    std::vector<Tags> ents = itemsOf(out, "ENTITIES");
    ASSERT_EQ(ents.size(), 6u);
    EXPECT_EQ(handleOf(ents[0]), "40");
    std::string second = handleOf(ents[3]);
    EXPECT_NE(second, "40");
    EXPECT_EQ(ownerOf(ents[1]), "40");
    EXPECT_EQ(ownerOf(ents[4]), second);
    EXPECT_EQ(ownerOf(ents[5]), second);
    EXPECT_EQ(value(ents[4], 10), "7.0");
}

// A record renumbered because its handle was used twice takes the next free
// handle; when a later record names that handle, the renumbered one moves
// again. Its unmodelled groups used to stay with the handle and so were
// written into the later record (here a layer's into a line).
TEST_F(ForeignDrawings, ARenumberedRecordThatMovesAgainKeepsItsOwnGroups) {
    std::string text = dxfText({"0 SECTION",
                                "2 TABLES",
                                "0 TABLE",
                                "2 LAYER",
                                "5 2",
                                "70 2",
                                "0 LAYER",
                                "5 20",
                                "100 AcDbSymbolTableRecord",
                                "100 AcDbLayerTableRecord",
                                "2 A",
                                "70 0",
                                "62 1",
                                "6 CONTINUOUS",
                                "0 LAYER",
                                "5 20",
                                "100 AcDbSymbolTableRecord",
                                "100 AcDbLayerTableRecord",
                                "2 B",
                                "70 0",
                                "62 2",
                                "6 CONTINUOUS",
                                "100 AcDbFoo",
                                "1 bar",
                                "0 ENDTAB",
                                "0 ENDSEC",
                                "0 SECTION",
                                "2 ENTITIES",
                                "0 LINE",
                                "5 21",
                                "100 AcDbEntity",
                                "8 0",
                                "100 AcDbLine",
                                "10 0.0",
                                "20 0.0",
                                "30 0.0",
                                "11 1.0",
                                "21 1.0",
                                "31 0.0",
                                "0 ENDSEC",
                                "0 EOF"});
    hs::DxfResult result;
    DbPtr pDb = read(text, &result);
    ASSERT_TRUE(pDb);
    ASSERT_FALSE(result.warnings.empty());
    EXPECT_NE(result.warnings[0].find("the LAYER B gets handle 21"), std::string::npos) << result.warnings[0];
    std::string out = write(pDb.get());
    expectUniqueHandles(out);
    Tags line = itemsOf(out, "ENTITIES").at(0);
    EXPECT_EQ(handleOf(line), "21");
    EXPECT_EQ(value(line, 1), "<none>") << "the layer's groups are not the line's";
    int layersB = 0;
    for (const Record& r : recordsOf(out)) {
        if (r.tags[0].value == "LAYER" && value(r.tags, 2) == "B") {
            ++layersB;
            EXPECT_EQ(value(r.tags, 1), "bar");
        }
    }
    EXPECT_EQ(layersB, 1);
}

// A drawing with entities up to handle 50 and the given $HANDSEED groups.
std::string drawingWithSeed(const char* seedGroup) {
    return dxfText({"0 SECTION",
                    "2 HEADER",
                    "9 $ACADVER",
                    "1 AC1015",
                    "9 $HANDSEED",
                    seedGroup,
                    "0 ENDSEC",
                    "0 SECTION",
                    "2 ENTITIES",
                    "0 LINE",
                    "5 30",
                    "100 AcDbEntity",
                    "8 0",
                    "100 AcDbLine",
                    "10 0.0",
                    "20 0.0",
                    "30 0.0",
                    "11 1.0",
                    "21 0.0",
                    "31 0.0",
                    "0 SPLINE",
                    "5 50",
                    "100 AcDbEntity",
                    "8 0",
                    "100 AcDbSpline",
                    "70 8",
                    "71 3",
                    "72 0",
                    "73 0",
                    "74 0",
                    "0 ENDSEC",
                    "0 EOF"});
}

class HandleSeeds : public ForeignDrawings, public ::testing::WithParamInterface<const char*> {};

TEST_P(HandleSeeds, NewObjectsNeverShareAHandleWithTheFilesObjects) {
    DbPtr pDb = read(drawingWithSeed(GetParam()));
    std::set<std::uint64_t> before;
    for (AcDbObjectId id : hs::allObjects(pDb.get()))
        before.insert(id.handle().value());
    AcDbObjectId id = addLine(pDb.get(), 5, 5, 6, 6);
    ASSERT_FALSE(id.isNull());
    std::uint64_t h = id.handle().value();
    EXPECT_GT(h, 0x50u);
    EXPECT_LT(h, 0xFFFFFFFF00000000ull);
    EXPECT_EQ(before.count(h), 0u);
    std::string text = write(pDb.get());
    expectUniqueHandles(text);
    // Read again, the drawing holds the three entities.
    DbPtr pAgain = read(text);
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(pAgain.get())).size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(BelowMissingZeroOrAtTheTop, HandleSeeds,
                         ::testing::Values("5 1", "5 30", "999 no seed", "5 0", "5 FFFFFFFFFFFFFFFF",
                                           "5 FFFFFFFFFFFFFF00"));

TEST_F(ForeignDrawings, RunningOutOfHandlesIsAnErrorNotAnObjectWithHandleOne) {
    DbPtr pDb = read(dxfText({"0 SECTION", "2 ENTITIES", "0 LINE", "5 FFFFFFFFFFFFFFFF", "100 AcDbEntity",
                              "8 0", "100 AcDbLine", "10 0.0", "20 0.0", "30 0.0", "11 1.0", "21 0.0",
                              "31 0.0", "0 ENDSEC", "0 EOF"}));
    ASSERT_TRUE(pDb);
    EXPECT_TRUE(hs::handlesUsedUp(pDb.get()));
    AcDbLine* pLine = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    AcDbBlockTableRecord* pMs = nullptr;
    ASSERT_EQ(acdbOpenObject(pMs, hs::modelSpaceId(pDb.get()), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(pMs->appendAcDbEntity(id, pLine), Acad::eOutOfMemory);
    pMs->close();
    delete pLine;
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(pDb.get())).size(), 1u);
    std::string text;
    hs::DxfResult result = hs::writeDxfText(pDb.get(), text);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("used every handle"), std::string::npos) << result.message;
}

// An R2000 drawing whose model space record is named *U, and whose paper
// space entity names the paper space record.
TEST_F(ForeignDrawings, EntitiesOfTheEntitiesSectionStayInModelSpaceWhateverRecordTheirOwnerNames) {
    std::vector<const char*> lines = {"0 SECTION",
                                      "2 HEADER",
                                      "9 $ACADVER",
                                      "1 AC1015",
                                      "9 $HANDSEED",
                                      "5 100",
                                      "0 ENDSEC",
                                      "0 SECTION",
                                      "2 TABLES",
                                      "0 TABLE",
                                      "2 BLOCK_RECORD",
                                      "5 1",
                                      "330 0",
                                      "100 AcDbSymbolTable",
                                      "70 2",
                                      "0 BLOCK_RECORD",
                                      "5 1F",
                                      "330 1",
                                      "100 AcDbSymbolTableRecord",
                                      "100 AcDbBlockTableRecord",
                                      "2 *U",
                                      "340 22",
                                      "0 BLOCK_RECORD",
                                      "5 1B",
                                      "330 1",
                                      "100 AcDbSymbolTableRecord",
                                      "100 AcDbBlockTableRecord",
                                      "2 *Paper_Space",
                                      "340 1E",
                                      "0 ENDTAB",
                                      "0 ENDSEC",
                                      "0 SECTION",
                                      "2 ENTITIES"};
    std::vector<std::string> ents;
    for (int i = 0; i < 3; ++i) {
        for (std::string s : std::vector<std::string>{
                 "0 LINE", "5 " + std::to_string(40 + i), "330 1F", "100 AcDbEntity", "8 0", "100 AcDbLine",
                 "10 0.0", "20 0.0", "30 0.0", "11 " + std::to_string(i + 1) + ".0", "21 0.0", "31 0.0"})
            ents.push_back(s);
    }
    for (std::string s : std::vector<std::string>{"0 CIRCLE", "5 50", "330 1B", "100 AcDbEntity", "67 1",
                                                  "8 0", "100 AcDbCircle", "10 0.0", "20 0.0", "30 0.0",
                                                  "40 2.0", "0 ENDSEC", "0 EOF"})
        ents.push_back(s);
    std::string text;
    for (const char* l : lines)
        text += dxfText({l});
    for (const std::string& l : ents)
        text += dxfText({l.c_str()});
    DbPtr pDb = read(text);
    EXPECT_EQ(modelSpaceClasses(pDb.get()), (std::vector<std::string>{"AcDbLine", "AcDbLine", "AcDbLine"}));
    std::vector<AcDbObjectId> paper = hs::entitiesOf(hs::paperSpaceId(pDb.get()));
    ASSERT_EQ(paper.size(), 1u);
    EXPECT_EQ(paper[0].handle().value(), 0x50u);
    // No block named *U holds them, and the file's model space handle names
    // model space.
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(pDb->getBlockTable(pTable, AcDb::kForRead), Acad::eOk);
    AcDbObjectId u;
    pTable->getAt(ACRX_T("*U"), u);
    pTable->close();
    EXPECT_TRUE(u.isNull() || hs::entitiesOf(u).empty());
    std::string out = write(pDb.get());
    for (const Tags& e : itemsOf(out, "ENTITIES")) {
        if (e[0].value == "LINE") {
            EXPECT_EQ(ownerOf(e), hs::dxf::formatHandle(hs::modelSpaceId(pDb.get()).handle().value()));
        }
    }
}

TEST_F(ForeignDrawings, ModelAndPaperSpaceBlocksAreKnownByTheirOtherSpellings) {
    DbPtr pDb = read(dxfText({"0 SECTION",      "2 BLOCKS", "0 BLOCK", "8 0",      "2 $MODEL_SPACE",
                              "70 0",           "10 0.0",   "20 0.0",  "30 0.0",   "3 $MODEL_SPACE",
                              "0 CIRCLE",       "8 0",      "10 1.0",  "20 1.0",   "30 0.0",
                              "40 1.0",         "0 ENDBLK", "8 0",     "0 BLOCK",  "8 0",
                              "2 $PAPER_SPACE", "70 0",     "10 0.0",  "20 0.0",   "30 0.0",
                              "3 $PAPER_SPACE", "0 ENDBLK", "8 0",     "0 ENDSEC", "0 EOF"}));
    EXPECT_EQ(modelSpaceClasses(pDb.get()), (std::vector<std::string>{"AcDbCircle"}));
    // No third block record beside the two spaces.
    EXPECT_EQ(hs::entitiesOf(pDb->blockTableId()).size(), 2u);
}

// The layout of a block record (its 340) names the record back (the 330 of
// its AcDbLayout part), and the other way round.
void expectLayoutsLinked(const std::string& text) {
    std::map<std::string, Tags> byHandle;
    for (const Record& r : recordsOf(text))
        byHandle[handleOf(r.tags)] = r.tags;
    int layouts = 0;
    for (const Record& r : recordsOf(text)) {
        if (r.tags[0].value == "BLOCK" || r.tags[0].value == "ENDBLK") {
            std::string owner = ownerOf(r.tags);
            ASSERT_EQ(byHandle.count(owner), 1u) << r.tags[0].value << " owner " << owner;
            EXPECT_EQ(byHandle[owner][0].value, "BLOCK_RECORD");
        }
        if (r.tags[0].value != "LAYOUT")
            continue;
        ++layouts;
        std::string record;
        bool inLayout = false;
        for (const Tag& t : r.tags) {
            inLayout = inLayout || (t.code == 100 && t.value == "AcDbLayout");
            if (inLayout && t.code == 330)
                record = t.value;
        }
        ASSERT_EQ(byHandle.count(record), 1u) << "layout " << handleOf(r.tags) << " names record " << record;
        EXPECT_EQ(value(byHandle[record], 340), handleOf(r.tags));
        std::string dict = ownerOf(r.tags);
        ASSERT_EQ(byHandle.count(dict), 1u);
        EXPECT_EQ(value(byHandle[dict], 0), "DICTIONARY");
        EXPECT_EQ(byHandle.count(ownerOf(byHandle[dict])), 1u) << "the layout dictionary's owner";
    }
    EXPECT_EQ(layouts, 2);
}

TEST_F(ForeignDrawings, AnR12DrawingIsSavedWithLayoutsAndBlockRecordsLinkedBothWays) {
    DbPtr pDb = read(r12Drawing(/*handles=*/true));
    std::string text = write(pDb.get());
    EXPECT_EQ(value(tagsOf(text), 1), "AC1015");
    expectLayoutsLinked(text);
    // The BLOCK of the file keeps its groups, now under their subclasses.
    for (const Tags& b : itemsOf(text, "BLOCKS")) {
        if (b[0].value == "BLOCK" && value(b, 2) == "Door") {
            EXPECT_EQ(value(b, 100, 0), "AcDbEntity");
            EXPECT_EQ(value(b, 100, 1), "AcDbBlockBegin");
            EXPECT_EQ(value(b, 70), "2");
            EXPECT_EQ(value(b, 3), "Door");
        }
    }
}

TEST_F(ForeignDrawings, AnR14DrawingGetsLayoutsListedInItsRootDictionary) {
    DbPtr pDb = read(dxfText({"0 SECTION",
                              "2 HEADER",
                              "9 $ACADVER",
                              "1 AC1014",
                              "9 $HANDSEED",
                              "5 100",
                              "0 ENDSEC",
                              "0 SECTION",
                              "2 BLOCKS",
                              "0 BLOCK",
                              "5 20",
                              "100 AcDbEntity",
                              "8 0",
                              "100 AcDbBlockBegin",
                              "2 *MODEL_SPACE",
                              "0 ENDBLK",
                              "5 21",
                              "100 AcDbEntity",
                              "8 0",
                              "100 AcDbBlockEnd",
                              "0 ENDSEC",
                              "0 SECTION",
                              "2 OBJECTS",
                              "0 DICTIONARY",
                              "5 C",
                              "100 AcDbDictionary",
                              "3 ACAD_GROUP",
                              "350 D",
                              "0 DICTIONARY",
                              "5 D",
                              "102 {ACAD_REACTORS",
                              "330 C",
                              "102 }",
                              "100 AcDbDictionary",
                              "0 ENDSEC",
                              "0 EOF"}));
    std::string text = write(pDb.get());
    expectLayoutsLinked(text);
    std::vector<Tags> objects = itemsOf(text, "OBJECTS");
    ASSERT_GE(objects.size(), 2u);
    EXPECT_EQ(handleOf(objects[0]), "C");
    EXPECT_EQ(ownerOf(objects[0]), "0");
    EXPECT_EQ(ownerOf(objects[1]), "C");
    bool listed = false;
    for (const Tag& t : objects[0])
        listed = listed || (t.code == 3 && t.value == "ACAD_LAYOUT");
    EXPECT_TRUE(listed);
}

#if !defined(_WIN32)
// ezdxf (Debian's python3-ezdxf) reads a file strictly and audits it.
std::string ezdxfAudit(const std::string& path, const ivtest::TempDir& dir) {
    const std::string out = dir.file("audit.txt");
    const std::string command =
        "/usr/bin/python3 -c \"import sys, ezdxf; d = ezdxf.readfile(sys.argv[1]); "
        "print(len(d.audit().errors), len(d.modelspace()))\" " +
        path + " > " + out + " 2>&1";
    int status = std::system(command.c_str());
    return (status == 0 ? "" : "failed: ") + ivtest::readFile(out);
}

TEST_F(ForeignDrawings, EzdxfReadsAnUpgradedR12DrawingStrictlyAndItsAuditorFindsNothing) {
    ivtest::TempDir dir;
    for (bool handles : {true, false}) {
        DbPtr pDb = read(r12Drawing(handles));
        const std::string path = dir.file(handles ? "with.dxf" : "without.dxf");
        ASSERT_TRUE(hs::writeDxfFile(path, pDb.get()).ok);
        EXPECT_EQ(ezdxfAudit(path, dir), "0 3\n") << (handles ? "with handles" : "without handles");
    }
}

// The items without the times of saving that ezdxf stamps on them.
std::vector<Tags> withoutSaveStamps(std::vector<Tags> items) {
    for (Tags& item : items)
        for (Tag& t : item)
            if (t.code == 1000 && t.value.find(" @ ") != std::string::npos)
                t.value = "stamp";
    return items;
}

// ezdxf writes one drawing as ASCII and as binary DXF; both read the same.
TEST_F(ForeignDrawings, ABinaryDrawingReadsAsTheSameDrawingAsItsAsciiForm) {
    ivtest::TempDir dir;
    const std::string script = dir.file("make.py");
    ivtest::writeFile(
        script,
        "import sys, ezdxf\n"
        "for version in ('R12', 'R2000', 'R2018'):\n"
        "    doc = ezdxf.new(version)\n"
        "    doc.layers.add('Walls', color=3)\n"
        "    msp = doc.modelspace()\n"
        "    msp.add_line((0, 0), (10.125, 1.0 / 3.0), dxfattribs={'layer': 'Walls'})\n"
        "    msp.add_circle((5, 5), 2.5, dxfattribs={'color': 1})\n"
        "    msp.add_text('Binary', dxfattribs={'height': 0.5})\n"
        "    msp.add_polyline2d([(0, 0), (1, 1), (2, 0)])\n"
        "    if version != 'R12':\n"
        "        msp.add_spline([(0, 0), (1, 2), (3, 2), (4, 0)])\n"
        "        msp.add_lwpolyline([(0, 0), (4, 0), (4, 3)], dxfattribs={'const_width': 0.25})\n"
        "    doc.saveas(sys.argv[1] + '/' + version + '.dxf')\n"
        "    doc.saveas(sys.argv[1] + '/' + version + '.bin.dxf', fmt='bin')\n");
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + dir.path()).c_str()), 0);
    for (const char* version : {"R12", "R2000", "R2018"}) {
        AcDbDatabase* pAscii = nullptr;
        AcDbDatabase* pBinary = nullptr;
        hs::DxfResult a = hs::readDxfFile(dir.file(std::string(version) + ".dxf"), pAscii);
        hs::DxfResult b = hs::readDxfFile(dir.file(std::string(version) + ".bin.dxf"), pBinary);
        DbPtr holdA(pAscii), holdB(pBinary);
        ASSERT_TRUE(a.ok) << a.message;
        ASSERT_TRUE(b.ok) << version << ": " << b.message;
        EXPECT_EQ(modelSpaceClasses(pBinary), modelSpaceClasses(pAscii)) << version;
        EXPECT_GE(modelSpaceClasses(pBinary).size(), 4u);
        // Written again, the entities, blocks and tables are the same text
        // (the header differs: ezdxf stamps each save).
        std::string ta = write(pAscii), tb = write(pBinary);
        for (const char* section : {"TABLES", "BLOCKS", "ENTITIES"})
            EXPECT_EQ(withoutSaveStamps(itemsOf(tb, section)), withoutSaveStamps(itemsOf(ta, section)))
                << version << " " << section;
        Tags circle = findItem(tb, "ENTITIES", "CIRCLE");
        EXPECT_EQ(value(circle, 40), "2.5");
        EXPECT_EQ(value(circle, 62), "1");
        EXPECT_EQ(value(findItem(tb, "ENTITIES", "LINE"), 21), hs::dxf::formatDouble(1.0 / 3.0));
    }
}
#endif

TEST_F(ForeignDrawings, ADamagedBinaryDrawingIsRefusedWithAMessage) {
    std::string bin = bytes("AutoCAD Binary DXF\r\n\x1a\0");
    bin += bytes("\0SECTION\0\x02HEADER\0\x09$ACADVER\0\x01");  // the value's NUL is missing
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(bin, pDb);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(pDb, nullptr);
    EXPECT_NE(result.message.find("binary DXF: the file ends inside group 1"), std::string::npos)
        << result.message;
}

TEST_F(ForeignDrawings, AHandWrittenOneByteBinaryDrawingReads) {
    // R12 binary: one-byte group codes; 10 and 40 as doubles, 62 as a short.
    auto dbl = [](double d) {
        std::string s(8, '\0');
        std::memcpy(&s[0], &d, 8);  // the test machines are little-endian
        return s;
    };
    std::string bin = bytes("AutoCAD Binary DXF\r\n\x1a\0");
    bin += bytes(
        "\0SECTION\0\x02"
        "ENTITIES\0\0CIRCLE\0\x08Walls\0\x3e\x05\x00");
    bin += "\x0a" + dbl(1.5) + "\x14" + dbl(-2.0) + "\x1e" + dbl(0.0) + "\x28" + dbl(0.75);
    bin += bytes("\0ENDSEC\0\0EOF\0");
    DbPtr pDb = read(bin);
    ASSERT_TRUE(pDb);
    std::vector<AcDbObjectId> ents = hs::entitiesOf(hs::modelSpaceId(pDb.get()));
    ASSERT_EQ(ents.size(), 1u);
    AcDbCircle* pCircle = nullptr;
    ASSERT_EQ(acdbOpenObject(pCircle, ents[0], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pCircle->center(), AcGePoint3d(1.5, -2.0, 0.0));
    EXPECT_EQ(pCircle->radius(), 0.75);
    EXPECT_EQ(pCircle->colorIndex(), 5);
    pCircle->close();
}

// Tables, multileaders, wipeouts and the other entity types of the host's own
// that files list among their classes are not custom entities of a missing
// module: kept as the file gave them, their class records come back as they
// were (made proxies, their class was marked as not loaded, 280 1, and
// counted again).
TEST_F(ForeignDrawings, TheHostsOwnEntityTypesListedAsClassesComeBackWithTheirClassRecords) {
    DbPtr db = read(dxfText({"0 SECTION",
                             "2 HEADER",
                             "9 $ACADVER",
                             "1 AC1018",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 CLASSES",
                             "0 CLASS",
                             "1 ACAD_TABLE",
                             "2 AcDbTable",
                             "3 ObjectDBX Classes",
                             "90 1025",
                             "91 3",
                             "280 0",
                             "281 1",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 ENTITIES",
                             "0 ACAD_TABLE",
                             "5 2F",
                             "100 AcDbEntity",
                             "8 0",
                             "100 AcDbBlockReference",
                             "2 *T1",
                             "10 0.0",
                             "20 0.0",
                             "30 0.0",
                             "100 AcDbTable",
                             "160               6844",
                             "0 ENDSEC",
                             "0 EOF"}));
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    Tags cls = findItem(out, "CLASSES", "CLASS");
    EXPECT_EQ(value(cls, 1), "ACAD_TABLE");
    EXPECT_EQ(value(cls, 91), "3");
    EXPECT_EQ(value(cls, 280), "0");
    EXPECT_EQ(value(findItem(out, "ENTITIES", "ACAD_TABLE"), 160), "              6844");
}

// An entity type of a later host release that hostsim does not list is known
// as the host's own by its class record's application: kept as it is, not a
// proxy of a missing module.
TEST_F(ForeignDrawings, AnEntityTypeOfTheHostsOwnComponentsIsKeptAndNotMadeAProxy) {
    DbPtr db = read(dxfText({"0 SECTION",
                             "2 HEADER",
                             "9 $ACADVER",
                             "1 AC1032",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 CLASSES",
                             "0 CLASS",
                             "1 LATERSHAPE",
                             "2 AcDbLaterShape",
                             "3 ObjectDBX Classes",
                             "90 1025",
                             "91 1",
                             "280 0",
                             "281 1",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 ENTITIES",
                             "0 LATERSHAPE",
                             "5 2F",
                             "100 AcDbEntity",
                             "8 0",
                             "100 AcDbLaterShape",
                             "10 1.0",
                             "20 2.0",
                             "30 0.0",
                             "0 ENDSEC",
                             "0 EOF"}));
    ASSERT_TRUE(db);
    std::vector<AcDbObjectId> ents = hs::entitiesOf(hs::modelSpaceId(db.get()));
    ASSERT_EQ(ents.size(), 1u);
    EXPECT_NE(hs::className(ents[0]), "AcDbProxyEntity");
    std::string out = write(db.get());
    Tags cls = findItem(out, "CLASSES", "CLASS");
    EXPECT_EQ(value(cls, 1), "LATERSHAPE");
    EXPECT_EQ(value(cls, 280), "0") << "its class is not marked as missing";
    EXPECT_EQ(value(findItem(out, "ENTITIES", "LATERSHAPE"), 10), "1.0");
}

// Text beyond ASCII in an 8-bit file comes back as the file spelled it:
// escapes with lower-case digits (a layer named so in the table and in the
// records hostsim keeps as they were must still match), or the code page's
// bytes.
TEST_F(ForeignDrawings, EightBitTextComesBackAsTheFileSpelledIt) {
    DbPtr db = read(dxfText({"0 SECTION",
                             "2 HEADER",
                             "9 $ACADVER",
                             "1 AC1015",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 TABLES",
                             "0 TABLE",
                             "2 LAYER",
                             "5 2",
                             "70 1",
                             "0 LAYER",
                             "5 30",
                             "100 AcDbSymbolTableRecord",
                             "100 AcDbLayerTableRecord",
                             "2 Ma\\U+00dfe",
                             "70 0",
                             "62 7",
                             "6 Continuous",
                             "0 ENDTAB",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 ENTITIES",
                             "0 TEXT",
                             "5 31",
                             "100 AcDbEntity",
                             "8 Ma\\U+00dfe",
                             "100 AcDbText",
                             "10 0.0",
                             "20 0.0",
                             "30 0.0",
                             "40 2.5",
                             "1 \\U+00c4nderung",
                             "100 AcDbText",
                             "0 ENDSEC",
                             "0 EOF"}));
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    Tags layer;
    for (const Tags& t : itemsOf(out, "TABLES"))
        if (t[0].value == "LAYER" && value(t, 2) != "0")
            layer = t;
    EXPECT_EQ(value(layer, 2), "Ma\\U+00dfe");
    Tags text = findItem(out, "ENTITIES", "TEXT");
    EXPECT_EQ(value(text, 8), "Ma\\U+00dfe");
    EXPECT_EQ(value(text, 1), "\\U+00c4nderung");

    DbPtr bytes = read(dxfText({"0 SECTION", "2 HEADER",     "9 $ACADVER",   "1 AC1015", "0 ENDSEC",
                                "0 SECTION", "2 ENTITIES",   "0 TEXT",       "5 31",     "100 AcDbEntity",
                                "8 0",       "100 AcDbText", "10 0.0",       "20 0.0",   "30 0.0",
                                "40 2.5",    "1 108\xB0",    "100 AcDbText", "0 ENDSEC", "0 EOF"}));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(value(findItem(write(bytes.get()), "ENTITIES", "TEXT"), 1), "108\xB0");
}

// A UTF-8 file (AC1021 and later) may still escape its characters.
TEST_F(ForeignDrawings, EscapedTextOfAUtf8FileComesBackEscaped) {
    DbPtr db = read(dxfText({"0 SECTION", "2 HEADER", "9 $ACADVER", "1 AC1021", "0 ENDSEC", "0 SECTION",
                             "2 ENTITIES", "0 MTEXT", "5 31", "100 AcDbEntity", "8 0", "100 AcDbMText",
                             "10 0.0", "20 0.0", "30 0.0", "40 2.5", "1 108\\U+00B0", "0 ENDSEC", "0 EOF"}));
    ASSERT_TRUE(db);
    EXPECT_EQ(value(findItem(write(db.get()), "ENTITIES", "MTEXT"), 1), "108\\U+00B0");
}

// An R12 file naming the continuous linetype without a linetype table: the
// drawing's entry takes the file's spelling.
TEST_F(ForeignDrawings, TheContinuousLinetypeKeepsTheSpellingOfAFileThatOnlyNamesIt) {
    DbPtr db = read(
        dxfText({"0 SECTION",    "2 HEADER", "9 $ACADVER", "1 AC1009",  "0 ENDSEC",   "0 SECTION", "2 TABLES",
                 "0 TABLE",      "2 LAYER",  "70 1",       "0 LAYER",   "2 WALLS",    "70 0",      "62 1",
                 "6 CONTINUOUS", "0 ENDTAB", "0 ENDSEC",   "0 SECTION", "2 ENTITIES", "0 ENDSEC",  "0 EOF"}));
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    std::vector<std::string> layers, linetypes;
    for (const Tags& t : itemsOf(out, "TABLES")) {
        if (t[0].value == "LAYER" && value(t, 2) == "WALLS")
            layers.push_back(value(t, 6));
        if (t[0].value == "LTYPE")
            linetypes.push_back(value(t, 2));
    }
    EXPECT_EQ(layers, (std::vector<std::string>{"CONTINUOUS"}));
    EXPECT_NE(std::find(linetypes.begin(), linetypes.end(), "CONTINUOUS"), linetypes.end());
}

// A layer may spell its linetype otherwise than the linetype's entry does
// ("continuous" for "CONTINUOUS"): it keeps its spelling.
TEST_F(ForeignDrawings, ALayerKeepsItsSpellingOfItsLinetypesName) {
    DbPtr db = read(dxfText(
        {"0 SECTION", "2 HEADER",   "9 $ACADVER", "1 AC1009", "0 ENDSEC",     "0 SECTION", "2 TABLES",
         "0 TABLE",   "2 LTYPE",    "70 1",       "0 LTYPE",  "2 CONTINUOUS", "70 0",      "3 Solid line",
         "72 65",     "73 0",       "40 0.0",     "0 ENDTAB", "0 TABLE",      "2 LAYER",   "70 1",
         "0 LAYER",   "2 0",        "70 0",       "62 7",     "6 continuous", "0 ENDTAB",  "0 ENDSEC",
         "0 SECTION", "2 ENTITIES", "0 ENDSEC",   "0 EOF"}));
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    std::vector<std::string> layers, linetypes;
    for (const Tags& t : itemsOf(out, "TABLES")) {
        if (t[0].value == "LAYER" && value(t, 2) == "0")
            layers.push_back(value(t, 6));
        if (t[0].value == "LTYPE")
            linetypes.push_back(value(t, 2));
    }
    EXPECT_EQ(layers, (std::vector<std::string>{"continuous"}));
    EXPECT_NE(std::find(linetypes.begin(), linetypes.end(), "CONTINUOUS"), linetypes.end());
}

// A drawing whose *Paper_Space block (in the BLOCKS section) holds
// `records`, and nothing else.
std::string inPaperSpaceBlock(const std::vector<std::string>& records) {
    std::vector<std::string> lines{
        "0 SECTION",          "2 HEADER",       "9 $ACADVER", "1 AC1015",       "0 ENDSEC", "0 SECTION",
        "2 BLOCKS",           "0 BLOCK",        "5 42",       "100 AcDbEntity", "67 1",     "8 0",
        "100 AcDbBlockBegin", "2 *Paper_Space", "70 0",       "10 0.0",         "20 0.0",   "30 0.0",
        "3 *Paper_Space"};
    lines.insert(lines.end(), records.begin(), records.end());
    for (const char* line :
         {"0 ENDBLK", "5 44", "100 AcDbEntity", "8 0", "100 AcDbBlockEnd", "0 ENDSEC", "0 EOF"})
        lines.push_back(line);
    return dxfText(lines);
}

// Entities of paper space that a file lists in the *Paper_Space block, not
// among its ENTITIES, are written among the ENTITIES: those hostsim keeps as
// they were (a spline here) must then say paper space too, or the next
// reading puts them in model space.
TEST_F(ForeignDrawings, AKeptEntityOfPaperSpaceStaysThereAfterASaveAndReopen) {
    DbPtr db = read(inPaperSpaceBlock({"0 SPLINE", "5 43", "100 AcDbEntity", "8 0", "100 AcDbSpline", "70 8",
                                       "71 1", "72 0", "73 2", "74 0", "10 0.0", "20 0.0", "30 0.0", "10 5.0",
                                       "20 5.0", "30 0.0"}));
    ASSERT_TRUE(db);
    ASSERT_EQ(hs::entitiesOf(hs::paperSpaceId(db.get())).size(), 1u);
    std::string saved = write(db.get());
    EXPECT_EQ(value(findItem(saved, "ENTITIES", "SPLINE"), 67), "1");
    DbPtr again = read(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(hs::entitiesOf(hs::paperSpaceId(again.get())).size(), 1u) << saved;
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(again.get())).size(), 0u) << saved;
}

// A kept record whose group 67 comes only after a subclass marker of its own
// (no common group then) is read by the block it is in; written among the
// ENTITIES it must carry a 67 that the next reading takes.
TEST_F(ForeignDrawings, AKeptRecordWithItsSpaceGroupAfterItsOwnSubclassStaysInPaperSpace) {
    DbPtr db = read(inPaperSpaceBlock(
        {"0 ODDSHAPE", "5 43", "100 AcDbOddShape", "67 1", "8 0", "10 1.0", "20 2.0", "30 0.0"}));
    ASSERT_TRUE(db);
    ASSERT_EQ(hs::entitiesOf(hs::paperSpaceId(db.get())).size(), 1u);
    std::string saved = write(db.get());
    DbPtr again = read(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(hs::entitiesOf(hs::paperSpaceId(again.get())).size(), 1u) << saved;
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(again.get())).size(), 0u) << saved;
    EXPECT_EQ(write(again.get()), saved) << "a second save writes the same";
}

// The head of a drawing whose block records include a second paper space
// layout's, *Paper_Space0 (handle 40), followed by `rest`.
std::string withSecondLayoutRecord(const std::vector<std::string>& rest) {
    std::vector<std::string> lines{"0 SECTION",
                                   "2 HEADER",
                                   "9 $ACADVER",
                                   "1 AC1015",
                                   "0 ENDSEC",
                                   "0 SECTION",
                                   "2 TABLES",
                                   "0 TABLE",
                                   "2 BLOCK_RECORD",
                                   "5 1",
                                   "70 1",
                                   "0 BLOCK_RECORD",
                                   "5 40",
                                   "330 1",
                                   "100 AcDbSymbolTableRecord",
                                   "100 AcDbBlockTableRecord",
                                   "2 *Paper_Space0",
                                   "340 41",
                                   "0 ENDTAB",
                                   "0 ENDSEC"};
    lines.insert(lines.end(), rest.begin(), rest.end());
    return dxfText(lines);
}

// Reactors name the objects that watch an entity, not its owner: a reactor
// that names another layout's block record does not move the entity there.
TEST_F(ForeignDrawings, AReactorIsNotTakenForTheOwnerOfAnEntity) {
    DbPtr db = read(
        withSecondLayoutRecord({"0 SECTION", "2 ENTITIES", "0 LINE", "5 50", "102 {ACAD_REACTORS", "330 40",
                                "102 }", "100 AcDbEntity", "67 1", "8 0", "100 AcDbLine", "10 0.0", "20 0.0",
                                "30 0.0", "11 1.0", "21 1.0", "31 0.0", "0 ENDSEC", "0 EOF"}));
    ASSERT_TRUE(db);
    EXPECT_EQ(hs::entitiesOf(hs::paperSpaceId(db.get())).size(), 1u) << "the current paper space";
}

// The entities of a paper space layout other than the current one are paper
// space entities (67) too; the modelled ones lost the group.
TEST_F(ForeignDrawings, EntitiesOfAnotherPaperSpaceLayoutKeepTheirPaperSpaceGroup) {
    DbPtr db = read(withSecondLayoutRecord({"0 SECTION",
                                            "2 BLOCKS",
                                            "0 BLOCK",
                                            "5 42",
                                            "330 40",
                                            "100 AcDbEntity",
                                            "67 1",
                                            "8 0",
                                            "100 AcDbBlockBegin",
                                            "2 *Paper_Space0",
                                            "70 0",
                                            "10 0.0",
                                            "20 0.0",
                                            "30 0.0",
                                            "3 *Paper_Space0",
                                            "1",
                                            "0 TEXT",
                                            "5 43",
                                            "330 40",
                                            "100 AcDbEntity",
                                            "67 1",
                                            "8 0",
                                            "100 AcDbText",
                                            "10 1.0",
                                            "20 1.0",
                                            "30 0.0",
                                            "40 2.5",
                                            "1 Note",
                                            "100 AcDbText",
                                            "0 ENDBLK",
                                            "5 44",
                                            "330 40",
                                            "100 AcDbEntity",
                                            "67 1",
                                            "8 0",
                                            "100 AcDbBlockEnd",
                                            "0 ENDSEC",
                                            "0 EOF"}));
    ASSERT_TRUE(db);
    Tags text = findItem(write(db.get()), "BLOCKS", "TEXT");
    EXPECT_EQ(value(text, 1), "Note");
    EXPECT_EQ(value(text, 67), "1");

    // A file without block records: the BLOCK says the block is in paper space.
    DbPtr bare = read(dxfText({"0 SECTION",
                               "2 BLOCKS",
                               "0 BLOCK",
                               "5 42",
                               "100 AcDbEntity",
                               "67 1",
                               "8 0",
                               "100 AcDbBlockBegin",
                               "2 *Paper_Space7",
                               "70 0",
                               "10 0.0",
                               "20 0.0",
                               "30 0.0",
                               "3 *Paper_Space7",
                               "1",
                               "0 TEXT",
                               "5 43",
                               "100 AcDbEntity",
                               "67 1",
                               "8 0",
                               "100 AcDbText",
                               "10 1.0",
                               "20 1.0",
                               "30 0.0",
                               "40 2.5",
                               "1 Note",
                               "100 AcDbText",
                               "0 ENDBLK",
                               "5 44",
                               "100 AcDbEntity",
                               "67 1",
                               "8 0",
                               "100 AcDbBlockEnd",
                               "0 ENDSEC",
                               "0 EOF"}));
    ASSERT_TRUE(bare);
    EXPECT_EQ(value(findItem(write(bare.get()), "BLOCKS", "TEXT"), 67), "1");
}

}  // namespace

// A CLASSES section after the entities that use it (no writer puts it there;
// readers that gather the sections by name take it) is read first: the
// custom entity is a proxy of its class from the first reading, and the
// class record comes back the same on every save.
TEST_F(ForeignDrawings, AClassesSectionAfterTheEntitiesIsReadBeforeThem) {
    hs::DxfResult result;
    DbPtr db = read(
        dxfText({"0 SECTION",  "2 HEADER", "9 $ACADVER",    "1 AC1018",       "0 ENDSEC",  "0 SECTION",
                 "2 ENTITIES", "0 GADGET", "5 2F",          "100 AcDbEntity", "8 0",       "100 GizmoGadget",
                 "10 1.0",     "20 2.0",   "30 0.0",        "0 ENDSEC",       "0 SECTION", "2 CLASSES",
                 "0 CLASS",    "1 GADGET", "2 GizmoGadget", "3 GizmoApp",     "90 0",      "91 1",
                 "280 0",      "281 1",    "0 ENDSEC",      "0 EOF"}),
        &result);
    ASSERT_TRUE(db);
    std::vector<AcDbObjectId> ents = hs::entitiesOf(hs::modelSpaceId(db.get()));
    ASSERT_EQ(ents.size(), 1u);
    EXPECT_EQ(hs::className(ents[0]), "AcDbProxyEntity");
    std::string out = write(db.get());
    std::vector<Tags> classes = itemsOf(out, "CLASSES");
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(value(classes[0], 1), "GADGET");
    EXPECT_EQ(value(classes[0], 91), "1");
    EXPECT_EQ(value(classes[0], 280), "1") << "its module is missing";
    EXPECT_EQ(value(findItem(out, "ENTITIES", "GADGET"), 10), "1.0");
    DbPtr again = read(out);
    ASSERT_TRUE(again);
    EXPECT_EQ(write(again.get()), out);
    bool said = false;
    for (const std::string& w : result.warnings)
        said = said ||
               w.find("section CLASSES comes after section ENTITIES; it is read first") != std::string::npos;
    EXPECT_TRUE(said) << "the unusual order is reported";
}
