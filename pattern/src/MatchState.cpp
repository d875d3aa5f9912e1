// The matcher's shared state: the match limit and the count of abandoned calls, and the snapshots a recursion into the whole pattern keeps of
// its callers' entries.
#include "Budget.h"
#include "Matcher.h"

namespace regex::detail {

REGEX_THREAD_LOCAL uint64_t stepLimit = kDefaultMatchLimit;
REGEX_THREAD_LOCAL bool abandoned = false;
REGEX_THREAD_LOCAL uint64_t abandonedCount = 0;


size_t Matcher::snapshot() {
  size_t k = snapEntries_.size() / groupCount_;
  snapEntries_.insert(snapEntries_.end(), entries_, entries_ + groupCount_);
  snapLoops_.insert(snapLoops_.end(), loops_, loops_ + compiled_.loopCount);
  return k;
}

void Matcher::dropSnapshots(size_t k) {
  snapEntries_.resize(k * groupCount_);
  snapLoops_.resize(k * compiled_.loopCount);
}

void Matcher::swapSnapshot(size_t k) {
  std::swap_ranges(entries_, entries_ + groupCount_, snapEntries_.begin() + ptrdiff_t(k * groupCount_));
  std::swap_ranges(loops_, loops_ + compiled_.loopCount,
                   snapLoops_.begin() + ptrdiff_t(k * compiled_.loopCount));
}

void setStepLimit(uint64_t steps) {
  stepLimit = steps;
  abandoned = false;
}

bool searchAbandoned() { return abandoned; }

void noteAbandoned() {
  abandoned = true;
  ++abandonedCount;
}

}  // namespace regex::detail

namespace regex {

void setMatchLimit(unsigned long long steps) { detail::stepLimit = steps; }
unsigned long long matchLimit() { return detail::stepLimit; }
unsigned long long abandonedCalls() { return detail::abandonedCount; }

}  // namespace regex
