// The window procedures of the gauge and the scale strip: thin entries into
// the portable message handling.
#include <string.h>
#include <windows.h>

#include "meter/meter_win32.h"
#include "meter/scale_strip.h"

LRESULT CALLBACK GaugeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleGaugeMessage(FromHwnd(window), message, wParam, lParam);
}

LRESULT CALLBACK ScaleStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleScaleStripMessage(FromHwnd(window), message, wParam, lParam);
}

void SubclassScaleStrip(HWND strip) {
  LONG old = SetWindowLongW(strip, GWL_WNDPROC,
                            static_cast<LONG>(reinterpret_cast<LONG_PTR>(ScaleStripProc)));
  // Subclassing twice would make the strip call itself for ever.
  if (old && old != static_cast<LONG>(reinterpret_cast<LONG_PTR>(ScaleStripProc)))
    g_scaleStripPreviousProc = reinterpret_cast<WindowProcRef>(static_cast<LONG_PTR>(old));
}

void AttachMainGauge(HWND gaugeControl) {
  memset(&g_mainGauge, 0, sizeof g_mainGauge);
  g_mainGauge.window = FromHwnd(gaugeControl);
  g_mainGauge.threshold = 0.7;
  g_mainGauge.maximum = 0;
  g_mainGauge.minimum = 0;
  AttachGauge(&g_mainGauge);
}
