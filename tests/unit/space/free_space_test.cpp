// What keeps a hand-made walk's free space apart, and what still fits in it.
#include "space/free_space.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fakes.h"

namespace {

// 64 KB granularity. Free pieces: 0x10000 (256 MB less 64 KB), 0x10400000
// (508 MB), 0x30001000 (512 MB less 4 KB, usable from 0x30010000),
// 0x50100000 (1 MB), 0x50210000 to the top (766 MB less 128 KB).
const MapRegion kWalk[] = {
    {0x10000, 0xFFF0000, 0, kMemFree, 0, 0},
    {0x10000000, 0x100000, 0x10000000, kMemCommit, kMemImage, 0x20},  // two images side by side
    {0x10100000, 0x300000, 0x10100000, kMemCommit, kMemImage, 0x20},
    {0x10400000, 0x1FC00000, 0, kMemFree, 0, 0},
    {0x30000000, 0x1000, 0x30000000, kMemCommit, kMemPrivate, 0x04},
    {0x30001000, 0x1FFFF000, 0, kMemFree, 0, 0},
    {0x50000000, 0x100000, 0x50000000, kMemCommit, kMemMapped, 0x02},
    {0x50100000, 0x100000, 0, kMemFree, 0, 0},
    {0x50200000, 0x10000, 0x50200000, kMemReserve, kMemPrivate, 0},
    {0x50210000, 0x2FDE0000, 0, kMemFree, 0, 0},
};
const uint32_t kRegions = sizeof kWalk / sizeof kWalk[0];

// A 1 GB block split by two reservations 56 KB apart: the sliver between
// them holds nothing usable.
const std::vector<MapRegion> kSliver = {
    {0x10000, 0x1FFF0000, 0, kMemFree, 0, 0},
    {0x20000000, 0x402000, 0x20000000, kMemReserve, kMemPrivate, 0},
    {0x20402000, 0xE000, 0, kMemFree, 0, 0},
    {0x20410000, 0x100000, 0x20410000, kMemReserve, kMemPrivate, 0},
    {0x20510000, 0x1FAF0000, 0, kMemFree, 0, 0},
};
// 255 MB, then 64 KB reserved and 64 KB free before an image: without the
// reservation 255.1 MB, which the panel would print as the same 255 MB.
const std::vector<MapRegion> kUnseenGain = {
    {0x100000, 0xFF00000, 0, kMemFree, 0, 0},
    {0x10000000, 0x10000, 0x10000000, kMemReserve, kMemPrivate, 0},
    {0x10010000, 0x10000, 0, kMemFree, 0, 0},
    {0x10020000, 0x10000, 0x10020000, kMemCommit, kMemImage, 0x20},
    {0x10030000, 0x100000, 0, kMemFree, 0, 0},
};

const ZChar* Names(const void*, uint64_t base) {
  static const std::map<uint64_t, ZString> names = {
      {0x10000000, Z("\\Device\\HarddiskVolume1\\app\\abc.dll")},
      {0x10100000, Z("\\Device\\HarddiskVolume1\\app\\xyz.dll")}};
  auto it = names.find(base);
  return it == names.end() ? nullptr : it->second.c_str();
}

TEST(Separators, ListOnlyRunsWhoseRemovalMakesALargerUsableBlock) {
  const std::vector<MapRegion> walk(kWalk, kWalk + kRegions);
  struct Case {
    const std::vector<MapRegion>& walk;
    uint64_t top;
    std::vector<std::pair<uint64_t, uint64_t>> runs;  // start, block
  } cases[] = {
      // The mapped file's block, from 0x30010000, would be smaller than the largest.
      {walk,
       0x7FFEFFFF,
       {{0x30000000, 0x3FC00000}, {0x10000000, 0x2FFF0000}, {0x50200000, 0x2FEF0000}}},
      // Under a lower ceiling the last piece shrinks and the mapped file counts.
      {walk,
       0x5FFFFFFF,
       {{0x30000000, 0x3FC00000}, {0x10000000, 0x2FFF0000}, {0x50000000, 0x201F0000}}},
      {walk, 0x0FFFFFFF, {}},                             // above the ceiling nothing helps
      {kSliver, 0x3FFFFFFF, {{0x20000000, 0x3FFF0000}}},  // one run over both
      {kUnseenGain, 0x7FFEFFFF, {}},
  };
  for (const Case& c : cases) {
    Separator found[8];
    const uint32_t n = FindSeparators(c.walk.data(), static_cast<uint32_t>(c.walk.size()), c.top,
                                      0x10000, found, 8);
    std::vector<std::pair<uint64_t, uint64_t>> runs;
    for (uint32_t i = 0; i < n; ++i) runs.push_back({found[i].start, found[i].block});
    EXPECT_EQ(runs, c.runs) << std::hex << c.top;
  }
  Separator two[2];
  ASSERT_EQ(FindSeparators(kWalk, kRegions, 0x7FFEFFFF, 0x10000, two, 2), 2u);
  ZChar line[256];
  FormatSeparator(two[1], kWalk, Names, nullptr, line, 256);
  EXPECT_EQ(Narrow(line),
            "0x10000000-0x103FFFFF, 4 MB: 2 images: abc.dll, xyz.dll; without it: 767 MB in one "
            "block");
  FormatSeparator(two[0], kWalk, Names, nullptr, line, 256);
  EXPECT_EQ(Narrow(line),
            "0x30000000-0x30000FFF, 4 KB: 1 private allocation; without it: 1020 MB in one block");
}

TEST(StillFits, CountsEachUsablePieceAlone) {
  struct Case {
    uint64_t size, count;
  } cases[] = {
      {1 << 20, 2040},  // 2041 MB free, but no stack spans two pieces
      {0x1000, 32684},  // each takes a whole 64 KB
      {64 << 20, 28},  {256 << 20, 4}, {0, 0},
  };
  for (const Case& c : cases) {
    Fit fit = {c.size, 99};
    CountFits(kWalk, kRegions, 0x7FFEFFFF, 0x10000, &fit, 1);
    EXPECT_EQ(fit.count, c.count) << c.size;
  }
  ZChar line[128];
  FormatStillFits(kWalk, kRegions, 0x7FFEFFFF, 0x10000, 1 << 20, line, 128);
  ZString expected = Z("Still fits: 2040 thread stacks of 1 MB, 28 x 64 MB, 4 x 256 MB");
  for (ZChar& ch : expected)
    if (ch == 'x') ch = 0xD7;
  EXPECT_EQ(ZString(line), expected);
}

TEST(FlagLine, SaysWhatTheFlagWouldGiveOnlyWhereItWouldGiveMore) {
  struct Case {
    bool known;
    uint32_t mb, flaggedMb;
    const char* line;
  } cases[] = {
      {true, 2047, 4095,
       "Not large-address-aware: the flag would raise its ceiling from 2047 to 4095 MB"},
      {true, 2047, 2047, ""},  // a 32-bit system without the 3 GB switch
      {true, 4095, 0, ""},     // flagged already
      {false, 0, 4095, ""},
  };
  for (const Case& c : cases) {
    TargetCeiling ceiling;
    ceiling.known = c.known, ceiling.mb = c.mb, ceiling.flaggedMb = c.flaggedMb;
    ZChar line[128];
    EXPECT_EQ(FormatFlagLine(ceiling, line, 128), *c.line != 0) << c.line;
    EXPECT_EQ(Narrow(line), c.line);
  }
}

}  // namespace
