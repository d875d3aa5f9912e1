// XmlDocument: an XML document held as its text plus an index of the
// positions of its elements, walked level by level.
//
// There is no node tree: every element is an ElementEntry of offsets into the
// text, and names and contents are read from the text when asked for. One
// pass over the text builds the index and checks well-formedness; the first
// problem found becomes the message, later ones only set flags, and
// navigation still works on whatever was indexed. Nothing throws on bad
// input. Bytes are compared and copied as they are: no encoding is assumed.
//
// Navigation keeps three element indices (0 meaning none): the parent level,
// the current element among the parent's children, and the current child
// among the current element's children.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/ElementIndex.h"

class XmlDocument {
 public:
  // Document flag: tag names in findElement compared without regard to case.
  static constexpr uint32_t CaseInsensitiveNames = 0x100;

  XmlDocument();                            // empty document, message "Empty document"

  // Reads the whole file and parses it; true only when the file was read and
  // the document is well-formed. A file that cannot be read leaves the
  // previous document in place.
  bool loadFile(const char* path);
  bool parseText(const char* text);         // null text empties it; a NUL ends the text
  bool parseText(const char* text, size_t length); // text may hold NULs; the first one ends it

  // Back to the document start: no parent level, current element or child.
  void rewind();
  // Next element named `name` after the current element (or the first of the
  // parent level's children when there is none); null or "" takes any name.
  // A name matches a tag name it equals, or one it continues with one of
  // " =/[]". On success it becomes current and the current child is cleared.
  bool findElement(const char* name = nullptr);
  // The same among the current element's children, after the current child;
  // without a current element, first takes the first element of the level.
  bool findChildElement(const char* name = nullptr);
  // Steps into the current element: it becomes the parent level and its
  // current child (if any) the current element.
  bool enterElement();
  // Steps out: the parent level becomes current, the element left its
  // current child.
  bool leaveElement();
  // Text of the current element: empty when it has child elements, is empty
  // or was not ended; else its character data and CDATA contents, with
  // references resolved.
  std::string elementText() const;
  // The last load and parse: "N bytes", ", " and the first problem found.
  const std::string& message() const;

  // Tag name of the current element, as it stands in the text; empty when
  // there is no current element.
  std::string_view elementName() const;

  uint32_t flags() const { return flags_; }
  void setFlags(uint32_t flags) { flags_ = flags; }

  // The index and text, for tools and tests that inspect the structure.
  const xml::ElementIndex& elementIndex() const { return index_; }
  const std::string& documentText() const { return text_; }

 private:
  bool parse();
  bool matchesName(uint32_t element, const char* name) const;
  uint32_t findSibling(uint32_t from, const char* name) const;
  void clearPosition();

  std::string text_;       // whole document; scanning stops at the first NUL
  std::string message_;
  uint32_t parent_ = 0;
  uint32_t current_ = 0;
  uint32_t child_ = 0;
  int nodeKind_ = 0;       // 1 when the current node is an element
  uint32_t flags_ = 0;
  xml::ElementIndex index_;
};
