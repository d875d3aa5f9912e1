// KVJoin2Lines: two collinear lines become one. Registered with the plug-in;
// it prints nothing and changes nothing until it is built.
#include "Commands.h"

namespace entityops {

void joinTwoLines() {}

}  // namespace entityops
