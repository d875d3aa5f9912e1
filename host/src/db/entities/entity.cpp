// The common part of every entity: layer, colour, linetype, lineweight,
// visibility and highlight; extents and intersections through the entity's
// primitives; and what an entity gets when it joins a database.
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

void AcDbExtents::addPoint(const AcGePoint3d& p) {
  minPoint = {std::min(minPoint.x, p.x), std::min(minPoint.y, p.y), std::min(minPoint.z, p.z)};
  maxPoint = {std::max(maxPoint.x, p.x), std::max(maxPoint.y, p.y), std::max(maxPoint.z, p.z)};
}

void AcDbExtents::addExt(const AcDbExtents& e) {
  if (!e.isValid()) return;
  addPoint(e.minPoint);
  addPoint(e.maxPoint);
}

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
  if (auto* kept = AcDbKeptEntity::cast(ent)) return kept->dxfType();
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
  AcDbStub* stub = addObject(impl, ent, owner);
  if (auto* ref = AcDbBlockReference::cast(ent)) {
    for (AcDbAttribute* att : ref->pendingAttributes_)
      ref->attributes_.push_back(adoptEntity(att, stub));
    ref->pendingAttributes_.clear();
  }
  return stub;
}

bool isDisplayed(const AcDbEntity* ent) {
  if (ent->isErased() || ent->visibility() == AcDb::kInvisible) return false;
  AcDbLayerTableRecord* layer = layerOf(ent);
  return !layer || (!layer->isOff() && !layer->isFrozen());
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
  if (color_ != color)
    std::erase_if(fileGroups_, [](const auto& g) { return g.first == 420 || g.first == 430; });
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
  std::vector<Prim> prims;
  hostimpl::collectPrims(this, AcGeMatrix3d(), prims);
  extents = hostimpl::primExtents(prims);
  return extents.isValid() ? AcDb::kOk : AcDb::kInvalidInput;
}

namespace {

// Lines, arcs and circles can be extended; polylines and others cannot.
bool extendable(const AcDbEntity* e) {
  return AcDbLine::cast(e) || AcDbArc::cast(e) || AcDbCircle::cast(e);
}

void curvePrims(const AcDbEntity* e, std::vector<Prim>& out) {
  out.clear();
  if (AcDbCurve::cast(e) || AcDbRegion::cast(e)) hostimpl::collectPrims(e, AcGeMatrix3d(), out);
}

}  // namespace

// Curves are taken apart into segments and arcs. Mode 1 extends the entity
// the call is made on, mode 2 the argument, mode 3 both.
AcDb::Status AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect mode,
                                       AcGePoint3dArray& points, std::intptr_t,
                                       std::intptr_t) const {
  if (!other) return AcDb::kInvalidInput;
  // Line with line, most of what plug-ins ask: no primitive lists to build.
  if (isA() == AcDbLine::desc() && other->isA() == AcDbLine::desc()) {
    auto* a = static_cast<const AcDbLine*>(this);
    auto* b = static_cast<const AcDbLine*>(other);
    bool extThis = mode == AcDb::kExtendThis || mode == AcDb::kExtendBoth;
    bool extArg = mode == AcDb::kExtendArg || mode == AcDb::kExtendBoth;
    AcGePoint3dArray found;  // each call reports its own points, whatever points holds
    intersect(segmentPrim(a->startPoint(), a->endPoint()),
              segmentPrim(b->startPoint(), b->endPoint()), extThis, extArg, found);
    points.append(found);
    return AcDb::kOk;
  }
  std::vector<Prim> mine, theirs;
  curvePrims(this, mine);
  curvePrims(other, theirs);
  if (mine.empty() || theirs.empty()) return AcDb::kNotImplemented;
  bool extThis = (mode == AcDb::kExtendThis || mode == AcDb::kExtendBoth) && extendable(this);
  bool extArg = (mode == AcDb::kExtendArg || mode == AcDb::kExtendBoth) && extendable(other);
  AcGePoint3dArray found;
  for (const Prim& a : mine)
    for (const Prim& b : theirs) intersect(a, b, extThis, extArg, found);
  points.append(found);
  return AcDb::kOk;
}

AcDb::Status AcDbEntity::transformBy(const AcGeMatrix3d&) { return AcDb::kNotImplemented; }

void AcDbEntity::copyEntityProperties(const AcDbEntity& from) {
  layerStub_ = from.layerStub_;
  linetypeStub_ = from.linetypeStub_;
  ltscale_ = from.ltscale_;
  color_ = from.color_;
  lineweight_ = from.lineweight_;
  invisible_ = from.invisible_;
  fileGroups_ = from.fileGroups_;
}
