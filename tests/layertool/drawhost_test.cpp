// The layer tool in the drawhost program on the sample floor plan: each
// test runs one script, then reads the saved drawing back and looks at
// layers, entities and the transcript.
//
// Places on the plan: a BEAM line runs 250,-125 .. 5750,-125 and a WALL
// line 250,-100 .. 5750,-100; the COLUMN square around 0,0 has its right
// edge at x 250 (picked at 250,50, clear of the AXIS line along y 0); an
// AXIS line runs along x 0; the BEAM_REBAR text
// "4%%13225" is picked at 6900,7500; the BEAMMARK reference (layer
// BEAM_TEXT) at 15000,13400 holds a line along x 15000 and a text on
// layer "0" picked at 15100,13750; the TITLE layer is locked and holds two
// texts, one picked at 13600,-3400; FURNITURE is frozen, DEFPOINTS_AUX off.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "drawhost/host.h"
#include "drawhost/io.h"
#include "drawing_builder.h"
#include "hostapi/hostapi.h"
#include "program_files.h"

namespace layertool_test {
namespace {

using testfiles::quote;
using testfiles::readFile;

namespace fs = std::filesystem;

class DrawhostPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("layertool_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  void TearDown() override {
    drawhost::reset();
    fs::remove_all(dir_);
  }

  // Runs drawhost with the layer tool and `script` on the plan, saves the
  // result and reads it back; returns the transcript (UTF-8).
  std::string run(const std::string& script, const std::string& options = "",
                  const std::string& drawing = "") {
    const fs::path scriptPath = dir_ / "run.scr", saved = dir_ / "out.dxf";
    std::ofstream(scriptPath, std::ios::binary) << script;
    const char* root = std::getenv("STRUCTKIT_SOURCE_DIR");
    const std::string plan =
        drawing.empty() ? std::string(root ? root : ".") + "/samples/floorplan.dxf" : drawing;
    const std::string command = quote(DRAWHOST_PROGRAM) + " --load " + quote(PLUGIN_PATH) +
                                " --script " + quote(scriptPath) + " --save " + quote(saved) + options +
                                " " + quote(plan) + " </dev/null >" + quote(dir_ / "stdout") +
                                " 2>" + quote(dir_ / "stderr");
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(dir_ / "stderr");

    drawhost::reset();
    drawhost::newDocument("saved.dwg");
    db_ = acdbHostApplicationServices()->workingDatabase();
    const drawhost::Result read = drawhost::readDxfFile(saved.string(), db_);
    EXPECT_TRUE(read.ok) << read.error;
    drawing_ = std::make_unique<DrawingBuilder>(db_);
    return readFile(dir_ / "stdout");
  }

  LayerSwitches layer(const std::string& name) const { return drawing_->layer(name); }

  // Model-space entities on the layer; with `visible`, only those shown.
  int entitiesOn(const std::string& layerName, bool visibleOnly = false) const {
    int count = 0;
    forEachEntity(db_->modelSpaceId(), [&](AcDbEntity* entity) {
      if (layerName == entity->layer() && (!visibleOnly || entity->visibility() == AcDb::kVisible))
        ++count;
    });
    return count;
  }

  int invisibleIn(AcDbObjectId block) const {
    int count = 0;
    forEachEntity(block, [&](AcDbEntity* entity) {
      if (entity->visibility() == AcDb::kInvisible) ++count;
    });
    return count;
  }

  AcDbObjectId block(const char* name) const {
    AcDbBlockTable* table = nullptr;
    db_->getSymbolTable(table, AcDb::kForRead);
    AcDbObjectId id;
    table->getAt(name, id);
    table->close();
    return id;
  }

  template <typename Visit>
  void forEachEntity(AcDbObjectId blockId, Visit visit) const {
    AcDbBlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, blockId, AcDb::kForRead) != AcDb::kOk) return;
    AcDbBlockTableRecordIterator* iterator = nullptr;
    record->newIterator(iterator);
    for (iterator->start(); !iterator->done(); iterator->step()) {
      AcDbEntity* entity = nullptr;
      if (iterator->getEntity(entity, AcDb::kForRead) != AcDb::kOk) continue;
      visit(entity);
      entity->close();
    }
    delete iterator;
    record->close();
  }

  static bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  fs::path dir_;
  AcDbDatabase* db_ = nullptr;
  std::unique_ptr<DrawingBuilder> drawing_;
};

TEST_F(DrawhostPlanTest, PicksNestedPicksAndBoxesSwitchTheRightLayers) {
  const std::string out = run(
      "OFF_LAYER\npick 3000,-125\n"
      "FROZEN_LAYER\npick 250,50\n"
      "OFF_LAYER\npick 15100,13750\n"
      "LAYER_LOCKED\nbox 15050,13700 14950,13500\n"
      "LAYER_LOCKED\nbox 14950,13500 15050,13700\n"
      "OFF_LAYER\nesc\n");
  EXPECT_TRUE(contains(out, "点取要关闭的图层上图元:pick 3000,-125")) << out;
  EXPECT_TRUE(contains(out, "指定对角点:")) << out;
  EXPECT_TRUE(layer("BEAM").off);
  EXPECT_TRUE(layer("COLUMN").frozen);
  EXPECT_TRUE(layer("0").off);  // the text inside BEAMMARK, not the reference
  EXPECT_FALSE(layer("BEAM_TEXT").off);
  EXPECT_TRUE(layer("BEAM_TEXT").locked);  // only the crossing box caught the reference
  EXPECT_FALSE(layer("WALL").off);
  EXPECT_FALSE(layer("AXIS").off);
}

