// The erase guard: the permission flag, the editor reactor that opens it for
// undo and redo and closes it at the end of every command, and the scrub of
// watermarks from databases written by WBLOCK.
#pragma once
#include "host/hostapi.h"

// True while watermarks may be erased.
extern bool g_bAllowErase;

class KeelCommandReactor : public AcEditorReactor {
public:
    ~KeelCommandReactor() override;
    void beginSave(AcDbDatabase* pDwg, const ACHAR* pIntendedName) override;
    void beginWblock(AcDbDatabase* pTo, AcDbDatabase* pFrom, const AcGePoint3d*& insertionPoint) override;
    void beginWblock(AcDbDatabase* pTo, AcDbDatabase* pFrom, AcDbObjectId blockId) override;
    void beginWblock(AcDbDatabase* pTo, AcDbDatabase* pFrom) override;
    void endWblock(AcDbDatabase* pTo) override;
    void endDeepClone(AcDbIdMapping& idMap) override;
    void commandWillStart(const ACHAR* cmdStr) override;
    void commandEnded(const ACHAR* cmdStr) override;
    void commandCancelled(const ACHAR* cmdStr) override;
    void commandFailed(const ACHAR* cmdStr) override;
    void lispWillStart(const ACHAR* firstLine) override;
    void lispEnded() override;

private:
    // Ends one level of command nesting; closes the guard when the command
    // that opened it (or any command, while no undo holds it) is done.
    void commandClosed();

    int m_commandDepth = 0;  // commands started and not yet ended
    int m_guardDepth = 0;    // the depth of the undo or redo that opened the guard, 0 for none
};

extern KeelCommandReactor* g_pCommandReactor;

void attachCommandReactor();
void detachCommandReactor();
void scrubBlockTableRecord(AcDbBlockTableRecord* pBlockTableRecord);
