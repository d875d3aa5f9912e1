// Walking model space in drawing order, for tests, fuzz targets and tools
// that look at what a command left in a drawing.
#pragma once

#include "hostapi/hostapi.h"

namespace testfiles {

// Calls visit(entity) for each entity of model space that opens for read, in
// drawing order. The entity is closed afterwards unless visit returns true:
// then it stays open and the caller closes it.
template <typename Visit>
void forEachInModelSpace(AcDbDatabase* db, Visit visit) {
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != AcDb::kOk) return;
  AcDbBlockTableRecordIterator* it = nullptr;
  space->newIterator(it);
  for (; !it->done(); it->step()) {
    AcDbEntity* e = nullptr;
    if (it->getEntity(e, AcDb::kForRead) != AcDb::kOk) continue;
    if (!visit(e)) e->close();
  }
  delete it;
  space->close();
}

}  // namespace testfiles
