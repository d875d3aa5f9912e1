// Builds small drawings through the host interface for the rebar plug-in's
// tests and benchmarks: texts, multi-line texts, block definitions and
// references with attributes, all in the working database.
#pragma once

#include <string>

#include "hostapi/hostapi.h"

namespace kvbtest {

inline AcDbObjectId appendToBlock(AcDbObjectId blockId, AcDbEntity* entity) {
  AcDbBlockTableRecord* block = nullptr;
  AcDbObjectId id;
  if (acdbOpenObject(block, blockId, AcDb::kForWrite) != AcDb::kOk) {
    delete entity;
    return id;
  }
  if (block->appendAcDbEntity(id, entity) == AcDb::kOk) {
    entity->close();
  } else {
    delete entity;
  }
  block->close();
  return id;
}

inline AcDbDatabase* workingDb() { return acdbHostApplicationServices()->workingDatabase(); }

inline AcDbObjectId addText(double x, double y, const std::string& gbk, double height = 2.5) {
  auto* text = new AcDbText(AcGePoint3d(x, y, 0), gbk.c_str(), AcDbObjectId(), height);
  return appendToBlock(workingDb()->modelSpaceId(), text);
}

inline AcDbObjectId addMText(double x, double y, const std::string& gbk) {
  auto* mtext = new AcDbMText();
  mtext->setLocation(AcGePoint3d(x, y, 0));
  mtext->setContents(gbk.c_str());
  mtext->setWidth(40);
  return appendToBlock(workingDb()->modelSpaceId(), mtext);
}

// A block definition named `name` holding one text at (0,0), whose id goes
// to textId when asked for.
inline AcDbObjectId addBlockWithText(const std::string& name, const std::string& gbk,
                                     AcDbObjectId* textId = nullptr) {
  AcDbBlockTable* table = nullptr;
  AcDbObjectId blockId;
  if (workingDb()->getBlockTable(table, AcDb::kForWrite) != AcDb::kOk) return blockId;
  auto* block = new AcDbBlockTableRecord();
  block->setName(name.c_str());
  if (table->add(blockId, block) == AcDb::kOk) {
    block->close();
  } else {
    delete block;
  }
  table->close();
  if (!gbk.empty()) {
    AcDbObjectId id = appendToBlock(
        blockId, new AcDbText(AcGePoint3d(0, 0, 0), gbk.c_str(), AcDbObjectId(), 2.5));
    if (textId != nullptr) *textId = id;
  }
  return blockId;
}

// A reference of blockId at (x,y) in model space, with one attribute at
// (ax,ay) when attributeText is not empty.
inline AcDbObjectId addReference(AcDbObjectId blockId, double x, double y,
                                 const std::string& attributeText = "", double ax = 0,
                                 double ay = 0) {
  auto* ref = new AcDbBlockReference(AcGePoint3d(x, y, 0), blockId);
  AcDbObjectId refId = appendToBlock(workingDb()->modelSpaceId(), ref);
  if (attributeText.empty() || refId.isNull()) return refId;
  AcDbBlockReference* open = nullptr;
  if (acdbOpenObject(open, refId, AcDb::kForWrite) != AcDb::kOk) return refId;
  auto* attribute = new AcDbAttribute(AcGePoint3d(ax, ay, 0), attributeText.c_str(), "BAR");
  if (open->appendAttribute(attribute) != AcDb::kOk) delete attribute;
  open->close();
  return refId;
}

}  // namespace kvbtest
