// Drawing files into the host's database and back, seen through the host interface.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>

#include "drawhost/host.h"
#include "drawhost/io.h"
#include "gbk_texts.h"
#include "hostapi/hostapi.h"
#include "model_space.h"

namespace fs = std::filesystem;

namespace {

std::string samplePath() {
  const char* root = std::getenv("STRUCTKIT_SOURCE_DIR");
  return std::string(root ? root : ".") + "/samples/floorplan.dxf";
}

std::string wrap(const std::string& tables, const std::string& entities,
                 const std::string& header = "", const std::string& blocks = "") {
  return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n" + header +
         "0\nENDSEC\n0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n" + tables +
         "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n" + blocks +
         "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

std::string layerRecord(const std::string& name, int flags, int colour) {
  return "0\nLAYER\n2\n" + name + "\n70\n" + std::to_string(flags) + "\n62\n" + std::to_string(colour) +
         "\n6\nContinuous\n";
}

class DxfIo : public ::testing::Test {
 protected:
  void SetUp() override {
    drawhost::reset();
    document_ = drawhost::newDocument();
    db_ = drawhost::database(document_);
  }
  void TearDown() override { drawhost::reset(); }

  AcDbLayerTableRecord* openLayer(const char* name) {
    AcDbLayerTable* table = nullptr;
    if (db_->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return nullptr;
    AcDbLayerTableRecord* record = nullptr;
    table->getAt(name, record, AcDb::kForRead);
    table->close();
    return record;
  }

  std::string name(AcDbObjectId id) {
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, id, AcDb::kForRead) != AcDb::kOk) return "";
    std::string result = AcDbSymbolTableRecord::cast(object)->name();
    object->close();
    return result;
  }

  // Entities of a block by class name, and the texts they hold.
  std::map<std::string, int> census(AcDbObjectId blockId, std::vector<std::string>* texts = nullptr) {
    std::map<std::string, int> counts;
    AcDbBlockTableRecord* block = nullptr;
    if (acdbOpenObject(block, blockId, AcDb::kForRead) != AcDb::kOk) return counts;
    AcDbBlockTableRecordIterator* iterator = nullptr;
    block->newIterator(iterator);
    for (; !iterator->done(); iterator->step()) {
      AcDbEntity* entity = nullptr;
      if (iterator->getEntity(entity, AcDb::kForRead) != AcDb::kOk) continue;
      ++counts[entity->isA()->name()];
      if (auto* text = AcDbText::cast(entity); text && texts) texts->push_back(text->textString());
      entity->close();
    }
    delete iterator;
    block->close();
    return counts;
  }

  AcDbObjectId blockNamed(const char* blockName) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (db_->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return id;
    table->getAt(blockName, id);
    table->close();
    return id;
  }

  AcApDocument* document_ = nullptr;
  AcDbDatabase* db_ = nullptr;
};

}  // namespace

TEST_F(DxfIo, ReadsTheSampleWithEveryLayerSetting) {
  drawhost::ReadReport report;
  const drawhost::Result read = drawhost::readDxfFile(samplePath(), db_, &report);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();

  AcDbLayerTableRecord* title = openLayer("TITLE");
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->isLocked());
  title->close();
  AcDbLayerTableRecord* furniture = openLayer("FURNITURE");
  ASSERT_NE(furniture, nullptr);
  EXPECT_TRUE(furniture->isFrozen());
  furniture->close();
  AcDbLayerTableRecord* aux = openLayer("DEFPOINTS_AUX");
  ASSERT_NE(aux, nullptr);
  EXPECT_TRUE(aux->isOff());
  EXPECT_FALSE(aux->isPlottable());
  EXPECT_EQ(aux->colorIndex(), 9);
  aux->close();
  AcDbLayerTableRecord* axis = openLayer("AXIS");
  ASSERT_NE(axis, nullptr);
  EXPECT_EQ(name(axis->linetypeObjectId()), "CENTER");
  axis->close();
  AcDbLayerTableRecord* column = openLayer("COLUMN");
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(column->lineWeight(), AcDb::kLnWt035);
  column->close();
  EXPECT_EQ(name(db_->clayer()), "0");

  std::vector<std::string> texts;
  const std::map<std::string, int> model = census(db_->modelSpaceId(), &texts);
  EXPECT_EQ(model.at("AcDbBlockReference"), 12);
  EXPECT_EQ(model.at("AcDbMText"), 1);
  EXPECT_EQ(model.at("AcDbPoint"), 3);
  EXPECT_EQ(model.at("AcDbArc"), 1);
  for (const char* expected : {"2%%13225;4%%13222", "%%13010@100/200(4)", "G1.5-1.0", "12-8-12",
                               gbk::kLivingRoom, gbk::kTitle})
    EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;

  std::vector<std::string> nested;
  census(blockNamed("BEAMMARK"), &nested);
  EXPECT_EQ(nested, std::vector<std::string>{"4%%13225"});
  const std::map<std::string, int> tag = census(blockNamed("COLTAG"));
  EXPECT_EQ(tag.at("AcDbAttributeDefinition"), 2);
}

