// The part of the entity operations that needs no drawing: tests on points
// and windows, choosing among points, the joining rule's farthest pair, the
// screening that spares the host questions whose answer is already known,
// and the coordinate echo of the beam-lines command.
//
// Points are the host interface's value type (header-only); nothing here
// calls the host. Every geometric answer the commands act on still comes from
// the host: the screens below only say when the host would certainly report
// nothing, with a margin far above the host's tolerance.
#pragma once

#include <string>
#include <utility>

#include "hostapi/geometry.h"

namespace entityops {

// Is p in the axis-aligned rectangle of the two corners, bounds included?
// z is ignored; a not-a-number coordinate gives false.
bool isInWindow(const AcGePoint3d& p, const AcGePoint3d& corner1, const AcGePoint3d& corner2);

// The point of a non-empty list nearest to (farthest from) the reference;
// ties go to the earliest point, and when every distance is 0 farthestPoint
// gives the first.
AcGePoint3d nearestPoint(const AcGePoint3dArray& points, const AcGePoint3d& reference);
AcGePoint3d farthestPoint(const AcGePoint3dArray& points, const AcGePoint3d& reference);

// The joining rule: of the pairs (0,1), (0,2), (0,3), (1,2), (1,3), (2,3) of
// the four endpoints (start of A, end of A, start of B, end of B), the first
// whose distance is strictly greater than every earlier one (from 0). When
// every endpoint coincides, no pair qualifies and (0, 1) is given.
std::pair<int, int> farthestPair(const AcGePoint3d (&ends)[4]);

// Does p lie beyond `from` in the direction of `toward` (strictly)?
bool onSideOf(const AcGePoint3d& p, const AcGePoint3d& from, const AcGePoint3d& toward);

// A line's two ends, as read once for a phase of a command.
struct Segment {
  AcGePoint3d start, end;
};

// The margin of the screens: far above the host's one tolerance.
inline double screenMargin() { return 1000 * AcGeContext::gTol.equalPoint; }

// Are the boxes of two segments farther apart than the margin? Then the
// host finds no crossing of the two as drawn.
bool clearlyApart(const Segment& a, const Segment& b);

// The infinite line through a segment, made ready for many clearlyOff
// questions.
struct LineThrough {
  explicit LineThrough(const Segment& a);
  AcGePoint3d origin;
  double ux = 0, uy = 0, length = 0;
};

// Is p so far off the line that the host's collinearity questions about the
// segment and a line starting at p have the answer "no"? That takes p off
// the line by more than the margin, and, when p lies farther from the
// segment's start than the segment is long, by more than the margin times
// that ratio: the host calls two lines parallel when the shorter one turns
// away by at most its tolerance over its length, so a line from the start to
// a far p is parallel to a short segment sooner. Never for a segment of about
// no length.
bool clearlyOff(const LineThrough& line, const AcGePoint3d& p);
inline bool clearlyNotCollinear(const Segment& a, const Segment& b) {
  return clearlyOff(LineThrough(a), b.start);
}

// x as printf's "%f" writes it, except that a value exactly halfway between
// two sixth decimals goes away from zero (the C library here goes to even).
std::string fixedSix(double x);

}  // namespace entityops
