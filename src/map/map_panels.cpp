#include "map/map_panels.h"

#include "map/map_figures.h"
#include "map/region_lines.h"
#include "space/free_space.h"

namespace {

int WidthOf(TextMeasure& m, const ZChar* text) { return m.Width(text, ZLen(text)); }

// Where the last n components of the path begin (at their backslash), or 0.
size_t Tail(const ZChar* path, size_t length, int n) {
  for (size_t i = length; i-- > 0;)
    if (path[i] == '\\' && --n == 0) return i;
  return 0;
}

const ZChar* Named(const void* table, uint64_t allocationBase) {
  return static_cast<const RegionTable*>(table)->NameOf(allocationBase);
}

// "stack of thread 1234: " before the line, so that a line too wide for
// the panel gives up its last fields, never whose it is; false for other
// private data.
bool AddUse(ZChar* line, size_t units, PrivateUse use, uint32_t tid) {
  ZChar named[160];
  FormatPrivateUse(use, tid, named, 48);
  if (!*named) return false;
  ZBuilder(named + ZLen(named), 160 - ZLen(named)).AddAscii(": ").Add(line);
  ZCopy(line, units, named);
  return true;
}

}  // namespace

// path[0, head) "..." path[tail, length) into out.
void Join(const ZChar* path, size_t head, size_t tail, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  for (size_t i = 0; i < head; ++i) {
    const ZChar one[2] = {path[i], 0};
    b.Add(one);
  }
  b.AddAscii("...").Add(path + tail);
}

void FitPath(TextMeasure& m, const ZChar* path, int width, ZChar* out, size_t units) {
  if (!units) return;
  ZCopy(out, units, path);
  const size_t length = ZLen(out);
  if (WidthOf(m, out) <= width || units < 5) return;
  // The end kept whole: "\folder\name" if it fits after "...", else "\name",
  // else as much of the name's end as fits.
  size_t tail = Tail(out, length, 2);
  for (;;) {
    Join(path, 0, tail, out, units);
    if (WidthOf(m, out) <= width || tail + 1 >= length) break;
    const size_t shorter = Tail(path, length, 1);
    tail = tail < shorter ? shorter : tail + 1;
  }
  // Then as much of the start as still fits before "..." (the width grows
  // with the start, so the longest that fits is found by halving).
  size_t lo = 0, hi = tail;
  while (lo < hi) {
    const size_t mid = (lo + hi + 1) / 2;
    Join(path, mid, tail, out, units);
    if (WidthOf(m, out) <= width)
      lo = mid;
    else
      hi = mid - 1;
  }
  Join(path, lo, tail, out, units);
}

PanelText::PanelText(TextMeasure& measure, int width, ZChar* out, size_t units,
                     const ZChar* heading)
    : measure_(measure), width_(width), text_(out, units) {
  text_.Add(heading);
}

void FitLine(TextMeasure& m, const ZChar* text, int width, ZChar* out, size_t units) {
  if (units < 4) {
    if (units) *out = 0;
    return;
  }
  ZCopy(out, units, text);
  if (WidthOf(m, out) <= width) return;
  size_t lo = 0, hi = ZLenBounded(text, units - 4);
  while (lo < hi) {  // the longest start that fits before "..."
    const size_t mid = (lo + hi + 1) / 2;
    ZCopy(out, mid + 1, text);
    ZBuilder(out + mid, 4).AddAscii("...");
    if (WidthOf(m, out) <= width)
      lo = mid;
    else
      hi = mid - 1;
  }
  ZCopy(out, lo + 1, text);
  ZBuilder(out + lo, 4).AddAscii("...");
}

bool PanelText::Line(const ZChar* fixed, const ZChar* path) {
  if (lines_ >= kPanelLines) return false;
  ++lines_;
  text_.AddAscii("\r\n");
  if (WidthOf(measure_, fixed) > width_) {  // never cut by the panel's edge: "..." at its end
    ZChar cut[kPanelUnits / 4];
    FitLine(measure_, fixed, width_, cut, kPanelUnits / 4);
    text_.Add(cut);
    return true;
  }
  text_.Add(fixed);
  if (!path) return true;
  ZChar name[kImagePathUnits];
  const int gap = measure_.Width(ZT("  "), 2);
  FitPath(measure_, path, width_ - WidthOf(measure_, fixed) - gap, name, kImagePathUnits);
  text_.AddAscii("  ").Add(name);
  return true;
}

void CellPanel(const RegionTable& table, uint32_t cell, TextMeasure& measure, int width, ZChar* out,
               size_t units) {
  ZChar heading[48];
  FormatCellHeading(cell, heading, 48);
  PanelText panel(measure, width, out, units, heading);
  uint32_t in[kPanelLines - 1];
  const uint32_t n = table.InCell(cell, in, kPanelLines - 1);
  for (uint32_t i = 0; i < n && i < kPanelLines - 1; ++i) {
    const MapRegion& r = table.At(in[i]);
    ZChar line[128];
    FormatRegionLine(r, nullptr, line, 128);
    if (AddUse(line, 128, r.use, r.tid))
      panel.Line(line, nullptr);
    else
      panel.Line(line, r.state != kMemFree ? table.NameOf(r.allocationBase) : nullptr);
  }
}

