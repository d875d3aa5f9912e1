// The host's plane geometry: the one tolerance, angles, bulged segments, the
// primitives every entity is drawn with, and the geometric steps built on
// them (intersections, cuts along a curve, closed loops, the spatial index).
//
// Nothing here knows the drawing database: inputs are points, primitives and
// boxes, so each step is tested on its own. The database turns entities into
// primitives (db/drawn_primitives.cpp) and calls these steps.
//
// Conventions and invariants:
//   - Work is in the XY plane; a point found on a segment takes the segment's z,
//     one found on two arcs the first arc's.
//   - Angles are radians. An arc primitive runs counter-clockwise from start
//     to end with 0 <= start < 2 pi and start < end <= start + 2 pi; a full
//     circle has end == start + 2 pi.
//   - kTolerance is the host's one tolerance, in drawing units and absolute.
//     Every geometric decision uses it and nothing else: two points are the
//     same point when they are at most kTolerance apart; a point is on a
//     curve when it is at most kTolerance from it; a cut is at a curve's end
//     when it is at most kTolerance along the curve from it; two lines are
//     parallel when the shorter one turns away from the other's direction by
//     at most kTolerance over its length. Decisions on arcs measure along the
//     arc (an angle of kTolerance / radius).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostapi/geometry.h"

