#include "map/map_save_win32.h"

#include <stdlib.h>

#include "common/console_win32.h"
#include "monitor/follow.h"

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

bool WriteMapCsv(HANDLE file, const RegionTable& table) {
  // Its own buffer, not a shared one: zorlog.exe writes with it too.
  enum { kBufferBytes = 65536 };
  char* buffer = static_cast<char*>(malloc(kBufferBytes));
  if (!buffer) return false;
  size_t used = 0;
  DWORD written = 0;
  auto flush = [&] {
    bool ok =
        WriteFile(file, buffer, static_cast<DWORD>(used), &written, nullptr) && written == used;
    used = 0;
    return ok;
  };
  used = lstrlenA(kMapCsvHeader);
  CopyMemory(buffer, kMapCsvHeader, used);
  bool ok = true;
  for (uint32_t i = 0; ok && i < table.Count(); ++i) {
    const MapRegion& r = table.At(i);
    char line[4 * kImagePathUnits];
    size_t n = FormatCsvLine(r, r.state != kMemFree ? table.NameOf(r.allocationBase) : nullptr,
                             line, sizeof line);
    if (used + n > kBufferBytes) ok = flush();
    CopyMemory(buffer + used, line, n);
    used += n;
  }
  ok = ok && flush();
  free(buffer);
  return ok;
}

bool ReplaceWithMapCsv(const wchar_t* path, const RegionTable& table) {
  wchar_t part[MAX_PATH + 8];
  ZBuilder name(part, MAX_PATH + 8);
  name.Add(path).AddAscii(".part");
  if (name.Truncated()) return false;
  HANDLE file =
      CreateFileW(part, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteMapCsv(file, table);
  const bool closed = CloseHandle(file) != 0;
  if (written && closed && MoveFileExW(part, path, MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(part);
  return false;
}

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
  table.MarkUses(follower.Census());
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
