#include "map/opened_log.h"

void OpenedLog::LogBegins() {
  history_->Clear();
  if (instances_) instances_->Clear();
  trend_.Clear();
  last_ = FollowStep();
}

void OpenedLog::LogRow(const LogTime& t, const FollowStep& row, uint32_t columns) {
  const int64_t local = HistorySeconds(t.year, t.month, t.day, t.hour, t.minute, t.second);
  const int32_t offset = t.offsetMin * 60;
  if (instances_) instances_->Add(local - offset, offset, row);
  if (pid_ != kEveryPid && row.pid != pid_) return;
  HistoryReading reading = ReadingOf(local - offset, row);
  reading.label = offset;
  // The first logs knew no ceiling: their largest free block stands in.
  if (columns == kLogColumnsFirst) {
    const uint64_t mb = row.stats.largestFree >> 20;
    reading.mb[kSeriesLargestUsable] = mb < kNoFigure ? uint32_t(mb) : kNoFigure - 1;
  }
  history_->Add(reading);
  // A new process, or a time that goes back or jumps a day, starts the
  // trend again; the rows' seconds stand for the tick.
  if (!last_.row || row.pid != last_.pid || reading.time < trendAt_ ||
      reading.time - trendAt_ > 86400)
    trend_.Clear();
  trendAt_ = reading.time;
  last_ = row;
  trend_.Add(static_cast<uint32_t>(reading.time * 1000), row.virtualMb);
}

int32_t OpenedLog::TrendMinutes() const {
  return trend_.MinutesTo(static_cast<uint32_t>(CeilingMbOf(last_.ceiling, last_.limitMb)));
}
