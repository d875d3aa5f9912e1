// Database objects and the open/close protocol.
//
// An object joins a database by getting a stub (AcDbDatabase::Impl::
// addObject); from then on the database owns it and deletes it when the
// database is destroyed. Opening never moves or frees anything: a pointer
// kept after close() still points at the object, it just may not be used
// to change it. Closing a write open, and erasing, tell the spatial look-ups
// that the entity may have moved.
#include "db/db.h"
#include "rx/rx.h"

using hostimpl::stubOf;

AcDbStub* hostimpl::addObject(AcDbDatabase::Impl* db, AcDbObject* obj, AcDbStub* owner) {
  db->stubs.emplace_back();
  AcDbStub* stub = &db->stubs.back();
  stub->object = obj;
  stub->database = owner ? owner->database : nullptr;
  stub->owner = owner;
  stub->handle = db->stubs.size();
  obj->attachStub(stub);
  ++db->modifications;
  noteAdded(stub);
  return stub;
}

// --- AcDbObjectId ------------------------------------------------------------------

bool AcDbObjectId::isValid() const { return stub_ && stub_->object && !stub_->object->erased_; }
bool AcDbObjectId::isErased() const { return stub_ && stub_->object && stub_->object->erased_; }
AcDbDatabase* AcDbObjectId::database() const { return stub_ ? stub_->database : nullptr; }
std::uint64_t AcDbObjectId::handle() const { return stub_ ? stub_->handle : 0; }

// --- AcDbObject ----------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbObject, AcRxObject)

AcDbObject::AcDbObject() = default;
AcDbObject::~AcDbObject() = default;

AcDbObjectId AcDbObject::objectId() const { return AcDbObjectId(stub_); }
AcDbObjectId AcDbObject::ownerId() const {
  return AcDbObjectId(stub_ ? stub_->owner : nullptr);
}
AcDbDatabase* AcDbObject::database() const { return stub_ ? stub_->database : nullptr; }
std::uint64_t AcDbObject::handle() const { return stub_ ? stub_->handle : 0; }
bool AcDbObject::isErased() const { return erased_; }
bool AcDbObject::isReadEnabled() const { return stub_ == nullptr || readers_ > 0 || writer_; }
bool AcDbObject::isWriteEnabled() const { return stub_ == nullptr || writer_; }

void AcDbObject::noteGeometry() {
  if (isKindOf(AcDbEntity::desc()))
    hostimpl::entityChanged(stub_);
  else if (isKindOf(AcDbBlockTableRecord::desc()))
    hostimpl::blockChanged(stub_);
}

AcDb::Status AcDbObject::close() {
  if (!stub_) return AcDb::kOk;
  if (writer_) {
    writer_ = false;
    hostimpl::bumpModifications(stub_->database);
    noteGeometry();
    return AcDb::kOk;
  }
  if (readers_ > 0) {
    --readers_;
    return AcDb::kOk;
  }
  return AcDb::kNotOpen;
}

AcDb::Status AcDbObject::upgradeOpen() {
  if (!stub_ || writer_) return AcDb::kOk;
  if (readers_ == 0) return AcDb::kNotOpen;
  if (readers_ > 1) return AcDb::kWasOpenForRead;
  if (auto* ent = AcDbEntity::cast(this)) {
    AcDbLayerTableRecord* layer = hostimpl::layerOf(ent);
    if (layer && layer->isLocked()) return AcDb::kOnLockedLayer;
  }
  hostimpl::noteChange(stub_);
  readers_ = 0;
  writer_ = true;
  return AcDb::kOk;
}

AcDb::Status AcDbObject::downgradeOpen() {
  if (!stub_) return AcDb::kOk;
  if (!writer_) return AcDb::kNotOpenForWrite;
  writer_ = false;
  readers_ = 1;
  hostimpl::bumpModifications(stub_->database);
  noteGeometry();
  return AcDb::kOk;
}

AcDb::Status AcDbObject::erase(bool erasing) {
  if (!stub_) return AcDb::kNotInDatabase;
  if (!writer_) return AcDb::kNotOpenForWrite;
  if (erased_ == erasing) return erasing ? AcDb::kWasErased : AcDb::kWasNotErased;
  erased_ = erasing;
  noteGeometry();
  return AcDb::kOk;
}

AcRxObject* AcDbObject::clone() const { return nullptr; }

AcDb::Status acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                bool openErased, const AcRxClass* desc) {
  obj = nullptr;
  AcDbStub* stub = stubOf(id);
  if (!stub || !stub->object) return AcDb::kNullObjectId;
  AcDbObject* target = stub->object;
  if (desc && !target->isKindOf(desc)) return AcDb::kWrongObjectType;
  if (target->erased_ && !openErased) return AcDb::kWasErased;
  if (target->writer_) return AcDb::kWasOpenForWrite;
  if (mode == AcDb::kForWrite) {
    if (target->readers_ > 0) return AcDb::kWasOpenForRead;
    if (auto* ent = AcDbEntity::cast(target)) {
      AcDbLayerTableRecord* layer = hostimpl::layerOf(ent);
      if (layer && layer->isLocked()) return AcDb::kOnLockedLayer;
    }
    hostimpl::noteChange(stub);
    target->writer_ = true;
  } else {
    if (target->readers_ == 0xFFFF) return AcDb::kWasOpenForRead;
    ++target->readers_;
  }
  obj = target;
  return AcDb::kOk;
}

AcDb::Status acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode,
                                bool openErased) {
  AcDbObject* obj = nullptr;
  AcDb::Status es = acdbOpenAcDbObject(obj, id, mode, openErased, AcDbEntity::desc());
  ent = es == AcDb::kOk ? static_cast<AcDbEntity*>(obj) : nullptr;
  return es;
}
