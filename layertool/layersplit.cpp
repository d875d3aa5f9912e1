// "DISPART_LAYER": the dialog "过滤分层", which moves entities onto layers
// named after their old layer and their own properties, or onto one layer
// the user names.
//
// The command takes the pickfirst set as it is; without one, the OK handler
// asks for a selection and for reference entities, and each reference adds
// the selected entities that agree with it in every property whose filter
// box is checked. New layers copy every setting of the layer their first
// entity came from.
//
// Names are composed in 80-byte buffers (CLayerName) that take whole
// characters only and refuse what does not fit: an entity whose new name
// would be longer than 79 bytes, or whose name the drawing does not take,
// stays where it is, and the command says once how many stayed and why.
#include <cstdio>
#include <cstring>
#include <string>

#include "layertool.h"
#include "texts.h"

namespace pnstratakit {
namespace {

bool isGbkLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

// A layer name of at most 79 bytes and its terminator. A part that does not
// fit whole is refused from the first character that would not fit; the
// name is then too long and holds whole characters only.
class CLayerName {
 public:
  static constexpr std::size_t kSize = 80;
  CLayerName() { text_[0] = '\0'; }
  void append(const char* part);
  void append(const CLayerName& part) {
    append(part.text_);
    tooLong_ = tooLong_ || part.tooLong_;
  }
  const char* c_str() const { return text_; }
  bool empty() const { return length_ == 0; }
  bool tooLong() const { return tooLong_; }

 private:
  char text_[kSize];
  std::size_t length_ = 0;
  bool tooLong_ = false;
};

void CLayerName::append(const char* part) {
  for (const char* in = part; *in != '\0' && !tooLong_;) {
    const std::size_t length = isGbkLeadByte(*in) && in[1] != '\0' ? 2 : 1;
    if (length_ + length >= kSize) {
      tooLong_ = true;
      break;
    }
    std::memcpy(text_ + length_, in, length);
    length_ += length;
    in += length;
  }
  text_[length_] = '\0';
}

// "(" value ")".
CLayerName bracketed(const char* value) {
  CLayerName part;
  part.append("(");
  part.append(value);
  part.append(")");
  return part;
}

const AcEdResBuf* findGroup(const AcEdResBuf* data, int groupCode) {
  while (data != nullptr && data->type != groupCode) data = data->next;
  return data;
}

// Entities a split could not move, by reason.
struct SplitLeftovers {
  int tooLong = 0;
  int refused = 0;
  void report() const;
};

void SplitLeftovers::report() const {
  if (tooLong + refused == 0) return;
  char reasons[128];
  if (tooLong > 0 && refused > 0)
    std::snprintf(reasons, sizeof reasons, "%s: %d, %s: %d", text::kNameTooLong, tooLong,
                  text::kNameRefused, refused);
  else
    std::snprintf(reasons, sizeof reasons, "%s: %d", tooLong > 0 ? text::kNameTooLong : text::kNameRefused,
                  tooLong > 0 ? tooLong : refused);
  acutPrintf(text::kSplitLeft, tooLong + refused, reasons);
}

AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

class LayerSplitDialog : public AcUiDialog {
 public:
  LayerSplitDialog() : AcUiDialog(kLayerSplitTemplate) { clearName(selection); }
  // A set the dialog still holds (the pickfirst set after Cancel) is freed.
  ~LayerSplitDialog() override { releaseSelection(selection); }

  AcUiComboBox layerBox;
  AcUiStatic otherLabel;
  AcUiEdit otherBox;
  AcUiButton entityOptionBox;
  AcUiButton entityFilterBox;
  AcUiButton linetypeOptionBox;
  AcUiButton linetypeFilterBox;
  AcUiButton layerFilterBox;
  AcUiButton colourOptionBox;
  AcUiButton colourFilterBox;
  int colourFilter = 1;
  int colourOption = 0;
  std::string layerText;
  std::string otherText;
  int layerFilter = 1;
  int linetypeFilter = 0;
  int linetypeOption = 0;
  int entityFilter = 0;
  int entityOption = 0;
  int mode = 0;  // 0 prefix, 1 suffix, 2 specify
  int hasPickfirst = 0;
  AcEdName selection;

  // Rebuilds the layer text from the options.
  virtual void updatePreview();

 protected:
  void doDataExchange(AcUiDataExchange& dx) override;
  bool onInitDialog() override;
  void onOK() override;
  void onCancel() override;
  std::span<const AcUiMessageEntry> messageMap() const override;

