// Benchmarks of what ZOR.exe costs, each set against a bare program that
// does no more than the same job needs. tools/bench.sh runs every part.
//
//   zor_bench vsize [--runs N]          one measurement at 100, 1,000, 10,000
//                                       regions vs a bare VirtualQueryEx loop
//   zor_bench row [--runs N]            one row of zorlog.exe, the same way
//   zor_bench map [--runs N] [--panels] ZORMAP.EXE
//                                       one refresh of zormap.exe's map (with
//                                       --panels its side panel's texts too),
//                                       the same way, then its paints over
//                                       30 s of a target at rest
//   zor_bench threads [--runs N]        one reading with the private bytes split
//                                       by thread, 1,000 regions and 200 threads,
//                                       at rest and with a thread started and
//                                       ended every second, vs the bare loop
//   zor_bench tick [--runs N] [--processes N]
//                                       one waiting tick vs a bare loop of the
//                                       same process-status calls
//   zor_bench startup [--runs N] EXE TITLE [EXE TITLE...]
//                                       process creation to visible window
//   zor_bench memory TITLE...           committed private bytes of the
//                                       processes owning these windows
//   zor_bench info                      ZOR.exe's info panel, on one line
//   zor_bench close TITLE...            closes these windows, waits for them
//   zor_bench fleet [--runs N] [--processes N] [CYCLES]
//                                       zorlog --all's interval over N instances
//                                       vs N bare walks and one process list, and
//                                       its private memory across instance
//                                       starts and exits
//
// Times are wall-clock: under Wine much of a memory query's work is done by
// the wine server and the target process, not by the caller.
#include <windows.h>
// The API headers need the types of windows.h first.
#include <psapi.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/log_output_win32.h"
#include "log/log_watch.h"
#include "map/map_panels.h"
#include "map/map_session.h"
#include "monitor/monitor_state.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "space/address_map.h"
#include "support/target_process_win32.h"
#include "bench/bench.h"

