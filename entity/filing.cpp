// QWK_WaterMark filing: the version, the clone count and, per clone, its
// class name followed by its own data, in DWG and in DXF. Readers keep the
// watermark owning complete clones only, whatever the input holds.
#include <cstring>

#include "entity/QWK_WaterMark.h"
#include "entity/errorline.h"
#include "module/module.h"

namespace {

const Adesk::Int16 kVersion = 1;

enum {
    kLineDxfInBase = 404,
    kLineDxfInClone = 464,
    kLineDxfInCloneProps = 469,
    kLineDxfOutBase = 485,
    kLineDxfOutSubclass = 487,
    kLineDxfOutVersion = 490,
    kLineDxfOutCount = 491,
    kLineDxfOutClassName = 495,
    kLineDxfOutEmbedded = 496,
    kLineDxfOutClone = 497,
    kLineDwgInBase = 506,
    kLineDwgInClone = 550,
    kLineDwgInCloneProps = 551,
    kLineDwgOutBase = 562,
    kLineDwgOutVersion = 575,
    kLineDwgOutCount = 577,
    kLineDwgOutClassName = 582,
    kLineDwgOutClone = 583,
};

// The status a reader returns for a class name it cannot make a clone of.
const Acad::ErrorStatus kUnknownClass = Acad::eWrongObjectType;

}  // namespace

// ---- DWG -----------------------------------------------------------------------

