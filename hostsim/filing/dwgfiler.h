// The DWG filer: a typed binary stream in memory. Every item is stored with a
// tag naming its type; reading an item of another type, or past the end,
// sets the filer status, and every later read or write keeps failing with it.
// One class serves every filer type (file, copy, undo, deep clone, wblock
// clone, id translation); the type only tells objects why they are filed.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dbfiler.h"

class AcDbIdMapping;
class AcDbObject;
class AcRxClass;

namespace hs {

class DwgFiler : public AcDbDwgFiler {
public:
    enum ItemType : unsigned char {
        kInt8 = 1,
        kString,
        kBChunk,
        kHandle,
        kInt32,
        kInt16,
        kUInt32,
        kUInt16,
        kUInt8,
        kBoolean,
        kBool,
        kDouble,
        kPoint2d,
        kPoint3d,
        kVector3d,
        kBytes,
        kHardOwnershipId,
        kSoftOwnershipId,
        kHardPointerId,
        kSoftPointerId,
    };

    explicit DwgFiler(AcDb::FilerType type = AcDb::kCopyFiler, AcDbDatabase* pDb = nullptr);
    ~DwgFiler() override;

    // Ids read back are translated through this map (original -> clone) when
    // it is set: the translation pass of a clone. Ids missing from the map
    // read as null unless they already belong to database().
    void setIdMap(const AcDbIdMapping* pMap) { m_pIdMap = pMap; }
    // The ids written that a clone must follow: owned ones (deep clone and
    // wblock clone), and for a wblock clone also hard pointers.
    struct Follow {
        AcDbObjectId id;
        bool owned;  // an ownership id (else a hard pointer)
    };
    const std::vector<Follow>& idsToFollow() const { return m_follow; }
    // The object being filed in or out. A filer that knows its object holds
    // that object's own data: reading past it or reading another type than
    // was written is a host fault naming the object.
    void setSubject(const AcDbObject* pObj);
    void setDatabase(AcDbDatabase* pDb) { m_pDb = pDb; }
    void setFilerType(AcDb::FilerType type) { m_type = type; }

    // Reading starts again from the first item; the status is reset.
    void rewind();
    std::size_t byteCount() const { return m_data.size(); }
    const std::vector<unsigned char>& bytes() const { return m_data; }
    void setBytes(std::vector<unsigned char> data);
    bool atEnd() const { return m_pos >= m_data.size(); }

    // The items written, one line each, e.g. "Int16 1", "String AcDbLine",
    // "Double 2.5", "Point3d 1,2,0" (strings in UTF-8). For tests.
    std::vector<std::string> describe() const;
    static const char* typeName(ItemType type);

    Acad::ErrorStatus filerStatus() const override { return m_status; }
    AcDb::FilerType filerType() const override { return m_type; }
    void setFilerStatus(Acad::ErrorStatus es) override { m_status = es; }
    void resetFilerStatus() override { m_status = Acad::eOk; }
    AcDbDatabase* database() const override { return m_pDb; }

