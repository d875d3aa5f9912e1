// A uniform grid over points (the start points of lines), to find the lines
// that may be collinear with a given one without looking at all of them.
//
// Contract: nearLine(line, out) holds, in ascending index order and without
// repeats, every registered point p for which clearlyOff(line, p) is false
// (and possibly others). The points do not move after build().
#pragma once

#include <cstdint>
#include <vector>

#include "entityops/LineMath.h"

namespace entityops {

class PointGrid {
 public:
  // Registers points[i] for every i with present[i].
  void build(const std::vector<AcGePoint3d>& points, const std::vector<bool>& present);
  void nearLine(const LineThrough& line, std::vector<int>& out) const;

 private:
  int column(double x) const;
  int row(double y) const;
  // Collects the points of the cells that the box covers.
  void collect(double x0, double y0, double x1, double y1, std::vector<int>& out) const;
  void everyPoint(std::vector<int>& out) const;

  double originX_ = 0, originY_ = 0, farX_ = 0, farY_ = 0, cellSize_ = 1;
  int columns_ = 1, rows_ = 1;
  std::vector<std::vector<int>> cells_;
  std::vector<int> everywhere_;  // points with a not-a-number coordinate
  std::vector<bool> present_;
  mutable std::vector<std::uint32_t> seen_;
  mutable std::uint32_t stamp_ = 0;
};

}  // namespace entityops
