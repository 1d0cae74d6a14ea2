// The watermark command body: the rectangle, the grid settings with their
// stored defaults, then selection and creation, then the grid layout.
#include "command/command.h"

#include "command/texts.h"
#include "host/platform.h"
#include "settings/settings.h"

namespace {

// A grid setting: its registry value, its range and the value shown when the
// stored one is out of range.
struct GridSetting {
    const ACHAR* valueName;
    int minimum;
    int maximum;
    int substitute;
};

const GridSetting kLines = {ACRX_T("wmLines"), 2, 12, 12};
const GridSetting kColumns = {ACRX_T("wmColumns"), 3, 16, 16};
const GridSetting kFact = {ACRX_T("wmFact"), 10, 90, 50};

int storedSetting(const GridSetting& setting) {
    int value = readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, setting.valueName);
    if (value > setting.maximum || value < setting.minimum)
        return setting.substitute;
    return value;
}

int clampAnswer(const GridSetting& setting, int value) {
    if (value > setting.maximum)
        return setting.maximum;
    if (value < setting.minimum)
        return setting.minimum;
    return value;
}

// Asks one number; Enter, cancel or an error keep the shown default.
int askNumber(const ACHAR* prompt, int shownValue) {
    int answer = 0;
    if (acedGetInt(prompt, &answer) != RTNORM)
        return shownValue;
    return answer;
}

}  // namespace

void setCmdEcho(unsigned char value) {
    resbuf rb;
    rb.rbnext = nullptr;
    rb.restype = RTSHORT;
    rb.resval.rint = (short)value;
    acedSetVar(ACRX_T("CMDECHO"), &rb);
}

void waterMarkCommand() {
    const bool chinese = g_bChineseVersion;
    setCmdEcho(0);

    ads_point pt1, pt2;
    if (acedGetPoint(nullptr, ivText(kFirstCornerPrompt, chinese), pt1) != RTNORM ||
        acedGetCorner(pt1, ivText(kSecondCornerPrompt, chinese), pt2) != RTNORM) {
        acutPrintf(ACRX_T("canceled!"));
        setCmdEcho(1);
        return;
    }

    int storedLines = storedSetting(kLines);
    int storedColumns = storedSetting(kColumns);
    int storedFact = storedSetting(kFact);

    ACHAR str1[64] = {0}, str2[64] = {0}, str3[128] = {0};
    ivSnprintf(str1, 64, ivText(kLinesPrompt, chinese), storedLines);
    ivSnprintf(str2, 64, ivText(kColumnsPrompt, chinese), storedColumns);
    ivSnprintf(str3, 128, ivText(kFactPrompt, chinese), storedFact);
    str1[63] = str2[63] = str3[127] = 0;

    int lines = askNumber(str1, storedLines);
    int columns = askNumber(str2, storedColumns);
    int facts = askNumber(str3, storedFact);

    facts = clampAnswer(kFact, facts);
    lines = clampAnswer(kLines, lines);
    columns = clampAnswer(kColumns, columns);

    writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, kLines.valueName, lines);
    writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, kColumns.valueName, columns);
    writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, kFact.valueName, facts);

    ads_point pt3 = {pt1[X] < pt2[X] ? pt1[X] : pt2[X], pt1[Y] < pt2[Y] ? pt1[Y] : pt2[Y], 0.0};
    ads_point pt4 = {pt1[X] > pt2[X] ? pt1[X] : pt2[X], pt1[Y] > pt2[Y] ? pt1[Y] : pt2[Y], 0.0};
    resbuf UCS, WCS;
    UCS.rbnext = WCS.rbnext = nullptr;
    UCS.restype = WCS.restype = RTSHORT;
    UCS.resval.rint = 1;
    WCS.resval.rint = 0;
    acedTrans(pt3, &UCS, &WCS, 0, pt3);
    acedTrans(pt4, &UCS, &WCS, 0, pt4);
    AcGePoint2d Ptll(pt3[X], pt3[Y]);
    AcGePoint2d Ptur(pt4[X], pt4[Y]);

    AcDbObjectId oId;
    oId.setNull();
    if (selectEntities(oId))
        arrayWaterMark(oId, lines, columns, facts, Ptll, Ptur);
    setCmdEcho(1);
}
