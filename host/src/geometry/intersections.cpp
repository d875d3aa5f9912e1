// Where two primitives meet: segment with segment, segment with arc, arc
// with arc.
//
// Each case works from distances, so that every decision is the one
// tolerance: a segment's range is its length plus kTolerance at each end; a
// line touches a circle when its distance from the centre is within
// kTolerance of the radius; two circles touch when the half-chord of their
// common points is at most kTolerance. A point is on an arc when it lies
// within kTolerance (along the circle) of the arc's angular range.
#include <algorithm>
#include <cmath>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

namespace {

bool onArc(const Prim& arc, const AcGePoint3d& p) {
  return angleOnArc(std::atan2(p.y - arc.center.y, p.x - arc.center.x), arc.start, arc.end,
                    angularTolerance(arc.radius));
}

// Is the distance `along` a segment of this length within it?
bool withinSegment(double along, double length, bool extended) {
  return extended || (along >= -kTolerance && along <= length + kTolerance);
}

void segmentSegment(const Prim& a, const Prim& b, bool extA, bool extB, AcGePoint3dArray& out) {
  double rx = a.b.x - a.a.x, ry = a.b.y - a.a.y, sx = b.b.x - b.a.x, sy = b.b.y - b.a.y;
  double lenA = std::hypot(rx, ry), lenB = std::hypot(sx, sy);
  if (lenA <= kTolerance || lenB <= kTolerance) return;  // a point is no line
  double denom = rx * sy - ry * sx;
  // |denom| / the longer length is how far the shorter one turns away over its length.
  if (std::fabs(denom) <= kTolerance * std::max(lenA, lenB)) return;  // parallel
  double qx = b.a.x - a.a.x, qy = b.a.y - a.a.y;
  double t = (qx * sy - qy * sx) / denom, u = (qx * ry - qy * rx) / denom;
  if (!withinSegment(t * lenA, lenA, extA) || !withinSegment(u * lenB, lenB, extB)) return;
  appendUnique(out, {a.a.x + rx * t, a.a.y + ry * t, a.a.z});
}

void segmentArc(const Prim& s, const Prim& arc, bool extS, bool extArc, AcGePoint3dArray& out) {
  double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
  double length = std::hypot(dx, dy);
  if (length <= kTolerance || arc.radius <= kTolerance) return;
  double ux = dx / length, uy = dy / length;
  // The foot of the perpendicular from the centre, as a distance along s.
  double foot = (arc.center.x - s.a.x) * ux + (arc.center.y - s.a.y) * uy;
  double offset = std::fabs((arc.center.x - s.a.x) * uy - (arc.center.y - s.a.y) * ux);
  if (offset > arc.radius + kTolerance) return;
  double halfChord = 0;
  if (std::fabs(offset - arc.radius) > kTolerance)
    halfChord = std::sqrt(arc.radius * arc.radius - offset * offset);
  double alongs[2] = {foot - halfChord, foot + halfChord};
  for (int i = 0; i < (halfChord == 0 ? 1 : 2); ++i) {
    if (!withinSegment(alongs[i], length, extS)) continue;
    AcGePoint3d p{s.a.x + ux * alongs[i], s.a.y + uy * alongs[i], s.a.z};
    if (extArc || onArc(arc, p)) appendUnique(out, p);
  }
}

void arcArc(const Prim& a, const Prim& b, bool extA, bool extB, AcGePoint3dArray& out) {
  if (a.radius <= kTolerance || b.radius <= kTolerance) return;
  double dx = b.center.x - a.center.x, dy = b.center.y - a.center.y;
  double d = std::hypot(dx, dy);
  if (d <= kTolerance) return;  // one centre: the same circle, or circles that never meet
  if (d > a.radius + b.radius + kTolerance || d < std::fabs(a.radius - b.radius) - kTolerance)
    return;
  double along = (a.radius * a.radius - b.radius * b.radius + d * d) / (2 * d);
  double h2 = a.radius * a.radius - along * along;
  double h = h2 > 0 ? std::sqrt(h2) : 0;
  if (h <= kTolerance) h = 0;
  double mx = a.center.x + along * dx / d, my = a.center.y + along * dy / d;
  AcGePoint3d candidates[2] = {{mx + h * dy / d, my - h * dx / d, a.center.z},
                               {mx - h * dy / d, my + h * dx / d, a.center.z}};
  for (int i = 0; i < (h == 0 ? 1 : 2); ++i)
    if ((extA || onArc(a, candidates[i])) && (extB || onArc(b, candidates[i])))
      appendUnique(out, candidates[i]);
}

}  // namespace

void appendUnique(AcGePoint3dArray& out, const AcGePoint3d& p) {
  for (const AcGePoint3d& q : out)
    if (samePoint(p, q)) return;
  out.append(p);
}

void intersect(const Prim& a, const Prim& b, bool extendA, bool extendB, AcGePoint3dArray& out) {
  if (a.kind == Prim::kSegment && b.kind == Prim::kSegment)
    return segmentSegment(a, b, extendA, extendB, out);
  if (a.kind == Prim::kSegment && b.kind == Prim::kArc)
    return segmentArc(a, b, extendA, extendB, out);
  if (a.kind == Prim::kArc && b.kind == Prim::kSegment)
    return segmentArc(b, a, extendB, extendA, out);
  if (a.kind == Prim::kArc && b.kind == Prim::kArc) return arcArc(a, b, extendA, extendB, out);
}

}  // namespace hostimpl::geometry
