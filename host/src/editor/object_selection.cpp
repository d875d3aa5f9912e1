// Object selection as plug-ins ask for it: acedSSGet in every mode, the
// interactive selection, and the pickfirst set.
#include <cstdio>
#include <cstring>

#include "db/db.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace hostimpl {

std::vector<AcDbStub*> liveOnly(const std::vector<AcDbStub*>& in) {
  std::vector<AcDbStub*> out;
  for (AcDbStub* s : in)
    if (s->object && !s->object->isErased()) out.push_back(s);
  return out;
}

void selectionFor(const Action& a, std::vector<AcDbStub*>& out) {
  AcDbDatabase* db = workingDatabase();
  out.clear();
  switch (a.kind) {
    case Action::kPick:
    case Action::kPoint: {
      std::vector<AcDbStub*> path;
      if (pickAt(db, a.points[0], pickTolerance(), false, path, nullptr)) out.push_back(path[0]);
      break;
    }
    case Action::kBox:
      selectBox(db, a.points[0], a.points[1],
                a.points[0].x > a.points[1].x ? BoxMode::kCrossing : BoxMode::kWindow, out);
      break;
    case Action::kWindow:
      selectBox(db, a.points[0], a.points[1], BoxMode::kWindow, out);
      break;
    case Action::kCrossing:
      selectBox(db, a.points[0], a.points[1], BoxMode::kCrossing, out);
      break;
    case Action::kFence:
      selectFence(db, a.points, out);
      break;
    case Action::kAll:
      selectAll(db, out, nullptr);
      break;
    case Action::kPrevious:
      if (AcApDocument* doc = currentDocument()) out = liveOnly(docState(doc).previous);
      break;
    default:
      break;
  }
}

namespace {

int finishSelection(std::vector<AcDbStub*> members, const AcEdResBuf* filter, AcEdName ss,
                    bool distinct) {
  bool ok;
  applyFilter(filter, members, ok);
  if (!ok || members.empty()) return AcEd::kError;
  newSet(std::move(members), ss, distinct);
  return AcEd::kNormal;
}

int interactiveSelection(const AcEdResBuf* filter, AcEdName ss) {
  std::vector<AcDbStub*> chosen;
  std::unordered_set<AcDbStub*> seen;
  while (true) {
    Action a;
    int rc = nextAnswer("\nSelect objects: ", kAcceptPick | kAcceptBox | kAcceptSelection |
                                                  kAcceptEnter, a);
    if (rc != AcEd::kNormal) return AcEd::kCancel;
    if (a.kind == Action::kEnter) break;
    std::vector<AcDbStub*> found;
    selectionFor(a, found);
    bool ok;
    applyFilter(filter, found, ok);
    int added = 0;
    for (AcDbStub* s : found)
      if (seen.insert(s).second) chosen.push_back(s), ++added;
    char buf[64];
    std::snprintf(buf, sizeof buf, "\n%d found", static_cast<int>(found.size()));
    print(buf);
  }
  if (chosen.empty()) return AcEd::kError;
  if (AcApDocument* doc = currentDocument()) docState(doc).previous = chosen;
  newSet(std::move(chosen), ss);
  return AcEd::kNormal;
}
AcEdCommand* activeCommand() { return state().running.empty() ? nullptr : state().running.back(); }

}  // namespace

}  // namespace hostimpl

int acedSSGet(const char* mode, const void* pt1, const void* pt2, const AcEdResBuf* filter,
              AcEdName ss) {
  if (!ss) return AcEd::kError;
  AcDbDatabase* db = hostimpl::workingDatabase();
  AcApDocument* doc = hostimpl::currentDocument();
  std::string m = mode ? hostimpl::upper(mode) : "";
  while (!m.empty() && (m[0] == '_' || m[0] == ':')) m.erase(0, 1);
  if (m.empty()) return hostimpl::interactiveSelection(filter, ss);
  std::vector<AcDbStub*> members;
  if (m == "I") {
    AcEdCommand* cmd = hostimpl::activeCommand();
    if (!doc || !cmd || !(cmd->commandFlags() & AcEdCommandFlags::kUsePickSet))
      return AcEd::kError;
    members = hostimpl::liveOnly(hostimpl::docState(doc).pickfirst);
  } else if (m == "W" || m == "C") {
    if (!pt1 || !pt2) return AcEd::kError;
    auto* a = static_cast<const double*>(pt1);
    auto* b = static_cast<const double*>(pt2);
    hostimpl::selectBox(db, {a[0], a[1], a[2]}, {b[0], b[1], b[2]},
                        m == "W" ? hostimpl::BoxMode::kWindow : hostimpl::BoxMode::kCrossing,
                        members);
  } else if (m == "F") {
    std::vector<AcGePoint3d> fence;
    for (auto* rb = static_cast<const AcEdResBuf*>(pt1); rb; rb = rb->next)
      if (rb->type == AcEd::kRtPoint3d || rb->type == AcEd::kRtPoint2d)
        fence.push_back({rb->value.point[0], rb->value.point[1],
                         rb->type == AcEd::kRtPoint3d ? rb->value.point[2] : 0});
    if (fence.size() < 2) return AcEd::kError;
    hostimpl::selectFence(db, fence, members);
  } else if (m == "A") {
    // The filter applies during the one pass over the drawing, so that each
    // entity is touched once.
    hostimpl::Filter test;
    if (!test.compile(filter)) return AcEd::kError;
    hostimpl::selectAll(db, members, test.empty() ? nullptr : &test);
    if (members.empty()) return AcEd::kError;
    hostimpl::newSet(std::move(members), ss, true);
    return AcEd::kNormal;
  } else if (m == "X") {
    if (db)
      for (AcDbStub* s : hostimpl::blockEntities(db->impl()->modelSpace)->entities)
        if (!s->object->isErased()) members.push_back(s);
  } else if (m == "P") {
    if (doc) members = hostimpl::liveOnly(hostimpl::docState(doc).previous);
  } else if (m == "L") {
    AcEdName last;
    if (acdbEntLast(last) == AcEd::kNormal) members.push_back(hostimpl::stubFromName(last));
  } else {
    return AcEd::kRejected;
  }
  // Geometric selections and "A"/"X" list each entity once by construction.
  bool distinct = m == "W" || m == "C" || m == "F" || m == "A" || m == "X";
  return hostimpl::finishSelection(std::move(members), filter, ss, distinct);
}

int acedSSSetFirst(const AcEdName pickfirst, const AcEdName) {
  AcApDocument* doc = hostimpl::currentDocument();
  if (!doc) return AcEd::kError;
  auto& pf = hostimpl::docState(doc).pickfirst;
  pf.clear();
  if (!pickfirst) return AcEd::kNormal;
  hostimpl::SelectionSet* set = hostimpl::findSet(pickfirst);
  if (!set) return AcEd::kError;
  pf = set->members();
  return AcEd::kNormal;
}
