#pragma once
#include <stdint.h>

#include "common/ztext.h"

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
  // One unit more than a load fills, so the name is always terminated.
  ZChar previousProcessName[kTextUnits + 1];
  bool defaultPlacement;  // not persisted: the load fell back to the defaults
};

extern ViewSettings g_viewSettings;

void ResetViewSettings();
void LoadViewSettings();
void SaveViewSettings();
bool WriteProductInfo();