TEST_F(DxfIo, AttributesAndAnglesArriveAsTheHostKeepsThem) {
  const std::string blocks =
      "0\nBLOCK\n2\nTAG\n70\n2\n10\n0\n20\n0\n0\nATTDEF\n10\n0\n20\n0\n40\n2\n1\nx\n3\nName?\n2\nNAME\n70\n1\n"
      "0\nENDBLK\n";
  const std::string entities =
      "0\nINSERT\n8\n0\n66\n1\n2\nTAG\n10\n5\n20\n6\n50\n90\n0\nATTRIB\n10\n5\n20\n6\n40\n2\n1\nKZ1\n2\nNAME\n70\n1\n"
      "0\nSEQEND\n0\nARC\n10\n0\n20\n0\n40\n3\n50\n0\n51\n90\n";
  const drawhost::Result read = drawhost::readDxfText(wrap("", entities, "", blocks), db_);
  ASSERT_TRUE(read.ok) << read.error;
  AcDbBlockTableRecord* model = nullptr;
  ASSERT_EQ(acdbOpenObject(model, db_->modelSpaceId(), AcDb::kForRead), AcDb::kOk);
  AcDbBlockTableRecordIterator* iterator = nullptr;
  model->newIterator(iterator);
  AcDbObjectId referenceId, arcId;
  iterator->getEntityId(referenceId);
  iterator->step();
  iterator->getEntityId(arcId);
  delete iterator;
  model->close();

  AcDbBlockReference* reference = nullptr;
  ASSERT_EQ(acdbOpenObject(reference, referenceId, AcDb::kForRead), AcDb::kOk);
  EXPECT_NEAR(reference->rotation(), std::numbers::pi / 2, 1e-12);
  const AcDbObjectIdArray attributes = reference->attributeIds();
  reference->close();
  ASSERT_EQ(attributes.length(), 1);
  AcDbAttribute* attribute = nullptr;
  ASSERT_EQ(acdbOpenObject(attribute, attributes[0], AcDb::kForRead), AcDb::kOk);
  EXPECT_STREQ(attribute->tag(), "NAME");
  EXPECT_STREQ(attribute->textString(), "KZ1");
  EXPECT_TRUE(attribute->isInvisible());
  attribute->close();

  AcDbArc* arc = nullptr;
  ASSERT_EQ(acdbOpenObject(arc, arcId, AcDb::kForRead), AcDb::kOk);
  EXPECT_NEAR(arc->endAngle(), std::numbers::pi / 2, 1e-12);
  arc->close();

  // Written back, the file says degrees again.
  const std::string written = drawhost::dxfText(db_);
  EXPECT_NE(written.find("\n 51\n90.0\n"), std::string::npos);
  EXPECT_NE(written.find("\n 50\n90.0\n"), std::string::npos);
}

TEST_F(DxfIo, SavingAndReadingAgainChangesNothing) {
  ASSERT_TRUE(drawhost::readDxfFile(samplePath(), db_).ok);
  const std::string first = drawhost::dxfText(db_);
  AcApDocument* second = drawhost::newDocument();
  const drawhost::Result read = drawhost::readDxfText(first, drawhost::database(second), nullptr, "first");
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(drawhost::dxfText(drawhost::database(second)), first);
  EXPECT_EQ(drawhost::svgText(drawhost::database(second)), drawhost::svgText(db_));
}

// A character above U+FFFF from a newer (UTF-8) drawing is saved as the escapes of its UTF-16
// pair and comes back as itself, in the drawing and in the picture.
TEST_F(DxfIo, CharactersAboveTheBasicPlaneComeBackAsThemselves) {
  const std::string newer = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1032\n0\nENDSEC\n"
                            "0\nSECTION\n2\nENTITIES\n0\nTEXT\n10\n0\n20\n0\n40\n1\n"
                            "1\nA\xF0\x9F\x98\x80\xE6\xA2\x81\n0\nENDSEC\n0\nEOF\n";
  ASSERT_TRUE(drawhost::readDxfText(newer, db_).ok);
  const std::string saved = drawhost::dxfText(db_);
  EXPECT_NE(saved.find("\nA\\U+D83D\\U+DE00\xC1\xBA\n"), std::string::npos);
  AcApDocument* second = drawhost::newDocument();
  ASSERT_TRUE(drawhost::readDxfText(saved, drawhost::database(second)).ok);
  EXPECT_EQ(drawhost::dxfText(drawhost::database(second)), saved);
  EXPECT_NE(drawhost::svgText(drawhost::database(second)).find(">A\xF0\x9F\x98\x80\xE6\xA2\x81<"),
            std::string::npos);
}

