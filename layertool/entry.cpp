// Entry points of the layer tool: the attach and detach notification, the
// host's life-cycle messages and the command table.
//
// There is no application object. The initialise message registers the
// eighteen commands of the group "PN" one by one in table order; the unload
// message removes the group as a whole, so a command that failed to register
// is no trouble. Registration results are not checked: a refused command
// stays unregistered and the later rows are still added.
#include "layertool.h"
#include "texts.h"

namespace pnstratakit {
namespace {

constexpr char kGroup[] = "PN";

constexpr int kPickfirstFlags = AcEdCommandFlags::kTransparent | AcEdCommandFlags::kUsePickSet;
constexpr int kRedrawFlags = kPickfirstFlags | AcEdCommandFlags::kRedraw;

struct CommandRow {
  const char* name;  // both the global and the local name
  int flags;
  AcRxFunctionPtr handler;
};

constexpr CommandRow kCommands[] = {
    {"DISPART_LAYER", kPickfirstFlags, dispartLayer},
    {"OFF_LAYER", kPickfirstFlags, offLayer},
    {"FROZEN_LAYER", kPickfirstFlags, frozenLayer},
    {"DISP_LAYER", kPickfirstFlags, dispLayer},
    {"LAYER_ACTIVE", kPickfirstFlags, layerActive},
    {"LAYER_LOCKED", kPickfirstFlags, layerLocked},
    {"LAYER_UNLOCKED", kPickfirstFlags, layerUnlocked},
    {"DISP_LAYER_ALL", kPickfirstFlags, dispLayerAll},
    {"UNLOCK_LAYER_ALL", kPickfirstFlags, unlockLayerAll},
    {"MULTI_LAYER_EDIT", kPickfirstFlags, multiLayerEdit},
    {"ENTITY_HIDE", kPickfirstFlags, entityHide},
    {"ENTITY_UNHIDE", kPickfirstFlags, entityUnhide},
    {"CHANGE_TO_LAYER", kPickfirstFlags, changeToLayer},
    {"CHANGE_TO_CLAYER", kPickfirstFlags, changeToClayer},
    {"SAVE_LAYER_STATE", kPickfirstFlags, saveLayerState},
    {"RESTORE_LAYER_STATE", kPickfirstFlags, restoreLayerState},
    {"UNFROZEN_LAYER_ALL", kRedrawFlags, unfrozenLayerAll},
    {"LAYER_CLEAR", kPickfirstFlags, layerClear},
};

// Module state, one per loaded library.
struct ModuleState {
  HINSTANCE module = nullptr;
  AcUiExtensionModule extension;
};
ModuleState moduleState;

AcEdCommandStack* commandStack() {
  return AcEdCommandStack::cast(acrxSysRegistry()->at("ACAD_REGISTERED_COMMANDS"));
}

AcRxDynamicLinker* dynamicLinker() {
  return AcRxDynamicLinker::cast(acrxSysRegistry()->at("DynamicLinker"));
}

void initApplication(void* packet) {
  if (AcRxDynamicLinker* linker = dynamicLinker()) linker->unlockApplication(packet);
  if (AcRxDynamicLinker* linker = dynamicLinker()) linker->registerAppMDIAware(packet);
  for (const CommandRow& row : kCommands) {
    if (AcEdCommandStack* stack = commandStack())
      stack->addCommand(kGroup, row.name, row.name, row.flags, row.handler, nullptr, -1, nullptr,
                        nullptr);
  }
}

void unloadApplication() {
  if (AcEdCommandStack* stack = commandStack()) stack->removeGroup(kGroup);
}

}  // namespace

HINSTANCE resourceModule() { return moduleState.extension.resources; }

}  // namespace pnstratakit

ACRX_ENTRY_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* packet) {
  if (message == AcRx::kInitAppMsg)
    pnstratakit::initApplication(packet);
  else if (message == AcRx::kUnloadAppMsg)
    pnstratakit::unloadApplication();
  return AcRx::kRetOK;
}

ACRX_ENTRY_EXPORT int acrxGetApiVersion() { return AcRx::kApiVersion; }

ACRX_ENTRY_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  pnstratakit::ModuleState& state = pnstratakit::moduleState;
  if (reason == DLL_PROCESS_ATTACH) {
    state.module = module;
    AcUiInitExtensionModule(state.extension, module);
    InitAcUiDLL();
  } else if (reason == DLL_PROCESS_DETACH && state.extension.attached) {
    AcUiTermExtensionModule(state.extension);
    state.extension.attached = false;
  }
  return TRUE;
}
