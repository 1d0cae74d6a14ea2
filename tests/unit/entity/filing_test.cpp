// The watermark's DWG and DXF representation: exact item and group order,
// reading back, and readers that stay sound on damaged or hostile input.
#include "filing/dwgfiler.h"
#include "filing/dxffiler.h"
#include "wmtest.h"

using wmtest::CountedLine;

namespace {

class WatermarkFiling : public wmtest::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        src.setColorIndex(5);
        // Set on the watermark alone: its own setter passes changes to clones only.
        src.AcDbEntity::setLinetypeScale(2.0);
        wmtest::fill(src, {wmtest::newLine(0, 0, 10, 5),
                           new AcDbCircle(AcGePoint3d(3, 3, 0), AcGeVector3d::kZAxis, 1.5)});
        clearPrinted();
    }

    std::vector<std::string> dwgOf(const AcDbEntity& ent, AcDb::FilerType type = AcDb::kCopyFiler) {
        hs::DwgFiler filer(type);
        EXPECT_EQ(ent.dwgOutFields(&filer), Acad::eOk);
        return filer.describe();
    }
    std::vector<std::string> dwgOfBase(const QWK_WaterMark& wm, AcDb::FilerType type = AcDb::kCopyFiler) {
        hs::DwgFiler filer(type);
        EXPECT_EQ(wm.AcDbEntity::dwgOutFields(&filer), Acad::eOk);
        return filer.describe();
    }
    // The base entity's DWG data followed by the given version and count.
    void writeHeader(hs::DwgFiler& filer, Adesk::Int16 version, Adesk::Int16 count) {
        QWK_WaterMark base;
        ASSERT_EQ(base.AcDbEntity::dwgOutFields(&filer), Acad::eOk);
        filer.writeInt16(version);
        filer.writeInt16(count);
    }
    std::vector<hs::DxfItem> dxfOf(const AcDbEntity& ent) {
        hs::DxfFiler filer;
        EXPECT_EQ(ent.dxfOutFields(&filer), Acad::eOk);
        return filer.items();
    }
    std::vector<hs::DxfItem> dxfOfBase(const QWK_WaterMark& base = QWK_WaterMark()) {
        hs::DxfFiler filer;
        EXPECT_EQ(base.AcDbEntity::dxfOutFields(&filer), Acad::eOk);
        return filer.items();
    }
    static std::vector<std::string> describe(const std::vector<hs::DxfItem>& items) {
        return hs::DxfFiler(AcDb::kFileFiler, nullptr, items).describe();
    }
    static void append(std::vector<std::string>& a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
    }

    QWK_WaterMark src;
};

}  // namespace

TEST_F(WatermarkFiling, DwgHoldsVersionCountThenEachClonesClassAndData) {
    std::vector<std::string> expected = dwgOfBase(src);
    append(expected, {"Int16 1", "Int16 2", "String AcDbLine"});
    append(expected, dwgOf(*src.entityAt(0)));
    expected.push_back("String AcDbCircle");
    append(expected, dwgOf(*src.entityAt(1)));
    EXPECT_EQ(dwgOf(src), expected);
}

TEST_F(WatermarkFiling, DwgReadsBackTheSameClonesWithTheWatermarksProperties) {
    hs::DwgFiler filer(AcDb::kCopyFiler);
    ASSERT_EQ(src.dwgOutFields(&filer), Acad::eOk);
    filer.rewind();
    QWK_WaterMark copy;
    ASSERT_EQ(copy.dwgInFields(&filer), Acad::eOk);
    ASSERT_EQ(copy.count(), 2);
    ASSERT_NE(wmtest::lineAt(copy, 0), nullptr);
    EXPECT_EQ(wmtest::lineAt(copy, 0)->endPoint(), AcGePoint3d(10, 5, 0));
    const AcDbCircle* pCircle = AcDbCircle::cast(copy.entityAt(1));
    ASSERT_NE(pCircle, nullptr);
    EXPECT_DOUBLE_EQ(pCircle->radius(), 1.5);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(copy.entityAt(i)->colorIndex(), 5);
        EXPECT_DOUBLE_EQ(copy.entityAt(i)->linetypeScale(), 2.0);
        EXPECT_TRUE(copy.entityAt(i)->objectId().isNull());
    }
    EXPECT_TRUE(filer.atEnd());
    EXPECT_EQ(printed(), "");
}

