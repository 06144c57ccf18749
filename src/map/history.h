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

struct FollowStep;

enum HistorySeries { kSeriesVirtual, kSeriesLargestUsable, kSeriesCeiling, kHistorySeries };
enum { kHistoryBuckets = 4096, kHistoryLabelUnits = 16 };
// A figure the reading does not have (no 32-bit ceiling, or not logged).
const uint32_t kNoFigure = 0xFFFFFFFFu;

// Seconds since 1970-01-01 00:00 of a civil time: the history places its
// readings on a steady line of such seconds and labels them in local time.
int64_t HistorySeconds(int year, int month, int day, int hour, int minute, int second);
// "yyyy-mm-dd hh:mm:ss" of such a time, always terminated (20 units).
enum { kHistoryTimeUnits = 20 };
void FormatHistoryTime(int64_t t, ZChar* out);

struct HistoryReading {
  int64_t time;  // where it is placed: on a clock that never steps
  uint32_t mb[kHistorySeries];
  int32_t label = 0;  // added to time, its local time as the label says it
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
  int32_t label;      // added to both, the local time it labels them with
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

// A live session's readings placed by the tick counter's elapsed time (safe
// across its wrap), so that a clock set back, an hour repeated or skipped, or
// a clock corrected by a year moves nothing; the local time only labels them.
class HistoryClock {
 public:
  void Clear() { started_ = false; }
  // Places a reading taken at tick, whose local time is local (HistorySeconds).
  void Place(uint32_t tick, int64_t local, HistoryReading* r);

 private:
  bool started_ = false;
  uint32_t lastTick_ = 0;
  int64_t start_ = 0;
  uint64_t elapsedMs_ = 0;
};

class History {
 public:
  History() { Clear(); }
  void Clear();
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
    int32_t label;  // its latest reading's
    HistoryRange range[kHistorySeries];
  };
  void Double();
  // The label of the last bucket at or before index that holds a reading.
  int32_t LabelAt(int64_t index) const;
  Bucket buckets_[kHistoryBuckets];
  uint32_t readings_ = 0, top_ = 0, filled_ = 0;
  int64_t start_ = 0, span_ = 1;
};
