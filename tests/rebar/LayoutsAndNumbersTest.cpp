// Candidate layouts, stirrup areas and the number conversions under them.
#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>

#include "AreaComputation.h"
#include "NumberText.h"
#include "RebarTestSupport.h"

namespace {

using namespace rebarcalc;

std::string layouts(double area, bool* found = nullptr) {
  std::string out;
  bool result = appendCandidateLayouts(area, out);
  if (found) *found = result;
  return toUtf8(out);
}

TEST(CandidateLayouts, SmallAreasWalkDownToSixMillimetres) {
  EXPECT_EQ(layouts(160), "\n2φ12  \n3φ10  2φ10+1φ6  1φ10+2φ8  \n4φ8  \n6φ6  ");
  EXPECT_EQ(layouts(80), "\n2φ8  \n3φ6  ");
  bool found = false;
  EXPECT_EQ(layouts(50, &found), "");
  EXPECT_TRUE(found);
}

TEST(CandidateLayouts, LargeAreasStartAtThirtySixMillimetres) {
  EXPECT_EQ(layouts(5000),
            "\n5φ36  2φ36+4φ32  3φ36+3φ30  3φ36+3φ32  \n7φ32  \n7φ30  \n9φ28  \n11φ25  ");
  // 4899.9 + 50 stays below the threshold once 50 is taken off.
  EXPECT_EQ(layouts(4949).substr(0, 7), "\n10φ25");
}

TEST(CandidateLayouts, TooManySmallBarsEndTheList) {
  // 9 bars of 20 mm would be needed: the list stops before 20 mm.
  std::string text = layouts(2900);
  EXPECT_EQ(text.find("φ20"), std::string::npos) << text;
  EXPECT_NE(text.find("φ22"), std::string::npos) << text;
}

TEST(CandidateLayouts, BelowATenthNothingAndFalse) {
  bool found = true;
  EXPECT_EQ(layouts(0.09, &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(layouts(-5, &found), "");
  EXPECT_FALSE(found);
}

TEST(CandidateLayouts, HugeAreasDoNotOverflow) {
  // Far beyond a 64-bit integer: printed in full, never wrapped.
  std::string text = layouts(1e30);
  EXPECT_EQ(text.substr(0, 4), "\n982");
  EXPECT_EQ(text.find('-'), std::string::npos);
  EXPECT_EQ(layouts(INFINITY).substr(0, 9), "\n--φ36  ");
}

TEST(StirrupArea, Formulas) {
  StirrupSpec stirrup;
  stirrup.firstDiameter = 10;
  stirrup.legs = 4;
  EXPECT_DOUBLE_EQ(stirrupArea(StirrupKind::PerMetre, 1.0, stirrup, 100, 100), 785.398);
  EXPECT_DOUBLE_EQ(stirrupArea(StirrupKind::PerReferenceLength, 1.0, stirrup, 100, 150),
                   0.785398 * 100 * 4 * 1.5);
  stirrup.secondDiameter = 8;
  EXPECT_DOUBLE_EQ(stirrupArea(StirrupKind::PerMetre, 2.0, stirrup, 200, 100),
                   2.0 * 164 / 200 * 392.699);
  EXPECT_FALSE(std::isfinite(stirrupArea(StirrupKind::PerMetre, 1.0, stirrup, 0, 100)));
}

TEST(StirrupText, OneOrTwoSpacingsPaddedNeverCut) {
  StirrupSpec stirrup;
  stirrup.firstDiameter = 40;
  stirrup.firstSpacing = 1;
  std::string out;
  appendStirrupText(StirrupKind::PerMetre, 1.0, stirrup, 100, out);
  EXPECT_EQ(out, "1256637");
  stirrup.firstSpacing = 1000;
  stirrup.secondSpacing = 2000;
  out.clear();
  appendStirrupText(StirrupKind::PerMetre, 1.0, stirrup, 100, out);
  EXPECT_EQ(out, "1257 / 628  ");
}

// "%.f" as the results mean it: the C library's "%.0f", except that exact
// halves round away from zero.
std::string referenceRounded(double x) {
  char buffer[400];
  double whole = std::trunc(x);
  if (std::fabs(x - whole) == 0.5) x = whole + (x > 0 ? 1 : -1);
  std::snprintf(buffer, sizeof buffer, "%.0f", x);
  return buffer;
}

std::string rounded(double x) {
  std::string out;
  appendRounded(out, x);
  return out;
}

TEST(NumberText, HalvesRoundAwayFromZero) {
  EXPECT_EQ(rounded(0.5), "1");
  EXPECT_EQ(rounded(1.5), "2");
  EXPECT_EQ(rounded(2.5), "3");
  EXPECT_EQ(rounded(-2.5), "-3");
  EXPECT_EQ(rounded(0.49999999999999994), "0");
  EXPECT_EQ(rounded(4503599627370497.0), "4503599627370497");
  EXPECT_EQ(rounded(-0.25), "-0");
  EXPECT_EQ(rounded(1e20), "100000000000000000000");
  EXPECT_EQ(rounded(NAN), kNotANumberText);
  EXPECT_EQ(rounded(-INFINITY), kNotANumberText);
}

TEST(NumberText, RoundingAgreesWithReference) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> small(-3000, 3000);
  for (int i = 0; i < 20000; ++i) {
    double x = small(random);
    double half = std::floor(x) + 0.5;  // exact halves as well
    ASSERT_EQ(rounded(x), referenceRounded(x)) << x;
    ASSERT_EQ(rounded(half), referenceRounded(half)) << half;
  }
  for (double x : {1e15 + 0.5, 9007199254740991.0, 9007199254740993.0, 1e300, -1e300}) {
    EXPECT_EQ(rounded(x), referenceRounded(x)) << x;
  }
}

TEST(NumberText, PaddedToFive) {
  std::string out;
  appendRoundedPadded(out, 3.5);
  appendRoundedPadded(out, 123456);
  appendRoundedPadded(out, NAN);
  EXPECT_EQ(out, "4    123456--   ");
}

TEST(NumberText, ConversionsReadLeadingNumbers) {
  EXPECT_EQ(toInt("25"), 25);
  EXPECT_EQ(toInt("  -7x"), -7);
  EXPECT_EQ(toInt("abc"), 0);
  EXPECT_EQ(toInt(""), 0);
  EXPECT_EQ(toInt(std::string(40, '9')), 2147483647);
  EXPECT_EQ(toInt("-" + std::string(40, '9')), -2147483647 - 1);
  EXPECT_EQ(toInt("4294967297"), 2147483647);
  EXPECT_DOUBLE_EQ(toReal("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(toReal("1e2"), 100);
  EXPECT_DOUBLE_EQ(toReal("0x10"), 16);
  EXPECT_DOUBLE_EQ(toReal("1,5"), 1);
  EXPECT_DOUBLE_EQ(toReal(""), 0);
  EXPECT_TRUE(std::isinf(toReal(std::string(400, '9'))));
}

TEST(NumberText, RealConversionIgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  const char* commaLocale = nullptr;
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name)) {
      commaLocale = name;
      break;
    }
  }
  if (!commaLocale) GTEST_SKIP() << "no locale with a decimal comma installed";
  EXPECT_DOUBLE_EQ(toReal("1.5"), 1.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
