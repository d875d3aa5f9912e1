// KVJoin2Lines: two selected collinear lines become one, spanning the two
// farthest of their four ends, with the first line's properties. Prints
// nothing, whatever happens.
//
// Mended: when all four ends coincide the joined line would have no length;
// the command then changes nothing.
#include "Commands.h"
#include "LineOperations.h"

namespace entityops {

namespace {

// The ids of the lines the user selects, in selection order.
IdList selectLines() {
  IdList ids;
  AcEdResBuf* filter = acutBuildList(AcEd::kRtDxf0, "LINE", 0);
  AcEdName ss;
  if (acedSSGet(nullptr, nullptr, nullptr, filter, ss) == AcEd::kNormal) {
    selectionToIds(ss, ids);
    acedSSFree(ss);
  }
  acutRelRb(filter);
  return ids;
}

void eraseThroughUpgrade(AcDbLine* line) {
  if (line->upgradeOpen() == AcDb::kOk) line->erase(true);
}

}  // namespace

void joinTwoLines() {
  const IdList ids = selectLines();
  if (ids.length() != 2) return;
  AcDbLine* a = nullptr;
  AcDbLine* b = nullptr;
  if (openLine(a, ids[0], AcDb::kForRead) != AcDb::kOk) return;
  if (openLine(b, ids[1], AcDb::kForRead) != AcDb::kOk) {
    a->close();
    return;
  }
  if (areCollinear(a, b)) {
    AcDbLine* joined = joinLines(a, b);
    if (joined->startPoint().isEqualTo(joined->endPoint())) {
      delete joined;  // four ends at one point: nothing to join
    } else if (appendToModelSpace(joined)) {
      eraseThroughUpgrade(a);
      eraseThroughUpgrade(b);
    } else {
      delete joined;
    }
  }
  a->close();
  b->close();
}

}  // namespace entityops
