// Geometry fixtures: intersections of arcs, circles and bulged polylines,
// splitting arcs and circles, and text boxes. Each case is data: the two
// curves, the mode, and the points expected in the order reported.
#include <array>
#include <cmath>
#include <functional>
#include <memory>

#include "fixture.h"
#include "editor/editor.h"

namespace hosttest {
namespace {

constexpr double kPi = 3.14159265358979323846;

AcDbPolyline* polyline(std::initializer_list<std::array<double, 3>> verts, bool closed = false) {
  auto* pl = new AcDbPolyline;
  unsigned i = 0;
  for (const auto& v : verts) pl->addVertexAt(i++, {v[0], v[1]}, v[2]);
  pl->setClosed(closed);
  return pl;
}

struct CurveCase {
  const char* what;
  std::function<AcDbEntity*()> a, b;
  AcDb::Intersect mode;
  std::vector<AcGePoint3d> expected;
};

void checkCase(const CurveCase& c) {
  std::unique_ptr<AcDbEntity> a(c.a()), b(c.b());
  AcGePoint3dArray pts;
  ASSERT_EQ(a->intersectWith(b.get(), c.mode, pts), AcDb::kOk) << c.what;
  ASSERT_EQ(pts.length(), static_cast<int>(c.expected.size())) << c.what;
  for (size_t i = 0; i < c.expected.size(); ++i) {
    EXPECT_NEAR(pts[static_cast<int>(i)].x, c.expected[i].x, 1e-9) << c.what << " #" << i;
    EXPECT_NEAR(pts[static_cast<int>(i)].y, c.expected[i].y, 1e-9) << c.what << " #" << i;
  }
}

TEST(Geometry, CurveIntersections) {
  const CurveCase cases[] = {
      {"line through a quarter arc",
       [] { return new AcDbLine({0, 0, 0}, {10, 10, 0}); },
       [] { return new AcDbArc({0, 0, 0}, 5, 0, kPi / 2); },
       AcDb::kOnBothOperands,
       {{5 / std::sqrt(2.0), 5 / std::sqrt(2.0), 0}}},
      {"line missing the arc, arc extended",
       [] { return new AcDbLine({-10, 3, 0}, {3, -10, 0}); },
       [] { return new AcDbArc({0, 0, 0}, 5, 0, kPi / 2); },
       AcDb::kExtendArg,
       {{-4, -3, 0}, {-3, -4, 0}}},
      {"two circles",
       [] { return new AcDbCircle({0, 0, 0}, 5); },
       [] { return new AcDbCircle({8, 0, 0}, 5); },
       AcDb::kOnBothOperands,
       {{4, -3, 0}, {4, 3, 0}}},
      {"same circle",
       [] { return new AcDbCircle({1, 1, 0}, 2); },
       [] { return new AcDbCircle({1, 1, 0}, 2); },
       AcDb::kOnBothOperands,
       {}},
      {"polyline corner met once",
       [] { return polyline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}); },
       [] { return new AcDbLine({5, 5, 0}, {15, -5, 0}); },
       AcDb::kOnBothOperands,
       {{10, 0, 0}}},
      {"bulged polyline segment",
       [] { return polyline({{-5, 0, 1}, {5, 0, 0}}); },  // counter-clockwise: the lower half
       [] { return new AcDbLine({0, 10, 0}, {0, -10, 0}); },
       AcDb::kOnBothOperands,
       {{0, -5, 0}}},
      {"polyline is never extended",
       [] { return polyline({{0, 0, 0}, {4, 0, 0}}); },
       [] { return new AcDbLine({5, -5, 0}, {5, 5, 0}); },
       AcDb::kExtendBoth,
       {}},
  };
  for (const CurveCase& c : cases) checkCase(c);
}

TEST(Geometry, TextHasNoIntersections) {
  AcDbText text({0, 0, 0}, "A");
  AcDbLine line({0, 0, 0}, {1, 1, 0});
  AcGePoint3dArray pts;
  EXPECT_EQ(line.intersectWith(&text, AcDb::kOnBothOperands, pts), AcDb::kNotImplemented);
  EXPECT_TRUE(pts.isEmpty());
}

TEST(Geometry, SplitArcAndCircle) {
  AcDbArc arc({0, 0, 0}, 1, 0, kPi);
  AcGePoint3dArray at;
  at.append({0, 1, 0});
  AcDbVoidPtrArray pieces;
  ASSERT_EQ(arc.getSplitCurves(at, pieces), AcDb::kOk);
  ASSERT_EQ(pieces.length(), 2);
  auto* first = static_cast<AcDbArc*>(pieces[0]);
  auto* second = static_cast<AcDbArc*>(pieces[1]);
  EXPECT_NEAR(first->endAngle(), kPi / 2, 1e-12);
  EXPECT_NEAR(second->startAngle(), kPi / 2, 1e-12);
  delete first;
  delete second;

  AcDbCircle circle({0, 0, 0}, 1);
  AcGePoint3dArray two;
  two.append({1, 0, 0});
  two.append({-1, 0, 0});
  AcDbVoidPtrArray halves;
  ASSERT_EQ(circle.getSplitCurves(two, halves), AcDb::kOk);
  ASSERT_EQ(halves.length(), 2);
  double total = 0;
  for (void* p : halves) {
    auto* a = static_cast<AcDbArc*>(p);
    double end, len;
    a->getEndParam(end);
    a->getDistAtParam(end, len);
    total += len;
    delete a;
  }
  EXPECT_NEAR(total, 2 * kPi, 1e-9);
}

