// Parsing: Perl-syntax pattern text to the node graph of Nodes.h.
//
// One pass over the text.  The tokenizer (`perl_syntax`) reads a token at a
// time and builds nodes straight into the pattern's arena; a sequence is kept
// as a short list of fragments (first node, node whose successor is still
// open, width) that is linked once the sequence ends.  Runs of literal
// characters are merged into string nodes only then, so a quantifier always
// applies to the last character alone.  Widths are folded on the way up, so
// every fragment knows its exact bounds when it is made.
//
// After the parse, backreferences and conditions are bound to their groups
// and no-op join nodes are bypassed; the passes that run on the finished
// graph are in Analysis.cpp.
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
#include <algorithm>
#include <cctype>
#include <string_view>

#include "Parser.h"

namespace regex::detail {

namespace {

[[noreturn]] void fail(const char* message) { throw bad_regexpr(message); }

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

  ParsedPattern run();

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
  // Most tokens are neither white space under Extended nor a comment group.
  void skipIgnorable() {
    if (more() && ((flags_ & Extended) || s_[i_] == '(')) skipIgnorableText();
  }
  void skipIgnorableText();
  void skipCommentGroup(size_t from);
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

  const unsigned char* s_;
  size_t n_;
  size_t i_ = 0;
  unsigned flags_;
  Compiled& out_;
  const FoldTable& fold_;
  bool inQuote_ = false;
  unsigned depth_ = 0;                  // groups open at the current position
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

const char* const kClassNames[] = {"alnum", "alpha", "blank", "cntrl", "digit", "graph",
                                   "lower", "print", "punct", "space", "upper", "xdigit"};

bool inClass(int index, int c) {
  switch (index) {
    case 0: return std::isalnum(c);
    case 1: return std::isalpha(c);
    case 2: return std::isblank(c);
    case 3: return std::iscntrl(c);
    case 4: return std::isdigit(c);
    case 5: return std::isgraph(c);
    case 6: return std::islower(c);
    case 7: return std::isprint(c);
    case 8: return std::ispunct(c);
    case 9: return std::isspace(c);
    case 10: return std::isupper(c);
    default: return std::isxdigit(c);
  }
}

int hexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Frag perl_syntax::literal(unsigned char c) {
  sub_expr* e = node(NodeKind::Char);
  e->ch = e->ch2 = c;
  if (flags_ & IgnoreCase) {
    e->ch = fold_.lower[c];
    e->ch2 = fold_.upper[c];
    if (e->ch != c && e->ch2 != c) e->ch = e->ch2 = c;   // no case pair through c
    e->icase = e->ch != e->ch2;
  }
  return single(e, AtomType::SingleChar, 1, 1);
}

Frag perl_syntax::setFrag(const CharSet& set) {
  int only = set.single();
  if (only >= 0) {
    sub_expr* e = node(NodeKind::Char);
    e->ch = e->ch2 = static_cast<unsigned char>(only);
    return single(e, AtomType::SingleChar, 1, 1);
  }
  sub_expr* e = node(NodeKind::Set);
  e->set = out_.arena.make<CharSet>(set);
  return single(e, AtomType::SingleChar, 1, 1);
}

// Before each token outside sets: white space and "#" line comments under
// Extended, and comment groups "(?#...)" in every mode. Comment groups are
// not tokens: a quantifier after one applies to what came before it, and a
// "?" after one still makes the quantifier before it lazy.
void perl_syntax::skipIgnorableText() {
  while (more()) {
    if ((flags_ & Extended) && std::isspace(s_[i_])) {
      ++i_;
    } else if ((flags_ & Extended) && s_[i_] == '#') {
      while (more() && s_[i_] != '\n') ++i_;
    } else if (i_ + 2 < n_ && s_[i_] == '(' && s_[i_ + 1] == '?' && s_[i_ + 2] == '#') {
      skipCommentGroup(i_ + 3);
    } else {
      return;
    }
  }
}

// From `from`, the body of a comment group, to just past its ")".
void perl_syntax::skipCommentGroup(size_t from) {
  i_ = from;
  while (more() && s_[i_] != ')') ++i_;
  if (!more()) fail("Expecting end of comment");
  ++i_;
}

ParsedPattern perl_syntax::run() {
  ParsedPattern result;
  groups_ = 1;   // group 0 is the whole match
  visible_.push_back(0);
  groupWidth_.push_back({});
  groupClosed_.push_back(false);
  sub_expr* end = node(NodeKind::End);
  sub_expr* head = nullptr;
  Width w = parseAlternatives(end, head, &result.alternatives, ~size_t(0));
  if (more()) fail("mismatched parenthesis");
  groupWidth_[0] = w;
  groupClosed_[0] = true;
  if (hasRecursion_) markReentrant(0);
  bindReferences();
  removeJoins();
  while (head->kind == NodeKind::Join) head = const_cast<sub_expr*>(head->next);
  out_.first = head;
  result.groupCount = groups_;
  result.minWidth = w.min;
  result.maxWidth = w.max;
  result.recursionSafe = recursionSafe_;
  result.startsWithBol = result.alternatives == 1 && startsWithBol_;
  result.leadLiteral = result.alternatives == 1 ? leadLiteral_ : nullptr;
  result.nodes = std::move(all_);
  return result;
}

// Alternatives up to a `)` or the end of the text; each ends in `join`.
Width perl_syntax::parseAlternatives(sub_expr* join, sub_expr*& head, size_t* count,
                                     size_t maxAlternatives) {
  bool top = count != nullptr && maxAlternatives == ~size_t(0) && join->kind == NodeKind::End;
  Width total{kUnbounded, 0};
  sub_expr* lastBranch = nullptr;
  size_t n = 0;
  head = nullptr;
  for (;;) {
    sub_expr* seq = nullptr;
    Width w = parseSequence(join, seq, top && n == 0);
    ++n;
    if (n > maxAlternatives) fail("Too many alternates in conditional subexpression");
    total.min = std::min(total.min, w.min);
    total.max = std::max(total.max, w.max);
    if (n == 1) {
      head = seq;
    } else {
      if (n == 2) {
        sub_expr* b = node(NodeKind::Branch);
        b->sub = head;
        head = lastBranch = b;
      }
      sub_expr* b = node(NodeKind::Branch);
      b->sub = seq;
      lastBranch->alt = b;
      lastBranch = b;
    }
    if (more() && s_[i_] == '|' ) {
      ++i_;
      continue;
    }
    break;
  }
  if (count) *count = n;
  return total;
}

Width perl_syntax::parseSequence(sub_expr* join, sub_expr*& head, bool topFirst) {
  std::vector<Frag> frags;
  frags.reserve(16);
  bool quantifiable = false;
  for (;;) {
    if (inQuote_) {
      if (!more()) break;
      if (s_[i_] == '\\' && i_ + 1 < n_ && s_[i_ + 1] == 'E') {
        i_ += 2;
        inQuote_ = false;
        continue;
      }
      frags.push_back(literal(s_[i_++]));
      quantifiable = true;
      continue;
    }
    skipIgnorable();
    if (!more()) break;
    unsigned char c = s_[i_];
    if (c == '|' || c == ')') break;
    if (c == '*' || c == '+' || c == '?') {
      if (!quantifiable) fail("quantifier not expected");
      ++i_;
      unsigned min = c == '+' ? 1 : 0;
      unsigned max = c == '?' ? 1 : kUnbounded;
      skipIgnorable();
      bool greedy = true;
      if (more() && s_[i_] == '?') { ++i_; greedy = false; }
      quantify(frags.back(), min, max, greedy);
      quantifiable = false;
      continue;
    }
    if (c == '{' && quantifiable) {
      unsigned min, max;
      size_t save = i_;
      if (parseBrace(min, max)) {
        skipIgnorable();
        bool greedy = true;
        if (more() && s_[i_] == '?') { ++i_; greedy = false; }
        quantify(frags.back(), min, max, greedy);
        quantifiable = false;
        continue;
      }
      i_ = save;
    }
    switch (c) {
      case '^':
        ++i_;
        frags.push_back(single(node((flags_ & MultiLine) ? NodeKind::BolMulti : NodeKind::Bol),
                               AtomType::Other, 0, 0));
        if (topFirst && frags.size() == 1 && !(flags_ & MultiLine)) startsWithBol_ = true;
        quantifiable = false;
        break;
      case '$':
        ++i_;
        frags.push_back(single(node((flags_ & MultiLine) ? NodeKind::EolMulti : NodeKind::Eol),
                               AtomType::Other, 0, 0));
        quantifiable = false;
        break;
      case '.':
        ++i_;
        frags.push_back(single(node((flags_ & DotAll) ? NodeKind::AnyAll : NodeKind::Any),
                               AtomType::SingleChar, 1, 1));
        quantifiable = true;
        break;
      case '[':
        ++i_;
        frags.push_back(parseSet());
        quantifiable = true;
        break;
      case '(': {
        Frag f;
        bool q = quantifiable;   // a comment leaves it as it was
        size_t mark = all_.size();
        if (parseGroup(f, q)) {
          f.nodesFrom = mark;
          frags.push_back(f);
        }
        quantifiable = q;
        break;
      }
      case '\\': {
        Frag f = parseEscape();
        if (f.head) {
          frags.push_back(f);
          quantifiable = f.type != AtomType::Other;
        }
        break;
      }
      default:
        ++i_;
        frags.push_back(literal(c));
        quantifiable = true;
        break;
    }
  }
  mergeLiterals(frags);
  if (topFirst && !frags.empty() && frags[0].head == frags[0].tail &&
      (frags[0].head->kind == NodeKind::Char || frags[0].head->kind == NodeKind::String))
    leadLiteral_ = frags[0].head;
  Width w{0, 0};
  for (size_t k = 0; k < frags.size(); ++k) {
    frags[k].tail->next = k + 1 < frags.size() ? frags[k + 1].head : join;
    w.min = addWidth(w.min, frags[k].min);
    w.max = addWidth(w.max, frags[k].max);
  }
  head = frags.empty() ? join : frags[0].head;
  return w;
}

void perl_syntax::mergeLiterals(std::vector<Frag>& frags) {
  size_t kept = 0;   // merged in place: never ahead of k
  for (size_t k = 0; k < frags.size();) {
    // A run may mix caseless characters with either kind of cased ones,
    // but not characters compared with and without regard to case.
    size_t run = k;
    bool sawIcase = false, sawExact = false;
    while (run < frags.size() && frags[run].head->kind == NodeKind::Char &&
           frags[run].head == frags[run].tail) {
      const sub_expr* c = frags[run].head;
      bool caseless = fold_.lower[c->ch] == c->ch && fold_.upper[c->ch] == c->ch;
      if (!caseless) {
        if (c->icase ? sawExact : sawIcase) break;
        (c->icase ? sawIcase : sawExact) = true;
      }
      ++run;
    }
    if (run - k < 2) {
      frags[kept++] = frags[k++];
      continue;
    }
    sub_expr* e = node(NodeKind::String);
    e->icase = sawIcase;
    e->len = unsigned(run - k);
    auto* bytes = static_cast<unsigned char*>(out_.arena.allocate(e->len, 1));
    for (size_t j = k; j < run; ++j) bytes[j - k] = frags[j].head->ch;   // lower case when icase
    e->text = bytes;
    frags[kept++] = single(e, AtomType::Other, e->len, e->len);
    k = run;
  }
  frags.resize(kept);
}

bool perl_syntax::parseBrace(unsigned& min, unsigned& max) {
  size_t j = i_ + 1;   // past '{'
  auto number = [&](unsigned& value) {
    bool any = false;
    uint64_t v = 0;
    while (j < n_ && std::isdigit(s_[j])) {
      v = std::min<uint64_t>(v * 10 + (s_[j] - '0'), kUnbounded - 1);
      ++j;
      any = true;
    }
    value = unsigned(v);
    return any;
  };
  unsigned a = 0;
  number(a);
  if (j >= n_) return false;
  if (s_[j] == '}') {
    min = max = a;
    i_ = j + 1;
    return true;
  }
  if (s_[j] != ',') return false;
  ++j;
  unsigned b = 0;
  bool hasMax = number(b);
  if (j >= n_ || s_[j] != '}') return false;
  if (hasMax && b < a) fail("Can't do {n, m} with n > m");
  min = a;
  max = hasMax ? b : kUnbounded;
  i_ = j + 1;
  return true;
}

void perl_syntax::quantify(Frag& frag, unsigned min, unsigned max, bool greedy) {
  if (frag.type == AtomType::SingleChar) {
    sub_expr* e = node(NodeKind::Star);
    e->sub = frag.head;
    e->min = min;
    e->max = max;
    e->greedy = greedy;
    frag = single(e, AtomType::Other, min, max);
    return;
  }
  if (frag.type == AtomType::Group && (max > 16)) recursionSafe_ = false;
  if (frag.type == AtomType::Group) markReentrant(frag.nodesFrom);
  sub_expr* loop = node(NodeKind::Loop);
  sub_expr* end = node(NodeKind::LoopEnd);
  loop->sub = frag.head;
  loop->min = min;
  loop->max = max;
  loop->greedy = greedy;
  loop->group = out_.loopCount++;
  end->loop = loop;
  frag.tail->next = end;
  frag = Frag{loop, loop, mulWidth(frag.min, min), mulWidth(frag.max, max), AtomType::Other};
}

// After `(`.  Returns false when the construct produces no node (comments and
// flag changes); `quantifiable` says whether a quantifier may follow.
bool perl_syntax::parseGroup(Frag& frag, bool& quantifiable) {
  // Parsing, and every pass after it, recurses once per level of nesting.
  if (++depth_ > kMaxNesting) fail("parentheses nested too deeply");
  struct Leave {
    unsigned& depth;
    ~Leave() { --depth; }
  } leave{depth_};
  ++i_;   // '('
  unsigned savedFlags = flags_;
  if (!more() || s_[i_] != '?') {
    unsigned number = groups_++;
    visible_.push_back(number);
    groupWidth_.push_back({});
    groupClosed_.push_back(false);
    sub_expr* open = node(NodeKind::GroupOpen);
    sub_expr* close = node(NodeKind::GroupClose);
    open->group = close->group = number;
    open->loop = close;
    sub_expr* head = nullptr;
    Width w = parseAlternatives(close, head, nullptr, ~size_t(0));
    if (!more() || s_[i_] != ')') fail("mismatched parenthesis");
    ++i_;
    flags_ = savedFlags;
    open->next = head;
    groupWidth_[number] = w;
    groupClosed_[number] = true;
    frag = Frag{open, close, w.min, w.max, AtomType::Group};
    quantifiable = true;
    return true;
  }
  ++i_;   // '?'
  // Only white space here: a "#" after "(?" opens a comment group, not a line comment.
  if (flags_ & Extended)
    while (more() && std::isspace(s_[i_])) ++i_;
  if (!more()) fail("ill-formed regular expression");
  unsigned char c = s_[i_];
  NodeKind look = NodeKind::Join;
  switch (c) {
    case '#':   // "(? #...)" under Extended; "(?#" itself never gets here
      skipCommentGroup(i_ + 1);
      return false;
    case '(':
      parseConditional(frag);
      quantifiable = true;
      return true;
    case 'R':
      ++i_;
      if (!more()) fail("ill-formed regular expression");
      if (s_[i_] != ')') fail("bad extension sequence");
      ++i_;
      recursionSafe_ = false;
      hasRecursion_ = true;
      frag = single(node(NodeKind::Recurse), AtomType::Other, 0, kUnbounded);
      quantifiable = false;
      return true;
    case '=': look = NodeKind::LookAhead; ++i_; break;
    case '!': look = NodeKind::NegLookAhead; ++i_; break;
    case '<':
      ++i_;
      if (!more()) fail("ill-formed regular expression");
      if (s_[i_] == '=') look = NodeKind::LookBehind;
      else if (s_[i_] == '!') look = NodeKind::NegLookBehind;
      else fail("bad extension sequence");
      ++i_;
      break;
    default:
      break;
  }
  if (look != NodeKind::Join) {
    if (!more()) fail("ill-formed regular expression");
    sub_expr* e = node(look);
    sub_expr* succeed = node(NodeKind::Succeed);
    sub_expr* head = nullptr;
    e->groupsFrom = groups_;
    Width w = parseAlternatives(succeed, head, nullptr, ~size_t(0));
    e->groupsTo = groups_;
    if (!more() || s_[i_] != ')') fail("mismatched parenthesis");
    ++i_;
    flags_ = savedFlags;
    e->sub = head;
    e->min = w.min;
    e->max = w.max;
    frag = single(e, AtomType::Other, 0, 0);
    quantifiable = false;
    return true;
  }
  bool atomic = false;
  if (c == '>') {
    atomic = true;
    ++i_;
  } else if (c != ':') {
    // Flag letters: (?imsx-imsx) or (?imsx-imsx:
    unsigned on = 0, off = 0;
    bool negate = false;
    while (more() && s_[i_] != ':' && s_[i_] != ')') {
      unsigned bit = 0;
      switch (s_[i_]) {
        case 'i': bit = IgnoreCase; break;
        case 'm': bit = MultiLine; break;
        case 's': bit = DotAll; break;
        case 'x': bit = Extended; break;
        case '-':
          if (negate) fail("bad extension sequence");
          negate = true;
          break;
        default: fail("bad extension sequence");
      }
      (negate ? off : on) |= bit;
      ++i_;
    }
    if (!more()) fail("ill-formed regular expression");
    flags_ = (flags_ | on) & ~off;
    ++i_;   // ')' or ':'
    if (s_[i_ - 1] == ')') {
      quantifiable = false;
      return false;   // flags hold for the rest of the enclosing group
    }
  } else {
    ++i_;   // ':'
  }
  if (!more()) fail("ill-formed regular expression");
  unsigned number = groups_++;
  out_.internalGroups.push_back(number);
  groupWidth_.push_back({});
  groupClosed_.push_back(false);
  sub_expr* endNode = node(atomic ? NodeKind::Succeed : NodeKind::Join);
  sub_expr* head = nullptr;
  unsigned groupsFrom = groups_;
  Width w = parseAlternatives(endNode, head, nullptr, ~size_t(0));
  if (!more() || s_[i_] != ')') fail("mismatched parenthesis");
  ++i_;
  flags_ = savedFlags;
  groupWidth_[number] = w;
  groupClosed_[number] = true;
  if (atomic) {
    sub_expr* e = node(NodeKind::Atomic);
    e->sub = head;
    e->groupsFrom = groupsFrom;
    e->groupsTo = groups_;
    frag = Frag{e, e, w.min, w.max, AtomType::Group};
  } else {
    frag = Frag{head, endNode, w.min, w.max, AtomType::Group};
  }
  quantifiable = true;
  return true;
}

// After `(?(`: a group number or a look-around, then at most two alternatives.
void perl_syntax::parseConditional(Frag& frag) {
  ++i_;   // the condition's '('
  unsigned savedFlags = flags_;
  unsigned number = groups_++;
  out_.internalGroups.push_back(number);
  groupWidth_.push_back({});
  groupClosed_.push_back(false);
  sub_expr* e = nullptr;
  if (more() && std::isdigit(s_[i_])) {
    uint64_t v = 0;
    while (more() && std::isdigit(s_[i_])) {
      v = std::min<uint64_t>(v * 10 + (s_[i_] - '0'), kUnbounded - 1);
      ++i_;
    }
    if (!more()) fail("ill-formed regular expression");
    if (s_[i_] != ')') fail("bad extension sequence");
    ++i_;
    e = node(NodeKind::CondGroup);
    e->group = unsigned(v);   // visible number until bound
    conditions_.push_back(e);
  } else if (i_ + 1 < n_ && s_[i_] == '?' &&
             (s_[i_ + 1] == '=' || s_[i_ + 1] == '!' ||
              (s_[i_ + 1] == '<' && i_ + 2 < n_ && (s_[i_ + 2] == '=' || s_[i_ + 2] == '!')))) {
    --i_;   // back to the condition's '('
    Frag cond;
    bool q = false;
    parseGroup(cond, q);
    e = node(NodeKind::CondLook);
    e->loop = cond.head;
  } else {
    if (!more()) fail("ill-formed regular expression");
    fail("bad extension sequence");
  }
  sub_expr* join = node(NodeKind::Join);
  sub_expr* head = nullptr;
  size_t count = 0;
  Width w = parseAlternatives(join, head, &count, 2);
  if (!more() || s_[i_] != ')') fail("mismatched parenthesis");
  ++i_;
  flags_ = savedFlags;
  if (count == 2) {
    e->sub = head->sub;
    e->alt = head->alt->sub;
  } else {
    e->sub = head;
    e->alt = join;
    w.min = 0;
  }
  e->next = join;   // unused by the matcher; keeps the join reachable for removal
  groupWidth_[number] = w;
  groupClosed_[number] = true;
  frag = Frag{e, join, w.min, w.max, AtomType::Group};
}

Frag perl_syntax::parseEscape() {
  ++i_;   // '\'
  if (!more()) return literal('\\');
  unsigned char c = s_[i_++];
  const PredefinedSets& sets = predefinedSets();
  auto assertion = [&](NodeKind k) { return single(node(k), AtomType::Other, 0, 0); };
  auto predefined = [&](const CharSet& set) {
    sub_expr* e = node(NodeKind::Set);
    e->set = &set;
    return single(e, AtomType::SingleChar, 1, 1);
  };
  switch (c) {
    case 'd': return predefined(sets.digit);
    case 'D': return predefined(sets.notDigit);
    case 's': return predefined(sets.space);
    case 'S': return predefined(sets.notSpace);
    case 'w': return predefined(sets.word);
    case 'W': return predefined(sets.notWord);
    case 'A': return assertion(NodeKind::SubjectStart);
    case 'Z': return assertion(NodeKind::SubjectEndOrNewline);
    case 'z': return assertion(NodeKind::SubjectEnd);
    case 'b': return assertion(NodeKind::WordBoundary);
    case 'B': return assertion(NodeKind::NotWordBoundary);
    case 'Q': inQuote_ = true; return Frag{};
    case 'E': fail("quotemeta turned off, but was never turned on");
    case 'x': {
      unsigned v = 0;
      for (int k = 0; k < 2 && more() && hexValue(s_[i_]) >= 0; ++k) v = v * 16 + hexValue(s_[i_++]);
      return literal(static_cast<unsigned char>(v));
    }
    case 'c': {
      if (!more()) fail("incomplete escape sequence \\c");
      unsigned char x = s_[i_++];
      if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
      return literal(static_cast<unsigned char>(x ^ 0x40));
    }
    case 'e': return literal(27);
    case 'a': return literal((flags_ & ControlEscapes) ? 7 : 'a');
    case 'f': return literal((flags_ & ControlEscapes) ? 12 : 'f');
    case 'n': return literal((flags_ & ControlEscapes) ? 10 : 'n');
    case 'r': return literal((flags_ & ControlEscapes) ? 13 : 'r');
    case 't': return literal((flags_ & ControlEscapes) ? 9 : 't');
    default: break;
  }
  if (c >= '0' && c <= '9') {
    size_t start = i_ - 1;
    unsigned number = c - '0';
    for (int k = 0; k < 2 && more() && std::isdigit(s_[i_]); ++k) number = number * 10 + (s_[i_++] - '0');
    unsigned opened = unsigned(visible_.size() - 1);   // capturing groups so far
    if (c == '0' || (number > 9 && number > opened)) {
      i_ = start;
      if (c > '7') {   // no octal digit to read: the digit stands for itself
        ++i_;
        return literal(c);
      }
      unsigned v = 0;
      for (int k = 0; k < 3 && more() && s_[i_] >= '0' && s_[i_] <= '7'; ++k) v = v * 8 + (s_[i_++] - '0');
      return literal(static_cast<unsigned char>(v));
    }
    sub_expr* e = node(NodeKind::Backref);
    e->group = number;
    e->icase = (flags_ & IgnoreCase) != 0;
    backrefs_.push_back(e);
    Frag f = single(e, AtomType::Backref, 0, kUnbounded);
    if (number < visible_.size() && groupClosed_[visible_[number]]) {
      f.min = groupWidth_[visible_[number]].min;
      f.max = groupWidth_[visible_[number]].max;
    }
    return f;
  }
  return literal(c);
}

bool perl_syntax::namedClass(CharSet& set) {
  // at "[:"
  size_t j = i_ + 2;
  bool negate = j < n_ && s_[j] == '^';
  if (negate) ++j;
  for (int k = 0; k < 12; ++k) {
    std::string_view name = kClassNames[k];
    if (j + name.size() + 2 <= n_ &&
        std::string_view(reinterpret_cast<const char*>(s_ + j), name.size()) == name &&
        s_[j + name.size()] == ':' && s_[j + name.size() + 1] == ']') {
      bool fold = (flags_ & IgnoreCase) && (k == 6 || k == 10);
      for (int ch = 0; ch < 256; ++ch) {
        bool in = fold ? (std::islower(ch) || std::isupper(ch)) : inClass(k, ch);
        if (in != negate) set.add(static_cast<unsigned char>(ch));
      }
      i_ = j + name.size() + 2;
      return true;
    }
  }
  return false;
}

// After `\` inside a set: adds a class and returns -1, or returns a code.
int perl_syntax::setEscape(CharSet& set) {
  if (!more()) fail("expecting end of character set");
  unsigned char c = s_[i_++];
  const PredefinedSets& sets = predefinedSets();
  switch (c) {
    case 'd': set.addAll(sets.digit); return -1;
    case 'D': set.addAll(sets.notDigit); return -1;
    case 's': set.addAll(sets.space); return -1;
    case 'S': set.addAll(sets.notSpace); return -1;
    case 'w': set.addAll(sets.word); return -1;
    case 'W': set.addAll(sets.notWord); return -1;
    case 'b': return 8;
    case 'x': {
      unsigned v = 0;
      while (more() && hexValue(s_[i_]) >= 0) v = (v * 16 + hexValue(s_[i_++])) & 0xFFu;
      return int(v);
    }
    case 'c': {
      if (!more()) fail("incomplete escape sequence \\c");
      unsigned char x = s_[i_++];
      if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
      return x ^ 0x40;
    }
    case 'e': return 27;
    case 'a': return (flags_ & ControlEscapes) ? 7 : 'a';
    case 'f': return (flags_ & ControlEscapes) ? 12 : 'f';
    case 'n': return (flags_ & ControlEscapes) ? 10 : 'n';
    case 'r': return (flags_ & ControlEscapes) ? 13 : 'r';
    case 't': return (flags_ & ControlEscapes) ? 9 : 't';
    case 'v': return (flags_ & ControlEscapes) ? 11 : 'v';
    default: break;
  }
  if (c >= '0' && c <= '7') {
    unsigned v = c - '0';
    while (more() && s_[i_] >= '0' && s_[i_] <= '7') v = (v * 8 + (s_[i_++] - '0')) & 0xFFu;
    return int(v);
  }
  return c;
}

// After `[`.
Frag perl_syntax::parseSet() {
  CharSet set;
  bool negated = false;
  if (more() && s_[i_] == '^') {
    negated = true;
    ++i_;
  }
  bool icase = (flags_ & IgnoreCase) != 0;
  auto addCode = [&](unsigned char ch) {
    set.add(ch);
    if (icase) {
      set.add(fold_.lower[ch]);
      set.add(fold_.upper[ch]);
    }
  };
  bool first = true;
  for (;;) {
    if (!more()) fail("expecting end of character set");
    unsigned char c = s_[i_];
    if (c == ']' && !first) {
      ++i_;
      break;
    }
    first = false;
    int code;
    if (c == '[' && i_ + 1 < n_ && s_[i_ + 1] == ':' && namedClass(set)) {
      continue;
    } else if (c == '\\') {
      ++i_;
      code = setEscape(set);
      if (code < 0) continue;
    } else {
      ++i_;
      code = c;
    }
    // A range?
    if (i_ + 1 < n_ && s_[i_] == '-' && s_[i_ + 1] != ']') {
      ++i_;   // '-'
      unsigned char e = s_[i_];
      int last;
      if (e == '[' && i_ + 1 < n_ && s_[i_ + 1] == ':') {
        CharSet probe;
        size_t at = i_;
        if (namedClass(probe)) {
          i_ = at;   // re-read the class as its own item
          addCode(static_cast<unsigned char>(code));
          addCode('-');
          continue;
        }
        ++i_;
        last = e;
      } else if (e == '\\') {
        ++i_;
        CharSet classes;
        last = setEscape(classes);
        if (last < 0) {   // a class escape ends no range
          addCode(static_cast<unsigned char>(code));
          addCode('-');
          set.addAll(classes);
          continue;
        }
      } else {
        ++i_;
        last = e;
      }
      if (last < code) fail("invalid range specified in character set");
      for (int ch = code; ch <= last; ++ch) addCode(static_cast<unsigned char>(ch));
      continue;
    }
    addCode(static_cast<unsigned char>(code));
  }
  if (negated) set.invert();
  return setFrag(set);
}

void perl_syntax::bindReferences() {
  unsigned visibleCount = unsigned(visible_.size());   // group 0 included
  for (sub_expr* e : backrefs_) {
    if (e->group >= visibleCount) fail("reference to nonexistent group");
    e->group = visible_[e->group];
  }
  for (sub_expr* e : conditions_) {
    // Group 0 and missing groups never count as matched while a match runs.
    e->group = (e->group > 0 && e->group < visibleCount) ? visible_[e->group] : 0;
  }
}

void perl_syntax::removeJoins() {
  auto skip = [](const sub_expr* p) {
    while (p && p->kind == NodeKind::Join) p = p->next;
    return p;
  };
  for (sub_expr* e : all_) {
    if (e->kind == NodeKind::Join) continue;
    e->next = skip(e->next);
    e->sub = skip(e->sub);
    e->alt = skip(e->alt);
  }
}

}  // namespace

ParsedPattern parsePattern(const std::string& text, unsigned flags, Compiled& out) {
  return perl_syntax(text, flags, out).run();
}

}  // namespace regex::detail
