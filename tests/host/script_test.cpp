// The script reader: how lines become actions, and how the top level treats
// lines no prompt is waiting for.
#include "fixture.h"
#include "editor/editor.h"

namespace hosttest {
namespace {

using hostimpl::Action;
using hostimpl::parseAction;

struct ParseCase {
  const char* line;
  Action::Kind kind;
  int points;
};

const ParseCase kParseCases[] = {
    {"", Action::kNone, 0},
    {"   # only a comment", Action::kNone, 0},
    {"OFF_LAYER", Action::kWord, 0},
    {"OFF_LAYER  # with a comment", Action::kWord, 0},
    {"10,20", Action::kPoint, 1},
    {"10, 20, 3", Action::kPoint, 1},
    {"-1.5e2,0", Action::kPoint, 1},
    {"pick 1,2", Action::kPick, 1},
    {"PICK 1, 2", Action::kPick, 1},
    {"box 0,0 10,10", Action::kBox, 2},
    {"window 0,0 10,10", Action::kWindow, 2},
    {"crossing 10,10 0,0", Action::kCrossing, 2},
    {"fence 0,0 1,1 2,0", Action::kFence, 3},
    {"all", Action::kAll, 0},
    {"previous", Action::kPrevious, 0},
    {"enter", Action::kEnter, 0},
    {"Esc", Action::kEsc, 0},
    {"hover 3,4", Action::kHover, 1},
    {"select window 0,0 1,1", Action::kSelect, 0},
    {"select 1,1", Action::kSelect, 0},
    {"'HT_HELLO", Action::kTransparent, 0},
    {"\"all\"", Action::kText, 0},
    {"click 207", Action::kDialog, 0},
    {"type 204 some text", Action::kDialog, 0},
    {"ok", Action::kDialog, 0},
    // Malformed lines never pass for something else.
    {"pick", Action::kInvalid, 0},
    {"pick 1", Action::kInvalid, 0},
    {"pick 1,2 3,4", Action::kInvalid, 0},
    {"box 0,0", Action::kInvalid, 0},
    {"fence 0,0", Action::kInvalid, 0},
    {"all of it", Action::kInvalid, 0},
    {"hover nan,1", Action::kInvalid, 0},
    {"pick 1e999,1", Action::kInvalid, 0},
    {"select enter", Action::kInvalid, 0},
    {"\"unterminated", Action::kInvalid, 0},
    {"'", Action::kInvalid, 0},
    {"click", Action::kInvalid, 0},
    // What a Chinese input method types: full-width digits, comma, point and minus.
    {"pick 3000\xEF\xBC\x8C-125", Action::kPick, 1},
    {"\xEF\xBC\x93\xEF\xBC\x8E\xEF\xBC\x95\xEF\xBC\x8C\xEF\xBC\x8D\xEF\xBC\x92", Action::kPoint, 1},
    {"box 0,0\xE3\x80\x80" "10,10", Action::kBox, 2},
    {"pick 3000\xE3\x80\x81-125", Action::kInvalid, 0},
};

TEST(ScriptParse, Table) {
  for (const ParseCase& c : kParseCases) {
    Action a = parseAction(c.line);
    EXPECT_EQ(a.kind, c.kind) << c.line;
    EXPECT_EQ(static_cast<int>(a.points.size()), c.points) << c.line;
  }
}

TEST(ScriptParse, Values) {
  Action a = parseAction("box 1,2 -3,4.5");
  ASSERT_EQ(a.kind, Action::kBox);
  EXPECT_EQ(a.points[1].x, -3);
  EXPECT_EQ(a.points[1].y, 4.5);
  EXPECT_EQ(parseAction("\"say \"\"hi\"\" # not a comment\"").text, "say \"hi\" # not a comment");
  Action t = parseAction("type 204 A B");
  ASSERT_EQ(t.args.size(), 2u);
  EXPECT_EQ(t.args[1], "A B");
  Action wide = parseAction("\xEF\xBC\x93\xEF\xBC\x8E\xEF\xBC\x95\xEF\xBC\x8C\xEF\xBC\x8D\xEF\xBC\x92");
  EXPECT_EQ(wide.points[0].x, 3.5);
  EXPECT_EQ(wide.points[0].y, -2);
  // A character that cannot be part of a point is named.
  EXPECT_EQ(parseAction("pick 3000\xE3\x80\x81-125").error,
            "expected \"pick x,y\" (\"\xE3\x80\x81\" cannot be part of a point: use , between x and y)");
  // Texts keep their full-width characters.
  EXPECT_EQ(parseAction("\xE5\x90\x8D\xEF\xBC\x8C\xEF\xBC\x91").text, "\xE5\x90\x8D\xEF\xBC\x8C\xEF\xBC\x91");
  Action s = parseAction("select crossing 5,5 0,0");
  ASSERT_TRUE(s.sub);
  EXPECT_EQ(s.sub->kind, Action::kCrossing);
}

class ScriptRunTest : public HostTest {};

TEST_F(ScriptRunTest, UnknownCommandIsAnErrorWithFileAndLine) {
  auto r = drawhost::runScriptText("# start\n\nNOSUCH\n", "plan.scr");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "plan.scr:3: unknown command \"NOSUCH\"");
}

TEST_F(ScriptRunTest, InputWithoutAPromptIsAnError) {
  auto r = drawhost::runScriptText("10,10\n", "a.scr");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "a.scr:1: no prompt is waiting for a point: \"10,10\"");
  r = drawhost::runScriptText("pick 1\n", "b.scr");
  EXPECT_EQ(r.error, "b.scr:1: expected \"pick x,y\": \"pick 1\"");
}

