// Selection sets and the geometric selections behind picks, windows,
// crossings, fences and "all".
//
// Selection scans model space once per request, testing each displayed
// entity's primitives; a window needs the whole extents inside, a crossing
// any primitive meeting the rectangle. A linear scan over compact objects
// stays far below a millisecond per ten thousand entities, so there is no
// spatial index to keep in step with edits.
#include <algorithm>
#include <cmath>
#include <map>

#include "internal.h"

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

void newSet(std::vector<AcDbStub*> members, AcEdName ss) {
  std::int64_t id = gNextSet++;
  SelectionSet& set = sets()[id];
  for (AcDbStub* s : members) set.add(s);
  ss[0] = id;
  ss[1] = kSetMarker;
}

void forgetDatabase(AcDbDatabase* db) {
  auto dropFrom = [db](std::vector<AcDbStub*>& v) {
    v.erase(std::remove_if(v.begin(), v.end(), [db](AcDbStub* s) { return s->database == db; }),
            v.end());
  };
  for (auto& [id, set] : sets()) {
    dropFrom(set.members);
    for (auto it = set.index.begin(); it != set.index.end();)
      it = (*it)->database == db ? set.index.erase(it) : std::next(it);
  }
  for (AcApDocument* doc : documentList()) {
    dropFrom(docState(doc).pickfirst);
    dropFrom(docState(doc).previous);
  }
}

bool isDisplayed(const AcDbEntity* ent) {
  if (ent->isErased() || ent->visibility() == AcDb::kInvisible) return false;
  AcDbLayerTableRecord* layer = layerOf(ent);
  return !layer || (!layer->isOff() && !layer->isFrozen());
}

namespace {
AcDbEntityList* modelSpace(AcDbDatabase* db) { return blockEntities(db->impl()->modelSpace); }
}  // namespace

namespace {

// Is pt farther than tol from the box (or the box empty)?
bool beyond(const AcDbExtents& e, const AcGePoint3d& pt, double tol) {
  return !e.isValid() || pt.x < e.minPoint.x - tol || pt.x > e.maxPoint.x + tol ||
         pt.y < e.minPoint.y - tol || pt.y > e.maxPoint.y + tol;
}

AcDbExtents transformExtents(const AcDbExtents& e, const AcGeMatrix3d& m) {
  AcDbExtents out;
  if (!e.isValid()) return out;
  const double xs[2] = {e.minPoint.x, e.maxPoint.x}, ys[2] = {e.minPoint.y, e.maxPoint.y};
  for (double x : xs)
    for (double y : ys) out.addPoint(m.apply({x, y, e.minPoint.z}));
  return out;
}

// References expanding to more entities than this get their extents from
// their block's box instead of from every entity drawn.
constexpr double kExactExpansionLimit = 100000;

const AcDbDatabase::Impl::BlockSummary& blockSummary(const AcDbStub* block, int depth);

// Extents of an entity in the space of the block that holds it.
AcDbExtents entityExtents(const AcDbEntity* ent, int depth, std::vector<Prim>& scratch) {
  AcDbExtents ext;
  if (auto* line = AcDbLine::cast(ent)) {
    ext.addPoint(line->startPoint());
    ext.addPoint(line->endPoint());
    return ext;
  }
  auto* ref = AcDbBlockReference::cast(ent);
  if (ref && depth < 16) {
    const auto& summary = blockSummary(ref->blockTableRecord().stub(), depth + 1);
    if (summary.expanded > kExactExpansionLimit) {
      ext = transformExtents(summary.extents, ref->blockTransform());
      for (AcDbStub* a : ref->attributes_)
        if (!a->object->isErased())
          ext.addExt(entityExtents(static_cast<AcDbEntity*>(a->object), depth + 1, scratch));
      return ext;
    }
  }
  scratch.clear();
  collectPrims(ent, AcGeMatrix3d(), scratch, depth);
  primExtents(scratch, ext);
  return ext;
}

const AcDbDatabase::Impl::BlockSummary& blockSummary(const AcDbStub* block, int depth) {
  static const AcDbDatabase::Impl::BlockSummary kEmpty;
  if (!block || !block->database) return kEmpty;
  AcDbDatabase::Impl* impl = block->database->impl();
  if (impl->summariesStamp != impl->geometryChanges) {
    impl->blockSummaries.clear();
    impl->summariesStamp = impl->geometryChanges;
  }
  auto found = impl->blockSummaries.find(block);
  if (found != impl->blockSummaries.end()) return found->second;
  // An entry made before the work: a block met again while it is being
  // summed (one that inserts itself) counts as empty.
  impl->blockSummaries[block] = {};
  AcDbDatabase::Impl::BlockSummary summary;
  std::vector<Prim> scratch;
  if (AcDbEntityList* list = blockEntities(const_cast<AcDbStub*>(block)))
    for (AcDbStub* s : list->entities) {
      auto* child = static_cast<AcDbEntity*>(s->object);
      if (child->isErased() || AcDbAttributeDefinition::cast(child)) continue;
      if (auto* ref = AcDbBlockReference::cast(child)) {
        const auto& inner = depth < 16 ? blockSummary(ref->blockTableRecord().stub(), depth + 1)
                                       : kEmpty;
        summary.expanded += 1 + inner.expanded;
        summary.extents.addExt(transformExtents(inner.extents, ref->blockTransform()));
        for (AcDbStub* a : ref->attributes_)
          if (!a->object->isErased())
            summary.extents.addExt(
                entityExtents(static_cast<AcDbEntity*>(a->object), depth + 1, scratch));
      } else {
        summary.expanded += 1;
        summary.extents.addExt(entityExtents(child, depth + 1, scratch));
      }
    }
  return impl->blockSummaries[block] = summary;
}

}  // namespace

