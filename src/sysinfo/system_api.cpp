#include "sysinfo/system_api.h"

#include "common/seam.h"

static SeamSlot<SystemApi> g_slot(PlatformSystemApi);

SystemApi& System() { return g_slot.Get(); }
SystemApi* SetSystemApi(SystemApi* api) { return g_slot.Set(api); }
