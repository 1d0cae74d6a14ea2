// Proxies and proxy graphics in DXF files.
#include "dxf/proxy_dxf.h"

#include <algorithm>
#include <cstdlib>

#include "dxf/drawing_data.h"
#include "gi/proxygraphics.h"
#include "hostsim/dbapi.h"
#include "hostsim/text.h"

namespace hs {
namespace dxf {

namespace {

// The common entity groups of a record: from its 100 AcDbEntity to the next
// subclass marker. begin == end when it has none.
void entitySection(const Tags& tags, size_t& begin, size_t& end) {
    begin = end = tags.size();
    for (size_t i = 1; i < tags.size(); ++i) {
        if (tags[i].code == 100 && tags[i].value == "AcDbEntity") {
            begin = i;
            break;
        }
    }
    if (begin == tags.size())
        return;
    end = begin + 1;
    while (end < tags.size() && tags[end].code != 100 && tags[end].code != 0 && tags[end].code != 1001)
        ++end;
}

bool isCommonCode(int code) {
    return code == 8 || code == 6 || code == 62 || code == 420 || code == 370 || code == 48 || code == 60;
}

// The application data and extended data of a record, kept with the
// drawing for the object read from it (as a file reader keeps them).
void keepExtrasOf(const Tags& tags, DrawingData& data, std::uint64_t h) {
    Tags appData, xdata;
    bool inApp = false;
    for (size_t i = 1; i < tags.size(); ++i) {
        const Tag& t = tags[i];
        if (t.code == 1001) {
            xdata.assign(tags.begin() + static_cast<long>(i), tags.end());
            break;
        }
        if (t.code == 100)
            inApp = false;
        if (t.code == 102 && !t.value.empty() && t.value[0] == '{')
            inApp = true;
        if (inApp)
            appData.push_back(t);
        if (t.code == 102 && t.value == "}")
            inApp = false;
    }
    data.appData.erase(h);
    data.xdata.erase(h);
    if (!appData.empty())
        data.appData[h] = std::move(appData);
    if (!xdata.empty())
        data.xdata[h] = std::move(xdata);
}

// The owner group of a record: the first 330 before its first subclass
// marker outside application data groups; tags.size() when there is none.
size_t ownerGroup(const Tags& tags) {
    bool inApp = false;
    for (size_t i = 1; i < tags.size() && tags[i].code != 100 && tags[i].code != 0; ++i) {
        if (tags[i].code == 102)
            inApp = dxf::appDataAfter(inApp, tags[i].value);
        else if (tags[i].code == 330 && !inApp)
            return i;
    }
    return tags.size();
}

}  // namespace

int graphicsSizeCode(const std::string& version) {
    return version >= "AC1027" ? 160 : 92;
}

std::string takeGraphicsGroups(Tags& tags) {
    size_t begin = 0, end = 0;
    entitySection(tags, begin, end);
    std::string bytes;
    bool ok = true;
    bool found = false;
    Tags kept;
    kept.reserve(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        const Tag& t = tags[i];
        bool inSection = i > begin && i < end;
        if (inSection && (t.code == 92 || t.code == 160 || t.code == 310)) {
            found = true;
            if (t.code == 310)
                ok = ok && proxyGraphicsAppendHex(t.value, bytes);
            continue;
        }
        kept.push_back(t);
    }
    if (!found)
        return std::string();
    if (!ok)
        return std::string();
    tags = std::move(kept);
    return bytes;
}

void insertGraphicsGroups(Tags& tags, const std::string& graphics, const std::string& version) {
    if (graphics.empty())
        return;
    size_t begin = 0, end = 0;
    entitySection(tags, begin, end);
    Tags groups;
    groups.push_back({graphicsSizeCode(version), std::to_string(graphics.size())});
    for (std::string& chunk : proxyGraphicsToHex(graphics))
        groups.push_back({310, std::move(chunk)});
    tags.insert(tags.begin() + static_cast<long>(end), groups.begin(), groups.end());
}

HsProxyEntity* proxyFromFile(const RawTag* begin, const RawTag* end, const ProxyClassRecord& record,
                             AcDbDatabase* pDb, const TextCodec& codec, FilerCache* pCache,
                             std::string& error) {
    Tags tags;
    for (const RawTag* p = begin; p != end; ++p)
        tags.push_back({p->code, std::string(p->value)});
    Tags withoutGraphics = tags;
    std::string graphics = takeGraphicsGroups(withoutGraphics);
    HsProxyEntity* pProxy = new HsProxyEntity();
    if (pProxy == nullptr) {
        error = "out of memory";
        return nullptr;
    }
    pProxy->setTagsAreUtf8(codec.fileIsUtf8());
    pProxy->setClassRecord(record);
    // Graphics that cannot be read stay in the record as they are.
    pProxy->setTags(graphics.empty() ? std::move(tags) : std::move(withoutGraphics));
    pProxy->setGraphics(std::move(graphics));
    if (readObject(pProxy, pDb, begin + 1, end, codec, error, pCache) != Acad::eOk) {
        delete pProxy;
        return nullptr;
    }
    return pProxy;
}

HsProxyEntity* proxyFromProxyRecord(const RawTag* begin, const RawTag* end, const ProxyClassRecord& record,
                                    AcDbDatabase* pDb, const TextCodec& codec, FilerCache* pCache,
                                    std::string& error) {
    Tags tags;
    for (const RawTag* p = begin; p != end; ++p)
        tags.push_back({p->code, std::string(p->value)});
    // The graphics: the 310 groups right after the size group of the proxy
    // subclass.
    std::string graphics;
    bool inProxy = false;
    for (size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].code == 100)
            inProxy = tags[i].value == "AcDbProxyEntity";
        if (inProxy && (tags[i].code == 92 || tags[i].code == 160)) {
            bool ok = true;
            for (size_t k = i + 1; k < tags.size() && tags[k].code == 310; ++k)
                ok = ok && proxyGraphicsAppendHex(tags[k].value, graphics);
            if (!ok)
                graphics.clear();
            break;
        }
    }
    HsProxyEntity* pProxy = new HsProxyEntity();
    if (pProxy == nullptr) {
        error = "out of memory";
        return nullptr;
    }
    pProxy->setTagsAreUtf8(codec.fileIsUtf8());
    pProxy->setClassRecord(record);
    pProxy->setTags(std::move(tags));
    pProxy->setGraphics(std::move(graphics));
    pProxy->setFileProxyRecord(true);
    if (readObject(pProxy, pDb, begin + 1, end, codec, error, pCache) != Acad::eOk) {
        delete pProxy;
        return nullptr;
    }
    return pProxy;
}

