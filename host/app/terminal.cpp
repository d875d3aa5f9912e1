// The terminal side of drawhost's interactive mode, over the readline
// library's callback interface: the program waits for input itself, so that
// Ctrl-C (a signal that interrupts the wait) can drop the line being typed
// and answer the prompt with Esc, as in the editor.
//
// The transcript's convention is a line break before each prompt and
// message. Readline ends the typed line itself, so the one line break that
// follows a read line is not shown again.
#include "terminal.h"

#include <poll.h>
#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <langinfo.h>

namespace terminal {
namespace {

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }

std::string pendingPrompt;  // transcript text after its last line break
bool lineJustEnded = false;

struct Read {
  bool done = false;
  bool got = false;
  std::string line;
} current;

void onLine(char* text) {
  rl_callback_handler_remove();
  current.done = true;
  current.got = text != nullptr;
  if (text) {
    current.line = text;
    if (*text) add_history(text);
    std::free(text);
  } else {
    std::fputc('\n', stdout);  // Ctrl-D leaves the cursor after the prompt
  }
}

}  // namespace

bool connected() { return ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO); }

void start() {
  // Editing needs the character set of the terminal: UTF-8 when the
  // environment names none.
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: the wait for input returns
  sigaction(SIGINT, &action, nullptr);
  rl_catch_signals = 0;
  using_history();
}

void show(std::string_view utf8) {
  if (lineJustEnded && !utf8.empty()) {
    if (utf8.front() == '\n') utf8.remove_prefix(1);
    lineJustEnded = false;
  }
  const size_t lastBreak = utf8.rfind('\n');
  if (lastBreak == std::string_view::npos) {
    pendingPrompt.append(utf8);
    return;
  }
  std::fwrite(pendingPrompt.data(), 1, pendingPrompt.size(), stdout);
  std::fwrite(utf8.data(), 1, lastBreak + 1, stdout);
  std::fflush(stdout);
  pendingPrompt.assign(utf8.substr(lastBreak + 1));
}

bool readLine(std::string& line) {
  const std::string prompt = std::exchange(pendingPrompt, std::string());
  current = Read{};
  rl_callback_handler_install(prompt.c_str(), onLine);
  while (!current.done) {
    // A Ctrl-C that came while the host was busy cancels this prompt.
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = interrupted ? -1 : ::poll(&input, 1, -1);
    if (ready < 0 && interrupted) {
      interrupted = 0;
      rl_free_line_state();
      rl_callback_sigcleanup();
      rl_callback_handler_remove();
      std::fputs("^C\n", stdout);
      current.done = current.got = true;
      current.line = "esc";
      break;
    }
    if (ready < 0 && errno != EINTR) {
      rl_callback_handler_remove();
      return false;
    }
    if (ready > 0) rl_callback_read_char();
  }
  lineJustEnded = true;
  line = current.line;
  return current.got;
}

void finish() {
  if (!pendingPrompt.empty()) std::fwrite(pendingPrompt.data(), 1, pendingPrompt.size(), stdout);
  if (!pendingPrompt.empty() || !lineJustEnded) std::fputc('\n', stdout);
  std::fflush(stdout);
  pendingPrompt.clear();
}

}  // namespace terminal
