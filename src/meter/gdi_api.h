// The GDI and window operations the meter's drawing and painting need.
// Handles are opaque here; gdi_api_win32.cpp passes each call to Win32, and
// tests install a substitute that records what is drawn.
#pragma once
#include <stdint.h>

#include "common/ztext.h"

typedef struct ZWindowTag* WindowHandle;       // HWND
typedef struct ZDcTag* DcHandle;               // HDC
typedef struct ZGdiObjectTag* GdiObject;       // HGDIOBJ: pen, bitmap or font
typedef struct ZWindowProcTag* WindowProcRef;  // WNDPROC

struct ZRect {
  int32_t left, top, right, bottom;
};

enum : uint32_t {
  kWmSize = 0x0005,
  kWmPaint = 0x000F,
};

enum { kBkTransparent = 1 };

class GdiApi {
 public:
  virtual ~GdiApi() {}

  // Drawing.
  // A solid pen one pixel wide (CreatePenIndirect); null on failure.
  virtual GdiObject CreateSolidPen(uint32_t color) = 0;
  // Returns the object it replaces; null on failure.
  virtual GdiObject SelectObject(DcHandle dc, GdiObject object) = 0;
  virtual bool DeleteObject(GdiObject object) = 0;
  virtual void MoveTo(DcHandle dc, int32_t x, int32_t y) = 0;
  // From the current position up to, not including, (x, y).
  virtual void LineTo(DcHandle dc, int32_t x, int32_t y) = 0;
  // Returns the previous mode; 0 on failure.
  virtual int32_t SetBkMode(DcHandle dc, int32_t mode) = 0;
  // WM_GETFONT; null when the window draws with the system font.
  virtual GdiObject GetWindowFont(WindowHandle window) = 0;
  // tmHeight and tmExternalLeading of the selected font.
  virtual bool GetTextMetrics(DcHandle dc, int32_t* height, int32_t* externalLeading) = 0;
  virtual void TextOut(DcHandle dc, int32_t x, int32_t y, const ZChar* text, int32_t units) = 0;

  // Device contexts and the back buffer.
  virtual bool GetClientRect(WindowHandle window, ZRect* rect) = 0;
  virtual DcHandle GetDC(WindowHandle window) = 0;
  virtual void ReleaseDC(WindowHandle window, DcHandle dc) = 0;
  virtual DcHandle CreateCompatibleDC(DcHandle dc) = 0;
  virtual GdiObject CreateCompatibleBitmap(DcHandle dc, int32_t width, int32_t height) = 0;
  virtual bool DeleteDC(DcHandle dc) = 0;
  // SRCCOPY of a block to the same size at (x, y).
  virtual void BitBlt(DcHandle dst, int32_t x, int32_t y, int32_t width, int32_t height,
                      DcHandle src, int32_t srcX, int32_t srcY) = 0;
  // InvalidateRect of the whole client area with erase, then UpdateWindow:
  // the window has painted itself when this returns.
  virtual void Repaint(WindowHandle window) = 0;

  // Subclassing.
  // SetWindowLongW(GWL_WNDPROC); returns the procedure it replaces.
  virtual WindowProcRef SetWindowProc(WindowHandle window, WindowProcRef proc) = 0;
  virtual intptr_t CallWindowProc(WindowProcRef proc, WindowHandle window, uint32_t message,
                                  uintptr_t wParam, intptr_t lParam) = 0;
  virtual intptr_t DefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam) = 0;
  // The gauge's subclass procedure (GaugeWindowProc) as this platform names it.
  virtual WindowProcRef GaugeProcedure() = 0;
};

GdiApi& Gdi();
GdiApi* SetGdiApi(GdiApi* api);
// The platform's own implementation (beside this file in the _win32 source).
GdiApi* PlatformGdiApi();
