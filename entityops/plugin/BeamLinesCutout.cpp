// KVBeamLinesCutout: beam lines stop at each other's edges inside a picked
// window. In one run and in this order: the two corners, a fence selection
// of the beam lines crossing the window's outline, phase A (ends in the
// window move onto crossings), the corner pass, refresh, phase B (lines are
// split at their crossings), append, erase, refresh, phase C (what lies
// wholly inside the window goes), the fence selection again, phase D
// (collinear pieces no line crosses are joined), erase, refresh.
//
// Where the steps as written would do harm, the command does the sound
// thing instead:
//  - a cancelled or empty corner ends the command before any change;
//  - phase A passes over crossings at the fixed end itself, which would
//    shrink a line to a point; and its extended fallback (and the corner
//    pass) take only crossings on the moving end's side of the fixed end,
//    so a line is never turned round;
//  - phase B erases a split line only when all its pieces went into the
//    drawing; otherwise the pieces of that line that did are taken out
//    again and the line stays whole.
// Within a phase the lines are read once (LineSnapshot), so that the host is
// asked only about pairs that can cross or be collinear: grids give the
// lines whose boxes meet a line's box and, in phase D, the lines that start
// near a line's infinite line. The answers, and so the result, are those of
// asking about every pair.
#include <algorithm>
#include <memory>
#include <vector>

#include "Commands.h"
#include "LineOperations.h"
#include "entityops/PointGrid.h"

