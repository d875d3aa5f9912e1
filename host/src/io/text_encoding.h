// The one text conversion of the host and its tools: GBK (code page 936)
// inside, where drawings and plug-ins keep their texts, UTF-8 at the
// borders (scripts, the terminal, the transcript, newer drawing files).
//
// One policy everywhere:
//   - GBK to UTF-8 never fails: a byte that starts no valid GBK character
//     becomes U+FFFD, so the output is always valid UTF-8;
//   - UTF-8 to GBK for a drawing never loses a character: one GBK cannot
//     hold becomes the drawing format's escape \U+XXXX (four hex digits;
//     above U+FFFF a UTF-16 surrogate pair of escapes, as drawing readers
//     expect), and an invalid UTF-8 byte becomes \U+FFFD; escapes are read
//     back the same way;
//   - UTF-8 to GBK for what a person typed (a script line, a command-line
//     argument) is strict: an invalid sequence, or a character GBK cannot
//     hold, is refused with its position, never replaced by "?";
//   - a UTF-8 byte-order mark at the start of a text is skipped.
// Converters are opened once per thread and kept; scans over GBK step over
// double-byte characters whole (their second byte may be '\' or '^').
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace drawhost::text {

bool isAscii(std::string_view text);

// Bytes in the GBK character at `at`: 2 for a lead byte with a byte after it, else 1.
std::size_t gbkCharLength(std::string_view gbk, std::size_t at);

// ASCII letters upper-cased, the bytes of double-byte characters left alone
// (their second byte may look like a letter): how names compare without
// regard to case.
std::string upperAscii(std::string_view gbk);

// The text without a leading UTF-8 byte-order mark.
std::string_view withoutByteOrderMark(std::string_view utf8);

// GBK to UTF-8. With expandEscapes, \U+XXXX escapes become their characters.
std::string gbkToUtf8(std::string_view gbk, bool expandEscapes = false);

// UTF-8 to GBK with escapes for what GBK cannot hold.
std::string utf8ToGbk(std::string_view utf8);

// Why a strict conversion refused: where (byte offset in the input) and what.
struct Refusal {
  std::size_t offset = 0;
  std::string reason;  // "byte 0xFF is not UTF-8", "U+1F600 has no GBK form"
  bool notUtf8 = false;  // the first kind
};
// UTF-8 to GBK, false (with the refusal) at the first invalid sequence or
// character GBK cannot hold; gbk then holds the part converted so far.
bool utf8ToGbkStrict(std::string_view utf8, std::string& gbk, Refusal* refusal = nullptr);

// The text of a file in another code page ("ANSI_1252", ...) to GBK, with
// escapes. Returns false when the code page is unknown to this system; the
// text is then kept as it is.
bool codePageToGbk(std::string_view codePage, std::string_view text, std::string& out);

// Replaces each \U+XXXX escape (or surrogate pair) whose character GBK can
// hold by that character.
void collapseUnicodeEscapes(std::string& gbk);

}  // namespace drawhost::text
