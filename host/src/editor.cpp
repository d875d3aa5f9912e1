// The editor: command-line output, the input functions that read the
// script, object selection, system variables, host commands, and the loop
// that runs a script.
//
// Every input function prints its prompt and takes the next action of the
// current ScriptSource through nextAnswer(), which
//   - runs hover actions (they never answer a prompt) and transparent
//     commands in between;
//   - answers Esc when there is no script or it ran out (saying so once);
//   - turns an action of the wrong kind into the script's error: the
//     prompt gets Esc, and so does every later prompt of the running
//     command, then the script stops.
// A box drag answers three calls in turn (a missed pick, a drag event and
// the opposite corner), kept in `pendingBox`.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <map>

#include "internal.h"
#include "script.h"

namespace hostimpl {

namespace {

struct Var {
  enum Kind { kInt, kReal, kString } kind = kInt;
  int i = 0;
  double r = 0;
  std::string s;
};

struct EditorState {
  // Output.
  std::string transcript;
  drawhost::TranscriptSink sink;
  drawhost::PromptObserver promptObserver;
  std::vector<std::string> messages;
  drawhost::DisplayCounters counters;
  // Input.
  ScriptSource* source = nullptr;
  bool sourceEnded = false;
  bool endNoticeGiven = false;
  std::string error;
  int pendingBoxStage = 0;  // 1: press taken, drag next; 2: corner next
  AcGePoint3d boxFrom, boxTo;
  int initFlags = 0;
  std::string keywords;
  std::string lastKeyword;
  std::string lastCommand;
  std::vector<AcEdCommand*> running;
  std::map<std::string, Var> vars;
};

EditorState& state() {
  static EditorState* s = [] {
    auto* st = new EditorState;
    st->vars["OSMODE"] = {Var::kInt, 35, 0, ""};
    st->vars["PICKBOX"] = {Var::kReal, 0, 1.0, ""};
    st->vars["CMDECHO"] = {Var::kInt, 1, 0, ""};
    st->vars["PICKFIRST"] = {Var::kInt, 1, 0, ""};
    st->vars["FILEDIA"] = {Var::kInt, 0, 0, ""};
    st->vars["ERRNO"] = {Var::kInt, 0, 0, ""};
    return st;
  }();
  return *s;
}

void echo(const std::string& utf8) {
  if (state().source && state().source->interactive) return;
  print(toGbk(utf8));
}

// What a prompt accepts.
enum Accept : unsigned {
  kAcceptPoint = 1u << 0,      // x,y
  kAcceptPick = 1u << 1,       // pick x,y (as a point where no pick is wanted)
  kAcceptBox = 1u << 2,        // box
  kAcceptSelection = 1u << 3,  // window, crossing, fence, all, previous
  kAcceptEnter = 1u << 4,
  kAcceptText = 1u << 5,       // words and quoted text
  kAcceptDialog = 1u << 6,
};

std::string describe(unsigned accept) {
  std::vector<std::string> parts;
  if (accept & kAcceptPoint) parts.push_back("a point");
  if (accept & kAcceptPick) parts.push_back("pick");
  if (accept & kAcceptBox) parts.push_back("box");
  if (accept & kAcceptSelection) parts.push_back("window, crossing, fence, all, previous");
  if (accept & kAcceptText) parts.push_back("text");
  if (accept & kAcceptDialog) parts.push_back("a dialog action");
  if (accept & kAcceptEnter) parts.push_back("enter");
  parts.push_back("esc");
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += i + 1 == parts.size() ? " or " : ", ";
    out += parts[i];
  }
  return out;
}

bool accepts(unsigned accept, const Action& a) {
  switch (a.kind) {
    case Action::kPoint: return accept & (kAcceptPoint | kAcceptPick);
    case Action::kPick: return accept & (kAcceptPick | kAcceptPoint);
    case Action::kBox: return accept & (kAcceptBox | kAcceptSelection);
    case Action::kWindow:
    case Action::kCrossing:
    case Action::kFence:
    case Action::kAll:
    case Action::kPrevious: return accept & kAcceptSelection;
    case Action::kEnter: return accept & kAcceptEnter;
    case Action::kWord:
    case Action::kText: return accept & kAcceptText;
    case Action::kDialog: return accept & kAcceptDialog;
    default: return false;
  }
}

void failScript(const std::string& message) {
  EditorState& st = state();
  if (st.error.empty())
    st.error = (st.source ? st.source->name + ":" + std::to_string(st.source->line) + ": " : "") +
               message;
}

void runTransparent(const Action& a);

void clearInitGet() {
  state().initFlags = 0;
  state().keywords.clear();
}

// Does a word answer one of the keywords of acedInitGet?
bool matchKeyword(const std::string& word, std::string& keyword) {
  std::string kw = state().keywords;
  size_t start = 0;
  while (start < kw.size()) {
    size_t end = kw.find(' ', start);
    if (end == std::string::npos) end = kw.size();
    std::string candidate = kw.substr(start, end - start);
    if (!candidate.empty() && word.size() <= candidate.size() &&
        equalNoCase(candidate.substr(0, word.size()), word) && !word.empty()) {
      keyword = candidate;
      return true;
    }
    start = end + 1;
  }
  return false;
}

// Takes the next action that answers a prompt. kNormal with the action,
// kCancel on Esc, the end of the script or an error.
int nextAnswer(const char* prompt, unsigned accept, Action& out) {
  EditorState& st = state();
  if (prompt && *prompt) print(prompt);
  if (st.promptObserver) st.promptObserver(prompt ? prompt : "");
  while (true) {
    if (!st.error.empty()) {
      print("*Cancel*");
      return AcEd::kCancel;
    }
    std::string line;
    if (!st.source || st.sourceEnded || !st.source->nextLine(line)) {
      if (st.source) st.sourceEnded = true;
      if (!st.endNoticeGiven) {
        print("\n*Cancel* (end of script)");
        st.endNoticeGiven = true;
      } else {
        print("*Cancel*");
      }
      return AcEd::kCancel;
    }
    Action a = parseAction(line);
    if (a.kind == Action::kNone) continue;
    if (a.kind == Action::kHover) {
      runHover(a.points[0]);
      if (prompt && *prompt) print(prompt);
      continue;
    }
    if (a.kind == Action::kTransparent) {
      runTransparent(a);
      if (!st.error.empty()) continue;
      if (prompt && *prompt) print(prompt);
      continue;
    }
    if (a.kind == Action::kEsc) {
      echo(a.raw);
      print("\n*Cancel*");
      return AcEd::kCancel;
    }
    if (a.kind == Action::kInvalid) {
      failScript(a.error + ": \"" + a.raw + "\"");
      continue;
    }
    std::string keyword;
    if (a.kind == Action::kWord && !(accept & kAcceptText) && matchKeyword(a.text, keyword)) {
      echo(a.raw);
      st.lastKeyword = keyword;
      out = a;
      out.kind = Action::kWord;
      out.text = keyword;
      return AcEd::kKeyword;
    }
    if (a.kind == Action::kEnter && (st.initFlags & 1) && !(accept & kAcceptText)) {
      failScript("empty input is not allowed at prompt \"" + toUtf8(prompt ? prompt : "") + "\"");
      continue;
    }
    if (!accepts(accept, a)) {
      std::string p = toUtf8(prompt ? prompt : "");
      while (!p.empty() && p.front() == '\n') p.erase(0, 1);
      failScript("expected " + describe(accept) + " at prompt \"" + p + "\", got \"" + a.raw + "\"");
      continue;
    }
    echo(a.raw);
    out = a;
    return AcEd::kNormal;
  }
}

void toPoint(const AcGePoint3d& p, AcEdPoint out) { out[0] = p.x, out[1] = p.y, out[2] = p.z; }

std::vector<AcDbStub*> liveOnly(const std::vector<AcDbStub*>& in) {
  std::vector<AcDbStub*> out;
  for (AcDbStub* s : in)
    if (s->object && !s->object->isErased()) out.push_back(s);
  return out;
}

// Selection for one selection action (pick, box, window, ...).
void selectionFor(const Action& a, std::vector<AcDbStub*>& out) {
  AcDbDatabase* db = workingDatabase();
  out.clear();
  switch (a.kind) {
    case Action::kPick:
    case Action::kPoint: {
      std::vector<AcDbStub*> path;
      if (pickAt(db, a.points[0], pickTolerance(), false, path, nullptr)) out.push_back(path[0]);
      break;
    }
    case Action::kBox:
      selectBox(db, a.points[0], a.points[1],
                a.points[0].x > a.points[1].x ? BoxMode::kCrossing : BoxMode::kWindow, out);
      break;
    case Action::kWindow:
      selectBox(db, a.points[0], a.points[1], BoxMode::kWindow, out);
      break;
    case Action::kCrossing:
      selectBox(db, a.points[0], a.points[1], BoxMode::kCrossing, out);
      break;
    case Action::kFence:
      selectFence(db, a.points, out);
      break;
    case Action::kAll:
      selectAll(db, out);
      break;
    case Action::kPrevious:
      if (AcApDocument* doc = currentDocument()) out = liveOnly(docState(doc).previous);
      break;
    default:
      break;
  }
}

int finishSelection(std::vector<AcDbStub*> members, const AcEdResBuf* filter, AcEdName ss) {
  bool ok;
  applyFilter(filter, members, ok);
  if (!ok || members.empty()) return AcEd::kError;
  newSet(std::move(members), ss);
  return AcEd::kNormal;
}

int interactiveSelection(const AcEdResBuf* filter, AcEdName ss) {
  std::vector<AcDbStub*> chosen;
  std::unordered_set<AcDbStub*> seen;
  while (true) {
    Action a;
    int rc = nextAnswer("\nSelect objects: ", kAcceptPick | kAcceptBox | kAcceptSelection |
                                                  kAcceptEnter, a);
    if (rc != AcEd::kNormal) return AcEd::kCancel;
    if (a.kind == Action::kEnter) break;
    std::vector<AcDbStub*> found;
    selectionFor(a, found);
    bool ok;
    applyFilter(filter, found, ok);
    int added = 0;
    for (AcDbStub* s : found)
      if (seen.insert(s).second) chosen.push_back(s), ++added;
    char buf[64];
    std::snprintf(buf, sizeof buf, "\n%d found", static_cast<int>(found.size()));
    print(buf);
  }
  if (chosen.empty()) return AcEd::kError;
  if (AcApDocument* doc = currentDocument()) docState(doc).previous = chosen;
  newSet(std::move(chosen), ss);
  return AcEd::kNormal;
}

AcEdCommand* activeCommand() { return state().running.empty() ? nullptr : state().running.back(); }

}  // namespace

