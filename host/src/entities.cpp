// Entities: common properties, geometry of each entity class, curve
// parameters, splitting, copies and transformations.
//
// Curve parameters: a line runs from 0 to its length, an arc from its start
// to its end angle (end adjusted above start), a circle from 0 to 2 pi, a
// polyline from 0 to its number of segments (segment i covers [i, i+1],
// the fraction measured along the chord for straight segments and along
// the angle for arcs).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "internal.h"
#include "rxdefine.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kOnCurveTol = 1e-6;

double normAngle(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

// Sweep from start to end, counter-clockwise, in (0, 2 pi].
double sweep(double start, double end) {
  double s = normAngle(end - start);
  return s <= 0 ? 2 * kPi : s;
}

AcGePoint3d polar(const AcGePoint3d& c, double r, double a) {
  return {c.x + r * std::cos(a), c.y + r * std::sin(a), c.z};
}

// Uniform scale of a transformation in the XY plane (sqrt of |det|), and
// whether it mirrors.
double planarScale(const AcGeMatrix3d& m, bool& mirrored) {
  double det = m.entry[0][0] * m.entry[1][1] - m.entry[0][1] * m.entry[1][0];
  mirrored = det < 0;
  return std::sqrt(std::fabs(det));
}

double transformedAngle(const AcGeMatrix3d& m, double angle) {
  double dx = std::cos(angle), dy = std::sin(angle);
  return std::atan2(m.entry[1][0] * dx + m.entry[1][1] * dy,
                    m.entry[0][0] * dx + m.entry[0][1] * dy);
}

}  // namespace

void AcDbExtents::addPoint(const AcGePoint3d& p) {
  minPoint = {std::min(minPoint.x, p.x), std::min(minPoint.y, p.y), std::min(minPoint.z, p.z)};
  maxPoint = {std::max(maxPoint.x, p.x), std::max(maxPoint.y, p.y), std::max(maxPoint.z, p.z)};
}

void AcDbExtents::addExt(const AcDbExtents& e) {
  if (!e.isValid()) return;
  addPoint(e.minPoint);
  addPoint(e.maxPoint);
}

// --- host helpers ---------------------------------------------------------------------

namespace hostimpl {

AcDbLayerTableRecord* layerOf(const AcDbEntity* ent) {
  return ent->layerStub_ ? static_cast<AcDbLayerTableRecord*>(ent->layerStub_->object)
                         : nullptr;
}

const char* dxfName(const AcDbEntity* ent) {
  AcRxClass* c = ent->isA();
  if (c == AcDbLine::desc()) return "LINE";
  if (c == AcDbCircle::desc()) return "CIRCLE";
  if (c == AcDbArc::desc()) return "ARC";
  if (c == AcDbPolyline::desc()) return "LWPOLYLINE";
  if (c == AcDbPoint::desc()) return "POINT";
  if (c == AcDbText::desc()) return "TEXT";
  if (c == AcDbAttribute::desc()) return "ATTRIB";
  if (c == AcDbAttributeDefinition::desc()) return "ATTDEF";
  if (c == AcDbMText::desc()) return "MTEXT";
  if (c == AcDbBlockReference::desc()) return "INSERT";
  if (c == AcDbRegion::desc()) return "REGION";
  return c->name();
}

namespace {
AcDbStub* sameNameIn(AcDbStub* table, AcDbStub* foreign) {
  if (!foreign) return nullptr;
  AcDbRecordList* list = tableRecords(table);
  auto it = list->live.find(upper(recordName(foreign)));
  return it == list->live.end() ? nullptr : it->second;
}
}  // namespace

AcDbStub* adoptEntity(AcDbEntity* ent, AcDbStub* owner) {
  AcDbDatabase* db = owner->database;
  AcDbDatabase::Impl* impl = db->impl();
  if (ent->layerStub_ && ent->layerStub_->database != db)
    ent->layerStub_ = sameNameIn(impl->layerTable, ent->layerStub_);
  if (!ent->layerStub_) ent->layerStub_ = impl->clayer;
  if (ent->linetypeStub_ && ent->linetypeStub_->database != db)
    ent->linetypeStub_ = sameNameIn(impl->linetypeTable, ent->linetypeStub_);
  if (!ent->linetypeStub_) ent->linetypeStub_ = impl->byLayer;
  AcDbStub* stub = impl->addObject(ent, owner);
  if (auto* ref = AcDbBlockReference::cast(ent)) {
    for (AcDbAttribute* att : ref->pendingAttributes_)
      ref->attributes_.push_back(adoptEntity(att, stub));
    ref->pendingAttributes_.clear();
  }
  return stub;
}

}  // namespace hostimpl

