// Reading a DXF file into a new database. One pass over the tags: header
// variables, classes and the tables hostsim has no objects for are kept as
// tags; layers, linetypes, block records and entities become database objects
// through their own DXF reading; anything hostsim cannot read is kept as its
// tags so that it is written back unchanged.
#include "dxf/reader.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "db/dbimp.h"
#include "dbsymtb.h"
#include "dxf/kept_entity.h"
#include "dxf/objects_io.h"
#include "dxf/proxy_dxf.h"
#include "hostsim/dbapi.h"
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

// The application data of a record as it is kept, and its extended data. A
// group left open ended at the subclass data: it is closed there.
Tags appDataOf(const RawTag* begin, const RawTag* end, Tags& xdata) {
    Tags appData;
    splitExtras(begin, end, appData, xdata);
    if (!appData.empty() && !(appData.back().code == 102 && appData.back().value == "}"))
        appData.push_back({102, "}"});
    return appData;
}

// The space a block record or block stands for by its name: 1 model space,
// 2 paper space, 0 neither. Files of different programs and versions spell
// them differently.
int spaceRole(const std::string& name) {
    if (equalsNoCase(name, "*Model_Space") || equalsNoCase(name, "$MODEL_SPACE"))
        return 1;
    if (equalsNoCase(name, "*Paper_Space") || equalsNoCase(name, "$PAPER_SPACE"))
        return 2;
    return 0;
}

// Entity types of the host's own that files list in their CLASSES section
// (the host provides them through modules it always loads). hostsim does not
// model them, but they are never a custom entity of a missing module: they
// are kept as the file gave them, with their class record as it was, and
// not made proxies (which would mark their class as not loaded).
bool isHostEntityType(const std::string& type) {
    static const std::set<std::string> types = {"ACAD_TABLE",
                                                "ARC_DIMENSION",
                                                "CAMERA",
                                                "DGNUNDERLAY",
                                                "DWFUNDERLAY",
                                                "EXTRUDEDSURFACE",
                                                "GEOPOSITIONMARKER",
                                                "HATCH",
                                                "HELIX",
                                                "IMAGE",
                                                "LARGE_RADIAL_DIMENSION",
                                                "LIGHT",
                                                "LOFTEDSURFACE",
                                                "LWPOLYLINE",
                                                "MESH",
                                                "MLEADER",
                                                "MPOLYGON",
                                                "MULTILEADER",
                                                "NURBSURFACE",
                                                "OLE2FRAME",
                                                "PDFUNDERLAY",
                                                "PLANESURFACE",
                                                "POINTCLOUD",
                                                "POINTCLOUDEX",
                                                "REVOLVEDSURFACE",
                                                "SECTIONOBJECT",
                                                "SWEPTSURFACE",
                                                "WIPEOUT"};
    return types.count(upper(type)) != 0;
}

// Object types of the host's own (the DXF reference's OBJECTS section, and
// those hostsim writes itself, such as the layouts of an upgraded drawing).
// Whatever application their class record names, they are never a custom
// object of a missing module: kept as the file gave them, not made proxies.
bool isHostObjectType(const std::string& type) {
    static const std::set<std::string> types = {"ACDBDICTIONARYWDFLT",
                                                "ACDBPLACEHOLDER",
                                                "ACDBNAVISWORKSMODELDEF",
                                                "ACAD_EVALUATION_GRAPH",
                                                "ACAD_TABLE_STYLE",
                                                "CELLSTYLEMAP",
                                                "DATATABLE",
                                                "DBCOLOR",
                                                "DETAILVIEWSTYLE",
                                                "DGNDEFINITION",
                                                "DICTIONARY",
                                                "DICTIONARYVAR",
                                                "DIMASSOC",
                                                "DWFDEFINITION",
                                                "FIELD",
                                                "FIELDLIST",
                                                "GEODATA",
                                                "GROUP",
                                                "IDBUFFER",
                                                "IMAGEDEF",
                                                "IMAGEDEF_REACTOR",
                                                "LAYER_FILTER",
                                                "LAYER_INDEX",
                                                "LAYOUT",
                                                "LIGHTLIST",
                                                "MATERIAL",
                                                "MENTALRAYRENDERSETTINGS",
                                                "MLEADERSTYLE",
                                                "MLINESTYLE",
                                                "OBJECT_PTR",
                                                "PDFDEFINITION",
                                                "PLOTSETTINGS",
                                                "POINTCLOUDDEF",
                                                "POINTCLOUDDEF_REACTOR",
                                                "POINTCLOUDDEFEX",
                                                "POINTCLOUDCOLORMAP",
                                                "RASTERVARIABLES",
                                                "RENDERENVIRONMENT",
                                                "RENDERENTRY",
                                                "RENDERGLOBAL",
                                                "RENDERSETTINGS",
                                                "SCALE",
                                                "SECTIONVIEWSTYLE",
                                                "SECTION_MANAGER",
                                                "SECTION_SETTINGS",
                                                "SORTENTSTABLE",
                                                "SPATIAL_FILTER",
                                                "SPATIAL_INDEX",
                                                "SUN",
                                                "SUNSTUDY",
                                                "TABLECONTENT",
                                                "TABLEGEOMETRY",
                                                "TABLESTYLE",
                                                "UNDERLAYDEFINITION",
                                                "VBA_PROJECT",
                                                "VISUALSTYLE",
                                                "WIPEOUTVARIABLES",
                                                "XRECORD"};
    return types.count(upper(type)) != 0;
}