namespace hostimpl::geometry {

// One micrometre in millimetre drawings: far below what a drawing means,
// far above what double arithmetic loses on coordinates up to 1e8. The
// interface's default point tolerance (AcGeTol) is the same value.
inline constexpr double kTolerance = AcGeTol{}.equalPoint;
inline constexpr double kPi = 3.14159265358979323846;

// --- points and angles -------------------------------------------------------

// a reduced to [0, 2 pi).
double normAngle(double a);
// Counter-clockwise sweep from start to end, in (0, 2 pi].
double sweep(double start, double end);
AcGePoint3d polar(const AcGePoint3d& center, double radius, double angle);
// XY distance.
double planarDistance(const AcGePoint3d& a, const AcGePoint3d& b);
// At most kTolerance apart in the XY plane.
bool samePoint(const AcGePoint3d& a, const AcGePoint3d& b);
// The angle that kTolerance spans on a circle of this radius (pi for tiny radii).
double angularTolerance(double radius);
// Is angle a on the counter-clockwise arc from start to end, allowing
// angleTolerance beyond either end? A sweep within angleTolerance of 2 pi is
// the full circle.
bool angleOnArc(double a, double start, double end, double angleTolerance);
// Uniform scale of a transformation in the XY plane (square root of |det|),
// and whether it mirrors.
double planarScale(const AcGeMatrix3d& m, bool& mirrored);
// The direction `angle` takes under m.
double transformedAngle(const AcGeMatrix3d& m, double angle);
// Distance from p to the segment a-b.
double pointSegmentDistance(const AcGePoint3d& p, const AcGePoint3d& a, const AcGePoint3d& b);

// --- bulged segments -----------------------------------------------------------

// A segment of a lightweight polyline: straight, or an arc given by the
// bulge (tan of a quarter of the included angle, positive counter-clockwise).
// A bulge whose arc rises at most kTolerance from its chord is straight.
struct BulgeSegment {
  bool isArc = false;
  AcGePoint3d a, b, center;
  double radius = 0, start = 0, sweepAngle = 0;  // start angle at a; signed sweep from a to b
};
BulgeSegment bulgeSegment(const AcGePoint2d& p0, const AcGePoint2d& p1, double bulge, double z);
// The point at fraction t (0 at a, 1 at b), by chord for straight segments
// and by angle for arcs.
AcGePoint3d pointAt(const BulgeSegment& s, double t);
double segmentLength(const BulgeSegment& s);
// Fraction of the point of s nearest to p, and its distance to p.
double nearestFraction(const BulgeSegment& s, const AcGePoint3d& p, double& dist);

// --- primitives ---------------------------------------------------------------------

// What entities are drawn with: segments, arcs, points and text boxes.
struct Prim {
  enum Kind { kSegment, kArc, kPoint, kBox } kind = kPoint;
  AcGePoint3d a, b;                        // segment ends; the point in a; arc ends
  AcGePoint3d center;                      // arc
  double radius = 0, start = 0, end = 0;   // arc, see the conventions above
  AcGePoint3d box[4];                      // text box corners, in order round the box
};
Prim segmentPrim(const AcGePoint3d& a, const AcGePoint3d& b);
Prim pointPrim(const AcGePoint3d& p);
// The counter-clockwise arc start..end of a circle under m (a uniform scale
// is assumed: the radius scales by the square root of the XY determinant).
Prim arcPrim(const AcGeMatrix3d& m, const AcGePoint3d& center, double radius, double start,
             double end);
Prim boxPrim(const AcGeMatrix3d& m, const AcGePoint3d corners[4]);
// The primitive of a polyline segment under m.
Prim bulgePrim(const AcGeMatrix3d& m, const BulgeSegment& s);

// An axis-aligned box in the XY plane; empty when minX > maxX.
struct Box {
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  bool isEmpty() const { return !(minX <= maxX && minY <= maxY); }
  void add(const AcGePoint3d& p);
  void add(const Box& b);
  // Bounds included.
  bool meets(const Box& b) const {
    return !isEmpty() && !b.isEmpty() && minX <= b.maxX && b.minX <= maxX && minY <= b.maxY &&
           b.minY <= maxY;
  }
  bool inside(const Box& b) const {
    return !isEmpty() && minX >= b.minX && maxX <= b.maxX && minY >= b.minY && maxY <= b.maxY;
  }
  // The box grown by d on every side.
  Box grown(double d) const { return isEmpty() ? *this : Box{minX - d, minY - d, maxX + d, maxY + d}; }
  bool operator==(const Box&) const = default;
};
// The bounding box of a box's corners under m.
Box transformedBox(const Box& b, const AcGeMatrix3d& m);
// The points whose bounding box is the primitive's: its ends, an arc's
// quadrant points, a box's corners. Returns how many (at most 6).
int boundingPoints(const Prim& p, AcGePoint3d out[6]);
// Calls visit(point) with the bounding points of every primitive.
template <typename Visit>
void forEachBoundingPoint(const std::vector<Prim>& prims, Visit&& visit) {
  AcGePoint3d points[6];
  for (const Prim& p : prims)
    for (int i = 0, n = boundingPoints(p, points); i < n; ++i) visit(points[i]);
}
Box extentsOf(const std::vector<Prim>& prims);

// Distance from pt to the primitive (0 inside a text box).
double primDistance(const Prim& p, const AcGePoint3d& pt);
// Does the primitive meet the rectangle x0..x1, y0..y1 (edges and inside)?
bool primCrossesRect(const Prim& p, double x0, double y0, double x1, double y1);
// Does the primitive meet the segment a-b (touching within kTolerance counts)?
bool primCrossesSegment(const Prim& p, const AcGePoint3d& a, const AcGePoint3d& b);

// --- intersections ------------------------------------------------------------------

// Appends the points where a and b meet to out, each point once (a point
// within kTolerance of one already in out is not added again). Only segments
// and arcs meet anything. extendA / extendB take a segment as its infinite
// line and an arc as its full circle. Touching at an end or tangent counts;
// parallel segments (collinear ones included), a degenerate segment, and
// arcs of one circle give no point.
void intersect(const Prim& a, const Prim& b, bool extendA, bool extendB, AcGePoint3dArray& out);
// Appends p unless out already holds the same point.
void appendUnique(AcGePoint3dArray& out, const AcGePoint3d& p);

// --- cuts along a curve --------------------------------------------------------------

// A requested cut: its curve parameter and its distance along the curve.
struct CutRequest {
  double param = 0;
  double along = 0;
};
// Where to cut a curve of the given length, in order along it: requests off
// the curve (more than kTolerance before its start or beyond its end) or not
// finite are dropped, and requests within kTolerance of each other along the
// curve are one cut (the one nearest the start). On an open curve cuts within
// kTolerance of either end are dropped; on a closed curve a cut at either
// end is a cut at the start (startParam, along 0).
std::vector<CutRequest> interiorCuts(const std::vector<CutRequest>& requests, double length,
                                     bool closed, double startParam = 0);

// --- closed loops -------------------------------------------------------------------------

// The points of a primitive from its start to its end, arcs as chords of at
// most pi / 32.
std::vector<AcGePoint3d> flatten(const Prim& p);
// Joins point chains end to end (either way round, ends matching within
// kTolerance) into closed loops, in the order the chains are given. A loop
// keeps each corner once (the closing point is not repeated); chains that
// close no loop of at least three corners are left out.
std::vector<std::vector<AcGePoint3d>> closedLoops(const std::vector<std::vector<AcGePoint3d>>& chains);

// --- faces of a planar graph (faces.cpp) -------------------------------------------------

// An edge of a planar graph: a line (bulge 0) or an arc from a to b, as a
// segment of a lightweight polyline. z is ignored.
struct PlaneEdge {
  AcGePoint3d a, b;
  double bulge = 0;
};
// The signed area that the edge adds to a loop it runs along: the chord's
// share of the shoelace sum taken about `origin` (a point of the loop, so
// that far-out coordinates keep their precision) plus the area between chord
// and arc (positive for an arc bulging to the right of its direction, i.e.
// counter-clockwise).
double edgeArea(const BulgeSegment& s, const AcGePoint3d& origin);

// Edges that run through an end of another edge (within kTolerance of it, away from their own
// ends) are split there, the new ends put exactly on that end; so edges that overlap along a
// line or a circle come to share their nodes, and the parts drawn twice are then edges between
// the same nodes. Returns the edges in order, each split one by its pieces in its direction,
// and in `origin` the index of the edge each came from. O(n log n) plus the ends found.
std::vector<PlaneEdge> splitAtEnds(const std::vector<PlaneEdge>& edges, std::vector<int>& origin);

// Ends of edges that lie within kTolerance of each other, directly or
// through a chain of such ends, are one node. Returns, for end k (2i the
// start of edge i, 2i+1 its end), its node, and in nodePoints[n] the node's
// first end (the lowest k). Nodes are numbered along the plane (cell by cell
// of twice kTolerance), so that nodes near each other have numbers near each
// other. O(n log n) for ends spread over the plane.
std::vector<int> nodeEnds(const std::vector<PlaneEdge>& edges, std::vector<AcGePoint3d>& nodePoints);

// One side of an edge on a face's boundary.
struct FaceSide {
  int edge;
  bool forward;  // run from a to b
};
struct Face {
  std::vector<FaceSide> sides;      // counter-clockwise, starting at the lowest edge index
  std::vector<AcGePoint3d> corners;  // the node each side leaves from
  double area = 0;                   // > 0, of the loop through the corners
};
// The bounded faces of the graph the edges form once their ends are noded:
//  - a straight edge whose ends are one node is no edge; an arc whose ends
//    are one node is dropped as well (a closed curve comes as two or more
//    edges); an edge between the same nodes as an earlier one whose middle
//    lies within kTolerance of that one's is the same edge drawn again and is
//    dropped;
//  - the sides of each node are ordered by the direction in which they leave
//    it, and sides leaving in one direction by their curvature there;
//  - walking each side to the next one clockwise round the node it reaches
//    traces every face once, bounded faces counter-clockwise;
//  - an edge with the same face on both sides (dangling, or a bridge between
//    faces) bounds nothing and is left out;
//  - every counter-clockwise cycle of positive area is a face; a face inside
//    another is a face of its own and is not taken out of the outer one.
// Faces are ordered by their lowest edge index. O(n log n).
std::vector<Face> boundedFaces(const std::vector<PlaneEdge>& edges);

// --- spatial index --------------------------------------------------------------------

// Boxes of the entities of one block, keyed by the entity's position in the
// block's entity list. An R-tree: a query costs about log n plus the hits.
// Invariant: each key is in the index at most once, with the box it was
// inserted with; callers remove a key with that same box.
class SpatialIndex {
 public:
  SpatialIndex();
  ~SpatialIndex();
  SpatialIndex(SpatialIndex&&) noexcept;
  SpatialIndex& operator=(SpatialIndex&&) noexcept;

