// Writing a database as an ASCII DXF file (AC1015 or the later version it was
// read from): the kept header, classes for the custom classes in use, the
// tables, blocks, entities and objects, each database object through its own
// DXF writing and each kept one as it was read.
#include <algorithm>
#include <cmath>
#include <set>

#include "dbsymtb.h"
#include "dxf/drawing_data.h"
#include "dxf/kept_entity.h"
#include "dxf/objects_io.h"
#include "dxf/proxy_dxf.h"
#include "gi/proxygraphics.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/text.h"

namespace hs {
namespace dxf {

namespace {

// Types every DXF reader knows; classes with other DXF names need a CLASS
// entry.
const std::set<std::string>& standardDxfNames() {
    static const std::set<std::string> names = {
        "3DFACE",     "3DSOLID", "ARC",       "ATTDEF",   "ATTRIB",     "BLOCK",        "BLOCK_RECORD",
        "BODY",       "CIRCLE",  "DIMENSION", "DIMSTYLE", "DICTIONARY", "ELLIPSE",      "ENDBLK",
        "HATCH",      "IMAGE",   "INSERT",    "LAYER",    "LEADER",     "LINE",         "LTYPE",
        "LWPOLYLINE", "MLINE",   "MTEXT",     "POINT",    "POLYLINE",   "RAY",          "REGION",
        "SEQEND",     "SHAPE",   "SOLID",     "SPLINE",   "STYLE",      "TABLE",        "TEXT",
        "TOLERANCE",  "TRACE",   "UCS",       "VERTEX",   "VIEW",       "VIEWPORT",     "VPORT",
        "XLINE",      "APPID",   "LAYOUT",    "GROUP",    "XRECORD",    "SORTENTSTABLE"};
    return names;
}

bool isCustomClass(const AcRxClass* pClass) {
    std::string dxf = dxfNameOf(pClass);
    if (dxf.empty() || pClass == HsDxfKeptEntity::desc() || pClass == AcDbProxyEntity::desc() ||
        pClass == AcDbProxyObject::desc())
        return false;
    return standardDxfNames().count(upper(dxf)) == 0;
}

size_t findCode(const Tags& tags, int code, size_t from = 1) {
    for (size_t i = from; i < tags.size(); ++i)
        if (tags[i].code == code)
            return i;
    return tags.size();
}

// Sets the owner group of a record from `from` on, up to the next group 0:
// its first 330 outside application groups (102 {...}) before its first
// subclass marker; adds one after the handle and application groups when
// there is none. An application group left open ends at the subclass data,
// as the file reader takes it: it is closed before an owner added there, so
// that the owner reads back as the record's own.
void setOwnerGroup(Tags& tags, size_t from, std::uint64_t owner) {
    size_t end = from + 1;
    while (end < tags.size() && tags[end].code != 0)
        ++end;
    bool inApp = false;
    for (size_t i = from + 1; i < end && tags[i].code != 100; ++i) {
        if (tags[i].code == 102) {
            inApp = appDataAfter(inApp, tags[i].value);
        } else if (tags[i].code == 330 && !inApp) {
            tags[i].value = formatHandle(owner);
            return;
        }
    }
    size_t at = from + 1;
    while (at < end && (tags[at].code == 5 || tags[at].code == 105))
        ++at;
    bool open = false;
    while (at < end && tags[at].code == 102 && !tags[at].value.empty() && tags[at].value[0] == '{') {
        size_t close = at + 1;
        while (close < end && tags[close].code != 100 &&
               !(tags[close].code == 102 && tags[close].value == "}"))
            ++close;
        open = close == end || tags[close].code == 100;
        at = open ? close : close + 1;
        if (open)
            break;
    }
    tags.insert(tags.begin() + static_cast<long>(at), {330, formatHandle(owner)});
    if (open)
        tags.insert(tags.begin() + static_cast<long>(at), {102, "}"});
}

class Writer {
public:
    Writer(AcDbDatabase* pDb, std::string& out, const DxfSink* pSink = nullptr)
        : m_pDb(pDb), m_out(out), m_w(out), m_pSink(pSink) {}
    DxfResult run();

private:
    void prepare();
    void prepareDrawOrder();
    void writeHeader();
    void writeClasses();
    void writeTables();
    void writeDbTable(const std::string& name, AcDbObjectId tableId);
    void writeBlocks();
    void writeEntities();
    void writeObjects();
    // Writes a database object: its type, then its own groups, with the kept
    // application data and extended data put back.
    bool writeDbObject(AcDbObject* pObj, const std::string& type, bool paperSpace);
    void writeEntity(AcDbObjectId id, bool paperSpace, bool inEntitiesSection = false);
    void writeKept(Tags tags, std::uint64_t handle, std::uint64_t owner, int space = -1);
    void writeTags(const Tags& tags);
    void noteProxyClass(AcDbObjectId id);
    // Writes a database object of the OBJECTS section (a custom object or a
    // proxy object).
    void writeOwnObject(AcDbObjectId id);
    Tags withoutErasedEntries(const Tags& tags) const;
    // With a sink, hands the text made so far to it once there is enough
    // (or all of it); after a failure the text is dropped.
    void spill(bool all) {
        if (m_pSink == nullptr || (!all && m_out.size() < kSpillBytes))
            return;
        if (m_error.empty() && !m_out.empty() && !(*m_pSink)(m_out))
            fail("the file could not be written");
        m_out.clear();
    }
    static constexpr std::size_t kSpillBytes = std::size_t(1) << 20;
    bool fail(const std::string& message) {
        if (m_error.empty())
            m_error = message;
        return false;
    }
    std::uint64_t newHandle() {
        std::uint64_t h = 0;
        if (!hs::takeHandle(m_pDb, h))
            fail(kNoHandles);
        return h;
    }
    static constexpr const char* kNoHandles =
        "the drawing has used every handle (up to FFFFFFFFFFFFFFFF); it cannot be saved with new records";

