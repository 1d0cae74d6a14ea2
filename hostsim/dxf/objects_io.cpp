// Between file tags and database objects.
#include "dxf/objects_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "dbsymtb.h"
#include "filing/dxffiler.h"
#include "hostsim/text.h"

namespace hs {
namespace dxf {

namespace {

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

// Where each item of a record starts among its tags: a point takes its x
// tag and the y and z tags that follow it (as readObject reads them).
std::vector<size_t> itemStarts(const RawTag* begin, const RawTag* end) {
    std::vector<size_t> starts;
    for (const RawTag* p = begin; p != end; ++p) {
        starts.push_back(static_cast<size_t>(p - begin));
        if (dxfKindOf(p->code) == DxfKind::kPoint && p + 1 != end && p[1].code == p->code + 10) {
            ++p;
            if (p + 1 != end && p[1].code == p->code + 10)
                ++p;
        }
    }
    starts.push_back(static_cast<size_t>(end - begin));
    return starts;
}

// The subclass each item is in: the marker's text and which one of that
// name it is; an embedded object (101) counts as a subclass of its own.
struct Place {
    std::string subclass;
    int nth = 0;
    bool embedded = false;
};

std::vector<Place> placesOf(const std::vector<DxfItem>& items) {
    std::vector<Place> places(items.size());
    std::map<std::string, int> seen;
    Place cur;
    for (size_t i = 0; i < items.size(); ++i) {
        const DxfItem& it = items[i];
        if (it.code == AcDb::kDxfSubclass && !cur.embedded) {
            cur.subclass = it.text;
            cur.nth = seen[it.text]++;
        } else if (it.code == AcDb::kDxfEmbeddedObjectStart) {
            cur.embedded = true;
        }
        places[i] = cur;
    }
    return places;
}

// Settles the groups that the object's reading left unused.
Acad::ErrorStatus settleUnread(AcDbObject* pObj, AcDbDatabase* pDb, DxfFiler& filer, const RawTag* begin,
                               const RawTag* end, std::string& error, KeptRuns* pKept) {
    std::vector<DxfItem>& items = filer.items();
    std::vector<Place> places = placesOf(items);
    AcDbEntity* pEnt = AcDbEntity::cast(pObj);
    // Application data (102 groups), extended data and the object's own
    // handle and owner are the file reader's.
    // An embedded object's groups are its own (only extended data may follow it).
    // The own handle is the first handle group whose value parses (the
    // first at all when none does), as the file reader takes it; another
    // handle group in the record is data of its own, kept in its place.
    size_t ownHandle = items.size();
    for (size_t i = 0; i < items.size(); ++i) {
        if (places[i].embedded || (items[i].code != 5 && items[i].code != 105))
            continue;
        if (ownHandle == items.size())
            ownHandle = i;
        if (!items[i].raw) {
            ownHandle = i;
            break;
        }
    }
    // Extended data runs from its first application name (1001) to the end
    // of the record, whatever groups it holds: the file reader keeps it whole.
    bool inApp = false, sawOwner = false, inXdata = false;
    for (size_t i = 0; i < items.size(); ++i) {
        DxfItem& it = items[i];
        // (After an embedded object too: the file reader takes extended data
        // from the record's first application name on.)
        inXdata = inXdata || it.code == AcDb::kDxfRegAppName;
        if (inXdata) {
            it.used = true;
            continue;
        }
        if (places[i].embedded) {
            it.used = it.used || it.code >= 1000;
            continue;
        }
        if (it.code == AcDb::kDxfControlString) {
            inApp = dxf::appDataAfter(inApp, it.text);
            it.used = true;
            continue;
        }
        if (it.code == AcDb::kDxfSubclass)  // as the file reader keeps application data
            inApp = false;
        // (A group of extended data's kind before the first application name
        // is no extended data: kept in its place like any other.)
        if (inApp || i == ownHandle)
            it.used = true;
        if (it.code == 330 && !inApp) {
            if (!sawOwner)
                it.used = true;
            sawOwner = true;
        }
    }
    // A subclass marker given twice (a subclass split in two) is the same marker.
    std::set<std::string> markers;
    for (const DxfItem& it : items)
        if (it.used && it.code == AcDb::kDxfSubclass)
            markers.insert(it.text);
    // Common entity groups: anywhere before a subclass marker of the entity's
    // own or in the AcDbEntity subclass, and at the start of another subclass
    // before its own groups (where dxflib-based programs write them).
    bool ownSeen = false;
    for (size_t i = 0; i < items.size(); ++i) {
        DxfItem& it = items[i];
        if (it.code == AcDb::kDxfSubclass && !places[i].embedded) {
            ownSeen = false;
            if (!it.used && markers.count(it.text) != 0)
                it.used = true;
            continue;
        }
        if (it.used) {
            ownSeen = true;
            continue;
        }
        const Place& at = places[i];
        if (pEnt == nullptr || at.embedded || it.raw)
            continue;
        if (!(at.subclass.empty() || at.subclass == "AcDbEntity" || !ownSeen))
            continue;
        resbuf rb;
        filer.setPosition(i);
        if (filer.readResBufQuiet(&rb) == Acad::eOk && !pEnt->hsReadCommonGroup(rb))
            it.used = false;
    }
    filer.setPosition(items.size());
    bool any = false;
    for (const DxfItem& it : items)
        any = any || !it.used;
    if (!any)
        return Acad::eOk;

    // What the object writes: a subclass marker it writes itself is its own
    // (a reader that met another group first did not take it); any other
    // group left unread that the object writes means the object did not
    // read the record completely.
    DxfFiler trial(AcDb::kFileFiler, pDb);
    bool trialOk = pObj->dxfOutFields(&trial) == Acad::eOk;
    std::vector<Place> written = placesOf(trial.items());
    if (trialOk) {
        for (size_t i = 0; i < items.size(); ++i)
            if (DxfItem& it = items[i]; !it.used && it.code == AcDb::kDxfSubclass && !places[i].embedded)
                for (const DxfItem& w : trial.items())
                    if (w.code == AcDb::kDxfSubclass && w.text == it.text)
                        it.used = true;
    }

    // Each run of unread groups is kept after the used group before it.
    std::vector<size_t> starts = itemStarts(begin, end);
    std::map<std::pair<std::string, int>, std::map<int, int>> counts;  // per subclass: code -> count
    KeptRun* pRun = nullptr;
    int lastCode = -1, lastNth = 0;
    std::pair<std::string, int> lastPlace;
    bool inAppData = false;
    for (size_t i = 0; i < items.size(); ++i) {
        const DxfItem& it = items[i];
        if (it.code == AcDb::kDxfSubclass)
            inAppData = false;
        bool appGroup = it.code == AcDb::kDxfControlString || inAppData;
        if (it.code == AcDb::kDxfControlString)
            inAppData = dxf::appDataAfter(inAppData, it.text);
        std::pair<std::string, int> place(places[i].subclass, places[i].nth);
        if (it.used) {
            pRun = nullptr;
            if (appGroup || it.code >= 1000)
                continue;
            if (it.code == AcDb::kDxfSubclass) {
                lastPlace = place;
                lastCode = AcDb::kDxfSubclass;
                lastNth = 0;
                continue;
            }
            if (place != lastPlace) {
                // The first group of a subclass whose marker was not read.
                lastPlace = place;
            }
            lastCode = it.code;
            lastNth = counts[place][it.code]++;
            continue;
        }
        if (pKept == nullptr)
            continue;
        if (it.code == AcDb::kDxfEmbeddedObjectStart)
            pRun = nullptr;  // an embedded object goes back at the end
        if (pRun == nullptr) {
            pKept->emplace_back();
            pRun = &pKept->back();
            pRun->subclass = lastPlace.first;
            pRun->subclassNth = lastPlace.second;
            pRun->afterCode = lastCode;
            pRun->afterNth = lastNth;
        }
        for (size_t k = starts[i]; k < starts[i + 1]; ++k)
            pRun->tags.push_back({begin[k].code, std::string(begin[k].value)});
    }

    // A group left unread that the object writes itself: the object did not
    // read the record completely. An entity's second group of a kind it took
    // once at that place is kept after the first (the file reader checks
    // that it reads back the same way).
    auto secondOfItsKind = [&](size_t i) {
        for (size_t k = 0; k < i && pEnt != nullptr; ++k)
            if (items[k].used && items[k].code == items[i].code && !places[k].embedded &&
                places[k].subclass == places[i].subclass && places[k].nth == places[i].nth)
                return true;
        return false;
    };
    if (trialOk) {
        for (size_t i = 0; i < items.size(); ++i) {
            const DxfItem& it = items[i];
            if (it.used || it.raw || places[i].embedded || it.code == AcDb::kDxfSubclass ||
                secondOfItsKind(i))
                continue;
            for (size_t k = 0; k < trial.items().size(); ++k) {
                if (trial.items()[k].code != it.code)
                    continue;
                if (!places[i].subclass.empty() && written[k].subclass != places[i].subclass)
                    continue;
                const RawTag& t = begin[itemStarts(begin, end)[i]];
                error = "line " + std::to_string(t.line) + ": group " + std::to_string(t.code) + " \"" +
                        std::string(t.value.substr(0, 40)) + "\" is not read by the object";
                return Acad::eInvalidDxfCode;
            }
        }
    }
    return Acad::eOk;
}

// Where a kept run goes among an object's written tags.
size_t insertionPoint(const Tags& tags, const KeptRun& run) {
    std::map<std::string, int> seen;
    std::string subclass;
    int nth = 0;
    size_t sectionStart = 1, sectionEnd = tags.size();
    bool found = run.subclass.empty();
    for (size_t i = 1; i < tags.size(); ++i) {
        if (tags[i].code != AcDb::kDxfSubclass)
            continue;
        if (found) {
            sectionEnd = i;
            break;
        }
        subclass = tags[i].value;
        nth = seen[subclass]++;
        if (subclass == run.subclass && nth == run.subclassNth) {
            found = true;
            sectionStart = i;
        }
    }
    if (run.afterCode == -1 || run.afterCode == AcDb::kDxfSubclass) {
        if (!found)
            return tags.size();
        return run.subclass.empty() ? 1 : sectionStart + 1;
    }
    // After the group it followed, looked for in its subclass, then (a file
    // without subclass markers, or a subclass the object does not write) in
    // the whole record.
    auto after = [&](size_t from, size_t to) {
        int count = 0;
        for (size_t i = from; i < to; ++i) {
            if (tags[i].code != run.afterCode || count++ != run.afterNth)
                continue;
            size_t at = i + 1;
            if (dxfIsPointCode(run.afterCode)) {
                if (at < to && tags[at].code == run.afterCode + 10)
                    ++at;
                if (at < to && tags[at].code == run.afterCode + 20)
                    ++at;
            }
            return at;
        }
        return size_t(0);
    };
    size_t at = found ? after(sectionStart, sectionEnd) : 0;
    if (at == 0)
        at = after(1, tags.size());
    return at != 0 ? at : found ? sectionEnd : tags.size();
}

// Where a kept run goes: a modelled group of the same code there comes
// first, so that a reader taking the first of such groups takes the same one
// again.
size_t placeOf(const Tags& tags, const KeptRun& run) {
    // An embedded object is the last of an object's own data.
    if (!run.tags.empty() && run.tags.front().code == AcDb::kDxfEmbeddedObjectStart)
        return tags.size();
    size_t at = insertionPoint(tags, run);
    int code = run.tags.empty() ? AcDb::kDxfSubclass : run.tags.front().code;
    while (code != AcDb::kDxfSubclass && at < tags.size() && tags[at].code == code)
        ++at;
    return at;
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
            bool ok = true, lower = false, upper = false;
            for (size_t k = 3; k < 7; ++k) {
                int d = hexDigit(raw[i + k]);
                ok = ok && d >= 0;
                cp = cp * 16 + static_cast<unsigned>(d < 0 ? 0 : d);
                lower = lower || (raw[i + k] >= 'a' && raw[i + k] <= 'f');
                upper = upper || (raw[i + k] >= 'A' && raw[i + k] <= 'F');
            }
            if (ok) {
                appendUtf8(out, cp);
                m_sawLowerEscape = m_sawLowerEscape || lower;
                m_sawUpperEscape = m_sawUpperEscape || upper;
                i += 6;
                continue;
            }
        }
        if (c < 0x80 || m_utf8) {
            out.push_back(static_cast<char>(c));
            m_sawByte = m_sawByte || c >= 0x80;
        } else {
            appendUtf8(out, c);  // 8-bit text read as Latin-1
            m_sawByte = true;
        }
    }
#endif
}

std::string TextCodec::encode(const std::string& utf8) const {
#if !HOSTSIM_WIDE
    return utf8;
#else
    if ((m_utf8 && !m_spelling.escapes) || isPlainAscii(utf8))
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
        if (m_utf8 && (extra == 0 || cp > 0xFFFF)) {  // no escape for it: as it is
            out.append(utf8, i, k);
            i += k;
            continue;
        }
        i += k;
        if (extra == 0 || cp > 0xFFFF) {
            out.push_back('?');
            continue;
        }
        if (m_spelling.bytes && !m_utf8 && cp <= 0xFF) {  // the byte it was read from
            out.push_back(static_cast<char>(cp));
            continue;
        }
        char buf[8];
        std::snprintf(buf, sizeof buf, m_spelling.lowerCaseEscapes ? "\\U+%04x" : "\\U+%04X", cp);
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
                             const TextCodec& codec, std::string& error, FilerCache* pCache,
                             KeptRuns* pKept) {
    FilerCache local;
    DxfFiler& filer = (pCache != nullptr ? *pCache : local).get(pDb);
    std::vector<DxfItem>& items = filer.items();
    items.reserve(static_cast<size_t>(end - begin));
    // A value that does not parse: an entity is then kept whole by the file
    // reader; the other records are read without the group, which is kept as
    // it was in its place, and the reading reports it.
    bool keepBad = AcDbEntity::cast(pObj) == nullptr;
    std::string badValue;
    DxfItem* pItem = nullptr;
    auto bad = [&](const RawTag& t, const char* what) {
        if (badValue.empty() && t.code != 5 && t.code != 105)
            badValue = "line " + std::to_string(t.line) + ": expected " + what + " for group code " +
                       std::to_string(t.code) + ", found \"" + std::string(t.value.substr(0, 40)) + "\"";
        pItem->raw = true;
        // The object's own handle is the file reader's: one that does not
        // parse gets a new handle there.
        if (t.code == 5 || t.code == 105)
            return Acad::eOk;
        if (!keepBad)
            error = badValue;
        return keepBad ? Acad::eOk : Acad::eInvalidDxfCode;
    };
    // The record's own owner (its first 330 outside application groups,
    // before its subclass data) is the file reader's as its handle is: the
    // object is filed where the reader puts it, so a value that does not
    // parse is read as no owner.
    const RawTag* pOwner = nullptr;
    bool inApp = false;
    for (const RawTag* p = begin; p != end && p->code != AcDb::kDxfSubclass && pOwner == nullptr; ++p) {
        if (p->code == AcDb::kDxfControlString)
            inApp = dxf::appDataAfter(inApp, p->value);
        else if (p->code == 330 && !inApp)
            pOwner = p;
    }
    for (const RawTag* p = begin; p != end; ++p) {
        DxfItem& it = items.emplace_back();
        pItem = &it;
        it.code = p->code;
        switch (dxfKindOf(p->code)) {
            case DxfKind::kPoint: {
                bool ok = parseDouble(p->value, it.point.x);
                const RawTag* first = p;
                it.dims = 2;
                if (p + 1 != end && p[1].code == p->code + 10) {
                    ++p;
                    ok = parseDouble(p->value, it.point.y) && ok;
                    if (p + 1 != end && p[1].code == p->code + 10) {
                        ++p;
                        ok = parseDouble(p->value, it.point.z) && ok;
                        it.dims = 3;
                    }
                }
                if (!ok && bad(*first, "a number") != Acad::eOk)
                    return Acad::eInvalidDxfCode;
                break;
            }
            case DxfKind::kReal:
                if (!parseDouble(p->value, it.real) && bad(*p, "a number") != Acad::eOk)
                    return Acad::eInvalidDxfCode;
                break;
            case DxfKind::kInt16:
            case DxfKind::kInt32:
            case DxfKind::kInt64:
            case DxfKind::kBool: {
                double d = 0;
                if (!parseInt(p->value, it.integer)) {
                    // Some programs write integers with a decimal point.
                    if (!parseDouble(p->value, d) || !(d > -9.2e18 && d < 9.2e18)) {
                        if (bad(*p, "an integer") != Acad::eOk)
                            return Acad::eInvalidDxfCode;
                        d = 0;
                    }
                    it.integer = static_cast<long long>(d);
                }
                break;
            }
            case DxfKind::kHandle:
            case DxfKind::kObjectId: {
                std::uint64_t h = 0;
                if (!p->value.empty() && !parseHandle(p->value, h)) {
                    h = 0;
                    if (p != pOwner && bad(*p, "a handle") != Acad::eOk)
                        return Acad::eInvalidDxfCode;
                }
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
    filer.setLeavingUnknown(true);
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
        return es;
    }
    for (const DxfItem& it : items)
        if (!it.used) {
            es = settleUnread(pObj, pDb, filer, begin, end, error, pKept);
            break;
        }
    if (es == Acad::eOk && !badValue.empty()) {
        error = badValue;
        es = Acad::eInvalidDxfCode;
    }
    return es;
}

void restoreKeptRuns(Tags& tags, const KeptRuns& runs) {
    if (runs.empty())
        return;
    std::vector<std::pair<size_t, const KeptRun*>> at;
    for (const KeptRun& run : runs)
        at.emplace_back(placeOf(tags, run), &run);
    std::stable_sort(at.begin(), at.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Tags out;
    out.reserve(tags.size() + runs.size() * 2);
    size_t k = 0;
    for (size_t i = 0; i <= tags.size(); ++i) {
        for (; k < at.size() && at[k].first == i; ++k)
            out.insert(out.end(), at[k].second->tags.begin(), at[k].second->tags.end());
        if (i < tags.size())
            out.push_back(std::move(tags[i]));
    }
    tags = std::move(out);
}

void restoreAppData(Tags& tags, const Tags& appData) {
    auto has = [&](int code) {
        return std::find_if(tags.begin(), tags.end(), [&](const Tag& t) { return t.code == code; });
    };
    if (appData.empty() || has(102) != tags.end())
        return;
    auto handle = has(5);
    auto at = handle != tags.end() ? handle + 1 : tags.begin() + (tags.empty() ? 0 : 1);
    tags.insert(at, appData.begin(), appData.end());
}

Acad::ErrorStatus writeObject(const AcDbObject* pObj, AcDbDatabase* pDb, const std::string& typeName,
                              const TextCodec& codec, Tags& out, FilerCache* pCache, std::string* pWhy) {
    FilerCache local;
    DxfFiler& filer = (pCache != nullptr ? *pCache : local).get(pDb);
    Acad::ErrorStatus es = pObj->dxfOutFields(&filer);
    if (es == Acad::eOk)
        es = filer.filerStatus();
    if (es != Acad::eOk)
        return es;
    auto refuse = [&](const std::string& why) {
        if (pWhy != nullptr)
            *pWhy = why;
        return Acad::eInvalidInput;
    };
    // A file cannot hold what would not read back as it is.
    for (const DxfItem& it : filer.items()) {
        DxfKind kind = dxfKindOf(it.code);
        bool finite = kind == DxfKind::kReal    ? std::isfinite(it.real)
                      : kind == DxfKind::kPoint ? std::isfinite(it.point.x) && std::isfinite(it.point.y) &&
                                                      std::isfinite(it.point.z)
                                                : true;
        if (!finite)
            return refuse("group " + std::to_string(it.code) + " is not a finite number");
        if (kind == DxfKind::kString && it.text.find_first_of("\r\n") != std::string::npos)
            return refuse("group " + std::to_string(it.code) + " holds a line break");
    }
    if (const AcDbSymbolTableRecord* pRec = AcDbSymbolTableRecord::cast(pObj)) {
        const ACHAR* pName = nullptr;
        pRec->getName(pName);
        if (pName == nullptr || *pName == 0)
            return refuse("it has no name");
    }
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
