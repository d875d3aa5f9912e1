// The geometry steps on their own: intersections, cuts along a curve and
// closed loops from the cases in fixtures/geometry_steps.txt, and the spatial
// index against a brute-force search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/geometry.h"

namespace {

using namespace hostimpl::geometry;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

AcGePoint3d point(const std::string& text) {
  auto xy = split(text, ',');
  return {std::stod(xy.at(0)), std::stod(xy.at(1)), 0};
}

std::vector<AcGePoint3d> points(const std::string& text) {
  std::vector<AcGePoint3d> out;
  for (const std::string& w : words(text))
    if (w != "none") out.push_back(point(w));
  return out;
}

Prim shape(const std::string& text) {
  auto w = words(text);
  if (w.at(0) == "seg") return segmentPrim(point(w.at(1)), point(w.at(2)));
  double from = std::stod(w.at(3)) * kPi / 180, to = std::stod(w.at(4)) * kPi / 180;
  return arcPrim(AcGeMatrix3d(), point(w.at(1)), std::stod(w.at(2)), from, to);
}

// The lines of one [section] of the fixture file, with their line numbers.
std::vector<std::pair<int, std::string>> section(const std::string& name) {
  std::ifstream in(std::string(HOST_FIXTURES_DIR) + "/geometry_steps.txt");
  EXPECT_TRUE(in) << "fixture file";
  std::vector<std::pair<int, std::string>> out;
  std::string line, current;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      current = line.substr(1, line.find(']') - 1);
      continue;
    }
    if (current == name) out.emplace_back(number, line);
  }
  EXPECT_FALSE(out.empty()) << name;
  return out;
}

TEST(GeometrySteps, Intersections) {
  for (const auto& [number, line] : section("intersect")) {
    auto fields = split(line, ';');
    ASSERT_EQ(fields.size(), 4u) << "line " << number;
    std::string extend = words(fields[2]).at(0);
    AcGePoint3dArray found;
    intersect(shape(fields[0]), shape(fields[1]), extend == "first" || extend == "both",
              extend == "second" || extend == "both", found);
    std::vector<AcGePoint3d> expected = points(fields[3]);
    ASSERT_EQ(found.length(), static_cast<int>(expected.size())) << "line " << number << ": " << line;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_NEAR(found[static_cast<int>(i)].x, expected[i].x, 1e-9) << "line " << number;
      EXPECT_NEAR(found[static_cast<int>(i)].y, expected[i].y, 1e-9) << "line " << number;
    }
  }
}

TEST(GeometrySteps, CutsAlongACurve) {
  for (const auto& [number, line] : section("cuts")) {
    auto fields = split(line, ';');
    ASSERT_EQ(fields.size(), 3u) << "line " << number;
    auto head = words(fields[0]);
    std::vector<CutRequest> requests;
    for (const std::string& w : words(fields[1])) requests.push_back({std::stod(w), std::stod(w)});
    std::vector<CutRequest> cuts = interiorCuts(requests, std::stod(head.at(0)), head.at(1) == "closed");
    std::vector<double> expected;
    for (const std::string& w : words(fields[2]))
      if (w != "none") expected.push_back(std::stod(w));
    ASSERT_EQ(cuts.size(), expected.size()) << "line " << number << ": " << line;
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_DOUBLE_EQ(cuts[i].param, expected[i]) << "line " << number;
  }
}

TEST(GeometrySteps, ClosedLoops) {
  for (const auto& [number, line] : section("loops")) {
    auto fields = split(line, ';');
    ASSERT_EQ(fields.size(), 2u) << "line " << number;
    std::vector<std::vector<AcGePoint3d>> chains;
    for (const std::string& chain : split(fields[0], '|')) chains.push_back(points(chain));
    std::vector<size_t> sizes;
    for (const auto& loop : closedLoops(chains)) sizes.push_back(loop.size());
    std::vector<size_t> expected;
    for (const std::string& w : words(fields[1]))
      if (w != "none") expected.push_back(std::stoul(w));
    EXPECT_EQ(sizes, expected) << "line " << number << ": " << line;
  }
}

TEST(GeometrySteps, BulgesRisingLessThanTheToleranceAreStraight) {
  EXPECT_FALSE(bulgeSegment({0, 0}, {10, 0}, 1e-7, 0).isArc);  // rises 5e-7
  BulgeSegment half = bulgeSegment({0, 0}, {10, 0}, 1, 0);     // a half circle, counter-clockwise
  ASSERT_TRUE(half.isArc);
  EXPECT_NEAR(half.radius, 5, 1e-12);
  EXPECT_NEAR(half.center.x, 5, 1e-12);
  EXPECT_NEAR(half.center.y, 0, 1e-12);
  EXPECT_NEAR(segmentLength(half), 5 * kPi, 1e-9);
  AcGePoint3d top = pointAt(half, 0.5);
  EXPECT_NEAR(top.x, 5, 1e-9);
  EXPECT_NEAR(top.y, -5, 1e-9);  // counter-clockwise from (0,0) to (10,0) passes below
}

// The index answers exactly what a search of every box answers, in key
// order, through inserts and removals.
TEST(GeometrySteps, SpatialIndexMatchesABruteForceSearch) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> at(0, 1000), size(0, 30);
  auto randomBox = [&] {
    double x = at(rng), y = at(rng);
    return Box{x, y, x + size(rng), y + size(rng)};
  };
  std::vector<Box> boxes(3000);
  std::vector<bool> present(boxes.size(), true);
  std::vector<std::pair<Box, std::uint32_t>> entries;
  for (std::uint32_t k = 0; k < boxes.size(); ++k) {
    boxes[k] = k % 97 == 0 ? Box() : randomBox();  // some entities have no extents
    entries.emplace_back(boxes[k], k);
  }
  SpatialIndex index;
  index.assign(entries);
  for (int round = 0; round < 400; ++round) {
    std::uint32_t k = std::uniform_int_distribution<std::uint32_t>(0, boxes.size() - 1)(rng);
    if (present[k]) {
      index.remove(boxes[k], k);
      present[k] = false;
    } else {
      boxes[k] = randomBox();
      index.insert(boxes[k], k);
      present[k] = true;
    }
    Box query = round % 10 == 0 ? Box{at(rng), at(rng), at(rng), at(rng)} : randomBox();
    if (round % 50 == 0) query = Box{-1, -1, 2000, 2000};
    std::vector<std::uint32_t> got, want;
    index.query(query, got);
    for (std::uint32_t j = 0; j < boxes.size(); ++j)
      if (present[j] && boxes[j].meets(query)) want.push_back(j);
    ASSERT_EQ(got, want) << "round " << round;
  }
  // Bounds are included: a box touching the query's edge meets it.
  SpatialIndex small;
  small.insert({0, 0, 1, 1}, 7);
  std::vector<std::uint32_t> hits;
  small.query({1, 1, 2, 2}, hits);
  EXPECT_EQ(hits, std::vector<std::uint32_t>{7});
  EXPECT_FALSE(small.remove({0, 0, 1, 2}, 7));  // not the box it went in with
  EXPECT_TRUE(small.remove({0, 0, 1, 1}, 7));
  EXPECT_EQ(small.size(), 0u);
}

}  // namespace
