// A module that watches the host's cloning and open rules from inside: a
// custom entity (CloneSpy) that prints its filing calls and clone hooks and
// holds a soft pointer to a partner spy, an editor reactor that prints every
// clone, wblock and insert notification with what the target database holds
// at that moment, and commands that break host rules on demand:
//   SPYMAKE      two spies in model space, each the other's partner
//   SPYCHECK     each spy's handle, its partner's, and whether they point back
//   SPYSHORT     from now on dwgOutFields writes one item less than dwgInFields reads
//   SPYVETO      the next beginDeepCloneXlation answers eInvalidInput
//   SPYDELETE    deletes a spy that is in the database
//   SPYREADERS   opens one spy for read 300 times; prints the 257th status
//   SPYUPGRADE   opens one spy for read twice, then upgradeOpen
#include "aced.h"
#include "acedads.h"
#include "acutads.h"
#include "dbents.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "rxdlinkr.h"

namespace {

bool g_short = false;
bool g_veto = false;

// Entities of the target database's model space (-1 without one).
int modelSpaceCount(AcDbDatabase* pDb) {
    if (pDb == nullptr)
        return -1;
    AcDbBlockTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return -1;
    AcDbBlockTableRecord* pMs = nullptr;
    Acad::ErrorStatus es = pTable->getAt(ACRX_T("*Model_Space"), pMs, AcDb::kForRead);
    pTable->close();
    if (es != Acad::eOk)
        return -1;
    int n = 0;
    AcDbBlockTableRecordIterator* pIt = nullptr;
    if (pMs->newIterator(pIt) == Acad::eOk) {
        for (; !pIt->done(); pIt->step())
            ++n;
        delete pIt;
    }
    pMs->close();
    return n;
}

int pairCount(AcDbIdMapping& map) {
    int n = 0;
    AcDbIdMappingIter it(map);
    for (it.start(); !it.done(); it.next())
        ++n;
    return n;
}

}  // namespace

class CloneSpy : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(CloneSpy);
    CloneSpy() : m_x(0) {}

    AcDbObjectId partner() const {
        assertReadEnabled();
        return m_partner;
    }
    void setPartner(AcDbObjectId id) {
        assertWriteEnabled();
        m_partner = id;
    }
    void setX(double x) {
        assertWriteEnabled();
        m_x = x;
    }

    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override {
        assertReadEnabled();
        acutPrintf(ACRX_T("[spy dwgOut %d]\n"), static_cast<int>(pFiler->filerType()));
        Acad::ErrorStatus es = AcDbEntity::dwgOutFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->writeDouble(m_x);
        if (!g_short)
            pFiler->writeSoftPointerId(m_partner);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override {
        assertWriteEnabled();
        acutPrintf(ACRX_T("[spy dwgIn %d]\n"), static_cast<int>(pFiler->filerType()));
        Acad::ErrorStatus es = AcDbEntity::dwgInFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->readDouble(&m_x);
        pFiler->readSoftPointerId(&m_partner);
        return pFiler->filerStatus();
    }

#if IRONVEIL_RELEASE >= 18
protected:
    Acad::ErrorStatus subDeepClone(AcDbObject* pOwner, AcDbObject*& pClone, AcDbIdMapping& idMap,
                                   Adesk::Boolean isPrimary) const override {
        acutPrintf(ACRX_T("[spy deepClone primary %d]\n"), isPrimary ? 1 : 0);
        return AcDbEntity::subDeepClone(pOwner, pClone, idMap, isPrimary);
    }
    Acad::ErrorStatus subWblockClone(AcRxObject* pOwner, AcDbObject*& pClone, AcDbIdMapping& idMap,
                                     Adesk::Boolean isPrimary) const override {
        acutPrintf(ACRX_T("[spy wblockClone primary %d]\n"), isPrimary ? 1 : 0);
        return AcDbEntity::subWblockClone(pOwner, pClone, idMap, isPrimary);
    }
    Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override {
        assertWriteEnabled();
        m_x = AcGePoint3d(m_x, 0, 0).transformBy(xform).x;
        return Acad::eOk;
    }
    Acad::ErrorStatus subGetGeomExtents(AcDbExtents& ext) const override {
        assertReadEnabled();
        ext = AcDbExtents(AcGePoint3d(m_x, 0, 0), AcGePoint3d(m_x + 1, 1, 0));
        return Acad::eOk;
    }
#else
    Acad::ErrorStatus deepClone(AcDbObject* pOwner, AcDbObject*& pClone, AcDbIdMapping& idMap,
                                Adesk::Boolean isPrimary) const override {
        acutPrintf(ACRX_T("[spy deepClone primary %d]\n"), isPrimary ? 1 : 0);
        return AcDbEntity::deepClone(pOwner, pClone, idMap, isPrimary);
    }
    Acad::ErrorStatus wblockClone(AcRxObject* pOwner, AcDbObject*& pClone, AcDbIdMapping& idMap,
                                  Adesk::Boolean isPrimary) const override {
        acutPrintf(ACRX_T("[spy wblockClone primary %d]\n"), isPrimary ? 1 : 0);
        return AcDbEntity::wblockClone(pOwner, pClone, idMap, isPrimary);
    }
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override {
        assertWriteEnabled();
        m_x = AcGePoint3d(m_x, 0, 0).transformBy(xform).x;
        return Acad::eOk;
    }
    Acad::ErrorStatus getGeomExtents(AcDbExtents& ext) const override {
        assertReadEnabled();
        ext = AcDbExtents(AcGePoint3d(m_x, 0, 0), AcGePoint3d(m_x + 1, 1, 0));
        return Acad::eOk;
    }
#endif

private:
    double m_x;
    AcDbObjectId m_partner;
};

