// QWK_WaterMark: registration, construction and destruction, the two
// operations that fill a new watermark and the property setters that pass
// every change on to the clones.
#include "entity/QWK_WaterMark.h"

#include "entity/errorline.h"
#include "host/platform.h"
#include "module/module.h"

namespace {

// Line numbers that the error lines of this file name.
enum {
    kLineSetLineWeight = 221,
    kLineSetLayerId = 233,
    kLineSetLayerName = 245,
    kLineSetLinetypeId = 257,
    kLineSetLinetypeName = 269,
    kLineSetColor = 281,
    kLineSetColorIndex = 298,
    kLineSetLinetypeScale = 312,
};

// The path the error line names: release 16 gives the absolute path of this
// source file, later releases a fixed relative path. The build names the file
// in IRONVEIL_WATERMARK_SOURCE: __FILE__ is the path as the compiler was
// given it, which a compiler cache shortens to a relative one.
#if IRONVEIL_ERROR_PATH_IS_ABSOLUTE && defined(IRONVEIL_WATERMARK_SOURCE)
const ACHAR kErrorPath[] = IRONVEIL_WATERMARK_SOURCE;
#elif IRONVEIL_ERROR_PATH_IS_ABSOLUTE
const ACHAR kErrorPath[] = __FILE__;
#else
const ACHAR kErrorPath[] = ACRX_T(IRONVEIL_ERROR_PATH_RELATIVE);
#endif

AcRxObject* makeQWK_WaterMark() {
    return new QWK_WaterMark();
}

}  // namespace

void ivPrintErrorLine(int sourceLine, Acad::ErrorStatus es) {
    ACHAR errorBuffer[256];
    ivSnprintf(errorBuffer, 256, ACRX_T("!" IV_FMT_S "@%d: " IV_FMT_S), kErrorPath, sourceLine,
               acadErrorStatusText(es));
    // The C run-time's bounded print does not terminate a truncated text.
    errorBuffer[255] = 0;
    acutPrintf(ACRX_T(IV_FMT_S), errorBuffer);
}

AcDbEntity* ivCreateEntityOfClass(const ACHAR* className) {
    AcRxDictionary* pDict = AcRxDictionary::cast(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY));
    if (pDict == nullptr || className == nullptr)
        return nullptr;
    AcRxClass* pClass = (AcRxClass*)pDict->at(className);
    if (pClass == nullptr || !pClass->isDerivedFrom(AcDbEntity::desc()))
        return nullptr;
    // A watermark never holds a watermark: the command cannot make one, and
    // a file that nests them would have the readers recurse without end.
    if (QWK_WaterMark::desc() != nullptr && pClass->isDerivedFrom(QWK_WaterMark::desc()))
        return nullptr;
    AcRxObject* pObj = pClass->create();
    AcDbEntity* pEnt = AcDbEntity::cast(pObj);
    if (pEnt == nullptr)
        delete pObj;
    return pEnt;
}

// ---- run-time class ----------------------------------------------------------

ACRX_DEFINE_MEMBERS(QWK_WaterMark);

#if IRONVEIL_RELEASE == 16
// Release 16 builds are made against the 2004 SDK (maintenance release 0) or
// the 2006 SDK (76); any other SDK is refused rather than guessed at.
static_assert(AcDb::kMReleaseCurrent == 0 || AcDb::kMReleaseCurrent == 76,
              "release 16 builds need the 2004 or the 2006 SDK");
#endif

void QWK_WaterMark::rxInit() {
    ACRX_STATIC_CHECK(QWK_WaterMark);
    QWK_WaterMark::gpDesc = newAcRxClass(ACRX_T("QWK_WaterMark"), ACRX_T("AcDbEntity"),
                                         IRONVEIL_CLASS_DWG_VERSION, IRONVEIL_CLASS_MAINT_VERSION,
                                         /*proxyFlags=*/0, &makeQWK_WaterMark, ACRX_T("QWK_WaterMark"),
                                         ACRX_T("\"QWK_WaterMark|Product Desc:     Ironveil|Company:         "
                                                " Halvorn Co. Ltd.|WEB Address:      " IV_WEB_ADDRESS "\""),
                                         /*func=*/nullptr);
}

void QWK_WaterMark::rxInit(AppNameChangeFuncPtr) {
    QWK_WaterMark::rxInit();
}

// ---- construction ------------------------------------------------------------

QWK_WaterMark::QWK_WaterMark() : AcDbEntity(), m_count(0), m_colorIndex(250) {
    for (int i = 0; i < kMaxClones; i++)
        m_pEnt[i] = nullptr;
}

QWK_WaterMark::~QWK_WaterMark() {
    deleteClones();
}

void QWK_WaterMark::deleteClones() {
    for (int i = 0; i < m_count; i++) {
        // A clone that has become database-resident belongs to its database.
        if (m_pEnt[i] != nullptr && m_pEnt[i]->objectId() == AcDbObjectId::kNull)
            delete m_pEnt[i];
        m_pEnt[i] = nullptr;
    }
    m_count = 0;
}

