// Moving the main window between the desktop and the notification area, and
// the icon's mouse messages.
#pragma once
#include <windows.h>

// The first pop-up of menu 125, loaded by the main dialog.
extern HMENU g_trayMenu;

BOOL EnterTrayMode();
BOOL LeaveTrayMode();
void HandleTrayCallback(LPARAM lParam);
