#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <vector>

#include "app/placement.h"
#include "res/resource.h"
#include "settings/view_settings.h"

bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& os, const Rect& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

// Windows as placement records, in the pixel sizes of the worked examples.
class FakeLayout : public LayoutApi {
 public:
  FakeLayout() : previous_(SetLayoutApi(this)) {
    rects[kMainWindow] = {100, 50, 300, 300};
    rects[IDC_SCALE_STRIP] = {10, 11, 43, 211};  // 33 wide
    rects[IDC_GAUGE] = {43, 11, 71, 211};
    rects[IDC_OS_LINE] = {83, 11, 197, 40};
    rects[IDC_MAX_MEMORY] = {83, 40, 197, 90};
    rects[IDC_INFO_PANEL] = {83, 90, 197, 180};
    rects[IDC_STATUS] = {83, 180, 197, 193};
    rects[IDC_SPACER] = {72, 200, 186, 213};  // 114 wide
  }
  ~FakeLayout() override { SetLayoutApi(previous_); }

  bool GetPlacement(int32_t id, Rect* normal, int32_t* showCmd) override {
    if (!rects.count(id)) return false;
    *normal = rects[id];
    *showCmd = shows.count(id) ? shows[id] : 1;
    return true;
  }
  void SetPlacement(int32_t id, const Rect& normal, int32_t showCmd) override {
    rects[id] = normal;
    shows[id] = showCmd;
    log.push_back("place " + std::to_string(id));
  }
  int32_t ScreenWidth() override { return screen; }
  void WorkAreaOrigin(int32_t* x, int32_t* y) override {
    *x = origin[0];
    *y = origin[1];
  }
  void ShowWindow(int32_t id, int32_t showCmd) override {
    shows[id] = showCmd;
    log.push_back("show " + std::to_string(id) + " " + std::to_string(showCmd));
  }
  void SetTopmost(int32_t id, bool on) override {
    log.push_back("topmost " + std::to_string(id) + " " + std::to_string(on));
  }
  void RepaintMainWindow() override { ++repaints; }
  void SendCommand(int32_t id) override { log.push_back("command " + std::to_string(id)); }

  std::map<int32_t, Rect> rects;
  std::map<int32_t, int32_t> shows;
  std::vector<std::string> log;
  int32_t screen = 1280;
  int32_t origin[2] = {0, 0};
  int repaints = 0;

 private:
  LayoutApi* previous_;
};

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPanelLayout();
    ResetViewSettings();
    g_viewSettings.windowX = g_viewSettings.windowY = 0;
    g_firstShow = false;
  }
  FakeLayout ui;
};

TEST_F(PlacementTest, HidingAndShowingTheScaleStripMovesTheLeftEdgeAndShiftsTheControls) {
  std::map<int32_t, Rect> before = ui.rects;
  SetPanelShown(IDC_SCALE_STRIP, false);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{133, 50, 300, 300}));
  EXPECT_EQ(ui.rects[IDC_GAUGE], (Rect{10, 11, 38, 211}));
  EXPECT_EQ(ui.rects[IDC_INFO_PANEL], (Rect{50, 90, 164, 180}));
  EXPECT_EQ(ui.rects[IDC_SCALE_STRIP], before[IDC_SCALE_STRIP]);  // hidden, not moved
  EXPECT_EQ(ui.rects[IDC_SPACER], before[IDC_SPACER]);
  EXPECT_EQ(ui.shows[IDC_SCALE_STRIP], kShowHide);
  EXPECT_FALSE(ScaleStripShown());
  EXPECT_EQ(ui.repaints, 1);

  // A second hide changes nothing and repaints nothing.
  SetPanelShown(IDC_SCALE_STRIP, false);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{133, 50, 300, 300}));
  EXPECT_EQ(ui.repaints, 1);

  SetPanelShown(IDC_SCALE_STRIP, true);
  for (auto& r : before) EXPECT_EQ(ui.rects[r.first], r.second) << r.first;
  EXPECT_EQ(ui.shows[IDC_SCALE_STRIP], kShowShow);
  EXPECT_EQ(ui.repaints, 2);
}

TEST_F(PlacementTest, HidingTheInfoColumnMovesOnlyTheRightEdge) {
  std::map<int32_t, Rect> before = ui.rects;
  SetPanelShown(IDC_SPACER, false);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{100, 50, 186, 300}));
  for (auto& r : before) {
    if (r.first != kMainWindow) {
      EXPECT_EQ(ui.rects[r.first], r.second) << r.first;
    }
  }
  SetPanelShown(IDC_SPACER, true);
  EXPECT_EQ(ui.rects[kMainWindow], before[kMainWindow]);
}

