#include "log/log_output_win32.h"

uint64_t ClockMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return ((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000;
}

bool WriteLogRow(HANDLE out, uint64_t second, const FollowStep& step) {
  const uint64_t ticks = second * 10000000;
  FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}, local;
  SYSTEMTIME st = {};
  if (FileTimeToLocalFileTime(&utc, &local)) FileTimeToSystemTime(&local, &st);
  LogTime t = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  char row[kLogRowChars];
  DWORD bytes = static_cast<DWORD>(FormatLogRow(t, step, row, sizeof row)), written = 0;
  return WriteFile(out, row, bytes, &written, nullptr) && written == bytes;
}
