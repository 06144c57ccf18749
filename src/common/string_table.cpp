#include "common/string_table.h"

#include "common/seam.h"

static SeamSlot<StringTable> g_slot(PlatformStringTable);

StringTable& Strings() { return g_slot.Get(); }
StringTable* SetStringTable(StringTable* api) { return g_slot.Set(api); }
