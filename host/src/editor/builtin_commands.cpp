// The host's own commands, group HOST: help, system variables, drawings
// (new, open, close, switch, save), the layer list, an entity's data, undo
// and redo, and quit. They read their answers through the same input
// functions as the plug-ins' commands, so scripts and the terminal drive
// them alike; a wrong answer is asked again at a terminal and is the
// script's error in a script.
#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "db/db.h"
#include "drawhost/io.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace hostimpl {
namespace {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
  char buffer[512];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(buffer, sizeof buffer, pattern, args);
  va_end(args);
  return buffer;
}

void say(const std::string& utf8) {
  print("\n");
  print(text::utf8ToGbk(utf8));
}

// A text answer (UTF-8); false on Esc or the end of input.
bool askText(const std::string& prompt, std::string& answer, bool spaces = true) {
  char buffer[4096];
  if (acedGetString(spaces ? 1 : 0, text::utf8ToGbk(prompt).c_str(), buffer, sizeof buffer) !=
      AcEd::kNormal)
    return false;
  answer = text::gbkToUtf8(buffer);
  return true;
}

std::string documentTitle(AcApDocument* doc) { return text::gbkToUtf8(doc->fileName()); }

// --- HELP ---------------------------------------------------------------------------------

void helpCommand() {
  say("Host commands (group HOST):");
  const std::vector<HostCommandEntry> entries = hostCommandEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!*entries[i].help) continue;
    std::string names = entries[i].name;
    for (size_t j = i + 1; j < entries.size() && !*entries[j].help; ++j)
      names += std::string(", ") + entries[j].name;
    say(format("  %-12s %s", names.c_str(), entries[i].help));
  }
  say("  (a variable's name, such as OSMODE, shows it and asks for a new value)");
  const std::vector<drawhost::CommandInfo> commands = commandList();
  say(commands.empty() ? "No plug-in commands: load a plug-in with --load PLUGIN.arx."
                       : "Plug-in commands:");
  for (const drawhost::CommandInfo& c : commands) {
    std::string line = "  " + text::gbkToUtf8(c.localName) + "  group " + text::gbkToUtf8(c.group);
    if (c.globalName != c.localName) line += ", global name " + text::gbkToUtf8(c.globalName);
    if (c.flags & AcEdCommandFlags::kTransparent) line += ", transparent";
    if (c.flags & AcEdCommandFlags::kUsePickSet) line += ", uses the selection made before it";
    say(line);
  }
  say("At a prompt: x,y  pick x,y  box x1,y1 x2,y2  window ...  crossing ...  fence ...  all  "
      "previous  enter  esc  \"text\"; 'NAME runs a transparent command; hover x,y moves the "
      "cursor.");
}

// --- system variables ---------------------------------------------------------------------

std::string variableValue(const std::string& key) {
  AcEdResBuf value;
  if (acedGetVar(key.c_str(), &value) != AcEd::kNormal) return "?";
  switch (value.type) {
    case AcEd::kRtShort: return std::to_string(value.value.shortValue);
    case AcEd::kRtReal: return format("%g", value.value.real);
    case AcEd::kRtString: {
      std::string s = text::gbkToUtf8(value.value.string ? value.value.string : "");
      std::free(value.value.string);
      return s;
    }
    default: return "?";
  }
}

