// A map CSV as zormap saves it, read back: its regions, the names and uses
// of their allocations, the figures the regions give, and what the file's
// name says of the reading.
#pragma once
#include "monitor/ceiling.h"
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
  // The target's ceiling and stack reservation where the file records them
  // (not known in files from before they were recorded).
  const TargetCeiling& Ceiling() const { return ceiling_; }
  // Size, free and largest free, by kind: what the regions give; with the
  // ceiling recorded, the usable figures too.
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
  bool CeilingLine(const char* line, uint32_t length, char* why);
  bool hasUse_ = false;
  TargetCeiling ceiling_;
  MapRegion* regions_ = nullptr;
  uint32_t count_ = 0, capacity_ = 0;
  Named* names_ = nullptr;
  uint32_t nameCount_ = 0;
  bool namesSorted_ = true;  // by allocation base
};
