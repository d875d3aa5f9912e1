// The shared operations, step by step as the commands rely on them.
#include "LineOperations.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace entityops {

AcDb::Status openLine(AcDbLine*& line, AcDbObjectId id, AcDb::OpenMode mode) {
  AcDbObject* object = nullptr;
  AcDb::Status es = acdbOpenAcDbObject(object, id, mode, false, AcDbLine::desc());
  line = es == AcDb::kOk ? static_cast<AcDbLine*>(object) : nullptr;
  return es;
}

void LineSnapshot::take(const IdList& ids) {
  segments_.assign(ids.length(), Segment());
  present_.assign(ids.length(), false);
  for (int i = 0; i < ids.length(); ++i) read(ids, i);
  grid_.build(segments_, present_);
}

void LineSnapshot::refresh(const IdList& ids, int i) {
  if (read(ids, i)) grid_.move(i, segments_[i]);
}

bool LineSnapshot::read(const IdList& ids, int i) {
  AcDbLine* line = nullptr;
  present_[i] = openLine(line, ids[i], AcDb::kForRead) == AcDb::kOk;
  if (!line) return false;
  segments_[i] = {line->startPoint(), line->endPoint()};
  line->close();
  return true;
}

bool screensOn() { return std::getenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR") == nullptr; }

void selectionToIds(const AcEdName ss, IdList& ids) {
  std::int32_t length = 0;
  if (acedSSLength(ss, &length) != AcEd::kNormal || length <= 0) return;
  for (std::int32_t i = 0; i < length; ++i) {
    AcEdName name;
    AcDbObjectId id;
    if (acedSSName(ss, i, name) == AcEd::kNormal && acdbGetObjectId(id, name) == AcDb::kOk)
      ids.append(id);
  }
}

namespace {

// Adds the host's crossings of line with the line of id to out.
void addCrossings(const AcDbLine* line, AcDbObjectId id, AcDb::Intersect mode, PointList& out) {
  AcDbLine* other = nullptr;
  if (openLine(other, id, AcDb::kForRead) != AcDb::kOk) return;
  PointList found;
  if (line->intersectWith(other, mode, found, 0, 0) == AcDb::kOk && !found.isEmpty())
    out.append(found);
  other->close();
}

}  // namespace

bool collectCrossings(const AcDbLine* line, const IdList& ids, AcDb::Intersect mode,
                      PointList& out, const LineSnapshot* known) {
  if (ids.length() < 2) return false;
  if (!line) return !out.isEmpty();
  out.removeAll();
  if (known && mode == AcDb::kOnBothOperands) {
    // Lines whose boxes lie apart cannot cross as drawn; the rest are asked
    // in list order, as a walk over the whole list would ask them.
    const Segment self{line->startPoint(), line->endPoint()};
    std::vector<int> candidates;
    known->mayCross(self, candidates);
    for (int i : candidates)
      if (const Segment* other = known->at(i); other && !clearlyApart(self, *other))
        addCrossings(line, ids[i], mode, out);
    return !out.isEmpty();
  }
  for (int i = 0; i < ids.length(); ++i)
    if (!known || known->at(i)) addCrossings(line, ids[i], mode, out);
  return !out.isEmpty();
}

void sortByDistanceAlong(const AcDbCurve* curve, PointList& points) {
  auto key = [curve](const AcGePoint3d& p) {
    double along = 0;
    return curve->getDistAtPoint(p, along) == AcDb::kOk ? along : 0.0;
  };
  std::vector<std::pair<double, AcGePoint3d>> keyed;
  for (const AcGePoint3d& p : points) keyed.push_back({key(p), p});
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (int i = 0; i < points.length(); ++i) points[i] = keyed[i].second;
}

bool areCollinear(const AcDbLine* a, const AcDbLine* b) {
  PointList crossing;
  a->intersectWith(b, AcDb::kExtendThis, crossing, 0, 0);
  if (!crossing.isEmpty()) return false;
  AcDbLine towardB(a->startPoint(), b->startPoint());
  PointList meeting;
  towardB.intersectWith(a, AcDb::kExtendThis, meeting, 0, 0);
  return meeting.isEmpty();
}

AcDbLine* joinLines(const AcDbLine* a, const AcDbLine* b) {
  const AcGePoint3d ends[4] = {a->startPoint(), a->endPoint(), b->startPoint(), b->endPoint()};
  const auto [from, to] = farthestPair(ends);
  auto* joined = static_cast<AcDbLine*>(a->clone());
  joined->setStartPoint(ends[from]);
  joined->setEndPoint(ends[to]);
  return joined;
}

bool appendToModelSpace(AcDbEntity* entity) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return false;
  AcDbBlockTableRecord* space = nullptr;
  AcDb::Status opened = table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
  table->close();
  if (opened != AcDb::kOk) return false;
  AcDb::Status appended = space->appendAcDbEntity(entity);
  space->close();
  if (appended != AcDb::kOk) return false;
  entity->close();
  return true;
}

void eraseEntities(const IdList& ids) {
  if (ids.isEmpty()) return;
  AcApDocManager* manager = acDocManagerPtr();
  AcApDocument* doc = manager->curDocument();
  manager->lockDocument(doc, AcAp::kWrite, nullptr, nullptr, true);
  for (const AcDbObjectId& id : ids) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForWrite) != AcDb::kOk) continue;
    entity->erase(true);
    entity->close();
  }
  manager->unlockDocument(doc);
}

void refreshDisplay() {
  if (AcApDocument* doc = acDocManagerPtr()->curDocument())
    doc->transactionManager()->flushGraphics();
  acedUpdateDisplay();
}

}  // namespace entityops
