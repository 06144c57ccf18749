// zorlog's figures of every followed instance in the Prometheus text format
// (0.0.4), as a monitoring agent's textfile collector reads it: LF line
// ends, one HELP and one TYPE line per metric with all its samples together,
// label values escaped.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/follow.h"

struct MetricsInstance {
  const ZChar* name = nullptr;  // image name
  uint32_t pid = 0;
  bool sessionKnown = false;
  uint32_t session = 0;
  const ZChar* user = nullptr;  // DOMAIN\user, or null where it could not be read
  bool is64Bit = false;
  uint64_t virtualBytes = 0;
  bool ceilingKnown = false;  // then the ceiling and usable figures are given
  uint64_t ceilingBytes = 0, largestUsableBytes = 0, usableFreeBytes = 0;
  bool threadsKnown = false;
  uint32_t threads = 0;
  uint64_t stackBytes = 0;  // reserved for thread stacks
  uint32_t warnings = 0;    // the kinds on, as bits (1 << WarningKind)
  int64_t lastReading = 0;  // seconds since 1970-01-01 UTC
};

// A reading of the process name, with the warning's kinds on (bits) and its
// time; name and user point into name and step.
void SetMetrics(const FollowStep& step, const ZChar* name, uint32_t warnings, int64_t unixSeconds,
                MetricsInstance* out);

// Where the text goes, a line at a time (each with its LF); false stops it.
class MetricsOut {
 public:
  virtual bool Line(const char* text, size_t length) = 0;

 protected:
  ~MetricsOut() = default;
};

// Every metric of every instance; false when out refused a line.
bool WriteMetrics(const MetricsInstance* instances, uint32_t count, MetricsOut* out);
