// The database's own records: one AcDbStub per object (handle, owner, class,
// erased flag, open state), the entries of tables and block table records,
// draw order and the undo log. Internal to hostsim/db.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "dbmain.h"
#include "dbsymtb.h"
#include "hostsim/faults.h"
#include "hostsim/text.h"

class AcDbStub {
public:
    AcDbDatabase* pDb = nullptr;
    AcDbHandle handle;
    AcDbObjectId owner;
    AcDbObject* pObject = nullptr;  // null for a handle referred to before its object exists
    AcRxClass* pClass = nullptr;
    int readers = 0;  // open-for-read count
    bool erased = false;
    bool writer = false;                                  // open for write
    bool isNew = true;                                    // not yet closed since it was added
    bool inFlux = false;                                  // a clone whose ids are not translated yet
    std::size_t openSlot = static_cast<std::size_t>(-1);  // place in the database's open set

    // Entries of a symbol table or entities of a block table record, in order.
    std::vector<AcDbObjectId>& entries() { return lists().entries; }
    // Draw order of a block table record; empty while it is the record order.
    std::vector<AcDbObjectId>& drawOrder() { return lists().drawOrder; }

private:
    // Only tables and block table records own entries: the lists are made
    // when first asked for, so that the records of a large drawing stay small.
    struct Lists {
        std::vector<AcDbObjectId> entries;
        std::vector<AcDbObjectId> drawOrder;
    };
    Lists& lists() {
        if (!m_pLists)
            m_pLists.reset(new Lists());
        return *m_pLists;
    }
    std::unique_ptr<Lists> m_pLists;
};

namespace hs {

struct UndoRecord;

// One group of the undo log: what one command from the command line did.
struct UndoGroup {
    std::string name;
    std::vector<std::shared_ptr<UndoRecord>> records;
};

struct UndoLog {
    std::vector<UndoGroup> done;
    std::vector<UndoGroup> undone;
    bool open = false;                       // a group is being recorded
    UndoGroup current;                       // the group being recorded
    bool suspended = false;                  // true while undo or redo itself runs
    std::unordered_set<AcDbStub*> recorded;  // objects whose state the current group holds
};

}  // namespace hs

namespace hs {

// The stubs of a database by handle. Handles are mostly dense (a new drawing
// counts up from 1, a file numbers its objects closely), so the index is a
// vector by handle, with a map for handles far beyond the others. Stubs are
// made in blocks and never move or go away before the database.
class StubTable {
public:
    StubTable() = default;
    ~StubTable();
    StubTable(const StubTable&) = delete;
    StubTable& operator=(const StubTable&) = delete;

    AcDbStub* find(std::uint64_t handle) const {
        if (handle < m_dense.size())
            return m_dense[handle];
        auto it = m_sparse.find(handle);
        return it == m_sparse.end() ? nullptr : it->second;
    }
    // Stubs made, for objects and for handles referred to.
    std::size_t count() const { return m_count; }
    // Room in the index for handles below `handles`.
    void reserve(std::uint64_t handles);
    // A new stub for a handle that has none.
    AcDbStub* create(std::uint64_t handle);
    // Files the stub under another handle that has none.
    void move(AcDbStub* stub, std::uint64_t handle);
    // Calls f(stub) for every stub in handle order.
    template <class F>
    void forEach(F f) const {
        for (AcDbStub* stub : m_dense)
            if (stub != nullptr)
                f(stub);
        for (const auto& entry : m_sparse)
            f(entry.second);
    }

private:
    struct Block {
        AcDbStub* stubs;
        std::size_t bytes;
        std::size_t used;  // stubs made in it
    };
    std::vector<AcDbStub*> m_dense;               // by handle
    std::map<std::uint64_t, AcDbStub*> m_sparse;  // handles from m_dense.size() on
    std::vector<Block> m_blocks;
    std::size_t m_count = 0;
};

// The objects of a database that are open: each knows its place, so adding
// and removing take no search and no allocation once the set has grown.
class OpenSet {
public:
    void insert(AcDbStub* stub) {
        if (stub->openSlot != kNone)
            return;
        stub->openSlot = m_stubs.size();
        m_stubs.push_back(stub);
    }
    void erase(AcDbStub* stub) {
        if (stub->openSlot == kNone)
            return;
        AcDbStub* last = m_stubs.back();
        m_stubs[stub->openSlot] = last;
        last->openSlot = stub->openSlot;
        m_stubs.pop_back();
        stub->openSlot = kNone;
    }
    std::vector<AcDbStub*>::const_iterator begin() const { return m_stubs.begin(); }
    std::vector<AcDbStub*>::const_iterator end() const { return m_stubs.end(); }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<AcDbStub*> m_stubs;
};

}  // namespace hs

