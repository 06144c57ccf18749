#include "monitor/warning.h"

const char* const kWarningKindNames[kWarningKinds] = {"warn-below", "warn-at", "warn-minutes"};

void Trend::Add(uint32_t tick, uint32_t mb) {
  const int newest = (next_ + kSlots - 1) % kSlots;
  ms_[next_] = count_ ? ms_[newest] + static_cast<uint32_t>(tick - lastTick_) : 0;
  lastTick_ = tick;
  mb_[next_] = mb;
  next_ = (next_ + 1) % kSlots;
  if (count_ < kSlots) ++count_;
}

int32_t Trend::MinutesTo(uint32_t ceilingMb) const {
  if (!count_) return kTooFew;
  const uint64_t newest = ms_[(next_ + kSlots - 1) % kSlots];
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  uint64_t span = 0;
  for (int i = 0; i < count_; ++i) {
    const int at = (next_ + kSlots - 1 - i) % kSlots;
    if (ms_[at] + kWindowSeconds * 1000ull < newest) break;  // older than the window
    span = newest - ms_[at];
    const double x = -static_cast<double>(span) / 1000, y = mb_[at];
    n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  if (n < kMinReadings || span < kMinSpanSeconds * 1000ull) return kTooFew;
  const double spread = n * sxx - sx * sx;
  const double slope = spread > 0 ? (n * sxy - sx * sy) / spread : 0;  // MB a second
  if (slope < 1.0 / 3600) return kNotGrowing;                          // less than 1 MB an hour
  const double now = (sy - slope * sx) / n;  // the line at the newest reading
  const double minutes = (ceilingMb - now) / slope / 60;
  if (minutes <= 0) return 0;
  return minutes > 1e6 ? 1000000 : static_cast<int32_t>(minutes + 0.5);
}

uint64_t CeilingMbOf(const TargetCeiling& c, uint64_t limitMb) { return c.known ? c.mb : limitMb; }

uint32_t PercentOf(uint32_t virtualMb, const TargetCeiling& c, uint64_t limitMb) {
  const uint64_t of = CeilingMbOf(c, limitMb);
  return of && !c.is64Bit ? static_cast<uint32_t>(virtualMb * 100ull / of) : 0;
}

WarningReading WarningReadingOf(uint32_t virtualMb, const TargetCeiling& c, uint64_t limitMb,
                                const AddressSpaceStats& stats, int32_t trendMinutes) {
  WarningReading r;
  r.usableKnown = c.known;
  r.largestUsableMb = stats.largestUsable >> 20;
  r.percent = PercentOf(virtualMb, c, limitMb);
  r.ceilingMb = CeilingMbOf(c, limitMb);
  r.trendMinutes = trendMinutes;
  return r;
}

namespace {

// Whether each kind is crossed now, and whether it is clear by its margin.
void Judge(const WarningThresholds& t, const WarningReading& r, bool crossed[], bool clear[]) {
  // An eighth above the block's threshold, but no further than halfway to
  // the ceiling; two points below the share, but never below 0 %; a quarter
  // (at least a minute) beyond the trend's.
  const uint64_t room = r.ceilingMb > t.belowMb ? (r.ceilingMb - t.belowMb) / 2 : 0;
  const uint64_t blockMargin = t.belowMb / 8 < room ? t.belowMb / 8 : room;
  crossed[kWarnBelow] = t.belowMb && r.usableKnown && r.largestUsableMb < t.belowMb;
  clear[kWarnBelow] = !t.belowMb || !r.usableKnown || r.largestUsableMb > t.belowMb + blockMargin;
  const uint32_t shareMargin = t.atPercent > 2 ? 2 : t.atPercent ? t.atPercent - 1 : 0;
  crossed[kWarnAt] = t.atPercent && r.percent >= t.atPercent;
  clear[kWarnAt] = !t.atPercent || r.percent + shareMargin < t.atPercent;
  const int64_t minuteMargin = t.minutes / 4 ? t.minutes / 4 : 1;
  crossed[kWarnMinutes] = t.minutes && r.trendMinutes >= 0 && r.trendMinutes <= int64_t{t.minutes};
  clear[kWarnMinutes] = !t.minutes || r.trendMinutes == Trend::kNotGrowing ||
                        r.trendMinutes > int64_t{t.minutes} + minuteMargin;
}

}  // namespace

bool Warning::Update(const WarningThresholds& t, const WarningReading& r, uint32_t* cameOn,
                     uint32_t* wentOff) {
  bool crossed[kWarningKinds], clear[kWarningKinds];
  Judge(t, r, crossed, clear);
  const uint32_t before = on_;
  for (int k = 0; k < kWarningKinds; ++k) {
    const uint32_t bit = 1u << k;
    if (!(on_ & bit) && crossed[k])
      on_ |= bit;
    else if ((on_ & bit) && clear[k])
      on_ &= ~bit;
  }
  if (cameOn) *cameOn = on_ & ~before;
  if (wentOff) *wentOff = before & ~on_;
  return !before && on_;
}