// A Chinese drawing's text style names a big font and narrows its characters: without both the
// editor could not show the texts as drawn.
TEST_F(DxfIo, TextStylesKeepTheirFontsWidthsAndSlant) {
  const std::string tables =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n0\nSECTION\n2\nTABLES\n"
      "0\nTABLE\n2\nSTYLE\n0\nSTYLE\n2\nHZ\n70\n4\n40\n3.5\n41\n0.7\n50\n15\n71\n2\n42\n3.5\n"
      "3\ntssdeng.shx\n4\nhztxt.shx\n0\nSTYLE\n2\n\n70\n1\n3\nltypeshp.shx\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
  ASSERT_TRUE(drawhost::readDxfText(tables, db_).ok);
  AcDbTextStyleTable* styles = nullptr;
  ASSERT_EQ(db_->getSymbolTable(styles, AcDb::kForRead), AcDb::kOk);
  AcDbTextStyleTableRecord* hz = nullptr;
  ASSERT_EQ(styles->getAt("HZ", hz, AcDb::kForRead), AcDb::kOk);
  styles->close();
  EXPECT_STREQ(hz->fileName(), "tssdeng.shx");
  EXPECT_STREQ(hz->bigFontFileName(), "hztxt.shx");
  EXPECT_DOUBLE_EQ(hz->xScale(), 0.7);
  EXPECT_DOUBLE_EQ(hz->obliquingAngle(), 15 * 3.14159265358979323846 / 180);
  hz->close();
  const std::string saved = drawhost::dxfText(db_);
  EXPECT_NE(saved.find("\nHZ\n 70\n4\n 40\n3.5\n 41\n0.7\n 50\n15.0\n 71\n2\n 42\n3.5\n"
                       "  3\ntssdeng.shx\n  4\nhztxt.shx\n"),
            std::string::npos)
      << saved;
  AcApDocument* second = drawhost::newDocument();
  ASSERT_TRUE(drawhost::readDxfText(saved, drawhost::database(second)).ok);
  EXPECT_EQ(drawhost::dxfText(drawhost::database(second)), saved);
}

// True colour, transparency, thickness, linetype scale and extended data come back; a handle
// in extended data does not (objects get new handles); a new colour index drops the true colour.
TEST_F(DxfIo, WhatTheHostDoesNotModelOnAnEntityComesBack) {
  const std::string drawing = wrap("", "0\nLINE\n8\n0\n62\n1\n420\n1193046\n440\n33554559\n48\n0.5\n"
                                       "100\nAcDbLine\n39\n2.5\n10\n0\n20\n0\n11\n5\n21\n0\n"
                                       "1001\nAPP\n1000\nbeam\n1005\n1F\n1070\n7\n");
  ASSERT_TRUE(drawhost::readDxfText(drawing, db_).ok);
  const std::string saved = drawhost::dxfText(db_);
  for (const char* part : {"420\n1193046\n440\n33554559\n", " 48\n0.5\n", " 39\n2.5\n",
                           "1001\nAPP\n1000\nbeam\n1070\n7\n", "\n  2\nAPP\n"})
    EXPECT_NE(saved.find(part), std::string::npos) << part;
  EXPECT_EQ(saved.find("1005"), std::string::npos);
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, db_->modelSpaceId(), AcDb::kForRead), AcDb::kOk);
  AcDbBlockTableRecordIterator* it = nullptr;
  space->newIterator(it);
  AcDbObjectId id;
  it->getEntityId(id);
  delete it;
  space->close();
  AcDbEntity* line = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(line, id, AcDb::kForWrite), AcDb::kOk);
  EXPECT_DOUBLE_EQ(line->linetypeScale(), 0.5);
  line->setColorIndex(3);
  line->close();
  const std::string recoloured = drawhost::dxfText(db_);
  EXPECT_EQ(recoloured.find("420\n"), std::string::npos);
  EXPECT_NE(recoloured.find("440\n33554559\n"), std::string::npos);
}

TEST_F(DxfIo, AppliesTheCurrentLayerAndFrozenLayersAfterTheEntities) {
  const std::string tables = layerRecord("0", 1, 7) + layerRecord("WORK", 5, 3);
  const std::string entities = "0\nLINE\n8\nWORK\n10\n0\n20\n0\n11\n1\n21\n1\n";
  drawhost::ReadReport report;
  const drawhost::Result read =
      drawhost::readDxfText(wrap(tables, entities, "9\n$CLAYER\n8\nWORK\n"), db_, &report);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(name(db_->clayer()), "WORK");
  AcDbLayerTableRecord* zero = openLayer("0");
  ASSERT_NE(zero, nullptr);
  EXPECT_TRUE(zero->isFrozen());
  zero->close();
  AcDbLayerTableRecord* work = openLayer("WORK");
  ASSERT_NE(work, nullptr);
  EXPECT_FALSE(work->isFrozen());  // the host never freezes the current layer
  EXPECT_TRUE(work->isLocked());   // and the line on it still came in
  work->close();
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_EQ(report.warnings[0], "layer WORK is current and was left thawed");
  EXPECT_EQ(census(db_->modelSpaceId()).at("AcDbLine"), 1);
}

