// hostsim's proxy object: a non-entity object of the OBJECTS section kept
// in place of an object whose class is not registered.
#include <cstdlib>

#include "db/dbimp.h"
#include "db/proxy.h"
#include "dbfiler.h"
#include "dxf/objects_io.h"
#include "hostsim/dbapi.h"
#include "hostsim/text.h"

HsProxyObject::HsProxyObject() = default;
HsProxyObject::~HsProxyObject() = default;

int HsProxyObject::proxyFlags() const {
    assertReadEnabled();
    return m_record.proxyFlags;
}
const ACHAR* HsProxyObject::originalClassName() const {
    assertReadEnabled();
    return m_className.c_str();
}
const ACHAR* HsProxyObject::originalDxfName() const {
    assertReadEnabled();
    return m_dxfName.c_str();
}
const ACHAR* HsProxyObject::applicationDescription() const {
    assertReadEnabled();
    return m_appName.c_str();
}

// The references of the kept record: the pointer and ownership groups of its
// own data (after its first subclass marker, outside application data
// groups), each whose handle names an object of the database. The types are
// the host's reference types: 0 soft pointer (330-339), 1 hard pointer
// (340-349), 2 soft ownership (350-359), 3 hard ownership (360-369).
Acad::ErrorStatus HsProxyObject::getReferences(AcDbObjectIdArray& ids, AcDbIntArray& types) const {
    assertReadEnabled();
    bool own = false, inApp = false;
    for (size_t i = 1; i < m_tags.size(); ++i) {
        const hs::dxf::Tag& t = m_tags[i];
        if (t.code == 100) {
            own = true;
            inApp = false;
            continue;
        }
        if (t.code == 102) {
            inApp = !t.value.empty() && t.value[0] == '{';
            continue;
        }
        if (!own || inApp || t.code < 330 || t.code > 369 || t.code >= 1000)
            continue;
        std::uint64_t h = std::strtoull(t.value.c_str(), nullptr, 16);
        AcDbObjectId id = h != 0 ? hs::idFromHandle(database(), h) : AcDbObjectId::kNull;
        if (id.isNull())
            continue;
        ids.append(id);
        types.append((t.code - 330) / 10);
    }
    return Acad::eOk;
}

AcDb::DuplicateRecordCloning HsProxyObject::mergeStyle() const {
    assertReadEnabled();
    if ((m_record.proxyFlags & kMergeReplace) != 0)
        return AcDb::kDrcReplace;
    if ((m_record.proxyFlags & kMergeMangleName) != 0)
        return AcDb::kDrcMangleName;
    return AcDb::kDrcIgnore;
}

const hs::ProxyClassRecord& HsProxyObject::classRecord() const {
    assertReadEnabled();
    return m_record;
}
void HsProxyObject::setClassRecord(const hs::ProxyClassRecord& record) {
    assertWriteEnabled();
    m_record = record;
    m_className = hs::fromUtf8(record.cppName);
    m_dxfName = hs::fromUtf8(record.dxfName);
    m_appName = hs::fromUtf8(hs::dxf::TextCodec(m_utf8).decode(record.appName));
}
const hs::dxf::Tags& HsProxyObject::tags() const {
    assertReadEnabled();
    return m_tags;
}
void HsProxyObject::setTags(hs::dxf::Tags tags) {
    assertWriteEnabled();
    m_tags = std::move(tags);
}
bool HsProxyObject::tagsAreUtf8() const {
    assertReadEnabled();
    return m_utf8;
}
void HsProxyObject::setTagsAreUtf8(bool utf8) {
    assertWriteEnabled();
    m_utf8 = utf8;
    m_appName = hs::fromUtf8(hs::dxf::TextCodec(m_utf8).decode(m_record.appName));
}
bool HsProxyObject::isFileProxyRecord() const {
    assertReadEnabled();
    return m_fileRecord;
}
void HsProxyObject::setFileProxyRecord(bool fileRecord) {
    assertWriteEnabled();
    m_fileRecord = fileRecord;
}

// The undo log puts back what it recorded whatever the flags say.
Acad::ErrorStatus HsProxyObject::subErase(Adesk::Boolean erasing) {
    AcDbDatabase* pDb = database();
    bool undoing = pDb != nullptr && pDb->hsImp()->undo.suspended;
    if ((m_record.proxyFlags & kEraseAllowed) == 0 && !undoing)
        return Acad::eNotAllowedForThisProxy;
    return AcDbProxyObject::subErase(erasing);
}

// ---- filing (copies and undo) ----

Acad::ErrorStatus HsProxyObject::dwgOutFields(AcDbDwgFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbProxyObject::dwgOutFields(pFiler);
    if (es != Acad::eOk || pFiler->filerType() == AcDb::kIdXlateFiler)
        return es;
    hs::fileOutProxyRecord(pFiler, m_record, (m_utf8 ? 2 : 0) | (m_fileRecord ? 16 : 0), m_tags);
    return pFiler->filerStatus();
}

Acad::ErrorStatus HsProxyObject::dwgInFields(AcDbDwgFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbProxyObject::dwgInFields(pFiler);
    if (es != Acad::eOk || pFiler->filerType() == AcDb::kIdXlateFiler)
        return es;
    hs::ProxyClassRecord rec;
    int bits = 0;
    hs::dxf::Tags tags;
    if ((es = hs::fileInProxyRecord(pFiler, rec, bits, tags)) != Acad::eOk)
        return es;
    rec.isEntity = false;
    m_utf8 = (bits & 2) != 0;
    m_fileRecord = (bits & 16) != 0;
    setClassRecord(rec);
    m_tags = std::move(tags);
    return pFiler->filerStatus();
}
