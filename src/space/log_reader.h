// A zorlog CSV read back: every row handed to whoever opens the file, the
// last one kept as the step it was written from, for the figures.
#pragma once
#include "monitor/follow.h"
#include "space/csv_reader.h"
#include "space/log_format.h"

// What takes the rows of a log as they are read.
class LogRowSink {
 public:
  virtual void LogBegins() = 0;  // at the header: rows of an earlier read are gone
  // A row as zorlog's step had it, its offset from UTC in time where the
  // row has one; columns: the header's (kLogColumns...).
  virtual void LogRow(const LogTime& time, const FollowStep& row, uint32_t columns) = 0;

 protected:
  ~LogRowSink() = default;
};

class LogReader : public CsvReader {
 public:
  explicit LogReader(LogRowSink* rows) : rows_(rows) {}
  uint32_t Columns() const { return columns_; }  // the header's, 0 before it
  // The last row, as zorlog's step had it (row false before any).
  const FollowStep& Last() const { return last_; }
  const LogTime& LastTime() const { return lastTime_; }
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
  LogRowSink* rows_;
  uint32_t columns_ = 0;
  FollowStep last_;
  LogTime lastTime_ = {};
  bool hasStacks_ = false;
  uint32_t threads_ = 0;
  uint64_t stackCommittedMb_ = 0, stackReservedMb_ = 0;
};
