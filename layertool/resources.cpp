// The layer tool's own resources: the template of the layer-split dialog
// "过滤分层" (Chinese, PRC), positions and sizes in dialog units.
#include "layertool.h"
#include "texts.h"

namespace pnstratakit {
namespace {

using Kind = AcUiControlKind;
namespace Style = AcUiStyle;

constexpr std::uint32_t kCheck = Style::kAuto | Style::kTabStop;
constexpr std::uint32_t kRadio = Style::kAuto;

constexpr AcUiControlTemplate kSplitControls[] = {
    {IDOK, Kind::kPushButton, "OK", 24, 125, 42, 14, Style::kDefault | Style::kTabStop},
    {IDCANCEL, Kind::kPushButton, "Cancel", 92, 125, 45, 14, Style::kTabStop},
    {-1, Kind::kGroupBox, text::kGroupFilter, 7, 7, 150, 21, 0},
    {kLayerFilterBox, Kind::kCheckBox, text::kLayer, 13, 17, 33, 10, kCheck},
    {kColourFilterBox, Kind::kCheckBox, text::kColour, 51, 17, 34, 10, kCheck},
    {kLinetypeFilterBox, Kind::kCheckBox, text::kLinetype, 88, 17, 34, 10, kCheck},
    {kEntityFilterBox, Kind::kCheckBox, text::kEntity, 125, 17, 27, 10, kCheck},
    {-1, Kind::kGroupBox, "", 7, 27, 150, 94, 0},
    {kOtherBox, Kind::kEdit, "", 40, 86, 102, 12,
     Style::kBorder | Style::kAutoHScroll | Style::kTabStop},
    {kLayerBox, Kind::kComboBox, "", 13, 105, 137, 92,
     Style::kDropDown | Style::kSort | Style::kVScroll | Style::kTabStop},
    {kPrefixRadio, Kind::kRadioButton, text::kPrefix, 17, 46, 34, 10, kRadio | Style::kGroup},
    {kSuffixRadio, Kind::kRadioButton, text::kSuffix, 60, 46, 34, 10, kRadio},
    {kSpecifyRadio, Kind::kRadioButton, text::kSpecify, 107, 46, 33, 10, kRadio},
    {-1, Kind::kGroupBox, text::kGroupAffix, 13, 61, 136, 42, 0},
    {-1, Kind::kGroupBox, text::kGroupMode, 13, 36, 136, 23, 0},
    {kColourOptionBox, Kind::kCheckBox, text::kColour, 21, 72, 27, 10, kCheck},
    {kLinetypeOptionBox, Kind::kCheckBox, text::kLinetype, 65, 72, 27, 10, kCheck},
    {kEntityOptionBox, Kind::kCheckBox, text::kEntity, 109, 72, 25, 10, kCheck},
    {kOtherLabel, Kind::kStatic, text::kOther, 16, 88, 20, 10, 0},
};

constexpr AcUiDialogTemplate kSplitDialog = {
    kLayerSplitTemplate,
    0x0804,
    Style::kPopup | Style::kCaption | Style::kSysMenu | Style::kModalFrame,
    text::kCaptionSplit,
    "System",
    10,
    164,
    146,
    kSplitControls,
};

constexpr const AcUiDialogTemplate* kDialogs[] = {&kSplitDialog};

}  // namespace
}  // namespace pnstratakit

ACUI_RESOURCE_EXPORT const AcUiResources acuiResources = {pnstratakit::kDialogs};
