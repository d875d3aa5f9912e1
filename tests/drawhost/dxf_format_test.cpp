// The drawing-file reader and writer on their own, without a database.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "io/dxf_text.h"
#include "io/dxf_reader.h"
#include "io/dxf_writer.h"
#include "gbk_texts.h"

using namespace drawhost::dxf;

namespace {

std::string sampleText() {
  const char* root = std::getenv("STRUCTKIT_SOURCE_DIR");
  std::ifstream file(std::string(root ? root : ".") + "/samples/floorplan.dxf", std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

struct ReadResult {
  bool ok = false;
  DxfDrawing drawing;
  DxfDiagnostics diagnostics;
};

ReadResult read(std::string_view text) {
  ReadResult result;
  DxfCollector collector(result.drawing);
  result.ok = readDxf(text, collector, result.diagnostics);
  return result;
}

// A file of release 2000 around the given entities.
std::string wrap(const std::string& entities, const std::string& blocks = "",
                 const std::string& version = "AC1015", const std::string& codePage = "ANSI_936") {
  return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n" + version + "\n9\n$DWGCODEPAGE\n3\n" + codePage +
         "\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" +
         entities + "0\nENDSEC\n0\nEOF\n";
}

const DxfLayer* findLayer(const DxfDrawing& d, const std::string& name) {
  for (const DxfLayer& layer : d.layers)
    if (layer.name == name) return &layer;
  return nullptr;
}

const DxfBlockDefinition* findBlock(const DxfDrawing& d, const std::string& name) {
  for (const DxfBlockDefinition& block : d.blocks)
    if (block.block.name == name) return &block;
  return nullptr;
}

std::vector<std::string> texts(const std::vector<DxfEntity>& entities) {
  std::vector<std::string> out;
  for (const DxfEntity& e : entities)
    if (e.kind == EntityKind::Text || e.kind == EntityKind::MText) out.push_back(e.text);
  return out;
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(DxfReader, ReadsTheSampleFloorPlan) {
  const ReadResult r = read(sampleText());
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  const DxfDrawing& d = r.drawing;
  EXPECT_EQ(d.header.version, "AC1015");
  EXPECT_EQ(d.header.codePage, "ANSI_936");

  const DxfLayer* title = findLayer(d, "TITLE");
  const DxfLayer* furniture = findLayer(d, "FURNITURE");
  const DxfLayer* aux = findLayer(d, "DEFPOINTS_AUX");
  const DxfLayer* axis = findLayer(d, "AXIS");
  const DxfLayer* column = findLayer(d, "COLUMN");
  ASSERT_TRUE(title && furniture && aux && axis && column);
  EXPECT_TRUE(title->locked);
  EXPECT_FALSE(title->frozen);
  EXPECT_TRUE(furniture->frozen);
  EXPECT_TRUE(aux->off);
  EXPECT_FALSE(aux->plottable);
  EXPECT_EQ(aux->colour, 9);
  EXPECT_EQ(axis->colour, 1);
  EXPECT_EQ(axis->linetype, "CENTER");
  EXPECT_EQ(column->lineweight, 35);

  const DxfBlockDefinition* tag = findBlock(d, "COLTAG");
  const DxfBlockDefinition* mark = findBlock(d, "BEAMMARK");
  ASSERT_TRUE(tag && mark);
  EXPECT_EQ(std::count_if(tag->entities.begin(), tag->entities.end(),
                          [](const DxfEntity& e) { return e.kind == EntityKind::AttributeDefinition; }),
            2);
  EXPECT_TRUE(contains(texts(mark->entities), "4%%13225"));

  const auto reference = std::find_if(d.entities.begin(), d.entities.end(), [](const DxfEntity& e) {
    return e.kind == EntityKind::Insert && e.block == "COLTAG";
  });
  ASSERT_NE(reference, d.entities.end());
  ASSERT_EQ(reference->attributes.size(), 2u);
  EXPECT_EQ(reference->attributes[0].tag, "NAME");
  EXPECT_EQ(reference->attributes[1].text, "12%%13225");

  const std::vector<std::string> modelTexts = texts(d.entities);
  for (const char* annotation : {"4%%13225", "2%%13225;4%%13222", "%%13010@100/200(4)", "G1.5-1.0",
                                 "12-8-12", gbk::kLivingRoom, gbk::kStairs, gbk::kTitle})
    EXPECT_TRUE(contains(modelTexts, annotation)) << annotation;
  const bool hasNotes = std::any_of(d.entities.begin(), d.entities.end(), [](const DxfEntity& e) {
    return e.kind == EntityKind::MText && e.text.rfind(gbk::kNotes, 0) == 0;
  });
  EXPECT_TRUE(hasNotes);
  const bool hasBulge = std::any_of(d.entities.begin(), d.entities.end(), [](const DxfEntity& e) {
    return std::any_of(e.vertices.begin(), e.vertices.end(), [](const Vertex& v) { return v.bulge < 0; });
  });
  EXPECT_TRUE(hasBulge);
  EXPECT_TRUE(r.diagnostics.warnings.empty());
}

struct MalformedCase {
  const char* name;
  std::string text;
  const char* error;
};

TEST(DxfReader, RefusesMalformedFilesNamingTheLine) {
  const std::string line = "0\nLINE\n8\n0\n10\n1\n20\n2\n11\n3\n21\n4\n";
  const MalformedCase cases[] = {
      {"coordinate", wrap("0\nLINE\n8\n0\n10\nabc\n"), "line 30: 'abc' is not a number (group code 10)"},
      {"infinite", wrap("0\nCIRCLE\n10\n1e999\n"), "is not a number"},
      {"group code", wrap("0\nLINE\nxx\n0\n"), "line 27: expected a group code, found 'xx'"},
      {"integer", wrap("0\nLINE\n62\n1.5\n"), "'1.5' is not an integer (group code 62)"},
      {"no value", "0\nSECTION\n2", "group code 2 has no value"},
      {"no EOF", wrap(line).substr(0, wrap(line).size() - 6), "without EOF"},
      {"cut in section", "0\nSECTION\n2\nENTITIES\n" + line, "ends inside a list of entities"},
      {"no ENDBLK", wrap("", "0\nBLOCK\n2\nB\n0\nSECTION\n"), "block 'B' has no ENDBLK"},
      {"undefined block", wrap("0\nINSERT\n2\nNOPE\n"), "block 'NOPE' is referenced but never defined"},
      {"self reference", wrap("", "0\nBLOCK\n2\nA\n0\nINSERT\n2\nA\n0\nENDBLK\n"), "contains a reference to itself"},
      {"indirect cycle",
       wrap("", "0\nBLOCK\n2\nA\n0\nINSERT\n2\nB\n0\nENDBLK\n0\nBLOCK\n2\nB\n0\nINSERT\n2\nA\n0\nENDBLK\n"),
       "contains a reference to itself"},
      {"attribute sequence", wrap("0\nINSERT\n2\nB\n66\n1\n0\nLINE\n"), "expected ATTRIB or SEQEND"},
      {"stray pair", "5\nAB\n0\nEOF\n", "expected SECTION or EOF"},
      {"binary", std::string(7, 'X') + std::string(" Binary DXF\r\n\x1a\0", 15) + "rest", "binary drawing files"},
      {"huge code", wrap("0\nLINE\n99999\n0\n"), "expected a group code"},
  };
  for (const MalformedCase& c : cases) {
    const ReadResult r = read(c.text);
    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_NE(r.diagnostics.error.find(c.error), std::string::npos)
        << c.name << ": " << r.diagnostics.error;
  }
}

TEST(DxfReader, SkipsAndCountsWhatTheHostDoesNotKeep) {
  const std::string mesh = "0\nMESH\n8\n0\n100\nAcDbSubDMesh\n";
  const ReadResult r = read(wrap(mesh + mesh + "0\nSURFACE\n8\n0\n0\nPOINT\n10\n1\n20\n2\n"
                                 "0\nLINE\n67\n1\n10\n0\n"));
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  ASSERT_EQ(r.drawing.entities.size(), 2u);
  EXPECT_EQ(r.drawing.entities[0].kind, EntityKind::Point);
  EXPECT_FALSE(r.drawing.entities[0].paperSpace);
  EXPECT_TRUE(r.drawing.entities[1].paperSpace);
  ASSERT_EQ(r.diagnostics.warnings.size(), 1u);
  EXPECT_EQ(r.diagnostics.warnings[0],
            "skipped entities of kinds the host does not keep: 2 MESH, 1 SURFACE");
}

TEST(DxfReader, ConvertsTextToGbk) {
  // Newer files hold UTF-8.
  ReadResult r = read(wrap("0\nTEXT\n1\n客厅\n", "", "AC1027", "ANSI_1252"));
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  EXPECT_EQ(r.drawing.entities.at(0).text, gbk::kLivingRoom);
  // Escapes become the character when GBK holds it, and stay otherwise.
  r = read(wrap("0\nTEXT\n1\n\\U+5BA2\\U+5385 \\U+1F600\n"));
  EXPECT_EQ(r.drawing.entities.at(0).text, std::string(gbk::kLivingRoom) + " \\U+1F600");
  // Another code page is converted.
  r = read(wrap("0\nTEXT\n1\nCaf\xE9\n", "", "AC1015", "ANSI_1252"));
  EXPECT_EQ(r.drawing.entities.at(0).text, "Caf\xA8\xA6");  // é in GBK
  // A double-byte character whose second byte is '\' or '^' is not an escape.
  const std::string tricky = std::string(gbk::kBackslashTrail) + "U+5BA2" + gbk::kCaretTrail + "J";
  r = read(wrap("0\nTEXT\n1\n" + tricky + "\n"));
  EXPECT_EQ(r.drawing.entities.at(0).text, tricky);
  // Carets stand for control characters and for themselves.
  r = read(wrap("0\nTEXT\n1\na^Jb^ c\n"));
  EXPECT_EQ(r.drawing.entities.at(0).text, "a\nb^c");
}

TEST(DxfReader, NamesCompareWithoutCaseButDoubleByteCharactersStayDistinct) {
  const std::string layers = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n"
                             "0\nLAYER\n2\nbeam\n0\nLAYER\n2\nBEAM\n"
                             "0\nLAYER\n2\n" + std::string(gbk::kTrailUpperA) + "\n"
                             "0\nLAYER\n2\n" + std::string(gbk::kTrailLowerA) + "\n"
                             "0\nENDTAB\n0\nENDSEC\n0\nEOF\n";
  const ReadResult r = read(layers);
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  ASSERT_EQ(r.drawing.layers.size(), 3u);
  EXPECT_EQ(r.drawing.layers[0].name, "beam");
  EXPECT_EQ(r.drawing.layers[2].name, gbk::kTrailLowerA);
  ASSERT_EQ(r.diagnostics.warnings.size(), 1u);
  EXPECT_EQ(r.diagnostics.warnings[0], "line 13: duplicate layer 'BEAM' skipped");
  EXPECT_EQ(nameKey(std::string("a") + gbk::kTrailLowerA + "b"), std::string("A") + gbk::kTrailLowerA + "B");
}

TEST(DxfReader, BringsMirroredAndOldStyleEntitiesIntoWorldCoordinates) {
  const ReadResult r = read(wrap(
      "0\nARC\n10\n5\n20\n1\n40\n2\n50\n0\n51\n90\n230\n-1\n"
      "0\nPOLYLINE\n66\n1\n70\n1\n10\n0\n20\n0\n0\nVERTEX\n10\n0\n20\n0\n42\n1\n0\nVERTEX\n10\n4\n20\n0\n"
      "0\nSEQEND\n"
      "0\nMTEXT\n10\n0\n20\n0\n1\nx\n11\n0\n21\n1\n"));
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  ASSERT_EQ(r.drawing.entities.size(), 3u);
  const DxfEntity& arc = r.drawing.entities[0];
  EXPECT_DOUBLE_EQ(arc.p.x, -5);
  EXPECT_DOUBLE_EQ(arc.startAngle, 90);
  EXPECT_DOUBLE_EQ(arc.endAngle, 180);
  const DxfEntity& polyline = r.drawing.entities[1];
  EXPECT_EQ(polyline.kind, EntityKind::Polyline);
  EXPECT_TRUE(polyline.closed);
  ASSERT_EQ(polyline.vertices.size(), 2u);
  EXPECT_DOUBLE_EQ(polyline.vertices[0].bulge, 1);
  EXPECT_DOUBLE_EQ(r.drawing.entities[2].rotation, 90);
}

TEST(DxfReader, RefusesBlocksThatMultiplyBeyondReason) {
  // Nine levels of ten references each: a billion lines from a file of a few kilobytes.
  std::string blocks;
  for (int level = 0; level < 9; ++level) {
    blocks += "0\nBLOCK\n2\nB" + std::to_string(level) + "\n";
    for (int i = 0; i < 10; ++i) blocks += "0\nINSERT\n2\nB" + std::to_string(level + 1) + "\n";
    blocks += "0\nENDBLK\n";
  }
  blocks += "0\nBLOCK\n2\nB9\n0\nLINE\n0\nENDBLK\n";
  ReadResult r = read(wrap("0\nINSERT\n2\nB0\n", blocks));
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.diagnostics.error.find("the block references expand to more than 10000000 entities"),
            std::string::npos)
      << r.diagnostics.error;
  // Six levels (a million lines) are a large drawing, not an attack.
  r = read(wrap("0\nINSERT\n2\nB3\n", blocks));
  EXPECT_TRUE(r.ok) << r.diagnostics.error;
}

TEST(DxfReader, FollowsLongChainsOfBlocksWithoutRecursion) {
  constexpr int kBlocks = 50000;
  std::string blocks;
  for (int i = 0; i < kBlocks; ++i)
    blocks += "0\nBLOCK\n2\nC" + std::to_string(i) + "\n0\nINSERT\n2\nC" + std::to_string(i + 1) +
              "\n0\nENDBLK\n";
  blocks += "0\nBLOCK\n2\nC" + std::to_string(kBlocks) + "\n0\nINSERT\n2\nC0\n0\nENDBLK\n";
  const ReadResult r = read(wrap("0\nINSERT\n2\nC0\n", blocks));
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.diagnostics.error.find("contains a reference to itself"), std::string::npos)
      << r.diagnostics.error;
}

TEST(DxfReader, SurvivesAHugeVertexCount) {
  // The count in the file is not trusted for allocation.
  const ReadResult r = read(wrap("0\nLWPOLYLINE\n90\n2000000000\n10\n1\n20\n1\n"));
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  EXPECT_EQ(r.drawing.entities.at(0).vertices.size(), 1u);
}

// ---------------------------------------------------------------------------------------------

TEST(DxfWriter, RoundTripKeepsEverythingTheReaderReads) {
  const ReadResult first = read(sampleText());
  ASSERT_TRUE(first.ok);
  const std::string written = writeDxf(first.drawing);
  const ReadResult second = read(written);
  ASSERT_TRUE(second.ok) << second.diagnostics.error;
  const DxfDrawing& a = first.drawing;
  const DxfDrawing& b = second.drawing;
  ASSERT_EQ(a.entities.size(), b.entities.size());
  ASSERT_EQ(a.blocks.size(), b.blocks.size());
  for (size_t i = 0; i < a.entities.size(); ++i) {
    EXPECT_EQ(a.entities[i].kind, b.entities[i].kind) << i;
    EXPECT_EQ(a.entities[i].layer, b.entities[i].layer) << i;
    EXPECT_EQ(a.entities[i].text, b.entities[i].text) << i;
    EXPECT_EQ(a.entities[i].p.x, b.entities[i].p.x) << i;
    EXPECT_EQ(a.entities[i].p.y, b.entities[i].p.y) << i;
    EXPECT_EQ(a.entities[i].attributes.size(), b.entities[i].attributes.size()) << i;
    EXPECT_EQ(a.entities[i].vertices.size(), b.entities[i].vertices.size()) << i;
  }
  // The written form is a fixed point: writing what was read from it changes nothing.
  EXPECT_EQ(writeDxf(b), written);
  EXPECT_NE(written.find("$DWGCODEPAGE\n  3\nANSI_936\n"), std::string::npos);
  EXPECT_NE(written.find("$ACADVER\n  1\nAC1015\n"), std::string::npos);
}

TEST(DxfWriter, KeepsTheLineStructureWhateverTheTextHolds) {
  DxfDrawing d;
  DxfEntity text;
  text.kind = EntityKind::Text;
  text.text = std::string("one\ntwo\r^") + gbk::kCaretTrail + "\x01";
  d.entities.push_back(text);
  // A multi-line text longer than a chunk, with double-byte characters across every boundary.
  DxfEntity mtext;
  mtext.kind = EntityKind::MText;
  for (int i = 0; i < 200; ++i) mtext.text += (i % 7 == 0) ? "a" : gbk::kRebar;
  d.entities.push_back(mtext);
  const std::string written = writeDxf(d);
  const ReadResult r = read(written);
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  ASSERT_EQ(r.drawing.entities.size(), 2u);
  EXPECT_EQ(r.drawing.entities[0].text, text.text);
  EXPECT_EQ(r.drawing.entities[1].text, mtext.text);
  // Every chunk of the multi-line text starts on a character boundary.
  size_t at = written.find("\nMTEXT\n");
  ASSERT_NE(at, std::string::npos);
  const size_t lastChunk = written.find("\n  1\n", at);
  int chunks = 0;
  while ((at = written.find("\n  3\n", at)) < lastChunk) {
    ++chunks;
    at += 5;
    const size_t end = written.find('\n', at);
    EXPECT_LE(end - at, 250u);
    const std::string chunk = written.substr(at, end - at);
    EXPECT_EQ(chunk.find_first_not_of("a\xB8\xD6\xBD\xEE"), std::string::npos);
    EXPECT_TRUE(chunk[0] == 'a' || chunk.substr(0, 2) == "\xB8\xD6" || chunk.substr(0, 2) == "\xBD\xEE");
  }
  EXPECT_EQ(chunks, 2);  // 713 bytes: two chunks of code 3 and the rest in code 1
}

TEST(DxfWriter, KeptModelerDataComesBackTheSameFromEveryRoundTrip) {
  // Data the host cannot read, with a carriage return inside and more than a group holds.
  const std::string line = "garbage\r" + std::string(300, 'x') + "\r";
  const ReadResult first = read(wrap("0\nREGION\n8\n0\n100\nAcDbModelerGeometry\n70\n1\n1\n" + line +
                                     "\n1\nsecond line\n"));
  ASSERT_TRUE(first.ok);
  ASSERT_EQ(first.drawing.entities.size(), 1u);
  const std::string written = writeDxf(first.drawing);
  const ReadResult second = read(written);
  ASSERT_TRUE(second.ok);
  ASSERT_EQ(second.drawing.entities.size(), 1u);
  EXPECT_EQ(second.drawing.entities[0].modelerData.size(), 2u);
  EXPECT_EQ(second.drawing.entities[0].modelerData[1], "second line");
  EXPECT_EQ(writeDxf(second.drawing), written);
}

TEST(DxfWriter, WhatIsReadIsWrittenSoThatItReadsTheSame) {
  // Codes the format leaves undefined hold texts, caret pairs included; a table record's subclass
  // marker is the table's, whatever the file put there.
  const std::string tables = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nVPORT\n0\nVPORT\n100\n" +
                             std::string(1, '\0') + "\n2\n*Active\n0\nENDTAB\n0\nENDSEC\n";
  const std::string entities = "0\nVIEWPORT\n8\n0\n100\nAcDbEntity\n100\nAcDbViewport\n151\n^ \\\n251\n^J\n";
  std::string file = wrap(entities);
  file.insert(file.find("0\nSECTION\n2\nBLOCKS"), tables);
  const ReadResult first = read(file);
  ASSERT_TRUE(first.ok) << first.diagnostics.error;
  ASSERT_EQ(first.drawing.entities.size(), 1u);
  const auto& groups = first.drawing.entities[0].groups;
  EXPECT_NE(std::find(groups.begin(), groups.end(), DxfGroup{151, "^\\"}), groups.end());
  EXPECT_NE(std::find(groups.begin(), groups.end(), DxfGroup{251, "\n"}), groups.end());
  const std::string written = writeDxf(first.drawing);
  EXPECT_NE(written.find("\n100\nAcDbSymbolTableRecord\n100\nAcDbViewportTableRecord\n  2\n*Active\n"),
            std::string::npos);
  const ReadResult second = read(written);
  ASSERT_TRUE(second.ok) << second.diagnostics.error;
  ASSERT_EQ(second.drawing.entities.size(), 1u);
  EXPECT_EQ(second.drawing.entities[0].groups, groups);
  EXPECT_EQ(writeDxf(second.drawing), written);
}

TEST(DxfWriter, ModelerDataCaretsAreTheFileEscapes) {
  // A mirrored 'A' is a caret, written "^ "; kept control characters are caret pairs that read
  // back as the same control characters, never as mirrored text the host could then read.
  const std::string dataLine = "700 0 1 0 \x01^A^ x";
  const ReadResult first = read(wrap("0\nREGION\n8\n0\n100\nAcDbModelerGeometry\n70\n1\n1\n" +
                                     dataLine + "\n"));
  ASSERT_TRUE(first.ok);
  ASSERT_EQ(first.drawing.entities.size(), 1u);
  const DxfEntity& kept = first.drawing.entities[0];
  ASSERT_EQ(kept.modelerData.size(), 1u);
  EXPECT_EQ(kept.modelerData[0], "700 0 1 0 \x01\x01^x");
  const std::string written = writeDxf(first.drawing);
  EXPECT_NE(written.find("\n700 0 1 0 ^A^A^ x\n"), std::string::npos);
  const ReadResult second = read(written);
  ASSERT_TRUE(second.ok);
  ASSERT_EQ(second.drawing.entities.size(), 1u);
  EXPECT_EQ(second.drawing.entities[0].modelerData, kept.modelerData);
  EXPECT_TRUE(second.drawing.entities[0].loops.empty());
  EXPECT_EQ(writeDxf(second.drawing), written);
}

namespace {

TEST(DxfReader, IntegersMustFitTheirGroupCode) {
  auto layerWithColour = [](const std::string& colour) {
    return "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nWALL\n62\n" + colour +
           "\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n";
  };
  ReadResult r = read(layerWithColour("-9223372036854775808"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.diagnostics.error, "line 14: '-9223372036854775808' is out of range for group code 62");
  r = read(layerWithColour("65536"));
  EXPECT_EQ(r.diagnostics.error, "line 14: '65536' is out of range for group code 62");
  r = read(layerWithColour("99999999999999999999"));
  EXPECT_EQ(r.diagnostics.error, "line 14: '99999999999999999999' is not an integer (group code 62)");
  // An off layer keeps its colour negated; a colour out of 1..255 becomes 7.
  r = read(layerWithColour("-5"));
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  EXPECT_TRUE(r.drawing.layers.at(0).off);
  EXPECT_EQ(r.drawing.layers.at(0).colour, 5);
  r = read(layerWithColour("-32768"));
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  EXPECT_EQ(r.drawing.layers.at(0).colour, 7);
  // 32-bit groups take unsigned values, 64-bit ones anything.
  EXPECT_TRUE(read(wrap("0\nLINE\n90\n4294967295\n160\n-9223372036854775808\n")).ok);
  EXPECT_FALSE(read(wrap("0\nLINE\n90\n4294967296\n")).ok);
}

}  // namespace

namespace {

TEST(DxfWriter, LayerStatesAreKeptInTheLayerTablesDictionary) {
  DxfDrawing drawing;
  DxfLayer wall;
  wall.name = "WALL";
  drawing.layers.push_back(wall);
  DxfLayerState state;
  state.name = "MYSAVE";
  state.mask = 0x1FF;
  DxfLayerState::Layer zero, saved;
  zero.name = "0";
  saved.name = "WALL";
  saved.off = saved.locked = saved.frozenInNewViewports = true;
  saved.plottable = false;
  saved.colour = 3;
  saved.lineweight = 50;
  saved.linetype = "DASHED";
  saved.plotStyle = "Normal";
  state.layers = {zero, saved};
  drawing.layerStates.push_back(state);
  const std::string written = writeDxf(drawing);
  EXPECT_NE(written.find("{ACAD_XDICTIONARY"), std::string::npos);
  const ReadResult back = read(written);
  ASSERT_TRUE(back.ok) << back.diagnostics.error;
  ASSERT_EQ(back.drawing.layerStates.size(), 1u);
  const DxfLayerState& got = back.drawing.layerStates[0];
  EXPECT_EQ(got.name, "MYSAVE");
  EXPECT_EQ(got.mask, 0x1FF);
  ASSERT_EQ(got.layers.size(), 2u);
  const DxfLayerState::Layer& w = got.layers[1];
  EXPECT_EQ(w.name, "WALL");
  EXPECT_TRUE(w.off && w.locked && w.frozenInNewViewports && !w.frozen && !w.plottable);
  EXPECT_EQ(w.colour, 3);
  EXPECT_EQ(w.lineweight, 50);
  EXPECT_EQ(w.linetype, "DASHED");
  EXPECT_EQ(w.plotStyle, "Normal");
  EXPECT_EQ(writeDxf(back.drawing), written);
  // No states, no dictionary.
  drawing.layerStates.clear();
  EXPECT_EQ(writeDxf(drawing).find("ACAD_LAYERSTATES"), std::string::npos);
}

}  // namespace

namespace {

TEST(DxfReader, HeaderVariablesAreKeptInTheirOrderAndWrittenBack) {
  const std::string header =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$INSUNITS\n70\n4\n9\n$LTSCALE\n40\n100.0\n"
      "9\n$TEXTSTYLE\n7\n" + std::string(gbk::kLivingRoom) + "\n"
      "9\n$LIMMAX\n10\n420.0\n20\n297.0\n9\n$DIMTXSTY\n340\n1F\n9\n$PROJECTNAME\n1\nX\n"
      "9\n$DIMSCALE\n40\n50.0\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
  const ReadResult first = read(header);
  ASSERT_TRUE(first.ok) << first.diagnostics.error;
  std::string names;
  for (const DxfVariable& v : first.drawing.header.variables) names += v.name + " ";
  EXPECT_EQ(names, "$INSUNITS $LTSCALE $TEXTSTYLE $LIMMAX $DIMSCALE ");
  ASSERT_EQ(first.diagnostics.warnings.size(), 2u);
  EXPECT_EQ(first.diagnostics.warnings[0],
            "left out 1 header variable of newer releases, which a release-2000 drawing does not hold: $PROJECTNAME");
  EXPECT_EQ(first.diagnostics.warnings[1], "left out 1 header variable naming other objects by handle: $DIMTXSTY");

  const std::string written = writeDxf(first.drawing);
  EXPECT_NE(written.find("$LTSCALE\n 40\n100.0\n"), std::string::npos);
  EXPECT_EQ(written.find("$LTSCALE\n 40\n1.0\n"), std::string::npos);  // no default beside it
  EXPECT_NE(written.find("$LIMMAX\n 10\n420.0\n 20\n297.0\n"), std::string::npos);
  EXPECT_NE(written.find("$TEXTSTYLE\n  7\n" + std::string(gbk::kLivingRoom) + "\n"), std::string::npos);
  const ReadResult second = read(written);
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(writeDxf(second.drawing), written);
}

}  // namespace

namespace {

// A byte that starts a two-byte character, before a control character: written as it is, the
// control character would go into the file unescaped.
TEST(DxfWriter, ALeadByteBeforeAControlCharacterIsWrittenAsAQuestionMark) {
  const ReadResult first = read(wrap("0\nTEXT\n1\na\xCB^Jb\n0\nREGION\n1\n\xCB\r\r\n"));
  ASSERT_TRUE(first.ok) << first.diagnostics.error;
  const std::string written = writeDxf(first.drawing);
  EXPECT_NE(written.find("\na\xCB^Jb\n"), std::string::npos);  // a character whose second byte is '^'
  EXPECT_NE(written.find("\n?^M\n"), std::string::npos);
  const ReadResult second = read(written);
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(writeDxf(second.drawing), written);
}

}  // namespace

namespace {

// Some writers end the header early and go on with its variables.
TEST(DxfReader, HeaderVariablesAfterAnEarlyEndOfTheHeaderStillCount) {
  const ReadResult r = read("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
                            "9\n$INSUNITS\n70\n4\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  ASSERT_EQ(r.drawing.header.variables.size(), 1u);
  EXPECT_EQ(r.drawing.header.variables[0].name, "$INSUNITS");
  ASSERT_EQ(r.diagnostics.warnings.size(), 1u);
  EXPECT_EQ(r.diagnostics.warnings[0], "line 11: header variables after the end of the header were read as part of it");
  // Elsewhere a variable is still no section.
  EXPECT_FALSE(read("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n9\n$INSUNITS\n70\n4\n0\nEOF\n").ok);
}

}  // namespace

// An object that came without an owner is given the dictionary that holds it, where its owner
// is looked for (before its reactors when those are not closed), so that saving again gives
// the same file.
TEST(DxfWriter, ObjectsWithoutOwnersAreGivenTheirDictionaryOnce) {
  const std::string objects =
      "0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\nC\n330\n0\n100\nAcDbDictionary\n3\nA\n350\n20\n3\nB\n350\n21\n"
      "0\nXRECORD\n5\n20\n100\nAcDbXrecord\n1\nno owner\n"
      "0\nXRECORD\n5\n21\n102\n{ACAD_REACTORS\n330\nC\n100\nAcDbXrecord\n1\nopen reactors\n0\nENDSEC\n";
  std::string text = wrap("");
  text.insert(text.rfind("0\nEOF"), objects);
  const ReadResult r = read(text);
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  ASSERT_EQ(r.drawing.objects.objects.size(), 2u);
  for (const DxfObject& object : r.drawing.objects.objects) EXPECT_EQ(ownerOf(object), "C");
  const std::string written = writeDxf(r.drawing);
  const ReadResult back = read(written);
  ASSERT_TRUE(back.ok) << back.diagnostics.error;
  EXPECT_EQ(writeDxf(back.drawing), written);
  EXPECT_NE(written.find("  1\nno owner\n"), std::string::npos);
}

// Of two objects with one handle only the first can be named: the second is left out and said.
TEST(DxfReader, ObjectsSharingAHandleKeepTheFirst) {
  const std::string objects =
      "0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\nC\n330\n0\n100\nAcDbDictionary\n3\nA\n350\n20\n"
      "0\nXRECORD\n5\n20\n330\nC\n100\nAcDbXrecord\n1\nfirst\n"
      "0\nXRECORD\n5\n20\n330\nC\n100\nAcDbXrecord\n1\nsecond\n0\nENDSEC\n";
  std::string text = wrap("");
  text.insert(text.rfind("0\nEOF"), objects);
  const ReadResult r = read(text);
  ASSERT_TRUE(r.ok) << r.diagnostics.error;
  ASSERT_EQ(r.drawing.objects.objects.size(), 1u);
  EXPECT_EQ(r.drawing.objects.objects[0].groups.back().second, "first");
  EXPECT_EQ(r.diagnostics.warnings, std::vector<std::string>{"left out 1 object belonging to what the host does not keep"});
}
