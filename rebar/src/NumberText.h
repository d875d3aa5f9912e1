// Numbers in and out of annotation texts.
//
// In: sub-match texts become numbers the way the C library's conversions read
// them in the C locale (leading numeric prefix, no digits gives 0; the real
// conversion also takes exponents and hexadecimal). They never throw: a bar
// count or setting too large for an int saturates, a real too large for a
// double reads as infinity.
//
// Out: result texts print reals as "%.f" does in the result formats, i.e.
// rounded to the nearest integer with halves away from zero. The C library
// here rounds exact halves to even, so the value is rounded first and the
// integer printed. A value that is not finite (a stirrup spacing written as
// 0) prints as kNotANumberText instead of "inf" or "nan".
#pragma once

#include <string>

namespace rebarcalc {

inline constexpr char kNotANumberText[] = "--";

// strtol, saturated to the int range.
int toInt(const std::string& text);
// strtod in the C locale, whatever the process locale is.
double toReal(const std::string& text);

// "%.f" of value.
void appendRounded(std::string& out, double value);
// "%-5.f" of value: at least five characters, padded with blanks on the right.
void appendRoundedPadded(std::string& out, double value);

}  // namespace rebarcalc