const std::vector<AcDbExtents>& modelSpaceExtents(AcDbDatabase* db) {
  AcDbDatabase::Impl* impl = db->impl();
  const auto& entities = modelSpace(db)->entities;
  if (impl->extentsStamp == impl->geometryChanges && impl->modelExtents.size() == entities.size())
    return impl->modelExtents;
  impl->modelExtents.assign(entities.size(), AcDbExtents());
  std::vector<Prim> prims;
  for (size_t i = 0; i < entities.size(); ++i)
    impl->modelExtents[i] = entityExtents(static_cast<AcDbEntity*>(entities[i]->object), 0, prims);
  impl->extentsStamp = impl->geometryChanges;
  return impl->modelExtents;
}

namespace {

// Entities a single pick may look at: picks on pathological nesting end
// with the best found so far instead of running on.
constexpr long kPickBudget = 500000;
long gPickBudget = kPickBudget;

// Distance from pt to the entity (under m), and the path down to the
// nearest innermost entity when descending into block references.
double pickDistance(AcDbStub* stub, const AcGeMatrix3d& m, const AcGePoint3d& pt, double tol,
                    bool descend, std::vector<AcDbStub*>& path, AcGeMatrix3d& innerXform,
                    int depth, std::vector<Prim>& scratch) {
  if (--gPickBudget < 0) return 1e300;
  auto* ent = static_cast<AcDbEntity*>(stub->object);
  auto* ref = AcDbBlockReference::cast(ent);
  if (!ref || depth > 16) {
    scratch.clear();
    collectPrims(ent, m, scratch, depth);
    double best = 1e300;
    for (const Prim& p : scratch) best = std::min(best, primDistance(p, pt));
    path.assign(1, stub);
    innerXform = m;
    return best;
  }
  double best = 1e300;
  std::vector<AcDbStub*> childPath;
  AcGeMatrix3d childXform;
  AcGeMatrix3d inner = m * ref->blockTransform();
  auto consider = [&](AcDbStub* child, const AcGeMatrix3d& xf) {
    auto* e = static_cast<AcDbEntity*>(child->object);
    if (!isDisplayed(e) || AcDbAttributeDefinition::cast(e)) return;
    // Children whose box lies beyond the pick box are not looked into.
    if (beyond(transformExtents(entityExtents(e, depth + 1, scratch), xf), pt, tol)) return;
    double d = pickDistance(child, xf, pt, tol, descend, childPath, childXform, depth + 1, scratch);
    if (d < best) {
      best = d;
      path.assign(1, stub);
      if (descend) path.insert(path.end(), childPath.begin(), childPath.end());
      innerXform = descend ? childXform : m;
    }
  };
  if (AcDbEntityList* list = blockEntities(ref->blockTableRecord().stub()))
    for (AcDbStub* child : list->entities) consider(child, inner);
  for (AcDbStub* att : ref->attributes_)
    if (!static_cast<AcDbAttribute*>(att->object)->isInvisible()) consider(att, m);
  return best;
}

// Visits the displayed model-space entities whose cached extents come within
// tol of pt, with a fresh pick budget for the whole look-up.
template <typename Visit>
void forEachDisplayedNear(AcDbDatabase* db, const AcGePoint3d& pt, double tol, Visit visit) {
  const auto& entities = modelSpace(db)->entities;
  const auto& extents = modelSpaceExtents(db);
  gPickBudget = kPickBudget;
  for (size_t i = 0; i < entities.size(); ++i) {
    AcDbStub* s = entities[i];
    if (beyond(extents[i], pt, tol) || !isDisplayed(static_cast<AcDbEntity*>(s->object)))
      continue;
    visit(s);
  }
}

}  // namespace

