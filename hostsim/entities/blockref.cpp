// AcDbBlockReference: an insertion of a block definition, placed by
// position, scale factors, rotation and normal. Drawing and extents go
// through the block's entities under the block transform.
#include <cmath>

#include "common.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "fields.h"
#include "hostsim/dbapi.h"
#include "hostsim/text.h"

namespace {
// Blocks nested deeper than this are not followed (a damaged file can make a
// block contain a reference to itself).
constexpr int kMaxNesting = 32;
int g_nesting = 0;

struct NestingGuard {
    NestingGuard() { ++g_nesting; }
    ~NestingGuard() { --g_nesting; }
    bool tooDeep() const { return g_nesting > kMaxNesting; }
};
}  // namespace

AcDbBlockReference::AcDbBlockReference() {}

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec)
    : m_block(blockTableRec) {
    m_d.position = position;
}

AcDbBlockReference::~AcDbBlockReference() {}

// The record of a block known only by its name (read from DXF before the
// block was) is looked up when first needed.
AcDbObjectId AcDbBlockReference::resolvedBlock() const {
    if (!m_block.isNull() || m_d.blockName.empty())
        return m_block;
    AcDbDatabase* pDb = database();
    AcDbBlockTable* pTable = nullptr;
    if (pDb == nullptr || pDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk)
        return m_block;
    AcDbObjectId id;
    if (pTable->getAt(m_d.blockName.c_str(), id) == Acad::eOk)
        m_block = id;
    pTable->close();
    return m_block;
}

AcDbObjectId AcDbBlockReference::blockTableRecord() const {
    assertReadEnabled();
    return resolvedBlock();
}

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId blockId) {
    assertWriteEnabled();
    m_block = blockId;
    m_d.blockName.clear();
    return Acad::eOk;
}

std::string AcDbBlockReference::hsBlockName() const {
    assertReadEnabled();
    AcDbObjectId id = resolvedBlock();
    AcDbBlockTableRecord* pRec = nullptr;
    if (!id.isNull() && acdbOpenObject(pRec, id, AcDb::kForRead) == Acad::eOk) {
        const ACHAR* pName = nullptr;
        std::string name;
        if (pRec->getName(pName) == Acad::eOk && pName != nullptr)
            name = hs::toUtf8(pName);
        pRec->close();
        return name;
    }
    return hs::toUtf8(m_d.blockName);
}

AcGePoint3d AcDbBlockReference::position() const {
    assertReadEnabled();
    return m_d.position;
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_d.position = pt;
    return Acad::eOk;
}

