// The windowing stand-ins: message boxes, which print their text on the
// command line and record it, and the extension-module records of the
// windowing framework.
#include <algorithm>
#include <vector>

#include "editor/editor.h"
#include "hostapi/hostapi.h"

namespace {
// Resource modules of the extension modules, in order of set-up.
std::vector<HINSTANCE>& resourceChain() {
  static std::vector<HINSTANCE> chain;
  return chain;
}
int gUiInitCount = 0;
}  // namespace

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
  resourceChain().push_back(module);
  return true;
}

void AcUiTermExtensionModule(AcUiExtensionModule& record) {
  auto& chain = resourceChain();
  chain.erase(std::remove(chain.begin(), chain.end(), record.resources), chain.end());
  record.attached = false;
}

void InitAcUiDLL() { ++gUiInitCount; }
