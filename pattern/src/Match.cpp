// Matching: the search for the leftmost match, its two backtracking
// strategies, and the operations built on repeated searches.
//
// A search tries start positions and decides each by walking the node graph
// from the first node.  Both strategies make the same decisions in the same
// order; they differ only in where a pending choice lives:
//
//  - recursive: a node with choices calls its successor and, when that call
//    fails, undoes what it recorded and tries its next choice.  The depth is
//    bounded by the room left on the thread's stack; a search that reaches
//    the bound is abandoned and reports no match.
//  - stack-based: a pending choice, and every value that must be put back
//    when backtracking passes it, is a Record on the BacktrackStack.  Failure
//    pops records, restoring values, until one resumes matching.
//
// Look-arounds, independent groups and conditions run their sub-pattern as a
// nested match that ends at a Succeed node.  Entries of the groups inside are
// saved first, so that backtracking past the construct restores them.
//
// Invariants:
//  - after a failed attempt every entry and loop state is back to the value
//    it had before the attempt (all changes are undone on the way out);
//  - entries of internal groups are never written; they are dropped from the
//    results;
//  - a capture is written whole at the group's exit (`pending` holds the
//    entry position meanwhile), so a backreference never sees half a capture.
#include <pthread.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "Budget.h"
#include "Nodes.h"

