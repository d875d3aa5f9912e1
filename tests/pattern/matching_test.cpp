// The search: start positions, strategies, results, and the Pattern object.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "Probe.h"

namespace {

using probe::runAll;

TEST(Results, UnmatchedAndOutOfRange) {
  regex::Pattern p("[;,]");
  regex::MatchResults r;
  std::string text = "abc";
  const regex::backref_tag& whole = p.match(text, r);
  EXPECT_FALSE(whole.matched);
  EXPECT_EQ(whole.first, nullptr);
  EXPECT_EQ(whole.str(), "");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_FALSE(r.at(0).matched);
  try {
    r.at(1);
    FAIL();
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
  }
}

TEST(Results, VisibleGroupsOnlyAfterInternalOnes) {
  std::string text = "xabcdy";
  regex::Pattern p("(?:a)(?>b)(c)(?(1)d)");
  regex::MatchResults r;
  ASSERT_TRUE(p.match(text, r).matched);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r.at(0).str(), "abcd");
  EXPECT_EQ(r.at(1).str(), "c");
  EXPECT_EQ(r.at(1).first, text.data() + 3);
  // Two internal groups in a row, then two visible ones.
  EXPECT_EQ(runAll("(?:a)(?:b)(c)(d)", "abcd"), "0,4 2,3 3,4");
  EXPECT_EQ(runAll("(a)(?:b)(?:(c)(?:d))", "abcd"), "0,4 0,1 2,3");
  // A failed match leaves one unmatched entry per visible group.
  regex::Pattern q("(?:a)(b)(?:c)(d)");
  EXPECT_FALSE(q.match(std::string("zz"), r).matched);
  EXPECT_EQ(r.size(), 3u);
}

TEST(Results, CapturesAreRestoredOnBacktracking) {
  EXPECT_EQ(runAll("(a)?ab|x", "ab"), "0,2 -");
  EXPECT_EQ(runAll("(?:(a)|b)*c", "abc"), "0,3 0,1");
  EXPECT_EQ(runAll("(a(b)?)+c", "aabc"), "0,4 1,3 2,3");
  EXPECT_EQ(runAll("(?:(b)|a)*?ac", "bac"), "0,3 0,1");
  EXPECT_EQ(runAll("(a)|(b)", "b"), "0,1 - 0,1");
  EXPECT_EQ(runAll("(?=(a))ab|(a)c", "ac"), "0,2 - 0,1");
  EXPECT_EQ(runAll("(?>(a))b|(a)c", "ac"), "0,2 - 0,1");
}

TEST(Results, BackreferencesSeeWholeCapturesOnly) {
  EXPECT_EQ(runAll("(a|b\\1)+", "aba"), "0,3 1,3");
  EXPECT_EQ(runAll("(a)\\1", "aA"), "none");
  EXPECT_EQ(runAll("(a)\\1", "aA", regex::IgnoreCase), "0,2 0,1");
  EXPECT_EQ(runAll("(a)?\\1", "b"), "none");
  EXPECT_EQ(runAll("(a*)b\\1", "aabaa"), "0,5 0,2");
}

TEST(Results, ManyGroupsAndRepetitions) {
  // More groups and repetitions than a search keeps in its own frame.
  std::string pattern, subject, expected = "0,20";
  for (int i = 0; i < 20; ++i) {
    pattern += "(?:(" + std::string(1, char('a' + i)) + ")x?)+";
    subject += char('a' + i);
    expected += " " + std::to_string(i) + "," + std::to_string(i + 1);
  }
  EXPECT_EQ(runAll(pattern, subject), expected);
}

TEST(Search, StartPositions) {
  EXPECT_EQ(runAll("^a", "xaby"), "none");
  EXPECT_EQ(runAll("a+", "aaa", regex::FromRight), "2,3");
  EXPECT_EQ(runAll("ab", "abab", regex::FromRight), "2,4");
  EXPECT_EQ(runAll("^a", "aa", regex::FromRight), "0,1");
  EXPECT_EQ(runAll("a*", "baa", regex::FromRight), "3,3");
  EXPECT_EQ(runAll(".*b", "a\nab", regex::DotAll), "0,4");
  EXPECT_EQ(runAll(".+", "", regex::DotAll), "none");
  EXPECT_EQ(runAll("abc", "ab"), "none");
  EXPECT_EQ(runAll("x*", ""), "0,0");
  EXPECT_EQ(runAll("b", "abc", regex::Reserved20), "1,2");
}

