// Wildcard matching and selection filters.
//
// The wildcard cases are checked against a plain recursive reference
// matcher for ASCII patterns, and against a table for the rest.
#include <random>

#include "fixture.h"
#include "editor/editor.h"

namespace hosttest {
namespace {

using hostimpl::wildcardMatch;

struct WildCase {
  const char* text;
  const char* pattern;
  bool match;
};

const WildCase kWildCases[] = {
    {"BEAM1", "BEAM*", true},     {"beam1", "BEAM*", true},   {"BEA", "BEAM*", false},
    {"WALL", "*", true},          {"", "*", true},            {"", "", true},
    {"A", "", false},             {"A1", "@#", true},         {"11", "@#", false},
    {"A-B", "A.B", true},         {"AXB", "A.B", false},      {"ABC", "A?C", true},
    {"AC", "A?C", false},         {"B", "[ABC]", true},       {"D", "[ABC]", false},
    {"D", "[~ABC]", true},        {"M", "[A-Z]", true},       {"5", "[A-Z]", false},
    {"WALL", "~WALL", false},     {"BEAM", "~WALL", true},    {"WALL", "BEAM*,WALL", true},
    {"COL", "BEAM*,WALL", false}, {"A*B", "A`*B", true},      {"AXB", "A`*B", false},
    {"A,B", "A`,B", true},        {"LINE", "*INE", true},     {"INE", "*INE", true},
    {"ABAB", "*AB", true},        {"ABA", "*AB", false},      {"\xC7\xBD", "?", true},
    {"\xC7\xBD\xB0\xE5", "\xC7\xBD*", true},  // 墙板 against 墙*
    {"\xC7\xBD", "??", false},
};

TEST(Wildcard, Table) {
  for (const WildCase& c : kWildCases)
    EXPECT_EQ(wildcardMatch(c.text, c.pattern), c.match) << c.text << " ~ " << c.pattern;
}

// Reference: * ? # @ and literals only, by plain recursion.
bool reference(const char* t, const char* p) {
  if (!*p) return !*t;
  if (*p == '*') return reference(t, p + 1) || (*t && reference(t + 1, p));
  if (!*t) return false;
  bool one = *p == '?' || (*p == '#' && std::isdigit(static_cast<unsigned char>(*t))) ||
             (*p == '@' && std::isalpha(static_cast<unsigned char>(*t))) ||
             std::toupper(static_cast<unsigned char>(*p)) == std::toupper(static_cast<unsigned char>(*t));
  return one && reference(t + 1, p + 1);
}

TEST(Wildcard, AgreesWithReferenceOnRandomAsciiCases) {
  std::mt19937 rng(7);
  const char textChars[] = "ab1B";
  const char patChars[] = "ab1*?#@A";
  for (int i = 0; i < 20000; ++i) {
    std::string t, p;
    for (int n = rng() % 6; n > 0; --n) t += textChars[rng() % 4];
    for (int n = rng() % 6; n > 0; --n) p += patChars[rng() % 8];
    ASSERT_EQ(wildcardMatch(t, p), reference(t.c_str(), p.c_str())) << t << " ~ " << p;
  }
}

class FilterTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    addLayer("BEAM1");
    addLayer("WALL");
    line_ = addLine(0, 0, 10, 0, "BEAM1");
    red_ = addLine(0, 5, 10, 5, "WALL");
    {
      Opened<AcDbEntity> e(red_, AcDb::kForWrite);
      e->setColorIndex(1);
    }
    text_ = addText(0, 10, "4%%13225", "WALL");
  }
  // Names selected by "A" with the filter, as a string of ids in order.
  int count(AcEdResBuf* filter) {
    AcEdName ss;
    int rc = acedSSGet("A", nullptr, nullptr, filter, ss);
    acutRelRb(filter);
    if (rc != AcEd::kNormal) return 0;
    std::int32_t n = 0;
    acedSSLength(ss, &n);
    acedSSFree(ss);
    return n;
  }
  AcDbObjectId line_, red_, text_;
};

TEST_F(FilterTest, GroupTests) {
  EXPECT_EQ(count(acutBuildList(8, "BEAM*", 0)), 1);
  EXPECT_EQ(count(acutBuildList(8, "wall", 0)), 2);
  EXPECT_EQ(count(acutBuildList(AcEd::kRtDxf0, "LINE", 0)), 2);
  EXPECT_EQ(count(acutBuildList(AcEd::kRtDxf0, "TEXT", 8, "WALL", 0)), 1);
  // Colour by layer filters as 256, linetype by layer as "BYLAYER".
  EXPECT_EQ(count(acutBuildList(62, 256, 0)), 2);
  EXPECT_EQ(count(acutBuildList(62, 1, 0)), 1);
  EXPECT_EQ(count(acutBuildList(6, "BYLAYER", 0)), 3);
  EXPECT_EQ(count(acutBuildList(1, "4%%132*", 0)), 1);
  EXPECT_EQ(count(acutBuildList(8, "NONE", 0)), 0);
}

TEST_F(FilterTest, EmptyFirstElementIsNoTest) {
  AcEdResBuf* filter = acutNewRb(-10000);
  EXPECT_EQ(count(filter), 3);
  filter = acutNewRb(-10000);
  filter->next = acutBuildList(8, "BEAM1", 0);
  EXPECT_EQ(count(filter), 1);
}

TEST_F(FilterTest, LogicalAndRelationalOperators) {
  EXPECT_EQ(count(acutBuildList(-4, "<OR", 8, "BEAM1", 62, 1, -4, "OR>", 0)), 2);
  EXPECT_EQ(count(acutBuildList(-4, "<NOT", 8, "BEAM1", -4, "NOT>", 0)), 2);
  EXPECT_EQ(count(acutBuildList(-4, "<", 62, 256, 0)), 1);
  EXPECT_EQ(count(acutBuildList(-4, "!=", 8, "WALL", 0)), 1);
  // Unbalanced groups are a malformed filter: nothing is selected.
  EXPECT_EQ(count(acutBuildList(-4, "<OR", 8, "BEAM1", 0)), 0);
  EXPECT_EQ(count(acutBuildList(-4, "AND>", 0)), 0);
}

TEST_F(FilterTest, VisibilityFilterFindsHiddenEntities) {
  {
    Opened<AcDbEntity> e(line_, AcDb::kForWrite);
    e->setVisibility(AcDb::kInvisible);
  }
  EXPECT_EQ(count(acutBuildList(60, 1, 0)), 1);
}

}  // namespace
}  // namespace hosttest