// --- AcDbEntity ------------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbEntity, AcDbObject)

AcDbEntity::AcDbEntity() = default;
AcDbEntity::~AcDbEntity() = default;

bool AcDbEntity::canWriteEntity() const { return canWrite(); }

const char* AcDbEntity::layer() const {
  layerName_ = layerStub_ ? hostimpl::recordName(layerStub_) : "0";
  return layerName_.c_str();
}

AcDbObjectId AcDbEntity::layerId() const { return AcDbObjectId(layerStub_); }

AcDb::Status AcDbEntity::setLayer(AcDbObjectId layerId, bool) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  AcDbStub* s = layerId.stub();
  if (!s || !AcDbLayerTableRecord::cast(s->object)) return AcDb::kWrongObjectType;
  if (s->object->isErased()) return AcDb::kWasErased;
  if (database() && s->database != database()) return AcDb::kInvalidInput;
  layerStub_ = s;
  return AcDb::kOk;
}

AcDb::Status AcDbEntity::setLayer(const char* layerName, bool doSubents) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  AcDbDatabase* db = database() ? database() : hostimpl::workingDatabase();
  if (!db || !layerName) return AcDb::kInvalidInput;
  AcDbRecordList* list = hostimpl::tableRecords(db->impl()->layerTable);
  auto it = list->live.find(hostimpl::upper(layerName));
  if (it == list->live.end()) return AcDb::kKeyNotFound;
  return setLayer(AcDbObjectId(it->second), doSubents);
}

AcDb::Status AcDbEntity::setColorIndex(int color, bool) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (color < 0 || color > 256) return AcDb::kOutOfRange;
  color_ = static_cast<std::int16_t>(color);
  return AcDb::kOk;
}

const char* AcDbEntity::linetype() const {
  return linetypeStub_ ? hostimpl::recordName(linetypeStub_) : "BYLAYER";
}

AcDbObjectId AcDbEntity::linetypeId() const { return AcDbObjectId(linetypeStub_); }

AcDb::Status AcDbEntity::setLinetype(const char* name, bool doSubents) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  AcDbDatabase* db = database() ? database() : hostimpl::workingDatabase();
  if (!db || !name) return AcDb::kInvalidInput;
  AcDbRecordList* list = hostimpl::tableRecords(db->impl()->linetypeTable);
  auto it = list->live.find(hostimpl::upper(name));
  if (it == list->live.end()) return AcDb::kKeyNotFound;
  return setLinetype(AcDbObjectId(it->second), doSubents);
}

AcDb::Status AcDbEntity::setLinetype(AcDbObjectId id, bool) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  AcDbStub* s = id.stub();
  if (!s || !AcDbLinetypeTableRecord::cast(s->object)) return AcDb::kWrongObjectType;
  linetypeStub_ = s;
  return AcDb::kOk;
}

AcDb::Status AcDbEntity::setLinetypeScale(double scale) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (!(scale > 0)) return AcDb::kInvalidInput;
  ltscale_ = scale;
  return AcDb::kOk;
}

AcDb::Status AcDbEntity::setLineWeight(AcDb::LineWeight weight, bool) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  lineweight_ = static_cast<std::int16_t>(weight);
  return AcDb::kOk;
}

AcDb::Status AcDbEntity::setVisibility(AcDb::Visibility v, bool) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  invisible_ = v == AcDb::kInvisible;
  return AcDb::kOk;
}

AcDb::Status AcDbEntity::highlight(const void*, bool) const {
  highlighted_ = true;
  return AcDb::kOk;
}
AcDb::Status AcDbEntity::unhighlight(const void*, bool) const {
  highlighted_ = false;
  return AcDb::kOk;
}

