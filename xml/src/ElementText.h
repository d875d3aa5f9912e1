// Reading the text content of an element and resolving references in it.
#pragma once

#include <cstdint>
#include <string>

#include "xml/ElementIndex.h"

namespace xml {

// Text content of element e of the NUL-terminated document `text`: empty for
// an element with children, an empty element or one that was not ended;
// else the content between its tags with references resolved, or, when the
// content holds markup, the resolved text tokens and the inner texts of
// CDATA sections joined in order.
std::string elementText(const char* text, const ElementIndex& index, uint32_t e);

// Appends [begin, end) to out with the five named references and numeric
// references resolved in one pass, left to right. An "&" that does not
// begin a resolvable reference is kept and scanning resumes after it.
void appendResolved(const char* begin, const char* end, std::string& out);

}  // namespace xml
