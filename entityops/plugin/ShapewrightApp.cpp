// The entity-operations plug-in: its application object and command table.
//
// The table is walked in order by the frame: twelve reserved commands that
// return at once, then the three commands of the plug-in. Every row is in
// group KVShapewright with flags 1 (transparent) and no UI context.
#include "Commands.h"
#include "frame/ArxApp.h"

namespace {

constexpr char kGroup[] = "KVShapewright";
constexpr int kTransparent = AcEdCommandFlags::kTransparent;

// A reserved command: prints nothing, asks nothing, changes nothing.
void reserved() {}

const CommandEntry kCommands[] = {
    {kGroup, "_MyCommand15", "MyCommand15", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand14", "MyCommand14", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand13", "MyCommand13", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand12", "MyCommand12", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand11", "MyCommand11", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand10", "MyCommand10", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand9", "MyCommand9", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand8", "MyCommand8", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand7", "MyCommand7", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand6", "MyCommand6", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand5", "MyCommand5", kTransparent, reserved, nullptr, 0},
    {kGroup, "_MyCommand4", "MyCommand4", kTransparent, reserved, nullptr, 0},
    {kGroup, "_KVBeamLinesCutout", "KVBeamLinesCutout", kTransparent, entityops::beamLinesCutout,
     nullptr, 0},
    {kGroup, "_KVRegion", "KVRegion", kTransparent, entityops::regionFromCurves, nullptr, 0},
    {kGroup, "_KVJoin2Lines", "KVJoin2Lines", kTransparent, entityops::joinTwoLines, nullptr, 0},
};

class CShapewrightApp : public AcRxArxApp {
 public:
  CShapewrightApp() : AcRxArxApp(kCommands) {}
};

}  // namespace

static CShapewrightApp theApp;

ARX_IMPLEMENT_ENTRY_POINTS(theApp)
