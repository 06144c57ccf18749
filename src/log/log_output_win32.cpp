#include "log/log_output_win32.h"

uint64_t ClockMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return ((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000;
}

LogTime LocalTimeOf(uint64_t second) {
  const uint64_t ticks = second * 10000000;
  FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}, local;
  SYSTEMTIME st = {};
  int offsetMin = 0;
  if (FileTimeToLocalFileTime(&utc, &local)) {
    FileTimeToSystemTime(&local, &st);
    const int64_t ahead = static_cast<int64_t>((static_cast<uint64_t>(local.dwHighDateTime) << 32) |
                                               local.dwLowDateTime) -
                          static_cast<int64_t>(ticks);
    offsetMin = static_cast<int>(ahead / 600000000);  // 100 ns units in a minute
  }
  return LogTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, offsetMin};
}

bool WriteLogRow(HANDLE out, const LogTime& t, const FollowStep& step, uint32_t columns) {
  char row[kLogRowChars];
  DWORD bytes = static_cast<DWORD>(FormatLogRow(t, step, row, sizeof row, columns)), written = 0;
  return WriteFile(out, row, bytes, &written, nullptr) && written == bytes;
}
