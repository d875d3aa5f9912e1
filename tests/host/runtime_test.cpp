// The runtime without plug-ins: registry services and runtime classes,
// the command stack, documents and their reactors, system variables and
// host commands, interactive input and the transcript sink.
#include <sstream>

#include "fixture.h"

namespace hosttest {
namespace {

class RuntimeTest : public HostTest {
 protected:
  void TearDown() override {
    acedRegCmds()->removeGroup("T1");
    acedRegCmds()->removeGroup("T2");
    drawhost::setTranscriptSink(nullptr);
    HostTest::TearDown();
  }
};

int gCalls = 0;
std::string gLastPrompt;
void countCall() { ++gCalls; }
void askPoint() {
  AcEdPoint p;
  acedGetPoint(nullptr, "\nWhere: ", p);
}

std::string gAnswer;
void askWithKeywords() {
  acedInitGet(0, "Undo Close");
  AcEdPoint p;
  int rc = acedGetPoint(nullptr, "\nPoint or [Undo/Close]: ", p);
  char kw[32] = "";
  if (rc == AcEd::kKeyword) acedGetInput(kw, sizeof kw);
  gAnswer = std::to_string(rc) + ":" + kw;
}
void readEvent() {
  int type = 0;
  AcEdResBuf rb;
  int rc = acedGrRead(15, &type, &rb, 2);
  gAnswer = std::to_string(rc) + ":" + std::to_string(type) + ":" +
            (rb.type == AcEd::kRtShort ? std::to_string(rb.value.shortValue) : "point");
}

TEST_F(RuntimeTest, KeywordsAndInputEvents) {
  acedRegCmds()->addCommand("T1", "_KW", "KW", 1, askWithKeywords);
  acedRegCmds()->addCommand("T1", "_EV", "EV", 1, readEvent);
  ASSERT_TRUE(drawhost::runScriptText("KW\nc\n", "k.scr").ok);
  EXPECT_EQ(gAnswer, "-5005:Close");
  ASSERT_TRUE(drawhost::runScriptText("KW\n1,1\n", "k.scr").ok);
  EXPECT_EQ(gAnswer, "5100:");
  // Keywords last for one prompt only.
  EXPECT_FALSE(drawhost::runScriptText("KW\n1,1\nKW\nfoo\n", "k.scr").ok);
  ASSERT_TRUE(drawhost::runScriptText("EV\nenter\nEV\n2,3\n", "k.scr").ok);
  EXPECT_EQ(gAnswer, "5100:3:point");
  ASSERT_TRUE(drawhost::runScriptText("EV\nenter\n", "k.scr").ok);
  EXPECT_EQ(gAnswer, "5100:2:13");
  ASSERT_TRUE(drawhost::runScriptText("EV\nesc\n", "k.scr").ok);
  EXPECT_EQ(gAnswer.substr(0, 6), "-5002:");
}

TEST_F(RuntimeTest, RegistryHoldsTheThreeServices) {
  AcRxDictionary* reg = acrxSysRegistry();
  EXPECT_NE(AcRxDynamicLinker::cast(reg->at("DynamicLinker")), nullptr);
  EXPECT_NE(AcEdCommandStack::cast(reg->at("ACAD_REGISTERED_COMMANDS")), nullptr);
  EXPECT_NE(AcRxDictionary::cast(reg->at("ClassDictionary")), nullptr);
  EXPECT_EQ(reg->at("NoSuchService"), nullptr);
  // A service of the wrong class does not pass a checked cast.
  EXPECT_EQ(AcEdCommandStack::cast(reg->at("DynamicLinker")), nullptr);
}

TEST_F(RuntimeTest, RuntimeClassesAnswerIsKindOf) {
  AcDbAttribute att;
  EXPECT_TRUE(att.isKindOf(AcDbText::desc()));
  EXPECT_TRUE(att.isKindOf(AcDbEntity::desc()));
  EXPECT_FALSE(att.isKindOf(AcDbCurve::desc()));
  EXPECT_EQ(att.isA(), AcDbAttribute::desc());
  EXPECT_STREQ(AcDbLine::desc()->name(), "AcDbLine");
  EXPECT_EQ(AcDbLine::desc()->myParent(), AcDbCurve::desc());
  EXPECT_EQ(AcDbText::cast(&att), &att);
  EXPECT_EQ(AcDbLine::cast(&att), nullptr);
  EXPECT_EQ(AcDbLine::cast(nullptr), nullptr);
  EXPECT_EQ(acrxClassDictionary()->at("AcDbLine"), AcDbLine::desc());
}

TEST_F(RuntimeTest, CustomClassesComeAndGo) {
  AcRxClass* mine = newAcRxClass("CMyThing", "AcDbEntity");
  ASSERT_NE(mine, nullptr);
  EXPECT_TRUE(mine->isDerivedFrom(AcDbObject::desc()));
  EXPECT_EQ(newAcRxClass("CMyThing", "AcDbEntity"), nullptr);  // taken
  EXPECT_EQ(newAcRxClass("COrphan", "NoSuchParent"), nullptr);
  deleteAcRxClass(mine);
  EXPECT_EQ(acrxClassDictionary()->at("CMyThing"), nullptr);
  deleteAcRxClass(AcDbLine::desc());  // the host's own classes stay
  EXPECT_EQ(acrxClassDictionary()->at("AcDbLine"), AcDbLine::desc());
}

TEST_F(RuntimeTest, CommandStackAddLookupRemove) {
  AcEdCommandStack* stack = acedRegCmds();
  ASSERT_EQ(stack->addCommand("T1", "_GO", "GO", 1, countCall), AcDb::kOk);
  EXPECT_EQ(stack->addCommand("T1", "_GO", "OTHER", 1, countCall), AcDb::kDuplicateKey);
  EXPECT_EQ(stack->addCommand("T1", "_X", "go", 1, countCall), AcDb::kDuplicateKey);
  EXPECT_EQ(stack->addCommand("T1", "_Y", "Y", 1, nullptr), AcDb::kInvalidInput);
  ASSERT_EQ(stack->addCommand("T2", "_LOCAL", "GO2", 1, countCall), AcDb::kOk);
  ASSERT_EQ(stack->addCommand("T2", "_GO", "GO", 1, askPoint), AcDb::kOk);  // other group
  // The later group wins; "_" asks for global names only.
  EXPECT_STREQ(stack->lookupCmd("go")->groupName(), "T2");
  EXPECT_EQ(stack->lookupCmd("_GO2"), nullptr);
  EXPECT_STREQ(stack->lookupCmd("_local")->localName(), "GO2");
  EXPECT_EQ(stack->removeCmd("T2", "_GO"), AcDb::kOk);
  EXPECT_STREQ(stack->lookupCmd("GO")->groupName(), "T1");
  EXPECT_EQ(stack->removeCmd("T2", "_GO"), AcDb::kKeyNotFound);
  EXPECT_EQ(stack->removeGroup("T1"), AcDb::kOk);
  EXPECT_EQ(stack->lookupCmd("GO"), nullptr);
  EXPECT_EQ(stack->removeGroup("T1"), AcDb::kKeyNotFound);
  gCalls = 0;
  ASSERT_TRUE(drawhost::runScriptText("go2\n_LOCAL\n", "c.scr").ok);
  EXPECT_EQ(gCalls, 2);
}

TEST_F(RuntimeTest, CommandRemovedWhileRunningIsSafe) {
  static auto removeSelf = [] { acedRegCmds()->removeGroup("T1"); };
  acedRegCmds()->addCommand("T1", "_SELF", "SELF", 1, [] { removeSelf(); });
  EXPECT_TRUE(drawhost::runScriptText("SELF\n", "r.scr").ok);
  EXPECT_EQ(acedRegCmds()->lookupCmd("SELF"), nullptr);
}

TEST_F(RuntimeTest, ScriptErrorInsideACommandCancelsItsPrompts) {
  acedRegCmds()->addCommand("T1", "_ASK", "ASK", 1, askPoint);
  auto r = drawhost::runScriptText("ASK\nfence 0,0 1,1\nASK\n", "e.scr");
  EXPECT_EQ(r.error,
            "e.scr:2: expected a point, pick, enter or esc at prompt \"Where: \", got "
            "\"fence 0,0 1,1\"");
  // The second ASK never ran.
  EXPECT_EQ(drawhost::transcript().find("Command: ASK", 10), std::string::npos);
}

TEST_F(RuntimeTest, InteractiveInputReadsLineByLine) {
  acedRegCmds()->addCommand("T1", "_ASK", "ASK", 1, askPoint);
  std::istringstream in("ASK\n3,4\n");
  std::string seen;
  drawhost::setTranscriptSink([&](std::string_view gbk) { seen.append(gbk); });
  ASSERT_TRUE(drawhost::runInteractive(in, "stdin").ok);
  // No echo of what was typed: the terminal shows it.
  EXPECT_EQ(seen, "\nCommand: \nWhere: \nCommand: ");
  EXPECT_TRUE(drawhost::transcript().empty());
}

TEST_F(RuntimeTest, DocumentsLocksReactorsAndResources) {
  struct Reactor : AcApDocManagerReactor {
    int created = 0, destroyed = 0;
    void documentCreated(AcApDocument*) override { ++created; }
    void documentToBeDestroyed(AcApDocument*) override { ++destroyed; }
  } reactor;
  acDocManagerPtr()->addReactor(&reactor);
  AcApDocument* doc = drawhost::newDocument();
  drawhost::closeDocument(doc);
  acDocManagerPtr()->removeReactor(&reactor);
  drawhost::closeDocument(drawhost::newDocument());
  EXPECT_EQ(reactor.created, 1);
  EXPECT_EQ(reactor.destroyed, 1);

  AcApDocManager* dm = acDocManagerPtr();
  EXPECT_EQ(dm->lockDocument(doc_, AcAp::kWrite), AcDb::kOk);
  EXPECT_EQ(doc_->myLockMode(), AcAp::kWrite);
  EXPECT_EQ(dm->unlockDocument(doc_), AcDb::kOk);
  EXPECT_EQ(dm->unlockDocument(doc_), AcDb::kNotApplicable);
  EXPECT_EQ(dm->lockDocument(doc, AcAp::kWrite), AcDb::kInvalidInput);  // closed

  int a, b;
  dm->pushResourceHandle(reinterpret_cast<HINSTANCE>(&a));
  dm->pushResourceHandle(reinterpret_cast<HINSTANCE>(&b));
  EXPECT_EQ(dm->popResourceHandle(), reinterpret_cast<HINSTANCE>(&b));
  EXPECT_EQ(dm->curResourceHandle(), reinterpret_cast<HINSTANCE>(&a));
  dm->popResourceHandle();
  EXPECT_EQ(dm->popResourceHandle(), nullptr);

  doc_->transactionManager()->flushGraphics();
  acedUpdateDisplay();
  EXPECT_EQ(drawhost::displayCounters().flushes, 1);
  EXPECT_EQ(drawhost::displayCounters().updates, 1);
}

TEST_F(RuntimeTest, DocumentsKeepTheirOwnDrawings) {
  addLine(0, 0, 1, 0);
  AcDbDatabase* first = db();
  AcApDocument* second = drawhost::newDocument();
  EXPECT_NE(db(), first);
  AcEdName ss;
  EXPECT_EQ(acedSSGet("A", nullptr, nullptr, nullptr, ss), AcEd::kError);
  drawhost::setCurrentDocument(doc_);
  EXPECT_EQ(db(), first);
  ASSERT_EQ(acedSSGet("A", nullptr, nullptr, nullptr, ss), AcEd::kNormal);
  // Closing a drawing drops its entities from sets still held.
  AcEdName held;
  drawhost::setCurrentDocument(second);
  addLine(0, 0, 1, 0);
  ASSERT_EQ(acedSSGet("A", nullptr, nullptr, nullptr, held), AcEd::kNormal);
  drawhost::closeDocument(second);
  std::int32_t n = -1;
  ASSERT_EQ(acedSSLength(held, &n), AcEd::kNormal);
  EXPECT_EQ(n, 0);
  acedSSFree(held);
  acedSSFree(ss);
}

TEST_F(RuntimeTest, SystemVariables) {
  AcEdResBuf rb;
  ASSERT_EQ(acedGetVar("osmode", &rb), AcEd::kNormal);
  EXPECT_EQ(rb.type, AcEd::kRtShort);
  EXPECT_EQ(rb.value.shortValue, 35);
  AcEdResBuf value;
  value.type = AcEd::kRtShort;
  value.value.shortValue = 0;
  ASSERT_EQ(acedSetVar("OSMODE", &value), AcEd::kNormal);
  int osmode = -1;
  drawhost::getIntVar("OSMODE", osmode);
  EXPECT_EQ(osmode, 0);
  value.type = AcEd::kRtString;
  value.value.string = nullptr;
  EXPECT_EQ(acedSetVar("OSMODE", &value), AcEd::kError);
  EXPECT_EQ(acedGetVar("NOSUCHVAR", &rb), AcEd::kError);
  // CLAYER follows the working database and refuses what setClayer refuses.
  addLayer("WALL");
  char name[] = "wall";
  value.type = AcEd::kRtString;
  value.value.string = name;
  ASSERT_EQ(acedSetVar("CLAYER", &value), AcEd::kNormal);
  ASSERT_EQ(acedGetVar("CLAYER", &rb), AcEd::kNormal);
  EXPECT_STREQ(rb.value.string, "WALL");
  std::free(rb.value.string);
}

TEST_F(RuntimeTest, HostCommands) {
  EXPECT_EQ(acedCommand(AcEd::kRtString, "REGEN", AcEd::kRtString, "", 0), AcEd::kNormal);
  EXPECT_EQ(drawhost::displayCounters().regens, 1);
  EXPECT_EQ(acedCommand(AcEd::kRtString, "NOSUCH", 0), AcEd::kError);
  AcEdName bogus = {5, 5};
  EXPECT_EQ(acedCommand(AcEd::kRtString, "select", AcEd::kRtPickSet, bogus, AcEd::kRtString, "", 0),
            AcEd::kError);
  EXPECT_EQ(acedCommand(0), AcEd::kNormal);
}

TEST_F(RuntimeTest, OutputFunctions) {
  acutPrintf("%3d|%s", 1, "\xB7\xBF");
  acedAlert("careful");
  EXPECT_EQ(drawhost::transcript(), "  1|\xB7\xBF\nAlert: careful");
  std::string big(2000, 'x');
  drawhost::clearTranscript();
  acutPrintf("%s", big.c_str());
  EXPECT_EQ(drawhost::transcript(), big);
  char buf[1100];
  EXPECT_EQ(wsprintfA(buf, "%s", big.c_str()), 1023);
  EXPECT_EQ(std::string(buf).size(), 1023u);
  EXPECT_EQ(MessageBoxA(nullptr, "box", "caption", MB_YESNO), IDYES);
  EXPECT_EQ(drawhost::messageBoxLog().back(), "box");
}

TEST_F(RuntimeTest, EncodingAtTheBorders) {
  const std::string utf8 = "\xE8\xBF\x87\xE6\xBB\xA4\xE5\x88\x86\xE5\xB1\x82";  // 过滤分层
  const std::string gbk = "\xB9\xFD\xC2\xCB\xB7\xD6\xB2\xE3";
  EXPECT_EQ(drawhost::utf8ToGbk(utf8), gbk);
  EXPECT_EQ(drawhost::gbkToUtf8(gbk), utf8);
  EXPECT_EQ(drawhost::utf8ToGbk("plain"), "plain");
  // One policy at every border: nothing undecodable goes out, nothing is lost coming in.
  EXPECT_EQ(drawhost::gbkToUtf8("\xB9"), "\xEF\xBF\xBD");  // a lone lead byte: U+FFFD
  EXPECT_EQ(drawhost::utf8ToGbk("\xF0\x9F\x98\x80"), "\\U+D83D\\U+DE00");  // U+1F600
}

}  // namespace
}  // namespace hosttest
