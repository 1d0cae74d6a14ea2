// A module that forgets to take back its command and reactor at unload: the
// host must report both and remove them, so nothing calls into freed code.
#include "aced.h"
#include "acutads.h"
#include "rxdlinkr.h"

namespace {
void leakyCommand() {
    acutPrintf(ACRX_T("leaky command ran\n"));
}

class LeakyReactor : public AcEditorReactor {
public:
    void commandEnded(const ACHAR*) override { acutPrintf(ACRX_T("leaky reactor heard a command\n")); }
};
LeakyReactor* g_reactor = nullptr;
}  // namespace

extern "C" __attribute__((visibility("default"))) unsigned int acrxGetApiVersion() {
    return IRONVEIL_RELEASE << 16;
}

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    if (msg == AcRx::kInitAppMsg) {
        acrxDynamicLinker->unlockApplication(appId);
        acedRegCmds->addCommand(ACRX_T("LEAKY"), ACRX_T("LEAKYCMD"), ACRX_T("LEAKYCMD"), 0, leakyCommand);
        g_reactor = new LeakyReactor();
        acedEditor->addReactor(g_reactor);
    }
    return AcRx::kRetOK;
}