TEST_F(WatermarkFiling, AnEmptyWatermarkIsWrittenAsVersionOneCountZeroAndReadBackEmpty) {
    QWK_WaterMark empty;
    std::vector<std::string> expected = dwgOfBase(empty);
    append(expected, {"Int16 1", "Int16 0"});
    EXPECT_EQ(dwgOf(empty), expected);
    hs::DwgFiler filer;
    empty.dwgOutFields(&filer);
    filer.rewind();
    QWK_WaterMark copy;
    EXPECT_EQ(copy.dwgInFields(&filer), Acad::eOk);
    EXPECT_EQ(copy.count(), 0);
}

TEST_F(WatermarkFiling, DwgVersionTwoIsRefusedWithStatus301AndNoMessage) {
    hs::DwgFiler filer;
    writeHeader(filer, 2, 0);
    filer.rewind();
    QWK_WaterMark wm;
    wmtest::fill(wm, {wmtest::newLine(0, 0, 1, 1)});
    clearPrinted();
    EXPECT_EQ((int)wm.dwgInFields(&filer), 301);
    EXPECT_EQ(printed(), "");
    EXPECT_EQ(wm.count(), 1);
}

TEST_F(WatermarkFiling, DwgCountOutsideTheSlotsIsReadAsNoClones) {
    for (Adesk::Int16 count : {(Adesk::Int16)300, (Adesk::Int16)-1, (Adesk::Int16)257}) {
        hs::DwgFiler filer;
        writeHeader(filer, 1, count);
        filer.rewind();
        QWK_WaterMark wm;
        EXPECT_EQ(wm.dwgInFields(&filer), Acad::eOk) << count;
        EXPECT_EQ(wm.count(), 0) << count;
    }
}

TEST_F(WatermarkFiling, IdTranslationFilingCarriesOnlyTheBaseEntityData) {
    EXPECT_EQ(dwgOf(src, AcDb::kIdXlateFiler), dwgOfBase(src, AcDb::kIdXlateFiler));

    hs::DwgFiler filer(AcDb::kIdXlateFiler);
    ASSERT_EQ(src.dwgOutFields(&filer), Acad::eOk);
    filer.rewind();
    QWK_WaterMark wm;
    wmtest::fill(wm, {wmtest::newLine(0, 0, 1, 1)});
    EXPECT_EQ(wm.dwgInFields(&filer), Acad::eOk);
    EXPECT_EQ(wm.count(), 1);
    EXPECT_TRUE(filer.atEnd());
}

TEST_F(WatermarkFiling, ReadingIntoAWatermarkThatHoldsClonesReplacesThemWithoutLeaking) {
    int before = CountedLine::s_live;
    QWK_WaterMark two;
    for (int i = 0; i < 2; i++) {
        CountedLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(i, 1, 0));
        two.set_pEntity(&line);
    }
    hs::DwgFiler filer;
    ASSERT_EQ(two.dwgOutFields(&filer), Acad::eOk);

    {
        QWK_WaterMark wm;
        for (int i = 0; i < 3; i++) {
            CountedLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0));
            wm.set_pEntity(&line);
        }
        EXPECT_EQ(CountedLine::s_live, before + 5);
        filer.rewind();
        ASSERT_EQ(wm.dwgInFields(&filer), Acad::eOk);
        EXPECT_EQ(wm.count(), 2);
        EXPECT_EQ(CountedLine::s_live, before + 4);
        filer.rewind();
        ASSERT_EQ(wm.dwgInFields(&filer), Acad::eOk);
        EXPECT_EQ(CountedLine::s_live, before + 4);
    }
    EXPECT_EQ(CountedLine::s_live, before + 2);
}

TEST_F(WatermarkFiling, AnUnknownClassNameEndsTheDwgReadCleanly) {
    for (const ACHAR* name : {ACRX_T("NoSuchClass"), ACRX_T("AcDbLayerTableRecord")}) {
        hs::DwgFiler filer;
        writeHeader(filer, 1, 2);
        filer.writeString(ACRX_T("AcDbLine"));
        AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        line.dwgOutFields(&filer);
        filer.writeString(name);
        filer.writeDouble(1.0);
        filer.rewind();
        QWK_WaterMark wm;
        clearPrinted();
        Acad::ErrorStatus es = wm.dwgInFields(&filer);
        EXPECT_NE(es, Acad::eOk) << hs::toUtf8(name);
        EXPECT_EQ(wm.count(), 1) << "only the complete clone is kept";
        EXPECT_EQ(printed(), wmtest::errorLine(550, es));
    }
}

