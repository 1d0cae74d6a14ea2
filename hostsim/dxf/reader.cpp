// Reading a DXF file into a new database. One pass over the tags: header
// variables, classes and the tables hostsim has no objects for are kept as
// tags; layers, linetypes, block records and entities become database objects
// through their own DXF reading; anything hostsim cannot read is kept as its
// tags so that it is written back unchanged.
#include <algorithm>
#include <set>
#include <unordered_map>

#include "dbsymtb.h"
#include "dxf/drawing_data.h"
#include "dxf/kept_entity.h"
#include "dxf/objects_io.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/text.h"

namespace hs {
namespace dxf {

namespace {

bool is(const RawTag& t, int code, std::string_view value) {
    if (t.code != code)
        return false;
    std::string_view v = t.value;
    if (v.size() == value.size())  // the usual case: no spaces around the value
        return v == value;
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
        v.remove_suffix(1);
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    return v == value;
}

std::string describe(const RawTag& t) {
    return "group " + std::to_string(t.code) + " \"" + std::string(t.value.substr(0, 40)) + "\"";
}

Tags toTags(const RawTag* begin, const RawTag* end) {
    Tags out;
    out.reserve(static_cast<size_t>(end - begin));
    for (const RawTag* p = begin; p != end; ++p)
        out.push_back({p->code, std::string(p->value)});
    return out;
}

// The groups 102 {...} before the first subclass marker, and the extended
// data from the first 1001 on.
void splitExtras(const RawTag* begin, const RawTag* end, Tags& appData, Tags& xdata) {
    bool inApp = false;
    for (const RawTag* p = begin; p != end; ++p) {
        if (p->code == 1001) {
            xdata = toTags(p, end);
            return;
        }
        if (p->code == 100)
            inApp = false;
        if (p->code == 102 && !p->value.empty() && p->value[0] == '{')
            inApp = true;
        if (inApp)
            appData.push_back({p->code, std::string(p->value)});
        if (p->code == 102 && p->value == "}")
            inApp = false;
    }
}

class Reader {
public:
    explicit Reader(std::string_view text) : m_r(text) {}
    DxfResult run(AcDbDatabase*& pDbOut);

private:
    bool fail(const std::string& message) {
        if (m_error.empty())
            m_error = message;
        return false;
    }
    bool failAt(const RawTag& t, const std::string& expected) {
        return fail("line " + std::to_string(t.line) + ": expected " + expected + ", found " + describe(t));
    }
    bool failEnd(const std::string& expected) {
        if (m_r.failed())
            return fail(m_r.error());
        return fail("line " + std::to_string(m_r.line()) + ": expected " + expected +
                    ", found the end of the file");
    }
    void warn(int line, const std::string& message) {
        if (m_warnings.size() < 1000)
            m_warnings.push_back("line " + std::to_string(line) + ": " + message);
    }
    void noteHandle(std::uint64_t h) { m_maxHandle = std::max(m_maxHandle, h); }

    // Reads the next item of a section: its group 0 and the tags up to the
    // next group 0. False at 0 ENDSEC (endOfSection set) or on an error.
    bool nextItem(std::vector<RawTag>& out, bool& endOfSection);
    // Adds the entities that belong to the item just read (attributes,
    // vertices) up to and including the end of sequence.
    bool addFollowers(std::vector<RawTag>& out, size_t& mainCount);

    bool readHeader();
    bool readClasses();
    bool readTables();
    bool readBlocks();
    bool readEntities();
    bool readObjects();
    bool keepSection(const std::string& name);

    void addRecord(const std::string& table, std::vector<RawTag>& tags);
    void addEntity(const std::vector<RawTag>& tags, size_t mainCount, AcDbObjectId blockId);
    AcDbObjectId blockOfEntity(const std::vector<RawTag>& tags, size_t mainCount);
    void keepExtras(std::uint64_t handle, const RawTag* begin, const RawTag* end, KeptRuns kept = {});
    AcRxClass* classFor(const std::string& type);
    std::uint64_t mapped(std::uint64_t fileHandle) const {
        auto it = m_remap.find(fileHandle);
        return it == m_remap.end() ? fileHandle : it->second;
    }
    void finish();
    void remapTags(Tags& tags) const;