Tags proxyRecord(HsProxyEntity* pProxy, AcDbDatabase* pDb, const std::string& version, bool withGraphics) {
    Tags tags = pProxy->tags();
    if (pProxy->commonChanged()) {
        // The common groups the entity models come from its state; the
        // others stay as they were.
        Tags now;
        TextCodec codec(pProxy->tagsAreUtf8());
        if (writeObject(pProxy, pDb, tags.empty() ? std::string("X") : tags[0].value, codec, now) ==
            Acad::eOk) {
            size_t nb = 0, ne = 0, ob = 0, oe = 0;
            entitySection(now, nb, ne);
            entitySection(tags, ob, oe);
            if (nb < now.size() && ob < tags.size()) {
                Tags section(now.begin() + static_cast<long>(nb), now.begin() + static_cast<long>(ne));
                for (size_t i = ob + 1; i < oe; ++i)
                    if (!isCommonCode(tags[i].code))
                        section.push_back(tags[i]);
                tags.erase(tags.begin() + static_cast<long>(ob), tags.begin() + static_cast<long>(oe));
                tags.insert(tags.begin() + static_cast<long>(ob), section.begin(), section.end());
            }
        }
    }
    if (withGraphics && !pProxy->isFileProxyRecord()) {
        insertGraphicsGroups(tags, pProxy->graphics(), version);
    } else if (withGraphics && pProxy->transformed()) {
        // A file's proxy record holds its graphics in its own subclass: moved
        // graphics replace them there.
        bool inProxy = false;
        for (size_t i = 0; i < tags.size(); ++i) {
            if (tags[i].code == 100)
                inProxy = tags[i].value == "AcDbProxyEntity";
            if (!inProxy || (tags[i].code != 92 && tags[i].code != 160))
                continue;
            size_t end = i + 1;
            std::string filed;
            bool ok = true;
            for (; end < tags.size() && tags[end].code == 310; ++end)
                ok = ok && proxyGraphicsAppendHex(tags[end].value, filed);
            const std::string& now = pProxy->graphics();
            if (ok && filed != now && !now.empty()) {
                Tags chunks;
                for (std::string& chunk : proxyGraphicsToHex(now))
                    chunks.push_back({310, std::move(chunk)});
                tags[i].value = std::to_string(now.size());
                tags.erase(tags.begin() + static_cast<long>(i) + 1, tags.begin() + static_cast<long>(end));
                tags.insert(tags.begin() + static_cast<long>(i) + 1, chunks.begin(), chunks.end());
            }
            break;
        }
    }
    return tags;
}

