// Prompts: the editor's state, and nextAnswer, through which every input
// function takes the next action of the script that fits its prompt.
#include <cstdio>

#include "db/db.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace hostimpl {

EditorState& state() {
  static EditorState* s = [] {
    auto* st = new EditorState;
    resetVariables(*st);
    return st;
  }();
  return *s;
}

void echo(const std::string& utf8) {
  if (state().source && state().source->interactive) return;
  printAnswer(text::utf8ToGbk(utf8));
}

namespace {

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

}  // namespace

void failScript(const std::string& message) {
  EditorState& st = state();
  if (st.error.empty())
    st.error = (st.source ? st.source->name + ":" + std::to_string(st.source->line) + ": " : "") +
               message;
}

bool askAgainAfter(const std::string& message) {
  EditorState& st = state();
  if (st.source && st.source->interactive) {
    print("\n");
    print(text::utf8ToGbk(message));
    return true;
  }
  failScript(message);
  return false;
}

void clearInitGet() {
  state().initFlags = 0;
  state().keywords.clear();
}

namespace {

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

// A prompt as messages quote it: UTF-8, without the line breaks before it.
std::string promptText(const char* prompt) {
  std::string p = text::gbkToUtf8(prompt ? prompt : "");
  while (!p.empty() && p.front() == '\n') p.erase(0, 1);
  return p;
}

}  // namespace

void askAgain(const char* prompt) {
  if (!prompt || !*prompt) return;
  std::string line(prompt[0] == '\n' ? 0 : 1, '\n');
  printPrompt(line += prompt);
}

bool readScriptLine(ScriptSource& source, std::string& line) {
  if (!source.nextLine(line)) return false;
  if (source.line == 1) line.erase(0, line.size() - text::withoutByteOrderMark(line).size());
  std::string gbk;
  text::Refusal refusal;
  if (text::utf8ToGbkStrict(line, gbk, &refusal)) return true;
  std::string message = refusal.reason + " (byte " + std::to_string(refusal.offset + 1) + " of the line)";
  // The usual cause: a script saved in the drawing's code page.
  const std::string asGbk = text::gbkToUtf8(line);
  if (refusal.notUtf8 && asGbk.find("\xEF\xBF\xBD") == std::string::npos)
    message += "; read as GBK the line says " + asGbk + ": scripts are UTF-8, save it as UTF-8";
  failScript(message);
  return false;
}

int nextAnswer(const char* prompt, unsigned accept, Action& out) {
  EditorState& st = state();
  if (prompt && *prompt) printPrompt(prompt);
  if (st.promptObserver) st.promptObserver(prompt ? prompt : "");
  while (true) {
    if (!st.error.empty()) {
      print("*Cancel*");
      return AcEd::kCancel;
    }
    std::string line;
    bool got = st.source && !st.sourceEnded && readScriptLine(*st.source, line);
    if (!got && !st.error.empty()) continue;
    if (!got) {
      if (st.source) st.sourceEnded = true;
      if (!st.endNoticeGiven) {
        print(st.source && st.source->interactive ? "\n*Cancel* (end of input)"
                                                  : "\n*Cancel* (end of script)");
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
      continue;
    }
    if (a.kind == Action::kTransparent) {
      runTransparent(a);
      if (!st.error.empty()) continue;
      askAgain(prompt);
      continue;
    }
    if (a.kind == Action::kEsc) {
      echo(a.raw);
      print("\n*Cancel*");
      return AcEd::kCancel;
    }
    if (a.kind == Action::kInvalid) {
      if (askAgainAfter(a.error + ": \"" + a.raw + "\"")) askAgain(prompt);
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
      if (askAgainAfter("empty input is not allowed at prompt \"" + promptText(prompt) + "\""))
        askAgain(prompt);
      continue;
    }
    if (!accepts(accept, a)) {
      if (askAgainAfter("expected " + describe(accept) + " at prompt \"" + promptText(prompt) +
                        "\", got \"" + a.raw + "\""))
        askAgain(prompt);
      continue;
    }
    echo(a.raw);
    out = a;
    return AcEd::kNormal;
  }
}

}  // namespace hostimpl
