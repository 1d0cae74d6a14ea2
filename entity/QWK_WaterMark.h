// QWK_WaterMark: a custom entity holding private clones of up to 256
// ordinary entities, drawn in one colour, that refuses to be erased unless
// the erase guard is open.
#pragma once
#include "host/hostapi.h"

class QWK_WaterMark : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(QWK_WaterMark);

    enum { kMaxClones = 256 };

    QWK_WaterMark();
    ~QWK_WaterMark() override;

    // Adds a clone of pEnt in the next free slot; false for a null entity or
    // when all slots are used.
    bool set_pEntity(AcDbEntity* pEnt);
    // Records the colour index and applies it to the clones and the watermark.
    Acad::ErrorStatus set_ColorIndex(int colorIndex);

    Adesk::Int16 count() const { return m_count; }
    const AcDbEntity* entityAt(int i) const {
        return (i >= 0 && i < m_count && i < kMaxClones) ? m_pEnt[i] : nullptr;
    }
    Adesk::UInt16 watermarkColorIndex() const { return m_colorIndex; }

    Acad::ErrorStatus subErase(Adesk::Boolean erasing) override;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;

    Acad::ErrorStatus setColor(const AcCmColor& color, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetype(AcDbObjectId newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetype(const ACHAR* newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetypeScale(double newval, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean doSubents = true) override;
#if IRONVEIL_RELEASE == 16
    Acad::ErrorStatus setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLayer(const char* newVal, Adesk::Boolean doSubents = true) override;
#endif

#if IRONVEIL_RELEASE >= 18
protected:
#endif
    Adesk::Boolean IV_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* mode) override;
    void IV_HOOK(list, subList)() const override;
    Acad::ErrorStatus IV_HOOK(transformBy, subTransformBy)(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus IV_HOOK(getTransformedCopy, subGetTransformedCopy)(const AcGeMatrix3d& xform,
                                                                         AcDbEntity*& pEnt) const override;
    Acad::ErrorStatus IV_HOOK(getGripPoints, subGetGripPoints)(AcGePoint3dArray& gripPoints,
                                                               AcDbIntArray& osnapModes,
                                                               AcDbIntArray& geomIds) const override;
    Acad::ErrorStatus IV_HOOK(moveGripPointsAt, subMoveGripPointsAt)(const AcDbIntArray& indices,
                                                                     const AcGeVector3d& offset) override;
    Acad::ErrorStatus IV_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const override;

private:
    // Deletes every clone held and empties the slots.
    void deleteClones();
    // Puts an owned clone in the next free slot; false (nothing stored) when
    // the clone is null or all slots are used.
    bool storeClone(AcDbEntity* pClone);
    template <class CloneSetter, class OwnSetter>
    Acad::ErrorStatus passToClones(int sourceLine, CloneSetter setOnClone, OwnSetter setOnSelf);

    Adesk::Int16 m_count;
    AcDbEntity* m_pEnt[kMaxClones];
    Adesk::UInt16 m_colorIndex;
};
