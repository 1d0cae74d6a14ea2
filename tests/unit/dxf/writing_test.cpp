// Saving drawings: a complete file other programs accept, unknown data
// written back unchanged, draw order, watermarks through their own filing.
#include <cstring>
#include <map>
#include <set>

#include "dxftest.h"
#include "entity/QWK_WaterMark.h"
#include "hostsim/faults.h"

using namespace dxftest;
using hs::dxf::Tags;

namespace {

class DxfWriting : public DxfTest {};

DbPtr newDrawing() {
    return DbPtr(new AcDbDatabase(true, true));
}

std::string sectionNames(const std::string& text) {
    Tags tags = tagsOf(text);
    std::string names;
    for (size_t i = 0; i + 1 < tags.size(); ++i)
        if (tags[i].code == 0 && tags[i].value == "SECTION")
            names += tags[i + 1].value + " ";
    return names;
}

}  // namespace

TEST_F(DxfWriting, ADrawingMadeInHostsimHasEverySectionAStrictReaderNeeds) {
    DbPtr db = newDrawing();
    addLine(db.get(), 0, 0, 10, 10);
    std::string out = write(db.get());
    EXPECT_EQ(sectionNames(out), "HEADER CLASSES TABLES BLOCKS ENTITIES OBJECTS ");
    Tags tags = tagsOf(out);
    EXPECT_EQ(tags.back().value, "EOF");
    std::set<std::string> tables;
    for (const Tags& item : itemsOf(out, "TABLES"))
        if (item[0].value == "TABLE")
            tables.insert(value(item, 2));
    for (const char* name :
         {"VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"})
        EXPECT_EQ(tables.count(name), 1u) << name;
    std::vector<Tags> objects = itemsOf(out, "OBJECTS");
    ASSERT_FALSE(objects.empty());
    EXPECT_EQ(objects[0][0].value, "DICTIONARY");
    EXPECT_EQ(value(objects[0], 330), "0");
}

