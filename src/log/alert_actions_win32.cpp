#include "log/alert_actions_win32.h"

#include "common/ztext.h"

namespace {

const wchar_t kSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zorvane";

}  // namespace

bool StartDetachedCommand(const wchar_t* commandLine, const AlertValues& values) {
  // The child takes a copy of this environment: the values go there exactly,
  // where no shell parses them.
  wchar_t name[32], value[kAlertValueUnits];
  for (int i = 0; i < kAlertValues; ++i) {
    ZBuilder(name, 32).AddAscii(AlertVariableName(i));
    FormatAlertValue(values, i, value, kAlertValueUnits);
    SetEnvironmentVariableW(name, value);
  }
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

bool ReportToEventLog(const wchar_t* text, EventId id, EventType type) {
  HANDLE source = RegisterEventSourceW(nullptr, L"Zorvane");
  if (!source) return false;
  LPCWSTR strings[1] = {text};
  const WORD types[] = {EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_ERROR_TYPE};
  // Severity success, facility 0: the ID is the message table's and the one
  // the viewer shows.
  const BOOL ok = ReportEventW(source, types[type], 0, id, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
  return ok != FALSE;
}

bool RegisterEventSourceKey(bool add, DWORD* error) {
  if (!add) {
    *error = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSourceKey);
    return *error == ERROR_SUCCESS;
  }
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (!n || n >= MAX_PATH) {
    *error = n ? ERROR_INSUFFICIENT_BUFFER : GetLastError();
    return false;
  }
  HKEY key = nullptr;
  *error = RegCreateKeyW(HKEY_LOCAL_MACHINE, kSourceKey, &key);
  if (*error != ERROR_SUCCESS) return false;
  const DWORD typesSupported =
      EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  *error = RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ,
                          reinterpret_cast<const BYTE*>(path), (n + 1) * sizeof(wchar_t));
  if (*error == ERROR_SUCCESS)
    *error = RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&typesSupported), sizeof typesSupported);
  RegCloseKey(key);
  return *error == ERROR_SUCCESS;
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
