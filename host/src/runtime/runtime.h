// The host's run-time: the module table and plug-in loader, the command
// stack, the documents with their managers, and the embedding API over
// them. Nothing here is part of the plug-in interface.
//
// Invariants:
//   - a module handle (HINSTANCE) is the address of the module's record in
//     the module table; the record is made before the library is loaded,
//     because its static objects are built during loading and may already
//     ask for their own module;
//   - while a plug-in's code runs (loading, messages, commands, monitors,
//     reactors) its module is the active one (ModuleScope): whatever it
//     registers is remembered under it and removed when it is unloaded, so
//     no handler of an unloaded library can ever be called;
//   - there is at most one current document; every open document is in
//     documentList() and owns its database, input-point manager and the
//     editor's per-drawing selection state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"

namespace hostimpl {

// --- modules (runtime/modules.cpp) ------------------------------------------------

struct Module {
  std::string path;
  std::string fileName;
  void* library = nullptr;
  AcRxEntryPointFunc entryPoint = nullptr;
  DllMainFunc dllMain = nullptr;
  bool unlocked = false;
  bool mdiAware = false;
  bool attached = false;
  const AcUiResources* resources = nullptr;  // what the library exports as acuiResources
};
Module* moduleFromAppId(void* appId);
Module* activeModule();
struct ModuleScope {
  explicit ModuleScope(Module* m);
  ~ModuleScope();
  Module* saved;
};
// The record standing for the host program itself.
Module* hostModule();
// A new record at the end of the table, and its removal.
Module* addModule(const std::string& path);
void removeModule(Module* m);
// By path, canonical path or file name (case ignored).
Module* findModule(const std::string& name);
std::vector<Module*> loadedModules();
std::vector<std::string> pluginPaths();
HINSTANCE handleOf(Module* m);
// The loaded module (or the host's record) a handle stands for; null for any other value.
Module* moduleFromHandle(HINSTANCE handle);
std::string baseName(const std::string& path);
// Removes whatever the module left registered.
void dropModuleRegistrations(Module* m);

// --- the loader (runtime/loader.cpp) ------------------------------------------------

drawhost::Result loadPluginImpl(const std::string& path);
// Why the file is no shared library the system's loader could map safely
// (runtime/elf_check.cpp); empty when it is one.
std::string sharedObjectProblem(const std::string& path);
drawhost::Result unloadPluginImpl(const std::string& name, bool force);
// Sends a message to every loaded plug-in.
void sendDocumentMessage(AcRx::AppMsgCode msg, AcApDocument* doc);

// --- commands (runtime/commands.cpp) --------------------------------------------------

struct CommandRecord {
  std::string group, global, local;
  int flags;
  AcRxFunctionPtr fn;
  Module* module;
};
void dropCommandsOf(Module* m);
void dropFunctionsOf(Module* m);
// The command a typed name stands for: "_NAME" is a global name only;
// otherwise local names, then global names, newest group first.
AcEdCommand* findCommand(const std::string& typed);
Module* commandModule(AcEdCommand* cmd);
void setActiveCommand(AcEdCommand* cmd);
std::vector<drawhost::CommandInfo> commandList();
// The host's own commands (editor/builtin_commands.cpp), in their group.
constexpr const char* kHostCommandGroup = "HOST";
bool isHostCommand(const AcEdCommand* cmd);
std::vector<drawhost::CommandInfo> hostCommandList();

// --- documents (runtime/documents.cpp) -----------------------------------------------

// The editor's per-drawing selection state.
struct DocState {
  std::vector<AcDbStub*> pickfirst;
  std::vector<AcDbStub*> previous;
  // The file the drawing was read from or last saved to (UTF-8; empty for a new drawing),
  // whether its load could not keep everything, and the database's modification count then.
  std::string path;
  bool lossy = false;
  std::uint64_t savedModifications = 0;
};
DocState& docState(AcApDocument* doc);
AcApDocument* currentDocument();
AcApDocument* createDocument(const std::string& fileName);
void destroyDocument(AcApDocument* doc);
// Tells the plug-ins and the reactors, then destroys the document (also while the host's
// CLOSE command runs).
void closeDocumentNow(AcApDocument* doc);
std::vector<AcApDocument*>& documentList();
void setCurrent(AcApDocument* doc);
void setDocFileName(AcApDocument* doc, const std::string& name);
std::vector<AcEdInputPointMonitor*> monitorsOf(AcApDocument* doc);
Module* monitorModule(AcEdInputPointMonitor* mon);
void notifyDocumentCreated(AcApDocument* doc);
void notifyDocumentToBeDestroyed(AcApDocument* doc);
void dropReactorsOf(Module* m);
void dropMonitorsOf(Module* m);

}  // namespace hostimpl
