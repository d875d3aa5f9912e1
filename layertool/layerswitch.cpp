// Layer switches driven by picked entities: the selection routine
// pickOrWindow, the two loops that change layer records, and the ten
// commands built on them.
//
// A layer operation is named by a string and looked up in a fixed table; an
// unknown name changes nothing. Results of the record setters are not
// checked: a change the host refuses (freezing the current layer) leaves
// that layer as it was and the loop goes on.
#include <cstring>
#include <string>

#include "layertool.h"
#include "texts.h"

namespace pnstratakit {
namespace {

struct LayerOperation {
  const char* name;
  AcDb::Status (AcDbLayerTableRecord::*setter)(bool);
  bool value;
};

constexpr LayerOperation kLayerOperations[] = {
    {kLayerOff, &AcDbLayerTableRecord::setIsOff, true},
    {kLayerOn, &AcDbLayerTableRecord::setIsOff, false},
    {kLayerLocked, &AcDbLayerTableRecord::setIsLocked, true},
    {kLayerUnlocked, &AcDbLayerTableRecord::setIsLocked, false},
    {kLayerFrozen, &AcDbLayerTableRecord::setIsFrozen, true},
    {kLayerUnfrozen, &AcDbLayerTableRecord::setIsFrozen, false},
};

void applyLayerOperation(AcDbLayerTableRecord* record, const char* operation) {
  for (const LayerOperation& op : kLayerOperations) {
    if (std::strcmp(op.name, operation) == 0) {
      (record->*op.setter)(op.value);
      return;
    }
  }
}

AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

// Tracking flags of the box drag: pointer movement, all keys, our cursor,
// no console-break message.
constexpr int kBoxTracking = 15;
constexpr int kSelectionCursor = 2;
constexpr int kDashedRubberBand = 32;

// Reads the event that continues a missed pick: a pointer event that only
// announces another is followed by the real one. False when the read fails.
bool readBoxEvent(int& type, AcEdResBuf& event) {
  if (acedGrRead(kBoxTracking, &type, &event, kSelectionCursor) != AcEd::kNormal) return false;
  if (type == AcEd::kGrAnnounce &&
      acedGrRead(kBoxTracking, &type, &event, kSelectionCursor) != AcEd::kNormal)
    return false;
  return true;
}

void copyPoint(const double* from, AcEdPoint to) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

// The box part of pickOrWindow, from a missed pick at `firstCorner`.
void selectByBox(AcEdName selection, AcEdPoint firstCorner) {
  int type = 0;
  AcEdResBuf event;
  if (!readBoxEvent(type, event)) return;
  if (type == AcEd::kGrSecondary) return;
  for (const AcEdResBuf* rb = &event; rb != nullptr; rb = rb->next) {
    if (rb->type == AcEd::kRtPoint3d) {
      copyPoint(rb->value.point, firstCorner);
      break;
    }
  }

  // Object snaps would pull the corner; they are off while it is asked for.
  AcEdResBuf savedOsmode;
  const bool osmodeSaved = acedGetVar("OSMODE", &savedOsmode) == AcEd::kNormal;
  if (osmodeSaved) {
    AcEdResBuf off;
    off.type = AcEd::kRtShort;
    off.value.shortValue = 0;
    acedSetVar("OSMODE", &off);
  }
  acedInitGet(kDashedRubberBand, nullptr);
  AcEdPoint opposite = {0, 0, 0};
  if (acedGetCorner(firstCorner, text::kPromptCorner, opposite) == AcEd::kNormal) {
    // Dragged right to left: everything the box touches; otherwise (a
    // vertical box included) only what lies wholly inside.
    const char* mode = firstCorner[0] > opposite[0] ? "C" : "W";
    acedSSGet(mode, firstCorner, opposite, nullptr, selection);
  }
  if (osmodeSaved) acedSetVar("OSMODE", &savedOsmode);
}

// Commands that take the pickfirst set or else one pickOrWindow.
void switchPickedLayers(const char* prompt, const char* operation) {
  AcEdName selection = {0, 0};
  if (acedSSGet("I", nullptr, nullptr, nullptr, selection) != AcEd::kNormal)
    pickOrWindow(selection, prompt);
  applyToSelectedLayers(selection, operation);
  releaseSelection(selection);
}

// Commands that change every layer first, then the layers of a selection
// made by the host's ordinary object selection.
void switchAllThenSelected(const char* prompt, const char* allOperation,
                           const char* selectedOperation) {
  AcEdName selection = {0, 0};
  if (acedSSGet("I", nullptr, nullptr, nullptr, selection) != AcEd::kNormal) {
    acutPrintf("%s", prompt);
    if (acedSSGet(nullptr, nullptr, nullptr, nullptr, selection) != AcEd::kNormal) return;
  }
  applyToAllLayers(allOperation);
  applyToSelectedLayers(selection, selectedOperation);
  releaseSelection(selection);
}

}  // namespace

void releaseSelection(AcEdName selection) {
  if (holdsSet(selection)) acedSSFree(selection);
  clearName(selection);
}

void pickOrWindow(AcEdName selection, const char* prompt) {
  AcEdName entity = {0, 0};
  AcEdPoint pickPoint = {0, 0, 0};
  AcEdMatrix xform;
  const int status = acedNEntSelP(prompt, entity, pickPoint, 0, xform, nullptr);
  if (status == AcEd::kCancel) return;
  if (status == AcEd::kNormal) {
    acedSSAdd(entity, nullptr, selection);
    return;
  }
  selectByBox(selection, pickPoint);
}

void applyToSelectedLayers(const AcEdName selection, const char* operation) {
  std::int32_t length = 0;
  if (acedSSLength(selection, &length) != AcEd::kNormal || length < 1) return;
  AcDbDatabase* db = workingDatabase();
  std::string layerName;
  for (std::int32_t i = 0; i < length; ++i) {
    AcEdName name;
    AcDbObjectId id;
    if (acedSSName(selection, i, name) != AcEd::kNormal) return;
    if (acdbGetObjectId(id, name) != AcDb::kOk) return;

    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) return;
    layerName = entity->layer();
    entity->close();

    AcDbLayerTable* table = nullptr;
    if (db->getSymbolTable(table, AcDb::kForWrite) != AcDb::kOk) return;
    AcDbLayerTableRecord* record = nullptr;
    if (table->getAt(layerName.c_str(), record, AcDb::kForWrite) != AcDb::kOk) {
      table->close();
      return;
    }
    applyLayerOperation(record, operation);
    table->close();
    record->close();
  }
}

