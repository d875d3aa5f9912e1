// Hiding, moving and erasing entities, and the saved layer state.
#include "drawhost/io.h"
#include "layertool_fixture.h"

namespace layertool_test {
namespace {

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

using VisibilityTest = LayerToolTest;

TEST_F(VisibilityTest, NestedHideReachesTheBlockAndUnhideDoesNot) {
  const std::string out = run("ENTITY_HIDE\npick 5,0\nENTITY_HIDE\npick 41,0\n");
  EXPECT_TRUE(contains(out, "选取要隐去的图元:")) << out;
  EXPECT_FALSE(drawing_->isVisible(wall_));
  EXPECT_FALSE(drawing_->isVisible(door_));
  EXPECT_TRUE(drawing_->isVisible(reference_));

  run("ENTITY_UNHIDE\n");
  EXPECT_TRUE(drawing_->isVisible(wall_));
  EXPECT_FALSE(drawing_->isVisible(door_));
}

TEST_F(VisibilityTest, HidesThePickfirstSetWithoutAsking) {
  const std::string out = run("select window -1,-1 11,11\nENTITY_HIDE\n");
  EXPECT_FALSE(contains(out, "选取要隐去的图元")) << out;
  EXPECT_FALSE(drawing_->isVisible(wall_));
  EXPECT_FALSE(drawing_->isVisible(beam_));
  EXPECT_TRUE(drawing_->isVisible(column_));
}

TEST_F(VisibilityTest, UnhideFindsEntitiesOnOffLayersButNotOnFrozenOnes) {
  run("ENTITY_HIDE\nbox -1,-1 21,11\n");
  ASSERT_FALSE(drawing_->isVisible(column_));
  drawing_->setOff("BEAM", true);
  drawing_->setFrozen("COL", true);
  run("ENTITY_UNHIDE\n");
  EXPECT_TRUE(drawing_->isVisible(wall_));
  EXPECT_TRUE(drawing_->isVisible(beam_));
  EXPECT_FALSE(drawing_->isVisible(column_));
}

TEST_F(VisibilityTest, LockedEntityEndsTheLoopAndKeepsEarlierChanges) {
  // Drawing order: WALL, BEAM, COL.
  drawing_->setLocked("BEAM", true);
  run("select window -1,-1 21,11\nENTITY_HIDE\n");
  EXPECT_FALSE(drawing_->isVisible(wall_));
  EXPECT_TRUE(drawing_->isVisible(beam_));
  EXPECT_TRUE(drawing_->isVisible(column_));
}

using MoveTest = LayerToolTest;

TEST_F(MoveTest, ChangeToLayerAsksAgainUntilNothingIsSelected) {
  const std::string out = run("CHANGE_TO_LAYER\npick 5,0\npick 5,10\nbox 25,5 15,-5\nesc\n");
  EXPECT_TRUE(contains(out, "请点取目标图层上图元：")) << out;
  EXPECT_EQ(count(out, "选取要改变图层的图元:"), 3) << out;
  EXPECT_EQ(drawing_->layerOf(beam_), "WALL");
  EXPECT_EQ(drawing_->layerOf(column_), "WALL");
}

TEST_F(MoveTest, EnterAtThePickStartsABoxThatFurtherEntersEndEmpty) {
  // Enter is no pick: the routine reads the box's drag event (Enter again)
  // and its opposite corner (Enter a third time), which selects nothing.
  const std::string out =
      run("CHANGE_TO_LAYER\npick 5,0\npick 5,10\nenter\nenter\nenter\nOFF_LAYER\npick 20,5\n");
  EXPECT_EQ(count(out, "选取要改变图层的图元:"), 2) << out;
  EXPECT_EQ(drawing_->layerOf(beam_), "WALL");
  EXPECT_EQ(offLayers(), "COL");
}

TEST_F(MoveTest, ChangeToLayerMovesThePickfirstSetOnce) {
  const std::string out = run("select pick 5,10\nCHANGE_TO_LAYER\npick 20,5\n");
  EXPECT_FALSE(contains(out, "选取要改变图层的图元")) << out;
  EXPECT_FALSE(contains(out, "*Cancel*")) << out;
  EXPECT_EQ(drawing_->layerOf(beam_), "COL");
}

TEST_F(MoveTest, BlockReferenceTargetGivesItsOwnLayerAndNestedPickMovesInsideTheBlock) {
  run("CHANGE_TO_LAYER\npick 41,0\npick 41,0\nesc\n");
  EXPECT_EQ(drawing_->layerOf(door_), "AXIS");
  EXPECT_EQ(drawing_->layerOf(reference_), "AXIS");
}

TEST_F(MoveTest, CancelledTargetMovesNothing) {
  run("CHANGE_TO_LAYER\nesc\n");
  run("CHANGE_TO_LAYER\npick 100,100\n");
  EXPECT_EQ(drawing_->layerOf(wall_), "WALL");
  EXPECT_FALSE(contains(run("CHANGE_TO_LAYER\nesc\n"), "选取要改变图层的图元"));
}

TEST_F(MoveTest, ChangeToClayerTakesTheCurrentLayerBeforeSelecting) {
  drawing_->setCurrentLayer("COL");
  run("CHANGE_TO_CLAYER\npick 5,0\n");
  EXPECT_EQ(drawing_->layerOf(wall_), "COL");
  run("select pick 5,10\nCHANGE_TO_CLAYER\n");
  EXPECT_EQ(drawing_->layerOf(beam_), "COL");
  // A selection that ends on a transparent LAYER_ACTIVE still moves to COL.
  run("CHANGE_TO_CLAYER\n'LAYER_ACTIVE\npick 41,0\npick 20,5\n");
  EXPECT_EQ(drawing_->currentLayer(), "AXIS");
  EXPECT_EQ(drawing_->layerOf(column_), "COL");
}

using LayerStateTest = LayerToolTest;

TEST_F(LayerStateTest, RestorePutsBackWhatSaveKept) {
  run("OFF_LAYER\npick 5,0\nSAVE_LAYER_STATE\n");
  run("DISP_LAYER_ALL\nLAYER_LOCKED\npick 5,10\nFROZEN_LAYER\npick 20,5\n");
  run("RESTORE_LAYER_STATE\n");
  EXPECT_EQ(offLayers(), "WALL");
  EXPECT_EQ(lockedLayers(), "");
  EXPECT_FALSE(isFrozen("COL"));
}

TEST_F(LayerStateTest, SecondSaveReplacesTheFirst) {
  run("SAVE_LAYER_STATE\nOFF_LAYER\npick 5,0\nSAVE_LAYER_STATE\nDISP_LAYER_ALL\n");
  AcDbLayerStateManager* manager = db_->getLayerStateManager();
  EXPECT_EQ(manager->layerStateNames(), std::vector<std::string>{"MYSAVE"});
  run("RESTORE_LAYER_STATE\n");
  EXPECT_EQ(offLayers(), "WALL");
}

TEST_F(LayerStateTest, RestoreWithoutSavedStateDoesNothing) {
  run("OFF_LAYER\npick 5,0\n");
  const std::string out = run("RESTORE_LAYER_STATE\n");
  EXPECT_EQ(offLayers(), "WALL");
  EXPECT_EQ(out, "\nCommand: RESTORE_LAYER_STATE");
}

using LayerClearTest = LayerToolTest;

TEST_F(LayerClearTest, ErasesTheEntitiesAndTheLayer) {
  const AcDbObjectId second = drawing_->addLine("WALL", 0, -5, 10, -5);
  const std::string out = run("LAYER_CLEAR\npick 5,0\n");
  EXPECT_TRUE(contains(out, "请点取要清除图层上图元：")) << out;
  EXPECT_TRUE(wall_.isErased());
  EXPECT_TRUE(second.isErased());
  EXPECT_FALSE(beam_.isErased());
  EXPECT_FALSE(exists("WALL"));
}

TEST_F(LayerClearTest, ClearingTheCurrentLayerMakesLayerZeroCurrent) {
  drawing_->setCurrentLayer("BEAM");
  run("LAYER_CLEAR\npick 5,10\n");
  EXPECT_TRUE(beam_.isErased());
  EXPECT_FALSE(exists("BEAM"));
  EXPECT_EQ(drawing_->currentLayer(), "0");
}

TEST_F(LayerClearTest, LayerZeroLosesItsEntitiesButStays) {
  const AcDbObjectId onZero = drawing_->addLine("0", 0, 20, 10, 20);
  run("LAYER_CLEAR\npick 5,20\n");
  EXPECT_TRUE(onZero.isErased());
  EXPECT_TRUE(exists("0"));
  EXPECT_FALSE(wall_.isErased());
}

TEST_F(LayerClearTest, LayerUsedInsideABlockIsKept) {
  const AcDbObjectId loose = drawing_->addLine("DOOR", 60, 0, 70, 0);
  const std::string out = run("LAYER_CLEAR\npick 65,0\n");
  EXPECT_TRUE(loose.isErased());
  EXPECT_FALSE(door_.isErased());
  EXPECT_TRUE(exists("DOOR"));
  EXPECT_EQ(drawing_->layerOf(door_), "DOOR");
  EXPECT_TRUE(contains(out, "\nLayer DOOR kept: 1 entities remain on it.")) << out;
}

TEST_F(LayerClearTest, LayerUsedByAnAttributeIsKept) {
  drawing_->addLayer("TAG");
  const AcDbObjectId attribute = drawing_->addAttribute(reference_, "TAG");
  const AcDbObjectId loose = drawing_->addLine("TAG", 60, 0, 70, 0);
  const std::string out = run("LAYER_CLEAR\npick 65,0\n");
  EXPECT_TRUE(loose.isErased());
  EXPECT_FALSE(attribute.isErased());
  EXPECT_TRUE(exists("TAG"));
  EXPECT_TRUE(contains(out, "kept: 1 entities")) << out;
}

TEST_F(LayerClearTest, LockedLayerKeepsEverything) {
  const AcDbObjectId second = drawing_->addLine("COL", 25, 0, 25, 10);
  drawing_->setLocked("COL", true);
  drawing_->setCurrentLayer("COL");
  const std::string out = run("LAYER_CLEAR\npick 20,5\n");
  EXPECT_FALSE(column_.isErased());
  EXPECT_FALSE(second.isErased());
  EXPECT_TRUE(exists("COL"));
  EXPECT_EQ(drawing_->currentLayer(), "COL");
  EXPECT_TRUE(contains(out, "\nLayer COL kept: 2 entities remain on it.")) << out;
}

TEST_F(LayerClearTest, WildcardCharactersInLayerNamesAreLiteral) {
  for (const char* name : {"A.1", "A-1", "C#1", "C01", "[B]", "B", "~X", "Y"}) drawing_->addLayer(name);
  const AcDbObjectId dotted = drawing_->addLine("A.1", 0, 30, 10, 30);
  const AcDbObjectId dashed = drawing_->addLine("A-1", 0, 32, 10, 32);
  const AcDbObjectId hashed = drawing_->addLine("C#1", 0, 34, 10, 34);
  const AcDbObjectId digits = drawing_->addLine("C01", 0, 36, 10, 36);
  const AcDbObjectId bracketed = drawing_->addLine("[B]", 0, 38, 10, 38);
  const AcDbObjectId plain = drawing_->addLine("B", 0, 40, 10, 40);
  const AcDbObjectId tilde = drawing_->addLine("~X", 0, 42, 10, 42);
  const AcDbObjectId other = drawing_->addLine("Y", 0, 44, 10, 44);

  run("LAYER_CLEAR\npick 5,30\nLAYER_CLEAR\npick 5,34\nLAYER_CLEAR\npick 5,38\n"
      "LAYER_CLEAR\npick 5,42\n");
  for (AcDbObjectId id : {dotted, hashed, bracketed, tilde}) EXPECT_TRUE(id.isErased());
  for (AcDbObjectId id : {dashed, digits, plain, other, wall_}) EXPECT_FALSE(id.isErased());
  EXPECT_FALSE(exists("A.1"));
  EXPECT_FALSE(exists("C#1"));
  EXPECT_TRUE(exists("A-1"));
  EXPECT_TRUE(exists("C01"));
}

TEST_F(LayerClearTest, CancelledPickErasesNothing) {
  run("LAYER_CLEAR\nesc\nLAYER_CLEAR\npick 100,100\n");
  EXPECT_FALSE(wall_.isErased());
  EXPECT_TRUE(exists("WALL"));
}

}  // namespace
}  // namespace layertool_test

