// The picture of model space: what shows, in which colour, and that it is always valid XML.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>

#include "gbk_texts.h"
#include "io/svg_writer.h"

using namespace drawhost::dxf;

namespace {

DxfLayer layer(const std::string& name, int colour, bool off = false, bool frozen = false) {
  DxfLayer l;
  l.name = name;
  l.colour = colour;
  l.off = off;
  l.frozen = frozen;
  return l;
}

DxfEntity line(const std::string& layerName, double y, int colour = kColourByLayer) {
  DxfEntity e;
  e.kind = EntityKind::Line;
  e.layer = layerName;
  e.colour = colour;
  e.p = {0, y, 0};
  e.q = {10, y, 0};
  return e;
}

DxfEntity text(const std::string& content, double y) {
  DxfEntity e;
  e.kind = EntityKind::Text;
  e.text = content;
  e.height = 2.5;
  e.p = {0, y, 0};
  return e;
}

size_t count(const std::string& haystack, const std::string& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(Svg, ColourIndexTable) {
  EXPECT_EQ(colourIndexToRgb(1), 0xFF0000u);
  EXPECT_EQ(colourIndexToRgb(2), 0xFFFF00u);
  EXPECT_EQ(colourIndexToRgb(5), 0x0000FFu);
  EXPECT_EQ(colourIndexToRgb(7), 0xFFFFFFu);
  EXPECT_EQ(colourIndexToRgb(8), 0x808080u);
  EXPECT_EQ(colourIndexToRgb(10), 0xFF0000u);
  EXPECT_EQ(colourIndexToRgb(11), 0xFF7F7Fu);
  EXPECT_EQ(colourIndexToRgb(12), 0xCC0000u);
  EXPECT_EQ(colourIndexToRgb(13), 0xCC6666u);
  EXPECT_EQ(colourIndexToRgb(20), 0xFF3F00u);
  EXPECT_EQ(colourIndexToRgb(30), 0xFF7F00u);
  EXPECT_EQ(colourIndexToRgb(50), 0xFFFF00u);
  EXPECT_EQ(colourIndexToRgb(90), 0x00FF00u);
  EXPECT_EQ(colourIndexToRgb(170), 0x0000FFu);
  EXPECT_EQ(colourIndexToRgb(250), 0x333333u);
  EXPECT_EQ(colourIndexToRgb(255), 0xFFFFFFu);
}

TEST(Svg, ShowsTextsAsTheEditorDoes) {
  EXPECT_EQ(displayText("4%%13225"), "4\xCE\xA6\xCC\xB8" "25");
  EXPECT_EQ(displayText("%%13010@100/200(4)"), "\xCE\xA6" "10@100/200(4)");
  // The four grades are told apart, in either font's codes; a cold-rolled grade's R keeps
  // its letter without the brackets.
  std::set<std::string> signs;
  for (const char* code : {"%%130", "%%131", "%%132", "%%133"}) signs.insert(displayText(code));
  EXPECT_EQ(signs.size(), 4u);
  EXPECT_EQ(displayText("%%181"), displayText("%%131"));
  EXPECT_EQ(displayText("%%130%%140R%%141"), "\xCE\xA6R");
  EXPECT_EQ(displayText("%%c20 90%%d %%p5 100%%% %%uA"), "\xE2\x8C\x80" "20 90\xC2\xB0 \xC2\xB1" "5 100% A");
  EXPECT_EQ(displayText("50%"), "50%");
  EXPECT_EQ(displayText("%%"), "%%");
  const std::vector<std::string> lines =
      displayLines("{\\fSimSun|b0;Notes}\\P1. \\H2.5;C30\\P\\S1^2; \\\\x\\~y\\P\\P");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Notes");
  EXPECT_EQ(lines[1], "1. C30");
  EXPECT_EQ(lines[2], "1/2 \\x y");
}

TEST(Svg, DrawsOnlyWhatIsVisible) {
  DxfDrawing d;
  d.layers = {layer("0", 7), layer("SHOWN", 1), layer("OFF", 2, true), layer("FROZEN", 3, false, true)};
  d.entities = {line("SHOWN", 0), line("OFF", 1), line("FROZEN", 2), line("UNLISTED", 3)};
  DxfEntity hidden = line("SHOWN", 4);
  hidden.invisible = true;
  d.entities.push_back(hidden);
  const std::string svg = writeSvg(d);
  EXPECT_EQ(count(svg, "<line"), 2u);
  EXPECT_EQ(count(svg, "stroke=\"#ff0000\""), 1u);  // SHOWN, by layer
  EXPECT_EQ(count(svg, "stroke=\"#ffffff\""), 1u);  // a layer the table lacks looks like "0"
  EXPECT_EQ(svg.find("#ffff00"), std::string::npos);
}

TEST(Svg, ExpandsBlockReferencesWithLayerZeroAndByBlockInheritance) {
  DxfDrawing d;
  d.layers = {layer("0", 7), layer("RED", 1), layer("OWN", 3), layer("OFF", 4, true),
              layer("FROZEN", 5, false, true)};
  DxfBlockDefinition block;
  block.block.name = "B";
  block.block.base = {1, 1, 0};
  block.entities = {line("0", 0), line("OWN", 1), line("0", 2, kColourByBlock), line("0", 3, 6)};
  DxfEntity definition = text("T", 0);
  definition.kind = EntityKind::AttributeDefinition;
  block.entities.push_back(definition);
  d.blocks.push_back(block);

  DxfEntity reference;
  reference.kind = EntityKind::Insert;
  reference.block = "B";
  reference.layer = "RED";
  reference.colour = 2;
  reference.p = {100, 50, 0};
  reference.rotation = 90;
  DxfEntity shownAttribute = text("VISIBLE", 60);
  shownAttribute.kind = EntityKind::Attribute;
  DxfEntity hiddenAttribute = text("SECRET", 61);
  hiddenAttribute.kind = EntityKind::Attribute;
  hiddenAttribute.attributeFlags = 1;
  reference.attributes = {shownAttribute, hiddenAttribute};
  d.entities.push_back(reference);

  DxfEntity onOff = reference;
  onOff.layer = "OFF";
  onOff.attributes.clear();
  d.entities.push_back(onOff);
  DxfEntity onFrozen = reference;
  onFrozen.layer = "FROZEN";
  d.entities.push_back(onFrozen);

  const std::string svg = writeSvg(d);
  EXPECT_NE(svg.find("<g transform=\"translate(100 -50) rotate(-90) translate(-1 1)\">"), std::string::npos);
  // In the reference on RED with colour 2: by-layer lines on "0" take RED's colour, by-block
  // lines take 2. In the reference on the off layer only the line on its own layer shows.
  EXPECT_EQ(count(svg, "<g transform"), 2u);       // the frozen one is not drawn at all
  EXPECT_EQ(count(svg, "stroke=\"#ff0000\""), 1u);  // "0" by layer -> RED
  EXPECT_EQ(count(svg, "stroke=\"#00ff00\""), 2u);  // OWN, in both references
  EXPECT_EQ(count(svg, "stroke=\"#ffff00\""), 1u);  // by block -> the reference's colour 2
  EXPECT_EQ(count(svg, "stroke=\"#ff00ff\""), 1u);  // colour 6 on "0": hidden with the off layer
  EXPECT_NE(svg.find(">VISIBLE<"), std::string::npos);
  EXPECT_EQ(svg.find("SECRET"), std::string::npos);
  EXPECT_EQ(svg.find(">T<"), std::string::npos);    // definitions are templates only
}

TEST(Svg, StaysWellFormedWhateverTheTextsHold) {
  DxfDrawing d;
  d.layers = {layer("0", 7)};
  d.entities = {text(std::string("a<b>&\"c'\x01\x1f") + gbk::kLivingRoom, 0),
                text("\xFF\xFE\x81", 5),  // not GBK at all
                text("\\U+FFFE\\U+5BA2", 10)};
  DxfEntity mtext = text("x\\Py&z", 20);
  mtext.kind = EntityKind::MText;
  d.entities.push_back(mtext);
  const std::string svg = writeSvg(d);
  EXPECT_NE(svg.find(">a&lt;b&gt;&amp;&quot;c&apos;\xE5\xAE\xA2\xE5\x8E\x85<"), std::string::npos);
  EXPECT_NE(svg.find("\xEF\xBF\xBD"), std::string::npos);  // U+FFFD for bytes that are not GBK
  EXPECT_NE(svg.find(">\xE5\xAE\xA2<"), std::string::npos);  // U+FFFE dropped, 客 kept
  EXPECT_NE(svg.find(">y&amp;z</tspan>"), std::string::npos);
  for (const char c : svg) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n');
}

TEST(Svg, NestedBlocksCannotBlowThePictureUp) {
  // Fourteen levels of ten references each would be 10^14 lines.
  DxfDrawing d;
  d.layers = {layer("0", 7)};
  for (int level = 0; level < 14; ++level) {
    DxfBlockDefinition block;
    block.block.name = "B" + std::to_string(level);
    for (int i = 0; i < 10; ++i) {
      DxfEntity reference;
      reference.kind = EntityKind::Insert;
      reference.block = "B" + std::to_string(level + 1);
      reference.p = {static_cast<double>(i), 0, 0};
      block.entities.push_back(reference);
    }
    d.blocks.push_back(block);
  }
  DxfBlockDefinition last;
  last.block.name = "B14";
  last.entities = {line("0", 0)};
  d.blocks.push_back(last);
  DxfEntity top;
  top.kind = EntityKind::Insert;
  top.block = "B0";
  d.entities.push_back(top);
  const auto start = std::chrono::steady_clock::now();
  const std::string svg = writeSvg(d);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_LT(svg.size(), 100u * 1000 * 1000);
  EXPECT_GT(count(svg, "<line"), 1000u);
}
