// Text conversions with iconv, in runs: iconv converts as far as it can,
// and at the first sequence it cannot convert the policy of text_encoding.h
// decides (U+FFFD, an escape, or a refusal) before the next run starts.
#include "io/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>

namespace drawhost::text {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr char32_t kReplacement = 0xFFFD;

// A converter opened once and kept (opening is far dearer than converting a
// short text); one per direction and thread.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can and returns the number of input bytes
  // consumed; stops at the first sequence it cannot convert.
  size_t convert(std::string_view in, std::string& out) {
    if (!valid()) return 0;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      const size_t rc = iconv(handle_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, dst - buffer);
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) break;
    }
    return in.size() - srcLeft;
  }

 private:
  iconv_t handle_;
};

Converter& toGbk() {
  thread_local Converter converter("GBK", "UTF-8");
  return converter;
}

Converter& fromGbk() {
  thread_local Converter converter("UTF-8", "GBK");
  return converter;
}

// Length of the valid UTF-8 sequence at `at` and its code point, or 0 when
// it is not valid (overlong forms and surrogates included).
size_t decodeUtf8(std::string_view text, size_t at, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3
                  : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  codePoint = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
  if (overlong || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000)) return 0;
  return length;
}

void appendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUnit(char32_t unit, std::string& out) {
  static const char digits[] = "0123456789ABCDEF";
  out += "\\U+";
  for (int shift = 12; shift >= 0; shift -= 4) out += digits[(unit >> shift) & 0xF];
}

void appendEscape(char32_t c, std::string& out) {
  if (c <= 0xFFFF) return appendUnit(c, out);
  c -= 0x10000;
  appendUnit(0xD800 + (c >> 10), out);
  appendUnit(0xDC00 + (c & 0x3FF), out);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The UTF-16 unit of a \U+XXXX escape at `at`, or -1 when there is none.
long unitAt(std::string_view text, size_t at) {
  if (at + 7 > text.size() || text[at] != '\\' || (text[at + 1] != 'U' && text[at + 1] != 'u') ||
      text[at + 2] != '+')
    return -1;
  long unit = 0;
  for (size_t i = at + 3; i < at + 7; ++i) {
    const int digit = hexValue(text[i]);
    if (digit < 0) return -1;
    unit = (unit << 4) | digit;
  }
  return unit;
}

// The character of the escape (or surrogate pair of escapes) at `at` and
// the bytes it takes, or 0 when there is none; a lone surrogate is no escape.
char32_t escapeAt(std::string_view text, size_t at, size_t& length) {
  const long unit = unitAt(text, at);
  if (unit < 0 || (unit >= 0xDC00 && unit < 0xE000)) return 0;
  if (unit < 0xD800 || unit >= 0xE000) {
    length = 7;
    return static_cast<char32_t>(unit);
  }
  const long low = unitAt(text, at + 7);
  if (low < 0xDC00 || low >= 0xE000) return 0;
  length = 14;
  return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
         (static_cast<char32_t>(low) - 0xDC00);
}

// UTF-8 to GBK in runs; at each sequence iconv cannot convert, `stop`
// decides: it appends what stands for the character and returns true to go
// on, or returns false to end the conversion there.
template <typename Stop>
bool convertToGbk(std::string_view utf8, std::string& out, Stop&& stop) {
  out.reserve(out.size() + utf8.size());
  size_t at = 0;
  while (at < utf8.size()) {
    at += toGbk().convert(utf8.substr(at), out);
    if (at >= utf8.size()) break;
    char32_t c = 0;
    size_t length = decodeUtf8(utf8, at, c);
    if (length == 1) {  // ASCII that a broken converter did not take
      out += utf8[at++];
      continue;
    }
    if (!stop(at, length, c)) return false;
    at += length == 0 ? 1 : length;
  }
  return true;
}

// GBK to UTF-8 for a text without escapes.
void appendGbkRun(std::string_view gbk, std::string& out) {
  size_t at = 0;
  while (at < gbk.size()) {
    at += fromGbk().convert(gbk.substr(at), out);
    if (at >= gbk.size()) break;
    out += kReplacementUtf8;
    ++at;
  }
}

}  // namespace

bool isAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