AcDb::Status AcDbEntity::getGeomExtents(AcDbExtents& extents) const {
  std::vector<hostimpl::Prim> prims;
  hostimpl::collectPrims(this, AcGeMatrix3d(), prims);
  extents = AcDbExtents();
  hostimpl::primExtents(prims, extents);
  return extents.isValid() ? AcDb::kOk : AcDb::kInvalidInput;
}

AcDb::Status AcDbEntity::transformBy(const AcGeMatrix3d&) { return AcDb::kNotImplemented; }

void AcDbEntity::copyEntityProperties(const AcDbEntity& from) {
  layerStub_ = from.layerStub_;
  linetypeStub_ = from.linetypeStub_;
  ltscale_ = from.ltscale_;
  color_ = from.color_;
  lineweight_ = from.lineweight_;
  invisible_ = from.invisible_;
}

// --- AcDbCurve -------------------------------------------------------------------------

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
  for (const AcGePoint3d& p : points) {
    double param;
    if (getParamAtPoint(p, param) == AcDb::kOk) params.append(param);
  }
  return getSplitCurvesAtParams(params, curveSegments);
}

namespace {

// Sorted interior cut parameters of a curve running from lo to hi.
std::vector<double> cutParams(const AcGeDoubleArray& params, double lo, double hi, bool closed) {
  std::vector<double> cuts;
  double eps = 1e-9 * std::max(1.0, std::fabs(hi - lo));
  for (double p : params)
    if (std::isfinite(p) && p >= lo - eps && p <= hi + eps) cuts.push_back(std::clamp(p, lo, hi));
  std::sort(cuts.begin(), cuts.end());
  std::vector<double> unique;
  for (double p : cuts)
    if (unique.empty() || p - unique.back() > eps) unique.push_back(p);
  if (!closed) {
    while (!unique.empty() && unique.front() - lo <= eps) unique.erase(unique.begin());
    while (!unique.empty() && hi - unique.back() <= eps) unique.pop_back();
  }
  return unique;
}

}  // namespace

AcDb::Status AcDbCurve::getSplitCurvesAtParams(const AcGeDoubleArray&, AcDbVoidPtrArray&) const {
  return AcDb::kNotImplemented;
}

// --- AcDbLine ---------------------------------------------------------------------------

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
  if (param < -kOnCurveTol || param > len + kOnCurveTol) return AcDb::kInvalidInput;
  p = len > 0 ? start_ + (end_ - start_) * (param / len) : start_;
  return AcDb::kOk;
}
AcDb::Status AcDbLine::getParamAtPoint(const AcGePoint3d& p, double& param) const {
  AcGePoint3d closest;
  getClosestPointTo(p, closest);
  if (closest.distanceTo(p) > kOnCurveTol) return AcDb::kInvalidInput;
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
  std::vector<double> cuts = cutParams(params, 0, len, false);
  if (cuts.empty()) return AcDb::kInvalidInput;
  double prev = 0;
  cuts.push_back(len);
  for (double c : cuts) {
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

// --- AcDbCircle --------------------------------------------------------------------------

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
  if (std::fabs(center_.distanceTo(p) - radius_) > kOnCurveTol) return AcDb::kInvalidInput;
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

// --- AcDbArc -------------------------------------------------------------------------------

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
  if (std::fabs(center_.distanceTo(p) - radius_) > kOnCurveTol) return AcDb::kInvalidInput;
  double rel = normAngle(std::atan2(p.y - center_.y, p.x - center_.x) - startAngle_);
  double sw = sweep(startAngle_, endAngle_);
  double tolAngle = radius_ > 0 ? kOnCurveTol / radius_ : 0;
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
  std::vector<hostimpl::Prim> prims;
  hostimpl::collectPrims(this, AcGeMatrix3d(), prims);
  e = AcDbExtents();
  hostimpl::primExtents(prims, e);
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
  std::vector<double> cuts = cutParams(params, lo, hi, false);
  if (cuts.empty()) return AcDb::kInvalidInput;
  double prev = lo;
  cuts.push_back(hi);
  for (double c : cuts) {
    auto* piece = static_cast<AcDbArc*>(clone());
    piece->startAngle_ = normAngle(prev), piece->endAngle_ = normAngle(c);
    out.append(piece);
    prev = c;
  }
  return AcDb::kOk;
}

AcDb::Status AcDbCircle::getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                                AcDbVoidPtrArray& out) const {
  std::vector<double> cuts = cutParams(params, 0, 2 * kPi, true);
  if (!cuts.empty() && cuts.back() >= 2 * kPi - 1e-12) cuts.pop_back();
  if (cuts.empty()) return AcDb::kInvalidInput;
  // One cut opens the circle into a full arc; n cuts give n arcs.
  for (size_t i = 0; i < cuts.size(); ++i) {
    double a = cuts[i], b = i + 1 < cuts.size() ? cuts[i + 1] : cuts[0] + 2 * kPi;
    auto* arc = new AcDbArc(center_, radius_, normAngle(a), normAngle(b));
    if (cuts.size() == 1) arc->setEndAngle(normAngle(a) + 2 * kPi - 1e-12);
    arc->copyEntityProperties(*this);
    out.append(arc);
  }
  return AcDb::kOk;
}

