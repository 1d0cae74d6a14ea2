// The erase guard: the permission flag, the watermark's erase hook and the
// editor reactor that opens the guard for undo and redo and closes it when a
// command ends, is cancelled or fails.
#include "guard/guard.h"

#include <new>

#include "entity/QWK_WaterMark.h"
#include "host/platform.h"

bool g_bAllowErase;
KeelCommandReactor* g_pCommandReactor;

Acad::ErrorStatus QWK_WaterMark::subErase(Adesk::Boolean) {
    assertWriteEnabled();
    // An unerase is allowed or refused by the same rule as an erase.
    if (g_bAllowErase)
        return Acad::eOk;
    return Acad::eInvalidInput;
}

namespace {

AcEditor* editor() {
    AcRxObject* pObj = acrxSysRegistry()->at(ACED_EDITOR_OBJ);
    return pObj != nullptr ? AcEditor::cast(pObj) : nullptr;
}

}  // namespace

KeelCommandReactor::~KeelCommandReactor() {}

void KeelCommandReactor::beginSave(AcDbDatabase*, const ACHAR*) {}

void KeelCommandReactor::beginWblock(AcDbDatabase*, AcDbDatabase*, const AcGePoint3d*&) {}

void KeelCommandReactor::beginWblock(AcDbDatabase*, AcDbDatabase*, AcDbObjectId) {}

void KeelCommandReactor::beginWblock(AcDbDatabase*, AcDbDatabase*) {}

void KeelCommandReactor::endDeepClone(AcDbIdMapping&) {}

// Commands nest: a transparent command typed at a prompt of UNDO, or a
// command a module runs with acedCmd, starts and ends inside it. The guard
// belongs to the undo or redo that opened it and closes only when that
// command ends, is cancelled or fails.
void KeelCommandReactor::commandClosed() {
    if (m_guardDepth == 0 || m_commandDepth <= m_guardDepth) {
        g_bAllowErase = false;
        m_guardDepth = 0;
    }
    if (m_commandDepth > 0)
        m_commandDepth--;
}

void KeelCommandReactor::commandWillStart(const ACHAR* cmdStr) {
    m_commandDepth++;
    if (cmdStr == nullptr)
        return;
    // The whole name counts, in any case; another command never closes it.
    if (ivStricmp(cmdStr, ACRX_T("undo")) == 0 || ivStricmp(cmdStr, ACRX_T("redo")) == 0 ||
        ivStricmp(cmdStr, ACRX_T("mredo")) == 0 || ivStricmp(cmdStr, ACRX_T("u")) == 0) {
        // An undo inside an open undo leaves the guard to the outer one.
        if (m_guardDepth == 0 || !g_bAllowErase)
            m_guardDepth = m_commandDepth;
        g_bAllowErase = true;
    }
}

void KeelCommandReactor::commandEnded(const ACHAR*) {
    commandClosed();
}

// A cancelled or failed undo must not leave watermarks erasable by the next
// command, so these close the guard as well.
void KeelCommandReactor::commandCancelled(const ACHAR*) {
    commandClosed();
}

void KeelCommandReactor::commandFailed(const ACHAR*) {
    commandClosed();
}

void KeelCommandReactor::lispWillStart(const ACHAR*) {}

void KeelCommandReactor::lispEnded() {}

void attachCommandReactor() {
    g_pCommandReactor = new (std::nothrow) KeelCommandReactor();
    if (g_pCommandReactor != nullptr) {
        AcEditor* pEditor = editor();
        if (pEditor != nullptr)
            pEditor->addReactor(g_pCommandReactor);
    }
}

void detachCommandReactor() {
    if (g_pCommandReactor == nullptr)
        return;
    AcEditor* pEditor = editor();
    if (pEditor != nullptr)
        pEditor->removeReactor(g_pCommandReactor);
    delete g_pCommandReactor;
    g_pCommandReactor = nullptr;
}
