// The database: the default drawing, the open/close protocol and its
// refusals, symbol tables, layer refusals and layer states.
#include "fixture.h"

namespace hosttest {
namespace {

class DatabaseTest : public HostTest {};

TEST_F(DatabaseTest, NewDrawingHasTheDefaults) {
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db()->getSymbolTable(layers, AcDb::kForRead), AcDb::kOk);
  EXPECT_TRUE(layers->has("0"));
  layers->close();
  AcDbBlockTable* blocks = nullptr;
  ASSERT_EQ(db()->getSymbolTable(blocks, AcDb::kForRead), AcDb::kOk);
  EXPECT_TRUE(blocks->has("*model_space"));  // names ignore case
  blocks->close();
  AcDbLinetypeTable* linetypes = nullptr;
  ASSERT_EQ(db()->getSymbolTable(linetypes, AcDb::kForRead), AcDb::kOk);
  for (const char* name : {"BYLAYER", "BYBLOCK", "CONTINUOUS", "DASHED"})
    EXPECT_TRUE(linetypes->has(name)) << name;
  linetypes->close();
  EXPECT_EQ(db()->clayer(), db()->layerZero());
}

TEST_F(DatabaseTest, OpenCloseProtocol) {
  AcDbObjectId id = addLine(0, 0, 10, 0);
  AcDbEntity* a = nullptr;
  AcDbEntity* b = nullptr;
  AcDbEntity* w = nullptr;
  // Reads nest; a write is refused while anyone reads.
  ASSERT_EQ(acdbOpenAcDbEntity(a, id, AcDb::kForRead), AcDb::kOk);
  ASSERT_EQ(acdbOpenAcDbEntity(b, id, AcDb::kForRead), AcDb::kOk);
  EXPECT_EQ(acdbOpenAcDbEntity(w, id, AcDb::kForWrite), AcDb::kWasOpenForRead);
  EXPECT_EQ(a->upgradeOpen(), AcDb::kWasOpenForRead);
  EXPECT_EQ(b->close(), AcDb::kOk);
  // The one remaining reader may upgrade; then nothing else opens it.
  EXPECT_EQ(a->upgradeOpen(), AcDb::kOk);
  EXPECT_EQ(acdbOpenAcDbEntity(b, id, AcDb::kForRead), AcDb::kWasOpenForWrite);
  EXPECT_EQ(acdbOpenAcDbEntity(w, id, AcDb::kForWrite), AcDb::kWasOpenForWrite);
  EXPECT_EQ(a->close(), AcDb::kOk);
  EXPECT_EQ(a->close(), AcDb::kNotOpen);
  // Changing an object open only for read is refused and changes nothing.
  ASSERT_EQ(acdbOpenAcDbEntity(a, id, AcDb::kForRead), AcDb::kOk);
  EXPECT_EQ(a->setColorIndex(1), AcDb::kNotOpenForWrite);
  EXPECT_EQ(a->colorIndex(), 256);
  a->close();
}

TEST_F(DatabaseTest, ErasedObjectsOpenOnlyOnRequest) {
  AcDbObjectId id = addLine(0, 0, 10, 0);
  {
    Opened<AcDbEntity> e(id, AcDb::kForWrite);
    ASSERT_EQ(e.status, AcDb::kOk);
    EXPECT_EQ(e->erase(), AcDb::kOk);
  }
  AcDbEntity* ent = nullptr;
  EXPECT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForRead), AcDb::kWasErased);
  ASSERT_EQ(acdbOpenAcDbEntity(ent, id, AcDb::kForWrite, true), AcDb::kOk);
  EXPECT_EQ(ent->erase(false), AcDb::kOk);
  ent->close();
  EXPECT_TRUE(id.isValid());
}

TEST_F(DatabaseTest, TypedOpenRefusesOtherClasses) {
  AcDbObjectId text = addText(0, 0, "A");
  AcDbObject* obj = nullptr;
  EXPECT_EQ(acdbOpenAcDbObject(obj, text, AcDb::kForRead, false, AcDbLine::desc()),
            AcDb::kWrongObjectType);
  EXPECT_EQ(obj, nullptr);
  AcDbLine* line = nullptr;
  EXPECT_EQ(acdbOpenObject(line, text, AcDb::kForRead), AcDb::kWrongObjectType);
  EXPECT_EQ(acdbOpenAcDbObject(obj, AcDbObjectId(), AcDb::kForRead), AcDb::kNullObjectId);
}

TEST_F(DatabaseTest, EntitiesOnLockedLayersDoNotOpenForWrite) {
  AcDbObjectId layer = addLayer("WALL");
  AcDbObjectId line = addLine(0, 0, 1, 1, "WALL");
  {
    Opened<AcDbLayerTableRecord> rec(layer, AcDb::kForWrite);
    rec->setIsLocked(true);
  }
  AcDbEntity* ent = nullptr;
  EXPECT_EQ(acdbOpenAcDbEntity(ent, line, AcDb::kForWrite), AcDb::kOnLockedLayer);
  ASSERT_EQ(acdbOpenAcDbEntity(ent, line, AcDb::kForRead), AcDb::kOk);
  EXPECT_EQ(ent->upgradeOpen(), AcDb::kOnLockedLayer);
  ent->close();
}