void applyToAllLayers(const char* operation) {
  AcDbLayerTable* table = nullptr;
  if (workingDatabase()->getSymbolTable(table, AcDb::kForWrite) != AcDb::kOk) return;
  AcDbLayerTableIterator* iterator = nullptr;
  if (table->newIterator(iterator, true, true) != AcDb::kOk) {
    table->close();
    return;
  }
  for (iterator->start(); !iterator->done(); iterator->step()) {
    AcDbLayerTableRecord* record = nullptr;
    if (iterator->getRecord(record, AcDb::kForWrite) != AcDb::kOk) break;
    applyLayerOperation(record, operation);
    record->close();
  }
  delete iterator;
  table->close();
}

void offLayer() { switchPickedLayers(text::kPromptOff, kLayerOff); }
void frozenLayer() { switchPickedLayers(text::kPromptFreeze, kLayerFrozen); }
void layerLocked() { switchPickedLayers(text::kPromptLock, kLayerLocked); }
void layerUnlocked() { switchPickedLayers(text::kPromptUnlock, kLayerUnlocked); }

void dispLayer() { switchAllThenSelected(text::kPromptShow, kLayerOff, kLayerOn); }
void multiLayerEdit() { switchAllThenSelected(text::kPromptEdit, kLayerLocked, kLayerUnlocked); }

void dispLayerAll() { applyToAllLayers(kLayerOn); }
void unlockLayerAll() { applyToAllLayers(kLayerUnlocked); }

void unfrozenLayerAll() {
  applyToAllLayers(kLayerUnfrozen);
  acedCommand(AcEd::kRtString, "REGEN", AcEd::kRtString, "", 0);
}

void layerActive() {
  acutPrintf("%s", text::kPromptActive);
  AcEdName name;
  AcEdPoint point;
  if (acedEntSel(nullptr, name, point) != AcEd::kNormal) return;
  AcDbObjectId id;
  if (acdbGetObjectId(id, name) != AcDb::kOk) return;
  AcDbEntity* entity = nullptr;
  if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) return;
  const AcDbObjectId layerId = entity->layerId();
  entity->close();
  workingDatabase()->setClayer(layerId);
}

}  // namespace pnstratakit