class AcDbDatabase::Imp {
public:
    hs::StubTable stubs;
    std::uint64_t nextHandle = 1;
    // True once the last handle (all bits set) is used: no new handles.
    bool handlesUsedUp = false;
    AcDbObjectId blockTable, layerTable, linetypeTable;
    AcDbObjectId modelSpace, paperSpace;
    AcDbObjectId layerZero, ltByLayer, ltByBlock, ltContinuous;
    AcDbObjectId clayer;
    // Current properties of new entities (CECOLOR, CELTYPE, CELTSCALE, CELWEIGHT).
    AcCmColor cecolor;
    AcDbObjectId celtype;  // null: ByLayer
    double celtscale = 1.0;
    AcDb::LineWeight celweight = AcDb::kLnWtByLayer;
    bool forceWblockCopy = false;  // asked for by a reactor at wblockNotice
    std::map<std::string, std::shared_ptr<void>> attachments;
    hs::UndoLog undo;
    hs::OpenSet open;  // objects open for read or write
    std::vector<AcDbDatabaseReactor*> reactors;

    // A record for a new handle (handle 0: the next one; null when the
    // handles are used up).
    AcDbStub* newStub(std::uint64_t handle);
    // Moves the next handle past one in use.
    void noteUsed(std::uint64_t handle);
};

// The state of one clone operation, kept with its map.
class AcDbIdMapping::Imp {
public:
    std::vector<AcDbIdPair> pairs;  // in the order they were assigned
    std::unordered_map<AcDbStub*, std::size_t> index;
    AcDbDatabase* pOrig = nullptr;
    AcDbDatabase* pDest = nullptr;
    AcDb::DeepCloneType context = AcDb::kDcObjects;
    AcDb::DuplicateRecordCloning drc = AcDb::kDrcNotApplicable;
    bool begun = false;                                   // beginDeepClone sent
    bool finished = false;                                // translated, endDeepClone sent
    bool aborted = false;                                 // abortDeepClone sent
    std::unordered_set<AcDbDatabase*> wblockObjectsSent;  // sources told with beginWblockObjects
};

namespace hs {

// ---- cloning (clone.cpp) ----
// Runs fn on the object, opening it for read when nobody has it open.
Acad::ErrorStatus withOpen(AcDbObjectId id, AcDb::OpenMode mode,
                           const std::function<Acad::ErrorStatus(AcDbObject*)>& fn);
// The default clone of deepClone and wblockClone.
Acad::ErrorStatus defaultClone(const AcDbObject* pSrc, AcRxObject* pOwner, AcDbObject*& pClone,
                               AcDbIdMapping& map, bool isPrimary, bool wblock);
// Sends beginDeepClone once for the map (its destination set first).
void cloneBegin(AcDbIdMapping& map);
// Clones each object as primary under the owner (deepClone, or wblockClone
// with wblock), closing the clones. Stops at the first failure unless
// failed is given, which then counts the objects that could not be cloned.
Acad::ErrorStatus clonePrimaries(const std::vector<AcDbObjectId>& ids, AcDbObjectId owner, AcDbIdMapping& map,
                                 bool wblock, int* failed = nullptr);
// beginDeepCloneXlation, the translation pass, endDeepClone; or
// abortDeepClone when a reactor stops it.
Acad::ErrorStatus cloneFinish(AcDbIdMapping& map);
// abortDeepClone, once.
void cloneAbort(AcDbIdMapping& map);
// Erases a clone that could not be completed (no erase hook: it never was a whole object).
void discardClone(AcDbObject* pClone);

// Walks the entries of a table or block table record (live: entries added
// during the walk are seen).
struct EntryCursor {
    AcDbStub* owner = nullptr;
    long pos = 0;