namespace regex {
namespace detail {

namespace {

thread_local uint64_t stepLimit = ~uint64_t(0);
thread_local bool abandoned = false;

const backref_tag kUnmatched{};

// Lowest address a recursive search may reach on this thread.
const char* stackFloor() {
  thread_local const char* floor = [] {
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

}  // namespace

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
  // numbering).  An abandoned search reports no match.
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

size_t Matcher::greedyCount(const sub_expr* star, const char* p) const {
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

size_t Matcher::snapshot() {
  size_t k = snapEntries_.size() / groupCount_;
  snapEntries_.insert(snapEntries_.end(), entries_, entries_ + groupCount_);
  snapLoops_.insert(snapLoops_.end(), loops_, loops_ + compiled_.loopCount);
  return k;
}

void Matcher::dropSnapshots(size_t k) {
  snapEntries_.resize(k * groupCount_);
  snapLoops_.resize(k * compiled_.loopCount);
}

void Matcher::swapSnapshot(size_t k) {
  std::swap_ranges(entries_, entries_ + groupCount_, snapEntries_.begin() + ptrdiff_t(k * groupCount_));
  std::swap_ranges(loops_, loops_ + compiled_.loopCount,
                   snapLoops_.begin() + ptrdiff_t(k * compiled_.loopCount));
}

// ---------------------------------------------------------------------------
// Recursive strategy

bool Matcher::rec(const sub_expr* e, const char* p) {
  if (stackLow()) return false;
  for (;;) {
    switch (e->kind) {
      case NodeKind::Char:
        if (p == end_ || (static_cast<unsigned char>(*p) != e->ch &&
                          static_cast<unsigned char>(*p) != e->ch2))
          return false;
        ++p;
        break;
      case NodeKind::String: {
        if (size_t(end_ - p) < e->len) return false;
        if (!e->icase) {
          if (std::memcmp(p, e->text, e->len) != 0) return false;
        } else {
          const unsigned char* lower = foldTable().lower;
          for (unsigned k = 0; k < e->len; ++k)
            if (lower[static_cast<unsigned char>(p[k])] != e->text[k]) return false;
        }
        p += e->len;
        break;
      }
      case NodeKind::Any:
        if (p == end_ || *p == '\n') return false;
        ++p;
        break;
      case NodeKind::AnyAll:
        if (p == end_) return false;
        ++p;
        break;
      case NodeKind::Set:
        if (p == end_ || !e->set->has(static_cast<unsigned char>(*p))) return false;
        ++p;
        break;
      case NodeKind::Bol:
      case NodeKind::SubjectStart:
        if (p != begin_) return false;
        break;
      case NodeKind::BolMulti:
        if (p != begin_ && p[-1] != '\n') return false;
        break;
      case NodeKind::Eol:
      case NodeKind::SubjectEndOrNewline:
        if (p != end_ && !(p + 1 == end_ && *p == '\n')) return false;
        break;
      case NodeKind::EolMulti:
        if (p != end_ && *p != '\n') return false;
        break;
      case NodeKind::SubjectEnd:
        if (p != end_) return false;
        break;
      case NodeKind::WordBoundary:
      case NodeKind::NotWordBoundary: {
        bool before = p != begin_ && isWord(static_cast<unsigned char>(p[-1]));
        bool after = p != end_ && isWord(static_cast<unsigned char>(*p));
        if ((before != after) != (e->kind == NodeKind::WordBoundary)) return false;
        break;
      }
      case NodeKind::Backref: {
        const backref_tag& g = entries_[e->group];
        if (!g.matched) return false;
        size_t len = size_t(g.second - g.first);
        if (size_t(end_ - p) < len) return false;
        if (!e->icase) {
          if (std::memcmp(p, g.first, len) != 0) return false;
        } else {
          const unsigned char* lower = foldTable().lower;
          for (size_t k = 0; k < len; ++k)
            if (lower[static_cast<unsigned char>(p[k])] != lower[static_cast<unsigned char>(g.first[k])])
              return false;
        }
        p += len;
        break;
      }
      case NodeKind::GroupOpen: {
        backref_tag& g = entries_[e->group];
        if (!e->reentrant) {   // nothing reads the old pending start again
          g.pending = p;
          break;
        }
        const char* saved = g.pending;
        g.pending = p;
        if (rec(e->next, p)) return true;
        g.pending = saved;
        return false;
      }
      case NodeKind::GroupClose: {
        backref_tag& g = entries_[e->group];
        backref_tag saved = g;
        g.first = g.pending;
        g.second = p;
        g.matched = true;
        if (rec(e->next, p)) return true;
        g = saved;
        return false;
      }
      case NodeKind::Branch: {
        const sub_expr* b = e;
        for (; b->alt; b = b->alt) {
          if (b->set && (p == end_ || !b->set->has(static_cast<unsigned char>(*p)))) continue;
          if (rec(b->sub, p)) return true;
          if (aborted_) return false;
        }
        if (b->set && (p == end_ || !b->set->has(static_cast<unsigned char>(*p)))) return false;
        e = b->sub;
        continue;
      }
      case NodeKind::Star: {
        const sub_expr* next = e->next;
        if (e->greedy) {
          size_t n = greedyCount(e, p);
          if (n < e->min) return false;
          if (n == e->min) {
            p += n;
            e = next;
            continue;
          }
          const CharSet* follow = e->set;
          for (size_t k = n;; --k) {
            if (follow && (p + k == end_ || !follow->has(static_cast<unsigned char>(p[k])))) {
              if (k == e->min) return false;
              continue;
            }
            if (k == e->min) {
              p += k;
              e = next;
              break;
            }
            if (rec(next, p + k)) return true;
            if (aborted_) return false;
          }
          continue;
        }
        size_t k = 0;
        for (; k < e->min; ++k)
          if (p + k == end_ || !singleMatches(e->sub, static_cast<unsigned char>(p[k]))) return false;
        for (;; ++k) {
          if ((!e->set || (p + k != end_ && e->set->has(static_cast<unsigned char>(p[k])))) &&
              rec(next, p + k))
            return true;
          if (aborted_ || k == e->max || p + k == end_ ||
              !singleMatches(e->sub, static_cast<unsigned char>(p[k])))
            return false;
        }
      }
      case NodeKind::Loop: {
        LoopState saved = loops_[e->group];
        loops_[e->group] = LoopState{};
        if (recLoop(e, p)) return true;
        loops_[e->group] = saved;
        return false;
      }
      case NodeKind::LoopEnd: {
        const sub_expr* loop = e->loop;
        LoopState& st = loops_[loop->group];
        if (p == st.start) {   // an empty iteration ends the repetition
          e = loop->next;
          continue;
        }
        LoopState saved = st;
        ++st.count;
        if (recLoop(loop, p)) return true;
        loops_[loop->group] = saved;
        return false;
      }
      case NodeKind::LookAhead:
      case NodeKind::LookBehind:
      case NodeKind::Atomic:
        return recLook(e, p);
      case NodeKind::NegLookAhead:
        if (!recLook(e, p)) return false;
        break;
      case NodeKind::NegLookBehind:
        if (!recLook(e, p)) return false;
        break;
      case NodeKind::CondGroup:
        e = entries_[e->group].matched ? e->sub : e->alt;
        continue;
      case NodeKind::CondLook: {
        const sub_expr* look = e->loop;
        size_t mark = saved_.size();
        saved_.insert(saved_.end(), entries_ + look->groupsFrom, entries_ + look->groupsTo);
        bool ok;
        if (look->kind == NodeKind::LookAhead || look->kind == NodeKind::NegLookAhead) {
          ok = recSub(look->sub, p, nullptr);
        } else {
          ok = false;
          if (size_t(p - begin_) >= look->min)
            for (const char* s = lookBehindFirst(look, p); !ok && s <= p - look->min; ++s)
              ok = recSub(look->sub, s, p);
        }
        if (aborted_) return false;
        bool negative = look->kind == NodeKind::NegLookAhead || look->kind == NodeKind::NegLookBehind;
        if (ok && negative)
          std::copy(saved_.begin() + ptrdiff_t(mark), saved_.end(), entries_ + look->groupsFrom);
        bool r = rec(ok != negative ? e->sub : e->alt, p);
        if (!r) std::copy(saved_.begin() + ptrdiff_t(mark), saved_.begin() + ptrdiff_t(mark) + (look->groupsTo - look->groupsFrom), entries_ + look->groupsFrom);
        saved_.resize(mark);
        return r;
      }
      case NodeKind::Recurse:
        return recRecurse(e, p);
      case NodeKind::Succeed:
        if (subTarget_ && p != subTarget_) return false;
        subEnd_ = p;
        return true;
      case NodeKind::End:
        if (!frames_.empty()) return recReturn(p);
        if (emptyStart_ && p == attempt_) return false;
        matchEnd_ = p;
        return true;
      case NodeKind::Join:
        break;
    }
    e = e->next;
  }
}

bool Matcher::recLoop(const sub_expr* loop, const char* p) {
  LoopState& st = loops_[loop->group];
  if (st.count < loop->min) {
    st.start = p;
    return rec(loop->sub, p);
  }
  if (loop->greedy) {
    if (st.count < loop->max) {
      st.start = p;
      if (rec(loop->sub, p)) return true;
      if (aborted_) return false;
    }
    return rec(loop->next, p);
  }
  if (rec(loop->next, p)) return true;
  if (aborted_ || st.count >= loop->max) return false;
  st.start = p;
  return rec(loop->sub, p);
}

// Runs a sub-pattern body to its Succeed node.
bool Matcher::recSub(const sub_expr* body, const char* p, const char* target) {
  const char* savedTarget = subTarget_;
  subTarget_ = target;
  bool ok = rec(body, p);
  subTarget_ = savedTarget;
  return ok;
}

// Look-arounds and independent groups.  Negative forms return whether the
// match may go on (the caller continues with the successor).
bool Matcher::recLook(const sub_expr* e, const char* p) {
  size_t mark = saved_.size();
  size_t width = e->groupsTo - e->groupsFrom;
  saved_.insert(saved_.end(), entries_ + e->groupsFrom, entries_ + e->groupsTo);
  auto restore = [&] {
    std::copy(saved_.begin() + ptrdiff_t(mark), saved_.begin() + ptrdiff_t(mark + width),
              entries_ + e->groupsFrom);
  };
  bool r = false;
  switch (e->kind) {
    case NodeKind::LookAhead:
      if (recSub(e->sub, p, nullptr)) {
        r = rec(e->next, p);
        if (!r) restore();
      }
      break;
    case NodeKind::Atomic:
      if (recSub(e->sub, p, nullptr)) {
        r = rec(e->next, subEnd_);
        if (!r) restore();
      }
      break;
    case NodeKind::NegLookAhead:
      r = !recSub(e->sub, p, nullptr);
      if (!r) restore();
      break;
    case NodeKind::LookBehind:
      if (size_t(p - begin_) < e->min) break;
      for (const char* s = lookBehindFirst(e, p); s <= p - e->min && !aborted_; ++s) {
        if (!recSub(e->sub, s, p)) continue;
        if (rec(e->next, p)) {
          r = true;
          break;
        }
        restore();
      }
      break;
    case NodeKind::NegLookBehind:
      r = true;   // too little text before the position: nothing can match there
      if (size_t(p - begin_) < e->min) break;
      for (const char* s = lookBehindFirst(e, p); s <= p - e->min && !aborted_; ++s) {
        if (recSub(e->sub, s, p)) {
          restore();
          r = false;
          break;
        }
      }
      break;
    default:
      break;
  }
  saved_.resize(mark);
  return r && !aborted_;
}

bool Matcher::recRecurse(const sub_expr* e, const char* p) {
  if (recursionTooDeep()) return false;
  size_t at = snapshot();
  frames_.push_back(Frame{e->next, at});
  if (rec(compiled_.first, p)) return true;   // the frame was taken by the return
  frames_.pop_back();
  dropSnapshots(at);
  return false;
}

// End of a recursion: the caller's captures come back, and the recursion's
// own captures are kept aside in case backtracking re-enters it.
bool Matcher::recReturn(const char* p) {
  Frame f = frames_.back();
  frames_.pop_back();
  swapSnapshot(f.snapshot);
  if (rec(f.next, p)) return true;
  swapSnapshot(f.snapshot);
  frames_.push_back(f);
  return false;
}

// ---------------------------------------------------------------------------
// Stack-based strategy

void Matcher::saveRange(unsigned from, unsigned to) {
  for (unsigned g = from; g < to; ++g) {
    Record& r = stack_->push();
    r.op = Op::Restore;
    r.idx = g;
    r.pos = entries_[g].first;
    r.second = entries_[g].second;
    r.matched = entries_[g].matched;
  }
}

// Puts back what a Restore, RestorePending or RestoreLoop record saved;
// false for records of other kinds.
bool Matcher::undo(const Record& r) {
  switch (r.op) {
    case Op::Restore: {
      backref_tag& t = entries_[r.idx];
      t.first = r.pos;
      t.second = r.second;
      t.matched = r.matched;
      return true;
    }
    case Op::RestorePending:
      entries_[r.idx].pending = r.pos;
      return true;
    case Op::RestoreLoop:
      loops_[r.idx] = LoopState{unsigned(r.n), r.pos};
      return true;
    default:
      return false;
  }
}

void Matcher::saveLoop(unsigned slot) {
  Record& r = stack_->push();
  r.op = Op::RestoreLoop;
  r.idx = slot;
  r.n = loops_[slot].count;
  r.pos = loops_[slot].start;
}

bool Matcher::runSub(const sub_expr* body, const char* p, const char* target) {
  if (stackLow()) return false;
  const char* savedTarget = subTarget_;
  subTarget_ = target;
  BacktrackStack::Mark base = stack_->mark();
  bool ok = run(body, p);
  if (ok) stack_->cut(base);
  subTarget_ = savedTarget;
  return ok;
}

// The condition of a conditional: whether the look-around holds.  A positive
// look-around keeps its captures (saved below for backtracking).
bool Matcher::runLookTest(const sub_expr* look, const char* p) {
  BacktrackStack::Mark mark = stack_->mark();
  saveRange(look->groupsFrom, look->groupsTo);
  bool ok;
  if (look->kind == NodeKind::LookAhead || look->kind == NodeKind::NegLookAhead) {
    ok = runSub(look->sub, p, nullptr);
  } else {
    ok = false;
    if (size_t(p - begin_) >= look->min)
      for (const char* s = lookBehindFirst(look, p); !ok && !aborted_ && s <= p - look->min; ++s)
        ok = runSub(look->sub, s, p);
  }
  bool negative = look->kind == NodeKind::NegLookAhead || look->kind == NodeKind::NegLookBehind;
  if (!ok || negative) {
    while (!stack_->at(mark)) {   // put the entries back
      undo(stack_->top());
      stack_->pop();
    }
  }
  return ok != negative;
}

bool Matcher::run(const sub_expr* e, const char* p) {
  const BacktrackStack::Mark base = stack_->mark();
  auto matchesAt = [&](const sub_expr* atom, const char* at) {
    return at != end_ && singleMatches(atom, static_cast<unsigned char>(*at));
  };
  for (;;) {
    bool ok = true;
    if (++steps_ > stepLimit_) aborted_ = true;
    switch (e->kind) {
      case NodeKind::Char:
        ok = p != end_ && (static_cast<unsigned char>(*p) == e->ch ||
                           static_cast<unsigned char>(*p) == e->ch2);
        p += ok;
        break;
      case NodeKind::String:
        if (size_t(end_ - p) < e->len) {
          ok = false;
        } else if (!e->icase) {
          ok = std::memcmp(p, e->text, e->len) == 0;
        } else {
          const unsigned char* lower = foldTable().lower;
          for (unsigned k = 0; ok && k < e->len; ++k)
            ok = lower[static_cast<unsigned char>(p[k])] == e->text[k];
        }
        if (ok) p += e->len;
        break;
      case NodeKind::Any:
        ok = p != end_ && *p != '\n';
        p += ok;
        break;
      case NodeKind::AnyAll:
        ok = p != end_;
        p += ok;
        break;
      case NodeKind::Set:
        ok = p != end_ && e->set->has(static_cast<unsigned char>(*p));
        p += ok;
        break;
      case NodeKind::Bol:
      case NodeKind::SubjectStart:
        ok = p == begin_;
        break;
      case NodeKind::BolMulti:
        ok = p == begin_ || p[-1] == '\n';
        break;
      case NodeKind::Eol:
      case NodeKind::SubjectEndOrNewline:
        ok = p == end_ || (p + 1 == end_ && *p == '\n');
        break;
      case NodeKind::EolMulti:
        ok = p == end_ || *p == '\n';
        break;
      case NodeKind::SubjectEnd:
        ok = p == end_;
        break;
      case NodeKind::WordBoundary:
      case NodeKind::NotWordBoundary: {
        bool before = p != begin_ && isWord(static_cast<unsigned char>(p[-1]));
        bool after = p != end_ && isWord(static_cast<unsigned char>(*p));
        ok = (before != after) == (e->kind == NodeKind::WordBoundary);
        break;
      }
      case NodeKind::Backref: {
        const backref_tag& g = entries_[e->group];
        size_t len = size_t(g.second - g.first);
        ok = g.matched && size_t(end_ - p) >= len;
        if (ok && !e->icase) {
          ok = std::memcmp(p, g.first, len) == 0;
        } else if (ok) {
          const unsigned char* lower = foldTable().lower;
          for (size_t k = 0; ok && k < len; ++k)
            ok = lower[static_cast<unsigned char>(p[k])] == lower[static_cast<unsigned char>(g.first[k])];
        }
        if (ok) p += len;
        break;
      }
      case NodeKind::GroupOpen: {
        if (e->reentrant) {
          Record& r = stack_->push();
          r.op = Op::RestorePending;
          r.idx = e->group;
          r.pos = entries_[e->group].pending;
        }
        entries_[e->group].pending = p;
        break;
      }
      case NodeKind::GroupClose: {
        saveRange(e->group, e->group + 1);
        backref_tag& g = entries_[e->group];
        g.first = g.pending;
        g.second = p;
        g.matched = true;
        break;
      }
      case NodeKind::Branch: {
        const sub_expr* b = e;
        auto admits = [&](const sub_expr* br) {
          return !br->set || (p != end_ && br->set->has(static_cast<unsigned char>(*p)));
        };
        while (b && !admits(b)) b = b->alt;
        if (!b) {
          ok = false;
          break;
        }
        const sub_expr* later = b->alt;
        while (later && !admits(later)) later = later->alt;
        if (later) {
          Record& r = stack_->push();
          r.op = Op::Choice;
          r.node = later;
          r.pos = p;
        }
        e = b->sub;
        continue;
      }
      case NodeKind::Star: {
        if (e->greedy) {
          size_t n = greedyCount(e, p);
          if (n < e->min) {
            ok = false;
            break;
          }
          if (n > e->min) {
            Record& r = stack_->push();
            r.op = Op::StarGreedy;
            r.node = e;
            r.pos = p;
            r.n = n;
          }
          p += n;
          break;
        }
        size_t k = 0;
        for (; ok && k < e->min; ++k) ok = matchesAt(e->sub, p + k);
        if (!ok) break;
        if (k < e->max) {
          Record& r = stack_->push();
          r.op = Op::StarLazy;
          r.node = e;
          r.pos = p;
          r.n = k;
        }
        p += k;
        break;
      }
      case NodeKind::Loop:
      case NodeKind::LoopEnd: {
        const sub_expr* loop = e->kind == NodeKind::Loop ? e : e->loop;
        LoopState& st = loops_[loop->group];
        if (e->kind == NodeKind::LoopEnd && p == st.start) {   // an empty iteration ends it
          e = loop->next;
          continue;
        }
        saveLoop(loop->group);
        if (e->kind == NodeKind::Loop) st = LoopState{};
        else ++st.count;
        if (st.count < loop->min) {
          st.start = p;
          e = loop->sub;
          continue;
        }
        if (st.count >= loop->max) {
          e = loop->next;
          continue;
        }
        Record& r = stack_->push();
        r.pos = p;
        if (loop->greedy) {
          r.op = Op::Choice;
          r.node = loop->next;
          st.start = p;
          e = loop->sub;
        } else {
          r.op = Op::LazyIter;
          r.node = loop;
          e = loop->next;
        }
        continue;
      }
      case NodeKind::LookAhead:
      case NodeKind::Atomic: {
        BacktrackStack::Mark mark = stack_->mark();
        saveRange(e->groupsFrom, e->groupsTo);
        if (runSub(e->sub, p, nullptr)) {
          if (e->kind == NodeKind::Atomic) p = subEnd_;
        } else {
          stack_->cut(mark);   // nothing changed: the failed body undid its work
          ok = false;
        }
        break;
      }
      case NodeKind::NegLookAhead: {
        BacktrackStack::Mark mark = stack_->mark();
        saveRange(e->groupsFrom, e->groupsTo);
        ok = !runSub(e->sub, p, nullptr);
        while (!stack_->at(mark)) {
          undo(stack_->top());
          stack_->pop();
        }
        break;
      }
      case NodeKind::LookBehind: {
        if (size_t(p - begin_) < e->min) {
          ok = false;
          break;
        }
        Record& r = stack_->push();
        r.op = Op::LookBehindNext;
        r.node = e;
        r.pos = p;
        r.n = size_t(lookBehindFirst(e, p) - begin_);
        ok = false;   // the record tries the first start
        break;
      }
      case NodeKind::NegLookBehind: {
        if (size_t(p - begin_) < e->min) break;   // nothing fits before: no match to forbid
        BacktrackStack::Mark mark = stack_->mark();
        saveRange(e->groupsFrom, e->groupsTo);
        for (const char* s = lookBehindFirst(e, p); ok && !aborted_ && s <= p - e->min; ++s)
          ok = !runSub(e->sub, s, p);
        while (!stack_->at(mark)) {
          undo(stack_->top());
          stack_->pop();
        }
        break;
      }
      case NodeKind::CondGroup:
        e = entries_[e->group].matched ? e->sub : e->alt;
        continue;
      case NodeKind::CondLook:
        e = runLookTest(e->loop, p) ? e->sub : e->alt;
        if (aborted_) ok = false;
        else continue;
        break;
      case NodeKind::Recurse: {
        if (recursionTooDeep()) {
          ok = false;
          break;
        }
        size_t at = snapshot();
        frames_.push_back(Frame{e->next, at});
        Record& r = stack_->push();
        r.op = Op::RecurseUncall;
        r.n = at;
        e = compiled_.first;
        continue;
      }
      case NodeKind::Succeed:
        if (subTarget_ && p != subTarget_) {
          ok = false;
          break;
        }
        subEnd_ = p;
        return true;
      case NodeKind::End:
        if (!frames_.empty()) {
          Frame f = frames_.back();
          frames_.pop_back();
          swapSnapshot(f.snapshot);
          Record& r = stack_->push();
          r.op = Op::RecurseUnreturn;
          r.node = f.next;
          r.n = f.snapshot;
          e = f.next;
          continue;
        }
        if (emptyStart_ && p == attempt_) {
          ok = false;
          break;
        }
        matchEnd_ = p;
        return true;
      case NodeKind::Join:
        break;
    }
    if (ok && !aborted_) {
      e = e->next;
      continue;
    }
    // Backtrack: pop records until one resumes the match.
    for (;;) {
      if (aborted_ || stack_->at(base)) {
        while (!stack_->at(base)) {   // an abandoned search still puts every value back
          undo(stack_->top());
          stack_->pop();
        }
        return false;
      }
      Record& r = stack_->top();
      bool resumed = true;
      switch (r.op) {
        case Op::Choice:
          e = r.node;
          p = r.pos;
          stack_->pop();
          break;
        case Op::Restore:
        case Op::RestorePending:
        case Op::RestoreLoop:
          undo(r);
          stack_->pop();
          resumed = false;
          break;
        case Op::StarGreedy: {
          const sub_expr* star = r.node;
          const sub_expr* next = star->next;
          size_t n = r.n - 1;
          if (const CharSet* follow = star->set) {
            while (n > star->min &&
                   (r.pos + n == end_ || !follow->has(static_cast<unsigned char>(r.pos[n]))))
              --n;
          }
          p = r.pos + n;
          e = next;
          if (n > star->min) r.n = n;
          else stack_->pop();
          break;
        }
        case Op::StarLazy: {
          const sub_expr* star = r.node;
          if (!matchesAt(star->sub, r.pos + r.n)) {
            stack_->pop();
            resumed = false;
            break;
          }
          size_t n = ++r.n;
          p = r.pos + n;
          e = star->next;
          if (n >= star->max) stack_->pop();
          break;
        }
        case Op::LazyIter: {
          const sub_expr* loop = r.node;
          p = r.pos;
          stack_->pop();
          saveLoop(loop->group);
          loops_[loop->group].start = p;
          e = loop->sub;
          break;
        }
        case Op::LookBehindNext: {
          const sub_expr* look = r.node;
          const char* target = r.pos;
          const char* s = begin_ + r.n;
          stack_->pop();
          resumed = false;
          for (; s <= target - look->min && !aborted_; ++s) {
            BacktrackStack::Mark mark = stack_->mark();
            Record& again = stack_->push();
            again.op = Op::LookBehindNext;
            again.node = look;
            again.pos = target;
            again.n = size_t(s + 1 - begin_);
            saveRange(look->groupsFrom, look->groupsTo);
            if (runSub(look->sub, s, target)) {
              e = look->next;
              p = target;
              resumed = true;
              break;
            }
            stack_->cut(mark);
          }
          break;
        }
        case Op::RecurseUncall:
          frames_.pop_back();
          dropSnapshots(r.n);
          stack_->pop();
          resumed = false;
          break;
        case Op::RecurseUnreturn:
          swapSnapshot(r.n);
          frames_.push_back(Frame{r.node, r.n});
          stack_->pop();
          resumed = false;
          break;
      }
      if (resumed) break;
    }
  }
}

// ---------------------------------------------------------------------------
// The search

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
  steps_ = 0;
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
    abandoned = true;
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

void setStepLimit(uint64_t steps) {
  stepLimit = steps;
  abandoned = false;
}

bool searchAbandoned() { return abandoned; }

}  // namespace detail

// ---------------------------------------------------------------------------
// Operations

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
  return n;
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
  }
  if (prevEnd != last || limit != 0) out.emplace_back(prevEnd, last);
  if (limit == 0)
    while (!out.empty() && out.back().empty()) out.pop_back();
  return out.size();
}

}  // namespace regex
