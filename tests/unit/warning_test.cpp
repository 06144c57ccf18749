// The trend and the warnings both companions give before a target's space
// runs out.
#include "monitor/warning.h"

#include <gtest/gtest.h>

namespace {

TEST(Trend, MeetsTheCeilingFromTheTimeTheReadingsTook) {
  struct Case {
    int readings;
    uint32_t everyMs, firstTick;
    int mbPerSecond;
    int32_t minutes;
  } cases[] = {
      {59, 1000, 0, 1, Trend::kTooFew},  // less than a minute
      {61, 1000, 0, 0, Trend::kNotGrowing},
      {120, 1000, 0, -2, Trend::kNotGrowing},
      {120, 1000, 0, 2, 10},             // 1200 MB left at 2 MB a second
      {120, 2000, 0, 2, 10},             // slower readings: the same growth a second
      {2, 60000, 0, 2, Trend::kTooFew},  // two readings are no line
      {3, 60000, 0, 2, 10},              // a reading a minute forms one
      {6, 60000, 0, 2, 10},              // and keeps it within the five minutes
      {40, 5000, 0xFFFF0000u, 2, 10},    // across the tick count's wrap
      {100, 1000, 0, 2, 10},             // after a gap (below)
  };
  for (const Case& c : cases) {
    Trend t;
    uint32_t tick = c.firstTick;
    if (&c == &cases[9]) {  // readings from before a sleep of an hour fall out
      for (int i = 0; i < 100; ++i, tick += 1000) t.Add(tick, 100);
      tick += 3600000;
    }
    for (int i = 0; i < c.readings; ++i, tick += c.everyMs) {
      const int64_t before = static_cast<int64_t>(c.readings - 1 - i) * c.everyMs / 1000;
      t.Add(tick, static_cast<uint32_t>(2000 - c.mbPerSecond * before));
    }
    EXPECT_EQ(t.MinutesTo(3200), c.minutes) << c.readings << " every " << c.everyMs;
  }
}

// Each kind fires once per crossing, on its own, and clears only well clear
// of its threshold but within reach.
TEST(Warning, EachKindFiresOncePerCrossingAndClearsOnlyWellClearButWithinReach) {
  enum { B = 1 << kWarnBelow, A = 1 << kWarnAt, M = 1 << kWarnMinutes };
  struct Step {
    uint32_t belowMb, atPercent, minutes;  // all 0: as the step before
    uint64_t largest;
    uint32_t percent;
    int32_t trend;
    bool fires;  // the warning as a whole came on
    uint32_t on, cameOn, wentOff;
  } steps[] = {
      {128, 90, 0, 500, 50, -2, false, 0, 0, 0},
      {0, 0, 0, 127, 50, -2, true, B, B, 0},
      {0, 0, 0, 100, 50, -2, false, B, 0, 0},
      {0, 0, 0, 140, 50, -2, false, B, 0, 0},  // not clear of 128 by an eighth
      {0, 0, 0, 150, 50, -2, false, 0, 0, B},
      {0, 0, 0, 500, 90, -2, true, A, A, 0},
      {0, 0, 0, 100, 89, -2, false, A | B, B, 0},  // a second kind while on: no new flash
      {0, 0, 0, 500, 88, -2, false, A, 0, B},
      {0, 0, 0, 500, 87, -2, false, 0, 0, A},
      // The trend, on its own.
      {0, 0, 10, 500, 50, 11, false, 0, 0, 0},
      {0, 0, 0, 500, 50, 10, true, M, M, 0},
      {0, 0, 0, 500, 50, Trend::kTooFew, false, M, 0, 0},  // no line yet: as it was
      {0, 0, 0, 500, 50, 12, false, M, 0, 0},              // within a quarter
      {0, 0, 0, 500, 50, 13, false, 0, 0, M},
      {0, 0, 0, 500, 50, 0, true, M, M, 0},  // the ceiling met
      {0, 0, 0, 500, 50, Trend::kNotGrowing, false, 0, 0, M},
      // The ends of the ranges, against a 4096 MB ceiling.
      {128, 1, 0, 500, 1, -2, true, A, A, 0},
      {0, 0, 0, 500, 0, -2, false, 0, 0, A},  // no share below 0 %
      {128, 2, 0, 500, 2, -2, true, A, A, 0},
      {0, 0, 0, 500, 1, -2, false, A, 0, 0},
      {0, 0, 0, 500, 0, -2, false, 0, 0, A},
      {4000, 100, 0, 3900, 50, -2, true, B, B, 0},
      {0, 0, 0, 4040, 50, -2, false, B, 0, 0},
      {0, 0, 0, 4060, 50, -2, false, 0, 0, B},  // no block above 4096
      {1, 100, 0, 0, 50, -2, true, B, B, 0},
      {0, 0, 0, 2, 50, -2, false, 0, 0, B},
      {0, 0, 1, 500, 50, 2, false, 0, 0, 0},  // a minute's margin at least
      {0, 0, 0, 500, 50, 1, true, M, M, 0},
      {0, 0, 0, 500, 50, 2, false, M, 0, 0},
      {0, 100, 0, 4000, 99, 1, false, 0, 0, M},  // a kind no longer watched goes off
  };
  Warning w;
  WarningThresholds t;
  for (const Step& s : steps) {
    if (s.belowMb || s.atPercent || s.minutes)
      t.belowMb = s.belowMb, t.atPercent = s.atPercent, t.minutes = s.minutes;
    WarningReading r;
    r.usableKnown = true;
    r.largestUsableMb = s.largest;
    r.percent = s.percent;
    r.ceilingMb = 4096;
    r.trendMinutes = s.trend;
    uint32_t cameOn = 0, wentOff = 0;
    const std::string what = std::to_string(t.belowMb) + "/" + std::to_string(t.atPercent) + "/" +
                             std::to_string(t.minutes) + ": " + std::to_string(s.largest) + " " +
                             std::to_string(s.percent) + " " + std::to_string(s.trend);
    EXPECT_EQ(w.Update(t, r, &cameOn, &wentOff), s.fires) << what;
    EXPECT_EQ(cameOn, s.cameOn) << what;
    EXPECT_EQ(wentOff, s.wentOff) << what;
    EXPECT_EQ(w.On(kWarnBelow) * B + w.On(kWarnAt) * A + w.On(kWarnMinutes) * M, s.on) << what;
  }
}

}  // namespace
