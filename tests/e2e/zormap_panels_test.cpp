// zormap.exe's window under Wine, as a user sees it: what keeps the space
// apart across a sliver, the least window with the strip turned on, and
// the cell panel kept by what the mouse last pointed at.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>

#include "e2e/map_run.h"
#include "map/map_layout.h"

namespace {

using namespace e2e;

// The number after a label on the line that follows the one holding text.
long long NumberAfter(const std::wstring& panel, const std::wstring& text, const wchar_t* label) {
  const size_t line = panel.find(text);
  const size_t at = line == std::wstring::npos ? line : panel.find(label, line);
  return at == std::wstring::npos ? -1 : wcstoll(panel.c_str() + at + wcslen(label), nullptr, 10);
}

TEST(ZorMap, ARunSpansTheSliverBetweenTwoReservationsAndGivesTheWholeBlockBack) {
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapSplit", &target));
  ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") > 0; }));
  std::istringstream answer(target.Command("split").substr(6));
  unsigned long long block = 0, size = 0, first = 0;
  answer >> std::hex >> block >> size >> first;
  ASSERT_NE(first, 0u) << block;
  wchar_t run[80];
  wsprintfW(run, L"0x%08X-0x%08X, 5 MB: 2 private allocations", static_cast<unsigned>(first),
            static_cast<unsigned>(first + 0x50FFFF));
  ASSERT_TRUE(Eventually([&] { return map.Text(IDC_MAP_TOP).find(run) != std::wstring::npos; }))
      << Utf8(run) << "\n"
      << Utf8(map.Text(IDC_MAP_TOP));
  const long long without = NumberAfter(map.Text(IDC_MAP_TOP), run, L"without it: ");
  EXPECT_NEAR(static_cast<double>(without), static_cast<double>(size >> 20), 2.0);
  target.Exit();
  map.RemoveTargetCopy();
}

TEST(ZorMap, TheStripTurnedOnAtTheLeastSizeGrowsTheWindowAndKeepsEveryRow) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware\\Zorvane\\Map", &key),
            ERROR_SUCCESS);
  DWORD hidden = 0;
  RegSetValueExW(key, L"ShowHistory", 0, REG_DWORD, reinterpret_cast<BYTE*>(&hidden), 4);
  RegCloseKey(key);
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapLeast", &target));
  HWND strip = GetDlgItem(map.Window(), IDC_MAP_STRIP),
       grid = GetDlgItem(map.Window(), IDC_MAP_GRID);
  ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") > 0 && !IsWindowVisible(strip); }));
  SetWindowPos(map.Window(), nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PostMessageW(map.Window(), WM_COMMAND, IDM_MAP_HISTORY, 0);
  // Every row of the map within the grid, the grid within the window.
  EXPECT_TRUE(Eventually([&] {
    const MapLayout cells = map.Layout();
    RECT r;
    GetWindowRect(grid, &r);
    MapWindowPoints(nullptr, map.Window(), reinterpret_cast<POINT*>(&r), 2);
    return IsWindowVisible(strip) && cells.rows * cells.cellHeight <= ClientRectOf(grid).bottom &&
           r.bottom <= ClientRectOf(map.Window()).bottom;
  })) << map.Layout().rows
      << " rows of " << map.Layout().cellHeight << " px in " << ClientRectOf(grid).bottom;
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware\\Zorvane\\Map");
  target.Exit();
  map.RemoveTargetCopy();
}

// The strip's point stays in the panel through new readings, never the
// regions of a cell pointed at before.
TEST(ZorMap, TheCellPanelSpeaksOfWhatTheMouseLastPointedAt) {
  TargetProcess target;
  MapRun map;
  ASSERT_TRUE(map.FollowCopy(L"ZorMapPoint", &target));
  ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") > 0; }));
  map.PointAt(0x10000000);
  ASSERT_TRUE(Eventually([&] {
    return map.Text(IDC_MAP_CELL).compare(0, 12, L"0x10000000 t") == 0;
  })) << Utf8(map.Text(IDC_MAP_CELL));
  HWND strip = GetDlgItem(map.Window(), IDC_MAP_STRIP);
  PostMessageW(strip, WM_MOUSEMOVE, 0, MAKELPARAM(0, 1));
  ASSERT_TRUE(Eventually([&] {
    return map.Text(IDC_MAP_CELL).find(L"reading") != std::wstring::npos;
  })) << Utf8(map.Text(IDC_MAP_CELL));
  for (int reading = 0; reading < 2; ++reading) {  // two more readings, each seen
    target.Command("reserve 1024");
    const long long regions = map.Figure(L"Regions: ");
    ASSERT_TRUE(Eventually([&] { return map.Figure(L"Regions: ") != regions; }));
  }
  const std::wstring panel = map.Text(IDC_MAP_CELL);
  EXPECT_NE(panel.find(L"reading"), std::wstring::npos) << Utf8(panel);
  EXPECT_EQ(panel.find(L"0x10000000"), std::wstring::npos) << Utf8(panel);
  target.Exit();
  map.RemoveTargetCopy();
}

}  // namespace