TEST_F(DxfIo, AnonymousBlocksDoNotStopTheReading) {
  const std::string blocks = "0\nBLOCK\n2\n*U1\n70\n1\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n";
  const std::string entities = "0\nINSERT\n2\n*U1\n10\n0\n20\n0\n0\nPOINT\n10\n1\n20\n1\n";
  drawhost::ReadReport report;
  const drawhost::Result read = drawhost::readDxfText(wrap("", entities, "", blocks), db_, &report);
  ASSERT_TRUE(read.ok) << read.error;
  const std::map<std::string, int> model = census(db_->modelSpaceId());
  EXPECT_EQ(model.at("AcDbPoint"), 1);
  // Either the host keeps the block and its reference, or it says what it left out.
  EXPECT_TRUE(model.count("AcDbBlockReference") == 1 || !report.warnings.empty());
}

TEST_F(DxfIo, ErrorsNameTheDrawing) {
  drawhost::Result read = drawhost::readDxfText("0\nSECTION\n2\nENTITIES\n0\nLINE\n", db_, nullptr, "plan.dxf");
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.error, "plan.dxf: line 6: the file ends inside a list of entities");
  read = drawhost::readDxfFile("/no/such/plan.dxf", db_);
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.error, "cannot open drawing /no/such/plan.dxf: No such file or directory");
}

TEST(AtomicWrite, ReplacesOnlyWhenCompleteAndLeavesNothingBehind) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("atomic_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path target = dir / "plan.dxf";
  std::ofstream(target) << "old";
  ASSERT_TRUE(drawhost::writeFileAtomically(target.string(), "new contents").ok);
  std::ifstream in(target);
  std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(contents, "new contents");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::others_write, fs::perms::none);

  const drawhost::Result failed = drawhost::writeFileAtomically((dir / "missing" / "x.dxf").string(), "x");
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.error.find("cannot write"), std::string::npos);
  // A directory in the way of the rename: the temporary file is removed again.
  fs::create_directories(dir / "taken.dxf" / "inner");
  EXPECT_FALSE(drawhost::writeFileAtomically((dir / "taken.dxf").string(), "x").ok);
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir)) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 1);
  fs::remove_all(dir);
}

namespace {

AcDbObjectId appendRegion(AcDbDatabase* db, std::vector<AcDbRegionLoop> loops) {
  auto* region = new AcDbRegion();
  region->setLoops(std::move(loops));
  AcDbBlockTableRecord* model = nullptr;
  AcDbObjectId id;
  if (acdbOpenObject(model, db->modelSpaceId(), AcDb::kForWrite) != AcDb::kOk) return id;
  model->appendAcDbEntity(id, region);
  region->close();
  model->close();
  return id;
}

std::vector<AcDbRegion*> regionsOf(AcDbDatabase* db) {
  std::vector<AcDbRegion*> out;
  testfiles::forEachInModelSpace(db, [&](AcDbEntity* e) {
    if (auto* r = AcDbRegion::cast(e)) out.push_back(static_cast<AcDbRegion*>(r->clone()));
    return false;
  });
  return out;
}

// The data groups of every REGION in a drawing file, in order.
std::vector<std::string> modelerGroups(const std::string& dxf) {
  std::vector<std::string> out;
  std::istringstream in(dxf);
  bool inRegion = false;
  for (std::string code, value; std::getline(in, code) && std::getline(in, value);) {
    if (code == "  0") inRegion = value == "REGION";
    else if (inRegion && (code == "  1" || code == "  3")) out.push_back(code + ":" + value);
  }
  return out;
}

}  // namespace

TEST_F(DxfIo, RegionsAreSavedWithTheirShapeAndReadBack) {
  // A square with a hole that has a clockwise arc; a whole circle as two halves.
  const std::vector<std::vector<AcDbRegionLoop>> shapes = {
      {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, {{2, 2, 0}, {2, 8, 0}, {8, 8, -0.5}, {8, 2, 0}}},
      {{{3, 0, 1}, {-3, 0, 1}}},
  };
  for (const auto& loops : shapes) appendRegion(db_, loops);
  std::vector<std::string> warnings;
  const std::string written = drawhost::dxfText(db_, &warnings);
  EXPECT_TRUE(warnings.empty());
  // Lines: header 3, body, lump and shell, face and plane, per loop 1 and 5 per edge, the end.
  EXPECT_EQ(modelerGroups(written).size(), (3 + 3 + 2 + 21 + 21 + 1) + (3 + 3 + 2 + 11 + 1u));
  AcApDocument* second = drawhost::newDocument();
  drawhost::ReadReport report;
  ASSERT_TRUE(drawhost::readDxfText(written, drawhost::database(second), &report).ok);
  EXPECT_TRUE(report.warnings.empty());
  const std::vector<AcDbRegion*> back = regionsOf(drawhost::database(second));
  ASSERT_EQ(back.size(), 2u);
  for (size_t i = 0; i < back.size(); ++i) {
    AcDbRegion original;
    original.setLoops(shapes[i]);
    double expected = 0, area = 0;
    original.getArea(expected);
    back[i]->getArea(area);
    EXPECT_NEAR(area, expected, 1e-12 * expected);
    EXPECT_EQ(back[i]->loops().size(), shapes[i].size());
  }
  // Saved again unchanged, the file says the same.
  EXPECT_EQ(drawhost::dxfText(drawhost::database(second)), written);
  for (AcDbRegion* r : back) delete r;
}

