// The plug-in loader and the module table, with the operating-system and
// windowing stand-ins that work on modules (module handles and file names,
// wsprintfA, message boxes, extension-module records).
//
// A module handle is the address of the module's entry in the table. The
// entry is made before the library is loaded, because the library's static
// objects are built during loading and may already ask for their own
// module. While a plug-in's code runs (loading, messages, commands,
// monitors, reactors), it is the active module: what it registers is
// remembered under it and removed when it is unloaded.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <list>

#include "internal.h"

namespace fs = std::filesystem;

namespace hostimpl {

namespace {
std::list<Module>& modules() {
  static std::list<Module>* m = new std::list<Module>;
  return *m;
}
Module* gActive = nullptr;
int gUiInitCount = 0;
std::vector<HINSTANCE>& resourceChain() {
  static std::vector<HINSTANCE> chain;
  return chain;
}

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

HINSTANCE handleOf(Module* m) { return reinterpret_cast<HINSTANCE>(m); }

Module* findModule(const std::string& name) {
  std::error_code ec;
  std::string canonical = fs::weakly_canonical(name, ec).string();
  for (Module& m : modules())
    if (m.path == canonical || m.path == name || equalNoCase(m.fileName, name) ||
        equalNoCase(m.fileName, baseName(name)))
      return &m;
  return nullptr;
}

void removeModule(Module* m) {
  modules().remove_if([m](const Module& x) { return &x == m; });
}

// Sends a message to a plug-in; an exception escaping it counts as an error.
bool sendMessage(Module* m, AcRx::AppMsgCode msg, void* pkt) {
  ModuleScope scope(m);
  try {
    return m->entryPoint(msg, pkt) == AcRx::kRetOK;
  } catch (...) {
    return false;
  }
}
}  // namespace

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

void sendDocumentMessage(AcRx::AppMsgCode msg, AcApDocument* doc) {
  for (Module* m : loadedModules()) sendMessage(m, msg, doc);
}

drawhost::Result loadPluginImpl(const std::string& path) {
  auto fail = [&](const std::string& why) {
    return drawhost::Result::failure("cannot load plug-in " + path + ": " + why);
  };
  std::error_code ec;
  if (!fs::exists(path, ec)) return fail("no such file");
  if (fs::is_directory(path, ec)) return fail("it is a directory");
  if (::access(path.c_str(), R_OK) != 0) return fail("the file cannot be read");
  std::string canonical = fs::canonical(path, ec).string();
  for (Module& m : modules())
    if (m.path == canonical) return fail("it is already loaded");

  modules().emplace_back();
  Module* m = &modules().back();
  m->path = canonical;
  m->fileName = baseName(canonical);
  void* lib = nullptr;
  {
    ModuleScope scope(m);
    lib = ::dlopen(canonical.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (!lib) {
    const char* why = ::dlerror();
    dropModuleRegistrations(m);
    removeModule(m);
    return fail(std::string("not a loadable shared library (") + (why ? why : "unknown") + ")");
  }
  auto unloadWith = [&](const std::string& why) {
    dropModuleRegistrations(m);
    {
      ModuleScope scope(m);
      ::dlclose(lib);
    }
    dropModuleRegistrations(m);
    removeModule(m);
    return fail(why);
  };
  auto entry = reinterpret_cast<AcRxEntryPointFunc>(::dlsym(lib, "acrxEntryPoint"));
  auto version = reinterpret_cast<AcRxGetApiVersionFunc>(::dlsym(lib, "acrxGetApiVersion"));
  if (!entry) return unloadWith("it has no acrxEntryPoint");
  if (!version) return unloadWith("it has no acrxGetApiVersion");
  int v = version();
  if (v != AcRx::kApiVersion) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "it was built for interface version 0x%X, the host implements 0x%X",
                  static_cast<unsigned>(v), static_cast<unsigned>(AcRx::kApiVersion));
    return unloadWith(buf);
  }
  m->library = lib;
  m->entryPoint = entry;
  m->dllMain = reinterpret_cast<DllMainFunc>(::dlsym(lib, "DllMain"));
  if (m->dllMain) {
    ModuleScope scope(m);
    bool ok;
    try {
      ok = m->dllMain(handleOf(m), DLL_PROCESS_ATTACH, nullptr) != FALSE;
    } catch (...) {
      ok = false;
    }
    if (!ok) return unloadWith("its attach step failed");
    m->attached = true;
  }
  if (!sendMessage(m, AcRx::kInitAppMsg, handleOf(m))) {
    sendMessage(m, AcRx::kUnloadAppMsg, handleOf(m));
    if (m->attached) m->dllMain(handleOf(m), DLL_PROCESS_DETACH, nullptr);
    return unloadWith("it refused to initialise");
  }
  for (AcApDocument* doc : std::vector<AcApDocument*>(documentList()))
    sendMessage(m, AcRx::kLoadDwgMsg, doc);
  return drawhost::Result::success();
}

drawhost::Result unloadPluginImpl(const std::string& name, bool force) {
  Module* m = findModule(name);
  if (!m) return drawhost::Result::failure("plug-in " + name + " is not loaded");
  if (!m->unlocked && !force)
    return drawhost::Result::failure("plug-in " + name +
                                     " did not mark itself unloadable and stays loaded");
  for (AcApDocument* doc : std::vector<AcApDocument*>(documentList()))
    sendMessage(m, AcRx::kUnloadDwgMsg, doc);
  sendMessage(m, AcRx::kUnloadAppMsg, handleOf(m));
  dropModuleRegistrations(m);
  {
    ModuleScope scope(m);
    if (m->attached) {
      try {
        m->dllMain(handleOf(m), DLL_PROCESS_DETACH, nullptr);
      } catch (...) {
      }
    }
    ::dlclose(m->library);
  }
  dropModuleRegistrations(m);
  removeModule(m);
  return drawhost::Result::success();
}

std::vector<std::string> pluginPaths() {
  std::vector<std::string> out;
  for (Module& m : modules()) out.push_back(m.path);
  return out;
}

int uiInitCount() { return gUiInitCount; }
void countUiInit() { ++gUiInitCount; }
std::vector<HINSTANCE>& uiResourceChain() { return resourceChain(); }

}  // namespace hostimpl

