// Text conversions at the borders of the drawing: GBK inside, UTF-8 or another code page in
// files and on the terminal.
//
// Conversions never fail as a whole. A character that GBK cannot hold becomes the drawing
// format's escape \U+XXXX, which the host shows as the character, so nothing is lost on the
// way in; bytes that are not valid in the source encoding become U+FFFD on the way out to
// UTF-8, so the output is always valid UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "dxf_model.h"

namespace drawhost::dxf {

bool isAscii(std::string_view text);

// The key under which names compare without regard to case: ASCII letters upper-cased, the
// bytes of double-byte characters left alone (their second byte may look like a letter).
DRAWHOST_IO_INTERNAL std::string nameKey(std::string_view gbk);

// UTF-8 to GBK; invalid UTF-8 sequences become '?'.
DRAWHOST_IO_INTERNAL std::string utf8ToGbk(std::string_view utf8);

// GBK to UTF-8, always valid UTF-8. With expandEscapes, \U+XXXX escapes become the characters.
DRAWHOST_IO_INTERNAL std::string gbkToUtf8(std::string_view gbk, bool expandEscapes = false);

// The text of a file in the given code page ("ANSI_1252", ...) to GBK. Returns false when the
// code page is unknown to this system; the text is then kept as it is.
bool codePageToGbk(std::string_view codePage, std::string_view text, std::string& out);

// Replaces each \U+XXXX escape whose character GBK can hold by that character.
void collapseUnicodeEscapes(std::string& gbk);

// The file format writes control characters as ^ and a letter (^J for a line feed) and a caret
// itself as "^ ". These two undo and do that.
void decodeCarets(std::string& text);
void encodeCarets(std::string_view text, std::string& out);

}  // namespace drawhost::dxf
