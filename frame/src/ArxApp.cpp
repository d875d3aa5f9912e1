// Command and function tables of the application object.
//
// The command stack is looked up again for every row, as the host may
// replace it; an entry that is not a command stack counts as absent and the
// row is skipped. Unloading removes exactly the commands the table names,
// whether or not the host accepted them at initialisation.
#include "frame/ArxApp.h"

namespace {

AcEdCommandStack* commandStack() {
  return AcEdCommandStack::cast(acrxSysRegistry()->at("ACAD_REGISTERED_COMMANDS"));
}

}  // namespace

AcRx::AppRetCode AcRxArxApp::onInitApplication(void* pkt) {
  AcRxDbxApp::onInitApplication(pkt);
  registerCommands();
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxArxApp::onUnloadApplication(void* pkt) {
  AcRxDbxApp::onUnloadApplication(pkt);
  removeCommands();
  return AcRx::kRetOK;
}

void AcRxArxApp::registerCommands() {
  for (const CommandEntry& row : m_commands) {
    if (row.isEmpty()) continue;
    AcEdCommandStack* stack = commandStack();
    if (stack == nullptr) continue;
    HINSTANCE resources =
        (row.flags & AcEdCommandFlags::kNoResourceModule) ? nullptr : moduleHandle();
    stack->addCommand(row.groupName, row.globalName, row.localName, row.flags, row.handler,
                      row.uiContext, -1, resources, nullptr);
  }
}

void AcRxArxApp::removeCommands() {
  for (const CommandEntry& row : m_commands) {
    if (row.isEmpty()) continue;
    AcEdCommandStack* stack = commandStack();
    if (stack == nullptr) continue;
    stack->removeCmd(row.groupName, row.globalName);
  }
}

AcRx::AppRetCode AcRxArxApp::onLoadDrawing(void*) {
  short index = 0;
  for (const LispFunctionEntry& row : m_functions) {
    if (row.isEmpty()) continue;
    acedDefun(row.name, index);
    if (row.registerCallback) acedRegFunc(row.handler, index);
    ++index;
  }
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxArxApp::onUnloadDrawing(void*) {
  short index = 0;
  for (const LispFunctionEntry& row : m_functions) {
    if (row.isEmpty()) continue;
    acedUndef(row.name, index);
    ++index;
  }
  return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxArxApp::onInvokeFunction(void*) {
  const int code = acedGetFunCode();
  int index = 0;
  for (const LispFunctionEntry& row : m_functions) {
    if (row.isEmpty()) continue;
    if (index == code) {
      row.handler();
      break;
    }
    ++index;
  }
  return AcRx::kRetOK;
}
