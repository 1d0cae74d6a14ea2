// Initialisation and unload of the module: the language flag, the entity
// class, the two commands, the editor reactor and the demand-load record.
#include "entity/QWK_WaterMark.h"
#include "guard/guard.h"
#include "module/module.h"
#include "settings/settings.h"

#define IV_COMMAND_GROUP ACRX_T("Quillwerk")

void initModule() {
    g_bChineseVersion = false;
    if (readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("ChineseVersion")) != 0)
        g_bChineseVersion = true;
    QWK_WaterMark::rxInit();
    acrxBuildClassHierarchy();
    acedRegCmds->addCommand(IV_COMMAND_GROUP, ACRX_T("QWK_WaterMark"), ACRX_T("WM"), ACRX_CMD_TRANSPARENT,
                            cmdWaterMark, nullptr, -1, nullptr, nullptr);
    acedRegCmds->addCommand(IV_COMMAND_GROUP, ACRX_T("Quillwerk_help"), ACRX_T("qwkHelp"),
                            ACRX_CMD_TRANSPARENT, cmdHelp, nullptr, -1, nullptr, nullptr);
    attachCommandReactor();
}

void registerDemandLoading() {
    AcadAppInfo appInfo;
    appInfo.setAppName(ACRX_T("Quillwerk"));
    appInfo.setModuleName(acedGetAppName());
    appInfo.setAppDesc(ACRX_T("Quillwerk version 1.0"));
    appInfo.setLoadReason(
        static_cast<AcadApp::LoadReasons>(AcadApp::kOnCommandInvocation | AcadApp::kOnLoadRequest));
    appInfo.writeToRegistry(false, false);
    appInfo.writeGroupNameToRegistry(IV_COMMAND_GROUP);
}

void unloadModule() {
    acedRegCmds->removeGroup(IV_COMMAND_GROUP);
    deleteAcRxClass(QWK_WaterMark::desc());
    detachCommandReactor();
}
