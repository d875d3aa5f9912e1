// Plug-ins end to end: loading and its refusals, commands run from scripts,
// prompts answered by every kind of action, monitors, module look-ups, and
// what unloading leaves behind.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "drawhost/io.h"
#include "fixture.h"

namespace hosttest {
namespace {

class PluginTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    auto r = drawhost::loadPlugin(HOSTTEST_PLUGIN);
    ASSERT_TRUE(r.ok) << r.error;
    drawhost::clearTranscript();
  }
  std::string run(const std::string& script, bool expectOk = true) {
    drawhost::clearTranscript();
    auto r = drawhost::runScriptText(script, "t.scr");
    EXPECT_EQ(r.ok, expectOk) << r.error;
    lastError_ = r.error;
    return drawhost::transcript();
  }
  static bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
  std::string lastError_;
};

TEST_F(PluginTest, RegistersItsGroupAndRunsByLocalOrGlobalName) {
  auto commands = drawhost::registeredCommands();
  ASSERT_EQ(commands.size(), 12u);
  EXPECT_EQ(commands[0].group, "HOSTTEST");
  EXPECT_EQ(commands[0].globalName, "_HT_HELLO");
  EXPECT_EQ(commands[0].localName, "HT_HELLO");
  EXPECT_EQ(commands[1].flags, 3);
  std::string t = run("ht_hello\n_HT_HELLO\n");
  EXPECT_EQ(t, "\nCommand: ht_hello\nHello from the test plug-in"
               "\nCommand: _HT_HELLO\nHello from the test plug-in");
  // Each run appended a line to model space.
  AcEdName ss;
  ASSERT_EQ(acedSSGet("A", nullptr, nullptr, nullptr, ss), AcEd::kNormal);
  std::int32_t n = 0;
  acedSSLength(ss, &n);
  acedSSFree(ss);
  EXPECT_EQ(n, 2);
}

TEST_F(PluginTest, PickFindsTheEntityOrReportsNothingFound) {
  addLayer("WALL");
  addLine(0, 0, 10, 0, "WALL");
  std::string t = run("HT_PICK\npick 5,0.5\n");
  EXPECT_TRUE(has(t, "\nPick: pick 5,0.5\nstatus normal\npicked: AcDbLine on WALL")) << t;
  t = run("HT_PICK\npick 5,3\n");
  EXPECT_TRUE(has(t, "Nothing found.\nstatus error")) << t;
  t = run("HT_PICK\nenter\n");
  EXPECT_TRUE(has(t, "status none")) << t;
}

TEST_F(PluginTest, ImpliedSelectionReachesPickfirstCommandsOnly) {
  addLine(0, 0, 10, 0);
  std::string t = run("select pick 5,0\nHT_PICK\n");
  EXPECT_TRUE(has(t, "implied: 1")) << t;
  // The set is used up by the command.
  t = run("HT_PICK\nesc\n");
  EXPECT_TRUE(has(t, "status cancel")) << t;
}

TEST_F(PluginTest, NestedPickDescendsIntoBlocks) {
  AcDbObjectId block = addBlock("B");
  addLayer("INNER");
  addLayer("OUTER");
  appendTo("B", new AcDbLine({0, 0, 0}, {4, 0, 0}), "INNER");
  addInsert(block, 100, 100, "OUTER");
  std::string t = run("HT_NPICK\npick 102,100\nHT_PICK\npick 102,100\n");
  EXPECT_TRUE(has(t, "innermost: AcDbLine on INNER\ncontainers 1")) << t;
  EXPECT_TRUE(has(t, "picked: AcDbBlockReference on OUTER")) << t;
}

TEST_F(PluginTest, BoxDragIsMissedPickThenDragThenCorner) {
  addLine(1, 1, 4, 1);
  addLine(5, 5, 15, 5);
  int osmodeDuringCorner = -1;
  drawhost::setPromptObserver([&](std::string_view prompt) {
    if (prompt == "\nOther corner: ") drawhost::getIntVar("OSMODE", osmodeDuringCorner);
  });
  std::string t = run("HT_PICKBOX\nbox 0,0 10,10\nHT_PICKBOX\nbox 10,10 0,0\n");
  drawhost::setPromptObserver(nullptr);
  EXPECT_TRUE(has(t, "event 5\nOther corner: \nW selected 1")) << t;
  EXPECT_TRUE(has(t, "C selected 2")) << t;
  EXPECT_EQ(osmodeDuringCorner, 0);
  int osmode = -1;
  drawhost::getIntVar("OSMODE", osmode);
  EXPECT_EQ(osmode, 35);
}

