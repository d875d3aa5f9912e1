// The token scanner: cuts the document text into tags, character data,
// comments, CDATA sections, processing instructions and declarations.
//
// The text must be NUL-terminated: the first NUL byte is the end of the
// document, and scanning relies on it as the only sentinel, so the inner
// loops test one byte-class table lookup per byte and no bounds. A token
// never runs past a NUL; one that reaches it unclosed is an error token.
// Bytes are unsigned throughout: a byte of 0x7F or above is a name byte.
#pragma once

#include <cstdint>
#include <string>

namespace xml {

enum class NodeKind : int {
  EndTag = 0,                   // </name>
  StartTag = 1,                 // <name ...> or <name .../>
  Text = 2,                     // character data with something besides white space
  WhiteSpace = 4,               // white space only
  CData = 8,                    // <![CDATA[...]]>
  ProcessingInstruction = 16,   // <?...?>
  Comment = 32,                 // <!--...-->
  Declaration = 64,             // <!DOCTYPE ...> and other <! declarations
  Error = -1,
  EndOfText = -2,
};

// XmlToken::flags: a start tag that ends with "/>" (an empty element).
inline constexpr uint32_t kEmptyElement = 0x10000;

struct XmlToken {
  NodeKind kind = NodeKind::EndOfText;
  uint32_t start = 0;       // offset of the token's first byte
  uint32_t length = 0;      // 0 only at the end of the text
  uint32_t flags = 0;
  uint32_t nameLength = 0;  // tags: the name follows "<" (start) or "</" (end)
  std::string error;        // error tokens: the message
};

// Scans the token that begins at `offset` of the NUL-terminated `text`.
void scanToken(const char* text, uint32_t offset, XmlToken& token);

// Length of the tag name at `name`: it runs to the first white space, "/",
// ">" or NUL.
uint32_t tagNameLength(const char* name);

inline bool isXmlSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace xml
