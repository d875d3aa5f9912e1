// The stack-based strategy: pending choices, and every value that must be put
// back when backtracking passes them, are records on the BacktrackStack; a
// failure pops records, restoring values, until one resumes matching.
//
// Invariant: the stack holds, above the mark of a nested match, exactly the
// records that nested match pushed; undo() of a restore record is idempotent
// with the value it saved, so an abandoned search still puts every value back.
#include "Matcher.h"

namespace regex::detail {

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


}  // namespace regex::detail
