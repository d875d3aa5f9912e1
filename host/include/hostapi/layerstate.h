// Named layer states of one drawing: a snapshot of chosen settings of every
// layer, restored by name later.
#pragma once

#include <string>
#include <vector>

#include "hostapi/database.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

class AcDbLayerStateManager {
 public:
  // Bits of the mask given to saveLayerState: which settings a state keeps.
  enum LayerStateMask : int {
    kNone = 0x0000,
    kOn = 0x0001,
    kFrozen = 0x0002,
    kLocked = 0x0004,
    kPlot = 0x0008,
    kNewViewport = 0x0010,
    kColor = 0x0020,
    kLineType = 0x0040,
    kLineWeight = 0x0080,
    kPlotStyle = 0x0100,
    kAll = 0x01FF
  };

  explicit AcDbLayerStateManager(AcDbDatabase* db);
  ~AcDbLayerStateManager();
  AcDbLayerStateManager(const AcDbLayerStateManager&) = delete;
  AcDbLayerStateManager& operator=(const AcDbLayerStateManager&) = delete;

  AcDbDatabase* getDatabase() const { return db_; }
  // Names compare without regard to case.
  bool hasLayerState(const char* name) const;
  // Saves every layer's settings under name. kDuplicateKey when a state of
  // that name exists (delete it first); kInvalidInput for an empty name.
  AcDb::Status saveLayerState(const char* name, LayerStateMask mask,
                              const AcDbObjectId& viewport = AcDbObjectId());
  AcDb::Status saveLayerState(const char* name, int mask,
                              const AcDbObjectId& viewport = AcDbObjectId()) {
    return saveLayerState(name, static_cast<LayerStateMask>(mask), viewport);
  }
  // Puts back the saved settings (those of the state's mask) of the layers
  // that still exist. The current layer is never frozen; a layer open by
  // someone is left as it is. kKeyNotFound when there is no such state.
  AcDb::Status restoreLayerState(const char* name,
                                 const AcDbObjectId& viewport = AcDbObjectId(),
                                 int restoreFlags = 0, const LayerStateMask* mask = nullptr);
  AcDb::Status deleteLayerState(const char* name);
  AcDb::Status getLayerStateMask(const char* name, LayerStateMask& mask) const;
  // Names of the saved states, in order of saving.
  std::vector<std::string> layerStateNames() const;

  // One layer's settings as saved (for drawing files).
  struct LayerSettings {
    std::string layerName;
    bool off = false, frozen = false, locked = false, plottable = true, vpdflt = false;
    int color = 7;
    std::string linetype;
    int lineweight = -3;
    std::string plotStyle;
  };
  struct LayerState {
    std::string name;
    int mask = 0;
    std::vector<LayerSettings> layers;
  };
  const std::vector<LayerState>& layerStates() const { return states_; }
  // Adds or replaces a state read from a file.
  void putLayerState(const LayerState& state);

 private:
  AcDbDatabase* db_;
  std::vector<LayerState> states_;
};

#pragma GCC visibility pop
