// zormap.exe: a live map of one process's address space beside its figures,
// with a warning before the space it can still use runs out. The same
// follower as zorlog.exe's, one walk a second; the map is drawn into a
// memory bitmap, cell by changed cell, and only those cells are repainted.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <string.h>

#include "dialogs/dialogs_win32.h"
#include "map/address_map.h"
#include "map/map_save_win32.h"
#include "map/map_watch.h"
#include "map/regions.h"
#include "monitor/follow.h"
#include "res/resource.h"
#include "sysinfo/system_api.h"

namespace {

const wchar_t kWindowClass[] = L"ZorMapWindow";
const wchar_t kGridClass[] = L"ZorMapGrid";
const wchar_t kUsage[] =
    L"\r\n\r\nStart it as: zormap.exe [NAME|PID]\r\n"
    L"  NAME  an image name such as xtop.exe: waited for, followed, and waited for again\r\n"
    L"  PID   that process only, until it exits\r\n"
    L"With no argument, choose a running process from a list.\r\n"
    L"zormap.exe --save FILE NAME|PID writes one reading to a new FILE as CSV.";
enum {
  kTimerId = 1,
  kMargin = 6,
  kFigureLines = 6,
  kPanelLines = 8,
  kLegendWidth = 210,
  kTitleUnits = 160,
  kPanelUnits = 1200,
};

// One walk feeds both the map and the table of regions.
class ReadingSink : public RegionSink {
 public:
  ReadingSink(RegionSink* a, RegionSink* b) : a_(a), b_(b) {}
  void Begin(uint64_t usableTop) override {
    a_->Begin(usableTop);
    b_->Begin(usableTop);
  }
  void Region(const RegionInfo& region) override {
    a_->Region(region);
    b_->Region(region);
  }

