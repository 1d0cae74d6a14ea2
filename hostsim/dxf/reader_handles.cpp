// Handles of a file being read, and the end of reading: the file's handles
// are kept where they are unique, records it gives no handle move out of
// their way, a duplicate is renumbered, the handle seed is checked, and the
// drawing is completed (model space under another name, draw order, the
// defaults of a new drawing).
#include <algorithm>
#include <map>

#include "dbsymtb.h"
#include "dxf/kept_entity.h"
#include "dxf/reader.h"
#include "hostsim/dbapi.h"
#include "hostsim/text.h"

namespace hs {
namespace dxf {

std::uint64_t Reader::freshHandle() {
    hs::setHandseed(m_pDb, m_maxHandle + 1);
    std::uint64_t h = 0;
    if (!hs::takeHandle(m_pDb, h))
        return 0;
    return h;
}

Acad::ErrorStatus Reader::addNew(AcDbObject* pObj, AcDbObjectId ownerId, AcDbObjectId& id) {
    if (m_maxHandle != ~std::uint64_t(0))
        hs::setHandseed(m_pDb, m_maxHandle + 1);
    Acad::ErrorStatus es = hs::addObject(m_pDb, pObj, ownerId, AcDbHandle(), id);
    if (es == Acad::eOk)
        addProvisional(id.handle().value());
    else if (es == Acad::eOutOfMemory && hs::handlesUsedUp(m_pDb))
        fail("the file uses the last handle (FFFFFFFFFFFFFFFF); no handle is left for its other objects");
    return es;
}

Acad::ErrorStatus Reader::addFiled(AcDbObject* pObj, AcDbObjectId ownerId, std::uint64_t fileHandle,
                                   AcDbObjectId& id, bool& renumbered) {
    renumbered = false;
    if (fileHandle == 0)
        return addNew(pObj, ownerId, id);
    noteHandle(fileHandle);
    Acad::ErrorStatus es = Acad::eDuplicateKey;
    if (m_keptInner.empty() || m_keptInner.count(fileHandle) == 0) {
        clearHandle(fileHandle);
        es = hs::addObject(m_pDb, pObj, ownerId, AcDbHandle(fileHandle), id);
    }
    if (es != Acad::eDuplicateKey)
        return es;
    renumbered = true;
    return addNew(pObj, ownerId, id);
}

bool Reader::moveProvisional(std::uint64_t from, std::uint64_t to) {
    AcDbObjectId id = hs::idFromHandle(m_pDb, from);
    if (id.isNull())
        return false;
    if (to == 0)
        to = freshHandle();
    if (to == 0 || hs::changeHandle(id, to) != Acad::eOk)
        return false;
    m_provisional.erase(from);
    addProvisional(to);
    // What is kept by handle follows.
    auto rekey = [&](auto& map) {
        auto it = map.find(from);
        if (it != map.end()) {
            auto value = std::move(it->second);
            map.erase(it);
            map[to] = std::move(value);
        }
    };
    rekey(m_data->blocks);
    rekey(m_data->recordLayout);
    rekey(m_data->appData);
    rekey(m_data->xdata);
    rekey(m_data->keptRuns);
    rekey(m_data->objectPlaces);
    for (auto& [file, db] : m_remap)
        if (db == from)
            db = to;
    return true;
}

std::uint64_t Reader::adoptHandle(AcDbObjectId id, std::uint64_t fileHandle) {
    std::uint64_t dbHandle = id.handle().value();
    if (fileHandle == 0 || fileHandle == dbHandle || !isProvisional(dbHandle))
        return dbHandle;
    noteHandle(fileHandle);
    clearHandle(fileHandle);
    AcDbObjectId there = hs::idFromHandle(m_pDb, fileHandle);
    if (!there.isNull())
        return dbHandle;  // the file used the handle before: references move instead
    if (!moveProvisional(dbHandle, fileHandle))
        return dbHandle;
    m_provisional.erase(fileHandle);
    return fileHandle;
}

void Reader::placeKeptHandles(Tags& tags, size_t mainCount, std::uint64_t oldMain, std::uint64_t newMain,
                              int line, bool& needHandles) {
    needHandles = false;
    bool haveHandle = true;
    std::string type;
    for (size_t i = mainCount; i < tags.size(); ++i) {
        Tag& t = tags[i];
        if (t.code == 0) {
            needHandles = needHandles || !haveHandle;
            haveHandle = false;
            type = t.value;
            continue;
        }
        std::uint64_t h = 0;
        if (t.code == 330 && oldMain != 0 && oldMain != newMain && parseHandle(t.value, h) && h == oldMain) {
            t.value = formatHandle(newMain);  // a follower names its renumbered owner
            continue;
        }
        if (t.code != 5 || haveHandle || !parseHandle(t.value, h))
            continue;
        haveHandle = true;
        if (h == 0) {
            haveHandle = false;
            continue;
        }
        clearHandle(h);
        AcDbObjectId there = hs::idFromHandle(m_pDb, h);
        bool taken = m_keptInner.count(h) != 0 || (!there.isNull() && !hs::className(there).empty());
        if (taken) {
            std::uint64_t fresh = freshHandle();
            if (fresh != 0) {
                warn(line, "handle " + formatHandle(h) + " is used twice; the " + type + " of the " +
                               tags[0].value + " gets handle " + formatHandle(fresh));
                t.value = formatHandle(fresh);
                h = fresh;
            }
        }
        m_keptInner.insert(h);
    }
    needHandles = needHandles || !haveHandle;
}

void Reader::mergeModelSpaceAliases() {
    std::uint64_t ms = hs::modelSpaceId(m_pDb).handle().value();
    for (std::uint64_t h : m_msAliases) {
        AcDbObjectId id = hs::idFromHandle(m_pDb, h);
        if (id.isNull() || !hs::entitiesOf(id).empty())
            continue;
        AcDbObject* pRec = nullptr;
        if (acdbOpenAcDbObject(pRec, id, AcDb::kForWrite) != Acad::eOk)
            continue;
        Acad::ErrorStatus es = pRec->erase();
        pRec->close();
        if (es != Acad::eOk)
            continue;
        for (auto& [file, db] : m_remap)
            if (db == h)
                db = ms;
        m_remap[h] = ms;
        auto layout = m_data->recordLayout.find(h);
        if (layout != m_data->recordLayout.end()) {
            m_data->recordLayout.emplace(ms, layout->second);  // unless model space has its own
            m_data->recordLayout.erase(layout);
        }
        m_data->blocks.erase(h);  // its BLOCK and ENDBLK name it
        // Its dictionary (where its sort-entities table is) and extended
        // data become model space's, unless model space has its own.
        for (auto* pMap : {&m_data->appData, &m_data->xdata}) {
            auto it = pMap->find(h);
            if (it == pMap->end())
                continue;
            if (pMap->count(ms) == 0)
                (*pMap)[ms] = std::move(it->second);
            pMap->erase(h);
        }
        warn(0, "block record " + formatHandle(h) +
                    " holds the model space entities; it is read as model space");
    }
}

void Reader::finish() {
    mergeModelSpaceAliases();
    // The handles of records kept as text.
    std::vector<std::uint64_t> kept;
    for (KeptTable& t : m_data->tables) {
        kept.push_back(tagHandle(t.head, 5));
        for (Tags& e : t.entries)
            kept.push_back(ownHandle(e));
    }
    for (Tags& o : m_data->objects)
        kept.push_back(ownHandle(o));
    for (auto& [record, marks] : m_data->blocks) {
        kept.push_back(ownHandle(marks.begin));
        kept.push_back(ownHandle(marks.end));
    }
    // Objects the file gave no handle move out of the way of the handles it
    // gave kept records.
    if (!m_provisional.empty()) {
        for (std::uint64_t h : kept)
            clearHandle(h);
        for (std::uint64_t h : m_keptInner)
            clearHandle(h);
    }
    // The next handle: the file's, unless handles of the file reach it or it
    // leaves too few.
    std::uint64_t top = std::max(m_maxHandle, hs::handseed(m_pDb) - 1);
    const std::uint64_t kSeedLimit = ~std::uint64_t(0) - (std::uint64_t(1) << 32);
    if (m_haveSeed && m_fileSeed > top && m_fileSeed <= kSeedLimit) {
        hs::setHandseed(m_pDb, m_fileSeed);
    } else {
        if (m_haveSeed)
            warn(0, "$HANDSEED " + formatHandle(m_fileSeed) +
                        (m_fileSeed > kSeedLimit ? " leaves too few handles"
                                                 : " is not above the highest handle " + formatHandle(top)) +
                        "; new objects get handles from " + formatHandle(top + 1));
        if (top != ~std::uint64_t(0))
            hs::setHandseed(m_pDb, top + 1);
    }
    // Kept handles that the database uses for an object of the file (the
    // handle is in the file twice) move to new handles. A kept record whose
    // own handle the file also gave to a table that the database has under
    // another handle gets a new handle of its own too.
    std::map<std::uint64_t, std::uint64_t> ownRemap;
    for (std::uint64_t h : kept) {
        if (h == 0 || ownRemap.count(h) != 0)
            continue;
        if (m_remap.count(h) != 0) {
            std::uint64_t fresh = 0;
            if (!hs::takeHandle(m_pDb, fresh))
                break;
            ownRemap[h] = fresh;
            continue;
        }
        AcDbObjectId id = hs::idFromHandle(m_pDb, h);
        if (id.isNull() || hs::className(id).empty())
            continue;
        std::uint64_t fresh = 0;
        if (!hs::takeHandle(m_pDb, fresh))
            break;
        warn(0, "handle " + formatHandle(h) + " is used twice; the record kept as text gets handle " +
                    formatHandle(fresh));
        m_remap[h] = fresh;
    }
    // Followers without handles (files without handles) get new ones.
    for (AcDbObjectId id : m_needHandles) {
        HsDxfKeptEntity* pKept = nullptr;
        if (acdbOpenObject(pKept, id, AcDb::kForWrite) != Acad::eOk)
            continue;
        Tags tags = pKept->tags();
        Tags out;
        out.reserve(tags.size() + tags.size() / 4);
        for (size_t i = 0; i < tags.size(); ++i) {
            out.push_back(tags[i]);
            if (tags[i].code != 0 || i == 0)
                continue;
            bool has = false;
            for (size_t j = i + 1; j < tags.size() && tags[j].code != 0 && !has; ++j)
                has = tags[j].code == 5;
            std::uint64_t fresh = 0;
            if (!has && hs::takeHandle(m_pDb, fresh))
                out.push_back({5, formatHandle(fresh)});
        }
        pKept->setTags(std::move(out));
        pKept->close();
    }

    auto remapKept = [&](Tags& tags) {
        auto it = ownRemap.find(ownHandle(tags));
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
    TextSpelling spelling = m_codec.spellingSeen();
    m_data->escapedText = spelling.escapes;
    m_data->lowerCaseEscapes = spelling.lowerCaseEscapes;
    m_data->byteText = spelling.bytes;
    completeDrawingData(m_pDb, *m_data);
}

}  // namespace dxf
}  // namespace hs
