// Closed loops from point chains: each chain is taken in turn and grown at
// its end by any unused chain that starts or ends there, until it closes or
// nothing fits. Greedy and order-dependent; it finds the loops of simple
// outlines, not the faces of a network of crossing curves.
#include <algorithm>
#include <cmath>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

std::vector<AcGePoint3d> flatten(const Prim& p) {
  if (p.kind == Prim::kSegment) return {p.a, p.b};
  std::vector<AcGePoint3d> points;
  if (p.kind != Prim::kArc) return points;
  int steps = std::max(4, static_cast<int>((p.end - p.start) / (kPi / 32)));
  for (int i = 0; i <= steps; ++i) points.push_back(polar(p.center, p.radius, p.start + (p.end - p.start) * i / steps));
  return points;
}

std::vector<std::vector<AcGePoint3d>> closedLoops(
    const std::vector<std::vector<AcGePoint3d>>& chains) {
  std::vector<std::vector<AcGePoint3d>> loops;
  std::vector<bool> used(chains.size(), false);
  for (size_t i = 0; i < chains.size(); ++i) {
    if (used[i] || chains[i].size() < 2) continue;
    std::vector<AcGePoint3d> loop = chains[i];
    used[i] = true;
    bool grew = true;
    while (!samePoint(loop.front(), loop.back()) && grew) {
      grew = false;
      for (size_t j = 0; j < chains.size() && !grew; ++j) {
        const auto& c = chains[j];
        if (used[j] || c.size() < 2) continue;
        if (samePoint(loop.back(), c.front())) {
          loop.insert(loop.end(), c.begin() + 1, c.end());
        } else if (samePoint(loop.back(), c.back())) {
          loop.insert(loop.end(), c.rbegin() + 1, c.rend());
        } else {
          continue;
        }
        used[j] = grew = true;
      }
    }
    if (loop.size() < 4 || !samePoint(loop.front(), loop.back())) continue;
    loop.pop_back();
    loops.push_back(std::move(loop));
  }
  return loops;
}

}  // namespace hostimpl::geometry
