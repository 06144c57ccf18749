// Where zormap.exe's parts go in its window, from the font's measures: the
// figures and the legend at the top, the map, the two panels under it.
#pragma once

struct MapMetrics {
  int lineHeight = 16, labelWidth = 80, legendWidth = 200;
};

struct MapRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct MapWindowLayout {
  MapRect figures, legend, grid, cellPanel, topPanel;
};

enum { kMapMargin = 6, kMapFigureLines = 7, kMapMinCellPixels = 2 };

MapWindowLayout LayoutMapWindow(int width, int height, const MapMetrics& m);

// The smallest client area in which every row of the largest map keeps
// kMapMinCellPixels and every line of the figures, legend and panels shows.
void MinMapClient(const MapMetrics& m, int* width, int* height);
