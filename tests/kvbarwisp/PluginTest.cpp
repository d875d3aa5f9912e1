// KVBarwisp.arx loaded into the host: its commands, the tooltip per drawing,
// and the settings file found beside the plug-in. Tooltips are compared with
// the calculator's own result for the same text and settings.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "DrawingBuilder.h"
#include "drawhost/host.h"
#include "rebar/RebarAreaCalculator.h"

namespace fs = std::filesystem;

namespace {

const std::string kBars = "4%%13225";
const std::string kStirrups = "%%13010@100/200(4)";
const std::string kRoom = "\xbb\xe1\xd2\xe9\xca\xd2";  // 会议室 (meeting room)
// "欢迎使用structkit的实时显示钢筋标注面积程序，您当前使用的程序版本是V0.44。\n"
// "最新版本请关注：https://structkit.example.org。"
const std::string kVersion =
    "\xbb\xb6\xd3\xad\xca\xb9\xd3\xc3structkit"
    "\xb5\xc4\xca\xb5\xca\xb1\xcf\xd4\xca\xbe\xb8\xd6\xbd\xee\xb1\xea\xd7\xa2\xc3\xe6\xbb\xfd"
    "\xb3\xcc\xd0\xf2\xa3\xac\xc4\xfa\xb5\xb1\xc7\xb0\xca\xb9\xd3\xc3\xb5\xc4\xb3\xcc\xd0\xf2"
    "\xb0\xe6\xb1\xbe\xca\xc7V0.44\xa1\xa3\n"
    "\xd7\xee\xd0\xc2\xb0\xe6\xb1\xbe\xc7\xeb\xb9\xd8\xd7\xa2\xa3\xbahttps://structkit.example.org"
    "\xa1\xa3";
const char kConfigError[] = "can not load xml config file";
const char kTooltipMark[] = "\nTooltip: ";

const char kFullConfig[] =
    "<?xml version=\"1.0\"?>\n<rsbarea>\n  <spacingofstirrup>150</spacingofstirrup>\n"
    "  <lsbunderarea>1</lsbunderarea>\n</rsbarea>\n";

struct Settings {
  int spacing = 100;
  int candidates = 0;
};

std::string expectedFor(const std::string& text, Settings settings = {}) {
  RebarAreaCalculator calculator;
  calculator.setReferenceSpacing(settings.spacing);
  calculator.setShowCandidateBars(settings.candidates);
  std::string result;
  EXPECT_TRUE(calculator.analyse(text, result)) << text;
  return result;
}

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drawhost::reset();
    drawhost::clearTranscript();
    drawhost::clearMessageBoxLog();
    char pattern[] = "/tmp/kvbarwisp-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    drawhost::reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Copies the plug-in into `directory` under `fileName`, with the settings
  // file beside it when config is not null, and loads it.
  void load(const char* config, const fs::path& directory, const char* fileName = "KVBarwisp.arx") {
    fs::create_directories(directory);
    fs::copy_file(KVBARWISP_PLUGIN_PATH, directory / fileName);
    if (config != nullptr) std::ofstream(directory / "KVBarwisp.xml") << config;
    drawhost::Result r = drawhost::loadPlugin((directory / fileName).string());
    ASSERT_TRUE(r.ok) << r.error;
  }
  void load(const char* config = kFullConfig) { load(config, dir_); }

  std::string run(const std::string& script) {
    drawhost::clearTranscript();
    drawhost::Result r = drawhost::runScriptText(script, "test.scr");
    EXPECT_TRUE(r.ok) << r.error;
    return drawhost::transcript();
  }
  // The tooltip the host shows at (x,y), or "" when none.
  std::string hover(double x, double y) {
    std::string out = run("hover " + std::to_string(x) + "," + std::to_string(y) + "\n");
    std::size_t at = out.find(kTooltipMark);
    return at == std::string::npos ? std::string() : out.substr(at + sizeof kTooltipMark - 1);
  }

  fs::path dir_;
};

TEST_F(PluginTest, RegistersItsThreeCommandsAndRemovesThemAtUnload) {
  load();
  std::vector<std::string> seen;
  for (const drawhost::CommandInfo& c : drawhost::registeredCommands()) {
    if (c.group != "KVBarwisp") continue;
    EXPECT_EQ(c.flags, 1) << c.globalName;
    seen.push_back(c.globalName + " " + c.localName);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"_KVRSBAREAVER KVRSBAREAVER",
                                            "_MTooltipOff KVRsbMTOFF", "_MTooltipOn KVRsbMTON"}));
  ASSERT_TRUE(drawhost::unloadPlugin("KVBarwisp.arx").ok);
  for (const drawhost::CommandInfo& c : drawhost::registeredCommands()) {
    EXPECT_NE(c.group, "KVBarwisp");
  }
}

