// The layer-split dialog on the small plan of the fixture, driven by the
// script's dialog actions. The plan's lines are coloured here: WALL red (1),
// BEAM by layer, COL green (3) and dashed; the AXIS reference is by layer.
// A window round everything, -1,-1 .. 50,20, selects all four.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layertool_fixture.h"

namespace layertool_test {
namespace {

constexpr char kSelectAll[] = "window -1,-1 50,20\nenter\n";
constexpr char kPickWall[] = "pick 5,0\n";
constexpr char kPickBeam[] = "pick 5,10\n";
constexpr char kPickColumn[] = "pick 20,5\n";

class LayerSplitTest : public LayerToolTest {
 protected:
  void SetUp() override {
    LayerToolTest::SetUp();
    setEntity(wall_, [](AcDbEntity* e) { e->setColorIndex(1); });
    setEntity(column_, [](AcDbEntity* e) {
      e->setColorIndex(3);
      e->setLinetype("DASHED");
    });
    drawhost::setDialogObserver([this](drawhost::DialogStage stage, std::string_view view) {
      views_.push_back({stage, drawhost::gbkToUtf8(std::string(view))});
    });
  }
  void TearDown() override {
    drawhost::setDialogObserver(nullptr);
    EXPECT_EQ(drawhost::openObjectCount(db_), 0);
    LayerToolTest::TearDown();
  }

  template <typename Change>
  void setEntity(AcDbObjectId id, Change change) {
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(entity, id, AcDb::kForWrite), AcDb::kOk);
    change(entity);
    entity->close();
  }

  // Layers of the wall, beam, column and reference, in that order.
  std::string layers() const {
    std::string out;
    for (AcDbObjectId id : {wall_, beam_, column_, reference_})
      out += (out.empty() ? "" : " ") + layerOf(id);
    return out;
  }
  std::string layerOf(AcDbObjectId id) const { return drawhost::gbkToUtf8(drawing_->layerOf(id)); }

  // The dialog as it was last seen (UTF-8), and as it closed.
  std::string lastView() const { return views_.empty() ? "" : views_.back().view; }
  static std::string line(const std::string& view, const std::string& start) {
    const size_t at = view.find("\n  " + start);
    if (at == std::string::npos) return "<no " + start + ">";
    return view.substr(at + 3, view.find('\n', at + 1) - at - 3);
  }