    Acad::ErrorStatus readHardOwnershipId(AcDbObjectId* pVal) override;
    Acad::ErrorStatus writeHardOwnershipId(const AcDbObjectId& val) override;
    Acad::ErrorStatus readSoftOwnershipId(AcDbObjectId* pVal) override;
    Acad::ErrorStatus writeSoftOwnershipId(const AcDbObjectId& val) override;
    Acad::ErrorStatus readHardPointerId(AcDbObjectId* pVal) override;
    Acad::ErrorStatus writeHardPointerId(const AcDbObjectId& val) override;
    Acad::ErrorStatus readSoftPointerId(AcDbObjectId* pVal) override;
    Acad::ErrorStatus writeSoftPointerId(const AcDbObjectId& val) override;
#if IRONVEIL_RELEASE >= 18
    Acad::ErrorStatus readInt8(Adesk::Int8* pVal) override;
    Acad::ErrorStatus writeInt8(Adesk::Int8 val) override;
#else
    Acad::ErrorStatus readChar(char* pVal) override;
    Acad::ErrorStatus writeChar(char val) override;
#endif
    Acad::ErrorStatus readString(ACHAR** pVal) override;
    Acad::ErrorStatus writeString(const ACHAR* pVal) override;
    Acad::ErrorStatus readBChunk(ads_binary* pVal) override;
    Acad::ErrorStatus writeBChunk(const ads_binary& val) override;
    Acad::ErrorStatus readAcDbHandle(AcDbHandle* pVal) override;
    Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& val) override;
    Acad::ErrorStatus readInt32(Adesk::Int32* pVal) override;
    Acad::ErrorStatus writeInt32(Adesk::Int32 val) override;
    Acad::ErrorStatus readInt16(Adesk::Int16* pVal) override;
    Acad::ErrorStatus writeInt16(Adesk::Int16 val) override;
    Acad::ErrorStatus readUInt32(Adesk::UInt32* pVal) override;
    Acad::ErrorStatus writeUInt32(Adesk::UInt32 val) override;
    Acad::ErrorStatus readUInt16(Adesk::UInt16* pVal) override;
    Acad::ErrorStatus writeUInt16(Adesk::UInt16 val) override;
    Acad::ErrorStatus readUInt8(Adesk::UInt8* pVal) override;
    Acad::ErrorStatus writeUInt8(Adesk::UInt8 val) override;
    Acad::ErrorStatus readBoolean(Adesk::Boolean* pVal) override;
    Acad::ErrorStatus writeBoolean(Adesk::Boolean val) override;
    Acad::ErrorStatus readBool(bool* pVal) override;
    Acad::ErrorStatus writeBool(bool val) override;
    Acad::ErrorStatus readDouble(double* pVal) override;
    Acad::ErrorStatus writeDouble(double val) override;
    Acad::ErrorStatus readPoint2d(AcGePoint2d* pVal) override;
    Acad::ErrorStatus writePoint2d(const AcGePoint2d& val) override;
    Acad::ErrorStatus readPoint3d(AcGePoint3d* pVal) override;
    Acad::ErrorStatus writePoint3d(const AcGePoint3d& val) override;
    Acad::ErrorStatus readVector3d(AcGeVector3d* pVal) override;
    Acad::ErrorStatus writeVector3d(const AcGeVector3d& val) override;
    Acad::ErrorStatus readBytes(void* pDest, Adesk::UInt32 nBytes) override;
    Acad::ErrorStatus writeBytes(const void* pSrc, Adesk::UInt32 nBytes) override;

private:
    // Asks the fault table for "AcDbDwgFiler::<op>" and checks the status.
    Acad::ErrorStatus beginWrite(const char* site, ItemType type);
    // Also checks the next tag; on success the payload follows at m_pos.
    Acad::ErrorStatus beginRead(const char* site, ItemType type);
    void put(const void* p, std::size_t n);
    bool get(void* p, std::size_t n);
    Acad::ErrorStatus writeId(const char* site, ItemType type, const AcDbObjectId& id);
    Acad::ErrorStatus readId(const char* site, ItemType type, AcDbObjectId* pVal);
    template <class T>
    Acad::ErrorStatus writeScalar(const char* site, ItemType type, T val);
    template <class T>
    Acad::ErrorStatus readScalar(const char* site, ItemType type, T* pVal);

    AcDb::FilerType m_type;
    AcDbDatabase* m_pDb;
    Acad::ErrorStatus m_status = Acad::eOk;
    std::vector<unsigned char> m_data;
    std::size_t m_pos = 0;
    // A read past the end or of another type than was written: the host
    // stops with a fault naming the object (once per filer).
    void readFault(ItemType wanted);

    const AcDbIdMapping* m_pIdMap = nullptr;
    std::vector<Follow> m_follow;
    AcRxClass* m_pSubjectClass = nullptr;
    std::uint64_t m_subjectHandle = 0;
    bool m_faulted = false;
    bool m_hasSubject = false;
    std::size_t m_itemsRead = 0;
};

}  // namespace hs
