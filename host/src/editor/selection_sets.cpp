// Selection sets: named by (set number, kSetMarker), looked up on every
// use, so a freed or forged name gives a status; and the per-drawing sets
// (pickfirst, previous) that a database takes with it when it goes.
#include <algorithm>
#include <map>

#include "db/db.h"
#include "editor/editor.h"
#include "runtime/runtime.h"

namespace hostimpl {

namespace {
std::map<std::int64_t, SelectionSet>& sets() {
  static std::map<std::int64_t, SelectionSet> all;
  return all;
}
std::int64_t gNextSet = 1;
}  // namespace

SelectionSet* findSet(const AcEdName ss) {
  if (!ss || ss[1] != kSetMarker) return nullptr;
  auto it = sets().find(ss[0]);
  return it == sets().end() ? nullptr : &it->second;
}

void SelectionSet::ensureIndex() {
  if (indexed_) return;
  index_.insert(members_.begin(), members_.end());
  indexed_ = true;
}

bool SelectionSet::add(AcDbStub* s) {
  ensureIndex();
  if (!index_.insert(s).second) return false;
  members_.push_back(s);
  return true;
}

bool SelectionSet::remove(AcDbStub* s) {
  ensureIndex();
  if (!index_.erase(s)) return false;
  members_.erase(std::find(members_.begin(), members_.end(), s));
  return true;
}

void newSet(std::vector<AcDbStub*> members, AcEdName ss, bool distinct) {
  std::int64_t id = gNextSet++;
  SelectionSet& set = sets()[id];
  if (distinct)
    set.assignDistinct(std::move(members));
  else
    for (AcDbStub* s : members) set.add(s);
  ss[0] = id;
  ss[1] = kSetMarker;
}

void forgetDatabase(AcDbDatabase* db) {
  auto dropFrom = [db](std::vector<AcDbStub*>& v) {
    v.erase(std::remove_if(v.begin(), v.end(), [db](AcDbStub* s) { return s->database == db; }),
            v.end());
  };
  for (auto& [id, set] : sets()) set.removeIf([db](AcDbStub* s) { return s->database == db; });
  for (AcApDocument* doc : documentList()) {
    dropFrom(docState(doc).pickfirst);
    dropFrom(docState(doc).previous);
  }
}

}  // namespace hostimpl

using hostimpl::findSet;

int acedSSAdd(const AcEdName ent, const AcEdName ss, AcEdName result) {
  if (!result) return AcEd::kError;
  AcDbStub* stub = nullptr;
  if (ent) {
    stub = hostimpl::stubFromName(ent);
    if (!stub || !AcDbEntity::cast(stub->object)) return AcEd::kError;
  }
  if (!ss) {
    std::vector<AcDbStub*> members;
    if (stub) members.push_back(stub);
    hostimpl::newSet(std::move(members), result);
    return AcEd::kNormal;
  }
  hostimpl::SelectionSet* set = findSet(ss);
  if (!set) return AcEd::kError;
  if (stub) set->add(stub);
  result[0] = ss[0], result[1] = ss[1];
  return AcEd::kNormal;
}

int acedSSDel(const AcEdName ent, const AcEdName ss) {
  hostimpl::SelectionSet* set = findSet(ss);
  AcDbStub* stub = hostimpl::stubFromName(ent);
  return set && stub && set->remove(stub) ? AcEd::kNormal : AcEd::kError;
}

int acedSSFree(const AcEdName ss) {
  if (!ss || ss[1] != hostimpl::kSetMarker) return AcEd::kError;
  return hostimpl::sets().erase(ss[0]) ? AcEd::kNormal : AcEd::kError;
}

int acedSSLength(const AcEdName ss, std::int32_t* length) {
  hostimpl::SelectionSet* set = findSet(ss);
  if (!set || !length) return AcEd::kError;
  *length = static_cast<std::int32_t>(set->members().size());
  return AcEd::kNormal;
}

int acedSSName(const AcEdName ss, std::int32_t index, AcEdName entity) {
  hostimpl::SelectionSet* set = findSet(ss);
  if (!set || !entity || index < 0 || static_cast<size_t>(index) >= set->members().size())
    return AcEd::kError;
  hostimpl::nameFromStub(set->members()[index], entity);
  return AcEd::kNormal;
}
