// What the benchmarks share: the clock, samples, the bare walk that the
// product's is set against, and a watch that acts on nothing.
#pragma once
#include <windows.h>
#include <stdint.h>

#include <algorithm>
#include <vector>

#include "log/log_watch.h"

inline double Now() {
  static LARGE_INTEGER frequency;
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Samples {
  std::vector<double> values;
  void Add(double v) { values.push_back(v); }
  double Min() const { return *std::min_element(values.begin(), values.end()); }
  double Median() const {
    std::vector<double> v = values;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  }
};

// --- one measurement -------------------------------------------------------

struct Walk {
  uint32_t kb = 0;
  uint32_t regions = 0;
};

// What a program that only wanted the number would write: the same calls the
// product makes, straight against the API, with the same arithmetic.
inline Walk BareVirtualSize(DWORD pid) {
  static SYSTEM_INFO si;
  if (!si.dwPageSize) GetSystemInfo(&si);
  Walk w;
  HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!h) return w;
  DWORD code = 0;
  if (!GetExitCodeProcess(h, &code) || code != STILL_ACTIVE) {
    CloseHandle(h);
    return w;
  }
  uint64_t address = reinterpret_cast<uintptr_t>(si.lpMinimumApplicationAddress);
  uint64_t highest = reinterpret_cast<uintptr_t>(si.lpMaximumApplicationAddress);
  uint32_t sum = 0;
  while (address < highest) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQueryEx(h, reinterpret_cast<void*>(static_cast<uintptr_t>(address)), &mbi,
                       sizeof mbi) != sizeof mbi)
      break;
    ++w.regions;
    uint64_t base = reinterpret_cast<uintptr_t>(mbi.BaseAddress);
    uint64_t end = base + mbi.RegionSize;
    if (end <= address) break;
    if (end < highest) {
      if (mbi.State == MEM_COMMIT || mbi.State == MEM_RESERVE) sum += mbi.RegionSize;
      address = end;
      continue;
    }
    if (mbi.State != MEM_FREE && base + si.dwPageSize <= highest)
      sum += static_cast<uint32_t>((highest - base) / si.dwPageSize * si.dwPageSize);
    break;
  }
  CloseHandle(h);
  w.kb = sum >> 10;
  return w;
}

// What the watch would do, done nowhere: the bench times the deciding.
class NoActions : public WatchActions {
  void Say(const ZChar*) override {}
  bool Start(const ZChar*, const AlertValues&) override { return true; }
  bool Report(const ZChar*, EventId, EventType) override { return true; }
  bool SaveMap(const RegionTable&, const ZChar*) override { return true; }
};

// zorlog --all's interval against bare walks, and its memory over many
// instances' starts and exits.
int BenchFleet(int runs, int instances, int cycles);