TEST_F(PluginTest, InteractiveSelectionCollectsUntilEnter) {
  addLine(0, 0, 10, 0);
  addLine(0, 5, 10, 5);
  addLine(50, 50, 60, 50);
  std::string t = run("HT_SELECT\npick 5,0\nwindow -1,4 11,6\npick 5,0\nenter\n");
  EXPECT_TRUE(has(t, "selected 2")) << t;
  t = run("HT_SELECT\nall\nesc\n");
  EXPECT_TRUE(has(t, "status cancel")) << t;
  t = run("HT_SELECT\nenter\n");
  EXPECT_TRUE(has(t, "status error")) << t;
  // "previous" is what the last interactive selection chose.
  t = run("HT_SELECT\nfence 55,40 55,60\nenter\nHT_SELECT\nprevious\nenter\n");
  EXPECT_TRUE(has(t, "selected 1\nCommand: HT_SELECT\nSelect objects: previous\n1 found")) << t;
}

TEST_F(PluginTest, WrongActionForAPromptStopsTheScript) {
  std::string t = run("HT_POINT\nwindow 0,0 1,1\nHT_HELLO\n", false);
  EXPECT_EQ(lastError_,
            "t.scr:2: expected a point, pick, enter or esc at prompt \"Point: \", got "
            "\"window 0,0 1,1\"");
  EXPECT_TRUE(has(t, "status cancel")) << t;
  EXPECT_FALSE(has(t, "Hello")) << t;
}

TEST_F(PluginTest, RunningOutAnswersEscAndSaysSo) {
  std::string t = run("HT_POINT\n");
  EXPECT_TRUE(has(t, "Point: \n*Cancel* (end of script)\nstatus cancel")) << t;
}

TEST_F(PluginTest, TextAndPointAnswers) {
  std::string t = run("HT_TEXT\n\xE6\x88\xBF\xE9\x97\xB4\nHT_TEXT\n\"all\"\nHT_TEXT\nenter\nHT_POINT\n3,4\n");
  EXPECT_TRUE(has(t, "[\xB7\xBF\xBC\xE4]")) << t;  // 房间, converted to GBK
  EXPECT_TRUE(has(t, "[all]")) << t;
  EXPECT_TRUE(has(t, "status normal []")) << t;
  EXPECT_TRUE(has(t, "status normal 3,4")) << t;
}

TEST_F(PluginTest, TransparentCommandRunsInsideAPrompt) {
  std::string t = run("HT_POINT\n'HT_HELLO\n1,2\n");
  EXPECT_TRUE(has(t, ">>HT_HELLO\nHello from the test plug-in\nPoint: 1,2")) << t;
}

TEST_F(PluginTest, TransparentCommandsNestOnlySoDeep) {
  std::string script = "HT_PICK\n";
  for (int i = 0; i < 5000; ++i) script += "'HT_PICK\n";
  const drawhost::Result r = drawhost::runScriptText(script, "deep.scr");
  EXPECT_EQ(r.error, "deep.scr:34: transparent commands nest deeper than 32");
  EXPECT_TRUE(drawhost::runScriptText("HT_PICK\n'HT_PICK\n'HT_PICK\nenter\nenter\nenter\n", "ok.scr").ok);
}

// Content nested far deeper than drawings usually go is drawn, picked and selected; a block
// made to insert itself is drawn once and stops there.
TEST_F(PluginTest, DeeplyNestedBlocksAreDrawnAndPickedAndCyclesEnd) {
  constexpr int kLevels = 200;
  std::vector<AcDbObjectId> blocks;
  for (int i = 0; i < kLevels; ++i) blocks.push_back(addBlock(("N" + std::to_string(i)).c_str()));
  for (int i = 0; i + 1 < kLevels; ++i) {
    auto* inner = new AcDbBlockReference({0, 0, 0}, blocks[i + 1]);
    appendTo(("N" + std::to_string(i)).c_str(), inner);
  }
  appendTo(("N" + std::to_string(kLevels - 1)).c_str(), new AcDbLine({0, 0, 0}, {10, 0, 0}));
  addInsert(blocks[0], 100, 0);
  std::string t = run("HT_NPICK\npick 105,0\nHT_SELECT\nwindow 99,-1 111,1\nenter\n");
  EXPECT_TRUE(has(t, "innermost: AcDbLine")) << t;
  EXPECT_TRUE(has(t, "containers " + std::to_string(kLevels))) << t;
  EXPECT_TRUE(has(t, "selected 1")) << t;
  const std::string svg = drawhost::svgText(acdbHostApplicationServices()->workingDatabase());
  EXPECT_NE(svg.find("<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\""), std::string::npos);

  // A block that holds a reference to itself.
  const AcDbObjectId loop = addBlock("LOOP");
  appendTo("LOOP", new AcDbLine({0, 5, 0}, {1, 5, 0}));
  appendTo("LOOP", new AcDbBlockReference({2, 0, 0}, loop));
  addInsert(loop, 300, 0);
  t = run("HT_NPICK\npick 300.5,5\n");
  EXPECT_TRUE(has(t, "innermost: AcDbLine")) << t;
  EXPECT_FALSE(drawhost::svgText(acdbHostApplicationServices()->workingDatabase()).empty());
}

