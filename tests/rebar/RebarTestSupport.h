// Helpers for the rebar tests: texts are written in UTF-8 here and compared
// as the GBK bytes the calculator reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "io/text_encoding.h"
#include "rebar/RebarAreaCalculator.h"

inline std::string toGbk(std::string_view utf8) { return drawhost::text::utf8ToGbk(utf8); }
inline std::string toUtf8(std::string_view gbk) { return drawhost::text::gbkToUtf8(gbk); }

// Success when `input` (UTF-8) analyses to exactly `expected` (UTF-8, compared
// as GBK bytes).
inline ::testing::AssertionResult resultIs(const RebarAreaCalculator& calculator,
                                           std::string_view input, std::string_view expected) {
  std::string result;
  if (!calculator.analyse(toGbk(input), result)) {
    return ::testing::AssertionFailure() << "«" << input << "» is no annotation";
  }
  if (result != toGbk(expected)) {
    return ::testing::AssertionFailure() << "«" << input << "» gives\n«" << toUtf8(result)
                                         << "»\nexpected\n«" << expected << "»";
  }
  return ::testing::AssertionSuccess();
}

// Success when `input` is no annotation and leaves the result untouched.
inline ::testing::AssertionResult isNoAnnotation(const RebarAreaCalculator& calculator,
                                                 std::string_view input) {
  std::string result = "untouched";
  if (calculator.analyse(toGbk(input), result)) {
    return ::testing::AssertionFailure() << "«" << input << "» gives «" << toUtf8(result) << "»";
  }
  if (result != "untouched") {
    return ::testing::AssertionFailure() << "«" << input << "» changed the result";
  }
  return ::testing::AssertionSuccess();
}
