#include "map/map_grid_win32.h"

#include "common/ztext.h"
#include "map/map_panels.h"

namespace {

const wchar_t kGridClass[] = L"ZorMapGrid";

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  RECT r = {left, top, right, bottom};
  SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);  // no brush to create
}

bool InBlock(const AddressMap& m, int cell) {
  if (cell < 0 || m.largestEnd <= m.largestStart) return false;
  const uint64_t c = static_cast<uint64_t>(cell);
  return c >= (m.largestStart >> 20) && c <= ((m.largestEnd - 1) >> 20);
}

// One cell as the map now is, into the bitmap; returns its rectangle.
RECT DrawCell(MapGrid* g, uint32_t cell) {
  const AddressMap& m = *g->map;
  int r[4];
  g->layout.CellRect(cell, r);
  const int gapX = g->layout.cellWidth > 3, gapY = g->layout.cellHeight > 3;
  Fill(g->memory.dc, r[0], r[1], r[2], r[3], RGB(255, 255, 255));
  Fill(g->memory.dc, r[0], r[1], r[2] - gapX, r[3] - gapY, kMapColors[m.kind[cell]]);
  const int c = static_cast<int>(cell);
  if (InBlock(m, c)) {  // the block's outline: edges towards cells outside it
    const COLORREF black = RGB(0, 0, 0);
    const bool first = c % kMapCellsPerRow == 0, last = c % kMapCellsPerRow == kMapCellsPerRow - 1;
    if (first || !InBlock(m, c - 1)) Fill(g->memory.dc, r[0], r[1], r[0] + 1, r[3], black);
    if (last || !InBlock(m, c + 1)) Fill(g->memory.dc, r[2] - 1, r[1], r[2], r[3], black);
    if (!InBlock(m, c - kMapCellsPerRow)) Fill(g->memory.dc, r[0], r[1], r[2], r[1] + 1, black);
    if (!InBlock(m, c + kMapCellsPerRow)) Fill(g->memory.dc, r[0], r[3] - 1, r[2], r[3], black);
  }
  RECT drawn = {r[0], r[1], r[2], r[3]};
  return drawn;
}

// The whole map anew: after a resize, or for a process with another range.
void DrawAll(MapGrid* g) {
  if (!g->memory.dc) return;
  RECT client;
  GetClientRect(g->window, &client);
  Fill(g->memory.dc, 0, 0, client.right, client.bottom, GetSysColor(COLOR_WINDOW));
  g->layout = LayoutMap(client.right, client.bottom, g->map->cells, g->labelWidth);
  HGDIOBJ oldFont = SelectObject(g->memory.dc, g->font);
  SetTextColor(g->memory.dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(g->memory.dc, GetSysColor(COLOR_WINDOW));
  int labelsTo = 0;  // rows too low for a label of their own share the one above
  for (int row = 0; row < g->layout.rows; ++row) {
    const int y = row * g->layout.cellHeight;
    if (y < labelsTo) continue;
    wchar_t label[16];
    wsprintfW(label, L"0x%08X", static_cast<unsigned>(row) * kMapCellsPerRow << 20);
    TextOutW(g->memory.dc, 0, y, label, lstrlenW(label));
    labelsTo = y + g->lineHeight;
  }
  SelectObject(g->memory.dc, oldFont);
  for (uint32_t c = 0; c < g->map->cells; ++c) DrawCell(g, c);
  InvalidateRect(g->window, nullptr, FALSE);
  g->shown = *g->map;
  g->shownValid = true;
}

void ResizeBitmap(MapGrid* g) {
  RECT client;
  GetClientRect(g->window, &client);
  if (ResizeMemoryBitmap(&g->memory, g->window, client.right, client.bottom)) DrawAll(g);
}

LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MapGrid* g = reinterpret_cast<MapGrid*>(GetWindowLongPtrW(window, 0));
  switch (message) {
    case WM_NCCREATE:
      // Before WM_SIZE, which comes inside CreateWindowExW.
      g = static_cast<MapGrid*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      g->window = window;
      SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(g));
      break;
    case WM_ERASEBKGND:
      return 1;  // the bitmap covers it all: no flicker
    case WM_SIZE:
      if (g) ResizeBitmap(g);
      return 0;
    case WM_MOUSEMOVE: {
      if (!g) return 0;
      const int cell = g->layout.CellAt(static_cast<short>(LOWORD(lParam)),
                                        static_cast<short>(HIWORD(lParam)), g->map->cells);
      if (cell >= 0 && cell != g->hoverCell) {
        g->hoverCell = cell;
        SendMessageW(g->parent, kMapHoverMessage, static_cast<WPARAM>(cell), 0);
      }
      return 0;
    }
    case WM_PAINT:
      if (!g) break;
      ++g->paints;
      PaintMemoryBitmap(window, g->memory);
      return 0;
    case WM_DESTROY:
      if (g) ReleaseMemoryBitmap(&g->memory);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterMapGrid(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = GridProc;
  wc.cbWndExtra = sizeof(MapGrid*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kGridClass;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateMapGrid(HWND parent, int id, MapGrid* grid) {
  grid->parent = parent;
  HWND window = CreateWindowExW(0, kGridClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), grid);
  // Where the cells begin, for anyone who reads the map off the screen.
  if (window) SetWindowLongPtrW(window, GWLP_USERDATA, grid->labelWidth);
  return window;
}

void DrawMapChanges(MapGrid* g) {
  if (!g->memory.dc) return;  // minimised: the next size draws it all
  const AddressMap& m = *g->map;
  if (!g->shownValid || g->shown.cells != m.cells) return DrawAll(g);
  const bool moved = m.largestStart != g->shown.largestStart || m.largestEnd != g->shown.largestEnd;
  for (uint32_t c = 0; c < m.cells; ++c) {
    const int i = static_cast<int>(c);
    if (m.kind[c] != g->shown.kind[c] || InBlock(m, i) != InBlock(g->shown, i) ||
        (moved && InBlock(m, i))) {
      RECT drawn = DrawCell(g, c);
      InvalidateRect(g->window, &drawn, FALSE);
    }
  }
  g->shown = m;
}

void PaintMapLegend(HDC dc, const MapRect& r, int line, HFONT font, const AddressMap& map) {
  const int box = line - 4;
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int k = 0; k < kMapKinds; ++k) {
    const int y = r.top + k * line;
    RECT square = {r.left, y + 2, r.left + box, y + 2 + box};
    SetBkColor(dc, kMapColors[k]);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &square, nullptr, 0, nullptr);
    wchar_t text[64];
    LegendLine(map, k, text, 64);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    RECT area = {r.left + box + 6, y, r.right, y + line};
    ExtTextOutW(dc, area.left, y, ETO_OPAQUE, &area, text, lstrlenW(text), nullptr);
  }
  SelectObject(dc, oldFont);
}