TEST_F(DxfIo, RegionDataFromElsewhereIsKeptAsItWas) {
  appendRegion(db_, {{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}}});
  const std::string readable = drawhost::dxfText(db_);
  const size_t start = readable.find("  0\nREGION");
  const size_t stop = readable.find("  0\nENDSEC", start);
  const std::string region = readable.substr(start, stop - start);
  // The same region with one edge on a spline, which the host does not read, and one whose
  // data is not in the record (newer files keep it elsewhere).
  auto mirrored = [](std::string text) {
    for (char& c : text) c = static_cast<char>(159 - static_cast<unsigned char>(c));
    return text;
  };
  std::string onSpline = region;
  onSpline.replace(onSpline.find(mirrored("straight-curve")), 14, mirrored("intcurve-curve"));
  const std::string withoutData = "  0\nREGION\n  8\n0\n100\nAcDbModelerGeometry\n 70\n1\n";
  const std::string text =
      readable.substr(0, start) + region + onSpline + withoutData + readable.substr(stop);

  AcApDocument* second = drawhost::newDocument();
  drawhost::ReadReport report;
  ASSERT_TRUE(drawhost::readDxfText(text, drawhost::database(second), &report).ok);
  ASSERT_EQ(report.warnings.size(), 2u);
  EXPECT_EQ(report.warnings[0],
            "skipped entities of kinds the host does not keep: 1 REGION (modeler data not in the "
            "record)");
  EXPECT_EQ(report.warnings[1],
            "kept 1 region whose modeler data the host cannot read as they are (an edge lies on a "
            "curve of kind intcurve-curve): they are written back unchanged but not drawn and "
            "have no area");
  std::vector<AcDbRegion*> regions = regionsOf(drawhost::database(second));
  ASSERT_EQ(regions.size(), 2u);
  EXPECT_EQ(regions[0]->loops().size(), 1u);
  EXPECT_TRUE(regions[1]->loops().empty());
  for (AcDbRegion* r : regions) delete r;
  EXPECT_EQ(modelerGroups(drawhost::dxfText(drawhost::database(second))),
            modelerGroups(region + onSpline));

  // An unread region cannot be moved; a read one can, and is then written from its new shape.
  std::vector<AcDb::Status> moves;
  testfiles::forEachInModelSpace(drawhost::database(second), [&](AcDbEntity* e) {
    if (e->upgradeOpen() == AcDb::kOk)
      moves.push_back(e->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0))));
    return false;
  });
  EXPECT_EQ(moves, (std::vector<AcDb::Status>{AcDb::kOk, AcDb::kNotApplicable}));
  regions = regionsOf(drawhost::database(second));
  EXPECT_EQ(regions[0]->loops()[0][0].x, 5);
  EXPECT_TRUE(regions[0]->keptData().empty());
  EXPECT_FALSE(regions[1]->keptData().empty());
  for (AcDbRegion* r : regions) delete r;
}

// Paper space: entities marked 67 in the entities section and those of the first layout's
// block go to the paper-space block, and are saved there again; another layout's block is kept
// as a block.
TEST_F(DxfIo, PaperSpaceAndOtherLayoutsAreKept) {
  const std::string line = "0\nLINE\n8\n0\n67\n1\n10\n0\n20\n0\n11\n1\n21\n1\n";
  const std::string blocks = "0\nBLOCK\n2\n*Paper_Space\n70\n0\n10\n0\n20\n0\n" +
                             std::string("0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n2\n0\nENDBLK\n") +
                             "0\nBLOCK\n2\n*Paper_Space0\n70\n0\n10\n0\n20\n0\n" + line + "0\nENDBLK\n";
  drawhost::ReadReport report;
  ASSERT_TRUE(drawhost::readDxfText(wrap("", line + "0\nPOINT\n8\n0\n10\n5\n20\n5\n", "", blocks), db_, &report).ok);
  EXPECT_TRUE(report.warnings.empty());
  EXPECT_EQ(census(blockNamed("*Paper_Space0")), (std::map<std::string, int>{{"AcDbLine", 1}}));
  const std::map<std::string, int> paper{{"AcDbCircle", 1}, {"AcDbLine", 1}};
  EXPECT_EQ(census(blockNamed(ACDB_PAPER_SPACE)), paper);
  EXPECT_EQ(census(db_->modelSpaceId()), (std::map<std::string, int>{{"AcDbPoint", 1}}));
  const std::string saved = drawhost::dxfText(db_);
  AcApDocument* second = drawhost::newDocument();
  ASSERT_TRUE(drawhost::readDxfText(saved, drawhost::database(second)).ok);
  db_ = drawhost::database(second);
  EXPECT_EQ(census(blockNamed(ACDB_PAPER_SPACE)), paper);
  EXPECT_EQ(drawhost::dxfText(db_), saved);
}

