// The real start-up, main dialog and message loop on ZOR.exe's own resources,
// with the shell call and the registry replaced by recorders: the icon's life
// from start-up to close, the tray callback and the tray commands.
#include <gtest/gtest.h>

#include "app/app_win32.h"
#include "monitor/display_port.h"
#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "support/fake_notify.h"
#include "support/fakes.h"
#include "support/settings_fakes.h"
#include "support/target_process_win32.h"
#include "tray/tray_icon.h"

namespace {

bool g_menuWasOpen = false;

// Runs inside the tray menu's own loop: note the menu and close it.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_menuWasOpen = FindWindowW(L"#32768", nullptr) != nullptr;
  EndMenu();
}

std::string Calls(const FakeNotify& notify, size_t from = 0) {
  std::string s;
  for (size_t i = from; i < notify.calls.size(); ++i) {
    const FakeNotify::Call& c = notify.calls[i];
    s += c.message == kNimAdd ? "A" : c.message == kNimDelete ? "D" : "M";
    if (c.message != kNimDelete) {
      for (int e = 0; e < kLevelIconCount; ++e)
        if (c.record.hIcon == LevelIcons[e]) s += std::to_string(e);
    }
    s += " ";
  }
  return s;
}

TEST(StartUp, IconLifeFromStartToCloseAndTheTrayCommands) {
  std::wstring exe = TargetProcess::DefaultExe();
  exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"ZOR.exe";
  HMODULE zor = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(zor, nullptr);
  FakeSystemApi system;  // Windows 7 with 2 GB: accepted
  FakeRegistryApi registry;
  FakeNotify notify;

  ASSERT_TRUE(StartUp(zor, L""));
  HWND main = FindWindowW(L"#32770", L"ZOR 1.2");
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsWindowVisible(main));
  // Added at initialisation, then removed and re-added by each placement.
  EXPECT_EQ(Calls(notify), "A16 D A16 D A16 ");
  for (const FakeNotify::Call& c : notify.calls) {
    EXPECT_EQ(c.record.cbSize, 152u);
    EXPECT_EQ(c.record.hWnd, reinterpret_cast<WindowHandle>(main));
    EXPECT_EQ(c.record.uID, 2u);
  }
  wchar_t text[64];
  GetDlgItemTextW(main, IDC_STATUS, text, 64);
  EXPECT_EQ(std::wstring(text), L"Right click for menu.");

  // The icon's mouse messages: a right click opens the tray menu, others do nothing.
  size_t mark = notify.calls.size();
  for (LPARAM other : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONUP})
    SendMessageW(main, ZOR_TRAY_CALLBACK, ZOR_TRAY_ID, other);
  EXPECT_FALSE(g_menuWasOpen);
  SendMessageW(main, ZOR_TRAY_CALLBACK, ZOR_TRAY_ID, WM_LBUTTONUP);
  SendMessageW(main, ZOR_TRAY_CALLBACK, ZOR_TRAY_ID, WM_LBUTTONDBLCLK);
  SetTimer(nullptr, 0, 100, CloseMenu);
  SendMessageW(main, ZOR_TRAY_CALLBACK, ZOR_TRAY_ID, WM_RBUTTONUP);
  EXPECT_TRUE(g_menuWasOpen);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(notify.calls.size(), mark);  // clicks change nothing on the icon

  // To the tray and back with the one tray entry; a refresh in the tray sets
  // the level and the tip.
  mark = notify.calls.size();
  SendMessageW(main, WM_COMMAND, IDM_TRAY_TOGGLE, 0);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(g_viewSettings.trayMode);
  SendMessageW(main, WM_COMMAND, IDM_TRAY_RESET, 0);
  EXPECT_EQ(Calls(notify, mark), "D A0 M0 ");
  const NotifyIconRecord& modify = notify.calls.back().record;
  EXPECT_EQ(modify.uFlags, 6u);
  EXPECT_EQ(std::wstring(modify.szTip), L"Current process: -\r\nVirtual size: 0 MB");
  EXPECT_NE(g_monitor.trayLevelIndex, 15);

  mark = notify.calls.size();
  SendMessageW(main, WM_COMMAND, IDM_TRAY_TOGGLE, 0);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(g_viewSettings.trayMode);
  EXPECT_EQ(Calls(notify, mark), "D A16 ");

  // Esc and Enter do not close the tool; Exit from the tray menu does,
  // removing the icon after saving the settings.
  SendMessageW(main, WM_COMMAND, IDCANCEL, 0);
  SendMessageW(main, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindow(main));
  mark = notify.calls.size();
  registry.calls.clear();
  SendMessageW(main, WM_COMMAND, IDM_TRAY_EXIT, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(Calls(notify, mark), "D ");
  EXPECT_EQ(registry.Names(RegOp::Set).size(), 9u);
  EXPECT_EQ(RunMessageLoop(), 0);
  ShutDown();

  SetDisplayPort(nullptr);
  g_monitor.initialised = false;
  FreeLibrary(zor);
}

}  // namespace

namespace {

// The fill-level icons as the built program carries them, drawn by the system.
TEST(ProgramResources, LevelIconsArePixelExact) {
  static const COLORREF kRowFromBottom[15] = {
      0,        RGB(0x00, 0xFF, 0x00), RGB(0x00, 0xFF, 0x00), RGB(0x66, 0xFF, 0x00),
      RGB(0x99, 0xFF, 0x00), RGB(0xCC, 0xFF, 0x00), RGB(0xCC, 0xFF, 0x33), RGB(0xCC, 0xFF, 0x33),
      RGB(0xFF, 0xFF, 0x33), RGB(0xFF, 0xFF, 0x33), RGB(0xFF, 0xCC, 0x00), RGB(0xFF, 0x99, 0x00),
      RGB(0xFF, 0x66, 0x00), RGB(0xFF, 0x33, 0x00), RGB(0xFF, 0x00, 0x00)};
  std::wstring exe = TargetProcess::DefaultExe();
  exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"ZOR.exe";
  HMODULE zor = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(zor, nullptr);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int level = 0; level < 15; ++level) {
    HICON icon = static_cast<HICON>(
        LoadImageW(zor, MAKEINTRESOURCEW(IDI_LEVEL_FIRST + level), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(icon, nullptr) << level;
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    int wrong = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        COLORREF want;
        if (y == 0 || x == 0)
          want = RGB(0x55, 0x55, 0x55);
        else if (y == 15 || x == 15)
          want = RGB(0xDD, 0xDD, 0xDD);
        else {
          int fromBottom = 15 - y;  // interior rows 1..14 counted from the bottom
          want = fromBottom <= level ? kRowFromBottom[fromBottom] : RGB(0, 0, 0);
        }
        if (GetPixel(dc, x, y) != want) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << "level " << level;
  }
  EXPECT_NE(LoadImageW(zor, MAKEINTRESOURCEW(IDI_SPARE), IMAGE_ICON, 16, 16, 0), nullptr);
  EXPECT_NE(LoadImageW(zor, L"ZOR", IMAGE_ICON, 32, 32, 0), nullptr);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  FreeLibrary(zor);
}

}  // namespace
