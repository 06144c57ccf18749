// An opened zorlog log's rows as zormap shows them: into the history,
// placed by UTC where a row has its offset (an hour repeated when daylight
// saving ends is drawn once each) and labelled by its local time, and the
// trend its rows give by the live rule.
#pragma once
#include <stdint.h>

#include "map/history.h"
#include "monitor/warning.h"
#include "space/log_reader.h"

class OpenedLog : public LogRowSink {
 public:
  explicit OpenedLog(History* history) : history_(history) {}
  void LogBegins() override;
  void LogRow(const LogTime& time, const FollowStep& row, uint32_t columns) override;
  // Minutes from the last row to the ceiling of last, as the live figures
  // say them, from the rows of its process.
  int32_t TrendMinutes(const FollowStep& last) const;

 private:
  History* history_;
  Trend trend_;
  int64_t trendAt_ = 0;  // the placement of the trend's last row
  uint32_t lastPid_ = 0;
  bool hasRow_ = false;
};