  struct Seen {
    drawhost::DialogStage stage;
    std::string view;
  };
  std::vector<Seen> views_;
};

TEST_F(LayerSplitTest, PickfirstSetIsSplitAsItIsWithTheFilterBoxesDisabledAndCleared) {
  const std::string out = run("select window -1,-1 11,1\nselect pick 20,5\nDISPART_LAYER\n"
                              "click 210\nclick 208\nok\n");
  EXPECT_TRUE(contains(out, "DISPART_LAYER\n  1\nDialog")) << out;
  ASSERT_FALSE(views_.empty());
  const std::string opened = views_.front().view;
  for (const char* box : {"check box 200 \"图层\"", "check box 201 \"颜色\"",
                          "check box 202 \"线型　\"", "check box 203 \"图元\""})
    EXPECT_EQ(line(opened, box), std::string(box) + ", unchecked, disabled");
  EXPECT_FALSE(contains(out, "Select objects")) << out;
  EXPECT_FALSE(contains(out, "点取参考图元")) << out;
  EXPECT_EQ(layers(), "WALL(1) BEAM COL(3) AXIS");
  EXPECT_TRUE(exists("WALL(1)"));
}

TEST_F(LayerSplitTest, DialogOpensAsTheTemplateSaysAndShowsItselfOnce) {
  const std::string out = run("DISPART_LAYER\ncancel\n");
  EXPECT_TRUE(contains(out,
                       "Command: DISPART_LAYER\n  0\n"
                       "Dialog \"过滤分层\" 164 x 146:\n"
                       "  push button 1 \"OK\", default\n"
                       "  push button 2 \"Cancel\"\n"
                       "  group box \"过滤选择\"\n"
                       "  check box 200 \"图层\", checked\n"
                       "  check box 201 \"颜色\", checked\n"
                       "  check box 202 \"线型　\", unchecked\n"
                       "  check box 203 \"图元\", unchecked\n"
                       "  group box \"\"\n"
                       "  edit box 204 \"\"\n"
                       "  combo box 206 \"\", disabled, list: empty\n"
                       "  radio button 207 \"加前缀\", checked\n"
                       "  radio button 208 \"加后缀\", unchecked\n"
                       "  radio button 209 \"  指定\", unchecked\n"
                       "  group box \"前后缀选项\"\n"
                       "  group box \"分层方式\"\n"
                       "  check box 210 \"颜色\", unchecked\n"
                       "  check box 211 \"线型　\", unchecked\n"
                       "  check box 212 \"图元\", unchecked\n"
                       "  static text 213 \"其它:\"\n"
                       "[过滤分层] cancel"))
      << out;
  size_t shown = 0;
  for (size_t at = out.find("Dialog \""); at != std::string::npos; at = out.find("Dialog \"", at + 1))
    ++shown;
  EXPECT_EQ(shown, 1u);
  ASSERT_EQ(views_.size(), 2u);
  EXPECT_EQ(views_[1].stage, drawhost::DialogStage::kClosed);
  EXPECT_EQ(layers(), "WALL BEAM COL AXIS");
}

TEST_F(LayerSplitTest, ReferencePicksAccumulateAUnionHighlightedAfterEachPick) {
  // Layer and colour filters (the defaults): the wall matches only itself, the column only itself.
  bool wallLitBeforeSecondPick = false, columnLitBeforeSecondPick = true;
  int referencePrompts = 0;
  drawhost::setPromptObserver([&](std::string_view prompt) {
    if (drawhost::gbkToUtf8(std::string(prompt)) != "点取参考图元" || ++referencePrompts != 2) return;
    for (auto [id, lit] : {std::pair{wall_, &wallLitBeforeSecondPick}, {column_, &columnLitBeforeSecondPick}}) {
      AcDbEntity* entity = nullptr;
      if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) continue;
      *lit = entity->isHighlighted();
      entity->close();
    }
  });
  const std::string out =
      run(std::string("DISPART_LAYER\nclick 212\nok\n") + kSelectAll + kPickWall + kPickColumn + "enter\n");
  drawhost::setPromptObserver(nullptr);
  EXPECT_TRUE(wallLitBeforeSecondPick);
  EXPECT_FALSE(columnLitBeforeSecondPick);
  EXPECT_EQ(layers(), "(LINE)WALL BEAM (LINE)COL AXIS") << out;
}

