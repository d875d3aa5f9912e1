// What entities of kinds the host keeps without modelling them look like, read from their file
// groups (contracts in geometry.h). The groups are walked once with a cursor; counts in the
// groups say how many of what follows, and the walk stops quietly wherever they do not fit.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

namespace {

constexpr int kEllipseSamples = 60;  // a whole turn
constexpr int kSplineSamples = 32;   // per knot span
constexpr size_t kMaxCount = 1 << 20;

double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

class Cursor {
 public:
  explicit Cursor(const KeptGroups& groups) : groups_(groups) {}
  bool done() const { return at_ >= groups_.size(); }
  int code() const { return done() ? -1 : groups_[at_].first; }
  // The value of the next group when it has this code.
  bool take(int code, double& value) {
    if (this->code() != code) return false;
    value = number(groups_[at_++].second);
    return true;
  }
  double takeOr(int code, double otherwise) {
    double value = otherwise;
    take(code, value);
    return value;
  }
  // x, y (and z) of a point whose x has code `code`.
  bool takePoint(int code, AcGePoint3d& p) {
    if (this->code() != code) return false;
    p.x = number(groups_[at_++].second);
    p.y = takeOr(code + 10, 0);
    p.z = takeOr(code + 20, 0);
    return true;
  }
  // Moves to the next group with this code (false at the end).
  bool seek(int code) {
    while (!done() && groups_[at_].first != code) ++at_;
    return !done();
  }
  void skip() { ++at_; }

 private:
  const KeptGroups& groups_;
  size_t at_ = 0;
};

size_t count(double value) {
  return value >= 0 && value <= static_cast<double>(kMaxCount) ? static_cast<size_t>(value) : 0;
}

void addPoint(std::vector<AcGePoint3d>& points, const AcGePoint3d& p) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
  if (!points.empty() && points.back().x == p.x && points.back().y == p.y) return;
  points.push_back(p);
}

// Points of an elliptic arc from parameter t0 through the signed sweep (negative: clockwise).
void ellipseArc(std::vector<AcGePoint3d>& points, const AcGePoint3d& center, const AcGePoint3d& major,
                double ratio, double t0, double sweep) {
  const int steps =
      std::max(2, static_cast<int>(std::ceil(std::abs(sweep) / (2 * kPi) * kEllipseSamples)));
  for (int i = 0; i <= steps; ++i) {
    const double t = t0 + sweep * i / steps;
    addPoint(points, {center.x + major.x * std::cos(t) - ratio * major.y * std::sin(t),
                      center.y + major.y * std::cos(t) + ratio * major.x * std::sin(t), center.z});
  }
}

// t1 after t0 by less than a whole turn (a whole turn when they are equal).
double forward(double t0, double t1) {
  while (t1 <= t0) t1 += 2 * kPi;
  while (t1 - t0 > 2 * kPi) t1 -= 2 * kPi;
  return t1;
}

KeptOutline ellipse(Cursor& c) {
  KeptOutline out;
  AcGePoint3d center, major;
  if (!c.seek(10) || !c.takePoint(10, center)) return out;
  if (!c.seek(11) || !c.takePoint(11, major)) return out;
  const double ratio = c.seek(40) ? c.takeOr(40, 1) : 1;
  const double t0 = c.takeOr(41, 0), t1 = forward(t0, c.takeOr(42, 2 * kPi));
  ellipseArc(out.points, center, major, ratio, t0, t1 - t0);
  out.closed = t1 - t0 >= 2 * kPi - 1e-12;
  return out;
}

// De Boor's evaluation of a (rational) B-spline at u.
AcGePoint3d deBoor(int degree, const std::vector<double>& knots, const std::vector<AcGePoint3d>& ctrl,
                   const std::vector<double>& weights, double u) {
  const int n = static_cast<int>(ctrl.size());
  int span = degree;
  while (span < n - 1 && u >= knots[span + 1]) ++span;
  std::vector<double> x(degree + 1), y(degree + 1), w(degree + 1);
  for (int j = 0; j <= degree; ++j) {
    const int i = span - degree + j;
    const double wi = weights.empty() ? 1 : weights[i];
    x[j] = ctrl[i].x * wi, y[j] = ctrl[i].y * wi, w[j] = wi;
  }
  for (int r = 1; r <= degree; ++r)
    for (int j = degree; j >= r; --j) {
      const int i = span - degree + j;
      const double denominator = knots[i + degree - r + 1] - knots[i];
      const double a = denominator == 0 ? 0 : (u - knots[i]) / denominator;
      x[j] = (1 - a) * x[j - 1] + a * x[j];
      y[j] = (1 - a) * y[j - 1] + a * y[j];
      w[j] = (1 - a) * w[j - 1] + a * w[j];
    }
  const double wd = w[degree] == 0 ? 1 : w[degree];
  return {x[degree] / wd, y[degree] / wd, ctrl.front().z};
}