Acad::ErrorStatus readProxyRecordInto(HsProxyEntity* pProxy, AcDbEntity* pEnt, AcDbDatabase* pDb,
                                      std::string& error) {
    Tags tags = proxyRecord(pProxy, pDb, "AC1015", /*withGraphics=*/false);
    if (tags.empty())
        return Acad::eInvalidInput;
    std::vector<RawTag> raw;
    raw.reserve(tags.size());
    for (const Tag& t : tags)
        raw.push_back({t.code, t.value, 0});
    Acad::ErrorStatus es = readObject(pEnt, pDb, raw.data() + 1, raw.data() + raw.size(),
                                      TextCodec(pProxy->tagsAreUtf8()), error);
    // What the proxy kept of the record's application data and extended data
    // is the entity's again.
    DrawingData* data = pDb != nullptr ? drawingData(pDb, true) : nullptr;
    if (es == Acad::eOk && data != nullptr)
        keepExtrasOf(tags, *data, pProxy->objectId().handle().value());
    return es;
}

HsProxyObject* proxyObjectFromFile(const RawTag* begin, const RawTag* end, const ProxyClassRecord& record,
                                   const TextCodec& codec, bool fileRecord) {
    HsProxyObject* pProxy = new HsProxyObject();
    if (pProxy == nullptr)
        return nullptr;
    Tags tags;
    tags.reserve(static_cast<size_t>(end - begin));
    for (const RawTag* p = begin; p != end; ++p)
        tags.push_back({p->code, std::string(p->value)});
    ProxyClassRecord rec = record;
    rec.isEntity = false;
    pProxy->setTagsAreUtf8(codec.fileIsUtf8());
    pProxy->setClassRecord(rec);
    pProxy->setTags(std::move(tags));
    pProxy->setFileProxyRecord(fileRecord);
    return pProxy;
}

Acad::ErrorStatus filedObjectRecord(const AcDbObject* pObj, AcDbDatabase* pDb, const std::string& type,
                                    const TextCodec& codec, Tags& out, std::string* pWhy) {
    out.clear();
    Acad::ErrorStatus es = writeObject(pObj, pDb, type, codec, out, nullptr, pWhy);
    DrawingData* data = pDb != nullptr ? drawingData(pDb, false) : nullptr;
    if (es != Acad::eOk || data == nullptr)
        return es;
    std::uint64_t h = pObj->objectId().handle().value();
    // The owner the file gave (a kept dictionary has no object to own it).
    auto place = data->objectPlaces.find(h);
    size_t at = ownerGroup(out);
    if (place != data->objectPlaces.end() && place->second.owner != 0 && pObj->ownerId().isNull() &&
        at < out.size()) {
        std::uint64_t owner = place->second.owner;
        auto moved = data->keptRemap.find(owner);
        out[at].value = formatHandle(moved != data->keptRemap.end() ? moved->second : owner);
    }
    auto kept = data->keptRuns.find(h);
    if (kept != data->keptRuns.end())
        restoreKeptRuns(out, kept->second);
    bool hasApp = false, hasXdata = false;
    for (const Tag& t : out) {
        hasApp = hasApp || t.code == 102;
        hasXdata = hasXdata || t.code == 1001;
    }
    auto app = data->appData.find(h);
    if (app != data->appData.end() && !hasApp) {
        size_t five = 1;
        while (five < out.size() && out[five].code != 5)
            ++five;
        five = five < out.size() ? five + 1 : 1;
        out.insert(out.begin() + static_cast<long>(five), app->second.begin(), app->second.end());
    }
    auto xd = data->xdata.find(h);
    if (xd != data->xdata.end() && !hasXdata)
        out.insert(out.end(), xd->second.begin(), xd->second.end());
    return Acad::eOk;
}

