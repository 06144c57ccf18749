// The session's history: the virtual size, the largest usable block and the
// target's ceiling against time, kept in a fixed number of time buckets
// however long the session runs. Each bucket keeps the minimum and maximum
// of what fell into it; when a reading falls past the last bucket, the
// buckets merge pairwise and each spans twice the time. A strip of any
// width is drawn from the buckets, so a resize loses nothing.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "space/log_reader.h"

enum HistorySeries { kSeriesVirtual, kSeriesLargestUsable, kSeriesCeiling, kHistorySeries };
enum { kHistoryBuckets = 4096, kHistoryLabelUnits = 16 };
// A figure the reading does not have (no 32-bit ceiling, or not logged).
const uint32_t kNoFigure = 0xFFFFFFFFu;

// Seconds of local time since 1970-01-01 00:00, the history's clock.
int64_t HistorySeconds(int year, int month, int day, int hour, int minute, int second);
// "yyyy-mm-dd hh:mm:ss" of such a time, always terminated (20 units).
enum { kHistoryTimeUnits = 20 };
void FormatHistoryTime(int64_t t, ZChar* out);

struct HistoryReading {
  int64_t time;  // HistorySeconds
  uint32_t mb[kHistorySeries];
};
// A step's figures as the strip draws them.
HistoryReading ReadingOf(int64_t time, const FollowStep& step);

// min > max when nothing fell into it.
struct HistoryRange {
  uint32_t min, max;
  bool Empty() const { return min > max; }
};

struct HistoryPoint {
  int64_t from, to;   // the time the column covers, to exclusive
  uint32_t readings;  // 0: nothing to draw there
  HistoryRange range[kHistorySeries];
};

struct HistoryChange {
  bool doubled;     // every bucket moved: redraw the whole strip
  uint32_t bucket;  // the bucket the reading went into
};

struct HistoryLabel {
  uint32_t x;
  ZChar text[kHistoryLabelUnits];
};

// Takes an opened log's rows as the session's readings.
class History : public LogRowSink {
 public:
  History() { Clear(); }
  virtual ~History() = default;
  History(const History&) = default;
  History& operator=(const History&) = default;
  void Clear();
  void LogBegins() override { Clear(); }
  void LogRow(const LogTime& time, const FollowStep& row, uint32_t columns) override;
  // A time before the first reading's (a clock set back) counts in the
  // first bucket; one that goes back within the session, in its own bucket.
  HistoryChange Add(const HistoryReading& reading);
  uint32_t Readings() const { return readings_; }
  int64_t Start() const { return start_; }
  int64_t Span() const { return span_; }  // seconds per bucket
  // The highest figure of any series, for the strip's scale (0 when none).
  uint32_t Top() const { return top_; }
  // Buckets up to the last that holds a reading: the part of the strip in use.
  uint32_t Filled() const { return filled_; }

  // A strip width pixels wide spans all the buckets, the first reading at
  // its left edge: column x shows the buckets from BucketOf(x, width) up to
  // BucketOf(x + 1, width), at least one.
  void Column(uint32_t x, uint32_t width, HistoryPoint* out) const;
  // The columns a bucket's change redraws: [*first, *last].
  static void ColumnsOf(uint32_t bucket, uint32_t width, uint32_t* first, uint32_t* last);
  // Labels for the axis, at round times at least minSpacing pixels apart;
  // returns how many (at most max).
  uint32_t Labels(uint32_t width, uint32_t minSpacing, HistoryLabel* out, uint32_t max) const;

 private:
  struct Bucket {
    uint32_t readings;
    HistoryRange range[kHistorySeries];
  };
  void Double();
  Bucket buckets_[kHistoryBuckets];
  uint32_t readings_ = 0, top_ = 0, filled_ = 0;
  int64_t start_ = 0, span_ = 1;
};
