// The main window: its initialisation, the context menu and the one
// dispatcher of every command, whether from a menu or from the program.
#include <windows.h>

#include "app/app_win32.h"
#include "app/placement.h"
#include "dialogs/dialogs_win32.h"
#include "meter/level.h"
#include "meter/meter_win32.h"
#include "monitor/display_port.h"
#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "tray/tray_icon_win32.h"
#include "tray/tray_mode_win32.h"

namespace {

HMENU g_mainMenu = nullptr;

// What the refresh cycle shows goes to this dialog's controls and gauge.
class MainDialogDisplay : public DisplayPort {
 public:
  void SetControlText(int id, const ZChar* text) override {
    SetDlgItemTextW(ToHwnd(g_mainDialog), id, text);
  }
  void UpdateLevel() override { ::UpdateLevel(); }
};
MainDialogDisplay g_display;

void Send(HWND dialog, int command) { SendMessageW(dialog, WM_COMMAND, command, 0); }

void CheckMain(int command, bool on) {
  CheckMenuItem(g_mainMenu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void CALLBACK TimerTick(HWND, UINT, UINT_PTR id, DWORD) { TickMonitor(id); }

BOOL FailInit(HWND dialog) {
  ReportLastError();
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  return FALSE;
}

BOOL Initialise(HWND dialog) {
  SetTrayOwner(dialog);
  SetDisplayPort(&g_display);
  ResetViewSettings();
  AddTrayIcon(dialog);
  HMENU menu = LoadMenuW(g_instance, g_shortName);
  g_mainMenu = menu ? GetSubMenu(menu, 0) : nullptr;
  if (!g_mainMenu) return FailInit(dialog);
  HMENU tray = LoadMenuW(g_instance, MAKEINTRESOURCEW(IDM_TRAY));
  g_trayMenu = tray ? GetSubMenu(tray, 0) : nullptr;
  if (!g_trayMenu) return FailInit(dialog);
  HWND gauge = GetDlgItem(dialog, IDC_GAUGE);
  if (!gauge) return FailInit(dialog);
  AttachMainGauge(gauge);
  HWND strip = GetDlgItem(dialog, IDC_SCALE_STRIP);
  if (!GetDlgItem(dialog, IDC_INFO_PANEL) || !strip) {
    FailInit(dialog);
    return TRUE;  // as the initialisation ends here after the gauge is attached
  }
  SubclassScaleStrip(strip);
  SetTimer(dialog, kMonitorTimerId, kMonitorPeriodMs, TimerTick);
  g_monitor.initialised = true;
  return TRUE;
}

void ApplySettings(HWND dialog) {
  const ViewSettings& s = g_viewSettings;
  CheckMain(IDM_ALWAYS_ON_TOP, s.alwaysOnTop);
  ApplyAlwaysOnTop(kMainWindow);
  CheckMain(IDM_SHOW_MEM_SCALE, s.showMemScale);
  SetPanelShown(IDC_SCALE_STRIP, s.showMemScale);
  CheckMain(IDM_SHOW_PROCESS_INFO, s.showProcessInfo);
  SetPanelShown(IDC_SPACER, s.showProcessInfo);
  if (s.trayMode) {
    Send(dialog, IDM_TO_TRAY);
  } else {
    // Leaving the tray in full re-adds the icon and places and shows the window.
    g_viewSettings.trayMode = true;
    Send(dialog, IDM_TRAY_TOGGLE);
  }
  RefreshDisplay();
}

// The command table; the result is what the dialog procedure returns.
BOOL Command(HWND dialog, int id) {
  ViewSettings& s = g_viewSettings;
  switch (id) {
    case IDOK:
    case IDCANCEL:
      return FALSE;  // Enter and Esc do not close the tool
    case IDM_APPLY_SETTINGS:
      ApplySettings(dialog);
      break;
    case IDM_EXIT:
      SendMessageW(dialog, WM_CLOSE, 0, 0);
      break;
    case IDM_ALWAYS_ON_TOP:
      s.alwaysOnTop = !s.alwaysOnTop;
      CheckMain(id, s.alwaysOnTop);
      ApplyAlwaysOnTop(kMainWindow);
      break;
    case IDM_HELP:
      RunHelpDialog(dialog);
      break;
    case IDM_ABOUT:
      RunAboutDialog(dialog);
      break;
    case IDM_CONNECT:
      if (RunProcessChooser(dialog)) RefreshDisplay();
      ReleaseProcessRows();
      break;
    case IDM_AUTO_CONNECT:
      RunAutoConnectDialog(dialog);  // the next tick acts on the name
      break;
    case IDM_SHOW_MEM_SCALE:
      s.showMemScale = !s.showMemScale;
      CheckMain(id, s.showMemScale);
      SetPanelShown(IDC_SCALE_STRIP, s.showMemScale);
      RefreshDisplay();
      break;
    case IDM_SHOW_PROCESS_INFO:
      s.showProcessInfo = !s.showProcessInfo;
      CheckMain(id, s.showProcessInfo);
      SetPanelShown(IDC_SPACER, s.showProcessInfo);
      RefreshDisplay();
      break;
    case IDM_RESET:
      g_monitor.waiting = g_monitor.connected = false;
      g_monitor.targetPid = 0;
      RefreshDisplay();
      break;
    case IDM_TRAY_CONNECT:
      Send(dialog, IDM_CONNECT);
      break;
    case IDM_TRAY_AUTO_CONNECT:
      Send(dialog, IDM_AUTO_CONNECT);
      break;
    case IDM_TRAY_RESET:
      Send(dialog, IDM_RESET);
      break;
    case IDM_TRAY_EXIT:
      Send(dialog, IDM_EXIT);
      break;
    case IDM_TO_TRAY:
      return EnterTrayMode();
    case IDM_TRAY_TOGGLE:
      if (s.trayMode) return LeaveTrayMode();
      Send(dialog, IDM_TO_TRAY);
      break;
    case IDM_DEFAULT_SETTINGS:
      ResetViewSettings();
      PlaceMainDialog();
      PlaceAtDefaultPosition();
      break;
  }
  return TRUE;
}

void StorePosition(HWND dialog) {
  RECT r;
  if (!g_viewSettings.trayMode && GetWindowRect(dialog, &r)) {
    g_viewSettings.windowX = r.left;
    g_viewSettings.windowY = r.top;
  }
}

void ShowContextMenu(HWND dialog, LPARAM lParam) {
  SetStatusLine(dialog, IDS_STATUS_BLANK);
  POINT pt = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
  if (!ClientToScreen(dialog, &pt) ||
      !TrackPopupMenu(g_mainMenu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, dialog, nullptr))
    ReportLastError();
}

}  // namespace

INT_PTR CALLBACK MainDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return Initialise(dialog);
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam));
    case WM_MOVE:
      StorePosition(dialog);
      return TRUE;
    case WM_CLOSE:
      StorePosition(dialog);
      SaveViewSettings();
      RemoveTrayIcon(dialog);
      DestroyWindow(dialog);
      g_mainDialog = nullptr;
      return TRUE;
    case WM_DESTROY:
      KillTimer(dialog, kMonitorTimerId);
      PostQuitMessage(0);
      return TRUE;
    case WM_RBUTTONUP:
      ShowContextMenu(dialog, lParam);
      return TRUE;
    case ZOR_TRAY_CALLBACK:
      HandleTrayCallback(lParam);
      return TRUE;
  }
  return FALSE;
}
