// The editor: what the user does, read from an input script, and what the
// plug-ins see of it (prompts and input functions, object selection with
// its filters, system variables, the few host commands, the transcript).
// Nothing here is part of the plug-in interface.
//
// Every input function prints its prompt and takes the next action of the
// current ScriptSource through nextAnswer(), which
//   - runs hover actions (they never answer a prompt) and transparent
//     commands in between;
//   - answers Esc when there is no script or it ran out (saying so once);
//   - turns an action of the wrong kind into the script's error: the prompt
//     gets Esc, and so does every later prompt of the running command, then
//     the script stops.
// A box drag answers three calls in turn (a missed pick, a drag event and
// the opposite corner), kept in `pendingBoxStage`.
//
// Invariants: `error` is empty while the script may go on; `running` holds
// the commands in progress, innermost last; script lines reach the parser
// only as valid UTF-8 whose every character GBK can hold.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"
#include "io/text_encoding.h"

namespace hostimpl {

namespace text = drawhost::text;

// --- script actions (editor/script_reader.cpp) -------------------------------------

// One line of a script parsed into what the user did. The parser knows the
// shape of each action but not the prompt that will read it; a line that is
// a single word may be a command name or a text answer, so it stays a kWord
// until a prompt or the top level reads it.
struct Action {
  enum Kind {
    kNone,         // blank line or comment
    kWord,         // a bare word or text: command name or text answer
    kText,         // "quoted text"
    kTransparent,  // 'NAME
    kPoint,        // x,y[,z]
    kPick,         // pick x,y
    kBox,          // box x1,y1 x2,y2
    kWindow,       // window x1,y1 x2,y2
    kCrossing,     // crossing x1,y1 x2,y2
    kFence,        // fence x,y x,y ...
    kAll,          // all
    kPrevious,     // previous
    kEnter,        // enter
    kEsc,          // esc
    kHover,        // hover x,y
    kSelect,       // select WHAT (the selection in `sub`)
    kDialog,       // click / type / choose / ok / cancel
    kInvalid       // malformed: `error` says why
  };
  Kind kind = kNone;
  std::string raw;   // the line as written (UTF-8, trimmed, comment removed)
  std::string text;  // word, text answer, command name or dialog verb
  std::vector<AcGePoint3d> points;
  std::vector<std::string> args;  // dialog arguments
  std::string error;
  std::shared_ptr<Action> sub;    // the selection of `select`
};

// Parses one line (UTF-8). Never fails: malformed input gives kInvalid.
Action parseAction(std::string_view line);
// Parses "x,y" or "x,y,z" (finite numbers only).
bool parsePoint(std::string_view text, AcGePoint3d& p);
const char* actionKindName(Action::Kind kind);

// Where the editor's actions come from.
class ScriptSource {
 public:
  virtual ~ScriptSource() = default;
  // Next raw line; false at the end.
  virtual bool nextLine(std::string& line) = 0;
  std::string name;
  int line = 0;
  bool interactive = false;
};

class TextSource : public ScriptSource {
 public:
  TextSource(std::string text, std::string sourceName);
  bool nextLine(std::string& out) override;

