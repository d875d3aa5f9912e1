// Compiled Perl-syntax regular expressions over narrow byte strings.
//
// A Pattern is compiled once from its text into a graph of nodes carved from
// its own arena; matching never changes it, so one Pattern may serve any
// number of searches.  A search tries start positions from left to right (or
// right to left under FromRight) and decides each one by backtracking:
// alternatives in source order, greedy quantifiers longest first, lazy ones
// shortest first.  The first success wins; no longest match is sought.
//
// Two strategies keep the backtracking state: nested calls on the thread's
// stack (RecursiveMode, bounded so that a search that would exhaust the stack
// reports no match) and an explicit stack of saved choices (HeapStackMode).
// MixedMode takes the first for patterns marked recursion-safe and the
// second otherwise.  Both give identical results.
//
// Errors in the pattern text throw bad_regexpr; nothing else throws except
// MatchResults::at (std::out_of_range) and allocation failure.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace regex {

enum PatternFlags : unsigned {
  NoFlags = 0,
  IgnoreCase = 0x001,
  Global = 0x002,
  MultiLine = 0x004,
  DotAll = 0x008,
  FromRight = 0x010,
  Reserved20 = 0x020,
  CollectWholeMatches = 0x040,
  CollectAllGroups = 0x080,
  ControlEscapes = 0x100,
  Extended = 0x200
};

enum MatchMode : int { RecursiveMode = 0, HeapStackMode = 1, MixedMode = 2 };

// The match limit: the steps (nodes visited) that one call of match, count
// or split may take on this thread, for every 10,000 bytes of its subject
// (and at least once). A call that would take more is abandoned and
// reports no match (count 0, split the whole subject as one piece), as
// does one that would exhaust the stack; each is counted. The default is
// far above what ordinary patterns need and stops a runaway backtracking
// within a second or so; ~0 lifts the limit.
constexpr unsigned long long kDefaultMatchLimit = 10'000'000;
void setMatchLimit(unsigned long long steps);
unsigned long long matchLimit();
// Calls abandoned on this thread since it started.
unsigned long long abandonedCalls();

class bad_regexpr : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// One sub-match.  The unmatched value has every field zero.
struct backref_tag {
  const char* first = nullptr;   // start position in the subject
  const char* second = nullptr;  // one past the end
  bool matched = false;
  std::string str() const;       // empty unless matched

  // Bookkeeping while a match is in progress: where the group was last
  // entered (its pending start).  Zero outside a search.
  const char* pending = nullptr;
};

namespace detail {
struct Compiled;
class Matcher;
}

class MatchResults {
 public:
  MatchResults() = default;
  virtual ~MatchResults();
  size_t size() const { return entries_.size(); }
  const backref_tag& at(size_t i) const;   // throws std::out_of_range
  const char* subjectStart() const { return subjectStart_; }

 private:
  friend class Pattern;
  friend class detail::Matcher;
  std::vector<backref_tag> entries_;
  const char* subjectStart_ = nullptr;
};

class Pattern {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  Pattern();
  explicit Pattern(const std::string& text, unsigned flags = 0, MatchMode mode = RecursiveMode);
  Pattern(const Pattern&);
  Pattern& operator=(const Pattern&);
  ~Pattern();

  const backref_tag& match(const std::string& subject, MatchResults& results,
                           size_t pos = 0, size_t len = npos) const;
  const backref_tag& match(const char* first, const char* last, MatchResults& results) const;
  unsigned count(const char* first, const char* last) const;
  size_t split(const char* first, const char* last, std::vector<std::string>& out,
               int limit = 0) const;

  // What compilation found out; useful to callers that tune their searches.
  unsigned flags() const { return flags_; }
  MatchMode mode() const { return mode_; }
  const std::string& text() const { return text_; }
  size_t groupCount() const { return groupCount_; }   // including group 0 and internal groups
  size_t visibleGroupCount() const;                    // including group 0
  unsigned minWidth() const { return minWidth_; }
  unsigned maxWidth() const { return maxWidth_; }      // all ones: unbounded
  bool mayMoveStart() const { return mayMoveStart_; }
  bool recursionSafe() const { return recursionSafe_; }

 private:
  friend class detail::Matcher;
  void compile();

  unsigned flags_ = 0;
  MatchMode mode_ = RecursiveMode;
  bool mayMoveStart_ = true;
  bool recursionSafe_ = true;
  unsigned groupCount_ = 0;
  unsigned minWidth_ = 0;
  unsigned maxWidth_ = 0;
  std::string text_;
  std::string templateText_;
  std::unique_ptr<detail::Compiled> compiled_;
};

}  // namespace regex
