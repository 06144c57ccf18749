#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "dialogs/auto_connect.h"
#include "dialogs/process_rows.h"
#include "monitor/monitor_state.h"
#include "monitor/vsize.h"
#include "settings/view_settings.h"
#include "support/fakes.h"

namespace {

class ChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSystemInfoCache();
    memset(&g_monitor, 0, sizeof g_monitor);
    ResetViewSettings();
    ResetSortDirections();
  }
  void TearDown() override {
    SetProcessRowsInUse(false);
    ReleaseProcessRows();
    ReleaseMonitorTexts();
  }

  FakeProcess& Run(uint32_t pid, const std::string& name, uint32_t kb) {
    FakeProcess& p = api.Add(pid, Z("\\Device\\HarddiskVolume1\\bin\\") + Z(name.c_str()));
    p.regions = {{0x10000, kb * 1024ull, kMemCommit},
                 {0x10000 + kb * 1024ull, 0x7FFE0000, kMemFree}};
    return p;
  }
  int Fill(const char* text) { return FillProcessRows(Z(text).c_str()); }
  int Rows() {
    int n = 0;
    while (g_processRows[n]) ++n;
    return n;
  }
  std::string Name(int i) { return Narrow(g_processRows[i]->nameText); }

  FakeProcessApi api;
  FakeSystemApi system;
  FakeStringTable strings;
  RecordingDisplay display;
};

TEST_F(ChooserTest, ParsesRecordsIntoMeasuredRowsInTextOrder) {
  Run(8, "b.exe", 3 * 1024 + 512);
  ASSERT_EQ(Fill("a.exe\n4\nb.exe\n8\n"), 2);
  EXPECT_EQ(Rows(), 2);
  const ProcessRow& a = *g_processRows[0];
  const ProcessRow& b = *g_processRows[1];
  EXPECT_EQ(Narrow(a.nameText), "a.exe");
  EXPECT_EQ(Narrow(a.pidText), "4");
  EXPECT_EQ(a.pid, 4);
  // A process that cannot be measured is still listed, with size 0.
  EXPECT_EQ(a.sizeKb, 0u);
  EXPECT_EQ(Narrow(a.mbText), "0");
  EXPECT_EQ(Narrow(b.nameText), "b.exe");
  EXPECT_EQ(b.sizeKb, 3u * 1024 + 512);
  EXPECT_EQ(b.sizeMb, 3u);
  EXPECT_EQ(Narrow(b.mbText), "3");
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(ChooserTest, IncompleteRecordsMakeNoRowAndFieldsAreBounded) {
  EXPECT_EQ(Fill("a.exe\n4\nb.exe\n"), 1);   // a name without its PID
  EXPECT_EQ(Fill("a.exe\n4\nb.exe\n8"), 1);  // units after the last line feed
  EXPECT_EQ(Fill(""), 0);
  EXPECT_EQ(FillProcessRows(nullptr), 0);
  // Tokens alternate strictly, whatever they hold.
  ASSERT_EQ(Fill("\n\nx.exe\n12ab\n"), 2);
  EXPECT_EQ(Name(0), "");
  EXPECT_EQ(Narrow(g_processRows[1]->pidText), "12ab");  // the text unchanged
  EXPECT_EQ(g_processRows[1]->pid, 12);

  std::string longName(70, 'n'), longPid = std::string(62, ' ') + "42";
  ASSERT_EQ(Fill((longName + "\n" + longPid + "\n").c_str()), 1);
  EXPECT_EQ(Name(0), longName.substr(0, 63));
  EXPECT_EQ(Narrow(g_processRows[0]->pidText), longPid.substr(0, 63));
  EXPECT_EQ(g_processRows[0]->pid, 42);  // read from the whole token
}

TEST_F(ChooserTest, PidTextsReadLikeTheRuntimesWtoi) {
  // clang-format off
  const char* texts[] = {"12ab", "", "-5", " 7", "+3", "\t\r 9", "x1", "- 1", "0009",
                         "99999999999", "-99999999999"};
  const int32_t pids[] = {12, 0, -5, 7, 3, 9, 0, 0, 9, 2147483647, -2147483647 - 1};
  // clang-format on
  for (size_t i = 0; i < sizeof pids / sizeof pids[0]; ++i)
    EXPECT_EQ(ParseDecimal(Z(texts[i]).c_str(), 100), pids[i]) << '"' << texts[i] << '"';
  EXPECT_EQ(ParseDecimal(Z("1234").c_str(), 2), 12);  // bounded by the token
}

TEST_F(ChooserTest, TheTableGrowsSoThatNoListedProcessIsLost) {
  std::string text;
  for (int i = 1; i <= 2100; ++i) text += "p.exe\n" + std::to_string(i * 4) + "\n";
  EXPECT_EQ(Fill(text.c_str()), 2100);
  EXPECT_EQ(Rows(), 2100);
  EXPECT_EQ(g_processRows[2099]->pid, 8400);
  EXPECT_EQ(api.openCalls, 2100);  // each measured once
  ReleaseProcessRows();
  EXPECT_EQ(g_processRows[0], nullptr);
  EXPECT_EQ(Fill("a.exe\n4\n"), 1);  // the table is usable again after a grown one
}

TEST_F(ChooserTest, RowsAreReleasedOnceAndNeverUnderAnOpenChooser) {
  Fill("a.exe\n4\nb.exe\n8\n");
  // A new opening takes over rows nobody released (the sanitizer build
  // reports any that leak).
  Fill("c.exe\n12\n");
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Name(0), "c.exe");

  SetProcessRowsInUse(true);
  ReleaseProcessRows();
  EXPECT_EQ(Fill("d.exe\n16\n"), 0);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Name(0), "c.exe");  // still there for the list showing it

  SetProcessRowsInUse(false);
  ReleaseProcessRows();
  EXPECT_EQ(Rows(), 0);
  ReleaseProcessRows();  // nothing left to free twice
  EXPECT_EQ(Rows(), 0);
}

