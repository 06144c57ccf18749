// zormap.exe under Wine, driven as a user would: its title, its figures
// against zorlog.exe's row for the same target, and its cells' colours read
// back from the screen as the target reserves and loads. Wine reserves most
// of every process's space, so the tests look at what changes.
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/zor_driver.h"
#include "log/log_row.h"
#include "map/map_layout.h"
#include "map/map_strip_win32.h"
#include "res/resource.h"
#include "space/address_map.h"
#include "support/target_process_win32.h"

namespace {

using namespace e2e;

// Generous, for the emulated machine: each returns as soon as it holds.
bool Eventually(const std::function<bool()>& condition) { return WaitFor(condition, 20000); }

// A value of zormap's key, as an earlier session would have left it.
bool SetMapValue(const wchar_t* name, DWORD value) {
  HKEY key;
  if (RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware\\Zorvane\\Map", &key))
    return false;
  const bool set = !RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4);
  RegCloseKey(key);
  return set;
}

class MapRun {
 public:
  bool Start(const std::wstring& args) {
    return run_.Launch(args, BinDir() + L"zormap.exe") && Attach();
  }
  // Waits for the window of the zormap run_ started.
  bool Attach() {
    return Eventually([&] {
      std::vector<HWND> w = WindowsOf(run_.Pid(), L"ZorMapWindow");
      window_ = w.empty() ? nullptr : w[0];
      return window_ != nullptr;
    });
  }
  // A copy of the target named for this run, started and then followed.
  bool FollowCopy(const wchar_t* stem, TargetProcess* target) {
    name_ = stem + std::to_wstring(GetCurrentProcessId()) + L".exe";
    copy_ = TargetProcess::CopyAs(name_);
    return target->Start(L"", copy_) && Start(name_);
  }
  const std::wstring& Name() const { return name_; }
  void RemoveTargetCopy() const { RemoveCopy(copy_); }
  std::wstring Title() const { return WindowText(window_); }
  HWND Window() const { return window_; }
  std::wstring Text(int id) const { return WindowText(GetDlgItem(window_, id)); }
  // The mouse over the cell that holds the address.
  void PointAt(unsigned long long address) const {
    HWND grid = GetDlgItem(window_, IDC_MAP_GRID);
    int r[4];
    Layout().CellRect(static_cast<uint32_t>(address >> 20), r);
    PostMessageW(grid, WM_MOUSEMOVE, 0, MAKELPARAM((r[0] + r[2]) / 2, (r[1] + r[3]) / 2));
  }
  // The number after a label in the figures, or -1.
  long long Figure(const wchar_t* label) const {
    std::wstring text = Text(IDC_MAP_FIGURES);
    size_t at = text.find(label);
    return at == std::wstring::npos ? -1 : wcstoll(text.c_str() + at + wcslen(label), nullptr, 10);
  }
  MapLayout Layout() const {
    HWND grid = GetDlgItem(window_, IDC_MAP_GRID);
    RECT client = ClientRectOf(grid);
    return LayoutMap(client.right, client.bottom, 4096,
                     static_cast<int>(GetWindowLongPtrW(grid, GWLP_USERDATA)));
  }
  // The colour of the cell that holds the address, as the screen shows it.
  COLORREF Cell(unsigned long long address) const {
    int r[4];
    Layout().CellRect(static_cast<uint32_t>(address >> 20), r);
    return Pixels(GetDlgItem(window_, IDC_MAP_GRID))
        .At((r[0] + r[2] - 1) / 2, (r[1] + r[3] - 1) / 2);
  }
  bool CellTurns(unsigned long long address, MapKind kind) const {
    return Eventually([&] { return Cell(address) == kMapColors[kind]; });
  }
  ZorRun run_;

 private:
  HWND window_ = nullptr;
  std::wstring name_, copy_;
};

std::wstring WriteTemp(const wchar_t* name, const std::string& text) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = temp + std::wstring(name);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
  CloseHandle(file);
  return path;
}

unsigned long long Address(const std::string& answer) {
  size_t at = answer.find(' ');
  return at == std::string::npos ? 0 : std::stoull(answer.substr(at + 1), nullptr, 16);
}

