// The figures zormap.exe shows beside the map, and their text.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "monitor/vsize.h"
#include "monitor/warning.h"

// One reading as the window shows it.
struct MapFigures {
  uint32_t virtualMb = 0, peakMb = 0, regions = 0;
  uint64_t limitMb = 0;  // the monitor's own space, where the ceiling is not known
  TargetCeiling ceiling;
  AddressSpaceStats stats;
  int32_t trendMinutes = Trend::kTooFew;
};
// 0 for a 64-bit target: it has no 32-bit ceiling to be a share of.
uint32_t PercentOfCeiling(const MapFigures& f);
uint64_t CeilingMb(const MapFigures& f);
WarningReading WarningReadingOf(const MapFigures& f);
// Lines separated by CR LF, always terminated.
void FormatMapFigures(const MapFigures& f, ZChar* out, size_t units);
