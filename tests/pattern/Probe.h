// Test helpers: results written compactly, and every strategy run at once.
#pragma once

#include <string>

#include "pattern/Pattern.h"

namespace probe {

// "START,END" per entry ("-" when unmatched), space separated; "none" when
// the match fails; "error: MESSAGE" when the pattern does not compile.
inline std::string describe(const regex::MatchResults& r, const regex::backref_tag& whole,
                            const char* base) {
  if (!whole.matched) return "none";
  std::string out;
  for (size_t i = 0; i < r.size(); ++i) {
    const regex::backref_tag& t = r.at(i);
    if (!out.empty()) out += ' ';
    out += t.matched ? std::to_string(t.first - base) + "," + std::to_string(t.second - base) : "-";
  }
  return out;
}

inline std::string run(const std::string& pattern, const std::string& subject, unsigned flags = 0,
                       regex::MatchMode mode = regex::RecursiveMode) {
  try {
    regex::Pattern re(pattern, flags, mode);
    regex::MatchResults r;
    const regex::backref_tag& whole = re.match(subject, r);
    return describe(r, whole, subject.data());
  } catch (const regex::bad_regexpr& e) {
    return std::string("error: ") + e.what();
  }
}

// The same in all three modes; a disagreement is reported in the result.
inline std::string runAll(const std::string& pattern, const std::string& subject,
                          unsigned flags = 0) {
  std::string a = run(pattern, subject, flags, regex::RecursiveMode);
  std::string b = run(pattern, subject, flags, regex::HeapStackMode);
  std::string c = run(pattern, subject, flags, regex::MixedMode);
  if (a != b || a != c) return "modes differ: " + a + " | " + b + " | " + c;
  return a;
}

}  // namespace probe
