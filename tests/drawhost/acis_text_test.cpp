// Regions as modeler text: what is written reads back to the same loops, text from elsewhere is
// read whichever way its senses, normals and transform run, and what is not a region is refused
// with a reason and without hanging.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "io/acis_text.h"

using namespace drawhost::dxf;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string header() {
  return "700 0 1 0 \n@4 test @12 ACIS 7.0 NT @24 Thu Jan 01 00:00:00 1970 \n"
         "1 9.9999999999999995e-07 1e-10 \n";
}

// The loops as text, each corner "x,y[,bulge]" with bulges to 12 digits.
std::string describe(const RegionShape& shape) {
  std::ostringstream out;
  out.precision(12);
  for (const RegionLoop& loop : shape.loops) {
    out << "|";
    for (const Vertex& v : loop) {
      out << " " << v.x << "," << v.y;
      if (v.bulge != 0) out << "," << v.bulge;
    }
  }
  return out.str();
}

RegionShape readBack(const RegionShape& shape) {
  RegionShape back;
  std::string why;
  EXPECT_TRUE(readRegionText(writeRegionText(shape), back, why)) << why;
  return back;
}

double area(const RegionShape& shape) {
  double sum = 0;
  for (const RegionLoop& loop : shape.loops)
    for (size_t i = 0; i < loop.size(); ++i) {
      const Vertex& a = loop[i];
      const Vertex& b = loop[(i + 1) % loop.size()];
      sum += (a.x * b.y - b.x * a.y) / 2;
      const double sweep = 4 * std::atan(a.bulge);
      const double chord2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
      if (a.bulge != 0)
        sum += chord2 / (4 * std::sin(sweep / 2) * std::sin(sweep / 2)) * (sweep - std::sin(sweep)) / 2;
    }
  return sum;
}

}  // namespace

TEST(RegionText, MirrorsEveryPrintableCharacterButTheSpace) {
  EXPECT_EQ(encodeLine("End-of-ACIS-data"), "Z1;r09r^\\VLr;>+>");
  EXPECT_EQ(decodeLine("Z1;r09r^\\VLr;>+>"), "End-of-ACIS-data");
  EXPECT_EQ(encodeLine("\x01\t\xB5"), "\x01\t\xB5");
  std::string every;
  for (int c = 32; c < 127; ++c) every.push_back(static_cast<char>(c));
  EXPECT_EQ(decodeLine(encodeLine(every)), every);
  EXPECT_EQ(encodeLine("body $-1 #"), "=0;& {rn |");
}

TEST(RegionText, WrittenLoopsReadBackExactly) {
  const std::vector<RegionShape> shapes = {
      {{{{0, 0, 0}, {4, 0, 0}, {4, 3, 0}, {0, 3, 0}}}, 0},
      // A hole, clockwise, with an arc that turns clockwise.
      {{{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}},
        {{2, 2, 0}, {2, 8, 0}, {8, 8, -0.5}, {8, 2, 0}}},
       2.5},
      // A whole circle as two halves, far from the origin.
      {{{{1e6 + 1, 2e6, 1}, {1e6 - 1, 2e6, 1}}}, -7},
      // Two faces, each with a hole; the holes find their own outer boundary.
      {{{{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}},
        {{10, 0, 0}, {13, 0, 0}, {13, 3, 0}, {10, 3, 0}},
        {{11, 1, 0}, {11, 2, 0}, {12, 2, 0}, {12, 1, 0}},
        {{1, 1, 0}, {1, 2, 0}, {2, 2, 0}, {2, 1, 0}}},
       0},
      // Bulges of every size, both ways.
      {{{{0, 0, 0.01}, {5, 0, 0.4142135623730951}, {5, 5, 3}, {0, 5, -0.2}}}, 0},
  };
  for (const RegionShape& shape : shapes) {
    const RegionShape back = readBack(shape);
    EXPECT_EQ(back.elevation, shape.elevation);
    ASSERT_EQ(back.loops.size(), shape.loops.size()) << describe(shape);
    EXPECT_NEAR(area(back), area(shape), 1e-12 * std::fabs(area(shape)));
    // Corners come back exactly; bulges to rounding.
    double total = 0;
    for (const RegionLoop& loop : shape.loops) total += loop.size();
    double found = 0;
    for (const RegionLoop& loop : back.loops)
      for (const Vertex& v : loop) {
        bool matched = false;
        for (const RegionLoop& original : shape.loops)
          for (const Vertex& w : original)
            matched = matched || (v.x == w.x && v.y == w.y &&
                                  std::fabs(v.bulge - w.bulge) <= 1e-14 * (1 + std::fabs(w.bulge)));
        found += matched;
      }
    EXPECT_EQ(found, total) << describe(shape) << " came back as " << describe(back);
  }
  // Holes follow their outer boundary; one outer boundary keeps its holes in order.
  EXPECT_EQ(describe(readBack(shapes[1])), describe(shapes[1]));
  EXPECT_EQ(describe(readBack(shapes[3])),
            "| 0,0 3,0 3,3 0,3| 1,1 1,2 2,2 2,1| 10,0 13,0 13,3 10,3| 11,1 11,2 12,2 12,1");
}

