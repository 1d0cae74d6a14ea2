// The reader of DXF files: one pass over the tags, section by section
// (reader.cpp), with the handles of the file kept unique and the drawing
// completed at the end (reader_handles.cpp).
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "dbmain.h"
#include "dxf/drawing_data.h"
#include "dxf/objects_io.h"
#include "dxf/proxy_dxf.h"
#include "dxf/tags.h"
#include "hostsim/dxffile.h"

namespace hs {
namespace dxf {

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
    bool failAt(const RawTag& t, const std::string& expected);
    bool failEnd(const std::string& expected) {
        if (m_r.failed())
            return fail(m_r.error());
        return fail("line " + std::to_string(m_r.line()) + ": expected " + expected +
                    ", found the end of the file");
    }
    void warn(int line, const std::string& message) {
        if (m_warnings.size() < 1000)
            m_warnings.push_back(line > 0 ? "line " + std::to_string(line) + ": " + message : message);
    }
    void noteHandle(std::uint64_t h) { m_maxHandle = std::max(m_maxHandle, h); }

    // Handles. The file's handles are kept wherever they are unique. Objects
    // the file gives no handle (the records of an R12 file, the default
    // records of a new database, entities of files without handles) are
    // "provisional": nothing in the file refers to their handles, so when
    // the file later names one of them for its own object, the provisional
    // one moves to a handle above all seen so far.
    Acad::ErrorStatus addNew(AcDbObject* pObj, AcDbObjectId ownerId, AcDbObjectId& id);
    // Adds an object under its file handle; a handle the file used before
    // gives it a new one (renumbered set).
    Acad::ErrorStatus addFiled(AcDbObject* pObj, AcDbObjectId ownerId, std::uint64_t fileHandle,
                               AcDbObjectId& id, bool& renumbered);
    bool isProvisional(std::uint64_t h) const {
        return h <= m_maxProvisional && !m_provisional.empty() && m_provisional.count(h) != 0;
    }
    void addProvisional(std::uint64_t h) {
        m_provisional.insert(h);
        m_maxProvisional = std::max(m_maxProvisional, h);
    }
    // Moves a provisional object out of the way of handle h.
    void clearHandle(std::uint64_t h) {
        if (isProvisional(h))
            moveProvisional(h, 0);
    }
    // Moves the provisional object at `from` to `to` (0: a new handle).
    bool moveProvisional(std::uint64_t from, std::uint64_t to);
    // A handle above every handle seen so far; 0 when there is none left.
    std::uint64_t freshHandle();
    // Gives a default record (or table) the file's handle for it.
    std::uint64_t adoptHandle(AcDbObjectId id, std::uint64_t fileHandle);
    // Gives the handles inside a kept entity (its followers) their place.
    void placeKeptHandles(Tags& tags, size_t mainCount, std::uint64_t oldMain, std::uint64_t newMain,
                          int line, bool& needHandles);
    // The record an entity of the ENTITIES section belongs to.
    bool isPaperLayoutRecord(AcDbObjectId id) const;

    // Reads the next item of a section: its group 0 and the tags up to the
    // next group 0. False at 0 ENDSEC (endOfSection set) or on an error.
    bool nextItem(std::vector<RawTag>& out, bool& endOfSection);
    // Adds the entities that belong to the item just read (attributes,
    // vertices) up to and including the end of sequence.
    bool addFollowers(std::vector<RawTag>& out, size_t& mainCount);

    bool readHeader();
    bool readClasses();
    // A CLASSES section after the sections that use it (no writer puts it
    // there, but readers that gather sections by name accept it) is read
    // before them, so their records are read as of their classes.
    bool readClassesAhead(const std::string& before);
    bool skipSection();
    bool readTables();
    bool readBlocks();
    bool readEntities();
    bool readObjects();
    bool keepSection(const std::string& name);

