// Lines. The parameter is the distance from the start point.
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbLine, AcDbCurve)

AcDb::Status AcDbLine::setStartPoint(const AcGePoint3d& p) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  start_ = p;
  return AcDb::kOk;
}
AcDb::Status AcDbLine::setEndPoint(const AcGePoint3d& p) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  end_ = p;
  return AcDb::kOk;
}
AcDb::Status AcDbLine::getStartParam(double& param) const { return param = 0, AcDb::kOk; }
AcDb::Status AcDbLine::getEndParam(double& param) const {
  return param = start_.distanceTo(end_), AcDb::kOk;
}
AcDb::Status AcDbLine::getPointAtParam(double param, AcGePoint3d& p) const {
  double len = start_.distanceTo(end_);
  if (param < -kTolerance || param > len + kTolerance) return AcDb::kInvalidInput;
  p = len > 0 ? start_ + (end_ - start_) * (param / len) : start_;
  return AcDb::kOk;
}
AcDb::Status AcDbLine::getParamAtPoint(const AcGePoint3d& p, double& param) const {
  AcGePoint3d closest;
  getClosestPointTo(p, closest);
  if (closest.distanceTo(p) > kTolerance) return AcDb::kInvalidInput;
  param = start_.distanceTo(closest);
  return AcDb::kOk;
}
AcDb::Status AcDbLine::getDistAtParam(double param, double& dist) const {
  return dist = param, AcDb::kOk;
}
AcDb::Status AcDbLine::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                         bool extend) const {
  AcGeVector3d d = end_ - start_;
  double len2 = d.dotProduct(d);
  double t = len2 > 0 ? (given - start_).dotProduct(d) / len2 : 0;
  if (!extend) t = std::clamp(t, 0.0, 1.0);
  closest = start_ + d * t;
  return AcDb::kOk;
}
AcDb::Status AcDbLine::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents();
  e.addPoint(start_);
  e.addPoint(end_);
  return AcDb::kOk;
}
AcDb::Status AcDbLine::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  start_ = m.apply(start_);
  end_ = m.apply(end_);
  return AcDb::kOk;
}
AcRxObject* AcDbLine::clone() const {
  auto* copy = new AcDbLine(start_, end_);
  copy->copyEntityProperties(*this);
  return copy;
}

AcDb::Status AcDbLine::getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                              AcDbVoidPtrArray& out) const {
  double len = start_.distanceTo(end_);
  std::vector<CutRequest> requests;
  for (double p : params) requests.push_back({p, p});
  std::vector<CutRequest> cuts = interiorCuts(requests, len, false);
  if (cuts.empty()) return hostimpl::wholeCopy(*this, out);
  double prev = 0;
  cuts.push_back({len, len});
  for (auto [c, along] : cuts) {
    AcGePoint3d a, b;
    getPointAtParam(prev, a);
    getPointAtParam(c, b);
    auto* piece = static_cast<AcDbLine*>(clone());
    piece->start_ = a, piece->end_ = b;
    out.append(piece);
    prev = c;
  }
  return AcDb::kOk;
}
