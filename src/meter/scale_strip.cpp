#include "meter/scale_strip.h"

#include <stdio.h>

#include "meter/draw.h"
#include "meter/exact_double.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"
#include "sysinfo/system_api.h"

int32_t g_scaleStripWidth = 0;
int32_t g_scaleStripHeight = 0;
WindowProcRef g_scaleStripPreviousProc = nullptr;

namespace {

int32_t Saturate(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

double GbPerMark(uint64_t limitMb) { return ExactDiv(static_cast<double>(limitMb), 1024.0 * 5.0); }

void FormatMark(double value, ZChar* out, size_t cap) {
  char digits[kScaleLabelUnits];
  int n = snprintf(digits, sizeof digits, "%.2f", value);
  if (n < 0) digits[0] = 0;
  ZBuilder(out, cap).AddAscii(digits);
}

}  // namespace

int32_t ScaleMarkSpacing(int32_t height) {
  return static_cast<int32_t>((static_cast<int64_t>(height) - 10) / 5);
}

void FormatScaleLabel(uint64_t limitMb, int n, ZChar* out, size_t cap) {
  FormatMark(ExactMul(n, GbPerMark(limitMb)), out, cap);
}

void DrawScaleTicks(WindowHandle strip) {
  uint64_t limitMb = g_monitor.limitMb;
  // Before the first refresh the limit is not known yet: the tool's own
  // address space stands in, for this drawing only.
  if (limitMb == 0) limitMb = System().TotalVirtual() >> 20;
  double perMark = GbPerMark(limitMb);

  GdiApi& gdi = Gdi();
  DcHandle dc = gdi.GetDC(strip);
  int32_t spacing = ScaleMarkSpacing(g_scaleStripHeight);
  int32_t right = Saturate(static_cast<int64_t>(g_scaleStripWidth) - 3);
  for (int k = 0; k < kScaleMarks; ++k) {
    int32_t y = Saturate(kScaleTopY + static_cast<int64_t>(k) * spacing);
    DrawEtchedLine(dc, kScaleMarkLeft, y, right, y);
    ZChar label[kScaleLabelUnits];
    FormatMark(ExactMul(kScaleMarks - 1 - k, perMark), label, kScaleLabelUnits);
    DrawLabelText(dc, strip, 0, y, label);
  }
  gdi.ReleaseDC(strip, dc);
}

intptr_t HandleScaleStripMessage(WindowHandle strip, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam) {
  GdiApi& gdi = Gdi();
  intptr_t result =
      g_scaleStripPreviousProc
          ? gdi.CallWindowProc(g_scaleStripPreviousProc, strip, message, wParam, lParam)
          : gdi.DefaultWindowProc(strip, message, wParam, lParam);
  if (message == kWmSize) {
    uint32_t size = static_cast<uint32_t>(lParam);
    g_scaleStripWidth = static_cast<int32_t>(size & 0xFFFF);
    g_scaleStripHeight = static_cast<int32_t>((size >> 16) & 0xFFFF);
    return 0;
  }
  if (message == kWmPaint) {
    if (!g_viewSettings.showMemScale) return 0;
    ZRect rect = {0, 0, 0, 0};
    gdi.GetClientRect(strip, &rect);
    g_scaleStripWidth = Saturate(static_cast<int64_t>(rect.right) - rect.left);
    g_scaleStripHeight = Saturate(static_cast<int64_t>(rect.bottom) - rect.top);
    DrawScaleTicks(strip);
    return 0;
  }
  return result;
}
