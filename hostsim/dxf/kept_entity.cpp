// An entity kept as its DXF tags.
#include "dxf/kept_entity.h"

#include "dbfiler.h"
#include "hostsim/text.h"

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
