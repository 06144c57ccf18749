// The regions of one reading: what lies in a cell, what takes the space
// (regions grouped by allocation), the names of the files behind images and
// mapped regions, and the reading as CSV.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "monitor/threads.h"
#include "monitor/vsize.h"

struct MapRegion {
  uint64_t base, size, allocationBase;
  uint32_t state, type, protect;
  uint32_t tid = 0;  // the thread a stack or thread block serves, 0 for none
  PrivateUse use = kUseOther;
};

struct Allocation {
  uint64_t base, size, committed;
  uint32_t type;
  const ZChar* name;  // null when none
  uint32_t stacks;    // thread stacks in it: 0, 1 (its thread tid), or a group of them
  uint32_t tid;
};

// The regions of the latest whole walk, in address order, and the names of
// the allocations of images and mapped files: each looked up once, when it
// is new, and kept while an allocation of that base, type and size stays (a
// DLL unloaded and another loaded at the same base is looked up anew).
class RegionTable : public RegionSink {
 public:
  RegionTable() = default;
  ~RegionTable();
  RegionTable(const RegionTable&) = delete;
  RegionTable& operator=(const RegionTable&) = delete;
  // A walk fills a spare list, so that one cut short (the target exiting
  // half-way) leaves the last whole one in place.
  void Begin(uint64_t usableTop) override;
  // A saved map's, with the ceiling it records.
  void Begin(uint64_t usableTop, const TargetCeiling& ceiling);
  void Region(const RegionInfo& region) override;  // dropped when the table cannot grow
  void Region(const MapRegion& region);            // with who holds it, as a saved map says
  // The walk's ceiling, and who holds each of its private regions: one
  // path for every map shown or saved.
  void Attribute(const TargetCeiling& ceiling, const ThreadCensus& census) override;
  // The spare list becomes the one shown: after a walk that reached its end.
  void Keep();
  // The last byte the walk shown was to reach (0: the whole range walked).
  uint64_t Top() const { return top_; }
  // The ceiling of the target the list shown was read from; not known
  // before Attribute, or for a saved map that records none.
  const TargetCeiling& Ceiling() const { return ceiling_; }
  // Regions and names of another table; false, and this one empty, when
  // memory runs out.
  bool CopyFrom(const RegionTable& other);
  // Forgets every region and name shown.
  void Clear();
  uint32_t Count() const { return count_; }
  const MapRegion& At(uint32_t i) const { return regions_[i]; }
  const MapRegion* All() const { return regions_; }  // Count() of them
  // After a walk: names new allocations through one VM-read handle on pid,
  // forgets those gone.
  // With saved: the names a saved map kept, and no process is opened.
  typedef const ZChar* (*SavedNames)(const void* context, uint64_t allocationBase);
  void NameAllocations(uint32_t pid, SavedNames saved = nullptr, const void* context = nullptr);
  const ZChar* NameOf(uint64_t allocationBase) const;
  // The regions that share the cell's MB, largest first; returns how many.
  uint32_t InCell(uint32_t cell, uint32_t* indices, uint32_t max) const;
  // The largest allocations, largest first, the thread stacks together as
  // one when there are more than one; returns how many.
  uint32_t Largest(Allocation* out, uint32_t max) const;

 private:
  struct Named {
    uint64_t base, size;
    uint32_t type;
    ZChar* name;
  };
  MapRegion* regions_ = nullptr;
  uint32_t count_ = 0, capacity_ = 0;
  MapRegion* spare_ = nullptr;
  uint32_t spareCount_ = 0, spareCapacity_ = 0;
  uint64_t top_ = 0, spareTop_ = 0;
  TargetCeiling ceiling_, spareCeiling_;
  Named* names_ = nullptr;
  uint32_t nameCount_ = 0;
};

// The item of that base among count sorted by base, or null.
template <class T>
const T* FindByBase(const T* items, uint32_t count, uint64_t base) {
  uint32_t lo = 0, hi = count;
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    if (items[mid].base < base)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < count && items[lo].base == base ? &items[lo] : nullptr;
}

// "commit", "reserve" or "free"; "image", "mapped", "private" or "" (free).
const char* RegionStateText(uint32_t state);
const char* RegionTypeText(uint32_t type);
