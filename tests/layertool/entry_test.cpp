// Loading and unloading the layer tool: its command table as the host sees it.
#include <dlfcn.h>

#include <vector>

#include "layertool_fixture.h"

namespace layertool_test {
namespace {

std::vector<drawhost::CommandInfo> commandsOfGroup(const std::string& group) {
  std::vector<drawhost::CommandInfo> found;
  for (const drawhost::CommandInfo& command : drawhost::registeredCommands())
    if (command.group == group) found.push_back(command);
  return found;
}

using EntryTest = LayerToolTest;

TEST_F(EntryTest, RegistersTheEighteenCommandsInTableOrder) {
  const char* const expected[] = {
      "DISPART_LAYER",    "OFF_LAYER",          "FROZEN_LAYER",       "DISP_LAYER",
      "LAYER_ACTIVE",     "LAYER_LOCKED",       "LAYER_UNLOCKED",     "DISP_LAYER_ALL",
      "UNLOCK_LAYER_ALL", "MULTI_LAYER_EDIT",   "ENTITY_HIDE",        "ENTITY_UNHIDE",
      "CHANGE_TO_LAYER",  "CHANGE_TO_CLAYER",   "SAVE_LAYER_STATE",   "RESTORE_LAYER_STATE",
      "UNFROZEN_LAYER_ALL", "LAYER_CLEAR"};
  const std::vector<drawhost::CommandInfo> commands = commandsOfGroup("PN");
  ASSERT_EQ(commands.size(), std::size(expected));
  for (std::size_t i = 0; i < commands.size(); ++i) {
    SCOPED_TRACE(expected[i]);
    EXPECT_EQ(commands[i].globalName, expected[i]);
    EXPECT_EQ(commands[i].localName, expected[i]);
    const int flags = commands[i].globalName == "UNFROZEN_LAYER_ALL" ? 7 : 3;
    EXPECT_EQ(commands[i].flags, flags);
  }
}

TEST_F(EntryTest, UnloadRemovesTheWholeGroupAndReloadRestoresIt) {
  // Drawing messages in between leave the table alone.
  AcApDocument* second = drawhost::newDocument("second.dwg");
  ASSERT_TRUE(drawhost::closeDocument(second).ok);
  EXPECT_EQ(commandsOfGroup("PN").size(), 18u);

  const drawhost::Result unloaded = drawhost::unloadPlugin(PLUGIN_PATH);
  ASSERT_TRUE(unloaded.ok) << unloaded.error;
  EXPECT_TRUE(commandsOfGroup("PN").empty());
  EXPECT_FALSE(drawhost::runScriptText("OFF_LAYER\n", "gone.scr").ok);

  const drawhost::Result reloaded = drawhost::loadPlugin(PLUGIN_PATH);
  ASSERT_TRUE(reloaded.ok) << reloaded.error;
  EXPECT_EQ(commandsOfGroup("PN").size(), 18u);
}

TEST_F(EntryTest, UnrelatedMessagesAreAnsweredWithSuccess) {
  void* library = dlopen(PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  auto entry = reinterpret_cast<AcRxEntryPointFunc>(dlsym(library, "acrxEntryPoint"));
  auto version = reinterpret_cast<AcRxGetApiVersionFunc>(dlsym(library, "acrxGetApiVersion"));
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version(), AcRx::kApiVersion);
  for (int message : {0, 3, 4, 5, 6, 9, 12, 15, 16, 99, -1})
    EXPECT_EQ(entry(static_cast<AcRx::AppMsgCode>(message), nullptr), AcRx::kRetOK);
  EXPECT_EQ(commandsOfGroup("PN").size(), 18u);
  dlclose(library);
}

TEST_F(EntryTest, LayerSplitFindsItsTemplateInThePluginsOwnResources) {
  const std::string out = run("DISPART_LAYER\ncancel\n");
  EXPECT_TRUE(contains(out, "Command: DISPART_LAYER\n  0\nDialog \"过滤分层\" 164 x 146:")) << out;
  EXPECT_EQ(acDocManagerPtr()->curResourceHandle(), nullptr);  // popped again
  EXPECT_EQ(offLayers(), "");
}

}  // namespace
}  // namespace layertool_test
