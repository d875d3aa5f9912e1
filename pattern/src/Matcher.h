// The matcher's shared state: one call's entries, loop states, the
// backtracking stack and the hooks both strategies use. Internal.
//
// A Matcher serves one call of match, count or split, which may run many
// searches; its steps count across all of them against the match limit, so
// a call never does more than the limit's work. Once a search is abandoned
// (steps or stack) the call reports no match.
//
// A search tries start positions and decides each by walking the node graph
// from the first node.  Both strategies make the same decisions in the same
// order; they differ only in where a pending choice lives:
//
//  - recursive (RecursiveMatch.cpp): a node with choices calls its successor
//    and, when that call fails, undoes what it recorded and tries its next
//    choice.  The depth is bounded by the room left on the thread's stack; a
//    search that reaches the bound is abandoned and reports no match.
//  - stack-based (StackMatch.cpp): a pending choice, and every value that
//    must be put back when backtracking passes it, is a Record on the
//    BacktrackStack.  Failure pops records, restoring values, until one
//    resumes matching.
//
// Look-arounds, independent groups and conditions run their sub-pattern as a
// nested match that ends at a Succeed node.  Entries of the groups inside are
// saved first, so that backtracking past the construct restores them.  The
// search over start positions and the operations on it are in Search.cpp.
//
// Invariants:
//  - after a failed attempt every entry and loop state is back to the value
//    it had before the attempt (all changes are undone on the way out);
//  - entries of internal groups are never written; they are dropped from the
//    results;
//  - a capture is written whole at the group's exit (`pending` holds the
//    entry position meanwhile), so a backreference never sees half a capture.
#pragma once

#include <pthread.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "Nodes.h"

namespace regex::detail {

// The matcher's thread-local state lives in the static TLS block: the library is linked into
// plug-ins that are loaded and unloaded, and data of the dynamic TLS of an unloaded library is
// left behind for whoever walks it (the leak checker does at exit), where this is not. It is a
// few words; static TLS is also quicker to reach.
#define REGEX_THREAD_LOCAL thread_local __attribute__((tls_model("initial-exec")))

// The match limit of calls on this thread (Budget.h), and whether one was abandoned.
extern REGEX_THREAD_LOCAL uint64_t stepLimit;
extern REGEX_THREAD_LOCAL bool abandoned;

// What one call over `length` bytes may take: the limit for every 10,000
// bytes, and at least the limit, so that work in proportion to the subject
// is never cut short.
inline uint64_t callStepLimit(uint64_t limit, size_t length) {
  const uint64_t blocks = length / 10000 + 1;
  return limit > UINT64_MAX / blocks ? UINT64_MAX : limit * blocks;
}

inline const backref_tag kUnmatched{};

// Lowest address a recursive search may reach on this thread (computed once;
// inline, since every search asks).
inline const char* stackFloor() {
  REGEX_THREAD_LOCAL const char* floor = [] {
    // Room kept free below the deepest frame, for the callees of the
    // matcher itself and for whatever the platform runs on this stack.
    constexpr size_t kMargin = 256 * 1024;
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    pthread_attr_t attr;
    void* low = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      pthread_attr_getstack(&attr, &low, &size);
      pthread_attr_destroy(&attr);
    }
    if (!low || size == 0) return here - kMargin;   // unknown: stay within a modest depth
    return static_cast<const char*>(low) + std::min(kMargin, size / 4);
  }();
  return floor;
}

inline bool isWord(unsigned char c) { return predefinedSets().word.has(c); }

inline bool singleMatches(const sub_expr* atom, unsigned char c) {
  switch (atom->kind) {
    case NodeKind::Char: return c == atom->ch || c == atom->ch2;
    case NodeKind::Any: return c != '\n';
    case NodeKind::AnyAll: return true;
    default: return atom->set->has(c);
  }
}

struct LoopState {
  unsigned count = 0;
  const char* start = nullptr;
};

enum class Op : uint8_t {
  Choice,          // resume at node, pos
  Restore,         // entries[idx] gets first = pos, second, matched back
  RestorePending,  // entries[idx].pending = pos
  RestoreLoop,     // loops[idx] = loop
  StarGreedy,      // give back one repetition of node from pos (count n)
  StarLazy,        // take one more repetition
  LazyIter,        // run one more iteration of a lazy loop at pos
  LookBehindNext,  // try the look-behind node's next start n, target pos
  RecurseUncall,   // undo entering a recursion
  RecurseUnreturn  // undo returning from a recursion
};

