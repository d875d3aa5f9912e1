// The layer tool's shared routines and command handlers.
//
// Every routine works on the working drawing of the host and keeps no state
// between calls. Selection-set names follow the host's convention: a name
// whose two words are both zero holds no set. Failures are never reported;
// a host status other than success ends the routine at that point and keeps
// what was already written to the drawing.
#pragma once

#include "hostapi/hostapi.h"

namespace pnstratakit {

// --- Selection-set names -------------------------------------------------
inline bool holdsSet(const AcEdName name) { return name[0] != 0 || name[1] != 0; }
inline void clearName(AcEdName name) { name[0] = name[1] = 0; }
// Frees the set a name holds (if any) and clears the name, so that a set is
// never freed twice.
void releaseSelection(AcEdName selection);

// --- Layer switches --------------------------------------------------------
// Names of the layer operations, matched exactly and case-sensitively.
inline constexpr char kLayerOff[] = "LAYER_OFF";
inline constexpr char kLayerOn[] = "LAYER_ON";
inline constexpr char kLayerLocked[] = "LAYER_LOCKED";
inline constexpr char kLayerUnlocked[] = "LAYER_UNLOCKED";
inline constexpr char kLayerFrozen[] = "LAYER_FROZEN";
inline constexpr char kLayerUnfrozen[] = "LAYER_UNFROZEN";

// Asks for one pick with `prompt`. A pick on an entity (innermost, also
// inside a block reference) gives a new set of just that entity; a pick on
// nothing starts a box whose second corner decides the mode: dragged right
// to left it is a crossing, otherwise a window. "OSMODE" is 0 while the
// corner is asked for and has its old value again on every way out.
// Leaves `selection` untouched when the user cancels or nothing is chosen.
void pickOrWindow(AcEdName selection, const char* prompt);

// Applies the named operation to the layer of each entity of the set, in
// set order. The first entity or layer that cannot be reached ends the loop.
void applyToSelectedLayers(const AcEdName selection, const char* operation);

// Applies the named operation to every layer record of the drawing.
void applyToAllLayers(const char* operation);

// --- Entity sets -----------------------------------------------------------
// Each opens the entities of the set for write one after another; the first
// that cannot be opened or changed (locked layer, already open) ends the
// loop, entities before it keep the change.

// Hides (true) or shows (false) every entity; frees the set and clears the name.
void setSelectionVisibility(AcEdName selection, bool hide);
// Puts every entity on the layer; the caller keeps the set.
void moveSelectionToLayer(const AcEdName selection, AcDbObjectId layerId);
// Erases every entity; frees the set and clears the name.
void eraseSelection(AcEdName selection);

// Adds to `filter` a test that `groupCode` has the value it has on `entity`.
// A missing linetype (6) or colour (62) group stands for "BYLAYER" / 256.
// Text values are tested literally: wildcard characters in them are escaped.
// The first element of the filter is the caller's; while its type is below
// -4 it counts as empty and is filled in place, later tests are appended.
// Returns false when no test was added.
inline constexpr int kEmptyFilterType = -10000;  // a first element without a test
bool addPropertyTest(AcEdResBuf* filter, const AcEdName entity, int groupCode);

// --- The layer-split dialog ------------------------------------------------
// Its template in the plug-in's resources, and the ids of its controls.
inline constexpr int kLayerSplitTemplate = 200;
enum SplitControl : int {
  kLayerFilterBox = 200,
  kColourFilterBox = 201,
  kLinetypeFilterBox = 202,
  kEntityFilterBox = 203,
  kOtherBox = 204,
  kLayerBox = 206,
  kPrefixRadio = 207,
  kSuffixRadio = 208,
  kSpecifyRadio = 209,
  kColourOptionBox = 210,
  kLinetypeOptionBox = 211,
  kEntityOptionBox = 212,
  kOtherLabel = 213,
};
// The plug-in's resource module (its extension module's resources).
HINSTANCE resourceModule();

// Adds the layer `newName` with every setting of the layer `source` (off,
// frozen, frozen in new viewports, locked, colour, plottable, linetype,
// lineweight, plot style) unless a layer of that name exists. A source that
// cannot be opened leaves the host's defaults; nothing is reported.
void createLayerLike(const char* source, const char* newName);
// Replaces the set by those of its members that pass the filter. When none
// do (or the set cannot be reselected) the name holds nothing afterwards;
// the set it held stays the caller's.
void filterSelection(AcEdName selection, const AcEdResBuf* filter);
// Adds every member of source to destination, making destination an empty
// set first when it holds none. The first failure ends the loop.
void appendSelection(const AcEdName source, AcEdName destination);
// Highlights every entity of the set; the first failure ends the loop.
void highlightSelection(const AcEdName selection);

// --- Command handlers --------------------------------------------------------
void dispartLayer();
void offLayer();
void frozenLayer();
void dispLayer();
void layerActive();
void layerLocked();
void layerUnlocked();
void dispLayerAll();
void unlockLayerAll();
void multiLayerEdit();
void entityHide();
void entityUnhide();
void changeToLayer();
void changeToClayer();
void saveLayerState();
void restoreLayerState();
void unfrozenLayerAll();
void layerClear();

}  // namespace pnstratakit
