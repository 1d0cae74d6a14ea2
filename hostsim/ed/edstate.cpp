// The editor's per-drawing state, entity names and selection sets
// (acdbGetAdsName, acdbGetObjectId, acedSSAdd/Free/Length/Name), and the
// check that a command frees the selection sets it made.
#include "edstate.h"

#include <algorithm>
#include <cstdint>

#include "acedads.h"
#include "edcmds.h"
#include "filing/dxffiler.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"

namespace hs {

namespace {
// The host keeps at most this many selection sets at a time.
const size_t kMaxSelectionSets = 128;

void clearDrawingState(EditorState& st) {
    AcDbDatabase* pDb = st.pDb;
    int depth = st.drivenDepth;
    st = EditorState();
    st.pDb = pDb;
    st.drivenDepth = depth;
}
}  // namespace

EditorState& editorState() {
    static EditorState s_state;
    AcDbDatabase* pDb = Session::get().database();
    if (s_state.pDb != pDb) {
        s_state.pDb = pDb;
        clearDrawingState(s_state);
    }
    return s_state;
}

void resetEditor() {
    clearDrawingState(editorState());
}

// ---- entity names -------------------------------------------------------------------------

namespace {

long nameIndex(AcDbObjectId id) {
    EditorState& st = editorState();
    auto it = st.nameOf.find(id.stub());
    if (it != st.nameOf.end())
        return it->second;
    st.names.push_back(EntityNameRecord{id, id.database()});
    long n = static_cast<long>(st.names.size());
    st.nameOf[id.stub()] = n;
    return n;
}

bool idOfName(const ads_name name, AcDbObjectId& id) {
    // An object id group a DXF filer handed to dxfInFields.
    if (name != nullptr && name[1] == kFilerIdNameTag && name[0] != 0) {
        id = AcDbObjectId(reinterpret_cast<AcDbStub*>(static_cast<std::intptr_t>(name[0])));
        return true;
    }
    if (name == nullptr || name[1] != kEntityNameTag)
        return false;
    EditorState& st = editorState();
    if (name[0] < 1 || static_cast<size_t>(name[0]) > st.names.size())
        return false;
    id = st.names[static_cast<size_t>(name[0]) - 1].id;
    return !id.isNull();
}

SelectionSetRecord* findSet(const ads_name ss) {
    if (ss == nullptr || ss[1] != kSelectionSetTag)
        return nullptr;
    EditorState& st = editorState();
    auto it = st.sets.find(static_cast<long>(ss[0]));
    return it == st.sets.end() ? nullptr : &it->second;
}

}  // namespace

void forgetNames(AcDbDatabase* pDb) {
    EditorState& st = editorState();
    for (EntityNameRecord& r : st.names) {
        if (r.pDb == pDb) {
            st.nameOf.erase(r.id.stub());
            r.id = AcDbObjectId::kNull;
            r.pDb = nullptr;
        }
    }
}

std::string entityNameToken(const ads_name ent) {
    return "<Entity name: " + std::to_string(static_cast<long>(ent[0])) + ">";
}

// ---- selection sets --------------------------------------------------------------------------

bool newSelectionSet(const std::vector<AcDbObjectId>& ids, ads_name ss) {
    EditorState& st = editorState();
    if (st.sets.size() >= kMaxSelectionSets)
        return false;
    long n = st.nextSet++;
    SelectionSetRecord& rec = st.sets[n];
    rec.ids = ids;
    rec.madeInCommand = Session::get().inCommand();
    ss[0] = n;
    ss[1] = kSelectionSetTag;
    return true;
}

bool selectionSetIds(const ads_name ss, std::vector<AcDbObjectId>& ids) {
    SelectionSetRecord* rec = findSet(ss);
    if (rec == nullptr)
        return false;
    ids = rec->ids;
    return true;
}

std::string selectionSetToken(const ads_name ss) {
    return "<Selection set: " + std::to_string(static_cast<long>(ss[0])) + ">";
}

int allocatedSelectionSets() {
    return static_cast<int>(editorState().sets.size());
}

// Reports the selection sets a command made and did not free, then frees them.
void registerSelectionChecks() {
    Session::get().commandEvents().ended.push_back([](const std::string& name, bool nested, int) {
        if (nested)
            return;  // the outermost command answers for the sets
        EditorState& st = editorState();
        int leaked = 0;
        for (auto it = st.sets.begin(); it != st.sets.end();) {
            if (it->second.madeInCommand) {
                ++leaked;
                it = st.sets.erase(it);
            } else {
                ++it;
            }
        }
        if (leaked > 0)
            Session::get().fault(std::to_string(leaked) + " selection set" + (leaked == 1 ? "" : "s") +
                                 " not freed by the command " + name);
    });
}

}  // namespace hs

