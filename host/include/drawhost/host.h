// Embedding API of the headless drawing host: what the drawhost program and
// the tests use to open drawings, load plug-ins and drive the editor.
//
// There is one host per process (plug-ins see it through the interface in
// hostapi/). Everything runs on the calling thread. Texts handed to the host
// and the transcript are GBK; scripts are UTF-8 and converted on the way in.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

class AcApDocument;
class AcDbDatabase;
class AcDbObjectId;
struct AcGePoint3d;

namespace drawhost {

// Result of an operation that can fail: ok, or an error text (UTF-8).
struct Result {
  bool ok = true;
  std::string error;
  static Result success() { return {}; }
  static Result failure(std::string text) { return {false, std::move(text)}; }
  explicit operator bool() const { return ok; }
};

// --- Documents ---------------------------------------------------------
// A new document with an empty drawing (layer "0", model space, the usual
// linetypes) that becomes current. Loaded plug-ins get the drawing-loaded
// message. fileName is GBK; empty gives "DrawingN.dwg".
AcApDocument* newDocument(const std::string& fileName = "");
// Opens a drawing file (UTF-8 path) as a new document that becomes current;
// what the load could not keep is said in warnings. On failure nothing is
// opened and the current document stays.
Result openDocument(const std::string& path, std::vector<std::string>* warnings = nullptr);
// Whether SAVE may replace a drawing whose load could not keep everything
// (drawhost's --force); by default it refuses.
void allowSavingOverLossyDrawings(bool allow);
// Sends the drawing-unloaded message, tells document reactors, destroys the
// document. Another open document becomes current.
Result closeDocument(AcApDocument* doc);
AcApDocument* currentDocument();
Result setCurrentDocument(AcApDocument* doc);
std::vector<AcApDocument*> documents();
AcDbDatabase* database(AcApDocument* doc);
// Sets the file name a document shows (after reading a drawing into it).
void setDocumentFileName(AcApDocument* doc, const std::string& fileName);

// --- Plug-ins ----------------------------------------------------------
// Loads a plug-in file: enters it in the module table, loads it as a
// shared library, checks acrxGetApiVersion, calls its attach step, sends
// the initialise message and a drawing-loaded message per open document.
// Errors: "cannot open plug-in FILE: no such file", "... is not a shared
// library (...)", "... has no acrxEntryPoint", "... has no
// acrxGetApiVersion", "... was built for interface version X, the host
// implements Y", "... is already loaded".
Result loadPlugin(const std::string& path);
// Sends drawing-unloaded per document and the unload message, detaches and
// unloads the library. Commands, monitors and reactors the plug-in left
// registered are removed. name: the path given to loadPlugin or the file
// name. A plug-in that did not unlock itself is refused unless force.
Result unloadPlugin(const std::string& name, bool force = false);
std::vector<std::string> loadedPlugins();
// Unloads every plug-in and closes every document; the host is as new.
void reset();

// --- Commands ----------------------------------------------------------
struct CommandInfo {
  std::string group, globalName, localName;
  int flags = 0;
};
// Every registered command, by group (in order of registration).
std::vector<CommandInfo> registeredCommands();
// The host's own commands (group HOST): HELP, SETVAR, OPEN, SAVE, UNDO, ...
std::vector<CommandInfo> hostCommands();
// Runs a command as if typed (GBK name); the input it reads comes from the
// script being run, or is answered as Esc when none is.
Result runCommand(const std::string& name);

// Whether each command of a plug-in is kept as a step that UNDO can take back
// (the default). Batch work that never undoes may leave the copies out.
void keepUndoSteps(bool keep);

// --- Input script ------------------------------------------------------
// Runs a script (UTF-8) in the current document. Errors name the script
// and line: "FILE:LINE: text". The command running at an error gets Esc for
// its remaining prompts, then the script stops.
Result runScriptFile(const std::string& path);
Result runScriptText(const std::string& text, const std::string& name = "<script>");
// Reads actions as a person types them at a terminal, one line at a time
// (UTF-8), each prompt flushed to the transcript sink before the next line
// is read: a wrong answer is said and asked again, an error ends only the
// command it happened in, what is typed is not echoed (the terminal shows
// it), and QUIT or the end of input ends. readLine gives the next line;
// false at the end of input.
using LineReader = std::function<bool(std::string& line)>;
Result runInteractive(LineReader readLine, const std::string& name = "<terminal>");
Result runInteractive(std::istream& in, const std::string& name = "<stdin>");
// Runs a script read from a stream as it comes (a pipe): as runScriptText,
// with each prompt flushed before the next line is read.
Result runScriptStream(std::istream& in, const std::string& name = "<stdin>");

// The tooltip texts (GBK) that the current drawing's input-point monitors
// add for a cursor at `point` whose aperture holds exactly `paths` (each an
// entity and, for one inside block references, the references around it,
// outermost first), in the monitors' order: what a hover there shows when
// those entities are under the cursor. Nothing is printed.
std::vector<std::string> tooltipsFor(const AcGePoint3d& point,
                                     const std::vector<std::vector<AcDbObjectId>>& paths);

// --- Output ------------------------------------------------------------
// Transcript: everything printed on the command line (GBK). By default it
// is kept in memory (transcript()); a sink receives it as it is printed.
using TranscriptSink = std::function<void(std::string_view gbk)>;
void setTranscriptSink(TranscriptSink sink);
std::string transcript();
void clearTranscript();
// Texts of message boxes and alerts, in order (GBK).
std::vector<std::string> messageBoxLog();
void clearMessageBoxLog();
// Called with each prompt (GBK) just before the script answers it; tests
// use it to look at host state while a command waits.
using PromptObserver = std::function<void(std::string_view prompt)>;
void setPromptObserver(PromptObserver observer);

// Modal dialogs: the observer sees each dialog (as the transcript shows it,
// GBK) when it opens, after each dialog action and when it closes.
enum class DialogStage { kOpened, kChanged, kClosed };
using DialogObserver = std::function<void(DialogStage stage, std::string_view view)>;
void setDialogObserver(DialogObserver observer);
// With keep, every dialog is also kept as a picture when it opens and when
// it closes: "dialog-N-opened.svg" and "dialog-N-closed.svg", N counting
// the dialogs run since pictures were asked for.
struct DialogPicture {
  std::string name;
  std::string svg;  // UTF-8
};
void keepDialogPictures(bool keep);
std::vector<DialogPicture> dialogPictures();

// Counters of display work, for tests.
struct DisplayCounters {
  int regens = 0, updates = 0, flushes = 0;
};
DisplayCounters displayCounters();

// System variables as the host keeps them (integers only; false if unknown).
bool getIntVar(const std::string& name, int& value);
bool setIntVar(const std::string& name, int value);

// Whether picks, the cursor's aperture and box and fence selections find
// their candidates through the spatial index (the default) or by looking at
// every entity of the block. The results are the same; tests and
// benchmarks compare the two.
void setSpatialIndexUse(bool useIndex);

// For tests: only `appends` more entities may join a block (a negative
// number: no limit, the default); later appends are refused with
// AcDb::kNotApplicable, as a host may refuse one.
void setAppendLimit(int appends);
// Objects of the database that are open now (for read or for write); 0 when
// every operation closed what it opened.
int openObjectCount(AcDbDatabase* db);

// --- Text encoding -----------------------------------------------------
// Conversions for the borders: a byte that starts no GBK character becomes
// U+FFFD; a character GBK cannot hold becomes the drawing escape \U+XXXX
// (a surrogate pair of them above U+FFFF), an invalid UTF-8 byte \U+FFFD.
std::string utf8ToGbk(std::string_view utf8);
std::string gbkToUtf8(std::string_view gbk);

// Path of the running host program (what GetModuleFileNameA(null) gives).
void setProgramPath(const std::string& path);

}  // namespace drawhost

#pragma GCC visibility pop
