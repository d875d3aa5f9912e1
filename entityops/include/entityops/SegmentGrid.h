// A uniform grid over the boxes of a list of segments, to find the segments
// that may cross a given one without looking at all of them.
//
// Contract: candidates(q) holds, in ascending index order and without
// repeats, every registered segment s for which clearlyApart(q, s) is false
// (and possibly others). That holds however far segments reach outside the
// grid's box: coordinates beyond it fall into the border cells, and cell
// indices grow with the coordinate, so boxes that meet share a cell. A
// segment with a not-a-number end has no box; it is in every answer, and a
// query with one gets every segment.
//
// The grid is sized once, from the segments given to build(); move() keeps
// it current when a segment changes. Cells are about as many as segments.
#pragma once

#include <cstdint>
#include <vector>

#include "entityops/LineMath.h"

namespace entityops {

class SegmentGrid {
 public:
  // Registers segments[i] for every i with present[i].
  void build(const std::vector<Segment>& segments, const std::vector<bool>& present);
  // Segment i (registered) now has these ends.
  void move(int i, const Segment& now);
  // Segments whose box may lie within screenMargin() of q's box.
  void candidates(const Segment& q, std::vector<int>& out) const;

 private:
  struct CellRange {
    int x0, y0, x1, y1;
  };
  CellRange cellsOf(const Segment& s, double grow) const;
  int column(double x) const;
  int row(double y) const;
  static bool hasNaN(const Segment& s);
  void place(int i, const Segment& s);
  void add(int i, const CellRange& r);
  void remove(int i, const CellRange& r);

  double originX_ = 0, originY_ = 0, cellSize_ = 1;
  int columns_ = 1, rows_ = 1;
  std::vector<std::vector<int>> cells_;
  std::vector<CellRange> registered_;  // the cells of each segment
  std::vector<bool> present_;
  std::vector<int> everywhere_;  // segments with a not-a-number end: in every answer
  mutable std::vector<std::uint32_t> seen_;  // query stamps, one per segment
  mutable std::uint32_t stamp_ = 0;
};

}  // namespace entityops
