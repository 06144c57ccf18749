// What zorlog.exe logs: one process followed by name or PID, one walk of its
// address space per interval, each turned into one CSV row.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "log/log_args.h"
#include "monitor/ceiling.h"
#include "monitor/vsize.h"

enum { kLogStatusUnits = 192, kLogRowChars = 256 };

// What one interval brought: status lines (at most: connected, exited,
// waiting), and a row when the followed process was measured.
struct LogStep {
  int statusCount = 0;
  ZChar status[3][kLogStatusUnits];
  bool row = false;
  bool finished = false;  // the process followed by PID is gone: the log ends
  uint32_t pid = 0;
  uint32_t virtualMb = 0;  // as ZOR.exe shows it
  uint32_t peakMb = 0;     // the highest virtualMb since this process was connected
  uint64_t limitMb = 0;
  TargetCeiling ceiling;
  AddressSpaceStats stats;
};

class LogFollower {
 public:
  explicit LogFollower(const LogArgs& args);
  ~LogFollower();
  LogFollower(const LogFollower&) = delete;
  LogFollower& operator=(const LogFollower&) = delete;
  // For a PID: false, with a one-line reason, when it is not running or
  // cannot be read.
  bool Start(ZChar* error);
  void Step(LogStep* step);

 private:
  // ceiling: the ceiling this process has, and why, follow.
  void Status(LogStep* step, const char* before, const char* after, bool ceiling = false);
  void Disconnect();
  ZChar name_[kTextUnits];
  uint32_t pid_ = 0;
  // Held from connection to exit: the exit is seen on it, and the PID cannot
  // pass to another process meanwhile.
  ProcessHandle handle_ = nullptr;
  bool byPid_ = false;
  bool connected_ = false;
  bool announced_ = false;  // "waiting for" said since the last connection
  uint32_t peakMb_ = 0;
  TargetCeiling ceiling_;
};

// Rows keep to the system clock: row k falls due kRowDelayMs after the whole
// second first + k * interval and is labelled with that second. Given the
// last row's second, the next one's; the schedule starts again from the
// current second when the clock is a whole interval past the next row or
// was set back.
enum { kRowDelayMs = 100 };
uint64_t NextRowSecond(uint64_t lastSecond, uint32_t intervalSeconds, uint64_t nowMs);

struct LogTime {
  int year, month, day, hour, minute, second;
};

extern const char kLogHeader[];
// One CSV row with its line end, always terminated; returns its length.
size_t FormatLogRow(const LogTime& time, const LogStep& step, char* out, size_t cap);
