#include "meter/gauge.h"

#include <math.h>

#include "meter/draw.h"
#include "meter/exact_double.h"

MeterGauge* GaugeTable[kGaugeTableSize];
MeterGauge g_mainGauge;

namespace {

int32_t Saturate(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int32_t Width(const ZRect& r) { return Saturate(static_cast<int64_t>(r.right) - r.left); }

void FreeBuffer(MeterGauge* g) {
  GdiApi& gdi = Gdi();
  if (!g->bufferDc) return;
  if (g->previousBitmap) gdi.SelectObject(g->bufferDc, g->previousBitmap);
  if (g->bufferBitmap) gdi.DeleteObject(g->bufferBitmap);
  gdi.DeleteDC(g->bufferDc);
  g->bufferDc = nullptr;
  g->bufferBitmap = nullptr;
  g->previousBitmap = nullptr;
}

MeterGauge* Find(WindowHandle window) {
  for (MeterGauge* g : GaugeTable)
    if (g && g->window == window) return g;
  return nullptr;
}

void Paint(MeterGauge* g) {
  // Only rows 0 to height - 1 exist in the buffer: a taller fill shows them all.
  int64_t rows = g->fillHeight < g->height ? g->fillHeight : g->height;
  if (rows <= 0 || !g->bufferDc) return;
  GdiApi& gdi = Gdi();
  int32_t y = static_cast<int32_t>(g->height - rows);
  DcHandle dc = gdi.GetDC(g->window);
  gdi.BitBlt(dc, 0, y, Width(g->clientRect), static_cast<int32_t>(rows), g->bufferDc, 0, y);
  gdi.ReleaseDC(g->window, dc);
}

}  // namespace

int64_t GaugeSplitRow(double threshold, int64_t height) {
  double row = trunc(ExactMul(ExactSub(1.0, threshold), static_cast<double>(height)));
  if (!(row >= 0.0)) return 0;  // negative, or a threshold that is not a number
  return row >= static_cast<double>(height) ? height : static_cast<int64_t>(row);
}

int64_t GaugeFillHeight(int64_t height, uint64_t range, uint64_t value, uint64_t minimum) {
  if (value == 0 || range == 0 || value <= minimum) return 0;
  double rows = trunc(ExactMul(ExactDiv(static_cast<double>(height), static_cast<double>(range)),
                               static_cast<double>(value - minimum)));
  if (rows <= 0.0) return 0;
  // Far beyond any height; keeps the conversion defined.
  if (rows >= 4611686018427387904.0) return INT64_C(4611686018427387904);
  return static_cast<int64_t>(rows);
}

void AttachGauge(MeterGauge* gauge) {
  UpdateGaugeRange(gauge);
  for (MeterGauge* g : GaugeTable)
    if (g == gauge) return;  // attached already: subclassing twice would loop
  gauge->slot = -1;
  for (int i = 0; i < kGaugeTableSize; ++i) {
    if (!GaugeTable[i]) {
      gauge->slot = i;
      break;
    }
  }
  // No free entry: a subclassed window the procedure cannot find would lose
  // its own procedure, so the control stays as it is.
  if (gauge->slot < 0) return;
  GdiApi& gdi = Gdi();
  gauge->previousProc = gdi.SetWindowProc(gauge->window, gdi.GaugeProcedure());
  GaugeTable[gauge->slot] = gauge;
}

void UpdateGaugeRange(MeterGauge* g) {
  if (g->maximum == 0 && g->minimum == 0) return;
  if (g->maximum == g->builtMaximum && g->minimum == g->builtMinimum) return;
  GdiApi& gdi = Gdi();
  ZRect rect = {0, 0, 0, 0};
  gdi.GetClientRect(g->window, &rect);
  g->clientRect = rect;
  g->range = g->maximum - g->minimum;
  int64_t height = static_cast<int64_t>(rect.bottom) - rect.top;
  g->height = height < 0 ? 0 : height;

  FreeBuffer(g);
  int32_t width = Width(rect);
  DcHandle windowDc = gdi.GetDC(g->window);
  DcHandle memoryDc = gdi.CreateCompatibleDC(windowDc);
  // The bitmap takes the window's pixel format; one made for the memory
  // context would be monochrome.
  GdiObject bitmap =
      gdi.CreateCompatibleBitmap(windowDc, width < 0 ? 0 : width, static_cast<int32_t>(g->height));
  if (memoryDc && bitmap) {
    g->bufferDc = memoryDc;
    g->bufferBitmap = bitmap;
    g->previousBitmap = gdi.SelectObject(memoryDc, bitmap);
  } else {
    if (bitmap) gdi.DeleteObject(bitmap);
    if (memoryDc) gdi.DeleteDC(memoryDc);
  }
  gdi.ReleaseDC(g->window, windowDc);

  if (g->bufferDc) {
    int32_t split = static_cast<int32_t>(GaugeSplitRow(g->threshold, g->height));
    int32_t bottom = static_cast<int32_t>(g->height);
    DrawColorRamp(g->bufferDc, kGaugeThresholdColor, kGaugeBottomColor, rect.left, split,
                  rect.right, bottom);
    DrawColorRamp(g->bufferDc, kGaugeTopColor, kGaugeThresholdColor, rect.left, 0, rect.right,
                  split);
  }
  g->builtMaximum = g->maximum;
  g->builtMinimum = g->minimum;
}

void UpdateGaugeValue(MeterGauge* g) {
  g->fillHeight = GaugeFillHeight(g->height, g->range, g->value, g->minimum);
  if (g->value == g->shownValue) return;
  g->shownValue = g->value;
  Gdi().Repaint(g->window);
}

intptr_t HandleGaugeMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
  GdiApi& gdi = Gdi();
  MeterGauge* g = Find(window);
  if (!g || !g->previousProc) return gdi.DefaultWindowProc(window, message, wParam, lParam);
  intptr_t result = gdi.CallWindowProc(g->previousProc, window, message, wParam, lParam);
  if (message != kWmPaint) return result;
  Paint(g);
  return 0;
}

void DetachGauge(MeterGauge* gauge) {
  GdiApi& gdi = Gdi();
  // Usually the control is gone by now; a failed restore changes nothing.
  if (gauge->previousProc) gdi.SetWindowProc(gauge->window, gauge->previousProc);
  gauge->previousProc = nullptr;
  FreeBuffer(gauge);
  if (gauge->slot >= 0 && gauge->slot < kGaugeTableSize && GaugeTable[gauge->slot] == gauge)
    GaugeTable[gauge->slot] = nullptr;
  gauge->slot = -1;
}
