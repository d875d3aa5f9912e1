// The token scanner, checked as a list of tokens per input: kind, length,
// tag name, "/" for an empty element, and the error text.
#include <gtest/gtest.h>

#include <string>

#include "XmlScanner.h"
#include "XmlTestSupport.h"

namespace {

using xml::NodeKind;

std::string kindCode(NodeKind kind) {
  switch (kind) {
    case NodeKind::EndTag: return "E";
    case NodeKind::StartTag: return "S";
    case NodeKind::Text: return "T";
    case NodeKind::WhiteSpace: return "W";
    case NodeKind::CData: return "C";
    case NodeKind::ProcessingInstruction: return "P";
    case NodeKind::Comment: return "M";
    case NodeKind::Declaration: return "D";
    case NodeKind::Error: return "X";
    case NodeKind::EndOfText: return "$";
  }
  return "?";
}

// Tokens of `text` as "S3:a T1 E4:a X5(error)"; the text may hold a NUL.
std::string tokens(const std::string& text) {
  std::string out;
  xml::XmlToken token;
  uint32_t offset = 0;
  for (;;) {
    xml::scanToken(text.c_str(), offset, token);
    if (token.kind == NodeKind::EndOfText) return out;
    EXPECT_EQ(token.start, offset);
    EXPECT_GT(token.length, 0u);
    if (!out.empty()) out += ' ';
    out += kindCode(token.kind) + std::to_string(token.length);
    if (token.kind == NodeKind::StartTag || token.kind == NodeKind::EndTag) {
      const uint32_t nameStart = offset + (token.kind == NodeKind::StartTag ? 1 : 2);
      out += ":" + text.substr(nameStart, token.nameLength);
    }
    if (token.flags & xml::kEmptyElement) out += "/";
    if (token.kind == NodeKind::Error) out += "(" + token.error + ")";
    offset += token.length;
  }
}

struct Case {
  const char* text;
  const char* expected;
};

void check(std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(tokens(c.text), c.expected) << "text: " << c.text;
}

TEST(Tokens, CharacterData) {
  check({
      {"<a>x</a>", "S3:a T1 E4:a"},
      {"  <a/>", "W2 S4:a/"},
      {"<a/> \r\n\t", "S4:a/ W4"},
      {" \tx y <a/>", "T6 S4:a/"},
      {" \xA0<a/>", "T2 S4:a/"},  // only four bytes count as white space
      {"\v<a/>", "T1 S4:a/"},
  });
}

TEST(Tokens, TagNamesAndEmptyElements) {
  check({
      {"<a:b.c-d>", "S9:a:b.c-d"},
      {"<a=b x>", "S7:a=b"},
      {"<a\tx>", "S5:a"},
      {"<" XMLTEST_GBK_ZHONG ">", "S4:" XMLTEST_GBK_ZHONG},
      {"<\x7F>", "S3:\x7F"},
      {"<{x><|x><}x><~x><:x><_x>", "S4:{x S4:|x S4:}x S4:~x S4::x S4:_x"},
      {"<a/>", "S4:a/"},
      {"<a />", "S5:a/"},
      {"<a x=\"1\"/>", "S10:a/"},
      {"<a x='1'/>", "S10:a/"},
      {"<a x=1/>", "S8:a"},   // the "/" follows neither name, quote nor space
      {"<a/ >", "S5:a"},
      {"</a x>", "E6:a"},
      {"</>", "E3:"},
  });
}

TEST(Tokens, QuotesProtectOnlyStartTagsAndDeclarations) {
  check({
      {"<a x=\"1>2\">v", "S11:a T1"},
      {"<a x='\">'>", "S10:a"},
      {"<a x=\"'>\">", "S10:a"},
      {"</a x=\">\">", "E8:a T2"},
      {"<!ATTLIST a x CDATA \"1>\">", "D25"},
  });
}

TEST(Tokens, MarkupOtherThanElements) {
  check({
      {"<?xml v?><a/>", "P9 S4:a/"},
      {"<?>?>", "P5"},
      {"<!-- a -- b -->x", "M15 T1"},
      {"<!---->", "M7"},
      {"<![CDATA[<a>]]>b]]>", "C15 T4"},
      {"<!DOCTYPE r [<!ENTITY e \"a>b\"><!-- > --> ]>x", "D43 T1"},
      {"<!DOCTYPE r SYSTEM 'x>y'>", "D25"},
      {"<!ELEMENT a (b)><!NOTATION n SYSTEM \"x\">", "D16 D24"},
  });
}

TEST(Tokens, MalformedMarkupRunsToTheNextGreaterThan) {
  check({
      {"xx<1>y", "T2 X3(Incorrect tag name character at offset 2) T1"},
      {"a < b > c", "T2 X5(Incorrect tag name character at offset 2) T2"},
      {"<", "X1(Incorrect tag name character at offset 0)"},
      {"<!-x>", "X5(Incorrect comment tag at offset 0)"},
      {"<![X>", "X5(Incorrect tag at offset 0)"},
      {"<!x>", "X4(Incorrect ! tag at offset 0)"},
      {"<!doctype r>", "X12(Incorrect ! tag at offset 0)"},
      {"<!", "X2(Incorrect ! tag at offset 0)"},
  });
}

TEST(Tokens, UnterminatedTokensRunToTheEnd) {
  check({
      {"<a x=\"1>", "X8(Element tag at offset 0 unterminated)"},
      {"x</a", "T1 X3(Element end tag at offset 1 unterminated)"},
      {"<?x", "X3(Processing instruction at offset 0 unterminated)"},
      {"<!-- x", "X6(Comment at offset 0 unterminated)"},
      {"<!-->", "X5(Comment at offset 0 unterminated)"},
      {"<![CDATA[x]]", "X12(CDATA Section at offset 0 unterminated)"},
      {"<!DOCTYPE r", "X11(Doctype at offset 0 unterminated)"},
      {"<!DOCTYPE r [<!ENTITY e \"x\" ", "X28(Doctype at offset 13 unterminated)"},
      {"<!ENTITY x", "X10(tag at offset 0 unterminated)"},
  });
}

TEST(Tokens, NulEndsTheText) {
  EXPECT_EQ(tokens(std::string("a\0<b>", 5)), "T1");
  EXPECT_EQ(tokens(std::string("<a x=\"\0\">", 9)), "X6(Element tag at offset 0 unterminated)");
  EXPECT_EQ(tokens(std::string("<!--\0-->", 8)), "X4(Comment at offset 0 unterminated)");
}

}  // namespace
