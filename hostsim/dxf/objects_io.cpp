// Between file tags and database objects.
#include "dxf/objects_io.h"

#include <algorithm>
#include <cstdio>

#include "filing/dxffiler.h"
#include "hostsim/text.h"

namespace hs {
namespace dxf {

namespace {

[[maybe_unused]] void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

[[maybe_unused]] int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

[[maybe_unused]] bool isPlainAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\\')
            return false;
    return true;
}

// The handle in upper-case hexadecimal, as files write it.
void appendHandle(std::string& out, std::uint64_t h) {
    char buf[24];
    char* end = buf + sizeof buf;
    char* p = end;
    do {
        *--p = "0123456789ABCDEF"[h & 15];
        h >>= 4;
    } while (h != 0);
    out.assign(p, static_cast<size_t>(end - p));
}

}  // namespace

std::string TextCodec::decode(std::string_view raw) const {
    std::string out;
    decodeInto(raw, out);
    return out;
}

void TextCodec::decodeInto(std::string_view raw, std::string& out) const {
#if !HOSTSIM_WIDE
    out.assign(raw);
#else
    if (isPlainAscii(raw)) {
        out.assign(raw);
        return;
    }
    out.clear();
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c == '\\' && i + 7 <= raw.size() && raw.substr(i, 3) == "\\U+") {
            unsigned cp = 0;
            bool ok = true;
            for (size_t k = 3; k < 7; ++k) {
                int d = hexDigit(raw[i + k]);
                ok = ok && d >= 0;
                cp = cp * 16 + static_cast<unsigned>(d < 0 ? 0 : d);
            }
            if (ok) {
                appendUtf8(out, cp);
                i += 6;
                continue;
            }
        }
        if (c < 0x80 || m_utf8)
            out.push_back(static_cast<char>(c));
        else
            appendUtf8(out, c);  // 8-bit text read as Latin-1
    }
#endif
}

std::string TextCodec::encode(const std::string& utf8) const {
#if !HOSTSIM_WIDE
    return utf8;
#else
    if (m_utf8 || isPlainAscii(utf8))
        return utf8;
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned cp = extra == 3 ? (c & 0x07) : extra == 2 ? (c & 0x0F) : (c & 0x1F);
        size_t k = 1;
        for (; k <= static_cast<size_t>(extra) && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += k;
        if (extra == 0 || cp > 0xFFFF) {
            out.push_back('?');
            continue;
        }
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\U+%04X", cp);
        out += buf;
    }
    return out;
#endif
}

std::string dxfNameOf(const AcRxClass* pClass) {
    if (pClass == nullptr || pClass->dxfName() == nullptr)
        return std::string();
    return toUtf8(pClass->dxfName());
}

AcRxClass* classForDxfName(const std::string& dxfName,
                           const std::map<std::string, std::string>& fileClasses) {
    AcRxDictionary* pDict = acrxClassDictionary;
    if (pDict == nullptr)
        return nullptr;
    std::string key = upper(dxfName);
    auto it = fileClasses.find(key);
    if (it != fileClasses.end()) {
        AcRxClass* pClass = static_cast<AcRxClass*>(pDict->at(fromUtf8(it->second).c_str()));
        if (pClass != nullptr && equalsNoCase(dxfNameOf(pClass), dxfName))
            return pClass;
    }
    // The dictionary gives its entries by number; walk them all once per call.
    const Adesk::UInt32 n = pDict->numEntries();
    Adesk::UInt32 seen = 0;
    for (Adesk::UInt32 id = 0; seen < n && id < n + 1024; ++id) {
        AcRxObject* pObj = pDict->at(id);
        if (pObj == nullptr)
            continue;
        ++seen;
        AcRxClass* pClass = static_cast<AcRxClass*>(pObj);
        if (pClass != nullptr && equalsNoCase(dxfNameOf(pClass), dxfName))
            return pClass;
    }
    return nullptr;
}

FilerCache::FilerCache() = default;
FilerCache::~FilerCache() = default;

DxfFiler& FilerCache::get(AcDbDatabase* pDb) {
    if (!m_filer)
        m_filer.reset(new DxfFiler(AcDb::kFileFiler, pDb));
    m_filer->reuse(pDb);
    return *m_filer;
}

