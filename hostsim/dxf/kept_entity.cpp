// An entity kept as its DXF tags.
#include "dxf/kept_entity.h"

#include "acgi.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "dxf/kept_shape.h"
#include "hostsim/dbapi.h"
#include "hostsim/faults.h"
#include "hostsim/text.h"

namespace {

// Blocks drawn by kept entities nested deeper than this are not followed (a
// damaged file can make a block hold an entity that draws that block).
constexpr int kMaxNesting = 32;
int g_nesting = 0;
struct NestingGuard {
    NestingGuard() { ++g_nesting; }
    ~NestingGuard() { --g_nesting; }
    bool tooDeep() const { return g_nesting > kMaxNesting; }
};

// The record of a block named in the file, and the transformation from its
// base point.
AcDbObjectId blockNamed(AcDbDatabase* pDb, const std::string& name, AcGeMatrix3d& fromBase) {
    AcDbObjectId id;
    AcDbBlockTable* pTable = nullptr;
    if (pDb == nullptr || pDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk)
        return id;
    pTable->getAt(hs::fromUtf8(name).c_str(), id);
    pTable->close();
    AcDbBlockTableRecord* pRec = nullptr;
    if (!id.isNull() && acdbOpenObject(pRec, id, AcDb::kForRead) == Acad::eOk) {
        fromBase = AcGeMatrix3d::translation(AcGePoint3d::kOrigin - pRec->origin());
        pRec->close();
    }
    return id;
}

}  // namespace

ACRX_DXF_DEFINE_MEMBERS(HsDxfKeptEntity, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        HSDXFKEPTENTITY, hostsim);

HsDxfKeptEntity::HsDxfKeptEntity() = default;
HsDxfKeptEntity::~HsDxfKeptEntity() = default;

const hs::dxf::Tags& HsDxfKeptEntity::tags() const {
    assertReadEnabled();
    return m_tags;
}

void HsDxfKeptEntity::setTags(hs::dxf::Tags tags) {
    assertWriteEnabled();
    m_tags = std::move(tags);
}

std::string HsDxfKeptEntity::typeName() const {
    assertReadEnabled();
    return m_tags.empty() ? std::string() : m_tags.front().value;
}

Adesk::Boolean HsDxfKeptEntity::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    NestingGuard guard;
    if (guard.tooDeep())
        return Adesk::kTrue;
    hs::dxf::KeptShape shape = hs::dxf::keptShape(m_tags);
    for (const std::vector<AcGePoint3d>& path : shape.paths)
        pWd->geometry().polyline(static_cast<Adesk::UInt32>(path.size()), path.data());
    for (const hs::dxf::KeptShape::Block& b : shape.blocks) {
        AcGeMatrix3d fromBase;
        AcDbObjectId id = blockNamed(database(), b.name, fromBase);
        if (id.isNull())
            continue;
        pWd->geometry().pushModelTransform(b.placement * fromBase);
        for (AcDbObjectId entId : hs::entitiesOf(id)) {
            AcDbEntity* pEnt = nullptr;
            if (acdbOpenAcDbEntity(pEnt, entId, AcDb::kForRead) != Acad::eOk)
                continue;
            pWd->geometry().draw(pEnt);
            pEnt->close();
        }
        pWd->geometry().popModelTransform();
    }
    return Adesk::kTrue;
}

Acad::ErrorStatus HsDxfKeptEntity::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    NestingGuard guard;
    AcDbExtents ext;
    if (!guard.tooDeep()) {
        hs::dxf::KeptShape shape = hs::dxf::keptShape(m_tags);
        for (const std::vector<AcGePoint3d>& path : shape.paths)
            for (const AcGePoint3d& p : path)
                ext.addPoint(p);
        for (const hs::dxf::KeptShape::Block& b : shape.blocks) {
            AcGeMatrix3d fromBase;
            AcDbObjectId id = blockNamed(database(), b.name, fromBase);
            AcGeMatrix3d xform = b.placement * fromBase;
            for (AcDbObjectId entId : hs::entitiesOf(id)) {
                AcDbEntity* pEnt = nullptr;
                if (acdbOpenAcDbEntity(pEnt, entId, AcDb::kForRead) != Acad::eOk)
                    continue;
                AcDbExtents part;
                if (pEnt->getGeomExtents(part) == Acad::eOk && !part.hsIsEmpty()) {
                    part.transformBy(xform);
                    ext.addExt(part);
                }
                pEnt->close();
            }
        }
    }
    // Geometry the groups do not give (ACIS bodies, proxies): no extents.
    if (ext.hsIsEmpty())
        return Acad::eInvalidExtents;
    extents = ext;
    return Acad::eOk;
}

Acad::ErrorStatus HsDxfKeptEntity::HS_HOOK(transformBy, subTransformBy)(const AcGeMatrix3d& xform) {
    Acad::ErrorStatus es = hs::checkFault("AcDbEntity::transformBy");
    if (es != Acad::eOk)
        return es;
    assertWriteEnabled();
    hs::dxf::Tags tags = m_tags;
    if (!hs::dxf::transformKeptInsert(tags, xform))
        return Acad::eNotApplicable;
    m_tags = std::move(tags);
    return Acad::eOk;
}

// The tags travel as raw bytes: their values are in the file's encoding,
// which need not be the build's text.
Acad::ErrorStatus HsDxfKeptEntity::dwgOutFields(AcDbDwgFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    pFiler->writeUInt32(static_cast<Adesk::UInt32>(m_tags.size()));
    for (const hs::dxf::Tag& t : m_tags) {
        pFiler->writeInt16(static_cast<Adesk::Int16>(t.code));
        pFiler->writeUInt32(static_cast<Adesk::UInt32>(t.value.size()));
        if (!t.value.empty())
            pFiler->writeBytes(t.value.data(), static_cast<Adesk::UInt32>(t.value.size()));
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus HsDxfKeptEntity::dwgInFields(AcDbDwgFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Adesk::UInt32 count = 0;
    if ((es = pFiler->readUInt32(&count)) != Acad::eOk)
        return es;
    hs::dxf::Tags tags;
    for (Adesk::UInt32 i = 0; i < count; ++i) {
        Adesk::Int16 code = 0;
        Adesk::UInt32 size = 0;
        if ((es = pFiler->readInt16(&code)) != Acad::eOk || (es = pFiler->readUInt32(&size)) != Acad::eOk)
            return es;
        std::string value(size, '\0');
        if (size != 0 && (es = pFiler->readBytes(&value[0], size)) != Acad::eOk)
            return es;
        tags.push_back({code, std::move(value)});
    }
    m_tags = std::move(tags);
    return pFiler->filerStatus();
}

namespace hs {
namespace dxf {
void registerKeptEntityClass() {
    AcRxDictionary* pDict = acrxClassDictionary;
    if (pDict != nullptr && pDict->at(HSRX_STR(HsDxfKeptEntity)) != nullptr)
        return;
    HsDxfKeptEntity::rxInit();
    acrxBuildClassHierarchy();
}
}  // namespace dxf
}  // namespace hs
