// Opening a week of zorlog's one-second rows in zormap: writes the log with
// zorlog's own row writer, then reads it as zormap's Open does, and prints
// the time taken and the process's peak memory.
// Usage: open_bench [ROWS]   (default 604800, a week)
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

#include "log/log_row.h"
#include "map/history.h"
#include "map/opened_log.h"
#include "space/saved_file_win32.h"

namespace {

bool WriteLog(const wchar_t* path, uint32_t rows) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  static char buffer[1 << 16];
  size_t used = 0;
  DWORD written;
  bool ok = WriteFile(file, kLogHeader, lstrlenA(kLogHeader), &written, nullptr) != 0;
  FollowStep s;
  s.pid = 4021;
  s.limitMb = 4095;
  s.ceiling.known = true;
  s.ceiling.mb = 4095;
  s.sessionKnown = true;
  s.session = 1;
  lstrcpyW(s.user, L"CADFARM\\designer");
  for (uint32_t i = 0; ok && i < rows; ++i) {
    // A slow leak with a sawtooth, and a largest block that falls in steps.
    s.virtualMb = s.peakMb = 900 + i / 400 + i % 60;
    s.stats.committed = uint64_t(s.virtualMb / 2) << 20;
    s.stats.reserved = uint64_t(s.virtualMb - s.virtualMb / 2) << 20;
    s.stats.largestUsable = uint64_t(2000 - i / 5000 * 10) << 20;
    s.stats.regions = 3000 + i % 700;
    const int64_t t = i;
    const LogTime when = {2024,        5,  1 + int(t / 86400), int(t / 3600 % 24), int(t / 60 % 60),
                          int(t % 60), 120};
    char row[kLogRowChars];
    const size_t n = FormatLogRow(when, s, row, sizeof row);
    if (used + n > sizeof buffer) {
      ok = WriteFile(file, buffer, DWORD(used), &written, nullptr) && written == used;
      used = 0;
    }
    memcpy(buffer + used, row, n);
    used += n;
  }
  ok = ok && WriteFile(file, buffer, DWORD(used), &written, nullptr) && written == used;
  CloseHandle(file);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const uint32_t rows = argc > 1 ? wcstoul(argv[1], nullptr, 10) : 604800;
  wchar_t path[MAX_PATH + 20];
  GetTempPathW(MAX_PATH, path);
  lstrcatW(path, L"zor-open-bench.csv");
  if (!WriteLog(path, rows)) {
    fwprintf(stderr, L"cannot write %ls\n", path);
    return 1;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  GetFileAttributesExW(path, GetFileExInfoStandard, &data);
  static History history;
  static LogInstances instances;  // told of every row, as zormap's Open tells it
  static OpenedLog opened(&history, kEveryPid, &instances);
  static LogReader log(&opened);
  static MapReader map;
  SavedKind kind;
  wchar_t error[512];
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  const bool read = ReadSavedFile(path, &log, &map, &kind, error, 512);
  QueryPerformanceCounter(&t1);
  DeleteFileW(path);
  if (!read || log.Rows() != rows) {
    fwprintf(stderr, L"open failed (%u rows): %ls\n", log.Rows(), read ? L"" : error);
    return 1;
  }
  PROCESS_MEMORY_COUNTERS m = {};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
  printf(
      "Open a zorlog CSV of %u one-second rows (%.1f MB): %.2f s (goal 2 s), peak working set "
      "%.1f MB, peak private %.1f MB (goal 50 MB); the strip's buckets span %lld s each\n",
      rows, data.nFileSizeLow / 1048576.0 + data.nFileSizeHigh * 4096.0,
      double(t1.QuadPart - t0.QuadPart) / f.QuadPart, m.PeakWorkingSetSize / 1048576.0,
      m.PagefileUsage ? m.PeakPagefileUsage / 1048576.0 : 0.0, (long long)history.Span());
  return 0;
}
