// Token scanner. Each token kind has one small function; all of them walk
// the text with a byte-class table and stop at the NUL sentinel.
//
// Rules that are easy to get wrong:
//  - white space is exactly space, tab, line feed and carriage return;
//  - a tag name ends only at white space, "/", ">" (or the end);
//  - quotes protect ">" only in start tags and declarations;
//  - "/>" makes an empty element only when the "/" follows the name, a
//    quote or white space (so "<a x=1/>" is an open element);
//  - a malformed "<" becomes an error token running to the next ">".
#include "XmlScanner.h"

#include <array>

#include "Messages.h"

namespace xml {
namespace {

enum : uint8_t {
  kSpace = 1,       // space, tab, line feed, carriage return
  kNameEnd = 2,     // white space, "/", ">", NUL
  kTextEnd = 4,     // "<", NUL
  kTagStop = 8,     // ">", quotes, NUL
  kNameStart = 16,  // bytes that may follow "<" in a start tag
};

constexpr std::array<uint8_t, 256> makeClasses() {
  std::array<uint8_t, 256> table{};
  for (unsigned c : {' ', '\t', '\n', '\r'}) table[c] |= kSpace | kNameEnd;
  for (unsigned c : {'/', '>', '\0'}) table[c] |= kNameEnd;
  for (unsigned c : {'<', '\0'}) table[c] |= kTextEnd;
  for (unsigned c : {'>', '"', '\'', '\0'}) table[c] |= kTagStop;
  for (unsigned c = 'A'; c <= 'Z'; ++c) table[c] |= kNameStart;
  for (unsigned c = 'a'; c <= 'z'; ++c) table[c] |= kNameStart;
  for (unsigned c : {'{', '|', '}', '~', ':', '_'}) table[c] |= kNameStart;
  for (unsigned c = 0x7F; c <= 0xFF; ++c) table[c] |= kNameStart;
  return table;
}

constexpr std::array<uint8_t, 256> kClasses = makeClasses();

using Byte = unsigned char;

inline bool has(Byte c, uint8_t cls) { return (kClasses[c] & cls) != 0; }

// First byte at or after p in class cls; the NUL sentinel is in every class
// we search for, so this never runs off the text.
inline const Byte* skipUntil(const Byte* p, uint8_t cls) {
  for (;;) {
    if (has(p[0], cls)) return p;
    if (has(p[1], cls)) return p + 1;
    if (has(p[2], cls)) return p + 2;
    if (has(p[3], cls)) return p + 3;
    p += 4;
  }
}

// First occurrence of c (or the NUL) at or after p.
inline const Byte* findByte(const Byte* p, Byte c) {
  while (*p != c && *p != 0) ++p;
  return p;
}

// First occurrence of the terminator `close` (2 or 3 bytes) at or after p,
// or the NUL. Returns the position just past the terminator, or null.
const Byte* findClose(const Byte* p, const char* close, size_t closeLength) {
  const Byte first = static_cast<Byte>(close[0]);
  for (;;) {
    p = findByte(p, first);
    if (*p == 0) return nullptr;
    size_t i = 1;
    while (i < closeLength && p[i] == static_cast<Byte>(close[i])) ++i;
    if (i == closeLength) return p + closeLength;
    ++p;
  }
}

// The ">" that ends a start tag or declaration, skipping quoted values; null
// at the end of the text.
const Byte* findTagEnd(const Byte* p) {
  for (;;) {
    p = skipUntil(p, kTagStop);
    switch (*p) {
      case '>':
        return p;
      case '\0':
        return nullptr;
      default: {  // a quote: its value runs to the same quote
        const Byte* close = findByte(p + 1, *p);
        if (*close == 0) return nullptr;
        p = close + 1;
      }
    }
  }
}

class Scanner {
 public:
  Scanner(const char* text, uint32_t offset, XmlToken& token)
      : text_(reinterpret_cast<const Byte*>(text)),
        begin_(text_ + offset),
        token_(token) {
    token_.start = offset;
    token_.flags = 0;
    token_.nameLength = 0;
    token_.error.clear();
  }

  void scan() {
    const Byte* p = begin_;
    if (*p == 0) return finish(NodeKind::EndOfText, p);
    if (*p != '<') return characterData();
    const Byte next = p[1];
    if (has(next, kNameStart)) return startTag();
    switch (next) {
      case '/':
        return endTag();
      case '?':
        return processingInstruction();
      case '!':
        return bang();
      default:
        return incorrect(messages::kBadNameCharacter);
    }
  }

 private:
  void finish(NodeKind kind, const Byte* end) {
    token_.kind = kind;
    token_.length = static_cast<uint32_t>(end - begin_);
  }

