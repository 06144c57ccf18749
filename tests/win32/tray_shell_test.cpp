// The tray operations through the real shell: the record each one hands over
// must name the icon the shell knows (window and identifier 2).
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>
#include <string.h>

#include "monitor/monitor_state.h"
#include "tray/tray_icon_win32.h"

namespace {

TEST(TrayShell, FirstVersionRecordCarriesEveryField) {
  EXPECT_EQ(NOTIFYICONDATAW_V1_SIZE, 152u);
  EXPECT_EQ(static_cast<size_t>(kNotifyRecordBytes), NOTIFYICONDATAW_V1_SIZE);
  EXPECT_EQ(offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR), 152u);
  NotifyIconRecord r;
  memset(&r, 0, sizeof r);
  r.cbSize = kNotifyRecordBytes;
  r.hWnd = reinterpret_cast<WindowHandle>(0x1234);
  r.uID = 2;
  r.uFlags = 7;
  r.uCallbackMessage = 0x8000;
  r.hIcon = reinterpret_cast<IconHandle>(0x5678);
  for (uint32_t i = 0; i < kTrayTipUnits; ++i) r.szTip[i] = L'a';  // unterminated
  NOTIFYICONDATAW d;
  memset(&d, 0xCC, sizeof d);
  ToNotifyIconData(r, &d);
  EXPECT_EQ(d.cbSize, 152u);
  EXPECT_EQ(d.hWnd, reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(d.uID, 2u);
  EXPECT_EQ(d.uFlags, 7u);
  EXPECT_EQ(d.uCallbackMessage, 0x8000u);
  EXPECT_EQ(d.hIcon, reinterpret_cast<HICON>(0x5678));
  EXPECT_EQ(wcslen(d.szTip), 63u);
  const unsigned char* rest = reinterpret_cast<const unsigned char*>(&d) + 152;
  for (size_t i = 0; i < sizeof d - 152; ++i) ASSERT_EQ(rest[i], 0) << i;
}

TEST(TrayShell, AddModifyRemoveReachTheShellsIcon) {
  HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  memset(&g_monitor, 0, sizeof g_monitor);
  memset(LevelIcons, 0, sizeof LevelIcons);
  LevelIcons[kAppIconIndex] = reinterpret_cast<IconHandle>(LoadIconW(nullptr, IDI_APPLICATION));
  LevelIcons[3] = reinterpret_cast<IconHandle>(LoadIconW(nullptr, IDI_WARNING));
  g_monitor.trayLevelIndex = kAppIconIndex;
  SetTrayOwner(owner);

  // The shell's own answer to a second add or a modify tells whether the
  // icon with identifier 2 of this window exists.
  NOTIFYICONDATAW probe = {};
  probe.cbSize = NOTIFYICONDATAW_V1_SIZE;
  probe.hWnd = owner;
  probe.uID = 2;
  probe.uFlags = NIF_ICON;
  probe.hIcon = reinterpret_cast<HICON>(LevelIcons[kAppIconIndex]);

  AddTrayIcon(owner);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_ADD, &probe));  // there already
  g_monitor.trayLevelIndex = 3;
  ModifyTrayIcon(L"Current process: xtop.exe\r\nVirtual size: 1024 MB");
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe));
  RemoveTrayIcon(owner);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe));  // gone

  g_mainDialog = nullptr;
  DestroyWindow(owner);
}

}  // namespace
