// The lines the side panel shows of a region and of an allocation.
#include "map/region_lines.h"

void FormatCellHeading(uint32_t cell, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  const uint64_t start = static_cast<uint64_t>(cell) << 20;
  AddHex(b, start, 8);
  b.AddAscii(" to ");
  AddHex(b, start + 0xFFFFF, 8);
  b.AddAscii(":");
}

void FormatRegionLine(const MapRegion& r, const ZChar* name, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  AddHex(b, r.base, 8);
  b.AddAscii("  ").AddInt(static_cast<int64_t>(r.size >> 10)).AddAscii(" KB  ");
  b.AddAscii(RegionStateText(r.state))
      .AddAscii("  ")
      .AddAscii(RegionTypeText(r.type))
      .AddAscii("  ");
  AddHex(b, r.protect, 1);
  if (name) b.AddAscii("  ").Add(name);
}

void FormatAllocationLine(const Allocation& a, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  if (a.stacks > 1) {
    b.AddInt(a.stacks).AddAscii(" thread stacks: ").AddInt(static_cast<int64_t>(a.size >> 20));
    b.AddAscii(" MB reserved, ").AddInt(static_cast<int64_t>(a.committed >> 20));
    b.AddAscii(" MB committed");
    return;
  }
  b.AddInt(static_cast<int64_t>(a.size >> 20)).AddAscii(" MB, ");
  b.AddInt(static_cast<int64_t>(a.committed >> 20)).AddAscii(" MB committed, ");
  b.AddAscii(RegionTypeText(a.type)).AddAscii(" at ");
  AddHex(b, a.base, 8);
  if (a.name) b.AddAscii("  ").Add(a.name);
}