namespace entityops {
namespace {

constexpr char kBeamLayers[] = "BEAM*";

// The result buffers of one run, released however it ends.
struct Chains {
  AcEdResBuf* fence = nullptr;
  AcEdResBuf* filter = nullptr;
  ~Chains() {
    if (fence) acutRelRb(fence);
    if (filter) acutRelRb(filter);
  }
};

bool askCorner(bool second, const AcGePoint3d& base, AcGePoint3d& corner) {
  AcEdPoint basePoint = {base.x, base.y, base.z};
  AcEdPoint picked = {0, 0, 0};
  int status = second ? acedGetCorner(basePoint, "\nPick the second point:", picked)
                      : acedGetPoint(nullptr, "\nPick the first point:", picked);
  if (status != AcEd::kNormal) return false;
  corner = {picked[0], picked[1], picked[2]};
  acutPrintf("%s,%s", fixedSix(corner.x).c_str(), fixedSix(corner.y).c_str());
  return true;
}

// The fence selection of the beam lines into ids; false when it selected nothing.
bool selectBeams(const Chains& chains, IdList& ids) {
  AcEdName ss;
  if (acedSSGet("F", chains.fence, nullptr, chains.filter, ss) != AcEd::kNormal) return false;
  selectionToIds(ss, ids);
  acedSSFree(ss);
  return true;
}

// The moving end: the start when it is in the window, else the end when it
// is; false when neither is.
bool movingEnd(const AcDbLine* line, const AcGePoint3d& c1, const AcGePoint3d& c2, bool& start) {
  if (isInWindow(line->startPoint(), c1, c2)) return start = true;
  if (isInWindow(line->endPoint(), c1, c2)) return !(start = false);
  return false;
}

void moveEnd(AcDbLine* line, bool start, const AcGePoint3d& to) {
  if (start)
    line->setStartPoint(to);
  else
    line->setEndPoint(to);
}

// Crossings a moving end may go to: not the fixed end itself, and, for
// extended crossings, only on the moving end's side of the fixed end.
PointList usable(const PointList& crossings, const AcGePoint3d& fixed, const AcGePoint3d& moving,
                 bool sideOnly) {
  PointList kept;
  for (const AcGePoint3d& p : crossings)
    if (!p.isEqualTo(fixed) && (!sideOnly || onSideOf(p, fixed, moving))) kept.append(p);
  return kept;
}

// Phase A; returns the inside counter.
int phaseA(const IdList& beams, const AcGePoint3d& c1, const AcGePoint3d& c2) {
  LineSnapshot known;
  known.take(beams);
  const LineSnapshot* screened = screensOn() ? &known : nullptr;
  int inside = 0;
  for (int i = 0; i < beams.length(); ++i) {
    AcDbLine* line = nullptr;
    if (openLine(line, beams[i], AcDb::kForWrite) != AcDb::kOk) continue;
    bool start = true;
    if (!movingEnd(line, c1, c2, start)) {
      line->close();
      continue;
    }
    ++inside;
    const AcGePoint3d fixed = start ? line->endPoint() : line->startPoint();
    const AcGePoint3d moving = start ? line->startPoint() : line->endPoint();
    PointList crossings;
    PointList targets;
    if (collectCrossings(line, beams, AcDb::kOnBothOperands, crossings, screened))
      targets = usable(crossings, fixed, moving, false);
    if (targets.isEmpty() && collectCrossings(line, beams, AcDb::kExtendBoth, crossings, screened))
      targets = usable(crossings, fixed, moving, true);
    if (!targets.isEmpty()) moveEnd(line, start, nearestPoint(targets, fixed));
    line->close();
    known.refresh(beams, i);
  }
  return inside;
}

void cornerPass(const IdList& beams, const AcGePoint3d& c1, const AcGePoint3d& c2) {
  LineSnapshot known;
  known.take(beams);
  const LineSnapshot* screened = screensOn() ? &known : nullptr;
  for (int i = 0; i < beams.length(); ++i) {
    AcDbLine* line = nullptr;
    if (openLine(line, beams[i], AcDb::kForWrite) != AcDb::kOk) continue;
    bool start = true;
    PointList crossings;
    if (movingEnd(line, c1, c2, start) &&
        !collectCrossings(line, beams, AcDb::kOnBothOperands, crossings, screened) &&
        collectCrossings(line, beams, AcDb::kExtendBoth, crossings, screened)) {
      const AcGePoint3d fixed = start ? line->endPoint() : line->startPoint();
      const AcGePoint3d moving = start ? line->startPoint() : line->endPoint();
      PointList targets = usable(crossings, fixed, moving, true);
      if (!targets.isEmpty()) moveEnd(line, start, farthestPoint(targets, fixed));
    }
    line->close();
    known.refresh(beams, i);
  }
}

AcDbBlockTableRecord* openModelSpace() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return nullptr;
  AcDbBlockTableRecord* space = nullptr;
  table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
  table->close();
  return space;
}

// Phase B: each line crossed at two or more points is replaced by its pieces.
void phaseB(const IdList& beams) {
  LineSnapshot known;
  known.take(beams);
  const LineSnapshot* screened = screensOn() ? &known : nullptr;
  struct Split {
    AcDbObjectId line;
    EntityList pieces;
  };
  std::vector<Split> splits;
  for (int i = 0; i < beams.length(); ++i) {
    AcDbLine* line = nullptr;
    if (openLine(line, beams[i], AcDb::kForRead) != AcDb::kOk) continue;
    PointList crossings;
    collectCrossings(line, beams, AcDb::kOnBothOperands, crossings, screened);
    if (crossings.length() >= 2) {
      sortByDistanceAlong(line, crossings);
      EntityList pieces;
      if (line->getSplitCurves(crossings, pieces) == AcDb::kOk && !pieces.isEmpty())
        splits.push_back({beams[i], pieces});
      else
        for (void* piece : pieces) delete static_cast<AcRxObject*>(piece);
    }
    line->close();
  }
  // The pieces go into model space in list order, through one open of it.
  IdList erase;
  AcDbBlockTableRecord* space = openModelSpace();
  for (Split& split : splits) {
    IdList appended;
    bool all = true;
    for (void* piece : split.pieces) {
      auto* entity = static_cast<AcDbEntity*>(piece);
      AcDbObjectId id;
      if (space && space->appendAcDbEntity(id, entity) == AcDb::kOk) {
        entity->close();
        appended.append(id);
      } else {
        acutPrintf("\nadd region failure");
        delete entity;
        all = false;
      }
    }
    if (all)
      erase.append(split.line);
    else
      erase.append(appended);  // the line stays whole: nothing of it is lost
  }
  if (space) space->close();
  eraseEntities(erase);
  refreshDisplay();
}

void phaseC(const Chains& chains, const AcGePoint3d& c1, const AcGePoint3d& c2) {
  AcEdPoint a = {c1.x, c1.y, c1.z}, b = {c2.x, c2.y, c2.z};
  AcEdName ss;
  if (acedSSGet("W", a, b, chains.filter, ss) != AcEd::kNormal) return;
  IdList inside;
  selectionToIds(ss, inside);
  acedSSFree(ss);
  eraseEntities(inside);
}

// The positions after i whose lines may be collinear with line i: all of
// them without screens, else those whose start is not clearly off its line.
void laterPartners(int i, int count, const LineSnapshot* screened, const PointGrid& starts,
                   std::vector<int>& out) {
  out.clear();
  if (!screened || !screened->at(i)) {
    for (int j = i + 1; j < count; ++j) out.push_back(j);
    return;
  }
  const LineThrough through(*screened->at(i));
  starts.nearLine(through, out);
  out.erase(out.begin(), std::upper_bound(out.begin(), out.end(), i));
  out.erase(std::remove_if(out.begin(), out.end(),
                           [&](int j) { return clearlyOff(through, screened->at(j)->start); }),
            out.end());
}

// Phase D over the re-selected beam lines.
void phaseD(const IdList& beams) {
  LineSnapshot known;
  known.take(beams);
  const LineSnapshot* screened = screensOn() ? &known : nullptr;
  PointGrid starts;
  if (screened) {
    std::vector<AcGePoint3d> points(beams.length());
    std::vector<bool> present(beams.length());
    for (int i = 0; i < beams.length(); ++i)
      if ((present[i] = known.at(i) != nullptr)) points[i] = known.at(i)->start;
    starts.build(points, present);
  }
  IdList erase;
  std::vector<int> partners;
  for (int i = 0; i < beams.length(); ++i) {
    AcDbLine* first = nullptr;
    if (openLine(first, beams[i], AcDb::kForRead) != AcDb::kOk) continue;
    laterPartners(i, beams.length(), screened, starts, partners);
    for (int j : partners) {
      AcDbLine* second = nullptr;
      if (openLine(second, beams[j], AcDb::kForRead) != AcDb::kOk) continue;
      PointList crossings;
      if (areCollinear(first, second) &&
          !collectCrossings(first, beams, AcDb::kOnBothOperands, crossings, screened)) {
        acutPrintf("\njion line: %d-%d", i, j);
        AcDbLine* joined = joinLines(first, second);
        if (appendToModelSpace(joined)) {
          erase.append(beams[i]);
          erase.append(beams[j]);
        } else {
          delete joined;
        }
      }
      second->close();
    }
    first->close();
  }
  eraseEntities(erase);
  refreshDisplay();
}

}  // namespace

