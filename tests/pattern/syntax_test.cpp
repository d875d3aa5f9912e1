// The pattern syntax, construct by construct: each row compiles a pattern,
// matches one subject in all three modes and compares the entries
// ("START,END" per visible group, "-" unmatched, "none" for no match).
#include <gtest/gtest.h>

#include "Probe.h"

namespace {

using regex::ControlEscapes;
using regex::DotAll;
using regex::Extended;
using regex::IgnoreCase;
using regex::MultiLine;

struct Row {
  const char* pattern;
  unsigned flags;
  std::string subject;
  const char* expected;
};

void check(const std::vector<Row>& rows) {
  for (const Row& r : rows)
    EXPECT_EQ(probe::runAll(r.pattern, r.subject, r.flags), r.expected)
        << "pattern /" << r.pattern << "/ flags " << r.flags << " subject \"" << r.subject << "\"";
}

TEST(Syntax, LiteralsAndDot) {
  check({
      {"", 0, "", "0,0"},
      {"", 0, "abc", "0,0"},
      {"abc", 0, "xxabcx", "2,5"},
      {"a.c", 0, "a\nc abc", "4,7"},
      {"a.c", DotAll, "a\nc", "0,3"},
      {"abc*", 0, "abccc", "0,5"},
      {"abc*", 0, "ab", "0,2"},
      {"abc*", 0, "abab", "0,2"},
      {"abc", IgnoreCase, "xABC", "1,4"},
      {"a1-B", IgnoreCase, "A1-b", "0,4"},
      {"}", 0, "a}", "1,2"},
      {"]", 0, "a]", "1,2"},
  });
}

TEST(Syntax, ClassEscapes) {
  check({
      {"\\d+", 0, "ab123c", "2,5"},
      {"\\D+", 0, "12ab3", "2,4"},
      {"\\s+", 0, "a \t\n\vb", "1,5"},
      {"\\S+", 0, "  ab ", "2,4"},
      {"\\w+", 0, "-a_1-", "1,4"},
      {"\\W+", 0, "ab-+c", "2,4"},
      {"\\w", 0, "\xe4", "none"},
  });
}

TEST(Syntax, Assertions) {
  check({
      {"^a", 0, "ab", "0,1"},
      {"^a", 0, "xaby", "none"},
      {"^b", MultiLine, "a\nb", "2,3"},
      {"^b", 0, "a\nb", "none"},
      {"a$", 0, "ba", "1,2"},
      {"a$", 0, "ba\n", "1,2"},
      {"a$", 0, "ba\n\n", "none"},
      {"a$", MultiLine, "a\nb", "0,1"},
      {"\\Aa", MultiLine, "b\na", "none"},
      {"a\\Z", 0, "a\n", "0,1"},
      {"a\\z", 0, "a\n", "none"},
      {"a\\z", 0, "ba", "1,2"},
      {"\\bb", 0, "ab b", "3,4"},
      {"\\Bb", 0, "b ab", "3,4"},
      {"\\b", 0, "", "none"},
      {"\\B", 0, "", "0,0"},
      {"a\\b", 0, "a", "0,1"},
  });
}

TEST(Syntax, QuoteMeta) {
  check({
      {"\\Qa.b*\\E+", 0, "a.b**", "0,5"},
      {"\\Q(a|b)", 0, "x(a|b)", "1,6"},
      {"a\\Q\\E*", 0, "aaa", "0,3"},
      {"\\Q[\\E[a]", 0, "[a", "0,2"},
  });
}

TEST(Syntax, NumericEscapes) {
  check({
      {"\\x41", 0, "zA", "1,2"},
      {"\\x414", 0, "A4", "0,2"},
      {"\\x", 0, std::string("a\0", 2), "1,2"},
      {"\\xg", 0, std::string("\0g", 2), "0,2"},
      {"\\0", 0, std::string("a\0", 2), "1,2"},
      {"\\012", 0, "a\n", "1,2"},
      {"\\12", 0, "a\n", "1,2"},
      {"\\101", 0, "A", "0,1"},
      {"\\18", 0, "\x01" "8", "0,2"},
      {"\\81", 0, "81", "0,2"},
      {"(a)\\1", 0, "aa", "0,2 0,1"},
      {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10", 0, "abcdefghijj", "0,11 0,1 1,2 2,3 3,4 4,5 5,6 6,7 7,8 8,9 9,10"},
      {"(a)\\10", 0, "a\x08", "0,2 0,1"},
      {"\\cA\\cz\\c[", 0, "\x01\x1a\x1b", "0,3"},
      {"\\e", 0, "\x1b", "0,1"},
  });
}

TEST(Syntax, LetterEscapes) {
  check({
      {"\\n", 0, "n", "0,1"},
      {"\\n", 0, "\n", "none"},
      {"\\n", ControlEscapes, "\n", "0,1"},
      {"\\a\\f\\r\\t", 0, "afrt", "0,4"},
      {"\\a\\f\\r\\t", ControlEscapes, "\a\f\r\t", "0,4"},
      {"\\v", ControlEscapes, "v", "0,1"},
      {"\\\\", 0, "a\\", "1,2"},
      {"\\N\\h\\K\\G\\y", 0, "NhKGy", "0,5"},
      {"\\.", 0, "a.", "1,2"},
  });
}

TEST(Syntax, Quantifiers) {
  check({
      {"a*", 0, "aaab", "0,3"},
      {"a+", 0, "baa", "1,3"},
      {"a?b", 0, "ab", "0,2"},
      {"a{2}", 0, "aaaa", "0,2"},
      {"a{2,}", 0, "aaaa", "0,4"},
      {"a{2,3}", 0, "aaaa", "0,3"},
      {"a*?b", 0, "aab", "0,3"},
      {"a+?", 0, "aaa", "0,1"},
      {"a??", 0, "a", "0,0"},
      {"a{2,}?", 0, "aaaa", "0,2"},
      {"a{2}?", 0, "aaa", "0,2"},
      {"a{,3}", 0, "aaaa", "0,3"},
      {"ba{}", 0, "baa", "0,1"},
      {"ba{,}", 0, "baa", "0,3"},
      {"a{x}", 0, "a{x}", "0,4"},
      {"a{2", 0, "a{2", "0,3"},
      {"a{2,x}", 0, "a{2,x}", "0,6"},
      {"a{2}{3}", 0, "aa{3}", "0,5"},
      {"^{2}", 0, "{2}", "0,3"},
      {"(ab)+", 0, "ababa", "0,4 2,4"},
      {"(ab){2}", 0, "abababab", "0,4 2,4"},
      {"(?:ab)*?c", 0, "ababc", "0,5"},
      {"(a|ab)(c|bcd)(d*)", 0, "abcd", "0,4 0,1 1,4 4,4"},
      {"\\d{2,3}", 0, "1 12345", "2,5"},
      {"[ab]{2}", 0, "cabd", "1,3"},
      {"(a)\\1{2}", 0, "aaaa", "0,3 0,1"},
  });
}

TEST(Syntax, EmptyIterationEndsRepetition) {
  check({
      {"(a?)*b", 0, "b", "0,1 0,0"},
      {"(a|)+b", 0, "aab", "0,3 2,2"},
      {"(?:a?){3}b", 0, "b", "0,1"},
      {"(a*)*", 0, "aab", "0,2 2,2"},
      {"(a*)+?b", 0, "b", "0,1 0,0"},
  });
}

TEST(Syntax, Alternation) {
  check({
      {"a|ab", 0, "ab", "0,1"},
      {"ab|a", 0, "ab", "0,2"},
      {"x|y|z", 0, "aaz", "2,3"},
      {"(a|b|)c", 0, "c", "0,1 0,0"},
      {"|a", 0, "a", "0,0"},
      {"a|", 0, "b", "0,0"},
      {"(?:a|b)+c", 0, "abbac", "0,5"},
  });
}

TEST(Syntax, Groups) {
  check({
      {"(a)(b)?", 0, "a", "0,1 0,1 -"},
      {"(?:a)(b)\\1", 0, "abb", "0,3 1,2"},
      {"(?:a)(?:b)(c)", 0, "abc", "0,3 2,3"},
      {"(?>a)(?:b)(?#x)(c)(?(1)d)(e)", 0, "abcde", "0,5 2,3 4,5"},
      {"((a)(b))", 0, "ab", "0,2 0,2 0,1 1,2"},
      {"(a(?i)b)c", 0, "aBc", "0,3 0,2"},
      {"(a(?i)b)c", 0, "aBC", "none"},
      {"(?i)abc", 0, "ABC", "0,3"},
      {"a(?i)b", 0, "aB", "0,2"},
      {"a(?i)b", 0, "AB", "none"},
      {"(?i:a)b", 0, "Ab", "0,2"},
      {"(?i:a)b", 0, "AB", "none"},
      {"(?i)a(?-i)b", 0, "Ab", "0,2"},
      {"(?i)a(?-i:b)", 0, "AB", "none"},
      {"(?s:.)", 0, "\n", "0,1"},
      {"(?m)^b", 0, "a\nb", "2,3"},
      {"(?x) a b # note\n c", 0, "abc", "0,3"},
      {"(?i)(a|b)|c", 0, "C", "0,1 -"},
      {"a(?#comment)*", 0, "aa", "0,2"},
  });
}

TEST(Syntax, LookAround) {
  check({
      {"a(?=b)", 0, "acab", "2,3"},
      {"a(?!b)", 0, "abac", "2,3"},
      {"(?<=a)b", 0, "cbab", "3,4"},
      {"(?<!a)b", 0, "abcb", "3,4"},
      {"(?<=ab|c)d", 0, "cdabd", "1,2"},
      {"(?<=a\\d*)x", 0, "a12x", "3,4"},
      {"(?=(a))a", 0, "a", "0,1 0,1"},
      {"(?!(a))b", 0, "b", "0,1 -"},
      {"(?<=(a))b", 0, "ab", "1,2 0,1"},
      {"(?<=a(?=b))b", 0, "ab", "1,2"},
      // Negative look-behind where fewer characters lie before the position
      // than it could ever match: nothing to forbid, so it succeeds.
      {"(?<!ab)c", 0, "c", "0,1"},
      {"^(?<!x)a", 0, "a", "0,1"},
      // A variable-width negative look-behind forbids the position when any
      // start matches, not only when all do.
      {"(?<!a|bc)d", 0, "bcd", "none"},
      {"(?<!a|bc)d", 0, "xd", "1,2"},
      {"(?<!a|bc)d", 0, "acd", "2,3"},
      // A positive look-behind backtracks over its start positions.
      {"(?<=(a+))b\\1", 0, "aabaa", "2,5 0,2"},
      {"(?<=(a+))b\\1$", 0, "aaba", "2,4 1,2"},
  });
}

TEST(Syntax, IndependentGroupsAndConditionals) {
  check({
      {"(?>a+)b", 0, "aaab", "0,4"},
      {"(?>a+)a", 0, "aaa", "none"},
      {"(?>a|ab)c", 0, "abc", "none"},
      {"(a)?(?(1)b|c)", 0, "ab", "0,2 0,1"},
      {"(a)?(?(1)b|c)", 0, "c", "0,1 -"},
      {"(a)?(?(1)b)c", 0, "c", "0,1 -"},
      {"(?(2)a|b)", 0, "ab", "1,2"},
      {"(?(0)a|b)", 0, "ab", "1,2"},
      {"(?(?=a)ab|cd)", 0, "xcdab", "1,3"},
      {"(?(?!a)cd|ab)", 0, "xab", "1,3"},
      {"(?(?<=x)a|b)", 0, "bxa", "0,1"},
      {"(?(?<=x)a|b)+", 0, "xab", "1,3"},
      {"(?:(a)|b)(?(1)x|y)", 0, "by", "0,2 -"},
  });
}

TEST(Syntax, Recursion) {
  check({
      {"\\((?:[^()]|(?R))*\\)", 0, "x(a(b)c)", "1,8"},
      {"a(?:(?R))?b", 0, "aaabbb", "0,6"},
      {"a(?:(?R))?b", 0, "aab", "1,3"},
      {"a(?:(?R)|c)", 0, "aac", "0,3"},
      // Captures made inside a recursion are put back when it returns.
      {"(a)(?:(?R)|b)c?", 0, "aabc", "0,4 0,1"},
  });
}

TEST(Syntax, CharacterSets) {
  check({
      {"[abc]+", 0, "xcabx", "1,4"},
      {"[^abc]+", 0, "abxyc", "2,4"},
      {"[]a]+", 0, "x]a]", "1,4"},
      {"[^]a]+", 0, "]axy", "2,4"},
      {"[a-]+", 0, "x-a", "1,3"},
      {"[-a]+", 0, "x-a", "1,3"},
      {"[^^]", 0, "^a", "1,2"},
      {"[a^]+", 0, "^a", "0,2"},
      {"[a-c]+", 0, "dabcd", "1,4"},
      {"[a-\\x63]+", 0, "abcd", "0,3"},
      {"[\\x61-c]+", 0, "abcd", "0,3"},
      {"[\\b]", 0, "a\b", "1,2"},
      {"[!-^]+", 0, "a!^", "1,3"},
      {"[a-\\d]+", 0, "a-5", "0,3"},
      {"[a-[:digit:]]+", 0, "-a5", "0,3"},
      {"[\\d\\s]+", 0, "x1 2x", "1,4"},
      {"[\\D]", 0, "1a", "1,2"},
      {"[\\W\\d]+", 0, "a-1b", "1,3"},
      {"[\\101]", 0, "A", "0,1"},
      {"[\\7]", 0, "\a", "0,1"},
      {"[\\x4142]", 0, "B", "0,1"},
      {"[\\x1ff]", 0, "\xff", "0,1"},
      {"[\\cA\\e]+", 0, "\x01\x1b", "0,2"},
      {"[\\n\\t]+", 0, "nt", "0,2"},
      {"[\\n\\t\\v\\a\\f\\r]+", ControlEscapes, "\n\t\v\a\f\r", "0,6"},
      {"[\\\\\\]]+", 0, "\\]", "0,2"},
      {"[\\q]", 0, "q", "0,1"},
      {"[ a]+", Extended, "a a", "0,3"},
      {"[a-z]+", IgnoreCase, "1AbC", "1,4"},
      {"[^a-z]+", IgnoreCase, "Ab1", "2,3"},
      {"[[:digit:]]+", 0, "a12", "1,3"},
      {"[[:^digit:]]+", 0, "12ab", "2,4"},
      {"[[:alpha:][:digit:]]+", 0, "-a1-", "1,3"},
      {"[[:upper:]]+", 0, "aBC", "1,3"},
      {"[[:upper:]]+", IgnoreCase, "aBC", "0,3"},
      {"[[:lower:]]+", IgnoreCase, "aBC", "0,3"},
      {"[[:space:][:punct:]]+", 0, "a .!b", "1,4"},
      {"[[:xdigit:]]+", 0, "xfF9g", "1,4"},
      {"[[:blank:]]+", 0, "a \t\n", "1,3"},
      {"[[:cntrl:]]", 0, "a\x7f", "1,2"},
      {"[[:print:]]+", 0, "\x01" "ab", "1,3"},
      {"[[:graph:]]+", 0, " ab ", "1,3"},
      {"[[:alnum:]]+", 0, "-a1-", "1,3"},
      {"[[:punct:]]", 0, "a,", "1,2"},
      {"[[:foo:]]", 0, "f]", "0,2"},
      {"[[:digit]+", 0, "[:dig", "0,5"},
  });
}

TEST(Syntax, ExtendedMode) {
  check({
      {"a b c", Extended, "abc", "0,3"},
      {"a # comment\n b", Extended, "ab", "0,2"},
      {"a * ?", Extended, "aa", "0,0"},
      {"a + ?", Extended, "aa", "0,1"},
      {"(? : a )", Extended, "a", "0,1"},
      {"a\\ b", Extended, "a b", "0,3"},
      {"a b", 0, "a b", "0,3"},
  });
}

// Comment groups are skipped like white space is under Extended, in every
// mode and under every flag: a quantifier after one applies to what came
// before, a "?" after one still makes a quantifier lazy; inside a set the
// text is literal. Perl gives the same answers.
TEST(Syntax, CommentGroupsUnderEveryFlag) {
  const std::vector<Row> rows = {
      {"a(?#abc)b", 0, "ab", "0,2"},
      {"x(?#c)y", 0, "xy", "0,2"},
      {"a(?#)b", 0, "ab", "0,2"},
      {"a(?#x # y)b", 0, "ab", "0,2"},
      {"(?#x)a", 0, "ba", "1,2"},
      {"a(?#x)", 0, "a", "0,1"},
      {"a(?#x)*", 0, "aab", "0,2"},
      {"a(?#x){2}", 0, "aaa", "0,2"},
      {"a*(?#x)?", 0, "aa", "0,0"},
      {"a{2}(?#x)?", 0, "aaa", "0,2"},
      {"a(?#x)+?", 0, "aa", "0,1"},
      {"a|(?#x)|b", 0, "c", "0,0"},
      {"(a(?#x))\\1", 0, "aa", "0,2 0,1"},
      {"(?:a(?#x))+", 0, "aa", "0,2"},
      {"(?=a(?#x))a", 0, "a", "0,1"},
      {"[(?#x)]", 0, "#", "0,1"},
      {"[(?#x)]+", 0, "x)", "0,2"},
      {"(?#abc", 0, "", "error: Expecting end of comment"},
      {"a(?#", 0, "", "error: Expecting end of comment"},
      {"x(?#c)y)", 0, "xy", "error: mismatched parenthesis"},
      {"(?#x)*a", 0, "a", "error: quantifier not expected"},
      {"a*(?#x)*", 0, "a", "error: quantifier not expected"},
  };
  for (unsigned flags = 0; flags < 16; ++flags) {
    const unsigned set = (flags & 1 ? unsigned(IgnoreCase) : 0u) |
                         (flags & 2 ? unsigned(MultiLine) : 0u) |
                         (flags & 4 ? unsigned(DotAll) : 0u) | (flags & 8 ? unsigned(Extended) : 0u);
    for (const Row& r : rows)
      EXPECT_EQ(probe::runAll(r.pattern, r.subject, set), r.expected)
          << "pattern /" << r.pattern << "/ flags " << set;
  }
  check({
      {"a # (?#\n b", Extended, "ab", "0,2"},
      {"a (?# x ) b", Extended, "ab", "0,2"},
      {"a(?#x) * ?", Extended, "aa", "0,0"},
      {"a (?#x) # (?#y\n + #z\n ?", Extended, "aa", "0,1"},
      {"a(?#) b", 0, "a b", "0,3"},
  });
}

TEST(Syntax, ErrorMessages) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"(a", "mismatched parenthesis"},
      {"a)", "mismatched parenthesis"},
      {"(?:a", "mismatched parenthesis"},
      {"(?=a", "mismatched parenthesis"},
      {"\\c", "incomplete escape sequence \\c"},
      {"[\\c", "incomplete escape sequence \\c"},
      {"a\\E", "quotemeta turned off, but was never turned on"},
      {"\\Qa\\E\\E", "quotemeta turned off, but was never turned on"},
      {"(?Z)", "bad extension sequence"},
      {"(?<a)", "bad extension sequence"},
      {"(?(a)b)", "bad extension sequence"},
      {"(?Rx)", "bad extension sequence"},
      {"(?i-m-s)", "bad extension sequence"},
      {"(?#note", "Expecting end of comment"},
      {"(?", "ill-formed regular expression"},
      {"(?:", "ill-formed regular expression"},
      {"(?=", "ill-formed regular expression"},
      {"(?<=", "ill-formed regular expression"},
      {"(?i", "ill-formed regular expression"},
      {"(?(1", "ill-formed regular expression"},
      {"(?(1)a|b|c)", "Too many alternates in conditional subexpression"},
      {"[z-a]", "invalid range specified in character set"},
      {"[\\x10-\\x01]", "invalid range specified in character set"},
      {"[abc", "expecting end of character set"},
      {"[", "expecting end of character set"},
      {"[]", "expecting end of character set"},
      {"[a\\", "expecting end of character set"},
      {"a{2,1}", "Can't do {n, m} with n > m"},
      {"(a)\\2", "reference to nonexistent group"},
      {"\\1", "reference to nonexistent group"},
      {"(?:a)\\1", "reference to nonexistent group"},
      {"*a", "quantifier not expected"},
      {"a|+b", "quantifier not expected"},
      {"a**", "quantifier not expected"},
      {"a*+", "quantifier not expected"},
      {"a{2}*", "quantifier not expected"},
      {"^*", "quantifier not expected"},
      {"\\b+", "quantifier not expected"},
      {"(?=a)*", "quantifier not expected"},
      {"(?<!a)?", "quantifier not expected"},
      {"(?R)?", "quantifier not expected"},
      {"(?i)*", "quantifier not expected"},
      {"(*)", "quantifier not expected"},
      {"[a-^]", "invalid range specified in character set"},
  };
  for (const auto& [pattern, message] : rows) {
    EXPECT_EQ(probe::run(pattern, ""), std::string("error: ") + message) << pattern;
  }
}

