// Arcs, counter-clockwise from the start to the end angle. The parameter
// is the angle, from the start angle up to the start angle plus the sweep.
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbArc, AcDbCurve)

AcDb::Status AcDbArc::setCenter(const AcGePoint3d& c) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  center_ = c;
  return AcDb::kOk;
}
AcDb::Status AcDbArc::setRadius(double r) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (!(r > 0)) return AcDb::kInvalidInput;
  radius_ = r;
  return AcDb::kOk;
}
AcDb::Status AcDbArc::setStartAngle(double a) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  startAngle_ = a;
  return AcDb::kOk;
}
AcDb::Status AcDbArc::setEndAngle(double a) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  endAngle_ = a;
  return AcDb::kOk;
}
AcDb::Status AcDbArc::getStartPoint(AcGePoint3d& p) const {
  return p = polar(center_, radius_, startAngle_), AcDb::kOk;
}
AcDb::Status AcDbArc::getEndPoint(AcGePoint3d& p) const {
  return p = polar(center_, radius_, endAngle_), AcDb::kOk;
}
AcDb::Status AcDbArc::getStartParam(double& param) const {
  return param = startAngle_, AcDb::kOk;
}
AcDb::Status AcDbArc::getEndParam(double& param) const {
  return param = startAngle_ + sweep(startAngle_, endAngle_), AcDb::kOk;
}
AcDb::Status AcDbArc::getPointAtParam(double param, AcGePoint3d& p) const {
  return p = polar(center_, radius_, param), AcDb::kOk;
}
AcDb::Status AcDbArc::getParamAtPoint(const AcGePoint3d& p, double& param) const {
  if (std::fabs(center_.distanceTo(p) - radius_) > kTolerance) return AcDb::kInvalidInput;
  double rel = normAngle(std::atan2(p.y - center_.y, p.x - center_.x) - startAngle_);
  double sw = sweep(startAngle_, endAngle_);
  double tolAngle = radius_ > 0 ? kTolerance / radius_ : 0;
  if (rel > sw + tolAngle) {
    if (2 * kPi - rel <= tolAngle)
      rel = 0;
    else
      return AcDb::kInvalidInput;
  }
  param = startAngle_ + std::min(rel, sw);
  return AcDb::kOk;
}
AcDb::Status AcDbArc::getDistAtParam(double param, double& dist) const {
  return dist = (param - startAngle_) * radius_, AcDb::kOk;
}
AcDb::Status AcDbArc::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                        bool extend) const {
  double a = std::atan2(given.y - center_.y, given.x - center_.x);
  double rel = normAngle(a - startAngle_);
  if (extend || rel <= sweep(startAngle_, endAngle_)) {
    closest = polar(center_, radius_, a);
    return AcDb::kOk;
  }
  AcGePoint3d s, e;
  getStartPoint(s);
  getEndPoint(e);
  closest = s.distanceTo(given) <= e.distanceTo(given) ? s : e;
  return AcDb::kOk;
}
AcDb::Status AcDbArc::getGeomExtents(AcDbExtents& e) const {
  std::vector<Prim> prims;
  hostimpl::collectPrims(this, AcGeMatrix3d(), prims);
  e = hostimpl::primExtents(prims);
  return AcDb::kOk;
}
AcDb::Status AcDbArc::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  double s = planarScale(m, mirrored);
  double a0 = transformedAngle(m, startAngle_), a1 = transformedAngle(m, endAngle_);
  if (mirrored) std::swap(a0, a1);
  startAngle_ = normAngle(a0), endAngle_ = normAngle(a1);
  radius_ *= s;
  center_ = m.apply(center_);
  return AcDb::kOk;
}
AcRxObject* AcDbArc::clone() const {
  auto* copy = new AcDbArc(center_, radius_, startAngle_, endAngle_);
  copy->copyEntityProperties(*this);
  return copy;
}

AcDb::Status AcDbArc::getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                             AcDbVoidPtrArray& out) const {
  double lo, hi;
  getStartParam(lo);
  getEndParam(hi);
  std::vector<CutRequest> requests;
  for (double p : params) requests.push_back({p, (p - lo) * radius_});
  std::vector<CutRequest> cuts = interiorCuts(requests, (hi - lo) * radius_, false);
  if (cuts.empty()) return hostimpl::wholeCopy(*this, out);
  double prev = lo;
  cuts.push_back({hi, 0});
  for (auto [c, along] : cuts) {
    auto* piece = static_cast<AcDbArc*>(clone());
    piece->startAngle_ = normAngle(prev), piece->endAngle_ = normAngle(c);
    out.append(piece);
    prev = c;
  }
  return AcDb::kOk;
}
