// Index builder. Start tags append an entry and link it as the last child
// of the innermost open element; end tags close the innermost open element
// of the same name. Elements left open by a mismatched end tag, or by the
// end of the text, are closed as "not ended": they keep only their start
// tag and their children move up to follow them under their own parent.
//
// Invariants:
//  - stack_[0 .. depth_) are the open elements, outermost first; each is the
//    last child of its parent, which is the element below it (or entry 0);
//  - an end tag usually closes the innermost element, which is checked
//    first; only after the first mismatch does a name table track, for every
//    open name, its innermost slot, so that a document full of stray end
//    tags costs one lookup per tag rather than a walk down the stack;
//  - closing several elements at once goes outermost first, so that every
//    element moves up at most once and closing stays linear.
#include "IndexBuilder.h"

#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "Messages.h"
#include "XmlScanner.h"

namespace xml {
namespace {

constexpr uint32_t kNoSlot = UINT32_MAX;

class IndexBuilder {
 public:
  IndexBuilder(const char* text, ElementIndex& index, std::string& message)
      : text_(text), index_(index), message_(message) {}

  void run() {
    XmlToken token;
    uint32_t offset = 0;
    for (;;) {
      scanToken(text_, offset, token);
      switch (token.kind) {
        case NodeKind::StartTag:
          startTag(token);
          break;
        case NodeKind::EndTag:
          endTag(token);
          break;
        case NodeKind::Error:
          problem(token.error);
          break;
        case NodeKind::EndOfText:
          endOfText();
          index_[0].length = token.start;
          return;
        default:  // the index holds elements only
          break;
      }
      offset += token.length;
    }
  }

 private:
  struct Open {
    uint32_t element;
    uint32_t nameLength;
    uint32_t outerSameName;  // the next open slot further out with the same name
  };

  uint32_t innermost() const { return depth_ ? stack_[depth_ - 1].element : 0; }

  std::string_view nameOf(const Open& open) const {
    return {text_ + index_[open.element].start + 1, open.nameLength};
  }

  void startTag(const XmlToken& token) {
    const uint32_t parent = innermost();
    const uint32_t e = index_.append();
    ElementEntry& entry = index_[e];
    entry.start = token.start;
    entry.length = token.length;
    entry.parent = parent;
    index_.setStartTagLength(e, token.length);
    index_.setLevel(e, depth_);
    appendChild(parent, e);
    if (!(token.flags & kEmptyElement)) push({e, token.nameLength, kNoSlot});
  }

  void appendChild(uint32_t parent, uint32_t e) {
    ElementEntry& p = index_[parent];
    ElementEntry& child = index_[e];
    if (p.firstChild == 0) {
      p.firstChild = e;
      child.flagsAndLevel |= kFirstChild;
      child.previousSibling = e;
      return;
    }
    ElementEntry& first = index_[p.firstChild];
    const uint32_t last = first.previousSibling;
    index_[last].nextSibling = e;
    child.previousSibling = last;
    first.previousSibling = e;
  }

  void endTag(const XmlToken& token) {
    const std::string_view name(text_ + token.start + 2, token.nameLength);
    const uint32_t slot = findOpen(name);
    if (slot == kNoSlot) {
      problem(messages::noStartTag(name, token.start));
      return;
    }
    if (slot + 1 < depth_) {
      const Open& inner = stack_[depth_ - 1];
      note(messages::mismatch(name, token.start + 1, nameOf(inner),
                              index_[inner.element].start));
      index_[0].flagsAndLevel |= kIllFormed;
      for (uint32_t s = slot + 1; s < depth_; ++s) closeNotEnded(stack_[s].element);
    }
    const uint32_t e = stack_[slot].element;
    index_[e].length = token.start + token.length - index_[e].start;
    index_.setEndTagLength(e, token.length);
    while (depth_ > slot) pop();
  }

  void endOfText() {
    if (depth_ == 0) return;
    const Open& inner = stack_[depth_ - 1];
    note(messages::notEnded(nameOf(inner), index_[inner.element].start));
    index_[0].flagsAndLevel |= kIllFormed;
    for (uint32_t s = 0; s < depth_; ++s) closeNotEnded(stack_[s].element);
    while (depth_ > 0) pop();
  }

  // Closes open element e with its start tag alone; its children become its
  // following siblings. e is the last child of its parent.
  void closeNotEnded(uint32_t e) {
    ElementEntry& entry = index_[e];
    entry.length = index_.startTagLength(e);
    entry.flagsAndLevel |= kNotEnded;
    const uint32_t first = entry.firstChild;
    if (first == 0) return;
    const uint32_t parent = entry.parent;
    const uint32_t last = index_[first].previousSibling;
    for (uint32_t c = first; c != 0; c = index_[c].nextSibling) index_[c].parent = parent;
    index_[first].flagsAndLevel &= ~kFirstChild;
    index_[first].previousSibling = e;
    entry.nextSibling = first;
    entry.firstChild = 0;
    index_[index_[parent].firstChild].previousSibling = last;
  }

  void problem(const std::string& text) {
    note(text);
    index_[0].flagsAndLevel |= kIllFormed;
    index_[innermost()].flagsAndLevel |= kDescendantIllFormed;
  }

  void note(const std::string& text) {
    if (message_.empty()) message_ = text;
  }

  uint32_t findOpen(std::string_view name) {
    if (depth_ == 0) return kNoSlot;
    if (nameOf(stack_[depth_ - 1]) == name) return depth_ - 1;
    if (!byName_) startNameTable();
    const auto found = byName_->find(name);
    return found == byName_->end() ? kNoSlot : found->second;
  }

  void startNameTable() {
    byName_ = std::make_unique<std::unordered_map<std::string_view, uint32_t>>();
    for (uint32_t s = 0; s < depth_; ++s) enterName(s);
  }

  void enterName(uint32_t slot) {
    auto [it, added] = byName_->try_emplace(nameOf(stack_[slot]), slot);
    if (!added) {
      stack_[slot].outerSameName = it->second;
      it->second = slot;
    }
  }

  void push(const Open& open) {
    if (depth_ == capacity_) {
      const uint32_t capacity = capacity_ * 2 + 6;
      std::unique_ptr<Open[]> wider(new Open[capacity]);
      if (depth_) std::memcpy(wider.get(), stack_.get(), sizeof(Open) * depth_);
      stack_ = std::move(wider);
      capacity_ = capacity;
    }
    stack_[depth_] = open;
    if (byName_) enterName(depth_);
    ++depth_;
  }

  void pop() {
    --depth_;
    if (!byName_) return;
    const Open& open = stack_[depth_];
    if (open.outerSameName == kNoSlot)
      byName_->erase(nameOf(open));
    else
      (*byName_)[nameOf(open)] = open.outerSameName;
  }

  const char* text_;
  ElementIndex& index_;
  std::string& message_;
  std::unique_ptr<Open[]> stack_;
  uint32_t depth_ = 0;
  uint32_t capacity_ = 0;
  std::unique_ptr<std::unordered_map<std::string_view, uint32_t>> byName_;
};

}  // namespace

void buildIndex(const char* text, ElementIndex& index, std::string& message) {
  IndexBuilder(text, index, message).run();
}

}  // namespace xml
