// UTF-8 <-> GBK through iconv, one undecodable sequence at a time.
#include "GbkUtf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace {

// Length of the UTF-8 sequence starting at `lead`, or 1 when it is not a
// well-formed one, so that an unconvertible character is skipped whole.
size_t utf8SequenceLength(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
  if (at + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 1;
  }
  return length;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as possible; returns the number of input bytes used.
  // Stops at the first sequence that cannot be converted.
  size_t convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) break;
    }
    return in.size() - inLeft;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool utf8ToGbk(std::string_view utf8, std::string& gbk) {
  static Converter converter("GBK", "UTF-8");
  gbk.clear();
  bool clean = true;
  size_t at = 0;
  while (at < utf8.size()) {
    at += converter.valid() ? converter.convert(utf8.substr(at), gbk) : 0;
    if (at >= utf8.size()) break;
    gbk += '?';
    clean = false;
    at += utf8SequenceLength(utf8, at);
  }
  return clean;
}

// In UTF-8 the bytes of "\\" and a line feed occur only as those characters.
static void appendOnOneLine(std::string_view utf8, std::string& out) {
  for (char c : utf8) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
}

bool gbkToUtf8(std::string_view gbk, std::string& utf8, bool oneLine) {
  static Converter converter("UTF-8", "GBK");
  utf8.clear();
  bool clean = true;
  size_t at = 0;
  std::string piece;
  while (at < gbk.size()) {
    piece.clear();
    at += converter.valid() ? converter.convert(gbk.substr(at), piece) : 0;
    if (oneLine) {
      appendOnOneLine(piece, utf8);
    } else {
      utf8 += piece;
    }
    if (at >= gbk.size()) break;
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(gbk[at]));
    utf8 += escaped;
    clean = false;
    ++at;
  }
  return clean;
}

std::string toGbk(std::string_view utf8) {
  std::string gbk;
  utf8ToGbk(utf8, gbk);
  return gbk;
}

std::string toUtf8(std::string_view gbk) {
  std::string utf8;
  gbkToUtf8(gbk, utf8);
  return utf8;
}
