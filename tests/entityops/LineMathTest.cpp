// Windows, choices among points, the joining rule, the screens and the
// coordinate echo. The screens are checked against the exact answers they
// stand in for: a screen may only ever say "certainly nothing".
#include "entityops/LineMath.h"
#include "entityops/PointGrid.h"
#include "entityops/SegmentGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <algorithm>
#include <random>
#include <vector>

namespace entityops {
namespace {

AcGePoint3d P(double x, double y, double z = 0) { return {x, y, z}; }

AcGePoint3dArray list(std::initializer_list<AcGePoint3d> points) {
  AcGePoint3dArray out;
  for (const AcGePoint3d& p : points) out.append(p);
  return out;
}

TEST(Window, BoundsIncludedCornersInAnyOrderZIgnored) {
  const AcGePoint3d a = P(5, -5), b = P(-5, 5);
  EXPECT_TRUE(isInWindow(P(0, 0), a, b));
  EXPECT_TRUE(isInWindow(P(-5, -5), a, b));
  EXPECT_TRUE(isInWindow(P(5, 5), b, a));
  EXPECT_TRUE(isInWindow(P(5, 0, 1e9), a, b));
  EXPECT_FALSE(isInWindow(P(5.000001, 0), a, b));
  EXPECT_FALSE(isInWindow(P(0, -5.000001), a, b));
  // A window of no width still holds its own line.
  EXPECT_TRUE(isInWindow(P(1, 3), P(1, 0), P(1, 5)));
}

TEST(Window, NotANumberIsNeverInside) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(isInWindow(P(nan, 0), P(-5, -5), P(5, 5)));
  EXPECT_FALSE(isInWindow(P(0, nan), P(-5, -5), P(5, 5)));
  EXPECT_FALSE(isInWindow(P(0, 0), P(nan, -5), P(5, 5)));
  EXPECT_FALSE(isInWindow(P(0, 0), P(-5, -5), P(5, nan)));
}

TEST(ChoosingPoints, TiesGoToTheEarliest) {
  const AcGePoint3dArray tie = list({P(1, 0), P(-1, 0), P(0, 1)});
  EXPECT_EQ(nearestPoint(tie, P(0, 0)), P(1, 0));
  EXPECT_EQ(farthestPoint(tie, P(0, 0)), P(1, 0));
  const AcGePoint3dArray spread = list({P(3, 0), P(1, 0), P(7, 0), P(1, 0)});
  EXPECT_EQ(nearestPoint(spread, P(0, 0)), P(1, 0));
  EXPECT_EQ(farthestPoint(spread, P(0, 0)), P(7, 0));
  EXPECT_EQ(nearestPoint(list({P(2, 2)}), P(9, 9)), P(2, 2));
}

TEST(ChoosingPoints, AllAtTheReferenceGivesTheFirst) {
  const AcGePoint3dArray same = list({P(4, 4), P(4, 4)});
  EXPECT_EQ(farthestPoint(same, P(4, 4)), P(4, 4));
  EXPECT_EQ(nearestPoint(same, P(4, 4)), P(4, 4));
}

// Each row: the four ends (start A, end A, start B, end B) and the pair that
// spans the joined line.
struct JoinRow {
  AcGePoint3d ends[4];
  std::pair<int, int> pair;
};

TEST(JoiningRule, FarthestPairOfTheFourEnds) {
  const JoinRow rows[] = {
      {{P(0, 0), P(5, 0), P(7, 0), P(10, 0)}, {0, 3}},   // in order
      {{P(5, 0), P(0, 0), P(7, 0), P(10, 0)}, {1, 3}},   // A reversed: end A to end B
      {{P(0, 0), P(10, 0), P(10, 0), P(0, 0)}, {0, 1}},  // four equal pairs: the first
      {{P(7, 0), P(10, 0), P(0, 0), P(5, 0)}, {1, 2}},   // B before A
      {{P(0, 0), P(3, 0), P(-4, 0), P(20, 0)}, {2, 3}},  // B covers A
      {{P(1, 1), P(1, 1), P(1, 1), P(1, 1)}, {0, 1}},    // all coincide
  };
  for (const JoinRow& row : rows) EXPECT_EQ(farthestPair(row.ends), row.pair);
}

TEST(Sides, StrictlyBeyondTheFixedEnd) {
  EXPECT_TRUE(onSideOf(P(3, 0), P(-50, 0), P(1, 0)));
  EXPECT_TRUE(onSideOf(P(100, 0), P(-50, 0), P(1, 0)));
  EXPECT_FALSE(onSideOf(P(-60, 0), P(-50, 0), P(1, 0)));
  EXPECT_FALSE(onSideOf(P(-50, 0), P(-50, 0), P(1, 0)));
  // A point off the line counts by its projection.
  EXPECT_TRUE(onSideOf(P(-49, 30), P(-50, 0), P(1, 0)));
}

// The exact answer clearlyApart stands in for: do the segments touch?
bool touch(const Segment& a, const Segment& b) {
  auto cross = [](AcGePoint3d o, AcGePoint3d p, AcGePoint3d q) {
    return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
  };
  auto within = [](AcGePoint3d p, const Segment& s) {
    return std::min(s.start.x, s.end.x) <= p.x && p.x <= std::max(s.start.x, s.end.x) &&
           std::min(s.start.y, s.end.y) <= p.y && p.y <= std::max(s.start.y, s.end.y);
  };
  double d1 = cross(b.start, b.end, a.start), d2 = cross(b.start, b.end, a.end);
  double d3 = cross(a.start, a.end, b.start), d4 = cross(a.start, a.end, b.end);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
    return true;
  return (d1 == 0 && within(a.start, b)) || (d2 == 0 && within(a.end, b)) ||
         (d3 == 0 && within(b.start, a)) || (d4 == 0 && within(b.end, a));
}

TEST(Screens, ApartOnlyWhenTheSegmentsCannotTouch) {
  EXPECT_TRUE(clearlyApart({P(0, 0), P(1, 0)}, {P(2, 0), P(3, 0)}));
  EXPECT_FALSE(clearlyApart({P(0, 0), P(1, 0)}, {P(1, 0), P(3, 0)}));  // touching ends
  EXPECT_FALSE(clearlyApart({P(0, 0), P(1, 0)}, {P(1 + screenMargin() / 2, -1), P(3, 1)}));
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(-6, 6);
  auto point = [&] { return P(coordinate(random) / 2.0, coordinate(random) / 2.0); };
  for (int i = 0; i < 20000; ++i) {
    const Segment a{point(), point()}, b{point(), point()};
    if (clearlyApart(a, b)) {
      EXPECT_FALSE(touch(a, b)) << i;
    }
  }
}

TEST(Screens, NotCollinearOnlyWhenTheStartIsOffTheLine) {
  const Segment a{P(0, 0), P(10, 0)};
  EXPECT_TRUE(clearlyNotCollinear(a, {P(0, 3), P(10, 3)}));    // parallel, offset
  EXPECT_FALSE(clearlyNotCollinear(a, {P(20, 0), P(30, 0)}));  // same line, a gap between
  EXPECT_FALSE(clearlyNotCollinear(a, {P(5, screenMargin() / 2), P(5, 9)}));
  // A line of about no length says nothing about a direction.
  EXPECT_FALSE(clearlyNotCollinear({P(1, 1), P(1, 1)}, {P(5, 5), P(6, 6)}));
  // Seen from a short segment, a far start point 5e-3 off its line is within
  // the host's parallel tolerance (1 unit long, 1e4 away: 5e-7 over the
  // shorter length), so the host may call the two collinear.
  EXPECT_FALSE(clearlyNotCollinear({P(0, 0), P(1, 0)}, {P(10000, 0.005), P(10001, 0.005)}));
  EXPECT_TRUE(clearlyNotCollinear({P(0, 0), P(1, 0)}, {P(10000, 50), P(10001, 50)}));
  EXPECT_TRUE(clearlyNotCollinear({P(0, 0), P(20000, 0)}, {P(10000, 0.005), P(10001, 0.005)}));
}

// A random drawing of segments on a small grid, some long, some of no length.
std::vector<Segment> randomSegments(std::mt19937& random, int count, double spread) {
  std::uniform_real_distribution<double> at(-spread, spread);
  std::uniform_int_distribution<int> kind(0, 9);
  std::vector<Segment> out;
  for (int i = 0; i < count; ++i) {
    AcGePoint3d a = P(std::round(at(random)), std::round(at(random)));
    switch (kind(random)) {
      case 0: out.push_back({a, a}); break;                                        // a point
      case 1: out.push_back({a, P(a.x + 50 * spread, a.y)}); break;                // far out
      case 2: out.push_back({a, P(a.x + screenMargin() / 2, a.y + 3)}); break;     // all but vertical
      default: out.push_back({a, P(a.x + at(random) / 4, a.y + at(random) / 4)});
    }
  }
  return out;
}

TEST(SegmentGrid, FindsEverySegmentThatIsNotClearlyApart) {
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    std::vector<Segment> segments = randomSegments(random, 1 + round * 5, 20);
    std::vector<bool> present(segments.size(), true);
    for (size_t i = 0; i < present.size(); i += 7) present[i] = false;
    SegmentGrid grid;
    grid.build(segments, present);
    // Moves, some far outside the box the grid was sized for.
    for (size_t i = 0; i < segments.size(); i += 3) {
      segments[i].end = P(segments[i].end.x * (round % 2 ? 40 : 1), segments[i].end.y - 7);
      if (present[i]) grid.move(static_cast<int>(i), segments[i]);
    }
    const std::vector<Segment> queries = randomSegments(random, 60, 30);
    std::vector<int> found;
    for (const Segment& q : queries) {
      grid.candidates(q, found);
      ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
      ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());
      for (size_t i = 0; i < segments.size(); ++i) {
        const bool listed = std::binary_search(found.begin(), found.end(), static_cast<int>(i));
        if (!present[i]) {
          EXPECT_FALSE(listed) << i;
        } else if (!clearlyApart(q, segments[i])) {
          EXPECT_TRUE(listed) << "round " << round << " segment " << i;
        }
      }
    }
  }
}

