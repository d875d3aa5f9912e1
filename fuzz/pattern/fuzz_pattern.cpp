// Compiles arbitrary pattern text and runs every operation over an arbitrary
// subject in both strategies, which must agree unless a search was abandoned
// at the step bound.
//
// Input: two bytes of flags, then the pattern up to the first NUL byte, then
// the subject.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Budget.h"
#include "pattern/Pattern.h"

namespace {

std::string describe(const regex::MatchResults& r, const regex::backref_tag& whole, const char* base) {
  if (!whole.matched) return "none";
  std::string out;
  for (size_t i = 0; i < r.size(); ++i) {
    const regex::backref_tag& t = r.at(i);
    if (t.matched && (t.first < base || t.second < t.first)) std::abort();
    out += t.matched ? std::to_string(t.first - base) + "," + std::to_string(t.second - base) + " " : "- ";
  }
  return out;
}

std::string runAll(const std::string& pattern, unsigned flags, regex::MatchMode mode,
                   const std::string& subject) {
  regex::Pattern re(pattern, flags, mode);
  regex::MatchResults r;
  const char* b = subject.data();
  const char* e = b + subject.size();
  std::string out = describe(r, re.match(subject, r), b);
  out += "|" + std::to_string(re.count(b, e));
  std::vector<std::string> fields;
  for (int limit : {0, -1, 2}) {
    out += "|" + std::to_string(re.split(b, e, fields, limit));
    for (const std::string& f : fields) out += "," + f;
  }
  regex::Pattern copy = re;
  regex::Pattern global(pattern, flags | regex::Global | regex::CollectAllGroups, mode);
  out += "|" + describe(r, global.match(subject, r), b);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 4000) return 0;
  unsigned flags = (data[0] | (data[1] << 8)) & 0x3ffu;
  std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
  size_t cut = rest.find('\0');
  std::string pattern = rest.substr(0, cut);
  std::string subject = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
  // Long enough to nest groups past the parser's bound.
  if (pattern.size() > 3000 || subject.size() > 1000) return 0;
  try {
    regex::detail::setStepLimit(20000);
    std::string recursive = runAll(pattern, flags, regex::RecursiveMode, subject);
    bool abandoned = regex::detail::searchAbandoned();
    regex::detail::setStepLimit(20000);
    std::string stacked = runAll(pattern, flags, regex::HeapStackMode, subject);
    abandoned = abandoned || regex::detail::searchAbandoned();
    if (!abandoned && recursive != stacked) std::abort();
  } catch (const regex::bad_regexpr&) {
  }
  return 0;
}
