// zorlog.exe's logic: its command line, its rows, and the status lines of a
// process followed by name through an exit and a restart.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include "log/log_args.h"
#include "log/log_row.h"
#include "log/log_rows.h"
#include "log/metrics.h"
#include "log/row_clock.h"
#include "monitor/vsize.h"
#include "monitor/warning.h"
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
  FakeSystemApi system;
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
  EXPECT_EQ(args.warnBelowMb + args.warnAtPercent + args.warnMinutes, 0u);
  EXPECT_FALSE(args.eventLog);
  ASSERT_TRUE(Parse({"--warn-below", "4096", "--warn-at", "1", "--warn-minutes", "1440", "--run",
                     "cmd /c echo {PID}", "--event-log", "--save-map", "C:\\maps", "x.exe"},
                    &args, &error));
  EXPECT_EQ(args.warnBelowMb, 4096u);
  EXPECT_EQ(args.warnAtPercent, 1u);
  EXPECT_EQ(args.warnMinutes, 1440u);
  EXPECT_EQ(Narrow(args.run), "cmd /c echo {PID}");
  EXPECT_TRUE(args.eventLog);
  EXPECT_EQ(Narrow(args.saveMapDir), "C:\\maps");
  ASSERT_TRUE(Parse({"--all", "cad.exe", "--metrics", "C:\\m\\zorvane.PROM"}, &args, &error));
  EXPECT_TRUE(args.all);
  EXPECT_EQ(Narrow(args.metrics), "C:\\m\\zorvane.PROM");
  const std::string longest(63, 'a'), tooLong(64, 'a');
  ASSERT_TRUE(Parse({longest.c_str()}, &args, &error));
  ASSERT_TRUE(Parse({"-i", "149", "--warn-minutes", "5", "x.exe"}, &args, &error));
  ASSERT_TRUE(Parse({"--unregister-event-source"}, &args, &error));
  EXPECT_EQ(args.eventSource, -1);
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
      {"--warn-below", "0", "x.exe"},  // each threshold's range
      {"--warn-below", "4097", "x.exe"},
      {"--warn-at", "101", "x.exe"},
      {"--warn-minutes", "0", "x.exe"},
      {"--warn-minutes", "1441", "x.exe"},
      {"--warn-at", "90", "--run", "", "x.exe"},  // no command
      {"--run", "cmd", "x.exe"},                  // nothing to start it
      {"--save-map", "", "x.exe"},
      {"--all", "42"},                  // a name, not a PID
      {"--metrics", "m.txt", "x.exe"},  // not what the collector reads
      {"--metrics", ".prom", "x.exe"},
      {"--event-log", "--event-log", "x.exe"},
      {"--warn", "1", "x.exe"},
      {"-i", "150", "--warn-minutes", "5", "x.exe"},  // the trend could never form
      {"--register-event-source", "x.exe"},           // alone
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
      "2026-01-02T03:04:05,4021,1536,1000,536,2559,699,812,1600,4095,,,,,90,0,300,0,0,536,,,,0,32,,"
      "\r\n");
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
  step.sessionKnown = true;
  step.session = 2;
  ZCopy(step.user, kUserUnits, ZT("CAD\\a\"b"));
  // In each header's shape: this version's, and the earlier ones a file
  // appended to keeps.
  const std::string whole =
      "2026-01-02T03:04:05,4021,1536,1000,536,2559,699,812,1600,4095,"
      "2047,511,300,200,90,0,300,0,0,536,212,9,203,-300,32,2,\"CAD\\a\"\"b\"\r\n";
  for (uint32_t columns :
       {kLogColumnsFirst, kLogColumnsCeiling, kLogColumnsStacks, kLogColumnsAll}) {
    FormatLogRow({2026, 1, 2, 3, 4, 5, -300}, step, row, sizeof row, columns);
    size_t end = 0;
    for (uint32_t n = 0; n < columns; ++end) n += whole[end] == ',' || whole[end] == '\r';
    EXPECT_EQ(std::string(row), whole.substr(0, end - 1) + "\r\n") << columns;
  }
  step.ceiling.is64Bit = true;
  FormatLogRow({2026, 1, 2, 3, 4, 5, 60}, step, row, sizeof row);
  EXPECT_NE(std::string(row).find(",203,60,64,2,"), std::string::npos) << row;
}

// The clocks as zorlog reads them, run through a schedule of real time: the
// wall clock stepped, the machine asleep, the tick counter wrapping.
struct TextOut : MetricsOut {
  std::string text;
  bool Line(const char* line, size_t length) override {
    text.append(line, length);
    return true;
  }
};