// --- AcDbPolyline ------------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve)

namespace {
struct SegmentGeom {
  bool isArc = false;
  AcGePoint3d a, b, center;
  double radius = 0, start = 0, sweepAngle = 0;  // signed sweep from a to b
};

SegmentGeom segmentGeom(const AcGePoint2d& p0, const AcGePoint2d& p1, double bulge, double z) {
  SegmentGeom g;
  g.a = {p0.x, p0.y, z};
  g.b = {p1.x, p1.y, z};
  double chord = p0.distanceTo(p1);
  if (std::fabs(bulge) < 1e-12 || chord == 0) return g;
  g.isArc = true;
  double theta = 4 * std::atan(bulge);
  g.radius = chord / (2 * std::sin(std::fabs(theta) / 2));
  double mx = (p0.x + p1.x) / 2, my = (p0.y + p1.y) / 2;
  double dx = (p1.x - p0.x) / chord, dy = (p1.y - p0.y) / chord;
  // Distance from the chord midpoint to the centre, on the left for ccw.
  double h = g.radius * std::cos(theta / 2);
  double sign = bulge > 0 ? 1 : -1;
  g.center = {mx - dy * h * sign, my + dx * h * sign, z};
  g.start = std::atan2(p0.y - g.center.y, p0.x - g.center.x);
  g.sweepAngle = theta;
  return g;
}

AcGePoint3d segmentPoint(const SegmentGeom& g, double t) {
  if (!g.isArc) return g.a + (g.b - g.a) * t;
  return polar(g.center, g.radius, g.start + g.sweepAngle * t);
}

double segmentLength(const SegmentGeom& g) {
  return g.isArc ? g.radius * std::fabs(g.sweepAngle) : g.a.distanceTo(g.b);
}

// Fraction along the segment of the point nearest to p, and that distance.
double segmentFraction(const SegmentGeom& g, const AcGePoint3d& p, double& dist) {
  if (!g.isArc) {
    AcGeVector3d d = g.b - g.a;
    double len2 = d.dotProduct(d);
    double t = len2 > 0 ? std::clamp((p - g.a).dotProduct(d) / len2, 0.0, 1.0) : 0;
    dist = p.distanceTo(g.a + d * t);
    return t;
  }
  double a = std::atan2(p.y - g.center.y, p.x - g.center.x);
  double rel = g.sweepAngle > 0 ? normAngle(a - g.start) : normAngle(g.start - a);
  double sw = std::fabs(g.sweepAngle);
  if (rel <= sw) {
    dist = std::fabs(p.distanceTo(g.center) - g.radius);
    return rel / sw;
  }
  double da = p.distanceTo(g.a), db = p.distanceTo(g.b);
  dist = std::min(da, db);
  return da <= db ? 0 : 1;
}
}  // namespace

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
SegmentGeom polySegment(const std::vector<AcDbPolyline::Vertex>& v, unsigned i, double z) {
  const auto& a = v[i];
  const auto& b = v[(i + 1) % v.size()];
  return segmentGeom(a.point, b.point, a.bulge, z);
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
  p = segmentPoint(polySegment(verts_, i, elevation_), std::clamp(param - i, 0.0, 1.0));
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getParamAtPoint(const AcGePoint3d& p, double& param) const {
  unsigned n = numSegments();
  for (unsigned i = 0; i < n; ++i) {
    double dist;
    double t = segmentFraction(polySegment(verts_, i, elevation_), p, dist);
    if (dist <= kOnCurveTol) return param = i + t, AcDb::kOk;
  }
  return AcDb::kInvalidInput;
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
    SegmentGeom g = polySegment(verts_, i, elevation_);
    double dist, t = segmentFraction(g, given, dist);
    if (dist < best) best = dist, closest = segmentPoint(g, t);
  }
  return AcDb::kOk;
}
AcDb::Status AcDbPolyline::getGeomExtents(AcDbExtents& e) const {
  std::vector<hostimpl::Prim> prims;
  hostimpl::collectPrims(this, AcGeMatrix3d(), prims);
  e = AcDbExtents();
  hostimpl::primExtents(prims, e);
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

AcDb::Status AcDbPolyline::getSplitCurvesAtParams(const AcGeDoubleArray& params,
                                                  AcDbVoidPtrArray& out) const {
  unsigned n = numSegments();
  if (n == 0) return AcDb::kInvalidInput;
  std::vector<double> cuts = cutParams(params, 0, n, closed_);
  if (cuts.empty()) return AcDb::kInvalidInput;
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
      SegmentGeom g = polySegment(verts_, seg, elevation_);
      AcGePoint3d a = segmentPoint(g, std::max(t0, 0.0));
      double bulge = g.isArc ? std::tan(g.sweepAngle * (t1 - std::max(t0, 0.0)) / 4) : 0;
      piece->verts_.push_back({{a.x, a.y}, bulge, 0, 0});
      p = segEnd;
    }
    AcGePoint3d last;
    unsigned seg = static_cast<unsigned>(std::ceil(hi - 1e-12)) - 1;
    last = segmentPoint(polySegment(verts_, seg % n, elevation_), hi - seg);
    piece->verts_.push_back({{last.x, last.y}, 0, 0, 0});
    out.append(piece);
  }
  return AcDb::kOk;
}

