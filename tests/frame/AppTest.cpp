// The application object against the host's registries: what message 1
// registers, what message 2 removes, the function table's indexes and the
// class table's order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawhost/host.h"
#include "frame/ArxApp.h"

namespace {

std::vector<std::string> calls;
void cmdA() { calls.push_back("A"); }
void cmdB() { calls.push_back("B"); }
void cmdC() { calls.push_back("C"); }
int fnOne() { calls.push_back("one"); return 0; }
int fnTwo() { calls.push_back("two"); return 0; }

HINSTANCE fakeModule() {
  static int module;
  return reinterpret_cast<HINSTANCE>(&module);
}

const CommandEntry kCommands[] = {
    {},  // empty slots anywhere are skipped
    {"FRAMETEST", "_CMDA", "CMDA", 1, cmdA, nullptr, 0},
    {"FRAMETEST", nullptr, "NOGLOBAL", 1, cmdC, nullptr, 0},
    {"FRAMETEST", "_CMDB", "CMDB", 1 | AcEdCommandFlags::kNoResourceModule, cmdB, nullptr, 0},
    {"FRAMETEST", "_CMDA", "CMDA2", 1, cmdC, nullptr, 0},  // refused: duplicate global name
    {"FRAMETEST", "_CMDC", "CMDC", 1, cmdC, nullptr, 0},
    {},
};

const LispFunctionEntry kFunctions[] = {
    {nullptr, nullptr, false},
    {"fn-one", fnOne, true},
    {"fn-empty", nullptr, true},
    {"fn-two", fnTwo, false},
};

struct AppTest : ::testing::Test {
  void SetUp() override {
    drawhost::reset();
    calls.clear();
  }
  void TearDown() override { drawhost::reset(); }
  static AcEdCommandStack* stack() { return acedRegCmds(); }
};

TEST_F(AppTest, MessagesWithoutAHandlerOfTheirOwnSucceedAndDoNothing) {
  AcRxArxApp app(kCommands);
  const int before = stack()->numCommands();
  for (int code : {0, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 99, -1}) {
    EXPECT_EQ(app.dispatchMessage(static_cast<AcRx::AppMsgCode>(code), nullptr), AcRx::kRetOK)
        << code;
  }
  EXPECT_EQ(stack()->numCommands(), before);
  EXPECT_TRUE(calls.empty());
}

TEST_F(AppTest, InitialiseRegistersEveryNonEmptyRowAndUnloadRemovesThem) {
  AcRxArxApp app(kCommands);
  app.processAttachDetach(fakeModule(), DLL_PROCESS_ATTACH);
  EXPECT_EQ(app.moduleHandle(), fakeModule());
  stack()->addCommand("FRAMETEST", "_OTHER", "OTHER", 1, cmdC);

  EXPECT_EQ(app.dispatchMessage(AcRx::kInitAppMsg, fakeModule()), AcRx::kRetOK);
  AcEdCommand* a = stack()->lookupGlobalCmd("_CMDA");
  AcEdCommand* b = stack()->lookupGlobalCmd("_CMDB");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(stack()->lookupGlobalCmd("_CMDC"), nullptr) << "rows after a refused one still run";
  EXPECT_EQ(stack()->lookupLocalCmd("NOGLOBAL"), nullptr);
  EXPECT_STREQ(a->localName(), "CMDA");
  EXPECT_STREQ(a->groupName(), "FRAMETEST");
  EXPECT_EQ(a->commandFlags(), 1);
  EXPECT_EQ(a->functionCode(), -1);
  EXPECT_EQ(a->resourceHandle(), fakeModule());
  EXPECT_EQ(b->resourceHandle(), nullptr) << "no resource module for 0x200000";
  a->functionAddr()();
  EXPECT_EQ(calls, std::vector<std::string>{"A"});

  EXPECT_EQ(app.dispatchMessage(AcRx::kUnloadAppMsg, fakeModule()), AcRx::kRetOK);
  EXPECT_EQ(stack()->lookupGlobalCmd("_CMDA"), nullptr);
  EXPECT_EQ(stack()->lookupGlobalCmd("_CMDB"), nullptr);
  EXPECT_EQ(stack()->lookupGlobalCmd("_CMDC"), nullptr);
  EXPECT_NE(stack()->lookupGlobalCmd("_OTHER"), nullptr) << "only the table's commands go";
  EXPECT_EQ(app.processAttachDetach(fakeModule(), DLL_PROCESS_DETACH), TRUE);
}

TEST_F(AppTest, FunctionIndexesCountNonEmptyRowsOnly) {
  AcRxArxApp app(kCommands, kFunctions);
  EXPECT_EQ(app.dispatchMessage(AcRx::kLoadDwgMsg, nullptr), AcRx::kRetOK);
  // acedUndef succeeds only for a (name, index) pair that is defined.
  EXPECT_EQ(acedUndef("fn-two", 1), AcEd::kNormal);
  EXPECT_EQ(acedUndef("fn-one", 0), AcEd::kNormal);
  EXPECT_EQ(acedUndef("fn-empty", 1), AcEd::kError);

  app.dispatchMessage(AcRx::kLoadDwgMsg, nullptr);
  app.dispatchMessage(AcRx::kUnloadDwgMsg, nullptr);
  EXPECT_EQ(acedUndef("fn-one", 0), AcEd::kError) << "undefined by the drawing-unloaded message";
  EXPECT_EQ(acedUndef("fn-two", 1), AcEd::kError);

  // Outside an invocation the host passes no index: nothing is called.
  app.dispatchMessage(AcRx::kInvkSubrMsg, nullptr);
  EXPECT_TRUE(calls.empty());
}

// --- the class table ---------------------------------------------------

AcRxClass* baseClass = nullptr;
AcRxClass* derivedClass = nullptr;
AcRxClass* baseDesc() { return baseClass; }
AcRxClass* derivedDesc() { return derivedClass; }
void initBase() { baseClass = newAcRxClass("FrameTestBase", "AcRxObject"); }
void initDerived() { derivedClass = newAcRxClass("FrameTestDerived", "FrameTestBase"); }

TEST_F(AppTest, ClassesAreRegisteredInTableOrderAndDeletedChildrenFirst) {
  ClassEntry classes[] = {
      {baseDesc, initBase, false},
      {},
      {derivedDesc, initDerived, false},
  };
  AcRxArxApp app({}, {}, classes);
  app.dispatchMessage(AcRx::kInitAppMsg, fakeModule());
  EXPECT_TRUE(classes[0].registered);
  EXPECT_FALSE(classes[1].registered);
  EXPECT_TRUE(classes[2].registered);
  ASSERT_NE(derivedClass, nullptr);
  EXPECT_EQ(derivedClass->myParent(), baseClass);
  EXPECT_NE(acrxClassDictionary()->at("FrameTestDerived"), nullptr);

  app.dispatchMessage(AcRx::kUnloadAppMsg, fakeModule());
  EXPECT_FALSE(classes[0].registered);
  EXPECT_FALSE(classes[2].registered);
  EXPECT_EQ(acrxClassDictionary()->at("FrameTestBase"), nullptr);
  EXPECT_EQ(acrxClassDictionary()->at("FrameTestDerived"), nullptr);
}

const CommandEntry kMacroCommands[] = {{"FRAMEMACRO", "_MACRO", "MACRO", 1, cmdA, nullptr, 0}};
AcRxArxApp macroApp(kMacroCommands);

}  // namespace

// What the host looks up in a plug-in; here plain functions of the test.
ARX_IMPLEMENT_ENTRY_POINTS(macroApp)

namespace {

TEST_F(AppTest, EntryPointsForwardToTheApplication) {
  EXPECT_EQ(acrxGetApiVersion(), 0x100000);
  EXPECT_EQ(DllMain(fakeModule(), DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(macroApp.moduleHandle(), fakeModule());
  EXPECT_EQ(acrxEntryPoint(AcRx::kInitAppMsg, fakeModule()), AcRx::kRetOK);
  EXPECT_NE(stack()->lookupGlobalCmd("_MACRO"), nullptr);
  EXPECT_EQ(acrxEntryPoint(AcRx::kUnloadAppMsg, fakeModule()), AcRx::kRetOK);
  EXPECT_EQ(stack()->lookupGlobalCmd("_MACRO"), nullptr);
  EXPECT_EQ(DllMain(fakeModule(), DLL_PROCESS_DETACH, nullptr), TRUE);
}

}  // namespace
