// What all curves share: distance at a point, and splitting at points
// (through the curve's parameters).
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbCurve, AcDbEntity)

AcDb::Status AcDbCurve::getDistAtPoint(const AcGePoint3d& p, double& dist) const {
  double param;
  AcDb::Status es = getParamAtPoint(p, param);
  if (es != AcDb::kOk) return es;
  return getDistAtParam(param, dist);
}

AcDb::Status AcDbCurve::getSplitCurves(const AcGePoint3dArray& points,
                                       AcDbVoidPtrArray& curveSegments) const {
  AcGeDoubleArray params;
  const auto* polyline = AcDbPolyline::cast(this);
  for (const AcGePoint3d& p : points) {
    double param;
    if (polyline)
      hostimpl::paramsAtPoint(*polyline, p, params);  // each pass through p, where it crosses itself
    else if (getParamAtPoint(p, param) == AcDb::kOk)
      params.append(param);
  }
  return getSplitCurvesAtParams(params, curveSegments);
}

AcDb::Status AcDbCurve::getSplitCurvesAtParams(const AcGeDoubleArray&, AcDbVoidPtrArray&) const {
  return AcDb::kNotImplemented;
}
