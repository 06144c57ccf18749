// zormap.exe's window parts, and how what a step changed reaches them: the
// texts, the panels, the legend, the map and the strip, laid out by the font.
#pragma once
#include <windows.h>

#include "map/map_grid_win32.h"
#include "map/map_session.h"
#include "map/map_strip_win32.h"
#include "map/map_window_win32.h"

struct MapWindow {
  HWND window, figures, grid, cellPanel, topPanel;
  HFONT font;
  bool ownFont;
  MapMetrics metrics;
  MapWindowLayout layout;
  MapGrid map;
  HWND strip;
  MapStrip history;
  MapSession session;
  ZChar pickedName[kTextUnits];  // what the process chooser confirmed
  uint32_t pickedPid;
};

// An unchanged text is not set again, so that it costs no repaint.
void SetMapText(HWND window, const wchar_t* text);
// The panel of the cell under the mouse and that of the largest allocations.
void ShowMapPanels(const MapWindow& w);
// What a step changed, carried out.
void ShowMapChanges(MapWindow* w, const MapChanges& c);
// Every part moved to where the window's size and the font put it.
void ArrangeMapWindow(MapWindow* w);
// WM_CTLCOLORSTATIC: the figures grey for a process gone, red under a warning.
LRESULT ColorMapText(const MapWindow& w, HDC dc, HWND control);
