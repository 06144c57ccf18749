#include "map/map_watch.h"

#include "settings/registry_api.h"

const ZChar kMapKeyPath[] = ZT("Software\\QuandrilSoftware\\Zorvane\\Map");

namespace {
const ZChar kWarnBelow[] = ZT("WarnBelowMB");
const ZChar kWarnAt[] = ZT("WarnAtPercent");
}  // namespace

void Trend::Add(uint64_t second, uint32_t mb) {
  seconds_[next_] = second;
  mb_[next_] = mb;
  next_ = (next_ + 1) % kSlots;
  if (count_ < kSlots) ++count_;
}

int32_t Trend::MinutesTo(uint32_t ceilingMb) const {
  if (!count_) return kTooFew;
  const uint64_t newest = seconds_[(next_ + kSlots - 1) % kSlots];
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int i = 0; i < count_; ++i) {
    const int at = (next_ + kSlots - 1 - i) % kSlots;
    if (seconds_[at] + kWindowSeconds < newest) break;  // older than the window
    const double x = -static_cast<double>(newest - seconds_[at]), y = mb_[at];
    n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  if (n < kMinReadings) return kTooFew;
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
                     uint32_t percent) {
  if (!on_) {
    on_ = (usableKnown && largestUsableMb < t.belowMb) || percent >= t.atPercent;
    return on_;
  }
  const bool roomy = !usableKnown || largestUsableMb > t.belowMb + t.belowMb / 8;
  if (roomy && percent + 2 < t.atPercent) on_ = false;
  return false;
}

uint32_t PercentOfCeiling(const MapFigures& f) {
  const uint64_t of = f.ceiling.known ? f.ceiling.mb : f.limitMb;
  return of ? static_cast<uint32_t>(f.virtualMb * 100ull / of) : 0;
}

void FormatMapFigures(const MapFigures& f, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  b.AddAscii("Virtual size: ").AddInt(f.virtualMb).AddAscii(" MB of ");
  b.AddInt(static_cast<int64_t>(f.ceiling.known ? f.ceiling.mb : f.limitMb));
  b.AddAscii(" MB (").AddInt(PercentOfCeiling(f)).AddAscii(" %)\r\nCeiling: ");
  if (f.ceiling.is64Bit)
    b.AddAscii("64-bit process, no 32-bit ceiling");
  else
    b.Add(f.ceiling.reason);
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
  if (f.trendMinutes == Trend::kTooFew)
    b.AddAscii("measuring");
  else if (f.trendMinutes == Trend::kNotGrowing)
    b.AddAscii("not growing");
  else
    b.AddAscii("about ").AddInt(f.trendMinutes).AddAscii(" min to the ceiling");
}
