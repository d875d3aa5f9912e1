// Regions: loops of lines and arcs (corners with bulges) in a plane parallel
// to XY, with their area, perimeter, extents and transforms. The regions of
// a set of curves come from the face finder of the geometry layer.
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbRegion, AcDbEntity)

AcDbRegion::~AcDbRegion() = default;

namespace {

template <typename F>
void forEachEdge(const AcDbRegion& region, F visit) {
  for (const AcDbRegionLoop& loop : region.loops())
    for (size_t i = 0; i < loop.size(); ++i) {
      const AcDbRegionVertex& v = loop[i];
      const AcDbRegionVertex& w = loop[(i + 1) % loop.size()];
      visit(bulgeSegment({v.x, v.y}, {w.x, w.y}, v.bulge, region.elevation()));
    }
}

}  // namespace

double hostimpl::loopArea(const AcDbRegionLoop& loop) {
  if (loop.empty()) return 0;
  const AcGePoint3d origin(loop[0].x, loop[0].y, 0);
  double area = 0;
  for (size_t i = 0; i < loop.size(); ++i) {
    const AcDbRegionVertex& v = loop[i];
    const AcDbRegionVertex& w = loop[(i + 1) % loop.size()];
    area += edgeArea(bulgeSegment({v.x, v.y}, {w.x, w.y}, v.bulge, 0), origin);
  }
  return area;
}

AcDb::Status AcDbRegion::getArea(double& area) const {
  area = 0;
  for (const AcDbRegionLoop& loop : loops_) area += hostimpl::loopArea(loop);
  area = std::fabs(area);
  return AcDb::kOk;
}

AcDb::Status AcDbRegion::getPerimeter(double& perimeter) const {
  perimeter = 0;
  forEachEdge(*this, [&](const BulgeSegment& s) { perimeter += segmentLength(s); });
  return AcDb::kOk;
}

AcDb::Status AcDbRegion::getGeomExtents(AcDbExtents& e) const {
  std::vector<Prim> prims;
  forEachEdge(*this, [&](const BulgeSegment& s) { prims.push_back(bulgePrim(AcGeMatrix3d(), s)); });
  e = hostimpl::primExtents(prims);
  return e.isValid() ? AcDb::kOk : AcDb::kInvalidInput;
}

// Moves, turns and uniform scales keep bulges; a mirror turns every arc the
// other way.
AcDb::Status AcDbRegion::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (loops_.empty() && !keptData_.empty()) return AcDb::kNotApplicable;
  keptData_.clear();
  const bool mirrored = m.entry[0][0] * m.entry[1][1] - m.entry[0][1] * m.entry[1][0] < 0;
  double z = elevation_;
  for (AcDbRegionLoop& loop : loops_)
    for (AcDbRegionVertex& v : loop) {
      const AcGePoint3d p = m.apply(AcGePoint3d(v.x, v.y, elevation_));
      v.x = p.x, v.y = p.y, z = p.z;
      if (mirrored) v.bulge = -v.bulge;
    }
  elevation_ = z;
  return AcDb::kOk;
}

AcRxObject* AcDbRegion::clone() const {
  auto* copy = new AcDbRegion;
  copy->copyEntityProperties(*this);
  copy->loops_ = loops_;
  copy->elevation_ = elevation_;
  copy->keptData_ = keptData_;
  return copy;
}

namespace {

constexpr double kTwoPi = 6.28318530717958647692;

// The edges of a curve, each with the index of its curve: lines as they
// are, arcs by their ends and bulge, a closed circle as two halves.
void addEdges(const AcDbCurve* curve, int source, std::vector<PlaneEdge>& edges,
              std::vector<int>& sources) {
  std::vector<Prim> prims;
  hostimpl::collectPrims(curve, AcGeMatrix3d(), prims);
  for (const Prim& p : prims) {
    if (p.kind == Prim::kSegment) {
      edges.push_back({p.a, p.b, 0});
      sources.push_back(source);
    } else if (p.kind == Prim::kArc) {
      double sweep = std::fmod(p.end - p.start, kTwoPi);
      if (sweep <= 0) sweep += kTwoPi;
      const int parts = sweep > kTwoPi - 1e-9 ? 2 : 1;
      for (int k = 0; k < parts; ++k) {
        const double from = p.start + sweep * k / parts, to = p.start + sweep * (k + 1) / parts;
        edges.push_back({polar(p.center, p.radius, from), polar(p.center, p.radius, to),
                         std::tan(sweep / parts / 4)});
        sources.push_back(source);
      }
    }
  }
}

}  // namespace

AcDb::Status AcDbRegion::createFromCurves(const AcDbVoidPtrArray& curveSegments,
                                          AcDbVoidPtrArray& regions) {
  std::vector<const AcDbCurve*> curves;
  std::vector<PlaneEdge> edges;
  std::vector<int> sources;
  for (void* ptr : curveSegments) {
    auto* curve = ptr ? AcDbCurve::cast(static_cast<AcRxObject*>(ptr)) : nullptr;
    if (!curve) return AcDb::kInvalidInput;
    addEdges(curve, static_cast<int>(curves.size()), edges, sources);
    curves.push_back(curve);
  }
  // Pieces that overlap along a line or an arc are made to meet at their ends.
  std::vector<int> origin;
  edges = splitAtEnds(edges, origin);
  for (int& piece : origin) piece = sources[piece];
  sources = std::move(origin);
  const std::vector<Face> faces = boundedFaces(edges);
  for (const Face& face : faces) {
    AcDbRegionLoop loop;
    for (size_t k = 0; k < face.sides.size(); ++k) {
      const FaceSide& side = face.sides[k];
      const double bulge = edges[side.edge].bulge;
      loop.push_back({face.corners[k].x, face.corners[k].y, side.forward ? bulge : -bulge});
    }
    const PlaneEdge& first = edges[face.sides.front().edge];
    auto* region = new AcDbRegion;
    region->copyEntityProperties(*curves[sources[face.sides.front().edge]]);
    region->setElevation(first.a.z);
    region->setLoops({std::move(loop)});
    regions.append(region);
  }
  return faces.empty() ? AcDb::kInvalidInput : AcDb::kOk;
}
