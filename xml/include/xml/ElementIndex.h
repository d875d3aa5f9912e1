// The element index of an XmlDocument: one fixed-size record per element,
// holding offsets into the document text and the links of the element tree.
//
// Records live in segments of 65,536 entries, so that a large document never
// needs one contiguous block bigger than a segment; an element is named by
// its index (segment * 65,536 + position). Entry 0 stands for the document.
//
// Invariants:
//  - every entry below size() is initialised; entry 0 is the document and
//    its first child is the first element indexed (the root);
//  - previousSibling of a first child holds its parent's last child, so
//    appending a child is constant time; for other children it is the true
//    previous sibling;
//  - the packed fields keep the usual case compact; a start tag of 1 MiB or
//    more, an end tag of 1,024 bytes or more and a level above 65,535 are
//    marked in the packed field and kept exactly in a side table.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace xml {

struct ElementEntry {
  uint32_t start;            // offset of the element's "<"
  uint32_t length;           // start tag to the end of the end tag
  uint32_t tagLengths;       // start tag: low 20 bits; end tag: bit 22 up
  uint32_t flagsAndLevel;    // level: low 16 bits; flags: see below
  uint32_t parent;
  uint32_t firstChild;
  uint32_t nextSibling;
  uint32_t previousSibling;  // of a first child: the parent's last child
};

// Bits of ElementEntry::flagsAndLevel.
inline constexpr uint32_t kLevelMask = 0xFFFF;
inline constexpr uint32_t kWideLevel = 0x10000;        // level in side table
inline constexpr uint32_t kFirstChild = 0x80000;
inline constexpr uint32_t kNotEnded = 0x100000;        // closed by the parser
inline constexpr uint32_t kDescendantIllFormed = 0x200000;
inline constexpr uint32_t kIllFormed = 0x800000;

// Bits of ElementEntry::tagLengths.
inline constexpr uint32_t kStartTagMask = 0xFFFFF;
inline constexpr uint32_t kWideStartTag = 0x100000;    // in side table
inline constexpr uint32_t kWideEndTag = 0x200000;      // in side table
inline constexpr uint32_t kEndTagShift = 22;
inline constexpr uint32_t kEndTagMax = 0x3FF;

class ElementIndex {
 public:
  static constexpr uint32_t kSegmentBits = 16;
  static constexpr uint32_t kSegmentSize = 1u << kSegmentBits;

  // Discards every entry and makes room for `capacity` entries; entry 0
  // (the document) is created cleared.
  void reset(uint32_t capacity);

  // Appends a cleared entry and returns its index; grows the capacity to
  // one and a half times the number in use when full.
  uint32_t append();

  ElementEntry& operator[](uint32_t i) {
    return segments_[i >> kSegmentBits][i & (kSegmentSize - 1)];
  }
  const ElementEntry& operator[](uint32_t i) const {
    return segments_[i >> kSegmentBits][i & (kSegmentSize - 1)];
  }

  uint32_t size() const { return size_; }
  uint32_t capacity() const { return capacity_; }

  uint32_t startTagLength(uint32_t i) const;
  uint32_t endTagLength(uint32_t i) const;
  uint32_t level(uint32_t i) const;
  void setStartTagLength(uint32_t i, uint32_t length);
  void setEndTagLength(uint32_t i, uint32_t length);
  void setLevel(uint32_t i, uint32_t level);

 private:
  void grow(uint32_t capacity);

  struct Wide {
    uint32_t startTag = 0;
    uint32_t endTag = 0;
    uint32_t level = 0;
  };

  std::vector<std::unique_ptr<ElementEntry[]>> segments_;
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;
  std::unordered_map<uint32_t, Wide> wide_;
};

}  // namespace xml
