// Segmented storage of element records and the side table for the rare
// values that do not fit their packed fields.
//
// Capacity is allocated segment by segment: full segments of 65,536 entries
// and one last, partial segment of exactly the remaining size. Growing
// reallocates only that partial segment (at most one segment is copied) and
// adds new ones; entries are left uninitialised until append() clears them.
#include "xml/ElementIndex.h"

#include <algorithm>
#include <cstring>

namespace xml {

void ElementIndex::reset(uint32_t capacity) {
  segments_.clear();
  wide_.clear();
  size_ = 0;
  capacity_ = 0;
  grow(std::max<uint32_t>(capacity, 1));
  append();
}

uint32_t ElementIndex::append() {
  if (size_ == capacity_) {
    const uint64_t wanted = uint64_t{size_} + size_ / 2;
    grow(static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(wanted, size_ + 1u),
                                                  UINT32_MAX)));
  }
  const uint32_t i = size_++;
  std::memset(&(*this)[i], 0, sizeof(ElementEntry));
  return i;
}

void ElementIndex::grow(uint32_t capacity) {
  if (capacity <= capacity_) return;
  // Widen the last, partial segment first.
  const uint32_t partial = capacity_ % kSegmentSize;
  if (partial != 0) {
    const uint32_t newSize =
        static_cast<uint32_t>(std::min<uint64_t>(kSegmentSize, uint64_t{partial} + capacity - capacity_));
    std::unique_ptr<ElementEntry[]> wider(new ElementEntry[newSize]);
    const uint32_t before = capacity_ - partial;
    const uint32_t used = size_ > before ? size_ - before : 0;
    std::memcpy(wider.get(), segments_.back().get(), sizeof(ElementEntry) * used);
    segments_.back() = std::move(wider);
    capacity_ += newSize - partial;
  }
  while (capacity_ < capacity) {
    const uint32_t segmentSize = std::min<uint32_t>(kSegmentSize, capacity - capacity_);
    segments_.emplace_back(new ElementEntry[segmentSize]);
    capacity_ += segmentSize;
  }
}

uint32_t ElementIndex::startTagLength(uint32_t i) const {
  const uint32_t packed = (*this)[i].tagLengths;
  return (packed & kWideStartTag) ? wide_.at(i).startTag : packed & kStartTagMask;
}

uint32_t ElementIndex::endTagLength(uint32_t i) const {
  const uint32_t packed = (*this)[i].tagLengths;
  return (packed & kWideEndTag) ? wide_.at(i).endTag : packed >> kEndTagShift;
}

uint32_t ElementIndex::level(uint32_t i) const {
  const uint32_t packed = (*this)[i].flagsAndLevel;
  return (packed & kWideLevel) ? wide_.at(i).level : packed & kLevelMask;
}

void ElementIndex::setStartTagLength(uint32_t i, uint32_t length) {
  uint32_t& packed = (*this)[i].tagLengths;
  packed &= ~(kStartTagMask | kWideStartTag);
  if (length <= kStartTagMask) {
    packed |= length;
  } else {
    packed |= kStartTagMask | kWideStartTag;
    wide_[i].startTag = length;
  }
}

void ElementIndex::setEndTagLength(uint32_t i, uint32_t length) {
  uint32_t& packed = (*this)[i].tagLengths;
  packed &= ~((kEndTagMax << kEndTagShift) | kWideEndTag);
  if (length <= kEndTagMax) {
    packed |= length << kEndTagShift;
  } else {
    packed |= (kEndTagMax << kEndTagShift) | kWideEndTag;
    wide_[i].endTag = length;
  }
}

void ElementIndex::setLevel(uint32_t i, uint32_t level) {
  uint32_t& packed = (*this)[i].flagsAndLevel;
  packed &= ~(kLevelMask | kWideLevel);
  if (level <= kLevelMask) {
    packed |= level;
  } else {
    packed |= kLevelMask | kWideLevel;
    wide_[i].level = level;
  }
}

}  // namespace xml
