// What zormap.exe reads off the walks besides the map: the trend of the
// virtual size, the warning before the space runs out, its thresholds as
// kept in the registry, and the figures as the window shows them.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "monitor/vsize.h"

// A least-squares line through the readings of the last five minutes.
class Trend {
 public:
  enum { kWindowSeconds = 300, kMinReadings = 60, kSlots = 512 };
  enum : int32_t { kTooFew = -2, kNotGrowing = -1 };
  void Clear() { count_ = 0; }
  void Add(uint64_t second, uint32_t mb);
  // Whole minutes until the line meets ceilingMb (0 when it has), or
  // kNotGrowing, or kTooFew while fewer than kMinReadings readings lie
  // within the window.
  int32_t MinutesTo(uint32_t ceilingMb) const;

 private:
  uint64_t seconds_[kSlots];
  uint32_t mb_[kSlots];
  int next_ = 0, count_ = 0;
};

struct WarningThresholds {
  uint32_t belowMb = 128;   // the largest usable block under this
  uint32_t atPercent = 90;  // or the virtual size at this share of the ceiling
};
// Missing or out-of-range values (MB 1 to 4096, percent 1 to 100) keep the defaults.
WarningThresholds LoadWarningThresholds();
bool SaveWarningThresholds(const WarningThresholds& t);
extern const ZChar kMapKeyPath[];

// On when a threshold is crossed; off again only once both readings are
// clear of them by a margin, so that a value that hovers does not flash the
// window at every reading.
class Warning {
 public:
  // True only on the reading that turns it on.
  bool Update(const WarningThresholds& t, bool usableKnown, uint64_t largestUsableMb,
              uint32_t percent);
  bool On() const { return on_; }
  void Clear() { on_ = false; }

 private:
  bool on_ = false;
};

// One reading as the window shows it.
struct MapFigures {
  uint32_t virtualMb = 0, peakMb = 0, regions = 0;
  uint64_t limitMb = 0;  // the monitor's own space, where the ceiling is not known
  TargetCeiling ceiling;
  AddressSpaceStats stats;
  int32_t trendMinutes = Trend::kTooFew;
};
uint32_t PercentOfCeiling(const MapFigures& f);
// Lines separated by CR LF, always terminated.
void FormatMapFigures(const MapFigures& f, ZChar* out, size_t units);
