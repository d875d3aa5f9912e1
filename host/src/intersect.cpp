// Intersections of curves and regions from closed loops.
//
// Curves are taken apart into segments and arcs (the primitives of
// prims.cpp). Mode 1 extends the entity the call is made on, mode 2 the
// argument, mode 3 both: a line becomes infinite, an arc its full circle;
// polylines and other entities are never extended. Tangent and end-touching
// contacts count; parallel or collinear lines, and concentric arcs of one
// radius, give no point. Points found twice in one call (at a polyline
// vertex) are reported once.
#include <cmath>

#include "internal.h"

namespace {

using hostimpl::Prim;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTol = 1e-9;

double normAngle(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

bool onArc(const Prim& arc, const AcGePoint3d& p) {
  if (arc.end - arc.start >= 2 * kPi - 1e-12) return true;
  double rel = normAngle(std::atan2(p.y - arc.center.y, p.x - arc.center.x) - arc.start);
  double sweep = arc.end - arc.start;
  double tolAngle = arc.radius > 0 ? kTol * std::max(1.0, arc.radius) / arc.radius : 0;
  return rel <= sweep + tolAngle || rel >= 2 * kPi - tolAngle;
}

bool inRange(double t, double len, bool extended) {
  if (extended) return true;
  double eps = kTol * std::max(1.0, len);
  return t >= -eps && t <= 1 + eps;
}

void add(AcGePoint3dArray& out, const AcGePoint3d& p) {
  for (const AcGePoint3d& q : out)
    if (std::fabs(q.x - p.x) <= kTol * std::max(1.0, std::fabs(p.x)) &&
        std::fabs(q.y - p.y) <= kTol * std::max(1.0, std::fabs(p.y)))
      return;
  out.append(p);
}

void segSeg(const Prim& a, const Prim& b, bool extA, bool extB, AcGePoint3dArray& out) {
  double rx = a.b.x - a.a.x, ry = a.b.y - a.a.y, sx = b.b.x - b.a.x, sy = b.b.y - b.a.y;
  double denom = rx * sy - ry * sx;
  double scale = std::hypot(rx, ry) * std::hypot(sx, sy);
  if (scale == 0 || std::fabs(denom) <= 1e-12 * scale) return;  // parallel or degenerate
  double qx = b.a.x - a.a.x, qy = b.a.y - a.a.y;
  double t = (qx * sy - qy * sx) / denom, u = (qx * ry - qy * rx) / denom;
  if (!inRange(t, std::hypot(rx, ry), extA) || !inRange(u, std::hypot(sx, sy), extB)) return;
  add(out, {a.a.x + rx * t, a.a.y + ry * t, a.a.z});
}

void segArc(const Prim& s, const Prim& arc, bool extS, bool extArc, AcGePoint3dArray& out) {
  double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y, fx = s.a.x - arc.center.x,
         fy = s.a.y - arc.center.y;
  double A = dx * dx + dy * dy;
  if (A == 0) return;
  double B = 2 * (fx * dx + fy * dy), C = fx * fx + fy * fy - arc.radius * arc.radius;
  double disc = B * B - 4 * A * C;
  double tolDisc = 1e-12 * B * B + 1e-18;
  if (disc < -tolDisc) return;
  double root = disc > 0 ? std::sqrt(disc) : 0;
  double ts[2] = {(-B - root) / (2 * A), (-B + root) / (2 * A)};
  for (int i = 0; i < (root == 0 ? 1 : 2); ++i) {
    if (!inRange(ts[i], std::sqrt(A), extS)) continue;
    AcGePoint3d p{s.a.x + dx * ts[i], s.a.y + dy * ts[i], s.a.z};
    if (extArc || onArc(arc, p)) add(out, p);
  }
}

void arcArc(const Prim& a, const Prim& b, bool extA, bool extB, AcGePoint3dArray& out) {
  double dx = b.center.x - a.center.x, dy = b.center.y - a.center.y;
  double d = std::hypot(dx, dy);
  if (d <= kTol && std::fabs(a.radius - b.radius) <= kTol) return;  // same circle
  if (d == 0 || d > a.radius + b.radius + kTol || d < std::fabs(a.radius - b.radius) - kTol)
    return;
  double along = (a.radius * a.radius - b.radius * b.radius + d * d) / (2 * d);
  double h2 = a.radius * a.radius - along * along;
  double h = h2 > 0 ? std::sqrt(h2) : 0;
  double mx = a.center.x + along * dx / d, my = a.center.y + along * dy / d;
  AcGePoint3d cands[2] = {{mx + h * dy / d, my - h * dx / d, a.center.z},
                          {mx - h * dy / d, my + h * dx / d, a.center.z}};
  for (int i = 0; i < (h == 0 ? 1 : 2); ++i)
    if ((extA || onArc(a, cands[i])) && (extB || onArc(b, cands[i]))) add(out, cands[i]);
}

void primPrim(const Prim& a, const Prim& b, bool extA, bool extB, AcGePoint3dArray& out) {
  if (a.kind == Prim::kSegment && b.kind == Prim::kSegment) return segSeg(a, b, extA, extB, out);
  if (a.kind == Prim::kSegment && b.kind == Prim::kArc) return segArc(a, b, extA, extB, out);
  if (a.kind == Prim::kArc && b.kind == Prim::kSegment) return segArc(b, a, extB, extA, out);
  if (a.kind == Prim::kArc && b.kind == Prim::kArc) return arcArc(a, b, extA, extB, out);
}

bool extendable(const AcDbEntity* e) {
  return AcDbLine::cast(e) || AcDbArc::cast(e) || AcDbCircle::cast(e);
}

void curvePrims(const AcDbEntity* e, std::vector<Prim>& out) {
  out.clear();
  if (AcDbCurve::cast(e) || AcDbRegion::cast(e)) hostimpl::collectPrims(e, AcGeMatrix3d(), out);
}

}  // namespace

AcDb::Status AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect mode,
                                       AcGePoint3dArray& points, std::intptr_t,
                                       std::intptr_t) const {
  if (!other) return AcDb::kInvalidInput;
  std::vector<Prim> mine, theirs;
  curvePrims(this, mine);
  curvePrims(other, theirs);
  if (mine.empty() || theirs.empty()) return AcDb::kNotImplemented;
  bool extThis = (mode == AcDb::kExtendThis || mode == AcDb::kExtendBoth) && extendable(this);
  bool extArg = (mode == AcDb::kExtendArg || mode == AcDb::kExtendBoth) && extendable(other);
  AcGePoint3dArray found;
  for (const Prim& a : mine)
    for (const Prim& b : theirs) primPrim(a, b, extThis, extArg, found);
  points.append(found);
  return AcDb::kOk;
}