TEST_F(PluginTest, MonitorsSeeTextsDirectlyAndInsideBlocks) {
  addText(0, 0, "4%%13225");
  AcDbObjectId block = addBlock("LABEL");
  appendTo("LABEL", new AcDbText({0, 0, 0}, "2%%13222", AcDbObjectId(), 2.0));
  addInsert(block, 100, 0);
  std::string t = run("hover 1,1\nHT_MONITOR_ON\nhover 1,1\nhover 101,1\nhover 50,50\n");
  EXPECT_EQ(t.find("\nTooltip"), t.find("\nTooltip: 4%%13225 (depth 1)")) << t;  // not before ON
  EXPECT_TRUE(has(t, "\nTooltip: 2%%13222 (depth 2)")) << t;
  t = run("HT_MONITOR_OFF\nhover 1,1\n");
  EXPECT_FALSE(has(t, "Tooltip")) << t;
  // Another document has its own monitors.
  run("HT_MONITOR_ON\n");
  AcApDocument* second = drawhost::newDocument();
  addText(0, 0, "4%%13225");
  t = run("hover 1,1\n");
  EXPECT_FALSE(has(t, "Tooltip")) << t;
  drawhost::setCurrentDocument(doc_);
  t = run("hover 1,1\n");
  EXPECT_TRUE(has(t, "Tooltip")) << t;
  drawhost::closeDocument(second);
}

TEST_F(PluginTest, AttributesAreFoundThroughTheirReference) {
  AcDbObjectId block = addBlock("TAG");
  auto* ref = new AcDbBlockReference({50, 50, 0}, block);
  ref->appendAttribute(new AcDbAttribute({50, 50, 0}, "G1.5-1.0", "REBAR"));
  appendTo(ACDB_MODEL_SPACE, ref);
  std::string t = run("HT_MONITOR_ON\nhover 51,51\nHT_NPICK\npick 51,51\n");
  EXPECT_TRUE(has(t, "\nTooltip: G1.5-1.0 (depth 2)")) << t;
  EXPECT_TRUE(has(t, "innermost: AcDbAttribute on 0")) << t;
}

TEST_F(PluginTest, PicksSeeOnlyDisplayedEntitiesAndTakeTheNearest) {
  AcDbObjectId frozen = addLayer("FROZEN");
  addLayer("NEAR");
  addLine(0, 0, 10, 0, "FROZEN");
  addLine(0, 0.6, 10, 0.6, "NEAR");
  {
    Opened<AcDbLayerTableRecord> rec(frozen, AcDb::kForWrite);
    rec->setIsFrozen(true);
  }
  std::string t = run("HT_PICK\npick 5,0.1\n");
  EXPECT_TRUE(has(t, "picked: AcDbLine on NEAR")) << t;
  {
    Opened<AcDbLayerTableRecord> rec(frozen, AcDb::kForWrite);
    rec->setIsFrozen(false);
  }
  t = run("HT_PICK\npick 5,0.1\n");
  EXPECT_TRUE(has(t, "picked: AcDbLine on FROZEN")) << t;
  // A text is picked anywhere inside its box.
  addText(100, 100, "ROOM", nullptr, 5.0);
  t = run("HT_PICK\npick 104,102\n");
  EXPECT_TRUE(has(t, "picked: AcDbText on 0")) << t;
}

TEST_F(PluginTest, ModuleLookupsAndMessageBox) {
  std::string t = run("HT_MODULE\n");
  EXPECT_TRUE(has(t, "module found, same as attach yes, static probe yes, file HostTest.arx, "
                     "length ok yes")) << t;
  ASSERT_EQ(drawhost::messageBoxLog().size(), 1u);
  EXPECT_EQ(drawhost::messageBoxLog()[0], "test message box");
  EXPECT_EQ(GetModuleHandleA("other.arx"), nullptr);
  char path[8];
  DWORD n = GetModuleFileNameA(GetModuleHandleA("hosttest.arx"), path, sizeof path);
  EXPECT_EQ(n, sizeof path);  // cut to fit, terminated
  EXPECT_EQ(path[7], '\0');
  char host[512];
  EXPECT_GT(GetModuleFileNameA(nullptr, host, sizeof host), 0u);
}