// --- operating-system stand-ins -------------------------------------------------------------

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) return reinterpret_cast<HMODULE>(hostimpl::hostModule());
  std::string wanted = hostimpl::baseName(moduleName);
  for (hostimpl::Module& m : hostimpl::modules())
    if (hostimpl::equalNoCase(m.fileName, wanted)) return hostimpl::handleOf(&m);
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

int wsprintfA(LPSTR buf, LPCSTR format, ...) {
  if (!buf || !format) return 0;
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buf, 1024, format, args);
  va_end(args);
  if (n < 0) {
    buf[0] = '\0';
    return 0;
  }
  return std::min(n, 1023);
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT type) {
  hostimpl::print("\nMessage box: ");
  hostimpl::print(text ? text : "");
  hostimpl::logMessage(text ? text : "");
  return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

int AcUiMessageBox(LPCSTR text, UINT type) { return MessageBoxA(nullptr, text, nullptr, type); }

bool AcUiInitExtensionModule(AcUiExtensionModule& record, HINSTANCE module) {
  if (!module) return false;
  record.attached = true;
  record.module = module;
  record.resources = module;
  hostimpl::uiResourceChain().push_back(module);
  return true;
}

void AcUiTermExtensionModule(AcUiExtensionModule& record) {
  auto& chain = hostimpl::uiResourceChain();
  chain.erase(std::remove(chain.begin(), chain.end(), record.resources), chain.end());
  record.attached = false;
}

void InitAcUiDLL() { hostimpl::countUiInit(); }
