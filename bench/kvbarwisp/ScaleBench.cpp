// How the look-ups near a point grow with the drawing: at 1,000, 10,000,
// 100,000 and 1,000,000 entities, through the spatial index and, as the peer
// in the same run, by scanning every entity (drawhost::setSpatialIndexUse).
//
//   Hover        a cursor move over an annotation with the tooltip on: the
//                aperture look-up, the monitor's open, analyse and close
//   EditPick     one line moved (write-close) and then a pick
//   SmallWindow  a "W" selection of a window holding a few entities
//   AllOnLayers  an "A" selection with a layer filter
//
// The drawings keep one density: lines and texts in cells of a square grid
// whose side grows with the count, so the aperture meets the same few
// entities whatever the size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchLayers.h"
#include "DrawingBuilder.h"
#include "drawhost/host.h"

namespace {

const std::string kAnnotation = "2%%13225+2%%13222;4%%13220";
constexpr int kLayers = 50;

struct Drawing {
  AcApDocument* doc = nullptr;
  AcDbObjectId movedLine;
};

// Nine lines and one text a cell of 10 x 10 units; every other text an annotation.
void build(int entities) {
  AcDbDatabase* db = kvbtest::workingDb();
  std::vector<AcDbObjectId> layers = addNumberedLayers(db, kLayers);
  AcDbBlockTableRecord* space = nullptr;
  acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite);
  int cells = entities / 10;
  int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(cells))));
  for (int c = 0; c < cells; ++c) {
    double x = (c % side) * 10.0, y = (c / side) * 10.0;
    for (int k = 0; k < 9; ++k) {
      auto* line = new AcDbLine({x, y + 1 + k, 0}, {x + 8, y + 1 + k, 0});
      line->setLayer(layers[(c + k) % kLayers]);
      space->appendAcDbEntity(line);
      line->close();
    }
    const char* text = c % 2 == 0 ? kAnnotation.c_str() : "ROOM";
    auto* t = new AcDbText({x + 0.5, y + 0.2, 0}, text, AcDbObjectId(), 0.6);
    t->setLayer(layers[c % kLayers]);
    space->appendAcDbEntity(t);
    t->close();
  }
  space->close();
}

// One drawing per size, built once, all open together; the plug-in is loaded once.
Drawing& drawing(int entities) {
  static std::map<int, Drawing> drawings;
  static bool loaded = [] {
    drawhost::reset();
    drawhost::setTranscriptSink([](std::string_view) {});
    return true;
  }();
  (void)loaded;
  auto found = drawings.find(entities);
  if (found == drawings.end()) {
    Drawing d;
    d.doc = drawhost::newDocument();
    build(entities);
    AcDbBlockTableRecord* space = nullptr;
    acdbOpenObject(space, kvbtest::workingDb()->modelSpaceId(), AcDb::kForRead);
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    it->getEntityId(d.movedLine);
    delete it;
    space->close();
    static bool plugin = [] {
      drawhost::Result r = drawhost::loadPlugin(KVBARWISP_PLUGIN_PATH);
      if (!r.ok) std::fprintf(stderr, "%s\n", r.error.c_str());
      return r.ok;
    }();
    (void)plugin;
    drawhost::runScriptText("KVRsbMTON\n");
    found = drawings.emplace(entities, d).first;
  }
  drawhost::setCurrentDocument(found->second.doc);
  return found->second;
}

// Arguments: entity count, 1 for the index or 0 for the scan.
void prepare(benchmark::State& state) {
  drawhost::setSpatialIndexUse(state.range(1) != 0);
  state.SetLabel(state.range(1) ? "index" : "scan");
}

void BM_Hover(benchmark::State& state) {
  drawing(static_cast<int>(state.range(0)));
  prepare(state);
  const std::string hover = "hover 1.5,0.5\n";  // the first annotation's box
  drawhost::runScriptText(hover);              // the index is made on the first look-up
  for (auto _ : state) benchmark::DoNotOptimize(drawhost::runScriptText(hover).ok);
}

void BM_EditPick(benchmark::State& state) {
  Drawing& d = drawing(static_cast<int>(state.range(0)));
  prepare(state);
  const std::string pick = "select pick 4,5\nesc\n";
  drawhost::runScriptText(pick);
  double shift = 0.5;
  for (auto _ : state) {
    AcDbLine* line = nullptr;
    acdbOpenObject(line, d.movedLine, AcDb::kForWrite);
    AcGePoint3d s = line->startPoint();
    line->setStartPoint({s.x + shift, s.y, s.z});
    line->close();
    shift = -shift;
    benchmark::DoNotOptimize(drawhost::runScriptText(pick).ok);
  }
}

int selectCount(const char* mode, const double* p1, const double* p2, const char* layers) {
  AcEdResBuf* filter = layers ? acutBuildList(8, layers, 0) : nullptr;
  AcEdName ss;
  std::int32_t n = 0;
  if (acedSSGet(mode, p1, p2, filter, ss) == AcEd::kNormal) {
    acedSSLength(ss, &n);
    acedSSFree(ss);
  }
  if (filter) acutRelRb(filter);
  return n;
}

void BM_SmallWindow(benchmark::State& state) {
  drawing(static_cast<int>(state.range(0)));
  prepare(state);
  const double a[3] = {-1, -1, 0}, b[3] = {19, 9.5, 0};  // two cells
  int n = selectCount("W", a, b, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(n = selectCount("W", a, b, nullptr));
  state.counters["selected"] = n;
}

void BM_AllOnLayers(benchmark::State& state) {
  drawing(static_cast<int>(state.range(0)));
  prepare(state);
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = selectCount("A", nullptr, nullptr, "L0*"));
  state.counters["selected"] = n;
}

void sizes(benchmark::internal::Benchmark* b) {
  for (int n : {1000, 10000, 100000, 1000000})
    for (int index : {1, 0}) b->Args({n, index});
}

BENCHMARK(BM_Hover)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditPick)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SmallWindow)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AllOnLayers)->Apply(sizes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
