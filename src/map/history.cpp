#include "map/history.h"

#include "monitor/follow.h"

namespace {

const HistoryRange kNoRange = {0xFFFFFFFFu, 0};

int64_t BucketOf(uint32_t x, uint32_t width) {
  return static_cast<int64_t>(x) * kHistoryBuckets / width;
}

void Widen(HistoryRange* r, const HistoryRange& by) {
  if (by.min < r->min) r->min = by.min;
  if (by.max > r->max) r->max = by.max;
}

// Round steps for the axis, in seconds.
const int64_t kSteps[] = {1,     2,     5,      10,     15,      30,      60,    120,
                          300,   600,   900,    1800,   3600,    7200,    10800, 21600,
                          43200, 86400, 172800, 604800, 2592000, 31536000};

void Two(ZChar* out, int64_t v) {
  out[0] = static_cast<ZChar>('0' + v / 10 % 10);
  out[1] = static_cast<ZChar>('0' + v % 10);
}

// Civil date from days since 1970-01-01.
void DateOf(int64_t days, int64_t* y, int64_t* m, int64_t* d) {
  const int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = yoe + era * 400 + (*m <= 2);
}

int64_t DaysOf(int64_t t) { return t >= 0 ? t / 86400 : (t - 86399) / 86400; }

// "HH:MM", "HH:MM:SS" under a minute's step, "MM-DD" from a day's.
void LabelText(int64_t t, int64_t step, ZChar* out) {
  const int64_t days = DaysOf(t), s = t - days * 86400;
  if (step >= 86400) {
    int64_t y, m, d;
    DateOf(days, &y, &m, &d);
    Two(out, m);
    out[2] = '-';
    Two(out + 3, d);
    out[5] = 0;
    return;
  }
  Two(out, s / 3600);
  out[2] = ':';
  Two(out + 3, s / 60 % 60);
  out[5] = 0;
  if (step < 60) {
    out[5] = ':';
    Two(out + 6, s % 60);
    out[8] = 0;
  }
}

}  // namespace

