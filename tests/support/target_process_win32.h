// Starts and drives the test-target program (tests/target/testtarget.cpp).
#pragma once
#include <windows.h>

#include <string>

class TargetProcess {
 public:
  TargetProcess() = default;
  ~TargetProcess();
  TargetProcess(const TargetProcess&) = delete;
  TargetProcess& operator=(const TargetProcess&) = delete;

  // Starts exe (default: testtarget.exe beside the running test) with args
  // and waits for its "ready" line. False when it cannot be started.
  bool Start(const std::wstring& args, const std::wstring& exe = L"");
  // Sends one command line and returns the answer line.
  std::string Command(const std::string& line);
  // Asks the process to exit and waits for it; the handle stays open.
  void Exit(unsigned long code = 0);  // the code the target ends with

  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return process_; }
  const std::string& ReadyLine() const { return ready_; }

  // testtarget.exe beside the running test.
  static std::wstring DefaultExe();
  // A copy of testtarget.exe under another image name in a fresh temp folder.
  static std::wstring CopyAs(const std::wstring& imageName);

 private:
  std::string ReadLine();
  HANDLE process_ = nullptr, in_ = nullptr, out_ = nullptr;
  DWORD pid_ = 0;
  std::string ready_;
};
