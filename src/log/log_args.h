// The command line of zorlog.exe:
//   zorlog.exe [-i SECONDS] [-n ROWS] [-o FILE] NAME|PID
#pragma once
#include <stdint.h>

#include "common/ztext.h"

struct LogArgs {
  uint32_t intervalSeconds = 1;  // 1 to 3600
  uint32_t rows = 0;             // 0: until stopped
  const ZChar* file = nullptr;   // append here; null: standard output
  ZChar name[kTextUnits] = {0};  // the image name followed, when pid is 0
  uint32_t pid = 0;              // that process only
  bool help = false;             // /?, -h or --help: the usage, nothing else
};

enum { kLogErrorUnits = 160 };

// False with a one-line reason in error (terminated) when the arguments are
// not of that form or a value is out of range.
bool ParseLogArgs(int argc, const ZChar* const* argv, LogArgs* args, ZChar* error);

extern const char kLogUsage[];
