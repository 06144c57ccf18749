#include "map/zormap_console_win32.h"

#include "common/console_win32.h"
#include "monitor/follow.h"
#include "space/map_csv_win32.h"
#include "space/regions.h"

namespace {

typedef BOOL(WINAPI* AttachConsoleProc)(DWORD);

}  // namespace

bool Report(const wchar_t* text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (!err || err == INVALID_HANDLE_VALUE) {
    // Windows 2000 has no AttachConsole.
    AttachConsoleProc attach = reinterpret_cast<AttachConsoleProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AttachConsole")));
    if (attach && attach(static_cast<DWORD>(-1))) err = GetStdHandle(STD_ERROR_HANDLE);
  }
  wchar_t line[kConsoleLineUnits];
  ZBuilder(line, kConsoleLineUnits).AddAscii("zormap: ").Add(text);
  if (!err || err == INVALID_HANDLE_VALUE) return false;
  SayLine(err, line);
  return true;
}

namespace {

int Fail(int code, const char* what, const wchar_t* value = nullptr, const char* after = "") {
  wchar_t text[kConsoleLineUnits];
  ZBuilder b(text, kConsoleLineUnits);
  b.AddAscii(what);
  if (value) b.Add(value).AddAscii(after);
  Report(text);
  return code;
}

}  // namespace

int SaveFromCommandLine(int argc, wchar_t** argv) {
  if (argc != 4)
    return Fail(2, "usage: zormap.exe --save FILE NAME|PID (one reading, written to a new FILE)");
  ZChar name[kTextUnits], reason[kFollowErrorUnits];
  uint32_t pid = 0;
  if (!*argv[2]) return Fail(2, "--save needs a file name");
  if (!ParseTarget(argv[3], name, &pid, reason)) return Fail(2, "", reason);
  TargetFollower follower(name, pid);
  if (pid && !follower.Start(reason)) return Fail(1, "", reason);
  RegionTable table;
  FollowStep step;
  follower.Step(&step, &table);
  if (!step.row || !step.stats.whole)
    return Fail(1, "", argv[3], " is not running or cannot be read");
  table.Keep();
  table.NameAllocations(follower.Pid());
  // Never over an existing file: a kept map is not lost to a second run.
  HANDLE file =
      CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return Fail(1, "", argv[2],
                GetLastError() == ERROR_FILE_EXISTS ? " exists: it is not overwritten"
                                                    : " cannot be created");
  const bool written = WriteMapCsv(file, table);
  CloseHandle(file);
  if (!written) DeleteFileW(argv[2]);
  return written ? 0 : Fail(1, "cannot write ", argv[2]);
}
