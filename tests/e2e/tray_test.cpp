// The real ZOR.exe in the notification area: leaving and entering the tray
// through its commands and the tray menu, the place it keeps meanwhile, a
// start in the tray, and the level image and tip of its icon as Wine's
// stand-alone tray shows them.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>
#include <vector>

#include "e2e/zor_driver.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "support/target_process_win32.h"

namespace {

using namespace e2e;

// One icon of Wine's stand-alone tray: its window there and its tip.
struct TrayIconView {
  HWND window;
  std::wstring tip;
};

// The tray's icons with their tips: the tips are the tools of the explorer
// process's tooltip windows, read through a record in that process.
std::vector<TrayIconView> TrayIcons() {
  std::vector<TrayIconView> icons;
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (!tray) return icons;
  DWORD explorer = 0;
  GetWindowThreadProcessId(tray, &explorer);
  const size_t kTextUnits = 1024;
  RemoteBuffer remote(explorer, sizeof(TTTOOLINFOW) + kTextUnits * sizeof(wchar_t));
  if (!remote.Ok()) return icons;
  for (HWND tips : WindowsOf(explorer, TOOLTIPS_CLASSW, false)) {
    int count = static_cast<int>(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TTTOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      tool.lpszText = reinterpret_cast<LPWSTR>(remote.At(sizeof tool));
      std::vector<wchar_t> text(kTextUnits, L'\0');
      if (!remote.Write(&tool, sizeof tool) ||
          !remote.Write(text.data(), text.size() * sizeof(wchar_t), sizeof tool) ||
          !SendMessageW(tips, TTM_ENUMTOOLSW, i, remote.At()) || !remote.Read(&tool, sizeof tool) ||
          !remote.Read(text.data(), text.size() * sizeof(wchar_t), sizeof tool))
        continue;
      text.back() = L'\0';
      HWND window = (tool.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(tool.uId) : tool.hwnd;
      if (GetParent(window) == tray && IsWindowVisible(window))
        icons.push_back({window, text.data()});
    }
  }
  return icons;
}

// The icon of the tray that has this tip, waited for; null window if none came.
TrayIconView WaitForTrayIcon(const std::wstring& tip, DWORD timeoutMs = 5000) {
  TrayIconView found = {nullptr, L""};
  WaitFor(
      [&] {
        for (const TrayIconView& icon : TrayIcons())
          if (icon.tip == tip) found = icon;
        return found.window != nullptr;
      },
      timeoutMs);
  return found;
}

std::string TipsShown() {
  std::string all;
  for (const TrayIconView& icon : TrayIcons()) all += " [" + Utf8(icon.tip) + "]";
  return all;
}

// Row colours of a filled level image, from the bottom interior row up.
const COLORREF kLevelRows[14] = {
    RGB(0x00, 0xFF, 0x00), RGB(0x00, 0xFF, 0x00), RGB(0x66, 0xFF, 0x00), RGB(0x99, 0xFF, 0x00),
    RGB(0xCC, 0xFF, 0x00), RGB(0xCC, 0xFF, 0x33), RGB(0xCC, 0xFF, 0x33), RGB(0xFF, 0xFF, 0x33),
    RGB(0xFF, 0xFF, 0x33), RGB(0xFF, 0xCC, 0x00), RGB(0xFF, 0x99, 0x00), RGB(0xFF, 0x66, 0x00),
    RGB(0xFF, 0x33, 0x00), RGB(0xFF, 0x00, 0x00)};

// "" when the 16x16 image in the middle of the icon's window is the sunken
// box of this fill level, else the first difference.
std::string LevelImageDifference(HWND iconWindow, int level) {
  Pixels p(iconWindow);
  if (p.Width() < 16 || p.Height() < 16) return "icon window too small";
  int ox = (p.Width() - 16) / 2, oy = (p.Height() - 16) / 2;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      COLORREF want;
      int fromBottom = 15 - y;
      if (x == 0 || y == 0)
        want = RGB(0x55, 0x55, 0x55);
      else if (x == 15 || y == 15)
        want = RGB(0xDD, 0xDD, 0xDD);
      else
        want = fromBottom <= level ? kLevelRows[fromBottom - 1] : RGB(0, 0, 0);
      if (p.At(ox + x, oy + y) != want) {
        char text[128];
        snprintf(text, sizeof text, "level %d: pixel %d,%d is %06lx, expected %06lx", level, x, y,
                 p.At(ox + x, oy + y), want);
        return text;
      }
    }
  }
  return "";
}

// The tray repaints an icon after it has taken its new image and tip, so the
// image is waited for.
std::string WaitForLevelImage(HWND iconWindow, int level) {
  std::string difference;
  WaitFor([&] { return (difference = LevelImageDifference(iconWindow, level)).empty(); });
  return difference;
}

uint64_t OwnLimitMb() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  return status.ullTotalVirtual >> 20;
}

// What the icon of a tool watching this process shows: the level in
// fifteenths of the limit, and the tip, whose name gives way to the size
// line when both do not fit in the tip's 63 characters.
int LevelOf(uint32_t sizeKb) {
  uint64_t perLevel = OwnLimitMb() * 1024 / 15;
  uint64_t level = sizeKb / perLevel;
  return level > 14 ? 14 : static_cast<int>(level);
}

std::wstring TipFor(const std::wstring& name, uint32_t sizeKb) {
  const std::wstring head = L"Current process: ";
  const std::wstring tail = L"\r\nVirtual size: " + std::to_wstring(sizeKb >> 10) + L" MB";
  std::wstring tip = head + name + tail;
  if (tip.size() > 63)
    tip = head + name.substr(0, 63 - head.size() - tail.size() - 3) + L"..." + tail;
  return tip;
}

