// What commands working on lines build on, and so must not drift: the order
// of selection sets, what fences and windows take under a layer filter, the
// intersection rules for lines, and splits that find nothing to cut.
#include "fixture.h"

namespace hosttest {
namespace {

using Ids = std::vector<AcDbObjectId>;

// The outline of the box (-5,-5)..(5,5) as a closed fence of 2D points.
AcEdResBuf* boxFence() {
  const double a[2] = {-5, -5}, b[2] = {5, -5}, c[2] = {5, 5}, d[2] = {-5, 5};
  return acutBuildList(AcEd::kRtPoint2d, a, AcEd::kRtPoint2d, b, AcEd::kRtPoint2d, c,
                       AcEd::kRtPoint2d, d, AcEd::kRtPoint2d, a, 0);
}

class LineAnswers : public HostTest {
 protected:
  // Selects with a fence (p2 null) or a window, under the layer filter "BEAM*".
  AcEd::Status select(const char* mode, const void* p1, const void* p2, Ids& ids) {
    AcEdResBuf* filter = acutBuildList(8, "BEAM*", 0);
    AcEdName ss;
    AcEd::Status status = static_cast<AcEd::Status>(acedSSGet(mode, p1, p2, filter, ss));
    acutRelRb(filter);
    if (status == AcEd::kNormal) {
      ids = idsOfSet(ss);
      acedSSFree(ss);
    }
    return status;
  }
  Ids fence() {
    AcEdResBuf* outline = boxFence();
    Ids ids;
    select("F", outline, nullptr, ids);
    acutRelRb(outline);
    return ids;
  }
};

TEST_F(LineAnswers, SetsListEntitiesInDrawingOrder) {
  addLayer("BEAM_1");
  const AcDbObjectId third = addLine(-50, 3, 50, 3, "BEAM_1");
  const AcDbObjectId first = addLine(-50, 0, 50, 0, "BEAM_1");
  const AcDbObjectId gone = addLine(-50, 1, 50, 1, "BEAM_1");
  {
    Opened<AcDbEntity> e(gone, AcDb::kForWrite);
    e->erase();
  }
  const AcDbObjectId appended = addLine(0, -50, 0, 50, "BEAM_1");
  EXPECT_EQ(fence(), (Ids{third, first, appended}));
  // Added one by one, a set keeps the order of adding.
  AcEdName ss, ent;
  ASSERT_EQ(acedSSAdd(nullptr, nullptr, ss), AcEd::kNormal);
  for (AcDbObjectId id : {appended, third, first}) {
    acdbGetAdsName(ent, id);
    acedSSAdd(ent, ss, ss);
  }
  EXPECT_EQ(idsOfSet(ss), (Ids{appended, third, first}));
  acedSSFree(ss);
}

TEST_F(LineAnswers, FenceTakesEveryKindThatCrossesOrTouches) {
  addLayer("BEAM_1");
  const AcDbObjectId through = addLine(-50, 0, 50, 0, "BEAM_1");
  const AcDbObjectId touching = addLine(5, 0, 9, 0, "BEAM_1");       // ends on the right edge
  const AcDbObjectId corner = addLine(-9, -9, -5, -5, "BEAM_1");     // ends on a corner
  const AcDbObjectId text = addText(4, 4, "long enough", "BEAM_1");  // its box runs out
  addLine(-3, 0, 3, 0, "BEAM_1");                                    // inside, away from the edges
  addLine(6, 6, 9, 9, "BEAM_1");                                     // outside
  appendTo(ACDB_MODEL_SPACE, new AcDbCircle({0, 0, 0}, 5), "BEAM_1");  // on the edges' middles
  const Ids ids = fence();
  ASSERT_EQ(ids.size(), 5u);
  EXPECT_EQ((Ids{ids[0], ids[1], ids[2], ids[3]}), (Ids{through, touching, corner, text}));
}

TEST_F(LineAnswers, WindowTakesWhatLiesInsideBoundsIncluded) {
  addLayer("BEAM_1");
  const AcDbObjectId edge = addLine(-5, -5, 5, -5, "BEAM_1");
  const AcDbObjectId text = addText(-1, -1, "x", "BEAM_1", 1.0);
  addLine(-5, 0, 5.0001, 0, "BEAM_1");
  const AcEdPoint a = {5, 5, 0}, b = {-5, -5, 0};
  Ids ids;
  ASSERT_EQ(select("W", a, b, ids), AcEd::kNormal);
  EXPECT_EQ(ids, (Ids{edge, text}));
}

TEST_F(LineAnswers, LayerFilterMatchesNamesThatBeginWithBeamInAnyCase) {
  for (const char* name : {"beam_x", "BEAM\xC1\xBA", "XBEAM", "WALL", "BEAM"}) addLayer(name);
  const AcDbObjectId lower = addLine(-50, 0, 50, 0, "beam_x");
  const AcDbObjectId chinese = addLine(-50, 1, 50, 1, "BEAM\xC1\xBA");  // BEAM and a GBK character
  addLine(-50, 2, 50, 2, "XBEAM");
  addLine(-50, 3, 50, 3, "WALL");
  const AcDbObjectId bare = addLine(-50, 4, 50, 4, "BEAM");
  EXPECT_EQ(fence(), (Ids{lower, chinese, bare}));
}

TEST_F(LineAnswers, TwoDimensionalPointsTakeTwoCoordinates) {
  const double xy[2] = {3, 4};
  AcEdResBuf* rb = acutBuildList(AcEd::kRtPoint2d, xy, 0);
  ASSERT_NE(rb, nullptr);
  EXPECT_EQ(rb->value.point[0], 3);
  EXPECT_EQ(rb->value.point[1], 4);
  EXPECT_EQ(rb->value.point[2], 0);
  acutRelRb(rb);
}

TEST_F(LineAnswers, SelectingNothingIsAnError) {
  addLayer("WALL");
  addLine(-50, 0, 50, 0, "WALL");
  AcEdResBuf* outline = boxFence();
  Ids ids;
  EXPECT_EQ(select("F", outline, nullptr, ids), AcEd::kError);
  acutRelRb(outline);
  const AcEdPoint a = {-5, -5, 0}, b = {5, 5, 0};
  EXPECT_EQ(select("W", a, b, ids), AcEd::kError);
}

struct Ends {
  double x0, y0, x1, y1;
};

// The points the host reports for line a against line b in a mode.
AcGePoint3dArray meet(const Ends& a, const Ends& b, AcDb::Intersect mode) {
  const AcDbLine la({a.x0, a.y0, 0}, {a.x1, a.y1, 0}), lb({b.x0, b.y0, 0}, {b.x1, b.y1, 0});
  AcGePoint3dArray points;
  EXPECT_EQ(la.intersectWith(&lb, mode, points, 0, 0), AcDb::kOk);
  return points;
}

constexpr AcDb::Intersect kModes[] = {AcDb::kOnBothOperands, AcDb::kExtendThis,
                                      AcDb::kExtendArg, AcDb::kExtendBoth};

TEST_F(LineAnswers, LinesTouchingAtAnEndCrossAsDrawn) {
  const Ends a{0, 0, 10, 0};
  for (const Ends& b : {Ends{10, 0, 10, 5}, Ends{5, 0, 5, 5}, Ends{0, 0, -3, -3}}) {
    const AcGePoint3dArray points = meet(a, b, AcDb::kOnBothOperands);
    ASSERT_EQ(points.length(), 1);
    EXPECT_EQ(points[0], AcGePoint3d(b.x0, b.y0, 0));
  }
  // Within the host's tolerance of the end is at the end.
  EXPECT_EQ(meet(a, {10 + 1e-7, 0, 10 + 1e-7, 5}, AcDb::kOnBothOperands).length(), 1);
  EXPECT_EQ(meet(a, {10.001, 0, 10.001, 5}, AcDb::kOnBothOperands).length(), 0);
  EXPECT_EQ(meet(a, {10.001, 0, 10.001, 5}, AcDb::kExtendThis).length(), 1);
}

TEST_F(LineAnswers, NoPointInAnyModeForParallelCollinearSelfOrPointLines) {
  const Ends a{0, 0, 10, 0};
  const Ends others[] = {
      {0, 3, 10, 3},   // parallel
      {5, 0, 15, 0},   // collinear, overlapping
      {10, 0, 20, 0},  // collinear, touching
      {30, 0, 40, 0},  // collinear, apart
      {10, 0, 0, 0},   // the same line, reversed
      a,               // the line itself
      {5, 0, 5, 0},    // no length, on the line
      {5, 5, 5, 5},    // no length, off it
  };
  for (const Ends& b : others)
    for (AcDb::Intersect mode : kModes) {
      EXPECT_EQ(meet(a, b, mode).length(), 0) << b.x0 << "," << b.y0 << " mode " << mode;
      EXPECT_EQ(meet(b, a, mode).length(), 0) << b.x0 << "," << b.y0 << " mode " << mode;
    }
}

TEST_F(LineAnswers, EachPairReportsItsPointOnce) {
  // Three lines through (0,0): the vertical one meets each of the others once.
  EXPECT_EQ(meet({0, -5, 0, 5}, {-5, 0, 5, 0}, AcDb::kOnBothOperands).length(), 1);
  EXPECT_EQ(meet({0, -5, 0, 5}, {-5, -5, 5, 5}, AcDb::kOnBothOperands).length(), 1);
  // Meeting at a shared end is one point, not one per end.
  EXPECT_EQ(meet({0, 0, 5, 0}, {0, 0, 0, 5}, AcDb::kExtendBoth).length(), 1);
}

TEST_F(LineAnswers, SplitWithNothingInsideGivesACopyOfTheWholeLine) {
  AcDbLine whole({0, 0, 0}, {10, 0, 0});
  whole.setColorIndex(3);
  whole.setLayer("0");
  AcGePoint3dArray at;
  at.append({0, 0, 0});
  at.append({10, 0, 0});
  at.append({10, 0, 0});
  AcDbVoidPtrArray pieces;
  ASSERT_EQ(whole.getSplitCurves(at, pieces), AcDb::kOk);
  ASSERT_EQ(pieces.length(), 1);
  auto* copy = static_cast<AcDbLine*>(pieces[0]);
  EXPECT_EQ(copy->startPoint(), whole.startPoint());
  EXPECT_EQ(copy->endPoint(), whole.endPoint());
  EXPECT_EQ(copy->colorIndex(), 3);
  delete copy;
  // Repeated inner points cut once.
  at.append({4, 0, 0});
  at.append({4, 0, 0});
  AcDbVoidPtrArray two;
  ASSERT_EQ(whole.getSplitCurves(at, two), AcDb::kOk);
  EXPECT_EQ(two.length(), 2);
  for (void* p : two) delete static_cast<AcDbLine*>(p);
}

}  // namespace
}  // namespace hosttest
