// Win32 side of the placement seam, on the main dialog and its controls.
#include <windows.h>

#include "app/placement.h"
#include "meter/meter_win32.h"
#include "tray/tray_icon.h"

namespace {

HWND Window(int32_t id) {
  HWND main = ToHwnd(g_mainDialog);
  return id == kMainWindow ? main : GetDlgItem(main, id);
}

class Win32LayoutApi : public LayoutApi {
 public:
  bool GetPlacement(int32_t id, Rect* normal, int32_t* showCmd) override {
    HWND w = Window(id);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!w || !GetWindowPlacement(w, &wp)) return false;
    *normal = Rect{wp.rcNormalPosition.left, wp.rcNormalPosition.top, wp.rcNormalPosition.right,
                   wp.rcNormalPosition.bottom};
    // The record says "normal" for a hidden window too; writing that back
    // would show it. A control's own style decides, not its parent's: a
    // control of the hidden (tray) window is still shown.
    bool shown = (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
    *showCmd = shown ? static_cast<int32_t>(wp.showCmd) : kShowHide;
    return true;
  }
  void SetPlacement(int32_t id, const Rect& normal, int32_t showCmd) override {
    HWND w = Window(id);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!w || !GetWindowPlacement(w, &wp)) return;
    wp.rcNormalPosition = RECT{normal.left, normal.top, normal.right, normal.bottom};
    wp.showCmd = static_cast<UINT>(showCmd);
    SetWindowPlacement(w, &wp);
  }
  int32_t ScreenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
  void WorkAreaOrigin(int32_t* x, int32_t* y) override {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    *x = work.left;
    *y = work.top;
  }
  void ShowWindow(int32_t id, int32_t showCmd) override {
    if (HWND w = Window(id)) ::ShowWindow(w, showCmd);
  }
  void SetTopmost(int32_t id, bool topmost) override {
    HWND w = Window(id);
    RECT r;
    if (!w || !GetWindowRect(w, &r)) return;
    SetWindowPos(w, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, 0);
  }
  void RepaintMainWindow() override {
    HWND main = ToHwnd(g_mainDialog);
    InvalidateRect(main, nullptr, TRUE);
    UpdateWindow(main);
  }
  void SendCommand(int32_t commandId) override {
    SendMessageW(ToHwnd(g_mainDialog), WM_COMMAND, static_cast<WPARAM>(commandId), 0);
  }
};

}  // namespace

LayoutApi* PlatformLayoutApi() {
  static Win32LayoutApi api;
  return &api;
}