namespace {

// The product's walk (contender, giving KB) against the bare loop, call by
// call in turns at 100, 1,000 and 10,000 regions.
int CompareWithBareWalk(int runs, const char* label,
                        const std::function<uint32_t(DWORD pid)>& contender) {
  // A target's own regions before it allocates anything; the rest are added
  // as separate reservations of one allocation unit each.
  uint32_t baseline = 0;
  {
    TargetProcess bare;
    if (!bare.Start(L"")) {
      fprintf(stderr, "cannot start testtarget.exe\n");
      return 1;
    }
    baseline = BareVirtualSize(bare.Pid()).regions;
  }
  printf("%8s %8s | %8s min ms %12s | %8s med ms %12s | %11s %11s | %7s us/reg\n", "regions",
         "walked", label, "bare min ms", label, "bare med ms", "ratio min", "ratio med", label);
  double firstPerRegion = 0, lastPerRegion = 0;
  for (uint32_t wanted : {100u, 1000u, 10000u}) {
    uint32_t extra = wanted > baseline ? wanted - baseline : 0;
    TargetProcess target;
    std::wstring args = extra ? L"--reserve " + std::to_wstring(extra * 64ull) + L" --regions " +
                                    std::to_wstring(extra)
                              : L"";
    if (!target.Start(args)) {
      fprintf(stderr, "cannot start testtarget.exe %ls\n", args.c_str());
      return 1;
    }
    Walk check = BareVirtualSize(target.Pid());
    uint32_t productKb = contender(target.Pid());
    if (productKb != check.kb) {
      fprintf(stderr, "the two walks disagree: %u KB against %u KB\n", productKb, check.kb);
      return 1;
    }
    // Enough calls per sample for about 10,000 region queries.
    int reps = std::max(1, static_cast<int>(10000 / check.regions));
    Samples product, bare, ratio;
    volatile uint32_t sink = 0;
    for (int run = 0; run < runs; ++run) {
      // Call by call in turns, so that a change in the machine's load falls
      // on both sides alike.
      double productTotal = 0, bareTotal = 0;
      for (int i = 0; i < 2 * reps; ++i) {
        bool productTurn = (run + i) % 2 == 0;
        double t0 = Now();
        sink = sink + (productTurn ? contender(target.Pid()) : BareVirtualSize(target.Pid()).kb);
        (productTurn ? productTotal : bareTotal) += Now() - t0;
      }
      product.Add(productTotal / reps);
      bare.Add(bareTotal / reps);
      ratio.Add(productTotal / bareTotal);
    }
    double perRegion = product.Min() / check.regions * 1e6;
    if (!firstPerRegion) firstPerRegion = perRegion;
    lastPerRegion = perRegion;
    printf("%8u %8u | %15.2f %12.2f | %15.2f %12.2f | %11.3f %11.3f | %14.1f\n", wanted,
           check.regions, product.Min() * 1e3, bare.Min() * 1e3, product.Median() * 1e3,
           bare.Median() * 1e3, product.Min() / bare.Min(), ratio.Median(), perRegion);
  }
  printf("\nCost per region at 10,000 regions against 100 regions: %.2f (1.00 is linear)\n\n",
         lastPerRegion / firstPerRegion);
  return 0;
}

int BenchMeasurement(int runs) {
  printf(
      "One measurement of a target: QueryProcessVirtualSize against a bare VirtualQueryEx\n"
      "loop making the same calls. Wall time per call, min and median of %d runs; the\n"
      "two take turns call by call, and the ratio med column is the median of the\n"
      "runs' ratios. Goal: within 5 %% and linear in the number of regions.\n\n",
      runs);
  return CompareWithBareWalk(runs, "ZOR", QueryProcessVirtualSize);
}

// One row of zorlog.exe as it makes it: the step (the walk with its
// statistics and the limit), its watch, the local time, the CSV text and
// one write. With maps: the regions kept and named as --save-map keeps them.
int BenchLogRow(int runs, bool maps) {
  printf(
      "One row of zorlog.exe%s (the walk with its statistics, the limit, its warnings,\n"
      "the time, the CSV text and its write, here to NUL) against the same bare\n"
      "VirtualQueryEx loop. Columns as above. Goal: within 5 %%%s.\n\n",
      maps ? " keeping its named map (--save-map)" : "", maps ? "; with maps, what it costs" : "");
  LogArgs args;
  args.warnBelowMb = 128;
  args.saveMapDir = maps ? L"." : nullptr;
  LogWatch watch(args);
  NoActions actions;
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Win32RowOutput output(nul, nullptr);
  RowWriter writer;
  std::unique_ptr<TargetFollower> follower;
  DWORD followed = 0;
  auto row = [&](DWORD pid) -> uint32_t {
    if (pid != followed) {  // connected once, its ceiling read, as zorlog.exe does
      follower.reset(new TargetFollower(L"", pid));
      wchar_t error[kFollowErrorUnits];
      FollowStep connection;
      if (follower->Start(error)) follower->Step(&connection);
      followed = pid;
    }
    FollowStep step;
    follower->Step(&step, watch.Sink());
    const LogTime time = LocalTimeOf(ClockMs() / 1000);
    watch.Step(step, follower->Name(), time, GetTickCount(), &actions);
    char text[kLogRowChars];
    wchar_t note[kRowNoteUnits];
    writer.Write(&output, text, static_cast<uint32_t>(FormatLogRow(time, step, text, sizeof text)),
                 note);
    return static_cast<uint32_t>((step.stats.committed + step.stats.reserved) >> 10);
  };
  int result = CompareWithBareWalk(runs, "row", row);
  follower.reset();
  CloseHandle(nul);
  return result;
}

// One refresh of zormap.exe's map as it makes it: its session's step (the
// walk with every region handed to the map and the region table, the cells
// chosen and compared with those shown, the allocations named, the figures,
// trend and warning). Then the real window on a target at rest: how often it
// paints its map in 30 s.
// Text widths of a fixed-pitch font, for the panels' texts.
class FixedPitch : public TextMeasure {
  int Width(const ZChar*, size_t units) override { return static_cast<int>(units) * 7; }
};

int BenchMap(int runs, std::vector<std::wstring> args) {
  // --panels: and the side panel's texts a reading brings (the largest
  // allocations, the runs that keep the space apart, what still fits).
  const bool panels = !args.empty() && args[0] == L"--panels";
  if (panels) args.erase(args.begin());
  printf(
      "One refresh of zormap.exe's map (its session's step: the walk with every region\n"
      "handed to the map and the region table, the cells chosen and compared with those\n"
      "shown%s) against the same bare VirtualQueryEx loop. Columns as above. Goal: within 10 "
      "%%.\n\n",
      panels ? ", and the side panel's texts" : "");
  static MapSession session;
  static ZChar text[kPanelUnits];
  FixedPitch font;
  DWORD followed = 0;
  auto refresh = [&](DWORD pid) -> uint32_t {
    MapTime now;
    if (pid != followed) {  // connected once, as zormap.exe does
      wchar_t error[kFollowErrorUnits];
      if (session.Follow(L"", pid, error)) session.Step(now);
      followed = pid;
    }
    now.tick = GetTickCount();
    session.Step(now);
    if (panels)
      LargestPanel(session.Regions(), session.Figures().ceiling, font, 600, text, kPanelUnits);
    const AddressSpaceStats& s = session.Figures().stats;
    return static_cast<uint32_t>((s.committed + s.reserved) >> 10);
  };
  int result = CompareWithBareWalk(runs, "map", refresh);
  if (result || args.empty()) return result;

  TargetProcess target;
  if (!target.Start(L"")) return 1;
  std::wstring cmd = L"\"" + args[0] + L"\" " + std::to_wstring(target.Pid());
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(args[0].c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return 1;
  HWND window = nullptr;
  for (int i = 0; i < 300 && !window; ++i, Sleep(50)) {
    HWND w = FindWindowW(L"ZorMapWindow", nullptr);
    DWORD pid = 0;
    if (w) GetWindowThreadProcessId(w, &pid);
    if (pid == pi.dwProcessId) window = w;
  }
  auto paints = [window](UINT message) -> long long {
    DWORD_PTR n = 0;
    return SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &n)
               ? static_cast<long long>(n)
               : -1;
  };
  Sleep(5000);  // shown, and its first readings drawn
  long long before = paints(kMapPaintsMessage), stripBefore = paints(kMapStripPaintsMessage);
  Sleep(30000);
  long long after = paints(kMapPaintsMessage), stripAfter = paints(kMapStripPaintsMessage);
  printf(
      "\nzormap.exe's map painted %lld times over 30 s of a target at rest (goal: 0),\n"
      "%lld times while it started\n",
      before < 0 || after < 0 ? -1 : after - before, before);
  // A reading a second goes into the strip: one paint of its column each.
  printf("its history strip painted %lld times over the same 30 s (about 30: its columns)\n\n",
         stripBefore < 0 || stripAfter < 0 ? -1 : stripAfter - stripBefore);
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return window && before >= 0 && after >= 0 ? 0 : 1;
}

// One reading as zorlog.exe makes it, the private bytes split by thread,
// against the bare loop: a target of 1,000 regions and 200 threads, beside
// another process holding 3,000 threads (every one a thread snapshot copies,
// where the system cannot list the target's own threads).
int BenchThreads(int runs) {
  printf(
      "One reading with the private bytes split by thread (the follower's step) against\n"
      "the bare VirtualQueryEx loop: a target of 1,000 regions and 200 threads, another\n"
      "process holding 3,000 threads. Wall time per call, min and median of %d runs,\n"
      "taking turns call by call. Goal: within 1.10x at rest, 1.25x while the target\n"
      "starts and ends a thread every second.\n\n",
      runs);
  auto started = [](const std::string& answer) {
    return static_cast<int>(std::count(answer.begin(), answer.end(), ' '));
  };
  std::vector<TargetProcess*> crowd;  // Wine may not fit 3,000 stacks in one process
  int crowdThreads = 0;
  while (crowdThreads < 3000 && crowd.size() < 12) {
    crowd.push_back(new TargetProcess);
    if (!crowd.back()->Start(L"")) return 1;
    crowdThreads += started(crowd.back()->Command(
        "threads " + std::to_string(std::min(1000, 3000 - crowdThreads)) + " 64"));
  }
  TargetProcess target;
  if (!target.Start(L"--reserve 7680 --regions 120")) return 1;
  const int own = started(target.Command("threads 199 64")) + 1;
  const DWORD pid = target.Pid();
  Walk shape = BareVirtualSize(pid);
  TargetFollower follower(L"", pid);
  wchar_t error[kFollowErrorUnits];
  FollowStep step;
  if (!follower.Start(error)) return 1;
  follower.Step(&step);
  printf(
      "target: %u regions, %u threads (%d asked for), %u MB of stacks; other processes:\n"
      "%d threads in %u\n\n",
      shape.regions, step.threads.threads, own,
      static_cast<unsigned>(
          (step.threads.committed[kUseStack] + step.threads.reserved[kUseStack]) >> 20),
      crowdThreads, static_cast<unsigned>(crowd.size()));
  printf("%-8s | %10s %10s | %10s %10s | %9s %9s | %s\n", "", "step min", "bare min", "step med",
         "bare med", "ratio min", "ratio med", "thread listings");
  for (bool churn : {false, true}) {
    if (churn && target.Command("churn 1000") != "churning") return 1;
    const uint32_t listed = follower.Census().Enumerations();
    const int reps = 10;
    Samples product, bare, ratio;
    volatile uint32_t sink = 0;
    for (int run = 0; run < runs; ++run) {
      double productTotal = 0, bareTotal = 0;
      for (int i = 0; i < 2 * reps; ++i) {
        const bool productTurn = (run + i) % 2 == 0;
        const double t0 = Now();
        if (productTurn) {
          follower.Step(&step);
          sink = sink + step.virtualMb;
        } else {
          sink = sink + BareVirtualSize(pid).kb;
        }
        (productTurn ? productTotal : bareTotal) += Now() - t0;
      }
      product.Add(productTotal / reps);
      bare.Add(bareTotal / reps);
      ratio.Add(productTotal / bareTotal);
    }
    printf("%-8s | %10.2f %10.2f | %10.2f %10.2f | %9.3f %9.3f | %u in %d readings\n",
           churn ? "churning" : "at rest", product.Min() * 1e3, bare.Min() * 1e3,
           product.Median() * 1e3, bare.Median() * 1e3, product.Min() / bare.Min(), ratio.Median(),
           follower.Census().Enumerations() - listed, runs * reps);
  }
  printf("\n");
  for (TargetProcess* t : crowd) delete t;
  return 0;
}

// --- one waiting tick ------------------------------------------------------

const wchar_t kAbsentName[] = L"zor-bench-absent.exe";

struct Lookup {
  DWORD found = 0;
  int listed = 0, visible = 0;
};

// The lookup as a program that only wanted the PID would write it.
Lookup BareLookup(const wchar_t* name) {
  Lookup r;
  DWORD pids[1024], bytes = 0;
  if (!EnumProcesses(pids, sizeof pids, &bytes)) return r;
  r.listed = static_cast<int>(bytes / sizeof(DWORD));
  for (int i = 0; i < r.listed && !r.found; ++i) {
    if (!pids[i]) continue;
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pids[i]);
    if (!h) continue;
    HMODULE module;
    DWORD needed;
    if (EnumProcessModules(h, &module, sizeof module, &needed)) {
      wchar_t path[520];
      path[0] = 0;
      GetProcessImageFileNameW(h, path, 520);
      path[519] = 0;
      if (const wchar_t* slash = wcsrchr(path, L'\\')) {
        ++r.visible;
        if (!wcscmp(slash + 1, name)) r.found = pids[i];
      }
    }
    CloseHandle(h);
  }
  return r;
}