TEST(Syntax, GroupsNestAtMost250Deep) {
  auto nested = [](int depth) { return std::string(depth, '(') + "a" + std::string(depth, ')'); };
  EXPECT_EQ(probe::run(nested(250), "a"), probe::run("(a)", "a").substr(0, 0) + probe::run(nested(250), "a"));
  EXPECT_NO_THROW(regex::Pattern(nested(250)));
  for (int depth : {251, 20000}) {
    try {
      regex::Pattern p(nested(depth));
      ADD_FAILURE() << depth;
    } catch (const regex::bad_regexpr& e) {
      EXPECT_STREQ(e.what(), "parentheses nested too deeply");
    }
  }
  // Siblings do not add up.
  std::string siblings;
  for (int i = 0; i < 1000; ++i) siblings += "(?:a)";
  EXPECT_NO_THROW(regex::Pattern{siblings});
}

TEST(Syntax, ErrorsAreInvalidArgument) {
  try {
    regex::Pattern p("(");
    FAIL();
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "mismatched parenthesis");
  }
}

TEST(Compilation, WidthsAndStartRules) {
  regex::Pattern p("ab{2,3}c?");
  EXPECT_EQ(p.minWidth(), 3u);
  EXPECT_EQ(p.maxWidth(), 5u);
  regex::Pattern q("(a|bcd)\\1x*");
  EXPECT_EQ(q.minWidth(), 2u);
  EXPECT_EQ(q.maxWidth(), ~0u);
  EXPECT_FALSE(regex::Pattern("^a").mayMoveStart());
  EXPECT_TRUE(regex::Pattern("^a", MultiLine).mayMoveStart());
  EXPECT_TRUE(regex::Pattern("^a|b").mayMoveStart());
  EXPECT_FALSE(regex::Pattern(".*a", DotAll).mayMoveStart());
  EXPECT_TRUE(regex::Pattern(".*a").mayMoveStart());
  EXPECT_EQ(regex::Pattern("^a", regex::FromRight).flags() & regex::FromRight, 0u);
  EXPECT_EQ(regex::Pattern("a", regex::FromRight).flags() & regex::FromRight, unsigned(regex::FromRight));
  EXPECT_TRUE(regex::Pattern("(a){16}b*").recursionSafe());
  EXPECT_FALSE(regex::Pattern("(a){17}").recursionSafe());
  EXPECT_FALSE(regex::Pattern("(?:a)*").recursionSafe());
  EXPECT_FALSE(regex::Pattern("a(?R)").recursionSafe());
  EXPECT_EQ(regex::Pattern("(a)(?:b)(?>c)(?(1)d)(?=e)").groupCount(), 5u);
  EXPECT_EQ(regex::Pattern("(a)(?:b)(?>c)(?(1)d)(?=e)").visibleGroupCount(), 2u);
}

TEST(Compilation, AnnotationPatternsCompile) {
  EXPECT_EQ(regex::Pattern("^G(([0-9]+)(.[0-9]))[\\-=](([0-9]+)(.[0-9]))$").visibleGroupCount(), 7u);
  EXPECT_NO_THROW(regex::Pattern("[/\\+]"));
  EXPECT_NO_THROW(regex::Pattern(
      "(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)[/;,\\+]?)",
      regex::Reserved20));
  regex::Pattern stirrup(
      "((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)(/([1234]?[0-9](\\.[0-9])?))?"
      "[\\@\\-]([0-9]+)(/([0-9]+))?(\\(([0-9]+)\\))?[;,/]?",
      regex::Global | regex::CollectAllGroups);
  EXPECT_EQ(stirrup.visibleGroupCount(), 14u);
}

}  // namespace