TEST_F(ScriptRunTest, EmptyScriptsAndCommentsAreFine) {
  EXPECT_TRUE(drawhost::runScriptText("", "e.scr").ok);
  EXPECT_TRUE(drawhost::runScriptText("# nothing\n\n  \n", "e.scr").ok);
  EXPECT_TRUE(drawhost::runScriptText("hover 1,1\nesc\n", "e.scr").ok);
}

TEST_F(ScriptRunTest, MissingScriptFile) {
  auto r = drawhost::runScriptFile("/nonexistent/x.scr");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "cannot open script /nonexistent/x.scr: No such file or directory");
  r = drawhost::runScriptFile("/tmp");
  EXPECT_EQ(r.error, "cannot read script /tmp: it is a folder");
}

TEST_F(ScriptRunTest, SelectMakesThePickfirstSetAndEscClearsIt) {
  addLine(0, 0, 10, 0);
  ASSERT_TRUE(drawhost::runScriptText("select window -1,-1 11,1\n", "s.scr").ok);
  EXPECT_NE(drawhost::transcript().find("1 found"), std::string::npos);
}

// A line that is not text the drawing can hold stops the script there, naming
// the line; nothing is guessed (no "?" in place of a character).
TEST_F(ScriptRunTest, LinesMustBeTextTheDrawingCanHold) {
  auto r = drawhost::runScriptText("# fine\n\"\xFF\"\nNOSUCH\n", "bad.scr");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "bad.scr:2: byte 0xFF is not UTF-8 (byte 2 of the line)");
  r = drawhost::runScriptText("hover 1,1\n\"\xF0\x9F\x98\x80\"\n", "emoji.scr");
  EXPECT_EQ(r.error, "emoji.scr:2: U+1F600 has no GBK form (byte 2 of the line)");
  // Chinese is what scripts are for.
  r = drawhost::runScriptText("\xE8\xBF\x87\xE6\xBB\xA4\n", "zh.scr");
  EXPECT_EQ(r.error, "zh.scr:1: unknown command \"\xE8\xBF\x87\xE6\xBB\xA4\"");
  // A script saved in GBK is said to be one.
  r = drawhost::runScriptText("\"\xD6\xD0\xCE\xC4\"\n", "gbk.scr");
  EXPECT_EQ(r.error,
            "gbk.scr:1: byte 0xD6 is not UTF-8 (byte 2 of the line); read as GBK the line says "
            "\"\xE4\xB8\xAD\xE6\x96\x87\": scripts are UTF-8, save it as UTF-8");
}

TEST_F(ScriptRunTest, AByteOrderMarkIsSkipped) {
  auto r = drawhost::runScriptText("\xEF\xBB\xBFNOSUCH\n", "bom.scr");
  EXPECT_EQ(r.error, "bom.scr:1: unknown command \"NOSUCH\"");
  // Only at the start of the script.
  r = drawhost::runScriptText("\n\xEF\xBB\xBFNOSUCH\n", "bom2.scr");
  EXPECT_EQ(r.error, "bom2.scr:2: U+FEFF has no GBK form (byte 1 of the line)");
}

}  // namespace
}  // namespace hosttest
