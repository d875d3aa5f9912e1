// A person at a terminal: lines read with line editing and history, the
// transcript shown around them, and Ctrl-C cancelling the line being typed.
#pragma once

#include <string>
#include <string_view>

namespace terminal {

// Whether standard input and output are a terminal.
bool connected();
// Gets the terminal ready: the locale's character set for editing, Ctrl-C
// caught. Call once before the first print.
void start();
// Shows transcript text (UTF-8). The text after its last line break is the
// prompt: it is shown when the next line is read, as the editor's prompt.
void show(std::string_view utf8);
// Reads the next line after the prompt. Ctrl-C gives "esc" (the prompt is
// cancelled); false at the end of input (Ctrl-D).
bool readLine(std::string& line);
// Shows what is left of the transcript and ends the last line.
void finish();

}  // namespace terminal
