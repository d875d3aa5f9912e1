// Regions: closed loops of points, with their area and perimeter.
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbRegion, AcDbEntity)

AcDbRegion::~AcDbRegion() = default;

AcDb::Status AcDbRegion::getArea(double& area) const {
  area = 0;
  for (const auto& loop : loops_) {
    double a = 0;
    for (size_t i = 0; i < loop.size(); ++i) {
      const auto& p = loop[i];
      const auto& q = loop[(i + 1) % loop.size()];
      a += p.x * q.y - q.x * p.y;
    }
    area += a / 2;
  }
  area = std::fabs(area);
  return AcDb::kOk;
}
AcDb::Status AcDbRegion::getPerimeter(double& perimeter) const {
  perimeter = 0;
  for (const auto& loop : loops_)
    for (size_t i = 0; i < loop.size(); ++i)
      perimeter += loop[i].distanceTo(loop[(i + 1) % loop.size()]);
  return AcDb::kOk;
}
AcDb::Status AcDbRegion::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents();
  for (const auto& loop : loops_)
    for (const auto& p : loop) e.addPoint(p);
  return e.isValid() ? AcDb::kOk : AcDb::kInvalidInput;
}
AcDb::Status AcDbRegion::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  for (auto& loop : loops_)
    for (auto& p : loop) p = m.apply(p);
  return AcDb::kOk;
}
AcRxObject* AcDbRegion::clone() const {
  auto* copy = new AcDbRegion;
  copy->copyEntityProperties(*this);
  copy->loops_ = loops_;
  return copy;
}

// Each curve becomes a chain of points (arcs flattened); the chains are
// joined end to end into closed loops, one region a loop.
AcDb::Status AcDbRegion::createFromCurves(const AcDbVoidPtrArray& curveSegments,
                                          AcDbVoidPtrArray& regions) {
  std::vector<std::vector<AcGePoint3d>> chains;
  const AcDbEntity* firstCurve = nullptr;
  for (void* ptr : curveSegments) {
    auto* curve = AcDbCurve::cast(static_cast<AcRxObject*>(ptr));
    if (!curve) return AcDb::kInvalidInput;
    if (!firstCurve) firstCurve = curve;
    std::vector<Prim> prims;
    hostimpl::collectPrims(curve, AcGeMatrix3d(), prims);
    std::vector<AcGePoint3d> chain;
    for (const Prim& p : prims)
      for (const AcGePoint3d& q : flatten(p))
        if (chain.empty() || !samePoint(chain.back(), q)) chain.push_back(q);
    if (chain.size() >= 2) chains.push_back(std::move(chain));
  }
  std::vector<std::vector<AcGePoint3d>> loops = closedLoops(chains);
  for (auto& loop : loops) {
    auto* region = new AcDbRegion;
    if (firstCurve) region->copyEntityProperties(*firstCurve);
    region->setLoops({std::move(loop)});
    regions.append(region);
  }
  return loops.empty() ? AcDb::kInvalidInput : AcDb::kOk;
}
