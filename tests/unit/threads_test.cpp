// Who holds the private space: the census of a hand-made target's threads.
#include "monitor/threads.h"

#include <gtest/gtest.h>
#include <string.h>

#include <functional>

#include "support/fakes.h"

namespace {

const uint32_t kRw = 0x04, kGuardRw = kPageGuard | 0x04;

// Two 1 MB stacks, a 256 KB stack of the 64-bit kind, the blocks' 64 KB and
// 1 MB of other data, then free space to the top.
std::vector<RegionInfo> Regions() {
  return {
      {0x10000, 0xF0000, kMemFree},
      {0x100000, 0xFD000, kMemReserve, kMemPrivate, 0, 0x100000},
      {0x1FD000, 0x1000, kMemCommit, kMemPrivate, kGuardRw, 0x100000},
      {0x1FE000, 0x2000, kMemCommit, kMemPrivate, kRw, 0x100000},
      {0x200000, 0xFD000, kMemReserve, kMemPrivate, 0, 0x200000},
      {0x2FD000, 0x3000, kMemCommit, kMemPrivate, kGuardRw, 0x200000},
      {0x300000, 0x3F000, kMemReserve, kMemPrivate, 0, 0x300000},
      {0x33F000, 0x1000, kMemCommit, kMemPrivate, kRw, 0x300000},
      {0x340000, 0xC0000, kMemFree},
      {0x400000, 0x10000, kMemCommit, kMemPrivate, kRw, 0x400000},
      {0x410000, 0xF0000, kMemFree},
      {0x500000, 0x100000, kMemCommit, kMemPrivate, kRw, 0x500000},
      {0x600000, 0x7F9F0000, kMemFree},
  };
}

void Put(std::vector<uint8_t>& block, uint64_t at, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) block[at - 0x400000 + i] = static_cast<uint8_t>(value >> 8 * i);
}
void Tib32(std::vector<uint8_t>& m, uint64_t at, uint64_t base, uint64_t limit) {
  Put(m, at + 4, base, 4), Put(m, at + 8, limit, 4), Put(m, at + 0x18, at, 4);
}

// Thread 11 on the first stack, thread 12 on the second: its block at
// 0x401000, or a 64-bit block at 0x404000 with its 32-bit one 0x2000 above.
FakeProcess& Target(FakeProcessApi& api) {
  FakeProcess& p = api.Add(7, Z("t.exe"));
  p.regions = Regions();
  p.imageBase = 0x800000;
  std::vector<uint8_t> m(0x10000, 0);
  Tib32(m, 0x400000, 0x200000, 0x1FE000);
  Tib32(m, 0x401000, 0x300000, 0x2FD000);
  Put(m, 0x404000 + 0x08, 0x340000, 8), Put(m, 0x404000 + 0x10, 0x33F000, 8);
  Put(m, 0x404000 + 0x30, 0x404000, 8);
  Tib32(m, 0x406000, 0x300000, 0x2FD000);
  Put(m, 0x40E000 + 8, p.imageBase, 4);  // the process block's image base
  p.memory[0x400000] = m;
  p.threads = {{11, 0x400000, true}, {12, 0x401000, true}};
  p.processBlock = 0x40E000;
  return p;
}

ThreadSplit Read(ThreadCensus& census, uint32_t pid = 7) {
  ProcessHandle h = Processes().OpenProcess(kProcessQueryInformation | kProcessVmRead, pid);
  AddressSpaceStats stats;
  WalkProcess(h, 0, &stats, &census);
  ThreadSplit split;
  census.Finish(h, pid, false, &split);
  if (h) Processes().CloseHandle(h);
  return split;
}

TEST(ThreadCensus, SplitsPrivateBytesOnlyByBlocksItCanTrust) {
  struct Case {
    const char* what;
    std::function<void(FakeProcess&)> change;
    bool known;
    uint32_t read;
    uint64_t stackCommitted, stackReserved, threadBlocks, processBlock;
  } cases[] = {
      {"32-bit blocks", [](FakeProcess&) {}, true, 2, 0x6000, 0x1FA000, 0x2000, 0x1000},
      {"a 64-bit block found by Self, its stack counted too",
       [](FakeProcess& p) { p.threads[1].block = 0x404000; }, true, 2, 0x7000, 0x239000, 0x4000,
       0x1000},
      {"a thread that cannot be opened", [](FakeProcess& p) { p.threads[1].openable = false; },
       true, 1, 0x3000, 0xFD000, 0x1000, 0x1000},
      {"a block that does not name itself", [](FakeProcess& p) { p.threads[1].block = 0x403000; },
       true, 1, 0x3000, 0xFD000, 0x1000, 0x1000},
      {"a stack limit outside any private allocation",
       [](FakeProcess& p) { Tib32(p.memory[0x400000], 0x401000, 0x380000, 0x370000); }, true, 1,
       0x3000, 0xFD000, 0x1000, 0x1000},
      {"a process block naming another image", [](FakeProcess& p) { p.imageBase = 0x900000; }, true,
       2, 0x6000, 0x1FA000, 0x2000, 0},
      {"threads that cannot be listed", [](FakeProcess& p) { p.threadsListable = false; }, false, 0,
       0, 0, 0, 0},
      {"no thread that can be opened",
       [](FakeProcess& p) { p.threads[0].openable = p.threads[1].openable = false; }, false, 0, 0,
       0, 0, 0x1000},
      {"an ID that now names another process's thread",
       [](FakeProcess& p) { p.threads[1].owner = 9; }, true, 1, 0x3000, 0xFD000, 0x1000, 0x1000},
      {"threads the list opened, though their IDs cannot be",
       [](FakeProcess& p) {
         p.listGivesHandles = true;
         p.threads[0].openable = p.threads[1].openable = false;
       },
       true, 2, 0x6000, 0x1FA000, 0x2000, 0x1000},
  };
  const uint64_t privateCommitted = 0x3000 + 0x3000 + 0x1000 + 0x10000 + 0x100000;
  for (const Case& c : cases) {
    FakeProcessApi api;
    ResetSystemInfoCache();
    FakeProcess& p = Target(api);
    c.change(p);
    ThreadCensus census;
    const ThreadSplit s = Read(census);
    EXPECT_EQ(s.known, c.known) << c.what;
    EXPECT_EQ(s.threads, p.threadsListable ? 2u : 0u) << c.what;
    EXPECT_EQ(s.threadsRead, c.read) << c.what;
    EXPECT_EQ(s.committed[kUseStack], c.stackCommitted) << c.what;
    EXPECT_EQ(s.reserved[kUseStack], c.stackReserved) << c.what;
    EXPECT_EQ(s.committed[kUseThreadBlock], c.threadBlocks) << c.what;
    EXPECT_EQ(s.committed[kUseProcessBlock], c.processBlock) << c.what;
    uint64_t committed = 0, reserved = 0;
    for (int use = 0; use < kPrivateUses; ++use)
      committed += s.committed[use], reserved += s.reserved[use];
    EXPECT_EQ(committed, privateCommitted) << c.what;
    EXPECT_EQ(reserved, 0xFD000u * 2 + 0x3F000) << c.what;
    EXPECT_EQ(api.OpenHandles(), 0u) << c.what;
  }
}