std::vector<std::string> variableNames() {
  std::vector<std::string> names{"CLAYER", "DWGNAME"};
  for (const auto& [name, v] : state().vars) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

void listVariables() {
  for (const std::string& name : variableNames())
    say(format("  %-10s %s", name.c_str(), variableValue(name).c_str()));
}

// What a variable accepts, said when a value is refused.
std::string accepted(const std::string& key) {
  if (key == "CLAYER") return "the name of a layer that is not frozen";
  if (key == "DWGNAME") return "nothing: it is the drawing's name and cannot be set";
  const Variable& v = state().vars[key];
  if (v.kind == Variable::kInt) return "an integer from 0 to 32767";
  if (v.kind == Variable::kReal) return "a number above 0";
  return "a text";
}

bool setVariable(const std::string& key, const std::string& answer) {
  if (key == "DWGNAME") return false;
  AcEdResBuf value;
  std::string gbk = text::utf8ToGbk(answer);
  const auto found = state().vars.find(key);
  const Variable::Kind kind = found == state().vars.end() ? Variable::kString : found->second.kind;
  char* end = nullptr;
  if (kind == Variable::kString) {
    value.type = AcEd::kRtString;
    value.value.string = gbk.data();
  } else {
    const double number = std::strtod(answer.c_str(), &end);
    if (answer.empty() || *end != '\0' || !std::isfinite(number)) return false;
    if (kind == Variable::kInt) {
      if (number != std::floor(number) || std::fabs(number) > 32767) return false;
      value.type = AcEd::kRtShort;
      value.value.shortValue = static_cast<std::int16_t>(number);
    } else {
      value.type = AcEd::kRtReal;
      value.value.real = number;
    }
  }
  return acedSetVar(key.c_str(), &value) == AcEd::kNormal;
}

// Shows the variable, asks for its new value (Enter keeps it) and sets it.
void changeVariable(const std::string& key) {
  while (true) {
    std::string answer;
    if (!askText("\nEnter new value for " + key + " <" + variableValue(key) + ">: ", answer))
      return;
    if (answer.empty()) return;
    if (setVariable(key, answer)) return;
    if (!askAgainAfter(key + " takes " + accepted(key) + ", not \"" + answer + "\"")) return;
  }
}

bool askVariableName(const std::string& prompt, std::string& key) {
  while (true) {
    std::string answer;
    if (!askText(prompt, answer, false) || answer.empty()) return false;
    key = upper(answer);
    if (key == "?") {
      listVariables();
      continue;
    }
    if (isVariableName(text::utf8ToGbk(key))) return true;
    if (!askAgainAfter("no system variable is called \"" + answer + "\" (? lists them)"))
      return false;
  }
}

void setvarCommand() {
  std::string key = std::exchange(state().presetVariable, std::string());
  if (key.empty() && !askVariableName("\nEnter variable name or [?]: ", key)) return;
  changeVariable(upper(key));
}

void getvarCommand() {
  std::string key;
  if (askVariableName("\nEnter variable name or [?]: ", key))
    say(key + " = " + variableValue(key));
}

// --- drawings -----------------------------------------------------------------------------

void becomeCurrent(AcApDocument* doc) {
  acDocManagerPtr()->setCurDocument(doc);
  say(documentTitle(doc) + " is the current drawing.");
}

void newCommand() {
  AcApDocument* doc = drawhost::newDocument();
  becomeCurrent(doc);
}

AcApDocument* documentOfFile(const std::string& path) {
  std::error_code error;
  for (AcApDocument* doc : documentList()) {
    const std::string& open = docState(doc).path;
    if (!open.empty() && std::filesystem::equivalent(open, path, error)) return doc;
  }
  return nullptr;
}

void openCommand() {
  std::string path;
  if (!askText("\nEnter name of drawing to open: ", path) || path.empty()) return;
  if (AcApDocument* open = documentOfFile(path)) {
    say(path + " is open already.");
    becomeCurrent(open);
    return;
  }
  std::vector<std::string> warnings;
  const drawhost::Result opened = drawhost::openDocument(path, &warnings);
  for (const std::string& warning : warnings) say("Warning: " + path + ": " + warning);
  if (!opened) {
    if (askAgainAfter(opened.error)) say("Nothing was opened.");
    return;
  }
  say(documentTitle(currentDocument()) + " is the current drawing.");
}

bool unsavedChanges(AcApDocument* doc) {
  return doc->database()->modificationCount() != docState(doc).savedModifications;
}

bool saveDocumentAs(AcApDocument* doc, const std::string& path);

// SAVE's target: the file the drawing came from, or a name asked for.
bool askSaveName(AcApDocument* doc, std::string& path) {
  const std::string& current = docState(doc).path;
  std::string prompt = "\nEnter file name to save as";
  if (!current.empty()) prompt += " <" + current + ">";
  while (true) {
    if (!askText(prompt + ": ", path)) return false;
    if (path.empty()) path = current;
    if (path.empty()) continue;
    std::string extension = std::filesystem::path(path).extension().string();
    if (upper(extension) == ".DXF") return true;
    if (!askAgainAfter("drawings are saved as DXF: the file name must end in .dxf, not \"" +
                       path + "\""))
      return false;
  }
}

bool saveDocumentAs(AcApDocument* doc, const std::string& path) {
  DocState& ds = docState(doc);
  std::error_code error;
  const bool overSource = !ds.path.empty() && std::filesystem::equivalent(ds.path, path, error);
  if (overSource && ds.lossy && !state().saveOverLossy) {
    askAgainAfter("not saving over " + path +
                  ": it holds what the host cannot keep (its load said what); save it under "
                  "another name with SAVEAS, or start drawhost with --force");
    return false;
  }
  drawhost::Result result = drawhost::checkOutputTargets({path});
  std::vector<std::string> warnings;
  if (result) {
    const std::string contents = drawhost::dxfText(doc->database(), &warnings);
    result = drawhost::writeFilesAtomically({{path, contents}});
  }
  for (const std::string& warning : warnings) say("Warning: " + path + ": " + warning);
  if (!result) {
    askAgainAfter(result.error);
    return false;
  }
  ds.path = path;
  ds.lossy = false;
  ds.savedModifications = doc->database()->modificationCount();
  setDocFileName(doc, text::utf8ToGbk(path));
  say("Saved " + path + ".");
  return true;
}

void saveAsCommand() {
  AcApDocument* doc = currentDocument();
  std::string path;
  if (askSaveName(doc, path)) saveDocumentAs(doc, path);
}

void saveCommand() {
  AcApDocument* doc = currentDocument();
  if (docState(doc).path.empty()) return saveAsCommand();
  saveDocumentAs(doc, docState(doc).path);
}

void closeCommand() {
  AcApDocument* doc = currentDocument();
  if (documentList().size() == 1) {
    askAgainAfter("the only open drawing stays open (QUIT ends drawhost)");
    return;
  }
  if (unsavedChanges(doc)) {
    while (true) {
      std::string answer;
      if (!askText("\nSave changes to " + documentTitle(doc) + "? [Yes/No] <Yes>: ", answer, false))
        return;
      const std::string key = upper(answer);
      if (key.empty() || key == "Y" || key == "YES") {
        std::string path;
        if (!askSaveName(doc, path) || !saveDocumentAs(doc, path)) return;
        break;
      }
      if (key == "N" || key == "NO") break;
      if (!askAgainAfter("answer Yes or No, not \"" + answer + "\"")) return;
    }
  }
  const std::string title = documentTitle(doc);
  closeDocumentNow(doc);
  say(title + " is closed.");
  becomeCurrent(currentDocument());
}

void listDocuments() {
  const std::vector<AcApDocument*>& docs = documentList();
  for (size_t i = 0; i < docs.size(); ++i)
    say(format("  %zu  %s%s%s", i + 1, documentTitle(docs[i]).c_str(),
               unsavedChanges(docs[i]) ? "  (changed)" : "",
               docs[i] == currentDocument() ? "  (current)" : ""));
}

void documentsCommand() {
  listDocuments();
  const std::vector<AcApDocument*>& docs = documentList();
  const auto at = std::find(docs.begin(), docs.end(), currentDocument());
  const std::string current = std::to_string(at - docs.begin() + 1);
  while (true) {
    std::string answer;
    if (!askText("\nEnter number of drawing to make current <" + current + ">: ", answer, false))
      return;
    if (answer.empty()) return;
    char* end = nullptr;
    const long n = std::strtol(answer.c_str(), &end, 10);
    if (*end == '\0' && n >= 1 && n <= static_cast<long>(docs.size())) {
      becomeCurrent(docs[n - 1]);
      return;
    }
    if (!askAgainAfter(format("give a number from 1 to %zu, not \"", docs.size()) + answer + "\""))
      return;
  }
}

// --- layers and entities ---------------------------------------------------------------------

// Live entities by layer, in every block (attributes included).
std::map<const AcDbStub*, long> entitiesByLayer(AcDbDatabase* db) {
  std::map<const AcDbStub*, long> count;
  for (AcDbStub* block : tableRecords(db->impl()->blockTable)->records) {
    if (block->object->isErased()) continue;
    for (AcDbStub* e : blockEntities(block)->entities) {
      const auto* ent = static_cast<const AcDbEntity*>(e->object);
      if (ent->isErased()) continue;
      ++count[ent->layerStub_];
      if (const auto* ref = AcDbBlockReference::cast(ent))
        for (AcDbStub* a : ref->attributes_)
          if (!a->object->isErased()) ++count[static_cast<const AcDbEntity*>(a->object)->layerStub_];
    }
  }
  return count;
}

void layerCommand() {
  AcDbDatabase* db = currentDocument()->database();
  const std::map<const AcDbStub*, long> counts = entitiesByLayer(db);
  std::vector<const AcDbLayerTableRecord*> layers;
  for (AcDbStub* s : tableRecords(db->impl()->layerTable)->records)
    if (!s->object->isErased()) layers.push_back(static_cast<const AcDbLayerTableRecord*>(s->object));
  say(format("Layers: %zu (current: %s)", layers.size(),
             text::gbkToUtf8(recordName(db->impl()->clayer)).c_str()));
  say("  name                 on   frozen  locked  colour  linetype      entities");
  for (const AcDbLayerTableRecord* layer : layers) {
    const auto found = counts.find(layer->stub());
    std::string name = text::gbkToUtf8(layer->name());
    // Padding counts characters, not bytes.
    size_t width = 0;
    for (unsigned char c : name) width += (c & 0xC0) != 0x80 ? ((c >= 0xE0) ? 2 : 1) : 0;
    name += std::string(width < 20 ? 20 - width : 1, ' ');
    say(format("  %s %-4s %-7s %-7s %-7d %-13s %ld", name.c_str(), layer->isOff() ? "off" : "on",
               layer->isFrozen() ? "yes" : "no", layer->isLocked() ? "yes" : "no",
               layer->colorIndex(),
               text::gbkToUtf8(recordName(layer->linetypeStub_ ? layer->linetypeStub_
                                                               : db->impl()->continuous))
                   .c_str(),
               found == counts.end() ? 0L : found->second));
  }
}

std::string groupValue(const AcEdResBuf* rb) {
  switch (acutValueKind(rb->type)) {
    case AcEdValueKind::kString:
    {
      std::string quoted(1, '"');
      quoted += text::gbkToUtf8(rb->value.string ? rb->value.string : "");
      return quoted += '"';
    }
    case AcEdValueKind::kPoint:
      return format("%g,%g,%g", rb->value.point[0], rb->value.point[1], rb->value.point[2]);
    case AcEdValueKind::kReal: return format("%g", rb->value.real);
    case AcEdValueKind::kShort: return std::to_string(rb->value.shortValue);
    case AcEdValueKind::kLong: return std::to_string(rb->value.longValue);
    case AcEdValueKind::kName: {
      const AcDbStub* s = stubFromName(rb->value.name);
      return s ? format("<entity %" PRIX64 ">", s->handle) : std::string("<none>");
    }
    case AcEdValueKind::kNone: break;
  }
  return "?";
}

void listCommand() {
  AcEdName entity;
  AcEdPoint point;
  int rc;
  while ((rc = acedEntSel("\nSelect object: ", entity, point)) == AcEd::kError) {
  }
  if (rc != AcEd::kNormal) return;
  AcEdResBuf* data = acdbEntGet(entity);
  for (const AcEdResBuf* rb = data; rb; rb = rb->next)
    say(format("  %5d  ", rb->type) + groupValue(rb));
  acutRelRb(data);
}

// --- undo ---------------------------------------------------------------------------------

void undoSteps(int steps) {
  AcDbDatabase* db = currentDocument()->database();
  for (int i = 0; i < steps; ++i) {
    std::string command;
    if (!undoLastGroup(db, command)) {
      say(i == 0 ? "Nothing to undo." : "Everything is undone.");
      return;
    }
    say("Undone: " + text::gbkToUtf8(command));
  }
}

void undoCommand() {
  while (true) {
    int steps = 1;
    const int rc = acedGetInt("\nEnter the number of commands to undo <1>: ", &steps);
    if (rc == AcEd::kNone) steps = 1;
    else if (rc != AcEd::kNormal) return;
    if (steps >= 1) return undoSteps(steps);
    if (!askAgainAfter("give a number of commands from 1 up")) return;
  }
}

void uCommand() { undoSteps(1); }

void redoCommand() {
  std::string command;
  if (redoLastGroup(currentDocument()->database(), command))
    say("Redone: " + text::gbkToUtf8(command));
  else
    say("Nothing to redo: REDO follows UNDO or U.");
}

void quitCommand() { state().quit = true; }

}  // namespace

