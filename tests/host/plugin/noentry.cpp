// A plug-in that forgot its entry point: the host must refuse it.
#include "hostapi/hostapi.h"

ACRX_ENTRY_EXPORT int acrxGetApiVersion() { return AcRx::kApiVersion; }
