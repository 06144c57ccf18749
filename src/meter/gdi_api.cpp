#include "meter/gdi_api.h"

#include "common/seam.h"

static SeamSlot<GdiApi> g_slot(PlatformGdiApi);

GdiApi& Gdi() { return g_slot.Get(); }
GdiApi* SetGdiApi(GdiApi* api) { return g_slot.Set(api); }
