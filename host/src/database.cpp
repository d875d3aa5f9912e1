// The drawing database: stubs and ids, the open/close protocol, a new
// drawing's defaults, entity and selection-set names.
//
// An object joins a database by getting a stub (AcDbDatabase::Impl::
// addObject); from then on the database owns it and deletes it when the
// database is destroyed. Opening never moves or frees anything: a pointer
// kept after close() still points at the object, it just may not be used
// to change it.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "internal.h"
#include "rxdefine.h"

using hostimpl::stubOf;

namespace {
std::vector<AcDbDatabase*>& databasesBySerial() {
  static std::vector<AcDbDatabase*> dbs;
  return dbs;
}
}  // namespace

namespace hostimpl {

// Case folding of names: ASCII letters only, and never the trail byte of
// a GBK double-byte character (its range includes the letters).
std::string upper(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < out.size()) {
      ++i;
      continue;
    }
    out[i] = static_cast<char>(std::toupper(c));
  }
  return out;
}

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upper(a) == upper(b);
}

AcDbDatabase* databaseBySerial(std::uint32_t serial) {
  auto& dbs = databasesBySerial();
  return serial >= 1 && serial <= dbs.size() ? dbs[serial - 1] : nullptr;
}

AcDbStub* stubFromName(const AcEdName name) {
  if (!name || name[1] <= 0 || name[1] > 0xFFFFFFFFll) return nullptr;
  AcDbDatabase* db = databaseBySerial(static_cast<std::uint32_t>(name[1]));
  if (!db || name[0] <= 0 || static_cast<std::uint64_t>(name[0]) > db->impl()->stubs.size())
    return nullptr;
  AcDbStub* stub = &db->impl()->stubs[name[0] - 1];
  return stub->object ? stub : nullptr;
}

void nameFromStub(const AcDbStub* stub, AcEdName name) {
  if (!stub) {
    name[0] = name[1] = 0;
    return;
  }
  name[0] = static_cast<std::int64_t>(stub->handle);
  name[1] = stub->database->impl()->serial;
}

AcDbStub* stubOf(AcDbObjectId id) { return id.stub(); }

const char* recordName(const AcDbStub* stub) {
  auto* rec = stub ? AcDbSymbolTableRecord::cast(stub->object) : nullptr;
  return rec ? rec->name_.c_str() : "";
}

void bumpModifications(AcDbDatabase* db) {
  if (db) ++db->impl()->modifications;
}

}  // namespace hostimpl