TEST(ZorMap, DrawsWhatTheTargetReservesAndLoadsShowsZorlogsFiguresAndFollowsARestart) {
  const std::wstring name = L"ZorMapTarget" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring exe = TargetProcess::CopyAs(name);
  const std::wstring dll = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"bigsection.dll";
  ASSERT_TRUE(CopyFileW((BinDir() + L"bigsection.dll").c_str(), dll.c_str(), FALSE));
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"", exe));
  MapRun map;
  ASSERT_TRUE(map.Start(name));
  const std::wstring title = L"zormap - " + name + L" (PID " + std::to_wstring(target.Pid()) + L")";
  ASSERT_TRUE(Eventually([&] { return map.Title() == title && map.Figure(L"Regions: ") > 0; }))
      << Utf8(map.Title());

  // 256 MB where the map shows usable free space turns private reserved; the
  // panel lists it under the mouse, and it is among the largest allocations.
  const unsigned long long free = Address(target.Command("find 262144"));
  ASSERT_NE(free, 0u);
  EXPECT_TRUE(map.CellTurns(free, kMapUsableFree));
  EXPECT_TRUE(map.CellTurns(free + (255 << 20), kMapUsableFree));
  ASSERT_EQ(Address(target.Command("place 262144")), free);
  EXPECT_TRUE(map.CellTurns(free, kMapPrivateReserved));
  EXPECT_TRUE(map.CellTurns(free + (255 << 20), kMapPrivateReserved));
  wchar_t hex[16];
  wsprintfW(hex, L"0x%08X", static_cast<unsigned>(free));
  map.PointAt(free);
  EXPECT_TRUE(Eventually([&] {
    const std::wstring panel = map.Text(IDC_MAP_CELL);  // the MB, then its regions
    return panel.compare(0, 13, std::wstring(hex) + L" to") == 0 &&
           panel.find(std::wstring(hex) + L"  262144 KB  reserve  private") != std::wstring::npos;
  })) << Utf8(map.Text(IDC_MAP_CELL));
  EXPECT_NE(map.Text(IDC_MAP_TOP).find(L"256 MB, 0 MB committed, private at " + std::wstring(hex)),
            std::wstring::npos)
      << Utf8(map.Text(IDC_MAP_TOP));
  // A DLL's 4 MB section shows as image.
  const unsigned long long base = Address(target.Command("load"));
  ASSERT_NE(base, 0u);
  EXPECT_TRUE(map.CellTurns(base + (2 << 20), kMapImage));

  // The figures are zorlog.exe's for the same target.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring out = std::wstring(temp) + L"zormap-e2e-row.csv";
  DeleteFileW(out.c_str());
  ZorRun log;
  ASSERT_TRUE(log.Launch(L"-n 1 -o \"" + out + L"\" " + std::to_wstring(target.Pid()),
                         BinDir() + L"zorlog.exe"));
  DWORD code = 1;
  ASSERT_TRUE(log.WaitForExit(&code, 15000));
  std::string row;
  HANDLE file = CreateFileW(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  char text[2048] = "";
  DWORD n = 0;
  ReadFile(file, text, sizeof text - 1, &n, nullptr);
  CloseHandle(file);
  DeleteFileW(out.c_str());
  row = std::string(text, n);
  row = row.substr(row.find('\n') + 1);  // past the header
  unsigned long long v[20] = {};
  ASSERT_EQ(
      sscanf(row.c_str(), "%*[^,],%llu,%llu,%llu,%llu,%llu,%llu,%llu,%llu,%llu,%llu,%llu,%llu,%llu",
             &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12],
             &v[13]),
      13)
      << row;
  EXPECT_TRUE(Eventually([&] {
    return map.Figure(L"Virtual size: ") == static_cast<long long>(v[2]) &&
           map.Figure(L" MB of ") == static_cast<long long>(v[10]) &&
           map.Figure(L"Usable free: ") == static_cast<long long>(v[11]) &&
           map.Figure(L"Largest usable block: ") == static_cast<long long>(v[12]) &&
           map.Figure(L"below 2 GB: ") == static_cast<long long>(v[13]) &&
           map.Figure(L"Regions: ") == static_cast<long long>(v[7]);
  })) << row;

  // Followed by name through an exit and a restart.
  target.Exit();
  EXPECT_TRUE(
      Eventually([&] { return map.Title().compare(0, 21, L"zormap - waiting for ") == 0; }));
  TargetProcess again;
  ASSERT_TRUE(again.Start(L"", exe));
  EXPECT_TRUE(Eventually([&] {
    return map.Title() == L"zormap - " + name + L" (PID " + std::to_wstring(again.Pid()) + L")";
  }));
  again.Exit();
  DeleteFileW(dll.c_str());
  RemoveCopy(exe);
}

