// Symbol tables and their records: names, iterators, the tables by kind,
// and the rules for erasing a record.
//
// A table keeps its records in adding order plus an index of live names
// (upper-cased), so has() and getAt() cost one hash lookup. Erasing a record
// takes it out of the index; restoring it puts it back if its name is free.
#include <cstring>

#include "db/db.h"
#include "rx/rx.h"

using hostimpl::upper;

namespace hostimpl {

AcDbRecordList* tableRecords(AcDbStub* tableStub) {
  auto* table = tableStub ? AcDbSymbolTable::cast(tableStub->object) : nullptr;
  return table ? table->records_ : nullptr;
}

AcDbEntityList* blockEntities(AcDbStub* blockStub) {
  auto* block = blockStub ? AcDbBlockTableRecord::cast(blockStub->object) : nullptr;
  return block ? block->entities_ : nullptr;
}

bool layerInUse(const AcDbStub* layer) {
  AcDbDatabase* db = layer->database;
  AcDbRecordList* blocks = tableRecords(db->impl()->blockTable);
  for (AcDbStub* blockStub : blocks->records) {
    if (blockStub->object->isErased()) continue;
    for (AcDbStub* entStub : blockEntities(blockStub)->entities) {
      auto* ent = static_cast<AcDbEntity*>(entStub->object);
      if (ent->isErased()) continue;
      if (ent->layerStub_ == layer) return true;
      if (auto* ref = AcDbBlockReference::cast(ent))
        for (AcDbStub* att : ref->attributes_)
          if (!att->object->isErased() &&
              static_cast<AcDbEntity*>(att->object)->layerStub_ == layer)
            return true;
    }
  }
  return false;
}

}  // namespace hostimpl

// --- records -------------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject)

AcDb::Status AcDbSymbolTableRecord::getName(const char*& name) const {
  name = name_.c_str();
  return AcDb::kOk;
}
AcDb::Status AcDbSymbolTableRecord::getName(std::string& name) const {
  name = name_;
  return AcDb::kOk;
}

AcDb::Status AcDbSymbolTableRecord::setName(const char* name) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (!name || !*name) return AcDb::kInvalidInput;
  // Block names may start with '*' (layouts and anonymous blocks).
  const char* checked = name[0] == '*' && isKindOf(AcDbBlockTableRecord::desc()) ? name + 1 : name;
  if (!*checked || std::strpbrk(checked, "<>/\\\":;?*|,=`")) return AcDb::kInvalidInput;
  if (name_ == name) return AcDb::kOk;
  AcDbStub* self = stub();
  if (self && self->owner) {
    AcDbRecordList* list = hostimpl::tableRecords(self->owner);
    std::string key = upper(name);
    auto it = list->live.find(key);
    if (it != list->live.end() && it->second != self) return AcDb::kDuplicateKey;
    if (isA() == AcDbLayerTableRecord::desc() && hostimpl::equalNoCase(name_, "0"))
      return AcDb::kLayerZero;
    if (!isErased()) {
      list->live.erase(upper(name_));
      list->live[key] = self;
    }
  }
  name_ = name;
  return AcDb::kOk;
}

// --- iterators -------------------------------------------------------------------------

AcDbSymbolTableIterator::AcDbSymbolTableIterator(const AcDbRecordList* list, bool atBeginning,
                                                 bool skipDeleted)
    : list_(list), index_(0), skipDeleted_(skipDeleted) {
  start(atBeginning, skipDeleted);
}
AcDbSymbolTableIterator::~AcDbSymbolTableIterator() = default;

using hostimpl::pastEnd;
using hostimpl::skipErased;
using hostimpl::startIndex;

void AcDbSymbolTableIterator::skip(bool forward) {
  if (skipDeleted_) skipErased(list_->records, index_, forward);
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
  skipDeleted_ = skipDeleted;
  index_ = startIndex(list_->records, atBeginning);
  skip(atBeginning);
}

bool AcDbSymbolTableIterator::done() const { return pastEnd(list_->records, index_); }

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
  if (done()) return;
  skipDeleted_ = skipDeleted;
  index_ += forward ? 1 : -1;
  skip(forward);
}

AcDb::Status AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
  if (done()) return AcDb::kInvalidIndex;
  id = AcDbObjectId(list_->records[index_]);
  return AcDb::kOk;
}

