// The command line of zorlog.exe:
//   zorlog.exe [-i SECONDS] [-n ROWS] [-o FILE] [--metrics FILE.prom]
//              [warnings and actions] NAME|PID|--all NAME
#pragma once
#include <stdint.h>

#include "common/ztext.h"

struct LogArgs {
  uint32_t intervalSeconds = 1;    // 1 to 3600
  uint32_t rows = 0;               // 0: until stopped
  const ZChar* file = nullptr;     // append here; null: standard output
  ZChar name[kTextUnits] = {0};    // the image name followed, when pid is 0
  uint32_t pid = 0;                // that process only
  bool all = false;                // --all: every process of the name at once
  const ZChar* metrics = nullptr;  // the figures written here after each interval
  bool help = false;               // /?, -h or --help: the usage, nothing else
  // --register-event-source (1) or --unregister-event-source (-1), alone:
  // the event log source's key written or removed, nothing else.
  int eventSource = 0;
  // Warnings, each 0 when not asked for.
  uint32_t warnBelowMb = 0;    // the largest usable block under this, 1 to 4096
  uint32_t warnAtPercent = 0;  // the virtual size at this share of the ceiling, 1 to 100
  uint32_t warnMinutes = 0;    // the trend reaching the ceiling within this, 1 to 1440
  // What a warning does besides a line on standard error.
  const ZChar* run = nullptr;         // a command started with the placeholders replaced
  bool eventLog = false;              // an entry in the Application event log
  const ZChar* saveMapDir = nullptr;  // the map saved here, and the last one before an exit
};

enum { kLogErrorUnits = 160 };

// False with a one-line reason in error (terminated) when the arguments are
// not of that form or a value is out of range.
bool ParseLogArgs(int argc, const ZChar* const* argv, LogArgs* args, ZChar* error);

extern const char kLogUsage[];
