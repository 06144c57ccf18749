#include "map/map_figures.h"

uint64_t CeilingMb(const MapFigures& f) { return CeilingMbOf(f.ceiling, f.limitMb); }

uint32_t PercentOfCeiling(const MapFigures& f) {
  return PercentOf(f.virtualMb, f.ceiling, f.limitMb);
}

WarningReading WarningReadingOf(const MapFigures& f) {
  return WarningReadingOf(f.virtualMb, f.ceiling, f.limitMb, f.stats, f.trendMinutes);
}

void FormatMapFigures(const MapFigures& f, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  b.AddAscii("Virtual size: ").AddInt(f.virtualMb).AddAscii(" MB");
  // This program's own 4 GB says nothing of a 64-bit target's space.
  if (f.ceiling.is64Bit) {
    b.AddAscii("\r\n64-bit process: no 32-bit ceiling");
  } else {
    b.AddAscii(" of ").AddInt(static_cast<int64_t>(CeilingMb(f)));
    b.AddAscii(" MB (")
        .AddInt(PercentOfCeiling(f))
        .AddAscii(" %)\r\nCeiling: ")
        .Add(f.ceiling.reason);
  }
  const AddressSpaceStats& s = f.stats;
  if (f.ceiling.known) {
    b.AddAscii("\r\nLargest usable block: ").AddInt(static_cast<int64_t>(s.largestUsable >> 20));
    b.AddAscii(" MB, below 2 GB: ").AddInt(static_cast<int64_t>(s.largestUsableBelow2G >> 20));
    const int64_t fragmented =
        s.usableFree ? static_cast<int64_t>(100 - s.largestUsable * 100 / s.usableFree) : 0;
    b.AddAscii(" MB\r\nUsable free: ").AddInt(static_cast<int64_t>(s.usableFree >> 20));
    b.AddAscii(" MB, fragmentation ").AddInt(fragmented).AddAscii(" %");
  }
  b.AddAscii("\r\nRegions: ").AddInt(f.regions).AddAscii(", peak ").AddInt(f.peakMb);
  b.AddAscii(" MB\r\nTrend: ");
  if (f.ceiling.is64Bit)
    b.AddAscii("no ceiling to reach");
  else if (f.trendMinutes == Trend::kTooFew)
    b.AddAscii("measuring");
  else if (f.trendMinutes == Trend::kNotGrowing)
    b.AddAscii("not growing");
  else
    b.AddAscii("about ").AddInt(f.trendMinutes).AddAscii(" min to the ceiling");
}