  // Runs to the end of the text: the token never closed.
  void unterminated(std::string_view kind, const Byte* tokenStart) {
    token_.error = messages::unterminated(kind, offsetOf(tokenStart));
    const Byte* end = tokenStart;
    while (*end) ++end;
    finish(NodeKind::Error, end);
  }

  // A malformed "<": an error token up to and including the next ">".
  void incorrect(std::string_view what) {
    token_.error = messages::incorrect(what, offsetOf(begin_));
    const Byte* end = findByte(begin_ + 1, '>');
    finish(NodeKind::Error, *end ? end + 1 : end);
  }

  uint32_t offsetOf(const Byte* p) const { return static_cast<uint32_t>(p - text_); }

  void characterData() {
    const Byte* p = begin_;
    while (isXmlSpace(*p)) ++p;
    if (has(*p, kTextEnd)) return finish(NodeKind::WhiteSpace, p);
    finish(NodeKind::Text, skipUntil(p, kTextEnd));
  }

  void startTag() {
    const Byte* name = begin_ + 1;
    const Byte* nameEnd = skipUntil(name, kNameEnd);
    token_.nameLength = static_cast<uint32_t>(nameEnd - name);
    const Byte* close = findTagEnd(nameEnd);
    if (!close) return unterminated(messages::kStartTagKind, begin_);
    if (close[-1] == '/') {
      const Byte* slash = close - 1;
      const Byte before = slash[-1];
      if (slash == nameEnd || before == '"' || before == '\'' || isXmlSpace(before))
        token_.flags |= kEmptyElement;
    }
    finish(NodeKind::StartTag, close + 1);
  }

  void endTag() {
    const Byte* name = begin_ + 2;
    const Byte* nameEnd = skipUntil(name, kNameEnd);
    token_.nameLength = static_cast<uint32_t>(nameEnd - name);
    const Byte* close = findByte(nameEnd, '>');
    if (*close == 0) return unterminated(messages::kEndTagKind, begin_);
    finish(NodeKind::EndTag, close + 1);
  }

  void processingInstruction() {
    const Byte* end = findClose(begin_ + 2, "?>", 2);
    if (!end) return unterminated(messages::kProcessingInstructionKind, begin_);
    finish(NodeKind::ProcessingInstruction, end);
  }

  void bang() {
    switch (begin_[2]) {
      case '-':
        if (begin_[3] != '-') return incorrect(messages::kBadComment);
        return comment();
      case '[':
        if (begin_[3] != 'C') return incorrect(messages::kBadTag);
        return cdata();
      case 'D':
        return doctype();
      case 'E':
      case 'A':
      case 'N': {
        const Byte* close = findTagEnd(begin_ + 2);
        if (!close) return unterminated(messages::kOtherKind, begin_);
        return finish(NodeKind::Declaration, close + 1);
      }
      default:
        return incorrect(messages::kBadBangTag);
    }
  }

  void comment() {
    const Byte* end = findClose(begin_ + 4, "-->", 3);
    if (!end) return unterminated(messages::kCommentKind, begin_);
    finish(NodeKind::Comment, end);
  }

  void cdata() {
    const Byte* end = findClose(begin_ + 3, "]]>", 3);
    if (!end) return unterminated(messages::kCDataKind, begin_);
    finish(NodeKind::CData, end);
  }

  // A document type declaration: declarations and comments of an internal
  // subset are passed over, and the first ">" outside them and outside
  // quotes ends it.
  void doctype() {
    const Byte* p = begin_ + 2;
    for (;;) {
      p = skipUntil(p, kTagStop | kTextEnd);
      switch (*p) {
        case '\0':
          return unterminated(messages::kDoctypeKind, begin_);
        case '>':
          return finish(NodeKind::Declaration, p + 1);
        case '<': {
          if (p[1] != '!') {
            ++p;
            break;
          }
          const bool isComment = p[2] == '-' && p[3] == '-';
          const Byte* end = isComment ? findClose(p + 4, "-->", 3) : findTagEnd(p + 2);
          if (!end) return unterminated(messages::kDoctypeKind, p);
          p = isComment ? end : end + 1;
          break;
        }
        default: {  // a quote
          const Byte* close = findByte(p + 1, *p);
          if (*close == 0) return unterminated(messages::kDoctypeKind, begin_);
          p = close + 1;
        }
      }
    }
  }

  const Byte* text_;
  const Byte* begin_;
  XmlToken& token_;
};

}  // namespace

void scanToken(const char* text, uint32_t offset, XmlToken& token) {
  Scanner(text, offset, token).scan();
}

uint32_t tagNameLength(const char* name) {
  const Byte* p = reinterpret_cast<const Byte*>(name);
  return static_cast<uint32_t>(skipUntil(p, kNameEnd) - p);
}

}  // namespace xml
