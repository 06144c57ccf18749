#include "space/regions.h"

#include <stdlib.h>

#include "monitor/process_api.h"

namespace {

bool HasFile(uint32_t type) { return type == kMemImage || type == kMemMapped; }

// Into out[0, *n), largest first; the smallest falls off past max.
void Rank(Allocation* out, uint32_t* n, uint32_t max, const Allocation& a) {
  uint32_t at = *n < max ? (*n)++ : max;
  while (at > 0 && out[at - 1].size < a.size) {
    if (at < max) out[at] = out[at - 1];
    --at;
  }
  if (at < max) out[at] = a;
}

}  // namespace

RegionTable::~RegionTable() {
  Clear();
  free(spare_);
}

void RegionTable::Clear() {
  free(regions_);
  regions_ = nullptr;
  count_ = capacity_ = 0;
  ceiling_ = TargetCeiling();
  for (uint32_t i = 0; i < nameCount_; ++i) ZFree(names_[i].name);
  free(names_);
  names_ = nullptr;
  nameCount_ = 0;
}

void RegionTable::Begin(uint64_t usableTop) { Begin(usableTop, TargetCeiling()); }

void RegionTable::Begin(uint64_t usableTop, const TargetCeiling& ceiling) {
  spareCount_ = 0;
  spareTop_ = usableTop;
  spareCeiling_ = ceiling;
}

void RegionTable::Region(const RegionInfo& r) {
  Region(MapRegion{r.base, r.size, r.allocationBase, r.state, r.type, r.protect, 0, kUseOther});
}

void RegionTable::Region(const MapRegion& r) {
  if (spareCount_ == spareCapacity_) {
    const uint32_t more = spareCapacity_ ? spareCapacity_ * 2 : 256;
    MapRegion* grown = static_cast<MapRegion*>(realloc(spare_, more * sizeof(MapRegion)));
    if (!grown) return;
    spare_ = grown;
    spareCapacity_ = more;
  }
  spare_[spareCount_++] = r;
}

void RegionTable::Keep() {
  MapRegion* shown = regions_;
  const uint32_t count = count_, capacity = capacity_;
  regions_ = spare_, count_ = spareCount_, capacity_ = spareCapacity_;
  spare_ = shown, spareCount_ = count, spareCapacity_ = capacity;
  top_ = spareTop_;
  ceiling_ = spareCeiling_;
}

void RegionTable::Attribute(const TargetCeiling& ceiling, const ThreadCensus& census) {
  spareCeiling_ = ceiling;
  for (uint32_t i = 0; i < spareCount_; ++i) {
    MapRegion& r = spare_[i];
    r.tid = 0;
    r.use = r.state != kMemFree && r.type == kMemPrivate ? census.UseAt(r.base, &r.tid) : kUseOther;
  }
}

bool RegionTable::CopyFrom(const RegionTable& other) {
  Clear();
  const uint32_t n = other.count_ ? other.count_ : 1,
                 names = other.nameCount_ ? other.nameCount_ : 1;
  regions_ = static_cast<MapRegion*>(malloc(n * sizeof(MapRegion)));
  names_ = static_cast<Named*>(malloc(names * sizeof(Named)));
  if (!regions_ || !names_) return Clear(), false;
  capacity_ = n;
  top_ = other.top_;
  ceiling_ = other.ceiling_;
  for (count_ = 0; count_ < other.count_; ++count_) regions_[count_] = other.regions_[count_];
  for (; nameCount_ < other.nameCount_; ++nameCount_) {
    names_[nameCount_] = other.names_[nameCount_];
    const ZChar* name = other.names_[nameCount_].name;
    names_[nameCount_].name = name ? ZDup(name) : nullptr;  // null on failure: no name shown
  }
  return true;
}

void RegionTable::NameAllocations(uint32_t pid, SavedNames saved, const void* context) {
  Named* fresh = static_cast<Named*>(malloc((count_ ? count_ : 1) * sizeof(Named)));
  if (!fresh) return;
  ProcessApi& api = Processes();
  ProcessHandle h = nullptr;
  bool opened = false;
  uint32_t n = 0, old = 0;
  for (uint32_t i = 0; i < count_;) {
    const MapRegion& r = regions_[i];
    uint64_t size = 0;  // of the allocation: its regions follow each other
    for (++i; i < count_ && regions_[i].state != kMemFree &&
              regions_[i].allocationBase == r.allocationBase;
         ++i)
      size += regions_[i].size;
    if (!HasFile(r.type) || r.state == kMemFree) continue;
    size += r.size;
    // Both lists run in address order.
    for (; old < nameCount_ && names_[old].base < r.allocationBase; ++old) ZFree(names_[old].name);
    ZChar* name = nullptr;
    const Named* was = old < nameCount_ ? &names_[old] : nullptr;
    if (was && was->base == r.allocationBase && was->type == r.type && was->size == size) {
      name = names_[old].name;  // kept while the allocation stays
      names_[old++].name = nullptr;
    } else if (saved) {
      const ZChar* kept = saved(context, r.allocationBase);
      name = kept ? ZDup(kept) : nullptr;
    } else {
      if (!opened) h = api.OpenProcess(kProcessQueryInformation | kProcessVmRead, pid);
      opened = true;
      ZChar path[kImagePathUnits];
      if (h && api.GetMappedFileName(h, r.allocationBase, path, kImagePathUnits)) name = ZDup(path);
    }
    fresh[n++] = {r.allocationBase, size, r.type, name};
  }
  for (; old < nameCount_; ++old) ZFree(names_[old].name);
  if (h) api.CloseHandle(h);
  free(names_);
  names_ = fresh;
  nameCount_ = n;
}

const ZChar* RegionTable::NameOf(uint64_t allocationBase) const {
  const Named* found = FindByBase(names_, nameCount_, allocationBase);
  return found ? found->name : nullptr;
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
  Allocation stacks = {0, 0, 0, kMemPrivate, nullptr, 0, 0};
  for (uint32_t i = 0; i < count_;) {
    const MapRegion& first = regions_[i];
    if (first.state == kMemFree) {
      ++i;
      continue;
    }
    Allocation a = {first.allocationBase, 0, 0, first.type, nullptr, 0, 0};
    for (; i < count_ && regions_[i].state != kMemFree &&
           regions_[i].allocationBase == first.allocationBase;
         ++i) {
      a.size += regions_[i].size;
      if (regions_[i].state == kMemCommit) a.committed += regions_[i].size;
    }
    if (HasFile(a.type)) a.name = NameOf(a.base);
    if (first.use != kUseStack) {
      Rank(out, &n, max, a);
      continue;
    }
    if (!stacks.stacks++) stacks.base = a.base, stacks.tid = first.tid;
    stacks.size += a.size;
    stacks.committed += a.committed;
  }
  if (stacks.stacks) Rank(out, &n, max, stacks);
  return n;
}

const char* RegionStateText(uint32_t state) {
  return state == kMemCommit ? "commit" : state == kMemReserve ? "reserve" : "free";
}

const char* RegionTypeText(uint32_t type) {
  return type == kMemImage ? "image" : type == kMemMapped ? "mapped" : type ? "private" : "";
}
