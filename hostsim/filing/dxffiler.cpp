// The group-code DXF filer and the conversions between file tags and items.
#include "filing/dxffiler.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <type_traits>

#include "adscodes.h"
#include "db/dbimp.h"
#include "hostsim/faults.h"
#include "hostsim/text.h"

AcRxClass* AcDbDxfFiler::desc() {
    return static_cast<AcRxClass*>(static_cast<AcRxDictionary*>(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY))
                                       ->at(ACRX_T("AcDbDxfFiler")));
}

Acad::ErrorStatus AcDbDxfFiler::setError(Acad::ErrorStatus es, const ACHAR*, ...) {
    return es;
}

Acad::ErrorStatus AcDbDxfFiler::setError(const ACHAR*, ...) {
    return Acad::eOk;
}

const ACHAR* AcDbDxfFiler::errorMessage() const {
    return ACRX_T("");
}

namespace hs {

namespace {

bool in(int code, int lo, int hi) {
    return code >= lo && code <= hi;
}

bool compatible(DxfKind want, DxfKind have) {
    auto isInt = [](DxfKind k) {
        return k == DxfKind::kInt16 || k == DxfKind::kInt32 || k == DxfKind::kInt64 || k == DxfKind::kBool;
    };
    if (want == have)
        return true;
    if (isInt(want) && isInt(have))
        return true;
    if ((want == DxfKind::kHandle || want == DxfKind::kObjectId) &&
        (have == DxfKind::kHandle || have == DxfKind::kObjectId))
        return true;
    return false;
}

std::string hexHandle(std::uint64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(v));
    return buf;
}

std::string trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return std::string();
    std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool parseDouble(const std::string& text, double& v) {
    std::string t = trim(text);
    if (t.empty())
        return false;
    char* end = nullptr;
    v = std::strtod(t.c_str(), &end);
    return end != nullptr && *end == '\0';
}

bool parseInt(const std::string& text, long long& v) {
    std::string t = trim(text);
    if (t.empty())
        return false;
    char* end = nullptr;
    v = std::strtoll(t.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

}  // namespace

namespace {

DxfKind kindByRange(int code) {
    if (code == 5 || code == 105 || in(code, 320, 329) || in(code, 480, 481))
        return DxfKind::kHandle;
    if (in(code, 0, 9) || in(code, 100, 102) || in(code, 300, 309) || in(code, 410, 419) ||
        in(code, 430, 439) || in(code, 470, 479) || code == 999 || in(code, 1000, 1009))
        return DxfKind::kString;
    if (in(code, 310, 319) || code == 1004)
        return DxfKind::kBinary;
    if (in(code, 330, 369) || in(code, 390, 399))
        return DxfKind::kObjectId;
    if (dxfIsPointCode(code))
        return DxfKind::kPoint;
    if (in(code, 10, 59) || in(code, 110, 149) || in(code, 210, 239) || in(code, 460, 469) ||
        in(code, 1010, 1059))
        return DxfKind::kReal;
    if (in(code, 60, 79) || in(code, 170, 179) || in(code, 270, 289) || in(code, 370, 389) ||
        in(code, 400, 409) || in(code, 1060, 1070))
        return DxfKind::kInt16;
    if (in(code, 290, 299))
        return DxfKind::kBool;
    if (in(code, 90, 99) || in(code, 420, 429) || in(code, 440, 459) || code == 1071)
        return DxfKind::kInt32;
    if (in(code, 160, 169))
        return DxfKind::kInt64;
    return DxfKind::kString;
}

// Asked for every item read or written: a table of the codes that exist.
struct KindTable {
    static constexpr int kFirst = -5, kLast = 1071;
    DxfKind kinds[kLast - kFirst + 1];
    KindTable() {
        for (int c = kFirst; c <= kLast; ++c)
            kinds[c - kFirst] = kindByRange(c);
    }
};

}  // namespace

DxfKind dxfKindOf(int code) {
    static const KindTable table;
    if (code >= KindTable::kFirst && code <= KindTable::kLast)
        return table.kinds[code - KindTable::kFirst];
    return kindByRange(code);
}

bool dxfIsPointCode(int code) {
    return in(code, 10, 18) || in(code, 110, 112) || code == 210 || in(code, 1010, 1013);
}

DxfItem DxfItem::str(int code, const std::string& utf8) {
    DxfItem it;
    it.code = code;
    it.text = utf8;
    return it;
}

DxfItem DxfItem::dbl(int code, double v) {
    DxfItem it;
    it.code = code;
    it.real = v;
    return it;
}

DxfItem DxfItem::pt(int code, const AcGePoint3d& p) {
    DxfItem it;
    it.code = code;
    it.point = p;
    return it;
}

DxfItem DxfItem::num(int code, long long v) {
    DxfItem it;
    it.code = code;
    it.integer = v;
    return it;
}

DxfItem DxfItem::handle(int code, const std::string& hex) {
    DxfItem it;
    it.code = code;
    it.text = hex;
    return it;
}

std::string formatDxfDouble(double v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, res.ptr);
    if (s.find_first_of(".eEn") == std::string::npos)
        s += ".0";
    return s;
}

bool sameText(const std::string& utf8, const ACHAR* text) {
    if (text == nullptr)
        return utf8.empty();
    std::size_t i = 0;
    for (; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80)
            return utf8 == toUtf8(text);
        if (text[i] == 0 || text[i] != static_cast<ACHAR>(c))
            return false;
    }
    return text[i] == 0;
}

