#include "monitor/process_api.h"

#include "common/seam.h"

static SeamSlot<ProcessApi> g_slot(PlatformProcessApi);

ProcessApi& Processes() { return g_slot.Get(); }
ProcessApi* SetProcessApi(ProcessApi* api) { return g_slot.Set(api); }