  // Replaces the whole content (packed: faster than inserting one by one).
  void assign(const std::vector<std::pair<Box, std::uint32_t>>& entries);
  void insert(const Box& box, std::uint32_t key);
  // False when (box, key) is not in the index.
  bool remove(const Box& box, std::uint32_t key);
  // Appends the keys of the boxes that meet `query` (bounds included), in
  // increasing key order, to out.
  void query(const Box& query, std::vector<std::uint32_t>& out) const;
  std::size_t size() const;
  // The box around everything in the index (empty when it is empty).
  Box bounds() const;

 private:
  struct Tree;
  std::unique_ptr<Tree> tree_;
};

// --- outlines of kept entities (kept_outlines.cpp) ----------------------------

// Entities of kinds the host keeps without modelling them carry their file groups: a code and
// the value's text. keptOutlines samples what they look like:
//   - ELLIPSE: its arc from start to end parameter (41, 42), about every 6 degrees; centre 10,
//     major axis 11 (relative to the centre), ratio 40;
//   - SPLINE: the B-spline of degree 71 over knots 40, control points 10 and weights 41 (its
//     fit points 11 when it has no control points), 32 samples a span;
//   - HATCH: each boundary path, closed and filled: polyline paths with their bulges, and
//     edge paths of lines, circular arcs and elliptic arcs (spline edges by their control
//     points);
//   - SOLID and TRACE: the polygon 10, 11, 13, 12 (their third and fourth corners are crossed),
//     filled; 3DFACE: 10, 11, 12, 13, not filled;
//   - LEADER: the path of its vertices 10; MLINE: that of its vertices 11;
//   - IMAGE and WIPEOUT: the frame from the insertion point 10 along the pixel vectors 11 and
//     12 for the size in pixels 13;
//   - POLYLINE (3-D polylines and meshes, with their vertices behind (0, "VERTEX") groups): a
//     3-D polyline's path, each face of a polyface mesh, the rows and columns of a polygon mesh;
//   - XLINE and RAY: nothing (they have no ends); DIMENSION: nothing (its block draws it).
// Malformed groups give fewer outlines, never an error. Points with the same x and y as the
// one before are dropped.
struct KeptOutline {
  std::vector<AcGePoint3d> points;
  bool closed = false;
  bool filled = false;
};
using KeptGroups = std::vector<std::pair<int, std::string>>;
std::vector<KeptOutline> keptOutlines(std::string_view type, const KeptGroups& groups);
// The points that bound such an entity: those of its outlines, its base point (XLINE, RAY), or
// its definition points 10, 11, 13, 14, 15 (DIMENSION).
std::vector<AcGePoint3d> keptBoundingPoints(std::string_view type, const KeptGroups& groups);

}  // namespace hostimpl::geometry