TEST(Metrics, EachMetricOnceWithItsSamplesTogetherAndLabelValuesEscaped) {
  const ZString nadia = Z("CORP\\nadia"), odd = Z("x\"y\nz");
  MetricsInstance m[2];
  m[0].name = ZT("cad.exe"), m[0].pid = 42, m[0].sessionKnown = true, m[0].session = 2;
  m[0].user = nadia.c_str(), m[0].virtualBytes = 3u << 30, m[0].ceilingKnown = true;
  m[0].ceilingBytes = 4095ull << 20, m[0].largestUsableBytes = 1 << 20, m[0].usableFreeBytes = 9;
  m[0].threadsKnown = true, m[0].threads = 7, m[0].stackBytes = 7 << 20;
  m[0].warnings = 1 << kWarnAt, m[0].lastReading = 1765000000;
  // A 64-bit one: no ceiling or usable figures, whatever its walk said.
  m[1].name = odd.c_str(), m[1].pid = 9, m[1].is64Bit = true, m[1].ceilingKnown = true;
  TextOut out;
  ASSERT_TRUE(WriteMetrics(m, 2, &out));
  const std::string a =
      "{name=\"cad.exe\",pid=\"42\",session=\"2\",user=\"CORP\\\\nadia\",bits=\"32\"";
  const std::string b = "{name=\"x\\\"y\\nz\",pid=\"9\",session=\"\",user=\"\",bits=\"64\"";
  const auto head = [](const char* name, const char* help) {
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
  };
  EXPECT_EQ(
      out.text,
      head("zorvane_virtual_bytes",
           "Virtual size of the process: its committed and reserved bytes.") +
          "zorvane_virtual_bytes" + a + "} 3221225472\nzorvane_virtual_bytes" + b + "} 0\n" +
          head("zorvane_ceiling_bytes", "The 32-bit process's own address space, its ceiling.") +
          "zorvane_ceiling_bytes" + a + "} 4293918720\n" +
          head("zorvane_largest_usable_bytes",
               "The largest free block the process can still allocate.") +
          "zorvane_largest_usable_bytes" + a + "} 1048576\n" +
          head("zorvane_usable_free_bytes",
               "Free bytes the process can still allocate, in all blocks.") +
          "zorvane_usable_free_bytes" + a + "} 9\n" +
          head("zorvane_threads", "Threads of the process.") + "zorvane_threads" + a + "} 7\n" +
          head("zorvane_stack_bytes", "Bytes reserved for the process's thread stacks.") +
          "zorvane_stack_bytes" + a + "} 7340032\n" +
          head("zorvane_warning", "1 while a warning of that kind is on for the process.") +
          "zorvane_warning" + a + ",kind=\"warn-below\"} 0\nzorvane_warning" + a +
          ",kind=\"warn-at\"} 1\nzorvane_warning" + a +
          ",kind=\"warn-minutes\"} 0\nzorvane_warning" + b +
          ",kind=\"warn-below\"} 0\nzorvane_warning" + b + ",kind=\"warn-at\"} 0\nzorvane_warning" +
          b + ",kind=\"warn-minutes\"} 0\n" +
          head("zorvane_last_reading_timestamp_seconds",
               "When the process was last read, in seconds since 1970 UTC.") +
          "zorvane_last_reading_timestamp_seconds" + a +
          "} 1765000000\nzorvane_last_reading_timestamp_seconds" + b + "} 0\n");
#ifndef _WIN32
  // What the monitoring system's own checker says of it, where it is installed.
  if (std::system("command -v promtool >/dev/null 2>&1") != 0) return;
  FILE* check = popen("promtool check metrics >/dev/null 2>&1", "w");
  ASSERT_TRUE(check);
  fwrite(out.text.data(), 1, out.text.size(), check);
  EXPECT_EQ(pclose(check), 0) << "promtool check metrics refused the text";
#endif
}

