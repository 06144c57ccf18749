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
  if (FileTimeToLocalFileTime(&utc, &local)) FileTimeToSystemTime(&local, &st);
  return LogTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

bool WriteLogRow(HANDLE out, const LogTime& t, const FollowStep& step) {
  char row[kLogRowChars];
  DWORD bytes = static_cast<DWORD>(FormatLogRow(t, step, row, sizeof row)), written = 0;
  return WriteFile(out, row, bytes, &written, nullptr) && written == bytes;
}
