// zorlog --all's interval over many instances of one name, against what a
// bare program would do for the same rows (a walk of each and one process
// list), and the bench's own private memory while instances start and end.
#include <windows.h>
// The API headers need the types of windows.h first.
#include <psapi.h>
#include <stdio.h>
#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "log/fleet.h"
#include "support/target_process_win32.h"

namespace {

// One snapshot of the process list, walked to its end.
int BareProcessList() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry)) ++n;
  CloseHandle(snap);
  return n;
}

double PrivateMb() {
  PROCESS_MEMORY_COUNTERS m = {};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
  return m.PagefileUsage / 1048576.0;
}

LogTime Stamp() { return LogTime{2026, 12, 8, 3, 14, 0}; }

}  // namespace

int BenchFleet(int runs, int instances, int cycles) {
  const wchar_t kName[] = L"zorbenchfleet.exe";
  const std::wstring exe = TargetProcess::CopyAs(kName);
  uint32_t baseline = 0;
  {
    TargetProcess bare;
    if (!bare.Start(L"", exe)) return fprintf(stderr, "cannot start %ls\n", exe.c_str()), 1;
    baseline = BareVirtualSize(bare.Pid()).regions;
  }
  const uint32_t extra = baseline < 1000 ? 1000 - baseline : 0;
  const std::wstring args =
      L"--reserve " + std::to_wstring(extra * 64ull) + L" --regions " + std::to_wstring(extra);
  std::vector<std::unique_ptr<TargetProcess>> targets;
  for (int i = 0; i < instances; ++i) {
    targets.emplace_back(new TargetProcess);
    if (!targets.back()->Start(args, exe))
      return fprintf(stderr, "cannot start instance %d\n", i + 1), 1;
  }
  LogArgs logArgs;
  ZCopy(logArgs.name, kTextUnits, kName);
  logArgs.all = true;
  logArgs.warnBelowMb = 128;
  Fleet fleet(logArgs);
  NoActions actions;
  uint32_t tick = GetTickCount();
  fleet.Step(Stamp(), 0, tick, &actions);  // each connected, its ceiling read
  if (fleet.Count() != static_cast<uint32_t>(instances))
    return fprintf(stderr, "%u of %d instances followed\n", fleet.Count(), instances), 1;
  printf(
      "zorlog --all: one interval over %d instances of %u regions each (the process list,\n"
      "each instance's walk, census and warnings) against %d bare walks and one process\n"
      "list; wall time per interval, min and median of %d runs in turns. Goal: within 1.10x.\n",
      instances, BareVirtualSize(targets[0]->Pid()).regions, instances, runs);
  Samples product, bare, ratio;
  for (int run = 0; run < runs; ++run) {
    double productTotal = 0, bareTotal = 0;
    for (int turn = 0; turn < 2; ++turn) {
      const bool productTurn = (run + turn) % 2 == 0;
      const double t0 = Now();
      if (productTurn) {
        fleet.Step(Stamp(), 0, tick += 1000, &actions);
      } else {
        BareProcessList();
        for (const auto& t : targets) BareVirtualSize(t->Pid());
      }
      (productTurn ? productTotal : bareTotal) += Now() - t0;
    }
    product.Add(productTotal);
    bare.Add(bareTotal);
    ratio.Add(productTotal / bareTotal);
  }
  printf("%14s %14s | %14s %14s | %9s %9s\n", "--all min ms", "bare min ms", "--all med ms",
         "bare med ms", "ratio min", "ratio med");
  printf("%14.1f %14.1f | %14.1f %14.1f | %9.3f %9.3f\n\n", product.Min() * 1e3, bare.Min() * 1e3,
         product.Median() * 1e3, bare.Median() * 1e3, product.Min() / bare.Min(),
         ratio.Median());
  targets.clear();
  fleet.Step(Stamp(), 0, tick += 1000, &actions);  // their exits told
  fleet.Step(Stamp(), 0, tick += 1000, &actions);  // and forgotten
  // Instances starting and ending, each followed at one interval and
  // dropped at the next: the memory must not grow with them.
  double first = 0;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    {
      TargetProcess t;
      if (!t.Start(L"", exe)) return fprintf(stderr, "cannot start cycle %d\n", cycle), 1;
      fleet.Step(Stamp(), 0, tick += 1000, &actions);
      t.Exit();
    }
    fleet.Step(Stamp(), 0, tick += 1000, &actions);
    fleet.Step(Stamp(), 0, tick += 1000, &actions);
    if (cycle == 10) first = PrivateMb();
  }
  printf("Private memory after 10 instance starts and exits %.2f MB, after %d %.2f MB\n", first,
         cycles, PrivateMb());
  DeleteFileW(exe.c_str());
  RemoveDirectoryW(exe.substr(0, exe.rfind(L'\\')).c_str());
  return 0;
}
