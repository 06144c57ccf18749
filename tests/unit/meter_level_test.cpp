#include <gtest/gtest.h>
#include <string.h>

#include "meter/draw.h"
#include "meter/gauge.h"
#include "meter/level.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"
#include "support/fake_gdi.h"
#include "support/fake_notify.h"
#include "support/fakes.h"
#include "tray/tray_icon.h"

namespace {

TEST(TrayLevel, FifteenthsOfTheLimitClampedAtFourteen) {
  EXPECT_EQ(TrayLevelFor(139740, 2047, 15), 0);
  EXPECT_EQ(TrayLevelFor(139741, 2047, 15), 1);
  EXPECT_EQ(TrayLevelFor(1048576, 2047, 15), 7);
  EXPECT_EQ(TrayLevelFor(1956373, 2047, 15), 13);
  EXPECT_EQ(TrayLevelFor(1956374, 2047, 15), 14);
  EXPECT_EQ(TrayLevelFor(2096128, 2047, 15), 14);  // at the limit: 15, shown as 14
  EXPECT_EQ(TrayLevelFor(UINT32_MAX, 2047, 15), 14);
  EXPECT_EQ(TrayLevelFor(209645, 3071, 15), 0);
  EXPECT_EQ(TrayLevelFor(209646, 3071, 15), 1);
  EXPECT_EQ(TrayLevelFor(1048576, 3071, 15), 5);
  EXPECT_EQ(TrayLevelFor(2935044, 3071, 15), 14);
}

TEST(TrayLevel, NoLimitOrNoLevelsReadEmpty) {
  EXPECT_EQ(TrayLevelFor(1048576, 0, 15), 0);
  EXPECT_EQ(TrayLevelFor(1048576, 2047, 0), 0);
  EXPECT_EQ(TrayLevelFor(1048576, 2047, -3), 0);
  EXPECT_EQ(TrayLevelFor(UINT32_MAX, UINT64_MAX, 15), 0);  // no overflow into a bogus level
}

TEST(TrayTip, SizeLineStaysWholeAndLongNamesEndInAnEllipsis) {
  ZChar tip[kTrayTipBuildUnits];
  FormatTrayTip(ZT("xtop.exe"), 1048575, tip, kTrayTipBuildUnits);
  EXPECT_EQ(Narrow(tip), "Current process: xtop.exe\r\nVirtual size: 1023 MB");
  FormatTrayTip(ZT("-"), 0, tip, kTrayTipBuildUnits);
  EXPECT_EQ(Narrow(tip), "Current process: -\r\nVirtual size: 0 MB");

  // 63 units exactly: left whole.
  std::string fits(63 - 36 - 4, 'a');
  FormatTrayTip(Z(fits.c_str()).c_str(), 2096128, tip, kTrayTipBuildUnits);
  EXPECT_EQ(Narrow(tip), "Current process: " + fits + "\r\nVirtual size: 2047 MB");
  EXPECT_EQ(ZLen(tip), 63u);

  // One unit more: cut and marked, still 63 units.
  std::string longer = fits + "b";
  FormatTrayTip(Z(longer.c_str()).c_str(), 2096128, tip, kTrayTipBuildUnits);
  EXPECT_EQ(Narrow(tip), "Current process: " + fits.substr(0, 20) + "...\r\nVirtual size: 2047 MB");
  EXPECT_EQ(ZLen(tip), 63u);

  // The longest name and the largest size.
  std::string longest(63, 'n');
  FormatTrayTip(Z(longest.c_str()).c_str(), UINT32_MAX, tip, kTrayTipBuildUnits);
  EXPECT_EQ(Narrow(tip),
            "Current process: " + std::string(17, 'n') + "...\r\nVirtual size: 4194303 MB");
  EXPECT_EQ(ZLen(tip), 63u);
}

TEST(TrayTip, CutNeverSplitsASurrogatePair) {
  // Size "1": 26 units of room, 23 kept before "...": a pair across the cut.
  ZString name = Z(std::string(22, 'a').c_str());
  name.push_back(0xD83D);
  name.push_back(0xDE00);
  name += Z("tail.exe");
  ZChar tip[kTrayTipBuildUnits];
  FormatTrayTip(name.c_str(), 1024, tip, kTrayTipBuildUnits);
  ZString t(tip);
  EXPECT_EQ(t.find(static_cast<ZChar>(0xD83D)), ZString::npos);
  EXPECT_EQ(Narrow(tip), "Current process: " + std::string(22, 'a') + "...\r\nVirtual size: 1 MB");
}

class LevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&g_monitor, 0, sizeof g_monitor);
    ZCopy(g_monitor.targetName, kTextUnits, ZT("-"));
    g_monitor.levelCount = 15;
    g_monitor.trayLevelIndex = 16;
    g_monitor.limitMb = 2047;
    g_monitor.initialised = true;
    ResetViewSettings();
    memset(GaugeTable, 0, sizeof GaugeTable);
    memset(&g_mainGauge, 0, sizeof g_mainGauge);
    memset(LevelIcons, 0, sizeof LevelIcons);
    g_mainGauge.window = control;
    g_mainGauge.threshold = 0.7;
    AttachGauge(&g_mainGauge);
    g_mainDialog = reinterpret_cast<WindowHandle>(0xD1A);
  }
  void TearDown() override {
    DetachGauge(&g_mainGauge);
    EXPECT_TRUE(gdi.errors.empty()) << gdi.errors.front();
    EXPECT_EQ(gdi.LiveObjects(), 0);
  }
  FakeGdi gdi;
  FakeNotify notify;
  WindowHandle control = gdi.AddWindow(20, 216);
};

