// The caret form of control characters in drawing files. Scans step over
// double-byte GBK characters whole: their second byte may be '^'.
#include "io/dxf_text.h"

namespace drawhost::dxf {

using text::gbkCharLength;

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t at = 0; at < a.size();) {
    const size_t length = gbkCharLength(a, at);
    if (length == 2) {
      if (a.compare(at, 2, b, at, 2) != 0) return false;
    } else {
      auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
      if (fold(a[at]) != fold(b[at])) return false;
    }
    at += length;
  }
  return true;
}

void decodeCarets(std::string& text) {
  if (text.find('^') == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t length = gbkCharLength(text, at);
    if (length == 1 && text[at] == '^' && at + 1 < text.size()) {
      const char next = text[at + 1];
      if (next == ' ') {
        out += '^';
        at += 2;
        continue;
      }
      if (next >= '@' && next <= '_') {
        out += static_cast<char>(next - '@');
        at += 2;
        continue;
      }
    }
    out.append(text, at, length);
    at += length;
  }
  text.swap(out);
}

void encodeCarets(std::string_view text, std::string& out) {
  size_t at = 0;
  while (at < text.size()) {
    size_t length = gbkCharLength(text, at);
    const auto byte = static_cast<unsigned char>(text[at]);
    if (length == 2 && static_cast<unsigned char>(text[at + 1]) < 0x20) {
      // A lead byte before a control character is no character: written as it is, it would
      // carry the control character into the file unescaped. '?' stands in for it.
      out += '?';
      at += 1;
      continue;
    }
    if (length == 1 && byte < 0x20) {
      out += '^';
      out += static_cast<char>(byte + '@');
    } else if (length == 1 && byte == '^') {
      out += "^ ";
    } else {
      out.append(text.substr(at, length));
    }
    at += length;
  }
}

}  // namespace drawhost::dxf
