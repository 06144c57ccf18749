// What zorlog.exe says and starts when a warning comes on or the target ends.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "log/alert_command.h"
#include "log/fleet.h"
#include "log/log_watch.h"
#include "monitor/exit_code.h"
#include "support/fakes.h"

namespace {

TEST(AlertCommand, ReplacesKnownPlaceholdersAndLeavesTheRest) {
  const ZString name = Z("my cad.exe");
  AlertValues v;
  v.pid = 1234;
  v.name = name.c_str();
  v.virtualMb = 3900;
  v.largestUsableMb = 97;
  v.ceilingMb = 4095;
  v.kind = "warn-below";
  v.usableKnown = true;
  const struct {
    const char *pattern, *expected;
    bool known;
  } cases[] = {
      {"cmd /c echo {PID} {LARGEST_USABLE_MB}>>f", "cmd /c echo 1234 97>>f", true},
      {"x \"{NAME}\" {VIRTUAL_MB}/{CEILING_MB} {KIND}", "x \"my_cad.exe\" 3900/4095 warn-below",
       true},
      {"{X} {PID {pid} %PID% {}{PID}}", "{X} {PID {pid} %PID% {}1234}", true},
      {"{LARGEST_USABLE_MB}|{CEILING_MB}|", "||", false},  // not known: nothing
      {"", "", true},
  };
  for (const auto& c : cases) {
    v.usableKnown = c.known;
    ZChar out[128];
    EXPECT_TRUE(ExpandAlertCommand(Z(c.pattern).c_str(), v, out, 128)) << c.pattern;
    EXPECT_EQ(Narrow(out), c.expected) << c.pattern;
  }
  ZChar small[8];
  EXPECT_FALSE(ExpandAlertCommand(Z("echo {NAME}").c_str(), v, small, 8));
  EXPECT_EQ(Narrow(small), "echo my");
  // A file name is data: whatever a shell would act on becomes _, and the
  // environment has it exactly.
  const ZString hostile = Z("z&mkdir PWNED&^%!;()'$`|<>\"@,=+~[]{}#.exe-_9");
  v.name = hostile.c_str();
  ZChar out[128];
  ASSERT_TRUE(ExpandAlertCommand(Z("echo {NAME}").c_str(), v, out, 128));
  EXPECT_EQ(Narrow(out), "echo z_mkdir_PWNED" + std::string(24, '_') + ".exe-_9");
  FormatAlertValue(v, 1, out, 128);
  EXPECT_EQ(Narrow(out), Narrow(hostile));
}

// A --run command must fit this system's command line with the longest
// value of each placeholder: 8191 from XP on, 2047 on Windows 2000.
TEST(AlertCommand, FitsTheSystemsCommandLineWithTheLongestValues) {
  FakeSystemApi system;
  const struct {
    uint32_t major, minor;
    size_t plain;
    const char* placeholders;
    bool fits;
  } cases[] = {
      {5, 1, 8191, "", true},
      {5, 1, 8191 - 63 - 10 - 12, "{NAME}{PID}{KIND}", true},
      {5, 1, 8191 - 63 - 10 - 12 + 1, "{NAME}{PID}{KIND}", false},
      {5, 0, 2047, "", true},
      {5, 0, 2047 - 10 * 4 + 1, "{VIRTUAL_MB}{LARGEST_USABLE_MB}{CEILING_MB}{PID}", false},
  };
  for (const auto& c : cases) {
    system.major = c.major, system.minor = c.minor;
    const ZString pattern = Z((std::string(c.plain, 'x') + c.placeholders).c_str());
    EXPECT_EQ(AlertCommandFits(pattern.c_str()), c.fits) << c.plain << c.placeholders;
  }
}

TEST(ExitCode, NamesTheCodeInHexAndTheWellKnownOnesInWords) {
  const struct {
    uint32_t code;
    const char* text;
  } cases[] = {
      {0, "0x00000000 (a normal exit)"},
      {3, "0x00000003 (abort)"},
      {0xC0000017, "0xC0000017 (not enough memory)"},
      {0xE06D7363, "0xE06D7363 (C++ exception)"},
      {0xC0000409, "0xC0000409 (stack buffer overrun)"},
      {1, "0x00000001"},
      {0xFFFFFFFF, "0xFFFFFFFF"},
  };
  for (const auto& c : cases) {
    ZChar out[64];
    FormatExitCode(c.code, out, 64);
    EXPECT_EQ(Narrow(out), c.text);
  }
  ZChar cut[12];
  FormatExitCode(0xC0000005, cut, 12);
  EXPECT_EQ(Narrow(cut), "0xC0000005 ");
}

// What the watch asked of the system, one entry a call: "say: ...",
// "start: ...", "report W|I: ...", "map: FILE (N regions)".
class RecordedActions : public WatchActions {
 public:
  void Say(const ZChar* line) override { calls.push_back("say: " + Narrow(line)); }
  bool Start(const ZChar* command, const AlertValues& v) override {
    calls.push_back("start: " + Narrow(command) + " [" + Narrow(v.name) + "]");
    return startable;
  }
  bool Report(const ZChar* line, EventId id, EventType type) override {
    calls.push_back("report " + std::to_string(id) + "IWE"[type] + ": " + Narrow(line));
    return true;
  }
  // With whether its first region is marked a stack, and the ceiling kept.
  bool SaveMap(const RegionTable& regions, const ZChar* file) override {
    calls.push_back("map: " + Narrow(file) + " (" + std::to_string(regions.Count()) +
                    (regions.At(0).use == kUseStack ? ", stack" : "") + ", ceiling " +
                    std::to_string(regions.Ceiling().mb) + ")");
    return true;
  }
  std::vector<std::string> calls;
  bool startable = true;
};

// A target with one reservation that it grows into its free space, read
// through the real follower, warned of once per crossing, its command, event
// entry and map given once, and its end told with its figures and last map.
TEST(LogWatch, ActsOncePerCrossingAndTellsHowTheTargetEnded) {
  FakeProcessApi api;
  FakeSystemApi system;
  ResetSystemInfoCache();
  FakeProcess& p = api.Add(7, Z("\\Device\\x\\xtop.exe"));
  p.header = ImageHeader(true);
  // A thread whose block, at 0x30000, says its stack starts the space.
  std::vector<uint8_t> block(0x1000, 0);
  for (const std::pair<uint32_t, uint32_t>& v :
       {std::make_pair(4u, 0x20000u), std::make_pair(8u, 0x10000u),
        std::make_pair(0x18u, 0x30000u)})
    memcpy(&block[v.first], &v.second, 4);
  p.memory[0x30000] = block;
  p.threads = {{5, 0x30000, true}};
  auto free = [&p](uint64_t mb) {  // a 2 GB space whose largest usable block is mb
    p.regions = {{0x10000, 0x7FFE0000 - (mb << 20), kMemReserve, kMemPrivate, 0, 0x10000},
                 {0x7FFF0000 - (mb << 20), mb << 20, kMemFree}};
  };
  LogArgs args;
  std::string error;
  const ZString run = Z("cmd /c echo {PID} {LARGEST_USABLE_MB} {KIND}>>f"), dir = Z("C:\\maps");
  args.warnBelowMb = 128;
  args.run = run.c_str();
  args.eventLog = true;
  args.saveMapDir = dir.c_str();
  LogWatch watch(args);
  RecordedActions actions;
  TargetFollower follower(ZT("xtop.exe"), 0);
  int second = 0;
  auto step = [&](uint64_t freeMb, bool startable = true) {
    if (freeMb) free(freeMb);
    actions.calls.clear();
    actions.startable = startable;
    FollowStep s;
    follower.Step(&s, watch.Sink());
    watch.Step(s, follower.Name(), LogTime{2026, 12, 8, 3, 14, second}, 1000u * second, &actions);
    ++second;
  };
  const std::string on = "say: zorlog: warn-below at 2026-12-08 03:14:0";
  step(500);
  ASSERT_EQ(actions.calls.size(), 1u);  // connected
  step(100);
  ASSERT_EQ(actions.calls.size(), 4u);
  EXPECT_EQ(actions.calls[0].substr(0, on.size() + 1), on + "1");
  EXPECT_NE(actions.calls[0].find("largest usable block 100 MB (warns under 128 MB); xtop.exe "
                                  "(PID 7) 1947 MB of 2047 MB"),
            std::string::npos);
  EXPECT_EQ(actions.calls[1], "report 1W: " + actions.calls[0].substr(5));
  EXPECT_EQ(actions.calls[2], "start: cmd /c echo 7 100 warn-below>>f [xtop.exe]");
  EXPECT_EQ(actions.calls[3], "map: xtop-7-20261208-031401.csv (2, stack, ceiling 2047)");
  step(90);  // still under: nothing more
  EXPECT_TRUE(actions.calls.empty());
  step(200);
  ASSERT_EQ(actions.calls.size(), 2u);
  EXPECT_EQ(actions.calls[0].substr(0, 40), "say: zorlog: warn-below cleared at 2026-");
  EXPECT_EQ(actions.calls[1].substr(0, 11), "report 2I: ");
  step(60, false);  // again, and the command cannot be started: an error entry too
  ASSERT_EQ(actions.calls.size(), 6u);
  EXPECT_EQ(actions.calls[3], "say: zorlog: cannot start cmd /c echo 7 60 warn-below>>f");
  EXPECT_EQ(actions.calls[4], "report 4E: " + actions.calls[3].substr(5));

  p.exitCode = 0xC0000017;
  step(0);  // its last reading is the one that warned: that map is not saved again
  ASSERT_EQ(actions.calls.size(), 3u);
  EXPECT_EQ(actions.calls[0],
            "say: xtop.exe (PID 7) exited with 0xC0000017 (not enough memory), watched 5 s; "
            "peak 1987 MB; smallest largest usable block 60 MB at 2026-12-08 03:14:04");
  EXPECT_EQ(actions.calls[1], "report 3W: " + actions.calls[0].substr(5));
  EXPECT_EQ(actions.calls[2], "say: waiting for xtop.exe");
  p.exitCode = kStillActive;
  step(50);  // connected
  step(40);  // still under
  p.exitCode = 0;
  step(0);
  ASSERT_EQ(actions.calls.size(), 4u);
  EXPECT_EQ(actions.calls[1].substr(0, 11), "report 3I: ");
  EXPECT_EQ(actions.calls[2],
            "map: xtop-7-20261208-031407.csv (2, stack, ceiling 2047)");  // its last reading
  api.pidList.clear();
  FakeProcess& refused = api.Add(9, Z("\\Device\\x\\xtop.exe"));
  refused.openable = refused.queryOpenable = false;
  step(0);
  ASSERT_EQ(actions.calls.size(), 2u);
  EXPECT_EQ(actions.calls[0],
            "say: zorlog: xtop.exe (PID 9) runs but cannot be opened (access "
            "denied): start zorlog as that user or elevated");
  EXPECT_EQ(actions.calls[1], "report 5W: " + actions.calls[0].substr(5));
}

// --all: every process of the name read at each interval, one that cannot be
// opened counted once, a new one followed at once, one that ends told of and
// dropped, the metrics of those running only.
TEST(Fleet, FollowsEveryProcessOfTheNameAndCountsThoseItCannotOpen) {
  FakeProcessApi api;
  FakeSystemApi system;
  ResetSystemInfoCache();
  const auto add = [&api](uint32_t pid, const char* path) -> FakeProcess& {
    FakeProcess& p = api.Add(pid, Z(path));
    p.header = ImageHeader(true);
    p.regions = {{0x10000, 0x10000000, kMemReserve, kMemPrivate, 0, 0x10000},
                 {0x10010000, 0x6FFD0000, kMemFree}};
    return p;
  };
  add(7, "\\Device\\x\\cad.exe");
  add(8, "\\Device\\x\\cad.exe");
  add(9, "\\Device\\x\\other.exe");
  FakeProcess& refused = add(10, "\\Device\\x\\cad.exe");
  refused.openable = refused.queryOpenable = false;
  LogArgs args;
  ZCopy(args.name, kTextUnits, ZT("cad.exe"));
  args.all = true;
  Fleet fleet(args);
  RecordedActions actions;
  const auto step = [&](int second) {
    actions.calls.clear();
    fleet.Step(LogTime{2026, 12, 8, 3, 14, second}, 1765000000 + second, 1000u * second, &actions);
    std::string rows;
    for (uint32_t i = 0; i < fleet.Count(); ++i)
      if (fleet.Reading(i).row) rows += std::to_string(fleet.Reading(i).pid) + " ";
    return rows;
  };
  EXPECT_EQ(step(0), "7 8 ");
  EXPECT_EQ(std::count(actions.calls.begin(), actions.calls.end(),
                       "say: zorlog: 1 process of cad.exe runs but cannot be opened (access "
                       "denied): start zorlog as their user or elevated"),
            1);
  EXPECT_EQ(step(1), "7 8 ");
  EXPECT_EQ(std::count_if(actions.calls.begin(), actions.calls.end(),
                          [](const std::string& c) { return c.find("cannot") != c.npos; }),
            0);  // told once, while the count stays
  add(11, "\\Device\\x\\cad.exe");
  EXPECT_EQ(step(2), "7 8 11 ");
  api.Find(7)->exitCode = 0;
  EXPECT_EQ(step(3), "8 11 ");
  EXPECT_EQ(std::count_if(actions.calls.begin(), actions.calls.end(),
                          [](const std::string& c) { return c.find("(PID 7) exited") != c.npos; }),
            1);
  MetricsInstance m[4];
  ASSERT_EQ(fleet.Metrics(m, 4), 2u);
  EXPECT_EQ(m[0].pid + m[1].pid, 19u);
  EXPECT_EQ(m[0].lastReading, 1765000003);
  EXPECT_EQ(step(4), "8 11 ");
  EXPECT_EQ(fleet.Count(), 2u);
}

}  // namespace