// 32 bytes; which fields mean what depends on the operation.
struct Record {
  Op op;
  bool matched;
  unsigned idx;
  const sub_expr* node;
  const char* pos;
  union {
    size_t n;
    const char* second;
  };
};

struct Frame {
  const sub_expr* next;   // where the recursion returns to
  size_t snapshot;        // index of the caller's entries in the save area
};

// Chain of blocks of records; the first block is supplied by the caller's
// frame, further ones come from the heap and are kept for reuse until the
// search ends.
class BacktrackStack {
 public:
  struct Block {
    Block* prev;
    Block* next;
    Record* top;
    Record* end;
    Record* base() { return reinterpret_cast<Record*>(this + 1); }
  };
  struct Mark {
    Block* block;
    Record* top;
  };

  BacktrackStack(void* first, size_t bytes) {
    cur_ = static_cast<Block*>(first);
    cur_->prev = cur_->next = nullptr;
    cur_->end = cur_->base() + (bytes - sizeof(Block)) / sizeof(Record);
    top_ = cur_->base();
  }
  ~BacktrackStack() {
    Block* b = cur_;
    while (b->prev) b = b->prev;
    for (Block* h = b->next; h;) {
      Block* n = h->next;
      ::operator delete(h);
      h = n;
    }
  }
  BacktrackStack(const BacktrackStack&) = delete;
  BacktrackStack& operator=(const BacktrackStack&) = delete;

  Record& push() {
    if (top_ == cur_->end) grow();
    return *top_++;
  }
  Record& top() {
    if (top_ == cur_->base()) back();
    return top_[-1];
  }
  void pop() {
    if (top_ == cur_->base()) back();
    --top_;
  }
  Mark mark() const { return {cur_, top_}; }
  bool at(const Mark& m) const {
    return top_ == m.top || (top_ == cur_->base() && cur_->prev == m.block && m.top == m.block->end);
  }
  void cut(const Mark& m) {
    cur_ = m.block;
    top_ = m.top;
  }

 private:
  void grow() {
    cur_->top = top_;
    if (!cur_->next) {
      size_t bytes = sizeof(Block) + std::max<size_t>(4080, 4080 / sizeof(Record) * sizeof(Record));
      auto* b = static_cast<Block*>(::operator new(bytes));
      b->prev = cur_;
      b->next = nullptr;
      b->end = b->base() + (bytes - sizeof(Block)) / sizeof(Record);
      cur_->next = b;
    }
    cur_ = cur_->next;
    top_ = cur_->base();
  }
  void back() {
    cur_->top = top_;
    cur_ = cur_->prev;
    top_ = cur_->end;
  }

  Block* cur_;
  Record* top_;
};

// The state of one search (MatchState) and the code that runs it.
class Matcher {
 public:
  Matcher(const Pattern& pattern, const char* begin, const char* end)
      : compiled_(*pattern.compiled_), pattern_(pattern), begin_(begin), end_(end),
        groupCount_(pattern.groupCount_) {
    useStack_ = !(pattern.mode_ == RecursiveMode ||
                  (pattern.mode_ == MixedMode && pattern.recursionSafe_));
    stepLimit_ = callStepLimit(stepLimit, size_t(end - begin));
    // Short patterns keep their state in the object itself, left
    // uninitialised until a search resets it.
    if (groupCount_ <= kInline) {
      entries_ = reinterpret_cast<backref_tag*>(inlineEntries_);
    } else {
      heapEntries_.resize(groupCount_);
      entries_ = heapEntries_.data();
    }
    unsigned loops = compiled_.loopCount;
    if (loops <= kInline) {
      loops_ = reinterpret_cast<LoopState*>(inlineLoops_);
    } else {
      heapLoops_.resize(loops);
      loops_ = heapLoops_.data();
    }
    floor_ = stackFloor();   // the stack-based strategy still nests for look-arounds
  }

  // One search from `from`; on success entries_ hold the match (internal
  // numbering).  An abandoned search reports no match, and so does every
  // later one of the same call.
  bool search(const char* from, bool emptyStart);

  // The visible entries, in order, appended to `out` or replacing its content.
  void appendVisible(std::vector<backref_tag>& out, bool replace = false) const;
  const backref_tag& entry(unsigned i) const { return entries_[i]; }
  bool aborted() const { return aborted_; }

 private:
  static constexpr unsigned kInline = 16;