TEST_F(LayerSplitTest, EachFilterBoxAloneAndAllTogether) {
  struct Case {
    const char* clicks;     // after the dialog opens, before OK
    const char* reference;  // one pick
    const char* layers;     // afterwards, with the other text X as prefix
  };
  const Case cases[] = {
      // Colour alone: the beam follows its layer (256), so does the reference.
      {"click 200\n", kPickBeam, "WALL X_BEAM COL X_AXIS"},
      // Layer alone.
      {"click 201\n", kPickWall, "X_WALL BEAM COL AXIS"},
      // Entity type alone: every line, not the block reference.
      {"click 200\nclick 201\nclick 203\n", kPickColumn, "X_WALL X_BEAM X_COL AXIS"},
      // Linetype alone: the dashed column.
      {"click 200\nclick 201\nclick 202\n", kPickColumn, "WALL BEAM X_COL AXIS"},
      // All four: only what agrees with the wall in everything.
      {"click 202\nclick 203\n", kPickWall, "X_WALL BEAM COL AXIS"},
      // None: the whole selection.
      {"click 200\nclick 201\n", kPickWall, "X_WALL X_BEAM X_COL X_AXIS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clicks);
    SetUp();  // a fresh plan for each
    run(std::string("DISPART_LAYER\n") + c.clicks + "type 204 X\nok\n" + kSelectAll + c.reference +
        "enter\n");
    EXPECT_EQ(layers(), c.layers);
  }
}

TEST_F(LayerSplitTest, ByLayerReferenceGivesColour256AndLinetypeByLayer) {
  // By colour alone: the beam and the reference follow their layers.
  run(std::string("DISPART_LAYER\nclick 200\nclick 208\nclick 210\nclick 211\nok\n") + kSelectAll + kPickBeam +
      "enter\n");
  EXPECT_EQ(layers(), "WALL BEAM(BYLAYER)(256) COL AXIS(BYLAYER)(256)");
}

TEST_F(LayerSplitTest, ComposedNamesInBothModesAndTheirTemplates) {
  // WALL is red: with colour and entity options and the other text A.
  run("select window -1,-1 11,1\nDISPART_LAYER\nclick 208\nclick 210\nclick 212\ntype 204 A\nok\n");
  EXPECT_EQ(line(lastView(), "combo box 206"), "combo box 206 \"<Name><Color>_A\", disabled, list: empty");
  EXPECT_EQ(layerOf(wall_), "WALL(LINE)(1)_A");

  SetUp();
  views_.clear();
  run("select window -1,-1 11,1\nDISPART_LAYER\nclick 207\nclick 210\nclick 212\ntype 204 A\nok\n");
  EXPECT_EQ(line(lastView(), "combo box 206"), "combo box 206 \"A_<Color><Name>\", disabled, list: empty");
  EXPECT_EQ(layerOf(wall_), "A_(1)(LINE)WALL");
}

TEST_F(LayerSplitTest, NoOptionAndNoOtherTextChangesNothing) {
  for (const char* radio : {"207", "208"}) {
    SCOPED_TRACE(radio);
    run(std::string("select window -1,-1 50,20\nDISPART_LAYER\nclick ") + radio + "\nok\n");
    EXPECT_EQ(layers(), "WALL BEAM COL AXIS");
  }
}

TEST_F(LayerSplitTest, SpecifyModeProposesTheNextFreeNameAndListsTheLayersInTableOrder) {
  drawing_->addLayer("MYNEWLAYER1");
  drawing_->addLayer("MYNEWLAYER2");
  run("select window -1,-1 11,1\nDISPART_LAYER\nclick 210\nclick 209\ncancel\n");
  ASSERT_GE(views_.size(), 3u);
  const std::string specify = views_[views_.size() - 2].view;
  EXPECT_EQ(line(specify, "combo box 206"),
            "combo box 206 \"MYNEWLAYER3\", list: \"0\", \"WALL\", \"BEAM\", \"COL\", \"AXIS\", "
            "\"DOOR\", \"MYNEWLAYER1\", \"MYNEWLAYER2\"");
  EXPECT_EQ(line(specify, "check box 210"), "check box 210 \"颜色\", unchecked, disabled");
  EXPECT_EQ(line(specify, "edit box 204"), "edit box 204 \"\", disabled");
  EXPECT_EQ(line(specify, "static text 213"), "static text 213 \"其它:\", disabled");
  EXPECT_EQ(layers(), "WALL BEAM COL AXIS");
}

TEST_F(LayerSplitTest, SpecifyModeMovesToAChosenOrATypedLayer) {
  run("select window -1,-1 11,1\nDISPART_LAYER\nclick 209\nchoose 206 BEAM\nok\n");
  EXPECT_EQ(layers(), "BEAM BEAM COL AXIS");
  run("select window -1,-1 50,20\nDISPART_LAYER\nclick 209\ntype 206 梁\nok\n");
  EXPECT_EQ(layers(), "梁 梁 梁 梁");
}

TEST_F(LayerSplitTest, SwitchingBackFromSpecifyEmptiesTheListAndShowsTheTemplate) {
  run("DISPART_LAYER\nclick 210\nclick 209\nclick 208\ncancel\n");
  const std::string back = views_[views_.size() - 2].view;
  EXPECT_EQ(line(back, "combo box 206"), "combo box 206 \"\", disabled, list: empty");
  EXPECT_EQ(line(back, "check box 210"), "check box 210 \"颜色\", unchecked");
  run("DISPART_LAYER\nclick 209\nclick 207\nclick 210\ncancel\n");
  EXPECT_EQ(line(views_[views_.size() - 2].view, "combo box 206"),
            "combo box 206 \"<Color>\", disabled, list: empty");
}

TEST_F(LayerSplitTest, NewLayerTakesEverySettingOfTheFirstSourceLayerAndKeepsThem) {
  AcDbLayerTable* table = nullptr;
  db_->getLayerTable(table, AcDb::kForRead);
  AcDbLayerTableRecord* wall = nullptr;
  ASSERT_EQ(table->getAt("WALL", wall, AcDb::kForWrite), AcDb::kOk);
  wall->setColorIndex(5);
  wall->setIsOff(true);
  wall->setVPDFLT(true);
  wall->setIsPlottable(false);
  wall->setLineWeight(AcDb::kLnWt050);
  wall->setPlotStyleName("Thick");
  AcDbObjectId dashed;
  AcDbLinetypeTable* linetypes = nullptr;
  db_->getSymbolTable(linetypes, AcDb::kForRead);
  linetypes->getAt("DASHED", dashed);
  linetypes->close();
  wall->setLinetypeObjectId(dashed);
  wall->close();
  table->close();

  // WALL is off now: "all" still selects its line, and first.
  run("select all\nDISPART_LAYER\nclick 209\ntype 206 TARGET\nok\n");
  EXPECT_EQ(layers(), "TARGET TARGET TARGET TARGET");
  db_->getLayerTable(table, AcDb::kForRead);
  AcDbLayerTableRecord* target = nullptr;
  ASSERT_EQ(table->getAt("TARGET", target, AcDb::kForRead), AcDb::kOk);
  EXPECT_EQ(target->colorIndex(), 5);
  EXPECT_TRUE(target->isOff());
  EXPECT_FALSE(target->isFrozen());
  EXPECT_FALSE(target->isLocked());
  EXPECT_TRUE(target->VPDFLT());
  EXPECT_FALSE(target->isPlottable());
  EXPECT_EQ(target->lineWeight(), AcDb::kLnWt050);
  EXPECT_STREQ(target->plotStyleName(), "Thick");
  EXPECT_EQ(target->linetypeObjectId(), dashed);
  target->close();
  table->close();
}

TEST_F(LayerSplitTest, EntityOnALockedLayerEndsTheSplit) {
  drawing_->setLocked("BEAM", true);
  run("select window -1,-1 50,20\nDISPART_LAYER\ntype 204 X\nok\n");
  EXPECT_EQ(layers(), "X_WALL BEAM COL AXIS");
}

TEST_F(LayerSplitTest, CancelEscAndAnUnfinishedScriptChangeNothing) {
  for (const char* ending : {"cancel\n", "click 2\n", "esc\n", ""}) {
    SCOPED_TRACE(ending);
    views_.clear();
    const std::string out =
        run(std::string("select window -1,-1 50,20\nDISPART_LAYER\ntype 204 X\n") + ending);
    EXPECT_EQ(layers(), "WALL BEAM COL AXIS");
    EXPECT_EQ(contains(out, "Dialog \"过滤分层\" cancelled: the script ended while it was open."),
              *ending == '\0')
        << out;
    ASSERT_FALSE(views_.empty());
    EXPECT_EQ(views_.back().stage, drawhost::DialogStage::kClosed);
  }
}

TEST_F(LayerSplitTest, ChineseOtherTextAsPrefix) {
  run("select window -1,-1 11,1\nDISPART_LAYER\ntype 204 梁板\nok\n");
  EXPECT_EQ(layerOf(wall_), "梁板_WALL");
}

TEST_F(LayerSplitTest, NamesOfUpTo79BytesAreMadeLongerOrInvalidOnesLeaveTheirEntities) {
  // "_WALL" takes 5 bytes: 74 more make 79.
  const std::string fits(74, 'n');
  run("select window -1,-1 11,1\nDISPART_LAYER\ntype 204 " + fits + "\nok\n");
  EXPECT_EQ(layerOf(wall_), fits + "_WALL");

  // 37 two-byte characters and "_BEAM" make 79 bytes; a 38th, or one more byte, does not fit.
  std::string chinese;
  for (int i = 0; i < 37; ++i) chinese += "梁";
  run("select window -1,-1 11,11\nDISPART_LAYER\ntype 204 " + chinese + "\nok\n");
  EXPECT_EQ(layerOf(beam_), chinese + "_BEAM");

  const std::string out = run("select window -1,-1 50,20\nDISPART_LAYER\nclick 208\ntype 204 " +
                              chinese + "梁\nok\n");
  EXPECT_TRUE(contains(out, "\n4 entities stayed on their layers (new layer name longer than 79 bytes: 4)."))
      << out;
  EXPECT_EQ(layers(), fits + "_WALL " + chinese + "_BEAM COL AXIS");

  const std::string refused = run("select window -1,-1 50,20\nDISPART_LAYER\nclick 209\ntype 206 A<B\nok\n");
  EXPECT_TRUE(contains(refused, "\n4 entities stayed on their layers (not a valid layer name: 4)."))
      << refused;
  EXPECT_FALSE(exists("A<B"));
}

TEST_F(LayerSplitTest, ReferenceThatMatchesNothingOfTheSelectionAddsNothing) {
  // The wall alone is selected; the column, picked as the reference, is on another layer.
  run(std::string("DISPART_LAYER\ntype 204 X\nok\nwindow -1,-1 11,1\nenter\n") + kPickColumn + "enter\n");
  EXPECT_EQ(layers(), "WALL BEAM COL AXIS");
  run(std::string("DISPART_LAYER\ntype 204 X\nok\nwindow -1,-1 11,1\nenter\n") + kPickColumn + kPickWall +
      "enter\n");
  EXPECT_EQ(layers(), "X_WALL BEAM COL AXIS");
}

TEST_F(LayerSplitTest, NoSelectionLeavesNothingToSplit) {
  const std::string out = run("DISPART_LAYER\ntype 204 X\nok\nenter\n");
  EXPECT_FALSE(contains(out, "点取参考图元")) << out;
  EXPECT_EQ(layers(), "WALL BEAM COL AXIS");
}

// What the script may and may not do to a dialog.
TEST_F(LayerSplitTest, DialogActionsOnDisabledUnknownOrWrongControlsAreErrorsNamingTheLine) {
  struct Case {
    const char* action;
    const char* error;
  };
  const Case cases[] = {
      {"type 206 X", "test.scr:3: combo box 206 \"\" is disabled"},
      {"click 999", "test.scr:3: dialog \"过滤分层\" has no control 999"},
      {"click -1", "test.scr:3: dialog \"过滤分层\" has no control -1"},
      {"click abc", "test.scr:3: \"abc\" is no control id"},
      {"click 204", "test.scr:3: click needs a push button, check box or radio button; control 204 is an edit box"},
      {"type 200 X", "test.scr:3: type needs an edit box or a combo box with an edit field; control 200 is a check box"},
      {"choose 204 X", "test.scr:3: choose needs a combo box; control 204 is an edit box"},
      {"pick 5,0", "test.scr:3: expected a dialog action or esc at prompt \"[过滤分层] \", got \"pick 5,0\""},
      {"click", "test.scr:3: expected \"click ID\": \"click\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    drawhost::clearTranscript();
    const drawhost::Result result =
        drawhost::runScriptText(std::string("select window -1,-1 50,20\nDISPART_LAYER\n") + c.action +
                                    "\nclick 208\nok\n",
                                "test.scr");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(layers(), "WALL BEAM COL AXIS");
  }
  const drawhost::Result chosen =
      drawhost::runScriptText("DISPART_LAYER\nclick 209\nchoose 206 NOSUCH\n", "test.scr");
  EXPECT_EQ(chosen.error, "test.scr:3: combo box 206 of dialog \"过滤分层\" has no item \"NOSUCH\"");
  const drawhost::Result outside = drawhost::runScriptText("ok\n", "test.scr");
  EXPECT_EQ(outside.error, "test.scr:1: no prompt is waiting for a dialog action: \"ok\"");
}

TEST_F(LayerSplitTest, RadioButtonsOfTheGroupExcludeEachOtherAndCheckBoxesToggle) {
  run("DISPART_LAYER\nclick 209\nclick 208\nclick 200\nclick 200\nclick 201\ncancel\n");
  const std::string view = views_[views_.size() - 2].view;
  EXPECT_EQ(line(view, "radio button 207"), "radio button 207 \"加前缀\", unchecked");
  EXPECT_EQ(line(view, "radio button 208"), "radio button 208 \"加后缀\", checked");
  EXPECT_EQ(line(view, "radio button 209"), "radio button 209 \"  指定\", unchecked");
  EXPECT_EQ(line(view, "check box 200"), "check box 200 \"图层\", checked");
  EXPECT_EQ(line(view, "check box 201"), "check box 201 \"颜色\", unchecked");
}

}  // namespace
}  // namespace layertool_test