TEST(PointGrid, FindsEveryPointThatIsNotClearlyOffTheLine) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> at(-100, 100);
  std::uniform_int_distribution<int> kind(0, 5);
  for (int round = 0; round < 30; ++round) {
    // Points on a few lines (so that many are near a query's line), some
    // scattered, some repeated.
    std::vector<AcGePoint3d> points;
    for (int i = 0; i < 20 + round * 20; ++i) {
      const double t = at(random);
      switch (kind(random)) {
        case 0: points.push_back(P(t, 0)); break;
        case 1: points.push_back(P(t, 0.0015 * t)); break;   // a line turning away slowly
        case 2: points.push_back(P(3, t)); break;
        case 3: points.push_back(points.empty() ? P(0, 0) : points.back()); break;
        default: points.push_back(P(at(random), at(random)));
      }
    }
    std::vector<bool> present(points.size(), true);
    for (size_t i = 0; i < present.size(); i += 5) present[i] = false;
    PointGrid grid;
    grid.build(points, present);
    const Segment queries[] = {{P(0, 0), P(1, 0)},     {P(-50, 0), P(50, 0)}, {P(3, 0), P(3, 2)},
                               {P(0, 0), P(0.01, 0)},  {P(0, 0), P(0, 0)},    {P(7, -7), P(9, 1)},
                               {P(500, 0), P(501, 0)}, {P(0, 0), P(1, 0.0015)}};
    std::vector<int> found;
    for (const Segment& q : queries) {
      const LineThrough line(q);
      grid.nearLine(line, found);
      ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
      ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());
      for (size_t i = 0; i < points.size(); ++i) {
        const bool listed = std::binary_search(found.begin(), found.end(), static_cast<int>(i));
        if (!present[i]) {
          EXPECT_FALSE(listed);
        } else if (!clearlyOff(line, points[i])) {
          EXPECT_TRUE(listed) << "round " << round << " point " << points[i].x << "," << points[i].y;
        }
      }
    }
  }
}