// --- output --------------------------------------------------------------------------------

void print(std::string_view gbk) {
  EditorState& st = state();
  if (st.sink)
    st.sink(gbk);
  else
    st.transcript.append(gbk);
}

void logMessage(std::string_view gbk) { state().messages.emplace_back(gbk); }

double pickTolerance() {
  const Var& v = state().vars["PICKBOX"];
  return v.r > 0 ? v.r : 1.0;
}

void countRegen() { ++state().counters.regens; }

void runHover(const AcGePoint3d& pt) {
  AcApDocument* doc = currentDocument();
  if (!doc) return;
  std::vector<AcEdInputPointMonitor*> monitors = monitorsOf(doc);
  if (monitors.empty()) return;
  AcEdInputPointData data;
  data.document = doc;
  data.pointComputed = true;
  data.lastPoint = data.rawPoint = data.grippedPoint = data.cartesianSnappedPoint =
      data.osnappedPoint = pt;
  std::vector<std::vector<AcDbStub*>> paths;
  entitiesUnder(doc->database(), pt, pickTolerance(), paths);
  for (const auto& path : paths) {
    data.apertureEntities.append(AcDbObjectId(path.front()));
    AcDbObjectIdArray ids;
    for (AcDbStub* s : path) ids.append(AcDbObjectId(s));
    data.nestedApertureEntities.append(ids);
  }
  for (AcEdInputPointMonitor* mon : monitors) {
    // A monitor removed by an earlier one in this round is not called.
    std::vector<AcEdInputPointMonitor*> now = monitorsOf(doc);
    if (std::find(now.begin(), now.end(), mon) == now.end()) continue;
    AcEdInputPointResult result;
    {
      ModuleScope scope(monitorModule(mon));
      mon->monitorInputPoint(data, result);
    }
    if (result.appendToTooltipStr && result.additionalTooltipString &&
        *result.additionalTooltipString) {
      print("\nTooltip: ");
      print(result.additionalTooltipString);
    }
  }
}

