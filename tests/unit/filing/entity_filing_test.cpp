// The common entity data through both filers: what the base classes write,
// and that it reads back into a new object.
#include <gtest/gtest.h>

#include "core/session_imp.h"
#include "dbsymtb.h"
#include "filing/dwgfiler.h"
#include "filing/dxffiler.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace {

// The smallest concrete entity: the base classes' data only.
class PlainEntity : public AcDbEntity {
public:
    PlainEntity() = default;
};

class EntityFiling : public ::testing::Test {
protected:
    static void SetUpTestSuite() { hs::Session::get(); }
    void SetUp() override {
        hs::clearFaults();
        hs::Session::get().setDatabase(new AcDbDatabase());
        db = hs::Session::get().database();
        AcDbLayerTable* pTable = nullptr;
        ASSERT_EQ(db->getLayerTable(pTable, AcDb::kForWrite), Acad::eOk);
        AcDbLayerTableRecord* pLayer = new AcDbLayerTableRecord();
        pLayer->setName(ACRX_T("WALLS"));
        pTable->add(pLayer);
        pLayer->close();
        pTable->close();
    }
    void TearDown() override { hs::clearFaults(); }

    void decorate(AcDbEntity& e) {
        AcCmColor c;
        c.setColorIndex(1);
        ASSERT_EQ(e.setColor(c), Acad::eOk);
        ASSERT_EQ(e.setLayer(ACRX_T("walls")), Acad::eOk);
        ASSERT_EQ(e.setLinetype(ACRX_T("Continuous")), Acad::eOk);
        ASSERT_EQ(e.setLinetypeScale(0.1), Acad::eOk);
        ASSERT_EQ(e.setLineWeight(AcDb::kLnWt035), Acad::eOk);
        ASSERT_EQ(e.setVisibility(AcDb::kInvisible), Acad::eOk);
    }
    void expectDecorated(const AcDbEntity& e) {
        EXPECT_EQ(e.colorIndex(), 1);
        ACHAR* s = e.layer();
        EXPECT_EQ(hs::toUtf8(s), "WALLS");
        acdbFree(s);
        s = e.linetype();
        EXPECT_EQ(hs::toUtf8(s), "Continuous");
        acdbFree(s);
        EXPECT_EQ(e.linetypeScale(), 0.1);
        EXPECT_EQ(e.lineWeight(), AcDb::kLnWt035);
        EXPECT_EQ(e.visibility(), AcDb::kInvisible);
    }

    AcDbDatabase* db = nullptr;
};

}  // namespace

TEST_F(EntityFiling, TheCommonDxfGroupsHaveTheirRealCodes) {
    PlainEntity e;
    decorate(e);
    hs::DxfFiler filer;
    ASSERT_EQ(e.dxfOutFields(&filer), Acad::eOk);
    EXPECT_EQ(filer.describe(), (std::vector<std::string>{"100 AcDbEntity", "8 WALLS", "6 Continuous", "62 1",
                                                          "370 35", "48 0.1", "60 1"}));
}

TEST_F(EntityFiling, DefaultPropertiesWriteOnlyTheLayer) {
    PlainEntity e;
    hs::DxfFiler filer;
    ASSERT_EQ(e.dxfOutFields(&filer), Acad::eOk);
    EXPECT_EQ(filer.describe(), (std::vector<std::string>{"100 AcDbEntity", "8 0"}));
}

TEST_F(EntityFiling, DxfGroupsReadBackAndStopAtTheNextSubclass) {
    PlainEntity e;
    decorate(e);
    hs::DxfFiler filer;
    e.dxfOutFields(&filer);
    filer.writeString(100, ACRX_T("AcDbLine"));
    filer.rewindFiler();
    PlainEntity back;
    ASSERT_EQ(back.dxfInFields(&filer), Acad::eOk);
    expectDecorated(back);
    EXPECT_TRUE(filer.atSubclassData(ACRX_T("AcDbLine")));
}

TEST_F(EntityFiling, AFileWithoutSubclassMarkersStillGivesTheCommonGroups) {
    hs::DxfFiler filer(AcDb::kFileFiler, nullptr,
                       {hs::DxfItem::handle(5, "2F"), hs::DxfItem::str(8, "WALLS"), hs::DxfItem::num(62, 3),
                        hs::DxfItem::pt(10, AcGePoint3d(1, 2, 0))});
    PlainEntity e;
    ASSERT_EQ(e.dxfInFields(&filer), Acad::eOk);
    EXPECT_EQ(e.colorIndex(), 3);
    resbuf rb;
    ASSERT_EQ(filer.readResBuf(&rb), Acad::eOk);
    EXPECT_EQ(rb.restype, 10);
}

