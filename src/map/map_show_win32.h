// zormap.exe's window parts, and how what a step changed reaches them: the
// texts, the panels, the legend, the map and the strip, laid out by the font.
#pragma once
#include <windows.h>

#include "map/map_grid_win32.h"
#include "map/map_session.h"
#include "map/map_strip_win32.h"
#include "map/map_window_win32.h"

// What the cell panel speaks of: what the mouse was last over.
enum MapPanelSubject { kPanelNothing, kPanelCell, kPanelStrip };

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
  MapPanelSubject subject;  // the cell panel's one owner
  int stripX;               // the strip's column, when it is the subject
};

// An unchanged text is not set again, so that it costs no repaint.
void SetMapText(HWND window, const wchar_t* text);
// The panel of what the mouse is over (a cell, a column of the strip or
// nothing), as the latest reading says, and that of the largest allocations.
void ShowMapPanels(const MapWindow& w);
// The cell panel back to saying what it shows: nothing is pointed at.
void ForgetMapPanelSubject(MapWindow* w);
// What a step changed, carried out.
void ShowMapChanges(MapWindow* w, const MapChanges& c);
// Every part moved to where the window's size and the font put it.
void ArrangeMapWindow(MapWindow* w);
// WM_CTLCOLORSTATIC: the figures grey for a process gone, red under a warning.
LRESULT ColorMapText(const MapWindow& w, HDC dc, HWND control);