TEST_F(WatermarkFiling, ACloneFailingToReadIsDroppedAndReportedWithLine550) {
    hs::DwgFiler filer;
    writeHeader(filer, 1, 2);
    filer.writeString(ACRX_T("AcDbLine"));
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    line.dwgOutFields(&filer);
    filer.writeString(ACRX_T("AcDbCircle"));  // and no data: the read runs off the end
    filer.rewind();
    QWK_WaterMark wm;
    Acad::ErrorStatus es = wm.dwgInFields(&filer);
    EXPECT_NE(es, Acad::eOk);
    EXPECT_EQ(wm.count(), 1);
    EXPECT_EQ(printed(), wmtest::errorLine(550, es));
}

TEST_F(WatermarkFiling, FailedDwgWritesReportTheirLines) {
    struct Case {
        const char* site;
        int skip;
        int line;
    };
    // The base entity writes its own strings and integers first, so the
    // watermark's items are found by counting from the end of the base data.
    hs::DwgFiler probe;
    src.AcDbEntity::dwgOutFields(&probe);
    int baseInt16 = 0, baseStrings = 0;
    for (const std::string& item : probe.describe()) {
        baseInt16 += item.rfind("Int16 ", 0) == 0;
        baseStrings += item.rfind("String ", 0) == 0;
    }
    const Case cases[] = {
        {"AcDbDwgFiler::writeInt16", baseInt16, 575},
        {"AcDbDwgFiler::writeInt16", baseInt16 + 1, 577},
        {"AcDbDwgFiler::writeString", baseStrings, 582},
        // A line writes points and the base entity none: this fails inside the clone.
        {"AcDbDwgFiler::writePoint3d", 0, 583},
    };
    for (const Case& c : cases) {
        hs::clearFaults();
        hs::armFault(c.site, Acad::eFilerError, c.skip);
        hs::DwgFiler filer;
        clearPrinted();
        EXPECT_EQ(src.dwgOutFields(&filer), Acad::eFilerError) << c.line;
        EXPECT_EQ(printed(), wmtest::errorLine(c.line, Acad::eFilerError)) << c.site << " skip " << c.skip;
    }
}

TEST_F(WatermarkFiling, AFailingBaseDwgWriteIsReportedWithLine562) {
    hs::armFault("AcDbEntity::dwgOutFields", Acad::eFilerError);
    hs::DwgFiler filer;
    EXPECT_EQ(src.dwgOutFields(&filer), Acad::eFilerError);
    EXPECT_EQ(printed(), wmtest::errorLine(562, Acad::eFilerError));
}

// ---- DXF -----------------------------------------------------------------------------

TEST_F(WatermarkFiling, DxfHoldsTheMarkerVersionCountAndEmbeddedClones) {
    std::vector<std::string> expected = describe(dxfOfBase(src));
    append(expected, {"100 QWK_WaterMark", "70 1", "70 2", "300 AcDbLine", "101 Embedded Object"});
    append(expected, describe(dxfOf(*src.entityAt(0))));
    append(expected, {"300 AcDbCircle", "101 Embedded Object"});
    append(expected, describe(dxfOf(*src.entityAt(1))));
    EXPECT_EQ(describe(dxfOf(src)), expected);
}

TEST_F(WatermarkFiling, DxfReadsBackTheSameClonesInTheSameSlots) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, dxfOf(src));
    QWK_WaterMark copy;
    ASSERT_EQ(copy.dxfInFields(&filer), Acad::eOk);
    ASSERT_EQ(copy.count(), 2);
    ASSERT_NE(wmtest::lineAt(copy, 0), nullptr);
    EXPECT_EQ(wmtest::lineAt(copy, 0)->endPoint(), AcGePoint3d(10, 5, 0));
    ASSERT_NE(AcDbCircle::cast(copy.entityAt(1)), nullptr);
    EXPECT_EQ(copy.entityAt(1)->colorIndex(), 5);
    EXPECT_DOUBLE_EQ(copy.entityAt(0)->linetypeScale(), 2.0);
    EXPECT_EQ(printed(), "");
}

