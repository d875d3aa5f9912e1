// KVRegion: regions from selected lines, lightweight polylines and arcs,
// also where they cross instead of meeting end to end. Every selected curve
// is cut at each point where it crosses a selected curve (its own crossings
// included), all pieces go to the host's region builder together, and the
// regions it makes are appended to model space. The selected curves are
// never changed.
//
// The pieces, and regions that could not be appended, are the command's
// own: it deletes them before it returns, however it ends.
#include <memory>
#include <vector>

#include "Commands.h"
#include "LineOperations.h"

namespace entityops {

namespace {

// Entities the command made and still owns; deleted when the list goes.
struct Owned {
  EntityList items;
  ~Owned() {
    for (void* item : items) delete static_cast<AcRxObject*>(item);
  }
};

bool isCuttable(const AcDbEntity* entity) {
  return entity->isKindOf(AcDbLine::desc()) || entity->isKindOf(AcDbPolyline::desc()) ||
         entity->isKindOf(AcDbArc::desc());
}

IdList selectCurves(bool& selected) {
  IdList ids;
  AcEdResBuf* filter = acutBuildList(AcEd::kRtDxf0, "LINE,LWPOLYLINE,ARC", 0);
  AcEdName ss;
  selected = acedSSGet(nullptr, nullptr, nullptr, filter, ss) == AcEd::kNormal;
  if (selected) {
    selectionToIds(ss, ids);
    acedSSFree(ss);
  }
  acutRelRb(filter);
  return ids;
}

// The crossings of curve with every curve of the list, its own included, in list order.
PointList crossingsOf(const AcDbCurve* curve, const IdList& ids) {
  PointList crossings;
  for (const AcDbObjectId& id : ids) {
    AcDbEntity* other = nullptr;
    if (acdbOpenAcDbEntity(other, id, AcDb::kForRead) != AcDb::kOk) continue;
    PointList found;
    if (curve->intersectWith(other, AcDb::kOnBothOperands, found, 0, 0) == AcDb::kOk)
      crossings.append(found);
    other->close();
  }
  return crossings;
}

void cutCurves(const IdList& ids, EntityList& pieces) {
  for (const AcDbObjectId& id : ids) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) continue;
    if (isCuttable(entity)) {
      auto* curve = static_cast<AcDbCurve*>(entity);
      PointList crossings = crossingsOf(curve, ids);
      sortByDistanceAlong(curve, crossings);
      EntityList cut;
      if (curve->getSplitCurves(crossings, cut) != AcDb::kOk) {
        acutPrintf("\ngetSplitCurves failure");
        for (void* piece : cut) delete static_cast<AcRxObject*>(piece);
      } else {
        pieces.append(cut);
      }
    }
    entity->close();
  }
}

}  // namespace

void regionFromCurves() {
  bool selected = false;
  const IdList ids = selectCurves(selected);
  if (!selected) return;
  if (ids.isEmpty()) {
    acutPrintf("idArray is empty");
    return;
  }
  Owned pieces;
  cutCurves(ids, pieces.items);
  Owned regions;
  if (AcDbRegion::createFromCurves(pieces.items, regions.items) != AcDb::kOk) {
    acutPrintf("\ncreate region failure");
    return;
  }
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return;
  AcDbBlockTableRecord* space = nullptr;
  table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
  table->close();
  if (!space) return;
  for (void*& item : regions.items) {
    auto* region = static_cast<AcDbRegion*>(item);
    if (space->appendAcDbEntity(region) != AcDb::kOk) {
      acutPrintf("\nadd region failure");
      continue;  // still the command's: deleted with the list
    }
    region->close();
    item = nullptr;  // the drawing's now
  }
  space->close();
}

}  // namespace entityops