TEST(RowClock, LabelsRowsWithTheirTrueSecondOneRowPerIntervalNoBurst) {
  const uint64_t w = 13000000000ull;  // a whole second, in ms since 1601
  struct Case {
    const char* name;
    uint32_t interval;
    uint32_t tick0;
    uint64_t eventAt;  // real ms: the wall clock steps by stepMs, or the machine sleeps
    int64_t stepMs;
    uint64_t sleepMs;
    uint64_t endMs;
    std::vector<uint64_t> labels;  // seconds after w
    int wentBack;
  } cases[] = {
      {"on time", 1, 5000, 0, 0, 0, 3050, {0, 1, 2}, 0},
      {"a step forward of an hour during a wait",
       60,
       5000,
       10000,
       3600000,
       0,
       75000,
       {0, 3610, 3670},
       0},
      {"set back by 1.5 s", 1, 5000, 500, -1500, 0, 3000, {0, 0, 1}, 1},
      {"an hour asleep at -i 3600", 3600, 5000, 1800000, 0, 3600000, 9100000, {0, 5400, 9000}, 0},
      {"the tick wraps", 2, 0xFFFFFC00u, 0, 0, 0, 5000, {0, 2, 4}, 0},
  };
  for (const Case& c : cases) {
    uint64_t real = 0;  // ms since the start, time asleep included
    int64_t step = 0;
    bool event = false;
    auto wall = [&] { return w + real + step; };
    auto tick = [&] { return static_cast<uint32_t>(c.tick0 + real); };
    RowClock clock(c.interval, wall(), tick());
    std::vector<uint64_t> labels;
    int wentBack = 0;
    while (real < c.endMs) {
      const RowTurn turn = clock.Look(wall(), tick());
      wentBack += turn.wentBack;
      uint64_t next = real + turn.waitMs;
      if (turn.row) {
        EXPECT_EQ(turn.second, wall() / 1000) << c.name << " at " << real;  // measured now
        labels.push_back(turn.second - w / 1000);
        next = real + 50;  // the walk
      } else {
        EXPECT_GT(turn.waitMs, 0u) << c.name;
        EXPECT_LE(turn.waitMs, 1000u) << c.name;
      }
      if (c.eventAt && !event && next >= c.eventAt) {
        event = true;
        step += c.stepMs;
        next += c.sleepMs;  // the wait does not count it; both clocks do
      }
      real = next;
    }
    EXPECT_EQ(labels, c.labels) << c.name;
    EXPECT_EQ(wentBack, c.wentBack) << c.name;
  }
}

// A disk that takes half a row and then fails, for as many rows as asked.
class FullDisk : public RowOutput {
 public:
  bool IsFile() override { return file; }
  bool Size(uint64_t* bytes) override { return (*bytes = text.size()), true; }
  bool Write(const char* data, uint32_t bytes) override {
    const bool full = failures > 0 && failures--;
    text.append(data, full ? bytes / 2 : bytes);
    return !full;
  }
  bool CutBack(uint64_t bytes) override {
    text.resize(bytes);
    return true;
  }
  std::string text;
  int failures = 0;
  bool file = true;
};

TEST(RowWriter, CutsBackARowNotWrittenWholeAndTellsHowManyWereLostOnceRowsGoAgain) {
  FullDisk disk;
  RowWriter writer;
  ZChar note[kRowNoteUnits];
  const struct {
    int failuresBefore;
    RowResult result;
    const char* note;
  } rows[] = {
      {0, kRowWritten, ""},
      {3, kRowLost, "zorlog: cannot write a row; trying again each interval"},
      {-1, kRowLost, ""},
      {-1, kRowLost, ""},
      {-1, kRowWritten, "zorlog: rows are written again; 3 rows were lost"},
  };
  for (const auto& r : rows) {
    if (r.failuresBefore >= 0) disk.failures = r.failuresBefore;
    EXPECT_EQ(writer.Write(&disk, "a,b\r\n", 5, note), r.result);
    EXPECT_EQ(Narrow(note), r.note);
  }
  EXPECT_EQ(disk.text, "a,b\r\na,b\r\n");  // whole rows only
  EXPECT_EQ(writer.Written(), 2u);
  disk.file = false;  // a pipe keeps what it took: the log ends
  disk.failures = 1;
  EXPECT_EQ(writer.Write(&disk, "a,b\r\n", 5, note), kRowFatal);
}

