// zormap's history: buckets that keep every reading's extremes however long
// the session, and the strip's columns, changes and labels drawn from them.
#include "map/history.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "map/strip.h"
#include "support/fakes.h"

namespace {

// Reading i of a day at one a second; every 1000th has no ceiling.
HistoryReading DayReading(int64_t start, uint32_t i) {
  return {start + i, {1000 + i * 7919 % 500, 3000 - i / 100, i % 1000 == 5 ? kNoFigure : 4095}};
}

TEST(History, ADayKeepsEachColumnsExtremesThroughDoublingsAtAnyWidth) {
  auto h = std::make_unique<History>();
  const int64_t start = HistorySeconds(2024, 3, 10, 8, 0, 0);
  const uint32_t kDay = 86400;
  int doublings = 0;
  for (uint32_t i = 0; i < kDay; ++i) {
    const HistoryChange c = h->Add(DayReading(start, i));
    doublings += c.doubled;
    ASSERT_EQ(c.bucket, i / h->Span()) << i;
  }
  EXPECT_EQ(doublings, 5);  // 4096 s a bucket each, doubled to 32 s
  EXPECT_EQ(h->Span(), 32);
  EXPECT_EQ(h->Top(), 4095u);
  EXPECT_EQ(h->Filled(), (kDay - 1) / 32 + 1);
  // Each column holds exactly the readings of its time, whatever the width.
  for (uint32_t width : {1u, 333u, 4096u, 5000u}) {
    uint32_t counted = 0;
    int64_t before = start;
    for (uint32_t x = 0; x < width; ++x) {
      HistoryPoint p;
      h->Column(x, width, &p);
      ASSERT_LE(p.from, before) << width << " " << x;  // no gap between columns
      before = p.to;
      HistoryRange want[kHistorySeries] = {{~0u, 0}, {~0u, 0}, {~0u, 0}};
      uint32_t n = 0;
      for (int64_t t = p.from; t < p.to && t - start < kDay; ++t, ++n) {
        const HistoryReading r = DayReading(start, static_cast<uint32_t>(t - start));
        for (int s = 0; s < kHistorySeries; ++s)
          if (r.mb[s] != kNoFigure)
            want[s] = {std::min(want[s].min, r.mb[s]), std::max(want[s].max, r.mb[s])};
      }
      ASSERT_EQ(p.readings, n) << width << " " << x;
      for (int s = 0; s < kHistorySeries; ++s) {
        ASSERT_EQ(p.range[s].min, want[s].min) << width << " " << x << " " << s;
        ASSERT_EQ(p.range[s].max, want[s].max) << width << " " << x << " " << s;
      }
      counted += n;
    }
    if (width <= kHistoryBuckets) {
      EXPECT_EQ(counted, kDay) << width;
    }
    EXPECT_EQ(before, start + int64_t{kHistoryBuckets} * 32) << width;
  }
}

TEST(History, ABucketsChangeRedrawsExactlyTheColumnsThatShowIt) {
  struct Case {
    uint32_t bucket, width, first, last;
  } cases[] = {{0, 4096, 0, 0},  {4095, 4096, 4095, 4095}, {0, 300, 0, 0},
               {12, 300, 0, 0},  {13, 300, 1, 1},          {4095, 300, 299, 299},
               {0, 10000, 0, 2}, {1, 10000, 3, 4},         {4095, 10000, 9998, 9999}};
  for (const Case& c : cases) {
    uint32_t first, last;
    History::ColumnsOf(c.bucket, c.width, &first, &last);
    EXPECT_EQ(first, c.first) << c.bucket << " " << c.width;
    EXPECT_EQ(last, c.last) << c.bucket << " " << c.width;
  }
  // Every bucket, at widths either side of the bucket count, against Column.
  auto h = std::make_unique<History>();
  h->Add({0, {1, 1, 1}});
  for (uint32_t width : {777u, 6001u})
    for (uint32_t b = 0; b < kHistoryBuckets; ++b) {
      uint32_t first, last;
      History::ColumnsOf(b, width, &first, &last);
      for (uint32_t x = first ? first - 1 : 0; x <= last + 1 && x < width; ++x) {
        HistoryPoint p;
        h->Column(x, width, &p);
        const bool shows = p.from <= b && b < p.to;
        ASSERT_EQ(shows, x >= first && x <= last) << width << " " << b << " " << x;
      }
    }
}

TEST(History, AClockSetBackCountsWhereItsTimeFalls) {
  auto h = std::make_unique<History>();
  const int64_t t = HistorySeconds(2024, 1, 1, 12, 0, 0);
  EXPECT_EQ(h->Add({t, {10, 5, 100}}).bucket, 0u);
  EXPECT_EQ(h->Add({t + 50, {30, 5, 100}}).bucket, 50u);
  EXPECT_EQ(h->Add({t + 20, {20, 5, 100}}).bucket, 20u);   // set back within the session
  EXPECT_EQ(h->Add({t - 3600, {40, 5, 100}}).bucket, 0u);  // before it began
  HistoryPoint p;
  h->Column(0, kHistoryBuckets, &p);
  EXPECT_EQ(p.readings, 2u);
  EXPECT_EQ(p.range[kSeriesVirtual].max, 40u);
  EXPECT_EQ(h->Readings(), 4u);
}

// Live readings a second apart on the tick, the clock set back an hour, on an
// hour or a year, or the tick wrapping: each in its own bucket, labelled with
// the local time it had.
TEST(History, LiveReadingsArePlacedByTheTickAndOnlyLabelledByTheClock) {
  const int64_t t = HistorySeconds(2024, 10, 27, 2, 59, 58);
  for (int64_t jump : {-3600, 3600, 366 * 86400, 0}) {
    auto h = std::make_unique<History>();
    HistoryClock clock;
    for (uint32_t i = 0; i < 4; ++i) {
      HistoryReading r = {0, {10 + i, kNoFigure, kNoFigure}};
      clock.Place((jump ? 1000 : 0xFFFFF000u) + i * 1000, t + i + (i >= 2 ? jump : 0), &r);
      EXPECT_EQ(h->Add(r).bucket, i) << jump;
    }
    HistoryPoint p;
    h->Column(3, kHistoryBuckets, &p);
    ZChar text[kStripPointUnits], when[kHistoryTimeUnits];
    FormatHistoryPoint(p, text, kStripPointUnits);
    FormatHistoryTime(t + 3 + jump, when);
    EXPECT_EQ(Narrow(text), Narrow(when) + ", 1 reading: virtual size 13 MB") << jump;
  }
}

TEST(History, LabelsFallOnRoundTimesAtLeastTheSpacingApart) {
  struct Case {
    int64_t first, last;  // the first and the last reading's time
    uint32_t width, spacing;
    const char* text[2];
    uint32_t x[2];
  } cases[] = {
      // 4096 s across 4096 px: a minute's step from the next whole minute.
      {HistorySeconds(2024, 3, 10, 13, 59, 50), 0, 4096, 60, {"14:00", "14:01"}, {10, 70}},
      // Seconds while the step is under a minute.
      {HistorySeconds(2024, 3, 10, 13, 59, 50), 0, 4096, 20, {"14:00:00", "14:00:30"}, {10, 40}},
      // 36 h across 400 px: six hours.
      {HistorySeconds(2024, 3, 10, 13, 59, 50), 86400, 400, 50, {"18:00", "00:00"}, {43, 109}},
      // 48 days across 2000 px: dates two days apart, through a leap day.
      {HistorySeconds(2024, 2, 27, 0, 0, 0), 30 * 86400, 2000, 60, {"02-27", "02-29"}, {0, 82}},
  };
  for (const Case& c : cases) {
    auto h = std::make_unique<History>();
    h->Add({c.first, {1, 1, 1}});
    if (c.last) h->Add({c.first + c.last, {1, 1, 1}});
    HistoryLabel labels[64];
    const uint32_t n = h->Labels(c.width, c.spacing, labels, 64);
    ASSERT_GE(n, 2u) << c.text[0];
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(Narrow(labels[i].text), c.text[i]);
      EXPECT_EQ(labels[i].x, c.x[i]) << c.text[i];
    }
    for (uint32_t i = 1; i < n; ++i) EXPECT_GE(labels[i].x - labels[i - 1].x, c.spacing - 1);
    EXPECT_LT(labels[n - 1].x, c.width);
  }
}