int BenchTick(int runs, int processes) {
  printf(
      "One waiting tick (TickMonitor, the awaited name not running, info panel off)\n"
      "against a bare loop of EnumProcesses, OpenProcess, EnumProcessModules,\n"
      "GetProcessImageFileNameW and CloseHandle. Wall time per tick, min and median of\n"
      "%d runs, taking turns tick by tick; ratio med is the median of the runs'\n"
      "ratios. Goal: within 5 %%.\n\n",
      runs);
  std::vector<TargetProcess*> others;
  for (int i = 0; i < processes; ++i) {
    others.push_back(new TargetProcess);
    if (!others.back()->Start(L"")) {
      fprintf(stderr, "cannot start testtarget.exe\n");
      return 1;
    }
  }
  g_viewSettings.showProcessInfo = false;
  g_monitor.waiting = true;
  g_monitor.connected = false;
  g_monitor.targetPid = 0;
  ZCopy(g_monitor.targetName, kTextUnits, kAbsentName);
  Lookup shape = BareLookup(kAbsentName);
  TickMonitor(kMonitorTimerId);
  if (shape.found || g_monitor.targetPid) {
    fprintf(stderr, "the absent name was found\n");
    return 1;
  }
  const int reps = 50;
  Samples zor, bare, ratio;
  for (int run = 0; run < runs; ++run) {
    double zorTotal = 0, bareTotal = 0;
    for (int i = 0; i < 2 * reps; ++i) {
      bool zorTurn = (run + i) % 2 == 0;
      double t0 = Now();
      if (zorTurn)
        TickMonitor(kMonitorTimerId);
      else
        BareLookup(kAbsentName);
      (zorTurn ? zorTotal : bareTotal) += Now() - t0;
    }
    zor.Add(zorTotal / reps);
    bare.Add(bareTotal / reps);
    ratio.Add(zorTotal / bareTotal);
  }
  printf("processes listed %d, visible %d\n", shape.listed, shape.visible);
  printf("%12s %12s | %12s %12s | %11s %11s\n", "ZOR min ms", "bare min ms", "ZOR med ms",
         "bare med ms", "ratio min", "ratio med");
  printf("%12.3f %12.3f | %12.3f %12.3f | %11.3f %11.3f\n\n", zor.Min() * 1e3, bare.Min() * 1e3,
         zor.Median() * 1e3, bare.Median() * 1e3, zor.Min() / bare.Min(), ratio.Median());
  for (TargetProcess* t : others) delete t;
  return 0;
}

