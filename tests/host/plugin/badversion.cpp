// A plug-in built for another interface version: the host must refuse it.
#include "hostapi/hostapi.h"

ACRX_ENTRY_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode, void*) {
  return AcRx::kRetOK;
}
ACRX_ENTRY_EXPORT int acrxGetApiVersion() { return AcRx::kApiVersion + 1; }
