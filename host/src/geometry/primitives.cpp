// Drawing primitives and the tests that picking, window, crossing and fence
// selection share: extents, distance to a point, meeting a rectangle,
// meeting a segment.
//
// A text box is a convex quadrilateral given by its corners in order; a
// point inside it is at distance 0. Segment tests treat touching within
// kTolerance as meeting, so an entity that ends on a fence line is crossed.
#include <algorithm>
#include <cmath>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

namespace {

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

// Do the segments p1-p2 and q1-q2 cross, or come within kTolerance?
bool segmentsMeet(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& q1,
                  const AcGePoint3d& q2) {
  // Boxes farther apart than the tolerance: the common case, decided at once.
  if (std::max(p1.x, p2.x) < std::min(q1.x, q2.x) - kTolerance ||
      std::max(q1.x, q2.x) < std::min(p1.x, p2.x) - kTolerance ||
      std::max(p1.y, p2.y) < std::min(q1.y, q2.y) - kTolerance ||
      std::max(q1.y, q2.y) < std::min(p1.y, p2.y) - kTolerance)
    return false;
  // d1, d2: how far p1 and p2 lie from q's line, times q's length (likewise d3, d4).
  const double squaredQ = (q2.x - q1.x) * (q2.x - q1.x) + (q2.y - q1.y) * (q2.y - q1.y);
  const double slackQ = kTolerance * kTolerance * std::max(squaredQ, 1.0);
  double d1 = cross(q2.x - q1.x, q2.y - q1.y, p1.x - q1.x, p1.y - q1.y);
  double d2 = cross(q2.x - q1.x, q2.y - q1.y, p2.x - q1.x, p2.y - q1.y);
  // Both ends of p on one side of q's line and clear of it: no meeting.
  if (d1 * d2 > 0 && d1 * d1 > slackQ && d2 * d2 > slackQ) return false;
  double d3 = cross(p2.x - p1.x, p2.y - p1.y, q1.x - p1.x, q1.y - p1.y);
  double d4 = cross(p2.x - p1.x, p2.y - p1.y, q2.x - p1.x, q2.y - p1.y);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
    return true;
  // Not properly crossing: they meet only where an end lies within the tolerance of the
  // other segment; d * d <= slack is the cheap first test of that.
  const double squaredP = (p2.x - p1.x) * (p2.x - p1.x) + (p2.y - p1.y) * (p2.y - p1.y);
  const double slackP = kTolerance * kTolerance * std::max(squaredP, 1.0);
  auto near = [](double d, double slack, const AcGePoint3d& end, const AcGePoint3d& a,
                 const AcGePoint3d& b) {
    return d * d <= slack && pointSegmentDistance(end, a, b) <= kTolerance;
  };
  return near(d1, slackQ, p1, q1, q2) || near(d2, slackQ, p2, q1, q2) ||
         near(d3, slackP, q1, p1, p2) || near(d4, slackP, q2, p1, p2);
}

bool arcMeetsSegment(const Prim& arc, const AcGePoint3d& a, const AcGePoint3d& b) {
  AcGePoint3dArray points;
  intersect(arc, segmentPrim(a, b), false, false, points);
  return !points.isEmpty();
}

bool insideRect(const AcGePoint3d& p, double x0, double y0, double x1, double y1) {
  return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1;
}

}  // namespace

Prim segmentPrim(const AcGePoint3d& a, const AcGePoint3d& b) {
  Prim p;
  p.kind = Prim::kSegment;
  p.a = a, p.b = b;
  return p;
}

Prim pointPrim(const AcGePoint3d& at) {
  Prim p;
  p.kind = Prim::kPoint;
  p.a = at;
  return p;
}