    AcDbDatabase* m_pDb;
    std::string& m_out;
    TagWriter m_w;
    const DxfSink* m_pSink;
    DrawingData* m_data = nullptr;
    TextCodec m_codec;
    FilerCache m_filers;
    std::string m_version;
    std::string m_error;
    std::map<const AcRxClass*, int> m_customClasses;
    // Classes of the proxies in the drawing (by upper-case DXF name), with
    // their instance counts.
    std::map<std::string, std::pair<ProxyClassRecord, int>> m_proxyClasses;
    bool m_proxyGraphics = true;  // PROXYGRAPHICS
    std::string m_graphics;       // the graphics of the entity being written
    std::uint64_t m_ms = 0, m_ps = 0;
    Tags m_sortents;  // the sort-entities table to write, if any
    // Database objects of the OBJECTS section, in the order they are written.
    std::vector<std::pair<DrawingData::ObjectPlace, AcDbObjectId>> m_ownObjects;
};

void Writer::prepare() {
    m_data = drawingData(m_pDb, true);
    if (!m_data->complete)
        completeDrawingData(m_pDb, *m_data);
    fileProxyTransforms(m_pDb);
    m_version = std::max(m_data->version, std::string("AC1015"));
    m_codec =
        TextCodec(m_version >= "AC1021", {m_data->escapedText, m_data->lowerCaseEscapes, m_data->byteText});
    m_ms = hs::modelSpaceId(m_pDb).handle().value();
    m_ps = hs::paperSpaceId(m_pDb).handle().value();

    // The begin and end marks of blocks made in hostsim.
    for (AcDbObjectId recId : hs::entitiesOf(m_pDb->blockTableId())) {
        std::uint64_t h = recId.handle().value();
        if (m_data->blocks.count(h) != 0)
            continue;
        AcDbBlockTableRecord* pRec = nullptr;
        if (acdbOpenObject(pRec, recId, AcDb::kForRead) != Acad::eOk)
            continue;
        const ACHAR* pName = nullptr;
        pRec->getName(pName);
        std::string name = m_codec.encode(pName != nullptr ? toUtf8(pName) : std::string());
        AcGePoint3d base = pRec->origin();
        pRec->close();
        if (!std::isfinite(base.x) || !std::isfinite(base.y) || !std::isfinite(base.z))
            fail("the BLOCK_RECORD with handle " + formatHandle(h) +
                 " could not be written: its origin is not a finite number");
        std::string owner = formatHandle(h);
        BlockMarks marks;
        marks.begin = {{0, "BLOCK"},
                       {5, formatHandle(newHandle())},
                       {330, owner},
                       {100, "AcDbEntity"},
                       {8, "0"},
                       {100, "AcDbBlockBegin"},
                       {2, name},
                       {70, "0"},
                       {10, formatDouble(base.x)},
                       {20, formatDouble(base.y)},
                       {30, formatDouble(base.z)},
                       {3, name},
                       {1, ""}};
        if (h == m_ps)
            marks.begin.insert(marks.begin.begin() + 4, {67, "1"});
        marks.end = {{0, "ENDBLK"}, {5, formatHandle(newHandle())}, {330, owner}, {100, "AcDbEntity"},
                     {8, "0"},      {100, "AcDbBlockEnd"}};
        if (h == m_ps)
            marks.end.insert(marks.end.begin() + 4, {67, "1"});
        m_data->blocks[h] = std::move(marks);
    }

    // Custom classes in use, with their instance counts.
    AcRxDictionary* pDict = acrxClassDictionary;
    std::map<std::string, const AcRxClass*> byName;
    for (AcDbObjectId id : hs::allObjects(m_pDb)) {
        std::string name = hs::className(id);
        auto it = byName.find(name);
        if (it == byName.end()) {
            const AcRxClass* pClass =
                pDict != nullptr ? static_cast<const AcRxClass*>(pDict->at(fromUtf8(name).c_str())) : nullptr;
            it = byName.emplace(name, pClass != nullptr && isCustomClass(pClass) ? pClass : nullptr).first;
        }
        if (it->second != nullptr)
            ++m_customClasses[it->second];
        else if (name == "AcDbProxyEntity" || name == "AcDbProxyObject")
            noteProxyClass(id);
        // Objects that are neither entities nor table parts belong to the
        // OBJECTS section, where the file had them (new ones at the end).
        bool own = name == "AcDbProxyObject" ||
                   (it->second != nullptr && !it->second->isDerivedFrom(AcDbEntity::desc()) &&
                    !it->second->isDerivedFrom(AcDbSymbolTable::desc()) &&
                    !it->second->isDerivedFrom(AcDbSymbolTableRecord::desc()));
        if (own) {
            auto place = m_data->objectPlaces.find(id.handle().value());
            DrawingData::ObjectPlace at{m_data->objects.size(),
                                        m_data->objectPlaces.size() + m_ownObjects.size(), 0};
            m_ownObjects.emplace_back(place != m_data->objectPlaces.end() ? place->second : at, id);
        }
    }
    std::stable_sort(m_ownObjects.begin(), m_ownObjects.end(), [](const auto& a, const auto& b) {
        return a.first.before != b.first.before ? a.first.before < b.first.before
                                                : a.first.order < b.first.order;
    });
    m_proxyGraphics = proxyGraphicsSetting(m_pDb) != 0;
    prepareDrawOrder();
}

// A sort-entities table for model space when its draw order is not the
// record order: the entity drawn i-th gets the i-th smallest handle as its
// sort handle. It lives in the extension dictionary of the model space record.
void Writer::prepareDrawOrder() {
    AcDbObjectId msId = hs::modelSpaceId(m_pDb);
    bool differs = hs::drawOrderDiffers(msId);
    Tags& msAppData = m_data->appData[m_ms];
    std::uint64_t xdict = tagHandle(msAppData, 360);
    if (msAppData.empty())
        m_data->appData.erase(m_ms);
    Tags* pDict = nullptr;
    for (Tags& o : m_data->objects)
        if (xdict != 0 && ownHandle(o) == xdict)
            pDict = &o;
    if (!differs) {
        // Take the entry out of the dictionary while there is nothing to sort.
        if (pDict != nullptr && m_data->sortentsHandle != 0) {
            for (size_t i = 0; i + 1 < pDict->size(); ++i) {
                if ((*pDict)[i].code == 3 && (*pDict)[i].value == "ACAD_SORTENTS") {
                    pDict->erase(pDict->begin() + static_cast<long>(i),
                                 pDict->begin() + static_cast<long>(i) + 2);
                    break;
                }
            }
        }
        return;
    }
    if (pDict == nullptr) {
        if (xdict == 0) {
            xdict = newHandle();
            m_data->appData[m_ms] = {{102, "{ACAD_XDICTIONARY"}, {360, formatHandle(xdict)}, {102, "}"}};
        }
        m_data->objects.push_back({{0, "DICTIONARY"},
                                   {5, formatHandle(xdict)},
                                   {330, formatHandle(m_ms)},
                                   {100, "AcDbDictionary"},
                                   {280, "1"},
                                   {281, "1"}});
        pDict = &m_data->objects.back();
    }
    if (m_data->sortentsHandle == 0)
        m_data->sortentsHandle = newHandle();
    m_data->sortentsOwner = xdict;
    bool listed = false;
    for (const Tag& t : *pDict)
        listed = listed || (t.code == 3 && t.value == "ACAD_SORTENTS");
    if (!listed) {
        pDict->push_back({3, "ACAD_SORTENTS"});
        pDict->push_back({360, formatHandle(m_data->sortentsHandle)});
    }

    std::vector<AcDbObjectId> order = hs::drawOrder(msId);
    std::vector<std::uint64_t> handles;
    for (AcDbObjectId id : order)
        handles.push_back(id.handle().value());
    std::vector<std::uint64_t> sorted = handles;
    std::sort(sorted.begin(), sorted.end());
    std::string owner = formatHandle(xdict);
    m_sortents = {{0, "SORTENTSTABLE"},
                  {5, formatHandle(m_data->sortentsHandle)},
                  {102, "{ACAD_REACTORS"},
                  {330, owner},
                  {102, "}"},
                  {330, owner},
                  {100, "AcDbSortentsTable"},
                  {330, formatHandle(m_ms)}};
    for (size_t i = 0; i < handles.size(); ++i) {
        m_sortents.push_back({331, formatHandle(handles[i])});
        m_sortents.push_back({5, formatHandle(sorted[i])});
    }
}

void Writer::writeTags(const Tags& tags) {
    m_w.write(tags);
}

void Writer::writeHeader() {
    m_w.write(0, "SECTION");
    m_w.write(2, "HEADER");
    m_w.write(9, "$ACADVER");
    m_w.write(1, m_version);
    std::uint64_t seed = std::max(hs::handseed(m_pDb), m_data->maxKeptHandle + 1);
    bool wroteSeed = false;
    for (const HeaderVar& v : m_data->header) {
        if (v.name == "$ACADVER")
            continue;
        m_w.write(9, v.name);
        if (v.name == "$HANDSEED") {
            m_w.writeHandle(5, seed);
            wroteSeed = true;
            continue;
        }
        writeTags(v.values);
    }
    if (!wroteSeed) {
        m_w.write(9, "$HANDSEED");
        m_w.writeHandle(5, seed);
    }
    m_w.write(0, "ENDSEC");
}

void Writer::writeClasses() {
    m_w.write(0, "SECTION");
    m_w.write(2, "CLASSES");
    std::set<std::string> written;
    for (auto& [pClass, count] : m_customClasses) {
        std::string dxf = dxfNameOf(pClass);
        written.insert(upper(dxf));
        m_w.write(0, "CLASS");
        m_w.write(1, dxf);
        m_w.write(2, toUtf8(pClass->name()));
        m_w.write(3,
                  pClass->appName() != nullptr ? m_codec.encode(toUtf8(pClass->appName())) : std::string());
        m_w.writeInt(90, pClass->proxyFlags());
        m_w.writeInt(91, count);
        m_w.writeInt(280, 0);
        m_w.writeInt(281, pClass->isDerivedFrom(AcDbEntity::desc()) ? 1 : 0);
    }
    // The classes of proxies, as their records were, marked as not loaded;
    // a class the file listed keeps its place (proxy records of the file
    // name their class by its place).
    auto writeProxyClass = [&](const std::string& key) {
        auto it = m_proxyClasses.find(key);
        if (it == m_proxyClasses.end() || written.count(key) != 0)
            return false;
        written.insert(key);
        const ProxyClassRecord& rec = it->second.first;
        m_w.write(0, "CLASS");
        m_w.write(1, rec.dxfName);
        m_w.write(2, rec.cppName);
        m_w.write(3, rec.appName);
        m_w.writeInt(90, rec.proxyFlags);
        m_w.writeInt(91, it->second.second);
        m_w.writeInt(280, 1);
        m_w.writeInt(281, rec.isEntity ? 1 : 0);
        return true;
    };
    for (const Tags& c : m_data->classes) {
        size_t i = findCode(c, 1);
        if (i < c.size() && (writeProxyClass(upper(c[i].value)) || written.count(upper(c[i].value)) != 0))
            continue;
        writeTags(c);
    }
    for (auto& entry : m_proxyClasses)
        writeProxyClass(entry.first);
    m_w.write(0, "ENDSEC");
}

bool Writer::writeDbObject(AcDbObject* pObj, const std::string& type, bool paperSpace) {
    Tags tags;
    std::string why;
    Acad::ErrorStatus es = writeObject(pObj, m_pDb, type, m_codec, tags, &m_filers, &why);
    std::uint64_t handle = pObj->objectId().handle().value();
    if (es != Acad::eOk)
        return fail("the " + type + " with handle " + formatHandle(handle) +
                    " could not be written: " + (why.empty() ? toUtf8(acadErrorStatusText(es)) : why));
    auto kept = m_data->keptRuns.find(handle);
    if (kept != m_data->keptRuns.end())
        restoreKeptRuns(tags, kept->second);
    auto app = m_data->appData.find(handle);
    if (app != m_data->appData.end())
        restoreAppData(tags, app->second);
    if (paperSpace && findCode(tags, 67) == tags.size()) {
        size_t at = findCode(tags, 100);
        if (at < tags.size())
            tags.insert(tags.begin() + static_cast<long>(at) + 1, {67, "1"});
    }
    auto xd = m_data->xdata.find(handle);
    if (xd != m_data->xdata.end() && findCode(tags, 1001) == tags.size())
        tags.insert(tags.end(), xd->second.begin(), xd->second.end());
    if (!m_graphics.empty()) {
        insertGraphicsGroups(tags, m_graphics, m_version);
        m_graphics.clear();
    }
    if (type == "BLOCK_RECORD") {
        auto lay = m_data->recordLayout.find(handle);
        size_t at = findCode(tags, 2);
        if (lay != m_data->recordLayout.end() && lay->second != 0 && at < tags.size() &&
            findCode(tags, 340) == tags.size())
            tags.insert(tags.begin() + static_cast<long>(at) + 1, {340, formatHandle(lay->second)});
    }
    writeTags(tags);
    return true;
}

// Kept tags get the handle and owner the object has now (a copy made in
// hostsim has a new handle and maybe another block). `space` is where the
// next reading must put the entity by its group 67 (0 model space, 1 paper
// space, -1 where the block says): the group it reads (one among the common
// groups, before any other subclass marker) is set or added to say so.
void Writer::writeKept(Tags tags, std::uint64_t handle, std::uint64_t owner, int space) {
    if (tags.empty())
        return;
    if (!m_data->keptRemap.empty()) {
        for (Tag& t : tags) {
            std::uint64_t h = 0;
            if ((groupType(t.code) == GroupType::kHandle || t.code == 5) && parseHandle(t.value, h)) {
                auto it = m_data->keptRemap.find(h);
                if (it != m_data->keptRemap.end())
                    t.value = formatHandle(it->second);
            }
        }
    }
    size_t end = findCode(tags, 0);
    size_t h = findCode(tags, 5);
    if (h < end)
        tags[h].value = formatHandle(handle);
    else
        tags.insert(tags.begin() + 1, {5, formatHandle(handle)});
    setOwnerGroup(tags, 0, owner);
    if (space >= 0) {
        end = findCode(tags, 0);
        // The common groups end at the first subclass marker other than
        // the entity's own.
        size_t common = 1, marker = end;
        while (common < end && !(tags[common].code == 100 && tags[common].value != "AcDbEntity")) {
            if (tags[common].code == 100 && marker == end)
                marker = common;
            ++common;
        }
        size_t at = 1;
        while (at < common && tags[at].code != 67)
            ++at;
        // Only a value that says the other space is changed: another would
        // change how the record reads (one that does not parse keeps it
        // whole; in model space any value but 1 says model space).
        std::string said = at < common ? tags[at].value : std::string();
        size_t first = said.find_first_not_of(" \t"), last = said.find_last_not_of(" \t");
        said = first == std::string::npos ? std::string() : said.substr(first, last - first + 1);
        if (at < common) {
            if (space == 1 && said != "1")
                tags[at].value = "1";
            else if (space == 0 && said == "1")
                tags[at].value = "0";
        } else if (space == 1) {
            // After the entity's subclass marker; else before the first
            // other one; else after the handle, owner and application data.
            if (marker < end) {
                at = marker + 1;
            } else if (common < end) {
                at = common;
            } else {
                at = 1;
                while (at < end && (tags[at].code == 5 || tags[at].code == 330 || tags[at].code == 102 ||
                                    tags[at].code == 360))
                    ++at;
            }
            tags.insert(tags.begin() + static_cast<long>(at), {67, "1"});
        }
    }
    // Vertices, attributes and the end of sequence belong to the entity.
    for (size_t i = 1; i < tags.size(); ++i)
        if (tags[i].code == 0)
            setOwnerGroup(tags, i, handle);
    writeTags(tags);
}

void Writer::writeEntity(AcDbObjectId id, bool paperSpace, bool inEntitiesSection) {
    int keptSpace = paperSpace ? 1 : (inEntitiesSection ? 0 : -1);
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk) {
        fail("the entity with handle " + formatHandle(id.handle().value()) + " cannot be opened");
        return;
    }
    if (HsDxfKeptEntity* pKept = HsDxfKeptEntity::cast(pEnt)) {
        writeKept(pKept->tags(), id.handle().value(), pEnt->ownerId().handle().value(), keptSpace);
    } else if (HsProxyEntity* pProxy = proxyEntity(pEnt)) {
        // A proxy is written back as its record was, with its graphics.
        writeKept(proxyRecord(pProxy, m_pDb, m_version, /*withGraphics=*/true), id.handle().value(),
                  pEnt->ownerId().handle().value(), keptSpace);
    } else {
        // A custom entity carries its graphics for programs without its class.
        if (m_proxyGraphics && m_customClasses.count(pEnt->isA()) != 0)
            m_graphics = recordProxyGraphics(pEnt);
        std::string type = dxfNameOf(pEnt->isA());
        if (type.empty())
            fail("the entity with handle " + formatHandle(id.handle().value()) + " has no DXF name");
        else
            writeDbObject(pEnt, type, paperSpace);
    }
    pEnt->close();
    spill(false);
}

void Writer::noteProxyClass(AcDbObjectId id) {
    AcDbObject* pEnt = nullptr;
    if (acdbOpenAcDbObject(pEnt, id, AcDb::kForRead) != Acad::eOk)
        return;
    if (HsProxyObject* pProxyObject = proxyObject(pEnt)) {
        if (!pProxyObject->isFileProxyRecord()) {
            const ProxyClassRecord& rec = pProxyObject->classRecord();
            auto& entry = m_proxyClasses[upper(rec.dxfName)];
            entry.first = rec;
            ++entry.second;
        }
        pEnt->close();
        return;
    }
    HsProxyEntity* pProxy = proxyEntity(pEnt);
    // A proxy record of the file refers to its class by its place in the
    // kept CLASSES section, which stays as it was.
    if (pProxy != nullptr && !pProxy->isFileProxyRecord()) {
        const ProxyClassRecord& rec = pProxy->classRecord();
        auto& entry = m_proxyClasses[upper(rec.dxfName)];
        entry.first = rec;
        ++entry.second;
    }
    pEnt->close();
}

// A kept dictionary without its entries for database objects that were
// erased (their records are not written).
Tags Writer::withoutErasedEntries(const Tags& tags) const {
    if (m_ownObjects.empty() || tags.empty() || tags[0].value != "DICTIONARY")
        return tags;
    Tags out;
    out.reserve(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        std::uint64_t h = 0;
        if (tags[i].code == 3 && i + 1 < tags.size() &&
            (tags[i + 1].code == 350 || tags[i + 1].code == 360) && parseHandle(tags[i + 1].value, h)) {
            AcDbObjectId id = hs::idFromHandle(m_pDb, h);
            if (!id.isNull() && id.isErased()) {
                ++i;
                continue;
            }
        }
        out.push_back(tags[i]);
    }
    return out;
}

void Writer::writeOwnObject(AcDbObjectId id) {
    AcDbObject* pObj = nullptr;
    std::uint64_t handle = id.handle().value();
    if (acdbOpenAcDbObject(pObj, id, AcDb::kForRead) != Acad::eOk) {
        fail("the object with handle " + formatHandle(handle) + " cannot be opened");
        return;
    }
    if (HsProxyObject* pProxy = proxyObject(pObj)) {
        // A proxy is written back as its record was, under its handle now.
        Tags tags = pProxy->tags();
        for (Tag& t : tags) {
            std::uint64_t h = 0;
            if (!m_data->keptRemap.empty() && groupType(t.code) == GroupType::kHandle &&
                parseHandle(t.value, h)) {
                auto it = m_data->keptRemap.find(h);
                if (it != m_data->keptRemap.end())
                    t.value = formatHandle(it->second);
            }
        }
        size_t at = findCode(tags, 5);
        if (at < tags.size() && at < findCode(tags, 100)) {
            std::uint64_t h = 0;
            if (!parseHandle(tags[at].value, h) || h != handle)
                tags[at].value = formatHandle(handle);
        }
        writeTags(tags);
    } else {
        Tags tags;
        std::string why;
        std::string type = dxfNameOf(pObj->isA());
        Acad::ErrorStatus es = filedObjectRecord(pObj, m_pDb, type, m_codec, tags, &why);
        if (es != Acad::eOk)
            fail("the " + type + " with handle " + formatHandle(handle) +
                 " could not be written: " + (why.empty() ? toUtf8(acadErrorStatusText(es)) : why));
        else
            writeTags(tags);
    }
    pObj->close();
    spill(false);
}

void Writer::writeDbTable(const std::string& name, AcDbObjectId tableId) {
    std::vector<AcDbObjectId> records = hs::entitiesOf(tableId);
    m_w.write(0, "TABLE");
    m_w.write(2, name);
    m_w.writeHandle(5, tableId.handle().value());
    m_w.write(330, "0");
    m_w.write(100, "AcDbSymbolTable");
    m_w.writeInt(70, static_cast<long long>(records.size()));
    std::set<std::string> names;  // a reader takes two entries of one name as one
    for (AcDbObjectId id : records) {
        AcDbObject* pRec = nullptr;
        if (acdbOpenAcDbObject(pRec, id, AcDb::kForRead) != Acad::eOk) {
            fail("the " + name + " entry with handle " + formatHandle(id.handle().value()) +
                 " cannot be opened");
            continue;
        }
        const ACHAR* pName = nullptr;
        if (AcDbSymbolTableRecord* pSym = AcDbSymbolTableRecord::cast(pRec))
            pSym->getName(pName);
        std::string entry = upper(toUtf8(pName != nullptr ? pName : ACRX_T("")));
        if (!entry.empty() && !names.insert(entry).second)
            fail("the " + name + " with handle " + formatHandle(id.handle().value()) +
                 " could not be written: another entry has its name");
        writeDbObject(pRec, name, false);
        pRec->close();
    }
    m_w.write(0, "ENDTAB");
}

void Writer::writeTables() {
    m_w.write(0, "SECTION");
    m_w.write(2, "TABLES");
    static const char* const order[] = {"VPORT", "LTYPE", "LAYER",    "STYLE",       "VIEW",
                                        "UCS",   "APPID", "DIMSTYLE", "BLOCK_RECORD"};
    std::set<std::string> done;
    auto writeKeptTable = [&](const KeptTable& t) {
        m_w.write(0, "TABLE");
        writeTags(t.head);
        for (const Tags& e : t.entries)
            writeTags(e);
        m_w.write(0, "ENDTAB");
    };
    for (const char* name : order) {
        done.insert(name);
        if (std::string(name) == "LTYPE") {
            writeDbTable(name, m_pDb->linetypeTableId());
        } else if (std::string(name) == "LAYER") {
            writeDbTable(name, m_pDb->layerTableId());
        } else if (std::string(name) == "BLOCK_RECORD") {
            writeDbTable(name, m_pDb->blockTableId());
        } else {
            for (const KeptTable& t : m_data->tables)
                if (t.name == name)
                    writeKeptTable(t);
        }
    }
    for (const KeptTable& t : m_data->tables)
        if (done.count(t.name) == 0)
            writeKeptTable(t);
    m_w.write(0, "ENDSEC");
}

void Writer::writeBlocks() {
    m_w.write(0, "SECTION");
    m_w.write(2, "BLOCKS");
    for (AcDbObjectId recId : hs::entitiesOf(m_pDb->blockTableId())) {
        std::uint64_t h = recId.handle().value();
        BlockMarks& marks = m_data->blocks[h];
        if (!marks.begin.empty())
            setOwnerGroup(marks.begin, 0, h);
        if (!marks.end.empty())
            setOwnerGroup(marks.end, 0, h);
        writeTags(marks.begin);
        // The entities of the other paper space layouts are paper space
        // entities too (group 67), as those of the current one: blocks of a
        // layout, or whose BLOCK says it is in paper space (files without
        // block records).
        auto layout = m_data->recordLayout.find(h);
        size_t space = findCode(marks.begin, 67);
        long long flag = 0;
        bool paper = (layout != m_data->recordLayout.end() && layout->second != 0) ||
                     (space < marks.begin.size() && parseInt(marks.begin[space].value, flag) && flag == 1);
        if (h != m_ms && h != m_ps)
            for (AcDbObjectId id : hs::entitiesOf(recId))
                writeEntity(id, paper);
        writeTags(marks.end);
    }
    m_w.write(0, "ENDSEC");
}

void Writer::writeEntities() {
    m_w.write(0, "SECTION");
    m_w.write(2, "ENTITIES");
    for (AcDbObjectId id : hs::entitiesOf(hs::modelSpaceId(m_pDb)))
        writeEntity(id, false, true);
    for (AcDbObjectId id : hs::entitiesOf(hs::paperSpaceId(m_pDb)))
        writeEntity(id, true, true);
    m_w.write(0, "ENDSEC");
}

void Writer::writeObjects() {
    m_w.write(0, "SECTION");
    m_w.write(2, "OBJECTS");
    size_t next = 0;
    for (size_t i = 0; i <= m_data->objects.size(); ++i) {
        for (; next < m_ownObjects.size() && m_ownObjects[next].first.before <= i; ++next)
            writeOwnObject(m_ownObjects[next].second);
        if (i < m_data->objects.size())
            writeTags(withoutErasedEntries(m_data->objects[i]));
    }
    writeTags(m_sortents);
    m_w.write(0, "ENDSEC");
}

DxfResult Writer::run() {
    DxfResult result;
    if (m_pDb == nullptr) {
        result.message = "no drawing to write";
        return result;
    }
    prepare();
    // The file's $HANDSEED must name a handle no record has.
    if (hs::handlesUsedUp(m_pDb) || m_data->maxKeptHandle == ~std::uint64_t(0))
        fail(kNoHandles);
    // Most objects take well under 256 bytes of a file. Room reserved and
    // not written is address space only: the system provides the pages
    // when they are first written.
    if (m_pSink != nullptr)
        m_out.reserve(2 * kSpillBytes);
    else
        m_out.reserve(m_out.size() + 1024 * 1024 + hs::handleCount(m_pDb) * 256);
    writeHeader();
    writeClasses();
    writeTables();
    writeBlocks();
    writeEntities();
    writeObjects();
    for (const auto& [name, tags] : m_data->otherSections) {
        m_w.write(0, "SECTION");
        m_w.write(2, name);
        writeTags(tags);
        m_w.write(0, "ENDSEC");
    }
    m_w.write(0, "EOF");
    spill(true);
    result.ok = m_error.empty();
    result.message = m_error;
    return result;
}

}  // namespace
}  // namespace dxf

DxfResult writeDxfText(AcDbDatabase* pDb, std::string& text) {
    dxf::Writer writer(pDb, text);
    return writer.run();
}

DxfResult writeDxfPieces(AcDbDatabase* pDb, const DxfSink& sink) {
    std::string buffer;
    dxf::Writer writer(pDb, buffer, &sink);
    return writer.run();
}

}  // namespace hs