void beamLinesCutout() {
  AcGePoint3d c1, c2;
  if (!askCorner(false, c1, c1) || !askCorner(true, c1, c2)) return;
  Chains chains;
  const AcEdPoint p1 = {c1.x, c1.y, 0}, p2 = {c2.x, c1.y, 0}, p3 = {c2.x, c2.y, 0},
                  p4 = {c1.x, c2.y, 0};
  chains.fence = acutBuildList(AcEd::kRtPoint2d, p1, AcEd::kRtPoint2d, p2, AcEd::kRtPoint2d, p3,
                               AcEd::kRtPoint2d, p4, AcEd::kRtPoint2d, p1, 0);
  chains.filter = acutBuildList(8, kBeamLayers, 0);
  IdList beams;
  if (!selectBeams(chains, beams)) return;
  if (beams.isEmpty()) {
    acutPrintf("idArray is empty");
    return;
  }
  acutPrintf("\nselected %d beam lines", beams.length());
  int inside = phaseA(beams, c1, c2);
  if (beams.length() == 4 && inside == 4) cornerPass(beams, c1, c2);
  refreshDisplay();
  phaseB(beams);
  phaseC(chains, c1, c2);
  beams.removeAll();
  if (!selectBeams(chains, beams)) return;
  phaseD(beams);
}

}  // namespace entityops
