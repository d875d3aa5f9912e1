// Block references: the transformation into the reference's space, and
// the attributes the reference owns.
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

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
  HOST_SETTER(block_ = id.stub());
}
AcDb::Status AcDbBlockReference::setPosition(const AcGePoint3d& p) { HOST_SETTER(position_ = p); }
AcDb::Status AcDbBlockReference::setScaleFactors(const AcGeScale3d& s) {
  if (s.sx == 0 || s.sy == 0 || s.sz == 0) return AcDb::kInvalidInput;
  HOST_SETTER(scale_ = s);
}
AcDb::Status AcDbBlockReference::setRotation(double r) { HOST_SETTER(rotation_ = r); }

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
  for (AcDbStub* s : attributes_) {
    hostimpl::noteChange(s);
    s->object->erased_ = erasing;
  }
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
