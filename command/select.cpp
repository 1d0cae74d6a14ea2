// Selection of the source entities and creation of one watermark holding
// their clones in model space.
#include <cstring>

#include "command/command.h"
#include "command/texts.h"
#include "entity/QWK_WaterMark.h"
#include "host/platform.h"
#include "settings/settings.h"

namespace {
const int kMaxSources = QWK_WaterMark::kMaxClones;
}

bool selectEntities(AcDbObjectId& oId) {
    const bool chinese = g_bChineseVersion;
    acutPrintf(ivText(kSelectPrompt, chinese));

    static const ACHAR kTypes[] = ACRX_T("ARC,CIRCLE,LINE,LWPOLYLINE,TEXT,MTEXT,INSERT");
    ACHAR sbuf1[256];
    std::memcpy(sbuf1, kTypes, sizeof(kTypes));
    resbuf eb1;
    eb1.rbnext = nullptr;
    eb1.restype = 0;
    eb1.resval.rstring = sbuf1;

    ads_name ss;
    if (acedSSGet(nullptr, nullptr, nullptr, &eb1, ss) != RTNORM) {
        acutPrintf(ACRX_T("None Selected.\n"));
        return false;
    }
    long length = 0;
    if (acedSSLength(ss, &length) != RTNORM || length == 0) {
        acedSSFree(ss);
        return false;
    }
    if (length > kMaxSources) {
        acutPrintf(ACRX_T("\nOnly 256 Entitys used."));
        length = kMaxSources;
    }

    // Entities that cannot be opened for write (on a locked layer, for
    // instance) are left out without a word.
    AcDbObjectIdArray objIdArray(0, 8);
    for (long i = 0; i < length; i++) {
        ads_name ent;
        AcDbObjectId id;
        AcDbEntity* pEnt = nullptr;
        if (acedSSName(ss, i, ent) != RTNORM || acdbGetObjectId(id, ent) != Acad::eOk ||
            acdbOpenAcDbEntity(pEnt, id, AcDb::kForWrite) != Acad::eOk)
            continue;
        objIdArray.append(pEnt->objectId());
        pEnt->close();
    }

    int color = readRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColor"));
    if (color > 255 || color < 1)
        color = 250;
    ACHAR str1[64] = {0};
    ivSnprintf(str1, 64, ivText(kColorPrompt, chinese), color);
    str1[63] = 0;
    // The answer is the colour index as typed, without a range check.
    int answer = 0;
    if (acedGetInt(str1, &answer) != RTNORM)
        answer = color;
    writeRegistryDword(HKEY_CURRENT_USER, IV_SETTINGS_KEY, ACRX_T("wmColor"), answer);

    bool result = addQWK_WaterMark(objIdArray, oId, answer);
    acedSSFree(ss);
    return result;
}

bool addQWK_WaterMark(AcDbObjectIdArray objIdArray, AcDbObjectId& oId, int color) {
    if (objIdArray.isEmpty())
        return false;
    AcDbBlockTable* pBlockTable = nullptr;
    if (acdbHostApplicationServices()->workingDatabase()->getSymbolTable(pBlockTable, AcDb::kForRead) !=
        Acad::eOk) {
        acutPrintf(ACRX_T("addQWK_WaterMark_ERROR 10"));
        return false;
    }
    AcDbBlockTableRecord* pBlock = nullptr;
    if (pBlockTable->getAt(ACRX_T("*Model_Space"), pBlock, AcDb::kForWrite, /*openErasedRec=*/false) !=
        Acad::eOk) {
        pBlockTable->close();
        acutPrintf(ACRX_T("addQWK_WaterMark_ERROR 20"));
        return false;
    }
    QWK_WaterMark* pWaterMark = new QWK_WaterMark();
    if (pWaterMark == nullptr) {
        pBlock->close();
        pBlockTable->close();
        acutPrintf(ACRX_T("addQWK_WaterMark_ERROR 50: out of memory"));
        return false;
    }
    for (int i = 0; i < objIdArray.length(); i++) {
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, objIdArray[i], AcDb::kForWrite) != Acad::eOk)
            continue;
        if (!pWaterMark->set_pEntity(pEnt)) {
            delete pWaterMark;
            pBlock->close();
            pBlockTable->close();
            acutPrintf(ACRX_T("addQWK_WaterMark_ERROR 30"));
            pEnt->close();
            return false;
        }
        pEnt->close();
    }
    pWaterMark->set_ColorIndex(color);
    if (pBlock->appendAcDbEntity(oId, pWaterMark) != Acad::eOk) {
        delete pWaterMark;
        pBlock->close();
        pBlockTable->close();
        acutPrintf(ACRX_T("addQWK_WaterMark_ERROR 40"));
        return false;
    }
    if (pBlock->close() != Acad::eOk)
        acrx_abort(ACRX_T("\nUnable to close block table record"));
    if (pBlockTable->close() != Acad::eOk)
        acrx_abort(ACRX_T("\nUnable to close block table"));
    if (pWaterMark->close() != Acad::eOk)
        acrx_abort(ACRX_T("\nUnable to close new entity"));
    return true;
}