// --- AcDbPoint -------------------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbPoint, AcDbEntity)

AcDb::Status AcDbPoint::setPosition(const AcGePoint3d& p) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  position_ = p;
  return AcDb::kOk;
}
AcDb::Status AcDbPoint::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents();
  e.addPoint(position_);
  return AcDb::kOk;
}
AcDb::Status AcDbPoint::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  position_ = m.apply(position_);
  return AcDb::kOk;
}
AcRxObject* AcDbPoint::clone() const {
  auto* copy = new AcDbPoint(position_);
  copy->copyEntityProperties(*this);
  return copy;
}

// --- AcDbText and attributes -------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbText, AcDbEntity)

AcDbText::AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style,
                   double height, double rotation)
    : text_(text ? text : ""), position_(position), alignment_(position),
      height_(height > 0 ? height : 2.5), rotation_(rotation), style_(style.stub()) {}

#define TEXT_SETTER(expr)                           \
  if (!canWrite()) return AcDb::kNotOpenForWrite; \
  expr;                                             \
  return AcDb::kOk

AcDb::Status AcDbText::setPosition(const AcGePoint3d& p) { TEXT_SETTER(position_ = p); }
AcDb::Status AcDbText::setAlignmentPoint(const AcGePoint3d& p) { TEXT_SETTER(alignment_ = p); }
AcDb::Status AcDbText::setHorizontalMode(int mode) {
  TEXT_SETTER(hmode_ = static_cast<std::int8_t>(std::clamp(mode, 0, 5)));
}
AcDb::Status AcDbText::setVerticalMode(int mode) {
  TEXT_SETTER(vmode_ = static_cast<std::int8_t>(std::clamp(mode, 0, 3)));
}
AcDb::Status AcDbText::setTextString(const char* text) { TEXT_SETTER(text_ = text ? text : ""); }
AcDb::Status AcDbText::setHeight(double h) {
  if (!(h > 0)) return AcDb::kInvalidInput;
  TEXT_SETTER(height_ = h);
}
AcDb::Status AcDbText::setRotation(double r) { TEXT_SETTER(rotation_ = r); }
AcDb::Status AcDbText::setWidthFactor(double w) {
  if (!(w > 0)) return AcDb::kInvalidInput;
  TEXT_SETTER(widthFactor_ = w);
}
AcDbObjectId AcDbText::textStyle() const { return AcDbObjectId(style_); }
AcDb::Status AcDbText::setTextStyle(AcDbObjectId style) {
  if (!style.isNull() && !AcDbTextStyleTableRecord::cast(style.stub()->object))
    return AcDb::kWrongObjectType;
  TEXT_SETTER(style_ = style.stub());
}