// --- running commands -------------------------------------------------------------------------

namespace {

void invoke(AcEdCommand* cmd) {
  EditorState& st = state();
  st.running.push_back(cmd);
  setActiveCommand(cmd);
  AcApDocument* doc = currentDocument();
  if (doc) acDocManagerPtr()->lockDocument(doc, AcAp::kAutoWrite);
  try {
    ModuleScope scope(commandModule(cmd));
    cmd->functionAddr()();
  } catch (...) {
    failScript(std::string("command ") + toUtf8(cmd->localName()) + " ended with an exception");
  }
  if (doc && std::find(documentList().begin(), documentList().end(), doc) != documentList().end())
    acDocManagerPtr()->unlockDocument(doc);
  st.running.pop_back();
  setActiveCommand(activeCommand());
  if (st.running.empty()) {
    st.pendingBoxStage = 0;
    clearInitGet();
    if (AcApDocument* cur = currentDocument()) docState(cur).pickfirst.clear();
  }
}

void runTransparent(const Action& a) {
  std::string name = toGbk(a.text);
  AcEdCommand* cmd = findCommand(name);
  if (!cmd) {
    failScript("unknown command \"" + a.text + "\"");
    return;
  }
  if (!(cmd->commandFlags() & AcEdCommandFlags::kTransparent)) {
    failScript("command \"" + a.text + "\" cannot run while another waits for input");
    return;
  }
  print("\n>>");
  print(name);
  invoke(cmd);
}

}  // namespace

