// The plug-in loader: loading a plug-in file as a shared library, checking
// its entry points and interface version, its attach step and initialise
// message; and unloading it again with everything it left registered.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "runtime/runtime.h"

namespace fs = std::filesystem;

namespace hostimpl {

namespace {
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
  for (Module* m : loadedModules())
    if (m->path == canonical) return fail("it is already loaded");
  if (const std::string problem = sharedObjectProblem(canonical); !problem.empty()) return fail(problem);

  Module* m = addModule(canonical);
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
  m->resources = static_cast<const AcUiResources*>(::dlsym(lib, "acuiResources"));
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

}  // namespace hostimpl