TEST(RegionText, ARepeatedCornerIsDroppedWithoutLosingTheArcAfterIt) {
  const RegionShape shape = {{{{0, 0, 0}, {4, 0, 0}, {4, 0, 1}, {0, 0, 0}}}, 0};
  EXPECT_EQ(describe(readBack(shape)), "| 0,0 4,0,1");
}

TEST(RegionText, WritesOneRecordPerLineWithPointersThatResolve) {
  const std::vector<std::string> lines = writeRegionText({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0.5}}}, 0});
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "700 0 1 0 ");
  EXPECT_EQ(lines[3], "body $-1 -1 $-1 $1 $-1 $-1 #");
  EXPECT_EQ(lines.back(), "End-of-ACIS-data ");
  // body, lump, shell, face, plane, loop, then five records per edge.
  EXPECT_EQ(lines.size(), 3 + 6 + 5 * 3 + 1u);
  EXPECT_EQ(lines[9], "coedge $-1 -1 $-1 $11 $16 $-1 $7 forward $5 $-1 #");
  EXPECT_EQ(lines[10], "edge $-1 -1 $-1 $8 0 $13 1 $6 $10 forward @7 unknown #");
  EXPECT_EQ(lines[12], "point $-1 -1 $-1 0 0 0 #");
}

TEST(RegionText, ReadsWholeCirclesReversedSensesDownwardNormalsAndTransforms) {
  // One edge around a whole circle on one vertex, its coedge reversed, on a plane facing down,
  // moved by (10, 20, 5) and turned a quarter about z.
  const std::string text = header() +
      "body $-1 -1 $-1 $2 $-1 $1 #\n"
      "transform $-1 -1 0 1 0 -1 0 0 0 0 1 10 20 5 1 rotate no_reflect no_shear #\n"
      "lump $-1 -1 $-1 $-1 $3 $0 #\n"
      "shell $-1 -1 $-1 $-1 $-1 $4 $-1 $2 #\n"
      "face $-1 -1 $-1 $-1 $5 $3 $-1 $6 forward double out #\n"
      "loop $-1 -1 $-1 $-1 $7 $4 #\n"
      "plane-surface $-1 -1 $-1 0 0 0 0 0 -1 1 0 0 forward_v I I I I #\n"
      "coedge $-1 -1 $-1 $7 $7 $-1 $8 reversed $5 $-1 #\n"
      "edge $-1 -1 $-1 $9 0 $9 6.2831853071795862 $7 $10 forward @7 unknown #\n"
      "vertex $-1 -1 $-1 $8 $11 #\n"
      "ellipse-curve $-1 -1 $-1 0 0 0 0 0 1 2 0 0 1 I I #\n"
      "point $-1 -1 $-1 2 0 0 #\n"
      "End-of-ACIS-data \n";
  RegionShape shape;
  std::string why;
  ASSERT_TRUE(readRegionText(linesOf(text), shape, why)) << why;
  EXPECT_EQ(shape.elevation, 5);
  ASSERT_EQ(shape.loops.size(), 1u);
  ASSERT_EQ(shape.loops[0].size(), 2u);
  EXPECT_NEAR(area(shape), 4 * kPi, 1e-12);  // counter-clockwise after all
  // (2, 0) turned a quarter is (0, 2); then moved.
  EXPECT_NEAR(shape.loops[0][0].x, 10, 1e-12);
  EXPECT_NEAR(shape.loops[0][0].y, 22, 1e-12);
}