TEST_F(PluginTest, VersionMessageIsPrintedAsItStands) {
  drawhost::newDocument();
  load();
  std::string version = run("KVRSBAREAVER\n");
  EXPECT_NE(version.find("KVRSBAREAVER\n" + kVersion), std::string::npos) << version;
  std::string on = run("KVRsbMTON\n");
  EXPECT_NE(on.find("KVRsbMTON\n" + kVersion), std::string::npos) << on;
}

TEST_F(PluginTest, TooltipShowsAnnotationsInTextsAttributesAndBlocksOnly) {
  drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  kvbtest::addText(0, 20, kStirrups);
  kvbtest::addText(0, 40, kRoom);
  kvbtest::addMText(0, 60, kBars);
  kvbtest::addReference(kvbtest::addBlockWithText("ATTHOLDER", ""), 100, 0, kStirrups, 100, 0);
  kvbtest::addReference(kvbtest::addBlockWithText("BARTAG", kBars), 100, 40);
  load();
  EXPECT_EQ(hover(1, 1), "") << "off until switched on";
  run("KVRsbMTON\n");

  const Settings file{150, 1};
  EXPECT_EQ(hover(1, 1), expectedFor(kBars, file));
  EXPECT_EQ(hover(1, 21), expectedFor(kStirrups, file));
  EXPECT_EQ(hover(101, 1), expectedFor(kStirrups, file)) << "attribute";
  EXPECT_EQ(hover(101, 41), expectedFor(kBars, file)) << "text inside a block reference";
  EXPECT_EQ(hover(1, 41), "") << "room name";
  EXPECT_EQ(hover(1, 60), "") << "multi-line text";
  EXPECT_EQ(hover(50, 200), "") << "empty space";

  run("KVRsbMTOFF\n");
  EXPECT_EQ(hover(1, 1), "");
  run("KVRsbMTON\n");
  EXPECT_EQ(hover(1, 1), expectedFor(kBars, file));
}

TEST_F(PluginTest, TooltipStaysWithItsDrawingThroughNewAndSwitching) {
  drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  load();
  run("KVRsbMTON\n");
  EXPECT_NE(hover(1, 1), "");
  run("NEW\n");
  kvbtest::addText(0, 0, kBars);
  EXPECT_EQ(hover(1, 1), "") << "the new drawing has no tooltip of its own yet";
  run("DOCUMENTS\n1\n");
  EXPECT_EQ(hover(1, 1), expectedFor(kBars, {150, 1}));
  run("DOCUMENTS\n2\nCLOSE\nNo\n");
  EXPECT_NE(hover(1, 1), "");
}

TEST_F(PluginTest, TooltipIsPerDrawing) {
  AcApDocument* first = drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  AcApDocument* second = drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  load();
  ASSERT_TRUE(drawhost::setCurrentDocument(first).ok);
  run("KVRsbMTON\n");
  EXPECT_NE(hover(1, 1), "");
  ASSERT_TRUE(drawhost::setCurrentDocument(second).ok);
  EXPECT_EQ(hover(1, 1), "");
  run("KVRsbMTOFF\n");  // off in the second changes nothing in the first
  ASSERT_TRUE(drawhost::setCurrentDocument(first).ok);
  EXPECT_NE(hover(1, 1), "");
}

TEST_F(PluginTest, OnTwiceThenOffOnceIsOffAndOffBeforeOnDoesNothing) {
  drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  load();
  std::string off = run("KVRsbMTOFF\n");
  EXPECT_EQ(off.find(kVersion), std::string::npos);
  EXPECT_EQ(hover(1, 1), "");

  std::string twice = run("KVRsbMTON\nKVRsbMTON\n");
  EXPECT_NE(twice.find(kVersion), twice.rfind(kVersion)) << "message printed each time";
  EXPECT_EQ(hover(1, 1), expectedFor(kBars, {150, 1}));
  run("KVRsbMTOFF\n");
  EXPECT_EQ(hover(1, 1), "");
}

