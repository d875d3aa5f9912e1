// Small text steps of the rebar plug-in, kept apart from the host so they
// can be tested alone.
#pragma once

#include <cstddef>
#include <string>

namespace barwisp {

// The directory part of a module's file name, separator kept: everything up
// to and including the last '\' or '/'. A name without a separator lies in
// the current directory, "./".
std::string directoryOf(const char* moduleFileName);

// The full file name of the module `moduleName` as the host reports it, or
// the host program's own file when no such module is loaded; empty when the
// host reports nothing. Long paths are read whole, never cut.
std::string moduleFileName(const char* moduleName);

// The settings file beside the module `moduleName`.
std::string configFilePath(const char* moduleName, const char* configFileName);

// Appends `text` to the zero-terminated GBK text in buf (capacity bytes,
// terminator included). What does not fit is cut at the end of the buffer,
// never in the middle of a double-byte character. Returns the new length.
std::size_t appendBounded(char* buf, std::size_t capacity, const char* text);

}  // namespace barwisp
