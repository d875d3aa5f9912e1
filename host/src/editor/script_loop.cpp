// Running commands: the top-level loop of a script (and of interactive
// input), commands typed or run transparently at a prompt, and hovers.
#include <algorithm>
#include <cstdio>
#include <utility>

#include "db/db.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace hostimpl {

namespace {
AcEdCommand* activeCommand() { return state().running.empty() ? nullptr : state().running.back(); }

// A command, or SETVAR for the system variable of that name.
AcEdCommand* commandForName(const std::string& gbkName) {
  if (AcEdCommand* cmd = findCommand(gbkName)) return cmd;
  if (!isVariableName(gbkName)) return nullptr;
  state().presetVariable = upper(gbkName);
  return findCommand("SETVAR");
}
}  // namespace

std::vector<std::string> monitorTooltips(const AcGePoint3d& pt,
                                         const std::vector<std::vector<AcDbStub*>>& paths) {
  std::vector<std::string> tooltips;
  AcApDocument* doc = currentDocument();
  if (!doc) return tooltips;
  std::vector<AcEdInputPointMonitor*> monitors = monitorsOf(doc);
  if (monitors.empty()) return tooltips;
  AcEdInputPointData data;
  data.document = doc;
  data.pointComputed = true;
  data.lastPoint = data.rawPoint = data.grippedPoint = data.cartesianSnappedPoint =
      data.osnappedPoint = pt;
  for (const auto& path : paths) {
    if (path.empty()) continue;
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
        *result.additionalTooltipString)
      tooltips.emplace_back(result.additionalTooltipString);
  }
  return tooltips;
}

void runHover(const AcGePoint3d& pt) {
  AcApDocument* doc = currentDocument();
  if (!doc || monitorsOf(doc).empty()) return;
  std::vector<std::vector<AcDbStub*>> paths;
  entitiesUnder(doc->database(), pt, pickTolerance(), paths);
  for (const std::string& tooltip : monitorTooltips(pt, paths)) {
    print("\nTooltip: ");
    print(tooltip);
  }
}

void invoke(AcEdCommand* cmd) {
  EditorState& st = state();
  st.running.push_back(cmd);
  setActiveCommand(cmd);
  AcApDocument* doc = currentDocument();
  // What a command of a plug-in changes can be undone as one step.
  AcDbDatabase* undoDb =
      st.keepUndo && doc && st.running.size() == 1 && !isHostCommand(cmd) ? doc->database() : nullptr;
  if (doc) acDocManagerPtr()->lockDocument(doc, AcAp::kAutoWrite);
  if (undoDb) beginUndoGroup(undoDb, cmd->localName());
  try {
    ModuleScope scope(commandModule(cmd));
    cmd->functionAddr()();
  } catch (...) {
    failScript(std::string("command ") + text::gbkToUtf8(cmd->localName()) + " ended with an exception");
  }
  if (undoDb) endUndoGroup(undoDb);
  if (doc && std::find(documentList().begin(), documentList().end(), doc) != documentList().end())
    acDocManagerPtr()->unlockDocument(doc);
  st.running.pop_back();
  setActiveCommand(activeCommand());
  if (st.running.empty()) {
    st.pendingBoxStage = 0;
    clearInitGet();
    // A command uses up the selection made before it in its drawing; the host's own commands
    // (a variable, a list, another drawing) leave it.
    const bool stillOpen =
        std::find(documentList().begin(), documentList().end(), doc) != documentList().end();
    if (doc && stillOpen && !isHostCommand(cmd)) docState(doc).pickfirst.clear();
  }
}

void runTransparent(const Action& a) {
  // Each transparent command runs inside the prompt it interrupts: without a bound a script
  // could nest them until the stack runs out.
  constexpr size_t kMaxNesting = 32;
  if (state().running.size() > kMaxNesting) {
    failScript("transparent commands nest deeper than " + std::to_string(kMaxNesting));
    return;
  }
  std::string name = text::utf8ToGbk(a.text);
  AcEdCommand* cmd = commandForName(name);
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
  st.quit = false;
  while (!st.quit) {
    // At a terminal an error ends the command it happened in, not the session.
    if (!st.error.empty()) {
      if (!src.interactive) break;
      print("\n");
      print(text::utf8ToGbk(std::exchange(st.error, std::string())));
    }
    if (src.interactive) printPrompt("\nCommand: ");
    if (st.sourceEnded || !readScriptLine(src, line)) break;
    Action a = parseAction(line);
    if (!src.interactive && a.kind != Action::kNone && a.kind != Action::kHover)
      printPrompt("\nCommand: ");
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
          if (AcEdCommand* cmd = commandForName(st.lastCommand)) invoke(cmd);
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
        std::string name = text::utf8ToGbk(a.text);
        echo(a.raw);
        AcEdCommand* cmd = commandForName(name);
        if (!cmd) {
          print("\nUnknown command \"" + name + "\".");
          if (src.interactive)
            print(" HELP lists the commands.");
          else
            failScript("unknown command \"" + a.text + "\"");
          break;
        }
        st.lastCommand = name;
        invoke(cmd);
        break;
      }
      case Action::kInvalid:
        askAgainAfter(a.error + ": \"" + a.raw + "\"");
        break;
      default:
        echo(a.raw);
        askAgainAfter("no prompt is waiting for " + std::string(actionKindName(a.kind)) + ": \"" +
                      a.raw + "\"");
        break;
    }
  }
  return finish();
}

drawhost::Result runCommandByName(const std::string& gbkName) {
  AcEdCommand* cmd = findCommand(gbkName);
  if (!cmd) return drawhost::Result::failure("unknown command \"" + text::gbkToUtf8(gbkName) + "\"");
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
