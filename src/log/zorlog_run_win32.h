// zorlog.exe's loop: a row of each target at each interval, the warnings'
// actions carried out, the metrics file kept, until it is told to stop.
#pragma once
#include <windows.h>

#include "log/log_args.h"
#include "monitor/follow.h"

// The exit code: 0 when stopped, all rows written or the PID ended; 1 when
// the log cannot be written. stop: set to end it. columns: those of the
// file's header.
int RunLog(const LogArgs& args, TargetFollower* follower, HANDLE out, uint32_t columns,
           HANDLE stop);
// --all: every process of the name.
int RunFleet(const LogArgs& args, HANDLE out, uint32_t columns, HANDLE stop);
