// Element text. References never span tokens: each text token is resolved
// on its own. A numeric reference is read with strtol in base 10 ("&#") or
// 16 ("&#x") from the characters before its ";" (at most seven of them) and
// written as UTF-8 of one to four bytes; zero, negative values and values
// past U+10FFFF are not characters, so the "&" stays as it is.
#include "ElementText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "XmlScanner.h"

namespace xml {
namespace {

constexpr uint32_t kCDataOpenLength = 9;   // "<![CDATA["
constexpr uint32_t kCDataCloseLength = 3;  // "]]>"
constexpr size_t kMaxReferenceDigits = 7;

struct NamedReference {
  std::string_view name;  // after "&", with the ";"
  char value;
};

constexpr NamedReference kNamedReferences[] = {
    {"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'},
};

void appendUtf8(long code, std::string& out) {
  const auto byte = [&out](long bits) { out.push_back(static_cast<char>(bits)); };
  if (code < 0x80) {
    byte(code);
  } else if (code < 0x800) {
    byte(0xC0 | (code >> 6));
    byte(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    byte(0xE0 | (code >> 12));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  } else {
    byte(0xF0 | (code >> 18));
    byte(0x80 | ((code >> 12) & 0x3F));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  }
}

// Resolves the reference whose "&" is at amp; returns the position after it,
// or null when it is not a resolvable reference.
const char* resolveOne(const char* amp, const char* end, std::string& out) {
  const std::string_view rest(amp + 1, static_cast<size_t>(end - amp - 1));
  for (const NamedReference& ref : kNamedReferences) {
    if (rest.starts_with(ref.name)) {
      out.push_back(ref.value);
      return amp + 1 + ref.name.size();
    }
  }
  if (!rest.starts_with('#')) return nullptr;
  const char* digits = amp + 2;
  int base = 10;
  if (digits < end && *digits == 'x') {
    ++digits;
    base = 16;
  }
  const size_t window = std::min<size_t>(kMaxReferenceDigits + 1, static_cast<size_t>(end - digits));
  const char* semicolon = static_cast<const char*>(std::memchr(digits, ';', window));
  if (!semicolon) return nullptr;
  char number[kMaxReferenceDigits + 1] = {};
  std::memcpy(number, digits, static_cast<size_t>(semicolon - digits));
  const long code = std::strtol(number, nullptr, base);
  if (code <= 0 || code > 0x10FFFF) return nullptr;
  appendUtf8(code, out);
  return semicolon + 1;
}

}  // namespace

void appendResolved(const char* begin, const char* end, std::string& out) {
  while (begin < end) {
    const char* amp = static_cast<const char*>(std::memchr(begin, '&', static_cast<size_t>(end - begin)));
    if (!amp) {
      out.append(begin, end);
      return;
    }
    out.append(begin, amp);
    const char* after = resolveOne(amp, end, out);
    if (after) {
      begin = after;
    } else {
      out.push_back('&');
      begin = amp + 1;
    }
  }
}

std::string elementText(const char* text, const ElementIndex& index, uint32_t e) {
  std::string out;
  if (e == 0 || e >= index.size()) return out;
  const ElementEntry& entry = index[e];
  if (entry.firstChild != 0 || (entry.flagsAndLevel & kNotEnded)) return out;
  const uint32_t begin = entry.start + index.startTagLength(e);
  const uint32_t endTag = index.endTagLength(e);
  if (entry.length <= index.startTagLength(e) + endTag) return out;  // empty element
  const uint32_t end = entry.start + entry.length - endTag;
  if (!std::memchr(text + begin, '<', end - begin)) {
    appendResolved(text + begin, text + end, out);
    return out;
  }
  XmlToken token;
  for (uint32_t offset = begin; offset < end; offset += token.length) {
    scanToken(text, offset, token);
    if (token.kind == NodeKind::EndOfText) break;
    const uint32_t tokenEnd = std::min(offset + token.length, end);
    if (token.kind == NodeKind::Text) {
      appendResolved(text + offset, text + tokenEnd, out);
    } else if (token.kind == NodeKind::CData) {
      const uint32_t innerBegin = offset + kCDataOpenLength;
      const uint32_t innerEnd = tokenEnd - kCDataCloseLength;
      if (innerBegin < innerEnd) out.append(text + innerBegin, text + innerEnd);
    }
  }
  return out;
}

}  // namespace xml
