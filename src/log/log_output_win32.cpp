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

bool Win32RowOutput::Size(uint64_t* bytes) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(out_, &size)) return false;
  *bytes = static_cast<uint64_t>(size.QuadPart);
  return true;
}

bool Win32RowOutput::Write(const char* data, uint32_t bytes) {
  DWORD written = 0;
  return WriteFile(out_, data, bytes, &written, nullptr) && written == bytes;
}

bool Win32RowOutput::CutBack(uint64_t bytes) {
  // The log's own handle may only append; standard output sent to a file
  // is cut through its own handle.
  HANDLE h = path_ ? CreateFileW(path_, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                   : out_;
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(bytes);
  const bool cut = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  if (path_) CloseHandle(h);
  return cut;
}
