// Picks, the aperture, windows, crossings and fences through the spatial
// index, against a reference that looks at what every entity draws, on a
// random drawing with block references, through random edits: moves,
// erasures and restores, appends, edits inside block definitions, a block's
// base point. A stale box anywhere shows up as a difference.
#include <algorithm>
#include <random>

#include "db/db.h"
#include "editor/editor.h"
#include "fixture.h"

namespace hosttest {
namespace {

using namespace hostimpl;
using hostimpl::geometry::Box;
using hostimpl::geometry::Prim;

constexpr double kTol = 1.0;

std::vector<Prim> drawn(AcDbStub* s) {
  std::vector<Prim> prims;
  collectPrims(static_cast<AcDbEntity*>(s->object), AcGeMatrix3d(), prims);
  return prims;
}

std::vector<AcDbStub*> modelSpaceStubs() {
  return blockEntities(db()->impl()->modelSpace)->entities;
}

bool shown(AcDbStub* s) { return isDisplayed(static_cast<AcDbEntity*>(s->object)); }

std::vector<AcDbStub*> referenceUnder(const AcGePoint3d& pt) {
  std::vector<std::pair<double, AcDbStub*>> hits;
  for (AcDbStub* s : modelSpaceStubs()) {
    if (!shown(s)) continue;
    double best = 1e300;
    for (const Prim& p : drawn(s)) best = std::min(best, geometry::primDistance(p, pt));
    if (best <= kTol) hits.push_back({best, s});
  }
  std::stable_sort(hits.begin(), hits.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<AcDbStub*> out;
  for (auto& h : hits) out.push_back(h.second);
  return out;
}

std::vector<AcDbStub*> referenceBox(const Box& w, bool crossing) {
  std::vector<AcDbStub*> out;
  for (AcDbStub* s : modelSpaceStubs()) {
    if (!shown(s)) continue;
    std::vector<Prim> prims = drawn(s);
    bool hit = geometry::extentsOf(prims).inside(w.grown(geometry::kTolerance));
    for (size_t i = 0; crossing && !hit && i < prims.size(); ++i)
      hit = geometry::primCrossesRect(prims[i], w.minX, w.minY, w.maxX, w.maxY);
    if (hit) out.push_back(s);
  }
  return out;
}

std::vector<AcDbStub*> referenceFence(const std::vector<AcGePoint3d>& fence) {
  std::vector<AcDbStub*> out;
  for (AcDbStub* s : modelSpaceStubs()) {
    if (!shown(s)) continue;
    bool hit = false;
    for (const Prim& p : drawn(s))
      for (size_t k = 0; !hit && k + 1 < fence.size(); ++k)
        hit = geometry::primCrossesSegment(p, fence[k], fence[k + 1]);
    if (hit) out.push_back(s);
  }
  return out;
}

class SpatialLookupTest : public HostTest {
 protected:
  std::mt19937 rng{5};
  double at(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  AcGePoint3d somewhere() { return {at(0, 200), at(0, 200), 0}; }

  AcDbEntity* randomEntity() {
    AcGePoint3d p = somewhere();
    switch (pick(5)) {
      case 0:
        return new AcDbText(p, "4%%13225", AcDbObjectId(), at(1, 4), at(0, 3));
      case 1:
        return new AcDbCircle(p, at(0.5, 8));
      case 2:
        return new AcDbArc(p, at(1, 8), at(0, 6), at(0, 6));
      case 3: {
        auto* pl = new AcDbPolyline;
        for (unsigned i = 0; i < 3; ++i) pl->addVertexAt(i, {p.x + at(-9, 9), p.y + at(-9, 9)}, at(-1, 1));
        return pl;
      }
      default:
        return new AcDbLine(p, {p.x + at(-20, 20), p.y + at(-20, 20), 0});
    }
  }

  void build() {
    addLayer("HIDDEN");
    inner_ = addBlock("INNER");
    for (int i = 0; i < 4; ++i) appendTo("INNER", new AcDbLine({0, 0, 0}, {at(1, 6), at(1, 6), 0}));
    outer_ = addBlock("OUTER");
    appendTo("OUTER", new AcDbCircle({0, 0, 0}, 3));
    appendTo("OUTER", new AcDbBlockReference({4, 0, 0}, inner_));
    for (int i = 0; i < 250; ++i) ids_.push_back(appendTo(ACDB_MODEL_SPACE, randomEntity(), i % 9 == 0 ? "HIDDEN" : nullptr));
    for (int i = 0; i < 30; ++i) {
      auto* ref = new AcDbBlockReference(somewhere(), i % 2 ? inner_ : outer_);
      ref->setRotation(at(0, 6));
      ref->setScaleFactors({at(0.5, 2), at(0.5, 2), 1});
      ids_.push_back(appendTo(ACDB_MODEL_SPACE, ref));
    }
  }

  void edit() {
    AcDbObjectId id = ids_[pick(static_cast<int>(ids_.size()))];
    switch (pick(7)) {
      case 0: {  // erase or restore
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForWrite, true) != AcDb::kOk) return;
        e->erase(!e->isErased());
        e->close();
        return;
      }
      case 1:
        ids_.push_back(appendTo(ACDB_MODEL_SPACE, randomEntity()));
        return;
      case 2: {  // inside a block definition: every reference to it moves
        AcDbBlockTableRecord* block = nullptr;
        acdbOpenObject(block, pick(2) ? inner_ : outer_, AcDb::kForWrite);
        AcDbBlockTableRecordIterator* it = nullptr;
        block->newIterator(it);
        AcDbEntity* child = nullptr;
        if (it->getEntity(child, AcDb::kForWrite) == AcDb::kOk) {
          child->transformBy(AcGeMatrix3d::translation({at(-3, 3), at(-3, 3), 0}));
          child->close();
        }
        delete it;
        block->close();
        return;
      }
      case 3: {
        AcDbBlockTableRecord* block = nullptr;
        acdbOpenObject(block, inner_, AcDb::kForWrite);
        block->setOrigin({at(-2, 2), at(-2, 2), 0});
        block->close();
        return;
      }
      case 4: {  // a layer turned off or on hides or shows without moving anything
        AcDbLayerTable* table = nullptr;
        db()->getSymbolTable(table, AcDb::kForRead);
        AcDbLayerTableRecord* layer = nullptr;
        table->getAt("HIDDEN", layer, AcDb::kForWrite);
        table->close();
        layer->setIsOff(!layer->isOff());
        layer->close();
        return;
      }
      default: {
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForWrite) != AcDb::kOk) return;
        e->transformBy(AcGeMatrix3d::translation({at(-15, 15), at(-15, 15), 0}));
        e->close();
      }
    }
  }