// The strip zooms in while the readings leave room, so that a new reading
// changes one column, and steps its scales only by powers of two.
TEST(Strip, ZoomsUntilTheReadingsFillTheWidthAndSaysThePointUnderTheMouse) {
  struct Case {
    uint32_t readings, mb, width;
    StripScale scale;
    uint32_t x;
    const char* point;
  } cases[] = {
      {0, 0, 400, {400 * kStripMaxZoom, kStripMinTopMb}, 0, "1970-01-01 00:00:00: no reading"},
      {1,
       5,
       400,
       {400 * kStripMaxZoom, 4096},
       0,
       "2024-03-10 23:59:50, 1 reading: virtual size 5 MB, ceiling 4095 MB"},
      // 20 readings over a 128-fold zoom: 400 px hold 32 buckets.
      {20, 3300, 400, {400 * 128, 4096}, 399, "2024-03-11 00:00:21: no reading"},
      {20,
       3300,
       400,
       {400 * 128, 4096},
       13,
       "2024-03-10 23:59:51, 1 reading: virtual size 3301 MB, ceiling 4095 MB"},
      // A column of several buckets, across midnight.
      {2000,
       5000,
       100,
       {200, 8192},
       1,
       "2024-03-11 00:00:10 to 00:00:29, 20 readings: virtual size 5020-5039 MB, ceiling 4095 MB"},
      {2000,
       5000,
       1,
       {2, 8192},
       0,
       "2024-03-10 23:59:50 to 2024-03-11 00:33:57, 2000 readings: virtual size 5000-6999 MB, "
       "ceiling 4095 MB"},
  };
  for (const Case& c : cases) {
    auto h = std::make_unique<History>();
    const int64_t start = HistorySeconds(2024, 3, 10, 23, 59, 50);
    for (uint32_t i = 0; i < c.readings; ++i) h->Add({start + i, {c.mb + i, kNoFigure, 4095}});
    const StripScale scale = ScaleStrip(*h, c.width);
    EXPECT_EQ(scale.columns, c.scale.columns) << c.point;
    EXPECT_EQ(scale.topMb, c.scale.topMb) << c.point;
    HistoryPoint p;
    h->Column(c.x, scale.columns, &p);
    ZChar text[kStripPointUnits];
    FormatHistoryPoint(p, text, kStripPointUnits);
    EXPECT_EQ(Narrow(text), c.point);
    // The last reading's column lies within the width.
    uint32_t first, last;
    History::ColumnsOf(h->Filled() ? h->Filled() - 1 : 0, scale.columns, &first, &last);
    EXPECT_LT(first, c.width) << c.point;
    EXPECT_EQ(StripRow(c.mb, scale.topMb, 65) <= 64 && StripRow(0, scale.topMb, 65) == 64, true);
  }
  EXPECT_EQ(StripRow(4096, 4096, 65), 0);
}

}  // namespace