Acad::ErrorStatus readObject(AcDbObject* pObj, AcDbDatabase* pDb, const RawTag* begin, const RawTag* end,
                             const TextCodec& codec, std::string& error, FilerCache* pCache) {
    FilerCache local;
    DxfFiler& filer = (pCache != nullptr ? *pCache : local).get(pDb);
    std::vector<DxfItem>& items = filer.items();
    items.reserve(static_cast<size_t>(end - begin));
    auto bad = [&](const RawTag& t, const char* what) {
        error = "line " + std::to_string(t.line) + ": expected " + what + " for group code " +
                std::to_string(t.code) + ", found \"" + std::string(t.value.substr(0, 40)) + "\"";
        return Acad::eInvalidDxfCode;
    };
    for (const RawTag* p = begin; p != end; ++p) {
        DxfItem& it = items.emplace_back();
        it.code = p->code;
        switch (dxfKindOf(p->code)) {
            case DxfKind::kPoint:
                if (!parseDouble(p->value, it.point.x))
                    return bad(*p, "a number");
                it.dims = 2;
                if (p + 1 != end && p[1].code == p->code + 10) {
                    ++p;
                    if (!parseDouble(p->value, it.point.y))
                        return bad(*p, "a number");
                    if (p + 1 != end && p[1].code == p->code + 10) {
                        ++p;
                        if (!parseDouble(p->value, it.point.z))
                            return bad(*p, "a number");
                        it.dims = 3;
                    }
                }
                break;
            case DxfKind::kReal:
                if (!parseDouble(p->value, it.real))
                    return bad(*p, "a number");
                break;
            case DxfKind::kInt16:
            case DxfKind::kInt32:
            case DxfKind::kInt64:
            case DxfKind::kBool: {
                double d = 0;
                if (!parseInt(p->value, it.integer)) {
                    // Some programs write integers with a decimal point.
                    if (!parseDouble(p->value, d) || !(d > -9.2e18 && d < 9.2e18))
                        return bad(*p, "an integer");
                    it.integer = static_cast<long long>(d);
                }
                break;
            }
            case DxfKind::kHandle:
            case DxfKind::kObjectId: {
                std::uint64_t h = 0;
                if (!p->value.empty() && !parseHandle(p->value, h))
                    return bad(*p, "a handle");
                appendHandle(it.text, h);
                it.integer = static_cast<long long>(h);  // spares parsing the text again
                break;
            }
            case DxfKind::kBinary:
                it.text.assign(p->value);
                break;
            default:
                codec.decodeInto(p->value, it.text);
        }
    }
    Acad::ErrorStatus es = pObj->dxfInFields(&filer);
    if (es == Acad::eOk)
        es = filer.filerStatus();
    if (es != Acad::eOk) {
        error = std::string("the object's reading failed: ") + toUtf8(acadErrorStatusText(es));
        std::string detail = toUtf8(filer.errorMessage());
        if (!detail.empty())
            error += " (" + detail + ")";
        size_t pos = filer.position();
        if (begin != end) {
            const RawTag& at = begin[std::min(pos, static_cast<size_t>(end - begin - 1))];
            error = "line " + std::to_string(at.line) + ": " + error;
        }
    }
    return es;
}

Acad::ErrorStatus writeObject(const AcDbObject* pObj, AcDbDatabase* pDb, const std::string& typeName,
                              const TextCodec& codec, Tags& out, FilerCache* pCache) {
    FilerCache local;
    DxfFiler& filer = (pCache != nullptr ? *pCache : local).get(pDb);
    Acad::ErrorStatus es = pObj->dxfOutFields(&filer);
    if (es == Acad::eOk)
        es = filer.filerStatus();
    if (es != Acad::eOk)
        return es;
    out.push_back({0, typeName});
    for (const DxfItem& it : filer.items()) {
        switch (dxfKindOf(it.code)) {
            case DxfKind::kPoint:
                out.push_back({it.code, formatDouble(it.point.x)});
                out.push_back({it.code + 10, formatDouble(it.point.y)});
                if (it.dims == 3)
                    out.push_back({it.code + 20, formatDouble(it.point.z)});
                break;
            case DxfKind::kReal:
                out.push_back({it.code, formatDouble(it.real)});
                break;
            case DxfKind::kString:
                out.push_back({it.code, codec.encode(it.text)});
                break;
            case DxfKind::kHandle:
            case DxfKind::kObjectId:
            case DxfKind::kBinary:
                out.push_back({it.code, it.text.empty() ? std::string("0") : it.text});
                break;
            default:
                out.push_back({it.code, std::to_string(it.integer)});
        }
    }
    return Acad::eOk;
}

}  // namespace dxf
}  // namespace hs