void bspline(std::vector<AcGePoint3d>& points, int degree, const std::vector<double>& knots,
             const std::vector<AcGePoint3d>& ctrl, const std::vector<double>& weights) {
  const int n = static_cast<int>(ctrl.size());
  const bool usable = degree >= 1 && degree <= 16 && n > degree &&
                      knots.size() == ctrl.size() + degree + 1 &&
                      (weights.empty() || weights.size() == ctrl.size()) &&
                      std::is_sorted(knots.begin(), knots.end());
  if (!usable) {
    for (const AcGePoint3d& p : ctrl) addPoint(points, p);
    return;
  }
  for (int span = degree; span < n; ++span) {
    const double u0 = knots[span], u1 = knots[span + 1];
    if (u1 <= u0) continue;
    for (int k = 0; k <= kSplineSamples; ++k)
      addPoint(points, deBoor(degree, knots, ctrl, weights, u0 + (u1 - u0) * k / kSplineSamples));
  }
}

KeptOutline spline(Cursor& c) {
  KeptOutline out;
  int degree = 3;
  std::vector<double> knots, weights;
  std::vector<AcGePoint3d> ctrl, fit;
  bool closed = false;
  while (!c.done()) {
    double v;
    AcGePoint3d p;
    if (c.take(70, v)) closed = static_cast<int>(v) & 1;
    else if (c.take(71, v)) degree = static_cast<int>(v);
    else if (c.take(40, v)) knots.push_back(v);
    else if (c.take(41, v)) weights.push_back(v);
    else if (c.takePoint(10, p)) ctrl.push_back(p);
    else if (c.takePoint(11, p)) fit.push_back(p);
    else c.skip();
  }
  if (!ctrl.empty()) bspline(out.points, degree, knots, ctrl, weights);
  else for (const AcGePoint3d& p : fit) addPoint(out.points, p);
  out.closed = closed;
  return out;
}

// One edge of a hatch boundary, appended to the path's points.
bool hatchEdge(Cursor& c, std::vector<AcGePoint3d>& points) {
  double type = 0;
  if (!c.take(72, type)) return false;
  AcGePoint3d a, b;
  double v;
  switch (static_cast<int>(type)) {
    case 1:
      if (!c.takePoint(10, a) || !c.takePoint(11, b)) return false;
      addPoint(points, a);
      addPoint(points, b);
      return true;
    case 2:
    case 3: {
      // Clockwise arcs give their angles as seen mirrored.
      if (!c.takePoint(10, a)) return false;
      const bool elliptic = type == 3;
      if (elliptic && !c.takePoint(11, b)) return false;
      const double size = c.takeOr(40, elliptic ? 1 : 0);
      const double start = c.takeOr(50, 0) * kPi / 180, end = c.takeOr(51, 360) * kPi / 180;
      const bool ccw = c.takeOr(73, 1) != 0;
      const AcGePoint3d major = elliptic ? b : AcGePoint3d(size, 0, 0);
      const double ratio = elliptic ? size : 1;
      const double sweep = forward(start, end) - start;
      ellipseArc(points, a, major, ratio, ccw ? start : -start, ccw ? sweep : -sweep);
      return true;
    }
    case 4: {
      const int degree = static_cast<int>(c.takeOr(94, 3));
      c.takeOr(73, 0), c.takeOr(74, 0);
      const size_t knotCount = count(c.takeOr(95, 0)), ctrlCount = count(c.takeOr(96, 0));
      std::vector<double> knots, weights;
      std::vector<AcGePoint3d> ctrl;
      for (size_t i = 0; i < knotCount && c.take(40, v); ++i) knots.push_back(v);
      for (size_t i = 0; i < ctrlCount && c.takePoint(10, a); ++i) {
        ctrl.push_back(a);
        if (c.take(42, v)) weights.push_back(v);
      }
      bspline(points, degree, knots, ctrl, weights);
      const size_t fitCount = count(c.takeOr(97, 0));
      for (size_t i = 0; i < fitCount && c.takePoint(11, a); ++i) {
      }
      c.takePoint(12, a), c.takePoint(13, a);
      return true;
    }
    default:
      return false;
  }
}