bool pickAt(AcDbDatabase* db, const AcGePoint3d& pt, double tol, bool descend,
            std::vector<AcDbStub*>& path, AcGeMatrix3d* innerXform) {
  if (!db) return false;
  double best = tol;
  bool found = false;
  std::vector<AcDbStub*> candidate;
  AcGeMatrix3d xf;
  std::vector<Prim> scratch;
  forEachDisplayedNear(db, pt, tol, [&](AcDbStub* s) {
    double d = pickDistance(s, AcGeMatrix3d(), pt, tol, descend, candidate, xf, 0, scratch);
    if (d <= best && (!found || d < best)) {
      best = d;
      found = true;
      path = candidate;
      if (innerXform) *innerXform = xf;
    }
  });
  return found;
}

void entitiesUnder(AcDbDatabase* db, const AcGePoint3d& pt, double tol,
                   std::vector<std::vector<AcDbStub*>>& paths) {
  paths.clear();
  if (!db) return;
  std::vector<std::pair<double, std::vector<AcDbStub*>>> hits;
  std::vector<AcDbStub*> path;
  AcGeMatrix3d xf;
  std::vector<Prim> scratch;
  forEachDisplayedNear(db, pt, tol, [&](AcDbStub* s) {
    double d = pickDistance(s, AcGeMatrix3d(), pt, tol, true, path, xf, 0, scratch);
    if (d <= tol) hits.push_back({d, path});
  });
  std::stable_sort(hits.begin(), hits.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& h : hits) paths.push_back(std::move(h.second));
}

void selectBox(AcDbDatabase* db, const AcGePoint3d& p1, const AcGePoint3d& p2, BoxMode mode,
               std::vector<AcDbStub*>& out) {
  out.clear();
  if (!db) return;
  double x0 = std::min(p1.x, p2.x), x1 = std::max(p1.x, p2.x);
  double y0 = std::min(p1.y, p2.y), y1 = std::max(p1.y, p2.y);
  if (!(x0 <= x1 && y0 <= y1)) return;  // NaN corners select nothing
  std::vector<Prim> prims;
  const auto& entities = modelSpace(db)->entities;
  const auto& extents = modelSpaceExtents(db);
  for (size_t i = 0; i < entities.size(); ++i) {
    AcDbStub* s = entities[i];
    const AcDbExtents& ext = extents[i];
    if (!ext.isValid() || ext.minPoint.x > x1 || ext.maxPoint.x < x0 || ext.minPoint.y > y1 ||
        ext.maxPoint.y < y0)
      continue;
    auto* ent = static_cast<AcDbEntity*>(s->object);
    if (!isDisplayed(ent)) continue;
    bool inside = ext.minPoint.x >= x0 && ext.maxPoint.x <= x1 && ext.minPoint.y >= y0 &&
                  ext.maxPoint.y <= y1;
    if (mode == BoxMode::kWindow) {
      if (inside) out.push_back(s);
      continue;
    }
    bool hit = inside;
    if (!hit) {
      prims.clear();
      collectPrims(ent, AcGeMatrix3d(), prims);
    }
    for (size_t k = 0; !hit && k < prims.size(); ++k)
      hit = primCrossesRect(prims[k], x0, y0, x1, y1);
    if (hit) out.push_back(s);
  }
}