void AcDbText::textBox(AcGePoint3d corners[4]) const {
  double width = 0.5 * height_ * widthFactor_ * static_cast<double>(text_.size());
  double h = height_;
  // Offset of the box's lower left corner from the reference point.
  double ox = 0, oy = 0;
  AcGePoint3d ref = position_;
  bool aligned = hmode_ != 0 || vmode_ != 0;
  if (aligned) {
    ref = alignment_;
    if (hmode_ == 1 || hmode_ == 4) ox = -width / 2;
    if (hmode_ == 2) ox = -width;
    if (vmode_ == 2 || hmode_ == 4) oy = -h / 2;
    if (vmode_ == 3) oy = -h;
    if (hmode_ == 3 || hmode_ == 5) ref = position_, ox = 0;  // aligned / fit: from the start
  }
  double c = std::cos(rotation_), s = std::sin(rotation_);
  const double xs[4] = {ox, ox + width, ox + width, ox};
  const double ys[4] = {oy, oy, oy + h, oy + h};
  for (int i = 0; i < 4; ++i)
    corners[i] = {ref.x + xs[i] * c - ys[i] * s, ref.y + xs[i] * s + ys[i] * c, ref.z};
}

AcDb::Status AcDbText::getGeomExtents(AcDbExtents& e) const {
  AcGePoint3d box[4];
  textBox(box);
  e = AcDbExtents();
  for (const auto& p : box) e.addPoint(p);
  return AcDb::kOk;
}

AcDb::Status AcDbText::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  double s = planarScale(m, mirrored);
  rotation_ = transformedAngle(m, rotation_);
  height_ *= s;
  position_ = m.apply(position_);
  alignment_ = m.apply(alignment_);
  return AcDb::kOk;
}

void AcDbText::copyTextFrom(const AcDbText& o) {
  copyEntityProperties(o);
  text_ = o.text_;
  position_ = o.position_, alignment_ = o.alignment_;
  height_ = o.height_, rotation_ = o.rotation_, widthFactor_ = o.widthFactor_;
  style_ = o.style_;
  hmode_ = o.hmode_, vmode_ = o.vmode_;
}

AcRxObject* AcDbText::clone() const {
  auto* copy = new AcDbText;
  copy->copyTextFrom(*this);
  return copy;
}

HOST_DEFINE_MEMBERS(AcDbAttribute, AcDbText)

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag,
                             AcDbObjectId style)
    : AcDbText(position, text, style), tag_(tag ? tag : "") {}
AcDb::Status AcDbAttribute::setTag(const char* tag) { TEXT_SETTER(tag_ = tag ? tag : ""); }
AcDb::Status AcDbAttribute::setInvisible(bool invisible) { TEXT_SETTER(attInvisible_ = invisible); }
AcRxObject* AcDbAttribute::clone() const {
  auto* copy = new AcDbAttribute;
  copy->copyTextFrom(*this);
  copy->tag_ = tag_;
  copy->attInvisible_ = attInvisible_;
  return copy;
}

HOST_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText)

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const char* text,
                                                 const char* tag, const char* prompt,
                                                 AcDbObjectId style)
    : AcDbText(position, text, style), tag_(tag ? tag : ""), prompt_(prompt ? prompt : "") {}
