// The last step of every refresh: the target's size against the limit, shown
// on the main dialog's gauge or, in tray mode, as the tray icon's level and tip.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"

enum { kTrayTipBuildUnits = 128 };

void UpdateLevel();
void UpdateTrayLevel();

// Tray level (0 to levelCount - 1) of a size against a limit; 0 for a limit
// or level count of 0.
int32_t TrayLevelFor(uint32_t sizeKb, uint64_t limitMb, int32_t levelCount);
// "Current process: NAME\r\nVirtual size: N MB", with the name shortened to
// end in "..." where needed so that the whole text fits the tray tip.
void FormatTrayTip(const ZChar* name, uint32_t sizeKb, ZChar* out, size_t cap);
