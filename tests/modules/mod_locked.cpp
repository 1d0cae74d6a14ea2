// A module that never unlocks itself: the host must refuse to unload it.
#include "aced.h"
#include "acutads.h"
#include "rxdlinkr.h"

static void lockedCommand() {
    acutPrintf(ACRX_T("locked command ran\n"));
}

extern "C" __attribute__((visibility("default"))) unsigned int acrxGetApiVersion() {
    return IRONVEIL_RELEASE << 16;
}

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void*) {
    if (msg == AcRx::kInitAppMsg)
        acedRegCmds->addCommand(ACRX_T("LOCKTEST"), ACRX_T("LOCKEDCMD"), ACRX_T("LOCKEDCMD"), 0,
                                lockedCommand);
    else if (msg == AcRx::kUnloadAppMsg)
        acedRegCmds->removeGroup(ACRX_T("LOCKTEST"));
    return AcRx::kRetOK;
}
