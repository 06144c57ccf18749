#include "settings/view_settings.h"

ViewSettings g_viewSettings;

void ResetViewSettings() {
  ViewSettings& s = g_viewSettings;
  s.alwaysOnTop = true;
  s.showMemScale = true;
  s.showProcessInfo = true;
  s.trayMode = false;
  s.autoConnectPrevious = true;
  s.restorePreviousPosition = true;
  s.defaultPlacement = false;
}