std::string DxfItem::valueText() const {
    switch (dxfKindOf(code)) {
        case DxfKind::kReal:
            return formatDxfDouble(real);
        case DxfKind::kPoint:
            return formatDxfDouble(point.x) + "," + formatDxfDouble(point.y) + "," + formatDxfDouble(point.z);
        case DxfKind::kInt16:
        case DxfKind::kInt32:
        case DxfKind::kInt64:
        case DxfKind::kBool:
            return std::to_string(integer);
        default:
            return text;
    }
}

bool itemsFromTags(const std::vector<std::pair<int, std::string>>& tags, std::vector<DxfItem>& items,
                   std::string* pError) {
    auto fail = [&](std::size_t i, const char* what) {
        if (pError != nullptr)
            *pError = "group " + std::to_string(tags[i].first) + ": " + what + " \"" + tags[i].second + "\"";
        return false;
    };
    for (std::size_t i = 0; i < tags.size(); ++i) {
        int code = tags[i].first;
        const std::string& text = tags[i].second;
        DxfItem it;
        it.code = code;
        switch (dxfKindOf(code)) {
            case DxfKind::kPoint: {
                if (!parseDouble(text, it.point.x))
                    return fail(i, "not a number");
                if (i + 1 < tags.size() && tags[i + 1].first == code + 10) {
                    ++i;
                    if (!parseDouble(tags[i].second, it.point.y))
                        return fail(i, "not a number");
                }
                if (i + 1 < tags.size() && tags[i + 1].first == code + 20) {
                    ++i;
                    if (!parseDouble(tags[i].second, it.point.z))
                        return fail(i, "not a number");
                } else {
                    it.dims = 2;
                }
                break;
            }
            case DxfKind::kReal:
                if (!parseDouble(text, it.real))
                    return fail(i, "not a number");
                break;
            case DxfKind::kInt16:
            case DxfKind::kInt32:
            case DxfKind::kInt64:
            case DxfKind::kBool:
                if (!parseInt(text, it.integer)) {
                    double d = 0;
                    if (!parseDouble(text, d))
                        return fail(i, "not an integer");
                    it.integer = static_cast<long long>(d);
                }
                break;
            case DxfKind::kHandle:
            case DxfKind::kObjectId:
                it.text = upper(trim(text));
                break;
            default:
                it.text = text;
        }
        items.push_back(it);
    }
    return true;
}

std::vector<std::pair<int, std::string>> tagsFromItems(const std::vector<DxfItem>& items) {
    std::vector<std::pair<int, std::string>> tags;
    for (const DxfItem& it : items) {
        if (dxfKindOf(it.code) == DxfKind::kPoint) {
            tags.emplace_back(it.code, formatDxfDouble(it.point.x));
            tags.emplace_back(it.code + 10, formatDxfDouble(it.point.y));
            if (it.dims == 3)
                tags.emplace_back(it.code + 20, formatDxfDouble(it.point.z));
        } else {
            tags.emplace_back(it.code, it.valueText());
        }
    }
    return tags;
}

// ---- the filer ----

DxfFiler::DxfFiler(AcDb::FilerType type, AcDbDatabase* pDb, std::vector<DxfItem> items)
    : m_type(type), m_pDb(pDb), m_items(std::move(items)) {}

DxfFiler::~DxfFiler() = default;

void DxfFiler::resetFilerStatus() {
    m_status = Acad::eOk;
    m_error.clear();
}

int DxfFiler::rewindFiler() {
    m_pos = 0;
    m_canPushBack = false;
    return 0;
}

