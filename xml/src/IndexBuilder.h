// Building the element index: one pass of the token scanner over the text,
// with an explicit stack of open elements.
#pragma once

#include <string>

#include "xml/ElementIndex.h"

namespace xml {

// Indexes the elements of the NUL-terminated `text` under entry 0 of
// `index`, which must hold just the cleared entry 0. Problems set flags in
// the index (kIllFormed on entry 0 for the document) and the first one's
// text goes to `message`, when that is still empty. Entry 0's length
// becomes the length of the text up to its first NUL.
void buildIndex(const char* text, ElementIndex& index, std::string& message);

}  // namespace xml