// The top-level loop of a script (also of interactive input).
drawhost::Result runSource(ScriptSource& src) {
  EditorState& st = state();
  ScriptSource* savedSource = st.source;
  bool savedEnded = st.sourceEnded, savedNotice = st.endNoticeGiven;
  st.source = &src;
  st.sourceEnded = false;
  st.endNoticeGiven = false;
  st.error.clear();
  auto finish = [&]() {
    std::string err = st.error;
    st.error.clear();
    st.source = savedSource;
    st.sourceEnded = savedEnded;
    st.endNoticeGiven = savedNotice;
    return err.empty() ? drawhost::Result::success() : drawhost::Result::failure(err);
  };
  std::string line;
  while (st.error.empty()) {
    if (src.interactive) print("\nCommand: ");
    if (st.sourceEnded || !src.nextLine(line)) break;
    Action a = parseAction(line);
    if (!src.interactive && a.kind != Action::kNone && a.kind != Action::kHover)
      print("\nCommand: ");
    switch (a.kind) {
      case Action::kNone:
        break;
      case Action::kHover:
        runHover(a.points[0]);
        break;
      case Action::kEsc:
        echo(a.raw);
        if (AcApDocument* doc = currentDocument()) docState(doc).pickfirst.clear();
        print("\n*Cancel*");
        break;
      case Action::kEnter:
        echo(a.raw);
        if (!st.lastCommand.empty())
          if (AcEdCommand* cmd = findCommand(st.lastCommand)) invoke(cmd);
        break;
      case Action::kSelect: {
        echo(a.raw);
        std::vector<AcDbStub*> found;
        selectionFor(*a.sub, found);
        if (AcApDocument* doc = currentDocument()) {
          auto& pf = docState(doc).pickfirst;
          std::unordered_set<AcDbStub*> present(pf.begin(), pf.end());
          for (AcDbStub* s : found)
            if (present.insert(s).second) pf.push_back(s);
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "\n%d found", static_cast<int>(found.size()));
        print(buf);
        break;
      }
      case Action::kWord:
      case Action::kTransparent: {
        std::string name = toGbk(a.text);
        echo(a.raw);
        AcEdCommand* cmd = findCommand(name);
        if (!cmd) {
          print("\nUnknown command \"" + name + "\".");
          failScript("unknown command \"" + a.text + "\"");
          break;
        }
        st.lastCommand = name;
        invoke(cmd);
        break;
      }
      case Action::kInvalid:
        failScript(a.error + ": \"" + a.raw + "\"");
        break;
      default:
        echo(a.raw);
        failScript("no prompt is waiting for " + std::string(actionKindName(a.kind)) + ": \"" +
                   a.raw + "\"");
        break;
    }
  }
  return finish();
}

drawhost::Result runCommandByName(const std::string& gbkName) {
  AcEdCommand* cmd = findCommand(gbkName);
  if (!cmd) return drawhost::Result::failure("unknown command \"" + toUtf8(gbkName) + "\"");
  print("\nCommand: " + gbkName);
  EditorState& st = state();
  std::string saved = st.error;
  st.error.clear();
  invoke(cmd);
  std::string err = st.error;
  st.error = saved;
  return err.empty() ? drawhost::Result::success() : drawhost::Result::failure(err);
}

AcEdCommand* runningCommand() { return activeCommand(); }

// Access for the embedding API.
std::string& transcriptBuffer() { return state().transcript; }
void setSink(drawhost::TranscriptSink sink) { state().sink = std::move(sink); }
void setPromptObserverImpl(drawhost::PromptObserver o) { state().promptObserver = std::move(o); }
std::vector<std::string>& messageLog() { return state().messages; }
drawhost::DisplayCounters& counters() { return state().counters; }
bool intVar(const std::string& name, int*& value) {
  auto it = state().vars.find(upper(name));
  if (it == state().vars.end() || it->second.kind != Var::kInt) return false;
  value = &it->second.i;
  return true;
}
void resetEditor() {
  EditorState& st = state();
  st.transcript.clear();
  st.messages.clear();
  st.counters = {};
  st.pendingBoxStage = 0;
  st.lastCommand.clear();
  clearInitGet();
  st.vars["OSMODE"].i = 35;
  st.vars["PICKBOX"].r = 1.0;
}

}  // namespace hostimpl

