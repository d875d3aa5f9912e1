// Drawing primitives: every entity reduced to segments, arcs, points and
// text boxes in world space, so that picking, window, crossing and fence
// selection share one set of tests.
//
// Work is in the XY plane (drawings here are plans). Block references are
// expanded through their transformation (arcs keep a uniform scale: the
// square root of the XY determinant) with their attributes, which are
// already in the reference's space; attribute definitions inside blocks are
// not drawn. Nesting deeper than kMaxDepth is cut off, which also stops a
// block that inserts itself.
#include <algorithm>
#include <cmath>

#include "internal.h"

namespace hostimpl {
void mtextBox(const AcDbMText* m, AcGePoint3d corners[4]);
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxDepth = 16;
// An entity drawing more than this many primitives is cut off there, so a
// block nested many levels deep cannot make one call run for hours.
constexpr size_t kMaxPrims = 500000;

double normAngle(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

// Is angle a on the counter-clockwise arc from start to end?
bool angleOnArc(double a, double start, double end) {
  double sweep = end - start;
  if (sweep >= 2 * kPi - 1e-12) return true;
  double rel = normAngle(a - start), sw = normAngle(sweep);
  if (sw == 0) sw = 2 * kPi;
  return rel <= sw + 1e-12;
}

AcGePoint3d polar(const AcGePoint3d& c, double r, double a) {
  return {c.x + r * std::cos(a), c.y + r * std::sin(a), c.z};
}

hostimpl::Prim segmentPrim(const AcGePoint3d& a, const AcGePoint3d& b) {
  hostimpl::Prim p{hostimpl::Prim::kSegment, a, b, {}, 0, 0, 0, {}};
  return p;
}

// An arc (counter-clockwise start..end) under a transformation.
hostimpl::Prim arcPrim(const AcGeMatrix3d& m, const AcGePoint3d& center, double radius,
                       double start, double end) {
  hostimpl::Prim p{hostimpl::Prim::kArc, {}, {}, m.apply(center), radius, start, end, {}};
  double det = m.entry[0][0] * m.entry[1][1] - m.entry[0][1] * m.entry[1][0];
  p.radius = radius * std::sqrt(std::fabs(det));
  bool full = end - start >= 2 * kPi - 1e-12;
  auto mapAngle = [&](double ang) {
    double dx = std::cos(ang), dy = std::sin(ang);
    return std::atan2(m.entry[1][0] * dx + m.entry[1][1] * dy,
                      m.entry[0][0] * dx + m.entry[0][1] * dy);
  };
  if (full) {
    p.start = 0, p.end = 2 * kPi;
  } else {
    double a0 = mapAngle(start), a1 = mapAngle(end);
    if (det < 0) std::swap(a0, a1);
    p.start = normAngle(a0);
    p.end = p.start + normAngle(a1 - a0);
    if (p.end == p.start) p.end += 2 * kPi;
  }
  p.a = polar(p.center, p.radius, p.start);
  p.b = polar(p.center, p.radius, p.end);
  return p;
}

hostimpl::Prim boxPrim(const AcGeMatrix3d& m, const AcGePoint3d corners[4]) {
  hostimpl::Prim p{hostimpl::Prim::kBox, {}, {}, {}, 0, 0, 0, {}};
  for (int i = 0; i < 4; ++i) p.box[i] = m.apply(corners[i]);
  return p;
}

void polylinePrims(const AcDbPolyline* pl, const AcGeMatrix3d& m,
                   std::vector<hostimpl::Prim>& out) {
  unsigned n = pl->numVerts();
  if (n == 1) {
    AcGePoint3d p;
    pl->getPointAt(0, p);
    out.push_back({hostimpl::Prim::kPoint, m.apply(p), {}, {}, 0, 0, 0, {}});
    return;
  }
  for (unsigned i = 0; i < pl->numSegments(); ++i) {
    AcGePoint3d a, b;
    double bulge;
    pl->getPointAt(i, a);
    pl->getPointAt((i + 1) % n, b);
    pl->getBulgeAt(i, bulge);
    double chord = a.distanceTo(b);
    if (std::fabs(bulge) < 1e-12 || chord == 0) {
      out.push_back(segmentPrim(m.apply(a), m.apply(b)));
      continue;
    }
    double theta = 4 * std::atan(bulge);
    double r = chord / (2 * std::sin(std::fabs(theta) / 2));
    double h = r * std::cos(theta / 2), sign = bulge > 0 ? 1 : -1;
    double dx = (b.x - a.x) / chord, dy = (b.y - a.y) / chord;
    AcGePoint3d c{(a.x + b.x) / 2 - dy * h * sign, (a.y + b.y) / 2 + dx * h * sign, a.z};
    double sa = std::atan2(a.y - c.y, a.x - c.x);
    double start = theta > 0 ? sa : sa + theta;
    out.push_back(arcPrim(m, c, r, start, start + std::fabs(theta)));
  }
}

double pointSegmentDistance(const AcGePoint3d& p, const AcGePoint3d& a, const AcGePoint3d& b) {
  double dx = b.x - a.x, dy = b.y - a.y;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
  return std::hypot(p.x - (a.x + dx * t), p.y - (a.y + dy * t));
}

bool insidePolygon(const AcGePoint3d& p, const AcGePoint3d* poly, int n) {
  bool inside = false;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    const auto& a = poly[i];
    const auto& b = poly[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
      inside = !inside;
  }
  return inside;
}

double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

bool segmentsMeet(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& q1,
                  const AcGePoint3d& q2) {
  double d1 = cross(q2.x - q1.x, q2.y - q1.y, p1.x - q1.x, p1.y - q1.y);
  double d2 = cross(q2.x - q1.x, q2.y - q1.y, p2.x - q1.x, p2.y - q1.y);
  double d3 = cross(p2.x - p1.x, p2.y - p1.y, q1.x - p1.x, q1.y - p1.y);
  double d4 = cross(p2.x - p1.x, p2.y - p1.y, q2.x - p1.x, q2.y - p1.y);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
    return true;
  auto onSegment = [](const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
  };
  return (d1 == 0 && onSegment(q1, q2, p1)) || (d2 == 0 && onSegment(q1, q2, p2)) ||
         (d3 == 0 && onSegment(p1, p2, q1)) || (d4 == 0 && onSegment(p1, p2, q2));
}

// Points where the segment a-b meets the circle (as parameters on a-b).
int segmentCircle(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& c, double r,
                  double t[2]) {
  double dx = b.x - a.x, dy = b.y - a.y, fx = a.x - c.x, fy = a.y - c.y;
  double A = dx * dx + dy * dy, B = 2 * (fx * dx + fy * dy), C = fx * fx + fy * fy - r * r;
  if (A == 0) return 0;
  double disc = B * B - 4 * A * C;
  if (disc < 0) return 0;
  double s = std::sqrt(disc);
  int n = 0;
  for (double v : {(-B - s) / (2 * A), (-B + s) / (2 * A)})
    if (v >= 0 && v <= 1) t[n++] = v;
  return n;
}

bool arcMeetsSegment(const hostimpl::Prim& arc, const AcGePoint3d& a, const AcGePoint3d& b) {
  double t[2];
  int n = segmentCircle(a, b, arc.center, arc.radius, t);
  for (int i = 0; i < n; ++i) {
    double x = a.x + (b.x - a.x) * t[i], y = a.y + (b.y - a.y) * t[i];
    if (angleOnArc(std::atan2(y - arc.center.y, x - arc.center.x), arc.start, arc.end))
      return true;
  }
  return false;
}

bool insideRect(const AcGePoint3d& p, double x0, double y0, double x1, double y1) {
  return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1;
}

}  // namespace

namespace hostimpl {

void collectPrims(const AcDbEntity* ent, const AcGeMatrix3d& m, std::vector<Prim>& out,
                  int depth) {
  if (depth > kMaxDepth || out.size() >= kMaxPrims) return;
  AcRxClass* c = ent->isA();
  if (c == AcDbLine::desc()) {
    auto* l = static_cast<const AcDbLine*>(ent);
    out.push_back(segmentPrim(m.apply(l->startPoint()), m.apply(l->endPoint())));
  } else if (c == AcDbCircle::desc()) {
    auto* ci = static_cast<const AcDbCircle*>(ent);
    out.push_back(arcPrim(m, ci->center(), ci->radius(), 0, 2 * kPi));
  } else if (c == AcDbArc::desc()) {
    auto* a = static_cast<const AcDbArc*>(ent);
    double start = normAngle(a->startAngle()), end = normAngle(a->endAngle());
    if (end <= start) end += 2 * kPi;
    out.push_back(arcPrim(m, a->center(), a->radius(), start, end));
  } else if (c == AcDbPolyline::desc()) {
    polylinePrims(static_cast<const AcDbPolyline*>(ent), m, out);
  } else if (c == AcDbPoint::desc()) {
    out.push_back({Prim::kPoint, m.apply(static_cast<const AcDbPoint*>(ent)->position()), {},
                   {}, 0, 0, 0, {}});
  } else if (auto* text = AcDbText::cast(ent)) {
    AcGePoint3d box[4];
    text->textBox(box);
    out.push_back(boxPrim(m, box));
  } else if (c == AcDbMText::desc()) {
    AcGePoint3d box[4];
    mtextBox(static_cast<const AcDbMText*>(ent), box);
    out.push_back(boxPrim(m, box));
  } else if (c == AcDbBlockReference::desc()) {
    auto* ref = static_cast<const AcDbBlockReference*>(ent);
    AcGeMatrix3d inner = m * ref->blockTransform();
    if (AcDbEntityList* list = blockEntities(ref->blockTableRecord().stub()))
      for (AcDbStub* s : list->entities) {
        auto* child = static_cast<AcDbEntity*>(s->object);
        if (child->isErased() || AcDbAttributeDefinition::cast(child)) continue;
        collectPrims(child, inner, out, depth + 1);
      }
    for (AcDbStub* s : ref->attributes_) {
      auto* att = static_cast<AcDbAttribute*>(s->object);
      if (!att->isErased() && !att->isInvisible()) collectPrims(att, m, out, depth + 1);
    }
  } else if (c == AcDbRegion::desc()) {
    for (const auto& loop : static_cast<const AcDbRegion*>(ent)->loops())
      for (size_t i = 0; i < loop.size(); ++i)
        out.push_back(segmentPrim(m.apply(loop[i]), m.apply(loop[(i + 1) % loop.size()])));
  }
}

void primExtents(const std::vector<Prim>& prims, AcDbExtents& ext) {
  for (const Prim& p : prims) {
    switch (p.kind) {
      case Prim::kSegment:
        ext.addPoint(p.a), ext.addPoint(p.b);
        break;
      case Prim::kPoint:
        ext.addPoint(p.a);
        break;
      case Prim::kBox:
        for (const auto& c : p.box) ext.addPoint(c);
        break;
      case Prim::kArc:
        ext.addPoint(p.a), ext.addPoint(p.b);
        for (int q = 0; q < 4; ++q)
          if (angleOnArc(q * kPi / 2, p.start, p.end))
            ext.addPoint(polar(p.center, p.radius, q * kPi / 2));
        break;
    }
  }
}

double primDistance(const Prim& p, const AcGePoint3d& pt) {
  switch (p.kind) {
    case Prim::kSegment:
      return pointSegmentDistance(pt, p.a, p.b);
    case Prim::kPoint:
      return std::hypot(pt.x - p.a.x, pt.y - p.a.y);
    case Prim::kArc: {
      double d = std::hypot(pt.x - p.center.x, pt.y - p.center.y);
      if (angleOnArc(std::atan2(pt.y - p.center.y, pt.x - p.center.x), p.start, p.end))
        return std::fabs(d - p.radius);
      return std::min(std::hypot(pt.x - p.a.x, pt.y - p.a.y), std::hypot(pt.x - p.b.x, pt.y - p.b.y));
    }
    case Prim::kBox: {
      if (insidePolygon(pt, p.box, 4)) return 0;
      double best = 1e300;
      for (int i = 0; i < 4; ++i) best = std::min(best, pointSegmentDistance(pt, p.box[i], p.box[(i + 1) % 4]));
      return best;
    }
  }
  return 1e300;
}

bool primCrossesRect(const Prim& p, double x0, double y0, double x1, double y1) {
  const AcGePoint3d corners[4] = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
  switch (p.kind) {
    case Prim::kPoint:
      return insideRect(p.a, x0, y0, x1, y1);
    case Prim::kSegment:
      if (insideRect(p.a, x0, y0, x1, y1) || insideRect(p.b, x0, y0, x1, y1)) return true;
      for (int i = 0; i < 4; ++i)
        if (segmentsMeet(p.a, p.b, corners[i], corners[(i + 1) % 4])) return true;
      return false;
    case Prim::kArc:
      if (insideRect(p.a, x0, y0, x1, y1) || insideRect(p.b, x0, y0, x1, y1)) return true;
      for (int i = 0; i < 4; ++i)
        if (arcMeetsSegment(p, corners[i], corners[(i + 1) % 4])) return true;
      return false;
    case Prim::kBox:
      for (const auto& c : p.box)
        if (insideRect(c, x0, y0, x1, y1)) return true;
      for (const auto& c : corners)
        if (insidePolygon(c, p.box, 4)) return true;
      for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
          if (segmentsMeet(p.box[i], p.box[(i + 1) % 4], corners[j], corners[(j + 1) % 4]))
            return true;
      return false;
  }
  return false;
}

bool primCrossesSegment(const Prim& p, const AcGePoint3d& a, const AcGePoint3d& b) {
  switch (p.kind) {
    case Prim::kPoint:
      return pointSegmentDistance(p.a, a, b) <= 1e-9;
    case Prim::kSegment:
      return segmentsMeet(p.a, p.b, a, b);
    case Prim::kArc:
      return arcMeetsSegment(p, a, b);
    case Prim::kBox:
      if (insidePolygon(a, p.box, 4)) return true;
      for (int i = 0; i < 4; ++i)
        if (segmentsMeet(p.box[i], p.box[(i + 1) % 4], a, b)) return true;
      return false;
  }
  return false;
}

}  // namespace hostimpl