AcGeScale3d AcDbBlockReference::scaleFactors() const {
    assertReadEnabled();
    return AcGeScale3d(m_d.sx, m_d.sy, m_d.sz);
}

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& scale) {
    if (scale.sx == 0.0 || scale.sy == 0.0 || scale.sz == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.sx = scale.sx;
    m_d.sy = scale.sy;
    m_d.sz = scale.sz;
    return Acad::eOk;
}

double AcDbBlockReference::rotation() const {
    assertReadEnabled();
    return m_d.rotation;
}

Acad::ErrorStatus AcDbBlockReference::setRotation(double angle) {
    assertWriteEnabled();
    m_d.rotation = angle;
    return Acad::eOk;
}

AcGeVector3d AcDbBlockReference::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

// Block coordinates less the block's base point, scaled, rotated in the
// reference's plane, then moved to the position.
AcGeMatrix3d AcDbBlockReference::blockTransform() const {
    assertReadEnabled();
    AcGePoint3d base;
    AcDbBlockTableRecord* pRec = nullptr;
    AcDbObjectId id = resolvedBlock();
    if (!id.isNull() && acdbOpenObject(pRec, id, AcDb::kForRead) == Acad::eOk) {
        base = pRec->origin();
        pRec->close();
    }
    AcGeVector3d dir = hs::planeDirection(m_d.rotation, m_d.normal);
    AcGeVector3d up = m_d.normal.crossProduct(dir);
    AcGeVector3d cols[3] = {dir * m_d.sx, up * m_d.sy, m_d.normal * m_d.sz};
    AcGeMatrix3d linear;
    for (int c = 0; c < 3; ++c) {
        linear.entry[0][c] = cols[c].x;
        linear.entry[1][c] = cols[c].y;
        linear.entry[2][c] = cols[c].z;
    }
    return AcGeMatrix3d::translation(m_d.position - AcGePoint3d::kOrigin) * linear *
           AcGeMatrix3d::translation(AcGePoint3d::kOrigin - base);
}

void AcDbBlockReference::hsFields(Data& d, hs::EntityFields& f) {
    f.point(10, d.position).real(41, d.sx, true, 1.0).real(42, d.sy, true, 1.0).real(43, d.sz, true, 1.0);
    f.angle(50, d.rotation, true).vector(210, d.normal, true);
}

// DWG: the record as a hard pointer (translated by copies into other
// drawings), the name for a reference not resolved yet, then the table.
Acad::ErrorStatus AcDbBlockReference::dwgOutFields(AcDbDwgFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    if ((es = pFiler->writeHardPointerId(resolvedBlock())) != Acad::eOk)
        return es;
    if ((es = pFiler->writeString(m_d.blockName.c_str())) != Acad::eOk)
        return es;
    Data d = m_d;
    hs::EntityFields f;
    hsFields(d, f);
    return f.dwgOut(pFiler);
}

Acad::ErrorStatus AcDbBlockReference::dwgInFields(AcDbDwgFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    AcDbObjectId id;
    if ((es = pFiler->readHardPointerId(&id)) != Acad::eOk)
        return es;
    ACHAR* pName = nullptr;
    es = pFiler->readString(&pName);
    hs::tstring name = (es == Acad::eOk && pName != nullptr) ? hs::tstring(pName) : hs::tstring();
    acdbFree(pName);
    if (es != Acad::eOk)
        return es;
    m_block = id;
    m_d.blockName = name;
    hs::EntityFields f;
    hsFields(m_d, f);
    return f.dwgIn(pFiler);
}

// DXF: 100 AcDbBlockReference, 2 the block's name, then the table; the
// position is in plane coordinates.
Acad::ErrorStatus AcDbBlockReference::dxfOutFields(AcDbDxfFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Data d = m_d;
    d.position = hs::worldToPlane(d.position, d.normal);
    hs::EntityFields f;
    f.marker("AcDbBlockReference");
    hs::tstring name = hs::fromUtf8(hsBlockName());
    f.text(2, name);
    hsFields(d, f);
    return f.dxfOut(pFiler);
}

Acad::ErrorStatus AcDbBlockReference::dxfInFields(AcDbDxfFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Data d;
    hs::EntityFields f;
    f.marker("AcDbBlockReference").text(2, d.blockName);
    hsFields(d, f);
    // Attributes-follow (66) and the rows and columns of a multiple insert
    // are kept by the file reader in their place.
    if ((es = f.dxfIn(pFiler)) != Acad::eOk)
        return es;
    d.position = hs::planeToWorld(d.position, d.normal);
    m_d = d;
    m_block.setNull();
    // Resolve the name now when the drawing being read already has the block.
    AcDbDatabase* pDb = pFiler->database();
    AcDbBlockTable* pTable = nullptr;
    if (pDb != nullptr && !m_d.blockName.empty() && pDb->getBlockTable(pTable, AcDb::kForRead) == Acad::eOk) {
        AcDbObjectId id;
        if (pTable->getAt(m_d.blockName.c_str(), id) == Acad::eOk)
            m_block = id;
        pTable->close();
    }
    return Acad::eOk;
}

Adesk::Boolean AcDbBlockReference::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    NestingGuard guard;
    AcDbObjectId id = resolvedBlock();
    if (guard.tooDeep() || id.isNull())
        return Adesk::kTrue;
    pWd->geometry().pushModelTransform(blockTransform());
    for (AcDbObjectId entId : hs::entitiesOf(id)) {
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, entId, AcDb::kForRead) != Acad::eOk)
            continue;
        pWd->geometry().draw(pEnt);
        pEnt->close();
    }
    pWd->geometry().popModelTransform();
    return Adesk::kTrue;
}

void AcDbBlockReference::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbEntity::HS_HOOK(list, subList)();
    hs::listLine("Block Name:", "\"" + hsBlockName() + "\"");
    hs::listLine("at point,", hs::listPoint(m_d.position));
    hs::listLine("X scale factor:", hs::listReal(m_d.sx));
    hs::listLine("Y scale factor:", hs::listReal(m_d.sy));
    hs::listLine("rotation angle:", hs::listAngle(m_d.rotation));
    hs::listLine("Z scale factor:", hs::listReal(m_d.sz));
}

Acad::ErrorStatus AcDbBlockReference::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    NestingGuard guard;
    AcDbObjectId id = resolvedBlock();
    AcDbExtents ext;
    if (!guard.tooDeep() && !id.isNull()) {
        AcGeMatrix3d xform = blockTransform();
        for (AcDbObjectId entId : hs::entitiesOf(id)) {
            AcDbEntity* pEnt = nullptr;
            if (acdbOpenAcDbEntity(pEnt, entId, AcDb::kForRead) != Acad::eOk)
                continue;
            AcDbExtents part;
            if (pEnt->getGeomExtents(part) == Acad::eOk) {
                part.transformBy(xform);
                ext.addExt(part);
            }
            pEnt->close();
        }
    }
    // An empty block still has its insertion point.
    if (ext.hsIsEmpty())
        ext.addPoint(m_d.position);
    extents = ext;
    return Acad::eOk;
}

// The new block transform is xform x old; position, normal, rotation and
// scales are read back from it. A mirror shows as a negative y scale.
Acad::ErrorStatus AcDbBlockReference::hsTransform(const AcGeMatrix3d& xform) {
    if (!hs::keepsShape(xform))
        return Acad::eNotApplicable;
    m_d.position.transformBy(xform);
    if (hs::movesOnly(xform))
        return Acad::eOk;
    AcGeVector3d dir = hs::planeDirection(m_d.rotation, m_d.normal);
    AcGeVector3d up = m_d.normal.crossProduct(dir);
    dir.transformBy(xform);
    up.transformBy(xform);
    double scale = xform.scale();
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    m_d.rotation = hs::planeAngle(dir, m_d.normal);
    m_d.sx *= scale;
    m_d.sy *= scale;
    m_d.sz *= scale;
    if (m_d.normal.crossProduct(dir).dotProduct(up) < 0.0)
        m_d.sy = -m_d.sy;
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbBlockReference)
