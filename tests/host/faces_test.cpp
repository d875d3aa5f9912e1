// The face finder on the cases of fixtures/faces.txt, and on grids, where
// the faces and their total area are known.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/geometry.h"

namespace {

using namespace hostimpl::geometry;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

AcGePoint3d point(const std::string& text) {
  const auto xy = split(text, ',');
  return {std::stod(xy.at(0)), std::stod(xy.at(1)), 0};
}

std::vector<PlaneEdge> pieces(const std::string& text) {
  std::vector<PlaneEdge> out;
  for (const std::string& piece : split(text, '|')) {
    const auto w = words(piece);
    if (w.empty()) continue;
    out.push_back({point(w.at(0)), point(w.at(1)), w.size() > 2 ? std::stod(w[2]) : 0});
  }
  return out;
}

TEST(Faces, Fixtures) {
  std::ifstream in(std::string(HOST_FIXTURES_DIR) + "/faces.txt");
  ASSERT_TRUE(in) << "fixtures/faces.txt";
  int cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto fields = split(line, ';');
    ASSERT_EQ(fields.size(), 3u) << line;
    const std::string name = words(fields[0]).at(0);
    const std::vector<Face> faces = boundedFaces(pieces(fields[1]));
    std::vector<std::string> expected = words(fields[2]);
    if (expected == std::vector<std::string>{"none"}) expected.clear();
    ASSERT_EQ(faces.size(), expected.size()) << name;
    for (size_t i = 0; i < faces.size(); ++i) {
      const auto areaAndSides = split(expected[i], '/');
      const double area = std::stod(areaAndSides.at(0));
      EXPECT_NEAR(faces[i].area, area, 1e-9 * area + 1e-12) << name << " face " << i;
      EXPECT_EQ(faces[i].sides.size(), std::stoul(areaAndSides.at(1))) << name << " face " << i;
    }
    ++cases;
  }
  EXPECT_GT(cases, 15);
}

// The sides of a face join up: each ends where the next begins.
TEST(Faces, SidesRunRoundTheFaceCounterClockwise) {
  const std::vector<PlaneEdge> edges = pieces("2,0 0,0 | 0,0 0,2 | 2,2 2,0 | 0,2 2,2");
  const std::vector<Face> faces = boundedFaces(edges);
  ASSERT_EQ(faces.size(), 1u);
  const Face& face = faces[0];
  EXPECT_EQ(face.sides.front().edge, 0);  // starts at the lowest piece
  for (size_t i = 0; i < face.sides.size(); ++i) {
    const FaceSide& s = face.sides[i];
    const FaceSide& t = face.sides[(i + 1) % face.sides.size()];
    const AcGePoint3d end = s.forward ? edges[s.edge].b : edges[s.edge].a;
    const AcGePoint3d start = t.forward ? edges[t.edge].a : edges[t.edge].b;
    EXPECT_TRUE(samePoint(end, start)) << i;
  }
  EXPECT_FALSE(face.sides[0].forward);  // 2,0 -> 0,0 runs clockwise round this square
}

// n x n lines crossing, cut at every crossing: (n-1)^2 unit cells, and the
// pieces that stick out bound nothing.
TEST(Faces, GridOfCutLines) {
  const int n = 12;
  std::vector<PlaneEdge> edges;
  for (int i = 0; i < n; ++i)
    for (int k = -1; k < n; ++k) {
      const double a = k < 0 ? -0.5 : k, b = k + 1 < n ? k + 1 : n - 0.5;
      edges.push_back({{a, double(i), 0}, {b, double(i), 0}, 0});
      edges.push_back({{double(i), a, 0}, {double(i), b, 0}, 0});
    }
  const std::vector<Face> faces = boundedFaces(edges);
  ASSERT_EQ(faces.size(), static_cast<size_t>((n - 1) * (n - 1)));
  double total = 0;
  for (const Face& f : faces) {
    EXPECT_NEAR(f.area, 1, 1e-12);
    EXPECT_EQ(f.sides.size(), 4u);
    total += f.area;
  }
  EXPECT_NEAR(total, (n - 1) * (n - 1), 1e-9);
}

TEST(Faces, NodingJoinsChainsOfCloseEnds) {
  const std::vector<PlaneEdge> edges = pieces("0,0 1,0 | 1.0000008,0 2,0 | 1.0000016,0 1,1");
  std::vector<AcGePoint3d> nodes;
  const std::vector<int> node = nodeEnds(edges, nodes);
  EXPECT_EQ(node[1], node[2]);
  EXPECT_EQ(node[2], node[4]);  // 1.6e-6 from the first, but joined through the middle end
  EXPECT_EQ(nodes.size(), 4u);
  EXPECT_EQ(nodes[node[1]].x, 1.0);  // a node sits at its first end
}

}  // namespace

// Pieces that overlap along a line or a circle are split at each other's ends; the part drawn
// twice then joins the same nodes and counts once.
TEST(Faces, OverlappingPiecesAreSplitAtEachOthersEnds) {
  std::vector<int> origin;
  const std::vector<PlaneEdge> split =
      splitAtEnds(pieces("0,0 2,0 | 1,0 3,0 | 3,0 3,1 | 3,1 0,1 | 0,1 0,0"), origin);
  EXPECT_EQ(origin, (std::vector<int>{0, 0, 1, 1, 2, 3, 4}));
  EXPECT_EQ(split[1].a.x, 1);  // exactly the other piece's end
  std::vector<Face> faces = boundedFaces(split);
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_NEAR(faces[0].area, 3, 1e-12);
  EXPECT_EQ(faces[0].sides.size(), 6u);
  // Two arcs over one half circle, overlapping in the middle, closed by its diameter.
  const double quarter = std::tan(3.14159265358979323846 / 8);  // a quarter turn's bulge
  std::vector<PlaneEdge> arcs = {{{1, 0, 0}, {-1, 0, 0}, 1},  // the upper half, whole
                                 {{0, 1, 0}, {-1, 0, 0}, quarter},
                                 {{-1, 0, 0}, {1, 0, 0}, 0}};
  faces = boundedFaces(splitAtEnds(arcs, origin));
  EXPECT_EQ(origin, (std::vector<int>{0, 0, 1, 2}));
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_NEAR(faces[0].area, 3.14159265358979323846 / 2, 1e-9);
  // A closed polyline whose three corners lie on one line encloses nothing.
  EXPECT_TRUE(boundedFaces(splitAtEnds(pieces("3,4.5 2.5,5.5 | 2.5,5.5 3.5,3.5 | 3.5,3.5 3,4.5"), origin)).empty());
}
