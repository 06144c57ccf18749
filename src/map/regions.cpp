#include "map/regions.h"

#include <stdlib.h>

#include "common/char_builder.h"
#include "monitor/process_api.h"

const char kMapCsvHeader[] = "base,size,state,type,protect,allocation_base,name\r\n";

namespace {

bool HasFile(uint32_t type) { return type == kMemImage || type == kMemMapped; }

const char* StateText(uint32_t state) {
  return state == kMemCommit ? "commit" : state == kMemReserve ? "reserve" : "free";
}

const char* TypeText(uint32_t type) {
  return type == kMemImage ? "image" : type == kMemMapped ? "mapped" : type ? "private" : "";
}

void AddHex(ZBuilder& b, uint64_t v, int width) {
  char text[20];
  CharBuilder(text, sizeof text).Add("0x").Num(v, width, 16);
  b.AddAscii(text);
}

}  // namespace

RegionTable::~RegionTable() {
  free(regions_);
  for (uint32_t i = 0; i < nameCount_; ++i) ZFree(names_[i].name);
  free(names_);
}

void RegionTable::Begin(uint64_t) { count_ = 0; }

void RegionTable::Region(const RegionInfo& r) {
  if (count_ == capacity_) {
    const uint32_t more = capacity_ ? capacity_ * 2 : 256;
    MapRegion* grown = static_cast<MapRegion*>(realloc(regions_, more * sizeof(MapRegion)));
    if (!grown) return;
    regions_ = grown;
    capacity_ = more;
  }
  regions_[count_++] = {r.base, r.size, r.allocationBase, r.state, r.type, r.protect};
}

void RegionTable::NameAllocations(uint32_t pid) {
  Named* fresh = static_cast<Named*>(malloc((count_ ? count_ : 1) * sizeof(Named)));
  if (!fresh) return;
  ProcessApi& api = Processes();
  ProcessHandle h = nullptr;
  bool opened = false;
  uint32_t n = 0, old = 0;
  for (uint32_t i = 0; i < count_; ++i) {
    const MapRegion& r = regions_[i];
    if (!HasFile(r.type) || (n && fresh[n - 1].base == r.allocationBase)) continue;
    // Both lists run in address order.
    for (; old < nameCount_ && names_[old].base < r.allocationBase; ++old) ZFree(names_[old].name);
    ZChar* name = nullptr;
    if (old < nameCount_ && names_[old].base == r.allocationBase && names_[old].type == r.type) {
      name = names_[old].name;  // kept while the allocation stays
      names_[old++].name = nullptr;
    } else {
      if (!opened) h = api.OpenProcess(kProcessQueryInformation | kProcessVmRead, pid);
      opened = true;
      ZChar path[kImagePathUnits];
      if (h && api.GetMappedFileName(h, r.allocationBase, path, kImagePathUnits)) name = ZDup(path);
    }
    fresh[n++] = {r.allocationBase, r.type, name};
  }
  for (; old < nameCount_; ++old) ZFree(names_[old].name);
  if (h) api.CloseHandle(h);
  free(names_);
  names_ = fresh;
  nameCount_ = n;
}

const ZChar* RegionTable::NameOf(uint64_t allocationBase) const {
  uint32_t lo = 0, hi = nameCount_;
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    if (names_[mid].base < allocationBase)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < nameCount_ && names_[lo].base == allocationBase ? names_[lo].name : nullptr;
}

uint32_t RegionTable::InCell(uint32_t cell, uint32_t* indices, uint32_t max) const {
  const uint64_t start = static_cast<uint64_t>(cell) << 20, end = start + (1 << 20);
  uint32_t lo = 0, hi = count_;  // the first region that ends past the cell's start
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    if (regions_[mid].base + regions_[mid].size <= start)
      lo = mid + 1;
    else
      hi = mid;
  }
  uint32_t n = 0;
  for (uint32_t i = lo; i < count_ && regions_[i].base < end; ++i) {
    uint32_t at = n < max ? n++ : max;  // largest first; the smallest falls off
    while (at > 0 && regions_[indices[at - 1]].size < regions_[i].size) {
      if (at < max) indices[at] = indices[at - 1];
      --at;
    }
    if (at < max) indices[at] = i;
  }
  return n;
}

uint32_t RegionTable::Largest(Allocation* out, uint32_t max) const {
  uint32_t n = 0;
  for (uint32_t i = 0; i < count_;) {
    const MapRegion& first = regions_[i];
    if (first.state == kMemFree) {
      ++i;
      continue;
    }
    Allocation a = {first.allocationBase, 0, 0, first.type, nullptr};
    for (; i < count_ && regions_[i].state != kMemFree &&
           regions_[i].allocationBase == first.allocationBase;
         ++i) {
      a.size += regions_[i].size;
      if (regions_[i].state == kMemCommit) a.committed += regions_[i].size;
    }
    if (HasFile(a.type)) a.name = NameOf(a.base);
    uint32_t at = n < max ? n++ : max;
    while (at > 0 && out[at - 1].size < a.size) {
      if (at < max) out[at] = out[at - 1];
      --at;
    }
    if (at < max) out[at] = a;
  }
  return n;
}

void ShortenPath(const ZChar* path, ZChar* out, size_t units) {
  const ZChar* name = path;
  const ZChar* folder = path;
  for (const ZChar* p = path; *p; ++p) {
    if (*p == '\\') {
      folder = name;
      name = p + 1;
    }
  }
  const size_t length = ZLen(folder);
  if (length < units) return ZCopy(out, units, folder);
  ZBuilder b(out, units);
  if (units > 4) b.AddAscii("...").Add(folder + length - (units - 4));
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
  ZChar quoted[2 * kImagePathUnits + 1];  // a quote inside doubled
  size_t n = 0;
  for (const ZChar* p = name ? name : ZT(""); *p && n + 2 < 2 * kImagePathUnits; ++p) {
    if (*p == '"') quoted[n++] = '"';
    quoted[n++] = *p;
  }
  quoted[n] = 0;
  b.AddUtf8(quoted).Add("\"\r\n");
  return b.Length();
}