TEST_F(PlacementTest, HidingBothPanelsNarrowsByBothWidthsInEitherOrder) {
  SetPanelShown(IDC_SCALE_STRIP, false);
  SetPanelShown(IDC_SPACER, false);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{133, 50, 186, 300}));
  SetPanelShown(IDC_SCALE_STRIP, true);
  SetPanelShown(IDC_SPACER, true);
  SetPanelShown(IDC_SPACER, false);
  SetPanelShown(IDC_SCALE_STRIP, false);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{133, 50, 186, 300}));
}

TEST_F(PlacementTest, OtherPanelIdsChangeNothing) {
  std::map<int32_t, Rect> before = ui.rects;
  SetPanelShown(IDC_GAUGE, false);
  SetPanelShown(IDC_STATUS, false);
  for (auto& r : before) EXPECT_EQ(ui.rects[r.first], r.second);
  EXPECT_TRUE(ui.log.empty());
  EXPECT_EQ(ui.repaints, 0);
}

TEST_F(PlacementTest, DefaultPositionIsTheTopRightCorner) {
  ui.rects[kMainWindow] = {10, 20, 200, 270};  // 190 x 250
  PlaceAtDefaultPosition();
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{1090, 0, 1280, 250}));
  EXPECT_EQ(g_viewSettings.windowX, 1090);
  EXPECT_EQ(g_viewSettings.windowY, 0);
}

TEST_F(PlacementTest, StoredPositionsAreScreenCoordinatesAndRoundTripWithATaskBarOnTop) {
  ui.origin[0] = 0;
  ui.origin[1] = 30;  // a task bar along the top
  ui.rects[kMainWindow] = {0, 0, 190, 250};
  PlaceAtDefaultPosition();
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{1090, 0, 1280, 250}));
  EXPECT_EQ(g_viewSettings.windowY, 30);  // where the window is on the screen
  // Reopening at the stored position puts it back in the same place.
  PlaceAtStoredPosition(kShowShow);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{1090, 0, 1280, 250}));

  // With a task bar on the left the window still ends at the screen's edge.
  ui.origin[0] = 60;
  ui.origin[1] = 0;
  PlaceAtDefaultPosition();
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{1030, 0, 1220, 250}));  // work-area coordinates
  EXPECT_EQ(g_viewSettings.windowX, 1090);
  PlaceAtStoredPosition(kShowShow);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{1030, 0, 1220, 250}));

  ui.origin[0] = 0;
  ui.origin[1] = 30;
  g_viewSettings.windowX = -1200;  // a monitor left of the primary one
  g_viewSettings.windowY = 130;
  PlaceAtStoredPosition(kShowHide);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{-1200, 100, -1010, 350}));
  EXPECT_EQ(ui.shows[kMainWindow], kShowHide);
}

TEST_F(PlacementTest, AWindowClosedWithTheStripHiddenReopensWhereItWasClosed) {
  // Loaded: strip off, closed at 600, 40; the window still has its strip.
  g_viewSettings.showMemScale = false;
  g_viewSettings.windowX = 600;
  g_viewSettings.windowY = 40;
  PlaceAtStoredPosition(kShowShow);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{567, 40, 767, 290}));
  SetPanelShown(IDC_SCALE_STRIP, false);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{600, 40, 767, 290}));
  // Once the layout matches the setting, the stored X is the left edge.
  PlaceAtStoredPosition(kShowShow);
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{600, 40, 767, 290}));
}

TEST_F(PlacementTest, PlaceMainDialogFollowsTheFirstShowFlagAndTrayMode) {
  g_viewSettings.windowX = 40;
  g_viewSettings.windowY = 60;
  g_firstShow = true;
  PlaceMainDialog();
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{40, 60, 240, 310}));
  EXPECT_EQ(ui.log, (std::vector<std::string>{"place 0", "show 0 0", "command 144"}));

  ui.log.clear();
  g_firstShow = false;
  g_viewSettings.defaultPlacement = true;
  PlaceMainDialog();
  EXPECT_EQ(ui.rects[kMainWindow], (Rect{1080, 0, 1280, 250}));
  EXPECT_EQ(ui.log, (std::vector<std::string>{"place 0", "show 0 5", "command 144"}));

  // In tray mode the window is neither moved nor shown.
  ui.log.clear();
  g_viewSettings.trayMode = true;
  PlaceMainDialog();
  EXPECT_EQ(ui.log, (std::vector<std::string>{"command 144"}));
}

TEST_F(PlacementTest, AlwaysOnTopFollowsTheSetting) {
  ApplyAlwaysOnTop(kMainWindow);
  g_viewSettings.alwaysOnTop = false;
  ApplyAlwaysOnTop(kMainWindow);
  EXPECT_EQ(ui.log, (std::vector<std::string>{"topmost 0 1", "topmost 0 0"}));
}

}  // namespace