TEST(Search, RequiredByteRejectsWithoutBacktracking) {
  // Exponential for a backtracking search; rejected at once because no
  // match can lack its mandatory "b".
  std::string text(60, 'a');
  EXPECT_EQ(runAll("(a|aa)*b", text), "none");
  EXPECT_EQ(runAll("(a|aa)*b", text + "b"), "0,61 59,60");
  EXPECT_EQ(runAll("(?i)(a|aa)*B", text + "b"), "0,61 59,60");
  EXPECT_EQ(runAll("(a)(?:x|y)+-\\d", "ax-1"), "0,4 0,1");
}

TEST(Search, SubjectRangeAndPosition) {
  regex::Pattern p("^b");
  regex::MatchResults r;
  std::string text = "abc";
  EXPECT_TRUE(p.match(text, r, 1).matched);
  EXPECT_EQ(r.at(0).first, text.data() + 1);
  EXPECT_FALSE(p.match(text, r, 0).matched);
  regex::Pattern q("c");
  EXPECT_FALSE(q.match(text, r, 0, 2).matched);
  EXPECT_TRUE(q.match(text, r, 1, 5).matched);
  EXPECT_FALSE(q.match(text, r, 9).matched);
  EXPECT_TRUE(regex::Pattern("b$").match(text, r, 0, 2).matched);
}

// Every match of a literal found with the skip table must be the first
// occurrence a plain scan finds.
TEST(Search, LiteralSearcherAgreesWithPlainScan) {
  std::mt19937 rng(7);
  auto text = [&](size_t n, const char* alphabet, size_t k) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += alphabet[rng() % k];
    return s;
  };
  for (int round = 0; round < 400; ++round) {
    std::string needle = text(1 + rng() % 6, "abAB", 4);
    std::string hay = text(rng() % 60, "abAB", 4);
    bool icase = round % 2;
    regex::Pattern p(needle + "x?", icase ? unsigned(regex::IgnoreCase) : 0u);
    regex::MatchResults r;
    const regex::backref_tag& m = p.match(hay, r);
    std::string foldedHay = hay, foldedNeedle = needle;
    if (icase) {
      for (auto& c : foldedHay) c = char(std::tolower(c));
      for (auto& c : foldedNeedle) c = char(std::tolower(c));
    }
    size_t at = foldedHay.find(foldedNeedle);
    if (at == std::string::npos) {
      EXPECT_FALSE(m.matched) << needle << " in " << hay;
    } else {
      ASSERT_TRUE(m.matched) << needle << " in " << hay;
      EXPECT_EQ(size_t(m.first - hay.data()), at) << needle << " in " << hay;
    }
  }
  // Literals longer than the skip table's reach.
  std::string longNeedle(300, 'a');
  longNeedle += "b";
  std::string hay = std::string(1000, 'a') + "b";
  regex::MatchResults r;
  EXPECT_EQ(regex::Pattern(longNeedle).match(hay, r).first - hay.data(), 700);
}

TEST(Strategies, AgreeOnBacktrackingHeavyPatterns) {
  const char* patterns[] = {"(a|ab)(c|bcd)(d*)", "(a+)+b", "((a)|b)*?c", "(?:a(?=b)|b)+",
                            "(a){2,3}?a", "(.)(.)(.)\\3\\2\\1", "(?<=a)b+|c", "(?>a*)b|a"};
  const char* subjects[] = {"abcd", "aaaab", "abbac", "ababx", "aaaaa", "abccba", "cabb", "aaab"};
  for (const char* p : patterns)
    for (const char* s : subjects) EXPECT_EQ(runAll(p, s).find("modes differ"), std::string::npos) << p << " " << s;
}

TEST(Strategies, DeepBacktrackingSpillsToHeapBlocks) {
  // Thousands of pending choices: the stack-based strategy must chain blocks.
  std::string text(20000, 'a');
  text += "b";
  EXPECT_EQ(probe::run("(?:a|b)*c|(?:a|b)*", text, 0, regex::HeapStackMode), "0,20001");
  EXPECT_EQ(probe::run("(a|b)*b", text, 0, regex::HeapStackMode), "0,20001 19999,20000");
}

