// zormap.exe's logic: a walk turned into cells, the trend of the size, and
// the warning's crossing rule.
#include <gtest/gtest.h>

#include "map/address_map.h"
#include "map/map_watch.h"
#include "support/fakes.h"

namespace {

TEST(AddressMap, EachCellTakesItsLargestKindAndTheLargestUsableBlockIsKept) {
  FakeProcessApi api;  // 64 KB granularity, last usable byte 0x7FFEFFFF
  ResetSystemInfoCache();
  AddressMapBuilder builder;
  builder.Begin(0x7FFEFFFF);
  // MB 0: 0.75 MB image, then free from 4 KB past a 64 KB boundary.
  builder.Region({0x10000, 0xB0000, kMemCommit, kMemImage});
  builder.Region({0xC1000, 0x3F000, kMemFree});
  // MB 1-2: 1.5 MB mapped, 0.5 MB private reserved.
  builder.Region({0x100000, 0x180000, kMemReserve, kMemMapped});
  builder.Region({0x280000, 0x80000, kMemReserve, kMemPrivate});
  // MB 3-5: free, the largest usable block; MB 6: committed to the top.
  builder.Region({0x300000, 0x300000, kMemFree});
  builder.Region({0x600000, 0x7F9F0000, kMemCommit, kMemPrivate});
  AddressMap map;
  builder.Finish(&map);
  EXPECT_EQ(map.cells, 2048u);
  const uint8_t expected[] = {kMapImage,      kMapMapped,     kMapPrivateReserved, kMapUsableFree,
                              kMapUsableFree, kMapUsableFree, kMapPrivateCommitted};
  for (uint32_t c = 0; c < 7; ++c) EXPECT_EQ(map.kind[c], expected[c]) << c;
  EXPECT_EQ(map.bytes[kMapUnusableFree], 0xF000u);  // up to the next 64 KB boundary
  EXPECT_EQ(map.bytes[kMapUsableFree], 0x30000u + 0x300000u);
  EXPECT_EQ(map.largestStart, 0x300000u);
  EXPECT_EQ(map.largestEnd, 0x600000u);
  ResetSystemInfoCache();
}

TEST(Trend, MeetsTheCeilingOnlyFromEnoughGrowingReadings) {
  struct Case {
    int readings, mbPerSecond;
    int32_t minutes;
  } cases[] = {
      {59, 1, Trend::kTooFew},
      {60, 0, Trend::kNotGrowing},
      {120, -2, Trend::kNotGrowing},
      {120, 2, 10},  // 1200 MB left at 2 MB a second
  };
  for (const Case& c : cases) {
    Trend t;
    for (int i = 0; i < c.readings; ++i)
      t.Add(1000 + i, 2000 + (c.mbPerSecond * i - c.mbPerSecond * (c.readings - 1)));
    EXPECT_EQ(t.MinutesTo(3200), c.minutes) << c.readings << " " << c.mbPerSecond;
  }
}

TEST(Warning, FiresOncePerCrossingAndClearsOnlyWellClear) {
  WarningThresholds t;  // below 128 MB, at 90 %
  Warning w;
  struct Step {
    uint64_t largest;
    uint32_t percent;
    bool fires, on;
  } steps[] = {
      {500, 50, false, false}, {127, 50, true, true},
      {100, 50, false, true},  {140, 50, false, true},  // not yet clear of 128 by an eighth
      {150, 50, false, false}, {500, 90, true, true},
      {500, 88, false, true},  {500, 87, false, false},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(w.Update(t, true, s.largest, s.percent), s.fires) << s.largest << " " << s.percent;
    EXPECT_EQ(w.On(), s.on) << s.largest << " " << s.percent;
  }
}

}  // namespace