Acad::ErrorStatus readProxyObjectInto(HsProxyObject* pProxy, AcDbObject* pObj, AcDbDatabase* pDb,
                                      std::string& error) {
    const Tags& tags = pProxy->tags();
    if (tags.empty())
        return Acad::eInvalidInput;
    std::vector<RawTag> raw;
    raw.reserve(tags.size());
    for (const Tag& t : tags)
        raw.push_back({t.code, t.value, 0});
    KeptRuns kept;
    Acad::ErrorStatus es = readObject(pObj, pDb, raw.data() + 1, raw.data() + raw.size(),
                                      TextCodec(pProxy->tagsAreUtf8()), error, nullptr, &kept);
    DrawingData* data = pDb != nullptr ? drawingData(pDb, true) : nullptr;
    if (es != Acad::eOk || data == nullptr)
        return es;
    // What the object does not model stays with the drawing, as a file
    // reader keeps it.
    std::uint64_t h = pProxy->objectId().handle().value();
    data->keptRuns.erase(h);
    if (!kept.empty())
        data->keptRuns[h] = std::move(kept);
    keepExtrasOf(tags, *data, h);
    size_t at = ownerGroup(tags);
    std::uint64_t owner = 0;
    if (at < tags.size() && parseHandle(tags[at].value, owner)) {
        // An object without a place of the file goes after the kept records.
        DrawingData::ObjectPlace place{data->objects.size(), data->objectPlaces.size(), 0};
        data->objectPlaces.emplace(h, place).first->second.owner = owner;
    }
    return Acad::eOk;
}

const char kProxyTransformKey[] = "ACAD_PROXY_TRANSFORM";

namespace {

// The extension dictionary a record's application data names, or 0.
std::uint64_t extensionDictionary(const Tags& tags) {
    bool inXdict = false;
    for (size_t i = 0; i < tags.size() && tags[i].code != 100; ++i) {
        if (tags[i].code == 102)
            inXdict = tags[i].value == "{ACAD_XDICTIONARY";
        std::uint64_t h = 0;
        if (inXdict && tags[i].code == 360 && parseHandle(tags[i].value, h))
            return h;
    }
    return 0;
}

Tags* keptRecord(DrawingData& data, std::uint64_t handle) {
    if (handle == 0)
        return nullptr;
    for (Tags& o : data.objects)
        if (ownHandle(o) == handle)
            return &o;
    return nullptr;
}

// The handle of the matrix record in a dictionary record, and where its
// entry is (the key's group); 0 when there is none.
std::uint64_t transformEntry(const Tags& dict, size_t& at) {
    for (size_t i = 1; i + 1 < dict.size(); ++i) {
        std::uint64_t h = 0;
        if (dict[i].code == 3 && dict[i].value == kProxyTransformKey && parseHandle(dict[i + 1].value, h)) {
            at = i;
            return h;
        }
    }
    return 0;
}

void removeKept(DrawingData& data, std::uint64_t handle) {
    for (size_t i = 0; i < data.objects.size(); ++i)
        if (ownHandle(data.objects[i]) == handle) {
            data.objects.erase(data.objects.begin() + static_cast<long>(i));
            // Database objects placed after it keep their place.
            for (auto& entry : data.objectPlaces)
                if (entry.second.before > i)
                    --entry.second.before;
            return;
        }
}

// Takes the matrix record out of the dictionary (and the drawing).
void dropEntry(DrawingData& data, std::uint64_t xdict) {
    Tags* pDict = keptRecord(data, xdict);
    size_t at = 0;
    std::uint64_t record = pDict != nullptr ? transformEntry(*pDict, at) : 0;
    if (record == 0)
        return;
    pDict->erase(pDict->begin() + static_cast<long>(at), pDict->begin() + static_cast<long>(at) + 2);
    removeKept(data, record);
}

bool readMatrix(const Tags& record, AcGeMatrix3d& m) {
    int n = 0;
    bool sub = false;
    for (const Tag& t : record) {
        if (t.code == 100)
            sub = t.value == "AcDbXrecord";
        if (!sub || t.code != 40)
            continue;
        if (n >= 16 || !parseDouble(t.value, m.entry[n / 4][n % 4]))
            return false;
        ++n;
    }
    return n == 16;
}

bool filedMatrix(DrawingData& data, std::uint64_t xdict, AcGeMatrix3d& m) {
    Tags* pDict = keptRecord(data, xdict);
    size_t at = 0;
    std::uint64_t record = pDict != nullptr ? transformEntry(*pDict, at) : 0;
    Tags* pRecord = keptRecord(data, record);
    return pRecord != nullptr && readMatrix(*pRecord, m);
}

}  // namespace

