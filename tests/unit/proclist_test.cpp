#include <gtest/gtest.h>

#include "monitor/proclist.h"
#include "support/fakes.h"

namespace {

ZString Path(const char* name) { return Z("\\Device\\HarddiskVolume1\\Program Files\\") + Z(name); }

std::string ListText() {
  ZChar* text = BuildProcessListText();
  if (!text) return "<none>";
  std::string s = Narrow(text);
  ZFree(text);
  return s;
}

TEST(FindProcessByImageName, MatchesTheImageNameExactlyAndCaseSensitively) {
  FakeProcessApi api;
  api.Add(40, Path("XTOP.EXE"));
  api.Add(41, Path("xtop.exe "));
  EXPECT_EQ(FindProcessByImageName(ZT("xtop.exe")), 0u);
  api.Add(42, Path("xtop.exe"));
  EXPECT_EQ(FindProcessByImageName(ZT("xtop.exe")), 42u);
  EXPECT_EQ(FindProcessByImageName(ZT("XTOP.EXE")), 40u);
  // Only the image name is compared: paths, blanks and missing extensions never match.
  EXPECT_EQ(FindProcessByImageName(ZT("Program Files\\xtop.exe")), 0u);
  EXPECT_EQ(FindProcessByImageName(ZT(" xtop.exe")), 0u);
  EXPECT_EQ(FindProcessByImageName(ZT("xtop")), 0u);
  EXPECT_EQ(api.OpenHandles(), 0u);
  EXPECT_EQ(api.openCalls, api.closeCalls);
}

TEST(FindProcessByImageName, FirstInListOrderWinsWhateverThePid) {
  FakeProcessApi api;
  api.Add(900, Path("ugraf.exe"));
  api.Add(12, Path("ugraf.exe"));
  EXPECT_EQ(FindProcessByImageName(ZT("ugraf.exe")), 900u);
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST(FindProcessByImageName, AppliesTheVisibilityRuleInOrder) {
  FakeProcessApi api;
  api.pidList.push_back(0);  // PID 0 is never opened
  api.Add(1, Path("a.exe")).openable = false;
  api.Add(2, Path("a.exe")).modulesReadable = false;
  api.Add(3, Z("a.exe"));  // no backslash in the path
  EXPECT_EQ(FindProcessByImageName(ZT("a.exe")), 0u);
  EXPECT_EQ(api.openCalls, 3);  // PIDs 1, 2, 3
  EXPECT_EQ(api.OpenHandles(), 0u);
  api.Add(4, Path("a.exe"));
  EXPECT_EQ(FindProcessByImageName(ZT("a.exe")), 4u);
}

TEST(FindProcessByImageName, UnreadableProcessListFindsNothing) {
  FakeProcessApi api;
  api.Add(5, Path("a.exe"));
  api.enumFails = true;
  EXPECT_EQ(FindProcessByImageName(ZT("a.exe")), 0u);
  EXPECT_EQ(api.openCalls, 0);
}

TEST(FindProcessByImageName, SeesProcessesBeyondTheFirst1024) {
  FakeProcessApi api;
  for (uint32_t pid = 4; pid < 4 + 3000 * 4; pid += 4) api.Add(pid, Path("svc.exe"));
  api.Add(50000, Path("SLDWORKS.exe"));
  EXPECT_EQ(FindProcessByImageName(ZT("SLDWORKS.exe")), 50000u);
  // Asked again with a larger array each time the answer filled it.
  EXPECT_EQ(api.enumBufferBytes, (std::vector<uint32_t>{4096, 8192, 16384}));
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST(FormatProcessRecord, IsTheImageNameAndPlainDecimalPid) {
  FakeProcessApi api;
  api.Add(8, Path("explorer.exe"));
  api.Add(9, Path("hidden.exe")).openable = false;
  ZChar* record = FormatProcessRecord(8);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(Narrow(record), "explorer.exe\n8\n");
  ZFree(record);
  EXPECT_EQ(FormatProcessRecord(9), nullptr);
  EXPECT_EQ(FormatProcessRecord(0), nullptr);
  EXPECT_EQ(FormatProcessRecord(77), nullptr);
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST(FormatProcessRecord, LongPathKeepsTheProcessByItsImageName) {
  FakeProcessApi api;
  ZString deep = Z("\\Device\\HarddiskVolume1");
  while (deep.size() < 400) deep += Z("\\a-rather-long-folder-name");
  api.Add(2040, deep + Z("\\xtop.exe"));
  ZChar* record = FormatProcessRecord(2040);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(Narrow(record), "xtop.exe\n2040\n");
  ZFree(record);
  EXPECT_EQ(FindProcessByImageName(ZT("xtop.exe")), 2040u);
}

TEST(BuildProcessListText, ConcatenatesVisibleRecordsInListOrder) {
  FakeProcessApi api;
  api.pidList.push_back(0);
  api.Add(1234, Path("explorer.exe"));
  api.Add(77, Path("secret.exe")).openable = false;
  api.Add(2040, Path("xtop.exe"));
  EXPECT_EQ(ListText(), "explorer.exe\n1234\nxtop.exe\n2040\n");
  EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST(BuildProcessListText, EmptyWhenNothingIsVisibleAndNoneWhenTheListFails) {
  FakeProcessApi api;
  api.Add(5, Path("a.exe")).modulesReadable = false;
  EXPECT_EQ(ListText(), "");
  api.enumFails = true;
  EXPECT_EQ(ListText(), "<none>");
}

TEST(BuildProcessListText, NeverDropsAProcessWhenTheTextOutgrows2048Units) {
  FakeProcessApi api;
  std::string expected;
  for (uint32_t i = 0; i < 1500; ++i) {
    std::string name = "process-number-" + std::to_string(i) + ".exe";
    api.Add(1000 + i, Path(name.c_str()));
    expected += name + "\n" + std::to_string(1000 + i) + "\n";
  }
  EXPECT_GT(expected.size(), 2048u * 10);
  EXPECT_EQ(ListText(), expected);
  EXPECT_EQ(api.OpenHandles(), 0u);
}

}  // namespace
