// What zormap.exe reads off the walks besides the map: the trend of the
// virtual size, the warning before the space runs out, its thresholds as
// kept in the registry, and the figures as the window shows them.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "monitor/vsize.h"

// A least-squares line through the readings of the last five minutes, set
// by the time each was taken: readings late under load, or a gap after
// sleep, count as the time they took, not as one a second.
class Trend {
 public:
  enum { kWindowSeconds = 300, kMinSpanSeconds = 60, kMinReadings = 10, kSlots = 512 };
  enum : int32_t { kTooFew = -2, kNotGrowing = -1 };
  void Clear() { count_ = 0; }
  // tick: milliseconds as GetTickCount gives them; only differences count,
  // so its wrap after 49.7 days is no jump.
  void Add(uint32_t tick, uint32_t mb);
  // Whole minutes until the line meets ceilingMb (0 when it has), or
  // kNotGrowing, or kTooFew while the readings within the window are fewer
  // than kMinReadings or span less than kMinSpanSeconds.
  int32_t MinutesTo(uint32_t ceilingMb) const;

 private:
  uint64_t ms_[kSlots];  // since this trend's first reading
  uint32_t mb_[kSlots];
  uint32_t lastTick_ = 0;
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
// window at every reading. The margins shrink where a threshold lies so near
// an end of its range that they could not be cleared: a share of 1-2 %, a
// block near the ceiling.
class Warning {
 public:
  // True only on the reading that turns it on. ceilingMb: what the largest
  // block could at most become.
  bool Update(const WarningThresholds& t, bool usableKnown, uint64_t largestUsableMb,
              uint32_t percent, uint64_t ceilingMb);
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
// 0 for a 64-bit target: it has no 32-bit ceiling to be a share of.
uint32_t PercentOfCeiling(const MapFigures& f);
uint64_t CeilingMb(const MapFigures& f);
// Lines separated by CR LF, always terminated.
void FormatMapFigures(const MapFigures& f, ZChar* out, size_t units);