// --- start-up --------------------------------------------------------------

HWND FindShown(const wchar_t* title) {
  HWND w = FindWindowW(nullptr, title);
  return w && IsWindowVisible(w) ? w : nullptr;
}

bool WaitGone(const wchar_t* title, HANDLE process) {
  for (int i = 0; i < 1000; ++i) {
    if (!FindWindowW(nullptr, title) &&
        (!process || WaitForSingleObject(process, 0) == WAIT_OBJECT_0))
      return true;
    Sleep(10);
  }
  return false;
}

// Seconds from CreateProcess to the window with that title being visible;
// the program is closed again before returning. Negative on failure.
double TimeToVisible(const std::wstring& exe, const wchar_t* title) {
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  double t0 = Now();
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  double shown = -1;
  HWND w = nullptr;
  for (int i = 0; i < 30000 && !w; ++i) {
    w = FindShown(title);
    if (w)
      shown = Now() - t0;
    else if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0)
      break;
  }
  if (w) PostMessageW(w, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  WaitGone(title, nullptr);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return shown;
}

// An icon of the driver's own in the notification area for as long as it
// lives, as a desktop's notification area always holds some. Wine without a
// window manager takes 2 s to remove the last icon (hiding its tray window
// waits for a window manager that never answers), and ZOR.exe removes and
// re-adds its icon at each placement during start-up.
class TrayKeeper {
 public:
  TrayKeeper() {
    window_ = CreateWindowExW(0, L"STATIC", L"ZOR bench tray keeper", 0, 0, 0, 0, 0, nullptr,
                              nullptr, nullptr, nullptr);
    Record(&data_);
    added_ = window_ && Shell_NotifyIconW(NIM_ADD, &data_);
  }
  ~TrayKeeper() {
    if (added_) Shell_NotifyIconW(NIM_DELETE, &data_);
    if (window_) DestroyWindow(window_);
  }
  bool Added() const { return added_; }

