// Start-up, the message loop and the clean-up at exit; wWinMain strings them
// together, and the tests drive them on the program's own resources.
#include <windows.h>
#include <commctrl.h>

#include "app/app_win32.h"
#include "app/placement.h"
#include "app/startup.h"
#include "common/module_win32.h"
#include "dialogs/help_text.h"
#include "meter/meter_win32.h"
#include "monitor/monitor_state.h"
#include "monitor/proclist.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "sysinfo/os_identity.h"
#include "tray/tray_icon_win32.h"

HINSTANCE g_instance = nullptr;
wchar_t g_shortName[32];

namespace {

wchar_t g_caption[32];
wchar_t g_startError[64];

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool StartupFailure() {
  MessageBoxW(nullptr, g_startError, g_caption, MB_ICONERROR);
  ReportLastError();
  return false;
}

}  // namespace

void ReportLastError() {
  const wchar_t* caption = L"Windows SDK Error Report";
  DWORD code = GetLastError();
  if (code == 0) {
    MessageBoxW(nullptr, L"No error", caption, MB_OK);
    return;
  }
  wchar_t* text = nullptr;
  if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr) &&
      text) {
    MessageBoxW(nullptr, text, caption, MB_ICONERROR);
    LocalFree(text);
  } else {
    MessageBoxW(nullptr, L"Unknown error", caption, MB_ICONERROR);
  }
}

void SetStatusLine(HWND dialog, UINT stringId) {
  wchar_t text[260] = L"";
  LoadStringW(g_instance, stringId, text, 260);
  SetDlgItemTextW(dialog, IDC_STATUS, text);
}

bool StartUp(HINSTANCE instance, const wchar_t* commandLine) {
  g_monitor.osText = nullptr;
  g_monitor.maxMemoryText = nullptr;
  g_monitor.initialised = false;
  g_instance = instance;
  SetResourceModule(instance);

  INITCOMMONCONTROLSEX icc = {8, 0xFF};
  InitCommonControlsEx(&icc);

  int shortLen = LoadStringW(instance, IDS_SHORT_NAME, g_shortName, 32);
  int captionLen = LoadStringW(instance, IDS_CAPTION, g_caption, 32);
  if (!LoadStringW(instance, IDS_START_ERROR, g_startError, 64)) {
    ZCopy(g_startError, 64, L"ERROR! Unable to start Zorvane!!");
    return StartupFailure();
  }
  if (!shortLen || !captionLen) return StartupFailure();

  ZChar* os = IdentifyOperatingSystem();
  if (!os) {
    MessageBoxW(nullptr, L"ZRO is not supported on this OS.\r\nZRO will exit.",
                L"Not supported OS.", MB_ICONEXCLAMATION);
    return false;
  }
  ZFree(os);  // the first refresh asks again

  LoadLevelIcons(instance, g_shortName);
  g_monitor.trayLevelIndex = kAppIconIndex;
  g_monitor.levelCount = kFillLevelIcons;

  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = HiddenWindowProc;
  wc.cbWndExtra = 30;
  wc.hInstance = instance;
  wc.hIcon = reinterpret_cast<HICON>(LevelIcons[kAppIconIndex]);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  wc.lpszClassName = g_shortName;
  if (!RegisterClassW(&wc)) return StartupFailure();

  HWND hidden = CreateWindowExW(0, g_shortName, L"", 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  CreateDialogParamW(instance, g_shortName, hidden, MainDialog, 0);

  g_firstShow = true;
  PlaceMainDialog();
  g_firstShow = false;
  LoadViewSettings();
  PlaceMainDialog();

  ChooseInitialTarget(commandLine);
  RefreshDisplay();
  HWND main = ToHwnd(g_mainDialog);
  SetStatusLine(main, IDS_STATUS_HINT);
  return true;
}

int RunMessageLoop() {
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND main = ToHwnd(g_mainDialog);
    if (main && IsDialogMessageW(main, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void ShutDown() {
  ReleaseMonitorTexts();
  ReleaseHelpText();
  DetachGauge(&g_mainGauge);
}