    TagReader m_r;
    AcDbDatabase* m_pDb = nullptr;
    DrawingData* m_data = nullptr;
    TextCodec m_codec;
    FilerCache m_filers;
    std::map<std::string, std::string> m_fileClasses;
    std::unordered_map<std::string, AcRxClass*> m_classCache;
    std::map<std::uint64_t, std::uint64_t> m_remap;
    std::uint64_t m_fileSeed = 0;
    std::uint64_t m_maxHandle = 0;
    std::vector<std::string> m_warnings;
    std::string m_error;
    std::vector<RawTag> m_item;
    // The model space sort-entities table: entity handle to sort handle.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_sortPairs;
    bool m_sawEntities = false;
};

bool Reader::nextItem(std::vector<RawTag>& out, bool& endOfSection) {
    out.clear();
    endOfSection = false;
    RawTag t;
    do {
        if (!m_r.next(t))
            return failEnd("group 0 ENDSEC");
    } while (t.code == 999);
    if (t.code != 0)
        return failAt(t, "group 0");
    if (is(t, 0, "ENDSEC")) {
        endOfSection = true;
        return false;
    }
    if (is(t, 0, "EOF"))
        return failAt(t, "group 0 ENDSEC");
    out.push_back(t);
    while (m_r.next(t)) {
        if (t.code == 0) {
            m_r.pushBack();
            return true;
        }
        if (t.code != 999)
            out.push_back(t);
    }
    return failEnd("group 0 ENDSEC");
}

bool Reader::addFollowers(std::vector<RawTag>& out, size_t& mainCount) {
    mainCount = out.size();
    RawTag t;
    if (!m_r.peek(t) || !(is(t, 0, "ATTRIB") || is(t, 0, "VERTEX") || is(t, 0, "SEQEND")))
        return true;
    std::vector<RawTag> next;
    bool end = false;
    while (nextItem(next, end)) {
        bool seqend = is(next[0], 0, "SEQEND");
        out.insert(out.end(), next.begin(), next.end());
        if (seqend)
            return true;
        if (!m_r.peek(t) || !(is(t, 0, "ATTRIB") || is(t, 0, "VERTEX") || is(t, 0, "SEQEND")))
            return true;
    }
    if (end)
        m_r.pushBack();
    return m_error.empty();
}

bool Reader::readHeader() {
    RawTag t;
    HeaderVar* pVar = nullptr;
    while (m_r.next(t)) {
        if (is(t, 0, "ENDSEC"))
            return true;
        if (t.code == 0)
            return failAt(t, "a header variable or group 0 ENDSEC");
        if (t.code == 9) {
            m_data->header.push_back({std::string(t.value), {}});
            pVar = &m_data->header.back();
            continue;
        }
        if (pVar == nullptr)
            return failAt(t, "group 9 with a variable name");
        pVar->values.push_back({t.code, std::string(t.value)});
        if (pVar->name == "$ACADVER" && t.code == 1) {
            m_data->version = std::string(t.value);
            m_codec = TextCodec(m_data->version >= "AC1021");
        } else if (pVar->name == "$HANDSEED" && t.code == 5) {
            if (!parseHandle(t.value, m_fileSeed))
                warn(t.line, "$HANDSEED is not a handle; a new one is used");
            else  // room for the file's handles, within what a file of its size can hold
                hs::reserveHandles(m_pDb, std::min<std::uint64_t>(m_fileSeed, m_r.size() / 20));
        }
    }
    return failEnd("group 0 ENDSEC");
}

bool Reader::readClasses() {
    bool end = false;
    while (nextItem(m_item, end)) {
        if (!is(m_item[0], 0, "CLASS"))
            return failAt(m_item[0], "group 0 CLASS");
        std::string dxfName, cppName;
        for (const RawTag& t : m_item) {
            if (t.code == 1)
                dxfName = std::string(t.value);
            else if (t.code == 2)
                cppName = std::string(t.value);
        }
        if (!dxfName.empty() && !cppName.empty())
            m_fileClasses[upper(dxfName)] = cppName;
        m_data->classes.push_back(toTags(m_item.data(), m_item.data() + m_item.size()));
    }
    return end;
}

bool Reader::readTables() {
    bool end = false;
    KeptTable* pTable = nullptr;
    std::string tableName;
    while (nextItem(m_item, end)) {
        const RawTag& head = m_item[0];
        if (is(head, 0, "TABLE")) {
            if (m_item.size() < 2 || m_item[1].code != 2)
                return failAt(m_item.size() < 2 ? head : m_item[1], "group 2 with the table name");
            std::string name(m_item[1].value);
            tableName = name;
            Tags head = toTags(m_item.data() + 1, m_item.data() + m_item.size());
            std::uint64_t fileHandle = tagHandle(head, 5);
            if (name == "LAYER" || name == "LTYPE" || name == "BLOCK_RECORD") {
                // These tables are the database's own; references follow it.
                AcDbObjectId tableId = name == "LAYER"   ? m_pDb->layerTableId()
                                       : name == "LTYPE" ? m_pDb->linetypeTableId()
                                                         : m_pDb->blockTableId();
                if (fileHandle != 0 && fileHandle != tableId.handle().value())
                    m_remap[fileHandle] = tableId.handle().value();
                pTable = nullptr;
            } else {
                noteHandle(fileHandle);
                m_data->tables.push_back({name, std::move(head), {}});
                pTable = &m_data->tables.back();
            }
            continue;
        }
        if (is(head, 0, "ENDTAB")) {
            pTable = nullptr;
            tableName.clear();
            continue;
        }
        if (tableName.empty())
            return failAt(head, "group 0 TABLE");
        if (pTable == nullptr) {
            addRecord(tableName, m_item);
        } else {
            pTable->entries.push_back(toTags(m_item.data(), m_item.data() + m_item.size()));
            noteHandle(ownHandle(pTable->entries.back()));
        }
    }
    return end;
}

// Reads a layer, linetype or block record. A record whose name the new
// database already has (layer 0, the standard linetypes, the two spaces)
// is read into that record, and references to the file's handle are moved to
// it.
void Reader::addRecord(const std::string& table, std::vector<RawTag>& tags) {
    std::uint64_t fileHandle = 0;
    std::string name;
    std::uint64_t layout = 0;
    for (const RawTag& t : tags) {
        if ((t.code == 5 || t.code == 105) && fileHandle == 0)
            parseHandle(t.value, fileHandle);
        else if (t.code == 2 && name.empty())
            name = m_codec.decode(t.value);
        else if (t.code == 340 && table == "BLOCK_RECORD")
            parseHandle(t.value, layout);
    }
    if (name.empty()) {
        warn(tags[0].line, table + " entry without a name skipped");
        return;
    }
    AcDbObjectId tableId = table == "LAYER"   ? m_pDb->layerTableId()
                           : table == "LTYPE" ? m_pDb->linetypeTableId()
                                              : m_pDb->blockTableId();
    AcDbObjectId existing;
    AcDbSymbolTable* pTable = nullptr;
    if (acdbOpenObject(pTable, tableId, AcDb::kForRead) == Acad::eOk) {
        pTable->getAt(fromUtf8(name).c_str(), existing);
        pTable->close();
    }
    std::string error;
    const RawTag* begin = tags.data() + 1;
    const RawTag* end = tags.data() + tags.size();
    std::uint64_t dbHandle = 0;
    KeptRuns kept;
    if (!existing.isNull()) {
        AcDbObject* pRec = nullptr;
        if (acdbOpenAcDbObject(pRec, existing, AcDb::kForWrite) == Acad::eOk) {
            if (readObject(pRec, m_pDb, begin, end, m_codec, error, &m_filers, &kept) != Acad::eOk)
                warn(tags[0].line, table + " " + name + ": " + error);
            pRec->close();
        }
        dbHandle = existing.handle().value();
    } else {
        AcDbSymbolTableRecord* pRec = nullptr;
        if (table == "LAYER")
            pRec = new AcDbLayerTableRecord();
        else if (table == "LTYPE")
            pRec = new AcDbLinetypeTableRecord();
        else
            pRec = new AcDbBlockTableRecord();
        if (pRec == nullptr)
            return;
        if (readObject(pRec, m_pDb, begin, end, m_codec, error, &m_filers, &kept) != Acad::eOk)
            warn(tags[0].line, table + " " + name + ": " + error);
        // The name looked up above, whatever else the entry held.
        pRec->setName(fromUtf8(name).c_str());
        AcDbObjectId id;
        Acad::ErrorStatus es = hs::addObject(m_pDb, pRec, tableId, AcDbHandle(fileHandle), id);
        if (es != Acad::eOk && fileHandle != 0)
            es = hs::addObject(m_pDb, pRec, tableId, AcDbHandle(), id);
        if (es != Acad::eOk) {
            warn(tags[0].line, table + " " + name + " could not be added");
            delete static_cast<AcDbObject*>(pRec);
            return;
        }
        pRec->close();
        dbHandle = id.handle().value();
    }
    if (fileHandle != 0 && fileHandle != dbHandle)
        m_remap[fileHandle] = dbHandle;
    if (layout != 0)
        m_data->recordLayout[dbHandle] = layout;
    keepExtras(dbHandle, begin, end, std::move(kept));
}

void Reader::keepExtras(std::uint64_t handle, const RawTag* begin, const RawTag* end, KeptRuns kept) {
    if (!kept.empty())
        m_data->keptRuns[handle] = std::move(kept);
    Tags appData, xdata;
    splitExtras(begin, end, appData, xdata);
    // A group left open ended at the subclass data: it is closed there.
    if (!appData.empty() && !(appData.back().code == 102 && appData.back().value == "}"))
        appData.push_back({102, "}"});
    if (!appData.empty())
        m_data->appData[handle] = std::move(appData);
    if (!xdata.empty())
        m_data->xdata[handle] = std::move(xdata);
}

AcRxClass* Reader::classFor(const std::string& type) {
    auto it = m_classCache.find(type);
    if (it != m_classCache.end())
        return it->second;
    AcRxClass* pClass = classForDxfName(type, m_fileClasses);
    if (pClass != nullptr && !pClass->isDerivedFrom(AcDbEntity::desc()))
        pClass = nullptr;
    if (pClass != nullptr && pClass == HsDxfKeptEntity::desc())
        pClass = nullptr;
    m_classCache[type] = pClass;
    return pClass;
}

void Reader::addEntity(const std::vector<RawTag>& tags, size_t mainCount, AcDbObjectId blockId) {
    const RawTag* begin = tags.data();
    const RawTag* mainEnd = begin + mainCount;
    std::string type(begin->value);
    std::uint64_t fileHandle = 0;
    // The handle may come late (after the layer, or after a subclass marker).
    for (const RawTag* p = begin + 1; p != mainEnd && p->code < 1000; ++p)
        if (p->code == 5 && parseHandle(p->value, fileHandle))
            break;
    for (const RawTag& t : tags) {
        std::uint64_t h = 0;
        if (t.code == 5 && parseHandle(t.value, h))
            noteHandle(h);
    }
    AcDbEntity* pEnt = nullptr;
    bool known = false;
    AcRxClass* pClass = mainCount == tags.size() ? classFor(type) : nullptr;
    KeptRuns kept;
    if (pClass != nullptr) {
        pEnt = AcDbEntity::cast(pClass->create());
        if (pEnt != nullptr) {
            std::string error;
            if (readObject(pEnt, m_pDb, begin + 1, mainEnd, m_codec, error, &m_filers, &kept) == Acad::eOk) {
                known = true;
            } else {
                warn(begin->line, type + " " + formatHandle(fileHandle) + " kept as it is: " + error);
                delete pEnt;
                pEnt = nullptr;
            }
        }
    }
    if (pEnt == nullptr) {
        HsDxfKeptEntity* pKept = new HsDxfKeptEntity();
        if (pKept == nullptr)
            return;
        pKept->setTags(toTags(begin, begin + tags.size()));
        pEnt = pKept;
    }
    AcDbObjectId id;
    Acad::ErrorStatus es = hs::addObject(m_pDb, pEnt, blockId, AcDbHandle(fileHandle), id);
    if (es != Acad::eOk && fileHandle != 0) {
        es = hs::addObject(m_pDb, pEnt, blockId, AcDbHandle(), id);
        if (es == Acad::eOk) {
            warn(begin->line, "handle " + formatHandle(fileHandle) + " is used twice; the " + type +
                                  " gets handle " + formatHandle(id.handle().value()));
        }
    }
    if (es != Acad::eOk) {
        warn(begin->line, type + " could not be added to the drawing");
        delete pEnt;
        return;
    }
    pEnt->close();
    if (known)
        keepExtras(id.handle().value(), begin + 1, mainEnd, std::move(kept));
}

AcDbObjectId Reader::blockOfEntity(const std::vector<RawTag>& tags, size_t mainCount) {
    bool paper = false;
    std::uint64_t owner = 0;
    for (size_t i = 1; i < mainCount; ++i) {
        const RawTag& t = tags[i];
        if (t.code == 330 && owner == 0)
            parseHandle(t.value, owner);
        else if (t.code == 67)
            paper = is(t, 67, "1");
        else if (t.code == 100 && t.value != "AcDbEntity")
            break;
    }
    if (owner != 0) {
        AcDbObjectId id = hs::idFromHandle(m_pDb, mapped(owner));
        if (!id.isNull() && id != hs::modelSpaceId(m_pDb) && hs::className(id) == "AcDbBlockTableRecord")
            return id;
    }
    return paper ? hs::paperSpaceId(m_pDb) : hs::modelSpaceId(m_pDb);
}

bool Reader::readBlocks() {
    bool end = false;
    AcDbObjectId blockId;
    BlockMarks marks;
    bool inBlock = false;
    while (nextItem(m_item, end)) {
        const RawTag& head = m_item[0];
        if (is(head, 0, "BLOCK")) {
            if (inBlock)
                return failAt(head, "group 0 ENDBLK");
            std::string name;
            AcGePoint3d base;
            for (const RawTag& t : m_item) {
                if (t.code == 2 && name.empty())
                    name = m_codec.decode(t.value);
                else if (t.code == 10)
                    parseDouble(t.value, base.x);
                else if (t.code == 20)
                    parseDouble(t.value, base.y);
                else if (t.code == 30)
                    parseDouble(t.value, base.z);
            }
            if (name.empty())
                return failAt(head, "a block with a name (group 2)");
            AcDbBlockTable* pTable = nullptr;
            blockId.setNull();
            if (m_pDb->getBlockTable(pTable, AcDb::kForRead) == Acad::eOk) {
                pTable->getAt(fromUtf8(name).c_str(), blockId);
                pTable->close();
            }
            if (blockId.isNull()) {
                // Files without block records (R12) name their blocks only here.
                AcDbBlockTableRecord* pRec = new AcDbBlockTableRecord();
                pRec->setName(fromUtf8(name).c_str());
                AcDbObjectId id;
                if (hs::addObject(m_pDb, pRec, m_pDb->blockTableId(), AcDbHandle(), id) != Acad::eOk) {
                    delete pRec;
                    return fail("line " + std::to_string(head.line) + ": block " + name + " cannot be added");
                }
                pRec->close();
                blockId = id;
            }
            AcDbBlockTableRecord* pRec = nullptr;
            if (acdbOpenObject(pRec, blockId, AcDb::kForWrite) == Acad::eOk) {
                pRec->setOrigin(base);
                pRec->close();
            }
            marks = BlockMarks();
            marks.begin = toTags(m_item.data(), m_item.data() + m_item.size());
            noteHandle(ownHandle(marks.begin));
            inBlock = true;
            continue;
        }
        if (is(head, 0, "ENDBLK")) {
            if (!inBlock)
                return failAt(head, "group 0 BLOCK");
            marks.end = toTags(m_item.data(), m_item.data() + m_item.size());
            noteHandle(ownHandle(marks.end));
            m_data->blocks[blockId.handle().value()] = std::move(marks);
            inBlock = false;
            continue;
        }
        if (!inBlock)
            return failAt(head, "group 0 BLOCK");
        size_t mainCount = 0;
        if (!addFollowers(m_item, mainCount))
            return false;
        addEntity(m_item, mainCount, blockId);
    }
    if (end && inBlock)
        return fail("line " + std::to_string(m_r.line() - 2) +
                    ": expected group 0 ENDBLK, found group 0 ENDSEC");
    return end;
}

bool Reader::readEntities() {
    bool end = false;
    m_sawEntities = true;
    while (nextItem(m_item, end)) {
        size_t mainCount = 0;
        if (!addFollowers(m_item, mainCount))
            return false;
        addEntity(m_item, mainCount, blockOfEntity(m_item, mainCount));
    }
    return end;
}

bool Reader::readObjects() {
    bool end = false;
    while (nextItem(m_item, end)) {
        Tags tags = toTags(m_item.data(), m_item.data() + m_item.size());
        noteHandle(ownHandle(tags));
        if (is(m_item[0], 0, "SORTENTSTABLE")) {
            std::uint64_t owner = 0, record = 0, entity = 0;
            bool inSubclass = false;
            std::vector<std::pair<std::uint64_t, std::uint64_t>> pairs;
            for (const RawTag& t : m_item) {
                std::uint64_t h = 0;
                if (t.code == 100)
                    inSubclass = t.value == "AcDbSortentsTable";
                else if (t.code == 330 && !inSubclass && owner == 0)
                    parseHandle(t.value, owner);
                else if (t.code == 330 && inSubclass)
                    parseHandle(t.value, record);
                else if (t.code == 331 && parseHandle(t.value, h))
                    entity = h;
                else if (t.code == 5 && inSubclass && parseHandle(t.value, h) && entity != 0)
                    pairs.emplace_back(entity, h);
            }
            if (record != 0 && mapped(record) == hs::modelSpaceId(m_pDb).handle().value() &&
                m_data->sortentsHandle == 0) {
                m_data->sortentsHandle = ownHandle(tags);
                m_data->sortentsOwner = owner;
                m_sortPairs = std::move(pairs);
                continue;
            }
        }
        m_data->objects.push_back(std::move(tags));
    }
    return end;
}

bool Reader::keepSection(const std::string& name) {
    Tags tags;
    RawTag t;
    while (m_r.next(t)) {
        if (is(t, 0, "ENDSEC")) {
            m_data->otherSections.emplace_back(name, std::move(tags));
            return true;
        }
        if (is(t, 0, "EOF"))
            return failAt(t, "group 0 ENDSEC");
        tags.push_back({t.code, std::string(t.value)});
    }
    return failEnd("group 0 ENDSEC");
}

void Reader::remapTags(Tags& tags) const {
    if (m_remap.empty())
        return;
    for (Tag& t : tags) {
        GroupType type = groupType(t.code);
        if (type != GroupType::kHandle && t.code != 5)
            continue;
        std::uint64_t h = 0;
        if (parseHandle(t.value, h)) {
            auto it = m_remap.find(h);
            if (it != m_remap.end())
                t.value = formatHandle(it->second);
        }
    }
}

void Reader::finish() {
    // Kept handles that the database now uses for another object move to new
    // handles.
    std::uint64_t seed = std::max({m_fileSeed, m_maxHandle + 1, hs::handseed(m_pDb)});
    // A kept record whose own handle the file also gave to a table that the
    // database has under another handle gets a new handle of its own too.
    std::map<std::uint64_t, std::uint64_t> ownRemap;
    auto claim = [&](std::uint64_t h) {
        if (h == 0 || ownRemap.count(h) != 0)
            return;
        if (m_remap.count(h) != 0) {
            ownRemap[h] = seed++;
            return;
        }
        AcDbObjectId id = hs::idFromHandle(m_pDb, h);
        if (id.isNull())
            return;
        AcDbObject* pObj = nullptr;
        if (acdbOpenAcDbObject(pObj, id, AcDb::kForRead, /*openErasedObject=*/true) != Acad::eOk)
            return;
        pObj->close();
        m_remap[h] = seed++;
    };
    for (KeptTable& t : m_data->tables) {
        claim(tagHandle(t.head, 5));
        for (Tags& e : t.entries)
            claim(ownHandle(e));
    }
    for (Tags& o : m_data->objects)
        claim(ownHandle(o));
    for (auto& [record, marks] : m_data->blocks) {
        claim(ownHandle(marks.begin));
        claim(ownHandle(marks.end));
    }
    hs::setHandseed(m_pDb, seed);

    auto remapKept = [&](Tags& tags) {
        std::uint64_t own = ownHandle(tags);
        auto it = ownRemap.find(own);
        remapTags(tags);
        if (it == ownRemap.end())
            return;
        for (Tag& t : tags)
            if (t.code == 5 || t.code == 105) {
                t.value = formatHandle(it->second);
                break;
            }
    };
    for (KeptTable& t : m_data->tables) {
        remapKept(t.head);
        for (Tags& e : t.entries)
            remapKept(e);
    }
    for (Tags& o : m_data->objects)
        remapKept(o);
    for (auto& [record, marks] : m_data->blocks) {
        remapKept(marks.begin);
        remapKept(marks.end);
    }
    for (auto& [h, tags] : m_data->appData)
        remapTags(tags);
    for (auto& [h, tags] : m_data->xdata)
        remapTags(tags);
    for (auto& [h, runs] : m_data->keptRuns)
        for (KeptRun& run : runs)
            remapTags(run.tags);
    for (auto& [record, layout] : m_data->recordLayout)
        layout = mapped(layout);
    m_data->sortentsHandle = mapped(m_data->sortentsHandle);
    m_data->sortentsOwner = mapped(m_data->sortentsOwner);
    // Entities kept as tags are moved to the new handles when written.
    m_data->keptRemap = m_remap;

    // Draw order of model space from its sort-entities table.
    if (!m_sortPairs.empty()) {
        AcDbObjectId ms = hs::modelSpaceId(m_pDb);
        std::vector<AcDbObjectId> order = hs::entitiesOf(ms);
        std::map<std::uint64_t, std::uint64_t> key;
        for (auto& [ent, sort] : m_sortPairs)
            key[mapped(ent)] = sort;
        auto sortKey = [&](AcDbObjectId id) {
            std::uint64_t h = id.handle().value();
            auto it = key.find(h);
            return it == key.end() ? h : it->second;
        };
        std::stable_sort(order.begin(), order.end(),
                         [&](AcDbObjectId a, AcDbObjectId b) { return sortKey(a) < sortKey(b); });
        hs::setDrawOrder(ms, order);
    }
    m_data->maxKeptHandle = m_maxHandle;
    completeDrawingData(m_pDb, *m_data);
}

DxfResult Reader::run(AcDbDatabase*& pDbOut) {
    pDbOut = nullptr;
    registerKeptEntityClass();
    m_pDb = new AcDbDatabase(/*buildDefaultDrawing=*/true, /*noDocument=*/true);
    m_data = drawingData(m_pDb, true);
    m_data->version = "AC1009";
    m_data->complete = false;
    std::set<std::string> seen;
    bool ok = true;
    bool sawEof = false;
    RawTag t;
    while (ok) {
        if (!m_r.next(t)) {
            ok = failEnd("group 0 SECTION or group 0 EOF");
            break;
        }
        if (t.code == 999)
            continue;
        if (is(t, 0, "EOF")) {
            sawEof = true;
            break;
        }
        if (!is(t, 0, "SECTION")) {
            ok = failAt(t, "group 0 SECTION or group 0 EOF");
            break;
        }
        RawTag nameTag;
        if (!m_r.next(nameTag)) {
            ok = failEnd("group 2 with the section name");
            break;
        }
        if (nameTag.code != 2) {
            ok = failAt(nameTag, "group 2 with the section name");
            break;
        }
        std::string name(nameTag.value);
        if (!seen.insert(name).second)
            warn(nameTag.line, "section " + name + " appears twice");
        if (name == "HEADER")
            ok = readHeader();
        else if (name == "CLASSES")
            ok = readClasses();
        else if (name == "TABLES")
            ok = readTables();
        else if (name == "BLOCKS")
            ok = readBlocks();
        else if (name == "ENTITIES")
            ok = readEntities();
        else if (name == "OBJECTS")
            ok = readObjects();
        else
            ok = keepSection(name);
        if (!ok && m_error.empty())
            ok = fail("line " + std::to_string(m_r.line()) + ": section " + name + " could not be read");
    }
    DxfResult result;
    result.warnings = std::move(m_warnings);
    if (!ok || !sawEof) {
        result.ok = false;
        result.message = m_error.empty() ? "the file ends without group 0 EOF" : m_error;
        delete m_pDb;
        return result;
    }
    finish();
    result.ok = true;
    pDbOut = m_pDb;
    return result;
}

}  // namespace
}  // namespace dxf

DxfResult readDxfText(std::string_view text, AcDbDatabase*& pDb) {
    dxf::Reader reader(text);
    return reader.run(pDb);
}

}  // namespace hs