 private:
  void Record(NOTIFYICONDATAW* d) {
    ZeroMemory(d, sizeof *d);
    d->cbSize = NOTIFYICONDATAW_V1_SIZE;
    d->hWnd = window_;
    d->uID = 1;
    d->uFlags = NIF_ICON | NIF_TIP;
    d->hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    wcscpy(d->szTip, L"ZOR bench");
  }
  HWND window_ = nullptr;
  NOTIFYICONDATAW data_;
  bool added_ = false;
};

int BenchStartup(int runs, const std::vector<std::wstring>& args) {
  size_t programs = args.size() / 2;
  if (programs < 1) {
    fprintf(stderr, "startup needs EXE TITLE pairs\n");
    return 2;
  }
  printf(
      "Start-up: CreateProcess to the window being visible (FindWindow and\n"
      "IsWindowVisible polled every millisecond), median and min of %d runs, the\n"
      "programs taking turns after one unmeasured start each; goal for the first\n"
      "against the second: within 1.5 times. The driver keeps an icon of its own in\n"
      "the notification area throughout, as a desktop has.\n\n",
      runs);
  TrayKeeper keeper;
  if (!keeper.Added()) fprintf(stderr, "warning: no icon of the driver's own in the tray\n");
  std::vector<Samples> samples(programs);
  for (int run = -1; run < runs; ++run) {
    for (size_t p = 0; p < programs; ++p) {
      double t = TimeToVisible(args[2 * p], args[2 * p + 1].c_str());
      if (t < 0) {
        fprintf(stderr, "%ls never showed \"%ls\"\n", args[2 * p].c_str(), args[2 * p + 1].c_str());
        return 1;
      }
      if (run >= 0) samples[p].Add(t);
    }
  }
  printf("%-24s %12s %12s\n", "program", "median ms", "min ms");
  for (size_t p = 0; p < programs; ++p) {
    const std::wstring& exe = args[2 * p];
    printf("%-24ls %12.1f %12.1f\n", exe.substr(exe.find_last_of(L"\\/") + 1).c_str(),
           samples[p].Median() * 1e3, samples[p].Min() * 1e3);
  }
  if (programs >= 2)
    printf("ratio first to second: medians %.2f, minimums %.2f\n\n",
           samples[0].Median() / samples[1].Median(), samples[0].Min() / samples[1].Min());
  return 0;
}

