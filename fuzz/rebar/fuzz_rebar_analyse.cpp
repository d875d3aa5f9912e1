// analyse() over arbitrary bytes and settings: it must never crash, hang or
// throw, must leave the result untouched when it finds no annotation, and
// must give the same answer twice.
//
// Input layout: byte 0 picks the reference spacing (a few ordinary values,
// 0, negative and extreme ones), byte 1 bit 0 the candidate layouts; the rest
// is the text.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "rebar/RebarAreaCalculator.h"

namespace {

const int kSpacings[] = {100, 150, 200, 0, -100, 1, INT_MAX, INT_MIN};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RebarAreaCalculator calculator;
  if (size < 2) return 0;
  calculator.setReferenceSpacing(kSpacings[data[0] % (sizeof kSpacings / sizeof kSpacings[0])]);
  calculator.setShowCandidateBars(data[1] & 1);
  std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

  std::string result = "untouched";
  bool found = calculator.analyse(text, result);
  if (!found && result != "untouched") {
    // Only an area triple with nothing to propose may change the result.
    if (result.find('(') == std::string::npos) std::abort();
  }
  std::string again = "untouched";
  if (calculator.analyse(text, again) != found || again != result) std::abort();
  return 0;
}