using hostimpl::Action;
using hostimpl::nextAnswer;
using hostimpl::state;

// --- output functions ------------------------------------------------------------------------

int acutPrintf(const char* format, ...) {
  if (!format) return 0;
  va_list args;
  va_start(args, format);
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) {
    va_end(args);
    return 0;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    hostimpl::print(std::string_view(small, n));
  } else {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, args);
    big.resize(n);
    hostimpl::print(big);
  }
  va_end(args);
  return n;
}

int acedAlert(const char* text) {
  hostimpl::print("\nAlert: ");
  hostimpl::print(text ? text : "");
  hostimpl::logMessage(text ? text : "");
  return AcEd::kNormal;
}

void acedUpdateDisplay() { ++state().counters.updates; }
int acedRedraw(const AcEdName, int) { return AcEd::kNormal; }

namespace hostimpl {
void countFlush() { ++state().counters.flushes; }
}

// --- input functions -----------------------------------------------------------------------------

int acedInitGet(int flags, const char* keywords) {
  state().initFlags = flags;
  state().keywords = keywords ? keywords : "";
  return AcEd::kNormal;
}

int acedGetInput(char* result, std::size_t size) {
  if (!result || size == 0) return AcEd::kError;
  std::snprintf(result, size, "%s", state().lastKeyword.c_str());
  return AcEd::kNormal;
}

namespace {
int getPointLike(const char* prompt, AcEdPoint result) {
  Action a;
  unsigned accept = hostimpl::kAcceptPoint | hostimpl::kAcceptPick | hostimpl::kAcceptEnter;
  int rc = nextAnswer(prompt, accept, a);
  hostimpl::clearInitGet();
  if (rc != AcEd::kNormal) return rc;
  if (a.kind == Action::kEnter) return AcEd::kNone;
  if (result) hostimpl::toPoint(a.points[0], result);
  return AcEd::kNormal;
}
}  // namespace

int acedGetPoint(const AcEdPoint, const char* prompt, AcEdPoint result) {
  state().pendingBoxStage = 0;
  return getPointLike(prompt, result);
}

int acedGetCorner(const AcEdPoint, const char* prompt, AcEdPoint result) {
  auto& st = state();
  if (st.pendingBoxStage != 0) {
    // The opposite corner of the box being dragged.
    if (prompt && *prompt) hostimpl::print(prompt);
    if (st.promptObserver) st.promptObserver(prompt ? prompt : "");
    st.pendingBoxStage = 0;
    hostimpl::clearInitGet();
    if (!st.error.empty()) return AcEd::kCancel;
    if (result) hostimpl::toPoint(st.boxTo, result);
    return AcEd::kNormal;
  }
  return getPointLike(prompt, result);
}

namespace {
int pickPrompt(const char* prompt, bool descend, AcEdName entity, AcEdPoint point,
               AcEdMatrix xform, AcEdResBuf** containers) {
  auto& st = state();
  st.pendingBoxStage = 0;
  if (containers) *containers = nullptr;
  Action a;
  int rc = nextAnswer(prompt ? prompt : "\nSelect object: ",
                      hostimpl::kAcceptPick | hostimpl::kAcceptBox | hostimpl::kAcceptEnter, a);
  hostimpl::clearInitGet();
  if (rc != AcEd::kNormal) return rc;
  if (a.kind == Action::kEnter) return AcEd::kNone;
  if (point) hostimpl::toPoint(a.points[0], point);
  if (a.kind == Action::kBox) {
    // A press on empty space: the start of a box the caller may drag.
    st.pendingBoxStage = 1;
    st.boxFrom = a.points[0];
    st.boxTo = a.points[1];
    return AcEd::kError;
  }
  std::vector<AcDbStub*> path;
  AcGeMatrix3d inner;
  if (!hostimpl::pickAt(hostimpl::workingDatabase(), a.points[0], hostimpl::pickTolerance(),
                        descend, path, &inner)) {
    hostimpl::print("\nNothing found.");
    return AcEd::kError;
  }
  if (entity) hostimpl::nameFromStub(path.back(), entity);
  if (xform)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) xform[r][c] = inner.entry[r][c];
  if (containers && path.size() > 1) {
    AcEdResBuf* head = nullptr;
    // Innermost container first.
    for (size_t i = 0; i + 1 < path.size(); ++i) {
      AcEdResBuf* rb = acutNewRb(AcEd::kRtEntityName);
      hostimpl::nameFromStub(path[i], rb->value.name);
      rb->next = head;
      head = rb;
    }
    *containers = head;
  }
  return AcEd::kNormal;
}
}  // namespace

