// Symbol tables and records, block records with their entity lists, and
// the layer-state manager.
//
// A table keeps its records in adding order plus an index of live names
// (upper-cased), so has() and getAt() cost one hash lookup. Erasing a record
// takes it out of the index; restoring it puts it back if its name is free.
#include <cstring>

#include "internal.h"
#include "rxdefine.h"

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

namespace {
// Both table iterators walk a vector of stubs by index; these keep their
// movement rules in one place. An index outside the vector means done.
bool pastEnd(const std::vector<AcDbStub*>& stubs, int index) {
  return index < 0 || index >= static_cast<int>(stubs.size());
}

void skipErased(const std::vector<AcDbStub*>& stubs, int& index, bool forward) {
  while (!pastEnd(stubs, index) && stubs[index]->object->isErased()) index += forward ? 1 : -1;
}

int startIndex(const std::vector<AcDbStub*>& stubs, bool atBeginning) {
  return atBeginning ? 0 : static_cast<int>(stubs.size()) - 1;
}
}  // namespace

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
  AcDbStub* s = db->impl()->addObject(record, stub());
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

HOST_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable)

AcDb::Status AcDbLayerTable::getAt(const char* name, AcDbLayerTableRecord*& record,
                                   AcDb::OpenMode mode, bool openErased) const {
  AcDbSymbolTableRecord* rec = nullptr;
  AcDb::Status es = AcDbSymbolTable::getAt(name, rec, mode, openErased);
  record = static_cast<AcDbLayerTableRecord*>(rec);
  return es;
}

AcDb::Status AcDbLayerTable::newIterator(AcDbLayerTableIterator*& iterator, bool atBeginning,
                                         bool skipDeleted) const {
  iterator = new AcDbLayerTableIterator(records_, atBeginning, skipDeleted);
  return AcDb::kOk;
}

HOST_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable)

AcDb::Status AcDbBlockTable::getAt(const char* name, AcDbBlockTableRecord*& record,
                                   AcDb::OpenMode mode, bool openErased) const {
  AcDbSymbolTableRecord* rec = nullptr;
  AcDb::Status es = AcDbSymbolTable::getAt(name, rec, mode, openErased);
  record = static_cast<AcDbBlockTableRecord*>(rec);
  return es;
}

HOST_DEFINE_MEMBERS(AcDbLinetypeTable, AcDbSymbolTable)

AcDb::Status AcDbLinetypeTable::getAt(const char* name, AcDbLinetypeTableRecord*& record,
                                      AcDb::OpenMode mode, bool openErased) const {
  AcDbSymbolTableRecord* rec = nullptr;
  AcDb::Status es = AcDbSymbolTable::getAt(name, rec, mode, openErased);
  record = static_cast<AcDbLinetypeTableRecord*>(rec);
  return es;
}

HOST_DEFINE_MEMBERS(AcDbTextStyleTable, AcDbSymbolTable)

AcDb::Status AcDbTextStyleTable::getAt(const char* name, AcDbTextStyleTableRecord*& record,
                                       AcDb::OpenMode mode, bool openErased) const {
  AcDbSymbolTableRecord* rec = nullptr;
  AcDb::Status es = AcDbSymbolTable::getAt(name, rec, mode, openErased);
  record = static_cast<AcDbTextStyleTableRecord*>(rec);
  return es;
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

// --- layer records -----------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord)

AcDbLayerTableRecord::AcDbLayerTableRecord() = default;

#define HOST_SETTER(expr)                           \
  if (!canWrite()) return AcDb::kNotOpenForWrite; \
  expr;                                             \
  return AcDb::kOk

AcDb::Status AcDbLayerTableRecord::setIsOff(bool off) { HOST_SETTER(off_ = off); }
AcDb::Status AcDbLayerTableRecord::setIsFrozen(bool frozen) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (frozen && stub() && stub()->database->impl()->clayer == stub())
    return AcDb::kLayerIsCurrent;
  frozen_ = frozen;
  return AcDb::kOk;
}
AcDb::Status AcDbLayerTableRecord::setIsLocked(bool locked) { HOST_SETTER(locked_ = locked); }
AcDb::Status AcDbLayerTableRecord::setIsPlottable(bool p) { HOST_SETTER(plottable_ = p); }
AcDb::Status AcDbLayerTableRecord::setVPDFLT(bool frozen) { HOST_SETTER(vpdflt_ = frozen); }
AcDb::Status AcDbLayerTableRecord::setColorIndex(int color) {
  if (color < 1 || color > 255) return AcDb::kOutOfRange;
  HOST_SETTER(color_ = static_cast<std::int16_t>(color));
}
AcDbObjectId AcDbLayerTableRecord::linetypeObjectId() const {
  return AcDbObjectId(linetypeStub_);
}
AcDb::Status AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
  AcDbStub* s = id.stub();
  if (!s || !AcDbLinetypeTableRecord::cast(s->object)) return AcDb::kWrongObjectType;
  HOST_SETTER(linetypeStub_ = s);
}
AcDb::Status AcDbLayerTableRecord::setLineWeight(AcDb::LineWeight weight) {
  HOST_SETTER(lineweight_ = static_cast<std::int16_t>(weight));
}
AcDb::Status AcDbLayerTableRecord::setPlotStyleName(const char* name) {
  HOST_SETTER(plotStyle_ = name ? name : "");
}
bool AcDbLayerTableRecord::isInUse() const {
  AcDbStub* self = stub();
  if (!self) return false;
  AcDbDatabase::Impl* db = self->database->impl();
  return self == db->layerZero || self == db->clayer || hostimpl::layerInUse(self);
}
AcRxObject* AcDbLayerTableRecord::clone() const {
  auto* copy = new AcDbLayerTableRecord;
  copy->name_ = name_;
  copy->plotStyle_ = plotStyle_;
  copy->color_ = color_;
  copy->lineweight_ = lineweight_;
  copy->off_ = off_, copy->frozen_ = frozen_, copy->locked_ = locked_;
  copy->plottable_ = plottable_, copy->vpdflt_ = vpdflt_;
  copy->linetypeStub_ = linetypeStub_;
  return copy;
}

