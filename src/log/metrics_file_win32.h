// The metrics file a monitoring agent's textfile collector reads: written
// whole under a name of its own that does not end in .prom, then moved over
// the file, so that the collector never reads half of it.
#pragma once
#include <windows.h>

#include "log/metrics.h"

class MetricsFile : public MetricsOut {
 public:
  explicit MetricsFile(const wchar_t* path);
  ~MetricsFile();
  MetricsFile(const MetricsFile&) = delete;
  MetricsFile& operator=(const MetricsFile&) = delete;
  // False when it could not be written or moved into place (the collector
  // may hold the file open): the next interval tries again.
  bool Write(const MetricsInstance* instances, uint32_t count);
  // At a normal end: no figures left for the collector to report as live.
  void Remove();
  bool Line(const char* text, size_t length) override;

 private:
  bool Flush();
  wchar_t path_[MAX_PATH], part_[MAX_PATH + 8];
  bool named_ = false;  // both names fit
  HANDLE file_ = INVALID_HANDLE_VALUE;
  char* buffer_ = nullptr;
  size_t used_ = 0;
  bool failed_ = false;
};
