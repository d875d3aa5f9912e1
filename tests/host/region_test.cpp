// Regions built from curves through the host interface: which faces become
// regions, their exact areas, whose properties they take, and what they
// answer as entities.
#include <cmath>
#include <memory>

#include "fixture.h"

namespace hosttest {
namespace {

constexpr double kPi = 3.14159265358979323846;

class RegionTest : public HostTest {
 protected:
  // Owns the curves and the regions of one build.
  struct Build {
    std::vector<std::unique_ptr<AcDbCurve>> curves;
    AcDbVoidPtrArray regions;
    AcDb::Status status = AcDb::kOk;
    ~Build() {
      for (void* r : regions) delete static_cast<AcDbRegion*>(r);
    }
    AcDbRegion* region(int i) const { return static_cast<AcDbRegion*>(regions[i]); }
    double area(int i) const {
      double a = 0;
      region(i)->getArea(a);
      return a;
    }
  };
  void run(Build& b) {
    AcDbVoidPtrArray pieces;
    for (auto& c : b.curves) pieces.append(c.get());
    b.status = AcDbRegion::createFromCurves(pieces, b.regions);
  }
};

TEST_F(RegionTest, CirclesAndArcsKeepTheirExactArea) {
  Build b;
  b.curves.emplace_back(new AcDbCircle({0, 0, 0}, 1));
  b.curves.emplace_back(new AcDbArc({10, 0, 0}, 2, 0, kPi));
  b.curves.emplace_back(new AcDbLine({8, 0, 0}, {12, 0, 0}));
  run(b);
  ASSERT_EQ(b.status, AcDb::kOk);
  ASSERT_EQ(b.regions.length(), 2);
  EXPECT_NEAR(b.area(0), kPi, 1e-12);
  EXPECT_NEAR(b.area(1), 2 * kPi, 1e-12);
  double perimeter = 0;
  b.region(0)->getPerimeter(perimeter);
  EXPECT_NEAR(perimeter, 2 * kPi, 1e-12);
}

TEST_F(RegionTest, RegionsTakeTheFirstBoundingPiecesProperties) {
  Build b;
  auto* first = new AcDbLine({5, 5, 0}, {6, 6, 0});  // bounds nothing
  first->setColorIndex(1);
  b.curves.emplace_back(first);
  auto* square = new AcDbPolyline;
  square->addVertexAt(0, {0, 0});
  square->addVertexAt(1, {2, 0}, 1);  // a half circle out to the right
  square->addVertexAt(2, {2, 2});
  square->addVertexAt(3, {0, 2});
  square->setClosed(true);
  square->setColorIndex(3);
  square->setElevation(4);
  b.curves.emplace_back(square);
  run(b);
  ASSERT_EQ(b.regions.length(), 1);
  EXPECT_EQ(b.region(0)->colorIndex(), 3);
  EXPECT_EQ(b.region(0)->elevation(), 4);
  EXPECT_NEAR(b.area(0), 4 + kPi / 2, 1e-12);
  AcDbExtents box;
  ASSERT_EQ(b.region(0)->getGeomExtents(box), AcDb::kOk);
  EXPECT_NEAR(box.maxPoint.x, 3, 1e-12);  // the arc's far point, not its chord
}

TEST_F(RegionTest, NoFaceIsAnError) {
  Build b;
  b.curves.emplace_back(new AcDbLine({0, 0, 0}, {1, 0, 0}));
  b.curves.emplace_back(new AcDbLine({1, 0, 0}, {1, 1, 0}));
  run(b);
  EXPECT_EQ(b.status, AcDb::kInvalidInput);
  EXPECT_EQ(b.regions.length(), 0);
  AcDbVoidPtrArray none, regions;
  EXPECT_EQ(AcDbRegion::createFromCurves(none, regions), AcDb::kInvalidInput);
}

TEST_F(RegionTest, MirroringTurnsTheArcsAndKeepsTheArea) {
  auto* region = new AcDbRegion;
  region->setLoops({{{0, 0, 1}, {2, 0, 0}}});  // a half disc below the x axis
  double before = 0, after = 0;
  region->getArea(before);
  const AcDbObjectId id = appendTo(ACDB_MODEL_SPACE, region);
  {
    Opened<AcDbRegion> r(id, AcDb::kForWrite);
    AcGeMatrix3d mirror = AcGeMatrix3d::scaling({1, -1, 1});
    ASSERT_EQ(r->transformBy(mirror), AcDb::kOk);
    r->getArea(after);
    EXPECT_EQ(r->loops()[0][0].bulge, -1);
    AcDbExtents box;
    r->getGeomExtents(box);
    EXPECT_NEAR(box.maxPoint.y, 1, 1e-12);  // now above the axis
  }
  EXPECT_NEAR(before, kPi / 2, 1e-12);
  EXPECT_NEAR(after, before, 1e-12);
  // As an entity it is a REGION.
  AcEdName name;
  acdbGetAdsName(name, id);
  AcEdResBuf* data = acdbEntGet(name);
  ASSERT_NE(data, nullptr);
  bool found = false;
  for (AcEdResBuf* rb = data; rb; rb = rb->next)
    if (rb->type == 0) found = std::string(rb->value.string) == "REGION";
  EXPECT_TRUE(found);
  acutRelRb(data);
}

}  // namespace
}  // namespace hosttest
