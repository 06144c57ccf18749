// An opened zorlog log's rows as zormap shows them: into the history,
// placed by UTC where a row has its offset (an hour repeated when daylight
// saving ends is drawn once each) and labelled by its local time, and the
// trend its rows give by the live rule. Where processes of one name ran
// side by side, one PID's rows alone: their figures are its last row's.
#pragma once
#include <stdint.h>

#include "map/history.h"
#include "map/log_instances.h"
#include "monitor/follow.h"
#include "monitor/warning.h"
#include "space/log_reader.h"

class OpenedLog : public LogRowSink {
 public:
  // pid: the one process shown, or kEveryPid; instances, when given, learns
  // of every row, shown or not.
  explicit OpenedLog(History* history, uint32_t pid = kEveryPid, LogInstances* instances = nullptr)
      : history_(history), pid_(pid), instances_(instances) {}
  void LogBegins() override;
  void LogRow(const LogTime& time, const FollowStep& row, uint32_t columns) override;
  // The last row shown (row false before any).
  const FollowStep& Last() const { return last_; }
  // Minutes from the last row shown to its ceiling, as the live figures
  // say them, from the rows of its process.
  int32_t TrendMinutes() const;

 private:
  History* history_;
  uint32_t pid_;
  LogInstances* instances_;
  FollowStep last_;
  Trend trend_;
  int64_t trendAt_ = 0;  // the placement of the trend's last row
};