 private:
  static constexpr int kSpecify = 2;
  void prefixSuffixMode();
  void specifyMode();
  void selectByReference(AcEdName selection);
  bool anyFilter() const { return colourFilter || layerFilter || entityFilter || linetypeFilter; }
  void addFilterTests(AcEdResBuf* filter, const AcEdName reference) const;
  void applyLayerSplit(const AcEdName selection);
  CLayerName composedName(const AcEdResBuf* data, const AcDbEntity* entity) const;
};

void LayerSplitDialog::doDataExchange(AcUiDataExchange& dx) {
  AcUiDialog::doDataExchange(dx);
  ddxControl(dx, kLayerBox, layerBox);
  ddxControl(dx, kOtherLabel, otherLabel);
  ddxControl(dx, kOtherBox, otherBox);
  ddxControl(dx, kEntityOptionBox, entityOptionBox);
  ddxControl(dx, kEntityFilterBox, entityFilterBox);
  ddxControl(dx, kLinetypeOptionBox, linetypeOptionBox);
  ddxControl(dx, kLinetypeFilterBox, linetypeFilterBox);
  ddxControl(dx, kLayerFilterBox, layerFilterBox);
  ddxControl(dx, kColourOptionBox, colourOptionBox);
  ddxControl(dx, kColourFilterBox, colourFilterBox);
  ddxCheck(dx, kColourFilterBox, colourFilter);
  ddxCheck(dx, kColourOptionBox, colourOption);
  ddxText(dx, kLayerBox, layerText);
  ddxText(dx, kOtherBox, otherText);
  ddxCheck(dx, kLayerFilterBox, layerFilter);
  ddxCheck(dx, kLinetypeFilterBox, linetypeFilter);
  ddxCheck(dx, kLinetypeOptionBox, linetypeOption);
  ddxCheck(dx, kEntityFilterBox, entityFilter);
  ddxCheck(dx, kEntityOptionBox, entityOption);
  ddxRadio(dx, kPrefixRadio, mode);
}

std::span<const AcUiMessageEntry> LayerSplitDialog::messageMap() const {
  using N = AcUiNotification;
  static const AcUiMessageEntry map[] = {
      {kSuffixRadio, N::kClicked, acuiHandler(&LayerSplitDialog::prefixSuffixMode)},
      {kPrefixRadio, N::kClicked, acuiHandler(&LayerSplitDialog::prefixSuffixMode)},
      {kSpecifyRadio, N::kClicked, acuiHandler(&LayerSplitDialog::specifyMode)},
      {kColourOptionBox, N::kClicked, acuiHandler(&LayerSplitDialog::updatePreview)},
      {kLinetypeOptionBox, N::kClicked, acuiHandler(&LayerSplitDialog::updatePreview)},
      {kEntityOptionBox, N::kClicked, acuiHandler(&LayerSplitDialog::updatePreview)},
      {kOtherBox, N::kTextChanged, acuiHandler(&LayerSplitDialog::updatePreview)},
  };
  return map;
}

bool LayerSplitDialog::onInitDialog() {
  AcUiDialog::onInitDialog();
  layerBox.enableWindow(false);
  if (hasPickfirst == 1) {
    entityFilterBox.enableWindow(false);
    colourFilterBox.enableWindow(false);
    linetypeFilterBox.enableWindow(false);
    layerFilterBox.enableWindow(false);
    colourFilter = layerFilter = linetypeFilter = entityFilter = 0;
    updateData(false);
  }
  return true;
}

void LayerSplitDialog::prefixSuffixMode() {
  entityOptionBox.enableWindow(true);
  colourOptionBox.enableWindow(true);
  linetypeOptionBox.enableWindow(true);
  otherLabel.enableWindow(true);
  otherBox.enableWindow(true);
  layerBox.enableWindow(false);
  layerBox.resetContent();
  updatePreview();
}

void LayerSplitDialog::specifyMode() {
  layerBox.resetContent();
  updateData(true);
  mode = kSpecify;
  colourOption = linetypeOption = entityOption = 0;
  entityOptionBox.enableWindow(false);
  colourOptionBox.enableWindow(false);
  linetypeOptionBox.enableWindow(false);
  otherLabel.enableWindow(false);
  otherBox.enableWindow(false);
  layerBox.enableWindow(true);

  AcDbLayerTable* table = nullptr;
  if (workingDatabase()->getLayerTable(table, AcDb::kForRead) != AcDb::kOk) return;
  AcDbLayerTableIterator* iterator = nullptr;
  if (table->newIterator(iterator, true, true) == AcDb::kOk) {
    for (; !iterator->done(); iterator->step()) {
      AcDbLayerTableRecord* record = nullptr;
      if (iterator->getRecord(record, AcDb::kForRead) != AcDb::kOk) continue;
      const char* name = nullptr;
      if (record->getName(name) == AcDb::kOk) layerBox.addString(name);
      record->close();
    }
    delete iterator;
  }
  for (int n = 1;; ++n) {
    char proposed[32];
    std::snprintf(proposed, sizeof proposed, "MYNEWLAYER%d", n);
    if (!table->has(proposed)) {
      layerText = proposed;
      break;
    }
  }
  updateData(false);
  table->close();
}

void LayerSplitDialog::updatePreview() {
  updateData(true);
  std::string preview;
  if (mode != 0) {
    if (entityOption == 1) preview += "<Name>";
    if (linetypeOption == 1) preview += "<LineType>";
    if (colourOption == 1) preview += "<Color>";
    if (!otherText.empty()) preview += "_" + otherText;
  } else {
    if (!otherText.empty()) preview += otherText + "_";
    if (colourOption == 1) preview += "<Color>";
    if (linetypeOption == 1) preview += "<LineType>";
    if (entityOption == 1) preview += "<Name>";
  }
  layerText = preview;
  updateData(false);
}

void LayerSplitDialog::onOK() {
  AcUiDialog::onOK();
  selectByReference(selection);
  applyLayerSplit(selection);
  releaseSelection(selection);
}

void LayerSplitDialog::onCancel() { AcUiDialog::onCancel(); }

void LayerSplitDialog::addFilterTests(AcEdResBuf* filter, const AcEdName reference) const {
  if (colourFilter == 1) addPropertyTest(filter, reference, 62);
  if (layerFilter == 1) addPropertyTest(filter, reference, 8);
  if (entityFilter == 1) addPropertyTest(filter, reference, 0);
  if (linetypeFilter == 1) addPropertyTest(filter, reference, 6);
}

// The accumulated set takes the place of `chosen`, which is freed.
void LayerSplitDialog::selectByReference(AcEdName chosen) {
  AcEdName accumulated = {0, 0};
  if (acedSSAdd(nullptr, nullptr, accumulated) != AcEd::kNormal) clearName(accumulated);
  if (hasPickfirst == 1) {
    releaseSelection(accumulated);
    accumulated[0] = chosen[0];
    accumulated[1] = chosen[1];
  } else {
    std::int32_t length = 0;
    if (acedSSGet(nullptr, nullptr, nullptr, nullptr, chosen) != AcEd::kNormal) {
      clearName(chosen);
      releaseSelection(accumulated);
      return;
    }
    if (acedSSLength(chosen, &length) != AcEd::kNormal || length == 0) {
      releaseSelection(chosen);
      releaseSelection(accumulated);
      return;
    }
    AcEdName reference;
    AcEdPoint point;
    while (acedEntSel(text::kPromptReference, reference, point) == AcEd::kNormal) {
      AcEdName working = {chosen[0], chosen[1]};
      AcEdResBuf* filter = acutNewRb(kEmptyFilterType);
      if (filter != nullptr && anyFilter()) {
        addFilterTests(filter, reference);
        filterSelection(working, filter);
      }
      acutRelRb(filter);
      if (holdsSet(working)) {
        appendSelection(working, accumulated);
        highlightSelection(accumulated);
      }
      if (working[0] != chosen[0] || working[1] != chosen[1]) releaseSelection(working);
    }
    releaseSelection(chosen);
  }
  chosen[0] = accumulated[0];
  chosen[1] = accumulated[1];
  if (acedCommand(AcEd::kRtString, "select", AcEd::kRtPickSet, chosen, AcEd::kRtString, "", 0) ==
      AcEd::kNormal)
    highlightSelection(chosen);
}

CLayerName LayerSplitDialog::composedName(const AcEdResBuf* data, const AcDbEntity* entity) const {
  CLayerName name;
  if (mode == kSpecify) {
    name.append(layerText.c_str());
    return name;
  }
  CLayerName otherPart, colourPart, linetypePart, entityPart;
  if (!otherText.empty()) otherPart.append(otherText.c_str());
  if (colourOption == 1) {
    const AcEdResBuf* colour = findGroup(data, 62);
    char number[16];
    std::snprintf(number, sizeof number, "%d", colour ? colour->value.shortValue : AcDb::kColorByLayer);
    colourPart = bracketed(number);
  }
  if (linetypeOption == 1) linetypePart = bracketed(entity->linetype());
  if (entityOption == 1) {
    const AcEdResBuf* type = findGroup(data, 0);
    entityPart = bracketed(type && type->value.string ? type->value.string : "");
  }
  if (mode == 1) {
    name.append(entity->layer());
    name.append(entityPart);
    name.append(linetypePart);
    name.append(colourPart);
    if (!otherText.empty()) {
      name.append("_");
      name.append(otherPart);
    }
  } else {
    if (!otherText.empty()) {
      name.append(otherPart);
      name.append("_");
    }
    name.append(colourPart);
    name.append(linetypePart);
    name.append(entityPart);
    name.append(entity->layer());
  }
  return name;
}

void LayerSplitDialog::applyLayerSplit(const AcEdName chosen) {
  std::int32_t length = 0;
  if (acedSSLength(chosen, &length) != AcEd::kNormal || length < 1) return;
  SplitLeftovers leftovers;
  for (std::int32_t i = 0; i < length; ++i) {
    AcEdName name;
    if (acedSSName(chosen, i, name) != AcEd::kNormal) break;
    AcEdResBuf* data = acdbEntGet(name);
    AcDbObjectId id;
    AcDbEntity* entity = nullptr;
    if (acdbGetObjectId(id, name) != AcDb::kOk ||
        acdbOpenAcDbEntity(entity, id, AcDb::kForWrite) != AcDb::kOk) {
      acutRelRb(data);
      break;
    }
    const std::string oldLayer = entity->layer();
    const CLayerName newName = composedName(data, entity);
    if (newName.tooLong()) {
      ++leftovers.tooLong;
    } else {
      createLayerLike(oldLayer.c_str(), newName.c_str());
      if (entity->setLayer(newName.c_str(), true) != AcDb::kOk) ++leftovers.refused;
    }
    entity->close();
    acutRelRb(data);
  }
  leftovers.report();
}

}  // namespace

void createLayerLike(const char* source, const char* newName) {
  AcDbLayerTable* table = nullptr;
  if (workingDatabase()->getLayerTable(table, AcDb::kForWrite) != AcDb::kOk) return;
  if (!table->has(newName)) {
    auto* record = new AcDbLayerTableRecord;
    record->setName(newName);
    AcDbLayerTableRecord* from = nullptr;
    if (table->getAt(source, from, AcDb::kForWrite) == AcDb::kOk) {
      record->setIsOff(from->isOff());
      record->setIsFrozen(from->isFrozen());
      record->setVPDFLT(from->VPDFLT());
      record->setIsLocked(from->isLocked());
      record->setColorIndex(from->colorIndex());
      record->setIsPlottable(from->isPlottable());
      record->setLinetypeObjectId(from->linetypeObjectId());
      record->setLineWeight(from->lineWeight());
      record->setPlotStyleName(from->plotStyleName());
      from->close();
    }
    if (table->add(record) == AcDb::kOk) record->close();
    else delete record;
  }
  table->close();
}

void filterSelection(AcEdName selection, const AcEdResBuf* filter) {
  if (!holdsSet(selection)) return;
  AcEdName filtered = {0, 0};
  const bool reselected =
      acedCommand(AcEd::kRtString, "select", AcEd::kRtPickSet, selection, AcEd::kRtString, "", 0) ==
          AcEd::kNormal &&
      acedSSGet("P", nullptr, nullptr, filter, filtered) == AcEd::kNormal;
  selection[0] = filtered[0];
  selection[1] = filtered[1];
  if (reselected) highlightSelection(selection);
}

void appendSelection(const AcEdName source, AcEdName destination) {
  if (!holdsSet(destination) && acedSSAdd(nullptr, nullptr, destination) != AcEd::kNormal) return;
  std::int32_t length = 0;
  if (acedSSLength(source, &length) != AcEd::kNormal) return;
  for (std::int32_t i = 0; i < length; ++i) {
    AcEdName entity;
    if (acedSSName(source, i, entity) != AcEd::kNormal) return;
    if (acedSSAdd(entity, destination, destination) != AcEd::kNormal) return;
  }
}

void highlightSelection(const AcEdName selection) {
  std::int32_t length = 0;
  if (acedSSLength(selection, &length) != AcEd::kNormal) return;
  for (std::int32_t i = 0; i < length; ++i) {
    AcEdName name;
    AcDbObjectId id;
    AcDbEntity* entity = nullptr;
    if (acedSSName(selection, i, name) != AcEd::kNormal || acdbGetObjectId(id, name) != AcDb::kOk ||
        acdbOpenAcDbEntity(entity, id, AcDb::kForWrite) != AcDb::kOk)
      return;
    entity->highlight(nullptr, false);
    entity->close();
  }
}

void dispartLayer() {
  AcApDocManager* documents = acDocManagerPtr();
  documents->pushResourceHandle(resourceModule());
  {
    LayerSplitDialog dialog;
    dialog.hasPickfirst =
        acedSSGet("I", nullptr, nullptr, nullptr, dialog.selection) == AcEd::kNormal ? 1 : 0;
    acutPrintf("%3d", dialog.hasPickfirst);
    dialog.doModal();
  }
  documents->popResourceHandle();
}

}  // namespace pnstratakit