// The message for a table record whose groups hold another name before its
// own: written back, the other name would come first and be read as the
// record's name.
std::string secondName(int line, const std::string& table, const std::string& name) {
    return "line " + std::to_string(line) + ": the " + table + " entry \"" + name +
           "\" holds a second name group that would come before its name when written back";
}

std::string notWrittenBack(int line, const std::string& table, const std::string& name,
                           const KeptRuns& kept) {
    std::string first;
    if (!kept.empty() && !kept[0].tags.empty())
        first = " (from group " + std::to_string(kept[0].tags[0].code) + " \"" +
                kept[0].tags[0].value.substr(0, 40) + "\")";
    return "line " + std::to_string(line) + ": the " + table + " entry \"" + name +
           "\" holds groups hostsim does not read" + first +
           " in a place where, written back, they would take the entry's own groups with them";
}

// The entity's own property groups that its reading left unread: each holds
// a value the host does not take, or is a second group of its kind. They are
// kept as the file gave them.
std::string refusedProperties(const KeptRuns& kept) {
    std::string out;
    for (const KeptRun& run : kept) {
        if (!run.subclass.empty() && run.subclass != "AcDbEntity")
            continue;
        for (const Tag& t : run.tags)
            if (hs::isEntityPropertyCode(t.code))
                out += (out.empty() ? "" : ", ") + std::string("group ") + std::to_string(t.code) + " \"" +
                       t.value.substr(0, 40) + "\"";
    }
    return out;
}

}  // namespace

bool Reader::failAt(const RawTag& t, const std::string& expected) {
    return fail("line " + std::to_string(t.line) + ": expected " + expected + ", found " + describe(t));
}

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
    // A record type that holds a line break could not be written back (a
    // carriage return at its end is read as part of the line end then).
    if (t.value.find_first_of("\r\n") != std::string_view::npos)
        return failAt(t, "a record type without a line break");
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
            m_haveSeed = m_fileSeed != 0;
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
        ProxyClassRecord rec;
        for (const RawTag& t : m_item) {
            if (t.code == 1)
                dxfName = std::string(t.value);
            else if (t.code == 2)
                cppName = std::string(t.value);
            else if (t.code == 3)
                rec.appName = std::string(t.value);
            else if (t.code == 90)
                rec.proxyFlags = std::atoi(std::string(t.value).c_str());
            else if (t.code == 281)
                rec.isEntity = std::atoi(std::string(t.value).c_str()) != 0;
        }
        if (!dxfName.empty() && !cppName.empty()) {
            m_fileClasses[upper(dxfName)] = cppName;
            rec.dxfName = dxfName;
            rec.cppName = cppName;
            m_classRecords[upper(dxfName)] = rec;
        }
        m_classList.push_back(rec);
        m_data->classes.push_back(toTags(m_item.data(), m_item.data() + m_item.size()));
    }
    return end;
}