// Dimension styles, views and UCS come back; a dimension style's text style and arrow block,
// named by handle, name the same style and block in the saved drawing under their new handles.
TEST_F(DxfIo, DimensionStylesViewsAndUcsComeBackWithWhatTheyName) {
  const std::string drawing =
      "0\nSECTION\n2\nTABLES\n"
      "0\nTABLE\n2\nSTYLE\n0\nSTYLE\n5\n2A\n2\nHZ\n70\n0\n3\ntssdeng.shx\n0\nENDTAB\n"
      "0\nTABLE\n2\nVIEW\n0\nVIEW\n5\n40\n100\nAcDbSymbolTableRecord\n100\nAcDbViewTableRecord\n"
      "2\nFRONT\n70\n0\n40\n12.5\n0\nENDTAB\n"
      "0\nTABLE\n2\nUCS\n0\nUCS\n5\n41\n2\nTILTED\n70\n0\n10\n1\n20\n2\n30\n0\n0\nENDTAB\n"
      "0\nTABLE\n2\nDIMSTYLE\n0\nDIMSTYLE\n105\n42\n102\n{ACAD_REACTORS\n330\n99\n102\n}\n"
      "100\nAcDbSymbolTableRecord\n100\nAcDbDimStyleTableRecord\n2\nSTRUCT\n70\n0\n40\n100\n"
      "340\n2A\n342\n50\n345\n77\n0\nENDTAB\n"
      "0\nTABLE\n2\nBLOCK_RECORD\n0\nBLOCK_RECORD\n5\n50\n2\n_ArchTick\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\n_ArchTick\n70\n0\n10\n0\n20\n0\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n0\nENDSEC\n0\nEOF\n";
  ASSERT_TRUE(drawhost::readDxfText(drawing, db_).ok);
  const std::string saved = drawhost::dxfText(db_);
  auto handleOf = [&](const std::string& record) {
    const size_t at = saved.find(record);
    if (at == std::string::npos) return std::string("none");
    const size_t value = saved.rfind("\n  5\n", at);
    return saved.substr(value + 5, saved.find('\n', value + 5) - value - 5);
  };
  const std::string style = handleOf("\nAcDbTextStyleTableRecord\n  2\nHZ\n");
  const std::string arrow = handleOf("\nAcDbBlockTableRecord\n  2\n_ArchTick\n");
  EXPECT_NE(saved.find("AcDbDimStyleTableRecord\n  2\nSTRUCT\n 70\n0\n 40\n100\n340\n" + style +
                       "\n342\n" + arrow + "\n  0\nENDTAB\n"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("AcDbViewTableRecord\n  2\nFRONT\n 70\n0\n 40\n12.5\n"), std::string::npos);
  EXPECT_NE(saved.find("AcDbUCSTableRecord\n  2\nTILTED\n 70\n0\n 10\n1\n 20\n2\n 30\n0\n"), std::string::npos);
  EXPECT_NE(saved.find("AcDbDimStyleTableRecord\n  2\nStandard\n"), std::string::npos);  // always there
  AcApDocument* second = drawhost::newDocument();
  ASSERT_TRUE(drawhost::readDxfText(saved, drawhost::database(second)).ok);
  EXPECT_EQ(drawhost::dxfText(drawhost::database(second)), saved);
}

// A 3-D polyline is kept whole with its vertices, on whatever layer it is moved to; the widths
// of a lightweight polyline's vertices come back.
TEST_F(DxfIo, ThreeDimensionalPolylinesAndPolylineWidthsComeBack) {
  const std::string entities =
      "0\nPOLYLINE\n5\n60\n8\nA\n66\n1\n100\nAcDb3dPolyline\n10\n0\n20\n0\n30\n0\n70\n8\n"
      "0\nVERTEX\n5\n61\n330\n60\n8\nA\n100\nAcDbVertex\n100\nAcDb3dPolylineVertex\n10\n1\n20\n2\n30\n3\n70\n32\n"
      "0\nVERTEX\n5\n62\n8\nA\n10\n4\n20\n5\n30\n6\n70\n32\n0\nSEQEND\n5\n63\n8\nA\n"
      "0\nLWPOLYLINE\n8\n0\n90\n2\n70\n0\n10\n0\n20\n0\n40\n1\n41\n2\n10\n5\n20\n0\n";
  ASSERT_TRUE(drawhost::readDxfText(wrap(layerRecord("A", 0, 1) + layerRecord("B", 0, 2), entities), db_).ok);
  EXPECT_EQ(census(db_->modelSpaceId()), (std::map<std::string, int>{{"AcDb3dPolyline", 1}, {"AcDbPolyline", 1}}));
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, db_->modelSpaceId(), AcDb::kForRead), AcDb::kOk);
  AcDbBlockTableRecordIterator* it = nullptr;
  space->newIterator(it);
  AcDbEntity* polyline = nullptr;
  ASSERT_EQ(it->getEntity(polyline, AcDb::kForWrite), AcDb::kOk);
  delete it;
  space->close();
  AcDbExtents box;
  ASSERT_EQ(polyline->getGeomExtents(box), AcDb::kOk);
  EXPECT_DOUBLE_EQ(box.maxPoint.x, 4);
  polyline->setLayer("B");
  polyline->close();
  const std::string saved = drawhost::dxfText(db_);
  EXPECT_NE(saved.find("\nVERTEX\n"), std::string::npos);
  for (const char* part : {"100\nAcDb3dPolyline\n", "\nB\n100\nAcDbVertex\n100\nAcDb3dPolylineVertex\n 10\n1\n 20\n2\n 30\n3\n",
                           "  0\nSEQEND\n", " 10\n0.0\n 20\n0.0\n 40\n1.0\n 41\n2.0\n"})
    EXPECT_NE(saved.find(part), std::string::npos) << part << saved;
  EXPECT_EQ(saved.find("\nA\n100\nAcDbVertex"), std::string::npos);
  AcApDocument* second = drawhost::newDocument();
  ASSERT_TRUE(drawhost::readDxfText(saved, drawhost::database(second)).ok);
  EXPECT_EQ(drawhost::dxfText(drawhost::database(second)), saved);
}

