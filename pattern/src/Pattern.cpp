// The Pattern object, its results, and the tables shared by all patterns:
// case folding, the predefined sets, the node arena and the literal searcher.
#include <algorithm>
#include <cctype>

#include "Nodes.h"

namespace regex {

std::string backref_tag::str() const {
  return matched ? std::string(first, second) : std::string();
}

MatchResults::~MatchResults() = default;

const backref_tag& MatchResults::at(size_t i) const {
  if (i >= entries_.size()) throw std::out_of_range("invalid vector<T> subscript");
  return entries_[i];
}

Pattern::Pattern() = default;

Pattern::Pattern(const std::string& text, unsigned flags, MatchMode mode)
    : flags_(flags), mode_(mode), text_(text) {
  compile();
}

Pattern::Pattern(const Pattern& other)
    : flags_(other.flags_), mode_(other.mode_), text_(other.text_),
      templateText_(other.templateText_) {
  if (other.compiled_) compile();
}

Pattern& Pattern::operator=(const Pattern& other) {
  if (this != &other) {
    Pattern copy(other);
    std::swap(flags_, copy.flags_);
    std::swap(mode_, copy.mode_);
    std::swap(mayMoveStart_, copy.mayMoveStart_);
    std::swap(recursionSafe_, copy.recursionSafe_);
    std::swap(groupCount_, copy.groupCount_);
    std::swap(minWidth_, copy.minWidth_);
    std::swap(maxWidth_, copy.maxWidth_);
    text_.swap(copy.text_);
    templateText_.swap(copy.templateText_);
    compiled_.swap(copy.compiled_);
  }
  return *this;
}

Pattern::~Pattern() = default;

size_t Pattern::visibleGroupCount() const {
  return compiled_ ? groupCount_ - compiled_->internalGroups.size() : 0;
}

void Pattern::compile() {
  auto compiled = std::make_unique<detail::Compiled>();
  detail::compilePattern(text_, flags_, *compiled, groupCount_, minWidth_, maxWidth_,
                         mayMoveStart_, recursionSafe_);
  compiled_ = std::move(compiled);
}

namespace detail {

int CharSet::single() const {
  int found = -1;
  for (int w = 0; w < 8; ++w) {
    if (!words[w]) continue;
    if (found >= 0 || (words[w] & (words[w] - 1))) return -1;
    found = w * 32 + __builtin_ctz(words[w]);
  }
  return found;
}

const FoldTable& foldTable() {
  static const FoldTable table = [] {
    FoldTable t;
    for (int c = 0; c < 256; ++c) {
      t.lower[c] = static_cast<unsigned char>(std::tolower(c));
      t.upper[c] = static_cast<unsigned char>(std::toupper(c));
    }
    return t;
  }();
  return table;
}

const PredefinedSets& predefinedSets() {
  static const PredefinedSets sets = [] {
    PredefinedSets s;
    for (int c = 0; c < 256; ++c) {
      auto ch = static_cast<unsigned char>(c);
      if (std::isdigit(c)) s.digit.add(ch);
      if (std::isspace(c)) s.space.add(ch);
      if (std::isalpha(c) || std::isdigit(c) || c == '_') s.word.add(ch);
    }
    s.notDigit = s.digit;
    s.notDigit.invert();
    s.notSpace = s.space;
    s.notSpace.invert();
    s.notWord = s.word;
    s.notWord.invert();
    return s;
  }();
  return sets;
}

void arena_allocator::newBlock(size_t size, size_t align) {
  size_t blockSize = std::max(kBlock, size + align);
  blocks_.push_back(std::make_unique_for_overwrite<unsigned char[]>(blockSize));
  cur_ = blocks_.back().get();
  left_ = blockSize;
}

void LiteralSearcher::build(const unsigned char* text, size_t len, bool ignoreCase) {
  const FoldTable& fold = foldTable();
  icase = ignoreCase;
  literal.assign(text, text + len);
  if (icase)
    for (auto& c : literal) c = fold.lower[c];
  size_t shift = std::min<size_t>(len, 255);
  std::fill(std::begin(skip), std::end(skip), static_cast<unsigned char>(shift));
  for (size_t k = len > 255 ? len - 255 : 0; k + 1 < len; ++k) {
    unsigned char c = literal[k];
    auto s = static_cast<unsigned char>(len - 1 - k);
    skip[c] = s;
    if (icase) skip[fold.upper[c]] = s;
  }
}

const char* LiteralSearcher::find(const char* first, const char* last) const {
  const size_t len = literal.size();
  if (size_t(last - first) < len) return nullptr;
  const auto* p = reinterpret_cast<const unsigned char*>(first);
  const auto* end = reinterpret_cast<const unsigned char*>(last) - len;
  const unsigned char* lit = literal.data();
  if (!icase) {
    if (len == 1) {
      const void* hit = std::memchr(p, lit[0], size_t(last - first));
      return static_cast<const char*>(hit);
    }
    const unsigned char lastByte = lit[len - 1];
    while (p <= end) {
      unsigned char c = p[len - 1];
      if (c == lastByte && std::memcmp(p, lit, len - 1) == 0) return reinterpret_cast<const char*>(p);
      p += skip[c];
    }
    return nullptr;
  }
  const unsigned char* lower = foldTable().lower;
  while (p <= end) {
    unsigned char c = p[len - 1];
    size_t k = len;
    while (k > 0 && lower[p[k - 1]] == lit[k - 1]) --k;
    if (k == 0) return reinterpret_cast<const char*>(p);
    p += skip[c];
  }
  return nullptr;
}

}  // namespace detail
}  // namespace regex