// What the list's own sort does with a comparator, then the column's toggle.
std::vector<std::string> SortBy(std::vector<ProcessRow*>& rows, int column) {
  int (*compare[])(const ProcessRow*, const ProcessRow*) = {CompareRowsByName, CompareRowsByPid,
                                                            CompareRowsBySize};
  std::stable_sort(rows.begin(), rows.end(), [&](const ProcessRow* a, const ProcessRow* b) {
    return compare[column](a, b) < 0;
  });
  ToggleSortDirection(column);
  std::vector<std::string> names;
  for (ProcessRow* r : rows) names.push_back(Narrow(r->nameText));
  return names;
}

std::vector<ProcessRow*> Table(int n) {
  return std::vector<ProcessRow*>(g_processRows, g_processRows + n);
}

TEST_F(ChooserTest, NamesSortWithOnlyAToZFoldedInUnsignedUnitOrder) {
  // "_" (0x5F) lies between "Z" (0x5A) and "a" (0x61): only folding puts
  // "Beta" after it.
  ASSERT_EQ(Fill("beta.exe\n1\n_x.exe\n2\nBeta.exf\n3\nalpha\n4\nalpha.exe\n5\n"), 5);
  g_processRows[0]->nameText[0] = 0xC4;  // "Äb": left as it is, above every ASCII unit
  g_processRows[0]->nameText[1] = 'b';
  g_processRows[0]->nameText[2] = 0;
  std::vector<ProcessRow*> rows = Table(5);
  EXPECT_EQ(SortBy(rows, kColumnName),
            (std::vector<std::string>{"_x.exe", "alpha", "alpha.exe", "Beta.exf", "?b"}));
  EXPECT_EQ(SortBy(rows, kColumnName),
            (std::vector<std::string>{"?b", "Beta.exf", "alpha.exe", "alpha", "_x.exe"}));

  ProcessRow upper = *g_processRows[2], lower = *g_processRows[2];
  ZCopy(upper.nameText, kTextUnits, ZT("XTOP.EXE"));
  ZCopy(lower.nameText, kTextUnits, ZT("xtop.exe"));
  EXPECT_EQ(CompareRowsByName(&upper, &lower), 0);
  ZCopy(upper.nameText, kTextUnits, ZT("\xC4"));
  ZCopy(lower.nameText, kTextUnits, ZT("\xE4"));
  EXPECT_NE(CompareRowsByName(&upper, &lower), 0);  // no folding beyond A to Z
}

TEST_F(ChooserTest, EachColumnKeepsItsOwnDirection) {
  Run(4, "small.exe", 100);
  Run(8, "big.exe", 900);
  Run(12, "mid.exe", 500);
  Run(16, "mid2.exe", 501);  // same MB as mid.exe, ordered by KB
  ASSERT_EQ(Fill("small.exe\n4\nbig.exe\n8\nmid.exe\n12\nmid2.exe\n16\n"), 4);
  std::vector<ProcessRow*> rows = Table(4);

  std::vector<std::string> desc = {"big.exe", "mid2.exe", "mid.exe", "small.exe"};
  std::vector<std::string> asc(desc.rbegin(), desc.rend());
  EXPECT_EQ(SortBy(rows, kColumnSize), desc);  // largest first
  SortBy(rows, kColumnName);
  EXPECT_EQ(SortBy(rows, kColumnSize), asc);  // the size flag was toggled once only

  // PIDs: highest first, then lowest; compared as signed numbers.
  g_processRows[0]->pid = -5;
  EXPECT_EQ(SortBy(rows, kColumnPid),
            (std::vector<std::string>{"mid2.exe", "mid.exe", "big.exe", "small.exe"}));
  EXPECT_EQ(SortBy(rows, kColumnPid),
            (std::vector<std::string>{"small.exe", "big.exe", "mid.exe", "mid2.exe"}));

  // Another column toggles nothing; a new opening starts from the first orders.
  SortDirections before = g_sortDirections;
  ToggleSortDirection(3);
  EXPECT_EQ(memcmp(&before, &g_sortDirections, sizeof before), 0);
  ResetSortDirections();
  EXPECT_TRUE(g_sortDirections.name && g_sortDirections.pid && g_sortDirections.size);
}

