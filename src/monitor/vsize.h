#pragma once
#include <stdint.h>

#include "monitor/process_api.h"

// Virtual size of a process in KB: committed plus reserved regions of the
// application address range. 0 when the process is gone or unreadable.
uint32_t QueryProcessVirtualSize(uint32_t pid);

enum RegionKind { kKindImage, kKindMapped, kKindPrivate, kRegionKinds };

// What the same walk finds besides the size, in bytes of the application
// address range. Every figure but free space counts what the size counts, so
// committed + reserved is the size, as is the sum over byteKind; only a last
// region whose state is neither (the size counts it) falls outside both.
struct AddressSpaceStats {
  uint64_t committed = 0;
  uint64_t reserved = 0;
  uint64_t free = 0;
  uint64_t largestFree = 0;
  uint32_t regions = 0;  // regions the walk visited
  uint64_t committedByKind[kRegionKinds] = {};
  uint64_t reservedByKind[kRegionKinds] = {};
  // Free space the process itself could still reserve: each free piece up to
  // its own last usable byte, from the piece's start rounded up to the
  // allocation granularity (a reservation starts only there). Counted only
  // when the walk is given that last byte.
  uint64_t usableFree = 0;
  uint64_t largestUsable = 0;
  uint64_t largestUsableBelow2G = 0;  // the part below 0x80000000 counts
  // The walk reached the end of the range, or the target's own last usable
  // byte: false when a query failed before (the target exiting mid-walk), so
  // that the figures are only what had been summed.
  bool whole = false;
};

struct TargetCeiling;
class ThreadCensus;

// Receives each region of a walk in address order, as far as the walk's
// range reaches: the first from where the walk starts, the last up to its
// last usable byte.
class RegionSink {
 public:
  virtual ~RegionSink() {}
  // Before the first region, once the process is known to be running.
  virtual void Begin(uint64_t usableTop) = 0;
  virtual void Region(const RegionInfo& region) = 0;
  // After a walk that made a reading: the target's ceiling, and the census
  // that says who holds each private region.
  virtual void Attribute(const TargetCeiling&, const ThreadCensus&) {}
};

// The part of a free piece [start, end) that a process whose last usable
// byte is usableTop could reserve: from start rounded up to the allocation
// granularity. False when nothing of it is usable.
bool UsablePart(uint64_t start, uint64_t end, uint64_t usableTop, uint32_t granularity,
                uint64_t* usableStart, uint64_t* usableEnd);

// One walk of a process through a handle with query access that the caller
// holds, so that the PID cannot pass to another process meanwhile. 0 with
// stats cleared when the process has exited or cannot be read. usableTop:
// the process's own last usable byte, or 0 to skip the usable figures.
uint32_t WalkProcess(ProcessHandle h, uint64_t usableTop, AddressSpaceStats* stats,
                     RegionSink* sink = nullptr);

// The platform's system information, read once per run.
const SystemInfoRecord& CachedSystemInfo();

// For tests: forget the cached record so the next call reads it again.
void ResetSystemInfoCache();