Acad::ErrorStatus QWK_WaterMark::dwgOutFields(AcDbDwgFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(pFiler);
    if (es != Acad::eOk) {
        ivPrintErrorLine(kLineDwgOutBase, es);
        return es;
    }
    if (pFiler->filerType() == AcDb::kIdXlateFiler)
        return pFiler->filerStatus();
    if ((es = pFiler->writeInt16(kVersion)) != Acad::eOk) {
        ivPrintErrorLine(kLineDwgOutVersion, es);
        return es;
    }
    if ((es = pFiler->writeInt16(m_count)) != Acad::eOk) {
        ivPrintErrorLine(kLineDwgOutCount, es);
        return es;
    }
    for (int i = 0; i < m_count; i++) {
        if ((es = pFiler->writeString(m_pEnt[i]->isA()->name())) != Acad::eOk) {
            ivPrintErrorLine(kLineDwgOutClassName, es);
            return es;
        }
        if ((es = m_pEnt[i]->dwgOutFields(pFiler)) != Acad::eOk) {
            ivPrintErrorLine(kLineDwgOutClone, es);
            return es;
        }
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus QWK_WaterMark::dwgInFields(AcDbDwgFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(pFiler);
    if (es != Acad::eOk) {
        ivPrintErrorLine(kLineDwgInBase, es);
        return es;
    }
    if (pFiler->filerType() == AcDb::kIdXlateFiler)
        return pFiler->filerStatus();

    Adesk::Int16 version = 0;
    pFiler->readInt16(&version);
    if (version > kVersion)
        return Acad::eMakeMeProxy;
    Adesk::Int16 count = 0;
    pFiler->readInt16(&count);
    if (count < 0 || count > kMaxClones)
        count = 0;

    // The clones held before (undo and redo read into a live watermark) are
    // replaced by what the stream holds.
    deleteClones();
    for (int i = 0; i < count; i++) {
        ACHAR* buffer = nullptr;
        pFiler->readString(&buffer);
        if (buffer == nullptr)
            return pFiler->filerStatus() != Acad::eOk ? pFiler->filerStatus() : Acad::eFilerError;
        AcDbEntity* pClone = ivCreateEntityOfClass(buffer);
        acdbFree(buffer);
        if (pClone == nullptr) {
            // The data that follows cannot be read without its class.
            pFiler->setFilerStatus(kUnknownClass);
            ivPrintErrorLine(kLineDwgInClone, kUnknownClass);
            return kUnknownClass;
        }
        if ((es = pClone->dwgInFields(pFiler)) != Acad::eOk) {
            delete pClone;
            ivPrintErrorLine(kLineDwgInClone, es);
            return es;
        }
        if ((es = pClone->setPropertiesFrom(this, true)) != Acad::eOk) {
            delete pClone;
            ivPrintErrorLine(kLineDwgInCloneProps, es);
            return es;
        }
        storeClone(pClone);
    }
    return pFiler->filerStatus();
}

// ---- DXF -----------------------------------------------------------------------

Acad::ErrorStatus QWK_WaterMark::dxfOutFields(AcDbDxfFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(pFiler);
    if (es != Acad::eOk) {
        ivPrintErrorLine(kLineDxfOutBase, es);
        return es;
    }
    if ((es = pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("QWK_WaterMark"))) != Acad::eOk) {
        ivPrintErrorLine(kLineDxfOutSubclass, es);
        return es;
    }
    if ((es = pFiler->writeInt16(AcDb::kDxfInt16, kVersion)) != Acad::eOk) {
        ivPrintErrorLine(kLineDxfOutVersion, es);
        return es;
    }
    if ((es = pFiler->writeInt16(AcDb::kDxfInt16, m_count)) != Acad::eOk) {
        ivPrintErrorLine(kLineDxfOutCount, es);
        return es;
    }
    for (int i = 0; i < m_count; i++) {
        if ((es = pFiler->writeString(AcDb::kDxfXTextString, m_pEnt[i]->isA()->name())) != Acad::eOk) {
            ivPrintErrorLine(kLineDxfOutClassName, es);
            return es;
        }
        if ((es = pFiler->writeEmbeddedObjectStart()) != Acad::eOk) {
            ivPrintErrorLine(kLineDxfOutEmbedded, es);
            return es;
        }
        if ((es = m_pEnt[i]->dxfOutFields(pFiler)) != Acad::eOk) {
            ivPrintErrorLine(kLineDxfOutClone, es);
            return es;
        }
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus QWK_WaterMark::dxfInFields(AcDbDxfFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(pFiler);
    if (es != Acad::eOk) {
        ivPrintErrorLine(kLineDxfInBase, es);
        return es;
    }
    if (!pFiler->atSubclassData(ACRX_T("QWK_WaterMark")))
        return Acad::eBadDxfSequence;

    // The clones held before (undo and redo read into a live watermark) are
    // replaced by what the input holds, once it is known to be readable.
    bool cleared = false;
    auto clearOnce = [&] {
        if (!cleared)
            deleteClones();
        cleared = true;
    };
    resbuf rb;
    ACHAR className[256];
    while (pFiler->readItem(&rb) == Acad::eOk) {
        if (rb.restype == AcDb::kDxfInt16) {
            if (rb.resval.rint > kVersion) {
                acutPrintf(
                    ACRX_T("请安装更高版本的插件！\nPlease install a newer plug-in.\n\n" IV_WEB_ADDRESS));
                return Acad::eMakeMeProxy;
            }
            clearOnce();
            // The count that follows the version is informative only: the
            // slots are filled by the class-name groups actually present.
            if (pFiler->readItem(&rb) != Acad::eOk)
                break;
        } else if (rb.restype == AcDb::kDxfXTextString) {
            clearOnce();
            if (m_count >= kMaxClones)
                return Acad::eBadDxfSequence;
            const ACHAR* pName = rb.resval.rstring != nullptr ? rb.resval.rstring : ACRX_T("");
            size_t len = 0;
            while (len < 255 && pName[len] != 0)
                len++;
            std::memcpy(className, pName, len * sizeof(ACHAR));
            className[len] = 0;
            AcDbEntity* pClone = ivCreateEntityOfClass(className);
            if (pClone == nullptr) {
                ivPrintErrorLine(kLineDxfInClone, kUnknownClass);
                return kUnknownClass;
            }
            if (!pFiler->atEmbeddedObjectStart()) {
                delete pClone;
                return Acad::eBadDxfSequence;
            }
            if ((es = pClone->dxfInFields(pFiler)) != Acad::eOk) {
                delete pClone;
                ivPrintErrorLine(kLineDxfInClone, es);
                return es;
            }
            if ((es = pClone->setPropertiesFrom(this, true)) != Acad::eOk) {
                delete pClone;
                ivPrintErrorLine(kLineDxfInCloneProps, es);
                return es;
            }
            storeClone(pClone);
        }
    }
    return pFiler->filerStatus();
}
