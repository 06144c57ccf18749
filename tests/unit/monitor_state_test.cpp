#include <gtest/gtest.h>

#include <string.h>

#include "monitor/monitor_state.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "support/fakes.h"

namespace {

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSystemInfoCache();
    memset(&g_monitor, 0, sizeof g_monitor);
    g_monitor.trayLevelIndex = 16;
    g_monitor.levelCount = 15;
    ResetViewSettings();
  }
  void TearDown() override { ReleaseMonitorTexts(); }

  // A running process of the given size in KB (a multiple of 64).
  FakeProcess& Run(uint32_t pid, const char* name, uint32_t kb) {
    FakeProcess& p = api.Add(pid, Z("\\Device\\HarddiskVolume1\\bin\\") + Z(name));
    p.regions = {{0x10000, kb * 1024ull, kMemCommit}, {0x10000 + kb * 1024ull, 0x7FFE0000, kMemFree}};
    return p;
  }
  void Await(const char* name) {
    ZCopy(g_monitor.targetName, kTextUnits, Z(name).c_str());
    g_monitor.waiting = true;
  }
  std::string Info() { return Narrow(display.texts[IDC_INFO_PANEL]); }

  FakeProcessApi api;
  FakeSystemApi system;
  FakeStringTable strings;
  RecordingDisplay display;
};

TEST_F(MonitorTest, IdleShowsDashesAndRefreshesTheInfoColumn) {
  RefreshDisplay();
  EXPECT_EQ(Info(), "Process Name:\n-\nProcess ID:\n-\nVirtual Size:\n0 MB");
  EXPECT_EQ(Narrow(display.texts[IDC_OS_LINE]), "WINDOWS 7 ");
  EXPECT_EQ(Narrow(display.texts[IDC_MAX_MEMORY]), "Max addressable memory: 2047MB");
  EXPECT_EQ(g_monitor.limitMb, 2047u);
  EXPECT_EQ(display.levelUpdates, 1);
}

TEST_F(MonitorTest, OsTextIsComputedOnceAndTheLimitTextEveryRefresh) {
  RefreshDisplay();
  RefreshDisplay();
  RefreshDisplay();
  EXPECT_EQ(system.versionCalls, 1);
  EXPECT_EQ(std::count(display.textOrder.begin(), display.textOrder.end(), IDC_OS_LINE), 1);
  EXPECT_EQ(std::count(display.textOrder.begin(), display.textOrder.end(), IDC_MAX_MEMORY), 3);
}

TEST_F(MonitorTest, WithProcessInfoOffAndNothingConnectedTicksChangeNothing) {
  g_viewSettings.showProcessInfo = false;
  TickMonitor(kMonitorTimerId);
  EXPECT_TRUE(display.texts.empty());
  EXPECT_EQ(display.levelUpdates, 0);
  g_viewSettings.showProcessInfo = true;
  TickMonitor(kMonitorTimerId);
  EXPECT_EQ(display.levelUpdates, 1);
  TickMonitor(2);  // another timer
  EXPECT_EQ(display.levelUpdates, 1);
}

TEST_F(MonitorTest, WaitsForANameThenConnectsAndMeasures) {
  Await("xtop.exe");
  TickMonitor(kMonitorTimerId);
  EXPECT_EQ(Info(), "Process Name:\nxtop.exe\nProcess ID:\n-\nVirtual Size:\n0 MB");
  EXPECT_FALSE(g_monitor.connected);

  Run(2040, "xtop.exe", 1048575 / 64 * 64);
  TickMonitor(kMonitorTimerId);
  EXPECT_TRUE(g_monitor.connected);
  EXPECT_EQ(g_monitor.targetPid, 2040u);
  EXPECT_EQ(g_monitor.sizeKb, 1048512u);
  EXPECT_EQ(g_monitor.sizeMb, 1023u);  // truncated
  EXPECT_EQ(Info(), "Process Name:\nxtop.exe\nProcess ID:\n2040\nVirtual Size:\n1023 MB");

  // Connected ticks measure again without looking the name up.
  int enums = api.enumCalls;
  TickMonitor(kMonitorTimerId);
  EXPECT_EQ(api.enumCalls, enums);
}

TEST_F(MonitorTest, TargetExitingDropsBackToWaitingForTheSameName) {
  Await("xtop.exe");
  FakeProcess& p = Run(2040, "xtop.exe", 4096);
  TickMonitor(kMonitorTimerId);
  ASSERT_TRUE(g_monitor.connected);
  p.exitCode = 0;
  TickMonitor(kMonitorTimerId);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_EQ(g_monitor.targetPid, 0u);
  EXPECT_EQ(g_monitor.sizeKb, 0u);
  EXPECT_EQ(Info(), "Process Name:\nxtop.exe\nProcess ID:\n-\nVirtual Size:\n0 MB");

  api.pidList.clear();
  Run(3000, "xtop.exe", 128);
  TickMonitor(kMonitorTimerId);
  EXPECT_TRUE(g_monitor.connected);
  EXPECT_EQ(g_monitor.targetPid, 3000u);
  EXPECT_EQ(Info(), "Process Name:\nxtop.exe\nProcess ID:\n3000\nVirtual Size:\n0 MB");
}

TEST_F(MonitorTest, AProcessMeasuringZeroCountsAsGone) {
  Await("empty.exe");
  Run(5, "empty.exe", 0);
  TickMonitor(kMonitorTimerId);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_EQ(g_monitor.targetPid, 0u);
  EXPECT_EQ(Narrow(g_monitor.pidText), "-");
}

TEST_F(MonitorTest, ResetReturnsToIdleAndStopsSearching) {
  Await("xtop.exe");
  Run(2040, "xtop.exe", 640);
  TickMonitor(kMonitorTimerId);
  ASSERT_TRUE(g_monitor.connected);
  // What the Reset command does.
  g_monitor.waiting = g_monitor.connected = false;
  g_monitor.targetPid = 0;
  RefreshDisplay();
  EXPECT_EQ(Narrow(g_monitor.targetName), "-");
  EXPECT_EQ(Info(), "Process Name:\n-\nProcess ID:\n-\nVirtual Size:\n0 MB");
  int enums = api.enumCalls;
  TickMonitor(kMonitorTimerId);
  TickMonitor(kMonitorTimerId);
  EXPECT_EQ(api.enumCalls, enums);
}

TEST_F(MonitorTest, ConnectedWithoutAwaitedNameGoesIdleWhenItEnds) {
  FakeProcess& p = Run(77, "calc.exe", 256);
  g_monitor.targetPid = 77;
  g_monitor.connected = true;
  g_viewSettings.showProcessInfo = false;
  TickMonitor(kMonitorTimerId);
  EXPECT_EQ(g_monitor.sizeKb, 256u);
  EXPECT_EQ(display.texts.count(IDC_INFO_PANEL), 0u);  // info column not refreshed
  EXPECT_EQ(display.levelUpdates, 1);
  p.exitCode = 1;
  TickMonitor(kMonitorTimerId);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_EQ(Narrow(g_monitor.targetName), "-");
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(MonitorTest, RefreshWithoutADisplayIsHarmless) {
  SetDisplayPort(nullptr);
  RefreshDisplay();
  EXPECT_EQ(Narrow(g_monitor.mbText), "0");
  SetDisplayPort(&display);
}

}  // namespace
