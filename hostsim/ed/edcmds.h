// The editor's built-in commands: their registration and the helpers they share.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "dbmain.h"
#include "hostsim/selection.h"

namespace hs {

// Registration, one per family; registerEditCommands calls them all.
void registerSelectionChecks();
void registerDrivenCommandEvents();
void registerDrawCommands();      // LINE, CIRCLE, ARC, PLINE, TEXT
void registerModifyCommands();    // MOVE, ROTATE, SCALE, COPY, ERASE, OOPS
void registerPropertyCommands();  // LIST, CHPROP (and -LAYER through the next)
void registerLayerCommand();      // -LAYER
void registerUndoCommands();      // U, UNDO, REDO, MREDO
void registerArrayCommands();     // -ARRAY, DRAWORDER
void registerWblockCommand();     // -WBLOCK
void registerInsertCommand();     // -INSERT
void registerUcsCommand();        // UCS

// Adds a command of the host's own group "ACAD".
void addBuiltinCommand(const std::string& name, void (*fn)(), int flags = 0);

// Appends a new entity to the current space on the current layer and closes
// it. On failure the entity is deleted and a message printed. Returns the id
// (null on failure).
AcDbObjectId appendToCurrentSpace(AcDbEntity* pEnt);

// Asks for objects ("Select objects: "); false when cancelled or nothing
// was selected.
bool selectForCommand(std::vector<AcDbObjectId>& ids);

// Opens each entity for write and calls fn; entities that cannot be opened
// (on a locked layer, for instance) or for which fn fails are counted and
// reported afterwards the host's way ("1 object was not <verb>.").
// Returns how many fn accepted.
int forEachForWrite(const std::vector<AcDbObjectId>& ids,
                    const std::function<Acad::ErrorStatus(AcDbEntity*)>& fn, const std::string& verb);

// "1 found" style plural helper: "n word" / "n words".
std::string countOf(int n, const std::string& singular, const std::string& plural);

}  // namespace hs