// Objects come back with their new handles: a group keeps the members that are still there, an
// entity keeps its extension dictionary and its records, the root keeps the application's
// dictionary; what belonged to nothing the host keeps is left out and said.
TEST_F(DxfIo, ObjectsComeBackNamingWhatIsStillThere) {
  const std::string entities =
      "0\nLINE\n5\n2A\n102\n{ACAD_XDICTIONARY\n360\n60\n102\n}\n8\n0\n10\n0\n20\n0\n11\n1\n21\n0\n"
      "0\nLINE\n5\n2B\n8\nGONE\n10\n0\n20\n1\n11\n1\n21\n1\n";
  const std::string objects =
      "0\nSECTION\n2\nOBJECTS\n"
      "0\nDICTIONARY\n5\nC\n330\n0\n100\nAcDbDictionary\n3\nACAD_GROUP\n350\nD\n3\nSTRUCTKIT\n350\n70\n"
      "0\nDICTIONARY\n5\nD\n330\nC\n100\nAcDbDictionary\n3\nBEAMS\n350\n50\n"
      "0\nGROUP\n5\n50\n330\nD\n100\nAcDbGroup\n300\nbeams\n70\n0\n71\n1\n340\n2A\n340\n2B\n"
      "0\nDICTIONARY\n5\n60\n330\n2A\n100\nAcDbDictionary\n3\nDATA\n360\n61\n"
      "0\nXRECORD\n5\n61\n330\n60\n100\nAcDbXrecord\n1\nKL1\n40\n3.5\n"
      "0\nDICTIONARY\n5\n70\n100\nAcDbDictionary\n3\nSETTINGS\n350\n71\n"
      "0\nXRECORD\n5\n71\n100\nAcDbXrecord\n1\nHRB400\n"
      "0\nXRECORD\n5\n80\n330\n99\n100\nAcDbXrecord\n1\nowned by a table\n0\nENDSEC\n";
  std::string drawing = wrap(layerRecord("GONE", 0, 1), entities);
  drawing.insert(drawing.rfind("0\nEOF"), objects);
  drawhost::ReadReport report;
  ASSERT_TRUE(drawhost::readDxfText(drawing, db_, &report).ok);
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_EQ(report.warnings[0], "left out 1 object belonging to what the host does not keep");
  // The second line goes.
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, db_->modelSpaceId(), AcDb::kForRead), AcDb::kOk);
  AcDbBlockTableRecordIterator* it = nullptr;
  space->newIterator(it);
  it->step();
  AcDbEntity* second = nullptr;
  ASSERT_EQ(it->getEntity(second, AcDb::kForWrite), AcDb::kOk);
  delete it;
  space->close();
  ASSERT_EQ(second->erase(), AcDb::kOk);
  second->close();
  const std::string saved = drawhost::dxfText(db_);
  const size_t line = saved.find("\nLINE\n");
  ASSERT_NE(line, std::string::npos);
  const std::string head = saved.substr(line, saved.find("100\nAcDbEntity", line) - line);
  const size_t self = head.find("  5\n") + 4;
  const std::string lineHandle = head.substr(self, head.find('\n', self) - self);
  EXPECT_NE(head.find("102\n{ACAD_XDICTIONARY\n360\n"), std::string::npos) << head;
  EXPECT_NE(saved.find("100\nAcDbGroup\n300\nbeams\n 70\n0\n 71\n1\n340\n" + lineHandle + "\n  0\n"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("330\n" + lineHandle + "\n100\nAcDbDictionary\n  3\nDATA\n360\n"), std::string::npos);
  EXPECT_NE(saved.find("100\nAcDbXrecord\n  1\nKL1\n 40\n3.5\n"), std::string::npos);
  EXPECT_NE(saved.find("  3\nSTRUCTKIT\n350\n"), std::string::npos);
  EXPECT_NE(saved.find("  1\nHRB400\n"), std::string::npos);
  EXPECT_EQ(saved.find("owned by a table"), std::string::npos);
  AcApDocument* again = drawhost::newDocument();
  ASSERT_TRUE(drawhost::readDxfText(saved, drawhost::database(again)).ok);
  EXPECT_EQ(drawhost::dxfText(drawhost::database(again)), saved);
}

