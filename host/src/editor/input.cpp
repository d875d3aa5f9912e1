// The input functions: points, corners, picks (plain and nested), pointer
// reads, strings, numbers and keywords, each through nextAnswer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "db/db.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

using hostimpl::Action;
using hostimpl::nextAnswer;
using hostimpl::state;

namespace {
void toPoint(const AcGePoint3d& p, AcEdPoint out) { out[0] = p.x, out[1] = p.y, out[2] = p.z; }
}  // namespace

int acedInitGet(int flags, const char* keywords) {
  state().initFlags = flags;
  state().keywords = keywords ? keywords : "";
  return AcEd::kNormal;
}

int acedGetInput(char* result, std::size_t size) {
  if (!result || size == 0) return AcEd::kError;
  std::snprintf(result, size, "%s", state().lastKeyword.c_str());
  return AcEd::kNormal;
}

namespace {
int getPointLike(const char* prompt, AcEdPoint result) {
  Action a;
  unsigned accept = hostimpl::kAcceptPoint | hostimpl::kAcceptPick | hostimpl::kAcceptEnter;
  int rc = nextAnswer(prompt, accept, a);
  hostimpl::clearInitGet();
  if (rc != AcEd::kNormal) return rc;
  if (a.kind == Action::kEnter) return AcEd::kNone;
  if (result) toPoint(a.points[0], result);
  return AcEd::kNormal;
}
}  // namespace

int acedGetPoint(const AcEdPoint, const char* prompt, AcEdPoint result) {
  state().pendingBoxStage = 0;
  return getPointLike(prompt, result);
}

int acedGetCorner(const AcEdPoint, const char* prompt, AcEdPoint result) {
  auto& st = state();
  if (st.pendingBoxStage != 0) {
    // The opposite corner of the box being dragged.
    if (prompt && *prompt) hostimpl::printPrompt(prompt);
    if (st.promptObserver) st.promptObserver(prompt ? prompt : "");
    st.pendingBoxStage = 0;
    hostimpl::clearInitGet();
    if (!st.error.empty()) return AcEd::kCancel;
    if (result) toPoint(st.boxTo, result);
    return AcEd::kNormal;
  }
  return getPointLike(prompt, result);
}

namespace {
int pickPrompt(const char* prompt, bool descend, AcEdName entity, AcEdPoint point,
               AcEdMatrix xform, AcEdResBuf** containers) {
  auto& st = state();
  st.pendingBoxStage = 0;
  if (containers) *containers = nullptr;
  Action a;
  int rc = nextAnswer(prompt ? prompt : "\nSelect object: ",
                      hostimpl::kAcceptPick | hostimpl::kAcceptBox | hostimpl::kAcceptEnter, a);
  hostimpl::clearInitGet();
  if (rc != AcEd::kNormal) return rc;
  if (a.kind == Action::kEnter) return AcEd::kNone;
  if (point) toPoint(a.points[0], point);
  if (a.kind == Action::kBox) {
    // A press on empty space: the start of a box the caller may drag.
    st.pendingBoxStage = 1;
    st.boxFrom = a.points[0];
    st.boxTo = a.points[1];
    return AcEd::kError;
  }
  std::vector<AcDbStub*> path;
  AcGeMatrix3d inner;
  if (!hostimpl::pickAt(hostimpl::workingDatabase(), a.points[0], hostimpl::pickTolerance(),
                        descend, path, &inner)) {
    hostimpl::print("\nNothing found.");
    return AcEd::kError;
  }
  if (entity) hostimpl::nameFromStub(path.back(), entity);
  if (xform)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) xform[r][c] = inner.entry[r][c];
  if (containers && path.size() > 1) {
    AcEdResBuf* head = nullptr;
    // Innermost container first.
    for (size_t i = 0; i + 1 < path.size(); ++i) {
      AcEdResBuf* rb = acutNewRb(AcEd::kRtEntityName);
      hostimpl::nameFromStub(path[i], rb->value.name);
      rb->next = head;
      head = rb;
    }
    *containers = head;
  }
  return AcEd::kNormal;
}
}  // namespace

int acedEntSel(const char* prompt, AcEdName entity, AcEdPoint point) {
  return pickPrompt(prompt, false, entity, point, nullptr, nullptr);
}

