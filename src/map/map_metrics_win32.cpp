#include "map/map_metrics_win32.h"

#include <stddef.h>

GdiMeasure::GdiMeasure(HFONT font) : dc_(GetDC(nullptr)), old_(SelectObject(dc_, font)) {}

GdiMeasure::~GdiMeasure() {
  SelectObject(dc_, old_);
  ReleaseDC(nullptr, dc_);
}

int GdiMeasure::Width(const ZChar* text, size_t units) {
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc_, text, static_cast<int>(units), &size);
  return size.cx;
}

HFONT CreateMapFont(bool* own) {
  // The size before Vista's last field: every version accepts it, where
  // Windows 2000 and XP refuse the larger one.
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  HFONT font = nullptr;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
    font = CreateFontIndirectW(&metrics.lfMessageFont);
  *own = font != nullptr;
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

MapMetrics MeasureMapFont(HFONT font) {
  GdiMeasure measure(font);
  TEXTMETRICW tm;
  MapMetrics m;
  if (GetTextMetricsW(measure.Dc(), &tm) && tm.tmHeight > 0) m.lineHeight = tm.tmHeight;
  m.labelWidth = measure.Width(ZT("0x00000000 "), 11);
  m.legendWidth = LegendWidth(measure, m.lineHeight - 4);
  m.figuresWidth = FiguresWidth(measure);
  // Spaces between the parts grow with the system's DPI, as the font does.
  const int dpi = GetDeviceCaps(measure.Dc(), LOGPIXELSY);
  if (dpi > 96) m.margin = kMapMargin * dpi / 96;
  return m;
}

void FirstMapWindowSize(const MapMetrics& m, int* width, int* height) {
  MinMapClient(m, width, height);
  RECT r = {0, 0, *width, *height};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
  // Never less than the 96-DPI size grown with the system's DPI.
  const int scaled = 720 * m.margin / kMapMargin;
  *width = r.right - r.left > scaled ? r.right - r.left : scaled;
  *height = r.bottom - r.top + m.lineHeight * 8;  // rows of the map above their least
}

void MinMapTrackSize(HWND window, const MapMetrics& m, MINMAXINFO* mm) {
  RECT outer, client;
  int width = 0, height = 0;
  MinMapClient(m, &width, &height);
  if (GetWindowRect(window, &outer) && GetClientRect(window, &client)) {
    mm->ptMinTrackSize.x = width + (outer.right - outer.left) - client.right;
    mm->ptMinTrackSize.y = height + (outer.bottom - outer.top) - client.bottom;
  }
}
