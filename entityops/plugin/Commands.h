// The command handlers of KVShapewright.
#pragma once

namespace entityops {

void beamLinesCutout();  // KVBeamLinesCutout
void regionFromCurves(); // KVRegion
void joinTwoLines();     // KVJoin2Lines

}  // namespace entityops
