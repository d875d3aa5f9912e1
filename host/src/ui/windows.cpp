// The windowing stand-ins: message boxes, which print their text on the
// command line and record it, and the extension-module records of the
// windowing framework.
#include <algorithm>
#include <vector>

#include "editor/editor.h"
#include "hostapi/hostapi.h"
#include "ui/ui.h"

namespace hostimpl {
std::vector<HINSTANCE>& resourceChain() {
  static std::vector<HINSTANCE> chain;
  return chain;
}
}  // namespace hostimpl

namespace {
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
  hostimpl::resourceChain().push_back(module);
  return true;
}

void AcUiTermExtensionModule(AcUiExtensionModule& record) {
  auto& chain = hostimpl::resourceChain();
  chain.erase(std::remove(chain.begin(), chain.end(), record.resources), chain.end());
  record.attached = false;
}

void InitAcUiDLL() { ++gUiInitCount; }
