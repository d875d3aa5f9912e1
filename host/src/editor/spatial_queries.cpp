// The geometric look-ups behind picks, the cursor's aperture, windows,
// crossings, fences and "all".
//
// Candidates come from the spatial index of model space (db/extents.cpp):
// the entities whose boxes meet the pick box, the window or a fence
// segment's box, in drawing order. Each candidate is then tested exactly on
// its primitives: a window needs the whole extents inside, a crossing any
// primitive meeting the rectangle, a pick the nearest primitive within the
// pick box. A nested pick looks into a block reference through the index of
// its block, with the pick box taken into block space.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "db/db.h"
#include "editor/editor.h"
#include "rx/rx.h"

namespace hostimpl {

using namespace geometry;

namespace {

AcDbStub* modelSpaceOf(AcDbDatabase* db) { return db->impl()->modelSpace; }

// Entities a single pick may look at: picks on pathological nesting end
// with the best found so far instead of running on.
constexpr long kPickBudget = 500000;
long gPickBudget = kPickBudget;

Box pickBox(const AcGePoint3d& pt, double tol) { return Box{pt.x, pt.y, pt.x, pt.y}.grown(tol); }

// Distance from pt to the entity (under m), and the path down to the
// nearest innermost entity when descending into block references.
double pickDistance(AcDbStub* stub, const AcGeMatrix3d& m, const AcGePoint3d& pt, double tol,
                    bool descend, std::vector<AcDbStub*>& path, AcGeMatrix3d& innerXform,
                    int depth, std::vector<Prim>& scratch) {
  if (--gPickBudget < 0) return 1e300;
  auto* ent = static_cast<AcDbEntity*>(stub->object);
  auto* ref = AcDbBlockReference::cast(ent);
  // Blocks being looked into: one met again inside itself is a cycle.
  thread_local std::unordered_set<const AcDbStub*> blocksOpen;
  const AcDbStub* block = ref ? ref->blockTableRecord().stub() : nullptr;
  if (!ref || !stackHasRoom() || blocksOpen.count(block)) {
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
    double d = pickDistance(child, xf, pt, tol, descend, childPath, childXform, depth + 1, scratch);
    if (d < best) {
      best = d;
      path.assign(1, stub);
      if (descend) path.insert(path.end(), childPath.begin(), childPath.end());
      innerXform = descend ? childXform : m;
    }
  };
  // Only children whose box meets the pick box, taken into block space, are looked into.
  std::vector<AcDbStub*> children;
  entitiesMeeting(ref->blockTableRecord().stub(), transformedBox(pickBox(pt, tol), inner.inverse()),
                  children);
  blocksOpen.insert(block);
  for (AcDbStub* child : children) consider(child, inner);
  blocksOpen.erase(block);
  for (AcDbStub* att : ref->attributes_)
    if (!static_cast<AcDbAttribute*>(att->object)->isInvisible()) consider(att, m);
  return best;
}

// Visits the displayed model-space entities whose extents come within tol
// of pt, in drawing order, with a fresh pick budget for the whole look-up.
template <typename Visit>
void forEachDisplayedNear(AcDbDatabase* db, const AcGePoint3d& pt, double tol, Visit visit) {
  std::vector<AcDbStub*> near;
  entitiesMeeting(modelSpaceOf(db), pickBox(pt, tol), near);
  gPickBudget = kPickBudget;
  for (AcDbStub* s : near)
    if (isDisplayed(static_cast<AcDbEntity*>(s->object))) visit(s);
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
  const Box window{x0, y0, x1, y1};
  const Box tolerant = window.grown(kTolerance);
  std::vector<AcDbStub*> candidates;
  entitiesMeeting(modelSpaceOf(db), tolerant, candidates);
  std::vector<Prim> prims;
  for (AcDbStub* s : candidates) {
    auto* ent = static_cast<AcDbEntity*>(s->object);
    if (!isDisplayed(ent)) continue;
    bool inside = indexedExtents(s).inside(tolerant);
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
  Box reach;
  for (const AcGePoint3d& p : fence) reach.add(p);
  std::vector<AcDbStub*> candidates;
  entitiesMeeting(modelSpaceOf(db), reach.grown(kTolerance), candidates);
  std::vector<Prim> prims;
  for (AcDbStub* s : candidates) {
    auto* ent = static_cast<AcDbEntity*>(s->object);
    if (!isDisplayed(ent)) continue;
    prims.clear();
    if (ent->isA() == AcDbLine::desc()) {  // most of a drawing: no need to ask what it draws
      auto* line = static_cast<AcDbLine*>(ent);
      prims.push_back(segmentPrim(line->startPoint(), line->endPoint()));
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

void selectAll(AcDbDatabase* db, std::vector<AcDbStub*>& out, const Filter* filter) {
  out.clear();
  if (!db) return;
  const auto& entities = blockEntities(modelSpaceOf(db))->entities;
  out.reserve(entities.size());
  for (AcDbStub* s : entities) {
    auto* ent = static_cast<AcDbEntity*>(s->object);
    if (ent->isErased()) continue;
    AcDbLayerTableRecord* layer = layerOf(ent);
    if (layer && layer->isFrozen()) continue;
    if (filter && !filter->matches(ent)) continue;
    out.push_back(s);
  }
}

}  // namespace hostimpl