namespace {

std::basic_string<ACHAR> formatV(const ACHAR* fmt, va_list ap) {
    if (fmt == nullptr)
        return {};
    ACHAR buf[1024];
#if HOSTSIM_WIDE
    int n = std::vswprintf(buf, sizeof buf / sizeof buf[0], fmt, ap);
#else
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
#endif
    if (n < 0)
        return fmt;
    return buf;
}

}  // namespace

Acad::ErrorStatus DxfFiler::setError(Acad::ErrorStatus es, const ACHAR* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    m_error = formatV(fmt, ap);
    va_end(ap);
    m_status = es;
    return es;
}

Acad::ErrorStatus DxfFiler::setError(const ACHAR* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    m_error = formatV(fmt, ap);
    va_end(ap);
    return m_status;
}

std::vector<std::string> DxfFiler::describe() const {
    std::vector<std::string> out;
    for (const DxfItem& it : m_items)
        out.push_back(std::to_string(it.code) + " " + it.valueText());
    return out;
}

Acad::ErrorStatus DxfFiler::readResBuf(resbuf* pRb) {
    Acad::ErrorStatus es = checkFault("AcDbDxfFiler::readResBuf");
    if (es != Acad::eOk) {
        m_status = es;
        return es;
    }
    return readResBufQuiet(pRb);
}

Acad::ErrorStatus DxfFiler::readResBufQuiet(resbuf* pRb) {
    if (m_status != Acad::eOk)
        return m_status;
    if (pRb == nullptr)
        return Acad::eNullObjectPointer;
    while (m_pos < m_items.size() && m_items[m_pos].raw)
        ++m_pos;
    // The end of the list, the start of the next object, or the object's
    // extended data (the file reader's, from its first application name to
    // the end of the record) ends this object's data.
    if (atEndOfObject()) {
        m_canPushBack = false;
        return Acad::eEndOfFile;
    }
    DxfItem& it = m_items[m_pos++];
    it.used = true;
    m_canPushBack = true;
    pRb->rbnext = nullptr;
    pRb->restype = static_cast<short>(it.code);
    switch (dxfKindOf(it.code)) {
        case DxfKind::kReal:
            pRb->resval.rreal = it.real;
            break;
        case DxfKind::kPoint:
            pRb->resval.rpoint[0] = it.point.x;
            pRb->resval.rpoint[1] = it.point.y;
            pRb->resval.rpoint[2] = it.point.z;
            break;
        case DxfKind::kInt16:
        case DxfKind::kBool:
            pRb->resval.rint = static_cast<short>(it.integer);
            break;
        case DxfKind::kInt32:
            pRb->resval.rlong = static_cast<long>(it.integer);
            break;
        case DxfKind::kInt64:
#if IRONVEIL_RELEASE >= 19
            pRb->resval.mnInt64 = it.integer;
#else
            pRb->resval.rlong = static_cast<long>(it.integer);
#endif
            break;
        case DxfKind::kObjectId: {
            if (it.id.isNull() && !it.text.empty() && m_pDb != nullptr) {
                std::uint64_t h = it.integer != 0 ? static_cast<std::uint64_t>(it.integer)
                                                  : std::strtoull(it.text.c_str(), nullptr, 16);
                if (h != 0)
                    m_pDb->getAcDbObjectId(it.id, true, AcDbHandle(h));
            }
            pRb->resval.rlname[0] = static_cast<std::remove_reference_t<decltype(pRb->resval.rlname[0])>>(
                reinterpret_cast<std::intptr_t>(it.id.stub()));
            pRb->resval.rlname[1] = it.id.isNull() ? 0 : kFilerIdNameTag;
            break;
        }
        case DxfKind::kBinary: {
            std::string bytes;
            for (std::size_t i = 0; i + 1 < it.text.size(); i += 2)
                bytes.push_back(static_cast<char>(std::strtol(it.text.substr(i, 2).c_str(), nullptr, 16)));
            m_chunks.push_back(bytes);
            pRb->resval.rbinary.clen = static_cast<short>(m_chunks.back().size());
            pRb->resval.rbinary.buf = &m_chunks.back()[0];
            break;
        }
        default:
            pRb->resval.rstring = keepString(it.text);
    }
    return Acad::eOk;
}

void DxfFiler::reuse(AcDbDatabase* pDb) {
    m_pDb = pDb;
    m_items.clear();
    m_pos = 0;
    m_canPushBack = false;
    m_leaveUnknown = false;
    resetFilerStatus();
    // Keep the first block of strings for the next object.
    if (m_stringBlocks.size() > 1)
        m_stringBlocks.resize(1);
    m_blockUsed = 0;
    m_blockSize = m_stringBlocks.empty() ? 0 : kStringBlock;
    m_longStrings.clear();
    m_chunks.clear();
}