bool QWK_WaterMark::storeClone(AcDbEntity* pClone) {
    if (pClone == nullptr || m_count < 0 || m_count >= kMaxClones)
        return false;
    m_pEnt[m_count] = pClone;
    m_count++;
    return true;
}

// ---- filling -----------------------------------------------------------------

bool QWK_WaterMark::set_pEntity(AcDbEntity* pEnt) {
    assertReadEnabled();
    // All slots used: the 257th clone is refused without writing anything.
    if (pEnt == nullptr || m_count >= kMaxClones) {
        acutPrintf(ACRX_T("set_pEntity_ERROR!"));
        return false;
    }
    AcRxObject* pObj = pEnt->clone();
    AcDbEntity* pCopy = AcDbEntity::cast(pObj);
    if (pCopy == nullptr) {
        delete pObj;
        acutPrintf(ACRX_T("set_pEntity_ERROR!"));
        return false;
    }
    pCopy->setColorIndex(m_colorIndex, true);
    storeClone(pCopy);
    return true;
}

Acad::ErrorStatus QWK_WaterMark::set_ColorIndex(int colorIndex) {
    assertWriteEnabled();
    m_colorIndex = (Adesk::UInt16)(colorIndex & 0xFFFF);
    AcCmColor cmColor;
    cmColor.setColorIndex(m_colorIndex);
    for (int i = 0; i < m_count; i++) {
        if (m_pEnt[i] != nullptr) {
            // A private clone is always open for write: its upgradeOpen()
            // reports that with eWasOpenForWrite.
            Acad::ErrorStatus es = m_pEnt[i]->upgradeOpen();
            if (es == Acad::eOk || es == Acad::eWasOpenForWrite) {
                es = m_pEnt[i]->setColor(cmColor, true);
                if (es != Acad::eOk)
                    ivPrintErrorLine(kLineSetColorIndex, es);
            }
        }
        AcDbEntity::setColor(cmColor, true);
    }
    return Acad::eOk;
}

// ---- property setters ----------------------------------------------------------

// Calls setOnClone on each clone in slot order, reporting a refusal with the
// given line and going on with the next clone, and after each clone the base
// setter on the watermark itself. A watermark without clones is unchanged.
template <class CloneSetter, class OwnSetter>
Acad::ErrorStatus QWK_WaterMark::passToClones(int sourceLine, CloneSetter setOnClone, OwnSetter setOnSelf) {
    assertWriteEnabled();
    for (int i = 0; i < m_count; i++) {
        if (m_pEnt[i] != nullptr) {
            Acad::ErrorStatus es = setOnClone(m_pEnt[i]);
            if (es != Acad::eOk)
                ivPrintErrorLine(sourceLine, es);
        }
        setOnSelf();
    }
    return Acad::eOk;
}

Acad::ErrorStatus QWK_WaterMark::setColor(const AcCmColor& color, Adesk::Boolean doSubents) {
    return passToClones(
        kLineSetColor, [&](AcDbEntity* pEnt) { return pEnt->setColor(color, doSubents); },
        [&] { AcDbEntity::setColor(color, doSubents); });
}

Acad::ErrorStatus QWK_WaterMark::setLinetype(AcDbObjectId newVal, Adesk::Boolean doSubents) {
    return passToClones(
        kLineSetLinetypeId, [&](AcDbEntity* pEnt) { return pEnt->setLinetype(newVal, doSubents); },
        [&] { AcDbEntity::setLinetype(newVal, doSubents); });
}

Acad::ErrorStatus QWK_WaterMark::setLinetype(const ACHAR* newVal, Adesk::Boolean doSubents) {
    return passToClones(
        kLineSetLinetypeName, [&](AcDbEntity* pEnt) { return pEnt->setLinetype(newVal, doSubents); },
        [&] { AcDbEntity::setLinetype(newVal, doSubents); });
}

Acad::ErrorStatus QWK_WaterMark::setLinetypeScale(double newval, Adesk::Boolean doSubents) {
    return passToClones(
        kLineSetLinetypeScale, [&](AcDbEntity* pEnt) { return pEnt->setLinetypeScale(newval, doSubents); },
        [&] { AcDbEntity::setLinetypeScale(newval, doSubents); });
}

Acad::ErrorStatus QWK_WaterMark::setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean doSubents) {
    return passToClones(
        kLineSetLineWeight, [&](AcDbEntity* pEnt) { return pEnt->setLineWeight(newVal, doSubents); },
        [&] { AcDbEntity::setLineWeight(newVal, doSubents); });
}

#if IRONVEIL_RELEASE == 16
Acad::ErrorStatus QWK_WaterMark::setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents) {
    return passToClones(
        kLineSetLayerId, [&](AcDbEntity* pEnt) { return pEnt->setLayer(newVal, doSubents); },
        [&] { AcDbEntity::setLayer(newVal, doSubents); });
}

Acad::ErrorStatus QWK_WaterMark::setLayer(const char* newVal, Adesk::Boolean doSubents) {
    return passToClones(
        kLineSetLayerName, [&](AcDbEntity* pEnt) { return pEnt->setLayer(newVal, doSubents); },
        [&] { AcDbEntity::setLayer(newVal, doSubents); });
}
#endif
