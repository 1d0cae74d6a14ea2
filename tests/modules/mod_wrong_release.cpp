// A module built for another host release: the host must refuse it before
// sending it any message.
#include "acutads.h"
#include "rxdefs.h"

extern "C" __attribute__((visibility("default"))) unsigned int acrxGetApiVersion() {
    return IRONVEIL_RELEASE == 16 ? 0x130000 : 0x100000;
}

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode, void*) {
    acutPrintf(ACRX_T("wrong release module got a message\n"));
    return AcRx::kRetOK;
}
