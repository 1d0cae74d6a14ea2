#include "enttest.h"

#include <cmath>
#include <sstream>

#include "core/session_imp.h"

namespace enttest {

void EntityTest::SetUp() {
    hs::clearFaults();
    hs::Session::Imp& imp = hs::Session::get().imp();
    imp.capturing = true;
    imp.toStdout = false;
    imp.capture.clear();
    hs::Session::get().setDatabase(new AcDbDatabase());
    db = hs::Session::get().database();
}

void EntityTest::TearDown() {
    hs::clearFaults();
    hs::Session::get().imp().capturing = false;
}

std::string EntityTest::printed() {
    return hs::Session::get().imp().capture;
}

AcDbObjectId EntityTest::append(AcDbEntity* pEnt, AcDbObjectId owner) {
    if (owner.isNull())
        owner = hs::modelSpaceId(db);
    AcDbBlockTableRecord* pRec = nullptr;
    EXPECT_EQ(acdbOpenObject(pRec, owner, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(pRec->appendAcDbEntity(id, pEnt), Acad::eOk);
    pEnt->close();
    pRec->close();
    return id;
}

AcDbObjectId EntityTest::addLayer(const char* name, int colour, bool off) {
    AcDbLayerTable* pTable = nullptr;
    EXPECT_EQ(db->getLayerTable(pTable, AcDb::kForWrite), Acad::eOk);
    AcDbLayerTableRecord* pLayer = new AcDbLayerTableRecord();
    pLayer->setName(hs::fromUtf8(name).c_str());
    AcCmColor c;
    c.setColorIndex(static_cast<Adesk::UInt16>(colour));
    pLayer->setColor(c);
    pLayer->setIsOff(off);
    AcDbObjectId id;
    EXPECT_EQ(pTable->add(id, pLayer), Acad::eOk);
    pLayer->close();
    pTable->close();
    return id;
}

AcDbObjectId EntityTest::addBlock(const char* name, const AcGePoint3d& base) {
    AcDbBlockTable* pTable = nullptr;
    EXPECT_EQ(db->getBlockTable(pTable, AcDb::kForWrite), Acad::eOk);
    AcDbBlockTableRecord* pRec = new AcDbBlockTableRecord();
    pRec->setName(hs::fromUtf8(name).c_str());
    pRec->setOrigin(base);
    AcDbObjectId id;
    EXPECT_EQ(pTable->add(id, pRec), Acad::eOk);
    pRec->close();
    pTable->close();
    return id;
}

std::vector<std::string> EntityTest::dxfGroups(const AcDbEntity& src) {
    hs::DxfFiler out(AcDb::kFileFiler, db);
    EXPECT_EQ(src.dxfOutFields(&out), Acad::eOk);
    return out.describe();
}

namespace {
template <class V>
std::string text(const V& v) {
    std::ostringstream s;
    s.precision(17);
    s << "(" << v.x << ", " << v.y << ", " << v.z << ")";
    return s.str();
}
template <class V>
::testing::AssertionResult compare(const V& a, const V& b, double tol) {
    bool ok = tol == 0.0 ? (a.x == b.x && a.y == b.y && a.z == b.z)
                         : (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol &&
                            std::fabs(a.z - b.z) <= tol);
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << text(a) << " differs from " << text(b);
}
}  // namespace

::testing::AssertionResult same(const AcGePoint3d& a, const AcGePoint3d& b) {
    return compare(a, b, 0.0);
}
::testing::AssertionResult same(const AcGeVector3d& a, const AcGeVector3d& b) {
    return compare(a, b, 0.0);
}
::testing::AssertionResult near(const AcGePoint3d& a, const AcGePoint3d& b, double tol) {
    return compare(a, b, tol);
}
::testing::AssertionResult near(const AcGeVector3d& a, const AcGeVector3d& b, double tol) {
    return compare(a, b, tol);
}

}  // namespace enttest
