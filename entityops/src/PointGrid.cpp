// The point grid. A query walks the infinite line across the grid's box in
// steps of one cell; each step looks at the cells of the step's box grown by
// how far off the line a point may be there and still not be clearly off:
// the margin m near the segment and, at a distance t along the line from its
// start, m * t / (length - m) beyond it (clearlyOff allows m * reach / length
// with reach at most t plus that offset). Every point of the box projects
// onto the line between the projections of the box's corners, so the walk
// covers them all.
#include "entityops/PointGrid.h"

#include <algorithm>
#include <cmath>

namespace entityops {

namespace {

constexpr int kMaxCellsPerSide = 2048;

int cellIndex(double v, double origin, double size, int count) {
  const double at = std::floor((v - origin) / size);
  if (!(at > 0)) return 0;
  return at >= count - 1 ? count - 1 : static_cast<int>(at);
}

bool hasNaN(const AcGePoint3d& p) { return std::isnan(p.x) || std::isnan(p.y); }

}  // namespace

void PointGrid::build(const std::vector<AcGePoint3d>& points, const std::vector<bool>& present) {
  present_ = present;
  seen_.assign(points.size(), 0);
  stamp_ = 0;
  everywhere_.clear();
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  int count = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    if (!present[i] || hasNaN(points[i])) continue;
    x0 = std::min(x0, points[i].x), x1 = std::max(x1, points[i].x);
    y0 = std::min(y0, points[i].y), y1 = std::max(y1, points[i].y);
    ++count;
  }
  if (count == 0 || !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0)) {
    // Nothing to place, or coordinates too far apart for cells: one cell.
    x0 = y0 = 0, x1 = y1 = 1;
  }
  const double width = std::max(x1 - x0, 1e-9), height = std::max(y1 - y0, 1e-9);
  cellSize_ = std::max({std::sqrt(width * height / std::max(count, 1)),
                        width / kMaxCellsPerSide, height / kMaxCellsPerSide});
  originX_ = x0, originY_ = y0, farX_ = x1, farY_ = y1;
  columns_ = std::clamp(static_cast<int>(std::ceil(width / cellSize_)), 1, kMaxCellsPerSide);
  rows_ = std::clamp(static_cast<int>(std::ceil(height / cellSize_)), 1, kMaxCellsPerSide);
  cells_.assign(static_cast<size_t>(columns_) * rows_, {});
  for (size_t i = 0; i < points.size(); ++i) {
    if (!present[i]) continue;
    if (hasNaN(points[i]))
      everywhere_.push_back(static_cast<int>(i));
    else
      cells_[static_cast<size_t>(row(points[i].y)) * columns_ + column(points[i].x)].push_back(
          static_cast<int>(i));
  }
}

int PointGrid::column(double x) const { return cellIndex(x, originX_, cellSize_, columns_); }
int PointGrid::row(double y) const { return cellIndex(y, originY_, cellSize_, rows_); }

void PointGrid::collect(double x0, double y0, double x1, double y1, std::vector<int>& out) const {
  const int c0 = column(x0), c1 = column(x1), r0 = row(y0), r1 = row(y1);
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      for (int i : cells_[static_cast<size_t>(r) * columns_ + c])
        if (seen_[i] != stamp_) seen_[i] = stamp_, out.push_back(i);
}

void PointGrid::everyPoint(std::vector<int>& out) const {
  for (size_t i = 0; i < present_.size(); ++i)
    if (present_[i] && seen_[i] != stamp_) out.push_back(static_cast<int>(i));
}

void PointGrid::nearLine(const LineThrough& line, std::vector<int>& out) const {
  out.clear();
  if (++stamp_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  for (int i : everywhere_) seen_[i] = stamp_, out.push_back(i);
  const double m = screenMargin();
  const AcGePoint3d& o = line.origin;
  // A segment of about no length is clearly off nothing; nor is anything
  // when the walk cannot be made.
  if (!(line.length > 2 * m) || hasNaN(o) || !std::isfinite(o.x) || !std::isfinite(o.y)) {
    everyPoint(out);
    std::sort(out.begin(), out.end());
    return;
  }
  auto along = [&](double x, double y) { return (x - o.x) * line.ux + (y - o.y) * line.uy; };
  const double corners[4] = {along(originX_, originY_), along(farX_, originY_),
                             along(originX_, farY_), along(farX_, farY_)};
  const double t0 = *std::min_element(corners, corners + 4) - cellSize_;
  const double t1 = *std::max_element(corners, corners + 4) + cellSize_;
  // Slack on the allowed offset for rounding in clearlyOff.
  auto allowed = [&](double t) {
    return 1.001 * m * std::max(1.0, std::fabs(t) / (line.length - m)) + 1e-12;
  };
  const double step = cellSize_;
  const long long steps = static_cast<long long>(std::ceil((t1 - t0) / step));
  for (long long k = 0; k < steps; ++k) {
    const double a = t0 + k * step, b = std::min(t1, a + step);
    const double w = allowed(std::max(std::fabs(a), std::fabs(b)));
    const double ax = o.x + a * line.ux, ay = o.y + a * line.uy;
    const double bx = o.x + b * line.ux, by = o.y + b * line.uy;
    collect(std::min(ax, bx) - w, std::min(ay, by) - w, std::max(ax, bx) + w,
            std::max(ay, by) + w, out);
  }
  std::sort(out.begin(), out.end());
}

}  // namespace entityops
