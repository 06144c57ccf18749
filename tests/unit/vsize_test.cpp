#include "monitor/vsize.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace {

class VsizeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSystemInfoCache(); }
  // A process whose regions tile the application range of a 2 GB system.
  FakeProcess& Target(std::vector<RegionInfo> regions) {
    FakeProcess& p = api.Add(100, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
    p.regions = regions;
    return p;
  }
  // One walk through a handle of the test's own, as the log holds one.
  uint32_t Walk(AddressSpaceStats* stats, uint64_t usableTop = 0) {
    ProcessHandle h = api.OpenProcess(kProcessQueryInformation, 100);
    uint32_t kb = WalkProcess(h, usableTop, stats);
    if (h) api.CloseHandle(h);
    return kb;
  }
  FakeProcessApi api;
};

TEST_F(VsizeTest, SumsCommittedAndReservedButNotFreeRegions) {
  Target({{0x10000, 0x10000, kMemCommit},
          {0x20000, 0x30000, kMemReserve},
          {0x50000, 0x7FF00000, kMemFree},
          {0x7FF50000, 0x90000, kMemCommit},
          {0x7FFE0000, 0x20000, kMemFree}});
  EXPECT_EQ(QueryProcessVirtualSize(100), (0x10000u + 0x30000u + 0x90000u) >> 10);
  EXPECT_EQ(api.regionQueries, 5);  // one query per region
  EXPECT_EQ(api.OpenHandles(), 0u);

  // The same one walk split by state; free pieces between regions and at the
  // end, the last one only up to the last usable byte.
  AddressSpaceStats stats;
  EXPECT_EQ(Walk(&stats), (0x10000u + 0x30000u + 0x90000u) >> 10);
  EXPECT_EQ(api.regionQueries, 10);
  EXPECT_EQ(stats.committed, 0x10000u + 0x90000u);
  EXPECT_EQ(stats.reserved, 0x30000u);
  EXPECT_EQ(stats.free, 0x7FF00000u + 0x10000u);
  EXPECT_EQ(stats.largestFree, 0x7FF00000u);
  EXPECT_EQ(stats.regions, 5u);
  EXPECT_TRUE(stats.whole);

  // A space smaller than its ceiling says (as Wine may keep one): the query
  // past its end fails as beyond it, and all of it was walked; a query that
  // fails any other way cuts the walk short.
  api.processes.back().regions.pop_back();
  Walk(&stats, 0x7FFEFFFF);
  EXPECT_TRUE(stats.whole);
  api.processes.back().failQueryAt = 2;
  Walk(&stats, 0x7FFEFFFF);
  EXPECT_FALSE(stats.whole);
}

TEST_F(VsizeTest, UsableFreeStartsOnTheGranularityAndEndsAtTheTargetsOwnTop) {
  api.systemInfo = {4096, 0x10000, 0xFFFEFFFF, 0x10000};
  Target({{0x10000, 0x11000, kMemCommit, kMemImage},
          {0x21000, 0xF000, kMemFree},  // nothing left once rounded up to 64 KB
          {0x30000, 0x1000, kMemReserve, kMemPrivate},
          {0x31000, 0xFFCF000, kMemFree},  // usable from 0x40000
          {0x10000000, 0x60000000, kMemCommit, kMemMapped},
          {0x70000000, 0x20000000, kMemFree},  // crosses 2 GB
          {0x90000000, 0x6FFF0000, kMemReserve, kMemPrivate}});
  const uint64_t lastRegion = (0xFFFEFFFFu - 0x90000000u) / 4096 * 4096;
  struct Case {
    uint64_t top, usable, largest, below2G;
  } cases[] = {
      {0xFFFEFFFF, 0xFFC0000 + 0x20000000ull, 0x20000000, 0x10000000},  // large-address-aware
      {0x7FFEFFFF, 0xFFC0000 + 0xFFF0000ull, 0xFFF0000, 0xFFF0000},     // 2 GB: clipped
      {0, 0, 0, 0},                                                     // not asked for
  };
  for (const Case& c : cases) {
    AddressSpaceStats stats;
    uint32_t kb = Walk(&stats, c.top);
    EXPECT_EQ(stats.usableFree, c.usable) << c.top;
    EXPECT_EQ(stats.largestUsable, c.largest) << c.top;
    EXPECT_EQ(stats.largestUsableBelow2G, c.below2G) << c.top;
    EXPECT_EQ(stats.largestFree, 0x20000000u) << c.top;
    // The kinds split what the size counts.
    EXPECT_EQ(stats.committedByKind[kKindImage], 0x11000u);
    EXPECT_EQ(stats.committedByKind[kKindMapped], 0x60000000u);
    EXPECT_EQ(stats.reservedByKind[kKindPrivate], 0x1000u + lastRegion);
    uint64_t sum = 0;
    for (int k = 0; k < kRegionKinds; ++k)
      sum += stats.committedByKind[k] + stats.reservedByKind[k];
    EXPECT_EQ(sum >> 10, kb);
  }
}

TEST_F(VsizeTest, UnknownStateCountsOnlyInTheLastRegion) {
  Target({{0x10000, 0x10000, 0x40000}, {0x20000, 0x7FFE0000, 0x40000}});
  // The first (unknown) region adds nothing; the last is counted page by page.
  EXPECT_EQ(QueryProcessVirtualSize(100), ((0x7FFEFFFFu - 0x20000u) / 4096u * 4096u) >> 10);
}

