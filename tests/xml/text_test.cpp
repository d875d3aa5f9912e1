// Element text: content, markup inside content, and references.
#include <gtest/gtest.h>

#include <string>

#include "ElementText.h"
#include "XmlTestSupport.h"

namespace {

// Text of the root element of `document`.
std::string rootText(const char* document) {
  XmlDocument doc;
  doc.parseText(document);
  if (!doc.findElement()) return "<no root>";
  return doc.elementText();
}

std::string resolved(const std::string& text) {
  std::string out;
  xml::appendResolved(text.data(), text.data() + text.size(), out);
  return out;
}

TEST(Text, ContentWithoutMarkupIsKeptWhole) {
  EXPECT_EQ(rootText("<a>  </a>"), "  ");
  EXPECT_EQ(rootText("<a> x\r\n y </a>"), " x\r\n y ");
  EXPECT_EQ(rootText("<a></a>"), "");
  EXPECT_EQ(rootText("<a/>"), "");
  EXPECT_EQ(rootText("<a>" XMLTEST_GBK_ZHONGWEN "</a>"), XMLTEST_GBK_ZHONGWEN);
}

TEST(Text, MarkupInContentKeepsTextTokensAndCData) {
  EXPECT_EQ(rootText("<a>1<!--c-->2<![CDATA[<3>]]></a>"), "12<3>");
  EXPECT_EQ(rootText("<a> <!--c--> x</a>"), " x");
  EXPECT_EQ(rootText("<a> x <?pi?> y </a>"), " x  y ");
  EXPECT_EQ(rootText("<a><![CDATA[&lt;]]>&lt;</a>"), "&lt;<");
  EXPECT_EQ(rootText("<a><![CDATA[]]></a>"), "");
  EXPECT_EQ(rootText("<a><![C]]></a>"), "");  // shorter than its brackets
  EXPECT_EQ(rootText("<a>x<b/>y</a>"), "");   // has a child
}

TEST(Text, ReferencesNeverSpanTokens) {
  EXPECT_EQ(rootText("<a>&am<!---->p;</a>"), "&amp;");
  EXPECT_EQ(rootText("<a>&#6<!---->5;</a>"), "&#65;");
}

TEST(Text, NamedReferences) {
  EXPECT_EQ(rootText("<a>x &lt; y &#65; &#0; &foo;</a>"), "x < y A &#0; &foo;");
  EXPECT_EQ(resolved("&lt;&gt;&amp;&apos;&quot;"), "<>&'\"");
  EXPECT_EQ(resolved("&amp;lt;"), "&lt;");  // one pass
  EXPECT_EQ(resolved("&LT; &lt &"), "&LT; &lt &");
  EXPECT_EQ(resolved("&&lt;"), "&<");
}

TEST(Text, NumericReferences) {
  EXPECT_EQ(resolved("&#65;&#x41;&#x7f;"), "AA\x7F");
  EXPECT_EQ(resolved("&#233;"), "\xC3\xA9");
  EXPECT_EQ(resolved("&#x4E2D;"), "\xE4\xB8\xAD");
  EXPECT_EQ(resolved("&#xFFFF;"), "\xEF\xBF\xBF");
  // Past the sixteen-bit range: four bytes, never truncated.
  EXPECT_EQ(resolved("&#x1F600;"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(resolved("&#1114111;"), "\xF4\x8F\xBF\xBF");
  // Not characters: the "&" stays.
  EXPECT_EQ(resolved("&#x110000;"), "&#x110000;");
  EXPECT_EQ(resolved("&#-65;"), "&#-65;");
  EXPECT_EQ(resolved("&#0;&#x;&#;"), "&#0;&#x;&#;");
  // At most seven characters before the ";".
  EXPECT_EQ(resolved("&#0000065;"), "A");
  EXPECT_EQ(resolved("&#00000065;"), "&#00000065;");
  EXPECT_EQ(resolved("&#65"), "&#65");
  // strtol reads what it can, as written.
  EXPECT_EQ(resolved("&#65x;"), "A");
  EXPECT_EQ(resolved("&#X41;"), "&#X41;");
}

}  // namespace