// --- block records ------------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord)

AcDbBlockTableRecord::AcDbBlockTableRecord() : entities_(new AcDbEntityList) {}
AcDbBlockTableRecord::~AcDbBlockTableRecord() { delete entities_; }

AcDb::Status AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
  AcDbObjectId ignored;
  return appendAcDbEntity(ignored, entity);
}

namespace hostimpl {
// Gives a new entity its database defaults and a stub under owner.
AcDbStub* adoptEntity(AcDbEntity* ent, AcDbStub* owner);
}

AcDb::Status AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity) {
  if (!entity || !stub()) return AcDb::kInvalidInput;
  if (!isWriteEnabled()) return AcDb::kNotOpenForWrite;
  if (!entity->isNewObject()) return AcDb::kAlreadyInDb;
  AcDbStub* s = hostimpl::adoptEntity(entity, stub());
  entities_->entities.push_back(s);
  entity->writer_ = true;
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

// --- linetypes and text styles ----------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbLinetypeTableRecord, AcDbSymbolTableRecord)

AcDb::Status AcDbLinetypeTableRecord::setComments(const char* text) {
  HOST_SETTER(comments_ = text ? text : "");
}
AcDb::Status AcDbLinetypeTableRecord::setDashes(const AcGeDoubleArray& dashes) {
  HOST_SETTER(dashes_ = dashes);
}
double AcDbLinetypeTableRecord::patternLength() const {
  double sum = 0;
  for (double d : dashes_) sum += d < 0 ? -d : d;
  return sum;
}
AcRxObject* AcDbLinetypeTableRecord::clone() const {
  auto* copy = new AcDbLinetypeTableRecord;
  copy->name_ = name_;
  copy->comments_ = comments_;
  copy->dashes_ = dashes_;
  return copy;
}

HOST_DEFINE_MEMBERS(AcDbTextStyleTableRecord, AcDbSymbolTableRecord)

AcDb::Status AcDbTextStyleTableRecord::setFileName(const char* font) {
  HOST_SETTER(font_ = font ? font : "");
}
AcDb::Status AcDbTextStyleTableRecord::setBigFontFileName(const char* font) {
  HOST_SETTER(bigFont_ = font ? font : "");
}
AcDb::Status AcDbTextStyleTableRecord::setTextSize(double size) { HOST_SETTER(size_ = size); }
AcDb::Status AcDbTextStyleTableRecord::setXScale(double scale) { HOST_SETTER(xscale_ = scale); }
AcRxObject* AcDbTextStyleTableRecord::clone() const {
  auto* copy = new AcDbTextStyleTableRecord;
  copy->name_ = name_;
  copy->font_ = font_, copy->bigFont_ = bigFont_;
  copy->size_ = size_, copy->xscale_ = xscale_;
  return copy;
}

// Record erasing goes through eraseRecord for every record class.
namespace hostimpl {
AcDb::Status eraseSymbolRecord(AcDbSymbolTableRecord* rec, bool erasing) {
  return eraseRecord(rec, erasing);
}
}  // namespace hostimpl

// --- layer states ----------------------------------------------------------------------------

AcDbLayerStateManager::AcDbLayerStateManager(AcDbDatabase* db) : db_(db) {}
AcDbLayerStateManager::~AcDbLayerStateManager() = default;

namespace {
template <typename States>
auto findState(States& states, const char* name) {
  auto it = states.begin();
  for (; it != states.end(); ++it)
    if (name && hostimpl::equalNoCase(it->name, name)) break;
  return it;
}
}  // namespace

bool AcDbLayerStateManager::hasLayerState(const char* name) const {
  return findState(states_, name) != states_.end();
}

AcDb::Status AcDbLayerStateManager::saveLayerState(const char* name, LayerStateMask mask,
                                                   const AcDbObjectId&) {
  if (!name || !*name) return AcDb::kInvalidInput;
  if (hasLayerState(name)) return AcDb::kDuplicateKey;
  LayerState state;
  state.name = name;
  state.mask = mask & kAll;
  for (AcDbStub* s : hostimpl::tableRecords(db_->impl()->layerTable)->records) {
    auto* layer = static_cast<AcDbLayerTableRecord*>(s->object);
    if (layer->isErased()) continue;
    LayerSettings ls;
    ls.layerName = layer->name_;
    ls.off = layer->isOff(), ls.frozen = layer->isFrozen(), ls.locked = layer->isLocked();
    ls.plottable = layer->isPlottable(), ls.vpdflt = layer->VPDFLT();
    ls.color = layer->colorIndex();
    ls.linetype = hostimpl::recordName(layer->linetypeStub_);
    ls.lineweight = layer->lineWeight();
    ls.plotStyle = layer->plotStyleName();
    state.layers.push_back(std::move(ls));
  }
  states_.push_back(std::move(state));
  return AcDb::kOk;
}

AcDb::Status AcDbLayerStateManager::restoreLayerState(const char* name, const AcDbObjectId&,
                                                      int, const LayerStateMask* maskOverride) {
  auto it = findState(states_, name);
  if (it == states_.end()) return AcDb::kKeyNotFound;
  int mask = maskOverride ? (*maskOverride & it->mask) : it->mask;
  AcDbDatabase::Impl* db = db_->impl();
  AcDbRecordList* layers = hostimpl::tableRecords(db->layerTable);
  AcDbRecordList* linetypes = hostimpl::tableRecords(db->linetypeTable);
  for (const LayerSettings& ls : it->layers) {
    auto found = layers->live.find(hostimpl::upper(ls.layerName));
    if (found == layers->live.end()) continue;
    auto* layer = static_cast<AcDbLayerTableRecord*>(found->second->object);
    // Someone holds it open: leave it as it is rather than change it under them.
    if (layer->writer_ || layer->readers_) continue;
    layer->writer_ = true;
    if (mask & kOn) layer->setIsOff(ls.off);
    if (mask & kFrozen) layer->setIsFrozen(ls.frozen);  // refused for the current layer
    if (mask & kLocked) layer->setIsLocked(ls.locked);
    if (mask & kPlot) layer->setIsPlottable(ls.plottable);
    if (mask & kNewViewport) layer->setVPDFLT(ls.vpdflt);
    if (mask & kColor) layer->setColorIndex(ls.color);
    if (mask & kLineType) {
      auto lt = linetypes->live.find(hostimpl::upper(ls.linetype));
      if (lt != linetypes->live.end()) layer->linetypeStub_ = lt->second;
    }
    if (mask & kLineWeight) layer->setLineWeight(static_cast<AcDb::LineWeight>(ls.lineweight));
    if (mask & kPlotStyle) layer->setPlotStyleName(ls.plotStyle.c_str());
    layer->close();
  }
  return AcDb::kOk;
}

AcDb::Status AcDbLayerStateManager::deleteLayerState(const char* name) {
  auto it = findState(states_, name);
  if (it == states_.end()) return AcDb::kKeyNotFound;
  states_.erase(it);
  return AcDb::kOk;
}

AcDb::Status AcDbLayerStateManager::getLayerStateMask(const char* name,
                                                      LayerStateMask& mask) const {
  auto it = findState(states_, name);
  if (it == states_.end()) return AcDb::kKeyNotFound;
  mask = static_cast<LayerStateMask>(it->mask);
  return AcDb::kOk;
}

std::vector<std::string> AcDbLayerStateManager::layerStateNames() const {
  std::vector<std::string> names;
  for (const auto& s : states_) names.push_back(s.name);
  return names;
}

void AcDbLayerStateManager::putLayerState(const LayerState& state) {
  auto it = findState(states_, state.name.c_str());
  if (it != states_.end())
    *it = state;
  else
    states_.push_back(state);
}

AcDb::Status AcDbSymbolTableRecord::erase(bool erasing) {
  return hostimpl::eraseSymbolRecord(this, erasing);
}
