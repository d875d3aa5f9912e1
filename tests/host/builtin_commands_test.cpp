// The host's own commands: undo and redo of whole commands, system variables,
// several drawings, saving, the layer list, an entity's data, help, and
// answers asked again at a terminal.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "drawhost/io.h"
#include "fixture.h"

namespace hosttest {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A command that changes a drawing in every way undo has to follow: a new layer made current,
// an entity moved to it, one erased, one changed, one added, a reference erased with its
// attribute.
AcDbObjectId gMoved, gErased, gChanged, gReference;
void changeEverything() {
  AcDbLayerTable* table = nullptr;
  db()->getSymbolTable(table, AcDb::kForRead);
  const bool made = table->has("NEW");
  table->close();
  if (!made) db()->setClayer(addLayer("NEW", 3));
  if (Opened<AcDbEntity> e(gMoved, AcDb::kForWrite); e.ptr) e->setLayer("NEW");
  if (Opened<AcDbEntity> e(gErased, AcDb::kForWrite); e.ptr) e->erase();
  if (Opened<AcDbLine> line(gChanged, AcDb::kForWrite); line.ptr) line->setEndPoint({50, 50, 0});
  if (Opened<AcDbBlockReference> ref(gReference, AcDb::kForWrite); ref.ptr) ref->erase();
  addLine(7, 7, 8, 8, "NEW");
}
void addOneLine() { addLine(9, 9, 10, 10); }
void countPickfirst() {
  AcEdName set;
  std::int32_t n = 0;
  if (acedSSGet("I", nullptr, nullptr, nullptr, set) == AcEd::kNormal) {
    acedSSLength(set, &n);
    acedSSFree(set);
  }
  acutPrintf("\npickfirst %d", static_cast<int>(n));
}

class BuiltinCommandsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    acedRegCmds()->addCommand("T1", "_CHANGE", "CHANGE", 0, changeEverything);
    acedRegCmds()->addCommand("T1", "_ADDLINE", "ADDLINE", 0, addOneLine);
    acedRegCmds()->addCommand("T1", "_COUNTPICK", "COUNTPICK", AcEdCommandFlags::kUsePickSet,
                              countPickfirst);
    gMoved = addLine(0, 0, 1, 0);
    gErased = addLine(0, 1, 1, 1);
    gChanged = addLine(0, 2, 1, 2);
    AcDbObjectId block = addBlock("MARK");
    gReference = addInsert(block, 5, 5);
    auto* attribute = new AcDbAttribute({5, 5, 0}, "A1", "TAG");
    Opened<AcDbBlockReference> ref(gReference, AcDb::kForWrite);
    ASSERT_EQ(ref->appendAttribute(attribute), AcDb::kOk);
    attribute->close();
  }
  void TearDown() override {
    acedRegCmds()->removeGroup("T1");
    drawhost::setTranscriptSink(nullptr);
    HostTest::TearDown();
  }
  std::string saved() { return drawhost::dxfText(db()); }
  drawhost::Result run(const std::string& script) {
    drawhost::clearTranscript();
    return drawhost::runScriptText(script, "b.scr");
  }
  fs::path tempPath(const std::string& name) {
    return fs::path(::testing::TempDir()) / (std::to_string(::getpid()) + "_" + name);
  }
};

