// The match limit as the fuzz targets and tests set it: the steps of one
// call of match, count or split (regex::setMatchLimit), with a flag that
// says whether a call was abandoned since.
#pragma once

#include <cstdint>

namespace regex::detail {

// Steps (nodes visited) allowed per call on this thread; also clears the
// flag below.  ~0 means no bound.
void setStepLimit(uint64_t steps);

// Whether a search on this thread was abandoned (steps or stack) since the
// last setStepLimit.
bool searchAbandoned();
// Sets the flag and counts the call (the matcher, when it abandons one).
void noteAbandoned();

}  // namespace regex::detail
