// zorlog.exe: a CSV log of one process's address space over time, one row
// per interval (log_row.h says what a row holds). Rows go whole, in one
// write each, to standard output or appended to a file; status lines and
// errors go to standard error.
#include <windows.h>

#include "common/console_win32.h"
#include "log/alert_actions_win32.h"
#include "log/log_args.h"
#include "log/log_output_win32.h"
#include "log/log_row.h"
#include "log/log_watch.h"
#include "log/zorlog_run_win32.h"

namespace {

// Both stay open until the process ends: the console handler runs on a
// thread of its own and may still be using them.
HANDLE g_stop;  // set by Ctrl+C, Ctrl+Break, the console closing or shutdown
HANDLE g_done;  // set once the last row is written

BOOL WINAPI OnConsoleEvent(DWORD event) {
  // Sent when any user logs off, also to a log the task scheduler started
  // under another account: that log goes on.
  if (event == CTRL_LOGOFF_EVENT) return TRUE;
  SetEvent(g_stop);
  // For a closing console or shutdown the process ends as soon as this
  // returns: let the row in progress be written first.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) WaitForSingleObject(g_done, 4000);
  return TRUE;
}

bool WriteAll(HANDLE out, const void* data, DWORD bytes) {
  DWORD written = 0;
  return WriteFile(out, data, bytes, &written, nullptr) && written == bytes;
}

void Say(const wchar_t* text) { SayLine(GetStdHandle(STD_ERROR_HANDLE), text); }

// With a name: the name, then the system's reason for the last error, which
// a long name never pushes off the line.
void SayError(const wchar_t* what, const wchar_t* name = nullptr) {
  const DWORD code = GetLastError();
  wchar_t reason[128] = L"";
  if (name) {
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   reason, 128, nullptr);
    for (wchar_t* p = reason; *p; ++p)
      if (*p == '\r' || *p == '\n') *p = 0;
  }
  wchar_t line[kConsoleLineUnits];
  size_t room = kConsoleLineUnits - (name ? lstrlenW(reason) + 2 : 0);
  ZBuilder b(line, room);
  b.AddAscii("zorlog: ").Add(what);
  if (name) {
    b.Add(name);
    ZBuilder(line + b.Length(), kConsoleLineUnits - b.Length()).AddAscii(": ").Add(reason);
  }
  Say(line);
}

int Usage(const wchar_t* error) {
  SayError(error);
  WriteAll(GetStdHandle(STD_ERROR_HANDLE), kLogUsage, lstrlenA(kLogUsage));
  return 2;
}

// The file opened for appending and reading only, so nothing in it can be
// overwritten. *columns: its header's, or 0 when the file is empty and wants
// one. Null, with the reason said, when it cannot be opened or holds rows of
// another kind.
HANDLE OpenLog(const wchar_t* path, uint32_t* columns) {
  HANDLE file =
      CreateFileW(path, FILE_APPEND_DATA | FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SayError(L"cannot open for appending ", path);
    return nullptr;
  }
  char first[1024];
  DWORD n = 0;
  if (!ReadFile(file, first, sizeof first, &n, nullptr)) {
    SayError(L"cannot read ", path);
    CloseHandle(file);
    return nullptr;
  }
  DWORD end = 0;
  while (end + 1 < n && (first[end] != '\r' || first[end + 1] != '\n')) ++end;
  *columns = end + 1 < n ? LogHeaderColumns(first, end) : 0;
  // No file ever holds two kinds of row; one of an earlier version's header
  // goes on in that shape, so that a task appending to it keeps working.
  if (n && !*columns) {
    wchar_t line[kConsoleLineUnits];
    ZBuilder(line, kConsoleLineUnits)
        .Add(path)
        .AddAscii(" does not begin with a header zorlog writes: name a new file");
    SayError(line);
    CloseHandle(file);
    return nullptr;
  }
  if (*columns && *columns < kLogColumnsAll) {
    wchar_t line[kConsoleLineUnits];
    ZBuilder(line, kConsoleLineUnits)
        .Add(path)
        .AddAscii(" has an earlier version's header: its rows go on without the newer columns");
    SayError(line);
  }
  return file;
}

// --register-event-source and --unregister-event-source.
int EventSource(bool add) {
  DWORD error = 0;
  if (!RegisterEventSourceKey(add, &error)) {
    SetLastError(error);
    SayError(add ? L"cannot register the event source Zorvane"
                 : L"cannot unregister the event source Zorvane",
             L"");
    return 1;
  }
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  wchar_t line[kConsoleLineUnits];
  ZBuilder b(line, kConsoleLineUnits);
  if (add)
    b.AddAscii("zorlog: registered the event source Zorvane with its messages in ").Add(path);
  else
    b.AddAscii("zorlog: unregistered the event source Zorvane");
  Say(line);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  LogArgs args;
  wchar_t error[kLogErrorUnits];
  if (!ParseLogArgs(argc, argv, &args, error)) return Usage(error);
  if (args.help) {
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), kLogUsage, lstrlenA(kLogUsage));
    return 0;
  }
  if (args.eventSource) return EventSource(args.eventSource > 0);
  if (args.saveMapDir && !CanWriteFolder(args.saveMapDir)) {
    wchar_t line[kConsoleLineUnits];
    ZBuilder(line, kConsoleLineUnits)
        .Add(args.saveMapDir)
        .AddAscii(" is no folder that maps can be saved in");
    SayError(line);
    return 1;
  }
  // Elevated, a service can be followed too; otherwise nothing changes.
  EnableDebugPrivilege();
  // The target first: a PID that is not running leaves no file behind.
  TargetFollower follower(args.name, args.pid);
  follower.ReadOwners();
  wchar_t reason[kFollowErrorUnits];
  if (!follower.Start(reason)) {
    SayError(reason);
    return 1;
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  uint32_t columns = 0;
  if (args.file && !(out = OpenLog(args.file, &columns))) return 1;
  if (!columns && !WriteAll(out, kLogHeader, lstrlenA(kLogHeader))) {
    SayError(L"cannot write the log", L"");
    return 1;
  }
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  if (!columns) columns = kLogColumnsAll;
  const int code = args.all ? RunFleet(args, out, columns, g_stop)
                            : RunLog(args, &follower, out, columns, g_stop);
  SetEvent(g_done);
  if (args.file) CloseHandle(out);
  return code;
}
