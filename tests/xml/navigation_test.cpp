// Navigation, name matching, loading files, and reading the rebar settings
// file the way the plug-in does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "XmlTestSupport.h"

namespace {

class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("xml_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".xml");
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempFile() { std::filesystem::remove(path_); }
  const char* path() const { return path_.c_str(); }

 private:
  std::filesystem::path path_;
};

TEST(Navigation, FindElementSearchesForwardAmongSiblings) {
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText("<r><a>1</a><b>2</b><a>3</a></r>"));
  EXPECT_FALSE(doc.findElement("a"));  // the root level holds only r
  ASSERT_TRUE(doc.findElement("r"));
  ASSERT_TRUE(doc.enterElement());
  ASSERT_TRUE(doc.findElement("b"));
  EXPECT_EQ(doc.elementText(), "2");
  ASSERT_TRUE(doc.findElement("a"));
  EXPECT_EQ(doc.elementText(), "3");
  EXPECT_FALSE(doc.findElement("b"));  // already passed
  EXPECT_EQ(doc.elementText(), "3");   // position unchanged
  EXPECT_FALSE(doc.findElement());
  ASSERT_TRUE(doc.leaveElement());
  EXPECT_EQ(doc.elementName(), "r");
  EXPECT_FALSE(doc.leaveElement());
  doc.rewind();
  ASSERT_TRUE(doc.findElement(""));
  EXPECT_EQ(doc.elementName(), "r");
}

TEST(Navigation, EnterAndLeaveKeepTheChildPosition) {
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText("<r><a><x/></a><b/></r>"));
  EXPECT_FALSE(doc.enterElement());  // no current element yet
  ASSERT_TRUE(doc.findElement());
  ASSERT_TRUE(doc.findChildElement("b"));
  EXPECT_EQ(doc.elementName(), "r");  // the child is found, r stays current
  EXPECT_FALSE(doc.findChildElement("a"));
  ASSERT_TRUE(doc.enterElement());    // b becomes current
  EXPECT_EQ(doc.elementName(), "b");
  ASSERT_TRUE(doc.enterElement());    // into b, which has no children
  EXPECT_EQ(doc.elementName(), "");
  EXPECT_FALSE(doc.findElement());
  EXPECT_FALSE(doc.enterElement());
  ASSERT_TRUE(doc.leaveElement());
  EXPECT_EQ(doc.elementName(), "b");
  ASSERT_TRUE(doc.leaveElement());
  EXPECT_EQ(doc.elementName(), "r");
  ASSERT_TRUE(doc.enterElement());    // b was left as the current child
  EXPECT_EQ(doc.elementName(), "b");
}

TEST(Navigation, FindChildElementStartsAtTheRootLevel) {
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText("<r><a/><b/></r>"));
  ASSERT_TRUE(doc.findChildElement());
  EXPECT_EQ(doc.elementName(), "r");
  ASSERT_TRUE(doc.findChildElement());
  EXPECT_FALSE(doc.findChildElement());
  ASSERT_TRUE(doc.enterElement());
  EXPECT_EQ(doc.elementName(), "b");
}

TEST(Navigation, SearchNamesMayCarryASuffix) {
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText("<r><item/><it/><Item/></r>"));
  const auto finds = [&doc](const char* name) {
    doc.rewind();
    doc.findElement();
    doc.enterElement();
    return doc.findElement(name) ? std::string(doc.elementName()) : std::string("-");
  };
  EXPECT_EQ(finds("it"), "it");
  EXPECT_EQ(finds("ite"), "-");
  EXPECT_EQ(finds("item"), "item");
  EXPECT_EQ(finds("item[2]"), "item");
  EXPECT_EQ(finds("item x=1"), "item");
  EXPECT_EQ(finds("item/"), "item");
  EXPECT_EQ(finds("item="), "item");
  EXPECT_EQ(finds("itemx"), "-");
  EXPECT_EQ(finds("Item"), "Item");
  doc.setFlags(XmlDocument::CaseInsensitiveNames);
  EXPECT_EQ(finds("ITEM"), "item");
}

TEST(Navigation, WorksOnWhatAnIllFormedDocumentIndexed) {
  XmlDocument doc;
  ASSERT_FALSE(doc.parseText("<r><a><x>1</x></a><b>"));
  ASSERT_TRUE(doc.findElement("r"));  // not ended: its children follow it
  EXPECT_FALSE(doc.findChildElement());
  ASSERT_TRUE(doc.findElement("a"));
  ASSERT_TRUE(doc.enterElement());
  ASSERT_TRUE(doc.findElement("x"));
  EXPECT_EQ(doc.elementText(), "1");
}

