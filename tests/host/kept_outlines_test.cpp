// Outlines of the entities the host keeps without modelling them, from their file groups.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/geometry.h"

namespace {

using namespace hostimpl::geometry;

// Groups from "code value code value ...".
KeptGroups groups(const std::string& text) {
  KeptGroups out;
  std::istringstream in(text);
  int code;
  std::string value;
  while (in >> code >> value) out.emplace_back(code, value);
  return out;
}

double distance(const AcGePoint3d& a, double x, double y) { return std::hypot(a.x - x, a.y - y); }

TEST(KeptOutlines, EllipsesFromTheirParameters) {
  // Centre 10,10, major axis 5 along x, ratio 0.5: the upper half from 0 to pi.
  const auto half = keptOutlines("ELLIPSE", groups("100 AcDbEllipse 10 10 20 10 30 0 11 5 21 0 31 0 "
                                                   "40 0.5 41 0 42 3.141592653589793"));
  ASSERT_EQ(half.size(), 1u);
  EXPECT_FALSE(half[0].closed);
  EXPECT_LT(distance(half[0].points.front(), 15, 10), 1e-9);
  EXPECT_LT(distance(half[0].points.back(), 5, 10), 1e-9);
  for (const AcGePoint3d& p : half[0].points) {
    EXPECT_NEAR(std::pow((p.x - 10) / 5, 2) + std::pow((p.y - 10) / 2.5, 2), 1, 1e-9);
    EXPECT_GE(p.y, 10 - 1e-9);
  }
  const auto whole = keptOutlines("ELLIPSE", groups("10 0 20 0 11 0 21 2 40 1 41 0 42 6.283185307179586"));
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_TRUE(whole[0].closed);
  // A major axis along y turns the ellipse: its start is at the axis' end.
  EXPECT_LT(distance(whole[0].points.front(), 0, 2), 1e-9);
}

TEST(KeptOutlines, SplinesEvaluatedFromControlPointsOrThroughTheirFitPoints) {
  // A clamped cubic with four control points is a Bezier curve: its ends are the end points and
  // its middle is (p0 + 3 p1 + 3 p2 + p3) / 8.
  const auto bezier = keptOutlines(
      "SPLINE", groups("70 8 71 3 72 8 73 4 40 0 40 0 40 0 40 0 40 1 40 1 40 1 40 1 "
                       "10 0 20 0 10 0 20 4 10 4 20 4 10 4 20 0"));
  ASSERT_EQ(bezier.size(), 1u);
  const std::vector<AcGePoint3d>& p = bezier[0].points;
  EXPECT_LT(distance(p.front(), 0, 0), 1e-9);
  EXPECT_LT(distance(p.back(), 4, 0), 1e-9);
  EXPECT_LT(distance(p[p.size() / 2], 2, 3), 1e-9);
  // Without control points, the fit points in order.
  const auto fit = keptOutlines("SPLINE", groups("71 3 11 0 21 0 11 5 21 5 11 10 21 0"));
  ASSERT_EQ(fit.size(), 1u);
  EXPECT_EQ(fit[0].points.size(), 3u);
  // Knots that do not fit the control points: the control polygon rather than nothing.
  EXPECT_EQ(keptOutlines("SPLINE", groups("71 3 40 0 10 0 20 0 10 1 20 1"))[0].points.size(), 2u);
}

TEST(KeptOutlines, HatchBoundariesAreFilledPaths) {
  // A square polyline path and an edge path of a line and a half circle over it.
  const auto paths = keptOutlines(
      "HATCH", groups("100 AcDbHatch 10 0 20 0 30 0 2 SOLID 70 1 71 0 91 2 "
                      "92 7 72 0 73 1 93 4 10 0 20 0 10 10 20 0 10 10 20 10 10 0 20 10 97 0 "
                      "92 1 93 2 72 1 10 2 20 2 11 8 21 2 72 2 10 5 20 2 40 3 50 0 51 180 73 1 97 0 "
                      "75 0 76 1 98 1 10 5 20 5"));
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_TRUE(paths[0].filled && paths[0].closed);
  EXPECT_EQ(paths[0].points.size(), 4u);
  const std::vector<AcGePoint3d>& edge = paths[1].points;
  EXPECT_LT(distance(edge.front(), 2, 2), 1e-9);
  double highest = 0;
  for (const AcGePoint3d& q : edge) highest = std::max(highest, q.y);
  EXPECT_NEAR(highest, 5, 1e-9);  // the top of the half circle
  // A bulge makes an arc of the segment; the seed point is no boundary.
  const auto bulged = keptOutlines(
      "HATCH", groups("91 1 92 2 72 1 73 1 93 2 10 0 20 0 42 1 10 2 20 0 42 1 97 0 98 1 10 50 20 50"));
  ASSERT_EQ(bulged.size(), 1u);
  for (const AcGePoint3d& q : bulged[0].points) EXPECT_NEAR(distance(q, 1, 0), 1, 1e-9);
  // Counts that run past the groups stop quietly.
  EXPECT_TRUE(keptOutlines("HATCH", groups("91 5 92 2 93 1000000 10 0 20 0")).size() <= 1);
}

TEST(KeptOutlines, SolidsCrossTheirLastCornersFacesDoNot) {
  const KeptGroups corners = groups("10 0 20 0 11 1 21 0 12 0 22 1 13 1 23 1");
  const auto solid = keptOutlines("SOLID", corners);
  ASSERT_EQ(solid.size(), 1u);
  EXPECT_TRUE(solid[0].filled);
  EXPECT_LT(distance(solid[0].points[2], 1, 1), 1e-9);
  const auto face = keptOutlines("3DFACE", corners);
  EXPECT_FALSE(face[0].filled);
  EXPECT_LT(distance(face[0].points[2], 0, 1), 1e-9);
  // Construction lines have no outline, only their base point.
  EXPECT_TRUE(keptOutlines("XLINE", groups("10 3 20 4 11 1 21 0")).empty());
  const auto base = keptBoundingPoints("RAY", groups("10 3 20 4 11 1 21 0"));
  ASSERT_EQ(base.size(), 1u);
  EXPECT_LT(distance(base[0], 3, 4), 1e-9);
}

}  // namespace
