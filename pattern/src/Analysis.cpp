// The passes after parsing, and the compiler's entry point.
//
// On the finished graph: each alternation and each repeated character gets
// the set of bytes its choices can begin with (so that a branch that cannot
// match at the current byte is skipped without being tried), the pattern
// gets its start set and the set of bytes every match must consume, and the
// compiler decides whether the search may move the start position and which
// literal its searcher looks for.
//
// Invariant: these passes only add facts that let a search skip work; the
// outcome of a match never depends on them.
#include <algorithm>

#include "Parser.h"

namespace regex::detail {

namespace {

// The bytes a match can begin with from `e` on.  False when any byte, or no
// byte (an empty rest), is possible, or when the budget runs out.
struct FirstBytes {
  int budget;
  std::vector<const sub_expr*> loopEnds;   // already being followed

  bool from(const sub_expr* e, CharSet& acc) {
    while (e) {
      if (--budget < 0) return false;
      switch (e->kind) {
        case NodeKind::Char:
          acc.add(e->ch);
          acc.add(e->ch2);
          return true;
        case NodeKind::String:
          acc.add(e->text[0]);
          if (e->icase) acc.add(foldTable().upper[e->text[0]]);
          return true;
        case NodeKind::Any:
          for (int c = 0; c < 256; ++c)
            if (c != '\n') acc.add(static_cast<unsigned char>(c));
          return true;
        case NodeKind::Set:
          acc.addAll(*e->set);
          return true;
        case NodeKind::Branch:
          for (const sub_expr* b = e; b; b = b->alt)
            if (!from(b->sub, acc)) return false;
          return true;
        case NodeKind::Star:
          if (!from(e->sub, acc)) return false;
          if (e->min > 0) return true;
          e = e->next;
          break;
        case NodeKind::Loop:
          if (e->max > 0) {
            if (!from(e->sub, acc)) return false;
            if (e->min > 0) return true;
          }
          e = e->next;
          break;
        case NodeKind::LoopEnd:
          // After an iteration comes another one or what follows the loop.
          // A second visit adds nothing to what the first is collecting.
          if (std::find(loopEnds.begin(), loopEnds.end(), e) != loopEnds.end()) return true;
          loopEnds.push_back(e);
          if (!from(e->loop->sub, acc)) return false;
          e = e->loop->next;
          break;
        case NodeKind::Bol: case NodeKind::BolMulti: case NodeKind::Eol: case NodeKind::EolMulti:
        case NodeKind::SubjectStart: case NodeKind::SubjectEndOrNewline: case NodeKind::SubjectEnd:
        case NodeKind::WordBoundary: case NodeKind::NotWordBoundary:
        case NodeKind::LookAhead: case NodeKind::NegLookAhead:
        case NodeKind::LookBehind: case NodeKind::NegLookBehind:
        case NodeKind::GroupOpen: case NodeKind::GroupClose:
          e = e->next;
          break;
        default:
          return false;
      }
    }
    return false;
  }
};

}  // namespace

// The most selective set of bytes of which every match must consume one:
// found on the chain of nodes every match of group 0 passes through.
void computeRequired(Compiled& out_) {
  const FoldTable& fold = foldTable();
  CharSet best;
  int bestCount = 257;
  auto consider = [&](const CharSet& set) {
    int n = 0;
    for (uint32_t w : set.words) n += __builtin_popcount(w);
    if (n > 0 && n <= bestCount) {
      best = set;
      bestCount = n;
    }
  };
  for (const sub_expr* e = out_.first; e;) {
    CharSet set;
    switch (e->kind) {
      case NodeKind::Char:
        set.add(e->ch);
        set.add(e->ch2);
        consider(set);
        break;
      case NodeKind::String: {
        unsigned char c = e->text[e->len - 1];
        set.add(c);
        if (e->icase) set.add(fold.upper[c]);
        consider(set);
        break;
      }
      case NodeKind::Set:
        consider(*e->set);
        break;
      case NodeKind::Star:
        if (e->min > 0 && e->sub->kind == NodeKind::Char) {
          set.add(e->sub->ch);
          set.add(e->sub->ch2);
          consider(set);
        } else if (e->min > 0 && e->sub->kind == NodeKind::Set) {
          consider(*e->sub->set);
        }
        break;
      case NodeKind::GroupOpen:
        if (e->next->kind == NodeKind::Branch) e = e->loop;   // skip the alternatives
        break;
      case NodeKind::Any: case NodeKind::AnyAll: case NodeKind::Bol: case NodeKind::BolMulti:
      case NodeKind::Eol: case NodeKind::EolMulti: case NodeKind::SubjectStart:
      case NodeKind::SubjectEndOrNewline: case NodeKind::SubjectEnd: case NodeKind::WordBoundary:
      case NodeKind::NotWordBoundary: case NodeKind::Backref: case NodeKind::GroupClose:
      case NodeKind::Loop: case NodeKind::LookAhead: case NodeKind::NegLookAhead:
      case NodeKind::LookBehind: case NodeKind::NegLookBehind: case NodeKind::Atomic:
        break;
      default:
        e = nullptr;   // alternatives, conditions, recursion, the end
        continue;
    }
    e = e->next;
  }
  if (bestCount <= 256 && !best.full()) {
    out_.hasRequired = true;
    out_.required = best;
  }
}

void computeBranchSets(const std::vector<sub_expr*>& all_, Compiled& out_) {
  for (sub_expr* e : all_) {
    const sub_expr* from = e->kind == NodeKind::Branch ? e->sub : e->kind == NodeKind::Star ? e->next : nullptr;
    if (!from) continue;
    CharSet set;
    FirstBytes walk{256, {}};
    if (walk.from(from, set) && !set.full()) e->set = out_.arena.make<CharSet>(set);
  }
  CharSet start;
  FirstBytes walk{1024, {}};
  if (walk.from(out_.first, start) && !start.full()) {
    out_.firstSetUsable = true;
    out_.startSet = start;
  }
}


void compilePattern(const std::string& text, unsigned& flags, Compiled& out, unsigned& groupCount,
                    unsigned& minWidth, unsigned& maxWidth, bool& mayMoveStart,
                    bool& recursionSafe) {
  ParsedPattern parsed = parsePattern(text, flags, out);
  computeBranchSets(parsed.nodes, out);
  computeRequired(out);
  groupCount = parsed.groupCount;
  minWidth = parsed.minWidth;
  maxWidth = parsed.maxWidth;
  recursionSafe = parsed.recursionSafe;
  const size_t alternatives = parsed.alternatives;
  const sub_expr* lead = parsed.leadLiteral;
  mayMoveStart = true;
  if (parsed.startsWithBol) {
    mayMoveStart = false;
    flags &= ~unsigned(FromRight);
  } else if (!(flags & FromRight) && (flags & DotAll) && alternatives == 1 && text.size() >= 2 &&
             text[0] == '.' && (text[1] == '*' || text[1] == '+')) {
    mayMoveStart = false;
  }
  if (lead) {
    out.searcher = std::make_unique<LiteralSearcher>();
    if (lead->kind == NodeKind::String)
      out.searcher->build(lead->text, lead->len, lead->icase);
    else
      out.searcher->build(&lead->ch, 1, lead->icase);
  }
}

}  // namespace regex::detail
