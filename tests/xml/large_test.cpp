// Documents at the limits of the packed index fields and of its segments.
#include <gtest/gtest.h>

#include <string>

#include "XmlTestSupport.h"

namespace {

TEST(Large, MegabyteStartTagKeepsItsExactLength) {
  const std::string attribute = " x=\"" + std::string(1 << 20, 'v') + "\"";
  const std::string text = "<r><a" + attribute + ">inner</a><b/></r>";
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText(text.c_str()));
  ASSERT_TRUE(doc.findElement("r"));
  ASSERT_TRUE(doc.enterElement());
  ASSERT_TRUE(doc.findElement("a"));
  EXPECT_EQ(doc.elementText(), "inner");
  EXPECT_EQ(doc.elementIndex().startTagLength(2), attribute.size() + 3);
  ASSERT_TRUE(doc.findElement("b"));

  // Not ended, it keeps its whole start tag as its length.
  ASSERT_FALSE(doc.parseText(("<r><a" + attribute + "></r>").c_str()));
  EXPECT_EQ(doc.elementIndex()[2].length, attribute.size() + 3);
}

TEST(Large, LongEndTagKeepsItsExactLength) {
  const std::string spaces(5000, ' ');
  const std::string text = "<r><a>inner</a" + spaces + "><b/></r" + spaces + ">";
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText(text.c_str()));
  ASSERT_TRUE(doc.findElement("r"));
  ASSERT_TRUE(doc.enterElement());
  ASSERT_TRUE(doc.findElement("a"));
  EXPECT_EQ(doc.elementText(), "inner");
  EXPECT_EQ(doc.elementIndex().endTagLength(2), spaces.size() + 4);
  EXPECT_EQ(doc.elementIndex().endTagLength(1), spaces.size() + 4);
  EXPECT_EQ(doc.elementIndex()[1].length, text.size());
}

std::string nested(int depth, const std::string& close) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<e>";
  text += "deep";
  for (int i = 0; i < depth; ++i) text += close;
  return text;
}

TEST(Large, DeepNestingNeedsNoRecursion) {
  const int depth = 70000;
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText(nested(depth, "</e>").c_str()));
  EXPECT_EQ(doc.elementIndex().level(depth), uint32_t(depth - 1));
  EXPECT_EQ(doc.elementIndex().level(65536), 65535u);
  for (int i = 0; i < depth; ++i) {
    ASSERT_TRUE(doc.findElement("e"));
    if (i + 1 < depth) {
      ASSERT_TRUE(doc.enterElement());
    }
  }
  EXPECT_EQ(doc.elementText(), "deep");
  int up = 0;
  while (doc.leaveElement()) ++up;
  EXPECT_EQ(up, depth - 1);
}

TEST(Large, DeepNestingClosedAtOnceStaysLinear) {
  // One end tag closes 70,000 open elements as not ended.
  const int depth = 70000;
  std::string text = "<r>";
  for (int i = 0; i < depth; ++i) text += "<e><x/>";
  text += "</r>";
  XmlDocument doc;
  ASSERT_FALSE(doc.parseText(text.c_str()));
  EXPECT_EQ(doc.message(), "End tag 'r' at offset " + std::to_string(text.size() - 3) +
                               " does not match start tag 'e' at offset " +
                               std::to_string(text.size() - 11));
  ASSERT_TRUE(doc.findElement("r"));
  ASSERT_TRUE(doc.enterElement());
  int children = 0;
  while (doc.findElement()) ++children;
  EXPECT_EQ(children, 2 * depth);
  ASSERT_TRUE(doc.leaveElement());
  EXPECT_FALSE(doc.leaveElement());

  // And 70,000 stray end tags at that depth.
  std::string stray = text.substr(0, text.size() - 4);
  for (int i = 0; i < depth; ++i) stray += "</y>";
  stray += "</r>";
  ASSERT_FALSE(doc.parseText(stray.c_str()));
  EXPECT_EQ(doc.message(), "No start tag for end tag 'y' at offset " +
                               std::to_string(text.size() - 4));
}

TEST(Large, ManyElementsCrossSegmentBoundaries) {
  const int count = 140000;
  std::string text = "<r>";
  for (int i = 0; i < count; ++i) text += "<i>" + std::to_string(i) + "</i>";
  text += "</r>";
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText(text.c_str()));
  EXPECT_EQ(doc.elementIndex().size(), uint32_t(count + 2));
  ASSERT_TRUE(doc.findElement("r"));
  ASSERT_TRUE(doc.enterElement());
  for (int i = 0; i < count; ++i) {
    ASSERT_TRUE(doc.findElement("i"));
    ASSERT_EQ(doc.elementText(), std::to_string(i));
  }
  EXPECT_FALSE(doc.findElement());
}

TEST(Large, IndexGrowsByHalfInSegments) {
  xml::ElementIndex index;
  index.reset(10);
  EXPECT_EQ(index.capacity(), 10u);
  while (index.size() < 10) index.append();
  index.append();
  EXPECT_EQ(index.capacity(), 15u);
  for (uint32_t i = index.size(); i < 200000; ++i) {
    const uint32_t e = index.append();
    index[e].start = e;
  }
  for (uint32_t i = 11; i < 200000; ++i) ASSERT_EQ(index[i].start, i);
  EXPECT_GE(index.capacity(), 200000u);
}

}  // namespace
