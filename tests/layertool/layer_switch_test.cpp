// Layer switches by pick: the pick-or-box selection, the loops over the
// layers of a selection and over all layers, and the ten commands.
#include "layertool_fixture.h"

namespace layertool_test {
namespace {

using LayerSwitchTest = LayerToolTest;

TEST_F(LayerSwitchTest, PickSwitchesTheLayerOfThePickedEntity) {
  const std::string out = run("OFF_LAYER\npick 5,0\n");
  EXPECT_TRUE(contains(out, "点取要关闭的图层上图元:")) << out;
  EXPECT_EQ(offLayers(), "WALL");

  run("FROZEN_LAYER\npick 5,10\n");
  EXPECT_TRUE(isFrozen("BEAM"));
  run("LAYER_LOCKED\npick 20,5\n");
  EXPECT_EQ(lockedLayers(), "COL");
  run("LAYER_UNLOCKED\npick 20,5\n");
  EXPECT_EQ(lockedLayers(), "");
}

TEST_F(LayerSwitchTest, PickfirstSetIsUsedWithoutAPrompt) {
  const std::string out = run("select pick 5,0\nselect pick 5,10\nLAYER_LOCKED\n");
  EXPECT_FALSE(contains(out, "点取锁定的图层上图元")) << out;
  EXPECT_EQ(lockedLayers(), "WALL,BEAM");
}

TEST_F(LayerSwitchTest, NestedPickSwitchesTheLayerInsideTheBlock) {
  run("OFF_LAYER\npick 41,0\n");
  EXPECT_EQ(offLayers(), "DOOR");
}

TEST_F(LayerSwitchTest, BoxSelectsTopLevelEntitiesOnly) {
  run("OFF_LAYER\nbox 35,-5 45,5\n");
  EXPECT_EQ(offLayers(), "AXIS");
}

TEST_F(LayerSwitchTest, BoxDirectionChoosesWindowOrCrossing) {
  // The box x 5..25, y -1..5 holds no entity wholly but touches WALL and COL.
  run("OFF_LAYER\nbox 5,-1 25,5\n");
  EXPECT_EQ(offLayers(), "");
  run("OFF_LAYER\nbox 25,5 5,-1\n");
  EXPECT_EQ(offLayers(), "WALL,COL");
}

TEST_F(LayerSwitchTest, VerticalBoxCountsAsWindow) {
  run("OFF_LAYER\nbox 5,-1 5,5\n");
  EXPECT_EQ(offLayers(), "");
  run("OFF_LAYER\nbox -1,-1 11,11\n");
  EXPECT_EQ(offLayers(), "WALL,BEAM");
}

TEST_F(LayerSwitchTest, OsmodeIsOffForTheCornerAndRestoredAfterwards) {
  ASSERT_TRUE(drawhost::setIntVar("OSMODE", 37));
  int atCorner = -1;
  drawhost::setPromptObserver([&](std::string_view prompt) {
    if (drawhost::gbkToUtf8(std::string(prompt)).find("指定对角点") != std::string::npos)
      drawhost::getIntVar("OSMODE", atCorner);
  });
  const std::string out = run("OFF_LAYER\nbox -1,-1 11,5\n");
  drawhost::setPromptObserver(nullptr);
  EXPECT_TRUE(contains(out, "指定对角点:")) << out;
  EXPECT_EQ(atCorner, 0);
  int after = -1;
  drawhost::getIntVar("OSMODE", after);
  EXPECT_EQ(after, 37);
  EXPECT_EQ(offLayers(), "WALL");
}

TEST_F(LayerSwitchTest, CancelledPickOrCornerChangesNothing) {
  ASSERT_TRUE(drawhost::setIntVar("OSMODE", 37));
  run("OFF_LAYER\nesc\n");
  // A missed pick followed by Esc at the opposite corner.
  run("OFF_LAYER\npick 100,100\n100,100\nesc\n");
  // The script runs out at the corner prompt.
  run("OFF_LAYER\npick 100,100\n100,100\n");
  int after = -1;
  drawhost::getIntVar("OSMODE", after);
  EXPECT_EQ(after, 37);
  EXPECT_EQ(offLayers(), "");
}

TEST_F(LayerSwitchTest, TheCurrentLayerIsNotFrozen) {
  drawing_->setCurrentLayer("WALL");
  run("select pick 5,0\nselect pick 5,10\nFROZEN_LAYER\n");
  EXPECT_FALSE(isFrozen("WALL"));
  EXPECT_TRUE(isFrozen("BEAM"));
  EXPECT_EQ(drawing_->currentLayer(), "WALL");
}

TEST_F(LayerSwitchTest, DispLayerLeavesOnExactlyTheSelectedLayers) {
  const std::string out = run("DISP_LAYER\npick 5,0\npick 20,5\nenter\n");
  EXPECT_TRUE(contains(out, "请选择要显示的图层上图元：")) << out;
  EXPECT_EQ(offLayers(), "0,BEAM,AXIS,DOOR");
}

TEST_F(LayerSwitchTest, DispLayerWithPickfirstSetDoesNotAsk) {
  const std::string out = run("select pick 5,10\nDISP_LAYER\n");
  EXPECT_FALSE(contains(out, "请选择要显示的图层上图元")) << out;
  EXPECT_EQ(offLayers(), "0,WALL,COL,AXIS,DOOR");
}

TEST_F(LayerSwitchTest, CancelledSelectionLeavesEveryLayerAsItWas) {
  run("DISP_LAYER\nesc\n");
  EXPECT_EQ(offLayers(), "");
  run("MULTI_LAYER_EDIT\nesc\n");
  EXPECT_EQ(lockedLayers(), "");
}

TEST_F(LayerSwitchTest, MultiLayerEditLeavesUnlockedExactlyTheSelectedLayers) {
  const std::string out = run("MULTI_LAYER_EDIT\nwindow -1,-1 11,11\nenter\n");
  EXPECT_TRUE(contains(out, "请选择要编辑的图层上图元：")) << out;
  EXPECT_EQ(lockedLayers(), "0,COL,AXIS,DOOR");
}

TEST_F(LayerSwitchTest, AllLayerCommandsAskForNothing) {
  run("select all\nLAYER_LOCKED\n");
  run("OFF_LAYER\npick 5,0\n");
  run("FROZEN_LAYER\npick 5,10\n");
  const int regensBefore = drawhost::displayCounters().regens;

  std::string out = run("DISP_LAYER_ALL\nUNLOCK_LAYER_ALL\n");
  EXPECT_EQ(offLayers(), "");
  EXPECT_EQ(lockedLayers(), "");
  EXPECT_TRUE(isFrozen("BEAM"));
  EXPECT_EQ(drawhost::displayCounters().regens, regensBefore);

  out = run("UNFROZEN_LAYER_ALL\n");
  EXPECT_FALSE(isFrozen("BEAM"));
  EXPECT_EQ(drawhost::displayCounters().regens, regensBefore + 1);
  EXPECT_TRUE(contains(out, "Regenerating")) << out;
}

TEST_F(LayerSwitchTest, LayerActiveTakesTheTopLevelEntity) {
  std::string out = run("LAYER_ACTIVE\npick 5,10\n");
  EXPECT_TRUE(contains(out, "请点取将变为当前图层上图元：")) << out;
  EXPECT_EQ(drawing_->currentLayer(), "BEAM");
  run("LAYER_ACTIVE\npick 41,0\n");
  EXPECT_EQ(drawing_->currentLayer(), "AXIS");
  run("LAYER_ACTIVE\nesc\n");
  run("LAYER_ACTIVE\npick 100,100\n");
  EXPECT_EQ(drawing_->currentLayer(), "AXIS");
}

TEST_F(LayerSwitchTest, CommandsRunTransparentlyInsideAPrompt) {
  // LAYER_LOCKED starts while OFF_LAYER waits for its pick.
  run("OFF_LAYER\n'LAYER_LOCKED\npick 20,5\npick 5,0\n");
  EXPECT_EQ(lockedLayers(), "COL");
  EXPECT_EQ(offLayers(), "WALL");
}

}  // namespace
}  // namespace layertool_test
