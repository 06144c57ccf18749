// The real ZOR.exe under Wine, driven from this process as a user would:
// what its window shows, how it reacts to commands and keys, where it sits,
// what it stores, and the gauge and scale it draws while a test target grows
// and exits. Every test starts with no settings key and no ZOR.exe running.
#include <gtest/gtest.h>
#include <math.h>
#include <windows.h>

#include <memory>
#include <string>

#include "e2e/zor_driver.h"
#include "meter/draw.h"
#include "meter/exact_double.h"
#include "meter/gauge.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "support/target_process_win32.h"

namespace {

using namespace e2e;

const wchar_t kIdleInfo[] = L"Process Name:\n-\nProcess ID:\n-\nVirtual Size:\n0 MB";

std::wstring InfoPanel(const std::wstring& name, const std::wstring& pid, const std::wstring& mb) {
  return L"Process Name:\n" + name + L"\nProcess ID:\n" + pid + L"\nVirtual Size:\n" + mb + L" MB";
}

RECT WorkArea() {
  RECT r = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

int Width(const RECT& r) { return r.right - r.left; }

// The top right-hand corner of the work area's coordinates, as the screen
// sees it.
void ExpectAtDefaultPosition(const RECT& window) {
  RECT work = WorkArea();
  EXPECT_EQ(window.right, work.left + GetSystemMetrics(SM_CXSCREEN)) << Describe(window);
  EXPECT_EQ(window.top, work.top) << Describe(window);
}

uint64_t OwnLimitMb() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  return status.ullTotalVirtual >> 20;
}

// "" when the gauge shows the bottom fill rows of its ramp and its own
// background above them, else the first difference.
std::string GaugeDifference(const Pixels& gauge, int64_t fill) {
  int h = gauge.Height();
  int64_t split = GaugeSplitRow(0.7, h);
  COLORREF background = GetSysColor(COLOR_BTNFACE);
  for (int y = 0; y < h; ++y) {
    COLORREF want = background;
    if (y >= h - fill)
      want = y < split
                 ? RampRowColor(kGaugeTopColor, kGaugeThresholdColor, split, y)
                 : RampRowColor(kGaugeThresholdColor, kGaugeBottomColor, h - split, y - split);
    for (int x = 0; x < gauge.Width(); ++x) {
      if (gauge.At(x, y) != want) {
        char text[128];
        snprintf(text, sizeof text, "pixel %d,%d is %06lx, expected %06lx (fill %lld of %d)", x, y,
                 gauge.At(x, y), want, static_cast<long long>(fill), h);
        return text;
      }
    }
  }
  return "";
}

// Six etched marks at y = 5 + k * spacing from x = 27 to width - 4, a white
// row under each, and label text left of each mark.
std::string ScaleDifference(const Pixels& strip) {
  int w = strip.Width(), h = strip.Height();
  COLORREF background = GetSysColor(COLOR_BTNFACE);
  int spacing = (h - 10) / 5;
  char text[128];
  for (int k = 0; k < 6; ++k) {
    int y = 5 + k * spacing;
    for (int x = 27; x <= w - 4; ++x) {
      if (strip.At(x, y) != kEtchDark || strip.At(x, y + 1) != kEtchLight) {
        snprintf(text, sizeof text, "mark %d: pixels at %d,%d are %06lx over %06lx", k, x, y,
                 strip.At(x, y), strip.At(x, y + 1));
        return text;
      }
    }
    if (strip.At(w - 3, y) != background || strip.At(26, y) != background) {
      snprintf(text, sizeof text, "mark %d at y %d runs beyond x 27..%d", k, y, w - 4);
      return text;
    }
    bool label = false;
    for (int ly = y - 3; ly <= y + 3 && !label; ++ly)
      for (int x = 0; x < 24 && !label; ++x) label = strip.At(x, ly) != background;
    if (!label) {
      snprintf(text, sizeof text, "no label beside mark %d at y %d", k, y);
      return text;
    }
  }
  return "";
}

TEST_F(ZorTest, RefusesToRunOnTheDefaultWindowsVersion) {
  // A copy under a name of its own has no version override.
  const wchar_t kName[] = L"ZorDefaultVersion.exe";
  RegDeleteTreeW(HKEY_CURRENT_USER,
                 (std::wstring(L"Software\\Wine\\AppDefaults\\") + kName).c_str());
  const std::wstring copy = CopyZorAs(kName);
  ZorRun zor;
  ASSERT_TRUE(zor.Launch(L"", copy));

  std::vector<HWND> boxes;
  ASSERT_TRUE(WaitFor([&] {
    boxes = WindowsOf(zor.Pid(), L"#32770");
    return !boxes.empty();
  }));
  ASSERT_EQ(boxes.size(), 1u);
  HWND box = boxes[0];
  EXPECT_EQ(WindowText(box), L"Not supported OS.");
  wchar_t text[256] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 256);  // a message box's text control
  EXPECT_STREQ(text, L"ZRO is not supported on this OS.\r\nZRO will exit.");
  // Refused before anything else: no main window, nothing stored.
  EXPECT_EQ(FindWindowW(L"#32770", L"ZOR 1.2"), nullptr);
  EXPECT_FALSE(ReadSettingsValue(L"Version").present);

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD code = 99;
  ASSERT_TRUE(zor.WaitForExit(&code));
  EXPECT_EQ(code, 0u);
  RemoveCopy(copy);
}

