// The two command functions and the maker's web pages they open.
#include "command/command.h"
#include "module/module.h"
#include "settings/settings.h"

int g_nRunCount = 0;

namespace {
void openPage(const ACHAR* address) {
    ivShellExecute(nullptr, ACRX_T("open"), address, nullptr, nullptr, SW_SHOWNORMAL);
}
}  // namespace

void openStartPage() {
    if (g_bChineseVersion)
        openPage(ACRX_T(IV_WEB_ADDRESS "/chn"));
    else
        openPage(ACRX_T(IV_WEB_ADDRESS "/eng"));
}

void cmdWaterMark() {
    waterMarkCommand();
    // The start page follows the first three runs after each load.
    if (g_nRunCount < 3)
        openStartPage();
    ++g_nRunCount;
}

void cmdHelp() {
    if (g_bChineseVersion)
        openPage(ACRX_T(IV_WEB_ADDRESS));
    else
        openPage(ACRX_T(IV_WEB_ADDRESS "/eng/apps/quillwerk_help.asp"));
}