size_t gbkCharLength(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  return (lead >= 0x81 && lead <= 0xFE && at + 1 < text.size()) ? 2 : 1;
}

std::string upperAscii(std::string_view gbk) {
  std::string key(gbk);
  for (size_t at = 0; at < key.size();) {
    const size_t length = gbkCharLength(key, at);
    if (length == 1 && key[at] >= 'a' && key[at] <= 'z') key[at] = static_cast<char>(key[at] - 32);
    at += length;
  }
  return key;
}

std::string_view withoutByteOrderMark(std::string_view utf8) {
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  return utf8;
}

std::string gbkToUtf8(std::string_view gbk, bool expandEscapes) {
  std::string out;
  if (isAscii(gbk) && !expandEscapes) return std::string(gbk);
  out.reserve(gbk.size() + gbk.size() / 2);
  size_t runStart = 0, at = 0;
  while (at < gbk.size()) {
    size_t length = 0;
    char32_t c = expandEscapes && gbk[at] == '\\' ? escapeAt(gbk, at, length) : 0;
    if (c == 0) {
      at += gbkCharLength(gbk, at);
      continue;
    }
    appendGbkRun(gbk.substr(runStart, at - runStart), out);
    appendUtf8(c, out);
    at += length;
    runStart = at;
  }
  appendGbkRun(gbk.substr(runStart), out);
  return out;
}

std::string utf8ToGbk(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  convertToGbk(utf8, out, [&](size_t, size_t length, char32_t c) {
    appendEscape(length == 0 ? kReplacement : c, out);
    return true;
  });
  return out;
}

bool utf8ToGbkStrict(std::string_view utf8, std::string& gbk, Refusal* refusal) {
  gbk.clear();
  if (isAscii(utf8)) {
    gbk.assign(utf8);
    return true;
  }
  return convertToGbk(utf8, gbk, [&](size_t at, size_t length, char32_t c) {
    if (refusal) {
      char reason[64];
      if (length == 0)
        std::snprintf(reason, sizeof reason, "byte 0x%02X is not UTF-8",
                      static_cast<unsigned>(static_cast<unsigned char>(utf8[at])));
      else
        std::snprintf(reason, sizeof reason, "U+%04X has no GBK form", static_cast<unsigned>(c));
      *refusal = {at, reason, length == 0};
    }
    return false;
  });
}

bool codePageToGbk(std::string_view codePage, std::string_view text, std::string& out) {
  if (isAscii(text)) {
    out.assign(text);
    return true;
  }
  // One converter per code page and thread, kept: a drawing calls this for every text.
  thread_local std::map<std::string, std::unique_ptr<Converter>, std::less<>> converters;
  auto found = converters.find(codePage);
  if (found == converters.end()) {
    std::string name(codePage);
    if (name.rfind("ANSI_", 0) == 0) name = "CP" + name.substr(5);
    auto converter = std::make_unique<Converter>("UTF-8", name.c_str());
    found = converters.emplace(std::string(codePage), std::move(converter)).first;
  }
  Converter& toUtf8 = *found->second;
  if (!toUtf8.valid()) return false;
  std::string utf8;
  size_t at = 0;
  while (at < text.size()) {
    at += toUtf8.convert(text.substr(at), utf8);
    if (at < text.size()) {
      utf8 += kReplacementUtf8;
      ++at;
    }
  }
  out = utf8ToGbk(utf8);
  return true;
}

void collapseUnicodeEscapes(std::string& gbk) {
  if (gbk.find("\\U+") == std::string::npos && gbk.find("\\u+") == std::string::npos) return;
  std::string out;
  out.reserve(gbk.size());
  size_t at = 0;
  while (at < gbk.size()) {
    size_t length = 0;
    if (const char32_t c = gbk[at] == '\\' ? escapeAt(gbk, at, length) : 0) {
      std::string utf8, converted;
      appendUtf8(c, utf8);
      if (toGbk().convert(utf8, converted) == utf8.size()) {
        out += converted;
        at += length;
        continue;
      }
    }
    const size_t charLength = gbkCharLength(gbk, at);
    out.append(gbk, at, charLength);
    at += charLength;
  }
  gbk.swap(out);
}

}  // namespace drawhost::text