AcDb::Status AcDbAttributeDefinition::setTag(const char* tag) {
  TEXT_SETTER(tag_ = tag ? tag : "");
}
AcDb::Status AcDbAttributeDefinition::setPrompt(const char* prompt) {
  TEXT_SETTER(prompt_ = prompt ? prompt : "");
}
AcDb::Status AcDbAttributeDefinition::setInvisible(bool invisible) {
  TEXT_SETTER(attInvisible_ = invisible);
}
AcDb::Status AcDbAttributeDefinition::setConstant(bool constant) {
  TEXT_SETTER(constant_ = constant);
}
AcRxObject* AcDbAttributeDefinition::clone() const {
  auto* copy = new AcDbAttributeDefinition;
  copy->copyTextFrom(*this);
  copy->tag_ = tag_, copy->prompt_ = prompt_;
  copy->attInvisible_ = attInvisible_, copy->constant_ = constant_;
  return copy;
}

// --- AcDbMText -------------------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbMText, AcDbEntity)

AcDb::Status AcDbMText::setLocation(const AcGePoint3d& p) { TEXT_SETTER(location_ = p); }
AcDb::Status AcDbMText::setContents(const char* text) {
  TEXT_SETTER(contents_ = text ? text : "");
}
AcDb::Status AcDbMText::setTextHeight(double h) {
  if (!(h > 0)) return AcDb::kInvalidInput;
  TEXT_SETTER(height_ = h);
}
AcDb::Status AcDbMText::setWidth(double w) { TEXT_SETTER(width_ = w); }
AcDb::Status AcDbMText::setRotation(double r) { TEXT_SETTER(rotation_ = r); }
AcDb::Status AcDbMText::setAttachment(int a) {
  if (a < 1 || a > 9) return AcDb::kInvalidInput;
  TEXT_SETTER(attachment_ = static_cast<std::int8_t>(a));
}
AcDbObjectId AcDbMText::textStyle() const { return AcDbObjectId(style_); }
AcDb::Status AcDbMText::setTextStyle(AcDbObjectId style) {
  if (!style.isNull() && !AcDbTextStyleTableRecord::cast(style.stub()->object))
    return AcDb::kWrongObjectType;
  TEXT_SETTER(style_ = style.stub());
}

namespace hostimpl {
// Box of a multi-line text: lines split at "\P" and newlines.
void mtextBox(const AcDbMText* m, AcGePoint3d corners[4]) {
  std::string_view text = m->contents();
  size_t lines = 1, longest = 0, current = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'P')) {
      ++lines;
      longest = std::max(longest, current);
      current = 0;
      if (text[i] == '\\') ++i;
    } else {
      ++current;
    }
  }
  longest = std::max(longest, current);
  double h = m->textHeight();
  double width = m->width() > 0 ? m->width() : 0.5 * h * static_cast<double>(longest);
  double height = h * (1 + 1.67 * static_cast<double>(lines - 1));
  int a = m->attachment();
  double ox = -width * ((a - 1) % 3) / 2.0;
  double oy = -height * (1 - ((a - 1) / 3) / 2.0);
  double c = std::cos(m->rotation()), s = std::sin(m->rotation());
  const double xs[4] = {ox, ox + width, ox + width, ox};
  const double ys[4] = {oy, oy, oy + height, oy + height};
  AcGePoint3d ref = m->location();
  for (int i = 0; i < 4; ++i)
    corners[i] = {ref.x + xs[i] * c - ys[i] * s, ref.y + xs[i] * s + ys[i] * c, ref.z};
}
}  // namespace hostimpl

AcDb::Status AcDbMText::getGeomExtents(AcDbExtents& e) const {
  AcGePoint3d box[4];
  hostimpl::mtextBox(this, box);
  e = AcDbExtents();
  for (const auto& p : box) e.addPoint(p);
  return AcDb::kOk;
}
AcDb::Status AcDbMText::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  double s = planarScale(m, mirrored);
  rotation_ = transformedAngle(m, rotation_);
  height_ *= s, width_ *= s;
  location_ = m.apply(location_);
  return AcDb::kOk;
}
AcRxObject* AcDbMText::clone() const {
  auto* copy = new AcDbMText;
  copy->copyEntityProperties(*this);
  copy->contents_ = contents_;
  copy->location_ = location_;
  copy->height_ = height_, copy->width_ = width_, copy->rotation_ = rotation_;
  copy->style_ = style_, copy->attachment_ = attachment_;
  return copy;
}