bool Reader::readClassesAhead(const std::string& before) {
    m_classesLookedFor = true;
    if (!m_r.restHolds("CLASSES"))
        return true;
    TagReader::Place back = m_r.place();
    RawTag t;
    bool afterSection = false;
    while (m_r.next(t)) {
        if (afterSection && t.code == 2 && t.value == "CLASSES") {
            warn(t.line, "section CLASSES comes after section " + before + "; it is read first");
            m_classesReadAheadAt = t.line;
            if (!readClasses())
                return false;
            break;
        }
        afterSection = is(t, 0, "SECTION");
    }
    // A fault further on is reported when the reading gets there.
    m_r.seek(back);
    return true;
}

bool Reader::skipSection() {
    bool end = false;
    while (nextItem(m_item, end)) {
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
            // A name that holds a line break could not be written back.
            if (name.find_first_of("\r\n") != std::string::npos)
                return failAt(m_item[1], "a table name without a line break");
            tableName = name;
            Tags head = toTags(m_item.data() + 1, m_item.data() + m_item.size());
            std::uint64_t fileHandle = tagHandle(head, 5);
            if (name == "LAYER" || name == "LTYPE" || name == "BLOCK_RECORD") {
                // These tables are the database's own; references follow it.
                AcDbObjectId tableId = name == "LAYER"   ? m_pDb->layerTableId()
                                       : name == "LTYPE" ? m_pDb->linetypeTableId()
                                                         : m_pDb->blockTableId();
                std::uint64_t dbHandle = adoptHandle(tableId, fileHandle);
                if (fileHandle != 0 && fileHandle != dbHandle)
                    m_remap[fileHandle] = dbHandle;
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
            // A record of a table the database models must be of that table:
            // anything else would be written back as a record it is not.
            if (!is(head, 0, tableName))
                return failAt(head, "group 0 " + tableName + " or ENDTAB");
            if (!addRecord(tableName, m_item))
                return false;
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
bool Reader::writtenBack(const AcDbObject* pRec, const std::string& table, const KeptRuns& kept,
                         Tags& written) {
    // (A codec of its own: what is decoded here is not the file's spelling.)
    TextCodec codec = m_codec;
    if (writeObject(pRec, m_pDb, table, codec, written, &m_filers) != Acad::eOk || written.empty())
        return false;  // the save reports it
    // A record not yet in the drawing is written without its handle and owner.
    if (written.size() < 2 || written[1].code != 5)
        written.insert(written.begin() + 1, {{5, "1"}, {330, "0"}});
    restoreKeptRuns(written, kept);
    return true;
}

bool Reader::nameComesFirst(const AcDbObject* pRec, const std::string& table, const std::string& name,
                            const KeptRuns& kept) {
    bool keptName = false;
    for (const KeptRun& run : kept)
        for (const Tag& t : run.tags)
            keptName = keptName || (t.code == 2 && !t.value.empty());
    Tags written;
    if (!keptName || !writtenBack(pRec, table, kept, written))
        return true;
    for (const Tag& t : written) {
        if (t.code != 2 || t.value.empty())
            continue;
        std::string first = m_codec.decode(t.value);
        return equalsNoCase(first, name) ||
               (table == "BLOCK_RECORD" && spaceRole(first) != 0 && spaceRole(first) == spaceRole(name));
    }
    return true;
}

bool Reader::keptComesBack(const AcDbObject* pRec, const std::string& table, const KeptRuns& kept,
                           const RawTag* begin, const RawTag* end) {
    Tags written;
    if (kept.empty() || !writtenBack(pRec, table, kept, written))
        return true;
    Tags xdata;
    restoreAppData(written, appDataOf(begin, end, xdata));
    std::unique_ptr<AcRxObject> pMade(pRec->isA()->create());
    AcDbObject* pAgain = AcDbObject::cast(pMade.get());
    if (pAgain == nullptr)
        return true;
    std::vector<RawTag> raw;
    raw.reserve(written.size());
    for (const Tag& t : written)
        raw.push_back({t.code, t.value, 0});
    KeptRuns again;
    std::string error;
    // (A group the reading reports is reported once, from the file; the
    // codec is a copy, as it learns the spelling of what it decodes.)
    TextCodec codec = m_codec;
    readObject(pAgain, m_pDb, raw.data() + 1, raw.data() + raw.size(), codec, error, nullptr, &again);
    auto flat = [](const KeptRuns& runs) {
        Tags all;
        for (const KeptRun& run : runs)
            all.insert(all.end(), run.tags.begin(), run.tags.end());
        return all;
    };
    return flat(again) == flat(kept);
}

void Reader::noteLinetypeName(const std::vector<RawTag>& tags) {
    if (m_continuousSpelled)
        return;
    const RawTag* pName = nullptr;
    for (const RawTag& t : tags)
        if (t.code == 6) {
            pName = &t;
            break;
        }
    if (pName == nullptr)
        return;
    std::string name = m_codec.decode(pName->value);
    if (!equalsNoCase(name, "Continuous"))
        return;
    m_continuousSpelled = true;
    AcDbLinetypeTableRecord* pRec = nullptr;
    if (acdbOpenObject(pRec, m_pDb->continuousLinetype(), AcDb::kForWrite) != Acad::eOk)
        return;
    pRec->setName(fromUtf8(name).c_str());
    pRec->close();
}

bool Reader::keptGroupsStayInPlace(const AcDbEntity* pEnt, AcRxClass* pClass, const std::string& type,
                                   const KeptRuns& kept) {
    // (A codec of its own: what is decoded here is not the file's spelling.)
    TextCodec codec = m_codec;
    // Written as the file writer writes it once the entity is in the
    // drawing: with a handle and an owner.
    const Tags head = {{5, "1"}, {330, "0"}};
    Tags first;
    if (writeObject(pEnt, m_pDb, type, codec, first, &m_filers) != Acad::eOk || first.empty())
        return true;  // the save reports it
    first.insert(first.begin() + 1, head.begin(), head.end());
    restoreKeptRuns(first, kept);
    std::vector<RawTag> raw;
    raw.reserve(first.size());
    for (size_t i = 1; i < first.size(); ++i)
        raw.push_back({first[i].code, first[i].value, 0});
    AcDbEntity* pAgain = AcDbEntity::cast(pClass->create());
    if (pAgain == nullptr)
        return true;
    KeptRuns keptAgain;
    std::string error;
    Tags second;
    bool same = readObject(pAgain, m_pDb, raw.data(), raw.data() + raw.size(), codec, error, &m_filers,
                           &keptAgain) == Acad::eOk &&
                writeObject(pAgain, m_pDb, type, codec, second, &m_filers) == Acad::eOk;
    if (same && !second.empty()) {
        second.insert(second.begin() + 1, head.begin(), head.end());
        restoreKeptRuns(second, keptAgain);
        same = second == first;
    }
    delete pAgain;
    return same;
}

bool Reader::addRecord(const std::string& table, std::vector<RawTag>& tags) {
    std::uint64_t fileHandle = 0;
    std::string name;
    std::uint64_t layout = 0;
    // Groups inside application data (102 {...}, which a subclass marker
    // ends when it was left open) are the application's, not the record's.
    bool inApp = false;
    for (const RawTag& t : tags) {
        if (t.code == 100)
            inApp = false;
        if (t.code == 102) {
            inApp = appDataAfter(inApp, t.value);
            continue;
        }
        if (inApp)
            continue;
        if ((t.code == 5 || t.code == 105) && fileHandle == 0 && parseHandle(t.value, fileHandle))
            noteHandle(fileHandle);
        else if (t.code == 2 && name.empty())
            name = m_codec.decode(t.value);
        else if (t.code == 340 && table == "BLOCK_RECORD")
            parseHandle(t.value, layout);
    }
    if (name.empty()) {
        warn(tags[0].line, table + " entry without a name skipped");
        return true;
    }
    if (table == "LTYPE" && equalsNoCase(name, "Continuous"))
        m_continuousSpelled = true;
    else if (table == "LAYER")
        noteLinetypeName(tags);
    AcDbObjectId tableId = table == "LAYER"   ? m_pDb->layerTableId()
                           : table == "LTYPE" ? m_pDb->linetypeTableId()
                                              : m_pDb->blockTableId();
    AcDbObjectId existing;
    AcDbSymbolTable* pTable = nullptr;
    if (table == "BLOCK_RECORD" && spaceRole(name) != 0) {
        existing = spaceRole(name) == 1 ? hs::modelSpaceId(m_pDb) : hs::paperSpaceId(m_pDb);
    } else if (acdbOpenObject(pTable, tableId, AcDb::kForRead) == Acad::eOk) {
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
            // The file's spelling of a default layer or linetype ("CONTINUOUS").
            AcDbSymbolTableRecord* pSym = AcDbSymbolTableRecord::cast(pRec);
            if (pSym != nullptr && table != "BLOCK_RECORD")
                pSym->setName(fromUtf8(name).c_str());
            bool named = nameComesFirst(pRec, table, name, kept);
            bool stable = keptComesBack(pRec, table, kept, begin, end);
            pRec->close();
            if (!named)
                return fail(secondName(tags[0].line, table, name));
            if (!stable)
                return fail(notWrittenBack(tags[0].line, table, name, kept));
        }
        dbHandle = adoptHandle(existing, fileHandle);
    } else {
        AcDbSymbolTableRecord* pRec = nullptr;
        if (table == "LAYER")
            pRec = new AcDbLayerTableRecord();
        else if (table == "LTYPE")
            pRec = new AcDbLinetypeTableRecord();
        else
            pRec = new AcDbBlockTableRecord();
        if (pRec == nullptr)
            return true;
        if (readObject(pRec, m_pDb, begin, end, m_codec, error, &m_filers, &kept) != Acad::eOk)
            warn(tags[0].line, table + " " + name + ": " + error);
        // The name looked up above, whatever else the entry held.
        pRec->setName(fromUtf8(name).c_str());
        if (!nameComesFirst(pRec, table, name, kept)) {
            delete static_cast<AcDbObject*>(pRec);
            return fail(secondName(tags[0].line, table, name));
        }
        if (!keptComesBack(pRec, table, kept, begin, end)) {
            delete static_cast<AcDbObject*>(pRec);
            return fail(notWrittenBack(tags[0].line, table, name, kept));
        }
        AcDbObjectId id;
        bool renumbered = false;
        Acad::ErrorStatus es = addFiled(pRec, tableId, fileHandle, id, renumbered);
        if (es == Acad::eOk && renumbered) {
            warn(tags[0].line, "handle " + formatHandle(fileHandle) + " is used twice; the " + table + " " +
                                   name + " gets handle " + formatHandle(id.handle().value()));
            fileHandle = 0;  // references to the handle stay with its first object
        }
        if (es != Acad::eOk) {
            warn(tags[0].line, table + " " + name + " could not be added");
            delete static_cast<AcDbObject*>(pRec);
            return true;
        }
        pRec->close();
        dbHandle = id.handle().value();
    }
    if (fileHandle != 0 && fileHandle != dbHandle)
        m_remap[fileHandle] = dbHandle;
    if (layout != 0)
        m_data->recordLayout[dbHandle] = layout;
    keepExtras(dbHandle, begin, end, std::move(kept));
    return true;
}

void Reader::keepExtras(std::uint64_t handle, const RawTag* begin, const RawTag* end, KeptRuns kept) {
    if (!kept.empty())
        m_data->keptRuns[handle] = std::move(kept);
    Tags xdata;
    Tags appData = appDataOf(begin, end, xdata);
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
    if (pClass != nullptr && (pClass == HsDxfKeptEntity::desc() || pClass == AcDbProxyEntity::desc()))
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
    bool makeProxy = false;
    AcRxClass* pClass = mainCount == tags.size() ? classFor(type) : nullptr;
    KeptRuns kept;
    if (pClass != nullptr) {
        pEnt = AcDbEntity::cast(pClass->create());
        if (pEnt != nullptr) {
            std::string error;
            Acad::ErrorStatus es =
                readObject(pEnt, m_pDb, begin + 1, mainEnd, m_codec, error, &m_filers, &kept);
            if (es == Acad::eOk && !kept.empty() && !keptGroupsStayInPlace(pEnt, pClass, type, kept)) {
                warn(begin->line, type + " " + formatHandle(fileHandle) +
                                      " kept as it is: groups it does not model could not be written back "
                                      "where they would be read the same way again");
                delete pEnt;
                pEnt = nullptr;
                kept.clear();
            } else if (es == Acad::eOk) {
                known = true;
                std::string refused = refusedProperties(kept);
                if (!refused.empty())
                    warn(begin->line,
                         type + " " + formatHandle(fileHandle) +
                             ": not taken (no value the host takes, or a second group of its kind), kept as "
                             "the file gave it: " +
                             refused);
            } else {
                // A reader that answers eMakeMeProxy gets a proxy (a record
                // of a newer version of its class).
                makeProxy = es == Acad::eMakeMeProxy;
                if (!makeProxy)
                    warn(begin->line, type + " " + formatHandle(fileHandle) + " kept as it is: " + error);
                delete pEnt;
                pEnt = nullptr;
            }
        }
    }
    // A proxy record of the file stays a proxy, with the flags of its class.
    if (pEnt == nullptr && mainCount == tags.size() && upper(type) == "ACAD_PROXY_ENTITY") {
        long classId = -1;
        for (const RawTag* p = begin; p != mainEnd; ++p)
            if (p->code == 91) {
                classId = std::atol(std::string(p->value).c_str());
                break;
            }
        size_t index = classId >= 500 ? static_cast<size_t>(classId - 500) : m_classList.size();
        if (index < m_classList.size() && !m_classList[index].dxfName.empty()) {
            std::string error;
            pEnt = proxyFromProxyRecord(begin, mainEnd, m_classList[index], m_pDb, m_codec, &m_filers, error);
            if (pEnt == nullptr)
                warn(begin->line, type + " kept as it is: " + error);
        }
    }
    // A custom entity whose class no loaded module registers becomes a proxy.
    auto rec = m_classRecords.find(upper(type));
    if (pEnt == nullptr && mainCount == tags.size() && rec != m_classRecords.end() && rec->second.isEntity &&
        (makeProxy || pClass == nullptr) && !isHostEntityType(type) &&
        !(pClass == nullptr && isHostApplication(rec->second.appName))) {
        std::string error;
        pEnt = proxyFromFile(begin, mainEnd, rec->second, m_pDb, m_codec, &m_filers, error);
        if (pEnt == nullptr)
            warn(begin->line, type + " kept as it is: " + error);
    }
    if (pEnt == nullptr) {
        HsDxfKeptEntity* pKept = new HsDxfKeptEntity();
        if (pKept == nullptr)
            return;
        pKept->setTags(toTags(begin, begin + tags.size()));
        pEnt = pKept;
    }
    AcDbObjectId id;
    bool renumbered = false;
    Acad::ErrorStatus es = addFiled(pEnt, blockId, fileHandle, id, renumbered);
    if (es == Acad::eOk && renumbered) {
        warn(begin->line, "handle " + formatHandle(fileHandle) + " is used twice; the " + type +
                              " gets handle " + formatHandle(id.handle().value()));
    }
    if (es != Acad::eOk) {
        warn(begin->line, type + " could not be added to the drawing");
        delete pEnt;
        return;
    }
    if (!known) {
        // The handles of its followers (vertices, attributes, the end of
        // sequence) are the file's too.
        // (A proxy keeps its record its own way.)
        HsDxfKeptEntity* pKept = HsDxfKeptEntity::cast(pEnt);
        if (pKept != nullptr && (mainCount < tags.size() || renumbered)) {
            Tags keptTags = pKept->tags();
            bool needHandles = false;
            placeKeptHandles(keptTags, mainCount, fileHandle, id.handle().value(), begin->line, needHandles);
            pKept->setTags(std::move(keptTags));
            if (needHandles)
                m_needHandles.push_back(id);
        }
    }
    pEnt->close();
    if (known) {
        noteLinetypeName(tags);
        keepExtras(id.handle().value(), begin + 1, mainEnd, std::move(kept));
    }
}

AcDbObjectId Reader::blockOfEntity(const std::vector<RawTag>& tags, size_t mainCount) {
    bool paper = false;
    std::uint64_t owner = 0;
    bool inAppGroup = false;  // reactors and other application data name no owner
    for (size_t i = 1; i < mainCount; ++i) {
        const RawTag& t = tags[i];
        if (t.code == 102)
            inAppGroup = appDataAfter(inAppGroup, t.value);
        else if (t.code == 330 && owner == 0 && !inAppGroup)
            parseHandle(t.value, owner);
        else if (t.code == 67)
            paper = is(t, 67, "1");
        else if (t.code == 100 && t.value != "AcDbEntity")
            break;
    }
    // Group 67 says model or paper space, whatever the owner handle names;
    // of paper space, the owner picks the layout.
    AcDbObjectId ms = hs::modelSpaceId(m_pDb);
    AcDbObjectId ps = hs::paperSpaceId(m_pDb);
    if (owner != 0) {
        AcDbObjectId id = hs::idFromHandle(m_pDb, mapped(owner));
        bool layoutRecord = !id.isNull() && id != ms && id != ps &&
                            hs::className(id) == "AcDbBlockTableRecord" &&
                            m_data->recordLayout.count(id.handle().value()) != 0;
        if (layoutRecord && paper)
            return id;
        if (layoutRecord && !paper)  // a model space record by another name
            m_msAliases.insert(id.handle().value());
    }
    return paper ? ps : ms;
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
            std::uint64_t record = 0;  // the owner: the block record, in files that have them
            bool inEntity = true;
            for (const RawTag& t : m_item) {
                if (t.code == 100)
                    inEntity = false;
                if (t.code == 330 && inEntity)
                    parseHandle(t.value, record);
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
            if (spaceRole(name) != 0) {
                blockId = spaceRole(name) == 1 ? hs::modelSpaceId(m_pDb) : hs::paperSpaceId(m_pDb);
            } else if (m_pDb->getBlockTable(pTable, AcDb::kForRead) == Acad::eOk) {
                pTable->getAt(fromUtf8(name).c_str(), blockId);
                pTable->close();
            }
            if (blockId.isNull()) {
                // Files without block records (R12) name their blocks only here.
                AcDbBlockTableRecord* pRec = new AcDbBlockTableRecord();
                pRec->setName(fromUtf8(name).c_str());
                AcDbObjectId id;
                bool renumbered = false;
                if (addFiled(pRec, m_pDb->blockTableId(), record, id, renumbered) != Acad::eOk) {
                    delete pRec;
                    return fail("line " + std::to_string(head.line) + ": block " + name + " cannot be added");
                }
                pRec->close();
                blockId = id;
                if (renumbered)
                    m_remap[record] = id.handle().value();
            } else if (record != 0) {
                std::uint64_t dbHandle = adoptHandle(blockId, record);
                if (dbHandle != record && m_remap.count(record) == 0 &&
                    hs::className(hs::idFromHandle(m_pDb, record)).empty())
                    m_remap[record] = dbHandle;
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
            // (Of model space also under another name: see mergeModelSpaceAliases.)
            bool modelSpace = record != 0 && (mapped(record) == hs::modelSpaceId(m_pDb).handle().value() ||
                                              m_msAliases.count(mapped(record)) != 0);
            if (modelSpace && m_data->sortentsHandle == 0) {
                m_data->sortentsHandle = ownHandle(tags);
                m_data->sortentsOwner = owner;
                m_sortPairs = std::move(pairs);
                continue;
            }
            // Model space has one draw order, written from the drawing: a
            // second table of it would take the first one's place next time.
            if (modelSpace) {
                warn(m_item[0].line, "a second sort-entities table of model space (handle " +
                                         formatHandle(ownHandle(tags)) + ") is left out");
                continue;
            }
        }
        if (addOwnObject(m_item))
            continue;
        m_data->objects.push_back(std::move(tags));
    }
    return end;
}

bool Reader::addOwnObject(const std::vector<RawTag>& tags) {
    const RawTag* begin = tags.data();
    const RawTag* end = begin + tags.size();
    std::string type(begin->value);
    std::string key = upper(type);
    AcDbObject* pObj = nullptr;
    bool known = false;
    KeptRuns kept;
    if (key == "ACAD_PROXY_OBJECT") {
        long classId = -1;
        for (const RawTag* p = begin; p != end; ++p)
            if (p->code == 91) {
                classId = std::atol(std::string(p->value).c_str());
                break;
            }
        size_t index = classId >= 500 ? static_cast<size_t>(classId - 500) : m_classList.size();
        if (index >= m_classList.size() || m_classList[index].dxfName.empty())
            return false;
        pObj = proxyObjectFromFile(begin, end, m_classList[index], m_codec, /*fileRecord=*/true);
    } else {
        auto rec = m_classRecords.find(key);
        if (rec == m_classRecords.end() || rec->second.isEntity)
            return false;
        AcRxClass* pClass = classForDxfName(type, m_fileClasses);
        if (pClass == nullptr && (isHostApplication(rec->second.appName) || isHostObjectType(type)))
            return false;
        bool makeProxy = pClass == nullptr;
        if (pClass != nullptr) {
            if (pClass->isDerivedFrom(AcDbEntity::desc()) || pClass->isDerivedFrom(AcDbProxyObject::desc()) ||
                pClass->isDerivedFrom(AcDbSymbolTable::desc()) ||
                pClass->isDerivedFrom(AcDbSymbolTableRecord::desc()))
                return false;
            if (AcDbObject* p = AcDbObject::cast(pClass->create())) {
                std::string error;
                Acad::ErrorStatus es = readObject(p, m_pDb, begin + 1, end, m_codec, error, &m_filers, &kept);
                if (es == Acad::eOk) {
                    pObj = p;
                    known = true;
                } else {
                    delete p;
                    // A reader that answers eMakeMeProxy gets a proxy.
                    makeProxy = es == Acad::eMakeMeProxy;
                    if (!makeProxy)
                        warn(begin->line, type + " kept as it is: " + error);
                }
            }
        }
        if (makeProxy)
            pObj = proxyObjectFromFile(begin, end, rec->second, m_codec, /*fileRecord=*/false);
    }
    if (pObj == nullptr)
        return false;
    std::uint64_t fileHandle = 0, owner = 0;
    bool inApp = false;
    for (const RawTag* p = begin + 1; p != end && p->code != 100; ++p) {
        if (p->code == 5 && fileHandle == 0)
            parseHandle(p->value, fileHandle);
        else if (p->code == 102)
            inApp = appDataAfter(inApp, p->value);
        else if (p->code == 330 && !inApp && owner == 0)
            parseHandle(p->value, owner);
    }
    AcDbObjectId id;
    bool renumbered = false;
    if (addFiled(pObj, AcDbObjectId::kNull, fileHandle, id, renumbered) != Acad::eOk) {
        warn(begin->line, type + " could not be added to the drawing; kept as it is");
        delete pObj;
        return false;
    }
    if (renumbered)
        warn(begin->line, "handle " + formatHandle(fileHandle) + " is used twice; the " + type +
                              " gets handle " + formatHandle(id.handle().value()));
    pObj->close();
    std::uint64_t h = id.handle().value();
    if (known)
        keepExtras(h, begin + 1, end, std::move(kept));
    DrawingData::ObjectPlace place{m_data->objects.size(), m_data->objectPlaces.size(), owner};
    m_data->objectPlaces[h] = place;
    return true;
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
        if (t.code == 0 && t.value.find_first_of("\r\n") != std::string_view::npos)
            return failAt(t, "a record type without a line break");
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

DxfResult Reader::run(AcDbDatabase*& pDbOut) {
    pDbOut = nullptr;
    registerKeptEntityClass();
    registerProxyClasses();
    m_pDb = new AcDbDatabase(/*buildDefaultDrawing=*/true, /*noDocument=*/true);
    m_data = drawingData(m_pDb, true);
    m_data->version = "AC1009";
    // The records of the new database are the file's only once it names them.
    for (AcDbObjectId id : hs::allObjects(m_pDb))
        addProvisional(id.handle().value());
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
        // A name that holds a line break could not be written back.
        if (name.find_first_of("\r\n") != std::string::npos) {
            ok = failAt(nameTag, "a section name without a line break");
            break;
        }
        if (!seen.insert(name).second)
            warn(nameTag.line, "section " + name + " appears twice");
        if (name == "CLASSES") {
            m_classesLookedFor = true;
        } else if ((name == "BLOCKS" || name == "ENTITIES" || name == "OBJECTS") && !m_classesLookedFor &&
                   !readClassesAhead(name)) {
            ok = false;
            break;
        }
        if (name == "HEADER")
            ok = readHeader();
        else if (name == "CLASSES" && nameTag.line == m_classesReadAheadAt)
            ok = skipSection();
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
    // Transformed proxies: the matrix their extension dictionary keeps.
    applyFiledTransforms(m_pDb);
    result.ok = true;
    pDbOut = m_pDb;
    return result;
}
}  // namespace dxf

DxfResult readDxfText(std::string_view text, AcDbDatabase*& pDb) {
    if (dxf::isBinaryDxf(text)) {
        // Read as the same groups in ASCII form; saving writes ASCII.
        pDb = nullptr;
        std::string converted, error;
        if (!dxf::binaryDxfToText(text, converted, error))
            return {false, error, {}};
        dxf::Reader reader(converted);
        DxfResult result = reader.run(pDb);
        if (!result.ok)
            result.message += " (in the text form of the binary file)";
        return result;
    }
    dxf::Reader reader(text);
    return reader.run(pDb);
}

}  // namespace hs
