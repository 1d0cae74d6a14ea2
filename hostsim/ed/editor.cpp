// The editor object ("AcEditor" in the system registry) with its reactors,
// and the empty default notifications of the reactor classes.
#include <algorithm>

#include "dbid.h"
#include "ed/edimp.h"
#include "rxobject.h"

namespace hs {

void Editor::addReactor(AcRxEventReactor* newObj) {
    if (newObj != nullptr && !isAttached(newObj))
        m_reactors.push_back(newObj);
}

void Editor::removeReactor(AcRxEventReactor* delObj) {
    m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), delObj), m_reactors.end());
}

bool Editor::isAttached(const AcRxEventReactor* r) const {
    return std::find(m_reactors.begin(), m_reactors.end(), r) != m_reactors.end();
}

void startEditor(Session::Imp& imp) {
    imp.editor = new Editor();
    imp.commands = new CommandStack();
    imp.sysRegistry->atPut(ACED_EDITOR_OBJ, imp.editor);
    imp.sysRegistry->atPut(ACRX_COMMAND_DOCK, imp.commands);
}

Editor& editor() {
    return *Session::get().imp().editor;
}
CommandStack& commandStack() {
    return *Session::get().imp().commands;
}

}  // namespace hs

// ---- default notifications ------------------------------------------------------------------

void AcRxEventReactor::beginSave(AcDbDatabase*, const ACHAR*) {}
void AcRxEventReactor::saveComplete(AcDbDatabase*, const ACHAR*) {}
void AcRxEventReactor::abortSave(AcDbDatabase*) {}
void AcRxEventReactor::beginWblock(AcDbDatabase*, AcDbDatabase*, const AcGePoint3d*&) {}
void AcRxEventReactor::beginWblock(AcDbDatabase*, AcDbDatabase*, AcDbObjectId) {}
void AcRxEventReactor::beginWblock(AcDbDatabase*, AcDbDatabase*) {}
void AcRxEventReactor::otherWblock(AcDbDatabase*, AcDbIdMapping&, AcDbDatabase*) {}
void AcRxEventReactor::abortWblock(AcDbDatabase*) {}
void AcRxEventReactor::endWblock(AcDbDatabase*) {}
void AcRxEventReactor::beginWblockObjects(AcDbDatabase*, AcDbIdMapping&) {}
void AcRxEventReactor::beginInsert(AcDbDatabase*, const ACHAR*, AcDbDatabase*) {}
void AcRxEventReactor::beginInsert(AcDbDatabase*, const AcGeMatrix3d&, AcDbDatabase*) {}
void AcRxEventReactor::otherInsert(AcDbDatabase*, AcDbIdMapping&, AcDbDatabase*) {}
void AcRxEventReactor::abortInsert(AcDbDatabase*) {}
void AcRxEventReactor::endInsert(AcDbDatabase*) {}
void AcRxEventReactor::wblockNotice(AcDbDatabase*) {}
void AcRxEventReactor::beginDeepClone(AcDbDatabase*, AcDbIdMapping&) {}
void AcRxEventReactor::beginDeepCloneXlation(AcDbIdMapping&, Acad::ErrorStatus*) {}
void AcRxEventReactor::abortDeepClone(AcDbIdMapping&) {}
void AcRxEventReactor::endDeepClone(AcDbIdMapping&) {}

void AcEditorReactor::unknownCommand(const ACHAR*, AcDbVoidPtrArray*) {}
void AcEditorReactor::commandWillStart(const ACHAR*) {}
void AcEditorReactor::commandEnded(const ACHAR*) {}
void AcEditorReactor::commandCancelled(const ACHAR*) {}
void AcEditorReactor::commandFailed(const ACHAR*) {}
void AcEditorReactor::lispWillStart(const ACHAR*) {}
void AcEditorReactor::lispEnded() {}
void AcEditorReactor::lispCancelled() {}
#if IRONVEIL_RELEASE >= 18
void AcEditorReactor::endDwgOpen(const ACHAR*, AcDbDatabase*) {}
void AcEditorReactor::docFrameMovedOrResized(Adesk::LongPtr, bool) {}
void AcEditorReactor::mainFrameMovedOrResized(Adesk::LongPtr, bool) {}
#else
void AcEditorReactor::endDwgOpen(const char*) {}
void AcEditorReactor::docFrameMovedOrResized(long, bool) {}
void AcEditorReactor::mainFrameMovedOrResized(long, bool) {}
#endif
void AcEditorReactor::beginClose(AcDbDatabase*) {}
Acad::ErrorStatus AcEditorReactor::veto() {
    mVeto = 1;
    return Acad::eOk;
}
