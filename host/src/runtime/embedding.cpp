// The embedding API (namespace drawhost): what the drawhost program and the
// tests use to open drawings, load plug-ins and drive the editor, over the
// host's internals.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <sstream>

#include "db/db.h"
#include "drawhost/io.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace hostimpl {
namespace {
class LineSource : public ScriptSource {
 public:
  LineSource(drawhost::LineReader reader, std::string sourceName, bool atTerminal)
      : reader_(std::move(reader)) {
    name = std::move(sourceName);
    interactive = atTerminal;
  }
  bool nextLine(std::string& out) override {
    if (!reader_(out)) return false;
    if (!out.empty() && out.back() == '\r') out.pop_back();
    ++line;
    return true;
  }

 private:
  drawhost::LineReader reader_;
};

drawhost::LineReader streamReader(std::istream& in) {
  return [&in](std::string& line) { return static_cast<bool>(std::getline(in, line)); };
}
}  // namespace
}  // namespace hostimpl

namespace drawhost {

AcApDocument* newDocument(const std::string& fileName) {
  AcApDocument* doc = hostimpl::createDocument(fileName);
  hostimpl::docState(doc).savedModifications = doc->database()->modificationCount();
  hostimpl::notifyDocumentCreated(doc);
  hostimpl::sendDocumentMessage(AcRx::kLoadDwgMsg, doc);
  return doc;
}

Result openDocument(const std::string& path, std::vector<std::string>* warnings) {
  AcApDocument* previous = hostimpl::currentDocument();
  AcApDocument* doc = hostimpl::createDocument(text::utf8ToGbk(path));
  ReadReport report;
  const Result read = readDxfFile(path, doc->database(), &report);
  if (warnings) *warnings = report.warnings;
  if (!read) {
    hostimpl::destroyDocument(doc);
    if (previous) hostimpl::setCurrent(previous);
    return read;
  }
  hostimpl::DocState& state = hostimpl::docState(doc);
  state.path = path;
  state.lossy = !report.warnings.empty();
  state.savedModifications = doc->database()->modificationCount();
  hostimpl::notifyDocumentCreated(doc);
  hostimpl::sendDocumentMessage(AcRx::kLoadDwgMsg, doc);
  acDocManagerPtr()->setCurDocument(doc);
  return Result::success();
}

void allowSavingOverLossyDrawings(bool allow) { hostimpl::state().saveOverLossy = allow; }
void keepUndoSteps(bool keep) { hostimpl::state().keepUndo = keep; }

Result closeDocument(AcApDocument* doc) {
  auto& docs = hostimpl::documentList();
  if (std::find(docs.begin(), docs.end(), doc) == docs.end())
    return Result::failure("no such document");
  if (hostimpl::runningCommand()) return Result::failure("a command is running");
  hostimpl::closeDocumentNow(doc);
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
  hostimpl::gAppendsLeft = -1;
}

std::vector<CommandInfo> registeredCommands() { return hostimpl::commandList(); }
std::vector<CommandInfo> hostCommands() { return hostimpl::hostCommandList(); }
Result runCommand(const std::string& name) { return hostimpl::runCommandByName(name); }

Result runScriptFile(const std::string& path) {
  // A folder opens as a stream that reads nothing: the script would seem empty.
  struct stat status;
  if (::stat(path.c_str(), &status) != 0)
    return Result::failure("cannot open script " + path + ": " + std::strerror(errno));
  if (S_ISDIR(status.st_mode)) return Result::failure("cannot read script " + path + ": it is a folder");
  if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode) && !S_ISCHR(status.st_mode))
    return Result::failure("cannot read script " + path + ": it is not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) return Result::failure("cannot open script " + path + ": " + std::strerror(errno));
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

Result runInteractive(LineReader readLine, const std::string& name) {
  hostimpl::LineSource src(std::move(readLine), name, true);
  return hostimpl::runSource(src);
}

Result runInteractive(std::istream& in, const std::string& name) {
  return runInteractive(hostimpl::streamReader(in), name);
}

Result runScriptStream(std::istream& in, const std::string& name) {
  hostimpl::LineSource src(hostimpl::streamReader(in), name, false);
  return hostimpl::runSource(src);
}

std::vector<std::string> tooltipsFor(const AcGePoint3d& point,
                                     const std::vector<std::vector<AcDbObjectId>>& paths) {
  std::vector<std::vector<AcDbStub*>> stubs;
  for (const auto& path : paths) {
    stubs.emplace_back();
    for (const AcDbObjectId& id : path)
      if (id.stub()) stubs.back().push_back(id.stub());
  }
  return hostimpl::monitorTooltips(point, stubs);
}

void setTranscriptSink(TranscriptSink sink) { hostimpl::state().sink = std::move(sink); }
std::string transcript() { return hostimpl::state().transcript; }
void clearTranscript() { hostimpl::state().transcript.clear(); }
std::vector<std::string> messageBoxLog() { return hostimpl::state().messages; }
void clearMessageBoxLog() { hostimpl::state().messages.clear(); }
void setPromptObserver(PromptObserver observer) {
  hostimpl::state().promptObserver = std::move(observer);
}
DisplayCounters displayCounters() { return hostimpl::state().counters; }

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

void setSpatialIndexUse(bool useIndex) { hostimpl::setSpatialIndexUse(useIndex); }

void setAppendLimit(int appends) { hostimpl::gAppendsLeft = appends < 0 ? -1 : appends; }

int openObjectCount(AcDbDatabase* db) {
  if (!db) return 0;
  int open = 0;
  for (const AcDbStub& stub : db->impl()->stubs)
    if (stub.object && (stub.object->readers_ > 0 || stub.object->writer_)) ++open;
  return open;
}

std::string utf8ToGbk(std::string_view utf8) { return text::utf8ToGbk(utf8); }
std::string gbkToUtf8(std::string_view gbk) { return text::gbkToUtf8(gbk); }

void setProgramPath(const std::string& path) {
  hostimpl::hostModule()->path = path;
  size_t slash = path.find_last_of('/');
  hostimpl::hostModule()->fileName = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace drawhost
