#include "tray/notify_api.h"

#include "common/seam.h"

static SeamSlot<NotifyApi> g_slot(PlatformNotifyApi);

NotifyApi& Notify() { return g_slot.Get(); }
NotifyApi* SetNotifyApi(NotifyApi* api) { return g_slot.Set(api); }
