// What one cursor move costs with the tooltip on, on a drawing of 100,000
// entities: a hover over an annotation (aperture look-up, open, analyse,
// close, tooltip printed) against its parts, a hover over empty space (the
// look-up and an idle callback), the same hover with the tooltip off, the
// same hovers on a drawing of two texts, and the calculator alone.
#include <benchmark/benchmark.h>

#include <string>

#include "DrawingBuilder.h"
#include "drawhost/host.h"
#include "rebar/RebarAreaCalculator.h"

namespace {

constexpr int kLines = 90000;
constexpr int kTexts = 10000;
const std::string kAnnotation = "2%%13225+2%%13222;4%%13220";
const std::string kRoom = "\xbb\xe1\xd2\xe9\xca\xd2";  // 会议室

// Lines in a 300 x 300 grid of cells, texts every tenth cell, half of them
// annotations. The annotation hovered at lies at (5, 1).
void buildDrawing() {
  AcDbBlockTableRecord* space = nullptr;
  AcDbDatabase* db = kvbtest::workingDb();
  acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite);
  for (int i = 0; i < kLines; ++i) {
    double x = (i % 300) * 10.0, y = (i / 300) * 10.0;
    auto* line = new AcDbLine(AcGePoint3d(x, y + 5, 0), AcGePoint3d(x + 8, y + 5, 0));
    if (space->appendAcDbEntity(line) == AcDb::kOk) line->close(); else delete line;
  }
  for (int i = 0; i < kTexts; ++i) {
    double x = (i % 100) * 30.0 + 5, y = (i / 100) * 30.0;
    const std::string& s = i % 2 == 0 ? kAnnotation : kRoom;
    auto* text = new AcDbText(AcGePoint3d(x, y, 0), s.c_str(), AcDbObjectId(), 2.5);
    if (space->appendAcDbEntity(text) == AcDb::kOk) text->close(); else delete text;
  }
  space->close();
}

// The same annotation alone in a drawing: what the hover costs apart from
// the aperture look-up over many entities.
void buildSmallDrawing() {
  kvbtest::addText(5, 0, kAnnotation);
  kvbtest::addText(35, 0, kRoom);
}

struct Host {
  Host() {
    drawhost::reset();
    drawhost::setTranscriptSink([](std::string_view) {});
    small = drawhost::newDocument();
    buildSmallDrawing();
    big = drawhost::newDocument();
    buildDrawing();
    drawhost::Result r = drawhost::loadPlugin(KVBARWISP_PLUGIN_PATH);
    if (!r.ok) fprintf(stderr, "%s\n", r.error.c_str());
  }
  ~Host() { drawhost::reset(); }
  AcApDocument* small = nullptr;
  AcApDocument* big = nullptr;
};

Host& host() {
  static Host h;
  return h;
}

void hoverLoop(benchmark::State& state, const char* tooltipCommand, const char* hover,
               bool bigDrawing = true) {
  drawhost::setCurrentDocument(bigDrawing ? host().big : host().small);
  drawhost::runScriptText(std::string(tooltipCommand) + "\n");
  const std::string script = std::string(hover) + "\n";
  for (auto _ : state) benchmark::DoNotOptimize(drawhost::runScriptText(script).ok);
}

void BM_HoverAnnotation(benchmark::State& state) {
  hoverLoop(state, "KVRsbMTON", "hover 6,1");
}
void BM_HoverRoomName(benchmark::State& state) {
  hoverLoop(state, "KVRsbMTON", "hover 36,1");
}
void BM_HoverEmptySpace(benchmark::State& state) {
  hoverLoop(state, "KVRsbMTON", "hover 5000,5000");
}
void BM_HoverTooltipOff(benchmark::State& state) {
  hoverLoop(state, "KVRsbMTOFF", "hover 6,1");
}
void BM_HoverAnnotationSmallDrawing(benchmark::State& state) {
  hoverLoop(state, "KVRsbMTON", "hover 6,1", false);
}
void BM_HoverEmptySpaceSmallDrawing(benchmark::State& state) {
  hoverLoop(state, "KVRsbMTON", "hover 5000,5000", false);
}
void BM_AnalyseAlone(benchmark::State& state) {
  RebarAreaCalculator calculator;
  std::string result;
  for (auto _ : state) benchmark::DoNotOptimize(calculator.analyse(kAnnotation, result));
}

BENCHMARK(BM_HoverAnnotation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverRoomName)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverEmptySpace)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverTooltipOff)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverAnnotationSmallDrawing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverEmptySpaceSmallDrawing)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyseAlone)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