// --- regions ------------------------------------------------------------------------------------

namespace {

// Points of a primitive from its start to its end (arcs flattened).
std::vector<AcGePoint3d> flatten(const Prim& p) {
  std::vector<AcGePoint3d> pts;
  if (p.kind == Prim::kSegment) return {p.a, p.b};
  int steps = std::max(4, static_cast<int>((p.end - p.start) / (kPi / 32)));
  for (int i = 0; i <= steps; ++i) {
    double a = p.start + (p.end - p.start) * i / steps;
    pts.push_back({p.center.x + p.radius * std::cos(a), p.center.y + p.radius * std::sin(a),
                   p.center.z});
  }
  return pts;
}

bool near(const AcGePoint3d& a, const AcGePoint3d& b) {
  return std::hypot(a.x - b.x, a.y - b.y) <= 1e-6 * std::max(1.0, std::fabs(a.x) + std::fabs(a.y));
}

}  // namespace

AcDb::Status AcDbRegion::createFromCurves(const AcDbVoidPtrArray& curveSegments,
                                          AcDbVoidPtrArray& regions) {
  // Each curve becomes a chain of points; chains are joined end to end into
  // closed loops. Curves that close no loop are left out.
  std::vector<std::vector<AcGePoint3d>> chains;
  const AcDbEntity* firstCurve = nullptr;
  for (void* ptr : curveSegments) {
    auto* curve = AcDbCurve::cast(static_cast<AcRxObject*>(ptr));
    if (!curve) return AcDb::kInvalidInput;
    if (!firstCurve) firstCurve = curve;
    std::vector<Prim> prims;
    hostimpl::collectPrims(curve, AcGeMatrix3d(), prims);
    std::vector<AcGePoint3d> chain;
    for (const Prim& p : prims)
      for (const AcGePoint3d& q : flatten(p))
        if (chain.empty() || !near(chain.back(), q)) chain.push_back(q);
    if (chain.size() >= 2) chains.push_back(std::move(chain));
  }
  int made = 0;
  std::vector<bool> used(chains.size(), false);
  for (size_t i = 0; i < chains.size(); ++i) {
    if (used[i]) continue;
    std::vector<AcGePoint3d> loop = chains[i];
    used[i] = true;
    bool grew = true;
    while (!near(loop.front(), loop.back()) && grew) {
      grew = false;
      for (size_t j = 0; j < chains.size() && !grew; ++j) {
        if (used[j]) continue;
        const auto& c = chains[j];
        if (near(loop.back(), c.front())) {
          loop.insert(loop.end(), c.begin() + 1, c.end());
        } else if (near(loop.back(), c.back())) {
          loop.insert(loop.end(), c.rbegin() + 1, c.rend());
        } else {
          continue;
        }
        used[j] = grew = true;
      }
    }
    if (loop.size() < 4 || !near(loop.front(), loop.back())) continue;
    loop.pop_back();
    auto* region = new AcDbRegion;
    if (firstCurve) region->copyEntityProperties(*firstCurve);
    region->setLoops({loop});
    regions.append(region);
    ++made;
  }
  return made > 0 ? AcDb::kOk : AcDb::kInvalidInput;
}
