#pragma once
#include <stdint.h>

#include "monitor/process_api.h"

// Virtual size of a process in KB: committed plus reserved regions of the
// application address range. 0 when the process is gone or unreadable.
uint32_t QueryProcessVirtualSize(uint32_t pid);

// What the same walk finds besides the size, in bytes of the application
// address range: committed + reserved is exactly what the size counts.
struct AddressSpaceStats {
  uint64_t committed = 0;
  uint64_t reserved = 0;
  uint64_t free = 0;
  uint64_t largestFree = 0;
  uint32_t regions = 0;  // regions the walk visited
};

// QueryProcessVirtualSize, filling stats from the same one walk (left zero
// when the process is gone or unreadable).
uint32_t WalkAddressSpace(uint32_t pid, AddressSpaceStats* stats);

// The platform's system information, read once per run.
const SystemInfoRecord& CachedSystemInfo();

// For tests: forget the cached record so the next call reads it again.
void ResetSystemInfoCache();
