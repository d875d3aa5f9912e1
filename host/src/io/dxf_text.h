// Texts as drawing files write them: names that compare without regard to
// case, and the caret form of control characters. Conversions between code
// pages are the host's one text conversion (io/text_encoding.h).
#pragma once

#include <string>
#include <string_view>

#include "io/text_encoding.h"

namespace drawhost::dxf {

// The key under which names compare without regard to case.
inline std::string nameKey(std::string_view gbk) { return text::upperAscii(gbk); }
// Do two names compare equal that way? (No copies: for the per-entity paths.)
bool sameName(std::string_view a, std::string_view b);

// The file format writes control characters as ^ and a letter (^J for a line feed) and a caret
// itself as "^ ". These two undo and do that.
void decodeCarets(std::string& text);
void encodeCarets(std::string_view text, std::string& out);

}  // namespace drawhost::dxf
