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
#include "log/row_clock.h"
#include "space/map_csv_win32.h"

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

// The watch's actions carried out: nothing here waits on what it starts.
class SystemActions : public WatchActions {
 public:
  explicit SystemActions(const ZChar* folder) : folder_(folder) {}
  void Say(const ZChar* line) override { ::Say(line); }
  bool Start(const ZChar* commandLine, const AlertValues& values) override {
    return StartDetachedCommand(commandLine, values);
  }
  bool Report(const ZChar* line, EventId id, EventType type) override {
    return ReportToEventLog(line, id, type);
  }
  bool SaveMap(const RegionTable& regions, const ZChar* fileName) override {
    wchar_t path[MAX_PATH + kTextUnits + 40];
    if (!JoinFolderPath(folder_, fileName, path, MAX_PATH + kTextUnits + 40)) return false;
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = WriteMapCsv(file, regions);
    CloseHandle(file);
    if (!written) DeleteFileW(path);  // no half map left to mislead
    return written;
  }

 private:
  const ZChar* folder_;
};

// Why the log ended, told on standard error (when it is a failure) and in
// the event log.
int Stop(const LogArgs& args, LogWatch* watch, SystemActions* actions, int code, const char* why,
         uint32_t rows) {
  wchar_t line[kConsoleLineUnits];
  ZBuilder(line, kConsoleLineUnits)
      .AddAscii("zorlog: stopped after ")
      .AddInt(rows)
      .AddAscii(" rows: ")
      .AddAscii(why);
  if (code)
    watch->Tell(line, kEventStopped, kEventError, actions);
  else if (args.eventLog)
    actions->Report(line, kEventStopped, kEventInformation);
  return code;
}

int Log(const LogArgs& args, TargetFollower* follower, HANDLE out, uint32_t columns) {
  LogWatch watch(args);
  SystemActions actions(args.saveMapDir);
  if (args.eventLog) {
    wchar_t line[kConsoleLineUnits];
    ZBuilder(line, kConsoleLineUnits)
        .AddAscii("zorlog: started, following ")
        .Add(follower->Name())
        .AddAscii(args.pid ? " by PID" : " by name");
    actions.Report(line, kEventStarted, kEventInformation);
  }
  Win32RowOutput output(out, args.file);
  RowWriter writer;
  RowClock clock(args.intervalSeconds, ClockMs(), GetTickCount());
  for (;;) {
    const RowTurn turn = clock.Look(ClockMs(), GetTickCount());
    if (turn.wentBack) Say(L"zorlog: the system clock went back; the rows carry the true times");
    if (WaitForSingleObject(g_stop, turn.waitMs) == WAIT_OBJECT_0)
      return Stop(args, &watch, &actions, 0, "asked to stop", writer.Written());
    if (!turn.row) continue;
    FollowStep step;
    follower->Step(&step, watch.Sink());
    const LogTime time = LocalTimeOf(turn.second);
    watch.Step(step, follower->Name(), time, GetTickCount(), &actions);
    if (step.row) {
      char row[kLogRowChars];
      const uint32_t bytes =
          static_cast<uint32_t>(FormatLogRow(time, step, row, sizeof row, columns));
      wchar_t note[kRowNoteUnits];
      const RowResult result = writer.Write(&output, row, bytes, note);
      if (result == kRowFatal)
        return Stop(args, &watch, &actions, 1, "the log cannot be written", writer.Written());
      if (*note)
        watch.Tell(note, kEventRowsLost, result == kRowLost ? kEventError : kEventWarning,
                   &actions);
      if (args.rows && writer.Written() >= args.rows)
        return Stop(args, &watch, &actions, 0, "all rows written", writer.Written());
    }
    if (step.finished) return Stop(args, &watch, &actions, 0, "the PID ended", writer.Written());
  }
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
  int code = Log(args, &follower, out, columns ? columns : uint32_t{kLogColumnsAll});
  SetEvent(g_done);
  if (args.file) CloseHandle(out);
  return code;
}
