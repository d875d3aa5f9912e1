// Directory of a module file name and the bounded tooltip append.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BarwispSupport.h"

namespace {

TEST(DirectoryOf, KeepsEverythingUpToTheLastSeparatorOfEitherKind) {
  struct Case {
    const char* file;
    const char* directory;
  } cases[] = {
      {"C:\\cad\\plugins\\KVBarwisp.arx", "C:\\cad\\plugins\\"},
      {"/opt/cad/plugins/KVBarwisp.arx", "/opt/cad/plugins/"},
      {"/opt/cad\\mixed/KVBarwisp.arx", "/opt/cad\\mixed/"},
      {"C:/cad\\KVBarwisp.arx", "C:/cad\\"},
      {"/KVBarwisp.arx", "/"},
      {"/opt/dir/", "/opt/dir/"},
      {"KVBarwisp.arx", "./"},
      {"", "./"},
  };
  for (const Case& c : cases) EXPECT_EQ(barwisp::directoryOf(c.file), c.directory) << c.file;
}

std::string appended(std::size_t capacity, const std::string& start, const std::string& text) {
  std::string buf(capacity + 8, 'X');  // guard bytes past the capacity
  std::memcpy(buf.data(), start.c_str(), start.size() + 1);
  std::size_t length = barwisp::appendBounded(buf.data(), capacity, text.c_str());
  EXPECT_EQ(length, std::strlen(buf.c_str()));
  EXPECT_EQ(buf.substr(capacity), std::string(8, 'X')) << "wrote past the buffer";
  return buf.c_str();
}

TEST(AppendBounded, AppendsWhatFitsAndCutsTheRestAtTheBufferEnd) {
  EXPECT_EQ(appended(16, "", "abc"), "abc");
  EXPECT_EQ(appended(16, "abc", "def"), "abcdef");
  EXPECT_EQ(appended(8, "", "1234567"), "1234567");      // exactly capacity - 1
  EXPECT_EQ(appended(8, "", "123456789"), "1234567");    // cut
  EXPECT_EQ(appended(8, "1234567", "more"), "1234567");  // already full
  EXPECT_EQ(appended(1024, "", std::string(5000, 'a')), std::string(1023, 'a'));
}

TEST(AppendBounded, NeverSplitsADoubleByteCharacter) {
  const std::string area = "\xc3\xe6\xbb\xfd";  // two GBK characters
  EXPECT_EQ(appended(6, "", area), area);          // 4 bytes fit in 5
  EXPECT_EQ(appended(5, "", area), area);          // 4 bytes fit in 4
  EXPECT_EQ(appended(4, "", area), "\xc3\xe6");    // the second would be split
  EXPECT_EQ(appended(4, "a", area), "a\xc3\xe6");
  EXPECT_EQ(appended(4, "ab", area), "ab");
  // A lead byte at the very end of the text has no trail: copied alone.
  EXPECT_EQ(appended(8, "", "ab\xc3"), "ab\xc3");
}

}  // namespace
