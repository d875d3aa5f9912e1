// A host with one drawing and the layer tool loaded, and a small plan in it:
//
//   WALL  line (0,0)-(10,0)        BEAM line (0,10)-(10,10)
//   COL   line (20,0)-(20,10)      AXIS block reference of "DOORS" at (40,0)
//   "DOORS" holds a DOOR line (0,0)-(2,0), so it shows at (40,0)-(42,0).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "drawhost/host.h"
#include "drawing_builder.h"
#include "hostapi/hostapi.h"

namespace layertool_test {

class LayerToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drawhost::reset();
    drawhost::newDocument("plan.dwg");
    db_ = acdbHostApplicationServices()->workingDatabase();
    drawing_ = std::make_unique<DrawingBuilder>(db_);
    for (const char* name : {"WALL", "BEAM", "COL", "AXIS", "DOOR"}) drawing_->addLayer(name);
    wall_ = drawing_->addLine("WALL", 0, 0, 10, 0);
    beam_ = drawing_->addLine("BEAM", 0, 10, 10, 10);
    column_ = drawing_->addLine("COL", 20, 0, 20, 10);
    doors_ = drawing_->addBlock("DOORS");
    door_ = drawing_->addLine("DOOR", 0, 0, 2, 0, doors_);
    reference_ = drawing_->addReference("AXIS", doors_, 40, 0);
    const drawhost::Result loaded = drawhost::loadPlugin(PLUGIN_PATH);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    drawhost::clearTranscript();
  }

  void TearDown() override { drawhost::reset(); }

  // Runs a script (UTF-8) and returns the transcript it printed, in UTF-8.
  std::string run(const std::string& script) {
    drawhost::clearTranscript();
    const drawhost::Result result = drawhost::runScriptText(script, "test.scr");
    EXPECT_TRUE(result.ok) << result.error;
    return drawhost::gbkToUtf8(drawhost::transcript());
  }

  static bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  LayerSwitches layer(const std::string& name) const { return drawing_->layer(name); }
  bool isOff(const std::string& name) const { return layer(name).off; }
  bool isLocked(const std::string& name) const { return layer(name).locked; }
  bool isFrozen(const std::string& name) const { return layer(name).frozen; }
  bool exists(const std::string& name) const { return layer(name).exists; }

  // Names of the layers that are off, in table order.
  std::string offLayers() const { return layersWhere([](const LayerSwitches& s) { return s.off; }); }
  std::string lockedLayers() const {
    return layersWhere([](const LayerSwitches& s) { return s.locked; });
  }

  template <typename Predicate>
  std::string layersWhere(Predicate predicate) const {
    std::string names;
    for (const char* name : {"0", "WALL", "BEAM", "COL", "AXIS", "DOOR"}) {
      if (!predicate(layer(name))) continue;
      if (!names.empty()) names += ",";
      names += name;
    }
    return names;
  }

  AcDbDatabase* db_ = nullptr;
  std::unique_ptr<DrawingBuilder> drawing_;
  AcDbObjectId wall_, beam_, column_, doors_, door_, reference_;
};

}  // namespace layertool_test