TEST_F(BuiltinCommandsTest, UndoPutsBackWhatACommandChangedAndRedoDoesItAgain) {
  const std::string before = saved();
  ASSERT_TRUE(run("CHANGE\n").ok);
  const std::string after = saved();
  ASSERT_NE(before, after);
  EXPECT_EQ(layerOf(gMoved), "NEW");

  ASSERT_TRUE(run("UNDO\nenter\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "\nUndone: CHANGE")) << drawhost::transcript();
  EXPECT_EQ(saved(), before);
  EXPECT_EQ(layerOf(gMoved), "0");
  EXPECT_FALSE(gErased.isErased());
  EXPECT_FALSE(gReference.isErased());
  // The erased layer is gone from the table by name too: a new one of that name may come.
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(db()->getSymbolTable(table, AcDb::kForRead), AcDb::kOk);
  EXPECT_FALSE(table->has("NEW"));
  table->close();

  ASSERT_TRUE(run("REDO\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "\nRedone: CHANGE"));
  EXPECT_EQ(saved(), after);
  EXPECT_TRUE(gReference.isErased());
  EXPECT_EQ(drawhost::openObjectCount(db()), 0);
}

TEST_F(BuiltinCommandsTest, UndoCountsCommandsAndANewCommandEndsRedo) {
  const std::string before = saved();
  ASSERT_TRUE(run("CHANGE\nCHANGE\n").ok);
  ASSERT_TRUE(run("UNDO\n5\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "Undone: CHANGE\nUndone: CHANGE\nEverything is undone."))
      << drawhost::transcript();
  EXPECT_EQ(saved(), before);
  ASSERT_TRUE(run("U\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "Nothing to undo."));
  ASSERT_TRUE(run("REDO\nCHANGE\nREDO\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "Nothing to redo")) << drawhost::transcript();
  // Host commands are no steps of their own.
  ASSERT_TRUE(run("LAYER\nU\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "Undone: CHANGE"));
}

TEST_F(BuiltinCommandsTest, VariablesAreShownAndSetByNameOrThroughSetvar) {
  ASSERT_TRUE(run("SETVAR\nOSMODE\n7\nGETVAR\nosmode\nPICKBOX\n2.5\nOSMODE\nenter\n").ok);
  const std::string out = drawhost::transcript();
  EXPECT_TRUE(contains(out, "Enter variable name or [?]: OSMODE\nEnter new value for OSMODE <35>: 7"))
      << out;
  EXPECT_TRUE(contains(out, "\nOSMODE = 7"));
  EXPECT_TRUE(contains(out, "Command: OSMODE\nEnter new value for OSMODE <7>: enter")) << out;
  int osmode = 0;
  ASSERT_TRUE(drawhost::getIntVar("OSMODE", osmode));
  EXPECT_EQ(osmode, 7);
  ASSERT_TRUE(run("SETVAR\n?\nenter\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "  PICKBOX    2.5"));
  // A typed layer name; a value the variable cannot take is the script's error.
  addLayer("WALL");
  ASSERT_TRUE(run("CLAYER\nWALL\nGETVAR\nCLAYER\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "CLAYER = WALL"));
  EXPECT_EQ(run("OSMODE\n-3\n").error, "b.scr:2: OSMODE takes an integer from 0 to 32767, not \"-3\"");
  EXPECT_EQ(run("GETVAR\nNOSUCH\n").error, "b.scr:2: no system variable is called \"NOSUCH\" (? lists them)");
  EXPECT_EQ(run("DWGNAME\nx\n").error,
            "b.scr:2: DWGNAME takes nothing: it is the drawing's name and cannot be set, not \"x\"");
}

TEST_F(BuiltinCommandsTest, AtATerminalAWrongAnswerIsAskedAgainAndQuitEnds) {
  std::istringstream in("FOO\nOSMODE\nabc\n12\nCHANGE\nUNDO\nfence 0,0 1,1\n1\nQUIT\nLAYER\n");
  std::string shown;
  drawhost::setTranscriptSink([&](std::string_view gbk) { shown.append(gbk); });
  ASSERT_TRUE(drawhost::runInteractive(in).ok);
  EXPECT_TRUE(contains(shown, "Unknown command \"FOO\". HELP lists the commands.")) << shown;
  EXPECT_TRUE(contains(shown, "\nOSMODE takes an integer from 0 to 32767, not \"abc\"\n"
                              "Enter new value for OSMODE <35>: "))
      << shown;
  EXPECT_TRUE(contains(shown, "\nexpected text, enter or esc at prompt \"Enter the number of "
                              "commands to undo <1>: \", got \"fence 0,0 1,1\"\n"
                              "Enter the number of commands to undo <1>: "))
      << shown;
  int osmode = 0;
  drawhost::getIntVar("OSMODE", osmode);
  EXPECT_EQ(osmode, 12);
  EXPECT_TRUE(contains(shown, "Undone: CHANGE"));
  EXPECT_FALSE(contains(shown, "Layers:"));  // after QUIT
}

TEST_F(BuiltinCommandsTest, EachDrawingKeepsItsOwnStateAndSwitchingSaysWhichIsCurrent) {
  AcApDocument* first = drawhost::currentDocument();
  ASSERT_TRUE(run("select all\nNEW\nCOUNTPICK\n").ok);
  AcApDocument* second = drawhost::currentDocument();
  ASSERT_NE(first, second);
  EXPECT_TRUE(contains(drawhost::transcript(), "\npickfirst 0")) << drawhost::transcript();
  ASSERT_TRUE(run("DOCUMENTS\n1\nCOUNTPICK\n").ok);
  EXPECT_EQ(drawhost::currentDocument(), first);
  EXPECT_TRUE(contains(drawhost::transcript(), "\n  1  Drawing")) << drawhost::transcript();
  EXPECT_TRUE(contains(drawhost::transcript(), ".dwg  (current)\nEnter number of drawing"));
  EXPECT_TRUE(contains(drawhost::transcript(), "\npickfirst 4"));
  EXPECT_EQ(run("DOCUMENTS\n3\n").error, "b.scr:2: give a number from 1 to 2, not \"3\"");
  // The new drawing has no changes: it closes without a question.
  ASSERT_TRUE(run("DOCUMENTS\n2\nCLOSE\n").ok);
  EXPECT_EQ(drawhost::documents().size(), 1u);
  EXPECT_EQ(run("CLOSE\n").error, "b.scr:1: the only open drawing stays open (QUIT ends drawhost)");
}

TEST_F(BuiltinCommandsTest, SavedDrawingsOpenAgainAndSavingIsRefusedWhereItWouldLose) {
  const fs::path dxf = tempPath("saved.dxf");
  ASSERT_TRUE(run("SAVEAS\n" + dxf.string() + "\n").ok) << drawhost::transcript();
  EXPECT_TRUE(contains(drawhost::transcript(), "Saved " + dxf.string() + "."));
  EXPECT_EQ(drawhost::transcript().find("Saved", drawhost::transcript().find("Saved") + 1),
            std::string::npos);
  EXPECT_EQ(run("SAVEAS\n" + tempPath("x.svg").string() + "\n").error,
            "b.scr:2: drawings are saved as DXF: the file name must end in .dxf, not \"" +
                tempPath("x.svg").string() + "\"");
  ASSERT_TRUE(run("CHANGE\nSAVE\nNEW\nOPEN\n" + dxf.string() + "\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), dxf.string() + " is open already."));
  std::ifstream in(dxf);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_TRUE(contains(text.str(), "\nNEW\n"));  // the layer CHANGE made was saved
  // Another file opens as a drawing of its own; changed, it asks before it closes.
  const fs::path copy = tempPath("copy.dxf");
  fs::copy_file(dxf, copy, fs::copy_options::overwrite_existing);
  ASSERT_TRUE(run("OPEN\n" + copy.string() + "\nADDLINE\n").ok);
  EXPECT_EQ(drawhost::documents().size(), 3u);
  EXPECT_EQ(run("CLOSE\nmaybe\n").error, "b.scr:2: answer Yes or No, not \"maybe\"");
  ASSERT_TRUE(run("CLOSE\nNo\n").ok);
  EXPECT_EQ(drawhost::documents().size(), 2u) << drawhost::transcript();
  // A drawing whose load could not keep everything is not saved over.
  const fs::path lossy = tempPath("lossy.dxf");
  std::string withMesh = text.str();
  withMesh.insert(withMesh.find("ENTITIES\n") + 9, "  0\nMESH\n  8\n0\n");
  std::ofstream(lossy) << withMesh;
  ASSERT_TRUE(run("OPEN\n" + lossy.string() + "\n").ok);
  EXPECT_TRUE(contains(drawhost::transcript(), "Warning: " + lossy.string())) << drawhost::transcript();
  EXPECT_TRUE(contains(run("SAVE\n").error, "not saving over " + lossy.string()));
  EXPECT_EQ(run("OPEN\n" + tempPath("none.dxf").string() + "\n").ok, false);
  EXPECT_EQ(drawhost::documents().size(), 3u);
  fs::remove(dxf);
  fs::remove(copy);
  fs::remove(lossy);
}

TEST_F(BuiltinCommandsTest, LayerListsEveryLayerAndListShowsAnEntitysData) {
  const std::string wall = drawhost::utf8ToGbk("墙");
  addLayer(wall.c_str(), 1);
  addLine(20, 0, 21, 0, wall.c_str());
  ASSERT_TRUE(run("LAYER\nLIST\npick 0.5,2\n").ok);
  const std::string out = drawhost::gbkToUtf8(drawhost::transcript());
  EXPECT_TRUE(contains(out, "Layers: 2 (current: 0)")) << out;
  EXPECT_TRUE(contains(out, "\n  0                    on   no      no      7       CONTINUOUS    5"))
      << out;
  EXPECT_TRUE(contains(out, "\n  墙                   on   no      no      1       CONTINUOUS    1"))
      << out;
  EXPECT_TRUE(contains(out, "\n      0  \"LINE\"")) << out;
  EXPECT_TRUE(contains(out, "\n     10  0,2,0")) << out;
  EXPECT_TRUE(contains(out, "\n     11  1,2,0")) << out;
}

TEST_F(BuiltinCommandsTest, HelpListsTheHostsCommandsAndThePluginsOnes) {
  ASSERT_TRUE(run("HELP\n").ok);
  const std::string out = drawhost::transcript();
  EXPECT_TRUE(contains(out, "\n  UNDO, U      undo what the last commands changed in the drawing")) << out;
  EXPECT_TRUE(contains(out, "\n  HELP, ?      list every command, one line each"));
  EXPECT_TRUE(contains(out, "\n  CHANGE  group T1, global name _CHANGE"));
  const std::vector<drawhost::CommandInfo> host = drawhost::hostCommands();
  ASSERT_FALSE(host.empty());
  EXPECT_EQ(host.front().group, "HOST");
}

}  // namespace
}  // namespace hosttest
