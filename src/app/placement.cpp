#include "app/placement.h"

#include "common/seam.h"
#include "res/resource.h"
#include "settings/view_settings.h"

static SeamSlot<LayoutApi> g_slot(PlatformLayoutApi);

LayoutApi& Layout() { return g_slot.Get(); }
LayoutApi* SetLayoutApi(LayoutApi* api) { return g_slot.Set(api); }

bool g_firstShow = false;

namespace {
bool g_stripShown = true;
bool g_infoShown = true;

const int32_t kShiftedWithStrip[] = {IDC_GAUGE, IDC_OS_LINE, IDC_INFO_PANEL, IDC_MAX_MEMORY,
                                     IDC_STATUS};
}  // namespace

bool ScaleStripShown() { return g_stripShown; }
bool InfoColumnShown() { return g_infoShown; }
void ResetPanelLayout() { g_stripShown = g_infoShown = true; }

void PlaceMainDialog() {
  LayoutApi& ui = Layout();
  if (!g_viewSettings.trayMode) {
    int32_t show = g_firstShow ? kShowHide : kShowShow;
    if (g_viewSettings.defaultPlacement)
      PlaceAtDefaultPosition();
    else
      PlaceAtStoredPosition(show);
    ui.ShowWindow(kMainWindow, show);
  }
  ui.SendCommand(IDM_APPLY_SETTINGS);
}

// The stored X and Y are screen coordinates (the main dialog records them
// from its window rectangle), while the placement record is in work-area
// coordinates: converting keeps the window exactly where it was closed when
// a task bar sits at the top or left of the screen.
void PlaceAtDefaultPosition() {
  LayoutApi& ui = Layout();
  Rect r;
  int32_t show;
  if (!ui.GetPlacement(kMainWindow, &r, &show)) return;
  int32_t width = r.right - r.left, height = r.bottom - r.top;
  int32_t screen = ui.ScreenWidth();
  int32_t ox = 0, oy = 0;
  ui.WorkAreaOrigin(&ox, &oy);
  // The screen's right edge, whatever the work area's offset; the top of the
  // work area, below a task bar at the top.
  int32_t left = screen - width - ox;
  ui.SetPlacement(kMainWindow, Rect{left, 0, left + width, height}, show);
  g_viewSettings.windowX = screen - width;
  g_viewSettings.windowY = oy;
}

void PlaceAtStoredPosition(int32_t showCmd) {
  LayoutApi& ui = Layout();
  Rect r;
  int32_t show;
  if (!ui.GetPlacement(kMainWindow, &r, &show)) return;
  int32_t width = r.right - r.left, height = r.bottom - r.top;
  int32_t ox = 0, oy = 0;
  ui.WorkAreaOrigin(&ox, &oy);
  int32_t x = g_viewSettings.windowX - ox, y = g_viewSettings.windowY - oy;
  // X is the left edge as the window was closed. At start-up the window
  // still has the scale strip that the settings are about to hide, and
  // hiding it moves the left edge right by its width: start that much
  // further left, or the window walks right by a strip at every start.
  Rect strip;
  int32_t stripShow;
  if (g_stripShown && !g_viewSettings.showMemScale &&
      ui.GetPlacement(IDC_SCALE_STRIP, &strip, &stripShow))
    x -= strip.right - strip.left;
  ui.SetPlacement(kMainWindow, Rect{x, y, x + width, y + height}, showCmd);
}

void ApplyAlwaysOnTop(int32_t id) { Layout().SetTopmost(id, g_viewSettings.alwaysOnTop); }

void SetPanelShown(int32_t panelId, bool shown) {
  if (panelId != IDC_SCALE_STRIP && panelId != IDC_SPACER) return;
  bool& word = panelId == IDC_SCALE_STRIP ? g_stripShown : g_infoShown;
  if (shown == word) return;
  LayoutApi& ui = Layout();
  Rect panel, main;
  int32_t panelShow, mainShow;
  if (!ui.GetPlacement(panelId, &panel, &panelShow) || !ui.GetPlacement(kMainWindow, &main, &mainShow))
    return;
  word = shown;
  int32_t w = panel.right - panel.left;
  int32_t d = shown ? -w : w;
  if (panelId == IDC_SCALE_STRIP) {
    ui.ShowWindow(IDC_SCALE_STRIP, shown ? kShowShow : kShowHide);
    main.left += d;  // the right edge stays
    ui.SetPlacement(kMainWindow, main, mainShow);
    for (int32_t id : kShiftedWithStrip) {
      Rect c;
      int32_t show;
      if (!ui.GetPlacement(id, &c, &show)) continue;
      c.left -= d;
      c.right -= d;
      ui.SetPlacement(id, c, show);
    }
  } else {
    main.right -= d;  // the left edge stays; the info texts are cut off
    ui.SetPlacement(kMainWindow, main, mainShow);
  }
  ui.RepaintMainWindow();
}
