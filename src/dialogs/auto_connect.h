// The auto-connect dialog's presets and its OK step, apart from the window.
#pragma once
#include <stdint.h>

#include "common/ztext.h"

enum { kPresetCount = 4, kPresetUnits = 260 };

struct PresetEntry {
  int buttonId;
  uint32_t stringId;
  ZChar name[kPresetUnits];
};

extern PresetEntry g_presets[kPresetCount];

// Loads the four preset image names from the string table.
void LoadPresetNames();

// The preset name of a radio button, or null for any other control.
const ZChar* PresetNameForButton(int buttonId);

// OK with the edit's text: an empty text changes nothing; any other makes it
// the awaited name (at most 63 units), dropping the current process at once.
void ApplyAutoConnectName(const ZChar* text);
