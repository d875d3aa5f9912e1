// KVShapewright's command table: fifteen commands in group KVShapewright, in
// table order, registered at load and removed at unload; the reserved ones
// print nothing and change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"

namespace {

std::vector<drawhost::CommandInfo> groupCommands() {
  std::vector<drawhost::CommandInfo> out;
  for (const auto& c : drawhost::registeredCommands())
    if (c.group == "KVShapewright") out.push_back(c);
  return out;
}

TEST(CommandTable, FifteenCommandsInTableOrder) {
  drawhost::reset();
  drawhost::newDocument();
  ASSERT_TRUE(drawhost::loadPlugin(KVSHAPEWRIGHT_PLUGIN).ok);
  std::vector<std::string> expected;
  for (int n = 15; n >= 4; --n) expected.push_back("MyCommand" + std::to_string(n));
  expected.insert(expected.end(), {"KVBeamLinesCutout", "KVRegion", "KVJoin2Lines"});
  std::vector<drawhost::CommandInfo> commands = groupCommands();
  ASSERT_EQ(commands.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(commands[i].localName, expected[i]);
    EXPECT_EQ(commands[i].globalName, "_" + expected[i]);
    EXPECT_EQ(commands[i].flags, 1);
  }
  ASSERT_TRUE(drawhost::unloadPlugin(KVSHAPEWRIGHT_PLUGIN).ok);
  EXPECT_TRUE(groupCommands().empty());
  drawhost::reset();
}

TEST(CommandTable, ReservedCommandsDoNothing) {
  drawhost::reset();
  AcApDocument* doc = drawhost::newDocument();
  ASSERT_TRUE(drawhost::loadPlugin(KVSHAPEWRIGHT_PLUGIN).ok);
  AcDbDatabase* db = drawhost::database(doc);
  const std::uint64_t changes = db->modificationCount();
  for (const char* name : {"MyCommand15", "MyCommand4", "_MyCommand9", "MyCommand12"}) {
    drawhost::clearTranscript();
    ASSERT_TRUE(drawhost::runScriptText(std::string(name) + "\n").ok) << name;
    EXPECT_EQ(drawhost::transcript(), std::string("\nCommand: ") + name) << name;
  }
  EXPECT_EQ(db->modificationCount(), changes);
  drawhost::reset();
}

}  // namespace
