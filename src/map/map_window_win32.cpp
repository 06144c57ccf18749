// zormap.exe's window: the figures and legend at the top, the map, and two
// panels under it. The session decides; this file steps it and answers the
// window's messages (map_show_win32.cpp carries out what a step changed).
#include "map/map_window_win32.h"

#include <commctrl.h>

#include "dialogs/dialogs_win32.h"
#include "map/map_open_win32.h"
#include "map/map_settings.h"
#include "map/map_show_win32.h"
#include "res/resource.h"

namespace {

const wchar_t kWindowClass[] = L"ZorMapWindow";
enum { kTimerId = 1 };

MapWindow g;  // one window; the session's map builder is too large for a stack

void Tick() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  MapTime now;
  now.tick = GetTickCount();
  now.year = local.wYear, now.month = local.wMonth, now.day = local.wDay;
  now.hour = local.wHour, now.minute = local.wMinute, now.second = local.wSecond;
  ShowMapChanges(&g, g.session.Step(now));
}

// After another target is followed: all of it anew, then its first reading.
void Restart() {
  MapChanges all;
  all.title = all.figures = all.look = all.legend = all.map = all.reading = all.history = true;
  ShowMapChanges(&g, all);
  Tick();
}

// A saved file in place of what is shown; a refused one changes nothing.
void Open(const wchar_t* path) {
  if (!OpenSavedFileOrSay(g.window, path, &g.session)) return;
  ForgetMapPanelSubject(&g);
  Restart();
}

void ChooseForMap(const ProcessRow& row) {
  ZCopy(g.pickedName, kTextUnits, row.nameText);
  g.pickedPid = row.pid > 0 ? static_cast<uint32_t>(row.pid) : 0;
}

void Choose() {
  g.pickedName[0] = 0;
  if (RunProcessChooser(g.window, ChooseForMap) && g.pickedName[0]) {
    g.session.FollowChosen(g.pickedName, g.pickedPid);
    ForgetMapPanelSubject(&g);
    Restart();
  }
  ReleaseProcessRows();
}

