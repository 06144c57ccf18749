// The ceiling of a target's own address space: what it can reach, and why.
#pragma once
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/process_api.h"

enum { kCeilingReasonUnits = 48 };

struct TargetCeiling {
  bool known = false;      // false for a 64-bit process or an unreadable header
  bool is64Bit = false;    // no 32-bit ceiling at all
  uint32_t mb = 0;         // as the target's GlobalMemoryStatusEx would say, >> 20
  uint64_t lastByte = 0;   // its last usable address, when known
  uint32_t flaggedMb = 0;  // what the large-address-aware flag would give one without it
  // What a new thread of its own reserves for a stack by default (its
  // executable's reservation, grown as Windows grows it), 0 when unread.
  uint64_t stackReserve = 0;
  ZChar reason[kCeilingReasonUnits] = {0};
};

// What the ceiling follows from.
struct CeilingFacts {
  bool targetIs64Bit = false;
  bool headerRead = false;
  bool largeAddressAware = false;  // the executable's own flag
  uint64_t stackReserve = 0;       // SizeOfStackReserve, 0 when not read
  uint64_t stackCommit = 0;        // SizeOfStackCommit
  uint32_t ownMb = 0;              // this large-address-aware program's space
  uint64_t ownLastByte = 0;        // and its last usable address
};

TargetCeiling DecideCeiling(const CeilingFacts& facts);

// Reads the facts from the process (once per connection) and decides:
// through a handle the caller holds, with query and VM-read access (with
// less, the header is unreadable), or through one of its own.
TargetCeiling QueryTargetCeiling(ProcessHandle h);
TargetCeiling QueryTargetCeiling(uint32_t pid);
