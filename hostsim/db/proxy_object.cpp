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
