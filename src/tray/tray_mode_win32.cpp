#include "tray/tray_mode_win32.h"

#include "app/placement.h"
#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "tray/tray_icon_win32.h"

HMENU g_trayMenu = nullptr;

BOOL EnterTrayMode() {
  HWND main = ToHwnd(g_mainDialog);
  ShowWindow(main, SW_HIDE);
  RemoveTrayIcon(main);
  g_monitor.trayLevelIndex = 0;  // empty until the next refresh sets the level
  AddTrayIcon(main);
  g_viewSettings.trayMode = true;
  CheckMenuItem(g_trayMenu, IDM_TRAY_TOGGLE, MF_BYCOMMAND | MF_UNCHECKED);
  return TRUE;
}

BOOL LeaveTrayMode() {
  HWND main = ToHwnd(g_mainDialog);
  int32_t show = g_firstShow ? kShowHide : kShowShow;
  g_viewSettings.trayMode = false;
  RemoveTrayIcon(main);
  g_monitor.trayLevelIndex = kAppIconIndex;
  AddTrayIcon(main);
  PlaceAtStoredPosition(show);
  CheckMenuItem(g_trayMenu, IDM_TRAY_TOGGLE, MF_BYCOMMAND | MF_CHECKED);
  return TRUE;
}

void HandleTrayCallback(LPARAM lParam) {
  HWND main = ToHwnd(g_mainDialog);
  switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      SetForegroundWindow(main);
      SetFocus(main);
      break;
    case WM_RBUTTONUP: {
      POINT pt = {0, 0};
      // With no cursor position the menu opens at the screen's top left.
      GetCursorPos(&pt);
      TrackPopupMenu(g_trayMenu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, main, nullptr);
      break;
    }
  }
}
