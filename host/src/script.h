// Input-script actions: one line of a script parsed into what the user did.
//
// The parser knows the shape of each action but not the prompt that will
// read it; the editor decides whether an action fits (see editor.cpp). A
// line that is a single word may be a command name or a text answer, so it
// stays a kWord until a prompt or the top level reads it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostapi/geometry.h"

namespace hostimpl {

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

}  // namespace hostimpl