TEST_F(ChooserTest, ChoosingARunningProcessConnectsAndAwaitsItsName) {
  FakeProcess& p = Run(2040, "xtop.exe", 2048);
  Fill("xtop.exe\n2040\n");
  ChooseProcessRow(*g_processRows[0]);
  EXPECT_EQ(g_monitor.targetPid, 2040u);
  EXPECT_EQ(Narrow(g_monitor.pidText), "2040");
  EXPECT_EQ(Narrow(g_monitor.targetName), "xtop.exe");
  EXPECT_EQ(g_monitor.sizeKb, 2048u);
  EXPECT_EQ(Narrow(g_monitor.mbText), "2");
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_TRUE(g_monitor.connected);

  // When it ends, the next process of the same image name is taken up.
  p.exitCode = 0;
  TickMonitor(kMonitorTimerId);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_EQ(Narrow(g_monitor.targetName), "xtop.exe");
  api.pidList.clear();
  Run(3000, "xtop.exe", 64);
  TickMonitor(kMonitorTimerId);
  EXPECT_TRUE(g_monitor.connected);
  EXPECT_EQ(g_monitor.targetPid, 3000u);
}

TEST_F(ChooserTest, AProcessGoneBeforeTheChoiceLeavesTheMonitorWaiting) {
  Fill("gone.exe\n44\n");
  // Nothing awaited before: the name has already become "-" when waiting is set.
  ChooseProcessRow(*g_processRows[0]);
  EXPECT_EQ(g_monitor.targetPid, 0u);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_EQ(Narrow(g_monitor.targetName), "-");
  EXPECT_EQ(Narrow(g_monitor.pidText), "-");

  // A name awaited before: the chosen name is awaited instead.
  ZCopy(g_monitor.targetName, kTextUnits, ZT("xtop.exe"));
  ChooseProcessRow(*g_processRows[0]);
  EXPECT_EQ(Narrow(g_monitor.targetName), "gone.exe");
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_FALSE(g_monitor.connected);
}

TEST_F(ChooserTest, AChosenLongNameIsWatchedButNeverFoundAgain) {
  std::string longName = std::string(66, 'L') + ".exe";
  FakeProcess& p = Run(60, longName, 256);
  Fill((longName + "\n60\n").c_str());
  ChooseProcessRow(*g_processRows[0]);
  EXPECT_TRUE(g_monitor.connected);
  EXPECT_EQ(Narrow(g_monitor.targetName), longName.substr(0, 63));
  p.exitCode = 0;
  TickMonitor(kMonitorTimerId);
  p.exitCode = kStillActive;  // a process of the full name runs again
  TickMonitor(kMonitorTimerId);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_EQ(g_monitor.targetPid, 0u);
  EXPECT_TRUE(g_monitor.waiting);
}

TEST_F(ChooserTest, AutoConnectOkAwaitsTheTypedNameOrChangesNothing) {
  Run(2040, "xtop.exe", 2048);
  Fill("xtop.exe\n2040\n");
  ChooseProcessRow(*g_processRows[0]);
  MonitorState before;
  memcpy(&before, &g_monitor, sizeof before);
  ApplyAutoConnectName(ZT(""));
  ApplyAutoConnectName(nullptr);
  EXPECT_EQ(memcmp(&before, &g_monitor, sizeof before), 0);

  // A connected process is dropped at once; the old texts stay until a refresh.
  ApplyAutoConnectName(ZT("SLDWORKS.exe"));
  EXPECT_EQ(Narrow(g_monitor.targetName), "SLDWORKS.exe");
  EXPECT_EQ(g_monitor.targetPid, 0u);
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_FALSE(g_monitor.connected);
  EXPECT_EQ(Narrow(g_monitor.pidText), "2040");

  // Taken exactly as typed: no other case is found under it.
  Run(77, "sldworks.exe", 64);
  TickMonitor(kMonitorTimerId);
  EXPECT_FALSE(g_monitor.connected);

  std::string seventy(70, 'q');
  ApplyAutoConnectName(Z(seventy.c_str()).c_str());
  EXPECT_EQ(Narrow(g_monitor.targetName), seventy.substr(0, 63));
}

}  // namespace
