// The drawing database's inner state, shared by the files of db/ and read
// by the editor and the runtime. Nothing here is part of the plug-in
// interface.
//
// Invariants:
//   - every object of a database has exactly one AcDbStub, kept in the
//     database's stub deque (stable addresses); its handle is index + 1;
//   - a stub's object pointer stays valid until the database is destroyed,
//     erased objects included;
//   - an entity of a block sits at stub->position in that block's entity
//     list, which keeps drawing order (erased entities stay in place); an
//     attribute is owned by its block reference, not by a block;
//   - an entity name is (handle, database serial); a selection-set name is
//     (set number, kSetMarker). Both are looked up, never dereferenced, so a
//     stale or forged name cannot crash the host;
//   - once a block's spatial index is built, boxes[i] is the extents of
//     entity i in block space (empty when erased), and the index holds
//     exactly the non-empty boxes. Every change that can move an entity (an
//     append, an erase or un-erase, a write-close) updates that entity's
//     entry, and the entries of the references to its block.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "geometry/geometry.h"
#include "io/dxf_model.h"
#include "hostapi/hostapi.h"

struct AcDbStub {
  AcDbObject* object = nullptr;
  AcDbDatabase* database = nullptr;
  AcDbStub* owner = nullptr;
  std::uint64_t handle = 0;
  // Position in the owner's entity list (entities of blocks only).
  std::uint32_t position = 0;
  // The undo group that last recorded this object (see UndoLog); it fills the padding.
  std::uint32_t undoMark = 0;
};

// Records of one symbol table, in table order, with a name index of the
// live (not erased) records. Keys are upper-cased names.
struct AcDbRecordList {
  std::vector<AcDbStub*> records;
  std::unordered_map<std::string, AcDbStub*> live;
};

// Entities of one block in drawing order, with what the spatial look-ups
// keep of them (see the invariants above).
struct AcDbEntityList {
  std::vector<AcDbStub*> entities;
  // Built on the first look-up, then kept current entity by entity.
  bool indexed = false;
  std::vector<hostimpl::geometry::Box> boxes;
  hostimpl::geometry::SpatialIndex index;
  // What a reference to this block covers: the union of the boxes and the
  // number of entities it expands to; recomputed when stale.
  bool summaryCurrent = false;
  hostimpl::geometry::Box extents;
  double expanded = 0;
  // Block references that have pointed at this block (some may since point
  // elsewhere or be erased; users check).
  std::unordered_set<AcDbStub*> references;
};

// What undo and redo need of the commands run on a database (db/undo.cpp).
// One group per command: for every object the command changed, the state it
// had before (a copy made when the object was first opened for write), and
// every object it added. Undoing a group puts the copies back in place and
// erases what was added; the states it replaces become the group's copies, so
// redoing is the same exchange again.
//
// Invariants: only the outermost command opens a group; an object has at most
// one entry per group; outside a group nothing is recorded. Beyond 2,000,000
// recorded objects the oldest groups are dropped (never the last one).
struct UndoEntry {
  AcDbStub* stub = nullptr;
  std::unique_ptr<AcDbObject> other;  // the state not in place (null for an added object)
  bool added = false;
  bool erasedWhenDone = false;  // an added object's erased state when the command ended
};
struct UndoGroup {
  std::string command;
  std::vector<UndoEntry> entries;
  AcDbStub* otherClayer = nullptr;  // the current layer not in place
};
struct UndoLog {
  std::vector<UndoGroup> done, undone;
  bool recording = false;  // the last of `done` is the running command's group
  // Numbers the groups as they open: an object whose stub carries the running group's number
  // is recorded already.
  std::uint32_t groupSerial = 0;
};

struct AcDbDatabase::Impl {
  std::deque<AcDbStub> stubs;
  UndoLog undo;
  std::uint32_t serial = 0;
  AcDbStub* layerTable = nullptr;
  AcDbStub* blockTable = nullptr;
  AcDbStub* linetypeTable = nullptr;
  AcDbStub* textStyleTable = nullptr;
  AcDbStub* modelSpace = nullptr;
  AcDbStub* layerZero = nullptr;
  AcDbStub* byLayer = nullptr;
  AcDbStub* byBlock = nullptr;
  AcDbStub* continuous = nullptr;
  AcDbStub* standardStyle = nullptr;
  AcDbStub* clayer = nullptr;
  std::unique_ptr<AcDbLayerStateManager> layerStates;
  std::uint64_t modifications = 0;
  // Header variables of the drawing file the host does not use, written back as they came.
  std::vector<drawhost::dxf::DxfVariable> fileVariables;
  std::vector<std::string> fileAppIds;  // applications of extended data, besides ACAD
  std::vector<drawhost::dxf::DxfTableRecord> fileTableRecords;  // dimension styles, views, UCS
  drawhost::dxf::DxfObjects fileObjects;
  std::vector<drawhost::dxf::DxfTextStyle> fileShapeFiles;  // style records without a name
};

// The body of a setter of a database object: refused unless open for write.
#define HOST_SETTER(expr)                           \
  if (!canWrite()) return AcDb::kNotOpenForWrite; \
  expr;                                             \
  return AcDb::kOk