    long size() const { return static_cast<long>(owner->entries().size()); }
    bool erasedAt(long i) const { return owner->entries()[static_cast<size_t>(i)].stub()->erased; }
    void start(bool atBeginning, bool skipDeleted) {
        pos = atBeginning ? 0 : size() - 1;
        settle(atBeginning, skipDeleted);
    }
    void settle(bool forward, bool skipDeleted) {
        while (skipDeleted && pos >= 0 && pos < size() && erasedAt(pos))
            pos += forward ? 1 : -1;
    }
    void step(bool forward, bool skipDeleted) {
        if (done())
            return;
        pos += forward ? 1 : -1;
        settle(forward, skipDeleted);
    }
    bool done() const { return pos < 0 || pos >= size(); }
    AcDbObjectId current() const {
        return done() ? AcDbObjectId::kNull : owner->entries()[static_cast<size_t>(pos)];
    }
};

// Makes pObj resident under ownerId with a new stub (see addObject) without
// undo recording or owner bookkeeping.
AcDbStub* attachObject(AcDbDatabase* pDb, AcDbObject* pObj, AcDbObjectId ownerId, std::uint64_t handle);
// Adds the object to its owner's list of entries (tables and block records).
void addEntry(AcDbObjectId ownerId, AcDbObjectId id);
// Finds a symbol table entry by name, ignoring case.
AcDbObjectId findEntry(AcDbObjectId tableId, const tstring& name, bool includeErased);
// The name of a symbol table record, without opening it.
tstring recordName(AcDbObjectId recordId);
// One of the lineweights the host knows (0.00 to 2.11 mm, by layer, by
// block, default).
bool isLineWeight(int lw);
// The group codes of an entity's own properties (layer, linetype, colours,
// transparency, lineweight, linetype scale, visibility), each read once.
bool isEntityPropertyCode(int code);
// Layer lookup for the locked-layer rule and the entity properties.
const AcDbLayerTableRecord* layerRecord(AcDbDatabase* pDb, const tstring& name);

// Opens for an internal purpose (undo, cloning): no fault sites, no lock rule.
Acad::ErrorStatus openInternal(AcDbObjectId id, AcDb::OpenMode mode, AcDbObject*& pObj);
// Opens with the host's rules but without a fault site (the caller has its own).
Acad::ErrorStatus openQuiet(AcDbObjectId id, AcDb::OpenMode mode, bool openErased, AcDbObject*& pObj);
// Opens with a fault site and checks the class.
template <class T>
Acad::ErrorStatus openAs(const char* site, AcDbObjectId id, AcDb::OpenMode mode, bool openErased, T*& pObj);

// Every database that exists (new drawings, files read, write-block targets).
std::set<AcDbDatabase*>& liveDatabases();

// Rewrites the states the undo log holds for one object (its class changes
// to a proxy's while the log is kept).
void undoRewriteStates(AcDbStub* stub, const std::function<void(std::vector<unsigned char>&)>& rewrite);

// Closes what openInternal opened, without a fault site.
void closeInternal(AcDbObject* pObj);

// ---- undo log (undo.cpp) ----
void undoRecordAppend(AcDbObject* pObj);
void undoRecordErase(AcDbObject* pObj, bool erasing);
void undoRecordChange(AcDbObject* pObj);
void undoRecordDrawOrder(AcDbStub* pRecord);
void registerUndoListeners();
void registerOpenCheck();

}  // namespace hs

template <class T>
Acad::ErrorStatus hs::openAs(const char* site, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                             T*& pObj) {
    pObj = nullptr;
    Acad::ErrorStatus es = checkFault(site);
    if (es != Acad::eOk)
        return es;
    if (!id.isNull() && id.stub()->pObject != nullptr && !T::cast(id.stub()->pObject))
        return Acad::eNotThatKindOfClass;
    AcDbObject* p = nullptr;
    es = openQuiet(id, mode, openErased, p);
    pObj = static_cast<T*>(p);
    return es;
}