namespace layertool_test {
namespace {

TEST_F(LayerToolTest, SplitTemplateIsInThePluginsResourcesOnly) {
  const AcUiDialogTemplate* found = AcUiFindDialogTemplate(GetModuleHandleA("PNSTRATAKIT.arx"), 200);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->language, 0x0804u);
  EXPECT_EQ(std::string(found->font) + " " + std::to_string(found->pointSize) + " " +
                std::to_string(found->cx) + "x" + std::to_string(found->cy),
            "System 10 164x146");
  std::string layout;
  for (const AcUiControlTemplate& c : found->controls)
    layout += std::to_string(c.id) + "@" + std::to_string(c.x) + "," + std::to_string(c.y) + "," +
              std::to_string(c.cx) + "," + std::to_string(c.cy) + " ";
  EXPECT_EQ(layout,
            "1@24,125,42,14 2@92,125,45,14 -1@7,7,150,21 200@13,17,33,10 201@51,17,34,10 "
            "202@88,17,34,10 203@125,17,27,10 -1@7,27,150,94 204@40,86,102,12 206@13,105,137,92 "
            "207@17,46,34,10 208@60,46,34,10 209@107,46,33,10 -1@13,61,136,42 -1@13,36,136,23 "
            "210@21,72,27,10 211@65,72,27,10 212@109,72,25,10 213@16,88,20,10 ");
  EXPECT_EQ(AcUiFindDialogTemplate(GetModuleHandleA("PNSTRATAKIT.arx"), 201), nullptr);
  EXPECT_EQ(AcUiFindDialogTemplate(GetModuleHandleA(nullptr), 200), nullptr);
  EXPECT_EQ(AcUiFindDialogTemplate(reinterpret_cast<HINSTANCE>(&layout), 200), nullptr);

  AcUiDialog missing(999);
  EXPECT_EQ(missing.doModal(), -1);
  EXPECT_TRUE(contains(drawhost::transcript(), "Dialog template 999 is in none of the plug-ins' resources."));
}

}  // namespace
}  // namespace layertool_test
