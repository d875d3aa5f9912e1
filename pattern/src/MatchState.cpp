// The matcher's shared state: the stack floor of recursive searches, the
// step bound, and the snapshots a recursion into the whole pattern keeps of
// its callers' entries.
#include <pthread.h>

#include "Budget.h"
#include "Matcher.h"

namespace regex::detail {

thread_local uint64_t stepLimit = ~uint64_t(0);
thread_local bool abandoned = false;

const char* stackFloor() {
  thread_local const char* floor = [] {
    // Room kept free below the deepest frame, for the callees of the
    // matcher itself and for whatever the platform runs on this stack.
    constexpr size_t kMargin = 256 * 1024;
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    pthread_attr_t attr;
    void* low = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      pthread_attr_getstack(&attr, &low, &size);
      pthread_attr_destroy(&attr);
    }
    if (!low || size == 0) return here - kMargin;   // unknown: stay within a modest depth
    return static_cast<const char*>(low) + std::min(kMargin, size / 4);
  }();
  return floor;
}

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

}  // namespace regex::detail
