// zorlog.exe: a CSV log of one process's address space over time, one row
// per interval (log_follow.h says what a row holds). Rows go whole, in one
// write each, to standard output or appended to a file; status lines and
// errors go to standard error.
#include <windows.h>

#include "log/log_args.h"
#include "log/log_follow.h"

namespace {

HANDLE g_stop;  // set by Ctrl+C, Ctrl+Break or the console closing
HANDLE g_done;  // set once the last row is written

BOOL WINAPI OnConsoleEvent(DWORD event) {
  SetEvent(g_stop);
  // For a closing console, logoff or shutdown the process ends as soon as
  // this returns: let the row in progress be written first.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) WaitForSingleObject(g_done, 4000);
  return TRUE;
}

bool WriteAll(HANDLE out, const void* data, DWORD bytes) {
  DWORD written = 0;
  return WriteFile(out, data, bytes, &written, nullptr) && written == bytes;
}

// One line on standard error: UTF-16 to a console, UTF-8 elsewhere.
void Say(const wchar_t* text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  wchar_t line[kLogErrorUnits + kLogStatusUnits];
  ZBuilder(line, sizeof line / sizeof line[0]).Add(text).AddAscii("\r\n");
  DWORD mode, n;
  if (GetConsoleMode(err, &mode)) {
    WriteConsoleW(err, line, lstrlenW(line), &n, nullptr);
    return;
  }
  char utf8[sizeof line / sizeof line[0] * 3];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (bytes > 1) WriteAll(err, utf8, bytes - 1);
}

void SayError(const wchar_t* what, const wchar_t* name = nullptr) {
  wchar_t line[kLogErrorUnits + MAX_PATH];
  ZBuilder b(line, sizeof line / sizeof line[0]);
  b.AddAscii("zorlog: ").Add(what);
  if (name) {
    b.Add(name).AddAscii(": ");
    wchar_t reason[128] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   GetLastError(), 0, reason, 128, nullptr);
    for (wchar_t* p = reason; *p; ++p)
      if (*p == '\r' || *p == '\n') *p = 0;
    b.Add(reason);
  }
  Say(line);
}

int Usage(const wchar_t* error) {
  SayError(error);
  WriteAll(GetStdHandle(STD_ERROR_HANDLE), kLogUsage, lstrlenA(kLogUsage));
  return 2;
}

// The file opened for appending only, so nothing in it can be overwritten.
HANDLE OpenLog(const wchar_t* path, bool* empty) {
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size = {};
  *empty = file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &size) && size.QuadPart == 0;
  return file;
}

int Log(const LogArgs& args, HANDLE out) {
  LogFollower follower(args);
  wchar_t error[kLogErrorUnits];
  if (!follower.Start(error)) {
    SayError(error);
    return 1;
  }
  const DWORD intervalMs = args.intervalSeconds * 1000;
  DWORD due = GetTickCount();
  uint32_t rows = 0;
  for (;;) {
    LogStep step;
    follower.Step(&step);
    for (int i = 0; i < step.statusCount; ++i) Say(step.status[i]);
    if (step.row) {
      SYSTEMTIME st;
      GetLocalTime(&st);
      LogTime t = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
      char row[kLogRowChars];
      if (!WriteAll(out, row, static_cast<DWORD>(FormatLogRow(t, step, row, sizeof row)))) {
        SayError(L"cannot write the log", L"");
        return 1;
      }
      if (args.rows && ++rows >= args.rows) return 0;
    }
    if (step.finished) return 0;
    // On a fixed schedule, so that slow walks do not make the rows drift.
    due += intervalMs;
    DWORD now = GetTickCount();
    if (static_cast<int32_t>(due - now) < 0) due = now;  // behind: the schedule starts anew
    if (WaitForSingleObject(g_stop, due - now) == WAIT_OBJECT_0) return 0;
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  LogArgs args;
  wchar_t error[kLogErrorUnits];
  if (!ParseLogArgs(argc, argv, &args, error)) return Usage(error);

  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  bool header = true;
  if (args.file) {
    out = OpenLog(args.file, &header);
    if (out == INVALID_HANDLE_VALUE) {
      SayError(L"cannot open for appending ", args.file);
      return 1;
    }
  }
  if (header && !WriteAll(out, kLogHeader, lstrlenA(kLogHeader))) {
    SayError(L"cannot write the log", L"");
    return 1;
  }
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  int code = Log(args, out);
  SetEvent(g_done);
  if (args.file) CloseHandle(out);
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  CloseHandle(g_stop);
  CloseHandle(g_done);
  return code;
}