void linkExtensionDictionary(Tags& tags, AcDbDatabase* pDb) {
    std::uint64_t h = 0;
    if (tags.empty() || extensionDictionary(tags) != 0 || !hs::takeHandle(pDb, h))
        return;
    // After the handle and the other application data groups.
    size_t at = 1;
    while (at < tags.size() && (tags[at].code == 5 || tags[at].code == 105))
        ++at;
    while (at < tags.size() && tags[at].code == 102 && !tags[at].value.empty() && tags[at].value[0] == '{') {
        while (at < tags.size() && !(tags[at].code == 102 && tags[at].value == "}"))
            ++at;
        at = std::min(at + 1, tags.size());
    }
    Tags link = {{102, "{ACAD_XDICTIONARY"}, {360, formatHandle(h)}, {102, "}"}};
    tags.insert(tags.begin() + static_cast<long>(at), link.begin(), link.end());
}

void unlinkExtensionDictionary(Tags& tags) {
    for (size_t i = 1; i < tags.size() && tags[i].code != 100; ++i) {
        if (tags[i].code != 102 || tags[i].value != "{ACAD_XDICTIONARY")
            continue;
        size_t end = i;
        while (end < tags.size() && !(tags[end].code == 102 && tags[end].value == "}"))
            ++end;
        tags.erase(tags.begin() + static_cast<long>(i),
                   tags.begin() + static_cast<long>(std::min(end + 1, tags.size())));
        return;
    }
}

void fileProxyTransforms(AcDbDatabase* pDb) {
    DrawingData* data = pDb != nullptr ? drawingData(pDb, true) : nullptr;
    if (data == nullptr)
        return;
    for (AcDbObjectId id : hs::allObjects(pDb)) {
        if (hs::className(id) != "AcDbProxyEntity")
            continue;
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
            continue;
        HsProxyEntity* pProxy = proxyEntity(pEnt);
        bool transformed = pProxy != nullptr && pProxy->transformed();
        // A clone of a transformed proxy gets its own dictionary.
        if (transformed && extensionDictionary(pProxy->tags()) == 0 && pEnt->upgradeOpen() == Acad::eOk) {
            Tags tags = pProxy->tags();
            linkExtensionDictionary(tags, pDb);
            pProxy->setTags(std::move(tags));
        }
        std::uint64_t xdict = pProxy != nullptr ? extensionDictionary(pProxy->tags()) : 0;
        AcGeMatrix3d m = transformed ? pProxy->accumulatedTransform() : AcGeMatrix3d();
        pEnt->close();
        if (xdict == 0)
            continue;
        if (!transformed) {
            dropEntry(*data, xdict);
            continue;
        }
        Tags* pDict = keptRecord(*data, xdict);
        if (pDict == nullptr) {
            data->objects.push_back({{0, "DICTIONARY"},
                                     {5, formatHandle(xdict)},
                                     {330, formatHandle(id.handle().value())},
                                     {100, "AcDbDictionary"},
                                     {280, "1"},
                                     {281, "1"}});
            pDict = &data->objects.back();
        }
        size_t at = 0;
        std::uint64_t record = transformEntry(*pDict, at);
        Tags values;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                values.push_back({40, formatDouble(m.entry[r][c])});
        Tags* pRecord = keptRecord(*data, record);
        if (pRecord == nullptr) {
            if (record == 0 && !hs::takeHandle(pDb, record))
                continue;
            pDict->push_back({3, kProxyTransformKey});
            pDict->push_back({360, formatHandle(record)});
            std::string owner = formatHandle(xdict);
            data->objects.push_back({{0, "XRECORD"},
                                     {5, formatHandle(record)},
                                     {102, "{ACAD_REACTORS"},
                                     {330, owner},
                                     {102, "}"},
                                     {330, owner},
                                     {100, "AcDbXrecord"},
                                     {280, "1"}});
            pRecord = &data->objects.back();
            pRecord->insert(pRecord->end(), values.begin(), values.end());
            continue;
        }
        // The values replace the ones filed before.
        Tags kept;
        bool sub = false;
        for (const Tag& t : *pRecord) {
            if (t.code == 100)
                sub = t.value == "AcDbXrecord";
            if (!(sub && t.code == 40))
                kept.push_back(t);
        }
        size_t end = kept.size();
        while (end > 0 && kept[end - 1].code >= 1000)
            --end;
        kept.insert(kept.begin() + static_cast<long>(end), values.begin(), values.end());
        *pRecord = std::move(kept);
    }
}

