// Random lines, arcs and lightweight polylines (open and closed, with
// bulges) on a small grid through KVRegion, in a fresh drawing each time,
// with a limit on appends now and then.
//
// Beyond no crash and no hang, after every run:
//  - every object the command opened is closed again, and the selected
//    curves are as they were;
//  - every region has a positive area and finite corners;
//  - regions are faces: two regions that share a corner (one connected
//    figure) never overlap, and two that overlap are nested (a face inside
//    another, from a figure of its own). Overlap is judged on sample points
//    kept well away from every boundary.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"
#include "model_space.h"

namespace {

struct Bytes {
  const std::uint8_t* data;
  std::size_t size, at = 0;
  int next() { return at < size ? data[at++] : 0; }
  bool done() const { return at >= size; }
};

double coordinate(Bytes& in) { return (in.next() % 13) - 6 + ((in.next() & 1) ? 0.5 : 0); }

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_region: %s\n", what);
  std::abort();
}

void append(AcDbDatabase* db, AcDbEntity* entity) {
  AcDbBlockTableRecord* space = nullptr;
  acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite);
  if (space->appendAcDbEntity(entity) == AcDb::kOk) entity->close(); else delete entity;
  space->close();
}

void build(AcDbDatabase* db, Bytes& in) {
  for (int count = 0; !in.done() && count < 24; ++count) {
    const int kind = in.next() % 4;
    const AcGePoint3d p(coordinate(in), coordinate(in), 0);
    if (kind == 0) {
      append(db, new AcDbLine(p, {coordinate(in), coordinate(in), 0}));
    } else if (kind == 1) {
      const double radius = 0.5 + in.next() % 6, from = (in.next() % 8) * 0.785398163397448,
                   to = (in.next() % 8) * 0.785398163397448;
      append(db, new AcDbArc(p, radius, from, to));
    } else {
      auto* pl = new AcDbPolyline;
      const int corners = 2 + in.next() % 5;
      pl->addVertexAt(0, {p.x, p.y}, 0);
      for (int i = 1; i < corners; ++i) {
        const int b = in.next();
        pl->addVertexAt(i, {coordinate(in), coordinate(in)}, b % 4 == 0 ? (b / 4 % 5 - 2) * 0.5 : 0);
      }
      pl->setClosed(kind == 3);
      append(db, pl);
    }
  }
}

struct Drawn {
  std::vector<std::string> curves;  // the selected kinds, described exactly
  std::vector<const AcDbRegion*> regions;
  std::vector<AcDbObjectId> regionIds;
};

std::string describe(const AcDbEntity* e) {
  char text[160];
  if (auto* l = AcDbLine::cast(e)) {
    std::snprintf(text, sizeof text, "L %a %a %a %a", l->startPoint().x, l->startPoint().y,
                  l->endPoint().x, l->endPoint().y);
  } else if (auto* a = AcDbArc::cast(e)) {
    std::snprintf(text, sizeof text, "A %a %a %a %a %a", a->center().x, a->center().y, a->radius(),
                  a->startAngle(), a->endAngle());
  } else if (auto* pl = AcDbPolyline::cast(e)) {
    std::string out = pl->isClosed() ? "PC" : "PO";
    for (unsigned i = 0; i < pl->numVerts(); ++i) {
      AcGePoint2d q;
      double b = 0;
      pl->getPointAt(i, q);
      pl->getBulgeAt(i, b);
      std::snprintf(text, sizeof text, " %a %a %a", q.x, q.y, b);
      out += text;
    }
    return out;
  } else {
    return "?";
  }
  return text;
}

std::vector<std::string> curvesOf(AcDbDatabase* db) {
  std::vector<std::string> out;
  testfiles::forEachInModelSpace(db, [&](AcDbEntity* e) {
    if (!AcDbRegion::cast(e)) out.push_back(describe(e));
    return false;
  });
  return out;
}

// A region's boundary as short segments (arcs in steps of at most 1/64 of a turn). Arcs here
// have radii below 20, so a chord stays within 20 (1 - cos(pi / 64)) < 0.025 of its arc.
constexpr double kSamplingError = 0.025;
using Outline = std::vector<std::pair<AcGePoint3d, AcGePoint3d>>;

Outline outlineOf(const AcDbRegion* r) {
  Outline out;
  for (const AcDbRegionLoop& loop : r->loops())
    for (size_t i = 0; i < loop.size(); ++i) {
      const AcDbRegionVertex& v = loop[i];
      const AcDbRegionVertex& w = loop[(i + 1) % loop.size()];
      const AcGePoint3d a(v.x, v.y, 0), b(w.x, w.y, 0);
      const double sweep = 4 * std::atan(v.bulge);
      const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (6.2831853 / 64))));
      if (steps == 1 || a.distanceTo(b) == 0) {
        out.push_back({a, b});
        continue;
      }
      const double chord = a.distanceTo(b), radius = chord / (2 * std::sin(std::fabs(sweep) / 2));
      const double h = radius * std::cos(sweep / 2) * (v.bulge > 0 ? 1 : -1);
      const double ux = (b.x - a.x) / chord, uy = (b.y - a.y) / chord;
      const AcGePoint3d c((a.x + b.x) / 2 - uy * h, (a.y + b.y) / 2 + ux * h, 0);
      const double start = std::atan2(a.y - c.y, a.x - c.x);
      AcGePoint3d prev = a;
      for (int k = 1; k <= steps; ++k) {
        const double t = start + sweep * k / steps;
        const AcGePoint3d q = k == steps ? b : AcGePoint3d(c.x + radius * std::cos(t), c.y + radius * std::sin(t), 0);
        out.push_back({prev, q});
        prev = q;
      }
    }
  return out;
}