TEST_F(DatabaseTest, CurrentLayerRefusals) {
  AcDbObjectId wall = addLayer("WALL");
  ASSERT_EQ(db()->setClayer(wall), AcDb::kOk);
  {
    Opened<AcDbLayerTableRecord> rec(wall, AcDb::kForWrite);
    EXPECT_EQ(rec->setIsFrozen(true), AcDb::kLayerIsCurrent);
    EXPECT_FALSE(rec->isFrozen());
    EXPECT_EQ(rec->erase(), AcDb::kLayerIsCurrent);
  }
  AcDbObjectId frozen = addLayer("FROZEN");
  {
    Opened<AcDbLayerTableRecord> rec(frozen, AcDb::kForWrite);
    EXPECT_EQ(rec->setIsFrozen(true), AcDb::kOk);
  }
  EXPECT_EQ(db()->setClayer(frozen), AcDb::kLayerIsFrozen);
  EXPECT_EQ(db()->clayer(), wall);
}

TEST_F(DatabaseTest, LayerEraseRefusals) {
  AcDbObjectId used = addLayer("USED");
  AcDbObjectId block = addBlock("B");
  appendTo("B", new AcDbLine({0, 0, 0}, {1, 0, 0}), "USED");  // only inside a block
  AcDbObjectId unused = addLayer("UNUSED");
  {
    Opened<AcDbLayerTableRecord> zero(db()->layerZero(), AcDb::kForWrite);
    EXPECT_EQ(zero->erase(), AcDb::kLayerZero);
  }
  {
    Opened<AcDbLayerTableRecord> rec(used, AcDb::kForWrite);
    EXPECT_EQ(rec->erase(), AcDb::kStillReferenced);
  }
  {
    Opened<AcDbLayerTableRecord> rec(unused, AcDb::kForWrite);
    EXPECT_EQ(rec->erase(), AcDb::kOk);
  }
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(db()->getSymbolTable(table, AcDb::kForRead), AcDb::kOk);
  EXPECT_FALSE(table->has("UNUSED"));
  EXPECT_TRUE(table->has("USED"));
  table->close();
  (void)block;
}

TEST_F(DatabaseTest, SymbolTableNamesAreUniqueWithoutRegardToCase) {
  addLayer("Wall");
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(db()->getSymbolTable(table, AcDb::kForWrite), AcDb::kOk);
  auto* dup = new AcDbLayerTableRecord;
  dup->setName("WALL");
  EXPECT_EQ(table->add(dup), AcDb::kDuplicateKey);
  delete dup;
  auto* bad = new AcDbLayerTableRecord;
  EXPECT_EQ(bad->setName("A*B"), AcDb::kInvalidInput);
  EXPECT_EQ(bad->setName("*U1"), AcDb::kInvalidInput);
  delete bad;
  // Anonymous blocks keep their leading '*'.
  AcDbBlockTableRecord anonymous;
  EXPECT_EQ(anonymous.setName("*U12"), AcDb::kOk);
  EXPECT_EQ(anonymous.setName("*"), AcDb::kInvalidInput);
  EXPECT_EQ(anonymous.setName("*U*"), AcDb::kInvalidInput);
  AcDbLayerTableRecord* rec = nullptr;
  ASSERT_EQ(table->getAt("wall", rec, AcDb::kForRead), AcDb::kOk);
  EXPECT_STREQ(rec->name(), "Wall");
  rec->close();
  table->close();
}

TEST_F(DatabaseTest, ChineseNamesAreNotCaseFolded) {
  // The trail bytes 0x41 and 0x61 are 'A' and 'a', but these are two names.
  addLayer("\x81\x41");
  addLayer("\x81\x61");
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(db()->getSymbolTable(table, AcDb::kForRead), AcDb::kOk);
  AcDbObjectId a, b;
  EXPECT_EQ(table->getAt("\x81\x41", a), AcDb::kOk);
  EXPECT_EQ(table->getAt("\x81\x61", b), AcDb::kOk);
  EXPECT_NE(a, b);
  table->close();
}

TEST_F(DatabaseTest, IteratorSkipsErasedRecordsInTableOrder) {
  addLayer("A");
  AcDbObjectId b = addLayer("B");
  addLayer("C");
  {
    Opened<AcDbLayerTableRecord> rec(b, AcDb::kForWrite);
    ASSERT_EQ(rec->erase(), AcDb::kOk);
  }
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(db()->getSymbolTable(table, AcDb::kForRead), AcDb::kOk);
  AcDbLayerTableIterator* it = nullptr;
  ASSERT_EQ(table->newIterator(it), AcDb::kOk);
  std::string names;
  for (it->start(); !it->done(); it->step()) {
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(it->getRecord(rec, AcDb::kForRead), AcDb::kOk);
    names += rec->name();
    rec->close();
  }
  delete it;
  table->close();
  EXPECT_EQ(names, "0AC");
}

