// How deep the walks that nest with block references may go: as deep as the thread's stack
// allows, keeping a margin for what runs on top of them.
#include <pthread.h>

#include <algorithm>
#include <cstddef>

#include "rx/rx.h"

namespace hostimpl {

namespace {

const char* stackFloor() {
  thread_local const char* floor = [] {
    constexpr std::size_t kMargin = 512 * 1024;
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    pthread_attr_t attr;
    void* low = nullptr;
    std::size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      pthread_attr_getstack(&attr, &low, &size);
      pthread_attr_destroy(&attr);
    }
    if (!low || size == 0) return here - kMargin;  // unknown: a modest depth only
    return static_cast<const char*>(low) + std::min(kMargin, size / 4);
  }();
  return floor;
}

}  // namespace

bool stackHasRoom() { return static_cast<const char*>(__builtin_frame_address(0)) > stackFloor(); }

}  // namespace hostimpl