void applyFiledTransforms(AcDbDatabase* pDb) {
    DrawingData* data = pDb != nullptr ? drawingData(pDb, false) : nullptr;
    if (data == nullptr)
        return;
    for (AcDbObjectId id : hs::allObjects(pDb)) {
        std::string name = hs::className(id);
        bool proxy = name == "AcDbProxyEntity";
        auto app = data->appData.find(id.handle().value());
        if (!proxy && app == data->appData.end())
            continue;
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
            continue;
        HsProxyEntity* pProxy = proxyEntity(pEnt);
        std::uint64_t xdict = pProxy != nullptr            ? extensionDictionary(pProxy->tags())
                              : app != data->appData.end() ? extensionDictionary(app->second)
                                                           : 0;
        AcGeMatrix3d m;
        if (xdict == 0 || !filedMatrix(*data, xdict, m) || pEnt->upgradeOpen() != Acad::eOk) {
            pEnt->close();
            continue;
        }
        if (pProxy != nullptr) {
            pProxy->setAccumulatedTransform(m);
        } else if (pEnt->transformBy(m) == Acad::eOk) {
            // The class is back: it took the matrix.
            dropEntry(*data, xdict);
        }
        pEnt->close();
    }
}

void dropProxyTransform(AcDbDatabase* pDb, std::uint64_t handle) {
    DrawingData* data = pDb != nullptr ? drawingData(pDb, false) : nullptr;
    auto app = data != nullptr ? data->appData.find(handle) : std::map<std::uint64_t, Tags>::iterator();
    if (data == nullptr || app == data->appData.end())
        return;
    std::uint64_t xdict = extensionDictionary(app->second);
    if (xdict == 0)
        return;
    if (keptRecord(*data, xdict) != nullptr) {
        dropEntry(*data, xdict);
        return;
    }
    // A dictionary named for the matrix but never saved: the name goes
    // (unlink looks from the group after a record's group 0).
    Tags& tags = app->second;
    tags.insert(tags.begin(), {0, ""});
    unlinkExtensionDictionary(tags);
    tags.erase(tags.begin());
    if (tags.empty())
        data->appData.erase(app);
}

int proxyGraphicsSetting(AcDbDatabase* pDb) {
    DrawingData* data = pDb != nullptr ? drawingData(pDb, false) : nullptr;
    if (data == nullptr)
        return 1;
    const HeaderVar* v = findHeaderVar(*data, "$PROXYGRAPHICS");
    if (v == nullptr)
        return 1;
    for (const Tag& t : v->values)
        if (t.code == 70)
            return std::atoi(t.value.c_str()) != 0 ? 1 : 0;
    return 1;
}

bool setProxyGraphicsSetting(AcDbDatabase* pDb, int value) {
    DrawingData* data = pDb != nullptr ? drawingData(pDb, true) : nullptr;
    if (data == nullptr || (value != 0 && value != 1))
        return false;
    setHeaderVar(*data, "$PROXYGRAPHICS", {{70, std::to_string(value)}});
    return true;
}

}  // namespace dxf
}  // namespace hs
