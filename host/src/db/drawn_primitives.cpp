// What each entity draws, as the primitives of the geometry layer, in world
// space (or the space of the block that holds it).
//
// Block references are expanded through their transformation (arcs keep a
// uniform scale: the square root of the XY determinant) with their
// attributes, which are already in the reference's space; attribute
// definitions inside blocks are not drawn. Nesting goes as deep as the stack
// allows (stackHasRoom); a block met again inside itself is not expanded.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "db/db.h"
#include "rx/rx.h"

namespace hostimpl {

using namespace geometry;

namespace {

// An entity drawing more than this many primitives is cut off there, so a
// block nested many levels deep cannot make one call run for hours.
constexpr size_t kMaxPrims = 500000;

void polylinePrims(const AcDbPolyline* pl, const AcGeMatrix3d& m, std::vector<Prim>& out) {
  unsigned n = pl->numVerts();
  if (n == 1) {
    AcGePoint3d p;
    pl->getPointAt(0, p);
    out.push_back(pointPrim(m.apply(p)));
    return;
  }
  for (unsigned i = 0; i < pl->numSegments(); ++i) {
    AcGePoint2d a, b;
    double bulge;
    pl->getPointAt(i, a);
    pl->getPointAt((i + 1) % n, b);
    pl->getBulgeAt(i, bulge);
    out.push_back(bulgePrim(m, bulgeSegment(a, b, bulge, pl->elevation())));
  }
}

// Blocks being drawn on this thread: a block met again inside itself is a cycle and is not
// drawn again.
thread_local std::unordered_set<const AcDbStub*> gBlocksBeingDrawn;

void blockReferencePrims(const AcDbBlockReference* ref, const AcGeMatrix3d& m,
                         std::vector<Prim>& out, int depth) {
  AcGeMatrix3d inner = m * ref->blockTransform();
  const AcDbStub* block = ref->blockTableRecord().stub();
  const bool cycle = gBlocksBeingDrawn.count(block) > 0;
  if (AcDbEntityList* list = blockEntities(const_cast<AcDbStub*>(block)); list && !cycle) {
    gBlocksBeingDrawn.insert(block);
    for (AcDbStub* s : list->entities) {
      auto* child = static_cast<AcDbEntity*>(s->object);
      if (child->isErased() || AcDbAttributeDefinition::cast(child)) continue;
      collectPrims(child, inner, out, depth + 1);
    }
    gBlocksBeingDrawn.erase(block);
  }
  for (AcDbStub* s : ref->attributes_) {
    auto* att = static_cast<AcDbAttribute*>(s->object);
    if (!att->isErased() && !att->isInvisible()) collectPrims(att, m, out, depth + 1);
  }
}

}  // namespace

namespace {
// A kept entity is drawn as its outlines; one without any (a construction line) as its points.
void keptPrims(const AcDbKeptEntity* kept, const AcGeMatrix3d& m, std::vector<Prim>& out) {
  const std::vector<KeptOutline> outlines = keptOutlines(kept->dxfType(), kept->groups());
  if (outlines.empty()) {
    for (const AcGePoint3d& p : keptBoundingPoints(kept->dxfType(), kept->groups()))
      out.push_back(pointPrim(m.apply(p)));
    return;
  }
  for (const KeptOutline& outline : outlines) {
    const std::vector<AcGePoint3d>& p = outline.points;
    if (p.size() == 1) out.push_back(pointPrim(m.apply(p[0])));
    for (size_t i = 0; i + 1 < p.size() && out.size() < kMaxPrims; ++i)
      out.push_back(segmentPrim(m.apply(p[i]), m.apply(p[i + 1])));
    if (outline.closed && p.size() > 2) out.push_back(segmentPrim(m.apply(p.back()), m.apply(p.front())));
  }
}
}  // namespace

void collectPrims(const AcDbEntity* ent, const AcGeMatrix3d& m, std::vector<Prim>& out,
                  int depth) {
  if (!stackHasRoom() || out.size() >= kMaxPrims) return;
  AcRxClass* c = ent->isA();
  if (c == AcDbLine::desc()) {
    auto* l = static_cast<const AcDbLine*>(ent);
    out.push_back(segmentPrim(m.apply(l->startPoint()), m.apply(l->endPoint())));
  } else if (c == AcDbCircle::desc()) {
    auto* ci = static_cast<const AcDbCircle*>(ent);
    out.push_back(arcPrim(m, ci->center(), ci->radius(), 0, 2 * kPi));
  } else if (c == AcDbArc::desc()) {
    auto* a = static_cast<const AcDbArc*>(ent);
    double start = normAngle(a->startAngle()), end = normAngle(a->endAngle());
    if (end <= start) end += 2 * kPi;
    out.push_back(arcPrim(m, a->center(), a->radius(), start, end));
  } else if (c == AcDbPolyline::desc()) {
    polylinePrims(static_cast<const AcDbPolyline*>(ent), m, out);
  } else if (c == AcDbPoint::desc()) {
    out.push_back(pointPrim(m.apply(static_cast<const AcDbPoint*>(ent)->position())));
  } else if (auto* text = AcDbText::cast(ent)) {
    AcGePoint3d box[4];
    text->textBox(box);
    out.push_back(boxPrim(m, box));
  } else if (c == AcDbMText::desc()) {
    AcGePoint3d box[4];
    mtextBox(static_cast<const AcDbMText*>(ent), box);
    out.push_back(boxPrim(m, box));
  } else if (c == AcDbBlockReference::desc()) {
    blockReferencePrims(static_cast<const AcDbBlockReference*>(ent), m, out, depth);
  } else if (auto* kept = AcDbKeptEntity::cast(ent)) {
    keptPrims(kept, m, out);
  } else if (c == AcDbRegion::desc()) {
    auto* region = static_cast<const AcDbRegion*>(ent);
    for (const AcDbRegionLoop& loop : region->loops())
      for (size_t i = 0; i < loop.size(); ++i) {
        const AcDbRegionVertex& v = loop[i];
        const AcDbRegionVertex& w = loop[(i + 1) % loop.size()];
        out.push_back(bulgePrim(m, bulgeSegment({v.x, v.y}, {w.x, w.y}, v.bulge, region->elevation())));
      }
  }
}

AcDbExtents primExtents(const std::vector<Prim>& prims) {
  AcDbExtents ext;
  forEachBoundingPoint(prims, [&](const AcGePoint3d& p) { ext.addPoint(p); });
  return ext;
}

}  // namespace hostimpl