// Each legend box where the layout puts it: beside the figures.
bool LegendInPlace(HWND window) {
  RECT f = WindowRectOf(GetDlgItem(window, IDC_MAP_FIGURES));
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&f), 2);
  const int line = (f.bottom - f.top) / kMapFigureLines, middle = (line - 4) / 2;
  const Pixels pixels(window);
  for (int k = 0; k < kMapKinds; ++k)
    if (pixels.At(f.right + kMapMargin + middle, f.top + k * line + 2 + middle) != kMapColors[k])
      return false;
  return true;
}

TEST(ZorMap, WarnsOnceTheLargestUsableBlockFallsBelowTheThresholdAndNoMoreOnceItExits) {
  // Only the block may warn: a full space is just under 100 %.
  ASSERT_TRUE(SetMapValue(L"WarnAtPercent", 100));
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapWarned", &target));
  ASSERT_TRUE(Eventually([&] {
    return map.Figure(L"Largest usable block: ") >= 128 &&
           map.Title().compare(0, 9, L"zormap - ") == 0;
  })) << Utf8(map.Title() + L"\n" + map.Text(IDC_MAP_FIGURES));

  // Wider by 100 pixels: the legend follows the right edge, drawn whole.
  EXPECT_TRUE(Eventually([&] { return LegendInPlace(map.Window()); }));
  const RECT before = WindowRectOf(map.Window());
  SetWindowPos(map.Window(), nullptr, 0, 0, before.right - before.left + 100,
               before.bottom - before.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(Eventually([&] {
    return WindowRectOf(map.Window()).right == before.right + 100 && LegendInPlace(map.Window());
  }));

  const std::string kb = std::to_string(std::stoull(target.Command("fill").substr(7)) / 1024);
  ASSERT_EQ(target.Command("reserve " + kb), "ok reserved=" + kb + " committed=0");
  EXPECT_TRUE(Eventually([&] {
    return map.Title().compare(0, 11, L"! zormap - ") == 0 &&
           map.Figure(L"Largest usable block: ") < 128;
  })) << Utf8(map.Title());
  // Its last reading stays; the title says when it went, and warns no more.
  const std::wstring gone = L"zormap - waiting for " + map.Name() + L" (PID " +
                            std::to_wstring(target.Pid()) + L" exited ";
  target.Exit(0xC0000017);
  const std::wstring how = L" with 0xC0000017 (not enough memory))";
  EXPECT_TRUE(Eventually([&] {
    const std::wstring t = map.Title();
    return t.size() == gone.size() + 8 + how.size() && t.compare(0, gone.size(), gone) == 0 &&
           t[gone.size() + 2] == ':' && t.compare(gone.size() + 8, how.size(), how) == 0;
  })) << Utf8(map.Title());
  EXPECT_LT(map.Figure(L"Largest usable block: "), 128);
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware\\Zorvane\\Map");
  map.RemoveTargetCopy();
}

TEST(ZorMap, BadInputSaysSoAndExitsWithTwoOrOne) {
  for (const wchar_t* args : {L"-x", L"4294967295"}) {
    MapRun map;
    ASSERT_TRUE(map.run_.Launch(args, BinDir() + L"zormap.exe"));
    HWND box = nullptr;
    ASSERT_TRUE(Eventually([&] {
      std::vector<HWND> w = WindowsOf(map.run_.Pid(), L"#32770");
      box = w.empty() ? nullptr : w[0];
      return box != nullptr;
    }));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    DWORD code = 0;
    ASSERT_TRUE(map.run_.WaitForExit(&code, 10000));
    EXPECT_EQ(code, args[0] == '-' ? 2u : 1u) << Utf8(args);
  }
}

TEST(ZorMap, SavesOneReadingAsCsvFromTheCommandLineAndNeverOverwrites) {
  const std::wstring name = L"ZorMapSaved" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring exe = TargetProcess::CopyAs(name);
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"", exe));
  const unsigned long long pool = Address(target.Command("place 65536"));
  ASSERT_NE(pool, 0u);
  const std::string started = target.Command("threads 20 4096");  // "threads TID..."
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring csv = std::wstring(temp) + L"zormap-e2e-save.csv";
  DeleteFileW(csv.c_str());
  auto save = [&] {
    ZorRun run;
    DWORD code = 99;
    return run.Launch(L"--save \"" + csv + L"\" " + name, BinDir() + L"zormap.exe") &&
                   run.WaitForExit(&code, 20000)
               ? code
               : 99;
  };
  // Under Wine the name's lookup may miss a target whose new threads are
  // still starting; a failed save leaves no file, so it is asked again.
  ASSERT_TRUE(Eventually([&] { return save() == 0; }));
  std::string text;
  HANDLE file = CreateFileW(csv.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[65536];
  for (DWORD n; ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n;) text.append(buffer, n);
  CloseHandle(file);
  ASSERT_EQ(text.compare(0, 55, "base,size,state,type,protect,allocation_base,name,use\r\n"), 0);
  unsigned long long taken = 0;
  for (size_t at = text.find('\n'); at + 1 < text.size(); at = text.find('\n', at + 1)) {
    char state[16] = "";
    unsigned long long size = 0;
    sscanf(text.c_str() + at + 1, "%*[^,],%llu,%15[a-z]", &size, state);
    if (!strcmp(state, "commit") || !strcmp(state, "reserve")) taken += size;
  }
  char pooled[64];
  sprintf(pooled, "\n0x%08llX,67108864,reserve,private,0x0,0x%08llX,\"\",\r\n", pool, pool);
  EXPECT_NE(text.find(pooled), std::string::npos) << pooled;
  // The started threads' stacks are marked so, each named by its thread.
  unsigned long long stacks = 0, stack = 0;
  unsigned long tid = 0;
  for (size_t at = text.find(",stack\r\n"); at != std::string::npos;
       at = text.find(",stack\r\n", at + 1)) {
    unsigned long long base = 0, size = 0;
    unsigned long thread = 0;
    sscanf(text.c_str() + text.rfind('\n', at) + 1,
           "0x%llx,%llu,%*[^,],%*[^,],%*[^,],%*[^,],\"thread %lu", &base, &size, &thread);
    if (started.find(" " + std::to_string(thread)) == std::string::npos) continue;
    stacks += size;
    if (size >= (2 << 20)) stack = base, tid = thread;
  }
  EXPECT_NEAR(static_cast<double>(stacks >> 20), 80, 4) << started;

  // The sum is the virtual size zorlog.exe gives (the last page aside).
  ZorRun log;
  const std::wstring row = std::wstring(temp) + L"zormap-e2e-save-row.csv";
  DeleteFileW(row.c_str());
  DWORD code = 1;
  ASSERT_TRUE(log.Launch(L"-n 1 -o \"" + row + L"\" " + std::to_wstring(target.Pid()),
                         BinDir() + L"zorlog.exe") &&
              log.WaitForExit(&code, 15000));
  file = CreateFileW(row.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD n = 0;
  ReadFile(file, buffer, sizeof buffer - 1, &n, nullptr);
  CloseHandle(file);
  DeleteFileW(row.c_str());
  buffer[n] = 0;
  unsigned long long virtualMb = 0;
  ASSERT_EQ(sscanf(strchr(buffer, '\n') + 1, "%*[^,],%*u,%llu", &virtualMb), 1) << buffer;
  EXPECT_NEAR(static_cast<double>(taken >> 20), static_cast<double>(virtualMb), 1);

  // Opened on any machine: the reservation at its address in the panel.
  {
    MapRun opened;
    ASSERT_TRUE(opened.Start(L"--open \"" + csv + L"\""));
    EXPECT_TRUE(Eventually([&] {
      return opened.Title() == L"zormap - saved reading zormap-e2e-save.csv";
    })) << Utf8(opened.Title());
    wchar_t hex[16];
    wsprintfW(hex, L"0x%08X", static_cast<unsigned>(pool));
    // Pointed at again until it answers: the window may still be laid out anew.
    EXPECT_TRUE(Eventually([&] {
      opened.PointAt(pool);
      return opened.Text(IDC_MAP_CELL).find(std::wstring(hex) + L"  65536 KB  reserve  private") !=
             std::wstring::npos;
    })) << Utf8(opened.Text(IDC_MAP_CELL));
  }
  // A second save to the same file is refused and leaves it as it was.
  EXPECT_EQ(save(), 1u);
  std::string again;
  file = CreateFileW(csv.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  for (DWORD m; ReadFile(file, buffer, sizeof buffer, &m, nullptr) && m;) again.append(buffer, m);
  CloseHandle(file);
  EXPECT_EQ(again, text);
  DeleteFileW(csv.c_str());

  // In the window, such a stack takes the stacks' colour and names its thread.
  ASSERT_NE(stack, 0u) << started;
  MapRun map;
  ASSERT_TRUE(map.Start(std::to_wstring(target.Pid())));
  EXPECT_TRUE(map.CellTurns(stack + (1 << 20), kMapStack));
  map.PointAt(stack + (1 << 20));
  EXPECT_TRUE(Eventually([&] {
    return map.Text(IDC_MAP_CELL).find(L"stack of thread " + std::to_wstring(tid)) !=
           std::wstring::npos;
  })) << Utf8(map.Text(IDC_MAP_CELL));
  target.Exit();
  RemoveCopy(exe);
}

// A scheduled task's or Explorer's start: no console and no standard handles
// anywhere up the line. This test program plays the parent: it starts itself
// so, and that copy runs zormap (a started program alone would still reach
// this one's console).
TEST(ZorMap, WithoutAnyConsoleASaveShowsNothingAndARefusedFileSaysWhyInABox) {
  const wchar_t kMiddle[] = L"ZORMAP_E2E_NO_CONSOLE";
  if (GetEnvironmentVariableW(kMiddle, nullptr, 0)) {
    ZorRun run;
    ASSERT_TRUE(
        run.Launch(L"--save zormap-e2e-never.csv ZorMapNeverRuns.exe", BinDir() + L"zormap.exe"));
    DWORD code = 99;
    bool shown = false;
    // A box would wait for nobody: the exit never comes.
    const bool exited = WaitFor(
        [&] {
          for (const wchar_t* kind : {L"#32770", L"ZorMapWindow"})
            shown = shown || !WindowsOf(run.Pid(), kind).empty();
          return run.WaitForExit(&code, 0);
        },
        60000);
    EXPECT_TRUE(exited);
    EXPECT_FALSE(shown);
    EXPECT_EQ(code, 1u);
    // A file refused with nobody's console to say it on: a person started
    // it, so a box says why, and the exit follows its closing.
    const std::wstring broken =
        WriteTemp(L"zormap-e2e-refused.csv", kLogHeader + std::string("2026-01-02T03:04:05,x\r\n"));
    ZorRun opened;
    ASSERT_TRUE(opened.Launch(L"\"" + broken + L"\"", BinDir() + L"zormap.exe"));
    HWND box = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
          std::vector<HWND> w = WindowsOf(opened.Pid(), L"#32770");
          box = w.empty() ? nullptr : w[0];
          return box && WindowText(GetDlgItem(box, 0xFFFF)).find(L"line 2") != std::wstring::npos;
        },
        60000));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(opened.WaitForExit(&code, 60000));
    EXPECT_EQ(code, 1u);
    DeleteFileW(broken.c_str());
    return;
  }
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd =
      std::wstring(L"\"") + self +
      L"\" --gtest_filter=ZorMap.WithoutAnyConsoleASaveShowsNothingAndARefusedFileSaysWhyInABox";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  SetEnvironmentVariableW(kMiddle, L"1");
  const BOOL started = CreateProcessW(self, &cmd[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                                      nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableW(kMiddle, nullptr);
  ASSERT_TRUE(started);
  CloseHandle(pi.hThread);
  DWORD code = 99;
  if (WaitForSingleObject(pi.hProcess, 90000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 98);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << "the copy without a console failed (1) or did not end (98)";
}

}  // namespace

namespace {

// The row of the virtual size's topmost pixel in each column of the strip's
// plot (-1 where it shows none).
std::vector<int> VirtualRows(HWND strip) {
  const Pixels pixels(strip);
  std::vector<int> rows(pixels.Width(), -1);
  // Down to the axis' grey line, the first row mostly grey: the key under it
  // is in the same colours, and a line may cross any one column's axis pixel.
  int plot = 0;
  for (; plot < pixels.Height(); ++plot) {
    int grey = 0;
    for (int x = 0; x < pixels.Width(); ++x)
      grey += pixels.At(x, plot) == GetSysColor(COLOR_GRAYTEXT);
    if (grey > pixels.Width() / 2) break;
  }
  for (int x = 0; x < pixels.Width(); ++x)
    for (int y = 0; y < plot && rows[x] < 0; ++y)
      if (pixels.At(x, y) == kStripColors[kSeriesVirtual]) rows[x] = y;
  return rows;
}

int Drawn(const std::vector<int>& rows) {
  return static_cast<int>(rows.size() - std::count(rows.begin(), rows.end(), -1));
}

DWORD OpenExitCode(const std::wstring& args) {
  MapRun map;
  DWORD code = 99;
  if (!map.run_.Launch(args, BinDir() + L"zormap.exe") || !map.run_.WaitForExit(&code, 20000))
    return 99;
  return WindowsOf(map.run_.Pid(), L"ZorMapWindow").empty() ? code : 98;
}

}  // namespace

TEST(ZorMap, TheStripRisesWithAGrowingTargetAndAZorlogFileOpensIntoItOrIsRefusedByItsLine) {
  const std::wstring name = L"ZorMapGrows" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring exe = TargetProcess::CopyAs(name);
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"", exe));
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring log = std::wstring(temp) + L"zormap-e2e-grows.csv";
  DeleteFileW(log.c_str());
  ZorRun logger;  // zorlog beside it, for the file opened below
  ASSERT_TRUE(logger.Launch(L"-n 24 -o \"" + log + L"\" " + std::to_wstring(target.Pid()),
                            BinDir() + L"zorlog.exe"));
  MapRun map;
  ASSERT_TRUE(map.Start(name));
  ASSERT_TRUE(Eventually([&] { return map.Figure(L"Virtual size: ") > 0; }));
  for (int i = 0; i < 20; ++i) {  // each reading 16 MB above the last
    const long long before = map.Figure(L"Virtual size: ");
    target.Command("reserve 16384");
    ASSERT_TRUE(Eventually([&] { return map.Figure(L"Virtual size: ") > before; })) << i;
  }
  HWND strip = GetDlgItem(map.Window(), IDC_MAP_STRIP);
  std::vector<int> rows;
  ASSERT_TRUE(Eventually([&] {
    rows = VirtualRows(strip);
    return Drawn(rows) >= 20;
  })) << Drawn(rows);
  const int first = static_cast<int>(
      std::find_if(rows.begin(), rows.end(), [](int y) { return y >= 0; }) - rows.begin());
  const int last = static_cast<int>(rows.rend() - std::find_if(rows.rbegin(), rows.rend(),
                                                               [](int y) { return y >= 0; })) -
                   1;
  EXPECT_LT(rows[last], rows[first]) << first << " " << last;
  // The point under the mouse: its time and figures, in the panel (the first
  // reading's column stays where it is as the time scale steps).
  PostMessageW(strip, WM_MOUSEMOVE, 0, MAKELPARAM(first, 1));
  EXPECT_TRUE(Eventually([&] {
    const std::wstring panel = map.Text(IDC_MAP_CELL);
    return panel.find(L"reading") != std::wstring::npos &&
           panel.find(L": virtual size ") != std::wstring::npos;
  })) << Utf8(map.Text(IDC_MAP_CELL));
  DWORD code = 99;
  ASSERT_TRUE(logger.WaitForExit(&code, 60000));
  target.Exit();

  // The log zorlog wrote, opened as Explorer's Open with does (the file
  // alone): its rows in the strip, the file in the title.
  MapRun opened;
  ASSERT_TRUE(opened.Start(L"\"" + log + L"\""));
  EXPECT_TRUE(Eventually([&] {
    return opened.Title() == L"zormap - zormap-e2e-grows.csv (log, 24 rows)";
  })) << Utf8(opened.Title());
  EXPECT_TRUE(Eventually([&] {
    const std::vector<int> shown = VirtualRows(GetDlgItem(opened.Window(), IDC_MAP_STRIP));
    return Drawn(shown) >= 20;
  }));
  EXPECT_GT(opened.Figure(L"Virtual size: "), 0);

  // A row that does not parse: refused by its line, exit code 1, no window.
  std::string text;
  HANDLE file =
      CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD n = 0;
  ReadFile(file, buffer, sizeof buffer, &n, nullptr);
  CloseHandle(file);
  text.assign(buffer, n);
  const std::wstring broken = std::wstring(temp) + L"zormap-e2e-broken.csv";
  file = CreateFileW(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const std::string lines = text.substr(0, text.find('\n') + 1) + "2026-01-02 03:04:05,x\r\n";
  WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &n, nullptr);
  CloseHandle(file);
  EXPECT_EQ(OpenExitCode(L"--open \"" + broken + L"\""), 1u);
  DeleteFileW(broken.c_str());

  // A log climbing 100 MB a minute to 3,800 of 4,095 MB: its trend in
  // minutes, its ceiling's figure.
  std::string climb = kLogHeader;
  for (int i = 0; i <= 30; ++i) {
    char row[200];
    snprintf(row, sizeof row,
             "2026-03-29T01:%02d:%02d,7,%d,0,0,0,0,9,0,4095,4095,0,0,0,0,0,0,0,0,0,,,,60,32,,\r\n",
             i / 10, i % 10 * 6, 3500 + i * 10);
    climb += row;
  }
  const std::wstring climbing = WriteTemp(L"zormap-e2e-climbing.csv", climb);
  MapRun climbs;
  ASSERT_TRUE(climbs.Start(L"\"" + climbing + L"\""));
  EXPECT_TRUE(Eventually([&] {
    const std::wstring figures = climbs.Text(IDC_MAP_FIGURES);
    return figures.find(L"Trend: about 3 min to the ceiling") != std::wstring::npos &&
           figures.find(L"Ceiling: 4095 MB") != std::wstring::npos;
  })) << Utf8(climbs.Text(IDC_MAP_FIGURES));
  DeleteFileW(climbing.c_str());
  DeleteFileW(log.c_str());
  RemoveCopy(exe);
}