TEST_F(DatabaseTest, LayerStatesSaveRestoreAndDelete) {
  AcDbObjectId wall = addLayer("WALL", 3);
  AcDbLayerStateManager* lsm = db()->getLayerStateManager();
  ASSERT_NE(lsm, nullptr);
  EXPECT_FALSE(lsm->hasLayerState("MYSAVE"));
  EXPECT_EQ(lsm->restoreLayerState("MYSAVE"), AcDb::kKeyNotFound);
  ASSERT_EQ(lsm->saveLayerState("MYSAVE", AcDbLayerStateManager::kAll), AcDb::kOk);
  EXPECT_EQ(lsm->saveLayerState("mysave", 0x1FF), AcDb::kDuplicateKey);
  {
    Opened<AcDbLayerTableRecord> rec(wall, AcDb::kForWrite);
    rec->setIsOff(true);
    rec->setIsLocked(true);
    rec->setColorIndex(5);
  }
  ASSERT_EQ(lsm->restoreLayerState("MYSAVE"), AcDb::kOk);
  {
    Opened<AcDbLayerTableRecord> rec(wall);
    EXPECT_FALSE(rec->isOff());
    EXPECT_FALSE(rec->isLocked());
    EXPECT_EQ(rec->colorIndex(), 3);
  }
  // A state restores only what its mask saved.
  ASSERT_EQ(lsm->deleteLayerState("MYSAVE"), AcDb::kOk);
  ASSERT_EQ(lsm->saveLayerState("MYSAVE", AcDbLayerStateManager::kOn), AcDb::kOk);
  {
    Opened<AcDbLayerTableRecord> rec(wall, AcDb::kForWrite);
    rec->setIsOff(true);
    rec->setColorIndex(5);
  }
  lsm->restoreLayerState("MYSAVE");
  Opened<AcDbLayerTableRecord> rec(wall);
  EXPECT_FALSE(rec->isOff());
  EXPECT_EQ(rec->colorIndex(), 5);
  EXPECT_EQ(lsm->deleteLayerState("NONE"), AcDb::kKeyNotFound);
}

TEST_F(DatabaseTest, RestoringNeverFreezesTheCurrentLayer) {
  AcDbObjectId wall = addLayer("WALL");
  {
    Opened<AcDbLayerTableRecord> rec(wall, AcDb::kForWrite);
    rec->setIsFrozen(true);
  }
  AcDbLayerStateManager* lsm = db()->getLayerStateManager();
  ASSERT_EQ(lsm->saveLayerState("S", AcDbLayerStateManager::kAll), AcDb::kOk);
  {
    Opened<AcDbLayerTableRecord> rec(wall, AcDb::kForWrite);
    rec->setIsFrozen(false);
  }
  ASSERT_EQ(db()->setClayer(wall), AcDb::kOk);
  lsm->restoreLayerState("S");
  Opened<AcDbLayerTableRecord> rec(wall);
  EXPECT_FALSE(rec->isFrozen());
}

TEST_F(DatabaseTest, EntityDataGroups) {
  AcDbObjectId wall = addLayer("WALL");
  AcDbObjectId id = addLine(1, 2, 3, 4, "WALL");
  AcEdName name;
  ASSERT_EQ(acdbGetAdsName(name, id), AcDb::kOk);
  auto groups = [&]() {
    std::string out;
    AcEdResBuf* data = acdbEntGet(name);
    for (AcEdResBuf* rb = data; rb; rb = rb->next) out += std::to_string(rb->type) + " ";
    acutRelRb(data);
    return out;
  };
  // By-layer colour and linetype and a visible entity leave their groups out.
  EXPECT_EQ(groups(), "-1 0 330 5 8 10 11 ");
  {
    Opened<AcDbEntity> e(id, AcDb::kForWrite);
    e->setColorIndex(1);
    e->setLinetype("DASHED");
    e->setVisibility(AcDb::kInvisible);
  }
  EXPECT_EQ(groups(), "-1 0 330 5 8 6 62 60 10 11 ");
  AcEdResBuf* data = acdbEntGet(name);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(data->next->value.string, "LINE");
  acutRelRb(data);
  AcDbObjectId back;
  ASSERT_EQ(acdbGetObjectId(back, name), AcDb::kOk);
  EXPECT_EQ(back, id);
  // Forged names are refused, not followed.
  AcEdName forged = {12345, 77};
  EXPECT_EQ(acdbEntGet(forged), nullptr);
  EXPECT_NE(acdbGetObjectId(back, forged), AcDb::kOk);
  (void)wall;
}

TEST_F(DatabaseTest, BuildListMakesFilterChains) {
  AcEdResBuf* list = acutBuildList(60, 1, 8, "WALL", AcEd::kRtDxf0, "LINE", 40, 2.5, 0);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->type, 60);
  EXPECT_EQ(list->value.shortValue, 1);
  EXPECT_STREQ(list->next->value.string, "WALL");
  EXPECT_EQ(list->next->next->type, 0);
  EXPECT_STREQ(list->next->next->value.string, "LINE");
  EXPECT_DOUBLE_EQ(list->next->next->next->value.real, 2.5);
  EXPECT_EQ(list->next->next->next->next, nullptr);
  acutRelRb(list);
}

}  // namespace
}  // namespace hosttest
