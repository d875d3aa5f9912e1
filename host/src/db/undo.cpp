// Undo and redo of whole commands.
//
// A command's group holds, for each object it changed, a copy of the state the
// object had before: it is made the first time the command opens the object
// for write (or erases it with the reference that owns it). Objects the command
// added are listed too. Undoing exchanges each copy with the object in the
// stub, newest entry first, and erases what was added; the states taken out
// become the copies, so redoing is the same exchange in the other order.
// Block tables and tables are never copied: what they hold changes only by
// adding objects, and an added object that is undone stays in its list,
// erased, as erased objects do.
#include <algorithm>

#include "db/db.h"

namespace hostimpl {
namespace {

// The running command's group when it has not recorded the object yet (the stub is marked
// as recorded then); null otherwise.
UndoGroup* groupToRecord(AcDbStub* stub) {
  if (!stub || !stub->database) return nullptr;
  UndoLog& log = stub->database->impl()->undo;
  if (!log.recording || stub->undoMark == log.groupSerial) return nullptr;
  stub->undoMark = log.groupSerial;
  return &log.done.back();
}

// The copy that stands for an object's state; null for objects that are not
// copied (tables, block records, and what has no copy).
AcDbObject* stateCopy(const AcDbObject* object) {
  const bool copied = object->isKindOf(AcDbEntity::desc()) ||
                      object->isKindOf(AcDbSymbolTableRecord::desc());
  if (!copied || AcDbBlockTableRecord::cast(object)) return nullptr;
  auto* copy = static_cast<AcDbObject*>(object->clone());
  if (!copy) return nullptr;
  copy->erased_ = object->erased_;
  if (const auto* entity = AcDbEntity::cast(object)) {
    auto* entityCopy = static_cast<AcDbEntity*>(copy);
    entityCopy->fileHandle_ = entity->fileHandle_;
    entityCopy->fileDictionary_ = entity->fileDictionary_;
  }
  // A reference keeps its own attributes, which are objects of their own.
  if (const auto* reference = AcDbBlockReference::cast(object)) {
    auto* referenceCopy = static_cast<AcDbBlockReference*>(copy);
    for (AcDbAttribute* pending : referenceCopy->pendingAttributes_) delete pending;
    referenceCopy->pendingAttributes_.clear();
    referenceCopy->attributes_ = reference->attributes_;
  }
  return copy;
}

// A symbol record's name and erased state decide whether the table finds it by name.
void refreshRecordName(AcDbStub* stub) {
  auto* record = AcDbSymbolTableRecord::cast(stub->object);
  AcDbRecordList* list = record ? tableRecords(stub->owner) : nullptr;
  if (!list) return;
  for (auto it = list->live.begin(); it != list->live.end();)
    it = it->second == stub ? list->live.erase(it) : std::next(it);
  if (!record->isErased()) list->live[upper(record->name_)] = stub;
}

void objectReplaced(AcDbStub* stub) {
  if (stub->object->isKindOf(AcDbEntity::desc()))
    entityChanged(stub);
  else
    refreshRecordName(stub);
}

void exchange(UndoEntry& entry, bool undoing) {
  AcDbStub* stub = entry.stub;
  if (entry.added) {
    if (undoing) entry.erasedWhenDone = stub->object->erased_;
    stub->object->erased_ = undoing || entry.erasedWhenDone;
  } else {
    AcDbObject* outgoing = stub->object;
    stub->object = entry.other.release();
    stub->object->attachStub(stub);
    stub->object->readers_ = 0;
    stub->object->writer_ = false;
    entry.other.reset(outgoing);
  }
  objectReplaced(stub);
}

void exchangeGroup(AcDbDatabase* db, UndoGroup& group, bool undoing) {
  if (undoing)
    for (auto it = group.entries.rbegin(); it != group.entries.rend(); ++it) exchange(*it, true);
  else
    for (UndoEntry& entry : group.entries) exchange(entry, false);
  if (group.otherClayer) std::swap(db->impl()->clayer, group.otherClayer);
  bumpModifications(db);
}

}  // namespace

void beginUndoGroup(AcDbDatabase* db, const std::string& command) {
  UndoLog& log = db->impl()->undo;
  log.undone.clear();
  log.done.emplace_back();
  log.done.back().command = command;
  log.done.back().otherClayer = db->impl()->clayer;
  log.recording = true;
  ++log.groupSerial;
}

void endUndoGroup(AcDbDatabase* db) {
  UndoLog& log = db->impl()->undo;
  if (!log.recording) return;
  log.recording = false;
  UndoGroup& group = log.done.back();
  if (group.otherClayer == db->impl()->clayer) group.otherClayer = nullptr;
  // The oldest steps go when the copies would take more than a few hundred megabytes; the
  // last command can always be undone.
  constexpr std::size_t kMostEntries = 2'000'000;
  std::size_t entries = 0;
  for (const UndoGroup& g : log.done) entries += g.entries.size();
  std::size_t dropped = 0;
  while (entries > kMostEntries && log.done.size() - dropped > 1)
    entries -= log.done[dropped++].entries.size();
  log.done.erase(log.done.begin(), log.done.begin() + static_cast<std::ptrdiff_t>(dropped));
}

void noteChange(AcDbStub* stub) {
  UndoGroup* group = groupToRecord(stub);
  if (!group) return;
  if (AcDbObject* copy = stateCopy(stub->object))
    group->entries.push_back({stub, std::unique_ptr<AcDbObject>(copy), false, false});
}

void noteAdded(AcDbStub* stub) {
  UndoGroup* group = groupToRecord(stub);
  if (!group) return;
  group->entries.push_back({stub, nullptr, true, false});
}

namespace {
// Takes the last group of `from`, exchanges its states and puts it last in `to`.
bool moveLastGroup(AcDbDatabase* db, std::vector<UndoGroup>& from, std::vector<UndoGroup>& to,
                   bool undoing, std::string& command) {
  if (db->impl()->undo.recording || from.empty()) return false;
  to.push_back(std::move(from.back()));
  from.pop_back();
  exchangeGroup(db, to.back(), undoing);
  command = to.back().command;
  return true;
}
}  // namespace

bool undoLastGroup(AcDbDatabase* db, std::string& command) {
  UndoLog& log = db->impl()->undo;
  return moveLastGroup(db, log.done, log.undone, true, command);
}

bool redoLastGroup(AcDbDatabase* db, std::string& command) {
  UndoLog& log = db->impl()->undo;
  return moveLastGroup(db, log.undone, log.done, false, command);
}

}  // namespace hostimpl
