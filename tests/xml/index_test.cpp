// Building the index: structure, recovery from ill-formed markup and the
// messages, as fixtures of input, result, message and element dump.
#include <gtest/gtest.h>

#include <string>

#include "XmlTestSupport.h"

namespace {

struct Fixture {
  const char* text;
  bool ok;
  const char* message;
  const char* dump;  // "depth name text" lines
};

void check(std::initializer_list<Fixture> fixtures) {
  for (const Fixture& f : fixtures) {
    XmlDocument doc;
    EXPECT_EQ(doc.parseText(f.text), f.ok) << f.text;
    EXPECT_EQ(doc.message(), f.message) << f.text;
    EXPECT_EQ(xmltest::dump(doc), f.dump) << f.text;
  }
}

TEST(Index, WellFormedDocuments) {
  check({
      {"<a/>", true, "", "0 a \n"},
      {"<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE a [<!ENTITY e \"x\">]>\n"
       "<a><b>1</b><c/><b>2</b></a>\n<!-- trailer -->\n",
       true, "", "0 a \n1 b 1\n1 c \n1 b 2\n"},
      {"<a><b><c><d>x</d></c></b><e/></a>", true, "",
       "0 a \n1 b \n2 c \n3 d x\n1 e \n"},
      {"<a x=\"1>2\">v</a>", true, "", "0 a v\n"},
      {"<A><a></a></A>", true, "", "0 A \n1 a \n"},
  });
}

TEST(Index, RootProblems) {
  check({
      {"", false, "Empty document", ""},
      {"  text only ", false, "No root element", ""},
      {"<!-- only a comment -->", false, "No root element", ""},
      {"<a/><b/>", false, "Root element has sibling", "0 a \n0 b \n"},
      {"<a/>x", true, "", "0 a \n"},
  });
}

TEST(Index, MismatchedEndTagsCloseInnerElementsAsNotEnded) {
  check({
      {"<a><b></a>", false, "End tag 'a' at offset 7 does not match start tag 'b' at offset 3",
       "0 a \n1 b \n"},
      // The innermost of the elements left open is named; children move up.
      {"<a><b><c><d/></c><e></a>", false,
       "End tag 'a' at offset 21 does not match start tag 'e' at offset 17",
       "0 a \n1 b \n1 c \n2 d \n1 e \n"},
      {"<a><b><x/><y/></a>", false,
       "End tag 'a' at offset 15 does not match start tag 'b' at offset 3",
       "0 a \n1 b \n1 x \n1 y \n"},
      // End tags match by exact bytes.
      {"<a><B></b></a>", false, "No start tag for end tag 'b' at offset 6", "0 a \n1 B \n"},
      {"<a>x</b>y</a>", false, "No start tag for end tag 'b' at offset 4", "0 a xy\n"},
      {"<a></a></a>", false, "No start tag for end tag 'a' at offset 7", "0 a \n"},
      {"x</a>", false, "No root element", ""},  // the root problem wins
  });
}

TEST(Index, ElementsOpenAtTheEndOfTheText) {
  check({
      {"<a>", false, "Element 'a' at offset 0 not ended", "0 a \n"},
      {"<r>text<!---->", false, "Element 'r' at offset 0 not ended", "0 r \n"},
      // The root's children move up beside it: the root then has siblings.
      {"<r><a><b/></a>", false, "Root element has sibling", "0 r \n0 a \n1 b \n"},
      {"<a><b>x", false, "Root element has sibling", "0 a \n0 b \n"},
      {"<r><a/>", false, "Root element has sibling", "0 r \n0 a \n"},
      {"<r><a><b/>", false, "Root element has sibling", "0 r \n0 a \n0 b \n"},
  });
}

TEST(Index, OnlyTheFirstProblemIsReported) {
  check({
      {"<a><1></b></a>", false, "Incorrect tag name character at offset 3", "0 a \n"},
      {"<a></b><c></a>", false, "No start tag for end tag 'b' at offset 3", "0 a \n1 c \n"},
      {"<a><!-x></a>", false, "Incorrect comment tag at offset 3", "0 a \n"},
      {"<a>1 < 2</a>", false, "Incorrect tag name character at offset 5", "0 a \n"},
      {"<a><b x=\"></a>", false, "Element tag at offset 3 unterminated", "0 a \n"},
  });
}

TEST(Index, FlagsRecordWhatWentWrong) {
  XmlDocument doc;
  ASSERT_FALSE(doc.parseText("<a><b><c></b><d></x></d></a>"));
  const xml::ElementIndex& index = doc.elementIndex();
  ASSERT_EQ(index.size(), 5u);
  EXPECT_TRUE(index[0].flagsAndLevel & xml::kIllFormed);
  EXPECT_TRUE(index[3].flagsAndLevel & xml::kNotEnded);          // c
  EXPECT_EQ(index[3].length, 3u);
  EXPECT_TRUE(index[4].flagsAndLevel & xml::kDescendantIllFormed);  // d holds </x>
  EXPECT_FALSE(index[2].flagsAndLevel & xml::kNotEnded);         // b
  EXPECT_EQ(index[2].length, 10u);
  EXPECT_EQ(index[1].length, 28u);                               // a, whole text
  EXPECT_EQ(index[0].length, 28u);
  EXPECT_TRUE(index[1].flagsAndLevel & xml::kFirstChild);
  EXPECT_TRUE(index[2].flagsAndLevel & xml::kFirstChild);
  EXPECT_FALSE(index[4].flagsAndLevel & xml::kFirstChild);
  // Last-child link of the first child, true links of the others.
  EXPECT_EQ(index[2].previousSibling, 4u);
  EXPECT_EQ(index[4].previousSibling, 2u);
  EXPECT_EQ(index.startTagLength(2), 3u);
  EXPECT_EQ(index.endTagLength(2), 4u);
  EXPECT_EQ(index.level(3), 2u);
}

TEST(Index, NulEndsTheDocument) {
  XmlDocument doc;
  EXPECT_TRUE(doc.parseText(std::string("<a>x</a>\0<b/>", 13).c_str(), 13));
  EXPECT_EQ(xmltest::dump(doc), "0 a x\n");
  EXPECT_FALSE(doc.parseText(std::string("\0<a/>", 5).c_str(), 5));
  EXPECT_EQ(doc.message(), "Empty document");
  EXPECT_FALSE(doc.parseText(nullptr));
  EXPECT_EQ(doc.message(), "Empty document");
  EXPECT_FALSE(doc.parseText("<a>\0</a>"));
  EXPECT_EQ(doc.message(), "Element 'a' at offset 0 not ended");
}

}  // namespace
