#include "log/metrics_file_win32.h"

#include <stdlib.h>

#include "common/ztext.h"

namespace {
enum { kBufferBytes = 65536 };
}  // namespace

MetricsFile::MetricsFile(const wchar_t* path) {
  ZBuilder name(path_, MAX_PATH);
  name.Add(path);
  ZBuilder part(part_, MAX_PATH + 8);
  part.Add(path).AddAscii(".tmp");
  named_ = !name.Truncated() && !part.Truncated();
  buffer_ = static_cast<char*>(malloc(kBufferBytes));
}

MetricsFile::~MetricsFile() { free(buffer_); }

bool MetricsFile::Flush() {
  DWORD written = 0;
  if (used_ && !(WriteFile(file_, buffer_, static_cast<DWORD>(used_), &written, nullptr) &&
                 written == used_))
    failed_ = true;
  used_ = 0;
  return !failed_;
}

bool MetricsFile::Line(const char* text, size_t length) {
  if (used_ + length > kBufferBytes && !Flush()) return false;
  if (length > kBufferBytes) return false;
  CopyMemory(buffer_ + used_, text, length);
  used_ += length;
  return true;
}

bool MetricsFile::Write(const MetricsInstance* instances, uint32_t count) {
  if (!named_ || !buffer_) return false;
  file_ =
      CreateFileW(part_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  used_ = 0;
  failed_ = false;
  const bool written = WriteMetrics(instances, count, this) && Flush();
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  if (written && MoveFileExW(part_, path_, MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(part_);
  return false;
}

void MetricsFile::Remove() {
  if (!named_) return;
  DeleteFileW(path_);
  DeleteFileW(part_);
}
