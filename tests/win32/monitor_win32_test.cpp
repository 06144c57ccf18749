// The monitor against real processes: the test target reserves and commits
// known amounts, and the measurement and lookup must see exactly that.
#include <gtest/gtest.h>

#include "monitor/ceiling.h"
#include "monitor/name_lookup.h"
#include "monitor/proclist.h"
#include "monitor/vsize.h"
#include "support/target_process_win32.h"
#include "sysinfo/system_api.h"

namespace {

std::wstring UniqueName(const wchar_t* stem) {
  return stem + std::to_wstring(GetCurrentProcessId()) + L".exe";
}

TEST(MonitorWin32, MeasuresExactlyWhatTheTargetReservesAndCommits) {
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"--commit 4096 --regions 4"));
  uint32_t before = QueryProcessVirtualSize(target.Pid());
  ASSERT_GT(before, 4096u);

  ASSERT_EQ(target.Command("reserve 10240 4"), "ok reserved=10240 committed=4096");
  uint32_t afterReserve = QueryProcessVirtualSize(target.Pid());
  EXPECT_EQ(afterReserve - before, 10240u);

  ASSERT_EQ(target.Command("commit 6400 5"), "ok reserved=10240 committed=10496");
  EXPECT_EQ(QueryProcessVirtualSize(target.Pid()) - afterReserve, 6400u);

  // The walk reads the tool's own address range, which a large-address-aware
  // 32-bit program sees above 2 GB.
  EXPECT_GT(CachedSystemInfo().maximumAddress, 0x7FFFFFFFu);
  EXPECT_EQ(CachedSystemInfo().pageSize, 4096u);
}

TEST(MonitorWin32, TheLargestUsableBlockIsExactlyWhatTheTargetCanStillReserve) {
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"--reserve 65600 --regions 5"));  // pieces off the 64 KB grid
  // Under Wine much of what shows as reserved can still be had: the target
  // takes it all, then frees one block that shows as free.
  ASSERT_EQ(target.Command("fill").compare(0, 7, "filled "), 0);
  TargetCeiling ceiling = QueryTargetCeiling(target.Pid());
  ASSERT_TRUE(ceiling.known);
  EXPECT_EQ(ceiling.mb, System().TotalVirtual() >> 20);  // flagged, as this program is
  HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, target.Pid());
  AddressSpaceStats stats;
  ASSERT_NE(WalkProcess(h, ceiling.lastByte, &stats), 0u);
  CloseHandle(h);
  ASSERT_GT(stats.largestUsable, 0u);
  EXPECT_LE(stats.largestUsable, stats.largestFree);
  EXPECT_EQ(target.Command("probe " + std::to_string(stats.largestUsable)),
            "probe exact=1 larger=0");
}

TEST(MonitorWin32, FindsTheTargetByItsExactImageNameAndListsIt) {
  std::wstring name = UniqueName(L"ZorProbe");
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"", TargetProcess::CopyAs(name)));

  EXPECT_EQ(FindProcessByImageName(name.c_str()), target.Pid());
  std::wstring lower = name;
  for (wchar_t& c : lower) c = towlower(c);
  EXPECT_EQ(FindProcessByImageName(lower.c_str()), 0u);
  // The companions' lookup, by the names of the system's process snapshot.
  const NamedProcess found = FindNamedProcess(name.c_str(), nullptr, 0);
  EXPECT_EQ(found.pid, target.Pid());
  ASSERT_NE(found.handle, nullptr);
  CloseHandle(found.handle);
  wchar_t image[kTextUnits];
  ASSERT_TRUE(ImageNameOfPid(target.Pid(), image, kTextUnits));
  EXPECT_EQ(std::wstring(image), name);

  ZChar* list = BuildProcessListText();
  ASSERT_NE(list, nullptr);
  std::wstring record = name + L"\n" + std::to_wstring(target.Pid()) + L"\n";
  std::wstring text(list);
  ZFree(list);
  size_t at = text.find(record);
  ASSERT_NE(at, std::wstring::npos);
  EXPECT_TRUE(at == 0 || text[at - 1] == L'\n');  // a whole record

  ZChar* own = FormatProcessRecord(target.Pid());
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(std::wstring(own), record);
  ZFree(own);
}

TEST(MonitorWin32, AnExitedTargetMeasuresZeroAndIsNoLongerFound) {
  std::wstring name = UniqueName(L"ZorGone");
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"--commit 1024", TargetProcess::CopyAs(name)));
  ASSERT_GT(QueryProcessVirtualSize(target.Pid()), 1024u);
  target.Exit();
  // Our handle keeps the PID openable; the exit code tells it has ended.
  EXPECT_EQ(QueryProcessVirtualSize(target.Pid()), 0u);
  EXPECT_EQ(FindProcessByImageName(name.c_str()), 0u);
}

TEST(MonitorWin32, PidZeroAndUnknownPidsMeasureZero) {
  EXPECT_EQ(QueryProcessVirtualSize(0), 0u);
  EXPECT_EQ(QueryProcessVirtualSize(0xFFFFFFF0u), 0u);
  EXPECT_EQ(FormatProcessRecord(0), nullptr);
  EXPECT_NE(QueryProcessVirtualSize(GetCurrentProcessId()), 0u);
}

}  // namespace