double distanceToOutline(const AcGePoint3d& p, const Outline& outline) {
  double best = 1e300;
  for (const auto& [a, b] : outline) {
    const AcGeVector3d d = b - a;
    const double len2 = d.dotProduct(d);
    const double t = len2 > 0 ? std::clamp((p - a).dotProduct(d) / len2, 0.0, 1.0) : 0;
    best = std::min(best, p.distanceTo(a + d * t));
  }
  return best;
}

bool inside(const AcGePoint3d& p, const Outline& outline) {
  bool in = false;
  for (const auto& [a, b] : outline)
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) in = !in;
  return in;
}

bool shareACorner(const AcDbRegion* a, const AcDbRegion* b) {
  for (const AcDbRegionLoop& la : a->loops())
    for (const AcDbRegionVertex& v : la)
      for (const AcDbRegionLoop& lb : b->loops())
        for (const AcDbRegionVertex& w : lb)
          if (std::hypot(v.x - w.x, v.y - w.y) <= 1e-6) return true;
  return false;
}

void checkRegions(const std::vector<const AcDbRegion*>& regions) {
  std::vector<Outline> outlines;
  std::vector<double> areas;
  std::vector<AcDbExtents> boxes;
  for (const AcDbRegion* r : regions) {
    double area = 0;
    r->getArea(area);
    if (!(area > 0) || !std::isfinite(area)) fail("a region without a positive area");
    for (const AcDbRegionLoop& loop : r->loops())
      for (const AcDbRegionVertex& v : loop)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.bulge)) fail("a corner is not finite");
    outlines.push_back(outlineOf(r));
    areas.push_back(area);
    AcDbExtents box;
    for (const auto& [a, b] : outlines.back()) box.addPoint(a);
    boxes.push_back(box);
  }
  // Which regions hold each sample point (away from every boundary).
  std::vector<std::vector<int>> holders;
  for (double x = -12.02; x < 12; x += 0.31)
    for (double y = -12.03; y < 12; y += 0.31) {
      const AcGePoint3d p(x, y, 0);
      std::vector<int> in;
      bool nearEdge = false;
      for (size_t i = 0; i < outlines.size() && !nearEdge; ++i) {
        const AcGePoint3d &lo = boxes[i].minPoint, &hi = boxes[i].maxPoint;
        if (p.x < lo.x - 0.05 || p.x > hi.x + 0.05 || p.y < lo.y - 0.05 || p.y > hi.y + 0.05) continue;
        if (distanceToOutline(p, outlines[i]) < 0.02) nearEdge = true;
        else if (inside(p, outlines[i])) in.push_back(static_cast<int>(i));
      }
      if (!nearEdge && in.size() > 1) holders.push_back(in);
    }
  for (const std::vector<int>& in : holders)
    for (size_t i = 0; i < in.size(); ++i)
      for (size_t j = i + 1; j < in.size(); ++j) {
        const AcDbRegion* a = regions[in[i]];
        const AcDbRegion* b = regions[in[j]];
        if (shareACorner(a, b)) fail("two regions of one figure overlap");
        // Overlapping regions of separate figures: the smaller lies wholly in the larger.
        const int small = areas[in[i]] < areas[in[j]] ? in[i] : in[j];
        const int large = small == in[i] ? in[j] : in[i];
        // The outlines are sampled: a corner of the inner one that touches the outer one's arc
        // from inside may lie up to the arc's sagitta outside its chords.
        for (const auto& [p, q] : outlines[small])
          if (!inside(p, outlines[large]) && distanceToOutline(p, outlines[large]) > kSamplingError)
            fail("two regions overlap without one holding the other");
      }
}

std::vector<const AcDbRegion*> openRegions(AcDbDatabase* db, std::vector<AcDbEntity*>& opened) {
  std::vector<const AcDbRegion*> out;
  testfiles::forEachInModelSpace(db, [&](AcDbEntity* e) {
    auto* r = AcDbRegion::cast(e);
    if (!r) return false;
    out.push_back(r);
    opened.push_back(e);
    return true;  // kept open for the checks
  });
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = [] {
    drawhost::setTranscriptSink([](std::string_view) {});
    return drawhost::loadPlugin(KVSHAPEWRIGHT_PLUGIN).ok;
  }();
  if (!ready) fail("the plug-in does not load");
  Bytes in{data, size};
  const int limit = in.next();
  AcApDocument* doc = drawhost::newDocument();
  AcDbDatabase* db = drawhost::database(doc);
  build(db, in);
  const std::vector<std::string> before = curvesOf(db);
  drawhost::setAppendLimit(limit < 220 ? -1 : limit - 220);
  drawhost::runScriptText("KVRegion\nall\nenter\n", "fuzz.scr");
  drawhost::setAppendLimit(-1);
  if (drawhost::openObjectCount(db) != 0) fail("an object was left open");
  if (curvesOf(db) != before) fail("a selected curve changed");
  std::vector<AcDbEntity*> opened;
  const std::vector<const AcDbRegion*> regions = openRegions(db, opened);
  checkRegions(regions);
  for (AcDbEntity* e : opened) e->close();
  drawhost::closeDocument(doc);
  return 0;
}
