// zormap.exe's map: a child window that draws the cells into a memory
// bitmap of its own, cell by changed cell, and only repaints those; and the
// key to its colours.
#pragma once
#include <windows.h>

#include "map/map_layout.h"
#include "map/memory_bitmap_win32.h"
#include "space/address_map.h"

struct MapGrid {
  HWND window = nullptr, parent = nullptr;
  HFONT font = nullptr;  // the row labels' (not owned)
  int lineHeight = 16, labelWidth = 80;
  const AddressMap* map = nullptr;  // what to show
  MemoryBitmap memory;
  MapLayout layout;
  AddressMap shown;  // what the bitmap holds
  bool shownValid = false;
  int hoverCell = -1;   // the cell last reported to the parent
  uint32_t paints = 0;  // of the map, told to whoever asks with kMapPaintsMessage
};

// Sent to the parent when the mouse enters another cell: wParam the cell.
enum { kMapHoverMessage = WM_APP + 2 };

bool RegisterMapGrid(HINSTANCE instance);
// The grid's record goes with it from its first message on.
HWND CreateMapGrid(HWND parent, int id, MapGrid* grid);
// The cells whose kind changed, and the largest block's old and new outline.
void DrawMapChanges(MapGrid* grid);
// The legend: a box of each kind's colour and its line.
void PaintMapLegend(HDC dc, const MapRect& legend, int lineHeight, HFONT font,
                    const AddressMap& map);
