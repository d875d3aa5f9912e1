// The compiled form of a pattern: nodes carved from an arena and linked by
// their successors.
//
// Every node matches its own element at a position and hands the new position
// to `next`.  Compound constructs are laid out inline:
//
//   capturing group   GroupOpen -> branches ... -> GroupClose -> next
//   other groups      branches ... -> Join -> next
//   alternation       Branch(sub = first node of alternative, alt = next Branch)
//   quantified group  Loop(sub = body) ; body ... -> LoopEnd(loop) ; Loop.next
//   quantified char   Star(sub = the single-character node, unlinked)
//   look-around,
//   independent group Look/Atomic(sub = body) ; body ... -> Succeed
//   conditional       Cond(sub = yes branch, alt = no branch); both end in Join
//
// Invariants:
//  - every chain reachable from the first node ends in End (whole pattern) or
//    Succeed (body of a look-around or independent group);
//  - Join nodes are removed by the compiler's final pass (nothing points to
//    one), so the matcher never meets them;
//  - group numbers index the entry array of a search; loop slots index the
//    quantifier state array;
//  - widths are exact lower bounds and upper bounds (kUnbounded when open).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "pattern/Pattern.h"

namespace regex::detail {

constexpr unsigned kUnbounded = ~0u;

inline unsigned addWidth(unsigned a, unsigned b) {
  if (a == kUnbounded || b == kUnbounded) return kUnbounded;
  uint64_t s = uint64_t(a) + b;
  return s >= kUnbounded ? kUnbounded : unsigned(s);
}

inline unsigned mulWidth(unsigned a, unsigned n) {
  if (a == 0 || n == 0) return 0;
  if (a == kUnbounded || n == kUnbounded) return kUnbounded;
  uint64_t p = uint64_t(a) * n;
  return p >= kUnbounded ? kUnbounded : unsigned(p);
}

// 256-bit membership map: code c is bit c % 32 of word c / 32.
struct CharSet {
  uint32_t words[8] = {};
  bool has(unsigned char c) const { return (words[c >> 5] >> (c & 31)) & 1u; }
  void add(unsigned char c) { words[c >> 5] |= 1u << (c & 31); }
  void addAll(const CharSet& o) { for (int i = 0; i < 8; ++i) words[i] |= o.words[i]; }
  void invert() { for (auto& w : words) w = ~w; }
  bool full() const { for (auto w : words) if (w != ~0u) return false; return true; }
  int single() const;  // the only member, or -1
};

enum class NodeKind : uint8_t {
  Char,        // ch (or ch2 under IgnoreCase)
  String,      // len bytes at text; folded compare when icase
  Any,         // any byte but line feed
  AnyAll,      // any byte
  Set,         // set
  Bol, BolMulti, Eol, EolMulti, SubjectStart, SubjectEndOrNewline, SubjectEnd,
  WordBoundary, NotWordBoundary,
  Backref,     // group (internal number); icase
  GroupOpen,   // group; next = branches
  GroupClose,  // group; next = after the group
  Branch,      // sub = alternative, alt = next Branch or null; set = first bytes (optional)
  Join,        // no-op, removed after compilation
  Star,        // sub = single-char node; min, max, greedy; set = first bytes of
               // what follows (optional)
  Loop,        // sub = body; min, max, greedy, slot
  LoopEnd,     // loop = the Loop node
  LookAhead, NegLookAhead, LookBehind, NegLookBehind,  // sub = body; min/max = body width
  Atomic,      // sub = body
  CondGroup,   // group (internal number, 0 = never true); sub = yes, alt = no
  CondLook,    // cond = look-around node; sub = yes, alt = no
  Recurse,
  Succeed,     // end of a sub-pattern body
  End          // end of the whole pattern
};

struct sub_expr {
  NodeKind kind;
  bool icase = false;
  bool greedy = true;
  bool reentrant = false;   // GroupOpen: may be entered again while an earlier entry is live
  unsigned char ch = 0, ch2 = 0;
  unsigned group = 0;     // group number, or loop slot for Loop
  unsigned min = 0, max = 0;
  unsigned len = 0;
  unsigned groupsFrom = 0, groupsTo = 0;   // groups inside a look-around or independent group
  const sub_expr* next = nullptr;
  const sub_expr* sub = nullptr;
  const sub_expr* alt = nullptr;
  const sub_expr* loop = nullptr;   // LoopEnd: its Loop; CondLook: the condition;
                                    // GroupOpen: its GroupClose
  const CharSet* set = nullptr;
  const unsigned char* text = nullptr;
};

// Owns every node and side table of a pattern; blocks are carved in sequence
// and released together.
class arena_allocator {
 public:
  arena_allocator() = default;
  arena_allocator(const arena_allocator&) = delete;
  arena_allocator& operator=(const arena_allocator&) = delete;
  void* allocate(size_t size, size_t align) {
    size_t pad = (align - reinterpret_cast<uintptr_t>(cur_) % align) % align;
    if (!cur_ || pad + size > left_) {
      newBlock(size, align);
      pad = (align - reinterpret_cast<uintptr_t>(cur_) % align) % align;
    }
    void* p = cur_ + pad;
    cur_ += pad + size;
    left_ -= pad + size;
    return p;
  }
  template <class T, class... A> T* make(A&&... a) {
    return new (allocate(sizeof(T), alignof(T))) T(static_cast<A&&>(a)...);
  }

 private:
  void newBlock(size_t size, size_t align);

  static constexpr size_t kBlock = 4096;
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;
  unsigned char* cur_ = nullptr;
  size_t left_ = 0;
};

// Boyer-Moore-Horspool search for the literal every match begins with.
struct LiteralSearcher {
  std::vector<unsigned char> literal;   // folded to lower case when icase
  unsigned char skip[256] = {};         // shift per last-window byte, at most 255
  bool icase = false;
  void build(const unsigned char* text, size_t len, bool ignoreCase);
  const char* find(const char* first, const char* last) const;
};

struct Compiled {
  arena_allocator arena;
  const sub_expr* first = nullptr;         // start of group 0's alternatives
  std::vector<unsigned> internalGroups;    // ascending
  unsigned loopCount = 0;
  bool firstSetUsable = false;             // startSet filters start positions
  CharSet startSet;
  bool hasRequired = false;                // every match holds a byte of `required`
  CharSet required;
  std::unique_ptr<LiteralSearcher> searcher;
};

// Case folding of the current locale, taken once per process.
struct FoldTable {
  unsigned char lower[256];
  unsigned char upper[256];
};
const FoldTable& foldTable();

// Predefined sets, built once per process.
struct PredefinedSets {
  CharSet digit, space, word, notDigit, notSpace, notWord;
};
const PredefinedSets& predefinedSets();

// Parses and compiles `self`'s text; fills the Pattern's scalar fields.
void compilePattern(const std::string& text, unsigned& flags, Compiled& out, unsigned& groupCount,
                    unsigned& minWidth, unsigned& maxWidth, bool& mayMoveStart, bool& recursionSafe);

}  // namespace regex::detail
