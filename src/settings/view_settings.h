#pragma once
#include <stdint.h>

#include "common/ztext.h"
#include "settings/registry_api.h"

// The persisted display settings, the window position and the last target.
struct ViewSettings {
  bool alwaysOnTop;
  bool showMemScale;
  bool showProcessInfo;
  bool trayMode;
  bool restorePreviousPosition;
  bool autoConnectPrevious;
  int32_t windowX;
  int32_t windowY;
  // A load fills at most kTextUnits units (128 bytes, room for any name the
  // target holds); the unit beyond keeps the text terminated.
  ZChar previousProcessName[kTextUnits + 1];
  bool defaultPlacement;  // not persisted: the load fell back to the defaults
};

extern ViewSettings g_viewSettings;

// The nine settings value names (strings 135 to 143, in ID order), loaded by
// every load and used by the save; empty until the first load.
enum { kSettingsValueCount = 9 };
extern ZChar g_settingsValueNames[kSettingsValueCount][kSettingsTextUnits];

void ResetViewSettings();
void LoadViewSettings();
// Writes nothing before the first load: the value names are not known yet.
void SaveViewSettings();
bool WriteProductInfo();