namespace layertool_test {
namespace {

// Entities the host does not model are found, hidden, moved and erased like any other.
using KeptEntityTest = LayerToolTest;

TEST_F(KeptEntityTest, LayerCommandsReachEllipsesAndHatches) {
  drawing_->addLayer("KEPT");
  const std::string entities =
      "0\nSECTION\n2\nENTITIES\n"
      "0\nELLIPSE\n8\nKEPT\n100\nAcDbEllipse\n10\n100\n20\n100\n30\n0\n11\n10\n21\n0\n31\n0\n40\n0.5\n41\n0\n42\n6.283185307179586\n"
      "0\nHATCH\n8\nKEPT\n100\nAcDbHatch\n10\n0\n20\n0\n30\n0\n2\nSOLID\n70\n1\n71\n0\n91\n1\n92\n7\n72\n0\n73\n1\n93\n4\n"
      "10\n200\n20\n0\n10\n210\n20\n0\n10\n210\n20\n10\n10\n200\n20\n10\n97\n0\n75\n0\n76\n1\n98\n0\n"
      "0\nENDSEC\n0\nEOF\n";
  ASSERT_TRUE(drawhost::readDxfText(entities, db_).ok);
  std::vector<AcDbObjectId> kept;
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, db_->modelSpaceId(), AcDb::kForRead), AcDb::kOk);
  AcDbBlockTableRecordIterator* it = nullptr;
  space->newIterator(it);
  for (; !it->done(); it->step()) {
    AcDbObjectId id;
    it->getEntityId(id);
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) continue;
    if (AcDbKeptEntity::cast(entity)) kept.push_back(id);
    entity->close();
  }
  delete it;
  space->close();
  ASSERT_EQ(kept.size(), 2u);
  AcDbEntity* ellipse = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(ellipse, kept[0], AcDb::kForRead), AcDb::kOk);
  EXPECT_STREQ(ellipse->isA()->name(), "AcDbEllipse");
  EXPECT_TRUE(ellipse->isKindOf(AcDbKeptEntity::desc()));
  AcDbExtents extents;
  ellipse->getGeomExtents(extents);
  EXPECT_NEAR(extents.maxPoint.x, 110, 1e-9);
  EXPECT_NEAR(extents.maxPoint.y, 105, 1e-9);
  AcDbObjectId ellipseId = ellipse->objectId();
  ellipse->close();
  AcEdName name;
  ASSERT_EQ(acdbGetAdsName(name, ellipseId), AcDb::kOk);
  AcEdResBuf* data = acdbEntGet(name);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(data->next->value.string, "ELLIPSE");
  acutRelRb(data);

  // A pick on the ellipse's outline hides it; a window round the hatch moves it to the current
  // layer; clearing the layer of the ellipse then erases it and the layer.
  run("ENTITY_HIDE\npick 110,100\n");
  EXPECT_FALSE(drawing_->isVisible(kept[0]));
  run("ENTITY_UNHIDE\nCHANGE_TO_CLAYER\nbox 199,-1 211,11\n");
  EXPECT_TRUE(drawing_->isVisible(kept[0]));
  EXPECT_EQ(drawing_->layerOf(kept[1]), "0");
  run("LAYER_CLEAR\npick 110,100\n");
  EXPECT_FALSE(exists("KEPT"));
  const std::string saved = drawhost::dxfText(db_);
  EXPECT_EQ(saved.find("\nELLIPSE\n"), std::string::npos);
  EXPECT_NE(saved.find("\nHATCH\n"), std::string::npos);
}

}  // namespace
}  // namespace layertool_test
