// The module table: a record per loaded plug-in (and one for the host
// program), the active module while plug-in code runs, and the
// operating-system calls that work on modules (module handles and file
// names).
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <list>

#include "db/db.h"
#include "editor/editor.h"
#include "runtime/runtime.h"

namespace fs = std::filesystem;

namespace hostimpl {

namespace {
std::list<Module>& modules() {
  static std::list<Module>* m = new std::list<Module>;
  return *m;
}
Module* gActive = nullptr;
}  // namespace

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

HINSTANCE handleOf(Module* m) { return reinterpret_cast<HINSTANCE>(m); }

Module* moduleFromHandle(HINSTANCE handle) {
  if (handle == nullptr) return nullptr;
  if (handle == handleOf(hostModule())) return hostModule();
  for (Module& m : modules())
    if (handleOf(&m) == handle) return &m;
  return nullptr;
}

Module* findModule(const std::string& name) {
  std::error_code ec;
  std::string canonical = fs::weakly_canonical(name, ec).string();
  for (Module& m : modules())
    if (m.path == canonical || m.path == name || equalNoCase(m.fileName, name) ||
        equalNoCase(m.fileName, baseName(name)))
      return &m;
  return nullptr;
}

Module* addModule(const std::string& path) {
  modules().emplace_back();
  Module* m = &modules().back();
  m->path = path;
  m->fileName = baseName(path);
  return m;
}

void removeModule(Module* m) {
  modules().remove_if([m](const Module& x) { return &x == m; });
}

Module* hostModule() {
  static Module* host = [] {
    auto* m = new Module;
    std::error_code ec;
    m->path = fs::read_symlink("/proc/self/exe", ec).string();
    m->fileName = baseName(m->path);
    return m;
  }();
  return host;
}

Module* moduleFromAppId(void* appId) {
  if (!appId) return nullptr;
  if (appId == hostModule()) return hostModule();
  for (Module& m : modules())
    if (&m == appId) return &m;
  return nullptr;
}

Module* activeModule() { return gActive; }
ModuleScope::ModuleScope(Module* m) : saved(gActive) { gActive = m; }
ModuleScope::~ModuleScope() { gActive = saved; }

void dropModuleRegistrations(Module* m) {
  dropCommandsOf(m);
  dropMonitorsOf(m);
  dropReactorsOf(m);
  dropFunctionsOf(m);
}

std::vector<Module*> loadedModules() {
  std::vector<Module*> out;
  for (Module& m : modules()) out.push_back(&m);
  return out;
}

std::vector<std::string> pluginPaths() {
  std::vector<std::string> out;
  for (Module& m : modules()) out.push_back(m.path);
  return out;
}

}  // namespace hostimpl

// --- operating-system stand-ins -------------------------------------------------------------

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) return reinterpret_cast<HMODULE>(hostimpl::hostModule());
  std::string wanted = hostimpl::baseName(moduleName);
  for (hostimpl::Module* m : hostimpl::loadedModules())
    if (hostimpl::equalNoCase(m->fileName, wanted)) return hostimpl::handleOf(m);
  return nullptr;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  hostimpl::Module* m = hostimpl::moduleFromAppId(module);
  if (!m) m = hostimpl::hostModule();
  if (!fileName || size == 0) return 0;
  const std::string& path = m->path;
  if (path.size() >= size) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    return size;
  }
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
