// A module with a custom object that is not an entity: IvNote (DXF name
// IVNOTE, proxy flags 0), a text, a number and a hard pointer to another
// note, filed with a version, which
// lives in the OBJECTS section of drawings. A record of a version above 1
// is one of a newer module: its reader asks for a proxy.
// It also has a custom entity, IvPin, whose proxy may be moved and copied.
// Commands:
//   NOTESHOW    asks for a handle; prints the note's text and number
//   NOTESET     asks for a handle and a text; sets the note's text
//   PINADD      asks for a point; adds a pin there
//   PINSHOW     prints where each pin of model space is
#include "aced.h"
#include "acedads.h"
#include "acutads.h"
#include "ask_handle.h"
#include "dbfiler.h"
#include "dbmain.h"
#include "dbproxy.h"
#include "dbsymtb.h"
#include "rxdlinkr.h"

class IvNote : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(IvNote);
    IvNote() = default;

    const ACHAR* text() const {
        assertReadEnabled();
        return m_text;
    }
    void setText(const ACHAR* text) {
        assertWriteEnabled();
        int i = 0;
        for (; text != nullptr && text[i] != 0 && i < 255; ++i)
            m_text[i] = text[i];
        m_text[i] = 0;
    }
    double value() const {
        assertReadEnabled();
        return m_value;
    }

    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override {
        assertReadEnabled();
        Acad::ErrorStatus es = AcDbObject::dwgOutFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->writeString(m_text);
        pFiler->writeDouble(m_value);
        pFiler->writeHardPointerId(m_other);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override {
        assertWriteEnabled();
        Acad::ErrorStatus es = AcDbObject::dwgInFields(pFiler);
        if (es != Acad::eOk)
            return es;
        ACHAR* pText = nullptr;
        pFiler->readString(&pText);
        setText(pText);
        acdbFree(pText);
        pFiler->readDouble(&m_value);
        pFiler->readHardPointerId(&m_other);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override {
        assertReadEnabled();
        Acad::ErrorStatus es = AcDbObject::dxfOutFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->writeItem(AcDb::kDxfSubclass, ACRX_T("IvNote"));
        pFiler->writeInt32(AcDb::kDxfInt32, 1);
        pFiler->writeString(AcDb::kDxfText, m_text);
        pFiler->writeDouble(AcDb::kDxfReal, m_value);
        if (!m_other.isNull())
            pFiler->writeObjectId(AcDb::kDxfHardPointerId, m_other);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override {
        assertWriteEnabled();
        Acad::ErrorStatus es = AcDbObject::dxfInFields(pFiler);
        if (es != Acad::eOk)
            return es;
        if (!pFiler->atSubclassData(ACRX_T("IvNote")))
            return Acad::eBadDxfSequence;
        resbuf rb;
        while (pFiler->readItem(&rb) == Acad::eOk) {
            if (rb.restype == AcDb::kDxfInt32 && rb.resval.rlong > 1)
                return Acad::eMakeMeProxy;
            if (rb.restype == AcDb::kDxfText)
                setText(rb.resval.rstring);
            else if (rb.restype == AcDb::kDxfReal)
                m_value = rb.resval.rreal;
            else if (rb.restype == AcDb::kDxfHardPointerId)
                acdbGetObjectId(m_other, rb.resval.rlname);
        }
        return pFiler->filerStatus();
    }

private:
    ACHAR m_text[256] = {0};
    double m_value = 0.0;
    AcDbObjectId m_other;  // another note
};

ACRX_DXF_DEFINE_MEMBERS(IvNote, AcDbObject, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, IVNOTE, IvNotes)

// A pin: a custom entity (DXF name IVPIN) at a point, drawn as a circle of
// radius 1, whose proxy may be moved and copied (proxy flags
// kTransformAllowed and kCloningAllowed) but not erased.
class IvPin : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(IvPin);
    IvPin() = default;

    AcGePoint3d position() const {
        assertReadEnabled();
        return m_at;
    }
    void setPosition(const AcGePoint3d& at) {
        assertWriteEnabled();
        m_at = at;
    }

    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override {
        assertReadEnabled();
        Acad::ErrorStatus es = AcDbEntity::dwgOutFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->writePoint3d(m_at);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override {
        assertWriteEnabled();
        Acad::ErrorStatus es = AcDbEntity::dwgInFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->readPoint3d(&m_at);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override {
        assertReadEnabled();
        Acad::ErrorStatus es = AcDbEntity::dxfOutFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->writeItem(AcDb::kDxfSubclass, ACRX_T("IvPin"));
        pFiler->writePoint3d(AcDb::kDxfXCoord, m_at);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override {
        assertWriteEnabled();
        Acad::ErrorStatus es = AcDbEntity::dxfInFields(pFiler);
        if (es != Acad::eOk)
            return es;
        if (!pFiler->atSubclassData(ACRX_T("IvPin")))
            return Acad::eBadDxfSequence;
        resbuf rb;
        while (pFiler->readItem(&rb) == Acad::eOk)
            if (rb.restype == AcDb::kDxfXCoord)
                m_at = AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
        return pFiler->filerStatus();
    }

#if IRONVEIL_RELEASE >= 18
protected:
    Adesk::Boolean subWorldDraw(AcGiWorldDraw* pWd) override {
        return draw(pWd);
    }
    Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override {
        return move(xform);
    }

public:
#else
    Adesk::Boolean worldDraw(AcGiWorldDraw* pWd) override {
        return draw(pWd);
    }
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override {
        return move(xform);
    }
#endif

private:
    Adesk::Boolean draw(AcGiWorldDraw* pWd) {
        assertReadEnabled();
        pWd->geometry().circle(m_at, 1.0, AcGeVector3d::kZAxis);
        return Adesk::kTrue;
    }
    Acad::ErrorStatus move(const AcGeMatrix3d& xform) {
        assertWriteEnabled();
        m_at.transformBy(xform);
        return Acad::eOk;
    }
    AcGePoint3d m_at;
};

ACRX_DXF_DEFINE_MEMBERS(IvPin, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent,
                        AcDbProxyEntity::kTransformAllowed | AcDbProxyEntity::kCloningAllowed, IVPIN, IvNotes)

namespace {

void noteShow() {
    AcDbObject* pObj = nullptr;
    if (acdbOpenAcDbObject(pObj, askHandle(), AcDb::kForRead) != Acad::eOk) {
        acutPrintf(ACRX_T("No such object.\n"));
        return;
    }
    if (IvNote* pNote = IvNote::cast(pObj))
        acutPrintf(ACRX_T("Note \"%s\" %g\n"), pNote->text(), pNote->value());
    else
        acutPrintf(ACRX_T("Not a note: %s\n"), pObj->isA()->name());
    pObj->close();
}

// Prints the position of each pin of model space.
void pinShow() {
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
            AcDbEntity* pEnt = nullptr;
            if (pIt->getEntity(pEnt, AcDb::kForRead) != Acad::eOk)
                continue;
            if (IvPin* pPin = IvPin::cast(pEnt))
                acutPrintf(ACRX_T("Pin at %g,%g\n"), pPin->position().x, pPin->position().y);
            else if (pEnt->isAProxy())
                acutPrintf(ACRX_T("Proxy %s\n"), pEnt->isA()->name());
            pEnt->close();
        }
        delete pIt;
    }
    pMs->close();
}

// Adds a pin to model space at the point the user gives.
void pinAdd() {
    ads_point pt;
    if (acedGetPoint(nullptr, ACRX_T("Point: "), pt) != RTNORM)
        return;
    AcDbBlockTable* pTable = nullptr;
    if (acdbHostApplicationServices()->workingDatabase()->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return;
    AcDbBlockTableRecord* pMs = nullptr;
    Acad::ErrorStatus es = pTable->getAt(ACRX_T("*Model_Space"), pMs, AcDb::kForWrite);
    pTable->close();
    if (es != Acad::eOk)
        return;
    IvPin* pPin = new IvPin();
    pPin->setPosition(AcGePoint3d(pt[0], pt[1], pt[2]));
    AcDbObjectId id;
    if (pMs->appendAcDbEntity(id, pPin) == Acad::eOk)
        pPin->close();
    else
        delete pPin;
    pMs->close();
}

void noteSet() {
    AcDbObjectId id = askHandle();
    ACHAR text[256] = {0};
    if (acedGetString(1, ACRX_T("Text: "), text) != RTNORM)
        return;
    IvNote* pNote = nullptr;
    AcDbObject* pObj = nullptr;
    if (acdbOpenAcDbObject(pObj, id, AcDb::kForWrite) != Acad::eOk)
        return;
    if ((pNote = IvNote::cast(pObj)) != nullptr)
        pNote->setText(text);
    pObj->close();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) unsigned int acrxGetApiVersion() {
    return IRONVEIL_RELEASE << 16;
}

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    if (msg == AcRx::kInitAppMsg) {
        acrxDynamicLinker->unlockApplication(appId);
        IvNote::rxInit();
        IvPin::rxInit();
        acrxBuildClassHierarchy();
        acedRegCmds->addCommand(ACRX_T("IVNOTES"), ACRX_T("NOTESHOW"), ACRX_T("NOTESHOW"), ACRX_CMD_MODAL,
                                noteShow);
        acedRegCmds->addCommand(ACRX_T("IVNOTES"), ACRX_T("NOTESET"), ACRX_T("NOTESET"), ACRX_CMD_MODAL,
                                noteSet);
        acedRegCmds->addCommand(ACRX_T("IVNOTES"), ACRX_T("PINADD"), ACRX_T("PINADD"), ACRX_CMD_MODAL,
                                pinAdd);
        acedRegCmds->addCommand(ACRX_T("IVNOTES"), ACRX_T("PINSHOW"), ACRX_T("PINSHOW"), ACRX_CMD_MODAL,
                                pinShow);
    } else if (msg == AcRx::kUnloadAppMsg) {
        acedRegCmds->removeGroup(ACRX_T("IVNOTES"));
        deleteAcRxClass(IvPin::desc());
        deleteAcRxClass(IvNote::desc());
    }
    return AcRx::kRetOK;
}
