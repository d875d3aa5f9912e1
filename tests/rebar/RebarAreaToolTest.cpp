// The rebar-area tool as other programs use it: batch mode, one line out per
// line in, whatever the input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
};

std::string tempPath(const std::string& name) {
  return ::testing::TempDir() + "rebar-area-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + name;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Runs the tool with `arguments` (already quoted for the shell) and `input`
// on standard input.
ToolRun runTool(const std::string& arguments, const std::string& input = "") {
  std::string inPath = tempPath("in");
  std::string outPath = tempPath("out");
  std::ofstream(inPath, std::ios::binary) << input;
  std::string command = std::string("'") + REBAR_AREA_TOOL + "' " + arguments + " <'" + inPath +
                        "' >'" + outPath + "' 2>/dev/null";
  ToolRun run;
  int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = readFile(outPath);
  std::remove(inPath.c_str());
  std::remove(outPath.c_str());
  return run;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) result.push_back(line);
  return result;
}

TEST(RebarAreaBatch, OneLineOutPerLineIn) {
  ToolRun run = runTool("--batch",
                    "4%%13225\n"
                    "\n"
                    "room\n"
                    "%%13010@100/200(4)\n"
                    "\xff\xfe 4%%13225\n"          // not UTF-8
                    "a\\b 2%%13225\r\n"            // backslash and carriage return
                    "G1.5-1.0");                   // no final line feed
  ASSERT_EQ(run.status, 0);
  std::vector<std::string> out = lines(run.out);
  ASSERT_EQ(out.size(), 7u) << run.out;
  EXPECT_EQ(out[0], "面积： 1963;");
  EXPECT_EQ(out[1], "-");
  EXPECT_EQ(out[2], "-");
  EXPECT_EQ(out[3], "面积(1m)\\nHPB235：785  / 393  \\n箍筋(@100)\\nHPB235：314  / 157  \\n");
  EXPECT_EQ(out[4], "面积： 1963;");
  EXPECT_EQ(out[5], "面积： 982;");
  EXPECT_TRUE(startsWith(out[6], "G1.5-1.0(@100)可选箍筋：")) << out[6];
  EXPECT_EQ(run.out.back(), '\n');
}

TEST(RebarAreaBatch, EscapesAreUnambiguous) {
  // The demand form echoes the text; a lone GBK lead byte cannot be decoded
  // and shows as U+FFFD, as everywhere else.
  ToolRun gbk = runTool("--batch --gbk", "G1\\5-1.0\nG1\x81" "5-1.0\n");
  std::vector<std::string> out = lines(gbk.out);
  ASSERT_EQ(out.size(), 2u) << gbk.out;
  EXPECT_TRUE(startsWith(out[0], "G1\\\\5-1.0(")) << out[0];
  EXPECT_TRUE(startsWith(out[1], "G1\xEF\xBF\xBD" "5-1.0(")) << out[1];
}

TEST(RebarAreaBatch, SettingsApply) {
  ToolRun run = runTool("--batch --candidates --reference-spacing 150", "4%%13220\nG1.5-1.0\n");
  std::vector<std::string> out = lines(run.out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "面积： 1257;\\n\\n[1257]-可选钢筋:\\n3φ25  2φ25+1φ20  1φ25+2φ22  \\n"
                    "4φ22  2φ22+2φ18  \\n4φ20  2φ20+3φ16  \\n5φ18 ");
  EXPECT_TRUE(startsWith(out[1], "G1.5-1.0(@150)")) << out[1];
}

TEST(RebarAreaTool, TextsAndNoAnnotation) {
  ToolRun run = runTool("'4%%13225' 'room 101'");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(startsWith(run.out, "4%%13225\n面积： 1963;\n")) << run.out;
  EXPECT_NE(run.out.find("room 101\n(no annotation"), std::string::npos) << run.out;
}

TEST(RebarAreaTool, ConfigFile) {
  std::string config = tempPath("config.xml");
  std::ofstream(config) << "<rsbarea><spacingofstirrup>200</spacingofstirrup>"
                           "<lsbunderarea>1</lsbunderarea></rsbarea>";
  ToolRun run = runTool("--batch --config '" + config + "'", "%%13010@100(2)\n4%%13225\n");
  std::remove(config.c_str());
  std::vector<std::string> out = lines(run.out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_NE(out[0].find("箍筋(@200)"), std::string::npos) << out[0];
  EXPECT_NE(out[1].find("可选钢筋"), std::string::npos) << out[1];
  // A missing file is reported on standard error and the defaults apply.
  ToolRun missing = runTool("--batch --config '" + tempPath("missing.xml") + "'", "4%%13225\n");
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.out, "面积： 1963;\n");
}

TEST(RebarAreaTool, UsageErrors) {
  EXPECT_EQ(runTool("").status, 2);
  EXPECT_EQ(runTool("--reference-spacing x 4%%13225").status, 2);
  EXPECT_EQ(runTool("--reference-spacing 99999999999 4%%13225").status, 2);
  EXPECT_EQ(runTool("--batch 4%%13225").status, 2);
  EXPECT_EQ(runTool("--bogus").status, 2);
}

}  // namespace
