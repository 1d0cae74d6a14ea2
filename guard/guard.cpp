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

void KeelCommandReactor::commandWillStart(const ACHAR* cmdStr) {
    if (cmdStr == nullptr)
        return;
    // The whole name counts, in any case; another command never closes it.
    if (ivStricmp(cmdStr, ACRX_T("undo")) == 0 || ivStricmp(cmdStr, ACRX_T("redo")) == 0 ||
        ivStricmp(cmdStr, ACRX_T("mredo")) == 0 || ivStricmp(cmdStr, ACRX_T("u")) == 0)
        g_bAllowErase = true;
}

void KeelCommandReactor::commandEnded(const ACHAR*) {
    g_bAllowErase = false;
}

// A cancelled or failed undo must not leave watermarks erasable by the next
// command, so these close the guard as well.
void KeelCommandReactor::commandCancelled(const ACHAR*) {
    g_bAllowErase = false;
}

void KeelCommandReactor::commandFailed(const ACHAR*) {
    g_bAllowErase = false;
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