int acedEntSel(const char* prompt, AcEdName entity, AcEdPoint point) {
  return pickPrompt(prompt, false, entity, point, nullptr, nullptr);
}

int acedNEntSelP(const char* prompt, AcEdName entity, AcEdPoint point, int, AcEdMatrix xform,
                 AcEdResBuf** containers) {
  return pickPrompt(prompt, true, entity, point, xform, containers);
}

int acedGrRead(int, int* type, AcEdResBuf* result, int) {
  auto& st = state();
  auto setPoint = [&](int eventType, const AcGePoint3d& p) {
    if (type) *type = eventType;
    if (result) {
      result->type = AcEd::kRtPoint3d;
      hostimpl::toPoint(p, result->value.point);
    }
  };
  if (st.pendingBoxStage == 1) {
    if (!st.error.empty()) return AcEd::kCancel;
    st.pendingBoxStage = 2;
    setPoint(AcEd::kGrDrag, st.boxFrom);
    return AcEd::kNormal;
  }
  Action a;
  int rc = nextAnswer(nullptr, hostimpl::kAcceptPoint | hostimpl::kAcceptPick |
                                   hostimpl::kAcceptBox | hostimpl::kAcceptEnter, a);
  if (rc != AcEd::kNormal) return rc;
  if (a.kind == Action::kEnter) {
    if (type) *type = AcEd::kGrKey;
    if (result) result->type = AcEd::kRtShort, result->value.shortValue = 13;
    return AcEd::kNormal;
  }
  if (a.kind == Action::kBox) {
    st.pendingBoxStage = 2;
    st.boxFrom = a.points[0];
    st.boxTo = a.points[1];
  }
  setPoint(AcEd::kGrPick, a.points[0]);
  return AcEd::kNormal;
}

int acedGetString(int, const char* prompt, char* result, std::size_t size) {
  state().pendingBoxStage = 0;
  Action a;
  int rc = nextAnswer(prompt, hostimpl::kAcceptText | hostimpl::kAcceptEnter |
                                  hostimpl::kAcceptPoint | hostimpl::kAcceptPick |
                                  hostimpl::kAcceptBox | hostimpl::kAcceptSelection, a);
  hostimpl::clearInitGet();
  if (rc != AcEd::kNormal) return rc;
  std::string text = a.kind == Action::kEnter ? std::string()
                     : a.kind == Action::kText ? hostimpl::toGbk(a.text)
                                                : hostimpl::toGbk(a.raw);
  if (!result || size == 0) return AcEd::kError;
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(result, text.data(), n);
  result[n] = '\0';
  return AcEd::kNormal;
}

namespace {
int getNumber(const char* prompt, double& value, bool integer) {
  state().pendingBoxStage = 0;
  Action a;
  int rc = nextAnswer(prompt, hostimpl::kAcceptText | hostimpl::kAcceptEnter, a);
  hostimpl::clearInitGet();
  if (rc != AcEd::kNormal) return rc;
  if (a.kind == Action::kEnter) return AcEd::kNone;
  char* end = nullptr;
  std::string text = a.kind == Action::kText ? a.text : a.raw;
  value = std::strtod(text.c_str(), &end);
  bool ok = end && *end == '\0' && !text.empty() && std::isfinite(value) &&
            (!integer || (value == std::floor(value) && std::fabs(value) < 2147483648.0));
  if (!ok) {
    hostimpl::failScript(std::string("expected ") + (integer ? "an integer" : "a number") +
                         ", got \"" + a.raw + "\"");
    return AcEd::kCancel;
  }
  return AcEd::kNormal;
}
}  // namespace

int acedGetInt(const char* prompt, int* result) {
  double v;
  int rc = getNumber(prompt, v, true);
  if (rc == AcEd::kNormal && result) *result = static_cast<int>(v);
  return rc;
}

int acedGetReal(const char* prompt, double* result) {
  double v;
  int rc = getNumber(prompt, v, false);
  if (rc == AcEd::kNormal && result) *result = v;
  return rc;
}

// --- selection ------------------------------------------------------------------------------------

