// Faces of a planar graph of lines and arcs, as a polygonizer finds them.
//
// 1. Noding: the ends are put in square cells of twice kTolerance (sorted
//    by cell) and each is compared with the ends of its own and the eight
//    neighbouring cells; ends within kTolerance of each other join one node
//    (union-find), so a node is a chain of close ends.
// 2. Sides: each edge that joins two nodes gives two sides, one leaving
//    each end. A side's key at its node is the angle of its tangent there
//    and its signed curvature (positive: bending to the left), so that of two
//    sides leaving in one direction the one bending less to the left comes
//    first counter-clockwise.
// 3. Walk: from side h (into node v) the next side is the one before h's
//    twin in counter-clockwise order round v. Every side is on exactly one
//    cycle; the face lies to the left of its sides, so bounded faces run
//    counter-clockwise and have positive area, the outer face of each
//    connected piece negative.
// 4. Edges whose two sides are on one cycle bound no face: they are taken
//    out and the cycles traced again (taking them out joins no faces, so one
//    round suffices).
#include <algorithm>
#include <cmath>
#include <numeric>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

namespace {

constexpr double kPi = 3.14159265358979323846;

int findRoot(std::vector<int>& parent, int i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

BulgeSegment shapeOf(const PlaneEdge& e) {
  return bulgeSegment({e.a.x, e.a.y}, {e.b.x, e.b.y}, e.bulge, 0);
}

// The sweep from angle `from` to angle `to` in the direction of an arc of sweep `sweep`.
double remainingSweep(double from, double to, double sweep) {
  double d = std::remainder(to - from, 2 * kPi);
  if (sweep > 0 && d <= 0) d += 2 * kPi;
  if (sweep < 0 && d >= 0) d -= 2 * kPi;
  return d;
}

// A side: edge e leaving node `from` (forward: from a).
struct Side {
  int edge, from, to;
  bool forward;
  double angle, curvature;
};

Side makeSide(const PlaneEdge& e, const BulgeSegment& s, int index, bool forward, int from,
              int to) {
  const AcGePoint3d& start = forward ? e.a : e.b;
  const AcGePoint3d& end = forward ? e.b : e.a;
  double angle = std::atan2(end.y - start.y, end.x - start.x);
  double curvature = 0;
  if (s.isArc) {
    // The tangent turns from the chord by half the sweep, against the bend.
    const double sweep = forward ? s.sweepAngle : -s.sweepAngle;
    angle -= sweep / 2;
    curvature = (sweep > 0 ? 1 : -1) / s.radius;
  }
  if (angle <= -kPi) angle += 2 * kPi;
  if (angle > kPi) angle -= 2 * kPi;
  // Directions a hair below pi are pi: they would otherwise sort apart.
  if (angle < -kPi + 1e-12) angle = kPi;
  return {index, from, to, forward, angle, curvature};
}

// Sorts the sides of one node counter-clockwise: by angle, and sides whose
// angles agree to 1e-12 by curvature (then by edge, for a fixed order).
void orderRound(const std::vector<Side>& sides, std::vector<int>& ids) {
  std::sort(ids.begin(), ids.end(), [&](int x, int y) { return sides[x].angle < sides[y].angle; });
  for (size_t i = 0; i < ids.size();) {
    size_t j = i + 1;
    while (j < ids.size() && sides[ids[j]].angle - sides[ids[j - 1]].angle <= 1e-12) ++j;
    std::sort(ids.begin() + i, ids.begin() + j, [&](int x, int y) {
      if (sides[x].curvature != sides[y].curvature) return sides[x].curvature < sides[y].curvature;
      return x < y;
    });
    i = j;
  }
}

// Traces the cycles of the sides that are in use; returns the cycle of each
// side. The sides are laid out node by node ("slots"), so that a walk round
// a face reads memory near the faces next to it.
std::vector<int> traceCycles(const std::vector<Side>& sides, const std::vector<bool>& used,
                             int nodeCount, std::vector<std::vector<int>>& cycles) {
  std::vector<int> start(nodeCount + 1, 0);
  for (size_t i = 0; i < sides.size(); ++i)
    if (used[i]) ++start[sides[i].from + 1];
  for (int v = 0; v < nodeCount; ++v) start[v + 1] += start[v];
  std::vector<int> sideAt(start[nodeCount]), slotOf(sides.size(), -1), fill(start.begin(), start.end() - 1);
  for (size_t i = 0; i < sides.size(); ++i)
    if (used[i]) sideAt[fill[sides[i].from]++] = static_cast<int>(i);
  // next[slot]: the side after it on its face, the one before its twin round the node it reaches.
  std::vector<int> ids, next(sideAt.size(), -1);
  for (int v = 0; v < nodeCount; ++v) {
    ids.assign(sideAt.begin() + start[v], sideAt.begin() + start[v + 1]);
    orderRound(sides, ids);
    for (size_t k = 0; k < ids.size(); ++k) {
      sideAt[start[v] + k] = ids[k];
      slotOf[ids[k]] = start[v] + static_cast<int>(k);
    }
  }
  for (int v = 0; v < nodeCount; ++v) {
    const int degree = start[v + 1] - start[v];
    for (int k = 0; k < degree; ++k) {
      const int twin = sideAt[start[v] + k] ^ 1;  // sides 2e, 2e+1: edge e
      next[slotOf[twin]] = start[v] + (k + degree - 1) % degree;
    }
  }
  std::vector<int> cycleOfSlot(sideAt.size(), -1);
  cycles.clear();
  for (size_t first = 0; first < sideAt.size(); ++first) {
    if (cycleOfSlot[first] >= 0) continue;
    std::vector<int> cycle;
    for (int slot = static_cast<int>(first); cycleOfSlot[slot] < 0; slot = next[slot]) {
      cycleOfSlot[slot] = static_cast<int>(cycles.size());
      cycle.push_back(sideAt[slot]);
    }
    cycles.push_back(std::move(cycle));
  }
  std::vector<int> cycleOf(sides.size(), -1);
  for (size_t slot = 0; slot < sideAt.size(); ++slot) cycleOf[sideAt[slot]] = cycleOfSlot[slot];
  return cycleOf;
}

// An edge that runs between the same two nodes as an earlier one, along the
// same line or arc (its middle within kTolerance of the other's), is that
// edge drawn twice: only the first is kept. Kept twice they would enclose a
// face of no area, and each would seem to bound a face.
void dropRepeatedEdges(const std::vector<PlaneEdge>& edges, const std::vector<int>& node,
                       std::vector<bool>& used) {
  std::vector<int> order;
  for (size_t e = 0; e < edges.size(); ++e)
    if (used[2 * e]) order.push_back(static_cast<int>(e));
  auto key = [&](int e) {
    const int a = node[2 * e], b = node[2 * e + 1];
    return std::make_pair(std::min(a, b), std::max(a, b));
  };
  std::sort(order.begin(), order.end(), [&](int x, int y) { return key(x) < key(y) || (key(x) == key(y) && x < y); });
  auto middle = [&](int e) { return pointAt(shapeOf(edges[e]), 0.5); };
  for (size_t i = 0; i < order.size();) {
    size_t j = i + 1;
    while (j < order.size() && key(order[j]) == key(order[i])) ++j;
    for (size_t x = i; x < j; ++x)
      for (size_t y = i; y < x; ++y)
        if (used[2 * order[y]] && samePoint(middle(order[x]), middle(order[y]))) {
          used[2 * order[x]] = used[2 * order[x] + 1] = false;
          break;
        }
    i = j;
  }
}

}  // namespace

double edgeArea(const BulgeSegment& s, const AcGePoint3d& o) {
  double area = ((s.a.x - o.x) * (s.b.y - o.y) - (s.b.x - o.x) * (s.a.y - o.y)) / 2;
  if (s.isArc) area += s.radius * s.radius * (s.sweepAngle - std::sin(s.sweepAngle)) / 2;
  return area;
}

std::vector<PlaneEdge> splitAtEnds(const std::vector<PlaneEdge>& edges, std::vector<int>& origin) {
  // The ends in an index of their own (tiny boxes), looked up with each edge's box.
  std::vector<std::pair<Box, std::uint32_t>> entries;
  entries.reserve(edges.size() * 2);
  for (size_t k = 0; k < edges.size() * 2; ++k) {
    const AcGePoint3d& p = k % 2 ? edges[k / 2].b : edges[k / 2].a;
    if (std::isfinite(p.x) && std::isfinite(p.y)) entries.push_back({Box{p.x, p.y, p.x, p.y}, static_cast<std::uint32_t>(k)});
  }
  SpatialIndex ends;
  ends.assign(entries);
  std::vector<PlaneEdge> out;
  out.reserve(edges.size());
  origin.clear();
  std::vector<std::uint32_t> found;
  std::vector<std::pair<double, AcGePoint3d>> cuts;  // fraction along the edge, and the end
  for (size_t i = 0; i < edges.size(); ++i) {
    const PlaneEdge& e = edges[i];
    const BulgeSegment s = shapeOf(e);
    Box box;
    box.add(e.a);
    box.add(e.b);
    if (s.isArc) box.add(Box{s.center.x - s.radius, s.center.y - s.radius, s.center.x + s.radius, s.center.y + s.radius});
    found.clear();
    cuts.clear();
    if (!box.isEmpty() && std::isfinite(e.bulge))
      ends.query(box.grown(kTolerance), found);
    for (std::uint32_t k : found) {
      if (k / 2 == i) continue;
      const AcGePoint3d& p = k % 2 ? edges[k / 2].b : edges[k / 2].a;
      if (samePoint(p, e.a) || samePoint(p, e.b)) continue;
      double distance = 0;
      const double t = nearestFraction(s, p, distance);
      if (distance <= kTolerance && t > 0 && t < 1) cuts.emplace_back(t, p);
    }
    std::sort(cuts.begin(), cuts.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    AcGePoint3d from = e.a;
    double fromAngle = s.isArc ? s.start : 0;
    for (const auto& [t, p] : cuts) {
      if (samePoint(p, from)) continue;  // ends found twice, or close together
      const double angle = s.isArc ? std::atan2(p.y - s.center.y, p.x - s.center.x) : 0;
      out.push_back({from, p, s.isArc ? std::tan(remainingSweep(fromAngle, angle, s.sweepAngle) / 4) : 0});
      origin.push_back(static_cast<int>(i));
      from = p;
      fromAngle = angle;
    }
    if (from.x == e.a.x && from.y == e.a.y && from.z == e.a.z) {
      out.push_back(e);  // not split
    } else {
      const double end = s.isArc ? std::atan2(e.b.y - s.center.y, e.b.x - s.center.x) : 0;
      out.push_back({from, e.b, s.isArc ? std::tan(remainingSweep(fromAngle, end, s.sweepAngle) / 4) : 0});
    }
    origin.push_back(static_cast<int>(i));
  }
  return out;
}

std::vector<int> nodeEnds(const std::vector<PlaneEdge>& edges, std::vector<AcGePoint3d>& nodePoints) {
  const int ends = static_cast<int>(edges.size() * 2);
  auto endPoint = [&](int k) -> const AcGePoint3d& { return k % 2 ? edges[k / 2].b : edges[k / 2].a; };
  // Ends in cells of twice the tolerance: ends within the tolerance of each
  // other are in the same or neighbouring cells. Ends with a not-a-number
  // coordinate have no cell and are nodes of their own.
  struct Cell {
    double cx, cy;
    int end;
    bool operator<(const Cell& o) const {
      return cx < o.cx || (cx == o.cx && (cy < o.cy || (cy == o.cy && end < o.end)));
    }
  };
  const double size = 2 * kTolerance;
  std::vector<Cell> cells;
  cells.reserve(ends);
  for (int k = 0; k < ends; ++k) {
    const AcGePoint3d& p = endPoint(k);
    if (!std::isnan(p.x) && !std::isnan(p.y))
      cells.push_back({std::floor(p.x / size), std::floor(p.y / size), k});
  }
  std::sort(cells.begin(), cells.end());
  std::vector<int> parent(ends);
  std::iota(parent.begin(), parent.end(), 0);
  auto join = [&](int x, int y) {
    if (!samePoint(endPoint(x), endPoint(y))) return;
    const int a = findRoot(parent, x), b = findRoot(parent, y);
    parent[std::max(a, b)] = std::min(a, b);  // the root is the cluster's first end
  };
  // Each pair of neighbouring cells once: the rest of the own cell, then the
  // cell above and the three to the right.
  static const int kAhead[4][2] = {{0, 1}, {1, -1}, {1, 0}, {1, 1}};
  for (size_t i = 0; i < cells.size(); ++i) {
    const Cell& c = cells[i];
    for (size_t j = i + 1; j < cells.size() && cells[j].cx == c.cx && cells[j].cy == c.cy; ++j)
      join(c.end, cells[j].end);
    for (const auto& [dx, dy] : kAhead) {
      const Cell from{c.cx + dx, c.cy + dy, -1};
      for (auto it = std::lower_bound(cells.begin() + i, cells.end(), from);
           it != cells.end() && it->cx == from.cx && it->cy == from.cy; ++it)
        join(c.end, it->end);
    }
  }
  // Nodes numbered cell by cell, so that nodes near each other have numbers
  // near each other (the face walk then stays in cache); the ends without a
  // cell come last.
  std::vector<int> node(ends, -1), nodeOfRoot(ends, -1);
  nodePoints.clear();
  auto number = [&](int k) {
    const int root = findRoot(parent, k);
    if (nodeOfRoot[root] < 0) {
      nodeOfRoot[root] = static_cast<int>(nodePoints.size());
      nodePoints.push_back(endPoint(root));
    }
    node[k] = nodeOfRoot[root];
  };
  for (const Cell& c : cells) number(c.end);
  for (int k = 0; k < ends; ++k)
    if (node[k] < 0) number(k);
  return node;
}

std::vector<Face> boundedFaces(const std::vector<PlaneEdge>& edges) {
  std::vector<AcGePoint3d> nodePoints;
  const std::vector<int> node = nodeEnds(edges, nodePoints);
  std::vector<Side> sides;
  std::vector<bool> used;
  for (size_t i = 0; i < edges.size(); ++i) {
    const int from = node[2 * i], to = node[2 * i + 1];
    const BulgeSegment shape = shapeOf(edges[i]);
    const bool keep = from != to && std::isfinite(edges[i].bulge);
    const int index = static_cast<int>(i);
    sides.push_back(makeSide(edges[i], shape, index, true, from, to));
    sides.push_back(makeSide(edges[i], shape, index, false, to, from));
    used.push_back(keep);
    used.push_back(keep);
  }
  dropRepeatedEdges(edges, node, used);
  std::vector<std::vector<int>> cycles;
  const std::vector<int> cycleOf = traceCycles(sides, used, static_cast<int>(nodePoints.size()), cycles);
  bool dropped = false;
  for (size_t e = 0; e < edges.size(); ++e)
    if (used[2 * e] && cycleOf[2 * e] == cycleOf[2 * e + 1]) {
      used[2 * e] = used[2 * e + 1] = false;
      dropped = true;
    }
  if (dropped) traceCycles(sides, used, static_cast<int>(nodePoints.size()), cycles);

  std::vector<Face> faces;
  for (std::vector<int>& cycle : cycles) {
    // Start at the lowest edge; corners are the nodes, so that the loop closes exactly.
    size_t lowest = 0;
    for (size_t k = 1; k < cycle.size(); ++k)
      if (sides[cycle[k]].edge < sides[cycle[lowest]].edge) lowest = k;
    std::rotate(cycle.begin(), cycle.begin() + lowest, cycle.end());
    Face face;
    for (int h : cycle) {
      face.sides.push_back({sides[h].edge, sides[h].forward});
      face.corners.push_back(nodePoints[sides[h].from]);
    }
    const AcGePoint3d& origin = face.corners.front();
    for (size_t k = 0; k < cycle.size(); ++k) {
      const AcGePoint3d& p = face.corners[k];
      const AcGePoint3d& q = face.corners[(k + 1) % cycle.size()];
      const double bulge = edges[sides[cycle[k]].edge].bulge;
      face.area += edgeArea(bulgeSegment({p.x, p.y}, {q.x, q.y}, sides[cycle[k]].forward ? bulge : -bulge, 0), origin);
    }
    if (!(face.area > kTolerance * kTolerance)) continue;
    faces.push_back(std::move(face));
  }
  // An edge can be the lowest of the two faces it bounds: its forward side's face first.
  std::sort(faces.begin(), faces.end(), [](const Face& x, const Face& y) {
    const FaceSide &p = x.sides.front(), &q = y.sides.front();
    return p.edge < q.edge || (p.edge == q.edge && p.forward && !q.forward);
  });
  return faces;
}

}  // namespace hostimpl::geometry
