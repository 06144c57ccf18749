// zorlog.exe under Wine as a console user runs it: its standard output and
// error each in a file, and its rows read back by column.
#pragma once
#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/zor_driver.h"

namespace e2e {

inline std::wstring TempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring path =
      std::wstring(temp) + L"zorlog-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
  DeleteFileW(path.c_str());
  return path;
}

inline std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string text;
  char buf[4096];
  DWORD n;
  while (ReadFile(file, buf, sizeof buf, &n, nullptr) && n) text.append(buf, n);
  CloseHandle(file);
  return text;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// zorlog.exe with its standard output and error each in a file of its own.
class ZorLog {
 public:
  ZorLog()
      : out_(TempFile((std::to_wstring(++runs_) + L"-out.txt").c_str())),
        err_(TempFile((std::to_wstring(runs_) + L"-err.txt").c_str())) {}
  ~ZorLog() {
    if (process_) {
      TerminateProcess(process_, 1);
      CloseHandle(process_);
    }
    DeleteFileW(out_.c_str());
    DeleteFileW(err_.c_str());
  }
  bool Launch(const std::wstring& args) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out =
        CreateFileW(out_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE err =
        CreateFileW(err_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    std::wstring exe = BinDir() + L"zorlog.exe";
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    PROCESS_INFORMATION pi = {};
    BOOL ok = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    if (!ok) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return true;
  }
  // Waits for the exit; its code, or 259 when it did not end in time.
  DWORD Wait(DWORD timeoutMs = 30000) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0)
      GetExitCodeProcess(process_, &code);
    return code;
  }
  DWORD Run(const std::wstring& args) { return Launch(args) ? Wait() : 0xFFFFFFFF; }
  // Ended by force, as a task that is killed ends.
  void Stop() {
    if (process_) TerminateProcess(process_, 1), WaitForSingleObject(process_, 10000);
  }
  std::vector<std::string> Out() const { return Lines(ReadAll(out_)); }
  std::vector<std::string> Err() const { return Lines(ReadAll(err_)); }

 private:
  static inline int runs_ = 0;
  std::wstring out_, err_;
  HANDLE process_ = nullptr;
};

constexpr char kHeader[] =
    "time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"
    "peak_virtual_mb,limit_mb,ceiling_mb,usable_free_mb,largest_usable_mb,"
    "largest_usable_below_2g_mb,image_committed_mb,image_reserved_mb,mapped_committed_mb,"
    "mapped_reserved_mb,private_committed_mb,private_reserved_mb,threads,stack_committed_mb,"
    "stack_reserved_mb,utc_offset_min,bits,session,user";

// A row's fields by column name: numbers, and the time, bits and user.
struct Row {
  std::string time, bits, user;
  std::map<std::string, unsigned long long> n;
  unsigned long long operator[](const char* column) const { return n.at(column); }
};

inline bool ParseRow(const std::string& line, Row* row) {
  std::vector<std::string> names, fields;
  for (auto* out : {&names, &fields}) {
    std::istringstream in(out == &names ? kHeader : line);
    for (std::string f; std::getline(in, f, ',');) out->push_back(f);
  }
  if (fields.size() + 1 == names.size()) fields.push_back("");  // an empty user
  if (fields.size() != names.size() || fields[0].size() != 19 || fields[0][10] != 'T') return false;
  row->time = fields[0];
  row->bits = fields[fields.size() - 3];
  row->user = fields.back();
  for (size_t i = 1; i + 4 < fields.size(); ++i) {  // the numbers, up to the offset
    if (fields[i].empty() || fields[i].find_first_not_of("0123456789") != std::string::npos)
      return false;
    row->n[names[i]] = std::stoull(fields[i]);
  }
  return true;
}

}  // namespace e2e