// ---- the C interface ---------------------------------------------------------------------

Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId) {
    Acad::ErrorStatus es = hs::checkFault("acdbGetAdsName");
    if (es != Acad::eOk)
        return es;
    if (objId.isNull())
        return Acad::eNullObjectId;
    objName[0] = hs::nameIndex(objId);
    objName[1] = hs::kEntityNameTag;
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName) {
    Acad::ErrorStatus es = hs::checkFault("acdbGetObjectId");
    if (es != Acad::eOk)
        return es;
    if (!hs::idOfName(objName, objId)) {
        objId = AcDbObjectId::kNull;
        return Acad::eInvalidInput;
    }
    return Acad::eOk;
}

extern "C" int acedSSFree(const ads_name sname) {
    if (hs::findSet(sname) == nullptr)
        return RTERROR;
    hs::editorState().sets.erase(static_cast<long>(sname[0]));
    return RTNORM;
}

extern "C" int acedSSLength(const ads_name sname, long* len) {
    hs::SelectionSetRecord* rec = hs::findSet(sname);
    if (rec == nullptr || len == nullptr)
        return RTERROR;
    *len = static_cast<long>(rec->ids.size());
    return RTNORM;
}

extern "C" int acedSSName(const ads_name ss, long i, ads_name entres) {
    hs::SelectionSetRecord* rec = hs::findSet(ss);
    if (rec == nullptr || entres == nullptr || i < 0 || static_cast<size_t>(i) >= rec->ids.size())
        return RTERROR;
    // Named directly: a fault armed for acdbGetAdsName is the caller's own.
    AcDbObjectId id = rec->ids[static_cast<size_t>(i)];
    if (id.isNull())
        return RTERROR;
    entres[0] = hs::nameIndex(id);
    entres[1] = hs::kEntityNameTag;
    return RTNORM;
}

// With no set: a new set holding the entity (or an empty set without one).
// With a set: the entity is added to it and the result names that set.
extern "C" int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result) {
    if (result == nullptr || hs::checkFault("acedSSAdd") != Acad::eOk)
        return RTERROR;
    AcDbObjectId id;
    bool haveEntity = ename != nullptr && !ads_name_nil(ename);
    if (haveEntity && !hs::idOfName(ename, id))
        return RTERROR;
    if (sname == nullptr || ads_name_nil(sname)) {
        std::vector<AcDbObjectId> ids;
        if (haveEntity)
            ids.push_back(id);
        ads_name ss;
        if (!hs::newSelectionSet(ids, ss))
            return RTERROR;
        ads_name_set(ss, result);
        return RTNORM;
    }
    hs::SelectionSetRecord* rec = hs::findSet(sname);
    if (rec == nullptr)
        return RTERROR;
    if (haveEntity) {
        if (rec->members.size() != rec->ids.size()) {
            rec->members.clear();
            for (const AcDbObjectId& member : rec->ids)
                rec->members.insert(member.stub());
        }
        if (rec->members.insert(id.stub()).second)
            rec->ids.push_back(id);
    }
    ads_name_set(sname, result);
    return RTNORM;
}
