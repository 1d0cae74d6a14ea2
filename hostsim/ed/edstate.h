// The editor's state for the open drawing: pending input restrictions,
// the UCS, the last point, selection sets and entity names. It belongs to
// the session's drawing and starts afresh when the drawing changes.
#pragma once
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "hostsim/selection.h"

namespace hs {

struct SelectionSetRecord {
    std::vector<AcDbObjectId> ids;
    // The same entities as a set, made on the first acedSSAdd to this set so
    // that adding many entities one by one stays linear.
    std::unordered_set<const void*> members;
    bool madeInCommand = false;
};

struct EntityNameRecord {
    AcDbObjectId id;
    AcDbDatabase* pDb = nullptr;
};

struct EditorState {
    AcDbDatabase* pDb = nullptr;  // the drawing this state belongs to

    // acedInitGet applies to the next request only.
    bool initPending = false;
    int initFlags = 0;
    std::string initKeywords;
    std::string lastKeyword;  // for acedGetInput

    Ucs ucs;
    std::vector<Ucs> previousUcs;
    AcGePoint3d lastPointWcs;

    std::vector<AcDbObjectId> previous;  // the previous selection
    std::vector<AcDbObjectId> oops;      // what the last ERASE erased

    std::map<long, SelectionSetRecord> sets;
    long nextSet = 1;
    std::vector<EntityNameRecord> names;  // entity name n is names[n - 1]
    std::unordered_map<const void*, long> nameOf;

    double textHeight = 2.5;  // TEXT's last height

    int drivenDepth = 0;  // commands run by acedCmd now executing
    int drivenOutcome = 0;
};

// The state of the session's current drawing.
EditorState& editorState();

// Tags in the second word of an ads_name tell entity names from selection sets.
constexpr long kEntityNameTag = 0x454e54;    // "ENT"
constexpr long kSelectionSetTag = 0x535354;  // "SST"

}  // namespace hs