AcDb::Status AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& record,
                                                AcDb::OpenMode mode, bool openErased) const {
  record = nullptr;
  if (done()) return AcDb::kInvalidIndex;
  AcDbObject* obj = nullptr;
  AcDb::Status es = acdbOpenAcDbObject(obj, AcDbObjectId(list_->records[index_]), mode,
                                       openErased, AcDbSymbolTableRecord::desc());
  if (es == AcDb::kOk) record = static_cast<AcDbSymbolTableRecord*>(obj);
  return es;
}

AcDb::Status AcDbLayerTableIterator::getRecord(AcDbLayerTableRecord*& record,
                                               AcDb::OpenMode mode, bool openErased) const {
  AcDbSymbolTableRecord* rec = nullptr;
  AcDb::Status es = AcDbSymbolTableIterator::getRecord(rec, mode, openErased);
  record = static_cast<AcDbLayerTableRecord*>(rec);
  return es;
}

// --- tables ------------------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject)

AcDbSymbolTable::AcDbSymbolTable() : records_(new AcDbRecordList) {}
AcDbSymbolTable::~AcDbSymbolTable() { delete records_; }

bool AcDbSymbolTable::has(const char* name) const {
  return name && records_->live.count(upper(name)) > 0;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
  AcDbStub* s = id.stub();
  return s && s->owner == stub() && s->object && !s->object->isErased();
}

AcDb::Status AcDbSymbolTable::getAt(const char* name, AcDbObjectId& id, bool getErased) const {
  if (!name) return AcDb::kInvalidInput;
  auto it = records_->live.find(upper(name));
  if (it != records_->live.end()) {
    id = AcDbObjectId(it->second);
    return AcDb::kOk;
  }
  if (getErased)
    for (auto rit = records_->records.rbegin(); rit != records_->records.rend(); ++rit)
      if (hostimpl::equalNoCase(hostimpl::recordName(*rit), name)) {
        id = AcDbObjectId(*rit);
        return AcDb::kOk;
      }
  return AcDb::kKeyNotFound;
}

AcDb::Status AcDbSymbolTable::getAt(const char* name, AcDbSymbolTableRecord*& record,
                                    AcDb::OpenMode mode, bool openErased) const {
  record = nullptr;
  AcDbObjectId id;
  AcDb::Status es = getAt(name, id, openErased);
  if (es != AcDb::kOk) return es;
  AcDbObject* obj = nullptr;
  es = acdbOpenAcDbObject(obj, id, mode, openErased, AcDbSymbolTableRecord::desc());
  if (es == AcDb::kOk) record = static_cast<AcDbSymbolTableRecord*>(obj);
  return es;
}

AcDb::Status AcDbSymbolTable::add(AcDbSymbolTableRecord* record) {
  AcDbObjectId ignored;
  return add(ignored, record);
}

AcDb::Status AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* record) {
  if (!record || !stub()) return AcDb::kInvalidInput;
  if (!isWriteEnabled()) return AcDb::kNotOpenForWrite;
  if (!record->isNewObject()) return AcDb::kAlreadyInDb;
  // Each table takes only its own kind of record.
  static const std::pair<AcRxClass*, AcRxClass*> kinds[] = {
      {AcDbLayerTable::desc(), AcDbLayerTableRecord::desc()},
      {AcDbBlockTable::desc(), AcDbBlockTableRecord::desc()},
      {AcDbLinetypeTable::desc(), AcDbLinetypeTableRecord::desc()},
      {AcDbTextStyleTable::desc(), AcDbTextStyleTableRecord::desc()}};
  for (const auto& [table, rec] : kinds)
    if (isA() == table && !record->isKindOf(rec)) return AcDb::kWrongObjectType;
  if (record->name_.empty()) return AcDb::kInvalidInput;
  std::string key = upper(record->name_);
  if (records_->live.count(key)) return AcDb::kDuplicateKey;
  AcDbDatabase* db = database();
  AcDbStub* s = hostimpl::addObject(db->impl(), record, stub());
  records_->records.push_back(s);
  records_->live[key] = s;
  if (auto* layer = AcDbLayerTableRecord::cast(record))
    if (!layer->linetypeStub_) layer->linetypeStub_ = db->impl()->continuous;
  record->writer_ = true;
  id = AcDbObjectId(s);
  return AcDb::kOk;
}

AcDb::Status AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning,
                                          bool skipDeleted) const {
  iterator = new AcDbSymbolTableIterator(records_, atBeginning, skipDeleted);
  return AcDb::kOk;
}

