#include "dbtest.h"

#include <cstdlib>

#include "core/session_imp.h"
#include "dbfiler.h"

namespace dbtest {

ACRX_DXF_DEFINE_MEMBERS(ProbeEntity, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, PROBE, dbtest)

bool ProbeEntity::s_refuseErase = false;
int ProbeEntity::s_eraseCalls = 0;
int ProbeEntity::s_reads = 0;

double ProbeEntity::value() const {
    assertReadEnabled();
    return m_value;
}

void ProbeEntity::setValue(double v) {
    assertWriteEnabled();
    m_value = v;
}

Acad::ErrorStatus ProbeEntity::subErase(Adesk::Boolean erasing) {
    assertWriteEnabled();
    ++s_eraseCalls;
    return s_refuseErase ? Acad::eInvalidInput : AcDbEntity::subErase(erasing);
}

Acad::ErrorStatus ProbeEntity::dwgInFields(AcDbDwgFiler* pFiler) {
    assertWriteEnabled();
    ++s_reads;
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->readDouble(&m_value);
    return pFiler->filerStatus();
}

Acad::ErrorStatus ProbeEntity::dwgOutFields(AcDbDwgFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeDouble(m_value);
    return pFiler->filerStatus();
}

Acad::ErrorStatus ProbeEntity::dxfInFields(AcDbDxfFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    if (!pFiler->atSubclassData(ACRX_T("ProbeEntity")))
        return Acad::eBadDxfSequence;
    resbuf rb;
    if (pFiler->readResBuf(&rb) == Acad::eOk && rb.restype == 40)
        m_value = rb.resval.rreal;
    return pFiler->filerStatus();
}

Acad::ErrorStatus ProbeEntity::dxfOutFields(AcDbDxfFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("ProbeEntity"));
    pFiler->writeDouble(40, m_value);
    return pFiler->filerStatus();
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus ProbeEntity::subTransformBy(const AcGeMatrix3d& xform)
#else
Acad::ErrorStatus ProbeEntity::transformBy(const AcGeMatrix3d& xform)
#endif
{
    assertWriteEnabled();
    m_value += xform.entry[0][3];
    return Acad::eOk;
}

void DbTest::SetUpTestSuite() {
    hs::Session::get();
    ProbeEntity::rxInit();
    acrxBuildClassHierarchy();
}

void DbTest::SetUp() {
    hs::clearFaults();
    hs::Session::Imp& imp = hs::Session::get().imp();
    imp.capturing = true;
    imp.toStdout = std::getenv("DBTEST_ECHO") != nullptr;
    imp.capture.clear();
    ProbeEntity::s_refuseErase = false;
    ProbeEntity::s_eraseCalls = 0;
    ProbeEntity::s_reads = 0;
    hs::Session::get().setDatabase(new AcDbDatabase());
    db = hs::Session::get().database();
}

void DbTest::TearDown() {
    hs::clearFaults();
    hs::Session::get().imp().capturing = false;
}

std::string DbTest::printed() {
    return hs::Session::get().imp().capture;
}

AcDbObjectId DbTest::addProbe(double value, AcDbObjectId owner) {
    if (owner.isNull())
        owner = hs::modelSpaceId(db);
    AcDbBlockTableRecord* pRec = nullptr;
    EXPECT_EQ(acdbOpenObject(pRec, owner, AcDb::kForWrite), Acad::eOk);
    ProbeEntity* pEnt = new ProbeEntity(value);
    AcDbObjectId id;
    EXPECT_EQ(pRec->appendAcDbEntity(id, pEnt), Acad::eOk);
    pEnt->close();
    pRec->close();
    return id;
}

AcDbObjectId DbTest::addLayer(const char* name, bool locked) {
    AcDbLayerTable* pTable = nullptr;
    EXPECT_EQ(db->getLayerTable(pTable, AcDb::kForWrite), Acad::eOk);
    AcDbLayerTableRecord* pLayer = new AcDbLayerTableRecord();
    pLayer->setName(hs::fromUtf8(name).c_str());
    pLayer->setIsLocked(locked);
    AcDbObjectId id;
    EXPECT_EQ(pTable->add(id, pLayer), Acad::eOk);
    pLayer->close();
    pTable->close();
    return id;
}

AcDbObjectId DbTest::addBlock(const char* name, double value) {
    AcDbBlockTable* pTable = nullptr;
    EXPECT_EQ(db->getBlockTable(pTable, AcDb::kForWrite), Acad::eOk);
    AcDbBlockTableRecord* pRec = new AcDbBlockTableRecord();
    pRec->setName(hs::fromUtf8(name).c_str());
    AcDbObjectId id;
    EXPECT_EQ(pTable->add(id, pRec), Acad::eOk);
    pRec->close();
    pTable->close();
    addProbe(value, id);
    return id;
}

double DbTest::valueOf(AcDbObjectId id) {
    ProbeEntity* p = nullptr;
    if (acdbOpenObject(p, id, AcDb::kForRead, true) != Acad::eOk)
        return -1e300;
    double v = p->value();
    p->close();
    return v;
}

void DbTest::endCommand(const std::string& name) {
    for (auto& fn : hs::Session::get().commandEvents().ended)
        fn(name, false, 0);
}

}  // namespace dbtest