TEST(Geometry, SplitClosedPolylineAtTwoPoints) {
  std::unique_ptr<AcDbPolyline> square(
      polyline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, true));
  AcGePoint3dArray at;
  at.append({5, 0, 0});
  at.append({5, 10, 0});
  AcDbVoidPtrArray pieces;
  ASSERT_EQ(square->getSplitCurves(at, pieces), AcDb::kOk);
  ASSERT_EQ(pieces.length(), 2);
  double total = 0;
  for (void* p : pieces) {
    auto* pl = static_cast<AcDbPolyline*>(p);
    EXPECT_FALSE(pl->isClosed());
    double end, len;
    pl->getEndParam(end);
    pl->getDistAtParam(end, len);
    EXPECT_NEAR(len, 20, 1e-9);
    total += len;
    delete pl;
  }
  EXPECT_NEAR(total, 40, 1e-9);
}

struct BoxCase {
  int hmode, vmode;
  double minX, minY;
};

TEST(Geometry, TextBoxFollowsJustification) {
  const BoxCase cases[] = {{0, 0, 10, 20}, {1, 0, 8, 20}, {2, 0, 6, 20}, {4, 0, 8, 19},
                           {0, 3, 10, 18}};
  for (const BoxCase& c : cases) {
    AcDbText text({10, 20, 0}, "ABCD", AcDbObjectId(), 2.0);  // 4 bytes: 4 wide, 2 high
    text.setHorizontalMode(c.hmode);
    text.setVerticalMode(c.vmode);
    text.setAlignmentPoint({10, 20, 0});
    AcDbExtents e;
    ASSERT_EQ(text.getGeomExtents(e), AcDb::kOk);
    EXPECT_NEAR(e.minPoint.x, c.minX, 1e-12) << c.hmode << "/" << c.vmode;
    EXPECT_NEAR(e.minPoint.y, c.minY, 1e-12) << c.hmode << "/" << c.vmode;
  }
}

class BlockSelectionTest : public HostTest {};

TEST_F(BlockSelectionTest, BoxesSelectReferencesByWhatTheyDraw) {
  AcDbObjectId block = addBlock("RING");
  appendTo("RING", new AcDbCircle({0, 0, 0}, 1));
  AcDbObjectId ref = addInsert(block, 50, 50, nullptr, 2.0);  // a circle of radius 2
  AcEdPoint a = {47, 47, 0}, b = {53, 53, 0};
  AcEdName ss;
  ASSERT_EQ(acedSSGet("W", a, b, nullptr, ss), AcEd::kNormal);
  acedSSFree(ss);
  AcEdPoint c = {51.9, 49, 0}, d = {53, 51, 0};  // touches the ring's right side
  ASSERT_EQ(acedSSGet("C", c, d, nullptr, ss), AcEd::kNormal);
  AcEdName ent;
  acedSSName(ss, 0, ent);
  AcDbObjectId id;
  acdbGetObjectId(id, ent);
  EXPECT_EQ(id, ref);
  acedSSFree(ss);
  AcEdPoint e = {49, 49, 0}, f = {51, 51, 0};  // inside the ring, touching nothing
  EXPECT_EQ(acedSSGet("C", e, f, nullptr, ss), AcEd::kError);
  // A block filter by name (group 2).
  AcEdResBuf* filter = acutBuildList(2, "ri*", 0);
  ASSERT_EQ(acedSSGet("A", nullptr, nullptr, filter, ss), AcEd::kNormal);
  acutRelRb(filter);
  acedSSFree(ss);
}

TEST_F(BlockSelectionTest, ABlockThatInsertsItselfDoesNotHang) {
  AcDbObjectId block = addBlock("LOOP");
  appendTo("LOOP", new AcDbLine({0, 0, 0}, {1, 0, 0}));
  appendTo("LOOP", new AcDbBlockReference({2, 0, 0}, block));
  addInsert(block, 0, 0);
  AcEdName ss;
  AcEdPoint a = {-1000, -1000, 0}, b = {1000, 1000, 0};
  EXPECT_EQ(acedSSGet("W", a, b, nullptr, ss), AcEd::kNormal);
  acedSSFree(ss);
}

TEST_F(BlockSelectionTest, DeeplyNestedBlocksStayQuick) {
  // 14 levels of 10 overlapping references: 10^13 lines once expanded.
  AcDbObjectId inner = addBlock("L0");
  appendTo("L0", new AcDbLine({0, 0, 0}, {1, 0, 0}));
  for (int level = 1; level < 14; ++level) {
    std::string name = "L" + std::to_string(level);
    AcDbObjectId block = addBlock(name.c_str());
    for (int i = 0; i < 10; ++i)
      appendTo(name.c_str(), new AcDbBlockReference({0, 0.01 * i, 0}, inner));
    inner = block;
  }
  addInsert(inner, 0, 0);
  std::vector<AcDbStub*> path;
  EXPECT_TRUE(hostimpl::pickAt(db(), {0.5, 0, 0}, 1.0, true, path, nullptr));
  EXPECT_EQ(path.size(), 15u);
  AcEdName ss;
  AcEdPoint a = {-1, -1, 0}, b = {2, 2, 0};
  EXPECT_EQ(acedSSGet("C", a, b, nullptr, ss), AcEd::kNormal);
  acedSSFree(ss);
}

}  // namespace
}  // namespace hosttest
