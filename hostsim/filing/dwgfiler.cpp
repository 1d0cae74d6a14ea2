// The typed binary DWG filer.
#include "filing/dwgfiler.h"

#include <cstring>
#include <sstream>

#include "db/dbimp.h"
#include "dbidmap.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

AcRxClass* AcDbDwgFiler::desc() {
    return static_cast<AcRxClass*>(static_cast<AcRxDictionary*>(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY))
                                       ->at(ACRX_T("AcDbDwgFiler")));
}

namespace hs {

DwgFiler::DwgFiler(AcDb::FilerType type, AcDbDatabase* pDb) : m_type(type), m_pDb(pDb) {}

DwgFiler::~DwgFiler() = default;

void DwgFiler::rewind() {
    m_pos = 0;
    m_status = Acad::eOk;
    m_faulted = false;
    m_itemsRead = 0;
}

void DwgFiler::setSubject(const AcDbObject* pObj) {
    m_hasSubject = pObj != nullptr;
    m_pSubjectClass = pObj != nullptr ? pObj->isA() : nullptr;
    m_subjectHandle = pObj != nullptr && pObj->hsStub() != nullptr ? pObj->hsStub()->handle.value() : 0;
}

void DwgFiler::readFault(ItemType wanted) {
    // Only data the host itself had an object write (copy, undo, clone,
    // translation: the filer knows its object) is the object's own data.
    if (m_faulted || !m_hasSubject)
        return;
    m_faulted = true;
    static const char* const kKinds[] = {"file", "copy",       "undo", "bag",   "id translation",
                                         "page", "deep clone", "id",   "purge", "wblock clone"};
    std::string kind = static_cast<unsigned>(m_type) < 10 ? kKinds[m_type] : "DWG";
    std::string subject =
        m_pSubjectClass != nullptr ? toUtf8(m_pSubjectClass->name()) : std::string("an object");
    if (m_subjectHandle != 0) {
        char buf[32];
        std::snprintf(buf, sizeof buf, " (handle %llX)", static_cast<unsigned long long>(m_subjectHandle));
        subject += buf;
    }
    std::string what;
    if (m_pos >= m_data.size())
        what = std::string("read ") + typeName(wanted) + " past the end of its data";
    else
        what = std::string("read ") + typeName(wanted) + " where " +
               typeName(static_cast<ItemType>(m_data[m_pos])) + " was written";
    Session::get().fault(kind + " filer: " + subject + " " + what + " after " + std::to_string(m_itemsRead) +
                         " items");
}

void DwgFiler::setBytes(std::vector<unsigned char> data) {
    m_data = std::move(data);
    rewind();
}

const char* DwgFiler::typeName(ItemType type) {
    switch (type) {
        case kInt8:
            return "Int8";
        case kString:
            return "String";
        case kBChunk:
            return "BChunk";
        case kHandle:
            return "Handle";
        case kInt32:
            return "Int32";
        case kInt16:
            return "Int16";
        case kUInt32:
            return "UInt32";
        case kUInt16:
            return "UInt16";
        case kUInt8:
            return "UInt8";
        case kBoolean:
            return "Boolean";
        case kBool:
            return "Bool";
        case kDouble:
            return "Double";
        case kPoint2d:
            return "Point2d";
        case kPoint3d:
            return "Point3d";
        case kVector3d:
            return "Vector3d";
        case kBytes:
            return "Bytes";
        case kHardOwnershipId:
            return "HardOwnershipId";
        case kSoftOwnershipId:
            return "SoftOwnershipId";
        case kHardPointerId:
            return "HardPointerId";
        case kSoftPointerId:
            return "SoftPointerId";
    }
    return "?";
}

void DwgFiler::put(const void* p, std::size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    m_data.insert(m_data.end(), b, b + n);
}

bool DwgFiler::get(void* p, std::size_t n) {
    if (m_data.size() - m_pos < n) {
        m_status = Acad::eEndOfFile;
        return false;
    }
    std::memcpy(p, m_data.data() + m_pos, n);
    m_pos += n;
    return true;
}

Acad::ErrorStatus DwgFiler::beginWrite(const char* site, ItemType type) {
    Acad::ErrorStatus es = checkFault(site);
    if (es != Acad::eOk) {
        m_status = es;
        return es;
    }
    if (m_status != Acad::eOk)
        return m_status;
    m_data.push_back(type);
    return Acad::eOk;
}

Acad::ErrorStatus DwgFiler::beginRead(const char* site, ItemType type) {
    Acad::ErrorStatus es = checkFault(site);
    if (es != Acad::eOk) {
        m_status = es;
        return es;
    }
    if (m_status != Acad::eOk)
        return m_status;
    if (m_pos >= m_data.size()) {
        readFault(type);
        m_status = Acad::eEndOfFile;
        return m_status;
    }
    if (m_data[m_pos] != type) {
        readFault(type);
        m_status = Acad::eInvalidInput;
        return m_status;
    }
    ++m_pos;
    ++m_itemsRead;
    return Acad::eOk;
}

template <class T>
Acad::ErrorStatus DwgFiler::writeScalar(const char* site, ItemType type, T val) {
    Acad::ErrorStatus es = beginWrite(site, type);
    if (es == Acad::eOk)
        put(&val, sizeof val);
    return es;
}

template <class T>
Acad::ErrorStatus DwgFiler::readScalar(const char* site, ItemType type, T* pVal) {
    T val{};
    Acad::ErrorStatus es = beginRead(site, type);
    if (es == Acad::eOk && !get(&val, sizeof val))
        es = m_status;
    if (pVal != nullptr)
        *pVal = es == Acad::eOk ? val : T{};
    return es;
}

Acad::ErrorStatus DwgFiler::writeId(const char* site, ItemType type, const AcDbObjectId& id) {
    AcDbStub* pStub = id.stub();
    Acad::ErrorStatus es = writeScalar(site, type, pStub);
    bool follow = type == kHardOwnershipId || type == kSoftOwnershipId;
    if (m_type == AcDb::kWblockCloneFiler)
        follow = type == kHardOwnershipId || type == kHardPointerId;
    else if (m_type != AcDb::kDeepCloneFiler)
        follow = false;
    if (es == Acad::eOk && follow && pStub != nullptr)
        m_follow.push_back({id, type == kHardOwnershipId || type == kSoftOwnershipId});
    return es;
}

Acad::ErrorStatus DwgFiler::readId(const char* site, ItemType type, AcDbObjectId* pVal) {
    AcDbStub* pStub = nullptr;
    Acad::ErrorStatus es = readScalar(site, type, &pStub);
    AcDbObjectId id(pStub);
    if (es == Acad::eOk && pStub != nullptr && m_pIdMap != nullptr) {
        AcDbIdPair pair(id, AcDbObjectId::kNull, false);
        if (m_pIdMap->compute(pair) && !pair.value().isNull())
            id = pair.value();
        else if (pStub->pDb != m_pDb)
            id = AcDbObjectId::kNull;
    }
    if (pVal != nullptr)
        *pVal = es == Acad::eOk ? id : AcDbObjectId::kNull;
    return es;
}

Acad::ErrorStatus DwgFiler::readHardOwnershipId(AcDbObjectId* pVal) {
    return readId("AcDbDwgFiler::readHardOwnershipId", kHardOwnershipId, pVal);
}
Acad::ErrorStatus DwgFiler::writeHardOwnershipId(const AcDbObjectId& val) {
    return writeId("AcDbDwgFiler::writeHardOwnershipId", kHardOwnershipId, val);
}
Acad::ErrorStatus DwgFiler::readSoftOwnershipId(AcDbObjectId* pVal) {
    return readId("AcDbDwgFiler::readSoftOwnershipId", kSoftOwnershipId, pVal);
}
Acad::ErrorStatus DwgFiler::writeSoftOwnershipId(const AcDbObjectId& val) {
    return writeId("AcDbDwgFiler::writeSoftOwnershipId", kSoftOwnershipId, val);
}
Acad::ErrorStatus DwgFiler::readHardPointerId(AcDbObjectId* pVal) {
    return readId("AcDbDwgFiler::readHardPointerId", kHardPointerId, pVal);
}
Acad::ErrorStatus DwgFiler::writeHardPointerId(const AcDbObjectId& val) {
    return writeId("AcDbDwgFiler::writeHardPointerId", kHardPointerId, val);
}
Acad::ErrorStatus DwgFiler::readSoftPointerId(AcDbObjectId* pVal) {
    return readId("AcDbDwgFiler::readSoftPointerId", kSoftPointerId, pVal);
}
Acad::ErrorStatus DwgFiler::writeSoftPointerId(const AcDbObjectId& val) {
    return writeId("AcDbDwgFiler::writeSoftPointerId", kSoftPointerId, val);
}

#if IRONVEIL_RELEASE >= 18
Acad::ErrorStatus DwgFiler::readInt8(Adesk::Int8* pVal) {
    return readScalar("AcDbDwgFiler::readInt8", kInt8, pVal);
}
Acad::ErrorStatus DwgFiler::writeInt8(Adesk::Int8 val) {
    return writeScalar("AcDbDwgFiler::writeInt8", kInt8, val);
}
#else
Acad::ErrorStatus DwgFiler::readChar(char* pVal) {
    return readScalar("AcDbDwgFiler::readChar", kInt8, pVal);
}
Acad::ErrorStatus DwgFiler::writeChar(char val) {
    return writeScalar("AcDbDwgFiler::writeChar", kInt8, val);
}
#endif

Acad::ErrorStatus DwgFiler::writeString(const ACHAR* pVal) {
    Acad::ErrorStatus es = beginWrite("AcDbDwgFiler::writeString", kString);
    if (es != Acad::eOk)
        return es;
    tstring s = pVal != nullptr ? tstring(pVal) : tstring();
    std::uint32_t n = static_cast<std::uint32_t>(s.size());
    put(&n, sizeof n);
    put(s.data(), n * sizeof(ACHAR));
    return Acad::eOk;
}

Acad::ErrorStatus DwgFiler::readString(ACHAR** pVal) {
    if (pVal != nullptr)
        *pVal = nullptr;
    Acad::ErrorStatus es = beginRead("AcDbDwgFiler::readString", kString);
    std::uint32_t n = 0;
    if (es != Acad::eOk || !get(&n, sizeof n))
        return m_status;
    tstring s(n, ACHAR(0));
    if (!get(&s[0], n * sizeof(ACHAR)))
        return m_status;
    if (pVal != nullptr)
        *pVal = newString(s.c_str());
    return Acad::eOk;
}

Acad::ErrorStatus DwgFiler::writeBChunk(const ads_binary& val) {
    Acad::ErrorStatus es = beginWrite("AcDbDwgFiler::writeBChunk", kBChunk);
    if (es != Acad::eOk)
        return es;
    std::int32_t n = val.clen > 0 ? val.clen : 0;
    put(&n, sizeof n);
    put(val.buf, static_cast<std::size_t>(n));
    return Acad::eOk;
}

Acad::ErrorStatus DwgFiler::readBChunk(ads_binary* pVal) {
    if (pVal != nullptr) {
        pVal->clen = 0;
        pVal->buf = nullptr;
    }
    Acad::ErrorStatus es = beginRead("AcDbDwgFiler::readBChunk", kBChunk);
    std::int32_t n = 0;
    if (es != Acad::eOk || !get(&n, sizeof n))
        return m_status;
    std::vector<char> buf(static_cast<std::size_t>(n));
    if (!get(buf.data(), buf.size()))
        return m_status;
    if (pVal != nullptr) {
        pVal->clen = static_cast<short>(n);
        pVal->buf = new char[buf.size() + 1];
        std::memcpy(pVal->buf, buf.data(), buf.size());
    }
    return Acad::eOk;
}

Acad::ErrorStatus DwgFiler::readAcDbHandle(AcDbHandle* pVal) {
    std::uint64_t v = 0;
    Acad::ErrorStatus es = readScalar("AcDbDwgFiler::readAcDbHandle", kHandle, &v);
    if (pVal != nullptr)
        *pVal = AcDbHandle(v);
    return es;
}
Acad::ErrorStatus DwgFiler::writeAcDbHandle(const AcDbHandle& val) {
    return writeScalar("AcDbDwgFiler::writeAcDbHandle", kHandle, val.value());
}
Acad::ErrorStatus DwgFiler::readInt32(Adesk::Int32* pVal) {
    return readScalar("AcDbDwgFiler::readInt32", kInt32, pVal);
}
Acad::ErrorStatus DwgFiler::writeInt32(Adesk::Int32 val) {
    return writeScalar("AcDbDwgFiler::writeInt32", kInt32, val);
}
Acad::ErrorStatus DwgFiler::readInt16(Adesk::Int16* pVal) {
    return readScalar("AcDbDwgFiler::readInt16", kInt16, pVal);
}
Acad::ErrorStatus DwgFiler::writeInt16(Adesk::Int16 val) {
    return writeScalar("AcDbDwgFiler::writeInt16", kInt16, val);
}
Acad::ErrorStatus DwgFiler::readUInt32(Adesk::UInt32* pVal) {
    return readScalar("AcDbDwgFiler::readUInt32", kUInt32, pVal);
}
Acad::ErrorStatus DwgFiler::writeUInt32(Adesk::UInt32 val) {
    return writeScalar("AcDbDwgFiler::writeUInt32", kUInt32, val);
}
Acad::ErrorStatus DwgFiler::readUInt16(Adesk::UInt16* pVal) {
    return readScalar("AcDbDwgFiler::readUInt16", kUInt16, pVal);
}
Acad::ErrorStatus DwgFiler::writeUInt16(Adesk::UInt16 val) {
    return writeScalar("AcDbDwgFiler::writeUInt16", kUInt16, val);
}
Acad::ErrorStatus DwgFiler::readUInt8(Adesk::UInt8* pVal) {
    return readScalar("AcDbDwgFiler::readUInt8", kUInt8, pVal);
}
Acad::ErrorStatus DwgFiler::writeUInt8(Adesk::UInt8 val) {
    return writeScalar("AcDbDwgFiler::writeUInt8", kUInt8, val);
}
Acad::ErrorStatus DwgFiler::readBoolean(Adesk::Boolean* pVal) {
    return readScalar("AcDbDwgFiler::readBoolean", kBoolean, pVal);
}
Acad::ErrorStatus DwgFiler::writeBoolean(Adesk::Boolean val) {
    return writeScalar("AcDbDwgFiler::writeBoolean", kBoolean, val);
}
Acad::ErrorStatus DwgFiler::readBool(bool* pVal) {
    return readScalar("AcDbDwgFiler::readBool", kBool, pVal);
}
Acad::ErrorStatus DwgFiler::writeBool(bool val) {
    return writeScalar("AcDbDwgFiler::writeBool", kBool, val);
}
Acad::ErrorStatus DwgFiler::readDouble(double* pVal) {
    return readScalar("AcDbDwgFiler::readDouble", kDouble, pVal);
}
Acad::ErrorStatus DwgFiler::writeDouble(double val) {
    return writeScalar("AcDbDwgFiler::writeDouble", kDouble, val);
}
Acad::ErrorStatus DwgFiler::readPoint2d(AcGePoint2d* pVal) {
    return readScalar("AcDbDwgFiler::readPoint2d", kPoint2d, pVal);
}
Acad::ErrorStatus DwgFiler::writePoint2d(const AcGePoint2d& val) {
    return writeScalar("AcDbDwgFiler::writePoint2d", kPoint2d, val);
}
Acad::ErrorStatus DwgFiler::readPoint3d(AcGePoint3d* pVal) {
    return readScalar("AcDbDwgFiler::readPoint3d", kPoint3d, pVal);
}
Acad::ErrorStatus DwgFiler::writePoint3d(const AcGePoint3d& val) {
    return writeScalar("AcDbDwgFiler::writePoint3d", kPoint3d, val);
}
Acad::ErrorStatus DwgFiler::readVector3d(AcGeVector3d* pVal) {
    return readScalar("AcDbDwgFiler::readVector3d", kVector3d, pVal);
}
Acad::ErrorStatus DwgFiler::writeVector3d(const AcGeVector3d& val) {
    return writeScalar("AcDbDwgFiler::writeVector3d", kVector3d, val);
}

Acad::ErrorStatus DwgFiler::writeBytes(const void* pSrc, Adesk::UInt32 nBytes) {
    Acad::ErrorStatus es = beginWrite("AcDbDwgFiler::writeBytes", kBytes);
    if (es != Acad::eOk)
        return es;
    std::uint32_t n = nBytes;
    put(&n, sizeof n);
    put(pSrc, n);
    return Acad::eOk;
}

Acad::ErrorStatus DwgFiler::readBytes(void* pDest, Adesk::UInt32 nBytes) {
    Acad::ErrorStatus es = beginRead("AcDbDwgFiler::readBytes", kBytes);
    std::uint32_t n = 0;
    if (es != Acad::eOk || !get(&n, sizeof n))
        return m_status;
    if (n != nBytes) {
        m_status = Acad::eInvalidInput;
        return m_status;
    }
    get(pDest, n);
    return m_status;
}

namespace {

std::string formatDouble(double d) {
    std::ostringstream os;
    os.precision(17);
    os << d;
    return os.str();
}

}  // namespace

std::vector<std::string> DwgFiler::describe() const {
    std::vector<std::string> out;
    std::size_t pos = 0;
    auto take = [&](void* p, std::size_t n) {
        if (m_data.size() - pos < n)
            return false;
        std::memcpy(p, m_data.data() + pos, n);
        pos += n;
        return true;
    };
    while (pos < m_data.size()) {
        ItemType type = static_cast<ItemType>(m_data[pos++]);
        std::string line = typeName(type);
        bool ok = true;
        switch (type) {
            case kInt8: {
                Adesk::Int8 v = 0;
                ok = take(&v, sizeof v);
                line += " " + std::to_string(static_cast<int>(v));
                break;
            }
            case kString: {
                std::uint32_t n = 0;
                ok = take(&n, sizeof n);
                tstring s(n, ACHAR(0));
                ok = ok && take(&s[0], n * sizeof(ACHAR));
                line += " " + toUtf8(s);
                break;
            }
            case kBChunk: {
                std::int32_t n = 0;
                ok = take(&n, sizeof n);
                pos += static_cast<std::size_t>(n);
                line += " " + std::to_string(n);
                break;
            }
            case kBytes: {
                std::uint32_t n = 0;
                ok = take(&n, sizeof n);
                pos += n;
                line += " " + std::to_string(n);
                break;
            }
            case kHandle: {
                std::uint64_t v = 0;
                ok = take(&v, sizeof v);
                line += " " + std::to_string(v);
                break;
            }
            case kInt32:
            case kUInt32:
            case kBoolean: {
                std::int32_t v = 0;
                ok = take(&v, sizeof v);
                line += " " +
                        (type == kUInt32 ? std::to_string(static_cast<std::uint32_t>(v)) : std::to_string(v));
                break;
            }
            case kInt16: {
                std::int16_t v = 0;
                ok = take(&v, sizeof v);
                line += " " + std::to_string(v);
                break;
            }
            case kUInt16: {
                std::uint16_t v = 0;
                ok = take(&v, sizeof v);
                line += " " + std::to_string(v);
                break;
            }
            case kUInt8:
            case kBool: {
                std::uint8_t v = 0;
                ok = take(&v, sizeof v);
                line += " " + std::to_string(v);
                break;
            }
            case kDouble: {
                double v = 0;
                ok = take(&v, sizeof v);
                line += " " + formatDouble(v);
                break;
            }
            case kPoint2d: {
                AcGePoint2d v;
                ok = take(&v, sizeof v);
                line += " " + formatDouble(v.x) + "," + formatDouble(v.y);
                break;
            }
            case kPoint3d:
            case kVector3d: {
                double v[3] = {0, 0, 0};
                ok = take(v, sizeof v);
                line += " " + formatDouble(v[0]) + "," + formatDouble(v[1]) + "," + formatDouble(v[2]);
                break;
            }
            case kHardOwnershipId:
            case kSoftOwnershipId:
            case kHardPointerId:
            case kSoftPointerId: {
                AcDbStub* p = nullptr;
                ok = take(&p, sizeof p);
                line += " " + std::to_string(p != nullptr ? p->handle.value() : 0);
                break;
            }
            default:
                ok = false;
        }
        if (!ok)
            break;
        out.push_back(line);
    }
    return out;
}

}  // namespace hs
