// The parser's state, shared by the parse (Parse.cpp) and the passes that
// run after it (Analysis.cpp). Internal to the compiler.
//
// Invariants while parsing:
//  - i_ is the next unread byte; a token is read whole before the next is
//    looked at;
//  - all_ holds every node made so far, in order of making (a group's nodes
//    start at Frag::nodesFrom);
//  - a Frag's tail is the one node of the fragment whose successor is still
//    open; its min and max are the fragment's exact widths;
//  - backreferences and conditions hold visible group numbers until
//    bindReferences turns them into group numbers.
#pragma once

#include <string>
#include <vector>

#include "Nodes.h"

namespace regex::detail {

[[noreturn]] inline void fail(const char* message) { throw bad_regexpr(message); }

enum class AtomType : uint8_t { SingleChar, Group, Backref, Other };

struct Frag {
  sub_expr* head = nullptr;
  sub_expr* tail = nullptr;    // node whose `next` links to what follows
  unsigned min = 0, max = 0;
  AtomType type = AtomType::Other;
  size_t nodesFrom = 0;        // groups: index of the group's first node in all_
};

struct Width {
  unsigned min = 0, max = 0;
};


class perl_syntax {
 public:
  perl_syntax(const std::string& text, unsigned flags, Compiled& out)
      : s_(reinterpret_cast<const unsigned char*>(text.data())), n_(text.size()),
        flags_(flags), out_(out), fold_(foldTable()) {
    all_.reserve(text.size() + 8);
  }

  void run(unsigned& groupCount, unsigned& minWidth, unsigned& maxWidth, bool& recursionSafe,
           bool& startsWithBol, const sub_expr*& leadLiteral, size_t& alternatives);

 private:
  // Nodes
  sub_expr* node(NodeKind kind) {
    sub_expr* e = out_.arena.make<sub_expr>();
    e->kind = kind;
    all_.push_back(e);
    return e;
  }
  Frag single(sub_expr* e, AtomType type, unsigned min, unsigned max) {
    return Frag{e, e, min, max, type};
  }
  Frag literal(unsigned char c);
  Frag setFrag(const CharSet& set);

  // Tokens
  bool more() const { return i_ < n_; }
  void skipExtended();
  Width parseAlternatives(sub_expr* join, sub_expr*& head, size_t* count, size_t maxAlternatives);
  Width parseSequence(sub_expr* join, sub_expr*& head, bool topFirst);
  bool parseGroup(Frag& frag, bool& quantifiable);
  void parseConditional(Frag& frag);
  Frag parseEscape();
  Frag parseSet();
  bool parseBrace(unsigned& min, unsigned& max);
  void quantify(Frag& frag, unsigned min, unsigned max, bool greedy);
  void mergeLiterals(std::vector<Frag>& frags);
  int setEscape(CharSet& set);
  bool namedClass(CharSet& set);

  // Groups that may be entered again before an earlier entry is left (inside
  // a repetition, or anywhere once the pattern recurses) must put their
  // pending start back when backtracking.
  void markReentrant(size_t fromNode) {
    for (size_t k = fromNode; k < all_.size(); ++k)
      if (all_[k]->kind == NodeKind::GroupOpen) all_[k]->reentrant = true;
  }

  // After parsing
  void bindReferences();
  void removeJoins();
  void computeBranchSets();
  void computeRequired();

  const unsigned char* s_;
  size_t n_;
  size_t i_ = 0;
  unsigned flags_;
  Compiled& out_;
  const FoldTable& fold_;
  bool inQuote_ = false;
  unsigned groups_ = 0;                 // every numbered group, group 0 included
  std::vector<unsigned> visible_;       // visible number -> group number
  std::vector<Width> groupWidth_;       // by group number; max == 0 && !closed: open
  std::vector<bool> groupClosed_;
  std::vector<sub_expr*> backrefs_;     // group field holds the visible number until bound
  std::vector<sub_expr*> conditions_;
  std::vector<sub_expr*> all_;
  bool recursionSafe_ = true;
  bool hasRecursion_ = false;
  bool startsWithBol_ = false;
  const sub_expr* leadLiteral_ = nullptr;
};

}  // namespace regex::detail
