// Win32 side of the drawing seam: each call passed straight through.
#include <windows.h>

#include "meter/gdi_api.h"
#include "meter/meter_win32.h"

namespace {

WNDPROC ToWndProc(WindowProcRef p) { return reinterpret_cast<WNDPROC>(p); }
WindowProcRef FromWndProc(WNDPROC p) { return reinterpret_cast<WindowProcRef>(p); }

class Win32GdiApi : public GdiApi {
 public:
  GdiObject CreateSolidPen(uint32_t color) override {
    LOGPEN pen;
    pen.lopnStyle = PS_SOLID;
    pen.lopnWidth.x = 1;
    pen.lopnWidth.y = 1;
    pen.lopnColor = color;
    return FromGdiObj(::CreatePenIndirect(&pen));
  }
  GdiObject SelectObject(DcHandle dc, GdiObject object) override {
    return FromGdiObj(::SelectObject(ToHdc(dc), ToGdiObj(object)));
  }
  bool DeleteObject(GdiObject object) override { return ::DeleteObject(ToGdiObj(object)); }
  void MoveTo(DcHandle dc, int32_t x, int32_t y) override { ::MoveToEx(ToHdc(dc), x, y, nullptr); }
  void LineTo(DcHandle dc, int32_t x, int32_t y) override { ::LineTo(ToHdc(dc), x, y); }
  int32_t SetBkMode(DcHandle dc, int32_t mode) override { return ::SetBkMode(ToHdc(dc), mode); }
  GdiObject GetWindowFont(WindowHandle window) override {
    return reinterpret_cast<GdiObject>(::SendMessageW(ToHwnd(window), WM_GETFONT, 0, 0));
  }
  bool GetTextMetrics(DcHandle dc, int32_t* height, int32_t* externalLeading) override {
    TEXTMETRICW tm;
    if (!::GetTextMetricsW(ToHdc(dc), &tm)) return false;
    *height = tm.tmHeight;
    *externalLeading = tm.tmExternalLeading;
    return true;
  }
  void TextOut(DcHandle dc, int32_t x, int32_t y, const ZChar* text, int32_t units) override {
    ::TextOutW(ToHdc(dc), x, y, text, units);
  }

  bool GetClientRect(WindowHandle window, ZRect* rect) override {
    RECT r;
    if (!::GetClientRect(ToHwnd(window), &r)) return false;
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
    return true;
  }
  DcHandle GetDC(WindowHandle window) override { return FromHdc(::GetDC(ToHwnd(window))); }
  void ReleaseDC(WindowHandle window, DcHandle dc) override {
    ::ReleaseDC(ToHwnd(window), ToHdc(dc));
  }
  DcHandle CreateCompatibleDC(DcHandle dc) override {
    return FromHdc(::CreateCompatibleDC(ToHdc(dc)));
  }
  GdiObject CreateCompatibleBitmap(DcHandle dc, int32_t width, int32_t height) override {
    return FromGdiObj(::CreateCompatibleBitmap(ToHdc(dc), width, height));
  }
  bool DeleteDC(DcHandle dc) override { return ::DeleteDC(ToHdc(dc)); }
  void BitBlt(DcHandle dst, int32_t x, int32_t y, int32_t width, int32_t height, DcHandle src,
              int32_t srcX, int32_t srcY) override {
    ::BitBlt(ToHdc(dst), x, y, width, height, ToHdc(src), srcX, srcY, SRCCOPY);
  }
  void Repaint(WindowHandle window) override {
    ::InvalidateRect(ToHwnd(window), nullptr, TRUE);
    ::UpdateWindow(ToHwnd(window));
  }

  WindowProcRef SetWindowProc(WindowHandle window, WindowProcRef proc) override {
    LONG old = ::SetWindowLongW(ToHwnd(window), GWL_WNDPROC,
                                static_cast<LONG>(reinterpret_cast<LONG_PTR>(ToWndProc(proc))));
    return reinterpret_cast<WindowProcRef>(static_cast<LONG_PTR>(old));
  }
  intptr_t CallWindowProc(WindowProcRef proc, WindowHandle window, uint32_t message,
                          uintptr_t wParam, intptr_t lParam) override {
    return ::CallWindowProcW(ToWndProc(proc), ToHwnd(window), message, wParam, lParam);
  }
  intptr_t DefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) override {
    return ::DefWindowProcW(ToHwnd(window), message, wParam, lParam);
  }
  WindowProcRef GaugeProcedure() override { return FromWndProc(GaugeWindowProc); }
};

}  // namespace

GdiApi* PlatformGdiApi() {
  static Win32GdiApi api;
  return &api;
}
