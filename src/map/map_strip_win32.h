// zormap.exe's history strip: a child window that draws the session's
// history into a memory bitmap of its own, a new reading's column alone, the
// whole strip only when its scales step or it is resized.
#pragma once
#include <windows.h>

#include "map/memory_bitmap_win32.h"
#include "map/strip.h"

struct MapStrip {
  HWND window = nullptr, parent = nullptr;
  HFONT font = nullptr;  // the axis labels' (not owned)
  int lineHeight = 16;
  const History* history = nullptr;  // what to show
  MemoryBitmap memory;
  StripScale scale;  // of what the bitmap holds
  int width = 0, plotHeight = 0;
  int hoverX = -1;      // the column last told to the parent
  uint32_t paints = 0;  // told to whoever asks with kMapStripPaintsMessage
};

// Sent to the parent when the mouse enters another column: wParam the column.
enum { kMapStripHoverMessage = WM_APP + 3 };
// The series' colours, for whoever reads them off the screen.
extern const COLORREF kStripColors[kHistorySeries];

bool RegisterMapStrip(HINSTANCE instance);
HWND CreateMapStrip(HWND parent, int id, MapStrip* strip);
// After a reading went in: its column, or all when the scales stepped.
void DrawStripChange(MapStrip* strip, const HistoryChange& change);
// What the history says of column x as the strip now shows it; false, with
// out empty, where it shows nothing.
bool StripPointText(const MapStrip& strip, int x, ZChar* out, size_t units);
