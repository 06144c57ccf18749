// The about window: bands laid out from the banner's height, two of them
// painted as colour ramps and one framed by etched lines.
#include <windows.h>

#include "common/module_win32.h"
#include "common/string_table.h"
#include "dialogs/about_layout.h"
#include "dialogs/dialogs_win32.h"
#include "meter/draw.h"
#include "meter/meter_win32.h"
#include "res/resource.h"

namespace {

enum { kAboutTextUnits = 260 };

int g_baseUnitX = 0;
int g_baseUnitY = 0;
WNDPROC g_upperRampPrevious = nullptr;
WNDPROC g_lowerRampPrevious = nullptr;
WNDPROC g_boxPrevious = nullptr;

LRESULT Previous(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? CallWindowProcW(proc, window, message, wParam, lParam)
              : DefWindowProcW(window, message, wParam, lParam);
}

// Runs the control's own painting, then hands a device context on its
// client area to draw over it.
template <class Paint>
LRESULT PaintOver(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                  Paint paint) {
  LRESULT result = Previous(previous, window, message, wParam, lParam);
  if (message != WM_PAINT) return result;
  RECT rect;
  if (!GetClientRect(window, &rect)) return 0;
  if (HDC dc = GetDC(window)) {
    paint(FromHdc(dc), rect);
    ReleaseDC(window, dc);
  }
  return 0;
}

const uint32_t kWhite = RGB(255, 255, 255);

LRESULT CALLBACK UpperRampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PaintOver(
      g_upperRampPrevious, window, message, wParam, lParam, [](DcHandle dc, const RECT& r) {
        DrawColorRamp(dc, GetSysColor(COLOR_BTNFACE), kWhite, r.left, r.top, r.right, r.bottom);
      });
}

LRESULT CALLBACK LowerRampProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PaintOver(
      g_lowerRampPrevious, window, message, wParam, lParam, [](DcHandle dc, const RECT& r) {
        DrawColorRamp(dc, kWhite, GetSysColor(COLOR_BTNFACE), r.left, r.top, r.right, r.bottom);
      });
}

LRESULT CALLBACK EtchedBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PaintOver(g_boxPrevious, window, message, wParam, lParam, [](DcHandle dc, const RECT& r) {
    int inset = 2 * g_baseUnitX;
    DrawEtchedLine(dc, r.left + inset, r.top, r.right - inset, r.top);
    DrawEtchedLine(dc, r.left + inset, r.bottom, r.right - inset, r.bottom);
  });
}

// Replaces the normal-position rectangle, keeping the rest of the placement.
void Place(HWND window, const AboutRect& r) {
  if (!window) return;
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return;
  placement.rcNormalPosition = {r.left, r.top, r.right, r.bottom};
  SetWindowPlacement(window, &placement);
}

// Chains the control to proc, remembering the procedure it replaces. A control
// already chained keeps its remembered one: chaining to proc itself would
// recurse without end.
void Subclass(HWND window, WNDPROC proc, WNDPROC* previous) {
  if (!window) return;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == proc) return;
  *previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

}  // namespace

void LayoutAboutDialog(HWND dialog) {
  LONG units = GetDialogBaseUnits();
  g_baseUnitX = LOWORD(units);
  g_baseUnitY = HIWORD(units);

  RECT bannerRect = {};
  HWND banner = GetDlgItem(dialog, IDC_ABOUT_BANNER);
  if (banner) GetWindowRect(banner, &bannerRect);

  AboutMetrics m = {};
  m.bannerWidth = bannerRect.right - bannerRect.left;
  m.bannerHeight = bannerRect.bottom - bannerRect.top;
  m.baseUnitY = g_baseUnitY;
  m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  m.captionButtonHeight = GetSystemMetrics(SM_CYSIZE);
  // The window first: the bands span the client width it then has.
  Place(dialog, LayoutAboutDialog(m).window);
  RECT client = {};
  GetClientRect(dialog, &client);
  m.clientWidth = client.right - client.left;
  AboutLayout l = LayoutAboutDialog(m);

  HWND upper = GetDlgItem(dialog, IDC_ABOUT_RAMP_TOP);
  Place(upper, l.upperRamp);
  Subclass(upper, UpperRampProc, &g_upperRampPrevious);
  Place(banner, l.banner);
  HWND lower = GetDlgItem(dialog, IDC_ABOUT_RAMP_BOTTOM);
  Place(lower, l.lowerRamp);
  Subclass(lower, LowerRampProc, &g_lowerRampPrevious);
  HWND box = GetDlgItem(dialog, IDC_ABOUT_BOX);
  Place(box, l.box);
  Subclass(box, EtchedBoxProc, &g_boxPrevious);
  HWND text = GetDlgItem(dialog, IDC_ABOUT_TEXT);
  Place(text, l.text);
  ZChar about[kAboutTextUnits];
  about[0] = 0;
  Strings().Load(IDS_ABOUT_TEXT, about, kAboutTextUnits);
  if (text) SetWindowTextW(text, about);
  Place(GetDlgItem(dialog, IDOK), l.ok);
}

INT_PTR CALLBACK AboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      LayoutAboutDialog(dialog);
      UpdateWindow(dialog);
      return TRUE;
    case WM_DESTROY: {
      // The banner's static control loaded the bitmap from the template. Not
      // every system's control frees such an image when it goes (Wine's
      // never does: one bitmap lost per opening), and an image taken out with
      // STM_SETIMAGE is the caller's to free on all of them.
      HGDIOBJ banner = reinterpret_cast<HGDIOBJ>(
          SendDlgItemMessageW(dialog, IDC_ABOUT_BANNER, STM_SETIMAGE, IMAGE_BITMAP, 0));
      if (banner) DeleteObject(banner);
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR RunAboutDialog(HWND owner) {
  DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDialog, 0);
  return 0;
}
