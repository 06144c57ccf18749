// The trend of a target's virtual size and the warnings before its space
// runs out, as both companions give them: zormap.exe in its window,
// zorlog.exe on standard error and through the actions it was given.
#pragma once
#include <stdint.h>

#include "monitor/ceiling.h"
#include "monitor/vsize.h"

// A least-squares line through the readings of the last five minutes, set
// by the time each was taken: readings late under load, or a gap after
// sleep, count as the time they took, not as one a second. A few readings
// spanning a minute form it, so that a reading a minute is enough.
class Trend {
 public:
  enum { kWindowSeconds = 300, kMinSpanSeconds = 60, kMinReadings = 3, kSlots = 512 };
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

enum WarningKind { kWarnBelow, kWarnAt, kWarnMinutes, kWarningKinds };
// As zorlog.exe names them: its options without the dashes.
extern const char* const kWarningKindNames[kWarningKinds];

struct WarningThresholds {
  uint32_t belowMb = 128;   // the largest usable block under this
  uint32_t atPercent = 90;  // the virtual size at this share of the ceiling
  uint32_t minutes = 0;     // the trend meeting the ceiling within this
};                          // each 0: not watched

struct WarningReading {
  bool usableKnown = false;  // the ceiling is known, so the largest usable block is
  uint64_t largestUsableMb = 0;
  uint32_t percent = 0;
  uint64_t ceilingMb = 0;
  int32_t trendMinutes = Trend::kTooFew;
};

// What a reading is measured against: the target's own ceiling where it is
// known, else the monitor's space (limitMb).
uint64_t CeilingMbOf(const TargetCeiling& c, uint64_t limitMb);
// The share of that; 0 for a 64-bit target, which has no 32-bit ceiling.
uint32_t PercentOf(uint32_t virtualMb, const TargetCeiling& c, uint64_t limitMb);
WarningReading WarningReadingOf(uint32_t virtualMb, const TargetCeiling& c, uint64_t limitMb,
                                const AddressSpaceStats& stats, int32_t trendMinutes);

// Each kind on when its threshold is crossed, off again only once clear of
// it by a margin, so that a value that hovers does not fire at every
// reading. The margins shrink where a threshold lies so near an end of its
// range that they could not be cleared: a share of 1-2 %, a block near the
// ceiling.
class Warning {
 public:
  // True only on the reading that turns the warning as a whole on; the
  // kinds that came on and went off, as bits (1 << kind), when asked.
  bool Update(const WarningThresholds& t, const WarningReading& r, uint32_t* cameOn = nullptr,
              uint32_t* wentOff = nullptr);
  bool On() const { return on_ != 0; }
  bool On(WarningKind kind) const { return (on_ >> kind) & 1; }
  void Clear() { on_ = 0; }

 private:
  uint32_t on_ = 0;
};
