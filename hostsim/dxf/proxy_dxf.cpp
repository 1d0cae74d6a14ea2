// Proxies and proxy graphics in DXF files.
#include "dxf/proxy_dxf.h"

#include <algorithm>
#include <cstdlib>

#include "dxf/drawing_data.h"
#include "gi/proxygraphics.h"
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
    return readObject(pEnt, pDb, raw.data() + 1, raw.data() + raw.size(), TextCodec(pProxy->tagsAreUtf8()),
                      error);
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