int64_t HistorySeconds(int year, int month, int day, int hour, int minute, int second) {
  const int64_t y = month <= 2 ? year - 1 : year, era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400, mp = month > 2 ? month - 3 : month + 9;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1, doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

void FormatHistoryTime(int64_t t, ZChar* out) {
  int64_t y, m, d;
  const int64_t days = DaysOf(t);
  DateOf(days, &y, &m, &d);
  if (y < 0 || y > 9999) y = 0;
  Two(out, y / 100);
  Two(out + 2, y);
  out[4] = '-';
  Two(out + 5, m);
  out[7] = '-';
  Two(out + 8, d);
  out[10] = ' ';
  LabelText(t, 1, out + 11);  // hh:mm:ss
}

void HistoryClock::Place(uint32_t tick, int64_t local, HistoryReading* r) {
  if (!started_) {
    started_ = true;
    start_ = local;
    elapsedMs_ = 0;
  } else {
    elapsedMs_ += static_cast<uint32_t>(tick - lastTick_);  // unsigned: right across the wrap
  }
  lastTick_ = tick;
  r->time = start_ + static_cast<int64_t>(elapsedMs_ / 1000);
  // A clock set wildly (millennia) labels at the furthest a label reaches.
  const int64_t label = local - r->time, most = 0x7FFFFFFF;
  r->label = static_cast<int32_t>(label > most ? most : label < -most ? -most : label);
}

HistoryReading ReadingOf(int64_t time, const FollowStep& step) {
  HistoryReading r = {time, {step.virtualMb, kNoFigure, kNoFigure}};
  if (step.ceiling.known) {
    r.mb[kSeriesLargestUsable] = static_cast<uint32_t>(step.stats.largestUsable >> 20);
    r.mb[kSeriesCeiling] = step.ceiling.mb;
  }
  return r;
}

void History::Clear() {
  for (Bucket& b : buckets_) {
    b.readings = 0;
    b.label = 0;
    for (HistoryRange& r : b.range) r = kNoRange;
  }
  readings_ = top_ = filled_ = 0;
  start_ = 0;
  span_ = 1;
}

void History::Double() {
  for (uint32_t i = 0; i < kHistoryBuckets / 2; ++i) {
    Bucket merged = buckets_[2 * i];
    merged.readings += buckets_[2 * i + 1].readings;
    if (buckets_[2 * i + 1].readings) merged.label = buckets_[2 * i + 1].label;
    for (int s = 0; s < kHistorySeries; ++s) Widen(&merged.range[s], buckets_[2 * i + 1].range[s]);
    buckets_[i] = merged;
  }
  for (uint32_t i = kHistoryBuckets / 2; i < kHistoryBuckets; ++i) {
    buckets_[i].readings = 0;
    for (HistoryRange& r : buckets_[i].range) r = kNoRange;
  }
  span_ *= 2;
  filled_ = (filled_ + 1) / 2;
}

HistoryChange History::Add(const HistoryReading& reading) {
  HistoryChange change = {false, 0};
  if (!readings_) start_ = reading.time;
  const int64_t offset = reading.time > start_ ? reading.time - start_ : 0;
  // Past 2^40 seconds per bucket the doublings stop: the last bucket takes it.
  while (offset / span_ >= kHistoryBuckets && span_ < (int64_t(1) << 40)) {
    Double();
    change.doubled = true;
  }
  const int64_t index = offset / span_;
  change.bucket = index < kHistoryBuckets ? static_cast<uint32_t>(index) : kHistoryBuckets - 1;
  if (change.bucket >= filled_) filled_ = change.bucket + 1;
  Bucket& b = buckets_[change.bucket];
  ++b.readings;
  b.label = reading.label;
  ++readings_;
  for (int s = 0; s < kHistorySeries; ++s) {
    const uint32_t mb = reading.mb[s];
    if (mb == kNoFigure) continue;
    Widen(&b.range[s], HistoryRange{mb, mb});
    if (mb > top_) top_ = mb;
  }
  return change;
}

void History::Column(uint32_t x, uint32_t width, HistoryPoint* out) const {
  out->readings = 0;
  for (HistoryRange& r : out->range) r = kNoRange;
  if (!width || x >= width) {
    out->from = out->to = start_;
    out->label = LabelAt(0);
    return;
  }
  const int64_t first = BucketOf(x, width);
  int64_t end = BucketOf(x + 1, width);
  if (end <= first) end = first + 1;
  out->from = start_ + first * span_;
  out->to = start_ + end * span_;
  for (int64_t i = first; i < end; ++i) {
    const Bucket& b = buckets_[i];
    if (b.readings) out->label = b.label;
    out->readings += b.readings;
    for (int s = 0; s < kHistorySeries; ++s) Widen(&out->range[s], b.range[s]);
  }
  if (!out->readings) out->label = LabelAt(first);
}

int32_t History::LabelAt(int64_t index) const {
  if (index >= kHistoryBuckets) index = kHistoryBuckets - 1;
  for (; index > 0 && !buckets_[index].readings; --index) {
  }
  return buckets_[index < 0 ? 0 : index].label;
}

void History::ColumnsOf(uint32_t bucket, uint32_t width, uint32_t* first, uint32_t* last) {
  // Column x holds the bucket when BucketOf(x) <= bucket < max(BucketOf(x + 1), BucketOf(x) + 1).
  const uint64_t n = kHistoryBuckets, w = width ? width : 1;
  const uint64_t end = ((bucket + 1ull) * w + n - 1) / n, begin = (bucket * w + n - 1) / n;
  *last = static_cast<uint32_t>(end - 1);
  *first = static_cast<uint32_t>(begin < end ? begin : end - 1);
}

uint32_t History::Labels(uint32_t width, uint32_t minSpacing, HistoryLabel* out,
                         uint32_t max) const {
  if (!width || !readings_) return 0;
  const int64_t whole = span_ * kHistoryBuckets;  // the strip's time
  int64_t step = 0;
  for (int64_t s : kSteps)
    if (s * width >= static_cast<int64_t>(minSpacing) * whole) {
      step = s;
      break;
    }
  if (!step) return 0;
  uint32_t n = 0;
  // The first round time at or after the start (floor division for times
  // before 1970).
  int64_t t = start_ >= 0 ? (start_ + step - 1) / step * step : start_ / step * step;
  for (; n < max; t += step) {
    const int64_t x = (t - start_) * width / whole;
    if (x >= width) break;
    out[n].x = static_cast<uint32_t>(x);
    LabelText(t + LabelAt((t - start_) / span_), step, out[n].text);
    ++n;
  }
  return n;
}