// A log of two processes side by side: --pid shows one without asking, its
// own last row as the figures, and refuses a PID the log lacks; without it
// a list asks which (Cancel: nothing opens), and the one picked is shown.
TEST(ZorMap, ALogOfProcessesSideBySideShowsThePidGivenOrPicked) {
  std::string text = kLogHeader;
  for (int i = 0; i < 6; ++i)
    for (int pid : {4242, 4343}) {
      char row[200];
      snprintf(row, sizeof row,
               "2026-03-29T01:%02d:00,%d,%d,0,0,0,0,9,0,4095,4095,0,0,0,0,0,0,0,0,0,,,,60,32,1,"
               "\"CORP\\nadia\"\r\n",
               i, pid, pid / 6 + i);
      text += row;
    }
  const std::wstring log = WriteTemp(L"zormap-e2e-side.csv", text);
  MapRun given;
  ASSERT_TRUE(given.Start(L"--open \"" + log + L"\" --pid 4242"));
  EXPECT_TRUE(Eventually([&] {
    return given.Title() == L"zormap - zormap-e2e-side.csv (log, PID 4242, 6 rows)" &&
           given.Figure(L"Virtual size: ") == 4242 / 6 + 5;
  })) << Utf8(given.Title() + L"\n" + given.Text(IDC_MAP_FIGURES));
  EXPECT_EQ(OpenExitCode(L"--open \"" + log + L"\" --pid 77"), 1u);
  for (const int answer : {IDCANCEL, IDOK}) {
    MapRun picked;
    ASSERT_TRUE(picked.run_.Launch(L"--open \"" + log + L"\"", BinDir() + L"zormap.exe"));
    HWND list = nullptr;
    ASSERT_TRUE(Eventually([&] {
      std::vector<HWND> w = WindowsOf(picked.run_.Pid(), L"#32770");
      list = w.empty() ? nullptr : GetDlgItem(w[0], IDC_MAP_INSTANCES);
      return list && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2;
    }));
    PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);  // the second row, 4343
    ASSERT_TRUE(Eventually(
        [&] { return SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) == 1; }));
    PostMessageW(GetParent(list), WM_COMMAND, answer, 0);
    DWORD code = 99;
    if (answer == IDCANCEL) {
      EXPECT_TRUE(picked.run_.WaitForExit(&code, 20000) && code == 1) << code;
      continue;
    }
    ASSERT_TRUE(picked.Attach());
    EXPECT_TRUE(Eventually([&] {
      return picked.Title() == L"zormap - zormap-e2e-side.csv (log, PID 4343, 6 rows)" &&
             picked.Figure(L"Virtual size: ") == 4343 / 6 + 5;
    })) << Utf8(picked.Title() + L"\n" + picked.Text(IDC_MAP_FIGURES));
  }
  DeleteFileW(log.c_str());
}

