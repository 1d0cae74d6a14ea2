// The host's own commands, registered in the command group "ACAD" when the
// session starts, and the built-in run-time classes.
#pragma once

namespace hs {
// Called once by the session; calls the registrations below in this order.
void registerBuiltinCommands();

void registerSessionCommands();  // ARX, QUIT, SETVAR, HSFAULT      (hostsim/ed)
void registerEditCommands();     // drawing, editing, undo, WBLOCK  (hostsim/ed)
void registerFileCommands();     // SAVE, SAVEAS                    (hostsim/dxf)

// Adds a host command to the group "ACAD" (global and local name alike).
void addBuiltinCommand(const char* globalName, void (*fn)(), int flags = 0);

// Built-in classes, registered before any module loads.
void registerDbClasses();      // AcDbObject, AcDbEntity, tables and records (hostsim/db)
void registerEntityClasses();  // AcDbLine ... AcDbEllipse             (hostsim/entities)
}  // namespace hs