bool hatchPath(Cursor& c, KeptOutline& path) {
  double flags = 0;
  if (!c.take(92, flags)) return false;
  path.closed = path.filled = true;
  if (static_cast<int>(flags) & 2) {
    const bool bulges = c.takeOr(72, 0) != 0;
    c.takeOr(73, 1);
    const size_t n = count(c.takeOr(93, 0));
    std::vector<std::pair<AcGePoint3d, double>> vertices;
    AcGePoint3d p;
    for (size_t i = 0; i < n && c.takePoint(10, p); ++i)
      vertices.push_back({p, bulges ? c.takeOr(42, 0) : 0});
    for (size_t i = 0; i < vertices.size(); ++i) {
      const auto& [from, bulge] = vertices[i];
      const AcGePoint3d& to = vertices[(i + 1) % vertices.size()].first;
      addPoint(path.points, from);
      if (bulge == 0) continue;
      const BulgeSegment s = bulgeSegment({from.x, from.y}, {to.x, to.y}, bulge, from.z);
      for (int k = 1; k < 16; ++k) addPoint(path.points, pointAt(s, k / 16.0));
    }
  } else {
    const size_t edges = count(c.takeOr(93, 0));
    for (size_t i = 0; i < edges; ++i)
      if (!hatchEdge(c, path.points)) return false;
  }
  const size_t sources = count(c.takeOr(97, 0));
  for (size_t i = 0; i < sources && c.code() == 330; ++i) c.skip();
  return true;
}

std::vector<KeptOutline> hatch(Cursor& c) {
  std::vector<KeptOutline> out;
  if (!c.seek(91)) return out;
  const size_t paths = count(c.takeOr(91, 0));
  for (size_t i = 0; i < paths; ++i) {
    KeptOutline path;
    if (!hatchPath(c, path)) break;
    if (path.points.size() >= 2) out.push_back(std::move(path));
  }
  return out;
}

KeptOutline corners(Cursor& c, bool crossed) {
  KeptOutline out;
  AcGePoint3d p[4];
  int n = 0;
  for (int code = 10; code <= 13; ++code)
    if (c.seek(code) && c.takePoint(code, p[n])) ++n;
  if (n < 3) return out;
  if (n == 3) p[3] = p[2];
  const int order[4] = {0, 1, crossed ? 3 : 2, crossed ? 2 : 3};
  for (int i : order) addPoint(out.points, p[i]);
  out.closed = true;
  out.filled = crossed;
  return out;
}

// The path through every point whose x has this code, in order: a leader's vertices (10), a
// multiline's (11).
KeptOutline pathThrough(Cursor& c, int code) {
  KeptOutline out;
  AcGePoint3d p;
  while (c.seek(code))
    if (c.takePoint(code, p)) addPoint(out.points, p);
  return out;
}

// An image's or a wipeout's frame: from the insertion point 10 along the pixel vectors 11 and
// 12, as many pixels as the size 13 gives.
KeptOutline frame(Cursor& c) {
  KeptOutline out;
  AcGePoint3d p, u, v, size;
  if (!(c.seek(10) && c.takePoint(10, p) && c.seek(11) && c.takePoint(11, u) && c.seek(12) &&
        c.takePoint(12, v) && c.seek(13) && c.takePoint(13, size)))
    return out;
  const AcGePoint3d across(p.x + u.x * size.x, p.y + u.y * size.x, 0);
  addPoint(out.points, p);
  addPoint(out.points, across);
  addPoint(out.points, {across.x + v.x * size.y, across.y + v.y * size.y, 0});
  addPoint(out.points, {p.x + v.x * size.y, p.y + v.y * size.y, 0});
  out.closed = true;
  return out;
}

// The vertices of an old-style polyline kept whole: each behind its (0, "VERTEX") group, with
// its flags 70 and, for a face record of a polyface mesh, its corner numbers 71 to 74.
struct MeshVertex {
  AcGePoint3d p;
  int flags = 0;
  int corners[4] = {0, 0, 0, 0};
};