  bool attempt(const char* at, bool emptyStart);
  void resetEntries() {
    for (unsigned g = 0; g < groupCount_; ++g) entries_[g] = backref_tag{};
    for (unsigned l = 0; l < compiled_.loopCount; ++l) loops_[l] = LoopState{};
  }

  // Recursive strategy
  bool rec(const sub_expr* e, const char* p);
  bool recLoop(const sub_expr* loop, const char* p);
  bool recSub(const sub_expr* body, const char* p, const char* target);
  bool recLook(const sub_expr* look, const char* p);
  bool recRecurse(const sub_expr* e, const char* p);
  bool recReturn(const char* p);

  // Stack-based strategy
  bool run(const sub_expr* e, const char* p);
  bool runSub(const sub_expr* body, const char* p, const char* target);
  bool runLookTest(const sub_expr* look, const char* p);
  void saveRange(unsigned from, unsigned to);
  void saveLoop(unsigned slot);
  bool undo(const Record& r);

  // Shared helpers
  bool stackLow() {
    if (static_cast<const char*>(__builtin_frame_address(0)) < floor_ || ++steps_ > stepLimit_)
      aborted_ = true;
    return aborted_;
  }
  size_t greedyCount(const sub_expr* star, const char* p) const;
  // Whether [from, end) holds a byte that every match must consume.
  bool holdsRequired(const char* from) const {
    const CharSet& set = compiled_.required;
    for (const char* q = from; q != end_; ++q)
      if (set.has(static_cast<unsigned char>(*q))) return true;
    return false;
  }
  // A recursion that nests deeper than the subject could need (each level
  // consuming nothing, as in a left-recursive pattern) would never end.
  bool recursionTooDeep() {
    if (frames_.size() > 2 * size_t(end_ - begin_) + 64) aborted_ = true;
    return aborted_;
  }
  size_t snapshot();
  void swapSnapshot(size_t k);
  void dropSnapshots(size_t k);
  const char* lookBehindFirst(const sub_expr* look, const char* p) const {
    size_t room = size_t(p - begin_);
    return (look->max == kUnbounded || room < look->max) ? begin_ : p - look->max;
  }

  const Compiled& compiled_;
  const Pattern& pattern_;
  const char* begin_;
  const char* end_;
  const char* attempt_ = nullptr;
  const char* matchEnd_ = nullptr;
  const char* subTarget_ = nullptr;
  const char* subEnd_ = nullptr;
  const char* floor_ = nullptr;
  unsigned groupCount_;
  bool useStack_ = false;
  bool emptyStart_ = false;
  bool aborted_ = false;
  uint64_t steps_ = 0;
  uint64_t stepLimit_ = stepLimit;
  backref_tag* entries_;
  LoopState* loops_;
  BacktrackStack* stack_ = nullptr;
  std::vector<backref_tag> saved_;   // entries saved around look-arounds (recursive strategy)
  std::vector<backref_tag> snapEntries_;   // callers' state while a (?R) runs, one
  std::vector<LoopState> snapLoops_;       // snapshot after another
  std::vector<Frame> frames_;        // pending returns of (?R)
  alignas(backref_tag) unsigned char inlineEntries_[kInline * sizeof(backref_tag)];
  alignas(LoopState) unsigned char inlineLoops_[kInline * sizeof(LoopState)];
  std::vector<backref_tag> heapEntries_;
  std::vector<LoopState> heapLoops_;
};


inline size_t Matcher::greedyCount(const sub_expr* star, const char* p) const {
  size_t room = size_t(end_ - p);
  size_t limit = star->max == kUnbounded ? room : std::min<size_t>(room, star->max);
  const sub_expr* atom = star->sub;
  switch (atom->kind) {
    case NodeKind::AnyAll: return limit;
    case NodeKind::Any: {
      const void* nl = std::memchr(p, '\n', limit);
      return nl ? size_t(static_cast<const char*>(nl) - p) : limit;
    }
    case NodeKind::Char: {
      size_t n = 0;
      while (n < limit && (static_cast<unsigned char>(p[n]) == atom->ch ||
                           static_cast<unsigned char>(p[n]) == atom->ch2))
        ++n;
      return n;
    }
    default: {
      const CharSet& set = *atom->set;
      size_t n = 0;
      while (n < limit && set.has(static_cast<unsigned char>(p[n]))) ++n;
      return n;
    }
  }
}

}  // namespace regex::detail
