// Message dispatch, attach/detach and the class table of the application
// object.
//
// Initialisation registers the application with the dynamic linker (so the
// host may unload it and use it with several drawings), runs the server hook
// and then the initialiser of every class row. Unloading deletes the classes
// again, each class after every registered class derived from it, so no
// class is deleted while a registered child still names it as parent.
#include "frame/DbxApp.h"

AcRx::AppRetCode AcRxDbxApp::dispatchMessage(AcRx::AppMsgCode msg, void* pkt) {
  switch (msg) {
    case AcRx::kNullMsg: return onNullMessage(pkt);
    case AcRx::kInitAppMsg: return onInitApplication(pkt);
    case AcRx::kUnloadAppMsg: return onUnloadApplication(pkt);
    case AcRx::kLoadDwgMsg: return onLoadDrawing(pkt);
    case AcRx::kUnloadDwgMsg: return onUnloadDrawing(pkt);
    case AcRx::kInvkSubrMsg: return onInvokeFunction(pkt);
    case AcRx::kCfgMsg: return onConfigure(pkt);
    case AcRx::kEndMsg: return onEnd(pkt);
    case AcRx::kQuitMsg: return onQuit(pkt);
    case AcRx::kSaveMsg: return onSave(pkt);
    case AcRx::kDependencyMsg: return onDependency(pkt);
    case AcRx::kNoDependencyMsg: return onNoDependency(pkt);
    case AcRx::kOleUnloadAppMsg: return onOleUnload(pkt);
    case AcRx::kPreQuitMsg: return onPreQuit(pkt);
    case AcRx::kInitDialogMsg: return onInitDialog(pkt);
    case AcRx::kEndDialogMsg: return onEndDialog(pkt);
  }
  return AcRx::kRetOK;
}

BOOL AcRxDbxApp::processAttachDetach(HINSTANCE module, DWORD reason) {
  if (reason == DLL_PROCESS_ATTACH) {
    m_hdllInstance = module;
    AcUiInitExtensionModule(m_extensionModule, module);
    InitAcUiDLL();
  } else if (reason == DLL_PROCESS_DETACH) {
    if (m_extensionModule.attached) AcUiTermExtensionModule(m_extensionModule);
  }
  return TRUE;
}

AcRx::AppRetCode AcRxDbxApp::onInitApplication(void* pkt) {
  AcRxDynamicLinker* linker = AcRxDynamicLinker::cast(acrxSysRegistry()->at("DynamicLinker"));
  if (linker != nullptr) {
    if (m_bUnlocked) linker->unlockApplication(pkt);
    if (m_bMDIAware) linker->registerAppMDIAware(pkt);
  }
  registerServerComponents();
  registerClasses();
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::onUnloadApplication(void*) {
  unregisterClasses();
  return AcRx::kRetOK;
}

void AcRxDbxApp::registerClasses() {
  bool anyRan = false;
  for (ClassEntry& row : m_classes) {
    if (row.isEmpty()) continue;
    if (row.initializer != nullptr) row.initializer();
    row.registered = true;
    anyRan = true;
  }
  if (anyRan) acrxBuildClassHierarchy();
}

void AcRxDbxApp::unregisterClasses() {
  for (ClassEntry& row : m_classes) {
    if (row.registered) unregisterClass(row);
  }
}

// Children first. The flag is cleared before the walk so that a table whose
// parent links form a cycle still ends.
void AcRxDbxApp::unregisterClass(ClassEntry& row) {
  row.registered = false;
  AcRxClass* cls = row.desc();
  for (ClassEntry& other : m_classes) {
    if (&other == &row || !other.registered) continue;
    AcRxClass* otherClass = other.desc();
    if (otherClass != nullptr && otherClass->myParent() == cls) unregisterClass(other);
  }
  if (cls != nullptr) deleteAcRxClass(cls);
}

AcRx::AppRetCode AcRxDbxApp::onLoadDrawing(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onUnloadDrawing(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onInvokeFunction(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onConfigure(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onEnd(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onQuit(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onSave(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onDependency(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onNoDependency(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onOleUnload(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onPreQuit(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onInitDialog(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onEndDialog(void*) { return AcRx::kRetOK; }
AcRx::AppRetCode AcRxDbxApp::onNullMessage(void*) { return AcRx::kRetOK; }
