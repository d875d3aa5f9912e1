// Builds test drawings through the host interface: layers with their
// switches, lines in model space or in block definitions, block references.
// Every object is closed again before the builder returns.
#pragma once

#include <string>

#include "hostapi/hostapi.h"

namespace layertool_test {

struct LayerSwitches {
  bool exists = false, off = false, frozen = false, locked = false;
};

class DrawingBuilder {
 public:
  explicit DrawingBuilder(AcDbDatabase* db) : db_(db) {}

  AcDbObjectId addLayer(const std::string& name, bool off = false, bool frozen = false,
                        bool locked = false) {
    AcDbLayerTable* table = nullptr;
    db_->getSymbolTable(table, AcDb::kForWrite);
    auto* record = new AcDbLayerTableRecord;
    record->setName(name.c_str());
    record->setIsOff(off);
    record->setIsFrozen(frozen);
    record->setIsLocked(locked);
    AcDbObjectId id;
    table->add(id, record);
    record->close();
    table->close();
    return id;
  }

  AcDbObjectId layerId(const std::string& name) const {
    AcDbLayerTable* table = nullptr;
    db_->getSymbolTable(table, AcDb::kForRead);
    AcDbObjectId id;
    table->getAt(name.c_str(), id);
    table->close();
    return id;
  }

  LayerSwitches layer(const std::string& name) const {
    LayerSwitches switches;
    AcDbLayerTable* table = nullptr;
    db_->getSymbolTable(table, AcDb::kForRead);
    AcDbLayerTableRecord* record = nullptr;
    if (table->getAt(name.c_str(), record, AcDb::kForRead) == AcDb::kOk) {
      switches = {true, record->isOff(), record->isFrozen(), record->isLocked()};
      record->close();
    }
    table->close();
    return switches;
  }

  void setLocked(const std::string& name, bool locked) {
    changeLayer(name, [locked](AcDbLayerTableRecord* r) { r->setIsLocked(locked); });
  }
  void setOff(const std::string& name, bool off) {
    changeLayer(name, [off](AcDbLayerTableRecord* r) { r->setIsOff(off); });
  }
  void setFrozen(const std::string& name, bool frozen) {
    changeLayer(name, [frozen](AcDbLayerTableRecord* r) { r->setIsFrozen(frozen); });
  }

  // A new block definition with its base point at the origin.
  AcDbObjectId addBlock(const std::string& name) {
    AcDbBlockTable* table = nullptr;
    db_->getSymbolTable(table, AcDb::kForWrite);
    auto* record = new AcDbBlockTableRecord;
    record->setName(name.c_str());
    AcDbObjectId id;
    table->add(id, record);
    record->close();
    table->close();
    return id;
  }

  AcDbObjectId addLine(const std::string& layer, double x1, double y1, double x2, double y2,
                       AcDbObjectId block = AcDbObjectId::kNull) {
    auto* line = new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0));
    line->setLayer(layer.c_str());
    return append(line, block);
  }

  AcDbObjectId addReference(const std::string& layer, AcDbObjectId block, double x, double y) {
    auto* reference = new AcDbBlockReference(AcGePoint3d(x, y, 0), block);
    reference->setLayer(layer.c_str());
    return append(reference, AcDbObjectId::kNull);
  }

  AcDbObjectId addAttribute(AcDbObjectId referenceId, const std::string& layer) {
    AcDbBlockReference* reference = nullptr;
    acdbOpenObject(reference, referenceId, AcDb::kForWrite);
    auto* attribute = new AcDbAttribute;
    attribute->setLayer(layer.c_str());
    AcDbObjectId id;
    reference->appendAttribute(id, attribute);
    reference->close();
    return id;
  }

  std::string layerOf(AcDbObjectId id) const {
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) return "<closed>";
    std::string name = entity->layer();
    entity->close();
    return name;
  }

  bool isVisible(AcDbObjectId id) const {
    AcDbEntity* entity = nullptr;
    acdbOpenAcDbEntity(entity, id, AcDb::kForRead, true);
    const bool visible = entity->visibility() == AcDb::kVisible;
    entity->close();
    return visible;
  }

  std::string currentLayer() const {
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, db_->clayer(), AcDb::kForRead) != AcDb::kOk) return "";
    std::string name = AcDbLayerTableRecord::cast(object)->name();
    object->close();
    return name;
  }

  void setCurrentLayer(const std::string& name) { db_->setClayer(layerId(name)); }

 private:
  template <typename Change>
  void changeLayer(const std::string& name, Change change) {
    AcDbLayerTable* table = nullptr;
    db_->getSymbolTable(table, AcDb::kForRead);
    AcDbLayerTableRecord* record = nullptr;
    if (table->getAt(name.c_str(), record, AcDb::kForWrite) == AcDb::kOk) {
      change(record);
      record->close();
    }
    table->close();
  }

  AcDbObjectId append(AcDbEntity* entity, AcDbObjectId block) {
    if (block.isNull()) block = db_->modelSpaceId();
    AcDbBlockTableRecord* record = nullptr;
    acdbOpenObject(record, block, AcDb::kForWrite);
    AcDbObjectId id;
    record->appendAcDbEntity(id, entity);
    entity->close();
    record->close();
    return id;
  }

  AcDbDatabase* db_;
};

}  // namespace layertool_test
