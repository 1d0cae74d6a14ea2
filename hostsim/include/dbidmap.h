// The map of a clone operation: original object id -> clone id, with the
// flags the clone and translation passes keep for each pair.
#pragma once
#include "acadstrc.h"
#include "acdb.h"
#include "dbid.h"
#include "rxobject.h"

class AcDbDatabase;

class AcDbIdPair {
public:
    AcDbIdPair();
    AcDbIdPair(const AcDbIdPair& other);
    AcDbIdPair(AcDbObjectId key, AcDbObjectId value, bool isCloned, bool isPrimary = false,
               bool isOwnerXlated = true);
    AcDbIdPair& operator=(const AcDbIdPair& other) = default;

    AcDbObjectId key() const { return mKey; }
    AcDbObjectId value() const { return mValue; }
    bool isCloned() const { return mIsCloned; }
    bool isPrimary() const { return mIsPrimary; }
    bool isOwnerXlated() const { return mIsOwnerXlated; }

    void setKey(AcDbObjectId key) { mKey = key; }
    void setValue(AcDbObjectId value) { mValue = value; }
    void setIsCloned(bool isCloned) { mIsCloned = isCloned; }
    void setIsPrimary(bool isPrimary) { mIsPrimary = isPrimary; }
    void setIsOwnerXlated(bool isOwnerXlated) { mIsOwnerXlated = isOwnerXlated; }

private:
    AcDbObjectId mKey;
    AcDbObjectId mValue;
    bool mIsCloned;
    bool mIsPrimary;
    bool mIsOwnerXlated;
};

// One map per operation: its address identifies the operation to the
// notifications, and it is never cleared.
class AcDbIdMapping : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbIdMapping);
    AcDbIdMapping();
    ~AcDbIdMapping() override;

    virtual Acad::ErrorStatus assign(const AcDbIdPair& pair);
    virtual bool compute(AcDbIdPair& pair) const;
    virtual bool change(const AcDbIdPair& pair);
    virtual bool del(AcDbObjectId key);

    Acad::ErrorStatus destDb(AcDbDatabase*& db) const;
    Acad::ErrorStatus setDestDb(AcDbDatabase* dest);
    Acad::ErrorStatus origDb(AcDbDatabase*& db) const;

    AcDb::DeepCloneType deepCloneContext() const;
    AcDb::DuplicateRecordCloning duplicateRecordCloning() const;

    Acad::ErrorStatus copyFrom(const AcRxObject* other) override;

    // hostsim: the operation's own state (pairs in the order they were
    // assigned, context, databases, what has been sent). Defined in hostsim/db.
    class Imp;
    Imp* hsImp() const { return m_pImp; }

private:
    AcDbIdMapping(const AcDbIdMapping&);
    AcDbIdMapping& operator=(const AcDbIdMapping&);
    Imp* m_pImp;
};

class AcDbIdMappingIter : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbIdMappingIter);
    explicit AcDbIdMappingIter(const AcDbIdMapping& map);
    ~AcDbIdMappingIter() override;

    virtual Acad::ErrorStatus iterateOn(const AcDbIdMapping& map);
    virtual void start();
    virtual bool getMap(AcDbIdPair& pair);
    virtual bool next();
    virtual bool done();

private:
    const AcDbIdMapping* m_pMap;
    unsigned long m_pos;
};
