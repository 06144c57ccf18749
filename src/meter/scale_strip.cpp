#include "meter/scale_strip.h"

#include <string.h>

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

// "%.2f" as the C runtime writes it: the exact binary value rounded to
// hundredths, ties to even, cut to the label's room. Done here so that the
// runtime's floating-point formatter stays out of the program.
void FormatMark(double value, ZChar* out, size_t cap) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  int exponent = static_cast<int>(bits >> 52 & 0x7FF);
  uint64_t mantissa = bits & ((UINT64_C(1) << 52) - 1);
  char text[400];  // sign, up to 309 digits, ".00"
  size_t n = 0;
  if (bits >> 63) text[n++] = '-';
  if (exponent == 0x7FF) {
    for (const char* p = mantissa ? "nan" : "inf"; *p; ++p) text[n++] = *p;
  } else {
    if (exponent)
      mantissa |= UINT64_C(1) << 52;
    else
      exponent = 1;                // subnormal
    int shift = exponent - 1075;  // value = mantissa * 2^shift
    char digits[320];             // least significant first
    size_t count = 0;
    uint32_t hundredths = 0;
    if (shift >= 0) {
      // A whole number of up to 1024 bits: divide a copy by ten, digit by digit.
      uint32_t words[34] = {0};
      for (int i = 0; i < 53; ++i)
        if (mantissa >> i & 1) words[(i + shift) / 32] |= UINT32_C(1) << ((i + shift) % 32);
      int top = 33;
      while (top >= 0) {
        if (!words[top]) {
          --top;
          continue;
        }
        uint64_t rest = 0;
        for (int w = top; w >= 0; --w) {
          uint64_t cur = rest << 32 | words[w];
          words[w] = static_cast<uint32_t>(cur / 10);
          rest = cur % 10;
        }
        digits[count++] = static_cast<char>('0' + rest);
      }
    } else {
      int k = -shift;
      uint64_t whole = k < 64 ? mantissa >> k : 0;
      uint64_t fraction = k < 64 ? mantissa & ((UINT64_C(1) << k) - 1) : mantissa;
      // fraction * 100 stays below 2^60, so from 2^-61 on it rounds to 0.
      if (k <= 60) {
        uint64_t scaled = fraction * 100;
        hundredths = static_cast<uint32_t>(scaled >> k);
        uint64_t rest = scaled & ((UINT64_C(1) << k) - 1);
        uint64_t half = UINT64_C(1) << (k - 1);
        if (rest > half || (rest == half && (hundredths & 1))) ++hundredths;
        if (hundredths == 100) {
          hundredths = 0;
          ++whole;
        }
      }
      do {
        digits[count++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
      } while (whole);
    }
    if (count == 0) digits[count++] = '0';
    while (count) text[n++] = digits[--count];
    text[n++] = '.';
    text[n++] = static_cast<char>('0' + hundredths / 10);
    text[n++] = static_cast<char>('0' + hundredths % 10);
  }
  // The label buffer held what a bounded format left of it.
  if (n > kScaleLabelUnits - 1) n = kScaleLabelUnits - 1;
  text[n] = 0;
  ZBuilder(out, cap).AddAscii(text);
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

  GdiApi& gdi = Gdi();
  DcHandle dc = gdi.GetDC(strip);
  int32_t spacing = ScaleMarkSpacing(g_scaleStripHeight);
  int32_t right = Saturate(static_cast<int64_t>(g_scaleStripWidth) - 3);
  for (int k = 0; k < kScaleMarks; ++k) {
    int32_t y = Saturate(kScaleTopY + static_cast<int64_t>(k) * spacing);
    DrawEtchedLine(dc, kScaleMarkLeft, y, right, y);
    ZChar label[kScaleLabelUnits];
    FormatScaleLabel(limitMb, kScaleMarks - 1 - k, label, kScaleLabelUnits);
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
