// Entities: properties, copies, curve parameters, splitting, intersections
// and regions. Geometry cases are tables: inputs and the expected points.
#include <cmath>

#include "fixture.h"

namespace hosttest {
namespace {

constexpr double kPi = 3.14159265358979323846;

class EntitiesTest : public HostTest {};

TEST_F(EntitiesTest, SetLayerByNameAndById) {
  AcDbObjectId wall = addLayer("WALL");
  AcDbObjectId id = addLine(0, 0, 1, 0);
  EXPECT_EQ(layerOf(id), "0");
  {
    Opened<AcDbEntity> e(id, AcDb::kForWrite);
    EXPECT_EQ(e->setLayer("NOSUCH"), AcDb::kKeyNotFound);
    EXPECT_EQ(e->setLayer("wall"), AcDb::kOk);
    EXPECT_EQ(e->layerId(), wall);
  }
  EXPECT_EQ(layerOf(id), "WALL");
}

TEST_F(EntitiesTest, NewEntitiesGoOnTheCurrentLayer) {
  AcDbObjectId wall = addLayer("WALL");
  ASSERT_EQ(db()->setClayer(wall), AcDb::kOk);
  EXPECT_EQ(layerOf(addLine(0, 0, 1, 0)), "WALL");
  Opened<AcDbEntity> e(addLine(0, 0, 1, 0));
  EXPECT_STREQ(e->linetype(), "BYLAYER");
  EXPECT_EQ(e->colorIndex(), 256);
}

TEST_F(EntitiesTest, CloneKeepsPropertiesAndIsNotInTheDrawing) {
  addLayer("BEAM1");
  AcDbObjectId id = addLine(0, 0, 5, 0, "BEAM1");
  {
    Opened<AcDbEntity> e(id, AcDb::kForWrite);
    e->setColorIndex(3);
    e->setLinetype("DASHED");
  }
  Opened<AcDbLine> line(id);
  auto* copy = static_cast<AcDbLine*>(line->clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->isNewObject());
  EXPECT_STREQ(copy->layer(), "BEAM1");
  EXPECT_EQ(copy->colorIndex(), 3);
  EXPECT_STREQ(copy->linetype(), "DASHED");
  EXPECT_EQ(copy->setEndPoint({10, 0, 0}), AcDb::kOk);  // free until appended
  EXPECT_EQ(line->endPoint().x, 5);
  delete copy;
}

TEST_F(EntitiesTest, CurveParametersAndDistances) {
  AcDbLine line({0, 0, 0}, {10, 0, 0});
  double d;
  ASSERT_EQ(line.getDistAtPoint({4, 0, 0}, d), AcDb::kOk);
  EXPECT_DOUBLE_EQ(d, 4);
  EXPECT_NE(line.getDistAtPoint({4, 1, 0}, d), AcDb::kOk);

  AcDbArc arc({0, 0, 0}, 2, 0, kPi / 2);
  ASSERT_EQ(arc.getDistAtPoint({0, 2, 0}, d), AcDb::kOk);
  EXPECT_NEAR(d, kPi, 1e-12);
  EXPECT_NE(arc.getDistAtPoint({-2, 0, 0}, d), AcDb::kOk);

  AcDbPolyline pl;
  pl.addVertexAt(0, {0, 0});
  pl.addVertexAt(1, {10, 0});
  pl.addVertexAt(2, {10, 5});
  ASSERT_EQ(pl.getDistAtPoint({10, 2, 0}, d), AcDb::kOk);
  EXPECT_NEAR(d, 12, 1e-12);
}

TEST_F(EntitiesTest, BulgedPolylineSegmentIsAnArc) {
  AcDbPolyline pl;
  pl.addVertexAt(0, {0, 0}, 1.0);  // half circle, counter-clockwise
  pl.addVertexAt(1, {2, 0});
  AcGePoint3d mid;
  ASSERT_EQ(pl.getPointAtParam(0.5, mid), AcDb::kOk);
  EXPECT_NEAR(mid.x, 1, 1e-12);
  EXPECT_NEAR(mid.y, -1, 1e-12);
  double d;
  ASSERT_EQ(pl.getDistAtParam(1, d), AcDb::kOk);
  EXPECT_NEAR(d, kPi, 1e-12);
  AcDbExtents ext;
  ASSERT_EQ(pl.getGeomExtents(ext), AcDb::kOk);
  EXPECT_NEAR(ext.minPoint.y, -1, 1e-12);
}

TEST_F(EntitiesTest, SplitCurvesKeepPropertiesAndOrder) {
  AcDbLine line({0, 0, 0}, {10, 0, 0});
  line.setColorIndex(2);
  AcGePoint3dArray at;
  at.append({7, 0, 0});
  at.append({3, 0, 0});
  at.append({5, 1, 0});  // off the line: ignored
  AcDbVoidPtrArray pieces;
  ASSERT_EQ(line.getSplitCurves(at, pieces), AcDb::kOk);
  ASSERT_EQ(pieces.length(), 3);
  const double ends[] = {3, 7, 10};
  for (int i = 0; i < 3; ++i) {
    auto* piece = static_cast<AcDbLine*>(pieces[i]);
    EXPECT_DOUBLE_EQ(piece->endPoint().x, ends[i]);
    EXPECT_EQ(piece->colorIndex(), 2);
    delete piece;
  }
  AcDbPolyline pl;
  pl.addVertexAt(0, {0, 0});
  pl.addVertexAt(1, {10, 0});
  pl.addVertexAt(2, {10, 10});
  AcGePoint3dArray cut;
  cut.append({10, 4, 0});
  AcDbVoidPtrArray parts;
  ASSERT_EQ(pl.getSplitCurves(cut, parts), AcDb::kOk);
  ASSERT_EQ(parts.length(), 2);
  auto* first = static_cast<AcDbPolyline*>(parts[0]);
  EXPECT_EQ(first->numVerts(), 3u);
  AcGePoint3d end;
  first->getEndPoint(end);
  EXPECT_NEAR(end.y, 4, 1e-12);
  for (void* p : parts) delete static_cast<AcDbPolyline*>(p);
}

struct LineCase {
  const char* what;
  AcGePoint3d a0, a1, b0, b1;
  AcDb::Intersect mode;
  int count;
  AcGePoint3d point;
};

class LineIntersectionTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineIntersectionTest, Reports) {
  const LineCase& c = GetParam();
  AcDbLine a(c.a0, c.a1), b(c.b0, c.b1);
  AcGePoint3dArray pts;
  ASSERT_EQ(a.intersectWith(&b, c.mode, pts), AcDb::kOk);
  ASSERT_EQ(pts.length(), c.count) << c.what;
  if (c.count) {
    EXPECT_NEAR(pts[0].x, c.point.x, 1e-9) << c.what;
    EXPECT_NEAR(pts[0].y, c.point.y, 1e-9) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineIntersectionTest,
    ::testing::Values(
        LineCase{"crossing", {0, 0, 0}, {10, 0, 0}, {5, -5, 0}, {5, 5, 0}, AcDb::kOnBothOperands, 1, {5, 0, 0}},
        LineCase{"touching at an end", {0, 0, 0}, {10, 0, 0}, {10, 0, 0}, {10, 5, 0}, AcDb::kOnBothOperands, 1, {10, 0, 0}},
        LineCase{"apart as drawn", {0, 0, 0}, {4, 0, 0}, {5, -5, 0}, {5, 5, 0}, AcDb::kOnBothOperands, 0, {}},
        LineCase{"this extended", {0, 0, 0}, {4, 0, 0}, {5, -5, 0}, {5, 5, 0}, AcDb::kExtendThis, 1, {5, 0, 0}},
        LineCase{"argument not extended", {0, 0, 0}, {10, 0, 0}, {5, 1, 0}, {5, 5, 0}, AcDb::kExtendThis, 0, {}},
        LineCase{"both extended", {0, 0, 0}, {1, 0, 0}, {5, 1, 0}, {5, 5, 0}, AcDb::kExtendBoth, 1, {5, 0, 0}},
        LineCase{"collinear overlapping", {0, 0, 0}, {10, 0, 0}, {5, 0, 0}, {15, 0, 0}, AcDb::kExtendBoth, 0, {}},
        LineCase{"collinear apart", {0, 0, 0}, {5, 0, 0}, {7, 0, 0}, {10, 0, 0}, AcDb::kExtendThis, 0, {}},
        LineCase{"parallel", {0, 0, 0}, {10, 0, 0}, {0, 1, 0}, {10, 1, 0}, AcDb::kExtendBoth, 0, {}},
        LineCase{"itself", {0, 0, 0}, {10, 3, 0}, {0, 0, 0}, {10, 3, 0}, AcDb::kOnBothOperands, 0, {}}));

TEST_F(EntitiesTest, ArcAndCircleIntersections) {
  AcDbLine line({-5, 0, 0}, {5, 0, 0});
  AcDbCircle circle({0, 0, 0}, 2);
  AcGePoint3dArray pts;
  ASSERT_EQ(line.intersectWith(&circle, AcDb::kOnBothOperands, pts), AcDb::kOk);
  EXPECT_EQ(pts.length(), 2);
  AcDbArc upper({0, 0, 0}, 2, 0.1, kPi - 0.1);  // misses the X axis
  pts.removeAll();
  line.intersectWith(&upper, AcDb::kOnBothOperands, pts);
  EXPECT_EQ(pts.length(), 0);
  pts.removeAll();
  line.intersectWith(&upper, AcDb::kExtendArg, pts);
  EXPECT_EQ(pts.length(), 2);
  AcDbCircle other({3, 0, 0}, 1);  // tangent at (2,0)
  pts.removeAll();
  circle.intersectWith(&other, AcDb::kOnBothOperands, pts);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_NEAR(pts[0].x, 2, 1e-9);
}

TEST_F(EntitiesTest, RegionsFromClosedLoops) {
  AcDbLine a({0, 0, 0}, {4, 0, 0}), b({4, 0, 0}, {4, 3, 0}), c({0, 3, 0}, {4, 3, 0}),
      d({0, 3, 0}, {0, 0, 0}), stray({10, 10, 0}, {11, 11, 0});
  AcDbVoidPtrArray curves, regions;
  for (AcDbLine* l : {&a, &b, &c, &d, &stray}) curves.append(l);
  ASSERT_EQ(AcDbRegion::createFromCurves(curves, regions), AcDb::kOk);
  ASSERT_EQ(regions.length(), 1);
  auto* region = static_cast<AcDbRegion*>(regions[0]);
  double area;
  region->getArea(area);
  EXPECT_NEAR(area, 12, 1e-9);
  delete region;
}

TEST_F(EntitiesTest, BlockReferenceExtentsFollowTheTransformation) {
  AcDbObjectId block = addBlock("SQUARE");
  appendTo("SQUARE", new AcDbLine({0, 0, 0}, {1, 0, 0}));
  appendTo("SQUARE", new AcDbLine({0, 0, 0}, {0, 1, 0}));
  AcDbObjectId ref = addInsert(block, 10, 10, nullptr, 2.0, kPi / 2);
  Opened<AcDbEntity> e(ref);
  AcDbExtents ext;
  ASSERT_EQ(e->getGeomExtents(ext), AcDb::kOk);
  EXPECT_NEAR(ext.minPoint.x, 8, 1e-9);
  EXPECT_NEAR(ext.maxPoint.x, 10, 1e-9);
  EXPECT_NEAR(ext.maxPoint.y, 12, 1e-9);
}

TEST_F(EntitiesTest, AttributesJoinWithTheirReference) {
  AcDbObjectId block = addBlock("TAG");
  auto* ref = new AcDbBlockReference({0, 0, 0}, block);
  ref->appendAttribute(new AcDbAttribute({1, 1, 0}, "4%%13225", "REBAR"));
  AcDbObjectId refId = appendTo(ACDB_MODEL_SPACE, ref);
  AcDbObjectIdArray atts;
  {
    Opened<AcDbBlockReference> r(refId);
    atts = r->attributeIds();
  }
  ASSERT_EQ(atts.length(), 1);
  {
    Opened<AcDbAttribute> att(atts[0]);
    ASSERT_EQ(att.status, AcDb::kOk);
    EXPECT_TRUE(att->isKindOf(AcDbText::desc()));
    EXPECT_EQ(att->ownerId(), refId);
  }
  {
    Opened<AcDbEntity> r(refId, AcDb::kForWrite);
    ASSERT_EQ(r->erase(), AcDb::kOk);
  }
  EXPECT_TRUE(atts[0].isErased());
}

}  // namespace
}  // namespace hosttest