ACRX_DXF_DEFINE_MEMBERS(CloneSpy, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, CLONESPY,
                        CLONESPYAPP)

namespace {

class SpyReactor : public AcEditorReactor {
public:
    void beginDeepClone(AcDbDatabase* pTo, AcDbIdMapping& map) override {
        acutPrintf(ACRX_T("[beginDeepClone context %d pairs %d target %d]\n"),
                   static_cast<int>(map.deepCloneContext()), pairCount(map), modelSpaceCount(pTo));
    }
    void beginDeepCloneXlation(AcDbIdMapping& map, Acad::ErrorStatus* pStatus) override {
        acutPrintf(ACRX_T("[beginDeepCloneXlation pairs %d]\n"), pairCount(map));
        if (g_veto) {
            g_veto = false;
            *pStatus = Acad::eInvalidInput;
        }
    }
    void abortDeepClone(AcDbIdMapping&) override { acutPrintf(ACRX_T("[abortDeepClone]\n")); }
    void endDeepClone(AcDbIdMapping& map) override {
        acutPrintf(ACRX_T("[endDeepClone pairs %d]\n"), pairCount(map));
    }
    void wblockNotice(AcDbDatabase*) override { acutPrintf(ACRX_T("[wblockNotice]\n")); }
    void beginWblock(AcDbDatabase* pTo, AcDbDatabase*, const AcGePoint3d*&) override {
        acutPrintf(ACRX_T("[beginWblock selection target %d]\n"), modelSpaceCount(pTo));
    }
    void beginWblock(AcDbDatabase* pTo, AcDbDatabase*, AcDbObjectId) override {
        acutPrintf(ACRX_T("[beginWblock block target %d]\n"), modelSpaceCount(pTo));
    }
    void beginWblock(AcDbDatabase* pTo, AcDbDatabase*) override {
        acutPrintf(ACRX_T("[beginWblock whole target %d]\n"), modelSpaceCount(pTo));
    }
    void otherWblock(AcDbDatabase* pTo, AcDbIdMapping&, AcDbDatabase*) override {
        acutPrintf(ACRX_T("[otherWblock target %d]\n"), modelSpaceCount(pTo));
    }
    void abortWblock(AcDbDatabase*) override { acutPrintf(ACRX_T("[abortWblock]\n")); }
    void endWblock(AcDbDatabase* pTo) override {
        acutPrintf(ACRX_T("[endWblock target %d]\n"), modelSpaceCount(pTo));
    }
    void beginInsert(AcDbDatabase*, const ACHAR* name, AcDbDatabase*) override {
        acutPrintf(ACRX_T("[beginInsert %s]\n"), name);
    }
    void beginInsert(AcDbDatabase*, const AcGeMatrix3d&, AcDbDatabase*) override {
        acutPrintf(ACRX_T("[beginInsert matrix]\n"));
    }
    void otherInsert(AcDbDatabase*, AcDbIdMapping& map, AcDbDatabase*) override {
        acutPrintf(ACRX_T("[otherInsert pairs %d]\n"), pairCount(map));
    }
    void abortInsert(AcDbDatabase*) override { acutPrintf(ACRX_T("[abortInsert]\n")); }
    void endInsert(AcDbDatabase*) override { acutPrintf(ACRX_T("[endInsert]\n")); }
};
SpyReactor* g_reactor = nullptr;

AcDbObjectId append(AcDbBlockTableRecord* pMs, CloneSpy* pSpy) {
    AcDbObjectId id;
    if (pMs->appendAcDbEntity(id, pSpy) != Acad::eOk) {
        delete pSpy;
        return id;
    }
    pSpy->close();
    return id;
}

AcDbObjectId firstSpy() {
    AcDbObjectId found;
    AcDbBlockTable* pTable = nullptr;
    if (acdbHostApplicationServices()->workingDatabase()->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return found;
    AcDbBlockTableRecord* pMs = nullptr;
    Acad::ErrorStatus es = pTable->getAt(ACRX_T("*Model_Space"), pMs, AcDb::kForRead);
    pTable->close();
    if (es != Acad::eOk)
        return found;
    AcDbBlockTableRecordIterator* pIt = nullptr;
    if (pMs->newIterator(pIt) == Acad::eOk) {
        for (; !pIt->done() && found.isNull(); pIt->step()) {
            AcDbObjectId id;
            pIt->getEntityId(id);
            AcDbEntity* pEnt = nullptr;
            if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
                continue;
            if (CloneSpy::cast(pEnt) != nullptr)
                found = id;
            pEnt->close();
        }
        delete pIt;
    }
    pMs->close();
    return found;
}

void spyMake() {
    AcDbBlockTable* pTable = nullptr;
    if (acdbHostApplicationServices()->workingDatabase()->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return;
    AcDbBlockTableRecord* pMs = nullptr;
    Acad::ErrorStatus es = pTable->getAt(ACRX_T("*Model_Space"), pMs, AcDb::kForWrite);
    pTable->close();
    if (es != Acad::eOk)
        return;
    CloneSpy* pA = new CloneSpy();
    pA->setX(0);
    AcDbObjectId a = append(pMs, pA);
    CloneSpy* pB = new CloneSpy();
    pB->setX(5);
    AcDbObjectId b = append(pMs, pB);
    pMs->close();
    CloneSpy* pSpy = nullptr;
    if (acdbOpenObject(pSpy, a, AcDb::kForWrite) == Acad::eOk) {
        pSpy->setPartner(b);
        pSpy->close();
    }
    if (acdbOpenObject(pSpy, b, AcDb::kForWrite) == Acad::eOk) {
        pSpy->setPartner(a);
        pSpy->close();
    }
    acutPrintf(ACRX_T("[made two spies]\n"));
}

unsigned long handleOf(AcDbObjectId id) {
    return static_cast<unsigned long>(id.handle().value());
}

void spyCheck() {
    AcDbBlockTable* pTable = nullptr;
    if (acdbHostApplicationServices()->workingDatabase()->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return;
    AcDbBlockTableRecord* pMs = nullptr;
    Acad::ErrorStatus es = pTable->getAt(ACRX_T("*Model_Space"), pMs, AcDb::kForRead);
    pTable->close();
    if (es != Acad::eOk)
        return;
    AcDbBlockTableRecordIterator* pIt = nullptr;
    if (pMs->newIterator(pIt) == Acad::eOk) {
        for (; !pIt->done(); pIt->step()) {
            AcDbObjectId id;
            pIt->getEntityId(id);
            CloneSpy* pSpy = nullptr;
            if (acdbOpenObject(pSpy, id, AcDb::kForRead) != Acad::eOk)
                continue;
            AcDbObjectId partner = pSpy->partner();
            pSpy->close();
            bool back = false;
            CloneSpy* pOther = nullptr;
            if (acdbOpenObject(pOther, partner, AcDb::kForRead) == Acad::eOk) {
                back = pOther->partner() == id;
                pOther->close();
            }
            acutPrintf(ACRX_T("[spy %lX partner %lX %s]\n"), handleOf(id), handleOf(partner),
                       back ? ACRX_T("mutual") : ACRX_T("one-way"));
        }
        delete pIt;
    }
    pMs->close();
}

void spyShort() {
    g_short = true;
}

void spyVeto() {
    g_veto = true;
}

void spyDelete() {
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, firstSpy(), AcDb::kForWrite) != Acad::eOk)
        return;
    acutPrintf(ACRX_T("[deleting a resident spy]\n"));
    delete pEnt;
    acutPrintf(ACRX_T("[deleted]\n"));
}

void spyReaders() {
    AcDbObjectId id = firstSpy();
    AcDbObject* opened[300] = {};
    for (int i = 0; i < 300; ++i) {
        Acad::ErrorStatus es = acdbOpenAcDbObject(opened[i], id, AcDb::kForRead);
        if (es != Acad::eOk)
            opened[i] = nullptr;
        if (i == 255 || i == 256)
            acutPrintf(ACRX_T("[reader %d: %s]\n"), i + 1, acadErrorStatusText(es));
    }
    for (AcDbObject* p : opened)
        if (p != nullptr)
            p->close();
}

void spyUpgrade() {
    AcDbObjectId id = firstSpy();
    AcDbObject* p1 = nullptr;
    AcDbObject* p2 = nullptr;
    if (acdbOpenAcDbObject(p1, id, AcDb::kForRead) != Acad::eOk)
        return;
    if (acdbOpenAcDbObject(p2, id, AcDb::kForRead) != Acad::eOk) {
        p1->close();
        return;
    }
    acutPrintf(ACRX_T("[upgradeOpen with two readers: %s]\n"), acadErrorStatusText(p1->upgradeOpen()));
    p1->close();
    p2->close();
}

struct Command {
    const ACHAR* name;
    void (*fn)();
};
const Command kCommands[] = {
    {ACRX_T("SPYMAKE"), spyMake},       {ACRX_T("SPYCHECK"), spyCheck},   {ACRX_T("SPYSHORT"), spyShort},
    {ACRX_T("SPYVETO"), spyVeto},       {ACRX_T("SPYDELETE"), spyDelete}, {ACRX_T("SPYREADERS"), spyReaders},
    {ACRX_T("SPYUPGRADE"), spyUpgrade},
};

}  // namespace

extern "C" __attribute__((visibility("default"))) unsigned int acrxGetApiVersion() {
    return IRONVEIL_RELEASE << 16;
}

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    if (msg == AcRx::kInitAppMsg) {
        acrxDynamicLinker->unlockApplication(appId);
        CloneSpy::rxInit();
        acrxBuildClassHierarchy();
        for (const Command& c : kCommands)
            acedRegCmds->addCommand(ACRX_T("CLONESPY"), c.name, c.name, ACRX_CMD_MODAL, c.fn);
        g_reactor = new SpyReactor();
        acedEditor->addReactor(g_reactor);
    } else if (msg == AcRx::kUnloadAppMsg) {
        acedRegCmds->removeGroup(ACRX_T("CLONESPY"));
        acedEditor->removeReactor(g_reactor);
        delete g_reactor;
        g_reactor = nullptr;
        deleteAcRxClass(CloneSpy::desc());
    }
    return AcRx::kRetOK;
}