TEST(RegionText, ReadsAnotherWritersSquare) {
  // Records as another program writes them: a transform that moves, edges shared between
  // coedges of either sense, records in an order of its own.
  const std::string text =
      "700 0 1 0 \n@13 other program @12 ACIS 32.0 NT @24 Wed Dec  9 12:03:54 2026 \n"
      "1 9.9999999999999995e-007 1e-010 \n"
      "body $-1 -1 $-1 $2 $-1 $1 #\n"
      "transform $-1 -1 1 0 0 0 1 0 0 0 1 0.5 0.5 0 1 no_rotate no_reflect no_shear #\n"
      "lump $-1 -1 $-1 $-1 $3 $0 #\n"
      "shell $-1 -1 $-1 $-1 $-1 $4 $-1 $2 #\n"
      "face $-1 -1 $-1 $-1 $5 $3 $-1 $6 forward double out #\n"
      "loop $-1 -1 $-1 $-1 $7 $4 #\n"
      "plane-surface $-1 -1 $-1 -0.5 -0.5 0 0 0 1 1 0 0 forward_v I I I I #\n"
      "coedge $-1 -1 $-1 $10 $9 $-1 $8 forward $5 $-1 #\n"
      "edge $-1 -1 $-1 $11 0 $12 1 $7 $13 forward @7 unknown #\n"
      "coedge $-1 -1 $-1 $7 $15 $-1 $14 reversed $5 $-1 #\n"
      "coedge $-1 -1 $-1 $15 $7 $-1 $16 forward $5 $-1 #\n"
      "vertex $-1 -1 $-1 $8 $17 #\n"
      "vertex $-1 -1 $-1 $8 $18 #\n"
      "straight-curve $-1 -1 $-1 -0.5 -0.5 0 1 0 0 I I #\n"
      "edge $-1 -1 $-1 $11 0 $19 1 $9 $20 forward @7 unknown #\n"
      "coedge $-1 -1 $-1 $9 $10 $-1 $21 forward $5 $-1 #\n"
      "edge $-1 -1 $-1 $12 0 $22 1 $10 $23 forward @7 unknown #\n"
      "point $-1 -1 $-1 -0.5 -0.5 0 #\n"
      "point $-1 -1 $-1 0.5 -0.5 0 #\n"
      "vertex $-1 -1 $-1 $21 $24 #\n"
      "straight-curve $-1 -1 $-1 -0.5 -0.5 0 0 1 0 I I #\n"
      "edge $-1 -1 $-1 $22 0 $19 1 $15 $25 forward @7 unknown #\n"
      "vertex $-1 -1 $-1 $16 $26 #\n"
      "straight-curve $-1 -1 $-1 0.5 -0.5 0 0 1 0 I I #\n"
      "point $-1 -1 $-1 -0.5 0.5 0 #\n"
      "straight-curve $-1 -1 $-1 0.5 0.5 0 -1 0 0 I I #\n"
      "point $-1 -1 $-1 0.5 0.5 0 #\n"
      "End-of-ACIS-data \n";
  RegionShape shape;
  std::string why;
  ASSERT_TRUE(readRegionText(linesOf(text), shape, why)) << why;
  EXPECT_EQ(describe(shape), "| 0,0 1,0 1,1 0,1");
}

TEST(RegionText, RefusesWhatIsNoRegionWithAReason) {
  const std::string body = "body $-1 -1 $-1 $1 $-1 $-1 #\nlump $-1 -1 $-1 $-1 $2 $0 #\n"
                           "shell $-1 -1 $-1 $-1 $-1 $3 $-1 $1 #\n";
  const std::string face = "face $-1 -1 $-1 $-1 $4 $2 $-1 $5 forward double out #\n";
  const std::string loopToSix = "loop $-1 -1 $-1 $-1 $6 $3 #\n";
  const std::string flat = "plane-surface $-1 -1 $-1 0 0 0 0 0 1 1 0 0 forward_v I I I I #\n";
  const std::string edgeOn = "coedge $-1 -1 $-1 $6 $6 $-1 $7 forward $4 $-1 #\n"
                             "edge $-1 -1 $-1 $8 0 $8 1 $6 $9 forward @7 unknown #\n"
                             "vertex $-1 -1 $-1 $7 $10 #\n";
  const std::string point = "point $-1 -1 $-1 1 0 0 #\n";
  const struct {
    std::string text, reason;
  } cases[] = {
      {"", "the modeler data has no header"},
      {"400 0 1 0\n@4 test @12 ACIS 4.0 NT @24 x\n1 1e-06 1e-10\n" + body,
       "modeler data of release 400 is older than the host reads"},
      {header(), "no body"},
      {header() + "body $-1 -1 $-1 $7 $-1 $-1 #\n", "a body record points outside the data"},
      {header() + body + face + loopToSix +
           "plane-surface $-1 -1 $-1 0 0 0 1 0 0 0 1 0 forward_v I I I I #\n",
       "a face is not parallel to XY"},
      {header() + body + face + loopToSix + flat + edgeOn +
           "intcurve-curve $-1 -1 $-1 forward { exactcur nubs 3 open 2 } I I #\n" + point,
       "an edge lies on a curve of kind intcurve-curve"},
      {header() + body + face + loopToSix + flat + edgeOn +
           "ellipse-curve $-1 -1 $-1 0 0 0 0 0 1 1 0 0 0.5 I I #\n" + point,
       "an edge lies on an ellipse or on a circle not parallel to XY"},
      // The loop points at itself as its next loop: refused, not walked for ever.
      {header() + body + face + "loop $-1 -1 $-1 $4 $6 $3 #\n" + flat + edgeOn +
           "straight-curve $-1 -1 $-1 0 0 0 1 0 0 I I #\n" + point,
       "the loops of a face do not end"},
      {header() + body + face + loopToSix + flat + "coedge $-1 -1 $-1 $6 $6 $-1 #\n",
       "a coedge record is missing a pointer"},
  };
  for (const auto& c : cases) {
    RegionShape shape;
    std::string why;
    EXPECT_FALSE(readRegionText(linesOf(c.text), shape, why)) << c.text;
    EXPECT_EQ(why, c.reason) << c.text;
    EXPECT_TRUE(shape.loops.empty());
  }
}
