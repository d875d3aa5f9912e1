// Helpers that build small drawings through the host interface, and a test
// fixture that gives every test a fresh host with one empty document.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"

namespace hosttest {

inline AcDbDatabase* db() { return acdbHostApplicationServices()->workingDatabase(); }

inline AcDbObjectId addLayer(const char* name, int color = 7) {
  AcDbLayerTable* table = nullptr;
  EXPECT_EQ(db()->getSymbolTable(table, AcDb::kForWrite), AcDb::kOk);
  auto* rec = new AcDbLayerTableRecord;
  rec->setName(name);
  rec->setColorIndex(color);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, rec), AcDb::kOk);
  rec->close();
  table->close();
  return id;
}

inline AcDbObjectId appendTo(const char* blockName, AcDbEntity* ent, const char* layer = nullptr) {
  if (layer) {
    EXPECT_EQ(ent->setLayer(layer), AcDb::kOk);
  }
  AcDbBlockTable* table = nullptr;
  EXPECT_EQ(db()->getSymbolTable(table, AcDb::kForRead), AcDb::kOk);
  AcDbBlockTableRecord* block = nullptr;
  EXPECT_EQ(table->getAt(blockName, block, AcDb::kForWrite), AcDb::kOk);
  table->close();
  AcDbObjectId id;
  EXPECT_EQ(block->appendAcDbEntity(id, ent), AcDb::kOk);
  ent->close();
  block->close();
  return id;
}

inline AcDbObjectId addLine(double x0, double y0, double x1, double y1,
                            const char* layer = nullptr) {
  return appendTo(ACDB_MODEL_SPACE, new AcDbLine({x0, y0, 0}, {x1, y1, 0}), layer);
}

inline AcDbObjectId addText(double x, double y, const char* text, const char* layer = nullptr,
                            double height = 2.0) {
  return appendTo(ACDB_MODEL_SPACE, new AcDbText({x, y, 0}, text, AcDbObjectId(), height), layer);
}

inline AcDbObjectId addBlock(const char* name) {
  AcDbBlockTable* table = nullptr;
  EXPECT_EQ(db()->getSymbolTable(table, AcDb::kForWrite), AcDb::kOk);
  auto* rec = new AcDbBlockTableRecord;
  rec->setName(name);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, rec), AcDb::kOk);
  rec->close();
  table->close();
  return id;
}

inline AcDbObjectId addInsert(AcDbObjectId block, double x, double y, const char* layer = nullptr,
                              double scale = 1.0, double rotation = 0.0) {
  auto* ref = new AcDbBlockReference({x, y, 0}, block);
  ref->setScaleFactors({scale, scale, scale});
  ref->setRotation(rotation);
  return appendTo(ACDB_MODEL_SPACE, ref, layer);
}

template <typename T>
struct Opened {
  T* ptr = nullptr;
  AcDb::Status status;
  Opened(AcDbObjectId id, AcDb::OpenMode mode = AcDb::kForRead)
      : status(acdbOpenObject(ptr, id, mode)) {}
  ~Opened() {
    if (ptr) ptr->close();
  }
  T* operator->() { return ptr; }
};

inline std::string layerOf(AcDbObjectId id) {
  Opened<AcDbEntity> e(id);
  return e.ptr ? e->layer() : "?";
}

// The ids of a selection set's entities, in the set's order.
inline std::vector<AcDbObjectId> idsOfSet(const AcEdName ss) {
  std::vector<AcDbObjectId> ids;
  std::int32_t n = 0;
  acedSSLength(ss, &n);
  for (int i = 0; i < n; ++i) {
    AcEdName ent;
    AcDbObjectId id;
    acedSSName(ss, i, ent);
    acdbGetObjectId(id, ent);
    ids.push_back(id);
  }
  return ids;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drawhost::reset();
    doc_ = drawhost::newDocument();
  }
  void TearDown() override { drawhost::reset(); }
  AcApDocument* doc_ = nullptr;
};

}  // namespace hosttest
