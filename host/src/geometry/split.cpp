// Choosing where to cut a curve: requests measured along the curve are
// sorted, merged within the tolerance and kept off the ends of open curves.
// The curve classes turn the result back into pieces (db/entities/).
#include <algorithm>
#include <cmath>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

std::vector<CutRequest> interiorCuts(const std::vector<CutRequest>& requests, double length,
                                     bool closed, double startParam) {
  std::vector<CutRequest> kept;
  for (CutRequest r : requests) {
    if (!std::isfinite(r.param) || !std::isfinite(r.along)) continue;
    if (r.along < -kTolerance || r.along > length + kTolerance) continue;
    bool atStart = r.along <= kTolerance, atEnd = r.along >= length - kTolerance;
    if (!closed && (atStart || atEnd)) continue;
    // On a closed curve the end is the start again.
    if (closed && (atStart || atEnd)) r = {startParam, 0};
    kept.push_back(r);
  }
  std::stable_sort(kept.begin(), kept.end(),
                   [](const CutRequest& a, const CutRequest& b) { return a.along < b.along; });
  std::vector<CutRequest> cuts;
  for (const CutRequest& r : kept)
    if (cuts.empty() || r.along - cuts.back().along > kTolerance) cuts.push_back(r);
  // A closed curve's last cut may lie within the tolerance of its first, across the start.
  if (closed && cuts.size() > 1 && cuts.front().along + length - cuts.back().along <= kTolerance)
    cuts.pop_back();
  return cuts;
}

}  // namespace hostimpl::geometry
