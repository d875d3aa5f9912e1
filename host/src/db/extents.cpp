// Extents of entities and the spatial index of each block.
//
// A block's boxes and index are made on the first look-up in it (a drawing
// that is only read and written never pays for them) and from then on kept
// current one entity at a time: an append, an erase or un-erase and every
// write-close recompute that entity's box and move its index entry only when
// the box changed. A change inside a block definition also changes what the
// references to that block cover, so it recomputes their boxes in turn (and
// so on up the nesting); nothing ever drops a whole index.
//
// The box of a block reference is that of everything it draws, unless it
// expands to more than kExactExpansionLimit entities: then it is its block's
// box transformed, so that one look-up can never walk a huge expansion.
// Invariants: see db.h. `summaryCurrent` is false whenever an entity of the
// block, or of a block it references, changed since the summary was taken.
#include <algorithm>
#include <unordered_set>

#include "db/db.h"
#include "rx/rx.h"

namespace hostimpl {

using namespace geometry;

namespace {

bool gUseIndex = true;
constexpr double kExactExpansionLimit = 100000;

// A block record's entity list, or null for any other stub.
AcDbEntityList* listOf(const AcDbStub* block) {
  return block ? blockEntities(const_cast<AcDbStub*>(block)) : nullptr;
}

struct Summary {
  const Box* extents;
  double expanded;
};
Summary summaryOf(AcDbStub* block, int depth);

Box boxOf(const AcDbEntity* ent, int depth, std::vector<Prim>& scratch) {
  Box box;
  if (auto* line = AcDbLine::cast(ent)) {
    box.add(line->startPoint());
    box.add(line->endPoint());
    return box;
  }
  auto* ref = AcDbBlockReference::cast(ent);
  if (ref && stackHasRoom()) {
    Summary summary = summaryOf(ref->blockTableRecord().stub(), depth + 1);
    // The block's box moved and scaled along the axes is the content's box exactly; turned, it
    // is only a bound, taken when the content is too large to look at.
    const AcGeMatrix3d m = ref->blockTransform();
    const bool alongAxes = m.entry[0][1] == 0 && m.entry[1][0] == 0;
    if (alongAxes || summary.expanded > kExactExpansionLimit) {
      box = transformedBox(*summary.extents, ref->blockTransform());
      for (AcDbStub* a : ref->attributes_)
        if (!a->object->isErased())
          box.add(boxOf(static_cast<AcDbEntity*>(a->object), depth + 1, scratch));
      return box;
    }
  }
  scratch.clear();
  collectPrims(ent, AcGeMatrix3d(), scratch, depth);
  return extentsOf(scratch);
}

Box currentBox(const AcDbEntity* ent, std::vector<Prim>& scratch) {
  return ent->isErased() ? Box() : boxOf(ent, 0, scratch);
}

void ensureIndexed(AcDbEntityList* list) {
  if (list->indexed) return;
  // Set first: a block that inserts itself finds its own boxes empty
  // instead of recursing.
  list->indexed = true;
  list->boxes.assign(list->entities.size(), Box());
  std::vector<Prim> scratch;
  std::vector<std::pair<Box, std::uint32_t>> entries;
  entries.reserve(list->entities.size());
  for (std::uint32_t i = 0; i < list->entities.size(); ++i) {
    Box box = currentBox(static_cast<AcDbEntity*>(list->entities[i]->object), scratch);
    list->boxes[i] = box;
    if (!box.isEmpty()) entries.emplace_back(box, i);
  }
  list->index.assign(entries);
}

Summary summaryOf(AcDbStub* block, int depth) {
  static const Box kNothing;
  AcDbEntityList* list = listOf(block);
  if (!list || !stackHasRoom()) return {&kNothing, 0};
  if (list->summaryCurrent) return {&list->extents, list->expanded};
  // Marked current before the work: a block met again while it is being
  // summed (one that inserts itself) counts as empty.
  list->summaryCurrent = true;
  list->extents = Box();
  list->expanded = 0;
  ensureIndexed(list);
  Box extents;
  double expanded = 0;
  for (std::uint32_t i = 0; i < list->entities.size(); ++i) {
    auto* child = static_cast<AcDbEntity*>(list->entities[i]->object);
    if (child->isErased() || AcDbAttributeDefinition::cast(child)) continue;
    extents.add(list->boxes[i]);
    expanded += 1;
    if (auto* ref = AcDbBlockReference::cast(child))
      expanded += summaryOf(ref->blockTableRecord().stub(), depth + 1).expanded;
  }
  list->extents = extents;
  list->expanded = expanded;
  return {&list->extents, list->expanded};
}

// Blocks already handled in one change, so that a change spreads to each
// block's references once.
using Visited = std::unordered_set<const AcDbStub*>;

void contentChanged(AcDbStub* block, Visited& visited, int depth);

void changed(AcDbStub* stub, Visited& visited, int depth) {
  if (!stub || !stub->object || !stub->owner || !stackHasRoom()) return;
  AcDbStub* owner = stub->owner;
  if (AcDbBlockReference::cast(owner->object)) {  // an attribute moves its reference's box
    changed(owner, visited, depth + 1);
    return;
  }
  AcDbEntityList* list = listOf(owner);
  if (!list) return;
  auto* ent = static_cast<AcDbEntity*>(stub->object);
  if (auto* ref = AcDbBlockReference::cast(ent))
    if (AcDbEntityList* target = listOf(ref->blockTableRecord().stub()))
      target->references.insert(stub);
  std::uint32_t pos = stub->position;
  if (list->indexed && pos < list->entities.size() && list->entities[pos] == stub) {
    std::vector<Prim> scratch;
    Box now = currentBox(ent, scratch);
    Box& was = list->boxes[pos];
    if (!(now == was)) {
      list->index.remove(was, pos);
      list->index.insert(now, pos);
      was = now;
    }
  }
  contentChanged(owner, visited, depth);
}

void contentChanged(AcDbStub* block, Visited& visited, int depth) {
  AcDbEntityList* list = listOf(block);
  if (!list) return;
  // A summary already out of date has had nothing computed from it since it went out of date
  // (computing a box of a reference brings it up to date): what depends on it knows already.
  // Without this, filling a chain of nested blocks from the inside out would go up the chain
  // at every entity.
  const bool wasCurrent = list->summaryCurrent;
  list->summaryCurrent = false;
  if (!wasCurrent || list->references.empty()) return;
  if (!visited.insert(block).second) return;
  std::vector<AcDbStub*> references(list->references.begin(), list->references.end());
  for (AcDbStub* r : references) {
    auto* ref = AcDbBlockReference::cast(r->object);
    if (!ref || ref->blockTableRecord().stub() != block) {
      list->references.erase(r);  // points elsewhere now
      continue;
    }
    if (!ref->isErased()) changed(r, visited, depth + 1);
  }
}

// A query over much of a block (a fence across the drawing) reads the boxes in order
// instead: the tree would visit most of its nodes and then sort a large part of the block.
bool coversMuchOf(const Box& query, const Box& bounds) {
  if (bounds.isEmpty()) return false;
  double width = std::min(query.maxX, bounds.maxX) - std::max(query.minX, bounds.minX);
  double height = std::min(query.maxY, bounds.maxY) - std::max(query.minY, bounds.minY);
  double area = (bounds.maxX - bounds.minX) * (bounds.maxY - bounds.minY);
  return width >= 0 && height >= 0 && width * height >= area / 4;
}

}  // namespace

void entityChanged(AcDbStub* stub) {
  // The usual case while a drawing is read: an entity of a block that nothing has looked
  // into yet and nothing references. Only its block's summary goes stale.
  AcDbObject* owner = stub && stub->owner ? stub->owner->object : nullptr;
  if (owner && owner->isA() == AcDbBlockTableRecord::desc() &&
      stub->object->isA() != AcDbBlockReference::desc()) {
    AcDbEntityList* list = blockEntities(stub->owner);
    if (!list->indexed && list->references.empty()) {
      list->summaryCurrent = false;
      return;
    }
  }
  Visited visited;
  changed(stub, visited, 0);
}

void entityAppended(AcDbStub* stub) {
  if (AcDbEntityList* list = listOf(stub->owner))
    if (list->indexed) list->boxes.emplace_back();
  entityChanged(stub);
}

void blockChanged(AcDbStub* block) {
  Visited visited;
  contentChanged(block, visited, 0);
}

Box entityExtents(const AcDbEntity* ent) {
  std::vector<Prim> scratch;
  return boxOf(ent, 0, scratch);
}

Box indexedExtents(AcDbStub* stub) {
  AcDbEntityList* list = stub ? listOf(stub->owner) : nullptr;
  if (!list || stub->position >= list->entities.size() || list->entities[stub->position] != stub) {
    std::vector<Prim> scratch;
    return stub ? currentBox(static_cast<AcDbEntity*>(stub->object), scratch) : Box();
  }
  ensureIndexed(list);
  return list->boxes[stub->position];
}

const Box& blockExtents(AcDbStub* block) { return *summaryOf(block, 0).extents; }

void entitiesMeeting(AcDbStub* block, const Box& query, std::vector<AcDbStub*>& out) {
  AcDbEntityList* list = listOf(block);
  if (!list || query.isEmpty()) return;
  ensureIndexed(list);
  if (gUseIndex && !coversMuchOf(query, list->index.bounds())) {
    std::vector<std::uint32_t> keys;
    list->index.query(query, keys);
    for (std::uint32_t k : keys) out.push_back(list->entities[k]);
    return;
  }
  for (std::uint32_t i = 0; i < list->entities.size(); ++i)
    if (list->boxes[i].meets(query)) out.push_back(list->entities[i]);
}

void setSpatialIndexUse(bool useIndex) { gUseIndex = useIndex; }
bool spatialIndexUse() { return gUseIndex; }

}  // namespace hostimpl
