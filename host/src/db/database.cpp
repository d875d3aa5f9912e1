// The drawing database: a new drawing's tables and defaults, the symbol
// tables by kind, the current layer.
#include "db/db.h"
#include "rx/rx.h"

using hostimpl::stubOf;

// --- AcDbDatabase -------------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcDbDatabase, AcRxObject)

namespace {

template <typename Record>
AcDbStub* addRecord(AcDbDatabase::Impl* impl, AcDbStub* table, const char* name) {
  auto* rec = new Record;
  rec->name_ = std::string(name);
  AcDbStub* stub = hostimpl::addObject(impl, rec, table);
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
  impl_->serial = hostimpl::registerDatabaseSerial(this);
  impl_->layerStates = std::make_unique<AcDbLayerStateManager>(this);

  // The tables exist in every database; their owner is the database itself.
  auto addTable = [this](AcDbObject* table) {
    AcDbStub* stub = hostimpl::addObject(impl_, table, nullptr);
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
  hostimpl::forgetDatabaseSerial(this);
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
  AcDbStub* stub = hostimpl::addObject(impl_, obj, nullptr);
  stub->database = this;
  obj->writer_ = true;
  id = AcDbObjectId(stub);
  return AcDb::kOk;
}

int AcDbDatabase::approxNumObjects() const { return static_cast<int>(impl_->stubs.size()); }
std::uint64_t AcDbDatabase::modificationCount() const { return impl_->modifications; }

// --- application services ----------------------------------------------------------

