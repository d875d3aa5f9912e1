// Load and save of a drawing of 100,000 lines and 10,000 texts on 20 layers.
//
// Parse: the file's bytes to entity records, ours against dxflib's reader (the peer, when
// installed) with sinks that only count. Load: into a fresh database through the host
// interface. Save: the database back to a file's bytes, and to a picture. Each reports
// nanoseconds per entity.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "drawhost/host.h"
#include "drawhost/io.h"
#include "io/dxf_reader.h"
#include "io/dxf_writer.h"
#include "hostapi/hostapi.h"

#ifdef HOSTIO_WITH_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

using namespace drawhost::dxf;

namespace {

constexpr int kLines = 100000;
constexpr int kTexts = 10000;
constexpr int kEntities = kLines + kTexts;

const std::string& drawingText() {
  static const std::string text = [] {
    DxfDrawing d;
    for (int i = 0; i < 20; ++i) {
      DxfLayer layer;
      layer.name = (i % 2 ? "BEAM_" : "WALL_") + std::to_string(i);
      layer.colour = 1 + i % 7;
      d.layers.push_back(layer);
    }
    unsigned seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) % 100000u; };
    for (int i = 0; i < kLines; ++i) {
      DxfEntity e;
      e.kind = EntityKind::Line;
      e.layer = d.layers[i % 20].name;
      e.p = {next() * 1.0, next() * 1.0, 0};
      e.q = {e.p.x + next() % 5000, e.p.y + next() % 5000, 0};
      d.entities.push_back(e);
    }
    for (int i = 0; i < kTexts; ++i) {
      DxfEntity e;
      e.kind = EntityKind::Text;
      e.layer = d.layers[i % 20].name;
      e.p = {next() * 1.0, next() * 1.0, 0};
      e.height = 250;
      e.text = i % 2 ? "4%%13225" : "\xBF\xCD\xCC\xFC";  // 客厅
      d.entities.push_back(e);
    }
    return writeDxf(d);
  }();
  return text;
}

class CountingSink : public DxfSink {
 public:
  bool header(const DxfHeader&) override { return true; }
  bool linetype(const DxfLinetype&) override { return true; }
  bool layer(const DxfLayer&) override { return true; }
  bool beginBlock(const DxfBlock&) override { return true; }
  bool endBlock() override { return true; }
  bool entity(const DxfEntity&) override {
    ++entities;
    return true;
  }
  long entities = 0;
};

void perEntity(benchmark::State& state) {
  state.counters["ns_per_entity"] = benchmark::Counter(
      static_cast<double>(kEntities) / 1e9, benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
  state.counters["MB_per_s"] = benchmark::Counter(
      static_cast<double>(drawingText().size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ParseOwn(benchmark::State& state) {
  const std::string& text = drawingText();
  for (auto _ : state) {
    CountingSink sink;
    DxfDiagnostics diagnostics;
    if (!readDxf(text, sink, diagnostics) || sink.entities != kEntities)
      state.SkipWithError("the reader failed");
    benchmark::DoNotOptimize(sink.entities);
  }
  perEntity(state);
}
BENCHMARK(BM_ParseOwn)->Unit(benchmark::kMillisecond);

#ifdef HOSTIO_WITH_DXFLIB
class DxflibCounter : public DL_CreationAdapter {
 public:
  void addLine(const DL_LineData&) override { ++entities; }
  void addText(const DL_TextData&) override { ++entities; }
  long entities = 0;
};

void BM_ParseDxflib(benchmark::State& state) {
  const std::string& text = drawingText();
  for (auto _ : state) {
    std::istringstream stream(text);
    DxflibCounter counter;
    DL_Dxf reader;
    if (!reader.in(stream, &counter) || counter.entities != kEntities)
      state.SkipWithError("dxflib failed");
    benchmark::DoNotOptimize(counter.entities);
  }
  perEntity(state);
}
BENCHMARK(BM_ParseDxflib)->Unit(benchmark::kMillisecond);
#endif

void BM_LoadIntoDatabase(benchmark::State& state) {
  const std::string& text = drawingText();
  drawhost::reset();
  for (auto _ : state) {
    state.PauseTiming();
    AcApDocument* document = drawhost::newDocument();
    state.ResumeTiming();
    const drawhost::Result read = drawhost::readDxfText(text, drawhost::database(document));
    if (!read) state.SkipWithError(read.error.c_str());
    state.PauseTiming();
    drawhost::closeDocument(document);
    state.ResumeTiming();
  }
  perEntity(state);
}
BENCHMARK(BM_LoadIntoDatabase)->Unit(benchmark::kMillisecond);

AcDbDatabase* loadedDatabase() {
  static AcDbDatabase* db = [] {
    drawhost::reset();
    AcApDocument* document = drawhost::newDocument();
    drawhost::readDxfText(drawingText(), drawhost::database(document));
    return drawhost::database(document);
  }();
  return db;
}

void BM_SaveDxf(benchmark::State& state) {
  AcDbDatabase* db = loadedDatabase();
  for (auto _ : state) benchmark::DoNotOptimize(drawhost::dxfText(db).size());
  perEntity(state);
}
BENCHMARK(BM_SaveDxf)->Unit(benchmark::kMillisecond);

void BM_SaveSvg(benchmark::State& state) {
  AcDbDatabase* db = loadedDatabase();
  for (auto _ : state) benchmark::DoNotOptimize(drawhost::svgText(db).size());
  perEntity(state);
}
BENCHMARK(BM_SaveSvg)->Unit(benchmark::kMillisecond);

void BM_WriteRecordsOnly(benchmark::State& state) {
  DxfDrawing drawing;
  DxfCollector collector(drawing);
  DxfDiagnostics diagnostics;
  readDxf(drawingText(), collector, diagnostics);
  for (auto _ : state) benchmark::DoNotOptimize(writeDxf(drawing).size());
  perEntity(state);
}
BENCHMARK(BM_WriteRecordsOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
