// Result-buffer chains: building, copying and releasing them.
//
// Strings in a chain are owned by their element (malloc'ed copies), so a
// chain can outlive the objects it was read from; acutRelRb frees them.
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "db/db.h"

namespace hostimpl {
char* mallocCopy(const char* s) {
  if (!s) s = "";
  size_t n = std::strlen(s) + 1;
  char* out = static_cast<char*>(std::malloc(n));
  std::memcpy(out, s, n);
  return out;
}
}  // namespace hostimpl

using hostimpl::mallocCopy;

AcEdValueKind acutValueKind(int t) {
  using K = AcEdValueKind;
  if (t == AcEd::kRtDxf0) return K::kString;
  if (t >= 5000) {
    switch (t) {
      case AcEd::kRtReal:
      case AcEd::kRtAngle:
      case AcEd::kRtOrient:
        return K::kReal;
      case AcEd::kRtPoint2d:
      case AcEd::kRtPoint3d:
        return K::kPoint;
      case AcEd::kRtShort:
        return K::kShort;
      case AcEd::kRtLong:
        return K::kLong;
      case AcEd::kRtString:
        return K::kString;
      case AcEd::kRtEntityName:
      case AcEd::kRtPickSet:
        return K::kName;
      default:
        return K::kNone;
    }
  }
  if (t == -1 || t == -2 || (t >= 330 && t <= 369)) return K::kName;
  if (t == -4 || (t >= 0 && t <= 9) || (t >= 100 && t <= 102) || (t >= 300 && t <= 309) ||
      (t >= 390 && t <= 399) || (t >= 410 && t <= 419) || (t >= 999 && t <= 1009))
    return K::kString;
  if ((t >= 10 && t <= 39) || (t >= 210 && t <= 239) || (t >= 1010 && t <= 1019)) return K::kPoint;
  if ((t >= 40 && t <= 59) || (t >= 140 && t <= 149) || (t >= 1040 && t <= 1042)) return K::kReal;
  if ((t >= 60 && t <= 79) || (t >= 170 && t <= 179) || (t >= 270 && t <= 289) ||
      (t >= 370 && t <= 389) || t == 1070)
    return K::kShort;
  if ((t >= 90 && t <= 99) || t == 1071) return K::kLong;
  return K::kNone;
}

AcEdResBuf* acutNewRb(int type) {
  auto* rb = new AcEdResBuf;
  rb->type = type;
  return rb;
}

int acutRelRb(AcEdResBuf* chain) {
  while (chain) {
    AcEdResBuf* next = chain->next;
    if (acutValueKind(chain->type) == AcEdValueKind::kString) std::free(chain->value.string);
    delete chain;
    chain = next;
  }
  return AcEd::kNormal;
}

AcEdResBuf* acutCopyRb(const AcEdResBuf* chain) {
  AcEdResBuf* head = nullptr;
  AcEdResBuf** tail = &head;
  for (; chain; chain = chain->next) {
    AcEdResBuf* rb = acutNewRb(chain->type);
    rb->value = chain->value;
    if (acutValueKind(chain->type) == AcEdValueKind::kString)
      rb->value.string = chain->value.string ? mallocCopy(chain->value.string) : nullptr;
    *tail = rb;
    tail = &rb->next;
  }
  return head;
}

AcEdResBuf* acutBuildList(int type, ...) {
  va_list args;
  va_start(args, type);
  AcEdResBuf* head = nullptr;
  AcEdResBuf** tail = &head;
  for (int t = type; t != 0; t = va_arg(args, int)) {
    AcEdResBuf* rb = acutNewRb(t == AcEd::kRtDxf0 ? 0 : t);
    switch (acutValueKind(t)) {
      case AcEdValueKind::kString:
        rb->value.string = mallocCopy(va_arg(args, const char*));
        break;
      case AcEdValueKind::kPoint: {
        // A 2D point has no z to read: callers may pass two doubles.
        const double* p = va_arg(args, const double*);
        const int given = t == AcEd::kRtPoint2d ? 2 : 3;
        for (int i = 0; i < 3; ++i) rb->value.point[i] = p && i < given ? p[i] : 0;
        break;
      }
      case AcEdValueKind::kReal:
        rb->value.real = va_arg(args, double);
        break;
      case AcEdValueKind::kShort:
        rb->value.shortValue = static_cast<std::int16_t>(va_arg(args, int));
        break;
      case AcEdValueKind::kLong:
        rb->value.longValue = va_arg(args, int);
        break;
      case AcEdValueKind::kName: {
        const std::int64_t* n = va_arg(args, const std::int64_t*);
        rb->value.name[0] = n ? n[0] : 0;
        rb->value.name[1] = n ? n[1] : 0;
        break;
      }
      case AcEdValueKind::kNone:
        break;
    }
    *tail = rb;
    tail = &rb->next;
  }
  va_end(args);
  return head;
}
