// What the parse (Parse.cpp) hands to the passes after it (Analysis.cpp):
// the finished node graph and what the parse found out about it.
//
// Invariants of a parsed pattern: every node is reachable from out.first or
// is a body hung off a node (sub, alt); no Join node is left in a chain;
// backreferences and conditions name group numbers (bound, not visible
// numbers); minWidth and maxWidth are exact bounds of group 0.
#pragma once

#include <string>
#include <vector>

#include "Nodes.h"

namespace regex::detail {

struct ParsedPattern {
  std::vector<sub_expr*> nodes;       // every node, in order of making
  unsigned groupCount = 0;            // group 0 and internal groups included
  unsigned minWidth = 0, maxWidth = 0;
  bool recursionSafe = true;
  bool startsWithBol = false;         // the one alternative begins with ^ (not multi-line)
  const sub_expr* leadLiteral = nullptr;  // the literal the one alternative begins with
  size_t alternatives = 0;            // at the top level
};

// Groups nest at most this deep ("parentheses nested too deeply"): the parse and the passes
// after it recurse once per level.
constexpr unsigned kMaxNesting = 250;

// Parses `text` into out's arena and sets out.first; throws bad_regexpr.
ParsedPattern parsePattern(const std::string& text, unsigned flags, Compiled& out);

// The passes (Analysis.cpp).
void computeBranchSets(const std::vector<sub_expr*>& nodes, Compiled& out);
void computeRequired(Compiled& out);

}  // namespace regex::detail
