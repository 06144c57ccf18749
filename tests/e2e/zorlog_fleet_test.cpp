// zorlog --all under Wine: every instance of a name in the rows, each told
// of as it ends while the others go on, a new one followed at once, and the
// metrics file holding the running ones only, gone after a normal end.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "e2e/zorlog_driver.h"
#include "support/target_process_win32.h"

namespace {

using namespace e2e;

// The PIDs of the rows from line from on, and whether each had a session.
std::vector<unsigned long> RowPids(const ZorLog& log, size_t from, bool* sessions) {
  std::vector<unsigned long> pids;
  const std::vector<std::string> lines = log.Out();
  for (size_t i = from < 1 ? 1 : from; i < lines.size(); ++i) {
    Row row;
    if (!ParseRow(lines[i], &row)) continue;
    pids.push_back(static_cast<unsigned long>(row["pid"]));
    // The session is the third field from the end; the user may be empty.
    const size_t end = lines[i].rfind(',');
    const size_t start = lines[i].rfind(',', end - 1);
    if (sessions) *sessions = *sessions && end > start + 1;
  }
  return pids;
}

// The PIDs the metrics file gives a virtual size for.
std::set<unsigned long> MetricsPids(const std::wstring& path) {
  std::set<unsigned long> pids;
  for (const std::string& line : Lines(ReadAll(path))) {
    const size_t at = line.find("pid=\"");
    if (line.compare(0, 22, "zorvane_virtual_bytes{") == 0 && at != std::string::npos)
      pids.insert(std::stoul(line.substr(at + 5)));
  }
  return pids;
}

TEST(ZorLog, AllFollowsEveryInstanceAndTheMetricsHoldThoseRunning) {
  const std::wstring name = L"ZorLogAll" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring exe = TargetProcess::CopyAs(name), prom = TempFile(L"fleet.prom");
  TargetProcess a, b, c, d;
  for (TargetProcess* t : {&a, &b, &c}) ASSERT_TRUE(t->Start(L"", exe));
  ZorLog log;
  ASSERT_TRUE(log.Launch(L"--all " + name + L" --metrics \"" + prom + L"\""));
  const auto seen = [&](std::set<unsigned long> want, size_t from) {
    bool sessions = true;
    for (unsigned long pid : RowPids(log, from, &sessions)) want.erase(pid);
    return want.empty() && sessions;
  };
  ASSERT_TRUE(WaitFor([&] { return seen({a.Pid(), b.Pid(), c.Pid()}, 1); }, 20000));
  ASSERT_TRUE(WaitFor(
      [&] {
        return MetricsPids(prom) == std::set<unsigned long>{a.Pid(), b.Pid(), c.Pid()};
      },
      20000));

  // One ends: its exit is told while the others' rows go on.
  a.Exit();
  const std::string gone = "(PID " + std::to_string(a.Pid()) + ") exited";
  const auto told = [&] {
    for (const std::string& line : log.Err())
      if (line.find(gone) != std::string::npos) return true;
    return false;
  };
  ASSERT_TRUE(WaitFor(told, 20000));
  size_t from = log.Out().size();
  ASSERT_TRUE(WaitFor([&] { return seen({b.Pid(), c.Pid()}, from); }, 20000));

  // A new one is followed within two intervals: at most two rows of another
  // instance come between its start and its first row.
  from = log.Out().size();
  ASSERT_TRUE(d.Start(L"", exe));
  ASSERT_TRUE(WaitFor([&] { return seen({d.Pid()}, from); }, 20000));
  size_t before = 0;
  for (unsigned long pid : RowPids(log, from, nullptr)) {
    if (pid == d.Pid()) break;
    before += pid == b.Pid();
  }
  EXPECT_LE(before, 3u);  // the interval under way when it started, and two more
  EXPECT_TRUE(WaitFor(
      [&] {
        return MetricsPids(prom) == std::set<unsigned long>{b.Pid(), c.Pid(), d.Pid()};
      },
      20000));
  for (const unsigned long pid : RowPids(log, from, nullptr)) EXPECT_NE(pid, a.Pid());

  // Ended by force the file stays; a normal end removes it.
  log.Stop();
  EXPECT_FALSE(MetricsPids(prom).empty());
  ZorLog once;
  EXPECT_EQ(once.Run(L"--all " + name + L" -n 3 --metrics \"" + prom + L"\""), 0u);
  EXPECT_EQ(GetFileAttributesW(prom.c_str()), INVALID_FILE_ATTRIBUTES);
  for (TargetProcess* t : {&b, &c, &d}) t->Exit();
  RemoveCopy(exe);
}

}  // namespace