// --- AcDbBlockReference -------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbBlockReference, AcDbEntity)

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId block)
    : position_(position), block_(block.stub()) {}

AcDbBlockReference::~AcDbBlockReference() {
  for (AcDbAttribute* att : pendingAttributes_) delete att;
}

AcDbObjectId AcDbBlockReference::blockTableRecord() const { return AcDbObjectId(block_); }
AcDb::Status AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
  if (id.isNull() || !AcDbBlockTableRecord::cast(id.stub()->object))
    return AcDb::kWrongObjectType;
  TEXT_SETTER(block_ = id.stub());
}
AcDb::Status AcDbBlockReference::setPosition(const AcGePoint3d& p) { TEXT_SETTER(position_ = p); }
AcDb::Status AcDbBlockReference::setScaleFactors(const AcGeScale3d& s) {
  if (s.sx == 0 || s.sy == 0 || s.sz == 0) return AcDb::kInvalidInput;
  TEXT_SETTER(scale_ = s);
}
AcDb::Status AcDbBlockReference::setRotation(double r) { TEXT_SETTER(rotation_ = r); }

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
  AcGePoint3d base;
  if (auto* block = block_ ? AcDbBlockTableRecord::cast(block_->object) : nullptr)
    base = block->origin();
  return AcGeMatrix3d::translation(position_ - AcGePoint3d::kOrigin) *
         AcGeMatrix3d::rotationZ(rotation_) * AcGeMatrix3d::scaling(scale_) *
         AcGeMatrix3d::translation(AcGePoint3d::kOrigin - base);
}

AcDb::Status AcDbBlockReference::appendAttribute(AcDbObjectId& attId, AcDbAttribute* att) {
  if (!att || !att->isNewObject()) return AcDb::kInvalidInput;
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (!stub()) {
    pendingAttributes_.push_back(att);
    attId = AcDbObjectId();
    return AcDb::kOk;
  }
  AcDbStub* s = hostimpl::adoptEntity(att, stub());
  attributes_.push_back(s);
  attId = AcDbObjectId(s);
  return AcDb::kOk;
}

AcDbObjectIdArray AcDbBlockReference::attributeIds() const {
  AcDbObjectIdArray ids;
  for (AcDbStub* s : attributes_) ids.append(AcDbObjectId(s));
  return ids;
}

AcDb::Status AcDbBlockReference::erase(bool erasing) {
  AcDb::Status es = AcDbObject::erase(erasing);
  if (es != AcDb::kOk) return es;
  for (AcDbStub* s : attributes_) s->object->erased_ = erasing;
  return AcDb::kOk;
}

AcDb::Status AcDbBlockReference::getGeomExtents(AcDbExtents& e) const {
  return AcDbEntity::getGeomExtents(e);
}

AcDb::Status AcDbBlockReference::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  double s = planarScale(m, mirrored);
  rotation_ = transformedAngle(m, rotation_);
  scale_ = {scale_.sx * s * (mirrored ? -1 : 1), scale_.sy * s, scale_.sz * s};
  position_ = m.apply(position_);
  for (AcDbStub* a : attributes_) {
    auto* att = static_cast<AcDbAttribute*>(a->object);
    bool wasWriter = att->writer_;
    att->writer_ = true;
    att->transformBy(m);
    att->writer_ = wasWriter;
  }
  for (AcDbAttribute* att : pendingAttributes_) att->transformBy(m);
  return AcDb::kOk;
}

AcRxObject* AcDbBlockReference::clone() const {
  auto* copy = new AcDbBlockReference(position_, AcDbObjectId(block_));
  copy->copyEntityProperties(*this);
  copy->scale_ = scale_, copy->rotation_ = rotation_;
  for (AcDbStub* a : attributes_)
    if (!a->object->isErased())
      copy->pendingAttributes_.push_back(static_cast<AcDbAttribute*>(a->object->clone()));
  for (AcDbAttribute* att : pendingAttributes_)
    copy->pendingAttributes_.push_back(static_cast<AcDbAttribute*>(att->clone()));
  return copy;
}

// --- AcDbRegion -----------------------------------------------------------------------------

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