TEST_F(PluginTest, ClosingADrawingWhileItsTooltipIsOnReleasesTheMonitor) {
  AcApDocument* keep = drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  AcApDocument* doomed = drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  load();
  run("KVRsbMTON\n");
  ASSERT_EQ(doomed->inputPointManager()->numMonitors(), 1);
  ASSERT_TRUE(drawhost::closeDocument(doomed).ok);
  ASSERT_EQ(drawhost::currentDocument(), keep);
  EXPECT_EQ(hover(1, 1), "");
  run("KVRsbMTON\n");
  EXPECT_NE(hover(1, 1), "");
  // A new drawing may reuse the closed one's address: it starts off.
  drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  EXPECT_EQ(hover(1, 1), "");
  ASSERT_TRUE(drawhost::unloadPlugin("KVBarwisp.arx").ok);
}

TEST_F(PluginTest, UnloadTakesTheMonitorsBackAndAReloadWorksAsNew) {
  AcApDocument* doc = drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  load();
  run("KVRsbMTON\n");
  ASSERT_TRUE(drawhost::unloadPlugin("KVBarwisp.arx").ok);
  EXPECT_EQ(doc->inputPointManager()->numMonitors(), 0);
  EXPECT_EQ(hover(1, 1), "");

  // The same file again, whether or not the system kept it resident.
  ASSERT_TRUE(drawhost::loadPlugin((dir_ / "KVBarwisp.arx").string()).ok);
  EXPECT_EQ(hover(1, 1), "") << "off after loading";
  AcApDocument* doomed = drawhost::newDocument();
  kvbtest::addText(0, 0, kBars);
  run("KVRsbMTON\n");
  EXPECT_EQ(hover(1, 1), expectedFor(kBars, {150, 1}));
  ASSERT_TRUE(drawhost::closeDocument(doomed).ok);
  ASSERT_TRUE(drawhost::setCurrentDocument(doc).ok);
  EXPECT_EQ(hover(1, 1), "");
}

// --- the settings file ---------------------------------------------------

class ConfigTest : public PluginTest {
 protected:
  // The tooltips of a bar group and a stirrup text with the loaded settings.
  void expectSettings(Settings settings) {
    drawhost::newDocument();
    kvbtest::addText(0, 0, kBars);
    kvbtest::addText(0, 20, kStirrups);
    run("KVRsbMTON\n");
    EXPECT_EQ(hover(1, 1), expectedFor(kBars, settings));
    EXPECT_EQ(hover(1, 21), expectedFor(kStirrups, settings));
  }
  std::vector<std::string> boxes() { return drawhost::messageBoxLog(); }
};

TEST_F(ConfigTest, FileBesideThePluginSuppliesBothSettings) {
  load(kFullConfig);
  EXPECT_TRUE(boxes().empty());
  expectSettings({150, 1});
}

TEST_F(ConfigTest, MissingFileShowsOneMessageAndKeepsTheDefaults) {
  load(nullptr);
  EXPECT_EQ(boxes(), std::vector<std::string>{kConfigError});
  expectSettings({100, 0});
}

TEST_F(ConfigTest, MalformedFileIsReportedLikeAMissingOne) {
  load("<rsbarea><spacingofstirrup>150</rsbarea>");
  EXPECT_EQ(boxes(), std::vector<std::string>{kConfigError});
  expectSettings({100, 0});
}

TEST_F(ConfigTest, CandidateSettingBeforeTheSpacingIsNotRead) {
  load("<rsbarea><lsbunderarea>1</lsbunderarea><spacingofstirrup>150</spacingofstirrup></rsbarea>");
  EXPECT_TRUE(boxes().empty());
  expectSettings({150, 0});
}

TEST_F(ConfigTest, AnotherRootElementKeepsTheDefaultsSilently) {
  load("<settings><spacingofstirrup>150</spacingofstirrup><lsbunderarea>1</lsbunderarea>"
       "</settings>");
  EXPECT_TRUE(boxes().empty());
  expectSettings({100, 0});
}

TEST_F(ConfigTest, DirectoryPathsLongerThan255BytesAreFollowed) {
  fs::path deep = dir_;
  while (deep.string().size() < 300) deep /= "a-rather-long-directory-name";
  load(kFullConfig, deep);
  EXPECT_TRUE(boxes().empty());
  expectSettings({150, 1});
}

TEST_F(ConfigTest, UnderAnotherFileNameTheHostProgramsFolderIsUsed) {
  fs::path program = dir_ / "program";
  fs::create_directories(program);
  std::ofstream(program / "KVBarwisp.xml")
      << "<rsbarea><spacingofstirrup>200</spacingofstirrup></rsbarea>";
  drawhost::setProgramPath((program / "drawhost").string());
  load(kFullConfig, dir_ / "plugin", "Renamed.arx");
  drawhost::setProgramPath(fs::read_symlink("/proc/self/exe").string());
  EXPECT_TRUE(boxes().empty());
  expectSettings({200, 0});
}

}  // namespace
