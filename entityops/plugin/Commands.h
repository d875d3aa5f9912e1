// The command handlers of KVShapewright.
#pragma once

namespace entityops {

void beamLinesCutout();  // KVBeamLinesCutout
void regionFromCurves(); // KVRegion (not yet built: does nothing)
void joinTwoLines();     // KVJoin2Lines (not yet built: does nothing)

}  // namespace entityops
