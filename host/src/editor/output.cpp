// Output: the command-line transcript (kept, or handed to a sink as it is
// printed), acutPrintf and alerts, and the counters of display work.
#include <cstdarg>
#include <cstdio>

#include "db/db.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace hostimpl {

namespace {
void emit(std::string_view gbk) {
  EditorState& st = state();
  if (st.sink)
    st.sink(gbk);
  else
    st.transcript.append(gbk);
}
}  // namespace

// The transcript reads as the editor's command line: each prompt, the answer
// after it, then a line break. An answer that no prompt asked for (a pointer
// read) starts a line of its own.
void print(std::string_view gbk) {
  EditorState& st = state();
  if (gbk.empty()) return;
  if (st.lineAfterAnswer && gbk.front() != '\n') emit("\n");
  st.lineAfterAnswer = st.atPrompt = false;
  emit(gbk);
}

void printPrompt(std::string_view gbk) {
  print(gbk);
  state().atPrompt = true;
}

void printAnswer(std::string_view gbk) {
  EditorState& st = state();
  if (!st.atPrompt) emit("\n");
  emit(gbk);
  st.atPrompt = false;
  st.lineAfterAnswer = true;
}

void logMessage(std::string_view gbk) { state().messages.emplace_back(gbk); }

void countRegen() { ++state().counters.regens; }
void countFlush() { ++state().counters.flushes; }

}  // namespace hostimpl

using hostimpl::state;

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
