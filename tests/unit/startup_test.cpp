#include <gtest/gtest.h>

#include <string.h>

#include "app/startup.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"
#include "support/fakes.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&g_monitor, 0, sizeof g_monitor);
    memset(g_viewSettings.previousProcessName, 0, sizeof g_viewSettings.previousProcessName);
    ZCopy(g_monitor.targetName, kTextUnits, ZT("-"));
    g_monitor.targetPid = 77;
    g_monitor.connected = true;
  }
  void Store(const char* name) {
    ZCopy(g_viewSettings.previousProcessName, kTextUnits, Z(name).c_str());
  }
  std::string Target() { return Narrow(g_monitor.targetName); }
  FakeProcessApi api;
};

TEST_F(StartupTest, CommandLineWinsOverTheStoredNameAndConnectsWhenRunning) {
  api.Add(500, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
  Store("ugraf.exe");
  ChooseInitialTarget(ZT("xtop.exe"));
  EXPECT_EQ(Target(), "xtop.exe");
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_EQ(g_monitor.targetPid, 500u);
  EXPECT_TRUE(g_monitor.connected);
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(StartupTest, ShortCommandLineFallsBackToTheStoredNameWhichMayNotRun) {
  Store("ugraf.exe");
  ChooseInitialTarget(ZT("ab"));
  EXPECT_EQ(Target(), "ugraf.exe");
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_EQ(g_monitor.targetPid, 0u);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_EQ(Narrow(g_commandLine), "ab");
}

TEST_F(StartupTest, NoNameGivenClearsThePidAndLooksNothingUp) {
  Store("-");  // saved while idle
  ChooseInitialTarget(nullptr);
  EXPECT_EQ(Target(), "-");
  EXPECT_FALSE(g_monitor.waiting);
  EXPECT_EQ(g_monitor.targetPid, 0u);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_EQ(api.enumCalls, 0);
}

TEST_F(StartupTest, QuotesAreKeptAndALongCommandLineIsCutTo63Units) {
  api.Add(9, Z("\\Device\\HarddiskVolume1\\xtop.exe"));
  ChooseInitialTarget(ZT("\"xtop.exe\""));
  EXPECT_EQ(Target(), "\"xtop.exe\"");
  EXPECT_FALSE(g_monitor.connected);
  std::string longLine(200, 'x');
  ChooseInitialTarget(Z(longLine.c_str()).c_str());
  EXPECT_EQ(Target(), std::string(63, 'x'));
  EXPECT_EQ(Narrow(g_commandLine), std::string(63, 'x'));
}

}  // namespace
