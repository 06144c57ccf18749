#include "meter/draw.h"

#include <math.h>
#include <stdint.h>

#include "meter/exact_double.h"

int32_t g_labelTextHeight = 0;

namespace {

int32_t Saturate(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

uint32_t Channel(uint32_t color, int shift) { return (color >> shift) & 0xFF; }

int64_t RampChannel(uint32_t start, uint32_t end, int64_t rowCount, int64_t i) {
  double step = ExactDiv(static_cast<int32_t>(start) - static_cast<int32_t>(end),
                         static_cast<double>(rowCount));
  double subtracted = trunc(ExactMul(static_cast<double>(i), step));
  int64_t value = static_cast<int64_t>(start) - static_cast<int64_t>(subtracted);
  if (value >= 255) return 255;
  if (value < 0) return 0;  // only for rows past the ramp's end
  return value;
}

void Line(DcHandle dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  GdiApi& gdi = Gdi();
  gdi.MoveTo(dc, x1, y1);
  gdi.LineTo(dc, x2, y2);
}

}  // namespace

int64_t RampRowCount(int32_t startY, int32_t endY) {
  int64_t d = static_cast<int64_t>(endY) - startY;
  return d < 0 ? -d : d;
}

uint32_t RampRowColor(uint32_t startColor, uint32_t endColor, int64_t rowCount, int64_t i) {
  if (rowCount <= 0) return startColor & 0xFFFFFF;
  int64_t r = RampChannel(Channel(startColor, 0), Channel(endColor, 0), rowCount, i);
  int64_t g = RampChannel(Channel(startColor, 8), Channel(endColor, 8), rowCount, i);
  int64_t b = RampChannel(Channel(startColor, 16), Channel(endColor, 16), rowCount, i);
  return static_cast<uint32_t>(r + g * 256 + b * 65536);
}

void DrawColorRamp(DcHandle dc, uint32_t startColor, uint32_t endColor, int32_t leftX,
                   int32_t startY, int32_t rightX, int32_t endY) {
  GdiApi& gdi = Gdi();
  int64_t rows = RampRowCount(startY, endY);
  for (int64_t i = 0; i < rows; ++i) {
    int64_t y = startY + i;
    if (y > INT32_MAX) break;  // rows past the coordinate space do not exist
    GdiObject pen = gdi.CreateSolidPen(RampRowColor(startColor, endColor, rows, i));
    GdiObject previous = pen ? gdi.SelectObject(dc, pen) : nullptr;
    Line(dc, leftX, static_cast<int32_t>(y), rightX, static_cast<int32_t>(y));
    if (pen) {
      if (previous) gdi.SelectObject(dc, previous);
      gdi.DeleteObject(pen);
    }
  }
}

void DrawEtchedLine(DcHandle dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  GdiApi& gdi = Gdi();
  int32_t lx1 = x1, ly1 = y1, lx2 = x2, ly2 = y2;
  if (x1 == x2) {
    lx1 = Saturate(static_cast<int64_t>(x1) + 1);
    lx2 = Saturate(static_cast<int64_t>(x2) + 1);
  } else {
    ly1 = Saturate(static_cast<int64_t>(y1) + 1);
    ly2 = Saturate(static_cast<int64_t>(y2) + 1);
  }
  GdiObject dark = gdi.CreateSolidPen(kEtchDark);
  GdiObject white = gdi.CreateSolidPen(kEtchLight);

  // A pen that could not be made leaves the line to the pen already in place;
  // whatever happens, the original pen goes back before any pen is deleted.
  GdiObject original = nullptr;
  bool replaced = false;
  if (dark) {
    original = gdi.SelectObject(dc, dark);
    replaced = true;
  }
  Line(dc, x1, y1, x2, y2);
  if (white) {
    GdiObject out = gdi.SelectObject(dc, white);
    if (!replaced) {
      original = out;
      replaced = true;
    }
  } else if (replaced) {
    if (original) gdi.SelectObject(dc, original);
    replaced = false;
  }
  if (dark) gdi.DeleteObject(dark);
  Line(dc, lx1, ly1, lx2, ly2);
  if (replaced && original) gdi.SelectObject(dc, original);
  if (white) gdi.DeleteObject(white);
}

void DrawLabelText(DcHandle dc, WindowHandle fontWindow, int32_t x, int32_t y, const ZChar* text) {
  GdiApi& gdi = Gdi();
  int32_t previousMode = gdi.SetBkMode(dc, kBkTransparent);
  GdiObject font = gdi.GetWindowFont(fontWindow);
  // No font: the context's own stays in use.
  GdiObject previousFont = font ? gdi.SelectObject(dc, font) : nullptr;
  if (g_labelTextHeight == 0) {
    int32_t height = 0, leading = 0;
    if (gdi.GetTextMetrics(dc, &height, &leading))
      g_labelTextHeight = Saturate(static_cast<int64_t>(height) + leading);
  }
  int32_t units = text ? static_cast<int32_t>(ZLenBounded(text, INT32_MAX)) : 0;
  gdi.TextOut(dc, x, Saturate(static_cast<int64_t>(y) - g_labelTextHeight / 2),
              text ? text : ZT(""), units);
  if (previousMode) gdi.SetBkMode(dc, previousMode);
  if (previousFont) gdi.SelectObject(dc, previousFont);
}
