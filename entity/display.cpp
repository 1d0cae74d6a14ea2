// QWK_WaterMark display and geometry: everything is answered through the
// clones. The watermark draws them in its own colour, lists one signature
// line, measures their union, transforms each in turn and offers no grips.
#include <cassert>

#include "entity/QWK_WaterMark.h"
#include "entity/errorline.h"
#include "module/module.h"

namespace {
enum { kLineTransformBy = 150 };
}

Adesk::Boolean QWK_WaterMark::IV_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* mode) {
    assertReadEnabled();
    mode->subEntityTraits().setColor(m_colorIndex);
    for (int i = 0; i < m_count; i++)
        mode->geometry().draw(m_pEnt[i]);
    return Adesk::kTrue;
}

void QWK_WaterMark::IV_HOOK(list, subList)() const {
    assertReadEnabled();
    acutPrintf(ACRX_T("QUILLWERK WATERMARK, By " IV_WEB_ADDRESS));
}

Acad::ErrorStatus QWK_WaterMark::IV_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    AcDbExtents ext1;
    for (int i = 0; i < m_count; i++) {
        assertReadEnabled();
        assert(m_pEnt[i]);
        m_pEnt[i]->getGeomExtents(ext1);
        extents.addExt(ext1);
    }
    return Acad::eOk;
}

// All or nothing: every clone is transformed on a copy first, and the copies
// take the clones' places only when each of them accepted the transform, so
// a clone that refuses leaves the whole watermark as it was.
Acad::ErrorStatus QWK_WaterMark::IV_HOOK(transformBy, subTransformBy)(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    AcDbEntity* transformed[kMaxClones] = {};
    Acad::ErrorStatus es = Acad::eOk;
    int done = 0;
    for (; done < m_count; done++) {
        assert(m_pEnt[done]);
        AcRxObject* pObj = m_pEnt[done]->clone();
        transformed[done] = AcDbEntity::cast(pObj);
        if (transformed[done] == nullptr) {
            delete pObj;
            es = Acad::eOutOfMemory;
            break;
        }
        es = transformed[done]->transformBy(xform);
        if (es != Acad::eOk) {
            ivPrintErrorLine(kLineTransformBy, es);
            done++;
            break;
        }
    }
    if (es != Acad::eOk) {
        for (int i = 0; i < done; i++)
            delete transformed[i];
        return es;
    }
    for (int i = 0; i < m_count; i++) {
        if (m_pEnt[i]->objectId() == AcDbObjectId::kNull)
            delete m_pEnt[i];
        m_pEnt[i] = transformed[i];
    }
    return Acad::eOk;
}

Acad::ErrorStatus QWK_WaterMark::IV_HOOK(getTransformedCopy, subGetTransformedCopy)(const AcGeMatrix3d& xform,
                                                                                    AcDbEntity*& pEnt) const {
    assertReadEnabled();
    QWK_WaterMark* pCopy = new QWK_WaterMark();
    if (pCopy == nullptr)
        return Acad::eOutOfMemory;
    // The copy looks like its source: same colour index and common
    // properties, given before the clones so that each clone takes them.
    pCopy->setPropertiesFrom(this, true);
    pCopy->m_colorIndex = m_colorIndex;
    for (int i = 0; i < m_count; i++) {
        assert(m_pEnt[i]);
        AcDbEntity* entTmp = nullptr;
        Acad::ErrorStatus es = m_pEnt[i]->getTransformedCopy(xform, entTmp);
        if (es != Acad::eOk) {
            delete pCopy;
            return es;
        }
        // Stored as it comes: each clone keeps its own colour, which after
        // a reopen need not be the watermark's recorded colour index.
        if (!pCopy->storeClone(entTmp)) {
            delete entTmp;
            delete pCopy;
            return Acad::eOutOfMemory;
        }
    }
    pEnt = pCopy;
    return Acad::eOk;
}

Acad::ErrorStatus QWK_WaterMark::IV_HOOK(getGripPoints, subGetGripPoints)(AcGePoint3dArray&, AcDbIntArray&,
                                                                          AcDbIntArray&) const {
    return Acad::eOk;
}

Acad::ErrorStatus QWK_WaterMark::IV_HOOK(moveGripPointsAt, subMoveGripPointsAt)(const AcDbIntArray&,
                                                                                const AcGeVector3d&) {
    return Acad::eOk;
}
