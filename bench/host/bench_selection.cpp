// Selection on a generated drawing of 100,000 lines and 10,000 texts on 50
// layers: "A", "W", "C" and "F" with a layer filter, against a plain scan of
// a vector of line structs doing the same window test (the floor any
// selection can reach). Also reports the host's memory per entity.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <random>
#include <vector>

#include "BenchLayers.h"
#include "drawhost/host.h"
#include "hostapi/hostapi.h"
#include "editor/editor.h"

namespace {

constexpr int kLines = 100000;
constexpr int kTexts = 10000;
constexpr int kLayers = 50;
constexpr double kSize = 100000;  // drawing extent in both directions

struct PlainLine {
  double x0, y0, x1, y1;
  int layer;
};

struct Drawing {
  std::vector<PlainLine> plain;
  double bytesPerEntity = 0;
};

const Drawing& drawing() {
  static Drawing d = [] {
    Drawing out;
    drawhost::setTranscriptSink([](std::string_view) {});
    drawhost::newDocument("bench.dwg");
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    std::size_t before = mallinfo2().uordblks;
    std::vector<AcDbObjectId> layerIds = addNumberedLayers(db, kLayers);
    AcDbBlockTable* blocks = nullptr;
    db->getSymbolTable(blocks, AcDb::kForRead);
    AcDbBlockTableRecord* space = nullptr;
    blocks->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
    blocks->close();
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> pos(0, kSize), len(-200, 200);
    for (int i = 0; i < kLines; ++i) {
      double x = pos(rng), y = pos(rng), dx = len(rng), dy = len(rng);
      auto* line = new AcDbLine({x, y, 0}, {x + dx, y + dy, 0});
      line->setLayer(layerIds[i % kLayers]);
      space->appendAcDbEntity(line);
      line->close();
      out.plain.push_back({x, y, x + dx, y + dy, i % kLayers});
    }
    for (int i = 0; i < kTexts; ++i) {
      auto* text = new AcDbText({pos(rng), pos(rng), 0}, "4%%13225", AcDbObjectId(), 250);
      text->setLayer(layerIds[i % kLayers]);
      space->appendAcDbEntity(text);
      text->close();
    }
    space->close();
    out.bytesPerEntity =
        static_cast<double>(mallinfo2().uordblks - before) / (kLines + kTexts);
    return out;
  }();
  return d;
}

void report(benchmark::State& state) {
  state.counters["ns_per_entity"] = benchmark::Counter(
      kLines + kTexts, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

int selectCount(const char* mode, const void* p1, const void* p2, const char* layerPattern) {
  AcEdResBuf* filter = acutBuildList(8, layerPattern, 0);
  AcEdName ss;
  int n = 0;
  if (acedSSGet(mode, p1, p2, filter, ss) == AcEd::kNormal) {
    std::int32_t len = 0;
    acedSSLength(ss, &len);
    n = len;
    acedSSFree(ss);
  }
  acutRelRb(filter);
  return n;
}

void BM_SelectAll_LayerFilter(benchmark::State& state) {
  drawing();
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = selectCount("A", nullptr, nullptr, "L0*"));
  state.counters["selected"] = n;
  report(state);
}

const double kCorner1[3] = {20000, 20000, 0};
const double kCorner2[3] = {60000, 60000, 0};

void BM_Window_LayerFilter(benchmark::State& state) {
  drawing();
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = selectCount("W", kCorner1, kCorner2, "L0*"));
  state.counters["selected"] = n;
  report(state);
}

void BM_Crossing_LayerFilter(benchmark::State& state) {
  drawing();
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = selectCount("C", kCorner1, kCorner2, "L0*"));
  state.counters["selected"] = n;
  report(state);
}

void BM_Fence_LayerFilter(benchmark::State& state) {
  drawing();
  const double pts[5][3] = {{0, 0, 0}, {100000, 50000, 0}, {0, 100000, 0}, {50000, 0, 0},
                            {100000, 100000, 0}};
  AcEdResBuf* fence = acutBuildList(AcEd::kRtPoint3d, pts[0], AcEd::kRtPoint3d, pts[1],
                                    AcEd::kRtPoint3d, pts[2], AcEd::kRtPoint3d, pts[3],
                                    AcEd::kRtPoint3d, pts[4], 0);
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = selectCount("F", fence, nullptr, "L0*"));
  acutRelRb(fence);
  state.counters["selected"] = n;
  report(state);
}

// The peer: the same window and layer test over a flat vector of structs.
void BM_PlainVectorWindow(benchmark::State& state) {
  const auto& plain = drawing().plain;
  int n = 0;
  for (auto _ : state) {
    std::vector<const PlainLine*> hits;
    for (const PlainLine& l : plain) {
      if (l.layer >= 10) continue;  // "L0*": layers L00..L09
      if (std::min(l.x0, l.x1) >= kCorner1[0] && std::max(l.x0, l.x1) <= kCorner2[0] &&
          std::min(l.y0, l.y1) >= kCorner1[1] && std::max(l.y0, l.y1) <= kCorner2[1])
        hits.push_back(&l);
    }
    benchmark::DoNotOptimize(n = static_cast<int>(hits.size()));
  }
  state.counters["selected"] = n;
  report(state);
}

// What one cursor move costs the host before any monitor runs: the
// entities under the aperture, with their nested paths.
void BM_HoverAperture(benchmark::State& state) {
  drawing();
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  std::vector<std::vector<AcDbStub*>> paths;
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> pos(0, kSize);
  hostimpl::entitiesUnder(db, {1, 1, 0}, 1.0, paths);  // makes the spatial index
  for (auto _ : state) {
    hostimpl::entitiesUnder(db, {pos(rng), pos(rng), 0}, 1.0, paths);
    benchmark::DoNotOptimize(paths.data());
  }
  report(state);
}

void BM_MemoryPerEntity(benchmark::State& state) {
  double bytes = drawing().bytesPerEntity;
  for (auto _ : state) benchmark::DoNotOptimize(bytes);
  state.counters["bytes_per_entity"] = bytes;
}

BENCHMARK(BM_SelectAll_LayerFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Window_LayerFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crossing_LayerFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fence_LayerFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainVectorWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverAperture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoryPerEntity)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
