// Layer commands on a large drawing: 1,000 layers and 100,000 lines, line i
// on layer i mod 1,000, laid out on a grid. Peers in the same run: the
// host's own "select all" (what every whole-drawing command starts from)
// and a bare loop that opens every entity once for read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "drawhost/host.h"
#include "drawing_builder.h"
#include "hostapi/hostapi.h"

namespace {

constexpr int kLayers = 1000;
constexpr int kEntities = 100000;
constexpr int kColumns = 400;

std::string layerName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "L%04d", i);
  return name;
}

// Grid position of entity i; each line is 1 long, 2 apart.
double gridX(int i) { return 2.0 * (i % kColumns); }
double gridY(int i) { return 2.0 * (i / kColumns); }

void buildLargeDrawing() {
  static bool built = false;
  if (built) return;
  built = true;
  drawhost::reset();
  drawhost::newDocument("large.dwg");
  const drawhost::Result loaded = drawhost::loadPlugin(PLUGIN_PATH);
  if (!loaded.ok) std::fprintf(stderr, "%s\n", loaded.error.c_str());
  layertool_test::DrawingBuilder drawing(acdbHostApplicationServices()->workingDatabase());
  for (int i = 0; i < kLayers; ++i) drawing.addLayer(layerName(i));
  for (int i = 0; i < kEntities; ++i)
    drawing.addLine(layerName(i % kLayers), gridX(i), gridY(i), gridX(i) + 1, gridY(i));
  drawhost::setTranscriptSink([](std::string_view) {});
}

void runScript(benchmark::State& state, const std::string& script) {
  const drawhost::Result result = drawhost::runScriptText(script, "bench.scr");
  if (!result.ok) state.SkipWithError(result.error.c_str());
}

// Time per entity of the drawing, in nanoseconds.
void perEntity(benchmark::State& state) {
  state.counters["ns_per_entity"] = benchmark::Counter(
      static_cast<double>(kEntities) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_PeerSelectAll(benchmark::State& state) {
  buildLargeDrawing();
  for (auto _ : state) runScript(state, "select all\nesc\n");
  perEntity(state);
}
BENCHMARK(BM_PeerSelectAll)->Unit(benchmark::kMillisecond);

// A command that touches only the 1,000 layer records: the cost of running
// a command from a script on this drawing.
void BM_PeerDispLayerAll(benchmark::State& state) {
  buildLargeDrawing();
  for (auto _ : state) runScript(state, "DISP_LAYER_ALL\n");
  perEntity(state);
}
BENCHMARK(BM_PeerDispLayerAll)->Unit(benchmark::kMillisecond);

// The host's "A" selection called directly, without and with a layer test.
void BM_PeerSsgetAll(benchmark::State& state) {
  buildLargeDrawing();
  AcEdResBuf* filter = state.range(0) ? acutBuildList(8, "L0500", 0) : nullptr;
  for (auto _ : state) {
    AcEdName selection = {0, 0};
    if (acedSSGet("A", nullptr, nullptr, filter, selection) == AcEd::kNormal)
      acedSSFree(selection);
  }
  acutRelRb(filter);
  perEntity(state);
}
BENCHMARK(BM_PeerSsgetAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PeerOpenEveryEntity(benchmark::State& state) {
  buildLargeDrawing();
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  for (auto _ : state) {
    AcDbBlockTableRecord* space = nullptr;
    acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead);
    AcDbBlockTableRecordIterator* iterator = nullptr;
    space->newIterator(iterator);
    int layers = 0;
    for (iterator->start(); !iterator->done(); iterator->step()) {
      AcDbEntity* entity = nullptr;
      if (iterator->getEntity(entity, AcDb::kForRead) != AcDb::kOk) continue;
      layers += entity->layer()[0];
      entity->close();
    }
    delete iterator;
    space->close();
    benchmark::DoNotOptimize(layers);
  }
  perEntity(state);
}
BENCHMARK(BM_PeerOpenEveryEntity)->Unit(benchmark::kMillisecond);

// Hides every entity and shows them again: two commands that each change all 100,000. With the
// argument 0 they are not kept as undo steps, so the pair of runs says what keeping them costs.
void BM_HideAndShowAll(benchmark::State& state) {
  buildLargeDrawing();
  drawhost::keepUndoSteps(state.range(0) != 0);
  for (auto _ : state) runScript(state, "DISP_LAYER\nall\nenter\nDISP_LAYER_ALL\n");
  drawhost::keepUndoSteps(true);
  perEntity(state);
}
BENCHMARK(BM_HideAndShowAll)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_DispLayer(benchmark::State& state) {
  buildLargeDrawing();
  for (auto _ : state) runScript(state, "DISP_LAYER\nall\nenter\n");
  runScript(state, "DISP_LAYER_ALL\n");
  perEntity(state);
}
BENCHMARK(BM_DispLayer)->Unit(benchmark::kMillisecond);

// Taking back and doing again a command that changed every entity.
void BM_UndoRedoOfEveryEntity(benchmark::State& state) {
  buildLargeDrawing();
  runScript(state, "DISP_LAYER\nall\nenter\n");
  for (auto _ : state) runScript(state, "U\nREDO\n");
  runScript(state, "U\n");
  perEntity(state);
}
BENCHMARK(BM_UndoRedoOfEveryEntity)->Unit(benchmark::kMillisecond);

void BM_MultiLayerEdit(benchmark::State& state) {
  buildLargeDrawing();
  for (auto _ : state) runScript(state, "MULTI_LAYER_EDIT\nall\nenter\n");
  runScript(state, "UNLOCK_LAYER_ALL\n");
  perEntity(state);
}
BENCHMARK(BM_MultiLayerEdit)->Unit(benchmark::kMillisecond);

// Each pass clears another layer: 100 entities erased, the drawing searched
// for what is left on it.
void BM_LayerClear(benchmark::State& state) {
  buildLargeDrawing();
  static int next = 0;
  for (auto _ : state) {
    if (next >= kLayers) {
      state.SkipWithError("out of layers to clear");
      break;
    }
    char pick[64];
    std::snprintf(pick, sizeof pick, "LAYER_CLEAR\npick %g,%g\n", gridX(next) + 0.5, gridY(next));
    ++next;
    runScript(state, pick);
  }
  perEntity(state);
}
BENCHMARK(BM_LayerClear)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