AcDbStub* AcDbDatabase::Impl::addObject(AcDbObject* obj, AcDbStub* owner) {
  stubs.emplace_back();
  AcDbStub* stub = &stubs.back();
  stub->object = obj;
  stub->database = owner ? owner->database : nullptr;
  stub->owner = owner;
  stub->handle = stubs.size();
  obj->attachStub(stub);
  ++modifications;
  ++geometryChanges;
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

AcDb::Status AcDbObject::close() {
  if (!stub_) return AcDb::kOk;
  if (writer_) {
    writer_ = false;
    hostimpl::bumpModifications(stub_->database);
    if (isKindOf(AcDbEntity::desc()) || isKindOf(AcDbBlockTableRecord::desc()))
      ++stub_->database->impl()->geometryChanges;
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
  ++stub_->database->impl()->geometryChanges;
  return AcDb::kOk;
}

AcDb::Status AcDbObject::erase(bool erasing) {
  if (!stub_) return AcDb::kNotInDatabase;
  if (!writer_) return AcDb::kNotOpenForWrite;
  if (erased_ == erasing) return erasing ? AcDb::kWasErased : AcDb::kWasNotErased;
  erased_ = erasing;
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

// --- AcDbDatabase -------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbDatabase, AcRxObject)

namespace {

template <typename Record>
AcDbStub* addRecord(AcDbDatabase::Impl* impl, AcDbStub* table, const char* name) {
  auto* rec = new Record;
  rec->name_ = std::string(name);
  AcDbStub* stub = impl->addObject(rec, table);
  AcDbRecordList* list = hostimpl::tableRecords(table);
  list->records.push_back(stub);
  list->live[hostimpl::upper(name)] = stub;
  return stub;
}

AcDbStub* addLinetype(AcDbDatabase::Impl* impl, const char* name, const char* comments,
                      std::initializer_list<double> dashes) {
  AcDbStub* stub = addRecord<AcDbLinetypeTableRecord>(impl, impl->linetypeTable, name);
  auto* rec = static_cast<AcDbLinetypeTableRecord*>(stub->object);
  rec->setComments(comments);
  AcGeDoubleArray d;
  for (double v : dashes) d.append(v);
  rec->setDashes(d);
  return stub;
}

}  // namespace

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing) : impl_(new Impl) {
  auto& dbs = databasesBySerial();
  dbs.push_back(this);
  impl_->serial = static_cast<std::uint32_t>(dbs.size());
  impl_->layerStates = std::make_unique<AcDbLayerStateManager>(this);

  // The tables exist in every database; their owner is the database itself.
  auto addTable = [this](AcDbObject* table) {
    AcDbStub* stub = impl_->addObject(table, nullptr);
    stub->database = this;
    return stub;
  };
  impl_->blockTable = addTable(new AcDbBlockTable);
  impl_->layerTable = addTable(new AcDbLayerTable);
  impl_->linetypeTable = addTable(new AcDbLinetypeTable);
  impl_->textStyleTable = addTable(new AcDbTextStyleTable);

  impl_->byBlock = addLinetype(impl_, "BYBLOCK", "", {});
  impl_->byLayer = addLinetype(impl_, "BYLAYER", "", {});
  impl_->continuous = addLinetype(impl_, "CONTINUOUS", "Solid line", {});
  impl_->layerZero = addRecord<AcDbLayerTableRecord>(impl_, impl_->layerTable, "0");
  static_cast<AcDbLayerTableRecord*>(impl_->layerZero->object)->linetypeStub_ =
      impl_->continuous;
  impl_->clayer = impl_->layerZero;
  impl_->standardStyle =
      addRecord<AcDbTextStyleTableRecord>(impl_, impl_->textStyleTable, "STANDARD");
  impl_->modelSpace =
      addRecord<AcDbBlockTableRecord>(impl_, impl_->blockTable, ACDB_MODEL_SPACE);
  addRecord<AcDbBlockTableRecord>(impl_, impl_->blockTable, ACDB_PAPER_SPACE);
  if (buildDefaultDrawing) {
    addLinetype(impl_, "DASHED", "__ __ __ __", {0.75, 0.5, -0.25});
    addLinetype(impl_, "HIDDEN", "- - - - -", {0.375, 0.25, -0.125});
    addLinetype(impl_, "CENTER", "____ _ ____ _", {2.0, 1.25, -0.25, 0.25, -0.25});
  }
}

AcDbDatabase::~AcDbDatabase() {
  hostimpl::forgetDatabase(this);
  if (acdbHostApplicationServices()->workingDatabase() == this)
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  // Block references own their pending attributes; everything else that
  // has a stub is deleted here, once.
  for (AcDbStub& stub : impl_->stubs) {
    delete stub.object;
    stub.object = nullptr;
  }
  databasesBySerial()[impl_->serial - 1] = nullptr;
  delete impl_;
}

namespace {
template <typename Table>
AcDb::Status openTable(AcDbStub* stub, Table*& table, AcDb::OpenMode mode) {
  AcDbObject* obj = nullptr;
  AcDb::Status es = acdbOpenAcDbObject(obj, AcDbObjectId(stub), mode, false, Table::desc());
  table = es == AcDb::kOk ? static_cast<Table*>(obj) : nullptr;
  return es;
}
}  // namespace

AcDb::Status AcDbDatabase::getSymbolTable(AcDbLayerTable*& t, AcDb::OpenMode m) {
  return openTable(impl_->layerTable, t, m);
}
AcDb::Status AcDbDatabase::getSymbolTable(AcDbBlockTable*& t, AcDb::OpenMode m) {
  return openTable(impl_->blockTable, t, m);
}
AcDb::Status AcDbDatabase::getSymbolTable(AcDbLinetypeTable*& t, AcDb::OpenMode m) {
  return openTable(impl_->linetypeTable, t, m);
}
AcDb::Status AcDbDatabase::getSymbolTable(AcDbTextStyleTable*& t, AcDb::OpenMode m) {
  return openTable(impl_->textStyleTable, t, m);
}

AcDbObjectId AcDbDatabase::layerTableId() const { return AcDbObjectId(impl_->layerTable); }
AcDbObjectId AcDbDatabase::blockTableId() const { return AcDbObjectId(impl_->blockTable); }
AcDbObjectId AcDbDatabase::linetypeTableId() const { return AcDbObjectId(impl_->linetypeTable); }
AcDbObjectId AcDbDatabase::textStyleTableId() const {
  return AcDbObjectId(impl_->textStyleTable);
}
AcDbObjectId AcDbDatabase::modelSpaceId() const { return AcDbObjectId(impl_->modelSpace); }
AcDbObjectId AcDbDatabase::layerZero() const { return AcDbObjectId(impl_->layerZero); }
AcDbObjectId AcDbDatabase::byLayerLinetype() const { return AcDbObjectId(impl_->byLayer); }
AcDbObjectId AcDbDatabase::byBlockLinetype() const { return AcDbObjectId(impl_->byBlock); }
AcDbObjectId AcDbDatabase::continuousLinetype() const {
  return AcDbObjectId(impl_->continuous);
}
AcDbObjectId AcDbDatabase::textStyleStandard() const {
  return AcDbObjectId(impl_->standardStyle);
}
AcDbObjectId AcDbDatabase::clayer() const { return AcDbObjectId(impl_->clayer); }

AcDb::Status AcDbDatabase::setClayer(AcDbObjectId layerId) {
  AcDbStub* stub = stubOf(layerId);
  auto* layer = stub ? AcDbLayerTableRecord::cast(stub->object) : nullptr;
  if (!layer || stub->database != this) return AcDb::kInvalidInput;
  if (layer->isErased()) return AcDb::kWasErased;
  if (layer->isFrozen()) return AcDb::kLayerIsFrozen;
  impl_->clayer = stub;
  return AcDb::kOk;
}

AcDbLayerStateManager* AcDbDatabase::getLayerStateManager() const {
  return impl_->layerStates.get();
}

AcDb::Status AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* obj) {
  if (!obj) return AcDb::kInvalidInput;
  if (!obj->isNewObject()) return AcDb::kAlreadyInDb;
  AcDbStub* stub = impl_->addObject(obj, nullptr);
  stub->database = this;
  obj->writer_ = true;
  id = AcDbObjectId(stub);
  return AcDb::kOk;
}

int AcDbDatabase::approxNumObjects() const { return static_cast<int>(impl_->stubs.size()); }
std::uint64_t AcDbDatabase::modificationCount() const { return impl_->modifications; }

// --- application services ----------------------------------------------------------

namespace {
AcDbDatabase* gExplicitWorkingDb = nullptr;
}

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const {
  if (gExplicitWorkingDb) return gExplicitWorkingDb;
  AcApDocument* doc = hostimpl::currentDocument();
  return doc ? doc->database() : nullptr;
}

void AcDbHostApplicationServices::setWorkingDatabase(AcDbDatabase* db) {
  gExplicitWorkingDb = db;
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
  static AcDbHostApplicationServices services;
  return &services;
}

AcDbDatabase* hostimpl::workingDatabase() {
  return acdbHostApplicationServices()->workingDatabase();
}

// --- names ---------------------------------------------------------------------------

AcDb::Status acdbGetObjectId(AcDbObjectId& id, const AcEdName ent) {
  AcDbStub* stub = hostimpl::stubFromName(ent);
  if (!stub) return AcDb::kInvalidInput;
  id = AcDbObjectId(stub);
  return AcDb::kOk;
}

AcDb::Status acdbGetAdsName(AcEdName ent, AcDbObjectId id) {
  if (!ent) return AcDb::kInvalidInput;
  AcDbStub* stub = stubOf(id);
  if (!stub || !stub->object || !stub->database) return AcDb::kNullObjectId;
  hostimpl::nameFromStub(stub, ent);
  return AcDb::kOk;
}

int acdbNameClear(AcEdName name) {
  if (name) name[0] = name[1] = 0;
  return AcEd::kNormal;
}
bool acdbNameNil(const AcEdName name) { return !name || (name[0] == 0 && name[1] == 0); }
int acdbNameSet(const AcEdName from, AcEdName to) {
  if (!from || !to) return AcEd::kError;
  to[0] = from[0], to[1] = from[1];
  return AcEd::kNormal;
}
