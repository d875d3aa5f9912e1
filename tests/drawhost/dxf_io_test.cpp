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

TEST_F(DxfIo, RegionsAreSavedAsTheirOutlines) {
  auto* region = new AcDbRegion();
  region->setLoops({{{0, 0, 0}, {4, 0, 0}, {4, 3, 0}}, {{1, 1, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}}});
  AcDbBlockTableRecord* model = nullptr;
  ASSERT_EQ(acdbOpenObject(model, db_->modelSpaceId(), AcDb::kForWrite), AcDb::kOk);
  ASSERT_EQ(model->appendAcDbEntity(region), AcDb::kOk);
  region->close();
  model->close();
  std::vector<std::string> warnings;
  const std::string written = drawhost::dxfText(db_, &warnings);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "1 regions were written as closed polylines, one per loop");
  AcApDocument* second = drawhost::newDocument();
  ASSERT_TRUE(drawhost::readDxfText(written, drawhost::database(second)).ok);
  const std::map<std::string, int> counts = census(drawhost::database(second)->modelSpaceId());
  EXPECT_EQ(counts.at("AcDbPolyline"), 2);
}
