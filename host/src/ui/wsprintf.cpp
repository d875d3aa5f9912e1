// wsprintfA: printf into a buffer the caller promises holds 1024 bytes, as
// the system call does; the output is cut there and always terminated.
#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "hostapi/hostapi.h"

int wsprintfA(LPSTR buf, LPCSTR format, ...) {
  if (!buf || !format) return 0;
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buf, 1024, format, args);
  va_end(args);
  if (n < 0) {
    buf[0] = '\0';
    return 0;
  }
  return std::min(n, 1023);
}
