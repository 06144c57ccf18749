#include "map/map_strip_win32.h"

const COLORREF kStripColors[kHistorySeries] = {RGB(0, 0, 200), RGB(0, 150, 0), RGB(200, 0, 0)};

namespace {

const wchar_t kStripClass[] = L"ZorMapStrip";

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  RECT r = {left, top, right, bottom};
  SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);  // no brush to create
}

// One column as the history now is, into the bitmap.
void DrawColumn(MapStrip* s, int x) {
  Fill(s->memory.dc, x, 0, x + 1, s->plotHeight, GetSysColor(COLOR_WINDOW));
  HistoryPoint p;
  s->history->Column(static_cast<uint32_t>(x), s->scale.columns, &p);
  if (!p.readings) return;
  // The ceiling behind, the block in front: where they meet, the block shows.
  for (int k = 0; k < kHistorySeries; ++k) {
    const int series = k == 0 ? kSeriesCeiling : k == 1 ? kSeriesVirtual : kSeriesLargestUsable;
    const HistoryRange& r = p.range[series];
    if (r.Empty()) continue;
    const int top = StripRow(r.max, s->scale.topMb, s->plotHeight);
    const int bottom = StripRow(r.min, s->scale.topMb, s->plotHeight);
    Fill(s->memory.dc, x, top, x + 1, bottom + 1, kStripColors[series]);
  }
}

// The axis under the plot: round times, then the series' names and the top
// figure at the right, where no time label reaches.
void DrawAxis(MapStrip* s) {
  HDC dc = s->memory.dc;
  const COLORREF face = GetSysColor(COLOR_WINDOW);
  Fill(dc, 0, s->plotHeight, s->width, s->plotHeight + s->lineHeight + 2, face);
  Fill(dc, 0, s->plotHeight, s->width, s->plotHeight + 1, GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ oldFont = SelectObject(dc, s->font);
  SetBkColor(dc, face);
  wchar_t top[32];
  wsprintfW(top, L"up to %u MB: ", s->scale.topMb);
  const wchar_t* parts[] = {top, L"virtual size  ", L"largest usable block  ", L"ceiling"};
  const COLORREF colors[] = {GetSysColor(COLOR_WINDOWTEXT), kStripColors[0], kStripColors[1],
                             kStripColors[2]};
  SIZE size[4];
  int keyWidth = 0;
  for (int i = 0; i < 4; ++i) {
    size[i].cx = 0;
    GetTextExtentPoint32W(dc, parts[i], lstrlenW(parts[i]), &size[i]);
    keyWidth += size[i].cx;
  }
  const int right = s->width - keyWidth - 2, y = s->plotHeight + 2;
  // The key, each name in its series' colour.
  for (int i = 0, x = right; i < 4; x += size[i++].cx) {
    SetTextColor(dc, colors[i]);
    TextOutW(dc, x, y, parts[i], lstrlenW(parts[i]));
  }
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  HistoryLabel labels[32];
  const uint32_t n = s->history->Labels(s->scale.columns, 6 * s->lineHeight, labels, 32);
  for (uint32_t i = 0; i < n; ++i) {
    const int at = static_cast<int>(labels[i].x), length = lstrlenW(labels[i].text);
    SIZE extent = {0, 0};
    GetTextExtentPoint32W(dc, labels[i].text, length, &extent);
    if (at + 2 + extent.cx >= right) break;
    Fill(dc, at, s->plotHeight, at + 1, y, GetSysColor(COLOR_WINDOWTEXT));  // a tick
    SetBkColor(dc, face);                                                   // Fill set its own
    TextOutW(dc, at + 2, y, labels[i].text, length);
  }
  SelectObject(dc, oldFont);
}

// The whole strip anew: after a resize, or when a scale stepped.
void DrawAll(MapStrip* s) {
  if (!s->memory.dc) return;
  s->scale = ScaleStrip(*s->history, static_cast<uint32_t>(s->width));
  for (int x = 0; x < s->width; ++x) DrawColumn(s, x);
  DrawAxis(s);
  InvalidateRect(s->window, nullptr, FALSE);
}

void ResizeBitmap(MapStrip* s) {
  RECT client;
  GetClientRect(s->window, &client);
  s->width = client.right;
  s->plotHeight = client.bottom - s->lineHeight - 2;
  if (s->plotHeight > 1 && ResizeMemoryBitmap(&s->memory, s->window, client.right, client.bottom))
    DrawAll(s);
  else
    ReleaseMemoryBitmap(&s->memory);
}

void Hover(MapStrip* s, int x) {
  if (x < 0 || x >= s->width || x == s->hoverX || !s->history->Readings()) return;
  s->hoverX = x;
  SendMessageW(s->parent, kMapStripHoverMessage, static_cast<WPARAM>(x), 0);
}

LRESULT CALLBACK StripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MapStrip* s = reinterpret_cast<MapStrip*>(GetWindowLongPtrW(window, 0));
  switch (message) {
    case WM_NCCREATE:
      s = static_cast<MapStrip*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      s->window = window;
      SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(s));
      break;
    case WM_ERASEBKGND:
      return 1;  // the bitmap covers it all
    case WM_SIZE:
      if (s) ResizeBitmap(s);
      return 0;
    case WM_MOUSEMOVE:
      if (s) Hover(s, static_cast<short>(LOWORD(lParam)));
      return 0;
    case WM_PAINT:
      if (!s) break;
      ++s->paints;
      PaintMemoryBitmap(window, s->memory);
      return 0;
    case WM_DESTROY:
      if (s) ReleaseMemoryBitmap(&s->memory);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterMapStrip(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = StripProc;
  wc.cbWndExtra = sizeof(MapStrip*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kStripClass;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateMapStrip(HWND parent, int id, MapStrip* strip) {
  strip->parent = parent;
  return CreateWindowExW(0, kStripClass, L"", WS_CHILD, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), strip);
}

void DrawStripChange(MapStrip* s, const HistoryChange& change) {
  if (!s->memory.dc) return;  // hidden or minimised: the next size draws it all
  s->hoverX = -1;             // the point under the mouse may have changed
  if (change.doubled || ScaleStrip(*s->history, static_cast<uint32_t>(s->width)) != s->scale)
    return DrawAll(s);
  uint32_t first, last;
  History::ColumnsOf(change.bucket, s->scale.columns, &first, &last);
  if (first >= static_cast<uint32_t>(s->width)) return;
  if (last >= static_cast<uint32_t>(s->width)) last = static_cast<uint32_t>(s->width) - 1;
  for (uint32_t x = first; x <= last; ++x) DrawColumn(s, static_cast<int>(x));
  RECT drawn = {static_cast<LONG>(first), 0, static_cast<LONG>(last) + 1, s->plotHeight};
  InvalidateRect(s->window, &drawn, FALSE);
}

bool StripPointText(const MapStrip& s, int x, ZChar* out, size_t units) {
  if (units) *out = 0;
  if (!s.memory.dc || x < 0 || x >= s.width || !s.history->Readings()) return false;
  HistoryPoint p;
  s.history->Column(static_cast<uint32_t>(x), s.scale.columns, &p);
  FormatHistoryPoint(p, out, units);
  return true;
}