TEST_F(ZorTest, FirstStartShowsDefaultsIgnoresEscAndEnterAndStoresItsSettings) {
  RECT closedAt;
  {
    ZorRun zor;
    ASSERT_TRUE(zor.Start());
    EXPECT_EQ(WindowText(zor.Window()), L"ZOR 1.2");
    EXPECT_EQ(zor.Text(IDC_OS_LINE), L"UNKNOWN OS");
    EXPECT_EQ(zor.Text(IDC_MAX_MEMORY), L"Max addressable memory: 4095MB\r\n3GB SWITCH ENABLED");
    EXPECT_EQ(zor.Text(IDC_INFO_PANEL), kIdleInfo);
    EXPECT_EQ(zor.Text(IDC_STATUS), L"Right click for menu.");
    ExpectAtDefaultPosition(zor.WindowRect());
    EXPECT_TRUE(zor.Topmost());

    // Every start writes the informational values; the settings come at the close.
    RegValue version = ReadSettingsValue(L"Version");
    EXPECT_EQ(version.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(version.Text(), L"Zorvane Version 1.2.");
    EXPECT_EQ(ReadSettingsValue(L"Info").Text(), L"Simple and free process viewer.");
    EXPECT_FALSE(ReadSettingsValue(L"Manufacturer").Text().empty());
    EXPECT_FALSE(ReadSettingsValue(L"Webpage").Text().empty());
    EXPECT_FALSE(ReadSettingsValue(L"ALLWAYS ON TOP").present);

    // Enter and Esc, as commands and as keys, change nothing. Posted messages
    // are handled in order, so once a "Show Mem-Scale." posted after them has
    // narrowed the window, they have been handled too.
    const RECT before = zor.WindowRect();
    zor.PostCommand(IDOK);
    zor.PostCommand(IDCANCEL);
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
      zor.Post(WM_KEYDOWN, key, 1);
      zor.Post(WM_KEYUP, key, 0xC0000001);
    }
    zor.PostCommand(IDM_SHOW_MEM_SCALE);
    ASSERT_TRUE(WaitFor([&] { return zor.WindowRect().left != before.left; }));
    EXPECT_TRUE(IsWindowVisible(zor.Window()));
    EXPECT_EQ(zor.Text(IDC_INFO_PANEL), kIdleInfo);
    EXPECT_EQ(zor.Text(IDC_STATUS), L"Right click for menu.");
    zor.SendCommand(IDM_SHOW_MEM_SCALE);
    EXPECT_TRUE(SameRect(zor.WindowRect(), before)) << Describe(zor.WindowRect());

    // Under Wine a window owned by another stays topmost when asked to be
    // not topmost (Wine keeps it just above its owner, and topmost tooltips
    // of the shell lie there), so the switch to off shows only in what is
    // stored.
    zor.SendCommand(IDM_ALWAYS_ON_TOP);

    // The first right-click opens the menu and clears the hint for good.
    zor.Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    zor.Post(WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    std::vector<HWND> menus;
    ASSERT_TRUE(WaitFor([&] {
      menus = WindowsOf(zor.Pid(), L"#32768");
      return !menus.empty();
    }));
    EXPECT_EQ(zor.Text(IDC_STATUS), L" ");
    PostMessageW(menus[0], WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return WindowsOf(zor.Pid(), L"#32768").empty(); }));
    EXPECT_EQ(zor.Text(IDC_STATUS), L" ");

    // A move is what the close stores.
    SetWindowPos(zor.Window(), nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] { return zor.WindowRect().left == 100; }));
    closedAt = zor.WindowRect();
    EXPECT_EQ(closedAt.top, 120);

    DWORD code = 99;
    ASSERT_TRUE(zor.Close(&code));
    EXPECT_EQ(code, 0u);
  }

  struct {
    const wchar_t* name;
    DWORD value;
  } const numbers[] = {
      {L"ALLWAYS ON TOP", 0},
      {L"SHOW MEM-SCALE", 1},
      {L"SHOW PROCESS INFO", 1},
      {L"SHOW ZOR IN SYSTEM TRAY", 0},
      {L"RESTORE PREVIOUS POSITION", 1},
      {L"ZOR XPOS", static_cast<DWORD>(closedAt.left)},
      {L"ZOR YPOS", static_cast<DWORD>(closedAt.top)},
      {L"AUTO CONNECT TO PREV. PROCESS", 1},
  };
  for (const auto& n : numbers) {
    RegValue v = ReadSettingsValue(n.name);
    EXPECT_TRUE(v.present) << Utf8(n.name);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << Utf8(n.name);
    EXPECT_EQ(v.data.size(), 4u) << Utf8(n.name);
    EXPECT_EQ(v.Dword(), n.value) << Utf8(n.name);
  }
  RegValue name = ReadSettingsValue(L"NAME OF PREV PROCESS");
  EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(name.Text(), L"-");

  // The next start reopens where the window was closed, with the stored
  // settings: one "Allways On Top." turns the stored off back on.
  ZorRun again;
  ASSERT_TRUE(again.Start());
  EXPECT_TRUE(SameRect(again.WindowRect(), closedAt)) << Describe(again.WindowRect());
  EXPECT_EQ(again.Text(IDC_INFO_PANEL), kIdleInfo);
  again.SendCommand(IDM_ALWAYS_ON_TOP);
  EXPECT_TRUE(again.Topmost());
  DWORD code = 99;
  ASSERT_TRUE(again.Close(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadSettingsValue(L"ALLWAYS ON TOP").Dword(), 1u);
}

