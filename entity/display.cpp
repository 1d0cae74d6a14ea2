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

Acad::ErrorStatus QWK_WaterMark::IV_HOOK(transformBy, subTransformBy)(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    for (int i = 0; i < m_count; i++) {
        assert(m_pEnt[i]);
        Acad::ErrorStatus es = m_pEnt[i]->transformBy(xform);
        if (es != Acad::eOk) {
            ivPrintErrorLine(kLineTransformBy, es);
            return es;
        }
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
        bool stored = pCopy->set_pEntity(entTmp);
        delete entTmp;
        if (!stored) {
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
