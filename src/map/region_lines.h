// The side panel's lines of a region and of an allocation.
#pragma once
#include <stddef.h>

#include "common/ztext.h"
#include "space/regions.h"

// "0x00100000 to 0x001FFFFF:" of the cell's MB.
void FormatCellHeading(uint32_t cell, ZChar* out, size_t units);
// One line of the panel: base, size, state, type, protection, name.
void FormatRegionLine(const MapRegion& r, const ZChar* name, ZChar* out, size_t units);
// "412 thread stacks: 412 MB reserved, 9 MB committed" for a group.
void FormatAllocationLine(const Allocation& a, ZChar* out, size_t units);
