#include "support/target_process_win32.h"

TargetProcess::~TargetProcess() {
  if (process_) {
    Exit();
    CloseHandle(process_);
  }
  if (in_) CloseHandle(in_);
  if (out_) CloseHandle(out_);
}

std::wstring TargetProcess::DefaultExe() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L'\\') + 1) + L"testtarget.exe";
}

std::wstring TargetProcess::CopyAs(const std::wstring& imageName) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring dir = std::wstring(temp) + L"zor-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(GetTickCount());
  CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring copy = dir + L"\\" + imageName;
  CopyFileW(DefaultExe().c_str(), copy.c_str(), FALSE);
  return copy;
}

bool TargetProcess::Start(const std::wstring& args, const std::wstring& exe) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE childIn = nullptr, childOut = nullptr;
  if (!CreatePipe(&childIn, &in_, &sa, 0) || !CreatePipe(&out_, &childOut, &sa, 0)) return false;
  SetHandleInformation(in_, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(out_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = childIn;
  si.hStdOutput = childOut;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring path = exe.empty() ? DefaultExe() : exe;
  std::wstring cmd = L"\"" + path + L"\" " + args;
  PROCESS_INFORMATION pi = {};
  BOOL ok = CreateProcessW(path.c_str(), &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                           nullptr, &si, &pi);
  CloseHandle(childIn);
  CloseHandle(childOut);
  if (!ok) return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  ready_ = ReadLine();
  return ready_.compare(0, 5, "ready") == 0;
}

std::string TargetProcess::ReadLine() {
  std::string line;
  char c;
  DWORD n;
  while (ReadFile(out_, &c, 1, &n, nullptr) && n == 1 && c != '\n')
    if (c != '\r') line += c;
  return line;
}

std::string TargetProcess::Command(const std::string& line) {
  std::string text = line + "\n";
  DWORD n;
  WriteFile(in_, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
  return ReadLine();
}

void TargetProcess::Exit(unsigned long code) {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    const std::string line = "exit " + std::to_string(code) + "\n";
    DWORD n;
    WriteFile(in_, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
    if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
  }
}