TEST_F(WatermarkFiling, DxfVersionTwoPrintsTheVersionMessageAndReturns301) {
    std::vector<hs::DxfItem> items = dxfOfBase();
    items.push_back(hs::DxfItem::str(100, "QWK_WaterMark"));
    items.push_back(hs::DxfItem::num(70, 2));
    items.push_back(hs::DxfItem::num(70, 0));
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
    QWK_WaterMark wm;
    EXPECT_EQ((int)wm.dxfInFields(&filer), 301);
    EXPECT_EQ(printed(),
              "请安装更高版本的插件！\nPlease install a newer plug-in.\n\nhttps://www.halvorn.example");
}

TEST_F(WatermarkFiling, DxfWithoutTheSubclassMarkerIsRefusedWith52) {
    std::vector<hs::DxfItem> items = dxfOfBase();
    items.push_back(hs::DxfItem::num(70, 1));
    items.push_back(hs::DxfItem::num(70, 0));
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
    QWK_WaterMark wm;
    EXPECT_EQ((int)wm.dxfInFields(&filer), 52);
    EXPECT_EQ(printed(), "");
}

TEST_F(WatermarkFiling, DxfCloneWithoutEmbeddedObjectStartIsRefusedWith52) {
    std::vector<hs::DxfItem> items = dxfOfBase();
    items.push_back(hs::DxfItem::str(100, "QWK_WaterMark"));
    items.push_back(hs::DxfItem::num(70, 1));
    items.push_back(hs::DxfItem::num(70, 1));
    items.push_back(hs::DxfItem::str(300, "AcDbLine"));
    for (const hs::DxfItem& item : dxfOf(*src.entityAt(0)))
        items.push_back(item);
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
    int before = CountedLine::s_live;
    QWK_WaterMark wm;
    EXPECT_EQ((int)wm.dxfInFields(&filer), 52);
    EXPECT_EQ(wm.count(), 0);
    EXPECT_EQ(CountedLine::s_live, before);
}

TEST_F(WatermarkFiling, DxfNeverFillsMoreThan256Slots) {
    std::vector<hs::DxfItem> items = dxfOfBase();
    items.push_back(hs::DxfItem::str(100, "QWK_WaterMark"));
    items.push_back(hs::DxfItem::num(70, 1));
    items.push_back(hs::DxfItem::num(70, 256));
    std::vector<hs::DxfItem> lineItems = dxfOf(*src.entityAt(0));
    for (int i = 0; i < 257; i++) {
        items.push_back(hs::DxfItem::str(300, "AcDbLine"));
        items.push_back(hs::DxfItem::str(101, "Embedded Object"));
        items.insert(items.end(), lineItems.begin(), lineItems.end());
    }
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
    QWK_WaterMark wm;
    EXPECT_NE(wm.dxfInFields(&filer), Acad::eOk);
    EXPECT_EQ(wm.count(), 256);
}

TEST_F(WatermarkFiling, DxfUnknownOrOverlongClassNamesFailCleanly) {
    for (const std::string& name : {std::string("NoSuchClass"), std::string("AcDbLayerTableRecord"),
                                    std::string(300, 'A'), std::string("AcDbLine") + std::string(300, ' ')}) {
        std::vector<hs::DxfItem> items = dxfOfBase();
        items.push_back(hs::DxfItem::str(100, "QWK_WaterMark"));
        items.push_back(hs::DxfItem::num(70, 1));
        items.push_back(hs::DxfItem::num(70, 1));
        items.push_back(hs::DxfItem::str(300, name));
        items.push_back(hs::DxfItem::str(101, "Embedded Object"));
        hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
        QWK_WaterMark wm;
        clearPrinted();
        Acad::ErrorStatus es = wm.dxfInFields(&filer);
        EXPECT_NE(es, Acad::eOk) << name.substr(0, 20);
        EXPECT_EQ(wm.count(), 0);
        EXPECT_EQ(printed(), wmtest::errorLine(464, es));
    }
}

TEST_F(WatermarkFiling, FailedDxfWritesReportTheirLines) {
    hs::armFault("AcDbDxfFiler::writeEmbeddedObjectStart", Acad::eFilerError);
    hs::DxfFiler filer;
    EXPECT_EQ(src.dxfOutFields(&filer), Acad::eFilerError);
    EXPECT_EQ(printed(), wmtest::errorLine(496, Acad::eFilerError));
}