TEST_F(ZorTest, PanelTogglesMoveOneEdgeEachAndDefaultsPutEverythingBack) {
  ZorRun zor;
  ASSERT_TRUE(zor.Start());
  const RECT full = zor.WindowRect();
  ExpectAtDefaultPosition(full);
  const int strip = Width(zor.ControlRect(IDC_SCALE_STRIP));
  const int spacer = Width(zor.ControlRect(IDC_SPACER));
  ASSERT_GT(strip, 0);
  ASSERT_GT(spacer, 0);
  const int kept[] = {IDC_GAUGE, IDC_OS_LINE, IDC_MAX_MEMORY, IDC_INFO_PANEL, IDC_STATUS};
  RECT screen[5];
  for (int i = 0; i < 5; ++i) screen[i] = zor.ControlRect(kept[i]);
  auto expectControlsInPlace = [&](const char* when) {
    for (int i = 0; i < 5; ++i)
      EXPECT_TRUE(SameRect(zor.ControlRect(kept[i]), screen[i]))
          << when << ": control " << kept[i] << " at " << Describe(zor.ControlRect(kept[i]));
  };

  // Hiding the strip moves the left edge in by its width; the gauge and the
  // texts stay where they are on the screen.
  zor.SendCommand(IDM_SHOW_MEM_SCALE);
  RECT r = zor.WindowRect();
  EXPECT_TRUE(SameRect(r, RECT{full.left + strip, full.top, full.right, full.bottom}))
      << Describe(r);
  EXPECT_FALSE(IsWindowVisible(zor.Control(IDC_SCALE_STRIP)));
  expectControlsInPlace("strip hidden");

  // Hiding the info column moves the right edge in by the spacer's width.
  zor.SendCommand(IDM_SHOW_PROCESS_INFO);
  r = zor.WindowRect();
  EXPECT_TRUE(SameRect(r, RECT{full.left + strip, full.top, full.right - spacer, full.bottom}))
      << Describe(r);
  expectControlsInPlace("both hidden");

  // Showing the strip again restores the left edge exactly.
  zor.SendCommand(IDM_SHOW_MEM_SCALE);
  r = zor.WindowRect();
  EXPECT_TRUE(SameRect(r, RECT{full.left, full.top, full.right - spacer, full.bottom}))
      << Describe(r);
  EXPECT_TRUE(IsWindowVisible(zor.Control(IDC_SCALE_STRIP)));
  expectControlsInPlace("info hidden");

  // With the strip hidden again, the window elsewhere and not to be on top,
  // the defaults bring back both panels, widening once, in the top right
  // corner, and put it on top again.
  zor.SendCommand(IDM_SHOW_MEM_SCALE);
  zor.SendCommand(IDM_ALWAYS_ON_TOP);
  SetWindowPos(zor.Window(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(WaitFor([&] { return zor.WindowRect().left == 50; }));
  zor.SendCommand(IDM_DEFAULT_SETTINGS);
  r = zor.WindowRect();
  EXPECT_TRUE(SameRect(r, full)) << Describe(r) << " expected " << Describe(full);
  EXPECT_TRUE(zor.Topmost());
  EXPECT_TRUE(IsWindowVisible(zor.Control(IDC_SCALE_STRIP)));
  // The texts are where they were at the start, relative to the window.
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(SameRect(zor.ControlRect(kept[i]), screen[i])) << kept[i];

  // Closed with the strip hidden, it reopens exactly where it was closed.
  zor.SendCommand(IDM_SHOW_MEM_SCALE);
  const RECT closedAt = zor.WindowRect();
  DWORD code = 99;
  ASSERT_TRUE(zor.Close(&code));
  EXPECT_EQ(ReadSettingsValue(L"SHOW MEM-SCALE").Dword(), 0u);
  EXPECT_EQ(ReadSettingsValue(L"SHOW PROCESS INFO").Dword(), 1u);
  EXPECT_EQ(ReadSettingsValue(L"ALLWAYS ON TOP").Dword(), 1u);
  ZorRun again;
  ASSERT_TRUE(again.Start());
  EXPECT_TRUE(SameRect(again.WindowRect(), closedAt))
      << Describe(again.WindowRect()) << " expected " << Describe(closedAt);
  EXPECT_FALSE(IsWindowVisible(again.Control(IDC_SCALE_STRIP)));
  ASSERT_TRUE(again.Close(&code));
}

TEST_F(ZorTest, FollowsATargetByImageNameAcrossExitsRestartsAndReset) {
  const std::wstring name = L"ZorE2ETarget" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring targetExe = TargetProcess::CopyAs(name);
  const uint64_t range = OwnLimitMb() / 10;  // the gauge counts 10 MB units
  ASSERT_EQ(range, 409u);

  ZorRun zor;
  ASSERT_TRUE(zor.Start(name));
  EXPECT_EQ(zor.Text(IDC_INFO_PANEL), InfoPanel(name, L"-", L"0"));
  Pixels emptyGauge(zor.Control(IDC_GAUGE));
  EXPECT_EQ(GaugeDifference(emptyGauge, 0), "");
  std::string scale;
  EXPECT_TRUE(WaitFor([&] {
    return (scale = ScaleDifference(Pixels(zor.Control(IDC_SCALE_STRIP)))).empty();
  })) << scale;

  // A gigabyte committed: connected within a tick or two, showing the PID and
  // the size this process measures for it.
  auto target = std::make_unique<TargetProcess>();
  ASSERT_TRUE(target->Start(L"--commit 1048576", targetExe));
  uint32_t sizeKb = 0;
  auto showsTarget = [&](const TargetProcess& t) {
    sizeKb = QueryProcessVirtualSize(t.Pid());
    return zor.Text(IDC_INFO_PANEL) ==
           InfoPanel(name, std::to_wstring(t.Pid()), std::to_wstring(sizeKb >> 10));
  };
  EXPECT_TRUE(WaitFor([&] { return showsTarget(*target); }, 3000))
      << Utf8(zor.Text(IDC_INFO_PANEL));
  EXPECT_GE(sizeKb >> 10, 1024u);

  // The gauge fills trunc(height / range * value) rows from the bottom.
  std::string gauge;
  int64_t fill = 0;
  EXPECT_TRUE(WaitFor([&] {
    Pixels p(zor.Control(IDC_GAUGE));
    uint64_t value = QueryProcessVirtualSize(target->Pid()) / 10240;
    fill = static_cast<int64_t>(
        trunc(ExactMul(ExactDiv(static_cast<double>(p.Height()), static_cast<double>(range)),
                       static_cast<double>(value))));
    return (gauge = GaugeDifference(p, fill)).empty();
  })) << gauge;
  EXPECT_GT(fill, 0);
  Pixels full(zor.Control(IDC_GAUGE));
  EXPECT_EQ(full.At(0, full.Height() - 1) & 0xFFFF00, 0x00FF00u);  // green at the bottom

  // The target exits: no PID, no size, the name kept, the gauge empty.
  target->Exit();
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanel(name, L"-", L"0")))
      << Utf8(zor.Text(IDC_INFO_PANEL));
  EXPECT_TRUE(WaitFor([&] {
    return (gauge = GaugeDifference(Pixels(zor.Control(IDC_GAUGE)), 0)).empty();
  })) << gauge;

  // A new process of that name is picked up.
  target = std::make_unique<TargetProcess>();
  ASSERT_TRUE(target->Start(L"--commit 65536", targetExe));
  EXPECT_TRUE(WaitFor([&] { return showsTarget(*target); }, 3000))
      << Utf8(zor.Text(IDC_INFO_PANEL));

  DWORD code = 99;
  ASSERT_TRUE(zor.Close(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(ReadSettingsValue(L"NAME OF PREV PROCESS").Text(), name);

  // Started again without a command line, it connects to the stored name.
  ZorRun again;
  ASSERT_TRUE(again.Start());
  EXPECT_EQ(again.Text(IDC_INFO_PANEL),
            InfoPanel(name, std::to_wstring(target->Pid()),
                      std::to_wstring(QueryProcessVirtualSize(target->Pid()) >> 10)));
  // Reset lets go at once.
  again.SendCommand(IDM_RESET);
  EXPECT_EQ(again.Text(IDC_INFO_PANEL), kIdleInfo);
  ASSERT_TRUE(again.Close(&code));
  EXPECT_EQ(ReadSettingsValue(L"NAME OF PREV PROCESS").Text(), L"-");
  target->Exit();
  RemoveCopy(targetExe);
}

}  // namespace
