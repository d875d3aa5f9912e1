// Repeated matching: Global collection, count and split.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Probe.h"

namespace {

std::vector<std::string> split(const char* pattern, const std::string& text, int limit,
                               unsigned flags = 0, regex::MatchMode mode = regex::RecursiveMode) {
  std::vector<std::string> out = {"stale"};
  regex::Pattern p(pattern, flags, mode);
  size_t n = p.split(text.data(), text.data() + text.size(), out, limit);
  EXPECT_EQ(n, out.size());
  return out;
}

unsigned count(const char* pattern, const std::string& text, unsigned flags = 0) {
  regex::Pattern p(pattern, flags);
  unsigned n = p.count(text.data(), text.data() + text.size());
  regex::Pattern q(pattern, flags, regex::HeapStackMode);
  EXPECT_EQ(q.count(text.data(), text.data() + text.size()), n) << pattern;
  return n;
}

using V = std::vector<std::string>;

TEST(Global, CollectAllGroupsLaysMatchesEndToEnd) {
  EXPECT_EQ(probe::runAll("(\\d)(x)?", "1a2x3", regex::Global | regex::CollectAllGroups),
            "0,1 0,1 - 2,4 2,3 3,4 4,5 4,5 -");
  EXPECT_EQ(probe::runAll("(\\d)(x)?", "1a2x3", regex::Global | regex::CollectWholeMatches),
            "0,1 2,4 4,5");
  EXPECT_EQ(probe::runAll("(\\d)(x)?", "1a2x3", regex::Global), "4,5 4,5 -");
  EXPECT_EQ(probe::runAll("(\\d)", "1a2x3", regex::Global | regex::CollectWholeMatches |
                                                regex::CollectAllGroups),
            "0,1 2,3 4,5");
}

TEST(Global, FailureLeavesNoEntries) {
  regex::Pattern p("\\d", regex::Global);
  regex::MatchResults r;
  std::string text = "abc";
  const regex::backref_tag& m = p.match(text, r);
  EXPECT_FALSE(m.matched);
  EXPECT_EQ(r.size(), 0u);
  EXPECT_THROW(r.at(0), std::out_of_range);
}

TEST(Global, EmptyMatchesAdvanceAndAnchorsKeepTheirStart) {
  EXPECT_EQ(probe::runAll("x*", "ab", regex::Global | regex::CollectWholeMatches), "0,0 1,1 2,2");
  EXPECT_EQ(probe::runAll("a|", "ab", regex::Global | regex::CollectWholeMatches), "0,1 1,1 2,2");
  EXPECT_EQ(probe::runAll("^a", "aa", regex::Global | regex::CollectWholeMatches), "0,1");
  EXPECT_EQ(probe::runAll("\\ba", "a aa", regex::Global | regex::CollectWholeMatches), "0,1 2,3");
}

TEST(Global, StirrupStrideOfFourteen) {
  regex::Pattern stirrup(
      "((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)(/([1234]?[0-9](\\.[0-9])?))?"
      "[\\@\\-]([0-9]+)(/([0-9]+))?(\\(([0-9]+)\\))?[;,/]?",
      regex::Global | regex::CollectAllGroups);
  std::string text = "%%13010@100/200(4);%%1328/6-150";
  regex::MatchResults r;
  ASSERT_TRUE(stirrup.match(text, r).matched);
  ASSERT_EQ(r.size(), 28u);
  EXPECT_EQ(r.at(1).str(), "%%130");
  EXPECT_EQ(r.at(4).str(), "10");
  EXPECT_EQ(r.at(9).str(), "100");
  EXPECT_EQ(r.at(11).str(), "200");
  EXPECT_EQ(r.at(13).str(), "4");
  EXPECT_EQ(r.at(14 + 1).str(), "%%132");
  EXPECT_EQ(r.at(14 + 4).str(), "8");
  EXPECT_EQ(r.at(14 + 7).str(), "6");
  EXPECT_EQ(r.at(14 + 9).str(), "150");
  EXPECT_FALSE(r.at(14 + 11).matched);
  EXPECT_EQ(stirrup.count(text.data(), text.data() + text.size()), 2u);
}

TEST(Count, SuccessiveMatches) {
  EXPECT_EQ(count("x*", "ab"), 3u);
  EXPECT_EQ(count("a*", "baaa"), 3u);
  EXPECT_EQ(count("a|", "ab"), 3u);   // "a", then empty at 1 right after it, then at 2
  EXPECT_EQ(count("\\d+", "1 22 333"), 3u);
  EXPECT_EQ(count("aa", "aaaaa"), 2u);
  EXPECT_EQ(count("z", ""), 0u);
  EXPECT_EQ(count("", ""), 1u);
  EXPECT_EQ(count("\\d", "1a2", regex::Global | regex::CollectAllGroups), 2u);
  EXPECT_EQ(count("a", "aaa", regex::FromRight), 1u);
  // Right to left, an empty match may not recur where the last one was.
  EXPECT_EQ(count("(?=y)", "|y)", regex::FromRight), 1u);
  EXPECT_EQ(count("x*", "ab", regex::FromRight), 1u);
  EXPECT_EQ(probe::runAll("(?=y)", "|y)", regex::FromRight | regex::Global | regex::CollectWholeMatches),
            "1,1");
}

TEST(Split, Limits) {
  EXPECT_EQ(split("[;,]", "a;b,,c;;", 0), (V{"a", "b", "", "c"}));
  EXPECT_EQ(split("[;,]", "a;b,,c;;", -1), (V{"a", "b", "", "c", "", ""}));
  EXPECT_EQ(split("[;,]", "a;b,,c;;", 2), (V{"a", "b,,c;;"}));
  EXPECT_EQ(split("[;,]", "a;b,,c;;", 1), (V{"a;b,,c;;"}));
  EXPECT_EQ(split("[;,]", "a;b,,c;;", 3), (V{"a", "b", ",c;;"}));
  EXPECT_EQ(split("[;,]", "a;b,,c;;", 10), (V{"a", "b", "", "c", "", ""}));
  EXPECT_EQ(split("[;,]", ";a", 0), (V{"", "a"}));
}

TEST(Split, GroupsAndEmptyMatches) {
  EXPECT_EQ(split("(;)", "a;b", 0), (V{"a", ";", "b"}));
  EXPECT_EQ(split("(;)|(,)", "a;b,c", 0), (V{"a", ";", "", "b", "", ",", "c"}));
  EXPECT_EQ(split("", "abc", 0), (V{"a", "b", "c"}));
  EXPECT_EQ(split("x*", "ab", 0), (V{"a", "b"}));
  // An empty match may follow a non-empty one where it ended.
  EXPECT_EQ(split(",?", "a,b", 0), (V{"a", "", "b"}));
  EXPECT_EQ(split("", "abc", 2), (V{"a", "bc"}));
  EXPECT_EQ(split("[/\\+]", "2%%13225+2%%13222", 0), (V{"2%%13225", "2%%13222"}));
}

TEST(Split, NoMatchAndEmptyRange) {
  EXPECT_EQ(split("[;,]", "abc", 0), (V{"abc"}));
  EXPECT_EQ(split("[;,]", "", 0), (V{}));
  EXPECT_EQ(split("[;,]", "", -1), (V{""}));
  EXPECT_EQ(split("[;,]", ";;", 0), (V{}));
  EXPECT_EQ(split("[;,]", "a;b", 0, 0, regex::HeapStackMode), (V{"a", "b"}));
}

}  // namespace