Prim arcPrim(const AcGeMatrix3d& m, const AcGePoint3d& center, double radius, double start,
             double end) {
  Prim p;
  p.kind = Prim::kArc;
  p.center = m.apply(center);
  double det = m.entry[0][0] * m.entry[1][1] - m.entry[0][1] * m.entry[1][0];
  p.radius = radius * std::sqrt(std::fabs(det));
  if (end - start >= 2 * kPi - 1e-12) {
    // A whole circle still starts where its curve does: that point can be a node of the
    // pieces a region is built from.
    p.start = normAngle(transformedAngle(m, start));
    p.end = p.start + 2 * kPi;
  } else {
    double a0 = transformedAngle(m, start), a1 = transformedAngle(m, end);
    if (det < 0) std::swap(a0, a1);
    p.start = normAngle(a0);
    p.end = p.start + normAngle(a1 - a0);
    if (p.end == p.start) p.end += 2 * kPi;
  }
  p.a = polar(p.center, p.radius, p.start);
  p.b = polar(p.center, p.radius, p.end);
  return p;
}

Prim boxPrim(const AcGeMatrix3d& m, const AcGePoint3d corners[4]) {
  Prim p;
  p.kind = Prim::kBox;
  for (int i = 0; i < 4; ++i) p.box[i] = m.apply(corners[i]);
  return p;
}

Prim bulgePrim(const AcGeMatrix3d& m, const BulgeSegment& s) {
  if (!s.isArc) return segmentPrim(m.apply(s.a), m.apply(s.b));
  double start = s.sweepAngle > 0 ? s.start : s.start + s.sweepAngle;
  return arcPrim(m, s.center, s.radius, start, start + std::fabs(s.sweepAngle));
}

void Box::add(const AcGePoint3d& p) {
  minX = std::min(minX, p.x), minY = std::min(minY, p.y);
  maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
}

void Box::add(const Box& b) {
  if (b.isEmpty()) return;
  minX = std::min(minX, b.minX), minY = std::min(minY, b.minY);
  maxX = std::max(maxX, b.maxX), maxY = std::max(maxY, b.maxY);
}

Box transformedBox(const Box& b, const AcGeMatrix3d& m) {
  Box out;
  if (b.isEmpty()) return out;
  for (double x : {b.minX, b.maxX})
    for (double y : {b.minY, b.maxY}) out.add(m.apply({x, y, 0}));
  return out;
}

int boundingPoints(const Prim& p, AcGePoint3d out[6]) {
  int n = 0;
  switch (p.kind) {
    case Prim::kSegment:
      out[n++] = p.a, out[n++] = p.b;
      break;
    case Prim::kPoint:
      out[n++] = p.a;
      break;
    case Prim::kBox:
      for (const auto& c : p.box) out[n++] = c;
      break;
    case Prim::kArc:
      out[n++] = p.a, out[n++] = p.b;
      for (int q = 0; q < 4; ++q)
        if (angleOnArc(q * kPi / 2, p.start, p.end, 0)) out[n++] = polar(p.center, p.radius, q * kPi / 2);
      break;
  }
  return n;
}

Box extentsOf(const std::vector<Prim>& prims) {
  Box box;
  forEachBoundingPoint(prims, [&](const AcGePoint3d& p) { box.add(p); });
  return box;
}

double primDistance(const Prim& p, const AcGePoint3d& pt) {
  switch (p.kind) {
    case Prim::kSegment:
      return pointSegmentDistance(pt, p.a, p.b);
    case Prim::kPoint:
      return planarDistance(pt, p.a);
    case Prim::kArc: {
      double d = planarDistance(pt, p.center);
      if (angleOnArc(std::atan2(pt.y - p.center.y, pt.x - p.center.x), p.start, p.end, 0))
        return std::fabs(d - p.radius);
      return std::min(planarDistance(pt, p.a), planarDistance(pt, p.b));
    }
    case Prim::kBox: {
      if (insidePolygon(pt, p.box, 4)) return 0;
      double best = 1e300;
      for (int i = 0; i < 4; ++i)
        best = std::min(best, pointSegmentDistance(pt, p.box[i], p.box[(i + 1) % 4]));
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
      return pointSegmentDistance(p.a, a, b) <= kTolerance;
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

}  // namespace hostimpl::geometry
