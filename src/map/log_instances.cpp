#include "map/log_instances.h"

#include "monitor/follow.h"

void LogInstances::Clear() {
  count_ = lastFound_ = 0;
  unlisted_ = false;
}

void LogInstances::Add(int64_t time, int32_t label, const FollowStep& row) {
  // Rows come in runs of one PID, or in turns of a few: the last one found first.
  uint32_t i = lastFound_ < count_ && list_[lastFound_].pid == row.pid ? lastFound_ : 0;
  while (i < count_ && list_[i].pid != row.pid) ++i;
  if (i == count_) {
    if (count_ == kListed) {
      unlisted_ = true;
      return;
    }
    LogInstance& added = list_[count_++];
    added.pid = row.pid;
    ZCopy(added.user, kUserUnits, row.user);
    added.first = added.last = time;
    added.firstLabel = added.lastLabel = label;
    added.peakMb = 0;
    added.rows = 0;
  }
  lastFound_ = i;
  LogInstance& p = list_[i];
  // An hour repeated when the clock goes back, or rows out of order: the
  // span is from the earliest to the latest.
  if (time < p.first) p.first = time, p.firstLabel = label;
  if (time >= p.last) p.last = time, p.lastLabel = label;
  if (!p.user[0] && row.user[0]) ZCopy(p.user, kUserUnits, row.user);
  const uint32_t peak = row.peakMb > row.virtualMb ? row.peakMb : row.virtualMb;
  if (peak > p.peakMb) p.peakMb = peak;
  ++p.rows;
}

bool LogInstances::Overlap() const {
  // A restart's first row comes an interval after the last row of the one
  // before: spans that share even one second are of processes side by side.
  for (uint32_t i = 0; i < count_; ++i)
    for (uint32_t j = i + 1; j < count_; ++j)
      if (list_[i].first <= list_[j].last && list_[j].first <= list_[i].last) return true;
  return false;
}