TEST_F(DxfWriting, HandlesAreUniqueAndTheSeedIsAboveThemAndOwnersExist) {
    DbPtr db = newDrawing();
    addLine(db.get(), 0, 0, 10, 10);
    addCircle(db.get(), 1, 2, 3);
    std::string out = write(db.get());
    std::set<std::uint64_t> handles;
    std::vector<std::pair<std::string, std::uint64_t>> owners;
    for (const char* section : {"TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}) {
        for (const Tags& item : itemsOf(out, section)) {
            if (item[0].value == "ENDTAB")
                continue;
            std::string h = value(item, 5) != "<none>" ? value(item, 5) : value(item, 105);
            std::uint64_t v = 0;
            ASSERT_TRUE(hs::dxf::parseHandle(h, v)) << item[0].value;
            EXPECT_TRUE(handles.insert(v).second) << "handle " << h << " written twice";
            std::uint64_t owner = 0;
            hs::dxf::parseHandle(value(item, 330), owner);
            owners.emplace_back(item[0].value, owner);
        }
    }
    for (auto& [type, owner] : owners) {
        if (owner != 0) {
            EXPECT_EQ(handles.count(owner), 1u) << type << " owned by missing " << owner;
        }
    }
    std::uint64_t seed = 0;
    Tags tags = tagsOf(out);
    for (size_t i = 0; i + 1 < tags.size(); ++i)
        if (tags[i].code == 9 && tags[i].value == "$HANDSEED")
            hs::dxf::parseHandle(tags[i + 1].value, seed);
    EXPECT_GT(seed, *handles.rbegin());
}

TEST_F(DxfWriting, DoublesReadBackBitForBit) {
    DbPtr db = newDrawing();
    const double x = 0.1 + 0.2, y = 1.0 / 3.0, r = 2.0 / 7.0;
    addLine(db.get(), x, y, -x, 1e-17);
    addCircle(db.get(), y, x, r);
    DbPtr back = read(write(db.get()));
    ASSERT_TRUE(back);
    std::vector<AcDbObjectId> ents = hs::entitiesOf(hs::modelSpaceId(back.get()));
    ASSERT_EQ(ents.size(), 2u);
    AcDbLine* pLine = nullptr;
    ASSERT_EQ(acdbOpenObject(pLine, ents[0], AcDb::kForRead), Acad::eOk);
    const double startX = pLine->startPoint().x;
    EXPECT_EQ(std::memcmp(&startX, &x, sizeof x), 0);
    EXPECT_EQ(pLine->startPoint().y, y);
    EXPECT_EQ(pLine->endPoint().y, 1e-17);
    pLine->close();
    AcDbCircle* pCircle = nullptr;
    ASSERT_EQ(acdbOpenObject(pCircle, ents[1], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pCircle->radius(), r);
    pCircle->close();
}

TEST_F(DxfWriting, SavingAnOpenedFileAgainGivesTheSameFile) {
    DbPtr db = newDrawing();
    addLine(db.get(), 0, 0, 10, 10);
    addCircle(db.get(), 1, 2, 3);
    std::string first = write(db.get());
    DbPtr again = read(first);
    ASSERT_TRUE(again);
    std::string second = write(again.get());
    DbPtr third = read(second);
    ASSERT_TRUE(third);
    EXPECT_EQ(second, write(third.get()));
    EXPECT_EQ(first, second);
}

TEST_F(DxfWriting, UnknownEntitiesAndObjectsAreWrittenBackByteForByte) {
    const std::string spline =
        dxfText({"0 SPLINE", "5 101", "330 1F", "100 AcDbEntity", "8 0", "100 AcDbSpline", "70 8", "71 3",
                 "72 0", "73 2", "74 0", "10 0.10000", "20 0.0", "30 0.0", "10 1.0", "20 2.0", "30 0.0"});
    const std::string thing = dxfText({"0 ACME_THING", "5 200", "330 C", "100 AcmeThing", "1   spaces kept  ",
                                       "90 42", "1000 \xC3\xA9t\xC3\xA9"});
    std::string text = dxfText({"0 SECTION",
                                "2 HEADER",
                                "9 $ACADVER",
                                "1 AC1015",
                                "0 ENDSEC",
                                "0 SECTION",
                                "2 TABLES",
                                "0 TABLE",
                                "2 BLOCK_RECORD",
                                "5 1",
                                "330 0",
                                "100 AcDbSymbolTable",
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
                                "2 ENTITIES"}) +
                       spline +
                       dxfText({"0 ENDSEC", "0 SECTION", "2 OBJECTS", "0 DICTIONARY", "5 C", "330 0",
                                "100 AcDbDictionary", "3 ACME", "350 200"}) +
                       thing + dxfText({"0 ENDSEC", "0 EOF"});
    DbPtr db = read(text);
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    // The model space record has another handle in hostsim; the owner follows it.
    std::string ms = hs::dxf::formatHandle(hs::modelSpaceId(db.get()).handle().value());
    std::string expected = spline;
    expected.replace(expected.find("330\n1F\n") + 4, 2, ms);
    EXPECT_NE(out.find(expected), std::string::npos) << out.substr(out.find("ENTITIES"), 600);
    EXPECT_NE(out.find(thing), std::string::npos);
}

TEST_F(DxfWriting, KeptTableEntriesAndHeaderVariablesSurvive) {
    DbPtr db = read(dxfText({"0 SECTION",
                             "2 HEADER",
                             "9 $ACADVER",
                             "1 AC1015",
                             "9 $CUSTOMVAR",
                             "40 1.25",
                             "9 $INSUNITS",
                             "70 6",
                             "0 ENDSEC",
                             "0 SECTION",
                             "2 TABLES",
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
                             "3 isocp.shx",
                             "0 ENDTAB",
                             "0 ENDSEC",
                             "0 EOF"}));
    ASSERT_TRUE(db);
    std::string out = write(db.get());
    EXPECT_NE(out.find("$CUSTOMVAR\n 40\n1.25\n"), std::string::npos);
    EXPECT_NE(out.find("$INSUNITS\n 70\n6\n"), std::string::npos);
    Tags style;
    for (const Tags& item : itemsOf(out, "TABLES"))
        if (item[0].value == "STYLE" && value(item, 2) == "Notes")
            style = item;
    EXPECT_EQ(value(style, 3), "isocp.shx");
}

TEST_F(DxfWriting, DrawOrderTravelsAsASortEntitiesTable) {
    DbPtr db = newDrawing();
    AcDbObjectId a = addLine(db.get(), 0, 0, 1, 1);
    AcDbObjectId b = addLine(db.get(), 0, 1, 1, 0);
    AcDbObjectId c = addCircle(db.get(), 0, 0, 1);
    std::string plain = write(db.get());
    EXPECT_TRUE(findItem(plain, "OBJECTS", "SORTENTSTABLE").empty());
    hs::sendToBack({c});
    std::string out = write(db.get());
    Tags sortents = findItem(out, "OBJECTS", "SORTENTSTABLE");
    ASSERT_FALSE(sortents.empty());
    DbPtr back = read(out);
    ASSERT_TRUE(back);
    std::vector<AcDbObjectId> order = hs::drawOrder(hs::modelSpaceId(back.get()));
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0].handle(), c.handle());
    EXPECT_EQ(order[1].handle(), a.handle());
    EXPECT_EQ(order[2].handle(), b.handle());
    EXPECT_EQ(write(back.get()), out);
}