TEST_F(DrawhostPlanTest, AllLayerCommandsUndoTheSamplesSwitches) {
  const std::string out = run(
      "LAYER_UNLOCKED\npick 13600,-3400\n"
      "DISP_LAYER_ALL\nUNFROZEN_LAYER_ALL\nDISPART_LAYER\n");
  EXPECT_TRUE(contains(out, "Regenerating")) << out;
  EXPECT_TRUE(contains(out, "\nDialog \"过滤分层\" cancelled: the script ended while it was open."))
      << out;
  for (const char* name : {"TITLE", "FURNITURE", "DEFPOINTS_AUX"}) {
    SCOPED_TRACE(name);
    const LayerSwitches switches = layer(name);
    EXPECT_FALSE(switches.off || switches.frozen || switches.locked);
  }
}

TEST_F(DrawhostPlanTest, DispLayerAndMultiLayerEditKeepOnlyTheSelectedLayers) {
  run("DISP_LAYER\npick 3000,-125\npick 3000,-100\nenter\n"
      "MULTI_LAYER_EDIT\nbox 3010,-90 2990,-130\nenter\n");
  for (const char* name : {"0", "AXIS", "COLUMN", "BEAM_TEXT", "BEAM_REBAR", "ROOM", "TITLE"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(layer(name).off);
    EXPECT_TRUE(layer(name).locked);
  }
  for (const char* name : {"BEAM", "WALL"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(layer(name).off);
    EXPECT_FALSE(layer(name).locked);
  }
}

TEST_F(DrawhostPlanTest, MovesAndVisibility) {
  const std::string out = run(
      "select pick 6900,7500\nCHANGE_TO_LAYER\npick 3000,-125\n"
      "LAYER_ACTIVE\npick 0,-1500\nCHANGE_TO_CLAYER\npick 3000,-100\n"
      "ENTITY_HIDE\npick 3000,100\n"
      "ENTITY_HIDE\npick 15100,13750\n"
      "ENTITY_UNHIDE\n");
  EXPECT_EQ(entitiesOn("BEAM_REBAR"), 7);
  EXPECT_EQ(entitiesOn("BEAM"), 35);
  EXPECT_EQ(entitiesOn("WALL"), 7);
  EXPECT_EQ(entitiesOn("AXIS"), 8);
  EXPECT_EQ(entitiesOn("WALL", true), 7);
  // Hidden inside a block: out of reach of the unhide selection.
  EXPECT_EQ(invisibleIn(block("BEAMMARK")), 1);
  EXPECT_EQ(drawing_->currentLayer(), "AXIS");
}

TEST_F(DrawhostPlanTest, LayerClearErasesOrKeepsAndSaysWhy) {
  const std::string out = run(
      "LAYER_CLEAR\npick 3000,-125\n"
      "LAYER_CLEAR\npick 13600,-3400\n"
      "LAYER_CLEAR\nesc\n");
  EXPECT_FALSE(layer("BEAM").exists);
  EXPECT_EQ(entitiesOn("BEAM"), 0);
  EXPECT_EQ(entitiesOn("WALL"), 8);
  EXPECT_TRUE(layer("TITLE").exists);
  EXPECT_EQ(entitiesOn("TITLE"), 2);
  EXPECT_TRUE(contains(out, "\nLayer TITLE kept: 2 entities remain on it.")) << out;
}

TEST_F(DrawhostPlanTest, UndoAfterLayerClearBringsEverythingBackAndRedoClearsAgain) {
  run("");
  const std::string untouched = readFile(dir_ / "out.dxf");
  run("LAYER_CLEAR\npick 3000,-125\n");
  const std::string cleared = readFile(dir_ / "out.dxf");
  ASSERT_NE(cleared, untouched);

  const std::string out = run("LAYER_CLEAR\npick 3000,-125\nUNDO\nenter\nLAYER\n");
  EXPECT_TRUE(contains(out, "\nUndone: LAYER_CLEAR")) << out;
  EXPECT_TRUE(contains(out, "\n  BEAM                 on   no      no      4       CONTINUOUS    34")) << out;
  EXPECT_EQ(readFile(dir_ / "out.dxf"), untouched) << "every entity and the layer with its settings";
  EXPECT_TRUE(layer("BEAM").exists);

  run("LAYER_CLEAR\npick 3000,-125\nU\nREDO\n");
  EXPECT_EQ(readFile(dir_ / "out.dxf"), cleared);
}

TEST_F(DrawhostPlanTest, OsmodeTheUserSetIsBackAfterABoxAtAnOffLayerPrompt) {
  std::string out = run("SETVAR\nOSMODE\n35\nOFF_LAYER\nbox 15050,13700 14950,13500\nOSMODE\nenter\n");
  EXPECT_TRUE(contains(out, "Command: OSMODE\nEnter new value for OSMODE <35>: enter")) << out;
  out = run("OSMODE\n7\nOFF_LAYER\nbox 15050,13700 14950,13500\nGETVAR\nOSMODE\n");
  EXPECT_TRUE(contains(out, "\nOSMODE = 7")) << out;
}

TEST_F(DrawhostPlanTest, RestoredStateMatchesTheSavedOne) {
  run("SAVE_LAYER_STATE\nDISP_LAYER_ALL\nUNLOCK_LAYER_ALL\nUNFROZEN_LAYER_ALL\n"
      "OFF_LAYER\npick 3000,-125\nRESTORE_LAYER_STATE\n");
  EXPECT_TRUE(layer("TITLE").locked);
  EXPECT_TRUE(layer("FURNITURE").frozen);
  EXPECT_TRUE(layer("DEFPOINTS_AUX").off);
  EXPECT_FALSE(layer("BEAM").off);
}

TEST_F(DrawhostPlanTest, SavedLayerStateLivesInTheDrawing) {
  run("SAVE_LAYER_STATE\n");
  ASSERT_TRUE(db_->getLayerStateManager()->hasLayerState("MYSAVE"));
  const fs::path saved = dir_ / "with-state.dxf";
  fs::copy_file(dir_ / "out.dxf", saved);
  // An independent reader finds the drawing sound, objects and all.
  const std::string audit = "/usr/bin/python3 -c \"import sys, ezdxf; a = ezdxf.readfile(sys.argv[1]).audit(); "
                            "sys.exit(len(a.errors) + len(a.fixes))\" " + quote(saved);
  EXPECT_EQ(std::system(audit.c_str()), 0);
  // Reopened: everything switched on, then the state from the drawing put back.
  run("DISP_LAYER_ALL\nUNLOCK_LAYER_ALL\nUNFROZEN_LAYER_ALL\nRESTORE_LAYER_STATE\n", "", saved.string());
  EXPECT_TRUE(layer("TITLE").locked);
  EXPECT_TRUE(layer("FURNITURE").frozen);
  EXPECT_TRUE(layer("DEFPOINTS_AUX").off);
  EXPECT_FALSE(layer("BEAM").off);
  // Saved again, it still holds the one state.
  EXPECT_EQ(db_->getLayerStateManager()->layerStateNames(), std::vector<std::string>{"MYSAVE"});
}

TEST_F(DrawhostPlanTest, LayerSplitDialogIsDrawnAsItOpensAndClosesAndSplitsThePlan) {
  const fs::path pictures = dir_ / "dialogs";
  const std::string out = run(
      "DISPART_LAYER\nclick 208\nclick 210\nclick 212\ntype 204 S\nok\n"
      "crossing -500,-500 6000,500\nenter\npick 3000,-125\npick 3000,-100\nenter\n",
      " --dialog-svg " + quote(pictures));
  EXPECT_TRUE(contains(out, "[过滤分层] type 204 S\n[过滤分层] ok\nSelect objects:")) << out;
  EXPECT_EQ(entitiesOn("BEAM(LINE)(256)_S"), 5);
  EXPECT_EQ(entitiesOn("WALL(LINE)(256)_S"), 3);
  EXPECT_TRUE(layer("BEAM(LINE)(256)_S").exists);

  const std::string opened = readFile(pictures / "dialog-1-opened.svg");
  const std::string closed = readFile(pictures / "dialog-1-closed.svg");
  for (const std::string* svg : {&opened, &closed}) {
    EXPECT_TRUE(contains(*svg, "<title>209 radio button at 107,46 size 33,10</title>"));
    EXPECT_TRUE(contains(*svg, ">  指定</text>"));
    EXPECT_TRUE(contains(*svg, ">线型　</text>"));
    EXPECT_TRUE(contains(*svg, ">过滤分层</text>"));
  }
  EXPECT_FALSE(contains(opened, "&lt;Name&gt;&lt;Color&gt;_S"));
  EXPECT_TRUE(contains(closed, "&lt;Name&gt;&lt;Color&gt;_S"));
  // Both are XML a reader takes.
  const std::string check = "/usr/bin/python3 -c \"import sys, xml.dom.minidom as m; "
                            "[m.parse(f) for f in sys.argv[1:]]\" " +
                            quote(pictures / "dialog-1-opened.svg") + " " +
                            quote(pictures / "dialog-1-closed.svg");
  EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST_F(DrawhostPlanTest, DialogPicturesNeedAFolder) {
  std::ofstream(dir_ / "file") << "x";
  const std::string command = quote(DRAWHOST_PROGRAM) + " --dialog-svg " + quote(dir_ / "file") +
                              " </dev/null >/dev/null 2>" + quote(dir_ / "stderr");
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_TRUE(contains(readFile(dir_ / "stderr"), "it is not a folder"));
}

}  // namespace
}  // namespace layertool_test