TEST_F(DxfIo, AttributesKeepTheirExtendedData) {
  const std::string blocks = "0\nBLOCK\n2\nTAG\n70\n2\n10\n0\n20\n0\n0\nATTDEF\n8\n0\n10\n0\n20\n0\n40\n1\n"
                             "1\n\n3\nName\n2\nNAME\n70\n0\n0\nENDBLK\n";
  const std::string entities = "0\nINSERT\n8\n0\n66\n1\n2\nTAG\n10\n5\n20\n5\n"
                               "0\nATTRIB\n8\n0\n10\n5\n20\n5\n40\n1\n1\nB1\n2\nNAME\n70\n0\n"
                               "1001\nSTRUCTKIT\n1000\nbeam mark\n1070\n2\n0\nSEQEND\n";
  ASSERT_TRUE(drawhost::readDxfText(wrap("", entities, "", blocks), db_).ok);
  const std::string saved = drawhost::dxfText(db_);
  const size_t attribute = saved.find("\nATTRIB\n");
  ASSERT_NE(attribute, std::string::npos);
  EXPECT_NE(saved.find("1001\nSTRUCTKIT\n1000\nbeam mark\n1070\n2\n", attribute), std::string::npos) << saved;
  EXPECT_NE(saved.find("\n  2\nSTRUCTKIT\n"), std::string::npos);  // the application is listed
}

// A shape and the style record without a name that loads its shape file come back.
TEST_F(DxfIo, ShapesComeBackWithTheirShapeFiles) {
  const std::string drawing =
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nSTYLE\n0\nSTYLE\n2\n\n70\n1\n3\nbolts.shx\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nSHAPE\n8\n0\n100\nAcDbShape\n10\n5\n20\n5\n30\n0\n40\n2\n2\nM20\n0\nENDSEC\n0\nEOF\n";
  drawhost::ReadReport report;
  ASSERT_TRUE(drawhost::readDxfText(drawing, db_, &report).ok);
  EXPECT_TRUE(report.warnings.empty());
  const std::string saved = drawhost::dxfText(db_);
  EXPECT_NE(saved.find("AcDbTextStyleTableRecord\n  2\n\n 70\n1\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("  3\nbolts.shx\n"), std::string::npos);
  EXPECT_NE(saved.find("\nSHAPE\n"), std::string::npos);
  EXPECT_NE(saved.find("100\nAcDbShape\n 10\n5\n 20\n5\n 30\n0\n 40\n2\n  2\nM20\n"), std::string::npos);
}

TEST_F(DxfIo, AKeptEntityNamingAModelledSubclassIsNotTakenForIt) {
  // The body says it is a text: it must stay a kept entity, whatever class the file names.
  const std::string drawing = wrap("", "0\nBODY\n8\n0\n100\nAcDbEntity\n100\nAcDbText\n10\n1\n20\n2\n"
                                       "1\nnot a text\n0\nTEXT\n8\n0\n10\n0\n20\n0\n40\n2.5\n1\nT\n");
  ASSERT_TRUE(drawhost::readDxfText(drawing, db_).ok);
  std::vector<std::string> texts;
  const auto counts = census(db_->modelSpaceId(), &texts);
  EXPECT_EQ(counts.at("AcDbText"), 1);
  EXPECT_EQ(texts, std::vector<std::string>{"T"});
  EXPECT_NE(AcRxClass::cast(acrxClassDictionary()->at("AcDbText")), nullptr);
  EXPECT_EQ(acrxClassDictionary()->at("AcDbText"), AcDbText::desc());
  const std::string saved = drawhost::dxfText(db_);
  EXPECT_NE(saved.find("BODY\n"), std::string::npos);
  EXPECT_NE(saved.find("\nAcDbText\n 10\n1\n 20\n2\n  1\nnot a text\n"), std::string::npos);
}
