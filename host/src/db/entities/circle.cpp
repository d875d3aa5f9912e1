// Circles. The parameter is the angle from the X axis, 0 to 2 pi; a cut
// opens the circle into arcs.
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbCircle, AcDbCurve)

AcDb::Status AcDbCircle::setCenter(const AcGePoint3d& c) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  center_ = c;
  return AcDb::kOk;
}
AcDb::Status AcDbCircle::setRadius(double r) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (!(r > 0)) return AcDb::kInvalidInput;
  radius_ = r;
  return AcDb::kOk;
}
AcDb::Status AcDbCircle::getStartPoint(AcGePoint3d& p) const {
  return p = polar(center_, radius_, 0), AcDb::kOk;
}
AcDb::Status AcDbCircle::getEndPoint(AcGePoint3d& p) const { return getStartPoint(p); }
AcDb::Status AcDbCircle::getStartParam(double& param) const { return param = 0, AcDb::kOk; }
AcDb::Status AcDbCircle::getEndParam(double& param) const { return param = 2 * kPi, AcDb::kOk; }
AcDb::Status AcDbCircle::getPointAtParam(double param, AcGePoint3d& p) const {
  return p = polar(center_, radius_, param), AcDb::kOk;
}
AcDb::Status AcDbCircle::getParamAtPoint(const AcGePoint3d& p, double& param) const {
  if (std::fabs(center_.distanceTo(p) - radius_) > kTolerance) return AcDb::kInvalidInput;
  param = normAngle(std::atan2(p.y - center_.y, p.x - center_.x));
  return AcDb::kOk;
}
AcDb::Status AcDbCircle::getDistAtParam(double param, double& dist) const {
  return dist = param * radius_, AcDb::kOk;
}
AcDb::Status AcDbCircle::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                           bool) const {
  double a = std::atan2(given.y - center_.y, given.x - center_.x);
  closest = polar(center_, radius_, a);
  return AcDb::kOk;
}
AcDb::Status AcDbCircle::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents();
  e.addPoint({center_.x - radius_, center_.y - radius_, center_.z});
  e.addPoint({center_.x + radius_, center_.y + radius_, center_.z});
  return AcDb::kOk;
}
AcDb::Status AcDbCircle::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  radius_ *= planarScale(m, mirrored);
  center_ = m.apply(center_);
  return AcDb::kOk;
}
AcRxObject* AcDbCircle::clone() const {
  auto* copy = new AcDbCircle(center_, radius_);
  copy->copyEntityProperties(*this);
  return copy;
}

AcDb::Status AcDbCircle::getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                                AcDbVoidPtrArray& out) const {
  std::vector<CutRequest> requests;
  for (double p : params) requests.push_back({p, p * radius_});
  std::vector<CutRequest> cuts = interiorCuts(requests, 2 * kPi * radius_, true);
  if (cuts.empty()) return hostimpl::wholeCopy(*this, out);
  // One cut opens the circle into a full arc; n cuts give n arcs.
  for (size_t i = 0; i < cuts.size(); ++i) {
    double a = cuts[i].param;
    double b = i + 1 < cuts.size() ? cuts[i + 1].param : cuts[0].param + 2 * kPi;
    auto* arc = new AcDbArc(center_, radius_, normAngle(a), normAngle(b));
    if (cuts.size() == 1) arc->setEndAngle(normAngle(a) + 2 * kPi - 1e-12);
    arc->copyEntityProperties(*this);
    out.append(arc);
  }
  return AcDb::kOk;
}