 private:
  std::string text_;
  size_t pos_ = 0;
};

// --- editor state (editor/prompts.cpp) -------------------------------------------------

struct Variable {
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
  bool atPrompt = false;         // the transcript ends with a prompt
  bool lineAfterAnswer = false;  // an answer was echoed: what follows starts a new line
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
  std::map<std::string, Variable> vars;
  // Set by QUIT: the input ends after the running command.
  bool quit = false;
  // The variable a name typed as a command stands for, read by SETVAR.
  std::string presetVariable;
  // SAVE may replace a drawing whose load could not keep everything.
  bool saveOverLossy = false;
  // Plug-in commands are kept as undo steps.
  bool keepUndo = true;
};
EditorState& state();

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

// Takes the next action that answers a prompt: kNormal with the action,
// kKeyword for a keyword of acedInitGet, kCancel on Esc, the end of the
// script or an error.
int nextAnswer(const char* prompt, unsigned accept, Action& out);
// The next script line that is valid text (UTF-8 that GBK can hold, the
// byte-order mark of the first line skipped); false at the end or when a
// line is not (the script's error is then set).
bool readScriptLine(ScriptSource& source, std::string& line);
// Records the script's error (the first one counts), with its place.
void failScript(const std::string& message);
void clearInitGet();
// An answer a prompt cannot take: at a terminal the message is printed and
// true says to ask again; in a script it is the script's error (false).
bool askAgainAfter(const std::string& message);
// Prints a prompt again, on a line of its own.
void askAgain(const char* prompt);
// Prints a script action as the user's input (not in interactive mode,
// where the terminal already shows it).
void echo(const std::string& utf8);

// --- output (editor/output.cpp) ------------------------------------------------------------

void print(std::string_view gbk);
// A prompt, and the answer to it (script input echoed).
void printPrompt(std::string_view gbk);
void printAnswer(std::string_view gbk);
void logMessage(std::string_view gbk);
void countRegen();
void countFlush();

// --- running commands (editor/script_loop.cpp) -----------------------------------------------

AcEdCommand* runningCommand();
void invoke(AcEdCommand* cmd);
void runTransparent(const Action& a);
drawhost::Result runSource(ScriptSource& src);
drawhost::Result runCommandByName(const std::string& gbkName);
// Moves the cursor: the current drawing's input-point monitors are called
// with the entities under the aperture, and the tooltips they add printed.
void runHover(const AcGePoint3d& pt);
// What the current drawing's monitors add to the tooltip for that aperture (GBK).
std::vector<std::string> monitorTooltips(const AcGePoint3d& pt,
                                         const std::vector<std::vector<AcDbStub*>>& paths);
void resetEditor();

// --- the host's own commands (editor/builtin_commands.cpp) ---------------------------------

struct HostCommandEntry {
  const char* name;
  int flags;
  AcRxFunctionPtr handler;
  const char* help;  // one line for HELP; empty for another name of the command before
};
std::vector<HostCommandEntry> hostCommandEntries();
// A system variable's name (typed as a command, it runs SETVAR for it).
bool isVariableName(const std::string& gbkName);

// --- system variables (editor/variables.cpp) -----------------------------------------------

double pickTolerance();
bool intVar(const std::string& name, int*& value);
void resetVariables(EditorState& st);

// --- object selection (editor/selection_sets.cpp, editor/spatial_queries.cpp) --------------

constexpr std::int64_t kSetMarker = -0x5E1EC7;
class SelectionSet {
 public:
  const std::vector<AcDbStub*>& members() const { return members_; }
  // False when s is a member already.
  bool add(AcDbStub* s);
  // False when s is no member.
  bool remove(AcDbStub* s);
  // Removes the members for which drop(stub) is true.
  template <typename Drop>
  void removeIf(Drop drop) {
    members_.erase(std::remove_if(members_.begin(), members_.end(), drop), members_.end());
    index_.clear();
    indexed_ = false;
  }
  // Members known to be distinct, taken as they are.
  void assignDistinct(std::vector<AcDbStub*> members) {
    members_ = std::move(members);
    index_.clear();
    indexed_ = false;
  }

 private:
  void ensureIndex();
  std::vector<AcDbStub*> members_;
  // Membership, made on the first add or removal: a fresh selection of a
  // million entities never pays for it.
  std::unordered_set<AcDbStub*> index_;
  bool indexed_ = false;
};
SelectionSet* findSet(const AcEdName ss);
// A new set holding members (each once, in order); its name goes to ss.
// `distinct` says the members are known to be distinct already.
void newSet(std::vector<AcDbStub*> members, AcEdName ss, bool distinct = false);
// What one selection action (pick, box, window, ...) selects.
void selectionFor(const Action& a, std::vector<AcDbStub*>& out);
// The members that still exist and are not erased.
std::vector<AcDbStub*> liveOnly(const std::vector<AcDbStub*>& in);

// Pick: nearest displayed top-level entity of model space within tol of pt;
// path from it down to the innermost entity (nested only when descend).
bool pickAt(AcDbDatabase* db, const AcGePoint3d& pt, double tol, bool descend,
            std::vector<AcDbStub*>& path, AcGeMatrix3d* innerXform);
// All displayed top-level entities within tol, nearest first (drawing
// order among equals), with paths.
void entitiesUnder(AcDbDatabase* db, const AcGePoint3d& pt, double tol,
                   std::vector<std::vector<AcDbStub*>>& paths);
enum class BoxMode { kWindow, kCrossing };
// Selections of model space, in drawing order.
void selectBox(AcDbDatabase* db, const AcGePoint3d& p1, const AcGePoint3d& p2, BoxMode mode,
               std::vector<AcDbStub*>& out);
void selectFence(AcDbDatabase* db, const std::vector<AcGePoint3d>& fence,
                 std::vector<AcDbStub*>& out);
// Every entity not erased nor on a frozen layer (that passes the filter, if any).
void selectAll(AcDbDatabase* db, std::vector<AcDbStub*>& out, const class Filter* filter);

// --- filters (editor/wildcards.cpp, editor/filters.cpp) --------------------------------------

// The host's wildcard match (see wildcards.cpp for the rules).
bool wildcardMatch(std::string_view text, std::string_view pattern);
class Filter {
 public:
  // False when the chain is malformed (unbalanced groups, bad operators).
  bool compile(const AcEdResBuf* chain);
  bool matches(const AcDbEntity* ent) const;
  bool empty() const { return nodes_.empty(); }
  struct Node;

 private:
  std::vector<std::shared_ptr<Node>> nodes_;  // implicit AND
};
// Keeps the members that pass the filter chain; ok is false (and members
// empty) when the chain is malformed.
void applyFilter(const AcEdResBuf* filter, std::vector<AcDbStub*>& members, bool& ok);

}  // namespace hostimpl
