// Object ids and handles.
#pragma once
#include <cstdint>

#include "acdb.h"
#include "adesk.h"

class AcDbDatabase;
class AcDbStub;  // hostsim: the database's record of one object

class AcDbHandle {
public:
    AcDbHandle() : m_value(0) {}
    explicit AcDbHandle(std::uint64_t v) : m_value(v) {}
    bool isNull() const { return m_value == 0; }
    void setNull() { m_value = 0; }
    std::uint64_t value() const { return m_value; }
    bool operator==(const AcDbHandle& h) const { return m_value == h.m_value; }
    bool operator!=(const AcDbHandle& h) const { return m_value != h.m_value; }
    bool operator<(const AcDbHandle& h) const { return m_value < h.m_value; }

private:
    std::uint64_t m_value;
};

class AcDbObjectId {
public:
    AcDbObjectId() : mId(nullptr) {}
    explicit AcDbObjectId(AcDbStub* pStub) : mId(pStub) {}
    static const AcDbObjectId kNull;

    bool isNull() const { return mId == nullptr; }
    void setNull() { mId = nullptr; }
    bool isValid() const;
    bool isErased() const;
    bool isEffectivelyErased() const { return isErased(); }
    AcDbDatabase* database() const;
    AcDbHandle handle() const;
#if IRONVEIL_RELEASE >= 18
    Adesk::IntDbId asOldId() const {
        return reinterpret_cast<Adesk::IntDbId>(mId);
    }
#else
    long asOldId() const {
        return static_cast<long>(reinterpret_cast<std::intptr_t>(mId));
    }
#endif

    bool operator==(const AcDbObjectId& id) const {
        return mId == id.mId;
    }
    bool operator!=(const AcDbObjectId& id) const {
        return mId != id.mId;
    }
    bool operator<(const AcDbObjectId& id) const {
        return mId < id.mId;
    }

    // hostsim: the database record behind the id.
    AcDbStub* stub() const {
        return mId;
    }

private:
    AcDbStub* mId;
};

#include "acarray.h"
typedef AcArray<AcDbObjectId> AcDbObjectIdArray;
