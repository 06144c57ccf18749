#include "map/map_watch.h"

#include "settings/registry_api.h"

const ZChar kMapKeyPath[] = ZT("Software\\QuandrilSoftware\\Zorvane\\Map");

namespace {
const ZChar kWarnBelow[] = ZT("WarnBelowMB");
const ZChar kWarnAt[] = ZT("WarnAtPercent");
}  // namespace

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

WarningThresholds LoadWarningThresholds() {
  WarningThresholds t;
  uint32_t v = 0;
  if (ReadDwordValue(kMapKeyPath, kWarnBelow, &v) && v >= 1 && v <= 4096) t.belowMb = v;
  if (ReadDwordValue(kMapKeyPath, kWarnAt, &v) && v >= 1 && v <= 100) t.atPercent = v;
  return t;
}

bool SaveWarningThresholds(const WarningThresholds& t) {
  RegistryKey key = nullptr;
  if (!Registry().CreateKey(kMapKeyPath, &key)) return false;
  Registry().CloseKey(key);
  return WriteDwordValue(kMapKeyPath, kWarnBelow, t.belowMb) &&
         WriteDwordValue(kMapKeyPath, kWarnAt, t.atPercent);
}

bool Warning::Update(const WarningThresholds& t, bool usableKnown, uint64_t largestUsableMb,
                     uint32_t percent, uint64_t ceilingMb) {
  if (!on_) {
    on_ = (usableKnown && largestUsableMb < t.belowMb) || percent >= t.atPercent;
    return on_;
  }
  // An eighth above the block's threshold, but no further than halfway to
  // the ceiling; two points below the share, but never below 0 %.
  const uint64_t room = ceilingMb > t.belowMb ? (ceilingMb - t.belowMb) / 2 : 0;
  const uint64_t blockMargin = t.belowMb / 8 < room ? t.belowMb / 8 : room;
  const uint32_t shareMargin = t.atPercent > 2 ? 2 : t.atPercent ? t.atPercent - 1 : 0;
  const bool roomy = !usableKnown || largestUsableMb > t.belowMb + blockMargin;
  if (roomy && percent + shareMargin < t.atPercent) on_ = false;
  return false;
}

uint64_t CeilingMb(const MapFigures& f) { return f.ceiling.known ? f.ceiling.mb : f.limitMb; }

uint32_t PercentOfCeiling(const MapFigures& f) {
  const uint64_t of = CeilingMb(f);
  return of && !f.ceiling.is64Bit ? static_cast<uint32_t>(f.virtualMb * 100ull / of) : 0;
}

void FormatMapFigures(const MapFigures& f, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  b.AddAscii("Virtual size: ").AddInt(f.virtualMb).AddAscii(" MB");
  // This program's own 4 GB says nothing of a 64-bit target's space.
  if (f.ceiling.is64Bit) {
    b.AddAscii("\r\n64-bit process: no 32-bit ceiling");
  } else {
    b.AddAscii(" of ").AddInt(static_cast<int64_t>(CeilingMb(f)));
    b.AddAscii(" MB (")
        .AddInt(PercentOfCeiling(f))
        .AddAscii(" %)\r\nCeiling: ")
        .Add(f.ceiling.reason);
  }
  const AddressSpaceStats& s = f.stats;
  if (f.ceiling.known) {
    b.AddAscii("\r\nLargest usable block: ").AddInt(static_cast<int64_t>(s.largestUsable >> 20));
    b.AddAscii(" MB, below 2 GB: ").AddInt(static_cast<int64_t>(s.largestUsableBelow2G >> 20));
    const int64_t fragmented =
        s.usableFree ? static_cast<int64_t>(100 - s.largestUsable * 100 / s.usableFree) : 0;
    b.AddAscii(" MB\r\nUsable free: ").AddInt(static_cast<int64_t>(s.usableFree >> 20));
    b.AddAscii(" MB, fragmentation ").AddInt(fragmented).AddAscii(" %");
  }
  b.AddAscii("\r\nRegions: ").AddInt(f.regions).AddAscii(", peak ").AddInt(f.peakMb);
  b.AddAscii(" MB\r\nTrend: ");
  if (f.ceiling.is64Bit)
    b.AddAscii("no ceiling to reach");
  else if (f.trendMinutes == Trend::kTooFew)
    b.AddAscii("measuring");
  else if (f.trendMinutes == Trend::kNotGrowing)
    b.AddAscii("not growing");
  else
    b.AddAscii("about ").AddInt(f.trendMinutes).AddAscii(" min to the ceiling");
}
