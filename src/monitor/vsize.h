#pragma once
#include <stdint.h>

#include "monitor/process_api.h"

// Virtual size of a process in KB: committed plus reserved regions of the
// application address range. 0 when the process is gone or unreadable.
uint32_t QueryProcessVirtualSize(uint32_t pid);

// The platform's system information, read once per run.
const SystemInfoRecord& CachedSystemInfo();

// For tests: forget the cached record so the next call reads it again.
void ResetSystemInfoCache();
