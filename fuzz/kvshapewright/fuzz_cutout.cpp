// Random beam framings through KVBeamLinesCutout, in a fresh drawing each
// time. The bytes give the window, a limit on appends (so that refused
// pieces and joins are exercised) and up to 48 entities on a small grid,
// where crossings, shared ends, overlaps and lines of no length are common.
//
// Beyond no crash and no hang, after every run:
//  - every object the command opened is closed again;
//  - nothing off the beam layers changed;
//  - a beam line with no end in the window is never moved, only split,
//    cut out inside the window and joined, so every point of it outside the
//    window still lies on some line: a line erased without its pieces in the
//    drawing would lose such a point;
//  - asking the host about every pair (KVSHAPEWRIGHT_ASK_EVERY_PAIR) gives
//    the same transcript and the same lines, in the same order.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"
#include "model_space.h"

namespace {

const char* const kLayers[] = {"BEAM_1", "BEAM_2", "beam_x", "WALL"};

struct Bytes {
  const std::uint8_t* data;
  std::size_t size, at = 0;
  int next() { return at < size ? data[at++] : 0; }
  bool done() const { return at >= size; }
};

// A grid coordinate in -8..8, now and then off the grid by a quarter.
double coordinate(Bytes& in) {
  int b = in.next();
  return (b % 17) - 8 + ((b & 0x80) ? 0.25 : 0);
}

struct Drawn {
  AcGePoint3d start, end;
  int layer;
  bool line;
};

void addLayers(AcDbDatabase* db) {
  AcDbLayerTable* table = nullptr;
  db->getSymbolTable(table, AcDb::kForWrite);
  for (const char* name : kLayers) {
    auto* record = new AcDbLayerTableRecord;
    record->setName(name);
    AcDbObjectId id;
    if (table->add(id, record) == AcDb::kOk) record->close(); else delete record;
  }
  table->close();
}

void append(AcDbDatabase* db, AcDbEntity* entity, const char* layer) {
  entity->setLayer(layer);
  AcDbBlockTableRecord* space = nullptr;
  acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite);
  if (space->appendAcDbEntity(entity) == AcDb::kOk) entity->close(); else delete entity;
  space->close();
}

std::vector<Drawn> build(AcDbDatabase* db, Bytes& in) {
  addLayers(db);
  std::vector<Drawn> drawn;
  while (!in.done() && drawn.size() < 48) {
    const int kind = in.next();
    Drawn d;
    d.layer = kind % 4;
    d.start = {coordinate(in), coordinate(in), 0};
    d.end = {coordinate(in), coordinate(in), 0};
    d.line = (kind & 0x30) != 0x30;
    if (d.line)
      append(db, new AcDbLine(d.start, d.end), kLayers[d.layer]);
    else if (kind & 0x40)
      append(db, new AcDbText(d.start, "t", AcDbObjectId(), 0.5), kLayers[d.layer]);
    else
      append(db, new AcDbCircle(d.start, 0.5 + (kind & 7)), kLayers[d.layer]);
    drawn.push_back(d);
  }
  return drawn;
}

std::vector<Drawn> contents(AcDbDatabase* db, int& walls) {
  std::vector<Drawn> out;
  walls = 0;
  testfiles::forEachInModelSpace(db, [&](AcDbEntity* e) {
    if (std::string(e->layer()) == "WALL") ++walls;
    if (auto* l = AcDbLine::cast(e)) out.push_back({l->startPoint(), l->endPoint(), 0, true});
    return false;
  });
  return out;
}

bool inWindow(const AcGePoint3d& p, const AcGePoint3d& a, const AcGePoint3d& b, double grow) {
  return std::min(a.x, b.x) - grow <= p.x && p.x <= std::max(a.x, b.x) + grow &&
         std::min(a.y, b.y) - grow <= p.y && p.y <= std::max(a.y, b.y) + grow;
}

bool onSegment(const AcGePoint3d& p, const Drawn& s) {
  const AcGeVector3d d = s.end - s.start;
  const double length2 = d.dotProduct(d);
  double t = length2 > 0 ? (p - s.start).dotProduct(d) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return p.distanceTo(s.start + d * t) < 1e-5;
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_cutout: %s\n", what);
  std::abort();
}


std::string transcript;

struct Run {
  std::vector<Drawn> before, after;
  int wallsAfter = 0;
  std::string printed;
};

// One run of the command on the drawing the bytes describe.
Run runCutout(const std::uint8_t* data, std::size_t size, bool everyPair, AcGePoint3d& c1,
              AcGePoint3d& c2) {
  Bytes in{data, size};
  c1 = {coordinate(in), coordinate(in), 0};
  c2 = {coordinate(in), coordinate(in), 0};
  const int limit = in.next();
  AcApDocument* doc = drawhost::newDocument();
  AcDbDatabase* db = drawhost::database(doc);
  Run run;
  run.before = build(db, in);
  char script[128];
  std::snprintf(script, sizeof script, "KVBeamLinesCutout\n%g,%g\n%g,%g\n", c1.x, c1.y, c2.x, c2.y);
  if (everyPair) setenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR", "1", 1);
  transcript.clear();
  drawhost::setAppendLimit(limit < 200 ? -1 : limit - 200);
  drawhost::runScriptText(script, "fuzz.scr");
  drawhost::setAppendLimit(-1);
  unsetenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR");
  run.printed = transcript;
  if (drawhost::openObjectCount(db) != 0) fail("an object was left open");
  run.after = contents(db, run.wallsAfter);
  drawhost::closeDocument(doc);
  return run;
}

bool same(const std::vector<Drawn>& a, const std::vector<Drawn>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].start.x != b[i].start.x || a[i].start.y != b[i].start.y || a[i].end.x != b[i].end.x ||
        a[i].end.y != b[i].end.y)
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = [] {
    drawhost::setTranscriptSink([](std::string_view text) { transcript += text; });
    return drawhost::loadPlugin(KVSHAPEWRIGHT_PLUGIN).ok;
  }();
  if (!ready) fail("the plug-in does not load");
  AcGePoint3d c1, c2;
  const Run run = runCutout(data, size, false, c1, c2);
  const Run plain = runCutout(data, size, true, c1, c2);
  if (run.printed != plain.printed) fail("asking every pair printed something else");
  if (!same(run.after, plain.after)) fail("asking every pair left other lines");
  const std::vector<Drawn>& before = run.before;
  const std::vector<Drawn>& after = run.after;
  int wallsBefore = 0, wallsAfter = run.wallsAfter;
  for (const Drawn& d : before) wallsBefore += d.layer == 3;
  if (wallsAfter != wallsBefore) fail("an entity off the beam layers changed");
  for (const Drawn& d : before) {
    if (!d.line || d.layer == 3 || inWindow(d.start, c1, c2, 0) || inWindow(d.end, c1, c2, 0))
      continue;
    for (int k = 0; k <= 16; ++k) {
      const AcGePoint3d p = d.start + (d.end - d.start) * (k / 16.0);
      if (inWindow(p, c1, c2, 1e-4)) continue;
      bool covered = false;
      for (const Drawn& line : after) covered = covered || onSegment(p, line);
      if (!covered) fail("a stretch of a beam line outside the window was lost");
    }
  }
  return 0;
}