TEST_F(EntityFiling, AResidentObjectWritesItsHandleAndOwnerToAFileOnly) {
    AcDbBlockTableRecord* pMs = nullptr;
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(db->getBlockTable(pTable, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(pTable->getAt(ACDB_MODEL_SPACE, pMs, AcDb::kForWrite), Acad::eOk);
    pTable->close();
    PlainEntity* e = new PlainEntity();
    AcDbObjectId id;
    ASSERT_EQ(pMs->appendAcDbEntity(id, e), Acad::eOk);
    hs::DxfFiler file(AcDb::kFileFiler);
    e->dxfOutFields(&file);
    ASSERT_GE(file.items().size(), 2u);
    EXPECT_EQ(file.items()[0].code, 5);
    EXPECT_EQ(file.items()[1].code, 330);
    EXPECT_EQ(file.items()[1].id, pMs->objectId());
    hs::DxfFiler copy(AcDb::kCopyFiler);
    e->dxfOutFields(&copy);
    EXPECT_EQ(copy.items()[0].code, 100);
    e->close();
    pMs->close();
}

TEST_F(EntityFiling, DwgDataReadsBackIntoANewEntity) {
    PlainEntity e;
    decorate(e);
    hs::DwgFiler filer;
    ASSERT_EQ(e.dwgOutFields(&filer), Acad::eOk);
    filer.rewind();
    PlainEntity back;
    ASSERT_EQ(back.dwgInFields(&filer), Acad::eOk);
    expectDecorated(back);
    EXPECT_TRUE(filer.atEnd());
}

TEST_F(EntityFiling, ArmedBaseFilingFaultsFailWithTheirStatus) {
    PlainEntity e;
    hs::DwgFiler filer;
    hs::armFault("AcDbEntity::dwgOutFields", Acad::eFilerError);
    EXPECT_EQ(e.dwgOutFields(&filer), Acad::eFilerError);
    EXPECT_TRUE(filer.describe().empty());
    hs::armFault("AcDbEntity::dxfInFields", Acad::eBadDxfSequence);
    hs::DxfFiler dxf;
    EXPECT_EQ(e.dxfInFields(&dxf), Acad::eBadDxfSequence);
}

TEST_F(EntityFiling, SetPropertiesFromCopiesEveryCommonProperty) {
    PlainEntity src;
    decorate(src);
    PlainEntity dst;
    ASSERT_EQ(dst.setPropertiesFrom(&src), Acad::eOk);
    expectDecorated(dst);
    hs::armFault("AcDbEntity::setPropertiesFrom", Acad::eInvalidInput);
    PlainEntity other;
    EXPECT_EQ(other.setPropertiesFrom(&src), Acad::eInvalidInput);
    EXPECT_EQ(other.colorIndex(), 256);
}

TEST_F(EntityFiling, SettersRefuseUnknownNamesAndBadValues) {
    PlainEntity e;
    EXPECT_EQ(e.setLayer(ACRX_T("NO_SUCH_LAYER")), Acad::eKeyNotFound);
    EXPECT_EQ(e.setLinetype(ACRX_T("DASHED")), Acad::eKeyNotFound);
    EXPECT_EQ(e.setLinetypeScale(0.0), Acad::eInvalidInput);
    EXPECT_EQ(e.setColorIndex(300), Acad::eInvalidInput);
    EXPECT_EQ(e.setLineWeight(static_cast<AcDb::LineWeight>(17)), Acad::eInvalidInput);
    hs::armFault("AcDbEntity::setColor", Acad::eNotApplicable);
    AcCmColor c;
    c.setColorIndex(2);
    EXPECT_EQ(e.setColor(c), Acad::eNotApplicable);
    EXPECT_EQ(e.colorIndex(), 256);
}

TEST_F(EntityFiling, TheDefaultsOfTheBaseEntity) {
    PlainEntity e;
    AcDbExtents ext;
    EXPECT_EQ(e.getGeomExtents(ext), Acad::eInvalidExtents);
    EXPECT_EQ(e.transformBy(AcGeMatrix3d::kIdentity), Acad::eNotApplicable);
    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    EXPECT_EQ(e.getGripPoints(grips, modes, ids), Acad::eOk);
    EXPECT_EQ(grips.length(), 0);
}
