// A zorlog CSV read back: every row into the history, placed by its time
// and offset where it has one, the last one kept as the step it was written
// from, for the figures, with the trend its rows give by the live rule.
#pragma once
#include "log/log_row.h"
#include "map/csv_reader.h"
#include "map/history.h"
#include "monitor/follow.h"
#include "monitor/warning.h"

class LogReader : public CsvReader {
 public:
  // Every row goes into history, which the reader clears at the header.
  explicit LogReader(History* history) : history_(history) {}
  uint32_t Columns() const { return columns_; }  // the header's, 0 before it
  // The last row, as zorlog's step had it (row false before any).
  const FollowStep& Last() const { return last_; }
  const LogTime& LastTime() const { return lastTime_; }
  // Minutes from the last row to its ceiling, as zormap's live figures say
  // them, from the rows of its process.
  int32_t TrendMinutes() const;
  // Columns the first header lacked: false in older files or when empty.
  bool HasStacks() const { return hasStacks_; }
  uint32_t Threads() const { return threads_; }
  uint64_t StackCommittedMb() const { return stackCommittedMb_; }
  uint64_t StackReservedMb() const { return stackReservedMb_; }

 protected:
  bool Header(const char* line, uint32_t length) override;
  bool LooksLikeRow(const char* line, uint32_t length) const override;
  bool Row(const char* line, uint32_t length, char* why) override;

 private:
  History* history_;
  uint32_t columns_ = 0;
  FollowStep last_;
  LogTime lastTime_ = {};
  bool hasStacks_ = false;
  uint32_t threads_ = 0;
  uint64_t stackCommittedMb_ = 0, stackReservedMb_ = 0;
  Trend trend_;
  int64_t trendAt_ = 0;  // the placement of the trend's last row
  uint32_t lastPid_ = 0;
  bool hasRow_ = false;
};