int acedSSGet(const char* mode, const void* pt1, const void* pt2, const AcEdResBuf* filter,
              AcEdName ss) {
  if (!ss) return AcEd::kError;
  AcDbDatabase* db = hostimpl::workingDatabase();
  AcApDocument* doc = hostimpl::currentDocument();
  std::string m = mode ? hostimpl::upper(mode) : "";
  while (!m.empty() && (m[0] == '_' || m[0] == ':')) m.erase(0, 1);
  if (m.empty()) return hostimpl::interactiveSelection(filter, ss);
  std::vector<AcDbStub*> members;
  if (m == "I") {
    AcEdCommand* cmd = hostimpl::activeCommand();
    if (!doc || !cmd || !(cmd->commandFlags() & AcEdCommandFlags::kUsePickSet))
      return AcEd::kError;
    members = hostimpl::liveOnly(hostimpl::docState(doc).pickfirst);
  } else if (m == "W" || m == "C") {
    if (!pt1 || !pt2) return AcEd::kError;
    auto* a = static_cast<const double*>(pt1);
    auto* b = static_cast<const double*>(pt2);
    hostimpl::selectBox(db, {a[0], a[1], a[2]}, {b[0], b[1], b[2]},
                        m == "W" ? hostimpl::BoxMode::kWindow : hostimpl::BoxMode::kCrossing,
                        members);
  } else if (m == "F") {
    std::vector<AcGePoint3d> fence;
    for (auto* rb = static_cast<const AcEdResBuf*>(pt1); rb; rb = rb->next)
      if (rb->type == AcEd::kRtPoint3d || rb->type == AcEd::kRtPoint2d)
        fence.push_back({rb->value.point[0], rb->value.point[1],
                         rb->type == AcEd::kRtPoint3d ? rb->value.point[2] : 0});
    if (fence.size() < 2) return AcEd::kError;
    hostimpl::selectFence(db, fence, members);
  } else if (m == "A") {
    hostimpl::selectAll(db, members);
  } else if (m == "X") {
    if (db)
      for (AcDbStub* s : hostimpl::blockEntities(db->impl()->modelSpace)->entities)
        if (!s->object->isErased()) members.push_back(s);
  } else if (m == "P") {
    if (doc) members = hostimpl::liveOnly(hostimpl::docState(doc).previous);
  } else if (m == "L") {
    AcEdName last;
    if (acdbEntLast(last) == AcEd::kNormal) members.push_back(hostimpl::stubFromName(last));
  } else {
    return AcEd::kRejected;
  }
  return hostimpl::finishSelection(std::move(members), filter, ss);
}

int acedSSSetFirst(const AcEdName pickfirst, const AcEdName) {
  AcApDocument* doc = hostimpl::currentDocument();
  if (!doc) return AcEd::kError;
  auto& pf = hostimpl::docState(doc).pickfirst;
  pf.clear();
  if (!pickfirst) return AcEd::kNormal;
  hostimpl::SelectionSet* set = hostimpl::findSet(pickfirst);
  if (!set) return AcEd::kError;
  pf = set->members;
  return AcEd::kNormal;
}

// --- variables ------------------------------------------------------------------------------------

int acedGetVar(const char* name, AcEdResBuf* result) {
  if (!name || !result) return AcEd::kError;
  std::string key = hostimpl::upper(name);
  auto setString = [&](const std::string& s) {
    result->type = AcEd::kRtString;
    result->value.string = static_cast<char*>(std::malloc(s.size() + 1));
    std::memcpy(result->value.string, s.c_str(), s.size() + 1);
  };
  if (key == "CLAYER") {
    AcDbDatabase* db = hostimpl::workingDatabase();
    if (!db) return AcEd::kError;
    setString(hostimpl::recordName(db->clayer().stub()));
    return AcEd::kNormal;
  }
  if (key == "DWGNAME") {
    AcApDocument* doc = hostimpl::currentDocument();
    if (!doc) return AcEd::kError;
    setString(doc->fileName());
    return AcEd::kNormal;
  }
  auto it = state().vars.find(key);
  if (it == state().vars.end()) return AcEd::kError;
  const hostimpl::Var& v = it->second;
  if (v.kind == hostimpl::Var::kInt) {
    result->type = AcEd::kRtShort;
    result->value.shortValue = static_cast<std::int16_t>(v.i);
  } else if (v.kind == hostimpl::Var::kReal) {
    result->type = AcEd::kRtReal;
    result->value.real = v.r;
  } else {
    setString(v.s);
  }
  return AcEd::kNormal;
}

