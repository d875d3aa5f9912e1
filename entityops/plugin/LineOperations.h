// The operations the commands of KVShapewright share: selections to ids,
// crossings of one line with a list of lines, ordering along a curve, the
// collinearity test, joining two lines, appending, erasing, refreshing.
//
// Every geometric answer comes from the host. Every object an operation
// opens is closed before it returns; none of them prints anything.
#pragma once

#include <vector>

#include "entityops/LineMath.h"
#include "entityops/SegmentGrid.h"
#include "hostapi/hostapi.h"

namespace entityops {

using IdList = AcDbObjectIdArray;
using PointList = AcGePoint3dArray;
using EntityList = AcDbVoidPtrArray;

// Opens an object as a line (erased ones not); fails for anything else.
AcDb::Status openLine(AcDbLine*& line, AcDbObjectId id, AcDb::OpenMode mode);

// The ends of the lines of an id list as they are now, read once so that a
// phase need not ask the host about pairs whose answer is already known, and
// a grid over them for the lines that may cross a given one. Entries that do
// not open as lines are kept as absent.
class LineSnapshot {
 public:
  void take(const IdList& ids);
  // Reads entry i again (after its line changed).
  void refresh(const IdList& ids, int i);
  const Segment* at(int i) const { return present_[i] ? &segments_[i] : nullptr; }
  // In ascending order, the entries whose lines may cross s as drawn.
  void mayCross(const Segment& s, std::vector<int>& out) const { grid_.candidates(s, out); }

 private:
  bool read(const IdList& ids, int i);
  std::vector<Segment> segments_;
  std::vector<bool> present_;
  SegmentGrid grid_;
};

// False when the environment sets KVSHAPEWRIGHT_ASK_EVERY_PAIR: the commands
// then ask the host about every pair, as the plain steps read. Tests and
// benchmarks compare the two; the results must be the same.
bool screensOn();

void selectionToIds(const AcEdName ss, IdList& ids);

// The crossing points of `line` (null: its open failed) with every line of
// the list, in list order. With `known`, the lines of the list as they are
// now, pairs that cannot cross in mode 0 are not asked of the host.
bool collectCrossings(const AcDbLine* line, const IdList& ids, AcDb::Intersect mode,
                      PointList& out, const LineSnapshot* known = nullptr);

void sortByDistanceAlong(const AcDbCurve* curve, PointList& points);
bool areCollinear(const AcDbLine* a, const AcDbLine* b);
// A copy of a (all its properties) spanning the farthest pair of the four ends.
AcDbLine* joinLines(const AcDbLine* a, const AcDbLine* b);
// On success the entity is in model space and closed; otherwise it is the caller's.
bool appendToModelSpace(AcDbEntity* entity);
void eraseEntities(const IdList& ids);
void refreshDisplay();

}  // namespace entityops
