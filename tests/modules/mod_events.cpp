// A module that prints every message and editor notification it gets, so
// tests can check what the host sends and in which order.
#include "aced.h"
#include "acedads.h"
#include "acutads.h"
#include "rxdlinkr.h"

namespace {
class EventReactor : public AcEditorReactor {
public:
    void commandWillStart(const ACHAR* cmd) override { acutPrintf(ACRX_T("[willStart %s]\n"), cmd); }
    void commandEnded(const ACHAR* cmd) override { acutPrintf(ACRX_T("[ended %s]\n"), cmd); }
    void commandCancelled(const ACHAR* cmd) override { acutPrintf(ACRX_T("[cancelled %s]\n"), cmd); }
    void commandFailed(const ACHAR* cmd) override { acutPrintf(ACRX_T("[failed %s]\n"), cmd); }
    void unknownCommand(const ACHAR* cmd, AcDbVoidPtrArray*) override {
        acutPrintf(ACRX_T("[unknown %s]\n"), cmd);
    }
};
EventReactor* g_reactor = nullptr;

void eventsCommand() {
    acutPrintf(ACRX_T("events command ran\n"));
}
}  // namespace

extern "C" __attribute__((visibility("default"))) unsigned int acrxGetApiVersion() {
    return IRONVEIL_RELEASE << 16;
}

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    acutPrintf(ACRX_T("[message %d]\n"), static_cast<int>(msg));
    if (msg == AcRx::kInitAppMsg) {
        acutPrintf(ACRX_T("[app name %s]\n"), acedGetAppName());
        acrxDynamicLinker->unlockApplication(appId);
        acedRegCmds->addCommand(ACRX_T("EVENTS"), ACRX_T("EventsCommand"), ACRX_T("evc"),
                                ACRX_CMD_TRANSPARENT, eventsCommand);
        g_reactor = new EventReactor();
        acedEditor->addReactor(g_reactor);
    } else if (msg == AcRx::kUnloadAppMsg) {
        acedRegCmds->removeGroup(ACRX_T("EVENTS"));
        acedEditor->removeReactor(g_reactor);
        delete g_reactor;
        g_reactor = nullptr;
    }
    return AcRx::kRetOK;
}