// Run alone, in a prefix of its own at 144 DPI on a large virtual desktop
// (tests/CMakeLists.txt): every part within the window, no text cut. Each
// static is measured in the window's font, as the static itself lays it out.
TEST(ZorMap, At144DpiEveryPartLiesInsideTheWindowAndNoTextIsCut) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, 144) << "the prefix is not at 144 DPI";
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapDpi", &target));
  ASSERT_TRUE(
      Eventually([&] { return map.Figure(L"Regions: ") > 0 && !map.Text(IDC_MAP_TOP).empty(); }));
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  const RECT client = ClientRectOf(map.Window());
  int seen = 0;
  for (HWND child = GetWindow(map.Window(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    ++seen;
    const int id = GetDlgCtrlID(child);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, map.Window(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
        << id << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom << " in "
        << client.right << "x" << client.bottom;
    wchar_t className[16];
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Static")) continue;
    const std::wstring text = WindowText(child);
    HDC dc = GetDC(child);
    HGDIOBJ old = SelectObject(dc, font);
    RECT need = {0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(child, dc);
    const RECT has = ClientRectOf(child);
    EXPECT_TRUE(need.right <= has.right && need.bottom <= has.bottom)
        << id << " needs " << need.right << "x" << need.bottom << ", has " << has.right << "x"
        << has.bottom << ": " << Utf8(text);
  }
  DeleteObject(font);
  EXPECT_GE(seen, 5);  // the figures, map, strip and both panels
  target.Exit();
  map.RemoveTargetCopy();
}

// Two reservations 56 KB apart in the middle of the largest free block (a
// sliver too small to hold anything): one run over both, whose removal gives
// the whole block back.
TEST(ZorMap, ARunSpansTheSliverBetweenTwoReservationsAndGivesTheWholeBlockBack) {
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapSplit", &target));
  ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") > 0; }));
  std::istringstream answer(target.Command("split").substr(6));
  unsigned long long block = 0, size = 0, first = 0;
  answer >> std::hex >> block >> size >> first;
  ASSERT_NE(first, 0u) << block;
  wchar_t run[80];
  wsprintfW(run, L"0x%08X-0x%08X, 5 MB: 2 private allocations\r\n  without it: ",
            static_cast<unsigned>(first), static_cast<unsigned>(first + 0x50FFFF));
  size_t at = std::wstring::npos;
  ASSERT_TRUE(Eventually([&] {
    return (at = map.Text(IDC_MAP_TOP).find(run)) != std::wstring::npos;
  })) << Utf8(map.Text(IDC_MAP_TOP));
  EXPECT_NEAR(wcstod(map.Text(IDC_MAP_TOP).c_str() + at + wcslen(run), nullptr), size >> 20, 2);
  target.Exit();
  map.RemoveTargetCopy();
}

// At the least size the strip's room comes from a taller window: every row
// of the map stays within the grid, the grid within the window.
TEST(ZorMap, TheStripTurnedOnAtTheLeastSizeGrowsTheWindowAndKeepsEveryRow) {
  ASSERT_TRUE(SetMapValue(L"ShowHistory", 0));
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapLeast", &target));
  HWND strip = GetDlgItem(map.Window(), IDC_MAP_STRIP),
       grid = GetDlgItem(map.Window(), IDC_MAP_GRID);
  ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") > 0 && !IsWindowVisible(strip); }));
  SetWindowPos(map.Window(), nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PostMessageW(map.Window(), WM_COMMAND, IDM_MAP_HISTORY, 0);
  EXPECT_TRUE(Eventually([&] {
    RECT r;
    GetWindowRect(grid, &r);
    MapWindowPoints(nullptr, map.Window(), reinterpret_cast<POINT*>(&r), 2);
    return IsWindowVisible(strip) &&
           map.Layout().rows * map.Layout().cellHeight <= ClientRectOf(grid).bottom &&
           r.bottom <= ClientRectOf(map.Window()).bottom;
  })) << map.Layout().cellHeight
      << " px a row in " << ClientRectOf(grid).bottom;
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware\\Zorvane\\Map");
  target.Exit();
  map.RemoveTargetCopy();
}

// The strip's point stays in the cell panel through new readings, never the
// regions of a cell pointed at before.
TEST(ZorMap, TheCellPanelSpeaksOfWhatTheMouseLastPointedAt) {
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapPoint", &target));
  ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") > 0; }));
  map.PointAt(0x10000000);
  ASSERT_TRUE(Eventually([&] { return map.Text(IDC_MAP_CELL).find(L"0x10000000 t") == 0; }));
  PostMessageW(GetDlgItem(map.Window(), IDC_MAP_STRIP), WM_MOUSEMOVE, 0, MAKELPARAM(0, 1));
  ASSERT_TRUE(
      Eventually([&] { return map.Text(IDC_MAP_CELL).find(L"reading") != std::wstring::npos; }));
  for (int reading = 0; reading < 2; ++reading) {  // two more readings, each seen
    const long long regions = map.Figure(L"Regions: ");
    target.Command("reserve 1024");
    ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") != regions; }));
  }
  EXPECT_NE(map.Text(IDC_MAP_CELL).find(L"reading"), std::wstring::npos)
      << Utf8(map.Text(IDC_MAP_CELL));
  target.Exit();
  map.RemoveTargetCopy();
}