TEST(SegmentGrid, NotANumberIsInEveryAnswer) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<Segment> segments = {{P(0, 0), P(1, 0)}, {P(nan, 0), P(1, 1)}, {P(50, 50), P(51, 50)}};
  SegmentGrid grid;
  grid.build(segments, {true, true, true});
  std::vector<int> found;
  grid.candidates({P(50, 49), P(50, 51)}, found);
  EXPECT_EQ(found, (std::vector<int>{1, 2}));
  grid.candidates({P(nan, nan), P(0, 0)}, found);
  EXPECT_EQ(found, (std::vector<int>{0, 1, 2}));
  grid.move(1, {P(0, 0), P(0, 1)});
  grid.candidates({P(50, 49), P(50, 51)}, found);
  EXPECT_EQ(found, (std::vector<int>{2}));
}

TEST(Echo, SixDecimalsHalfwayAwayFromZero) {
  const struct {
    double value;
    const char* text;
  } rows[] = {
      {0, "0.000000"},
      {-5, "-5.000000"},
      {0.0078125, "0.007813"},     // 1/128: exactly halfway, "%f" here gives 0.007812
      {-0.0078125, "-0.007813"},
      {1.0078125, "1.007813"},
      {0.0234375, "0.023438"},     // 3/128
      {0.015625, "0.015625"},      // 2/128: six decimals already
      {123456.5, "123456.500000"},
      {0.1, "0.100000"},
      {-0.0000004, "-0.000000"},
  };
  for (const auto& row : rows) EXPECT_EQ(fixedSix(row.value), row.text) << row.value;
  // Values that are not halfway in binary are the library's "%f".
  for (double x : {0.9999995, 9.9999995, 2.5e-7, -1234.5678915, 1e15 + 0.3}) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", x);
    EXPECT_EQ(fixedSix(x), text) << x;
  }
}

TEST(Echo, EveryHalfwayValueGoesAwayFromZero) {
  EXPECT_EQ(fixedSix(0.9921875), "0.992188");  // 127/128
  EXPECT_EQ(fixedSix(-8191.9921875), "-8191.992188");
  EXPECT_EQ(fixedSix(std::ldexp(1e9 * 128 + 1, -7)), "1000000000.007813");
  // Odd multiples of 1/128 below 2, against rounding the exact value by hand.
  for (int n = 1; n < 256; n += 2) {
    const double x = n / 128.0;
    char exact[32];
    std::snprintf(exact, sizeof exact, "%.7f", x);
    const long long millionths = std::llround(x * 1e6);  // exact in binary; halves go up
    char expected[32];
    std::snprintf(expected, sizeof expected, "%lld.%06lld", millionths / 1000000, millionths % 1000000);
    EXPECT_EQ(fixedSix(x), expected) << exact;
    EXPECT_EQ(fixedSix(-x), std::string("-") + expected) << exact;
  }
}

TEST(Echo, NonFiniteValuesAsTheLibraryWritesThem) {
  EXPECT_EQ(fixedSix(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(fixedSix(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(fixedSix(1e300).size(), 301u + 7u);
}

}  // namespace
}  // namespace entityops
