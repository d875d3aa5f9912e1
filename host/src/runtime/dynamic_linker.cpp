// The dynamic linker: a plug-in's lock and multi-document flags, kept in its
// module record.
#include "hostapi/hostapi.h"
#include "runtime/runtime.h"
#include "rx/rx.h"

HOST_DEFINE_MEMBERS(AcRxDynamicLinker, AcRxObject)

bool AcRxDynamicLinker::unlockApplication(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->unlocked = true;
  return true;
}
bool AcRxDynamicLinker::lockApplication(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->unlocked = false;
  return true;
}
bool AcRxDynamicLinker::isApplicationLocked(const char* appName) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(GetModuleHandleA(appName));
  return m && !m->unlocked;
}
bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->mdiAware = true;
  return true;
}
bool AcRxDynamicLinker::registerAppNotMDIAware(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->mdiAware = false;
  return true;
}

AcRxDynamicLinker* acrxDynamicLinker() {
  static AcRxDynamicLinker* const linker = new AcRxDynamicLinker;
  return linker;
}
