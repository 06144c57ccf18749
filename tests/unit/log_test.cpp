// zorlog.exe's logic: its command line, its rows, and the status lines of a
// process followed by name through an exit and a restart.
#include <gtest/gtest.h>

#include <algorithm>

#include "log/log_args.h"
#include "log/log_row.h"
#include "monitor/vsize.h"
#include "support/fakes.h"

namespace {

// The arguments stay until the next call: args may point into them.
bool Parse(std::vector<const char*> words, LogArgs* args, std::string* error) {
  static std::vector<ZString> texts;
  texts.clear();
  texts.reserve(words.size());
  for (const char* w : words) texts.push_back(Z(w));
  std::vector<const ZChar*> argv = {ZT("zorlog.exe")};
  for (const ZString& t : texts) argv.push_back(t.c_str());
  ZChar text[kLogErrorUnits];
  bool ok = ParseLogArgs(static_cast<int>(argv.size()), argv.data(), args, text);
  *error = Narrow(text);
  return ok;
}

TEST(LogArgs, TakesANameOrAPidWithOptionsAndRefusesEveryBadForm) {
  LogArgs args;
  std::string error;
  ASSERT_TRUE(Parse({"-i", "3600", "xtop.exe", "-n", "5", "-o", "log.csv"}, &args, &error));
  EXPECT_EQ(Narrow(args.name), "xtop.exe");
  EXPECT_EQ(args.pid, 0u);
  EXPECT_EQ(args.intervalSeconds, 3600u);
  EXPECT_EQ(args.rows, 5u);
  EXPECT_EQ(Narrow(args.file), "log.csv");
  ASSERT_TRUE(Parse({"4294967295"}, &args, &error));
  EXPECT_EQ(args.pid, 4294967295u);
  EXPECT_EQ(args.intervalSeconds, 1u);
  EXPECT_EQ(args.rows, 0u);
  EXPECT_EQ(args.file, nullptr);
  const std::string longest(63, 'a'), tooLong(64, 'a');
  ASSERT_TRUE(Parse({longest.c_str()}, &args, &error));
  for (const char* help : {"/?", "-h", "--help"}) {
    ASSERT_TRUE(Parse({"-i", "0", help}, &args, &error)) << help;  // before any check
    EXPECT_TRUE(args.help) << help;
  }

  const std::vector<std::vector<const char*>> bad = {
      {},                              // nothing to follow
      {""},                            // empty name
      {"a.exe", "b.exe"},              // two targets
      {"-x", "a.exe"},                 // unknown option
      {"-in", "1", "a.exe"},           // unknown option
      {"a.exe", "-i"},                 // missing value
      {"-i", "x", "a.exe"},            // not a number
      {"-i", "-1", "a.exe"},           // not a number
      {"-i", "0", "a.exe"},            // out of range
      {"-i", "3601", "a.exe"},         // out of range
      {"-i", "99999999999", "a.exe"},  // beyond 32 bits
      {"-n", "0", "a.exe"},            // out of range
      {"-n", "1.5", "a.exe"},          // not a whole number
      {"-o", "", "a.exe"},             // empty file name
      {"0"},                           // no process has PID 0
      {"4294967296"},                  // beyond 32 bits
      {tooLong.c_str()},               // longer than any name the lookup compares
      {"C:\\cad\\xtop.exe"},           // the lookup compares the image name alone
      {"dir/xtop.exe"},
      {"d:xtop.exe"},
      {"-o", "a", "-o", "b", "x.exe"},  // an option twice
      {"-i", "1", "x.exe", "-i", "2"},
  };
  for (const auto& words : bad) {
    std::string joined;
    for (const char* w : words) joined += std::string("'") + w + "' ";
    EXPECT_FALSE(Parse(words, &args, &error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
    EXPECT_EQ(error.find('\n'), std::string::npos) << joined;
  }
}

TEST(LogRow, IsOneTerminatedCsvLineWithTheTimeZeroPadded) {
  FollowStep step;
  step.pid = 4021;
  step.virtualMb = 1536;
  step.peakMb = 1600;
  step.limitMb = 4095;
  step.stats.committed = 1000ull << 20;
  step.stats.reserved = (536ull << 20) + 5;
  step.stats.free = 2559ull << 20;
  step.stats.largestFree = (700ull << 20) - 1;
  step.stats.regions = 812;
  step.stats.committedByKind[kKindImage] = 90ull << 20;
  step.stats.reservedByKind[kKindPrivate] = 536ull << 20;
  step.stats.committedByKind[kKindMapped] = 300ull << 20;
  char row[kLogRowChars];
  // Ceiling and usable columns empty where the ceiling is not known.
  size_t n = FormatLogRow({2026, 1, 2, 3, 4, 5}, step, row, sizeof row);
  EXPECT_EQ(
      std::string(row),
      "2026-01-02T03:04:05,4021,1536,1000,536,2559,699,812,1600,4095,,,,,90,0,300,0,0,536,,,\r\n");
  EXPECT_EQ(n, strlen(row));
  step.ceiling.known = true;
  step.ceiling.mb = 2047;
  step.stats.usableFree = (511ull << 20) + 1;
  step.stats.largestUsable = 300ull << 20;
  step.stats.largestUsableBelow2G = 200ull << 20;
  // The threads' columns once they could be read.
  step.threads.known = true;
  step.threads.threads = 212;
  step.threads.committed[kUseStack] = (9ull << 20) + 4096;
  step.threads.reserved[kUseStack] = 203ull << 20;
  step.threads.reserved[kUseOther] = 333ull << 20;
  FormatLogRow({2026, 1, 2, 3, 4, 5}, step, row, sizeof row);
  EXPECT_EQ(std::string(row),
            "2026-01-02T03:04:05,4021,1536,1000,536,2559,699,812,1600,4095,"
            "2047,511,300,200,90,0,300,0,0,536,212,9,203\r\n");
  // The header names the same twenty-three columns.
  EXPECT_EQ(std::count(kLogHeader, kLogHeader + strlen(kLogHeader), ','), 22);
}

TEST(LogRow, FallDueOnTheClocksSecondsOneIntervalApart) {
  struct Case {
    uint64_t last;
    uint32_t interval;
    uint64_t nowMs, next;
  } cases[] = {
      {100, 1, 100150, 101},  // in time
      {100, 1, 101900, 101},  // a slow walk: late, but its own second
      {100, 5, 104000, 105},
      {100, 1, 102100, 102},  // a whole interval behind: from the current second
      {100, 1, 96500, 96},    // the clock set back
      {100, 60, 100000, 160},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NextRowSecond(c.last, c.interval, c.nowMs), c.next) << c.nowMs;
}

TEST(TargetFollower, WaitsConnectsFollowsAnExitAndTheNextProcessOfTheName) {
  FakeProcessApi api;
  FakeSystemApi system;
  system.totalVirtual = 3071ull << 20;
  ResetSystemInfoCache();
  TargetFollower follower(ZT("xtop.exe"), 0);
  ZChar error[kFollowErrorUnits];
  ASSERT_TRUE(follower.Start(error));
  auto statuses = [](const FollowStep& s) {
    std::string all;
    for (int i = 0; i < s.statusCount; ++i) all += Narrow(s.status[i]) + ";";
    return all;
  };

  FollowStep step;
  follower.Step(&step);
  EXPECT_EQ(statuses(step), "waiting for xtop.exe;");
  EXPECT_FALSE(step.row);
  follower.Step(&step);
  EXPECT_EQ(statuses(step), "");  // said once

  FakeProcess& p = api.Add(7, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
  p.regions = {{0x10000, 0x200000, kMemCommit}, {0x210000, 0x7FDE0000, kMemFree}};
  p.header = ImageHeader(false);
  follower.Step(&step);
  EXPECT_EQ(statuses(step),
            "connected to xtop.exe (PID 7): ceiling 2047 MB, not large-address-aware;");
  ASSERT_TRUE(step.row);
  EXPECT_EQ(step.pid, 7u);
  EXPECT_EQ(step.virtualMb, 2u);
  EXPECT_EQ(step.limitMb, 3071u);

  // The peak stays when the size falls.
  p.regions = {{0x10000, 0x100000, kMemCommit}, {0x110000, 0x7FEE0000, kMemFree}};
  follower.Step(&step);
  EXPECT_EQ(step.virtualMb, 1u);
  EXPECT_EQ(step.peakMb, 2u);

  // Gone between the lookup and the walk: every line of the interval kept.
  p.exitCode = 0;
  follower.Step(&step);
  EXPECT_EQ(statuses(step), "xtop.exe (PID 7) exited;waiting for xtop.exe;");
  EXPECT_FALSE(step.row);
  EXPECT_FALSE(step.finished);
  p.exitCode = kStillActive;
  p.exitCodeReadable = false;  // found by the lookup, unreadable to the walk
  p.header.clear();            // and its header unreadable
  follower.Step(&step);
  EXPECT_EQ(statuses(step),
            "connected to xtop.exe (PID 7): ceiling unknown (image header "
            "unreadable);xtop.exe (PID 7) exited;waiting for xtop.exe;");

  // By PID: the log ends when that process goes.
  p.exitCodeReadable = true;
  TargetFollower one(ZT(""), 7);
  ASSERT_TRUE(one.Start(error));
  one.Step(&step);
  EXPECT_EQ(statuses(step).substr(0, 31), "connected to xtop.exe (PID 7): ");
  // The process exits and its PID passes to another between two rows: the
  // held handle sees the exit.
  p.exitCode = 0;
  const std::vector<RegionInfo> regions = p.regions;  // p moves as processes grow
  api.Add(7, Z("\\Device\\HarddiskVolume1\\other.exe")).regions = regions;
  one.Step(&step);
  EXPECT_EQ(statuses(step), "xtop.exe (PID 7) exited;");
  EXPECT_TRUE(step.finished);
  EXPECT_FALSE(TargetFollower(ZT(""), 8).Start(error));
  EXPECT_EQ(Narrow(error), "PID 8 is not running or cannot be read");
  EXPECT_EQ(api.OpenHandles(), 0u);
}

}  // namespace
