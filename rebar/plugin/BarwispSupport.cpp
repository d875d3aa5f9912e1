// Locating the settings file and filling the tooltip buffer.
//
// The settings file lies beside the plug-in: the host is asked for the file
// name of the loaded module "kvbarwisp.arx" (by file name, without regard
// to case) and the file name's directory is kept. When that module is not
// loaded the host answers with its own program file, so the file is then
// looked for beside the host program. Both separators count, since paths on
// this platform use '/'.
#include "BarwispSupport.h"

#include <cstring>
#include <vector>

#include "hostapi/winshim.h"

namespace barwisp {

std::string directoryOf(const char* moduleFileName) {
  const char* end = nullptr;
  for (const char* p = moduleFileName; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') end = p + 1;
  }
  if (end == nullptr) return "./";
  return std::string(moduleFileName, end);
}

std::string moduleFileName(const char* moduleName) {
  HMODULE module = GetModuleHandleA(moduleName);
  // A result that fills the buffer may have been cut: read again with more room.
  for (DWORD size = 256; size <= 65536; size *= 4) {
    std::vector<char> buf(size, '\0');
    DWORD length = GetModuleFileNameA(module, buf.data(), size);
    if (length == 0) return {};
    if (length < size) return std::string(buf.data(), length);
  }
  return {};
}

std::string configFilePath(const char* moduleName, const char* configFileName) {
  std::string file = moduleFileName(moduleName);
  std::string directory = file.empty() ? std::string("./") : directoryOf(file.c_str());
  return directory + configFileName;
}

namespace {

bool isGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xfe; }

}  // namespace

std::size_t appendBounded(char* buf, std::size_t capacity, const char* text) {
  std::size_t length = std::strlen(buf);
  if (capacity == 0) return 0;
  std::size_t room = capacity - 1 - length;
  std::size_t i = 0;
  while (text[i] != '\0') {
    std::size_t width = (isGbkLeadByte(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0') ? 2 : 1;
    if (width > room) break;
    std::memcpy(buf + length, text + i, width);
    length += width;
    room -= width;
    i += width;
  }
  buf[length] = '\0';
  return length;
}

}  // namespace barwisp
