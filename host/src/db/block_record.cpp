// Block records: the entity list of a block (model space or a block
// definition), appending to it, and its iterator.
#include "db/db.h"
#include "rx/rx.h"

using hostimpl::pastEnd;
using hostimpl::skipErased;
using hostimpl::startIndex;

int hostimpl::gAppendsLeft = -1;

HOST_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord)

AcDbBlockTableRecord::AcDbBlockTableRecord() : entities_(new AcDbEntityList) {}
AcDbBlockTableRecord::~AcDbBlockTableRecord() { delete entities_; }

AcDb::Status AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
  AcDbObjectId ignored;
  return appendAcDbEntity(ignored, entity);
}

AcDb::Status AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity) {
  if (!entity || !stub()) return AcDb::kInvalidInput;
  if (!isWriteEnabled()) return AcDb::kNotOpenForWrite;
  if (!entity->isNewObject()) return AcDb::kAlreadyInDb;
  if (hostimpl::gAppendsLeft == 0) return AcDb::kNotApplicable;
  if (hostimpl::gAppendsLeft > 0) --hostimpl::gAppendsLeft;
  AcDbStub* s = hostimpl::adoptEntity(entity, stub());
  s->position = static_cast<std::uint32_t>(entities_->entities.size());
  entities_->entities.push_back(s);
  entity->writer_ = true;
  hostimpl::entityAppended(s);
  id = AcDbObjectId(s);
  return AcDb::kOk;
}

AcDb::Status AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& iterator,
                                               bool atBeginning, bool skipDeleted) const {
  iterator = new AcDbBlockTableRecordIterator(entities_, atBeginning, skipDeleted);
  return AcDb::kOk;
}

AcDb::Status AcDbBlockTableRecord::setOrigin(const AcGePoint3d& p) { HOST_SETTER(origin_ = p); }
bool AcDbBlockTableRecord::isLayout() const {
  return hostimpl::equalNoCase(name_, ACDB_MODEL_SPACE) ||
         hostimpl::equalNoCase(name_, ACDB_PAPER_SPACE);
}
bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
  for (AcDbStub* e : entities_->entities)
    if (!e->object->isErased() && AcDbAttributeDefinition::cast(e->object)) return true;
  return false;
}

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(const AcDbEntityList* list,
                                                           bool atBeginning, bool skipDeleted)
    : list_(list), index_(0), skipDeleted_(skipDeleted) {
  start(atBeginning, skipDeleted);
}

void AcDbBlockTableRecordIterator::skip(bool forward) {
  if (skipDeleted_) skipErased(list_->entities, index_, forward);
}
void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
  skipDeleted_ = skipDeleted;
  index_ = startIndex(list_->entities, atBeginning);
  skip(atBeginning);
}
bool AcDbBlockTableRecordIterator::done() const { return pastEnd(list_->entities, index_); }
void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
  if (done()) return;
  skipDeleted_ = skipDeleted;
  index_ += forward ? 1 : -1;
  skip(forward);
}
AcDb::Status AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
  if (done()) return AcDb::kInvalidIndex;
  id = AcDbObjectId(list_->entities[index_]);
  return AcDb::kOk;
}
AcDb::Status AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                                                     bool openErased) const {
  entity = nullptr;
  if (done()) return AcDb::kInvalidIndex;
  return acdbOpenAcDbEntity(entity, AcDbObjectId(list_->entities[index_]), mode, openErased);
}
