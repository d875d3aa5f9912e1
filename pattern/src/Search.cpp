// The search and the operations on it: one attempt at a start position
// (through either strategy), the walk over start positions (from the right,
// through the literal searcher, the start set, or every position), and
// match, count and split built on repeated searches.
//
// Invariant: a repeated search starts where the last match ended and may not
// take an empty match at that very position, so it always moves on.
#include <optional>

#include "Budget.h"
#include "Matcher.h"

namespace regex {
namespace detail {

bool Matcher::attempt(const char* at, bool emptyStart) {
  attempt_ = at;
  emptyStart_ = emptyStart;
  bool ok;
  if (useStack_) {
    ok = run(compiled_.first, at);
  } else {
    ok = rec(compiled_.first, at);
  }
  if (!frames_.empty() || !snapEntries_.empty()) {
    frames_.clear();
    dropSnapshots(0);
  }
  saved_.clear();
  if (!ok) return false;
  entries_[0].first = at;
  entries_[0].second = matchEnd_;
  entries_[0].matched = true;
  return true;
}

bool Matcher::search(const char* from, bool emptyStart) {
  resetEntries();
  aborted_ = false;
  const unsigned minWidth = pattern_.minWidth_;
  if (size_t(end_ - from) < minWidth) return false;
  const char* last = end_ - minWidth;
  if (compiled_.hasRequired && !holdsRequired(from)) return false;

  // The first block of the backtracking stack lives in this frame, so short
  // searches allocate nothing.
  alignas(Record) unsigned char firstBlock[1024];
  std::optional<BacktrackStack> stack;
  if (useStack_) stack_ = &stack.emplace(firstBlock, sizeof firstBlock);

  // The empty-start flag forbids an empty match at the attempt start itself.
  // Left to right that is the first position tried; right to left it is the
  // last, since forbidding it at the first would let a repeated search find
  // the same empty match again and again.
  auto tryAt = [&](const char* at) { return attempt(at, emptyStart && at == from); };
  bool found = false;
  if (pattern_.flags_ & FromRight) {
    for (const char* s = last;; --s) {
      if ((found = tryAt(s)) || aborted_ || !pattern_.mayMoveStart_ || s == from) break;
    }
  } else if (compiled_.searcher) {
    for (const char* s = from; (s = compiled_.searcher->find(s, end_)) != nullptr; ++s) {
      if ((found = tryAt(s)) || aborted_ || !pattern_.mayMoveStart_) break;
    }
  } else if (!pattern_.mayMoveStart_) {
    found = tryAt(from);
  } else if (compiled_.firstSetUsable) {
    const CharSet& set = compiled_.startSet;
    for (const char* s = from; s <= last && s != end_; ++s) {
      if (!set.has(static_cast<unsigned char>(*s))) continue;
      if ((found = tryAt(s)) || aborted_) break;
    }
  } else {
    for (const char* s = from; s <= last; ++s) {
      if ((found = tryAt(s)) || aborted_) break;
    }
  }
  stack_ = nullptr;
  if (aborted_) {
    noteAbandoned();
    resetEntries();
    return false;
  }
  return found;
}

void Matcher::appendVisible(std::vector<backref_tag>& out, bool replace) const {
  const std::vector<unsigned>& internal = compiled_.internalGroups;
  size_t at = replace ? 0 : out.size();
  out.resize(at + groupCount_ - internal.size());   // new entries come zeroed; old ones keep a zero `pending`
  backref_tag* to = out.data() + at;
  if (internal.empty()) {
    for (unsigned g = 0; g < groupCount_; ++g, ++to) {
      to->first = entries_[g].first;
      to->second = entries_[g].second;
      to->matched = entries_[g].matched;
    }
    return;
  }
  size_t k = 0;
  for (unsigned g = 0; g < groupCount_; ++g) {
    if (k < internal.size() && internal[k] == g) {
      ++k;
      continue;
    }
    to->first = entries_[g].first;
    to->second = entries_[g].second;
    to->matched = entries_[g].matched;
    ++to;
  }
}

}  // namespace detail

const backref_tag& Pattern::match(const std::string& subject, MatchResults& results, size_t pos,
                                  size_t len) const {
  if (pos > subject.size()) pos = subject.size();
  size_t rest = subject.size() - pos;
  if (len != npos && len < rest) rest = len;
  const char* first = subject.data() + pos;
  return match(first, first + rest, results);
}

const backref_tag& Pattern::match(const char* first, const char* last, MatchResults& results) const {
  results.subjectStart_ = first;
  if (!compiled_) {
    results.entries_.clear();
    return detail::kUnmatched;
  }
  detail::Matcher m(*this, first, last);
  if (!(flags_ & Global)) {
    bool found = m.search(first, false);
    m.appendVisible(results.entries_, true);
    return found ? results.entries_[0] : detail::kUnmatched;
  }
  std::vector<backref_tag> collected;
  const char* from = first;
  bool emptyStart = false;
  while (m.search(from, emptyStart)) {
    const backref_tag& whole = m.entry(0);
    if (flags_ & CollectWholeMatches) {
      backref_tag t = whole;
      t.pending = nullptr;
      collected.push_back(t);
    } else if (flags_ & CollectAllGroups) {
      m.appendVisible(collected);
    } else {
      collected.clear();
      m.appendVisible(collected);
    }
    from = whole.second;
    emptyStart = whole.first == whole.second;
  }
  if (m.aborted()) collected.clear();
  results.entries_.swap(collected);
  return results.entries_.empty() ? detail::kUnmatched : results.entries_[0];
}

unsigned Pattern::count(const char* first, const char* last) const {
  if (!compiled_) return 0;
  detail::Matcher m(*this, first, last);
  unsigned n = 0;
  const char* from = first;
  bool emptyStart = false;
  while (m.search(from, emptyStart)) {
    ++n;
    from = m.entry(0).second;
    emptyStart = m.entry(0).first == m.entry(0).second;
  }
  return m.aborted() ? 0 : n;
}

size_t Pattern::split(const char* first, const char* last, std::vector<std::string>& out,
                      int limit) const {
  out.clear();
  out.reserve(10);
  const char* prevEnd = first;
  if (compiled_ && limit != 1) {
    detail::Matcher m(*this, first, last);
    std::vector<backref_tag> groups;
    const char* from = first;
    bool emptyStart = false;
    while (m.search(from, emptyStart)) {
      const backref_tag whole = m.entry(0);
      bool empty = whole.first == whole.second;
      if (empty && whole.first == first) {
        from = whole.second;
        emptyStart = true;
        continue;
      }
      if (empty && prevEnd == last) break;
      out.emplace_back(prevEnd, whole.first);
      prevEnd = from = whole.second;
      emptyStart = empty;
      groups.clear();
      m.appendVisible(groups);
      for (size_t i = 1; i < groups.size(); ++i) out.push_back(groups[i].str());
      if (limit > 0 && --limit == 1) break;
    }
    if (m.aborted()) {
      out.clear();
      prevEnd = first;
    }
  }
  if (prevEnd != last || limit != 0) out.emplace_back(prevEnd, last);
  if (limit == 0)
    while (!out.empty() && out.back().empty()) out.pop_back();
  return out.size();
}

}  // namespace regex
