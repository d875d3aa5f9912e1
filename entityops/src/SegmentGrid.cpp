// The segment grid: square cells, their size chosen so that there are about
// as many cells as segments over the box of all segments, capped in each
// direction. A segment is listed in every cell its box covers; a query
// collects the cells its box, grown by the screens' margin, covers.
#include "entityops/SegmentGrid.h"

#include <algorithm>
#include <cmath>

namespace entityops {

namespace {

constexpr int kMaxCellsPerSide = 2048;

double lowX(const Segment& s) { return std::min(s.start.x, s.end.x); }
double highX(const Segment& s) { return std::max(s.start.x, s.end.x); }
double lowY(const Segment& s) { return std::min(s.start.y, s.end.y); }
double highY(const Segment& s) { return std::max(s.start.y, s.end.y); }

// Index of the cell holding v along one axis; not-a-number goes to cell 0.
int cellIndex(double v, double origin, double size, int count) {
  const double at = std::floor((v - origin) / size);
  if (!(at > 0)) return 0;
  return at >= count - 1 ? count - 1 : static_cast<int>(at);
}

}  // namespace

void SegmentGrid::build(const std::vector<Segment>& segments, const std::vector<bool>& present) {
  present_ = present;
  registered_.assign(segments.size(), CellRange{0, 0, -1, -1});
  seen_.assign(segments.size(), 0);
  stamp_ = 0;
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  int count = 0;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (!present[i]) continue;
    const Segment& s = segments[i];
    // Far-out or broken coordinates would only stretch the grid: they go to
    // the border cells instead.
    if (!(std::fabs(lowX(s)) < 1e15 && std::fabs(highX(s)) < 1e15 &&
          std::fabs(lowY(s)) < 1e15 && std::fabs(highY(s)) < 1e15))
      continue;
    x0 = std::min(x0, lowX(s)), x1 = std::max(x1, highX(s));
    y0 = std::min(y0, lowY(s)), y1 = std::max(y1, highY(s));
    ++count;
  }
  if (count == 0) x0 = y0 = 0, x1 = y1 = 1;
  const double width = std::max(x1 - x0, 1e-9), height = std::max(y1 - y0, 1e-9);
  cellSize_ = std::max({std::sqrt(width * height / std::max(count, 1)),
                        width / kMaxCellsPerSide, height / kMaxCellsPerSide});
  originX_ = x0, originY_ = y0;
  columns_ = std::clamp(static_cast<int>(std::ceil(width / cellSize_)), 1, kMaxCellsPerSide);
  rows_ = std::clamp(static_cast<int>(std::ceil(height / cellSize_)), 1, kMaxCellsPerSide);
  cells_.assign(static_cast<size_t>(columns_) * rows_, {});
  everywhere_.clear();
  for (size_t i = 0; i < segments.size(); ++i)
    if (present[i]) place(static_cast<int>(i), segments[i]);
}

bool SegmentGrid::hasNaN(const Segment& s) {
  return std::isnan(s.start.x) || std::isnan(s.start.y) || std::isnan(s.end.x) ||
         std::isnan(s.end.y);
}

void SegmentGrid::place(int i, const Segment& s) {
  if (hasNaN(s)) {
    registered_[i] = CellRange{0, 0, -1, -1};
    everywhere_.push_back(i);
    return;
  }
  add(i, registered_[i] = cellsOf(s, 0));
}

int SegmentGrid::column(double x) const { return cellIndex(x, originX_, cellSize_, columns_); }
int SegmentGrid::row(double y) const { return cellIndex(y, originY_, cellSize_, rows_); }

SegmentGrid::CellRange SegmentGrid::cellsOf(const Segment& s, double grow) const {
  return {column(lowX(s) - grow), row(lowY(s) - grow), column(highX(s) + grow),
          row(highY(s) + grow)};
}

void SegmentGrid::add(int i, const CellRange& r) {
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x) cells_[static_cast<size_t>(y) * columns_ + x].push_back(i);
}

void SegmentGrid::remove(int i, const CellRange& r) {
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x) {
      std::vector<int>& cell = cells_[static_cast<size_t>(y) * columns_ + x];
      cell.erase(std::find(cell.begin(), cell.end(), i));
    }
}

void SegmentGrid::move(int i, const Segment& now) {
  if (!present_[i]) return;
  remove(i, registered_[i]);
  everywhere_.erase(std::remove(everywhere_.begin(), everywhere_.end(), i), everywhere_.end());
  place(i, now);
}

void SegmentGrid::candidates(const Segment& q, std::vector<int>& out) const {
  out.clear();
  if (++stamp_ == 0) {  // the stamps wrapped round: start them afresh
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  for (int i : everywhere_) seen_[i] = stamp_, out.push_back(i);
  if (hasNaN(q)) {  // no box to look in: every segment
    for (size_t i = 0; i < present_.size(); ++i)
      if (present_[i] && seen_[i] != stamp_) out.push_back(static_cast<int>(i));
    std::sort(out.begin(), out.end());
    return;
  }
  const CellRange r = cellsOf(q, screenMargin());
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x)
      for (int i : cells_[static_cast<size_t>(y) * columns_ + x])
        if (seen_[i] != stamp_) seen_[i] = stamp_, out.push_back(i);
  std::sort(out.begin(), out.end());
}

}  // namespace entityops