  std::vector<AcDbObjectId> ids_;
  AcDbObjectId inner_, outer_;
};

std::vector<AcDbStub*> firsts(const std::vector<std::vector<AcDbStub*>>& paths) {
  std::vector<AcDbStub*> out;
  for (const auto& p : paths) out.push_back(p.front());
  return out;
}

TEST_F(SpatialLookupTest, IndexAnswersWhatEveryEntityDraws) {
  build();
  for (int round = 0; round < 150; ++round) {
    edit();
    for (bool index : {true, false}) {
      setSpatialIndexUse(index);
      SCOPED_TRACE(testing::Message() << "round " << round << (index ? " index" : " scan"));
      AcGePoint3d p = somewhere();
      std::vector<std::vector<AcDbStub*>> paths;
      entitiesUnder(db(), p, kTol, paths);
      EXPECT_EQ(firsts(paths), referenceUnder(p));
      std::vector<AcDbStub*> path;
      bool found = pickAt(db(), p, kTol, true, path, nullptr);
      std::vector<AcDbStub*> under = referenceUnder(p);
      EXPECT_EQ(found, !under.empty());
      if (found && !under.empty()) {
        EXPECT_EQ(path.front(), under.front());
      }
      AcGePoint3d a = somewhere(), b = {a.x + at(5, 60), a.y + at(5, 60), 0};
      Box w{a.x, a.y, b.x, b.y};
      std::vector<AcDbStub*> got;
      selectBox(db(), a, b, BoxMode::kWindow, got);
      EXPECT_EQ(got, referenceBox(w, false));
      selectBox(db(), b, a, BoxMode::kCrossing, got);
      EXPECT_EQ(got, referenceBox(w, true));
      std::vector<AcGePoint3d> fence = {somewhere(), somewhere(), somewhere()};
      selectFence(db(), fence, got);
      EXPECT_EQ(got, referenceFence(fence));
    }
  }
  setSpatialIndexUse(true);
}

TEST_F(SpatialLookupTest, ANestedPickFindsAChildMovedInItsBlock) {
  AcDbObjectId block = addBlock("B");
  AcDbObjectId child = appendTo("B", new AcDbLine({0, 0, 0}, {10, 0, 0}));
  addInsert(block, 100, 100);
  std::vector<AcDbStub*> path;
  ASSERT_TRUE(pickAt(db(), {105, 100, 0}, 0.5, true, path, nullptr));
  {
    Opened<AcDbLine> line(child, AcDb::kForWrite);
    line->setStartPoint({0, 50, 0});
    line->setEndPoint({10, 50, 0});
  }
  EXPECT_FALSE(pickAt(db(), {105, 100, 0}, 0.5, true, path, nullptr));
  ASSERT_TRUE(pickAt(db(), {105, 150, 0}, 0.5, true, path, nullptr));
  ASSERT_EQ(path.size(), 2u);
  EXPECT_EQ(path[1], child.stub());
}

}  // namespace
}  // namespace hosttest
