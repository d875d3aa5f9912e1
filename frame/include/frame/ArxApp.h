// The application object of a plug-in, editor half: the static command table
// and the table of functions callable from the host's language.
//
// Tables are plain arrays owned by the plug-in and walked from first to last
// slot; empty slots are skipped without ending the walk. Commands are added
// to the host's command stack at initialisation (message 1) and removed by
// (group, global name) at unload (message 2). Functions are defined per
// drawing (message 3), undefined per drawing (message 4) and invoked by the
// index the host passes back (message 5); the index counts non-empty rows
// only, from 0 in table order.
//
// A plug-in defines one static application object and exports the entry
// points with ARX_IMPLEMENT_ENTRY_POINTS(object).
#pragma once

#include <span>

#include "frame/DbxApp.h"

// One row of the static command table. A row without a global name or
// without a handler is an empty slot.
struct CommandEntry {
  const char* groupName;
  const char* globalName;  // by convention "_" + the local name
  const char* localName;   // what the user types
  int flags;               // host command flags
  AcRxFunctionPtr handler;
  AcEdUIContext* uiContext;
  int reserved;            // unused, 0
  bool isEmpty() const { return globalName == nullptr || handler == nullptr; }
};

// One row of the table of functions callable from the host's language. A
// row without a name or handler is an empty slot.
struct LispFunctionEntry {
  const char* name;
  int (*handler)();
  bool registerCallback;  // also register the handler as the direct callback
  bool isEmpty() const { return name == nullptr || handler == nullptr; }
};

class AcRxArxApp : public AcRxDbxApp {
 public:
  AcRxArxApp(std::span<const CommandEntry> commands,
             std::span<const LispFunctionEntry> functions = {},
             std::span<ClassEntry> classes = {})
      : AcRxDbxApp(classes), m_commands(commands), m_functions(functions) {}

  AcRx::AppRetCode onInitApplication(void* pkt) override;
  AcRx::AppRetCode onUnloadApplication(void* pkt) override;
  AcRx::AppRetCode onLoadDrawing(void* pkt) override;
  AcRx::AppRetCode onUnloadDrawing(void* pkt) override;
  AcRx::AppRetCode onInvokeFunction(void* pkt) override;

 private:
  void registerCommands();
  void removeCommands();

  std::span<const CommandEntry> m_commands;
  std::span<const LispFunctionEntry> m_functions;
};

// The interface version a plug-in built with this frame is made for.
inline constexpr int kFrameApiVersion = 0x100000;

// Defines the plug-in's exported entry points around its application object.
#define ARX_IMPLEMENT_ENTRY_POINTS(APP)                                            \
  ACRX_ENTRY_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) { \
    return (APP).dispatchMessage(msg, pkt);                                        \
  }                                                                                \
  ACRX_ENTRY_EXPORT int acrxGetApiVersion() { return kFrameApiVersion; }           \
  ACRX_ENTRY_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID) {         \
    return (APP).processAttachDetach(module, reason);                              \
  }
