// A target's own ceiling: decided from its facts, and read from its image
// header and WOW64 state.
#include "monitor/ceiling.h"

#include <gtest/gtest.h>

#include "monitor/vsize.h"
#include "support/fakes.h"

namespace {

TEST(Ceiling, FollowsTheTargetsFlagAndTheMonitorsOwnSpace) {
  struct Case {
    bool is64, header, flag;
    uint32_t ownMb;
    bool known;
    uint32_t mb;
    uint64_t lastByte;
    const char* reason;
  } cases[] = {
      {true, true, true, 4095, false, 0, 0, "64-bit process"},
      {false, false, true, 4095, false, 0, 0, "unknown (image header unreadable)"},
      {false, true, false, 4095, true, 2047, 0x7FFEFFFF, "not large-address-aware"},
      {false, true, false, 3071, true, 2047, 0x7FFEFFFF, "not large-address-aware"},
      {false, true, false, 2047, true, 2047, 0x7FFEFFFF, "not large-address-aware"},
      {false, true, true, 4095, true, 4095, 0xFFFEFFFF,
       "large-address-aware, 4 GB (64-bit system)"},
      {false, true, true, 3071, true, 3071, 0xBFFEFFFF, "large-address-aware, 3 GB switch"},
      {false, true, true, 2047, true, 2047, 0x7FFEFFFF, "large-address-aware, no 3 GB switch"},
      {false, true, true, 2559, true, 2559, 0x9FFEFFFF, "large-address-aware, user-VA 2559 MB"},
  };
  for (const Case& c : cases) {
    CeilingFacts f;
    f.targetIs64Bit = c.is64;
    f.headerRead = c.header;
    f.largeAddressAware = c.flag;
    f.ownMb = c.ownMb;
    f.ownLastByte = (static_cast<uint64_t>(c.ownMb) + 1) * 0x100000 - 0x10001;
    TargetCeiling t = DecideCeiling(f);
    EXPECT_EQ(t.known, c.known) << c.reason;
    EXPECT_EQ(t.is64Bit, c.is64) << c.reason;
    EXPECT_EQ(t.mb, c.mb) << c.reason;
    EXPECT_EQ(t.lastByte, c.lastByte) << c.reason;
    EXPECT_EQ(Narrow(t.reason), c.reason);
  }
}

TEST(Ceiling, ANewThreadsStackIsTheReservationOrItsWholeCommitRoundedToAMegabyte) {
  const struct {
    uint64_t reserve, commit, stack;
  } cases[] = {
      {0x40000, 0x1000, 0x40000},     {0x40000, 0x40000, 0x100000},
      {0x100000, 0x180000, 0x200000}, {0x180000, 0x180000, 0x200000},
      {0x200000, 0x200000, 0x200000}, {0, 0x1000, 0},
  };
  for (const auto& c : cases) {
    CeilingFacts f;
    f.headerRead = true;
    f.stackReserve = c.reserve, f.stackCommit = c.commit;
    EXPECT_EQ(DecideCeiling(f).stackReserve, c.stack) << c.reserve << " " << c.commit;
  }
}

TEST(Ceiling, IsReadFromTheTargetsOwnHeaderAndWow64State) {
  FakeProcessApi api;
  FakeSystemApi system;
  system.totalVirtual = 4095ull << 20;
  api.systemInfo.maximumAddress = 0xFFFEFFFF;
  api.selfWow64 = true;
  ResetSystemInfoCache();
  FakeProcess& p = api.Add(7, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
  p.wow64 = true;
  p.header = ImageHeader(false, 0x40000, 0x40000);
  TargetCeiling unflagged = QueryTargetCeiling(7);
  EXPECT_EQ(unflagged.mb, 2047u);
  EXPECT_EQ(unflagged.flaggedMb, 4095u);         // what the flag would give it
  EXPECT_EQ(unflagged.stackReserve, 0x100000u);  // its commit, a whole MB
  p.header = ImageHeader(true);
  EXPECT_EQ(QueryTargetCeiling(7).lastByte, 0xFFFEFFFFu);
  p.header[0x80 + 24] = 0x0C;  // not a PE32 optional header: no stack reservation read
  EXPECT_EQ(QueryTargetCeiling(7).stackReserve, 0u);
  p.header[0x81] = 'X';  // no "PE" where e_lfanew points
  EXPECT_FALSE(QueryTargetCeiling(7).known);
  p.header = ImageHeader(true);
  p.openable = false;  // no VM-read access
  EXPECT_FALSE(QueryTargetCeiling(7).known);
  p.openable = true;
  p.wow64 = false;  // not under WOW64 while the monitor is
  EXPECT_TRUE(QueryTargetCeiling(7).is64Bit);
  EXPECT_EQ(api.OpenHandles(), 0u);
  ResetSystemInfoCache();
}

}  // namespace
