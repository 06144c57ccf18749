#include "map/strip.h"

namespace {

const char* const kSeriesNames[kHistorySeries] = {"virtual size ", "largest usable block ",
                                                  "ceiling "};

}  // namespace

StripScale ScaleStrip(const History& history, uint32_t width) {
  StripScale s;
  if (!width) return s;
  // The buckets in use must fall within the width: bucket b is shown from
  // column b * columns / kHistoryBuckets on.
  const uint64_t filled = history.Filled() ? history.Filled() : 1;
  uint64_t columns = width;
  while (columns * 2 <= uint64_t(width) * kStripMaxZoom &&
         filled * columns * 2 <= uint64_t(kHistoryBuckets) * width)
    columns *= 2;
  s.columns = static_cast<uint32_t>(columns);
  while (s.topMb < history.Top() && s.topMb < 0x80000000u) s.topMb *= 2;
  return s;
}

int StripRow(uint32_t mb, uint32_t topMb, int height) {
  if (height <= 1 || !topMb) return 0;
  const uint64_t up = (mb < topMb ? mb : topMb) * uint64_t(height - 1) / topMb;
  return height - 1 - static_cast<int>(up);
}

void FormatHistoryPoint(const HistoryPoint& p, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  ZChar time[kHistoryTimeUnits];
  FormatHistoryTime(p.from + p.label, time);
  b.Add(time);
  if (p.to - p.from > 1) {
    ZChar last[kHistoryTimeUnits];
    FormatHistoryTime(p.to - 1 + p.label, last);
    bool sameDay = true;  // then the time of day says it
    for (int i = 0; i < 10; ++i) sameDay = sameDay && last[i] == time[i];
    b.AddAscii(" to ").Add(sameDay ? last + 11 : last);
  }
  if (!p.readings) {
    b.AddAscii(": no reading");
    return;
  }
  b.AddAscii(", ").AddInt(p.readings).AddAscii(p.readings == 1 ? " reading" : " readings");
  const char* sep = ": ";
  for (int s = 0; s < kHistorySeries; ++s) {
    const HistoryRange& r = p.range[s];
    if (r.Empty()) continue;
    b.AddAscii(sep).AddAscii(kSeriesNames[s]).AddInt(r.min);
    if (r.max != r.min) b.AddAscii("-").AddInt(r.max);
    b.AddAscii(" MB");
    sep = ", ";
  }
}