TEST_F(LevelTest, NothingBeforeTheDialogIsInitialised) {
  g_monitor.initialised = false;
  g_monitor.sizeKb = 1048576;
  UpdateLevel();
  g_viewSettings.trayMode = true;
  UpdateLevel();
  EXPECT_EQ(g_mainGauge.maximum, 0u);
  EXPECT_EQ(gdi.repaints, 0);
  EXPECT_TRUE(notify.calls.empty());
  EXPECT_EQ(g_monitor.trayLevelIndex, 16);
}

TEST_F(LevelTest, GaugeCountsInTensOfMegabytes) {
  g_monitor.sizeKb = 1048575;
  UpdateLevel();
  EXPECT_EQ(g_mainGauge.maximum, 204u);
  EXPECT_EQ(g_mainGauge.value, 102u);
  EXPECT_EQ(g_mainGauge.fillHeight, 108);
  EXPECT_EQ(gdi.repaints, 1);
  EXPECT_EQ(g_monitor.trayLevelIndex, 16);  // untouched outside tray mode
  EXPECT_TRUE(notify.calls.empty());

  // Steady within a 10 MB unit: no drawing at all; across it, one repaint.
  size_t lines = gdi.lines.size();
  g_monitor.sizeKb = 1044480;  // still 102 units
  UpdateLevel();
  UpdateLevel();
  EXPECT_EQ(gdi.repaints, 1);
  EXPECT_EQ(gdi.lines.size(), lines);
  EXPECT_EQ(gdi.bitmapsCreated, 1);
  g_monitor.sizeKb = 1054720;
  UpdateLevel();
  EXPECT_EQ(gdi.repaints, 2);

  g_monitor.limitMb = 3071;
  g_monitor.sizeKb = 1048576;
  UpdateLevel();
  EXPECT_EQ(g_mainGauge.maximum, 307u);
  EXPECT_EQ(g_mainGauge.value, 102u);
}

TEST_F(LevelTest, NoTargetEmptiesTheGauge) {
  g_monitor.sizeKb = 1048576;
  UpdateLevel();
  g_monitor.sizeKb = 0;
  UpdateLevel();
  EXPECT_EQ(g_mainGauge.fillHeight, 0);
  EXPECT_EQ(gdi.WindowPixel(control, 0, 215), FakeGdi::kStaticBackground);
}

TEST_F(LevelTest, TrayModeSetsLevelAndTipAndLeavesTheGauge) {
  g_viewSettings.trayMode = true;
  LevelIcons[7] = reinterpret_cast<IconHandle>(0x1C07);
  ZCopy(g_monitor.targetName, kTextUnits, ZT("xtop.exe"));
  g_monitor.sizeKb = 1048576;
  UpdateLevel();
  EXPECT_EQ(g_monitor.trayLevelIndex, 7);
  EXPECT_EQ(g_mainGauge.maximum, 0u);
  EXPECT_EQ(gdi.repaints, 0);
  ASSERT_EQ(notify.calls.size(), 1u);
  const NotifyIconRecord& r = notify.calls[0].record;
  EXPECT_EQ(notify.calls[0].message, kNimModify);
  EXPECT_EQ(r.hWnd, g_mainDialog);
  EXPECT_EQ(r.hIcon, LevelIcons[7]);
  EXPECT_EQ(r.uFlags, kNifIcon | kNifTip);
  EXPECT_EQ(Narrow(r.szTip), "Current process: xtop.exe\r\nVirtual size: 1024 MB");
}

TEST_F(LevelTest, TrayWithNoTargetOrNoLimitShowsLevelZero) {
  g_viewSettings.trayMode = true;
  g_monitor.trayLevelIndex = 9;
  UpdateLevel();
  EXPECT_EQ(g_monitor.trayLevelIndex, 0);
  EXPECT_EQ(Narrow(notify.calls.back().record.szTip), "Current process: -\r\nVirtual size: 0 MB");

  g_monitor.limitMb = 0;
  g_monitor.sizeKb = 1048576;
  UpdateLevel();
  EXPECT_EQ(g_monitor.trayLevelIndex, 0);
}

}  // namespace