ACHAR* DxfFiler::keepString(const std::string& utf8) {
    bool ascii = true;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (!ascii || utf8.size() >= kStringBlock / 4) {
        m_longStrings.push_back(fromUtf8(utf8));
        return &m_longStrings.back()[0];
    }
    std::size_t need = utf8.size() + 1;
    if (m_blockSize - m_blockUsed < need) {
        m_stringBlocks.emplace_back(new ACHAR[kStringBlock]);
        m_blockUsed = 0;
        m_blockSize = kStringBlock;
    }
    ACHAR* out = m_stringBlocks.back().get() + m_blockUsed;
    for (std::size_t i = 0; i < utf8.size(); ++i)
        out[i] = static_cast<ACHAR>(utf8[i]);
    out[utf8.size()] = 0;
    m_blockUsed += need;
    return out;
}

Acad::ErrorStatus DxfFiler::pushBackItem() {
    if (!m_canPushBack || m_pos == 0)
        return Acad::eInvalidInput;
    --m_pos;
    m_items[m_pos].used = false;
    m_canPushBack = false;
    return Acad::eOk;
}

void DxfFiler::leaveLastItem() {
    if (m_canPushBack && m_pos > 0)
        m_items[m_pos - 1].used = false;
    m_canPushBack = false;
}

Acad::ErrorStatus DxfFiler::put(const char* site, DxfItem item) {
    Acad::ErrorStatus es = checkFault(site);
    if (es != Acad::eOk) {
        m_status = es;
        return es;
    }
    if (m_status != Acad::eOk)
        return m_status;
    m_items.push_back(std::move(item));
    return Acad::eOk;
}

Acad::ErrorStatus DxfFiler::writeResBuf(const resbuf& rb) {
    DxfItem it;
    it.code = rb.restype;
    switch (dxfKindOf(rb.restype)) {
        case DxfKind::kReal:
            it.real = rb.resval.rreal;
            break;
        case DxfKind::kPoint:
            it.point.set(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
            break;
        case DxfKind::kInt16:
        case DxfKind::kBool:
            it.integer = rb.resval.rint;
            break;
        case DxfKind::kInt32:
        case DxfKind::kInt64:
            it.integer = rb.resval.rlong;
            break;
        case DxfKind::kObjectId:
            // An entity name of the editor, or an id as the filer gave it.
            if (rb.resval.rlname[1] == kFilerIdNameTag || rb.resval.rlname[1] == 0)
                it.id = AcDbObjectId(
                    reinterpret_cast<AcDbStub*>(static_cast<std::intptr_t>(rb.resval.rlname[0])));
            else if (acdbGetObjectId(it.id, rb.resval.rlname) != Acad::eOk)
                it.id = AcDbObjectId::kNull;
            it.text = hexHandle(it.id.isNull() ? 0 : it.id.handle().value());
            break;
        case DxfKind::kBinary:
            for (short i = 0; i < rb.resval.rbinary.clen; ++i) {
                char b[3];
                std::snprintf(b, sizeof b, "%02X", static_cast<unsigned char>(rb.resval.rbinary.buf[i]));
                it.text += b;
            }
            break;
        default:
            it.text = rb.resval.rstring != nullptr ? toUtf8(rb.resval.rstring) : std::string();
    }
    return put("AcDbDxfFiler::writeResBuf", it);
}

#define HS_DXF_CHECK_KIND(code, kind)             \
    do {                                          \
        if (!compatible(dxfKindOf(code), kind)) { \
            m_status = Acad::eInvalidDxfCode;     \
            return m_status;                      \
        }                                         \
    } while (0)

Acad::ErrorStatus DxfFiler::writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) {
    HS_DXF_CHECK_KIND(code, DxfKind::kObjectId);
    DxfItem it = DxfItem::handle(code, hexHandle(id.isNull() ? 0 : id.handle().value()));
    it.id = id;
    return put("AcDbDxfFiler::writeObjectId", it);
}

Acad::ErrorStatus DxfFiler::writeInt8(AcDb::DxfCode code, Adesk::Int8 val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kInt16);
    return put("AcDbDxfFiler::writeInt8", DxfItem::num(code, val));
}

Acad::ErrorStatus DxfFiler::writeString(AcDb::DxfCode code, const ACHAR* pVal) {
    HS_DXF_CHECK_KIND(code, DxfKind::kString);
    return put("AcDbDxfFiler::writeString",
               DxfItem::str(code, pVal != nullptr ? toUtf8(pVal) : std::string()));
}

