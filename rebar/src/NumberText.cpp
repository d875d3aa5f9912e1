// Numbers in and out of annotation texts; see NumberText.h.
#include "NumberText.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>

namespace rebarcalc {
namespace {

locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

// Below this every double is an exact integer once rounded, and fits a long long.
constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53

}  // namespace

int toInt(const std::string& text) {
  long long value = strtoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double toReal(const std::string& text) {
  locale_t locale = cLocale();
  if (locale == static_cast<locale_t>(0)) return strtod(text.c_str(), nullptr);
  return strtod_l(text.c_str(), nullptr, locale);
}

void appendRounded(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += kNotANumberText;
    return;
  }
  // std::round takes halves away from zero and is exact, unlike floor(x + 0.5).
  double rounded = std::round(value);
  char buffer[400];  // DBL_MAX has 309 integer digits
  if (std::fabs(rounded) < kExactIntegerLimit) {
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(rounded));
    (void)error;
    // -0.4 rounds to -0, which "%.f" prints with its sign.
    if (rounded == 0 && std::signbit(rounded)) out += '-';
    out.append(buffer, end);
    return;
  }
  int length = std::snprintf(buffer, sizeof buffer, "%.0f", rounded);
  out.append(buffer, static_cast<size_t>(length));
}

void appendRoundedPadded(std::string& out, double value) {
  size_t start = out.size();
  appendRounded(out, value);
  size_t width = out.size() - start;
  if (width < 5) out.append(5 - width, ' ');
}

}  // namespace rebarcalc
