// Faces of a planar graph of lines and arcs, as a polygonizer finds them.
//
// 1. Noding: the ends are sorted by x and each is compared with the ends
//    that follow it within kTolerance in x; ends within kTolerance of each
//    other join one node (union-find), so a node is a chain of close ends.
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

// Traces the cycles of the sides that are in use; returns the cycle of each side.
std::vector<int> traceCycles(const std::vector<Side>& sides, const std::vector<bool>& used,
                             int nodeCount, std::vector<std::vector<int>>& cycles) {
  std::vector<std::vector<int>> round(nodeCount);
  for (size_t i = 0; i < sides.size(); ++i)
    if (used[i]) round[sides[i].from].push_back(static_cast<int>(i));
  std::vector<int> position(sides.size(), -1);
  for (auto& ids : round) {
    orderRound(sides, ids);
    for (size_t k = 0; k < ids.size(); ++k) position[ids[k]] = static_cast<int>(k);
  }
  std::vector<int> cycleOf(sides.size(), -1);
  cycles.clear();
  for (size_t start = 0; start < sides.size(); ++start) {
    if (!used[start] || cycleOf[start] >= 0) continue;
    std::vector<int> cycle;
    for (int h = static_cast<int>(start); cycleOf[h] < 0;) {
      cycleOf[h] = static_cast<int>(cycles.size());
      cycle.push_back(h);
      const int twin = h ^ 1;  // sides 2e and 2e+1 are the two sides of edge e
      const std::vector<int>& ids = round[sides[h].to];
      h = ids[(position[twin] + ids.size() - 1) % ids.size()];
    }
    cycles.push_back(std::move(cycle));
  }
  return cycleOf;
}

}  // namespace

double edgeArea(const BulgeSegment& s, const AcGePoint3d& o) {
  double area = ((s.a.x - o.x) * (s.b.y - o.y) - (s.b.x - o.x) * (s.a.y - o.y)) / 2;
  if (s.isArc) area += s.radius * s.radius * (s.sweepAngle - std::sin(s.sweepAngle)) / 2;
  return area;
}

std::vector<int> nodeEnds(const std::vector<PlaneEdge>& edges, std::vector<AcGePoint3d>& nodePoints) {
  const int ends = static_cast<int>(edges.size() * 2);
  auto endPoint = [&](int k) -> const AcGePoint3d& { return k % 2 ? edges[k / 2].b : edges[k / 2].a; };
  std::vector<int> order(ends);
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int x, int y) {
    const double ax = endPoint(x).x, bx = endPoint(y).x;
    return ax < bx || (ax == bx && x < y);
  });
  std::vector<int> parent(ends);
  std::iota(parent.begin(), parent.end(), 0);
  for (int i = 0; i < ends; ++i)
    for (int j = i + 1; j < ends && endPoint(order[j]).x - endPoint(order[i]).x <= kTolerance; ++j)
      if (samePoint(endPoint(order[i]), endPoint(order[j]))) {
        const int a = findRoot(parent, order[i]), b = findRoot(parent, order[j]);
        parent[std::max(a, b)] = std::min(a, b);  // the root is the cluster's first end
      }
  std::vector<int> node(ends, -1), nodeOfRoot(ends, -1);
  nodePoints.clear();
  for (int k = 0; k < ends; ++k) {
    const int root = findRoot(parent, k);
    if (nodeOfRoot[root] < 0) {
      nodeOfRoot[root] = static_cast<int>(nodePoints.size());
      nodePoints.push_back(endPoint(root));
    }
    node[k] = nodeOfRoot[root];
  }
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