std::vector<MeshVertex> meshVertices(const KeptGroups& groups) {
  std::vector<MeshVertex> out;
  for (const auto& [code, value] : groups) {
    if (code == 0) {
      if (value == "VERTEX") out.emplace_back();
      continue;
    }
    if (out.empty()) continue;
    MeshVertex& v = out.back();
    if (code == 10) v.p.x = number(value);
    else if (code == 20) v.p.y = number(value);
    else if (code == 30) v.p.z = number(value);
    else if (code == 70) v.flags = static_cast<int>(number(value));
    else if (code >= 71 && code <= 74) v.corners[code - 71] = static_cast<int>(number(value));
  }
  return out;
}

// A 3-D polyline as its path; a polyface mesh as its faces; a polygon mesh as its rows and
// columns (71 by 72 vertices, closed in either direction by flags 1 and 32).
std::vector<KeptOutline> oldPolyline(const KeptGroups& groups) {
  int flags = 0, rows = 0, columns = 0;  // the polyline's own, before its first vertex
  for (const auto& [code, value] : groups) {
    if (code == 0) break;
    if (code == 70) flags = static_cast<int>(number(value));
    if (code == 71) rows = static_cast<int>(number(value));
    if (code == 72) columns = static_cast<int>(number(value));
  }
  const std::vector<MeshVertex> vertices = meshVertices(groups);
  std::vector<KeptOutline> out;
  if (flags & 64) {
    std::vector<AcGePoint3d> corners;
    for (const MeshVertex& v : vertices)
      if (v.flags & 64) corners.push_back(v.p);
    for (const MeshVertex& v : vertices) {
      if ((v.flags & 128) == 0 || (v.flags & 64)) continue;
      KeptOutline& face = out.emplace_back();
      for (int corner : v.corners) {
        const size_t index = static_cast<size_t>(std::abs(corner));
        if (index >= 1 && index <= corners.size()) addPoint(face.points, corners[index - 1]);
      }
      face.closed = true;
    }
  } else if (flags & 16) {
    if (rows <= 0 || columns <= 0 || static_cast<size_t>(rows) * columns > vertices.size()) return out;
    for (int r = 0; r < rows; ++r) {
      KeptOutline& row = out.emplace_back();
      for (int k = 0; k < columns; ++k) addPoint(row.points, vertices[r * columns + k].p);
      row.closed = flags & 32;
    }
    for (int k = 0; k < columns; ++k) {
      KeptOutline& column = out.emplace_back();
      for (int r = 0; r < rows; ++r) addPoint(column.points, vertices[r * columns + k].p);
      column.closed = flags & 1;
    }
  } else {
    KeptOutline& path = out.emplace_back();
    for (const MeshVertex& v : vertices)
      if ((v.flags & 16) == 0) addPoint(path.points, v.p);  // 16: a spline's frame point
    path.closed = flags & 1;
  }
  return out;
}

}  // namespace

std::vector<KeptOutline> keptOutlines(std::string_view type, const KeptGroups& groups) {
  Cursor c(groups);
  std::vector<KeptOutline> out;
  if (type == "ELLIPSE") out.push_back(ellipse(c));
  else if (type == "SPLINE") out.push_back(spline(c));
  else if (type == "HATCH") out = hatch(c);
  else if (type == "SOLID" || type == "TRACE") out.push_back(corners(c, true));
  else if (type == "3DFACE") out.push_back(corners(c, false));
  else if (type == "LEADER") out.push_back(pathThrough(c, 10));
  else if (type == "IMAGE" || type == "WIPEOUT") out.push_back(frame(c));
  else if (type == "MLINE") out.push_back(pathThrough(c, 11));
  else if (type == "POLYLINE") out = oldPolyline(groups);
  out.erase(std::remove_if(out.begin(), out.end(), [](const KeptOutline& o) { return o.points.empty(); }),
            out.end());
  return out;
}

std::vector<AcGePoint3d> keptBoundingPoints(std::string_view type, const KeptGroups& groups) {
  std::vector<AcGePoint3d> points;
  if (type == "XLINE" || type == "RAY") {
    Cursor c(groups);
    AcGePoint3d base;
    if (c.seek(10) && c.takePoint(10, base)) points.push_back(base);
    return points;
  }
  if (type == "DIMENSION") {  // its definition points; what it draws is its block's
    for (int code : {10, 11, 13, 14, 15}) {
      Cursor c(groups);
      AcGePoint3d p;
      if (c.seek(code) && c.takePoint(code, p)) points.push_back(p);
    }
    return points;
  }
  for (const KeptOutline& outline : keptOutlines(type, groups))
    points.insert(points.end(), outline.points.begin(), outline.points.end());
  return points;
}

}  // namespace hostimpl::geometry
