// A module of generic object tools, with no class of its own, so that tests
// can look at and edit objects whose class is not registered:
//   OBJSHOW     asks for a handle; prints the object's class and, for a
//               proxy object, its class record
//   OBJERASE    asks for a handle; erases the object, printing the status
//   OBJCLONE    asks for a handle; deep-clones the object, printing the status
#include "aced.h"
#include "acedads.h"
#include "acutads.h"
#include "ask_handle.h"
#include "dbidmap.h"
#include "dbproxy.h"
#include "rxdlinkr.h"

namespace {

void objShow() {
    AcDbObject* pObj = nullptr;
    if (acdbOpenAcDbObject(pObj, askHandle(), AcDb::kForRead) != Acad::eOk) {
        acutPrintf(ACRX_T("No such object.\n"));
        return;
    }
    acutPrintf(ACRX_T("Class %s%s\n"), pObj->isA()->name(),
               pObj->isAProxy() ? ACRX_T(" (a proxy)") : ACRX_T(""));
    if (AcDbProxyObject* pProxy = AcDbProxyObject::cast(pObj)) {
        acutPrintf(ACRX_T("Proxy of %s (%s) from %s, flags %d, merge style %d\n"),
                   pProxy->originalClassName(), pProxy->originalDxfName(), pProxy->applicationDescription(),
                   pProxy->proxyFlags(), static_cast<int>(pProxy->mergeStyle()));
        AcDbObjectIdArray ids;
        AcDbIntArray types;
        pProxy->getReferences(ids, types);
        acutPrintf(ACRX_T("References: %d\n"), static_cast<int>(ids.length()));
    }
    pObj->close();
}

void objErase() {
    AcDbObject* pObj = nullptr;
    if (acdbOpenAcDbObject(pObj, askHandle(), AcDb::kForWrite) != Acad::eOk) {
        acutPrintf(ACRX_T("No such object.\n"));
        return;
    }
    Acad::ErrorStatus es = pObj->erase();
    acutPrintf(ACRX_T("Erase: %s\n"), acadErrorStatusText(es));
    pObj->close();
}

// Clones the object into the current space of its drawing (a deep clone),
// printing the status.
void objClone() {
    AcDbObjectId id = askHandle();
    if (id.isNull()) {
        acutPrintf(ACRX_T("No such object.\n"));
        return;
    }
    AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
    AcDbObjectIdArray ids;
    ids.append(id);
    AcDbObjectId owner = pDb->currentSpaceId();
    AcDbIdMapping map;
    Acad::ErrorStatus es = pDb->deepCloneObjects(ids, owner, map);
    acutPrintf(ACRX_T("Clone: %s\n"), acadErrorStatusText(es));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) unsigned int acrxGetApiVersion() {
    return IRONVEIL_RELEASE << 16;
}

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    if (msg == AcRx::kInitAppMsg) {
        acrxDynamicLinker->unlockApplication(appId);
        acedRegCmds->addCommand(ACRX_T("OBJTOOLS"), ACRX_T("OBJSHOW"), ACRX_T("OBJSHOW"), ACRX_CMD_MODAL,
                                objShow);
        acedRegCmds->addCommand(ACRX_T("OBJTOOLS"), ACRX_T("OBJERASE"), ACRX_T("OBJERASE"), ACRX_CMD_MODAL,
                                objErase);
        acedRegCmds->addCommand(ACRX_T("OBJTOOLS"), ACRX_T("OBJCLONE"), ACRX_T("OBJCLONE"), ACRX_CMD_MODAL,
                                objClone);
    } else if (msg == AcRx::kUnloadAppMsg) {
        acedRegCmds->removeGroup(ACRX_T("OBJTOOLS"));
    }
    return AcRx::kRetOK;
}
