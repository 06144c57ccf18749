// The meter's Win32 face: its window procedures, the strip's subclassing,
// and conversions between Win32 handles and the seam's opaque ones.
#pragma once
#include <windows.h>

#include "meter/gauge.h"
#include "meter/gdi_api.h"

inline HWND ToHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }
inline WindowHandle FromHwnd(HWND w) { return reinterpret_cast<WindowHandle>(w); }
inline HDC ToHdc(DcHandle dc) { return reinterpret_cast<HDC>(dc); }
inline DcHandle FromHdc(HDC dc) { return reinterpret_cast<DcHandle>(dc); }
inline HGDIOBJ ToGdiObj(GdiObject o) { return reinterpret_cast<HGDIOBJ>(o); }
inline GdiObject FromGdiObj(HGDIOBJ o) { return reinterpret_cast<GdiObject>(o); }

LRESULT CALLBACK GaugeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScaleStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Subclasses the scale strip (control 1005) with ScaleStripProc, keeping its
// own procedure.
void SubclassScaleStrip(HWND strip);

// The main dialog's gauge set up on control 1033: record zeroed, threshold
// 0.7, no range yet (the first level update gives it one), then attached.
void AttachMainGauge(HWND gaugeControl);
