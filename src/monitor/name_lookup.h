// The companions' lookup by name: the names come from the system's process
// list, so a process that cannot be opened is still seen and can be told of,
// rather than waited for in silence.
#pragma once
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/process_api.h"

struct NamedProcess {
  uint32_t pid = 0;                // the match opened, 0 when none could be
  ProcessHandle handle = nullptr;  // query access, VM-read too where granted
  // A process of that name that runs but cannot be opened, none of those
  // in skip: its PID and the system's error code.
  uint32_t refusedPid = 0;
  uint32_t refusedError = 0;
  bool toldRefused = false;  // one in skip still runs and is still refused
};

// skip: PIDs already told of (count of them). Where the system has no
// process snapshot, the lookup opens each process as ZOR.exe's does.
NamedProcess FindNamedProcess(const ZChar* name, const uint32_t* skip, int count);

// The image name of a running process from the snapshot; false when the
// snapshot is missing or holds no such PID.
bool ImageNameOfPid(uint32_t pid, ZChar* name, size_t units);

// Why a process could not be opened, in words: "access denied" or "error N".
void FormatOpenError(uint32_t error, ZBuilder& b);