void MoveTo(const ZorRun& zor, int x, int y) {
  SetWindowPos(zor.Window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(WaitFor([&] {
    RECT r = zor.WindowRect();
    return r.left == x && r.top == y;
  }));
}

const wchar_t kNoTargetTip[] = L"Current process: -\r\nVirtual size: 0 MB";

TEST_F(ZorTest, MovesBetweenWindowAndTrayKeepingItsPlaceAndStartsInTheTrayWhenClosedThere) {
  RECT placed;
  {
    ZorRun zor;
    ASSERT_TRUE(zor.Start());
    EXPECT_NE(WaitForTrayIcon(L"ZOR").window, nullptr) << TipsShown();
    MoveTo(zor, 100, 120);
    placed = zor.WindowRect();

    // "Show ZOR in the SystemTray": hidden; within a tick the icon shows the
    // empty level and a tip naming no process.
    zor.SendCommand(IDM_TO_TRAY);
    EXPECT_FALSE(IsWindowVisible(zor.Window()));
    TrayIconView icon = WaitForTrayIcon(kNoTargetTip);
    ASSERT_NE(icon.window, nullptr) << TipsShown();
    EXPECT_EQ(WaitForLevelImage(icon.window, 0), "");

    // A left click on the icon leaves the window hidden; a move meanwhile is
    // not stored.
    SendMessageW(zor.Window(), ZOR_TRAY_CALLBACK, ZOR_TRAY_ID, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(zor.Window()));
    MoveTo(zor, 300, 310);

    // The tray menu's first item, "Show ZOR on the desktop", puts the window
    // back where it was before it went to the tray.
    zor.Post(ZOR_TRAY_CALLBACK, ZOR_TRAY_ID, WM_RBUTTONUP);
    HWND menu = WaitForWindowOf(zor.Pid(), L"#32768", L"");
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(zor.Window()) != FALSE; }));
    EXPECT_TRUE(SameRect(zor.WindowRect(), placed))
        << Describe(zor.WindowRect()) << " expected " << Describe(placed);
    EXPECT_NE(WaitForTrayIcon(L"ZOR").window, nullptr) << TipsShown();

    // The same command in desktop mode sends the window to the tray; moved
    // and closed there, it keeps the place it had before.
    zor.SendCommand(IDM_TRAY_TOGGLE);
    EXPECT_FALSE(IsWindowVisible(zor.Window()));
    MoveTo(zor, 250, 260);
    DWORD code = 99;
    ASSERT_TRUE(zor.Close(&code));
    EXPECT_EQ(code, 0u);
  }
  EXPECT_EQ(ReadSettingsValue(L"SHOW ZOR IN SYSTEM TRAY").Dword(), 1u);
  EXPECT_EQ(ReadSettingsValue(L"ZOR XPOS").Dword(), static_cast<DWORD>(placed.left));
  EXPECT_EQ(ReadSettingsValue(L"ZOR YPOS").Dword(), static_cast<DWORD>(placed.top));

  // Started again, with a target given on the command line, it stays in the
  // tray: the icon shows the target's level and a tip with its name, cut to
  // fit, and its size. The scale strip is hidden meanwhile, which must not
  // hide anything else of the window that is still in the tray.
  WriteSettingsDword(L"SHOW MEM-SCALE", 0);
  const std::wstring name =
      L"ZorE2ETrayTargetWithAVeryLongName" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring targetExe = TargetProcess::CopyAs(name);
  {
    TargetProcess target;
    ASSERT_TRUE(target.Start(L"--reserve 2097152 --regions 4", targetExe));
    ZorRun again;
    ASSERT_TRUE(again.Start(name, ZorExe(), false));
    EXPECT_FALSE(IsWindowVisible(again.Window()));
    uint32_t sizeKb = 0;
    TrayIconView icon = {nullptr, L""};
    EXPECT_TRUE(WaitFor([&] {
      sizeKb = QueryProcessVirtualSize(target.Pid());
      for (const TrayIconView& i : TrayIcons())
        if (i.tip == TipFor(name, sizeKb)) icon = i;
      return icon.window != nullptr;
    })) << "expected ["
        << Utf8(TipFor(name, sizeKb)) << "], shown" << TipsShown();
    EXPECT_NE(icon.tip.find(L"...\r\n"), std::wstring::npos);
    EXPECT_GT(LevelOf(sizeKb), 0);
    if (icon.window) {
      EXPECT_EQ(WaitForLevelImage(icon.window, LevelOf(sizeKb)), "");
    }

    again.SendCommand(IDM_TRAY_TOGGLE);
    EXPECT_TRUE(IsWindowVisible(again.Window()));
    RECT shown = again.WindowRect();
    EXPECT_EQ(shown.left, placed.left);
    EXPECT_EQ(shown.top, placed.top);
    EXPECT_LT(shown.right - shown.left, placed.right - placed.left);  // no strip
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(again.Window(), IDC_SCALE_STRIP)));
    for (int id : {IDC_GAUGE, IDC_OS_LINE, IDC_MAX_MEMORY, IDC_INFO_PANEL, IDC_STATUS})
      EXPECT_TRUE(IsWindowVisible(GetDlgItem(again.Window(), id))) << id;
    target.Exit();
  }
  RemoveCopy(targetExe);
}

}  // namespace
