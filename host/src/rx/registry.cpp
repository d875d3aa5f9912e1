// The system registry: the host's three services by name, made on the
// first call of acrxSysRegistry().
#include "hostapi/hostapi.h"
#include "rx/rx.h"

// --- system registry ----------------------------------------------------------------

AcRxDictionary* acrxSysRegistry() {
  static AcRxDictionary* const registry = [] {
    auto* dict = new AcRxDictionary;
    dict->atPut("DynamicLinker", acrxDynamicLinker());
    dict->atPut("ACAD_REGISTERED_COMMANDS", acedRegCmds());
    dict->atPut("ClassDictionary", acrxClassDictionary());
    hostimpl::ensureHostClasses();
    return dict;
  }();
  return registry;
}
