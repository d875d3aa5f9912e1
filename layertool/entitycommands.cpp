// Commands that act on entities rather than on layer settings: hide and
// unhide, move to a picked entity's layer or to the current layer, clear a
// layer with everything on it, and save or restore the layer state "MYSAVE".
//
// Each command frees the selection sets and filters it obtains on every way
// out. A cancelled or empty selection ends a command without a message.
#include <cstdint>

#include "layertool.h"
#include "texts.h"

namespace pnstratakit {
namespace {

constexpr char kLayerStateName[] = "MYSAVE";
// On, frozen, locked, plot, frozen in new viewports, colour, linetype,
// lineweight and plot style.
constexpr int kLayerStateMask = 0x1FF;

AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

// The layer of the named entity, or the null id when it cannot be opened.
AcDbObjectId layerOfEntity(const AcEdName name) {
  AcDbObjectId id;
  if (acdbGetObjectId(id, name) != AcDb::kOk) return AcDbObjectId::kNull;
  AcDbEntity* entity = nullptr;
  if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) return AcDbObjectId::kNull;
  const AcDbObjectId layerId = entity->layerId();
  entity->close();
  return layerId;
}

// The pickfirst set, or else one pickOrWindow with `prompt`.
void pickfirstOrPick(AcEdName selection, const char* prompt) {
  if (acedSSGet("I", nullptr, nullptr, nullptr, selection) != AcEd::kNormal)
    pickOrWindow(selection, prompt);
}

bool isOnLayer(AcDbObjectId entityId, AcDbObjectId layerId) {
  AcDbEntity* entity = nullptr;
  if (acdbOpenAcDbEntity(entity, entityId, AcDb::kForRead) != AcDb::kOk) return false;
  const bool onLayer = entity->layerId() == layerId;
  entity->close();
  return onLayer;
}

// Entities of one block record on the layer, the attributes of its block
// references included.
int countInBlock(AcDbBlockTableRecord* block, AcDbObjectId layerId) {
  AcDbBlockTableRecordIterator* iterator = nullptr;
  if (block->newIterator(iterator) != AcDb::kOk) return 0;
  int count = 0;
  for (iterator->start(); !iterator->done(); iterator->step()) {
    AcDbEntity* entity = nullptr;
    if (iterator->getEntity(entity, AcDb::kForRead) != AcDb::kOk) continue;
    if (entity->layerId() == layerId) ++count;
    AcDbObjectIdArray attributes;
    if (AcDbBlockReference* reference = AcDbBlockReference::cast(entity))
      attributes = reference->attributeIds();
    entity->close();
    for (int i = 0; i < attributes.length(); ++i)
      if (isOnLayer(attributes[i], layerId)) ++count;
  }
  delete iterator;
  return count;
}

// Entities that still use the layer anywhere in the drawing: model space,
// paper space, block definitions and attributes.
int countEntitiesOnLayer(AcDbDatabase* db, AcDbObjectId layerId) {
  AcDbBlockTable* table = nullptr;
  if (db->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return 0;
  AcDbSymbolTableIterator* iterator = nullptr;
  int count = 0;
  if (table->newIterator(iterator) == AcDb::kOk) {
    for (iterator->start(); !iterator->done(); iterator->step()) {
      AcDbSymbolTableRecord* record = nullptr;
      if (iterator->getRecord(record, AcDb::kForRead) != AcDb::kOk) continue;
      if (AcDbBlockTableRecord* block = AcDbBlockTableRecord::cast(record))
        count += countInBlock(block, layerId);
      record->close();
    }
    delete iterator;
  }
  table->close();
  return count;
}

// Makes layer "0" current; false when the host refuses.
bool makeLayerZeroCurrent(AcDbDatabase* db) {
  AcDbLayerTable* table = nullptr;
  if (db->getSymbolTable(table, AcDb::kForWrite) != AcDb::kOk) return false;
  AcDbObjectId zero;
  AcDb::Status status = table->getAt("0", zero);
  if (status == AcDb::kOk) status = db->setClayer(zero);
  table->close();
  return status == AcDb::kOk;
}

void eraseLayerRecord(AcDbObjectId layerId) {
  AcDbObject* record = nullptr;
  if (acdbOpenAcDbObject(record, layerId, AcDb::kForWrite) != AcDb::kOk) return;
  record->erase(true);
  record->close();
}

void reportLayerKept(AcDbObjectId layerId, int remaining) {
  AcDbObject* object = nullptr;
  if (acdbOpenAcDbObject(object, layerId, AcDb::kForRead) != AcDb::kOk) return;
  if (AcDbLayerTableRecord* record = AcDbLayerTableRecord::cast(object))
    acutPrintf(text::kLayerKept, record->name(), remaining);
  object->close();
}

}  // namespace

void entityHide() {
  AcEdName selection = {0, 0};
  pickfirstOrPick(selection, text::kPromptHide);
  if (holdsSet(selection)) setSelectionVisibility(selection, true);
  releaseSelection(selection);
}

void entityUnhide() {
  AcEdResBuf* filter = acutBuildList(60, 1, 0);
  AcEdName selection = {0, 0};
  const int status = acedSSGet("A", nullptr, nullptr, filter, selection);
  acutRelRb(filter);
  if (status != AcEd::kNormal) return;
  setSelectionVisibility(selection, false);
  releaseSelection(selection);
}

void changeToLayer() {
  AcEdName target;
  AcEdPoint point;
  if (acedEntSel(text::kPromptTarget, target, point) != AcEd::kNormal) return;
  const AcDbObjectId layerId = layerOfEntity(target);
  if (layerId.isNull()) return;

  AcEdName selection = {0, 0};
  const bool repeat = acedSSGet("I", nullptr, nullptr, nullptr, selection) != AcEd::kNormal;
  do {
    if (repeat) pickOrWindow(selection, text::kPromptMove);
    if (!holdsSet(selection)) break;
    moveSelectionToLayer(selection, layerId);
    // Each pass frees its own set, so a long session does not run the
    // host out of selection sets.
    releaseSelection(selection);
  } while (repeat);
  releaseSelection(selection);
}

void changeToClayer() {
  const AcDbObjectId layerId = workingDatabase()->clayer();
  AcEdName selection = {0, 0};
  pickfirstOrPick(selection, text::kPromptMove);
  if (holdsSet(selection)) moveSelectionToLayer(selection, layerId);
  releaseSelection(selection);
}

void saveLayerState() {
  AcDbLayerStateManager* manager = workingDatabase()->getLayerStateManager();
  if (manager == nullptr) return;
  if (manager->hasLayerState(kLayerStateName) &&
      manager->deleteLayerState(kLayerStateName) != AcDb::kOk)
    return;
  manager->saveLayerState(kLayerStateName, kLayerStateMask);
}

void restoreLayerState() {
  if (AcDbLayerStateManager* manager = workingDatabase()->getLayerStateManager())
    manager->restoreLayerState(kLayerStateName);
}

void layerClear() {
  AcEdName picked;
  AcEdPoint point;
  if (acedEntSel(text::kPromptClear, picked, point) != AcEd::kNormal) return;
  AcDbDatabase* db = workingDatabase();
  const AcDbObjectId current = db->clayer();
  const AcDbObjectId layerId = layerOfEntity(picked);
  if (layerId.isNull()) return;

  // Without a layer test the "A" selection would return the whole drawing.
  AcEdResBuf* filter = acutNewRb(kEmptyFilterType);
  if (filter == nullptr) return;
  const bool tested = addPropertyTest(filter, picked, 8);
  AcEdName selection = {0, 0};
  const int status = tested ? acedSSGet("A", nullptr, nullptr, filter, selection) : AcEd::kError;
  acutRelRb(filter);
  if (status != AcEd::kNormal) return;
  eraseSelection(selection);

  // Entities the selection did not return (inside blocks, in paper space,
  // attributes) or could not erase (locked layer) keep the layer alive.
  const int remaining = countEntitiesOnLayer(db, layerId);
  if (remaining > 0) {
    reportLayerKept(layerId, remaining);
    return;
  }
  if (layerId == current && !makeLayerZeroCurrent(db)) return;
  eraseLayerRecord(layerId);
}

}  // namespace pnstratakit