namespace hostimpl {

// --- names and look-ups (db/names.cpp) ----------------------------------------

// ASCII upper case; bytes of GBK characters are left alone.
std::string upper(std::string_view s);
bool equalNoCase(std::string_view a, std::string_view b);

AcDbDatabase* databaseBySerial(std::uint32_t serial);
AcDbStub* stubFromName(const AcEdName name);
void nameFromStub(const AcDbStub* stub, AcEdName name);
AcDbStub* stubOf(AcDbObjectId id);
AcDbDatabase* workingDatabase();
// A new database's serial, and its end (the name no longer resolves).
std::uint32_t registerDatabaseSerial(AcDbDatabase* db);
void forgetDatabaseSerial(AcDbDatabase* db);

// Provided by the editor and the runtime, which sit above the database.
// forgetDatabase drops the database's entities from selection sets and
// documents' pickfirst and previous sets before it goes.
void forgetDatabase(AcDbDatabase* db);
AcApDocument* currentDocument();

// Direct (protocol-free) views used by the host itself.
inline AcDbObject* objectOf(const AcDbStub* stub) { return stub ? stub->object : nullptr; }
const char* recordName(const AcDbStub* stub);
AcDbLayerTableRecord* layerOf(const AcDbEntity* ent);
AcDbRecordList* tableRecords(AcDbStub* tableStub);
AcDbEntityList* blockEntities(AcDbStub* blockStub);
// Entity type as entity data names it (LINE, INSERT, ...).
const char* dxfName(const AcDbEntity* ent);
// Is any live entity (model space, blocks, attributes) on this layer?
bool layerInUse(const AcDbStub* layer);
void bumpModifications(AcDbDatabase* db);
// Displayed: visible, on a layer that is on and thawed, not erased.
bool isDisplayed(const AcDbEntity* ent);

// An object joins a database: it gets a stub under owner (null for the
// tables, whose stub database the caller sets), and the database owns it.
AcDbStub* addObject(AcDbDatabase::Impl* db, AcDbObject* obj, AcDbStub* owner);
// Gives a new entity its database defaults and a stub under owner (a block
// record, or a block reference for an attribute).
AcDbStub* adoptEntity(AcDbEntity* ent, AcDbStub* owner);
// The answer of a split with no point strictly inside the curve: one piece,
// a copy of the whole curve.
inline AcDb::Status wholeCopy(const AcDbCurve& curve, AcDbVoidPtrArray& pieces) {
  pieces.append(curve.clone());
  return AcDb::kOk;
}
// Appends to blocks left before the host refuses them (tests; -1: no limit).
extern int gAppendsLeft;
// A malloc'ed copy of s ("" for null), as result buffers own their strings.
char* mallocCopy(const char* s);
AcDb::Status eraseSymbolRecord(AcDbSymbolTableRecord* rec, bool erasing);

// --- undo (db/undo.cpp) ---------------------------------------------------------------

// A command starts and ends on the database: what it changes in between forms one group.
void beginUndoGroup(AcDbDatabase* db, const std::string& command);
void endUndoGroup(AcDbDatabase* db);
// Called before an object of a recording database is first changed (opened for write, or
// erased with its owner) and when one is added.
void noteChange(AcDbStub* stub);
void noteAdded(AcDbStub* stub);
// Undoes the last group (redoes the last undone one); false when there is none. The
// group's command name goes to `command`.
bool undoLastGroup(AcDbDatabase* db, std::string& command);
bool redoLastGroup(AcDbDatabase* db, std::string& command);

// --- walking stub vectors (the table and block iterators) -------------------------

// An index outside the vector means done.
inline bool pastEnd(const std::vector<AcDbStub*>& stubs, int index) {
  return index < 0 || index >= static_cast<int>(stubs.size());
}
inline void skipErased(const std::vector<AcDbStub*>& stubs, int& index, bool forward) {
  while (!pastEnd(stubs, index) && stubs[index]->object->isErased()) index += forward ? 1 : -1;
}
inline int startIndex(const std::vector<AcDbStub*>& stubs, bool atBeginning) {
  return atBeginning ? 0 : static_cast<int>(stubs.size()) - 1;
}

// --- what entities draw (db/drawn_primitives.cpp) ---------------------------------

// Appends the primitives of an entity under xform (attributes of block
// references included; attribute definitions inside blocks skipped).
// Nesting deeper than 16 levels, or more than 500,000 primitives, is cut off.
void collectPrims(const AcDbEntity* ent, const AcGeMatrix3d& xform,
                  std::vector<geometry::Prim>& out, int depth = 0);
// The 3-D extents of primitives (z kept, unlike geometry::extentsOf).
AcDbExtents primExtents(const std::vector<geometry::Prim>& prims);
// The parameters of every place where the polyline passes within kTolerance
// of p (several where it crosses itself), appended to params.
void paramsAtPoint(const AcDbPolyline& pl, const AcGePoint3d& p, AcGeDoubleArray& params);
// The signed area of a region loop (counter-clockwise positive).
double loopArea(const AcDbRegionLoop& loop);
// The corners of a multi-line text's box.
void mtextBox(const AcDbMText* m, AcGePoint3d corners[4]);

// --- extents and the spatial index (db/extents.cpp) --------------------------------

// Call after anything that may have moved the entity (erase and un-erase
// included), or, for a block record, changed its origin.
void entityChanged(AcDbStub* stub);
void blockChanged(AcDbStub* block);
// A new entity at the end of its block's list.
void entityAppended(AcDbStub* stub);
// Extents of an entity in the space of the block that holds it.
geometry::Box entityExtents(const AcDbEntity* ent);
// The entity's extents as the look-ups see them.
geometry::Box indexedExtents(AcDbStub* entity);
// What a reference to the block covers, in block space.
const geometry::Box& blockExtents(AcDbStub* block);
// Entities of the block whose extents meet `query` (bounds included), in
// drawing order, erased ones left out. Through the spatial index, or, when
// useIndex is false, by looking at every entity (the reference the index is
// tested and measured against).
void entitiesMeeting(AcDbStub* block, const geometry::Box& query, std::vector<AcDbStub*>& out);
// Whether look-ups use the index (true) or scan (false); for tests and benchmarks.
void setSpatialIndexUse(bool useIndex);
bool spatialIndexUse();

}  // namespace hostimpl