 private:
  RegionSink *a_, *b_;
};

struct MapWindow {
  HWND window, figures, grid, cellPanel, topPanel;
  HFONT font;
  int lineHeight, labelWidth, charWidth;
  int hoverCell;  // the cell the panel describes, or -1
  TargetFollower follower;
  bool following;    // false until a process is given or chosen
  bool exited;       // the PID followed is gone: its last map stays
  uint64_t seconds;  // readings so far, one a second, for the trend
  AddressMapBuilder builder;
  RegionTable regions;    // of the latest reading, the one shown
  AddressMap map, shown;  // the latest reading, and what the bitmap holds
  bool shownValid;
  MapFigures reading;  // what the figures show
  Trend trend;
  Warning warning;
  WarningThresholds thresholds;
  HDC memory;
  HBITMAP bitmap, oldBitmap;
  MapLayout layout;
  ZChar chosen[kTextUnits];
  uint32_t paints;  // of the map, told to whoever asks with kMapPaintsMessage
};
MapWindow g;  // one window; the builder's table is too large for a stack

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
RECT DrawCell(uint32_t cell) {
  int r[4];
  g.layout.CellRect(cell, r);
  const int gapX = g.layout.cellWidth > 3, gapY = g.layout.cellHeight > 3;
  Fill(g.memory, r[0], r[1], r[2], r[3], RGB(255, 255, 255));
  Fill(g.memory, r[0], r[1], r[2] - gapX, r[3] - gapY, kMapColors[g.map.kind[cell]]);
  const int c = static_cast<int>(cell);
  if (InBlock(g.map, c)) {  // the block's outline: edges towards cells outside it
    const COLORREF black = RGB(0, 0, 0);
    const bool first = c % kMapCellsPerRow == 0, last = c % kMapCellsPerRow == kMapCellsPerRow - 1;
    if (first || !InBlock(g.map, c - 1)) Fill(g.memory, r[0], r[1], r[0] + 1, r[3], black);
    if (last || !InBlock(g.map, c + 1)) Fill(g.memory, r[2] - 1, r[1], r[2], r[3], black);
    if (!InBlock(g.map, c - kMapCellsPerRow)) Fill(g.memory, r[0], r[1], r[2], r[1] + 1, black);
    if (!InBlock(g.map, c + kMapCellsPerRow)) Fill(g.memory, r[0], r[3] - 1, r[2], r[3], black);
  }
  RECT drawn = {r[0], r[1], r[2], r[3]};
  return drawn;
}

// The whole map anew: after a resize, or for a process with another range.
void DrawAll() {
  if (!g.memory) return;
  RECT client;
  GetClientRect(g.grid, &client);
  Fill(g.memory, 0, 0, client.right, client.bottom, GetSysColor(COLOR_WINDOW));
  g.layout = LayoutMap(client.right, client.bottom, g.map.cells, g.labelWidth);
  HGDIOBJ oldFont = SelectObject(g.memory, g.font);
  SetTextColor(g.memory, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(g.memory, GetSysColor(COLOR_WINDOW));
  int labelsTo = 0;  // rows too low for a label of their own share the one above
  for (int row = 0; row < g.layout.rows; ++row) {
    const int y = row * g.layout.cellHeight;
    if (y < labelsTo) continue;
    wchar_t label[16];
    wsprintfW(label, L"0x%08X", static_cast<unsigned>(row) * kMapCellsPerRow << 20);
    TextOutW(g.memory, 0, y, label, lstrlenW(label));
    labelsTo = y + g.lineHeight;
  }
  SelectObject(g.memory, oldFont);
  for (uint32_t c = 0; c < g.map.cells; ++c) DrawCell(c);
  InvalidateRect(g.grid, nullptr, FALSE);
  g.shown = g.map;
  g.shownValid = true;
}

// Only the cells whose kind changed, and the block's old and new outline,
// each repainted on its own.
void DrawChanges() {
  if (!g.memory) return;  // minimised: the next size draws it all
  if (!g.shownValid || g.shown.cells != g.map.cells) return DrawAll();
  const bool moved =
      g.map.largestStart != g.shown.largestStart || g.map.largestEnd != g.shown.largestEnd;
  for (uint32_t c = 0; c < g.map.cells; ++c) {
    const int i = static_cast<int>(c);
    if (g.map.kind[c] != g.shown.kind[c] || InBlock(g.map, i) != InBlock(g.shown, i) ||
        (moved && InBlock(g.map, i))) {
      RECT drawn = DrawCell(c);
      InvalidateRect(g.grid, &drawn, FALSE);
    }
  }
  g.shown = g.map;
}

void ResizeBitmap() {
  RECT client;
  GetClientRect(g.grid, &client);
  if (g.memory) {
    SelectObject(g.memory, g.oldBitmap);
    DeleteObject(g.bitmap);
    DeleteDC(g.memory);
    g.memory = nullptr;
  }
  if (client.right <= 0 || client.bottom <= 0) return;
  HDC screen = GetDC(g.grid);
  g.memory = CreateCompatibleDC(screen);
  g.bitmap = g.memory ? CreateCompatibleBitmap(screen, client.right, client.bottom) : nullptr;
  ReleaseDC(g.grid, screen);
  if (!g.bitmap) {
    if (g.memory) DeleteDC(g.memory);
    g.memory = nullptr;
    return;
  }
  g.oldBitmap = static_cast<HBITMAP>(SelectObject(g.memory, g.bitmap));
  DrawAll();
}

// An unchanged text is not set again, so that it costs no repaint.
void SetText(HWND window, const wchar_t* text) {
  wchar_t old[kPanelUnits];
  GetWindowTextW(window, old, kPanelUnits);
  if (lstrcmpW(old, text)) SetWindowTextW(window, text);
}

void UpdateTitle() {
  wchar_t title[kTitleUnits];
  ZBuilder b(title, kTitleUnits);
  if (g.warning.On()) b.AddAscii("! ");
  b.AddAscii("zormap - ");
  if (!g.following)
    b.AddAscii("no process chosen");
  else if (g.follower.Connected() || g.exited)
    b.Add(g.follower.Name()).AddAscii(" (PID ").AddInt(g.follower.Pid()).AddAscii(")");
  else
    b.AddAscii("waiting for ").Add(g.follower.Name());
  if (g.exited) b.AddAscii(" (exited)");
  SetText(g.window, title);
}

RECT LegendRect() {
  RECT client;
  GetClientRect(g.window, &client);
  RECT r = {client.right - kMargin - kLegendWidth, kMargin, client.right - kMargin,
            kMargin + kFigureLines * g.lineHeight};
  return r;
}

void PaintLegend(HDC dc) {
  RECT r = LegendRect();
  HGDIOBJ oldFont = SelectObject(dc, g.font);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int k = 0; k < kMapKinds; ++k) {
    const int y = r.top + k * g.lineHeight, box = g.lineHeight - 4;
    Fill(dc, r.left, y + 2, r.left + box, y + 2 + box, kMapColors[k]);
    wchar_t line[64];
    ZBuilder(line, 64)
        .AddAscii(kMapKindNames[k])
        .AddAscii(" ")
        .AddInt(static_cast<int64_t>(g.map.bytes[k] >> 20))
        .AddAscii(" MB");
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    RECT text = {r.left + box + 6, y, r.right, y + g.lineHeight};
    ExtTextOutW(dc, text.left, y, ETO_OPAQUE, &text, line, lstrlenW(line), nullptr);
  }
  SelectObject(dc, oldFont);
}

// A file's name with its folder, in what a panel line leaves for it.
const ZChar* ShortName(const ZChar* path, ZChar* out) {
  if (!path) return nullptr;
  RECT r;
  GetClientRect(g.cellPanel, &r);
  int units = r.right / (g.charWidth ? g.charWidth : 8) - 44;
  ShortenPath(path, out, units < 16 ? 16 : units < MAX_PATH ? units : MAX_PATH);
  return out;
}

// The regions of the cell under the mouse, largest first.
void DescribeCell(int cell) {
  g.hoverCell = cell;
  wchar_t text[kPanelUnits], line[MAX_PATH + 80], name[MAX_PATH];
  const unsigned start = static_cast<unsigned>(cell) << 20;
  wsprintfW(line, L"0x%08X to 0x%08X:", start, start + 0xFFFFF);
  ZBuilder b(text, kPanelUnits);
  b.Add(line);
  uint32_t in[kPanelLines - 1];
  const uint32_t n = g.regions.InCell(static_cast<uint32_t>(cell), in, kPanelLines - 1);
  for (uint32_t i = 0; i < n && i < kPanelLines - 1; ++i) {
    const MapRegion& r = g.regions.At(in[i]);
    const ZChar* file = r.state != kMemFree ? g.regions.NameOf(r.allocationBase) : nullptr;
    FormatRegionLine(r, ShortName(file, name), line, MAX_PATH + 80);
    b.AddAscii("\r\n").Add(line);
  }
  SetText(g.cellPanel, text);
}

void ShowLargest() {
  wchar_t text[kPanelUnits], line[MAX_PATH + 80], name[MAX_PATH];
  ZBuilder b(text, kPanelUnits);
  b.AddAscii("Largest allocations:");
  Allocation top[kPanelLines - 1];
  const uint32_t n = g.regions.Largest(top, kPanelLines - 1);
  for (uint32_t i = 0; i < n && i < kPanelLines - 1; ++i) {
    top[i].name = ShortName(top[i].name, name);
    FormatAllocationLine(top[i], line, MAX_PATH + 80);
    b.AddAscii("\r\n").Add(line);
  }
  SetText(g.topPanel, text);
}

void ShowFigures() {
  wchar_t text[512];
  FormatMapFigures(g.reading, text, 512);
  SetText(g.figures, text);
}

void Tick() {
  if (!g.following || g.exited) return;
  const bool wasConnected = g.follower.Connected();
  FollowStep step;
  ReadingSink sink(&g.builder, &g.regions);
  g.follower.Step(&step, &sink);
  if (!wasConnected && g.follower.Connected()) {  // a new process: its own history
    g.trend.Clear();
    g.warning.Clear();
  }
  g.exited = step.finished;
  if (!step.row) {  // waiting, or gone: only the title changes
    UpdateTitle();
    return;
  }
  g.builder.Finish(&g.map);
  g.regions.NameAllocations(g.follower.Pid());
  MapFigures& f = g.reading;
  f.virtualMb = step.virtualMb;
  f.peakMb = step.peakMb;
  f.regions = step.stats.regions;
  f.limitMb = step.limitMb;
  f.ceiling = step.ceiling;
  f.stats = step.stats;
  g.trend.Add(++g.seconds, step.virtualMb);
  f.trendMinutes =
      g.trend.MinutesTo(static_cast<uint32_t>(f.ceiling.known ? f.ceiling.mb : f.limitMb));
  const bool was = g.warning.On();
  if (g.warning.Update(g.thresholds, f.ceiling.known, f.stats.largestUsable >> 20,
                       PercentOfCeiling(f))) {
    FLASHWINFO flash = {sizeof flash, g.window, FLASHW_ALL, 3, 0};
    FlashWindowEx(&flash);
  }
  if (was != g.warning.On()) InvalidateRect(g.figures, nullptr, TRUE);
  UpdateTitle();  // before the figures, so that whoever reads them sees its title
  ShowFigures();
  ShowLargest();
  if (g.hoverCell >= 0 && static_cast<uint32_t>(g.hoverCell) < g.map.cells)
    DescribeCell(g.hoverCell);
  if (memcmp(g.map.bytes, g.shown.bytes, sizeof g.map.bytes)) {
    RECT legend = LegendRect();
    InvalidateRect(g.window, &legend, FALSE);
  }
  DrawChanges();
}

// False, with the reason, for a PID that is not running.
bool Follow(const ZChar* name, uint32_t pid, ZChar* reason) {
  g.follower.Follow(name, pid);
  g.following = true;
  g.exited = false;
  g.trend.Clear();
  g.warning.Clear();
  return !pid || g.follower.Start(reason);
}

void ChooseForMap(const ProcessRow& row) { ZCopy(g.chosen, kTextUnits, row.nameText); }

void Choose() {
  g.chosen[0] = 0;
  // A process picked here is then followed by its name.
  if (RunProcessChooser(g.window, ChooseForMap) && g.chosen[0]) {
    Follow(g.chosen, 0, nullptr);
    Tick();
  }
  ReleaseProcessRows();
  UpdateTitle();
}

INT_PTR CALLBACK ThresholdsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemInt(dialog, IDC_MAP_WARN_MB, g.thresholds.belowMb, FALSE);
      SetDlgItemInt(dialog, IDC_MAP_WARN_PERCENT, g.thresholds.atPercent, FALSE);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        BOOL mbOk = FALSE, percentOk = FALSE;
        WarningThresholds t;
        t.belowMb = GetDlgItemInt(dialog, IDC_MAP_WARN_MB, &mbOk, FALSE);
        t.atPercent = GetDlgItemInt(dialog, IDC_MAP_WARN_PERCENT, &percentOk, FALSE);
        if (!mbOk || !percentOk || t.belowMb < 1 || t.belowMb > 4096 || t.atPercent < 1 ||
            t.atPercent > 100) {
          MessageBoxW(dialog, L"Give a size from 1 to 4096 MB and a share from 1 to 100 %.",
                      L"zormap", MB_ICONEXCLAMATION);
          return TRUE;
        }
        g.thresholds = t;
        SaveWarningThresholds(t);
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void SaveAs() {
  if (!g.following || !g.regions.Count()) {  // nothing read yet
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  wchar_t path[MAX_PATH];
  ProposeCsvName(g.follower.Name(), g.follower.Pid(), path, MAX_PATH);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g.window;
  ofn.lpstrFilter = L"CSV files (*.csv)\0*.csv\0All files\0*.*\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"csv";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&ofn)) return;
  HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool saved = file != INVALID_HANDLE_VALUE && WriteMapCsv(file, g.regions);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!saved)
    MessageBoxW(g.window, L"The map could not be saved there.", L"zormap", MB_ICONEXCLAMATION);
}

void Layout() {
  RECT client;
  GetClientRect(g.window, &client);
  const int top = kMargin + kFigureLines * g.lineHeight + kMargin;
  const int panels = client.bottom - kMargin - kPanelLines * g.lineHeight;
  const int half = (client.right - 3 * kMargin) / 2;
  MoveWindow(g.figures, kMargin, kMargin, client.right - 3 * kMargin - kLegendWidth,
             kFigureLines * g.lineHeight, TRUE);
  MoveWindow(g.grid, kMargin, top, client.right - 2 * kMargin, panels - kMargin - top, TRUE);
  MoveWindow(g.cellPanel, kMargin, panels, half, kPanelLines * g.lineHeight, TRUE);
  MoveWindow(g.topPanel, 2 * kMargin + half, panels, half, kPanelLines * g.lineHeight, TRUE);
}

LRESULT CALLBACK GridProc(HWND grid, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the bitmap covers it all: no flicker
    case WM_SIZE:
      ResizeBitmap();
      return 0;
    case WM_MOUSEMOVE: {
      const int cell = g.layout.CellAt(static_cast<short>(LOWORD(lParam)),
                                       static_cast<short>(HIWORD(lParam)), g.map.cells);
      if (cell >= 0 && cell != g.hoverCell) DescribeCell(cell);
      return 0;
    }
    case WM_PAINT: {
      ++g.paints;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(grid, &ps);
      if (g.memory) {
        const RECT& r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, g.memory, r.left, r.top,
               SRCCOPY);
      }
      EndPaint(grid, &ps);
      return 0;
    }
  }
  return DefWindowProcW(grid, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      g.window = window;
      HINSTANCE instance = GetModuleHandleW(nullptr);
      g.figures =
          CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0,
                          0, window, reinterpret_cast<HMENU>(IDC_MAP_FIGURES), instance, nullptr);
      g.grid = CreateWindowExW(0, kGridClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                               reinterpret_cast<HMENU>(IDC_MAP_GRID), instance, nullptr);
      g.cellPanel =
          CreateWindowExW(0, L"STATIC", L"Point at the map: the regions of that MB.",
                          WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, window,
                          reinterpret_cast<HMENU>(IDC_MAP_CELL), instance, nullptr);
      g.topPanel =
          CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0,
                          0, window, reinterpret_cast<HMENU>(IDC_MAP_TOP), instance, nullptr);
      const HWND texts[] = {g.figures, g.cellPanel, g.topPanel};
      for (HWND text : texts)
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), FALSE);
      // Where the cells begin, for anyone who reads the map off the screen.
      SetWindowLongPtrW(g.grid, GWLP_USERDATA, g.labelWidth);
      SetTimer(window, kTimerId, 1000, nullptr);
      return g.figures && g.grid && g.cellPanel && g.topPanel ? 0 : -1;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      MINMAXINFO* mm = reinterpret_cast<MINMAXINFO*>(lParam);
      mm->ptMinTrackSize.x = 520;
      mm->ptMinTrackSize.y = 360;
      return 0;
    }
    case WM_TIMER:
      Tick();
      return 0;
    case kMapPaintsMessage:  // a target at rest should cost no painting at all
      return g.paints;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      PaintLegend(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const bool warn = reinterpret_cast<HWND>(lParam) == g.figures && g.warning.On();
      SetTextColor(dc, warn ? RGB(200, 0, 0) : GetSysColor(COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_MAP_CHOOSE:
          Choose();
          return 0;
        case IDM_MAP_SAVE:
          SaveAs();
          return 0;
        case IDM_MAP_WARNING:
          DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAP_WARNING), window,
                          ThresholdsDialog, 0);
          return 0;
        case IDM_MAP_EXIT:
          DestroyWindow(window);
          return 0;
      }
      break;
    case WM_DESTROY:
      KillTimer(window, kTimerId);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int Refuse(const wchar_t* reason, int code) {
  wchar_t text[kFollowErrorUnits + 400];
  ZBuilder(text, sizeof text / sizeof text[0]).Add(reason).Add(kUsage);
  MessageBoxW(nullptr, text, L"zormap", MB_ICONEXCLAMATION);
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int show) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv && argc > 1 && !lstrcmpW(argv[1], L"--save")) {
    const int code = SaveFromCommandLine(argc, argv);
    LocalFree(argv);
    return code;
  }
  ZChar name[kTextUnits] = {0}, reason[kFollowErrorUnits] = {0};
  uint32_t pid = 0;
  bool given = argv && argc > 1, ok = true;
  if (argc > 2) {
    ZCopy(reason, kFollowErrorUnits, L"more than one process given");
    ok = false;
  } else if (given && (argv[1][0] == '-' || argv[1][0] == '/')) {
    ZBuilder(reason, kFollowErrorUnits).AddAscii("unknown option ").Add(argv[1]);
    ok = false;
  } else if (given) {
    ok = ParseTarget(argv[1], name, &pid, reason);
  }
  if (argv) LocalFree(argv);
  if (!ok) return Refuse(reason, 2);
  if (given && !Follow(name, pid, reason)) return Refuse(reason, 1);

  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  g.font = CreateFontIndirectW(&metrics.lfMessageFont);
  HDC screen = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(screen, g.font);
  TEXTMETRICW tm;
  GetTextMetricsW(screen, &tm);
  SIZE label;
  GetTextExtentPoint32W(screen, L"0x00000000 ", 11, &label);
  SelectObject(screen, oldFont);
  ReleaseDC(nullptr, screen);
  g.lineHeight = tm.tmHeight;
  g.charWidth = tm.tmAveCharWidth;
  g.hoverCell = -1;
  g.labelWidth = label.cx;
  g.thresholds = LoadWarningThresholds();

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = GridProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kGridClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = WindowProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAP_MENU);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  HWND window =
      CreateWindowExW(0, kWindowClass, L"zormap", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, 720, 680, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  UpdateTitle();
  ShowWindow(window, show);
  if (given)
    Tick();
  else
    PostMessageW(window, WM_COMMAND, IDM_MAP_CHOOSE, 0);

  HACCEL keys = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAP));
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (keys && TranslateAcceleratorW(window, keys, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  g.follower.Follow(ZT(""), 0);
  if (g.memory) {
    SelectObject(g.memory, g.oldBitmap);
    DeleteObject(g.bitmap);
    DeleteDC(g.memory);
  }
  DeleteObject(g.font);
  return static_cast<int>(msg.wParam);
}
