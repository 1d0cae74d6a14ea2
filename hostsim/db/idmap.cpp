// The id map of a clone operation and its iterator.
#include "db/dbimp.h"
#include "dbidmap.h"

AcDbIdPair::AcDbIdPair() : mIsCloned(false), mIsPrimary(false), mIsOwnerXlated(true) {}

AcDbIdPair::AcDbIdPair(const AcDbIdPair& other) = default;

AcDbIdPair::AcDbIdPair(AcDbObjectId key, AcDbObjectId value, bool isCloned, bool isPrimary,
                       bool isOwnerXlated)
    : mKey(key), mValue(value), mIsCloned(isCloned), mIsPrimary(isPrimary), mIsOwnerXlated(isOwnerXlated) {}

AcDbIdMapping::AcDbIdMapping() : m_pImp(new Imp()) {}

AcDbIdMapping::~AcDbIdMapping() {
    delete m_pImp;
}

Acad::ErrorStatus AcDbIdMapping::assign(const AcDbIdPair& pair) {
    if (pair.key().isNull())
        return Acad::eNullObjectId;
    auto it = m_pImp->index.find(pair.key().stub());
    if (it != m_pImp->index.end()) {
        m_pImp->pairs[it->second] = pair;
        return Acad::eOk;
    }
    m_pImp->index.emplace(pair.key().stub(), m_pImp->pairs.size());
    m_pImp->pairs.push_back(pair);
    return Acad::eOk;
}

bool AcDbIdMapping::compute(AcDbIdPair& pair) const {
    auto it = m_pImp->index.find(pair.key().stub());
    if (it == m_pImp->index.end())
        return false;
    pair = m_pImp->pairs[it->second];
    return true;
}

bool AcDbIdMapping::change(const AcDbIdPair& pair) {
    auto it = m_pImp->index.find(pair.key().stub());
    if (it == m_pImp->index.end())
        return false;
    m_pImp->pairs[it->second] = pair;
    return true;
}

bool AcDbIdMapping::del(AcDbObjectId key) {
    auto it = m_pImp->index.find(key.stub());
    if (it == m_pImp->index.end())
        return false;
    std::size_t pos = it->second;
    m_pImp->pairs.erase(m_pImp->pairs.begin() + static_cast<std::ptrdiff_t>(pos));
    m_pImp->index.erase(it);
    for (auto& entry : m_pImp->index)
        if (entry.second > pos)
            --entry.second;
    return true;
}

Acad::ErrorStatus AcDbIdMapping::destDb(AcDbDatabase*& db) const {
    db = m_pImp->pDest;
    return db != nullptr ? Acad::eOk : Acad::eNoDatabase;
}

Acad::ErrorStatus AcDbIdMapping::setDestDb(AcDbDatabase* dest) {
    if (dest == nullptr)
        return Acad::eNullObjectPointer;
    if (m_pImp->begun && dest != m_pImp->pDest)
        return Acad::eInvalidIdMap;
    m_pImp->pDest = dest;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbIdMapping::origDb(AcDbDatabase*& db) const {
    db = m_pImp->pOrig;
    return db != nullptr ? Acad::eOk : Acad::eNoDatabase;
}

AcDb::DeepCloneType AcDbIdMapping::deepCloneContext() const {
    return m_pImp->context;
}

AcDb::DuplicateRecordCloning AcDbIdMapping::duplicateRecordCloning() const {
    return m_pImp->drc;
}

Acad::ErrorStatus AcDbIdMapping::copyFrom(const AcRxObject* other) {
    const AcDbIdMapping* pOther = AcDbIdMapping::cast(other);
    if (pOther == nullptr)
        return Acad::eWrongObjectType;
    if (pOther != this)
        *m_pImp = *pOther->m_pImp;
    return Acad::eOk;
}

AcDbIdMappingIter::AcDbIdMappingIter(const AcDbIdMapping& map) : m_pMap(&map), m_pos(0) {}

AcDbIdMappingIter::~AcDbIdMappingIter() = default;

Acad::ErrorStatus AcDbIdMappingIter::iterateOn(const AcDbIdMapping& map) {
    m_pMap = &map;
    m_pos = 0;
    return Acad::eOk;
}

void AcDbIdMappingIter::start() {
    m_pos = 0;
}

bool AcDbIdMappingIter::getMap(AcDbIdPair& pair) {
    if (done())
        return false;
    pair = m_pMap->hsImp()->pairs[m_pos];
    return true;
}

bool AcDbIdMappingIter::next() {
    if (done())
        return false;
    ++m_pos;
    return !done();
}

bool AcDbIdMappingIter::done() {
    return m_pos >= m_pMap->hsImp()->pairs.size();
}