TEST(Messages, LoadingFiles) {
  XmlDocument doc;
  {
    TempFile file("<a>x</a>");
    EXPECT_TRUE(doc.loadFile(file.path()));
    EXPECT_EQ(doc.message(), "8 bytes");
  }
  {
    TempFile file("");
    EXPECT_FALSE(doc.loadFile(file.path()));
    EXPECT_EQ(doc.message(), "0 bytes, Empty document");
  }
  {
    TempFile file(std::string("\0<a/>", 5));
    EXPECT_FALSE(doc.loadFile(file.path()));
    EXPECT_EQ(doc.message(), "5 bytes, No root element");
  }
  {
    TempFile file("<a><b></a>");
    EXPECT_FALSE(doc.loadFile(file.path()));
    EXPECT_EQ(doc.message(),
              "10 bytes, End tag 'a' at offset 7 does not match start tag 'b' at offset 3");
  }
}

TEST(Messages, AFileThatCannotBeReadKeepsTheDocument) {
  XmlDocument doc;
  ASSERT_TRUE(doc.parseText("<a>kept</a>"));
  EXPECT_FALSE(doc.loadFile("/nonexistent/dir/file.xml"));
  EXPECT_EQ(doc.message(), "No such file or directory");
  EXPECT_FALSE(doc.loadFile(std::filesystem::temp_directory_path().c_str()));
  EXPECT_EQ(doc.message(), "Is a directory");
  EXPECT_FALSE(doc.loadFile(nullptr));
  {
    // Past the reach of 32-bit offsets: refused before anything is read.
    TempFile huge("");
    std::filesystem::resize_file(huge.path(), 3ull << 30);
    EXPECT_FALSE(doc.loadFile(huge.path()));
    EXPECT_EQ(doc.message(), "File too large");
  }
  ASSERT_TRUE(doc.findElement("a"));
  EXPECT_EQ(doc.elementText(), "kept");
}

TEST(Messages, ParseTextStartsAFreshMessage) {
  XmlDocument doc;
  EXPECT_EQ(doc.message(), "Empty document");
  EXPECT_FALSE(doc.parseText("<a/><b/>"));
  EXPECT_EQ(doc.message(), "Root element has sibling");
  EXPECT_TRUE(doc.parseText("<a/>"));
  EXPECT_EQ(doc.message(), "");
}

// The plug-in's settings: the reading order and the conversion it uses.
struct Settings {
  int referenceSpacing = 100;
  int showCandidateBars = 0;
  bool loaded = false;
};

Settings readSettings(const std::string& content) {
  Settings settings;
  TempFile file(content);
  XmlDocument doc;
  settings.loaded = doc.loadFile(file.path());
  if (!settings.loaded) return settings;
  if (!doc.findElement("rsbarea")) return settings;
  doc.enterElement();
  if (!doc.findElement("spacingofstirrup")) return settings;
  settings.referenceSpacing = std::atoi(doc.elementText().c_str());
  if (!doc.findElement("lsbunderarea")) return settings;
  settings.showCandidateBars = std::atoi(doc.elementText().c_str());
  doc.leaveElement();
  return settings;
}

TEST(Settings, ReadInFileOrder) {
  Settings s = readSettings(
      "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<rsbarea>\n"
      "  <spacingofstirrup> 150 </spacingofstirrup>\n  <lsbunderarea>1</lsbunderarea>\n"
      "</rsbarea>\n");
  EXPECT_TRUE(s.loaded);
  EXPECT_EQ(s.referenceSpacing, 150);
  EXPECT_EQ(s.showCandidateBars, 1);

  s = readSettings("<rsbarea><lsbunderarea>1</lsbunderarea>"
                   "<spacingofstirrup>200</spacingofstirrup></rsbarea>");
  EXPECT_EQ(s.referenceSpacing, 200);
  EXPECT_EQ(s.showCandidateBars, 0);

  s = readSettings("<rsbarea><lsbunderarea>1</lsbunderarea></rsbarea>");
  EXPECT_EQ(s.referenceSpacing, 100);
  EXPECT_EQ(s.showCandidateBars, 0);

  s = readSettings("<config><spacingofstirrup>200</spacingofstirrup></config>");
  EXPECT_TRUE(s.loaded);
  EXPECT_EQ(s.referenceSpacing, 100);

  s = readSettings("<rsbarea><spacingofstirrup>abc</spacingofstirrup></rsbarea>");
  EXPECT_EQ(s.referenceSpacing, 0);

  s = readSettings("<rsbarea><spacingofstirrup>200</spacingofstirrup>");
  EXPECT_FALSE(s.loaded);
  EXPECT_EQ(s.referenceSpacing, 100);
}

}  // namespace
