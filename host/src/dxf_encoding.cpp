// Text conversions with iconv. Every scan over GBK text steps over double-byte characters as a
// whole: their second byte may be '\\' or '^', which must not be taken for an escape.
#include "dxf_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace drawhost::dxf {
namespace {

size_t gbkCharLength(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  return (lead >= 0x81 && lead <= 0xFE && at + 1 < text.size()) ? 2 : 1;
}

// One converter per direction and thread, opened on first use; opening is far dearer than
// converting a short text.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can; returns the number of input bytes consumed. Stops at the first
  // byte sequence it cannot convert.
  size_t convert(std::string_view in, std::string& out) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[512];
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

Converter& utf8ToGbkConverter() {
  thread_local Converter converter("GBK", "UTF-8");
  return converter;
}

Converter& gbkToUtf8Converter() {
  thread_local Converter converter("UTF-8", "GBK");
  return converter;
}

// Length of the valid UTF-8 sequence at `at` and its code point, or 0 when it is not valid.
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

void appendEscape(char32_t c, std::string& out) {
  static const char digits[] = "0123456789ABCDEF";
  out += "\\U+";
  if (c > 0xFFFF) out += digits[(c >> 16) & 0xF];
  for (int shift = 12; shift >= 0; shift -= 4) out += digits[(c >> shift) & 0xF];
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code point of a \U+XXXX escape at `at`, or 0 when there is none.
char32_t escapeAt(std::string_view text, size_t at) {
  if (text.compare(at, 3, "\\U+") != 0 && text.compare(at, 3, "\\u+") != 0) return 0;
  if (at + 7 > text.size()) return 0;
  char32_t c = 0;
  for (size_t i = at + 3; i < at + 7; ++i) {
    const int digit = hexValue(text[i]);
    if (digit < 0) return 0;
    c = (c << 4) | static_cast<char32_t>(digit);
  }
  return (c >= 0xD800 && c < 0xE000) ? 0 : c;
}

}  // namespace

bool isAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string nameKey(std::string_view gbk) {
  std::string key(gbk);
  for (size_t at = 0; at < key.size();) {
    const size_t length = gbkCharLength(key, at);
    if (length == 1 && key[at] >= 'a' && key[at] <= 'z') key[at] = static_cast<char>(key[at] - 32);
    at += length;
  }
  return key;
}

std::string utf8ToGbk(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  Converter& converter = utf8ToGbkConverter();
  std::string out;
  out.reserve(utf8.size());
  size_t at = 0;
  while (at < utf8.size()) {
    at += converter.valid() ? converter.convert(utf8.substr(at), out) : 0;
    if (at >= utf8.size()) break;
    char32_t c = 0;
    const size_t length = decodeUtf8(utf8, at, c);
    if (length == 0) {
      out += '?';
      ++at;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++at;
    } else {
      appendEscape(c, out);
      at += length;
    }
  }
  return out;
}

std::string gbkToUtf8(std::string_view gbk, bool expandEscapes) {
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  Converter& converter = gbkToUtf8Converter();
  size_t at = 0;
  while (at < gbk.size()) {
    const auto byte = static_cast<unsigned char>(gbk[at]);
    if (expandEscapes && byte == '\\') {
      if (const char32_t c = escapeAt(gbk, at)) {
        appendUtf8(c, out);
        at += 7;
        continue;
      }
    }
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++at;
      continue;
    }
    const size_t length = gbkCharLength(gbk, at);
    if (!converter.valid() || converter.convert(gbk.substr(at, length), out) != length) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      ++at;
    } else {
      at += length;
    }
  }
  return out;
}

bool codePageToGbk(std::string_view codePage, std::string_view text, std::string& out) {
  if (isAscii(text)) {
    out.assign(text);
    return true;
  }
  std::string name(codePage);
  if (name.rfind("ANSI_", 0) == 0) name = "CP" + name.substr(5);
  Converter toUtf8("UTF-8", name.c_str());
  if (!toUtf8.valid()) return false;
  std::string utf8;
  size_t at = 0;
  while (at < text.size()) {
    at += toUtf8.convert(text.substr(at), utf8);
    if (at < text.size()) {
      utf8 += "\xEF\xBF\xBD";
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
    if (gbk[at] == '\\') {
      if (const char32_t c = escapeAt(gbk, at)) {
        std::string utf8;
        appendUtf8(c, utf8);
        std::string converted;
        if (utf8ToGbkConverter().valid() &&
            utf8ToGbkConverter().convert(utf8, converted) == utf8.size()) {
          out += converted;
          at += 7;
          continue;
        }
      }
    }
    const size_t length = gbkCharLength(gbk, at);
    out.append(gbk, at, length);
    at += length;
  }
  gbk.swap(out);
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
    const size_t length = gbkCharLength(text, at);
    const auto byte = static_cast<unsigned char>(text[at]);
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
