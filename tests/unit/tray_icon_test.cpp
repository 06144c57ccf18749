#include "tray/tray_icon.h"

#include <gtest/gtest.h>
#include <string.h>

#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "support/fake_notify.h"
#include "support/fakes.h"

namespace {

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&g_monitor, 0, sizeof g_monitor);
    g_monitor.trayLevelIndex = 16;
    for (int i = 0; i < kLevelIconCount; ++i)
      LevelIcons[i] = reinterpret_cast<IconHandle>(static_cast<uintptr_t>(0x100 + i));
    g_mainDialog = dialog;
  }
  // Everything past the fields an operation sets must be zero.
  static bool TipZeroFrom(const NotifyIconRecord& r, size_t from) {
    for (size_t i = from; i < kTrayTipUnits; ++i)
      if (r.szTip[i] != 0) return false;
    return true;
  }
  FakeNotify notify;
  WindowHandle dialog = reinterpret_cast<WindowHandle>(0xD1A);
};

TEST_F(TrayIconTest, AddShowsTheCurrentLevelWithTheShortName) {
  AddTrayIcon(dialog);
  g_monitor.trayLevelIndex = 0;
  AddTrayIcon(dialog);
  ASSERT_EQ(notify.calls.size(), 2u);
  for (const FakeNotify::Call& c : notify.calls) {
    EXPECT_EQ(c.message, kNimAdd);
    EXPECT_EQ(c.record.cbSize, 152u);
    EXPECT_EQ(c.record.hWnd, dialog);
    EXPECT_EQ(c.record.uID, 2u);
    EXPECT_EQ(c.record.uFlags, 7u);
    EXPECT_EQ(c.record.uCallbackMessage, 0x8000u);
    EXPECT_EQ(Narrow(c.record.szTip), "ZOR");
    EXPECT_TRUE(TipZeroFrom(c.record, 3));
  }
  EXPECT_EQ(notify.calls[0].record.hIcon, LevelIcons[16]);
  EXPECT_EQ(notify.calls[1].record.hIcon, LevelIcons[0]);
}

TEST_F(TrayIconTest, ModifyGoesToTheMainDialogWithIconAndOptionalTip) {
  g_monitor.trayLevelIndex = 5;
  ModifyTrayIcon(ZT("Current process: a.exe\r\nVirtual size: 3 MB"));
  ModifyTrayIcon(nullptr);
  ASSERT_EQ(notify.calls.size(), 2u);
  const NotifyIconRecord& a = notify.calls[0].record;
  EXPECT_EQ(notify.calls[0].message, kNimModify);
  EXPECT_EQ(a.cbSize, 152u);
  EXPECT_EQ(a.hWnd, dialog);
  EXPECT_EQ(a.uID, 2u);
  EXPECT_EQ(a.uFlags, 6u);
  EXPECT_EQ(a.uCallbackMessage, 0u);
  EXPECT_EQ(a.hIcon, LevelIcons[5]);
  EXPECT_EQ(Narrow(a.szTip), "Current process: a.exe\r\nVirtual size: 3 MB");
  const NotifyIconRecord& b = notify.calls[1].record;
  EXPECT_EQ(b.uFlags, 2u);
  EXPECT_EQ(b.hIcon, LevelIcons[5]);
  EXPECT_TRUE(TipZeroFrom(b, 0));
}

TEST_F(TrayIconTest, ModifyCutsAnOverlongTipAndATableMissPassesNoIcon) {
  std::string tip(100, 't');
  g_monitor.trayLevelIndex = 17;
  ModifyTrayIcon(Z(tip.c_str()).c_str());
  g_monitor.trayLevelIndex = -1;
  ModifyTrayIcon(nullptr);
  const NotifyIconRecord& r = notify.calls[0].record;
  EXPECT_EQ(Narrow(r.szTip), std::string(63, 't'));
  EXPECT_EQ(r.szTip[63], 0);
  EXPECT_EQ(r.hIcon, nullptr);
  EXPECT_EQ(notify.calls[1].record.hIcon, nullptr);

  // Half a surrogate pair is not left at the cut.
  ZString pair = Z(std::string(62, 'u').c_str());
  pair.push_back(0xD83D);
  pair.push_back(0xDE00);
  ModifyTrayIcon(pair.c_str());
  EXPECT_EQ(ZLen(notify.calls[2].record.szTip), 62u);
}

TEST_F(TrayIconTest, RemoveNamesOnlyTheIcon) {
  g_monitor.trayLevelIndex = 3;
  RemoveTrayIcon(dialog);
  ASSERT_EQ(notify.calls.size(), 1u);
  const NotifyIconRecord& r = notify.calls[0].record;
  EXPECT_EQ(notify.calls[0].message, kNimDelete);
  EXPECT_EQ(r.cbSize, 152u);
  EXPECT_EQ(r.hWnd, dialog);
  EXPECT_EQ(r.uID, 2u);
  EXPECT_EQ(r.uFlags, 0u);
  EXPECT_EQ(r.uCallbackMessage, 0u);
  EXPECT_EQ(r.hIcon, nullptr);
  EXPECT_TRUE(TipZeroFrom(r, 0));
}

}  // namespace
