// hostsim's own database services beyond the host API: the parts the
// built-in commands, the DXF files and the picture need. Implemented in
// hostsim/db.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbmain.h"

namespace hs {

// ---- structure ----
AcDbObjectId modelSpaceId(AcDbDatabase* pDb);
AcDbObjectId paperSpaceId(AcDbDatabase* pDb);
// Entities of a block table record in their record order.
std::vector<AcDbObjectId> entitiesOf(AcDbObjectId blockRecordId, bool includeErased = false);
// Every object of the database in handle order (tables, records, entities, objects).
std::vector<AcDbObjectId> allObjects(AcDbDatabase* pDb, bool includeErased = false);
AcDbObjectId idFromHandle(AcDbDatabase* pDb, std::uint64_t handle);
// The class name of an object without opening it (for listings and errors).
std::string className(AcDbObjectId id);

// Adds a non-resident object to the database under the given owner. With a
// non-null handle the object keeps that handle (files); otherwise it gets the
// next one. Entities owned by a block table record are appended to it, records
// owned by a table are entered in it, and a table without owner becomes the
// database's table of its kind. As with appendAcDbEntity, the object is then
// open for write: close it.
Acad::ErrorStatus addObject(AcDbDatabase* pDb, AcDbObject* pObj, AcDbObjectId ownerId, AcDbHandle handle,
                            AcDbObjectId& newId);
// The next handle; setHandseed only ever moves it up.
std::uint64_t handseed(AcDbDatabase* pDb);
void setHandseed(AcDbDatabase* pDb, std::uint64_t next);
// Takes the next handle for data the database holds no object for (DXF
// records kept as text). False when the handles are used up: the last one
// (all bits set) has been given out, and new objects cannot be added
// (addObject answers eOutOfMemory).
bool takeHandle(AcDbDatabase* pDb, std::uint64_t& handle);
bool handlesUsedUp(AcDbDatabase* pDb);
// Files an object under another handle, one without a record. Only for
// objects nothing refers to by handle yet (a file being read).
Acad::ErrorStatus changeHandle(AcDbObjectId id, std::uint64_t handle);
// The number of handles the database has records for (its objects and
// handles referred to before their objects were added).
std::size_t handleCount(AcDbDatabase* pDb);
// Makes room in the handle index for handles below `count` (a file's handle
// seed), so that reading its objects does not grow the index step by step.
void reserveHandles(AcDbDatabase* pDb, std::uint64_t count);

// Things other subsystems keep with a database (DXF header variables and
// unknown sections, for instance), by name.
std::shared_ptr<void>& attachment(AcDbDatabase* pDb, const std::string& name);

// ---- copying through filing ----
// Writes the object with a DWG filer of the given type and reads it into a
// new object made by its class's create(). The copy is not resident.
Acad::ErrorStatus copyThroughFiling(const AcDbObject* pSrc, AcDb::FilerType type, AcDbObject*& pCopy);
// COPY and -ARRAY: one deep clone operation (kDcCopy) of the entities into
// their owner, with its notifications; the clones are then transformed by
// xform. copies gets the clones in the order of ids; failed counts the
// entities that could not be copied.
Acad::ErrorStatus copyEntities(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform,
                               std::vector<AcDbObjectId>& copies, int& failed);

// ---- draw order of a block table record (model space above all) ----
std::vector<AcDbObjectId> drawOrder(AcDbObjectId blockRecordId);
void sendToBack(const std::vector<AcDbObjectId>& ids);
void bringToFront(const std::vector<AcDbObjectId>& ids);
// True when the draw order is not the record order (the DXF file then needs a
// sort-entities table).
bool drawOrderDiffers(AcDbObjectId blockRecordId);
void setDrawOrder(AcDbObjectId blockRecordId, const std::vector<AcDbObjectId>& order);

// ---- undo and redo ----
// Every command from the command line is one undo group; nested commands join
// it. These run the undo log; they print what the host prints.
int undoGroups(int count);  // returns how many groups were undone
int redoGroups(int count);
int undoableGroups();
int redoableGroups();
// The group of a command: the session opens and closes one around every
// command from the command line. Tests that drive the API directly use these.
void beginUndoGroup(AcDbDatabase* pDb, const std::string& name);
void endUndoGroup(AcDbDatabase* pDb);

// ---- open objects ----
// Objects of any database currently open (for the end-of-command check).
std::vector<AcDbObjectId> openObjects();

}  // namespace hs
