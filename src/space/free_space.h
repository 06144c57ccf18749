// What keeps the free space apart, and what still fits in it: from one
// walk's regions in address order, the runs of allocations whose removal
// would make a larger usable block, and how many allocations of a few sizes
// the usable pieces still hold.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "space/regions.h"

// The allocations between two free pieces.
struct Separator {
  uint64_t start, end;    // the run's extent
  uint64_t block;         // the usable block there would be without it
  uint32_t first, count;  // its regions in the walk
};

// The runs whose removal would make a usable block larger than the largest
// there is, largest block first; returns how many were written (up to max),
// none when no run would help. usableTop: the target's last usable byte.
uint32_t FindSeparators(const MapRegion* regions, uint32_t count, uint64_t usableTop,
                        uint32_t granularity, Separator* out, uint32_t max);

// The name behind an allocation of an image or mapped file, or null.
typedef const ZChar* (*AllocationName)(const void* context, uint64_t allocationBase);

// "0x10000000-0x103FFFFF, 4 MB: 2 images: xyz.dll, abc.dll; without it:
// 1100 MB in one block" (the part from "without it" only with block). names
// may be null. At most maxNames names are listed, "..." standing for those
// left out; returns how many it listed.
uint32_t FormatSeparator(const Separator& s, const MapRegion* regions, AllocationName names,
                         const void* context, ZChar* out, size_t units,
                         uint32_t maxNames = 0xFFFFFFFFu, bool block = true);
// "without it: 1100 MB in one block".
void FormatSeparatorBlock(const Separator& s, ZBuilder& b);

struct Fit {
  uint64_t size;   // asked for
  uint64_t count;  // how many more the usable pieces hold, piece by piece
};

// Fills each fit's count; an allocation takes whole granularity units.
void CountFits(const MapRegion* regions, uint32_t count, uint64_t usableTop, uint32_t granularity,
               Fit* fits, uint32_t fitCount);

// "Still fits: 812 thread stacks of 1 MB, 11 × 64 MB, 1 × 256 MB": the first
// size the target's own stack reservation (left out when 0).
void FormatStillFits(const MapRegion* regions, uint32_t count, uint64_t usableTop,
                     uint32_t granularity, uint64_t stackReserve, ZChar* out, size_t units);

// For a target the large-address-aware flag would give more space: "Not
// large-address-aware: the flag would raise its ceiling to 4095 MB". False,
// with out empty, for any other.
bool FormatFlagLine(const TargetCeiling& ceiling, ZChar* out, size_t units);
