// KVRegion: regions from crossing curves. Registered with the plug-in; it
// prints nothing and changes nothing until it is built.
#include "Commands.h"

namespace entityops {

void regionFromCurves() {}

}  // namespace entityops