Acad::ErrorStatus DxfFiler::writeInt32(AcDb::DxfCode code, Adesk::Int32 val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kInt32);
    return put("AcDbDxfFiler::writeInt32", DxfItem::num(code, val));
}

Acad::ErrorStatus DxfFiler::writeInt16(AcDb::DxfCode code, Adesk::Int16 val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kInt16);
    return put("AcDbDxfFiler::writeInt16", DxfItem::num(code, val));
}

Acad::ErrorStatus DxfFiler::writeUInt32(AcDb::DxfCode code, Adesk::UInt32 val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kInt32);
    return put("AcDbDxfFiler::writeUInt32", DxfItem::num(code, val));
}

Acad::ErrorStatus DxfFiler::writeUInt16(AcDb::DxfCode code, Adesk::UInt16 val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kInt16);
    return put("AcDbDxfFiler::writeUInt16", DxfItem::num(code, val));
}

Acad::ErrorStatus DxfFiler::writeUInt8(AcDb::DxfCode code, Adesk::UInt8 val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kInt16);
    return put("AcDbDxfFiler::writeUInt8", DxfItem::num(code, val));
}

Acad::ErrorStatus DxfFiler::writeBool(AcDb::DxfCode code, bool val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kBool);
    return put("AcDbDxfFiler::writeBool", DxfItem::num(code, val ? 1 : 0));
}

Acad::ErrorStatus DxfFiler::writeDouble(AcDb::DxfCode code, double val, int) {
    HS_DXF_CHECK_KIND(code, DxfKind::kReal);
    return put("AcDbDxfFiler::writeDouble", DxfItem::dbl(code, val));
}

Acad::ErrorStatus DxfFiler::writePoint2d(AcDb::DxfCode code, const AcGePoint2d& val, int) {
    HS_DXF_CHECK_KIND(code, DxfKind::kPoint);
    DxfItem it = DxfItem::pt(code, AcGePoint3d(val.x, val.y, 0.0));
    it.dims = 2;
    return put("AcDbDxfFiler::writePoint2d", it);
}

Acad::ErrorStatus DxfFiler::writePoint3d(AcDb::DxfCode code, const AcGePoint3d& val, int) {
    HS_DXF_CHECK_KIND(code, DxfKind::kPoint);
    return put("AcDbDxfFiler::writePoint3d", DxfItem::pt(code, val));
}

Acad::ErrorStatus DxfFiler::writeVector3d(AcDb::DxfCode code, const AcGeVector3d& val, int) {
    HS_DXF_CHECK_KIND(code, DxfKind::kPoint);
    return put("AcDbDxfFiler::writeVector3d", DxfItem::pt(code, AcGePoint3d(val.x, val.y, val.z)));
}

Acad::ErrorStatus DxfFiler::writeAcDbHandle(AcDb::DxfCode code, const AcDbHandle& val) {
    HS_DXF_CHECK_KIND(code, DxfKind::kHandle);
    return put("AcDbDxfFiler::writeAcDbHandle", DxfItem::handle(code, hexHandle(val.value())));
}

bool DxfFiler::atEOF() {
    return m_pos >= m_items.size();
}

bool DxfFiler::atSubclassData(const ACHAR* subClassName) {
    if (m_pos >= m_items.size() || m_items[m_pos].code != AcDb::kDxfSubclass || subClassName == nullptr)
        return false;
    if (!sameText(m_items[m_pos].text, subClassName))
        return false;
    m_items[m_pos++].used = true;
    m_canPushBack = false;
    return true;
}

bool DxfFiler::atExtendedData() {
    return m_pos < m_items.size() && m_items[m_pos].code >= 1000;
}

bool DxfFiler::atEndOfObject() {
    return m_pos >= m_items.size() || m_items[m_pos].code == 0 || m_items[m_pos].code == AcDb::kDxfRegAppName;
}

bool DxfFiler::atEmbeddedObjectStart() {
    if (m_pos >= m_items.size() || m_items[m_pos].code != AcDb::kDxfEmbeddedObjectStart ||
        m_items[m_pos].text != "Embedded Object")
        return false;
    m_items[m_pos++].used = true;
    m_leaveUnknown = false;
    m_canPushBack = false;
    return true;
}

Acad::ErrorStatus DxfFiler::writeEmbeddedObjectStart() {
    return put("AcDbDxfFiler::writeEmbeddedObjectStart",
               DxfItem::str(AcDb::kDxfEmbeddedObjectStart, "Embedded Object"));
}

}  // namespace hs
