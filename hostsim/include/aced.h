// The editor: its event object and reactors, the command stack.
#pragma once
#include "acarray.h"
#include "rxobject.h"

class AcDbDatabase;
class AcDbIdMapping;
class AcDbObjectId;
class AcGePoint3d;
class AcGeMatrix3d;
class AcEdUIContext;
class AcEdCommand;

#if defined(_WIN32)
#include <wtypes.h>
#else
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
#endif

#if IRONVEIL_RELEASE >= 18
#define ACED_EDITOR_OBJ ACRX_T("AcEditor")
#define ACRX_COMMAND_DOCK ACRX_T("ACAD_REGISTERED_COMMANDS")
#else
#define ACED_EDITOR_OBJ "AcEditor"
#define ACRX_COMMAND_DOCK "ACAD_REGISTERED_COMMANDS"
#endif

// Reactor to the host's events; every notification is empty by default.
class AcRxEventReactor : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual void beginSave(AcDbDatabase*, const ACHAR* pIntendedName);
    virtual void saveComplete(AcDbDatabase*, const ACHAR* pActualName);
    virtual void abortSave(AcDbDatabase*);
    virtual void beginInsert(AcDbDatabase* pTo, const ACHAR* pBlockName, AcDbDatabase* pFrom);
    virtual void beginInsert(AcDbDatabase* pTo, const AcGeMatrix3d& xform, AcDbDatabase* pFrom);
    virtual void otherInsert(AcDbDatabase* pTo, AcDbIdMapping& idMap, AcDbDatabase* pFrom);
    virtual void abortInsert(AcDbDatabase* pTo);
    virtual void endInsert(AcDbDatabase* pTo);
    virtual void wblockNotice(AcDbDatabase* pDb);
    virtual void beginWblock(AcDbDatabase* pTo, AcDbDatabase* pFrom, const AcGePoint3d*& insertionPoint);
    virtual void beginWblock(AcDbDatabase* pTo, AcDbDatabase* pFrom, AcDbObjectId blockId);
    virtual void beginWblock(AcDbDatabase* pTo, AcDbDatabase* pFrom);
    virtual void otherWblock(AcDbDatabase* pTo, AcDbIdMapping&, AcDbDatabase* pFrom);
    virtual void abortWblock(AcDbDatabase* pTo);
    virtual void endWblock(AcDbDatabase* pTo);
    virtual void beginWblockObjects(AcDbDatabase* pFrom, AcDbIdMapping& idMap);
    virtual void beginDeepClone(AcDbDatabase* pTo, AcDbIdMapping&);
    virtual void beginDeepCloneXlation(AcDbIdMapping&, Acad::ErrorStatus*);
    virtual void abortDeepClone(AcDbIdMapping&);
    virtual void endDeepClone(AcDbIdMapping&);
};

class AcEditorReactor : public AcRxEventReactor {
public:
    static AcRxClass* desc();
    AcEditorReactor() : mVeto(0) {}
    virtual void unknownCommand(const ACHAR* cmdStr, AcDbVoidPtrArray* al);
    virtual void commandWillStart(const ACHAR* cmdStr);
    virtual void commandEnded(const ACHAR* cmdStr);
    virtual void commandCancelled(const ACHAR* cmdStr);
    virtual void commandFailed(const ACHAR* cmdStr);
    virtual void lispWillStart(const ACHAR* firstLine);
    virtual void lispEnded();
    virtual void lispCancelled();
#if IRONVEIL_RELEASE >= 18
    virtual void endDwgOpen(const ACHAR* filename, AcDbDatabase* pDb);
    virtual void docFrameMovedOrResized(Adesk::LongPtr hwndDocFrame, bool bMoved);
    virtual void mainFrameMovedOrResized(Adesk::LongPtr hwndMainFrame, bool bMoved);
#else
    virtual void endDwgOpen(const char* filename);
    virtual void docFrameMovedOrResized(long hwndDocFrame, bool bMoved);
    virtual void mainFrameMovedOrResized(long hwndMainFrame, bool bMoved);
#endif
    virtual void beginClose(AcDbDatabase* pDwg);

protected:
    Acad::ErrorStatus veto();

private:
    Adesk::UInt8 mVeto;
};

class AcEditor : public AcRxEvent {
public:
    static AcRxClass* desc();
    static AcEditor* cast(const AcRxObject* p) { return static_cast<AcEditor*>(const_cast<AcRxObject*>(p)); }
    void addReactor(AcRxEventReactor* newObj) override = 0;
    void removeReactor(AcRxEventReactor* delObj) override = 0;
};
#define acedEditor AcEditor::cast(acrxSysRegistry()->at(ACED_EDITOR_OBJ))

// ---- commands -----------------------------------------------------------------

typedef void (*AcRxFunctionPtr)();

#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001
#define ACRX_CMD_USEPICKSET 0x00000002
#define ACRX_CMD_REDRAW 0x00000004
#define ACRX_CMD_NOPERSPECTIVE 0x00000008
#define ACRX_CMD_NOMULTIPLE 0x00000010
#define ACRX_CMD_NOTILEMODE 0x00000020
#define ACRX_CMD_NOPAPERSPACE 0x00000040
#if IRONVEIL_RELEASE < 18
#define ACRX_CMD_PLOTONLY 0x00000080
#endif
#define ACRX_CMD_NOOEM 0x00000100
#define ACRX_CMD_UNDEFINED 0x00000200
#define ACRX_CMD_INPROGRESS 0x00000400
#define ACRX_CMD_DEFUN 0x00000800
#define ACRX_CMD_NOINTERNALLOCK 0x00020000
#define ACRX_CMD_DOCREADLOCK 0x00080000
#define ACRX_CMD_DOCEXCLUSIVELOCK 0x00100000
#define ACRX_CMD_SESSION 0x00200000
#define ACRX_CMD_INTERRUPTIBLE 0x00400000
#define ACRX_CMD_NOHISTORY 0x00800000
#if IRONVEIL_RELEASE >= 18
#define ACRX_CMD_NO_UNDO_MARKER 0x01000000
#define ACRX_CMD_NOBEDIT 0x02000000
#endif
#define ACRX_MAX_CMDNAME_LEN 64

class AcEdCommand : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual AcRxFunctionPtr functionAddr() const = 0;
    virtual Adesk::Int32 commandFlags() const = 0;
    virtual const ACHAR* globalName() const = 0;
    virtual const ACHAR* localName() const = 0;
};

class AcEdCommandStack : public AcRxObject {
public:
    static AcRxClass* desc();
    static AcEdCommandStack* cast(const AcRxObject* p) {
        return static_cast<AcEdCommandStack*>(const_cast<AcRxObject*>(p));
    }
    virtual Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                         const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                                         AcRxFunctionPtr FunctionAddr, AcEdUIContext* UIContext = nullptr,
                                         int fcode = -1, HINSTANCE hResourceHandle = nullptr,
                                         AcEdCommand** cmdPtrRet = nullptr) = 0;
    virtual Acad::ErrorStatus removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName) = 0;
    virtual Acad::ErrorStatus removeGroup(const ACHAR* groupName) = 0;
    virtual AcEdCommand* lookupGlobalCmd(const ACHAR* cmdName) = 0;
    virtual AcEdCommand* lookupLocalCmd(const ACHAR* cmdName) = 0;
    virtual AcEdCommand* lookupCmd(const ACHAR* cmdName, bool globalFlag) = 0;
};
#define acedRegCmds AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK))
