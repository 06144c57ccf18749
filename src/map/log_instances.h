// The processes a zorlog log holds rows of, each by its PID: whose it was,
// the time of its first and last row and its peak virtual size. Processes
// of one name whose rows overlap in time cannot be drawn as one line, so
// zormap shows one of them; one after another (restarts) they can.
#pragma once
#include <stdint.h>

#include "map/history.h"
#include "monitor/process_api.h"
#include "space/log_reader.h"

// No PID a log can hold: the reader keeps its PIDs below it.
const uint32_t kEveryPid = 0xFFFFFFFFu;

struct LogInstance {
  uint32_t pid;
  ZChar user[kUserUnits];  // empty in logs older than the column
  // First and last row placed by UTC, as the history places them, and the
  // offsets that give their local times.
  int64_t first, last;
  int32_t firstLabel, lastLabel;
  uint32_t peakMb;
  uint32_t rows;
};

class LogInstances {
 public:
  // Past this many PIDs the rest are left out, and that is said.
  enum { kListed = 256 };
  void Clear();
  // A row placed at time (UTC where it has its offset), label to its local time.
  void Add(int64_t time, int32_t label, const FollowStep& row);
  uint32_t Count() const { return count_; }
  const LogInstance& At(uint32_t i) const { return list_[i]; }
  bool Unlisted() const { return unlisted_; }  // PIDs past the list were left out
  // True when the rows of two PIDs overlap in time.
  bool Overlap() const;

 private:
  LogInstance list_[kListed];
  uint32_t count_ = 0, lastFound_ = 0;
  bool unlisted_ = false;
};