bool isVariableName(const std::string& gbkName) {
  const std::string key = upper(gbkName);
  return key == "CLAYER" || key == "DWGNAME" || state().vars.count(key) > 0;
}

std::vector<HostCommandEntry> hostCommandEntries() {
  const int modal = AcEdCommandFlags::kModal;
  const int transparent = AcEdCommandFlags::kTransparent;
  return {
      {"HELP", transparent, helpCommand, "list every command, one line each"},
      {"?", transparent, helpCommand, ""},
      {"SETVAR", transparent, setvarCommand, "show a system variable and set it (Enter keeps it)"},
      {"GETVAR", transparent, getvarCommand, "show a system variable"},
      {"NEW", modal, newCommand, "start a new drawing and make it current"},
      {"OPEN", modal, openCommand, "open a drawing file (DXF) and make it current"},
      {"CLOSE", modal, closeCommand, "close the current drawing (asks to save changes)"},
      {"DOCUMENTS", modal, documentsCommand, "list the open drawings and make one current"},
      {"SAVE", modal, saveCommand, "save the drawing to its file"},
      {"SAVEAS", modal, saveAsCommand, "save the drawing under another name (.dxf)"},
      {"LAYER", transparent, layerCommand, "list the layers with their settings and entities"},
      {"LIST", modal, listCommand, "show the data of a picked entity"},
      {"UNDO", modal, undoCommand, "undo what the last commands changed in the drawing"},
      {"U", modal, uCommand, ""},
      {"REDO", modal, redoCommand, "redo what UNDO or U undid"},
      {"QUIT", modal, quitCommand, "end drawhost (writes the outputs asked for)"},
  };
}

}  // namespace hostimpl