TEST(ThreadCensus, NamesTheUseAtAnAddress) {
  FakeProcessApi api;
  ResetSystemInfoCache();
  Target(api).threads[1].block = 0x404000;
  ThreadCensus census;
  Read(census);
  struct Case {
    uint64_t address;
    const char* name;
  } cases[] = {
      {0x100000, "stack of thread 11"},
      {0x2FFFFF, "stack of thread 12"},
      {0x33F000, "stack of thread 12"},
      {0x400FFF, "thread block of thread 11"},
      {0x405000, "thread block of thread 12"},
      {0x40E000, "process block"},
      {0x403000, ""},
      {0x500000, ""},
  };
  for (const Case& c : cases) {
    uint32_t tid = 0;
    ZChar text[kTextUnits];
    const PrivateUse use = census.UseAt(c.address, &tid);
    FormatPrivateUse(use, tid, text, kTextUnits);
    EXPECT_EQ(Narrow(text), c.name) << std::hex << c.address;
  }
}

// Threads are listed again only when an allocation with a guard page, or a
// known stack's allocation, comes or goes, or some readings after the last
// time: a stack committed whole has no guard page.
TEST(ThreadCensus, ListsThreadsAgainOnlyWhenStackLikeAllocationsChange) {
  FakeProcessApi api;
  ResetSystemInfoCache();
  FakeProcess& p = Target(api);
  p.threads[1].block = 0x404000;  // its 64-bit stack has no guard page
  ThreadCensus census;
  struct Step {
    const char* what;
    std::function<void(std::vector<RegionInfo>&)> change;
    int lists;
    int readings = 1;
  } steps[] = {
      {"the first reading", [](std::vector<RegionInfo>&) {}, 1},
      {"at rest", [](std::vector<RegionInfo>&) {}, 1},
      {"a stack grows within its allocation",
       [](std::vector<RegionInfo>& r) {
         r[1].size = 0xFC000,
         r[2] = {0x1FC000, 0x1000, kMemCommit, kMemPrivate, kGuardRw, 0x100000};
         r[3] = {0x1FD000, 0x3000, kMemCommit, kMemPrivate, kRw, 0x100000};
       },
       1},
      {"other data appears",
       [](std::vector<RegionInfo>& r) {
         r[10].type = kMemPrivate, r[10].state = kMemCommit, r[10].allocationBase = r[10].base;
       },
       1},
      {"a thread starts: a guarded allocation appears",
       [](std::vector<RegionInfo>& r) {
         r[8] = {0x340000, 0xC0000, kMemCommit, kMemPrivate, kGuardRw, 0x340000};
       },
       2},
      {"a stack without a guard page goes",
       [](std::vector<RegionInfo>& r) {
         r[6].state = r[7].state = kMemFree, r[6].type = r[7].type = 0;
       },
       3},
      // Thread 13 on the other data's allocation, committed whole.
      {"a stack without a guard page starts",
       [&p](std::vector<RegionInfo>&) {
         p.threads.push_back({13, 0x402000, true});
         Tib32(p.memory[0x400000], 0x402000, 0x500000, 0x410000);
       },
       3},
      {"found some readings later", [](std::vector<RegionInfo>&) {}, 4,
       ThreadCensus::kRelistReadings - 1},
  };
  std::vector<RegionInfo> regions = Regions();
  for (const Step& s : steps) {
    s.change(regions);
    p.regions = regions;
    for (int i = 0; i < s.readings; ++i) Read(census);
    EXPECT_EQ(api.threadLists, s.lists) << s.what;
  }
  uint32_t tid = 0;
  EXPECT_EQ(census.UseAt(0x410000, &tid), kUseStack);
  EXPECT_EQ(tid, 13u);
}

}  // namespace
