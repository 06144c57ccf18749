#include "map/map_layout.h"

#include "map/map_panels.h"
#include "space/address_map.h"

namespace {
MapRect Rect(int left, int top, int right, int bottom) {
  MapRect r;
  r.left = left, r.top = top, r.right = right, r.bottom = bottom;
  return r;
}
}  // namespace

MapWindowLayout LayoutMapWindow(int width, int height, const MapMetrics& m) {
  MapWindowLayout l;
  const int kMapMargin = m.margin;
  const int figuresBottom = kMapMargin + kMapFigureLines * m.lineHeight;
  const int legendLeft = width - kMapMargin - m.legendWidth;
  l.figures = Rect(kMapMargin, kMapMargin, legendLeft - kMapMargin, figuresBottom);
  l.legend = Rect(legendLeft, kMapMargin, width - kMapMargin, figuresBottom);
  const int panelsTop = height - kMapMargin - kPanelLines * m.lineHeight;
  const int stripTop = panelsTop - (m.stripHeight ? m.stripHeight + kMapMargin : 0);
  l.grid = Rect(kMapMargin, figuresBottom + kMapMargin, width - kMapMargin, stripTop - kMapMargin);
  if (m.stripHeight)
    l.strip = Rect(kMapMargin, stripTop, width - kMapMargin, stripTop + m.stripHeight);
  const int half = (width - 3 * kMapMargin) / 2;
  l.cellPanel = Rect(kMapMargin, panelsTop, kMapMargin + half, height - kMapMargin);
  l.topPanel =
      Rect(2 * kMapMargin + half, panelsTop, 2 * kMapMargin + 2 * half, height - kMapMargin);
  return l;
}

void MinMapClient(const MapMetrics& m, int* width, int* height) {
  const int kMapMargin = m.margin;
  const int rows = kMapMaxCells / kMapCellsPerRow;
  const int grid = m.labelWidth + kMapCellsPerRow * kMapMinCellPixels;
  // The figures as wide as the legend at least, and as their widest line.
  const int figures = m.figuresWidth > m.legendWidth ? m.figuresWidth : m.legendWidth;
  const int top = figures + m.legendWidth + kMapMargin;
  *width = 2 * kMapMargin + (grid > top ? grid : top);
  *height = 4 * kMapMargin + (kMapFigureLines + kPanelLines) * m.lineHeight +
            rows * kMapMinCellPixels + (m.stripHeight ? m.stripHeight + kMapMargin : 0);
}
