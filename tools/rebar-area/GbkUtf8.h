// Conversion between the terminal's UTF-8 and the drawings' GBK, for the
// rebar-area tool and its tests. Neither direction ever fails: what cannot be
// converted is marked in the output and reported by the return value.
#pragma once

#include <string>
#include <string_view>

// UTF-8 to GBK. A character GBK lacks, or a byte that is not valid UTF-8,
// becomes "?". Returns false when anything was replaced.
bool utf8ToGbk(std::string_view utf8, std::string& gbk);

// GBK to UTF-8. A byte that does not start a valid GBK character becomes the
// four characters "\xHH" (upper-case hex). Returns false when any did.
// With `oneLine`, the converted text is also escaped onto one line: each
// backslash is written as "\\\\" and each line feed as "\\n" (the "\xHH" marks
// stay single, so they cannot be confused with text).
bool gbkToUtf8(std::string_view gbk, std::string& utf8, bool oneLine = false);

// Shorthands that drop the flag.
std::string toGbk(std::string_view utf8);
std::string toUtf8(std::string_view gbk);
