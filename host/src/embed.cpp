// The embedding API (namespace drawhost) over the host's internals, and
// the text conversions at the host's borders.
#include <iconv.h>

#include <cerrno>
#include <fstream>
#include <istream>
#include <sstream>

#include "internal.h"
#include "script.h"

namespace hostimpl {
drawhost::Result loadPluginImpl(const std::string& path);
drawhost::Result unloadPluginImpl(const std::string& name, bool force);
std::vector<std::string> pluginPaths();
std::vector<Module*> loadedModules();
void sendDocumentMessage(AcRx::AppMsgCode msg, AcApDocument* doc);
void setDocFileName(AcApDocument* doc, const std::string& name);

namespace {
std::string convert(std::string_view in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[256];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, dst - buf);
    if (rc == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Invalid or incomplete sequence: one '?' for the offending byte.
      out += '?';
      ++src;
      --srcLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* dst = buf;
  size_t dstLeft = sizeof buf;
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(buf, dst - buf);
  iconv_close(cd);
  return out;
}

bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

class StreamSource : public ScriptSource {
 public:
  StreamSource(std::istream& in, std::string sourceName) : in_(in) {
    name = std::move(sourceName);
    interactive = true;
  }
  bool nextLine(std::string& out) override {
    if (!std::getline(in_, out)) return false;
    if (!out.empty() && out.back() == '\r') out.pop_back();
    ++line;
    return true;
  }

 private:
  std::istream& in_;
};
}  // namespace

std::string toGbk(std::string_view utf8) {
  return isAscii(utf8) ? std::string(utf8) : convert(utf8, "GBK", "UTF-8");
}
std::string toUtf8(std::string_view gbk) {
  return isAscii(gbk) ? std::string(gbk) : convert(gbk, "UTF-8", "GBK");
}

}  // namespace hostimpl

namespace drawhost {

AcApDocument* newDocument(const std::string& fileName) {
  AcApDocument* doc = hostimpl::createDocument(fileName);
  hostimpl::notifyDocumentCreated(doc);
  hostimpl::sendDocumentMessage(AcRx::kLoadDwgMsg, doc);
  return doc;
}

Result closeDocument(AcApDocument* doc) {
  auto& docs = hostimpl::documentList();
  if (std::find(docs.begin(), docs.end(), doc) == docs.end())
    return Result::failure("no such document");
  if (hostimpl::runningCommand()) return Result::failure("a command is running");
  hostimpl::sendDocumentMessage(AcRx::kUnloadDwgMsg, doc);
  hostimpl::notifyDocumentToBeDestroyed(doc);
  hostimpl::destroyDocument(doc);
  return Result::success();
}

AcApDocument* currentDocument() { return hostimpl::currentDocument(); }

Result setCurrentDocument(AcApDocument* doc) {
  if (acDocManagerPtr()->setCurDocument(doc) != AcDb::kOk)
    return Result::failure("no such document");
  return Result::success();
}

std::vector<AcApDocument*> documents() { return hostimpl::documentList(); }
AcDbDatabase* database(AcApDocument* doc) { return doc ? doc->database() : nullptr; }

void setDocumentFileName(AcApDocument* doc, const std::string& fileName) {
  if (doc) hostimpl::setDocFileName(doc, fileName);
}

Result loadPlugin(const std::string& path) { return hostimpl::loadPluginImpl(path); }
Result unloadPlugin(const std::string& name, bool force) {
  return hostimpl::unloadPluginImpl(name, force);
}
std::vector<std::string> loadedPlugins() { return hostimpl::pluginPaths(); }

void reset() {
  std::vector<std::string> plugins = hostimpl::pluginPaths();
  for (auto it = plugins.rbegin(); it != plugins.rend(); ++it) hostimpl::unloadPluginImpl(*it, true);
  while (!hostimpl::documentList().empty()) closeDocument(hostimpl::documentList().back());
  hostimpl::resetEditor();
}

std::vector<CommandInfo> registeredCommands() { return hostimpl::commandList(); }
Result runCommand(const std::string& name) { return hostimpl::runCommandByName(name); }

Result runScriptFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Result::failure("cannot open script " + path);
  std::stringstream text;
  text << in.rdbuf();
  if (in.bad()) return Result::failure("cannot read script " + path);
  hostimpl::TextSource src(text.str(), path);
  return hostimpl::runSource(src);
}

Result runScriptText(const std::string& text, const std::string& name) {
  hostimpl::TextSource src(text, name);
  return hostimpl::runSource(src);
}

Result runInteractive(std::istream& in, const std::string& name) {
  hostimpl::StreamSource src(in, name);
  return hostimpl::runSource(src);
}

void setTranscriptSink(TranscriptSink sink) { hostimpl::setSink(std::move(sink)); }
std::string transcript() { return hostimpl::transcriptBuffer(); }
void clearTranscript() { hostimpl::transcriptBuffer().clear(); }
std::vector<std::string> messageBoxLog() { return hostimpl::messageLog(); }
void clearMessageBoxLog() { hostimpl::messageLog().clear(); }
void setPromptObserver(PromptObserver observer) {
  hostimpl::setPromptObserverImpl(std::move(observer));
}
DisplayCounters displayCounters() { return hostimpl::counters(); }

bool getIntVar(const std::string& name, int& value) {
  int* slot;
  if (!hostimpl::intVar(name, slot)) return false;
  value = *slot;
  return true;
}

bool setIntVar(const std::string& name, int value) {
  int* slot;
  if (!hostimpl::intVar(name, slot)) return false;
  *slot = value;
  return true;
}

std::string utf8ToGbk(std::string_view utf8) { return hostimpl::toGbk(utf8); }
std::string gbkToUtf8(std::string_view gbk) { return hostimpl::toUtf8(gbk); }

void setProgramPath(const std::string& path) {
  hostimpl::hostModule()->path = path;
  size_t slash = path.find_last_of('/');
  hostimpl::hostModule()->fileName = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace drawhost
