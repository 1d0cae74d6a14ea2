// An entity of a DXF file that hostsim has no class for (a spline, a hatch,
// an old-style polyline with its vertices, a block reference with its
// attributes): kept as its tags, in its block and in its place, and written
// back unchanged. Where its groups give its geometry (see kept_shape.h) it
// has extents and is drawn. A block reference with attributes can be moved,
// turned and scaled alike in the XY plane; other kept entities refuse to be
// transformed.
#pragma once
#include "dbents.h"
#include "dbmain.h"
#include "dxf/tags.h"

class HsDxfKeptEntity : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(HsDxfKeptEntity);
    HsDxfKeptEntity();
    ~HsDxfKeptEntity() override;

    // The tags from the entity's group 0 on, with any entities that follow it
    // (attributes, vertices, the end of sequence).
    const hs::dxf::Tags& tags() const;
    void setTags(hs::dxf::Tags tags);
    // The DXF type name (the value of the first group 0).
    std::string typeName() const;

    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;

    HS_ENTITY_HOOK_ACCESS : Adesk::Boolean HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) override;
    Acad::ErrorStatus HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const override;
    Acad::ErrorStatus HS_HOOK(transformBy, subTransformBy)(const AcGeMatrix3d& xform) override;

public:
private:
    hs::dxf::Tags m_tags;
};

namespace hs {
namespace dxf {
// Registers the class once (at session start and before a file is read).
void registerKeptEntityClass();
}  // namespace dxf
}  // namespace hs
