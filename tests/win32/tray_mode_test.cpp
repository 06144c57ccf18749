// Moving between the desktop and the tray, on a real window, with the shell
// call replaced by a recorder.
#include <gtest/gtest.h>

#include "app/placement.h"
#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "support/fake_notify.h"
#include "tray/tray_icon_win32.h"
#include "tray/tray_mode_win32.h"

namespace {

class TrayModeTest : public ::testing::Test {
 protected:
  // One window for the suite: Wine pauses when a shown window is destroyed.
  static void SetUpTestSuite() {
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 190, 250, nullptr, nullptr,
                              nullptr, nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(window_); }
  void SetUp() override {
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_HIDE);
    SetTrayOwner(window_);
    g_trayMenu = CreatePopupMenu();
    AppendMenuW(g_trayMenu, MF_STRING, IDM_TRAY_TOGGLE, L"Show ZOR on the desktop");
    for (int i = 0; i < kLevelIconCount; ++i)
      LevelIcons[i] = reinterpret_cast<IconHandle>(static_cast<uintptr_t>(0x100 + i));
    ResetViewSettings();
    g_viewSettings.windowX = 120;
    g_viewSettings.windowY = 80;
    g_monitor.trayLevelIndex = kAppIconIndex;
    g_firstShow = false;
  }
  void TearDown() override {
    DestroyMenu(g_trayMenu);
    g_trayMenu = nullptr;
    g_mainDialog = nullptr;
  }
  bool Checked() {
    return GetMenuState(g_trayMenu, IDM_TRAY_TOGGLE, MF_BYCOMMAND) & MF_CHECKED;
  }
  // The icon each add shows, and the order of adds (A) and deletes (D).
  std::string Sequence() {
    std::string s;
    for (const FakeNotify::Call& c : notify.calls) {
      s += c.message == kNimAdd ? "A" : c.message == kNimDelete ? "D" : "M";
      if (c.message == kNimAdd)
        s += std::to_string(reinterpret_cast<uintptr_t>(c.record.hIcon) - 0x100);
    }
    return s;
  }
  static HWND window_;
  FakeNotify notify;
};

HWND TrayModeTest::window_ = nullptr;

TEST_F(TrayModeTest, EnteringHidesTheWindowAndShowsTheEmptyLevel) {
  ShowWindow(window_, SW_SHOW);
  CheckMenuItem(g_trayMenu, IDM_TRAY_TOGGLE, MF_BYCOMMAND | MF_CHECKED);
  EXPECT_TRUE(EnterTrayMode());
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_TRUE(g_viewSettings.trayMode);
  EXPECT_EQ(g_monitor.trayLevelIndex, 0);
  EXPECT_FALSE(Checked());
  EXPECT_EQ(Sequence(), "DA0");
  const NotifyIconRecord& add = notify.calls[1].record;
  EXPECT_EQ(add.cbSize, 152u);
  EXPECT_EQ(add.hWnd, g_mainDialog);
  EXPECT_EQ(add.uID, 2u);
  EXPECT_EQ(add.uFlags, 7u);
  EXPECT_EQ(add.uCallbackMessage, 0x8000u);
  EXPECT_EQ(std::wstring(add.szTip), L"ZOR");
  EXPECT_EQ(notify.calls[0].record.uFlags, 0u);

  // Entering again runs the whole sequence again.
  EXPECT_TRUE(EnterTrayMode());
  EXPECT_EQ(Sequence(), "DA0DA0");
}

TEST_F(TrayModeTest, LeavingShowsTheWindowAtItsStoredPlaceWithTheApplicationIcon) {
  EnterTrayMode();
  notify.calls.clear();
  EXPECT_TRUE(LeaveTrayMode());
  EXPECT_FALSE(g_viewSettings.trayMode);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_TRUE(Checked());
  EXPECT_EQ(g_monitor.trayLevelIndex, kAppIconIndex);
  EXPECT_EQ(Sequence(), "DA16");
  RECT r;
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 80);
  EXPECT_EQ(r.right - r.left, 190);
}

TEST_F(TrayModeTest, LeavingDuringTheFirstPlacementKeepsTheWindowHidden) {
  g_viewSettings.trayMode = true;
  g_firstShow = true;
  LeaveTrayMode();
  g_firstShow = false;
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_TRUE(Checked());
  EXPECT_EQ(Sequence(), "DA16");
}

}  // namespace