TEST_F(WatermarkFiling, DxfReadIntoAWatermarkThatHoldsClonesReplacesThem) {
    int before = CountedLine::s_live;
    QWK_WaterMark wm;
    for (int i = 0; i < 3; i++) {
        CountedLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0));
        wm.set_pEntity(&line);
    }
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, dxfOf(src));
    ASSERT_EQ(wm.dxfInFields(&filer), Acad::eOk);
    EXPECT_EQ(wm.count(), 2);
    EXPECT_EQ(CountedLine::s_live, before);
    ASSERT_NE(AcDbCircle::cast(wm.entityAt(1)), nullptr);
}

TEST_F(WatermarkFiling, ANewerDxfVersionLeavesTheClonesHeld) {
    std::vector<hs::DxfItem> items = dxfOfBase();
    items.push_back(hs::DxfItem::str(100, "QWK_WaterMark"));
    items.push_back(hs::DxfItem::num(70, 2));
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
    QWK_WaterMark wm;
    wmtest::fill(wm, {wmtest::newLine(0, 0, 1, 1)});
    EXPECT_EQ((int)wm.dxfInFields(&filer), 301);
    EXPECT_EQ(wm.count(), 1);
}

TEST_F(WatermarkFiling, AWatermarkIsNeverTakenAsAClone) {
    // DWG: a watermark's class name where a clone's belongs.
    hs::DwgFiler dwg;
    writeHeader(dwg, 1, 1);
    dwg.writeString(ACRX_T("QWK_WaterMark"));
    ASSERT_EQ(src.dwgOutFields(&dwg), Acad::eOk);
    dwg.rewind();
    QWK_WaterMark fromDwg;
    clearPrinted();
    Acad::ErrorStatus es = fromDwg.dwgInFields(&dwg);
    EXPECT_NE(es, Acad::eOk);
    EXPECT_EQ(fromDwg.count(), 0);
    EXPECT_EQ(printed(), wmtest::errorLine(550, es));

    // DXF: the same, with the nested watermark as an embedded object.
    std::vector<hs::DxfItem> items = dxfOfBase();
    items.push_back(hs::DxfItem::str(100, "QWK_WaterMark"));
    items.push_back(hs::DxfItem::num(70, 1));
    items.push_back(hs::DxfItem::num(70, 1));
    items.push_back(hs::DxfItem::str(300, "QWK_WaterMark"));
    items.push_back(hs::DxfItem::str(101, "Embedded Object"));
    std::vector<hs::DxfItem> inner = dxfOf(src);
    items.insert(items.end(), inner.begin(), inner.end());
    hs::DxfFiler dxf(AcDb::kFileFiler, nullptr, items);
    QWK_WaterMark fromDxf;
    clearPrinted();
    es = fromDxf.dxfInFields(&dxf);
    EXPECT_NE(es, Acad::eOk);
    EXPECT_EQ(fromDxf.count(), 0);
    EXPECT_EQ(printed(), wmtest::errorLine(464, es));
}

TEST_F(WatermarkFiling, ThousandsOfNestedWatermarksAreRefusedAtTheFirstLevel) {
    // Read level by level these would exhaust the stack.
    const int depth = 8000;
    std::vector<hs::DxfItem> level = dxfOfBase();
    level.push_back(hs::DxfItem::str(100, "QWK_WaterMark"));
    level.push_back(hs::DxfItem::num(70, 1));
    level.push_back(hs::DxfItem::num(70, 1));
    level.push_back(hs::DxfItem::str(300, "QWK_WaterMark"));
    level.push_back(hs::DxfItem::str(101, "Embedded Object"));
    std::vector<hs::DxfItem> items;
    items.reserve(level.size() * depth);
    for (int i = 0; i < depth; i++)
        items.insert(items.end(), level.begin(), level.end());
    std::vector<hs::DxfItem> innermost = dxfOf(src);
    items.insert(items.end(), innermost.begin(), innermost.end());
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr, items);
    QWK_WaterMark wm;
    int before = CountedLine::s_live;
    EXPECT_NE(wm.dxfInFields(&filer), Acad::eOk);
    EXPECT_EQ(wm.count(), 0);
    EXPECT_EQ(CountedLine::s_live, before) << "nothing made on the way is left behind";
}
