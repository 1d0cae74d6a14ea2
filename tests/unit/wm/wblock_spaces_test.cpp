// WBLOCK of a drawing whose watermarks stand in model space, in a paper-space
// layout and inside a block definition: the written file holds none of them,
// seen by hostsim reading it again and by ezdxf, and the source keeps all.
#include <cstdlib>
#include <map>
#include <string>

#include "../entity/wmtest.h"
#include "guard/guard.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "inprocess.h"
#include "ivtest.h"

namespace {

class WblockSpaces : public wmtest::SessionTest {
protected:
    void SetUp() override {
        wmtest::SessionTest::SetUp();
        hs::Session::get().setDatabase(new AcDbDatabase());
        attachCommandReactor();
    }
    void TearDown() override {
        detachCommandReactor();
        wmtest::SessionTest::TearDown();
    }

    static void appendWatermark(AcDbObjectId recordId, double x) {
        QWK_WaterMark* pWm = new QWK_WaterMark();
        AcDbLine* pLine = wmtest::newLine(x, 0, x + 10, 5);
        pWm->set_pEntity(pLine);
        delete pLine;
        pWm->set_ColorIndex(250);
        AcDbBlockTableRecord* pRecord = nullptr;
        ASSERT_EQ(acdbOpenObject(pRecord, recordId, AcDb::kForWrite), Acad::eOk);
        ASSERT_EQ(pRecord->appendAcDbEntity(pWm), Acad::eOk);
        pWm->close();
        pRecord->close();
    }

    // A block "STAMP" holding a watermark, and the record's id.
    static AcDbObjectId makeBlock(AcDbDatabase* pDb) {
        AcDbBlockTable* pTable = nullptr;
        EXPECT_EQ(pDb->getSymbolTable(pTable, AcDb::kForWrite), Acad::eOk);
        AcDbBlockTableRecord* pRecord = new AcDbBlockTableRecord();
        pRecord->setName(ACRX_T("STAMP"));
        AcDbObjectId id;
        EXPECT_EQ(pTable->add(id, pRecord), Acad::eOk);
        pRecord->close();
        pTable->close();
        appendWatermark(id, 0);
        return id;
    }

    // The number of watermark entities ezdxf finds in a file, whatever case it
    // gives the type name, as printed by Python.
    static std::string countWithEzdxf(const std::string& path, const ivtest::TempDir& dir) {
        const std::string out = dir.file("count.txt");
        const std::string command =
            "/usr/bin/python3 -c \"import sys, ezdxf; d = ezdxf.readfile(sys.argv[1]); "
            "print(sum(1 for e in d.entitydb.values() if e.dxftype().upper() == 'QWK_WATERMARK'))\" " +
            path + " > " + out + " 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << ivtest::readFile(out);
        return ivtest::readFile(out);
    }

    // Watermarks per block table record, by record name.
    static std::map<std::string, int> watermarksByRecord(AcDbDatabase* pDb) {
        std::map<std::string, int> found;
        for (AcDbObjectId id : hs::allObjects(pDb)) {
            AcDbEntity* pEnt = nullptr;
            if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
                continue;
            if (QWK_WaterMark::cast(pEnt)) {
                AcDbBlockTableRecord* pRecord = nullptr;
                if (acdbOpenObject(pRecord, pEnt->blockId(), AcDb::kForRead) == Acad::eOk) {
                    const ACHAR* name = nullptr;
                    pRecord->getName(name);
                    found[hs::toUtf8(name)]++;
                    pRecord->close();
                }
            }
            pEnt->close();
        }
        return found;
    }
};

TEST_F(WblockSpaces, WatermarksInEverySpaceAndBlockAreLeftOutOfTheWrittenFile) {
    AcDbDatabase* pDb = hs::Session::get().database();
    appendWatermark(hs::modelSpaceId(pDb), 0);
    appendWatermark(hs::paperSpaceId(pDb), 50);
    makeBlock(pDb);
    {
        AcDbBlockTableRecord* pMs = nullptr;
        ASSERT_EQ(acdbOpenObject(pMs, hs::modelSpaceId(pDb), AcDb::kForWrite), Acad::eOk);
        AcDbLine* pLine = wmtest::newLine(0, 0, 100, 100);
        ASSERT_EQ(pMs->appendAcDbEntity(pLine), Acad::eOk);
        pLine->close();
        pMs->close();
    }
    const std::map<std::string, int> before = watermarksByRecord(pDb);
    ASSERT_EQ(before.size(), 3u);

    ivtest::TempDir dir;
    const std::string path = dir.file("written.dxf");
    std::string out = ivtest::runScript("-WBLOCK\n" + path + "\n*\n");

    // The source keeps every watermark, in every place.
    EXPECT_EQ(watermarksByRecord(pDb), before) << out << printed();

    // hostsim reads the written file: no watermark anywhere, the line and the
    // (now empty) block definition are there.
    AcDbDatabase* pWritten = nullptr;
    hs::DxfResult r = hs::readDxfFile(path, pWritten);
    ASSERT_TRUE(r.ok) << r.message << "\n" << out << printed();
    EXPECT_TRUE(watermarksByRecord(pWritten).empty());
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(pWritten)).size(), 1u);
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(pWritten->getSymbolTable(pTable, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(pTable->has(ACRX_T("STAMP")));
    pTable->close();
    delete pWritten;

    // ezdxf sees no watermark either; on the saved source the same count
    // finds all three, so it is not blind to them. ezdxf is a Linux program:
    // Windows builds (under wine) stop here, the Linux builds check it.
#if defined(_WIN32)
    GTEST_SKIP() << "ezdxf runs only in the Linux builds";
#endif
    EXPECT_EQ(countWithEzdxf(path, dir), "0\n");
    const std::string source = dir.file("source.dxf");
    ASSERT_TRUE(hs::writeDxfFile(source, pDb).ok);
    EXPECT_EQ(countWithEzdxf(source, dir), "3\n");
}

TEST_F(WblockSpaces, AfterAWblockThatFoundWatermarksEraseIsStillRefused) {
    AcDbDatabase* pDb = hs::Session::get().database();
    appendWatermark(hs::modelSpaceId(pDb), 0);
    ivtest::TempDir dir;
    ivtest::runScript("-WBLOCK\n" + dir.file("w.dxf") + "\n*\nERASE\nALL\n\n");
    EXPECT_EQ(watermarksByRecord(pDb)["*Model_Space"], 1) << printed();
    EXPECT_FALSE(g_bAllowErase);
}

}  // namespace
