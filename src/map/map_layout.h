// Where zormap.exe's parts go in its window, from the font's measures: the
// figures and the legend at the top, the map, the two panels under it.
#pragma once

struct MapMetrics {
  int lineHeight = 16, labelWidth = 80, legendWidth = 200;
  int margin = 6;        // kMapMargin at the system's DPI
  int stripHeight = 0;   // the history strip's, 0 while it is hidden
  int figuresWidth = 0;  // the widest line the figures can hold
};

struct MapRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct MapWindowLayout {
  MapRect figures, legend, grid, cellPanel, topPanel;
  MapRect strip;  // between the map and the panels; empty while hidden
};

// The figures hold six lines, the flag's and, after an exit, how it ended.
enum { kMapMargin = 6, kMapFigureLines = 8, kMapMinCellPixels = 2, kMapStripLines = 6 };

MapWindowLayout LayoutMapWindow(int width, int height, const MapMetrics& m);

// The smallest client area in which every row of the largest map keeps
// kMapMinCellPixels and every line of the figures, legend and panels shows.
void MinMapClient(const MapMetrics& m, int* width, int* height);