TEST_F(PluginTest, PerDocumentRecordsFollowTheDocuments) {
  EXPECT_TRUE(has(run("HT_DOCDATA\nHT_DOCDATA\n"), "uses in this drawing 2"));
  AcApDocument* second = drawhost::newDocument();
  EXPECT_TRUE(has(run("HT_DOCDATA\n"), "uses in this drawing 1"));
  drawhost::closeDocument(second);
  // A new document may reuse the address of the closed one: its record
  // must have gone with it.
  drawhost::newDocument();
  EXPECT_TRUE(has(run("HT_DOCDATA\n"), "uses in this drawing 1"));
  drawhost::setCurrentDocument(doc_);
  EXPECT_TRUE(has(run("HT_DOCDATA\n"), "uses in this drawing 3"));
}

TEST_F(PluginTest, RegenIsCounted) {
  run("HT_REGEN\n");
  EXPECT_EQ(drawhost::displayCounters().regens, 1);
}

TEST_F(PluginTest, UnloadRemovesCommandsAndLeftoverMonitors) {
  run("HT_MONITOR_ON\n");
  addText(0, 0, "X");
  auto r = drawhost::unloadPlugin("hosttest.arx");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(drawhost::registeredCommands().empty());
  EXPECT_EQ(doc_->inputPointManager()->numMonitors(), 0);
  run("hover 1,1\n");  // must not call into the unloaded library
  EXPECT_FALSE(drawhost::runScriptText("HT_HELLO\n", "u.scr").ok);
  // And it loads again.
  r = drawhost::loadPlugin(HOSTTEST_PLUGIN);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(drawhost::loadPlugin(HOSTTEST_PLUGIN).error.find("already loaded") !=
              std::string::npos);
}

class LoaderTest : public HostTest {};

TEST_F(LoaderTest, RefusalsSayWhy) {
  auto r = drawhost::loadPlugin("/nonexistent/x.arx");
  EXPECT_EQ(r.error, "cannot load plug-in /nonexistent/x.arx: no such file");
  r = drawhost::loadPlugin(NOENTRY_PLUGIN);
  EXPECT_NE(r.error.find("has no acrxEntryPoint"), std::string::npos) << r.error;
  r = drawhost::loadPlugin(BADVERSION_PLUGIN);
  EXPECT_NE(r.error.find("built for interface version 0x100001, the host implements 0x100000"),
            std::string::npos)
      << r.error;
  std::string text = testing::TempDir() + "/not-a-library.arx";
  std::ofstream(text) << "just text\n";
  r = drawhost::loadPlugin(text);
  EXPECT_NE(r.error.find(": it is not a shared library (too short for one)"), std::string::npos) << r.error;
  std::ofstream(text) << std::string(200, 'x');
  r = drawhost::loadPlugin(text);
  EXPECT_NE(r.error.find(": it is not a shared library (no ELF header)"), std::string::npos) << r.error;
  std::remove(text.c_str());

  // A copy that stopped half way: the system's loader would map pages past its end.
  std::ifstream whole(HOSTTEST_PLUGIN, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
  const std::string cut = testing::TempDir() + "/cut-short.arx";
  for (size_t keep : {bytes.size() / 2, bytes.size() - 1, size_t(100)}) {
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, keep);
    r = drawhost::loadPlugin(cut);
    EXPECT_NE(r.error.find(": it is cut short: " + std::to_string(keep) + " bytes, but its "),
              std::string::npos)
        << r.error;
  }
  std::remove(cut.c_str());
  EXPECT_TRUE(drawhost::loadedPlugins().empty());
  r = drawhost::unloadPlugin("nothing.arx");
  EXPECT_EQ(r.error, "plug-in nothing.arx is not loaded");
}

TEST_F(LoaderTest, DocumentsOpenAndCloseWithPluginsLoaded) {
  ASSERT_TRUE(drawhost::loadPlugin(HOSTTEST_PLUGIN).ok);
  AcApDocument* second = drawhost::newDocument("Plan.dwg");
  EXPECT_EQ(drawhost::currentDocument(), second);
  EXPECT_STREQ(second->fileName(), "Plan.dwg");
  EXPECT_EQ(acDocManagerPtr()->documentCount(), 2);
  ASSERT_TRUE(drawhost::closeDocument(second).ok);
  EXPECT_EQ(drawhost::currentDocument(), doc_);
  EXPECT_FALSE(drawhost::closeDocument(second).ok);
}

}  // namespace
}  // namespace hosttest
