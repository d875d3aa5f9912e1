// The one text conversion: its policy case by case, and a round trip of
// random text through the drawing's code page against the text itself.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "io/text_encoding.h"

namespace {

using namespace drawhost::text;

const std::string kChineseUtf8 = "\xE8\xBF\x87\xE6\xBB\xA4\xE5\x88\x86\xE5\xB1\x82";  // 过滤分层
const std::string kChineseGbk = "\xB9\xFD\xC2\xCB\xB7\xD6\xB2\xE3";
const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD
const std::string kEmojiUtf8 = "\xF0\x9F\x98\x80";  // U+1F600

TEST(TextEncoding, GbkToUtf8ReplacesWhatIsNotGbk) {
  EXPECT_EQ(gbkToUtf8(kChineseGbk), kChineseUtf8);
  EXPECT_EQ(gbkToUtf8("plain"), "plain");
  EXPECT_EQ(gbkToUtf8("\xB9"), kReplacement);                      // a lone lead byte at the end
  EXPECT_EQ(gbkToUtf8("a\x81" "5b"), "a" + kReplacement + "5b");   // lead byte, bad trail byte
  EXPECT_EQ(gbkToUtf8("\xFF" + kChineseGbk), kReplacement + kChineseUtf8);
  // Escapes stay text unless asked for; then a surrogate pair is one character.
  EXPECT_EQ(gbkToUtf8("\\U+D83D\\U+DE00"), "\\U+D83D\\U+DE00");
  EXPECT_EQ(gbkToUtf8("\\U+D83D\\U+DE00", true), kEmojiUtf8);
  EXPECT_EQ(gbkToUtf8("x\\U+00E9y", true), "x\xC3\xA9y");
  EXPECT_EQ(gbkToUtf8("\\U+DE00", true), "\\U+DE00");  // a lone low surrogate is no escape
  EXPECT_EQ(gbkToUtf8("\\U+12", true), "\\U+12");      // too short
}

TEST(TextEncoding, Utf8ToGbkEscapesWhatGbkCannotHold) {
  EXPECT_EQ(utf8ToGbk(kChineseUtf8), kChineseGbk);
  EXPECT_EQ(utf8ToGbk(kEmojiUtf8), "\\U+D83D\\U+DE00");
  EXPECT_EQ(utf8ToGbk("a" + kEmojiUtf8 + "b"), "a\\U+D83D\\U+DE00b");
  EXPECT_EQ(utf8ToGbk("\xD0\x96"), "\xA7\xA8");  // Cyrillic: GBK holds it
  EXPECT_EQ(utf8ToGbk("\xFF"), "\\U+FFFD");            // not UTF-8
  EXPECT_EQ(utf8ToGbk("\xC0\xAF"), "\\U+FFFD\\U+FFFD");  // an overlong form: two bad bytes
  EXPECT_EQ(utf8ToGbk("\xED\xA0\x80"), "\\U+FFFD\\U+FFFD\\U+FFFD");  // an encoded surrogate
  EXPECT_EQ(utf8ToGbk("\xE8\xBF"), "\\U+FFFD\\U+FFFD");  // cut short
}

TEST(TextEncoding, StrictConversionRefusesWithWhereAndWhy) {
  std::string gbk;
  Refusal why;
  EXPECT_TRUE(utf8ToGbkStrict(kChineseUtf8, gbk, &why));
  EXPECT_EQ(gbk, kChineseGbk);
  EXPECT_FALSE(utf8ToGbkStrict("ab" + kEmojiUtf8, gbk, &why));
  EXPECT_EQ(why.offset, 2u);
  EXPECT_EQ(why.reason, "U+1F600 has no GBK form");
  EXPECT_EQ(gbk, "ab");
  EXPECT_FALSE(utf8ToGbkStrict(kChineseUtf8 + "\xFF", gbk, &why));
  EXPECT_EQ(why.offset, kChineseUtf8.size());
  EXPECT_EQ(why.reason, "byte 0xFF is not UTF-8");
  EXPECT_FALSE(utf8ToGbkStrict("\xE8\xBF", gbk, nullptr));
}

TEST(TextEncoding, EscapesCollapseWhenGbkHoldsTheCharacter) {
  std::string text = "\\U+8FC7\\U+D83D\\U+DE00\\U+DE00x";  // 过, an emoji, a lone surrogate
  collapseUnicodeEscapes(text);
  EXPECT_EQ(text, "\xB9\xFD\\U+D83D\\U+DE00\\U+DE00x");
  // The second byte of a GBK character may be a backslash: never the start of an escape.
  std::string trail = "\x81\\U+8FC7";
  collapseUnicodeEscapes(trail);
  EXPECT_EQ(trail, "\x81\\U+8FC7");
}

TEST(TextEncoding, ByteOrderMarkAndCaseFolding) {
  EXPECT_EQ(withoutByteOrderMark("\xEF\xBB\xBFLINE"), "LINE");
  EXPECT_EQ(withoutByteOrderMark("LINE"), "LINE");
  EXPECT_EQ(withoutByteOrderMark("\xEF\xBB"), "\xEF\xBB");
  // "a" as a trail byte (0x61) is part of a character, not a letter.
  EXPECT_EQ(upperAscii("ab\x81" "a"), "AB\x81" "a");
}

// Any valid UTF-8 goes into a drawing and comes back the same: characters GBK
// holds as GBK, the rest as escapes.
TEST(TextEncoding, RandomTextSurvivesTheDrawingCodePage) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(0, 5);
  auto randomChar = [&]() -> char32_t {
    switch (pick(rng)) {
      case 0: return std::uniform_int_distribution<char32_t>(0x20, 0x7E)(rng);
      case 1: return std::uniform_int_distribution<char32_t>(0x4E00, 0x9FA5)(rng);
      case 2: return std::uniform_int_distribution<char32_t>(0xA0, 0x2FFF)(rng);
      case 3: return std::uniform_int_distribution<char32_t>(0xE000, 0xFFFD)(rng);
      case 4: return std::uniform_int_distribution<char32_t>(0x10000, 0x10FFFF)(rng);
      default: return std::uniform_int_distribution<char32_t>(0x3000, 0x33FF)(rng);
    }
  };
  // UTF-8 written the long way: the continuation bytes from the last one back.
  auto encode = [](char32_t c, std::string& out) {
    if (c < 0x80) return void(out += static_cast<char>(c));
    int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    std::string bytes(extra + 1, '\0');
    for (int i = extra; i > 0; --i, c >>= 6) bytes[i] = static_cast<char>(0x80 | (c & 0x3F));
    static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    bytes[0] = static_cast<char>(kLead[extra] | c);
    out += bytes;
  };

  for (int round = 0; round < 2000; ++round) {
    std::string utf8;
    for (int n = std::uniform_int_distribution<int>(0, 12)(rng); n > 0; --n) {
      char32_t c = randomChar();
      if (c == '\\') c = '/';  // a literal "\U+" in the input would read back as an escape
      encode(c, utf8);
    }
    std::string gbk = utf8ToGbk(utf8);
    EXPECT_EQ(gbkToUtf8(gbk, true), utf8) << "round " << round;
    std::string collapsed = gbk;
    collapseUnicodeEscapes(collapsed);
    EXPECT_EQ(collapsed, gbk) << "round " << round;  // already as short as it gets
  }
}

}  // namespace
