// The regions' texts: the panels' lines and the map CSV.
#include "common/char_builder.h"
#include "map/regions.h"
#include "monitor/process_api.h"

const char kMapCsvHeader[] = "base,size,state,type,protect,allocation_base,name,use\r\n";
const char kMapCsvCeiling[] = "ceiling";
const char* const kMapUseNames[kPrivateUses + 1] = {"", "stack", "thread block", "process block",
                                                    nullptr};

namespace {

const char* StateText(uint32_t state) {
  return state == kMemCommit ? "commit" : state == kMemReserve ? "reserve" : "free";
}

const char* TypeText(uint32_t type) {
  return type == kMemImage ? "image" : type == kMemMapped ? "mapped" : type ? "private" : "";
}
}  // namespace

void AddHex(ZBuilder& b, uint64_t v, int width) {
  char text[20];
  CharBuilder(text, sizeof text).Add("0x").Num(v, width, 16);
  b.AddAscii(text);
}

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
  b.AddAscii(StateText(r.state)).AddAscii("  ").AddAscii(TypeText(r.type)).AddAscii("  ");
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
  b.AddAscii(TypeText(a.type)).AddAscii(" at ");
  AddHex(b, a.base, 8);
  if (a.name) b.AddAscii("  ").Add(a.name);
}

size_t FormatCsvLine(const MapRegion& r, const ZChar* name, char* out, size_t cap) {
  if (!cap) return 0;
  CharBuilder b(out, cap);
  b.Add("0x").Num(r.base, 8, 16).Add(",").Num(r.size).Add(",").Add(StateText(r.state));
  b.Add(",").Add(TypeText(r.type)).Add(",0x").Num(r.protect, 1, 16);
  b.Add(",0x").Num(r.allocationBase, 8, 16).Add(",\"");
  ZChar thread[32];
  if (r.use == kUseStack || r.use == kUseThreadBlock) {
    ZBuilder(thread, 32).AddAscii("thread ").AddInt(r.tid);
    name = thread;
  }
  ZChar quoted[2 * kImagePathUnits + 1];  // a quote inside doubled
  size_t n = 0;
  for (const ZChar* p = name ? name : ZT(""); *p && n + 2 < 2 * kImagePathUnits; ++p) {
    if (*p == '"') quoted[n++] = '"';
    quoted[n++] = *p;
  }
  quoted[n] = 0;
  b.AddUtf8(quoted).Add("\",").Add(kMapUseNames[r.use < kPrivateUses ? r.use : 0]).Add("\r\n");
  return b.Length();
}

size_t FormatCsvCeiling(const TargetCeiling& c, char* out, size_t cap) {
  if (!cap) return 0;
  *out = 0;
  if (!c.known) return 0;
  CharBuilder b(out, cap);
  b.Add(kMapCsvCeiling).Add(",").Num(c.mb).Add(",0x").Num(c.lastByte, 8, 16);
  b.Add(",").Num(c.stackReserve).Add("\r\n");
  return b.Length();
}
