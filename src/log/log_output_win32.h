// zorlog.exe's output on Windows: the wall clock its rows keep to, and one
// row written whole.
#pragma once
#include <windows.h>

#include "log/log_row.h"
#include "log/log_rows.h"

// The system clock in milliseconds since 1601, UTC.
uint64_t ClockMs();

// A UTC second of the system clock in local time, as the rows carry it,
// with the offset the system's time zone gave it.
LogTime LocalTimeOf(uint64_t second);

// The log's handle (append only), and for a file named with -o its path, so
// that a short write can be cut back through a handle of its own.
class Win32RowOutput : public RowOutput {
 public:
  Win32RowOutput(HANDLE out, const wchar_t* path) : out_(out), path_(path) {}
  bool IsFile() override { return GetFileType(out_) == FILE_TYPE_DISK; }
  bool Size(uint64_t* bytes) override;
  bool Write(const char* data, uint32_t bytes) override;
  bool CutBack(uint64_t bytes) override;

 private:
  HANDLE out_;
  const wchar_t* path_;
};