void ShowStrip(bool shown) {
  g.metrics.stripHeight = shown ? kMapStripLines * g.metrics.lineHeight : 0;
  if (!shown && g.subject == kPanelStrip) ForgetMapPanelSubject(&g);
  SaveStripShown(shown);
  CheckMenuItem(GetMenu(g.window), IDM_MAP_HISTORY, shown ? MF_CHECKED : 0);
  // The strip's room comes from a taller window where the map's rows have
  // none to give: never below the new least size.
  MINMAXINFO least = {};
  MinMapTrackSize(g.window, g.metrics, &least);
  RECT outer;
  if (!(GetWindowLongW(g.window, GWL_STYLE) & WS_MAXIMIZE) && GetWindowRect(g.window, &outer) &&
      (outer.right - outer.left < least.ptMinTrackSize.x ||
       outer.bottom - outer.top < least.ptMinTrackSize.y)) {
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(g.window, nullptr, 0, 0,
                 width > least.ptMinTrackSize.x ? width : least.ptMinTrackSize.x,
                 height > least.ptMinTrackSize.y ? height : least.ptMinTrackSize.y,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ArrangeMapWindow(&g);
}

HWND Text(int id, const wchar_t* text) {
  HWND control =
      CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                      0, 0, 0, 0, g.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleW(nullptr), nullptr);
  if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
  return control;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g.window = window;
      g.figures = Text(IDC_MAP_FIGURES, L"");
      g.grid = CreateMapGrid(window, IDC_MAP_GRID, &g.map);
      g.cellPanel = Text(IDC_MAP_CELL, L"");
      g.topPanel = Text(IDC_MAP_TOP, L"");
      g.strip = CreateMapStrip(window, IDC_MAP_STRIP, &g.history);
      CheckMenuItem(GetMenu(window), IDM_MAP_HISTORY, g.metrics.stripHeight ? MF_CHECKED : 0);
      DragAcceptFiles(window, TRUE);
      SetTimer(window, kTimerId, 1000, nullptr);
      return g.figures && g.grid && g.cellPanel && g.topPanel && g.strip ? 0 : -1;
    case WM_SIZE:
      ArrangeMapWindow(&g);
      return 0;
    case WM_GETMINMAXINFO:  // from the font, so that a larger one cuts no row of the map
      MinMapTrackSize(window, g.metrics, reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_TIMER:
      Tick();
      return 0;
    case kMapHoverMessage:
      g.subject = kPanelCell;
      g.history.hoverX = -1;  // back over the strip, its column is told again
      ShowMapPanels(g);
      return 0;
    case kMapPaintsMessage:  // a target at rest should cost no painting at all
      return g.map.paints;
    case kMapStripPaintsMessage:  // a reading: one column
      return g.history.paints;
    case kMapStripHoverMessage:
      g.subject = kPanelStrip;
      g.stripX = static_cast<int>(wParam);
      g.map.hoverCell = -1;  // and the map's cell
      ShowMapPanels(g);
      return 0;
    case WM_DROPFILES: {
      wchar_t path[MAX_PATH];
      if (DroppedFile(reinterpret_cast<HDROP>(wParam), path)) Open(path);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      PaintMapLegend(dc, g.layout.legend, g.metrics.lineHeight, g.font, g.session.Map());
      EndPaint(window, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      return ColorMapText(g, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_MAP_CHOOSE:
          Choose();
          return 0;
        case IDM_MAP_SAVE:
          SaveMapAs(window, g.session);
          return 0;
        case IDM_MAP_WARNING:
          EditThresholds(window, &g.session);
          return 0;
        case IDM_MAP_OPEN: {
          wchar_t path[MAX_PATH];
          if (PickSavedFile(window, path)) Open(path);
          return 0;
        }
        case IDM_MAP_HISTORY:
          ShowStrip(!g.metrics.stripHeight);
          return 0;
        case IDM_MAP_EXIT:
          DestroyWindow(window);
          return 0;
      }
      break;
    case WM_DESTROY:
      KillTimer(window, kTimerId);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Measure() {
  g.font = CreateMapFont(&g.ownFont);
  g.metrics = MeasureMapFont(g.font);
  g.map.font = g.font;
  g.map.lineHeight = g.metrics.lineHeight;
  g.map.labelWidth = g.metrics.labelWidth;
  g.map.map = &g.session.Map();
  g.history.font = g.font;
  g.history.lineHeight = g.metrics.lineHeight;
  g.history.history = &g.session.Past();
  if (LoadStripShown()) g.metrics.stripHeight = kMapStripLines * g.metrics.lineHeight;
}

}  // namespace

bool FollowGiven(const ZChar* name, uint32_t pid, ZChar* reason) {
  return g.session.Follow(name, pid, reason);
}

bool OpenGiven(const wchar_t* path, uint32_t pid, wchar_t* error, size_t units) {
  return OpenSavedFile(path, pid, nullptr, &g.session, error, units);
}

int RunMapWindow(HINSTANCE instance, int show, bool given) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  Measure();
  g.session.SetThresholds(LoadWarningThresholds());
  RegisterMapGrid(instance);
  RegisterMapStrip(instance);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  // Redrawn whole on a resize: the legend hangs from the right edge.
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAP_MENU);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  int width = 0, height = 0;
  FirstMapWindowSize(g.metrics, &width, &height);
  HWND window = CreateWindowExW(0, kWindowClass, L"zormap", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, nullptr,
                                instance, nullptr);
  int code = 1;
  if (window) {
    SetMapText(window, g.session.Title());
    ShowWindow(window, show);
    if (given)
      Restart();  // a saved file opened shows at once
    else
      PostMessageW(window, WM_COMMAND, IDM_MAP_CHOOSE, 0);
    HACCEL keys = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAP));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (keys && TranslateAcceleratorW(window, keys, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    code = static_cast<int>(msg.wParam);
  }
  g.session.Stop();
  if (g.ownFont) DeleteObject(g.font);
  return code;
}