TEST_F(VsizeTest, LastRegionIsCountedInWholePagesBelowTheLastUsableByte) {
  // The worked example: reserved, base 0x7FFE1000, 15 pages; 14 are counted.
  Target({{0x10000, 0x7FFD1000, kMemFree}, {0x7FFE1000, 0xF000, kMemReserve}});
  EXPECT_EQ(QueryProcessVirtualSize(100), 14u * 4096u >> 10);
  // The split counts what the size counts: a free piece before, 14 pages.
  AddressSpaceStats stats;
  Walk(&stats);
  EXPECT_EQ(stats.reserved, 14u * 4096u);
  EXPECT_EQ(stats.committed, 0u);
  EXPECT_EQ(stats.free, 0x7FFD1000u);
  EXPECT_EQ(stats.largestFree, 0x7FFD1000u);
}

TEST_F(VsizeTest, FreeLastRegionAddsNothingAndARegionEndingAt4GiBDoesNotWrap) {
  api.systemInfo = {4096, 0x10000, 0xFFFEFFFF, 0x10000};
  Target({{0x10000, 0x10000, kMemCommit}, {0x20000, 0xFFFE0000, kMemFree}});
  EXPECT_EQ(QueryProcessVirtualSize(100), 0x10000u >> 10);
  EXPECT_EQ(api.regionQueries, 2);

  // Committed up to exactly 4 GiB: counted page by page, then the walk ends.
  api.processes[0].regions = {{0x10000, 0x10000, kMemCommit}, {0x20000, 0xFFFE0000, kMemCommit}};
  api.regionQueries = 0;
  EXPECT_EQ(QueryProcessVirtualSize(100),
            (0x10000u + (0xFFFEFFFFu - 0x20000u) / 4096u * 4096u) >> 10);
  EXPECT_EQ(api.regionQueries, 2);
}

TEST_F(VsizeTest, RegionStartingInTheLastPageAddsNothing) {
  Target({{0x10000, 0x7FFDF000, kMemReserve}, {0x7FFEF000, 0x1000, kMemCommit}});
  EXPECT_EQ(QueryProcessVirtualSize(100), 0x7FFDF000u >> 10);
}

TEST_F(VsizeTest, FailureInMidWalkReturnsTheSumSoFar) {
  FakeProcess& p = Target({{0x10000, 0x100000, kMemCommit},
                           {0x110000, 0x200000, kMemReserve},
                           {0x310000, 0x7FCE0000, kMemCommit}});
  p.failQueryAt = 2;
  EXPECT_EQ(QueryProcessVirtualSize(100), 0x300000u >> 10);
  AddressSpaceStats stats;
  Walk(&stats);
  EXPECT_EQ(stats.committed + stats.reserved, 0x300000u);
  EXPECT_EQ(stats.regions, 2u);
  EXPECT_FALSE(stats.whole);
  // Past the target's own last byte a failure ends a whole walk.
  Walk(&stats, 0x30FFFF);
  EXPECT_TRUE(stats.whole);
  p.failQueryAt = 0;
  EXPECT_EQ(Walk(&stats), 0u);
  EXPECT_EQ(stats.regions, 0u);
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(VsizeTest, OnlyStillActiveCountsAsRunning) {
  FakeProcess& p = Target({{0x10000, 0x7FFE0000, kMemCommit}});
  for (uint32_t code : {0u, 1u, 258u, 260u}) {
    p.exitCode = code;
    EXPECT_EQ(QueryProcessVirtualSize(100), 0u) << code;
  }
  p.exitCode = kStillActive;
  p.exitCodeReadable = false;
  EXPECT_EQ(QueryProcessVirtualSize(100), 0u);
  EXPECT_EQ(api.regionQueries, 0);  // no walk without a running process
  EXPECT_EQ(api.OpenHandles(), 0u);
  EXPECT_EQ(api.openCalls, api.closeCalls);
}

TEST_F(VsizeTest, UnopenableProcessAndPidZeroYieldZeroWithNothingToClose) {
  Target({{0x10000, 0x7FFE0000, kMemCommit}}).queryOpenable = false;
  EXPECT_EQ(QueryProcessVirtualSize(100), 0u);
  EXPECT_EQ(QueryProcessVirtualSize(0), 0u);
  EXPECT_EQ(api.closeCalls, 0);
}

TEST_F(VsizeTest, SizesTruncateToWholeKilobytes) {
  Target({{0x10000, 1023, kMemCommit}, {0x10000 + 1023, 0x7FFE0000, kMemFree}});
  EXPECT_EQ(QueryProcessVirtualSize(100), 0u);
  api.processes[0].regions = {{0x10000, 1048575u * 1024u, kMemCommit},
                              {0x10000 + 1048575u * 1024u, 0x7FFE0000, kMemFree}};
  EXPECT_EQ(QueryProcessVirtualSize(100), 1048575u);
  EXPECT_EQ(QueryProcessVirtualSize(100) >> 10, 1023u);
}

TEST_F(VsizeTest, SystemInfoIsReadOncePerRun) {
  Target({{0x10000, 0x10000, kMemCommit}, {0x20000, 0x7FFE0000, kMemFree}});
  for (int i = 0; i < 5; ++i) QueryProcessVirtualSize(100);
  EXPECT_EQ(CachedSystemInfo().maximumAddress, 0x7FFEFFFFu);
  EXPECT_EQ(api.systemInfoCalls, 1);
}

TEST_F(VsizeTest, RegionThatDoesNotAdvanceEndsTheWalk) {
  Target({{0x10000, 0, kMemCommit}});
  EXPECT_EQ(QueryProcessVirtualSize(100), 0u);
  EXPECT_EQ(api.regionQueries, 1);
}

}  // namespace
