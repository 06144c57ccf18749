#include "log/alert_actions_win32.h"

#include "common/ztext.h"

bool StartDetachedCommand(const wchar_t* commandLine) {
  // CreateProcessW may write into the command line.
  const int units = lstrlenW(commandLine) + 1;
  wchar_t* line = ZAlloc(units);
  if (!line) return false;
  ZCopy(line, units, commandLine);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const BOOL started =
      CreateProcessW(nullptr, line, nullptr, nullptr, FALSE,
                     CREATE_NO_WINDOW | CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &si, &pi);
  ZFree(line);
  if (!started) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

bool ReportToEventLog(const wchar_t* text, bool warning) {
  HANDLE source = RegisterEventSourceW(nullptr, L"Zorvane");
  if (!source) return false;
  LPCWSTR strings[1] = {text};
  const BOOL ok = ReportEventW(source, warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE,
                               0, warning ? 1 : 2, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
  return ok != FALSE;
}

bool EnableDebugPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return false;
  TOKEN_PRIVILEGES tp = {};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // AdjustTokenPrivileges succeeds without the privilege: only the last
  // error says whether it was assigned.
  const bool ok = LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &tp.Privileges[0].Luid) &&
                  AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr) &&
                  GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  return ok;
}

bool CanWriteFolder(const wchar_t* folder) {
  const DWORD attributes = GetFileAttributesW(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  wchar_t name[32], probe[MAX_PATH + 32];
  ZBuilder(name, 32).AddAscii("zorlog-").AddInt(GetCurrentProcessId()).AddAscii(".tmp");
  if (!JoinFolderPath(folder, name, probe, MAX_PATH + 32)) return false;
  HANDLE file = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool JoinFolderPath(const wchar_t* folder, const wchar_t* name, wchar_t* out, size_t units) {
  ZBuilder b(out, units);
  b.Add(folder);
  const int n = lstrlenW(folder);
  if (n && folder[n - 1] != '\\' && folder[n - 1] != '/') b.AddAscii("\\");
  b.Add(name);
  return !b.Truncated();
}
