#include "space/free_space.h"

#include "monitor/process_api.h"
#include "monitor/vsize.h"

namespace {

// A run of free regions [first, after) and the space it spans.
struct Piece {
  uint64_t start, end;
  uint32_t first, after;
};

// The next free piece from region i on; false when there is none.
bool NextPiece(const MapRegion* r, uint32_t n, uint32_t i, Piece* p) {
  while (i < n && r[i].state != kMemFree) ++i;
  if (i == n) return false;
  p->first = i;
  p->start = r[i].base;
  while (i < n && r[i].state == kMemFree) ++i;
  p->after = i;
  p->end = r[i - 1].base + r[i - 1].size;
  return true;
}

uint64_t Usable(uint64_t start, uint64_t end, uint64_t top, uint32_t granularity) {
  uint64_t from, to;
  return UsablePart(start, end, top, granularity, &from, &to) ? to - from : 0;
}

// The next free piece with a usable part: a sliver between two DLLs holds
// nothing, so the allocations on both sides of it make one run.
bool NextUsablePiece(const MapRegion* r, uint32_t n, uint32_t i, uint64_t top, uint32_t granularity,
                     Piece* p) {
  for (; NextPiece(r, n, i, p); i = p->after)
    if (Usable(p->start, p->end, top, granularity)) return true;
  return false;
}

// A size as AddSize prints it: a gain under its unit does not show.
uint64_t Shown(uint64_t bytes) {
  return bytes >= (1u << 20) ? bytes >> 20 << 20 : bytes >> 10 << 10;
}

// Whole MB from 1 MB on, KB below.
void AddSize(ZBuilder& b, uint64_t bytes) {
  if (bytes >= (1u << 20))
    b.AddInt(static_cast<int64_t>(bytes >> 20)).AddAscii(" MB");
  else
    b.AddInt(static_cast<int64_t>(bytes >> 10)).AddAscii(" KB");
}

void AddCount(ZBuilder& b, uint64_t n, const char* one, const char* many) {
  b.AddInt(static_cast<int64_t>(n)).AddAscii(" ").AddAscii(n == 1 ? one : many);
}

}  // namespace

uint32_t FindSeparators(const MapRegion* r, uint32_t n, uint64_t top, uint32_t granularity,
                        Separator* out, uint32_t max) {
  uint64_t largest = 0;
  Piece p;
  for (uint32_t i = 0; NextPiece(r, n, i, &p); i = p.after) {
    const uint64_t u = Usable(p.start, p.end, top, granularity);
    if (u > largest) largest = u;
  }
  uint32_t found = 0;
  Piece before, after;
  for (bool more = NextUsablePiece(r, n, 0, top, granularity, &before); more; before = after) {
    more = NextUsablePiece(r, n, before.after, top, granularity, &after);
    if (!more) break;
    const Separator s = {before.end, after.start, Usable(before.start, after.end, top, granularity),
                         before.after, after.first - before.after};
    if (Shown(s.block) <= Shown(largest)) continue;
    uint32_t at = found < max ? found++ : max;  // largest block first; the smallest falls off
    while (at > 0 && out[at - 1].block < s.block) {
      if (at < max) out[at] = out[at - 1];
      --at;
    }
    if (at < max) out[at] = s;
  }
  return found;
}

void FormatSeparatorBlock(const Separator& s, ZBuilder& b) {
  b.AddAscii("without it: ");
  AddSize(b, s.block);
  b.AddAscii(" in one block");
}

uint32_t FormatSeparator(const Separator& s, const MapRegion* regions, AllocationName names,
                         const void* context, ZChar* out, size_t units, uint32_t maxNames,
                         bool block) {
  uint32_t listed = 0;
  ZBuilder b(out, units);
  AddHex(b, s.start, 8);
  b.AddAscii("-");
  AddHex(b, s.end - 1, 8);
  b.AddAscii(", ");
  AddSize(b, s.end - s.start);
  b.AddAscii(": ");
  const struct {
    uint32_t type;
    const char *one, *many;
  } kinds[] = {{kMemImage, "image", "images"},
               {kMemMapped, "mapped file", "mapped files"},
               {kMemPrivate, "private allocation", "private allocations"}};
  bool first = true;
  for (const auto& kind : kinds) {
    uint32_t allocations = 0;
    const MapRegion* last = nullptr;
    for (uint32_t i = s.first; i < s.first + s.count; ++i) {
      const MapRegion& r = regions[i];
      if (r.type == kind.type && (!last || last->allocationBase != r.allocationBase)) ++allocations;
      if (r.type == kind.type) last = &r;
    }
    if (!allocations) continue;
    if (!first) b.AddAscii("; ");
    first = false;
    AddCount(b, allocations, kind.one, kind.many);
    if (kind.type == kMemPrivate || !names) continue;
    const char* separator = ": ";
    last = nullptr;
    for (uint32_t i = s.first; i < s.first + s.count; ++i) {
      const MapRegion& r = regions[i];
      if (r.type != kind.type || (last && last->allocationBase == r.allocationBase)) continue;
      last = &r;
      const ZChar* name = names(context, r.allocationBase);
      if (!name) continue;
      if (listed == maxNames) {  // the count already says how many there are
        b.AddAscii(separator).AddAscii("...");
        break;
      }
      b.AddAscii(separator).Add(ZFileName(name));
      separator = ", ";
      ++listed;
    }
  }
  if (block) FormatSeparatorBlock(s, b.AddAscii("; "));
  return listed;
}

void CountFits(const MapRegion* r, uint32_t n, uint64_t top, uint32_t granularity, Fit* fits,
               uint32_t fitCount) {
  for (uint32_t k = 0; k < fitCount; ++k) fits[k].count = 0;
  Piece p;
  for (uint32_t i = 0; NextPiece(r, n, i, &p); i = p.after) {
    const uint64_t u = Usable(p.start, p.end, top, granularity);
    for (uint32_t k = 0; k < fitCount; ++k) {
      uint64_t unit = fits[k].size;
      if (granularity > 1) unit = (unit + granularity - 1) / granularity * granularity;
      if (unit) fits[k].count += u / unit;
    }
  }
}

void FormatStillFits(const MapRegion* r, uint32_t n, uint64_t top, uint32_t granularity,
                     uint64_t stackReserve, ZChar* out, size_t units) {
  Fit fits[] = {{stackReserve, 0}, {64ull << 20, 0}, {256ull << 20, 0}};
  CountFits(r, n, top, granularity, fits, 3);
  ZBuilder b(out, units);
  b.AddAscii("Still fits: ");
  if (stackReserve) {
    AddCount(b, fits[0].count, "thread stack of ", "thread stacks of ");
    AddSize(b, stackReserve);
    b.AddAscii(", ");
  }
  const ZChar times[] = {' ', 0xD7, ' ', 0};
  for (int k = 1; k < 3; ++k) {
    b.AddInt(static_cast<int64_t>(fits[k].count)).Add(times);
    AddSize(b, fits[k].size);
    if (k < 2) b.AddAscii(", ");
  }
}

bool FormatFlagLine(const TargetCeiling& c, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  if (!c.known || c.flaggedMb <= c.mb) return false;
  b.AddAscii("Not large-address-aware: the flag would raise its ceiling from ").AddInt(c.mb);
  b.AddAscii(" to ").AddInt(c.flaggedMb).AddAscii(" MB");
  return true;
}
