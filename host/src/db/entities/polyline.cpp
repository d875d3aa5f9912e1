// Lightweight polylines: 2D vertices at one elevation, straight or bulged
// segments. The parameter runs from 0 to the number of segments; segment i
// covers [i, i + 1], the fraction measured along the chord for straight
// segments and along the angle for arcs.
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve)

unsigned int AcDbPolyline::numSegments() const {
  unsigned n = numVerts();
  if (n < 2) return 0;
  return closed_ ? n : n - 1;
}

AcDb::Status AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge,
                                       double startWidth, double endWidth) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (index > verts_.size()) return AcDb::kInvalidIndex;
  Vertex v;
  v.point = pt, v.bulge = bulge;
  v.startWidth = startWidth < 0 ? 0 : startWidth;
  v.endWidth = endWidth < 0 ? 0 : endWidth;
  verts_.insert(verts_.begin() + index, v);
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::removeVertexAt(unsigned int index) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (index >= verts_.size()) return AcDb::kInvalidIndex;
  verts_.erase(verts_.begin() + index);
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getPointAt(unsigned int i, AcGePoint2d& pt) const {
  if (i >= verts_.size()) return AcDb::kInvalidIndex;
  return pt = verts_[i].point, AcDb::kOk;
}
AcDb::Status AcDbPolyline::getPointAt(unsigned int i, AcGePoint3d& pt) const {
  if (i >= verts_.size()) return AcDb::kInvalidIndex;
  pt = {verts_[i].point.x, verts_[i].point.y, elevation_};
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getBulgeAt(unsigned int i, double& bulge) const {
  if (i >= verts_.size()) return AcDb::kInvalidIndex;
  return bulge = verts_[i].bulge, AcDb::kOk;
}
AcDb::Status AcDbPolyline::setBulgeAt(unsigned int i, double bulge) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (i >= verts_.size()) return AcDb::kInvalidIndex;
  verts_[i].bulge = bulge;
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::setPointAt(unsigned int i, const AcGePoint2d& pt) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (i >= verts_.size()) return AcDb::kInvalidIndex;
  verts_[i].point = pt;
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getWidthsAt(unsigned int i, double& sw, double& ew) const {
  if (i >= verts_.size()) return AcDb::kInvalidIndex;
  sw = verts_[i].startWidth, ew = verts_[i].endWidth;
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::setElevation(double e) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  elevation_ = e;
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::setConstantWidth(double w) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  constantWidth_ = w;
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::setClosed(bool closed) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  closed_ = closed;
  return AcDb::kOk;
}

namespace {
BulgeSegment polySegment(const std::vector<AcDbPolyline::Vertex>& v, unsigned i, double z) {
  const auto& a = v[i];
  const auto& b = v[(i + 1) % v.size()];
  return bulgeSegment(a.point, b.point, a.bulge, z);
}
}  // namespace

AcDb::Status AcDbPolyline::getStartPoint(AcGePoint3d& p) const {
  if (verts_.empty()) return AcDb::kInvalidInput;
  return getPointAt(0, p);
}
AcDb::Status AcDbPolyline::getEndPoint(AcGePoint3d& p) const {
  if (verts_.empty()) return AcDb::kInvalidInput;
  return getPointAt(closed_ ? 0 : numVerts() - 1, p);
}
AcDb::Status AcDbPolyline::getStartParam(double& param) const { return param = 0, AcDb::kOk; }
AcDb::Status AcDbPolyline::getEndParam(double& param) const {
  return param = numSegments(), AcDb::kOk;
}
AcDb::Status AcDbPolyline::getPointAtParam(double param, AcGePoint3d& p) const {
  unsigned n = numSegments();
  if (n == 0 || param < -1e-12 || param > n + 1e-12) return AcDb::kInvalidInput;
  unsigned i = std::min(static_cast<unsigned>(std::max(param, 0.0)), n - 1);
  p = pointAt(polySegment(verts_, i, elevation_), std::clamp(param - i, 0.0, 1.0));
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getParamAtPoint(const AcGePoint3d& p, double& param) const {
  unsigned n = numSegments();
  for (unsigned i = 0; i < n; ++i) {
    double dist;
    double t = nearestFraction(polySegment(verts_, i, elevation_), p, dist);
    if (dist <= kTolerance) return param = i + t, AcDb::kOk;
  }
  return AcDb::kInvalidInput;
}
void hostimpl::paramsAtPoint(const AcDbPolyline& pl, const AcGePoint3d& p, AcGeDoubleArray& params) {
  const unsigned n = pl.numSegments();
  for (unsigned i = 0; i < n; ++i) {
    double dist;
    AcGePoint2d a, b;
    double bulge = 0;
    pl.getPointAt(i, a);
    pl.getPointAt((i + 1) % pl.numVerts(), b);
    pl.getBulgeAt(i, bulge);
    const double t = nearestFraction(bulgeSegment(a, b, bulge, pl.elevation()), p, dist);
    if (dist <= kTolerance) params.append(i + t);
  }
}

AcDb::Status AcDbPolyline::getDistAtParam(double param, double& dist) const {
  unsigned n = numSegments();
  if (n == 0 || param < -1e-12 || param > n + 1e-12) return AcDb::kInvalidInput;
  dist = 0;
  for (unsigned i = 0; i < n && i < param; ++i) {
    double len = segmentLength(polySegment(verts_, i, elevation_));
    dist += len * std::min(1.0, param - i);
  }
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& closest,
                                             bool) const {
  unsigned n = numSegments();
  if (n == 0) return getStartPoint(closest);
  double best = 1e300;
  for (unsigned i = 0; i < n; ++i) {
    BulgeSegment g = polySegment(verts_, i, elevation_);
    double dist, t = nearestFraction(g, given, dist);
    if (dist < best) best = dist, closest = pointAt(g, t);
  }
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getGeomExtents(AcDbExtents& e) const {
  std::vector<Prim> prims;
  hostimpl::collectPrims(this, AcGeMatrix3d(), prims);
  e = hostimpl::primExtents(prims);
  return e.isValid() ? AcDb::kOk : AcDb::kInvalidInput;
}
AcDb::Status AcDbPolyline::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  planarScale(m, mirrored);
  for (Vertex& v : verts_) {
    AcGePoint3d p = m.apply({v.point.x, v.point.y, elevation_});
    v.point = {p.x, p.y};
    if (mirrored) v.bulge = -v.bulge;
  }
  if (!verts_.empty()) elevation_ = m.apply({0, 0, elevation_}).z;
  return AcDb::kOk;
}
AcRxObject* AcDbPolyline::clone() const {
  auto* copy = new AcDbPolyline;
  copy->copyEntityProperties(*this);
  copy->verts_ = verts_;
  copy->elevation_ = elevation_, copy->constantWidth_ = constantWidth_;
  copy->closed_ = closed_;
  return copy;
}

namespace {

BulgeSegment segmentOf(const AcDbPolyline& pl, unsigned i) {
  AcGePoint2d a, b;
  double bulge = 0;
  pl.getPointAt(i, a);
  pl.getPointAt((i + 1) % pl.numVerts(), b);
  pl.getBulgeAt(i, bulge);
  return bulgeSegment(a, b, bulge, pl.elevation());
}

double totalLength(const AcDbPolyline& pl) {
  double length = 0;
  for (unsigned i = 0; i < pl.numSegments(); ++i) length += segmentLength(segmentOf(pl, i));
  return length;
}

// Each parameter with its distance along the polyline; a parameter before
// the start or past the end is measured along the first or last segment
// extended, so that how far off the curve it lies is a distance too.
std::vector<CutRequest> cutRequests(const AcDbPolyline& pl, const AcGeDoubleArray& params) {
  unsigned n = pl.numSegments();
  double total = totalLength(pl);
  double firstLength = segmentLength(segmentOf(pl, 0));
  double lastLength = segmentLength(segmentOf(pl, n - 1));
  std::vector<CutRequest> requests;
  for (double p : params) {
    if (!std::isfinite(p)) continue;
    double along = 0;
    if (p < 0)
      along = p * firstLength;
    else if (p > n)
      along = total + (p - n) * lastLength;
    else
      pl.getDistAtParam(p, along);
    requests.push_back({p, along});
  }
  return requests;
}

}  // namespace

AcDb::Status AcDbPolyline::getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                                  AcDbVoidPtrArray& out) const {
  unsigned n = numSegments();
  if (n == 0) return AcDb::kInvalidInput;
  std::vector<double> cuts;
  for (const CutRequest& cut : interiorCuts(cutRequests(*this, params), totalLength(*this), closed_))
    cuts.push_back(std::clamp(cut.param, 0.0, static_cast<double>(n)));
  if (cuts.empty()) return hostimpl::wholeCopy(*this, out);
  std::vector<std::pair<double, double>> ranges;
  if (closed_) {
    for (size_t i = 0; i < cuts.size(); ++i)
      ranges.push_back({cuts[i], i + 1 < cuts.size() ? cuts[i + 1] : cuts[0] + n});
  } else {
    double prev = 0;
    cuts.push_back(n);
    for (double c : cuts) ranges.push_back({prev, c}), prev = c;
  }
  for (auto [lo, hi] : ranges) {
    auto* piece = new AcDbPolyline;
    piece->copyEntityProperties(*this);
    piece->elevation_ = elevation_, piece->constantWidth_ = constantWidth_;
    double p = lo;
    while (p < hi - 1e-12) {
      unsigned seg = static_cast<unsigned>(std::floor(p + 1e-12)) % n;
      double segEnd = std::min(std::floor(p + 1e-12) + 1, hi);
      double t0 = p - std::floor(p + 1e-12), t1 = segEnd - std::floor(p + 1e-12);
      BulgeSegment g = polySegment(verts_, seg, elevation_);
      AcGePoint3d a = pointAt(g, std::max(t0, 0.0));
      double bulge = g.isArc ? std::tan(g.sweepAngle * (t1 - std::max(t0, 0.0)) / 4) : 0;
      piece->verts_.push_back({{a.x, a.y}, bulge, 0, 0});
      p = segEnd;
    }
    AcGePoint3d last;
    unsigned seg = static_cast<unsigned>(std::ceil(hi - 1e-12)) - 1;
    last = pointAt(polySegment(verts_, seg % n, elevation_), hi - seg);
    piece->verts_.push_back({{last.x, last.y}, 0, 0, 0});
    out.append(piece);
  }
  return AcDb::kOk;
}