    // False (the file refused) for a record that could not be written back
    // as the same record.
    bool addRecord(const std::string& table, std::vector<RawTag>& tags);
    // Whether a record read with groups kept aside is written back with its
    // own name as its first name group (a reader takes that one): a name
    // group kept from another part of the record could come first.
    bool nameComesFirst(const AcDbObject* pRec, const std::string& table, const std::string& name,
                        const KeptRuns& kept);
    // Whether the groups kept aside from a record are kept the same when the
    // record is written back and read again: a group kept where the next
    // reading takes the record's own groups as kept too (data of a subclass
    // of another program's ahead of the record's own) would grow the record
    // on every save.
    bool keptComesBack(const AcDbObject* pRec, const std::string& table, const KeptRuns& kept,
                       const RawTag* begin, const RawTag* end);
    // The record as written back with the groups kept aside in their places.
    bool writtenBack(const AcDbObject* pRec, const std::string& table, const KeptRuns& kept, Tags& written);
    // A file that names the continuous linetype without giving its entry
    // (R12 files without a linetype table): the drawing's entry takes the
    // spelling of the first record that names it ("CONTINUOUS"), so that the
    // record is written back as the file spelled it.
    void noteLinetypeName(const std::vector<RawTag>& tags);
    // Whether an entity read with groups kept aside, written and read again,
    // writes the same groups: a kept group may otherwise land where the next
    // reading takes it as the entity's own (a common entity group after the
    // subclass marker) and be lost.
    bool keptGroupsStayInPlace(const AcDbEntity* pEnt, AcRxClass* pClass, const std::string& type,
                               const KeptRuns& kept);
    void addEntity(const std::vector<RawTag>& tags, size_t mainCount, AcDbObjectId blockId);
    // A custom object of the OBJECTS section (its class declared by the
    // file as not an entity) becomes a database object: of its class when a
    // loaded module registers it, else a proxy object; a file's proxy record
    // stays a proxy. False when the record stays kept as tags.
    bool addOwnObject(const std::vector<RawTag>& tags);
    AcDbObjectId blockOfEntity(const std::vector<RawTag>& tags, size_t mainCount);
    void keepExtras(std::uint64_t handle, const RawTag* begin, const RawTag* end, KeptRuns kept = {});
    AcRxClass* classFor(const std::string& type);
    std::uint64_t mapped(std::uint64_t fileHandle) const {
        auto it = m_remap.find(fileHandle);
        return it == m_remap.end() ? fileHandle : it->second;
    }
    void finish();
    // Layout records whose entities the ENTITIES section holds as model
    // space entities are model space under another name: references to them
    // move to model space, and the empty record goes.
    void mergeModelSpaceAliases();
    void remapTags(Tags& tags) const;

    TagReader m_r;
    AcDbDatabase* m_pDb = nullptr;
    DrawingData* m_data = nullptr;
    TextCodec m_codec;
    FilerCache m_filers;
    std::map<std::string, std::string> m_fileClasses;
    std::map<std::string, ProxyClassRecord> m_classRecords;  // by upper-case DXF name
    std::vector<ProxyClassRecord> m_classList;               // in the file's order
    bool m_classesLookedFor = false;
    int m_classesReadAheadAt = 0;  // line of the name of a section read ahead
    std::unordered_map<std::string, AcRxClass*> m_classCache;
    std::map<std::uint64_t, std::uint64_t> m_remap;
    std::uint64_t m_fileSeed = 0;
    std::uint64_t m_maxHandle = 0;
    bool m_haveSeed = false;
    std::unordered_set<std::uint64_t> m_provisional;
    std::uint64_t m_maxProvisional = 0;             // none above it
    std::unordered_set<std::uint64_t> m_keptInner;  // handles of followers of kept entities
    std::vector<AcDbObjectId> m_needHandles;        // kept entities with followers lacking handles
    std::set<std::uint64_t> m_msAliases;            // records found to be model space by their role
    std::vector<std::string> m_warnings;
    std::string m_error;
    std::vector<RawTag> m_item;
    // The model space sort-entities table: entity handle to sort handle.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_sortPairs;
    bool m_sawEntities = false;
    bool m_continuousSpelled = false;  // given by the file, or taken from a first reference
};

}  // namespace dxf
}  // namespace hs