// --- memory, info, close ---------------------------------------------------

int PrintMemory(const std::vector<std::wstring>& titles) {
  for (const std::wstring& title : titles) {
    HWND w = FindWindowW(nullptr, title.c_str());
    DWORD pid = 0;
    if (w) GetWindowThreadProcessId(w, &pid);
    HANDLE h = pid ? OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid) : nullptr;
    if (!h) {
      fprintf(stderr, "no process shows \"%ls\"\n", title.c_str());
      return 1;
    }
    uint64_t privateKb = 0, mappedKb = 0, imageKb = 0;
    uint64_t address = 0;
    MEMORY_BASIC_INFORMATION mbi;
    while (address < 0x100000000ull &&
           VirtualQueryEx(h, reinterpret_cast<void*>(static_cast<uintptr_t>(address)), &mbi,
                          sizeof mbi) == sizeof mbi) {
      uint64_t kb = mbi.RegionSize >> 10;
      if (mbi.State == MEM_COMMIT) {
        if (mbi.Type == MEM_PRIVATE)
          privateKb += kb;
        else if (mbi.Type == MEM_MAPPED)
          mappedKb += kb;
        else if (mbi.Type == MEM_IMAGE)
          imageKb += kb;
      }
      uint64_t end = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
      if (end <= address) break;
      address = end;
    }
    CloseHandle(h);
    printf("%-24ls committed private %7llu KB   image %7llu KB   mapped %7llu KB\n", title.c_str(),
           static_cast<unsigned long long>(privateKb), static_cast<unsigned long long>(imageKb),
           static_cast<unsigned long long>(mappedKb));
  }
  return 0;
}

int PrintInfo() {
  HWND w = FindWindowW(L"#32770", L"ZOR 1.2");
  if (!w) {
    fprintf(stderr, "ZOR.exe is not running\n");
    return 1;
  }
  wchar_t text[512];
  text[0] = 0;
  GetDlgItemTextW(w, IDC_INFO_PANEL, text, 512);
  for (wchar_t* p = text; *p; ++p)
    if (*p == L'\n' || *p == L'\r') *p = L' ';
  printf("%ls\n", text);
  return 0;
}

int CloseWindows(const std::vector<std::wstring>& titles) {
  int failed = 0;
  for (const std::wstring& title : titles) {
    if (HWND w = FindWindowW(nullptr, title.c_str())) PostMessageW(w, WM_CLOSE, 0, 0);
  }
  for (const std::wstring& title : titles) {
    if (!WaitGone(title.c_str(), nullptr)) {
      fprintf(stderr, "\"%ls\" did not close\n", title.c_str());
      failed = 1;
    }
  }
  return failed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: zor_bench vsize|row|map|threads|tick|startup|memory|info|close ...\n");
    return 2;
  }
  std::wstring mode = argv[1];
  int runs = 7, processes = 40;
  std::vector<std::wstring> rest;
  for (int i = 2; i < argc; ++i) {
    if (!wcscmp(argv[i], L"--runs") && i + 1 < argc)
      runs = std::max(1, _wtoi(argv[++i]));
    else if (!wcscmp(argv[i], L"--processes") && i + 1 < argc)
      processes = std::max(0, _wtoi(argv[++i]));
    else
      rest.push_back(argv[i]);
  }
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (mode == L"vsize") return BenchMeasurement(runs);
  if (mode == L"row") return BenchLogRow(runs, !rest.empty() && rest[0] == L"--maps");
  if (mode == L"map") return BenchMap(runs, rest);
  if (mode == L"tick") return BenchTick(runs, processes);
  if (mode == L"threads") return BenchThreads(runs);
  if (mode == L"startup") return BenchStartup(runs, rest);
  if (mode == L"memory") return PrintMemory(rest);
  if (mode == L"info") return PrintInfo();
  if (mode == L"close") return CloseWindows(rest);
  if (mode == L"fleet") return BenchFleet(runs, processes, rest.empty() ? 1000 : _wtoi(rest[0].c_str()));
  fprintf(stderr, "unknown mode %ls\n", mode.c_str());
  return 2;
}
