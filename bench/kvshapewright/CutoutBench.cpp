// KVBeamLinesCutout on a strip of beam meetings: the two lines of a main
// beam run along the window, and pairs of cross beams meet it inside the
// window, every other one crossing it, the others stopping short of it (T
// meetings). Every beam line crosses the window's outline, so all of them
// are selected; each run trims, splits, cuts out and re-selects them all.
// The rest of the 100,000 entities (walls, axes, texts on other layers) lie
// around and across the strip, as in a floor plan.
//
// Each iteration gets a fresh drawing, built outside the timing, on which one
// selection has been made, as on a drawing the user works in: the host's
// spatial index exists when the command starts. The peer
// is the same command asking the host about every pair of lines
// (KVSHAPEWRIGHT_ASK_EVERY_PAIR), which is quadratic in host calls and so is
// run only up to 1,000 lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"

namespace {

constexpr int kDrawingEntities = 100000;
constexpr double kSpacing = 6;

void addLayer(AcDbDatabase* db, const char* name) {
  AcDbLayerTable* table = nullptr;
  db->getSymbolTable(table, AcDb::kForWrite);
  auto* record = new AcDbLayerTableRecord;
  record->setName(name);
  AcDbObjectId id;
  if (table->add(id, record) == AcDb::kOk) record->close(); else delete record;
  table->close();
}

struct Space {
  AcDbBlockTableRecord* record = nullptr;
  AcDbObjectId layers[4];
  explicit Space(AcDbDatabase* db) {
    for (const char* name : {"BEAM_1", "WALL", "AXIS", "TEXT"}) addLayer(db, name);
    acdbOpenObject(record, db->modelSpaceId(), AcDb::kForWrite);
  }
  ~Space() { record->close(); }
  void add(AcDbEntity* entity, const char* layer) {
    entity->setLayer(layer);
    if (record->appendAcDbEntity(entity) == AcDb::kOk) entity->close(); else delete entity;
  }
  void line(double x0, double y0, double x1, double y1, const char* layer) {
    add(new AcDbLine({x0, y0, 0}, {x1, y1, 0}), layer);
  }
};

// The window's far x for a framing of `lines` beam lines.
double stripLength(int lines) { return kSpacing * ((lines - 2) / 2) + 1; }

void buildDrawing(int lines) {
  AcDbDatabase* db = drawhost::database(drawhost::newDocument());
  Space space(db);
  const double length = stripLength(lines);
  space.line(-10, 0, length + 10, 0, "BEAM_1");
  space.line(-10, 3, length + 10, 3, "BEAM_1");
  const int crossBeams = (lines - 2) / 2;
  for (int k = 0; k < crossBeams; ++k) {
    const double x = kSpacing * k + 2, top = k % 2 == 0 ? 20 : 1;
    space.line(x, -20, x, top, "BEAM_1");
    space.line(x + 0.3, -20, x + 0.3, top, "BEAM_1");
  }
  // The rest: walls and axes on a grid over a square around the strip, and
  // a text in every tenth place.
  const int rest = kDrawingEntities - 2 - 2 * crossBeams;
  const double side = std::max(length, 300.0);
  const int perRow = 300;
  for (int i = 0; i < rest; ++i) {
    const double x = (i % perRow) * side / perRow - 5, y = (i / perRow) * side / perRow - side / 2;
    if (i % 10 == 0)
      space.add(new AcDbText({x, y, 0}, "KL1", AcDbObjectId(), 0.5), "TEXT");
    else
      space.line(x, y, x + 2, y + (i % 3), i % 2 ? "WALL" : "AXIS");
  }
}

void selectSomething() {
  const AcEdPoint a = {-100, -100, 0}, b = {-99, -99, 0};
  AcEdName ss;
  if (acedSSGet("W", a, b, nullptr, ss) == AcEd::kNormal) acedSSFree(ss);
}

void cutout(benchmark::State& state, bool everyPair, bool emptyWindow = false) {
  const int lines = static_cast<int>(state.range(0));
  drawhost::reset();
  drawhost::setTranscriptSink([](std::string_view) {});
  if (!drawhost::loadPlugin(KVSHAPEWRIGHT_PLUGIN).ok) {
    state.SkipWithError("the plug-in does not load");
    return;
  }
  if (everyPair)
    setenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR", "1", 1);
  else
    unsetenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR");
  char script[128];
  std::snprintf(script, sizeof script, "KVBeamLinesCutout\n-1,-1\n%g,4\n", stripLength(lines));
  if (emptyWindow) std::snprintf(script, sizeof script, "KVBeamLinesCutout\n-900,-900\n-800,-800\n");
  for (auto _ : state) {
    state.PauseTiming();
    for (AcApDocument* doc : drawhost::documents()) drawhost::closeDocument(doc);
    buildDrawing(lines);
    selectSomething();
    state.ResumeTiming();
    benchmark::DoNotOptimize(drawhost::runScriptText(script).ok);
  }
  unsetenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR");
  state.counters["beam_lines"] = lines;
  drawhost::reset();
}

void BM_Cutout(benchmark::State& state) { cutout(state, false); }
void BM_CutoutAskingEveryPair(benchmark::State& state) { cutout(state, true); }
// The part of a run that does not depend on the framing: the two prompts and
// a fence selection that finds nothing.
void BM_CutoutOfAnEmptyWindow(benchmark::State& state) { cutout(state, false, true); }

// KVRegion on an n x n grid of crossing lines in an empty drawing: every
// line is cut at its n crossings, and the (n - 1)^2 cells become regions.
void BM_RegionsOfAGrid(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  drawhost::reset();
  drawhost::setTranscriptSink([](std::string_view) {});
  if (!drawhost::loadPlugin(KVSHAPEWRIGHT_PLUGIN).ok) {
    state.SkipWithError("the plug-in does not load");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    for (AcApDocument* doc : drawhost::documents()) drawhost::closeDocument(doc);
    AcDbDatabase* db = drawhost::database(drawhost::newDocument());
    {
      Space space(db);
      for (int i = 0; i < n; ++i) {
        space.line(-1, i, n, i, "BEAM_1");
        space.line(i, -1, i, n, "BEAM_1");
      }
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(drawhost::runScriptText("KVRegion\nall\nenter\n").ok);
  }
  state.counters["curves"] = 2 * n;
  state.counters["regions"] = static_cast<double>(n - 1) * (n - 1);
  drawhost::reset();
}

BENCHMARK(BM_RegionsOfAGrid)->Arg(10)->Arg(50)->Arg(100)->Arg(250)->Arg(500)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_Cutout)->Arg(100)->Arg(1000)->Arg(3000)->Arg(10000)
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CutoutAskingEveryPair)->Arg(100)->Arg(1000)
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CutoutOfAnEmptyWindow)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
