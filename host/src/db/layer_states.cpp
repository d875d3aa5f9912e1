// The layer-state manager: named snapshots of every layer's settings, saved
// and restored under a mask of the settings that count.
#include "db/db.h"

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
