#include "map/map_show_win32.h"

void SetMapText(HWND window, const wchar_t* text) {
  wchar_t old[kPanelUnits];
  GetWindowTextW(window, old, kPanelUnits);
  if (lstrcmpW(old, text)) SetWindowTextW(window, text);
}

namespace {

int WidthOf(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  return r.right;
}

void InvalidateLegend(const MapWindow& w) {
  const MapRect& l = w.layout.legend;
  RECT legend = {l.left, l.top, l.right, l.bottom};
  InvalidateRect(w.window, &legend, FALSE);
}

}  // namespace

const wchar_t kPointAt[] = L"Point at the map: the regions of that MB.";

void ShowMapPanels(const MapWindow& w) {
  GdiMeasure measure(w.font);
  wchar_t text[kPanelUnits];
  const int cell = w.map.hoverCell;
  bool shown = false;
  if (w.subject == kPanelCell && cell >= 0 && static_cast<uint32_t>(cell) < w.session.Map().cells) {
    CellPanel(w.session.Regions(), static_cast<uint32_t>(cell), measure, WidthOf(w.cellPanel), text,
              kPanelUnits);
    shown = true;
  } else if (w.subject == kPanelStrip) {
    wchar_t point[kStripPointUnits];
    shown = StripPointText(w.history, w.stripX, point, kStripPointUnits);
    if (shown) FitLine(measure, point, WidthOf(w.cellPanel), text, kPanelUnits);
  }
  SetMapText(w.cellPanel, shown ? text : kPointAt);
  text[0] = 0;  // nothing read of this target yet
  if (w.session.HasReading())
    LargestPanel(w.session.Regions(), w.session.Figures().ceiling, measure, WidthOf(w.topPanel),
                 text, kPanelUnits);
  SetMapText(w.topPanel, text);
}

void ShowMapChanges(MapWindow* w, const MapChanges& c) {
  // The title before the figures, so that whoever reads them sees its title.
  if (c.title) SetMapText(w->window, w->session.Title());
  if (c.flash) {
    FLASHWINFO flash = {sizeof flash, w->window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
  }
  if (c.figures) SetMapText(w->figures, w->session.FiguresText());
  if (c.look) InvalidateRect(w->figures, nullptr, TRUE);
  if (c.reading) ShowMapPanels(*w);
  if (c.legend) InvalidateLegend(*w);
  if (c.map) DrawMapChanges(&w->map);
  if (c.history) DrawStripChange(&w->history, c.historyChange);
}

void ArrangeMapWindow(MapWindow* w) {
  RECT client;
  GetClientRect(w->window, &client);
  w->layout = LayoutMapWindow(client.right, client.bottom, w->metrics);
  const HWND parts[] = {w->figures, w->grid, w->cellPanel, w->topPanel, w->strip};
  const MapRect* rects[] = {&w->layout.figures, &w->layout.grid, &w->layout.cellPanel,
                            &w->layout.topPanel, &w->layout.strip};
  ShowWindow(w->strip, w->metrics.stripHeight ? SW_SHOWNA : SW_HIDE);
  for (int i = 0; i < 5; ++i) {
    const MapRect& r = *rects[i];
    MoveWindow(parts[i], r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
  ShowMapPanels(*w);  // the paths fitted to the panels' new width
}

LRESULT ColorMapText(const MapWindow& w, HDC dc, HWND control) {
  COLORREF color = GetSysColor(COLOR_BTNTEXT);
  if (control == w.figures && w.session.Stale())
    color = GetSysColor(COLOR_GRAYTEXT);  // the last reading of a process gone
  else if (control == w.figures && w.session.Warning())
    color = RGB(200, 0, 0);
  SetTextColor(dc, color);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void ForgetMapPanelSubject(MapWindow* w) {
  w->subject = kPanelNothing;
  w->map.hoverCell = -1;
  w->history.hoverX = -1;
}
