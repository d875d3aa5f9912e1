// Layers for the benchmark drawings: L00, L01, ... made through the host interface.
#pragma once

#include <cstdio>
#include <vector>

#include "hostapi/hostapi.h"

inline std::vector<AcDbObjectId> addNumberedLayers(AcDbDatabase* db, int count) {
  std::vector<AcDbObjectId> ids;
  AcDbLayerTable* table = nullptr;
  if (db->getSymbolTable(table, AcDb::kForWrite) != AcDb::kOk) return ids;
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "L%02d", i);
    auto* record = new AcDbLayerTableRecord;
    record->setName(name);
    AcDbObjectId id;
    if (table->add(id, record) == AcDb::kOk) record->close(); else delete record;
    ids.push_back(id);
  }
  table->close();
  return ids;
}
