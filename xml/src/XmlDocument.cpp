// XmlDocument: loading, parsing into the element index, and navigation.
//
// The text is kept whole (a loaded file's byte count includes anything after
// a NUL), but std::string's terminating NUL and any NUL inside end the
// document for the scanner. Documents are limited to 2^31 - 1 bytes so that
// every offset fits the index's 32-bit fields and the messages' numbers.
#include "xml/XmlDocument.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "ElementText.h"
#include "IndexBuilder.h"
#include "Messages.h"
#include "XmlScanner.h"

namespace {

constexpr size_t kMaxDocumentSize = INT_MAX;
constexpr int kElementNode = static_cast<int>(xml::NodeKind::StartTag);

// The C library's text for an error number, up to its first line break.
std::string errorText(int error) {
  std::string text = std::strerror(error);
  text.resize(std::min(text.size(), text.find_first_of("\r\n")));
  return text;
}

// Characters that may follow a tag name inside a search name.
bool endsSearchName(char c) {
  return c == '\0' || c == ' ' || c == '=' || c == '/' || c == '[' || c == ']';
}

}  // namespace

XmlDocument::XmlDocument() { parse(); }

bool XmlDocument::loadFile(const char* path) {
  if (!path) {
    message_ = errorText(EINVAL);
    return false;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (!file) {
    message_ = errorText(errno);
    return false;
  }
  int error = 0;
  long size = -1;
  // A directory opens but cannot be read: surface that error, not its size.
  if (std::fgetc(file) == EOF && std::ferror(file)) {
    error = errno ? errno : EIO;
  } else if (std::fseek(file, 0, SEEK_END) != 0 || (size = std::ftell(file)) < 0 ||
      std::fseek(file, 0, SEEK_SET) != 0) {
    error = errno;
  } else if (static_cast<unsigned long>(size) > kMaxDocumentSize) {
    error = EFBIG;
  }
  std::string data;
  if (error == 0) {
    data.resize(static_cast<size_t>(size));
    const size_t read = std::fread(data.data(), 1, data.size(), file);
    if (std::ferror(file)) error = errno ? errno : EIO;
    data.resize(read);
  }
  std::fclose(file);
  if (error != 0) {
    message_ = errorText(error);
    return false;
  }
  text_ = std::move(data);
  message_ = xml::messages::byteCount(text_.size());
  return parse();
}

bool XmlDocument::parseText(const char* text) {
  return parseText(text, text ? std::strlen(text) : 0);
}

bool XmlDocument::parseText(const char* text, size_t length) {
  message_.clear();
  if (!text) length = 0;
  if (const void* nul = length ? std::memchr(text, '\0', length) : nullptr)
    length = static_cast<size_t>(static_cast<const char*>(nul) - text);
  if (length > kMaxDocumentSize) {
    text_.clear();
    parse();
    message_ = errorText(EFBIG);
    return false;
  }
  text_.assign(text ? text : "", length);
  return parse();
}

bool XmlDocument::parse() {
  std::string prior = std::move(message_);
  clearPosition();
  index_.reset(static_cast<uint32_t>(text_.size() / 64 + 8));
  std::string parseMessage;
  if (text_.empty()) {
    parseMessage = xml::messages::kEmptyDocument;
  } else {
    xml::buildIndex(text_.c_str(), index_, parseMessage);
    const uint32_t root = index_[0].firstChild;
    if (root == 0)
      parseMessage = xml::messages::kNoRootElement;
    else if (index_[root].nextSibling != 0)
      parseMessage = xml::messages::kRootHasSibling;
  }
  clearPosition();
  if (prior.empty())
    message_ = std::move(parseMessage);
  else if (parseMessage.empty())
    message_ = std::move(prior);
  else
    message_ = xml::messages::cat({prior, ", ", parseMessage});
  const uint32_t root = index_[0].firstChild;
  return !(index_[0].flagsAndLevel & xml::kIllFormed) && root != 0 &&
         index_[root].nextSibling == 0;
}

void XmlDocument::clearPosition() {
  parent_ = current_ = child_ = 0;
  nodeKind_ = 0;
}

void XmlDocument::rewind() { clearPosition(); }

bool XmlDocument::matchesName(uint32_t element, const char* name) const {
  if (!name || !*name) return true;
  const char* tag = text_.c_str() + index_[element].start + 1;
  const size_t length = xml::tagNameLength(tag);
  const bool same = (flags_ & CaseInsensitiveNames) ? strncasecmp(tag, name, length) == 0
                                                    : std::strncmp(tag, name, length) == 0;
  return same && endsSearchName(name[length]);
}

// First element named `name` among `from` and its following siblings.
uint32_t XmlDocument::findSibling(uint32_t from, const char* name) const {
  for (uint32_t e = from; e != 0; e = index_[e].nextSibling)
    if (matchesName(e, name)) return e;
  return 0;
}

bool XmlDocument::findElement(const char* name) {
  const uint32_t from = current_ ? index_[current_].nextSibling : index_[parent_].firstChild;
  const uint32_t found = findSibling(from, name);
  if (found == 0) return false;
  current_ = found;
  parent_ = index_[found].parent;
  child_ = 0;
  nodeKind_ = kElementNode;
  return true;
}

bool XmlDocument::findChildElement(const char* name) {
  if (current_ == 0 && !findElement()) return false;
  const uint32_t from = child_ ? index_[child_].nextSibling : index_[current_].firstChild;
  const uint32_t found = findSibling(from, name);
  if (found == 0) return false;
  child_ = found;
  return true;
}

bool XmlDocument::enterElement() {
  if (nodeKind_ != kElementNode || current_ == 0) return false;
  parent_ = current_;
  current_ = child_;
  child_ = 0;
  nodeKind_ = current_ ? kElementNode : 0;
  return true;
}

bool XmlDocument::leaveElement() {
  if (parent_ == 0) return false;
  child_ = current_;
  current_ = parent_;
  parent_ = index_[current_].parent;
  nodeKind_ = kElementNode;
  return true;
}

std::string XmlDocument::elementText() const {
  if (nodeKind_ != kElementNode) return {};
  return xml::elementText(text_.c_str(), index_, current_);
}

const std::string& XmlDocument::message() const { return message_; }

std::string_view XmlDocument::elementName() const {
  if (nodeKind_ != kElementNode) return {};
  const char* tag = text_.c_str() + index_[current_].start + 1;
  return {tag, xml::tagNameLength(tag)};
}