int acedSetVar(const char* name, const AcEdResBuf* value) {
  if (!name || !value) return AcEd::kError;
  std::string key = hostimpl::upper(name);
  if (key == "CLAYER") {
    AcDbDatabase* db = hostimpl::workingDatabase();
    if (!db || value->type != AcEd::kRtString || !value->value.string) return AcEd::kError;
    AcDbObjectId id;
    AcDbLayerTable* table = nullptr;
    if (db->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return AcEd::kError;
    AcDb::Status es = table->getAt(value->value.string, id);
    table->close();
    return es == AcDb::kOk && db->setClayer(id) == AcDb::kOk ? AcEd::kNormal : AcEd::kError;
  }
  auto it = state().vars.find(key);
  if (it == state().vars.end()) return AcEd::kError;
  hostimpl::Var& v = it->second;
  double number;
  switch (value->type) {
    case AcEd::kRtShort: number = value->value.shortValue; break;
    case AcEd::kRtLong: number = value->value.longValue; break;
    case AcEd::kRtReal: number = value->value.real; break;
    case AcEd::kRtString:
      if (v.kind != hostimpl::Var::kString) return AcEd::kError;
      v.s = value->value.string ? value->value.string : "";
      return AcEd::kNormal;
    default:
      return AcEd::kError;
  }
  if (v.kind == hostimpl::Var::kString || !std::isfinite(number)) return AcEd::kError;
  if (v.kind == hostimpl::Var::kInt) {
    if (value->type == AcEd::kRtReal || number < 0 || number > 32767) return AcEd::kError;
    v.i = static_cast<int>(number);
  } else {
    if (number <= 0) return AcEd::kError;
    v.r = number;
  }
  return AcEd::kNormal;
}

// --- host commands ---------------------------------------------------------------------------------

namespace {
struct CommandToken {
  int type;
  std::string text;
  std::int64_t name[2] = {0, 0};
};

int runHostCommand(const std::vector<CommandToken>& tokens) {
  size_t i = 0;
  while (i < tokens.size()) {
    const CommandToken& t = tokens[i];
    if (t.type != AcEd::kRtString) return AcEd::kError;
    std::string cmd = hostimpl::upper(t.text);
    while (!cmd.empty() && (cmd[0] == '_' || cmd[0] == '.')) cmd.erase(0, 1);
    ++i;
    if (cmd.empty()) continue;  // Enter between commands
    if (cmd == "REGEN") {
      hostimpl::countRegen();
      hostimpl::print("\nRegenerating drawing.");
      continue;
    }
    if (cmd == "SELECT") {
      std::vector<AcDbStub*> members;
      for (; i < tokens.size() && tokens[i].type != AcEd::kRtString; ++i) {
        if (tokens[i].type == AcEd::kRtPickSet) {
          hostimpl::SelectionSet* set = hostimpl::findSet(tokens[i].name);
          if (!set) return AcEd::kError;
          members.insert(members.end(), set->members.begin(), set->members.end());
        } else if (tokens[i].type == AcEd::kRtEntityName) {
          if (AcDbStub* s = hostimpl::stubFromName(tokens[i].name)) members.push_back(s);
        } else {
          return AcEd::kError;
        }
      }
      if (AcApDocument* doc = hostimpl::currentDocument())
        hostimpl::docState(doc).previous = hostimpl::liveOnly(members);
      continue;
    }
    hostimpl::print("\nUnknown command \"" + t.text + "\".");
    return AcEd::kError;
  }
  return AcEd::kNormal;
}
}  // namespace

int acedCommand(int type, ...) {
  va_list args;
  va_start(args, type);
  std::vector<CommandToken> tokens;
  bool ok = true;
  for (int t = type; t != 0; t = va_arg(args, int)) {
    CommandToken tok{t, {}};
    switch (acutValueKind(t)) {
      case AcEdValueKind::kString: {
        const char* s = va_arg(args, const char*);
        tok.text = s ? s : "";
        break;
      }
      case AcEdValueKind::kName: {
        const std::int64_t* n = va_arg(args, const std::int64_t*);
        if (n) tok.name[0] = n[0], tok.name[1] = n[1];
        break;
      }
      case AcEdValueKind::kPoint:
        va_arg(args, const double*);
        break;
      case AcEdValueKind::kReal:
        va_arg(args, double);
        break;
      case AcEdValueKind::kShort:
      case AcEdValueKind::kLong:
        va_arg(args, int);
        break;
      case AcEdValueKind::kNone:
        ok = false;
        break;
    }
    if (!ok) break;
    tokens.push_back(tok);
  }
  va_end(args);
  return ok ? runHostCommand(tokens) : AcEd::kError;
}

int acedCmd(const AcEdResBuf* args) {
  std::vector<CommandToken> tokens;
  for (; args; args = args->next) {
    CommandToken tok{args->type, {}};
    if (acutValueKind(args->type) == AcEdValueKind::kString)
      tok.text = args->value.string ? args->value.string : "";
    if (acutValueKind(args->type) == AcEdValueKind::kName)
      tok.name[0] = args->value.name[0], tok.name[1] = args->value.name[1];
    tokens.push_back(tok);
  }
  return runHostCommand(tokens);
}