int acedNEntSelP(const char* prompt, AcEdName entity, AcEdPoint point, int, AcEdMatrix xform,
                 AcEdResBuf** containers) {
  return pickPrompt(prompt, true, entity, point, xform, containers);
}

int acedGrRead(int, int* type, AcEdResBuf* result, int) {
  auto& st = state();
  auto setPoint = [&](int eventType, const AcGePoint3d& p) {
    if (type) *type = eventType;
    if (result) {
      result->type = AcEd::kRtPoint3d;
      toPoint(p, result->value.point);
    }
  };
  if (st.pendingBoxStage == 1) {
    if (!st.error.empty()) return AcEd::kCancel;
    st.pendingBoxStage = 2;
    setPoint(AcEd::kGrDrag, st.boxFrom);
    return AcEd::kNormal;
  }
  Action a;
  int rc = nextAnswer(nullptr, hostimpl::kAcceptPoint | hostimpl::kAcceptPick |
                                   hostimpl::kAcceptBox | hostimpl::kAcceptEnter, a);
  if (rc != AcEd::kNormal) return rc;
  if (a.kind == Action::kEnter) {
    if (type) *type = AcEd::kGrKey;
    if (result) result->type = AcEd::kRtShort, result->value.shortValue = 13;
    return AcEd::kNormal;
  }
  if (a.kind == Action::kBox) {
    st.pendingBoxStage = 2;
    st.boxFrom = a.points[0];
    st.boxTo = a.points[1];
  }
  setPoint(AcEd::kGrPick, a.points[0]);
  return AcEd::kNormal;
}

int acedGetString(int, const char* prompt, char* result, std::size_t size) {
  state().pendingBoxStage = 0;
  Action a;
  int rc = nextAnswer(prompt, hostimpl::kAcceptText | hostimpl::kAcceptEnter |
                                  hostimpl::kAcceptPoint | hostimpl::kAcceptPick |
                                  hostimpl::kAcceptBox | hostimpl::kAcceptSelection, a);
  hostimpl::clearInitGet();
  if (rc != AcEd::kNormal) return rc;
  std::string text = a.kind == Action::kEnter ? std::string()
                     : a.kind == Action::kText ? hostimpl::text::utf8ToGbk(a.text)
                                                : hostimpl::text::utf8ToGbk(a.raw);
  if (!result || size == 0) return AcEd::kError;
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(result, text.data(), n);
  result[n] = '\0';
  return AcEd::kNormal;
}

namespace {
// The number an answer gives; false when it gives none.
bool numberOf(const Action& a, bool integer, double& value) {
  char* end = nullptr;
  const std::string text = a.kind == Action::kText ? a.text : a.raw;
  value = std::strtod(text.c_str(), &end);
  return end && *end == '\0' && !text.empty() && std::isfinite(value) &&
         (!integer || (value == std::floor(value) && std::fabs(value) < 2147483648.0));
}

int getNumber(const char* prompt, double& value, bool integer) {
  state().pendingBoxStage = 0;
  const int flags = state().initFlags;
  const std::string keywords = state().keywords;
  while (true) {
    Action a;
    const int rc = nextAnswer(prompt, hostimpl::kAcceptText | hostimpl::kAcceptEnter, a);
    hostimpl::clearInitGet();
    if (rc != AcEd::kNormal) return rc;
    if (a.kind == Action::kEnter) return AcEd::kNone;
    if (numberOf(a, integer, value)) return AcEd::kNormal;
    if (!hostimpl::askAgainAfter(std::string("expected ") + (integer ? "an integer" : "a number") +
                                 ", got \"" + a.raw + "\""))
      return AcEd::kCancel;
    // Asked again at a terminal, under the same conditions.
    state().initFlags = flags;
    state().keywords = keywords;
  }
}
}  // namespace

int acedGetInt(const char* prompt, int* result) {
  double v;
  int rc = getNumber(prompt, v, true);
  if (rc == AcEd::kNormal && result) *result = static_cast<int>(v);
  return rc;
}

int acedGetReal(const char* prompt, double* result) {
  double v;
  int rc = getNumber(prompt, v, false);
  if (rc == AcEd::kNormal && result) *result = v;
  return rc;
}
