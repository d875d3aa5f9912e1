// The host's wildcard matching, as selection filters use it on names and
// texts.
//
// Wildcards work on characters, where a GBK lead byte and its trail byte
// are one character. Letters compare without regard to case.
//   *  any run (also empty)        ?  any one character
//   #  a digit                     @  a letter
//   .  a character that is neither letter nor digit
//   [...] one of the characters (ranges a-z; [~...] none of them)
//   `  the next character literally
//   ,  separates alternatives; ~ at the start of an alternative negates it
#include <cctype>
#include <cstring>

#include "editor/editor.h"

namespace hostimpl {

namespace {

bool isLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Length in bytes of the character starting at s[i].
size_t charLen(std::string_view s, size_t i) {
  return isLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

bool sameChar(std::string_view a, size_t i, size_t na, std::string_view b, size_t j, size_t nb) {
  if (na != nb) return false;
  if (na == 1)
    return std::toupper(static_cast<unsigned char>(a[i])) ==
           std::toupper(static_cast<unsigned char>(b[j]));
  return a.compare(i, na, b, j, nb) == 0;
}

// Matches one bracket class at pattern[p] (just after '['); sets pEnd past ']'.
bool classMatches(std::string_view pat, size_t p, std::string_view text, size_t t, size_t tn,
                  size_t& pEnd) {
  bool negate = p < pat.size() && pat[p] == '~';
  if (negate) ++p;
  bool hit = false;
  bool first = true;
  while (p < pat.size() && (pat[p] != ']' || first)) {
    first = false;
    size_t n = charLen(pat, p);
    if (n == 1 && p + 2 < pat.size() && pat[p + 1] == '-' && pat[p + 2] != ']' && tn == 1) {
      auto lo = std::toupper(static_cast<unsigned char>(pat[p]));
      auto hi = std::toupper(static_cast<unsigned char>(pat[p + 2]));
      auto c = std::toupper(static_cast<unsigned char>(text[t]));
      if (lo <= c && c <= hi) hit = true;
      p += 3;
      continue;
    }
    if (sameChar(pat, p, n, text, t, tn)) hit = true;
    p += n;
  }
  pEnd = p < pat.size() ? p + 1 : p;  // an unclosed class runs to the end
  return hit != negate;
}

bool matchOne(std::string_view text, std::string_view pat) {
  size_t t = 0, p = 0;
  size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    size_t tn = charLen(text, t);
    bool advanced = false;
    if (p < pat.size()) {
      char c = pat[p];
      size_t pn = charLen(pat, p);
      size_t next = p + pn;
      bool ok = false;
      if (c == '*') {
        starP = p++;
        starT = t;
        continue;
      } else if (c == '?') {
        ok = true;
      } else if (c == '#') {
        ok = tn == 1 && std::isdigit(static_cast<unsigned char>(text[t]));
      } else if (c == '@') {
        ok = tn == 1 && std::isalpha(static_cast<unsigned char>(text[t]));
      } else if (c == '.') {
        ok = tn == 2 || !std::isalnum(static_cast<unsigned char>(text[t]));
      } else if (c == '[') {
        ok = classMatches(pat, p + 1, text, t, tn, next);
      } else if (c == '`' && p + 1 < pat.size()) {
        size_t en = charLen(pat, p + 1);
        ok = sameChar(pat, p + 1, en, text, t, tn);
        next = p + 1 + en;
      } else {
        ok = sameChar(pat, p, pn, text, t, tn);
      }
      if (ok) {
        p = next;
        t += tn;
        advanced = true;
      }
    }
    if (advanced) continue;
    if (starP == std::string_view::npos) return false;
    p = starP + 1;
    starT += charLen(text, starT);
    t = starT;
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

}  // namespace

bool wildcardMatch(std::string_view text, std::string_view pattern) {
  // Split at commas that are not escaped or inside brackets.
  size_t start = 0;
  bool inClass = false;
  for (size_t i = 0; i <= pattern.size(); ++i) {
    if (i < pattern.size()) {
      char c = pattern[i];
      if (c == '`') {
        ++i;
        continue;
      }
      if (isLead(static_cast<unsigned char>(c))) {
        ++i;
        continue;
      }
      if (c == '[') inClass = true;
      if (c == ']') inClass = false;
      if (c != ',' || inClass) continue;
    }
    std::string_view alt = pattern.substr(start, i - start);
    bool negate = !alt.empty() && alt[0] == '~';
    if (negate) alt.remove_prefix(1);
    if (matchOne(text, alt) != negate) return true;
    start = i + 1;
  }
  return false;
}

}  // namespace hostimpl
