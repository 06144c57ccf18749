// A map CSV as zormap saves it, read back: its regions, the names and uses
// of their allocations, the figures the regions give, and what the file's
// name says of the reading.
#pragma once
#include "monitor/threads.h"
#include "monitor/vsize.h"
#include "space/csv_reader.h"
#include "space/map_csv.h"
#include "space/regions.h"

class MapReader : public CsvReader {
 public:
  ~MapReader() override;
  uint32_t Count() const { return count_; }
  // Who held a region comes from the `use` column (kUseOther where it is
  // empty or missing), its thread from the name "thread 1234" beside it.
  const MapRegion& At(uint32_t i) const { return regions_[i]; }
  bool HasUse() const { return hasUse_; }
  // The file's name saved with the allocation, or null.
  const ZChar* NameOf(uint64_t allocationBase) const;
  // The last byte the walk reached (the target's ceiling when it had one).
  uint64_t Top() const;
  // Size, free and largest free, by kind: what the regions give; the file
  // holds no ceiling, so nothing usable is counted.
  AddressSpaceStats Figures() const;

 protected:
  bool Header(const char* line, uint32_t length) override;
  bool LooksLikeRow(const char* line, uint32_t length) const override;
  bool Row(const char* line, uint32_t length, char* why) override;

 private:
  struct Named {
    uint64_t base;
    ZChar* name;
  };
  bool hasUse_ = false;
  MapRegion* regions_ = nullptr;
  uint32_t count_ = 0, capacity_ = 0;
  Named* names_ = nullptr;
  uint32_t nameCount_ = 0;
};
