// The application object of a plug-in, database half: the numbered
// life-cycle messages of the host and the table of custom runtime classes.
//
// The host sends every message to the plug-in's exported acrxEntryPoint,
// which hands it to dispatchMessage. dispatchMessage turns the message code
// into one virtual handler call; codes it does not know are answered with
// success. Every handler of the frame returns AcRx::kRetOK, so a plug-in
// never refuses to load or unload; registration results are ignored.
//
// Invariant of the class table: a row's `registered` flag is true exactly
// while its class is known to the host (between its initialiser and its
// deleteAcRxClass).
#pragma once

#include <cstddef>
#include <span>

#include "hostapi/hostapi.h"

// One row of the static table of custom runtime classes. A row whose
// descriptor function is null is an empty slot and is skipped.
struct ClassEntry {
  AcRxClass* (*desc)() = nullptr;  // the class's runtime descriptor
  void (*initializer)() = nullptr;  // makes the class known to the host
  bool registered = false;
  bool isEmpty() const { return desc == nullptr; }
};

class AcRxDbxApp {
 public:
  explicit AcRxDbxApp(std::span<ClassEntry> classes = {}) : m_classes(classes) {}
  virtual ~AcRxDbxApp() = default;
  AcRxDbxApp(const AcRxDbxApp&) = delete;
  AcRxDbxApp& operator=(const AcRxDbxApp&) = delete;

  // Calls the handler of msg; unknown codes do nothing and return kRetOK.
  AcRx::AppRetCode dispatchMessage(AcRx::AppMsgCode msg, void* pkt);

  // The attach/detach notification: attach stores the module handle, sets
  // up the windowing framework's extension module and the host's dialog
  // support; detach ends the extension module if it was set up.
  BOOL processAttachDetach(HINSTANCE module, DWORD reason);

  HINSTANCE moduleHandle() const { return m_hdllInstance; }
  bool unlockFlag() const { return m_bUnlocked; }
  bool multiDocumentFlag() const { return m_bMDIAware; }

  // Handlers in the order of the message codes 1 to 15, then code 0.
  virtual AcRx::AppRetCode onInitApplication(void* pkt);   // 1
  virtual AcRx::AppRetCode onUnloadApplication(void* pkt); // 2
  virtual AcRx::AppRetCode onLoadDrawing(void* pkt);       // 3
  virtual AcRx::AppRetCode onUnloadDrawing(void* pkt);     // 4
  virtual AcRx::AppRetCode onInvokeFunction(void* pkt);    // 5
  virtual AcRx::AppRetCode onConfigure(void* pkt);         // 6
  virtual AcRx::AppRetCode onEnd(void* pkt);               // 7
  virtual AcRx::AppRetCode onQuit(void* pkt);              // 8
  virtual AcRx::AppRetCode onSave(void* pkt);              // 9
  virtual AcRx::AppRetCode onDependency(void* pkt);        // 10
  virtual AcRx::AppRetCode onNoDependency(void* pkt);      // 11
  virtual AcRx::AppRetCode onOleUnload(void* pkt);         // 12
  virtual AcRx::AppRetCode onPreQuit(void* pkt);           // 13
  virtual AcRx::AppRetCode onInitDialog(void* pkt);        // 14
  virtual AcRx::AppRetCode onEndDialog(void* pkt);         // 15
  virtual AcRx::AppRetCode onNullMessage(void* pkt);       // 0
  // Hook for registering server components at initialisation; empty.
  virtual void registerServerComponents() {}

 protected:
  void registerClasses();
  void unregisterClasses();

 private:
  void unregisterClass(ClassEntry& row);

  HINSTANCE m_hdllInstance = nullptr;
  bool m_bUnlocked = true;
  bool m_bMDIAware = true;
  std::span<ClassEntry> m_classes;
  AcUiExtensionModule m_extensionModule;
};