void LargestPanel(const RegionTable& table, const TargetCeiling& ceiling, TextMeasure& measure,
                  int width, ZChar* out, size_t units) {
  // What keeps the space apart and what still fits take their lines first:
  // only against a ceiling, which a 64-bit target has none of.
  const uint32_t kMostApart = 2;
  Separator apart[kMostApart];
  const uint32_t granularity = CachedSystemInfo().allocationGranularity;
  const uint32_t found = ceiling.known
                             ? FindSeparators(table.All(), table.Count(), ceiling.lastByte,
                                              granularity, apart, kMostApart)
                             : 0;
  const uint32_t shown = found < kMostApart ? found : kMostApart;
  // Each run takes two lines under its heading; what still fits one.
  const uint32_t most = kPanelLines - 1 - (shown ? 2 * shown + 1 : 0) - (ceiling.known ? 1 : 0);
  PanelText panel(measure, width, out, units, ZT("Largest allocations:"));
  Allocation top[kPanelLines - 1];
  const uint32_t n = table.Largest(top, most);
  for (uint32_t i = 0; i < n && i < most; ++i) {
    ZChar line[128];
    const ZChar* name = top[i].name;
    top[i].name = nullptr;
    FormatAllocationLine(top[i], line, 128);
    AddUse(line, 128, top[i].stacks == 1 ? kUseStack : kUseOther, top[i].tid);
    panel.Line(line, name);
  }
  ZChar line[kPanelUnits / 4];
  if (shown) panel.Line(ZT("What keeps the space apart:"), nullptr);
  for (uint32_t i = 0; i < shown; ++i) {
    // Names give way, last first, to keep the extent and the counts in view;
    // the block it would make has a line of its own.
    uint32_t names =
        FormatSeparator(apart[i], table.All(), Named, &table, line, kPanelUnits / 4, ~0u, false);
    while (names-- > 0 && WidthOf(measure, line) > width)
      FormatSeparator(apart[i], table.All(), Named, &table, line, kPanelUnits / 4, names, false);
    panel.Line(line, nullptr);
    ZBuilder b(line, kPanelUnits / 4);
    FormatSeparatorBlock(apart[i], b.AddAscii("  "));
    panel.Line(line, nullptr);
  }
  if (!ceiling.known) return;
  FormatStillFits(table.All(), table.Count(), ceiling.lastByte, granularity, ceiling.stackReserve,
                  line, kPanelUnits / 4);
  panel.Line(line, nullptr);
}

void LegendLine(const AddressMap& map, int kind, ZChar* out, size_t units) {
  ZBuilder(out, units)
      .AddAscii(kMapKindNames[kind])
      .AddAscii(" ")
      .AddInt(static_cast<int64_t>(map.bytes[kind] >> 20))
      .AddAscii(" MB");
}

int LegendWidth(TextMeasure& measure, int box) {
  AddressMap widest;
  for (uint64_t& b : widest.bytes) b = 4096ull << 20;
  int most = 0;
  for (int k = 0; k < kMapKinds; ++k) {
    ZChar line[64];
    LegendLine(widest, k, line, 64);
    const int w = WidthOf(measure, line);
    if (w > most) most = w;
  }
  return box + 6 + most;
}

int FiguresWidth(TextMeasure& measure) {
  // The largest figures of the longest kind, then the flag's line.
  MapFigures f;
  f.virtualMb = f.peakMb = 4095;
  f.regions = 999999;
  f.trendMinutes = 99999;
  f.ceiling.known = true;
  f.ceiling.mb = f.ceiling.flaggedMb = 4095;
  ZBuilder(f.ceiling.reason, kCeilingReasonUnits)
      .AddAscii("large-address-aware, 4 GB (64-bit system)");
  f.stats.largestUsable = f.stats.largestUsableBelow2G = f.stats.usableFree = 4095ull << 20;
  ZChar text[512];
  FormatMapFigures(f, text, 512);
  const size_t length = ZLen(text);
  f.ceiling.mb = 2047;
  if (length + 2 < 512 && FormatFlagLine(f.ceiling, text + length + 2, 512 - length - 2))
    text[length] = '\r', text[length + 1] = '\n';
  int most = 0;
  for (const ZChar* from = text; *from;) {
    const ZChar* to = from;
    while (*to && *to != '\r') ++to;
    const int w = measure.Width(from, static_cast<size_t>(to - from));
    if (w > most) most = w;
    for (from = to; *from == '\r' || *from == '\n';) ++from;
  }
  return most;
}
