// Every message text the reader produces, in one place. Names and offsets
// taken from the document are always arguments, never part of a format, and
// texts are built as strings so that no name is ever cut.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace xml::messages {

inline constexpr std::string_view kEmptyDocument = "Empty document";
inline constexpr std::string_view kNoRootElement = "No root element";
inline constexpr std::string_view kRootHasSibling = "Root element has sibling";

// Kind names used in "unterminated" messages.
inline constexpr std::string_view kEndTagKind = "Element end tag";
inline constexpr std::string_view kStartTagKind = "Element tag";
inline constexpr std::string_view kCDataKind = "CDATA Section";
inline constexpr std::string_view kProcessingInstructionKind = "Processing instruction";
inline constexpr std::string_view kCommentKind = "Comment";
inline constexpr std::string_view kDoctypeKind = "Doctype";
inline constexpr std::string_view kOtherKind = "tag";

// What "Incorrect %s at offset %d" names.
inline constexpr std::string_view kBadNameCharacter = "tag name character";
inline constexpr std::string_view kBadComment = "comment tag";
inline constexpr std::string_view kBadTag = "tag";
inline constexpr std::string_view kBadBangTag = "! tag";

inline std::string cat(std::initializer_list<std::string_view> parts) {
  size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (std::string_view part : parts) out.append(part);
  return out;
}

// "Incorrect %s at offset %d"
inline std::string incorrect(std::string_view what, uint32_t offset) {
  return cat({"Incorrect ", what, " at offset ", std::to_string(offset)});
}

// "%s at offset %d unterminated"
inline std::string unterminated(std::string_view kind, uint32_t offset) {
  return cat({kind, " at offset ", std::to_string(offset), " unterminated"});
}

// "Element '%s' at offset %d not ended"
inline std::string notEnded(std::string_view name, uint32_t offset) {
  return cat({"Element '", name, "' at offset ", std::to_string(offset), " not ended"});
}

// "End tag '%s' at offset %d does not match start tag '%s' at offset %d"
inline std::string mismatch(std::string_view endName, uint32_t endOffset,
                            std::string_view startName, uint32_t startOffset) {
  return cat({"End tag '", endName, "' at offset ", std::to_string(endOffset),
              " does not match start tag '", startName, "' at offset ",
              std::to_string(startOffset)});
}

// "No start tag for end tag '%s' at offset %d"
inline std::string noStartTag(std::string_view name, uint32_t offset) {
  return cat({"No start tag for end tag '", name, "' at offset ", std::to_string(offset)});
}

// "%s%d bytes", whose first argument is always empty.
inline std::string byteCount(uint64_t bytes) {
  return cat({std::to_string(bytes), " bytes"});
}

}  // namespace xml::messages
