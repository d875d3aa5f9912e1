// Points, angles and the bulged segments of polylines.
//
// A bulge b on the chord from p0 to p1 is an arc of included angle
// theta = 4 atan(b); its radius is chord / (2 sin(|theta| / 2)) and its
// centre lies at radius cos(theta / 2) from the chord's midpoint, to the left
// of p0->p1 when b > 0. Everything here is plain arithmetic on those values.
#include <algorithm>
#include <cmath>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

double normAngle(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

double sweep(double start, double end) {
  double s = normAngle(end - start);
  return s <= 0 ? 2 * kPi : s;
}

AcGePoint3d polar(const AcGePoint3d& c, double r, double a) {
  return {c.x + r * std::cos(a), c.y + r * std::sin(a), c.z};
}

double planarDistance(const AcGePoint3d& a, const AcGePoint3d& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

bool samePoint(const AcGePoint3d& a, const AcGePoint3d& b) {
  return planarDistance(a, b) <= kTolerance;
}

double angularTolerance(double radius) {
  return radius > kTolerance / kPi ? kTolerance / radius : kPi;
}

bool angleOnArc(double a, double start, double end, double angleTolerance) {
  double sw = end - start;
  if (sw >= 2 * kPi - angleTolerance) return true;
  double rel = normAngle(a - start);
  sw = normAngle(sw);
  if (sw == 0) sw = 2 * kPi;
  return rel <= sw + angleTolerance || rel >= 2 * kPi - angleTolerance;
}

double planarScale(const AcGeMatrix3d& m, bool& mirrored) {
  double det = m.entry[0][0] * m.entry[1][1] - m.entry[0][1] * m.entry[1][0];
  mirrored = det < 0;
  return std::sqrt(std::fabs(det));
}

double transformedAngle(const AcGeMatrix3d& m, double angle) {
  double dx = std::cos(angle), dy = std::sin(angle);
  return std::atan2(m.entry[1][0] * dx + m.entry[1][1] * dy,
                    m.entry[0][0] * dx + m.entry[0][1] * dy);
}

double pointSegmentDistance(const AcGePoint3d& p, const AcGePoint3d& a, const AcGePoint3d& b) {
  double dx = b.x - a.x, dy = b.y - a.y;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
  return std::hypot(p.x - (a.x + dx * t), p.y - (a.y + dy * t));
}

BulgeSegment bulgeSegment(const AcGePoint2d& p0, const AcGePoint2d& p1, double bulge, double z) {
  BulgeSegment g;
  g.a = {p0.x, p0.y, z};
  g.b = {p1.x, p1.y, z};
  double chord = p0.distanceTo(p1);
  // The arc's rise above its chord is |bulge| * chord / 2.
  if (chord == 0 || !(std::fabs(bulge) * chord / 2 > kTolerance)) return g;
  g.isArc = true;
  double theta = 4 * std::atan(bulge);
  g.radius = chord / (2 * std::sin(std::fabs(theta) / 2));
  double mx = (p0.x + p1.x) / 2, my = (p0.y + p1.y) / 2;
  double dx = (p1.x - p0.x) / chord, dy = (p1.y - p0.y) / chord;
  double h = g.radius * std::cos(theta / 2);
  double sign = bulge > 0 ? 1 : -1;
  g.center = {mx - dy * h * sign, my + dx * h * sign, z};
  g.start = std::atan2(p0.y - g.center.y, p0.x - g.center.x);
  g.sweepAngle = theta;
  return g;
}

AcGePoint3d pointAt(const BulgeSegment& g, double t) {
  if (!g.isArc) return g.a + (g.b - g.a) * t;
  return polar(g.center, g.radius, g.start + g.sweepAngle * t);
}

double segmentLength(const BulgeSegment& g) {
  return g.isArc ? g.radius * std::fabs(g.sweepAngle) : g.a.distanceTo(g.b);
}

double nearestFraction(const BulgeSegment& g, const AcGePoint3d& p, double& dist) {
  if (!g.isArc) {
    AcGeVector3d d = g.b - g.a;
    double len2 = d.dotProduct(d);
    double t = len2 > 0 ? std::clamp((p - g.a).dotProduct(d) / len2, 0.0, 1.0) : 0;
    dist = p.distanceTo(g.a + d * t);
    return t;
  }
  double a = std::atan2(p.y - g.center.y, p.x - g.center.x);
  double rel = g.sweepAngle > 0 ? normAngle(a - g.start) : normAngle(g.start - a);
  double sw = std::fabs(g.sweepAngle);
  if (rel <= sw) {
    dist = std::fabs(p.distanceTo(g.center) - g.radius);
    return rel / sw;
  }
  double da = p.distanceTo(g.a), db = p.distanceTo(g.b);
  dist = std::min(da, db);
  return da <= db ? 0 : 1;
}

}  // namespace hostimpl::geometry