TEST(TargetFollower, WaitsConnectsFollowsAnExitAndTheNextProcessOfTheName) {
  FakeProcessApi api;
  FakeSystemApi system;
  system.totalVirtual = 3071ull << 20;
  ResetSystemInfoCache();
  TargetFollower follower(ZT("xtop.exe"), 0);
  follower.ReadOwners();
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
  // One of the name that cannot be opened is told of once, found by the
  // process list's names, not by opening it.
  FakeProcess& refused = api.Add(3, Z("\\Device\\x\\xtop.exe"));
  refused.openable = refused.queryOpenable = false;
  follower.Step(&step);
  EXPECT_EQ(statuses(step), "xtop.exe (PID 3) runs but cannot be opened (access denied);");
  EXPECT_EQ(step.refusedLine, 0);
  follower.Step(&step);
  EXPECT_EQ(statuses(step), "");  // said once

  FakeProcess& p = api.Add(7, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
  p.regions = {{0x10000, 0x200000, kMemCommit}, {0x210000, 0x7FDE0000, kMemFree}};
  p.header = ImageHeader(false);
  p.headerReadsRefused = 1;  // a process still starting: read again at the next step
  p.session = 3;
  p.user = Z("CAD\\ann");
  follower.Step(&step);
  EXPECT_EQ(statuses(step),
            "connected to xtop.exe (PID 7): ceiling unknown (image header unreadable);");
  follower.Step(&step);
  EXPECT_EQ(statuses(step),
            "read the ceiling of xtop.exe (PID 7): ceiling 2047 MB, not large-address-aware;");
  ASSERT_TRUE(step.row);
  EXPECT_EQ(step.pid, 7u);
  EXPECT_EQ(step.virtualMb, 2u);
  EXPECT_EQ(step.limitMb, 3071u);

  // The peak stays when the size falls.
  p.regions = {{0x10000, 0x100000, kMemCommit}, {0x110000, 0x7FEE0000, kMemFree}};
  follower.Step(&step);
  EXPECT_EQ(step.virtualMb, 1u);
  EXPECT_EQ(step.peakMb, 2u);
  // Whose it is, looked up once for the process, in every row.
  EXPECT_EQ(Narrow(step.user) + " " + std::to_string(step.session), "CAD\\ann 3");
  EXPECT_EQ(api.ownerLookups, 1);

  // Gone between the lookup and the walk: every line of the interval kept.
  p.exitCode = 0xC0000017;
  follower.Step(&step);
  EXPECT_EQ(statuses(step),
            "xtop.exe (PID 7) exited with 0xC0000017 (not enough memory);waiting for xtop.exe;");
  EXPECT_EQ(step.exitLine, 0);
  EXPECT_TRUE(step.exitCodeKnown);
  EXPECT_FALSE(step.row);
  EXPECT_FALSE(step.finished);
  p.exitCode = kStillActive;
  p.exitCodeReadable = false;  // found by the lookup, unreadable to the walk
  p.header.clear();            // and its header unreadable
  follower.Step(&step);
  EXPECT_EQ(statuses(step),
            "connected to xtop.exe (PID 7): ceiling unknown (image header "
            "unreadable);xtop.exe (PID 7) exited;waiting for xtop.exe;");
  EXPECT_EQ(step.exitLine, 1);
  EXPECT_FALSE(step.exitCodeKnown);

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
  EXPECT_EQ(statuses(step), "xtop.exe (PID 7) exited with 0x00000000 (a normal exit);");
  EXPECT_TRUE(step.finished);
  EXPECT_FALSE(TargetFollower(ZT(""), 8).Start(error));
  EXPECT_EQ(Narrow(error), "PID 8 is not running or cannot be read");
  // A name that cannot be read is a valid file name, never "?".
  api.snapshot = false;
  api.Find(3)->queryOpenable = true;
  {
    TargetFollower unnamed(ZT(""), 3);
    ASSERT_TRUE(unnamed.Start(error));
    EXPECT_EQ(Narrow(unnamed.Name()), "pid-3");
  }
  EXPECT_EQ(api.OpenHandles(), 0u);
}

// A row is only ever of the process the lookup matched, and only of a walk
// that was whole or whose process still runs.
TEST(TargetFollower, WritesNoRowOfAReusedPidOrOfAWalkCutShortByTheExit) {
  FakeProcessApi api;
  FakeSystemApi system;
  ResetSystemInfoCache();
  struct Case {
    const char* name;
    int failQueryAt;  // of the second walk, which meets the second region at query 3
    bool exits;
    bool reused;  // the PID passes to another when the lookup's handle is closed
    bool row;
    uint32_t virtualMb;
  } cases[] = {
      {"whole", -1, false, false, true, 2},
      {"cut short, still running", 3, false, false, true, 2},
      {"cut short by the exit", 3, true, false, false, 0},
      {"the PID reused after the lookup", -1, false, true, true, 2},
  };
  for (const Case& c : cases) {
    api.processes.clear();
    api.pidList.clear();
    api.Add(5, Z("\\Device\\x\\a.exe"));
    FakeProcess& p = api.Add(7, Z("\\Device\\x\\xtop.exe"));
    p.regions = {{0x10000, 0x200000, kMemCommit}, {0x210000, 0x7FDE0000, kMemFree}};
    p.failQueryAt = c.failQueryAt;
    p.exitsAtFailedQuery = c.exits;
    bool reused = false;
    api.afterClose = [&](uint32_t pid) {
      if (!c.reused || pid != 7 || reused) return;
      reused = true;
      api.Find(7)->exitCode = 0;
      api.Add(7, Z("\\Device\\x\\other.exe")).regions = {{0x10000, 0x800000, kMemCommit},
                                                         {0x810000, 0x7F7E0000, kMemFree}};
    };
    TargetFollower follower(ZT("xtop.exe"), 0);
    FollowStep step;
    follower.Step(&step);
    EXPECT_TRUE(step.row) << c.name;
    follower.Step(&step);
    EXPECT_EQ(step.row, c.row) << c.name;
    EXPECT_EQ(step.virtualMb, c.virtualMb) << c.name;
    EXPECT_EQ(follower.Connected(), c.row) << c.name;
    api.afterClose = nullptr;
  }
  EXPECT_EQ(api.OpenHandles(), 0u);
}

}  // namespace
