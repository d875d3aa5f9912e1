// The recursive strategy: each node with choices calls its successor and,
// when that fails, undoes what it recorded and tries its next choice.
//
// Invariant: a call returns false only after putting back every entry and
// loop state it changed; stackLow() is checked before each nesting, so a
// search that runs out of stack (or steps) is abandoned, never overflowing.
#include "Matcher.h"

namespace regex::detail {

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


}  // namespace regex::detail
