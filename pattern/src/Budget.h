// A bound on the work of one search, for callers that run untrusted patterns
// (the fuzz target).  Off by default; when a search uses up its steps it is
// abandoned and reports no match, as when the recursive strategy runs out of
// stack.
#pragma once

#include <cstdint>

namespace regex::detail {

// Steps (nodes visited) allowed per search on this thread; also clears the
// flag below.  ~0 means no bound.
void setStepLimit(uint64_t steps);

// Whether a search on this thread was abandoned (steps or stack) since the
// last setStepLimit.
bool searchAbandoned();

}  // namespace regex::detail