TEST(Strategies, DeepRecursionReportsNoMatchInsteadOfOverflowing) {
  std::string text(1000000, 'a');
  text += "c";
  regex::MatchResults r;
  regex::Pattern recursive("(a|b)*c");
  const regex::backref_tag& m = recursive.match(text, r);
  if (!m.matched) {
    EXPECT_EQ(r.size(), 2u);
    EXPECT_FALSE(r.at(1).matched);
  }
  // The stack-based strategy has no such bound.
  std::string shorter = text.substr(800000);
  regex::Pattern stacked("(a|b)*c", 0, regex::HeapStackMode);
  EXPECT_TRUE(stacked.match(shorter, r).matched);
  EXPECT_EQ(r.at(1).first, shorter.data() + 199999);
  regex::Pattern mixed("(a|b)*c", 0, regex::MixedMode);   // not recursion-safe: stack-based
  EXPECT_TRUE(mixed.match(shorter, r).matched);
  // Single-character repetition needs no depth at all.
  EXPECT_TRUE(regex::Pattern("a*c").match(text, r).matched);
  EXPECT_EQ(regex::Pattern("[ab]").count(text.data(), text.data() + text.size()), 1000000u);
  // Look-arounds nest calls in every strategy; recursing through one a
  // million levels deep is abandoned too.
  std::string as(1000000, 'a');
  EXPECT_FALSE(regex::Pattern("(?=a(?R))", 0, regex::HeapStackMode).match(as, r).matched);
  // Left recursion never ends by itself: reported as no match in every mode.
  EXPECT_EQ(runAll("(?:(?R)|a)b", "ab"), "none");
}

// Runaway backtracking is cut off by the match limit and reported as no match.
TEST(MatchLimit, RunawayCallsAreAbandonedQuicklyAndCounted) {
  ASSERT_EQ(regex::matchLimit(), regex::kDefaultMatchLimit);
  const std::string subject = std::string(29, 'a') + "!";
  std::string as(2000, 'a');
  for (regex::MatchMode mode : {regex::RecursiveMode, regex::HeapStackMode}) {
    SCOPED_TRACE(mode);
    const unsigned long long before = regex::abandonedCalls();
    const auto start = std::chrono::steady_clock::now();
    regex::MatchResults r;
    EXPECT_FALSE(regex::Pattern("^(a+)+$", 0, mode).match(subject, r).matched);
    EXPECT_EQ(regex::Pattern("(?<=a*)", 0, mode).count(as.data(), as.data() + as.size()), 0u);
    std::vector<std::string> pieces;
    EXPECT_EQ(regex::Pattern("(?<=a*)", 0, mode).split(as.data(), as.data() + as.size(), pieces, 0), 1u);
    EXPECT_EQ(pieces, std::vector<std::string>{as});
    EXPECT_FALSE(
        regex::Pattern("(a+)+$", regex::Global | regex::CollectWholeMatches, mode).match(subject, r).matched);
    EXPECT_EQ(r.size(), 0u);
    EXPECT_EQ(regex::abandonedCalls(), before + 4);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
  // A lower limit cuts sooner; a higher one lets a hard but finite call finish.
  regex::MatchResults r;
  unsigned long long before = regex::abandonedCalls();
  regex::setMatchLimit(1000);
  EXPECT_FALSE(regex::Pattern("^(a+)+$").match(std::string(12, 'a') + "!", r).matched);
  EXPECT_EQ(regex::abandonedCalls(), before + 1);
  regex::setMatchLimit(~0ull);
  EXPECT_FALSE(regex::Pattern("^(a+)+$").match(std::string(12, 'a') + "!", r).matched);
  EXPECT_EQ(regex::Pattern("(?<=a*)").count(as.data(), as.data() + 200), 201u);
  EXPECT_EQ(regex::abandonedCalls(), before + 1);
  regex::setMatchLimit(regex::kDefaultMatchLimit);
}

TEST(MatchLimit, WorkInProportionToTheSubjectIsNeverCut) {
  const unsigned long long before = regex::abandonedCalls();
  std::string text(3000000, 'a');
  EXPECT_EQ(regex::Pattern("a").count(text.data(), text.data() + text.size()), 3000000u);
  EXPECT_EQ(regex::Pattern("(?:a|b)(?=a|$)", 0, regex::HeapStackMode).count(text.data(), text.data() + text.size()),
            3000000u);
  EXPECT_EQ(regex::abandonedCalls(), before);
}

TEST(PatternObject, EmptyHolderAndCopies) {
  regex::Pattern empty;
  regex::MatchResults r;
  EXPECT_FALSE(empty.match(std::string("a"), r).matched);
  const char* one = "a";
  EXPECT_EQ(empty.count(one, one + 1), 0u);

  regex::Pattern a("(b+)", regex::IgnoreCase);
  regex::Pattern copy(a);
  std::string text = "aBBc";
  EXPECT_EQ(copy.match(text, r).str(), "BB");
  empty = a;
  EXPECT_EQ(empty.match(text, r).str(), "BB");
  EXPECT_EQ(empty.flags(), unsigned(regex::IgnoreCase));
  regex::Pattern blank;
  empty = blank;
  EXPECT_FALSE(empty.match(text, r).matched);
  regex::Pattern self("x");
  self = *&self;
  EXPECT_TRUE(self.match(std::string("x"), r).matched);
}

}  // namespace
