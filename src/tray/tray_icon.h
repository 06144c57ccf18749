// The one notification-area icon (identifier 2) of the main dialog.
#pragma once
#include "common/ztext.h"
#include "tray/notify_api.h"

enum {
  kLevelIconCount = 17,  // 15 fill levels, the spare, the application icon
  kFillLevelIcons = 15,
  kSpareIconIndex = 15,
  kAppIconIndex = 16,
};

// Filled once at start-up; entries that failed to load stay null.
extern IconHandle LevelIcons[kLevelIconCount];
// The main dialog, owner of the icon, set when it is created.
extern WindowHandle g_mainDialog;

// The icon of the current tray level index with the tip "ZOR".
void AddTrayIcon(WindowHandle owner);
// The icon of the current tray level index and, when tip is not null, the tip
// (cut to the 63 units the shell keeps).
void ModifyTrayIcon(const ZChar* tip);
void RemoveTrayIcon(WindowHandle owner);

// LevelIcons entry for the tray level index; null outside the table.
IconHandle TrayLevelIcon();