TEST_F(DxfWriting, AWatermarkIsWrittenWithItsClassAndEmbeddedClones) {
    DbPtr db = newDrawing();
    QWK_WaterMark* pWm = new QWK_WaterMark();
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 2, 0));
    AcDbCircle circle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 0.5);
    ASSERT_TRUE(pWm->set_pEntity(&line));
    ASSERT_TRUE(pWm->set_pEntity(&circle));
    pWm->set_ColorIndex(5);
    AcDbObjectId id = append(db.get(), pWm);
    std::string out = write(db.get());

    Tags cls = findItem(out, "CLASSES", "CLASS");
    EXPECT_EQ(value(cls, 1), "QWK_WaterMark");
    EXPECT_EQ(value(cls, 2), "QWK_WaterMark");
    EXPECT_EQ(value(cls, 91), "1");
    EXPECT_EQ(value(cls, 280), "0");
    EXPECT_EQ(value(cls, 281), "1");

    Tags wm = findItem(out, "ENTITIES", "QWK_WaterMark");
    ASSERT_FALSE(wm.empty());
    EXPECT_EQ(value(wm, 5), hs::dxf::formatHandle(id.handle().value()));
    EXPECT_EQ(value(wm, 100, 1), "QWK_WaterMark");
    size_t marker = 0;
    while (marker < wm.size() && !(wm[marker].code == 100 && wm[marker].value == "QWK_WaterMark"))
        ++marker;
    ASSERT_LT(marker + 4, wm.size());
    EXPECT_EQ(wm[marker + 1].code, 70);
    EXPECT_EQ(wm[marker + 1].value, "1");
    EXPECT_EQ(wm[marker + 2].value, "2");
    EXPECT_EQ(wm[marker + 3].code, 300);
    EXPECT_EQ(wm[marker + 3].value, "AcDbLine");
    EXPECT_EQ(wm[marker + 4].code, 101);
    EXPECT_EQ(wm[marker + 4].value, "Embedded Object");
    EXPECT_EQ(value(wm, 300, 1), "AcDbCircle");

    DbPtr back = read(out);
    ASSERT_TRUE(back);
    AcDbObjectId backId = hs::idFromHandle(back.get(), id.handle().value());
    QWK_WaterMark* pBack = nullptr;
    ASSERT_EQ(acdbOpenObject(pBack, backId, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(pBack->count(), 2);
    EXPECT_STREQ(pBack->entityAt(0)->isA()->name(), ACRX_T("AcDbLine"));
    EXPECT_STREQ(pBack->entityAt(1)->isA()->name(), ACRX_T("AcDbCircle"));
    EXPECT_EQ(AcDbCircle::cast(pBack->entityAt(1))->radius(), 0.5);
    EXPECT_EQ(pBack->colorIndex(), 5);
    EXPECT_EQ(pBack->entityAt(0)->colorIndex(), 5);
    pBack->close();
    EXPECT_EQ(write(back.get()), out);
}

TEST_F(DxfWriting, AWatermarkWrittenInCapitalsByAnotherProgramIsStillAWatermark) {
    DbPtr db = newDrawing();
    QWK_WaterMark* pWm = new QWK_WaterMark();
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 2, 0));
    ASSERT_TRUE(pWm->set_pEntity(&line));
    append(db.get(), pWm);
    std::string out = write(db.get());
    size_t at = out.find("\nQWK_WaterMark\n  5\n");
    ASSERT_NE(at, std::string::npos);
    out.replace(at + 1, 13, "QWK_WATERMARK");
    DbPtr back = read(out);
    ASSERT_TRUE(back);
    std::vector<std::string> classes = modelSpaceClasses(back.get());
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0], "QWK_WaterMark");
}

TEST_F(DxfWriting, AFailingEntityWriteFailsTheSaveAndSaysWhich) {
    DbPtr db = newDrawing();
    AcDbObjectId id = addLine(db.get(), 0, 0, 1, 1);
    hs::armFault("AcDbEntity::dxfOutFields", Acad::eOutOfMemory);
    std::string text;
    hs::DxfResult result = hs::writeDxfText(db.get(), text);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(hs::dxf::formatHandle(id.handle().value())), std::string::npos)
        << result.message;
}