namespace {
// The record of a typed table, opened as its own class (the table only holds that kind).
template <typename Record>
AcDb::Status typedGetAt(const AcDbSymbolTable& table, const char* name, Record*& record,
                        AcDb::OpenMode mode, bool openErased) {
  AcDbSymbolTableRecord* rec = nullptr;
  AcDb::Status es = table.AcDbSymbolTable::getAt(name, rec, mode, openErased);
  record = static_cast<Record*>(rec);
  return es;
}
}  // namespace

HOST_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable)

AcDb::Status AcDbLayerTable::getAt(const char* name, AcDbLayerTableRecord*& record,
                                  AcDb::OpenMode mode, bool openErased) const {
  return typedGetAt(*this, name, record, mode, openErased);
}

AcDb::Status AcDbLayerTable::newIterator(AcDbLayerTableIterator*& iterator, bool atBeginning,
                                         bool skipDeleted) const {
  iterator = new AcDbLayerTableIterator(records_, atBeginning, skipDeleted);
  return AcDb::kOk;
}

HOST_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable)

AcDb::Status AcDbBlockTable::getAt(const char* name, AcDbBlockTableRecord*& record,
                                  AcDb::OpenMode mode, bool openErased) const {
  return typedGetAt(*this, name, record, mode, openErased);
}

HOST_DEFINE_MEMBERS(AcDbLinetypeTable, AcDbSymbolTable)

AcDb::Status AcDbLinetypeTable::getAt(const char* name, AcDbLinetypeTableRecord*& record,
                                     AcDb::OpenMode mode, bool openErased) const {
  return typedGetAt(*this, name, record, mode, openErased);
}

HOST_DEFINE_MEMBERS(AcDbTextStyleTable, AcDbSymbolTable)

AcDb::Status AcDbTextStyleTable::getAt(const char* name, AcDbTextStyleTableRecord*& record,
                                      AcDb::OpenMode mode, bool openErased) const {
  return typedGetAt(*this, name, record, mode, openErased);
}

// --- erasing records ----------------------------------------------------------------------

namespace {
// Erase rules of symbol table records, shared by the record classes.
AcDb::Status eraseRecord(AcDbSymbolTableRecord* rec, bool erasing) {
  AcDbStub* self = rec->stub();
  if (!self) return AcDb::kNotInDatabase;
  if (!rec->isWriteEnabled()) return AcDb::kNotOpenForWrite;
  AcDbDatabase::Impl* db = self->database->impl();
  AcDbRecordList* list = hostimpl::tableRecords(self->owner);
  std::string key = upper(rec->name_);
  if (erasing) {
    if (rec->isErased()) return AcDb::kWasErased;
    if (AcDbLayerTableRecord::cast(rec)) {
      if (self == db->layerZero) return AcDb::kLayerZero;
      if (self == db->clayer) return AcDb::kLayerIsCurrent;
      if (hostimpl::layerInUse(self)) return AcDb::kStillReferenced;
    } else if (AcDbBlockTableRecord::cast(rec)) {
      if (static_cast<AcDbBlockTableRecord*>(rec)->isLayout()) return AcDb::kCannotEraseModelSpace;
      // A block that references still insert stays.
      for (AcDbStub* b : hostimpl::tableRecords(db->blockTable)->records) {
        if (b->object->isErased()) continue;
        for (AcDbStub* e : hostimpl::blockEntities(b)->entities) {
          auto* ref = AcDbBlockReference::cast(e->object);
          if (ref && !ref->isErased() && ref->blockTableRecord() == rec->objectId())
            return AcDb::kStillReferenced;
        }
      }
    } else if (self == db->byLayer || self == db->byBlock || self == db->continuous ||
               self == db->standardStyle) {
      return AcDb::kNotApplicable;
    }
    list->live.erase(key);
  } else {
    if (!rec->isErased()) return AcDb::kWasNotErased;
    if (list->live.count(key)) return AcDb::kDuplicateKey;
    list->live[key] = self;
  }
  rec->erased_ = erasing;
  return AcDb::kOk;
}
}  // namespace

namespace hostimpl {
AcDb::Status eraseSymbolRecord(AcDbSymbolTableRecord* rec, bool erasing) {
  return eraseRecord(rec, erasing);
}
}  // namespace hostimpl

AcDb::Status AcDbSymbolTableRecord::erase(bool erasing) {
  return hostimpl::eraseSymbolRecord(this, erasing);
}