void selectFence(AcDbDatabase* db, const std::vector<AcGePoint3d>& fence,
                 std::vector<AcDbStub*>& out) {
  out.clear();
  if (!db || fence.size() < 2) return;
  AcDbExtents fenceExt;
  for (const auto& p : fence) fenceExt.addPoint(p);
  AcRxClass* lineClass = AcDbLine::desc();
  std::vector<Prim> prims;
  const auto& entities = modelSpace(db)->entities;
  const auto& extents = modelSpaceExtents(db);
  for (size_t i = 0; i < entities.size(); ++i) {
    AcDbStub* s = entities[i];
    const AcDbExtents& ext = extents[i];
    if (!ext.isValid() || ext.minPoint.x > fenceExt.maxPoint.x ||
        ext.maxPoint.x < fenceExt.minPoint.x || ext.minPoint.y > fenceExt.maxPoint.y ||
        ext.maxPoint.y < fenceExt.minPoint.y)
      continue;
    auto* ent = static_cast<AcDbEntity*>(s->object);
    if (!isDisplayed(ent)) continue;
    prims.clear();
    if (ent->isA() == lineClass) {
      auto* line = static_cast<AcDbLine*>(ent);
      prims.push_back({Prim::kSegment, line->startPoint(), line->endPoint(), {}, 0, 0, 0, {}});
    } else {
      collectPrims(ent, AcGeMatrix3d(), prims);
    }
    bool hit = false;
    for (size_t k = 0; !hit && k + 1 < fence.size(); ++k)
      for (size_t i = 0; !hit && i < prims.size(); ++i)
        hit = primCrossesSegment(prims[i], fence[k], fence[k + 1]);
    if (hit) out.push_back(s);
  }
}

void selectAll(AcDbDatabase* db, std::vector<AcDbStub*>& out) {
  out.clear();
  if (!db) return;
  for (AcDbStub* s : modelSpace(db)->entities) {
    auto* ent = static_cast<AcDbEntity*>(s->object);
    if (ent->isErased()) continue;
    AcDbLayerTableRecord* layer = layerOf(ent);
    if (layer && layer->isFrozen()) continue;
    out.push_back(s);
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
  if (!set || !stub || !set->index.erase(stub)) return AcEd::kError;
  set->members.erase(std::find(set->members.begin(), set->members.end(), stub));
  return AcEd::kNormal;
}

int acedSSFree(const AcEdName ss) {
  if (!ss || ss[1] != hostimpl::kSetMarker) return AcEd::kError;
  return hostimpl::sets().erase(ss[0]) ? AcEd::kNormal : AcEd::kError;
}

int acedSSLength(const AcEdName ss, std::int32_t* length) {
  hostimpl::SelectionSet* set = findSet(ss);
  if (!set || !length) return AcEd::kError;
  *length = static_cast<std::int32_t>(set->members.size());
  return AcEd::kNormal;
}

int acedSSName(const AcEdName ss, std::int32_t index, AcEdName entity) {
  hostimpl::SelectionSet* set = findSet(ss);
  if (!set || !entity || index < 0 || static_cast<size_t>(index) >= set->members.size())
    return AcEd::kError;
  hostimpl::nameFromStub(set->members[index], entity);
  return AcEd::kNormal;
}
