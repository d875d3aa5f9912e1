// Point tests, choices among points and the screens of LineMath.h.
//
// fixedSix: a double lies exactly halfway between two sixth decimals only when
// it is an odd multiple of 1/128 (2 * 10^6 = 2^7 * 5^6, and a double is an
// integer times a power of two). Such a value has exactly seven decimals, the
// last a 5, so "%.7f" writes it exactly and the rounding is done on the text:
// its last two decimals are those of odd * 78125, that is 25 or 75, so going
// away from zero raises a 2 or a 7 and never carries.
#include "entityops/LineMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace entityops {

bool isInWindow(const AcGePoint3d& p, const AcGePoint3d& c1, const AcGePoint3d& c2) {
  return std::min(c1.x, c2.x) <= p.x && p.x <= std::max(c1.x, c2.x) &&
         std::min(c1.y, c2.y) <= p.y && p.y <= std::max(c1.y, c2.y);
}

AcGePoint3d nearestPoint(const AcGePoint3dArray& points, const AcGePoint3d& reference) {
  AcGePoint3d best = points[0];
  double bestDistance = best.distanceTo(reference);
  for (int i = 1; i < points.length(); ++i) {
    double d = points[i].distanceTo(reference);
    if (d < bestDistance) best = points[i], bestDistance = d;
  }
  return best;
}

AcGePoint3d farthestPoint(const AcGePoint3dArray& points, const AcGePoint3d& reference) {
  AcGePoint3d best = points[0];
  double bestDistance = 0;
  for (const AcGePoint3d& p : points) {
    double d = p.distanceTo(reference);
    if (d > bestDistance) best = p, bestDistance = d;
  }
  return best;
}

std::pair<int, int> farthestPair(const AcGePoint3d (&ends)[4]) {
  static const std::pair<int, int> kPairs[] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
  std::pair<int, int> best = kPairs[0];
  double bestDistance = 0;
  for (const auto& pair : kPairs) {
    double d = ends[pair.first].distanceTo(ends[pair.second]);
    if (d > bestDistance) best = pair, bestDistance = d;
  }
  return best;
}

bool onSideOf(const AcGePoint3d& p, const AcGePoint3d& from, const AcGePoint3d& toward) {
  return (p - from).dotProduct(toward - from) > 0;
}

bool clearlyApart(const Segment& a, const Segment& b) {
  const double m = screenMargin();
  return std::max(a.start.x, a.end.x) + m < std::min(b.start.x, b.end.x) ||
         std::max(b.start.x, b.end.x) + m < std::min(a.start.x, a.end.x) ||
         std::max(a.start.y, a.end.y) + m < std::min(b.start.y, b.end.y) ||
         std::max(b.start.y, b.end.y) + m < std::min(a.start.y, a.end.y);
}

LineThrough::LineThrough(const Segment& a) : origin(a.start) {
  const double dx = a.end.x - a.start.x, dy = a.end.y - a.start.y;
  length = std::hypot(dx, dy);
  if (length > 0) ux = dx / length, uy = dy / length;
}

bool clearlyOff(const LineThrough& line, const AcGePoint3d& p) {
  const double m = screenMargin();
  if (!(line.length > m)) return false;
  const double px = p.x - line.origin.x, py = p.y - line.origin.y;
  const double offset = std::fabs(line.ux * py - line.uy * px);
  if (!(offset > m)) return false;
  const double reach2 = px * px + py * py;
  if (reach2 <= line.length * line.length) return true;
  return offset * offset * line.length * line.length > m * m * reach2;
}

std::string fixedSix(double x) {
  char text[400];  // DBL_MAX has 309 integer digits
  const double scaled = x * 128;
  const bool halfway = std::isfinite(x) && std::fabs(scaled) < 9e15 &&
                       scaled == std::trunc(scaled) && std::fmod(scaled, 2) != 0;
  if (!halfway) {
    std::snprintf(text, sizeof text, "%f", x);
    return text;
  }
  std::snprintf(text, sizeof text, "%.7f", x);
  std::string s(text);
  s.pop_back();  // the 5
  ++s.back();    // a 2 or a 7, so nothing carries
  return s;
}

}  // namespace entityops
