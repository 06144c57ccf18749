// zormap.exe started for an end-to-end test, and read as a user would read it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "e2e/zor_driver.h"
#include "map/address_map.h"
#include "res/resource.h"
#include "support/target_process_win32.h"

namespace e2e {

// Generous, for the emulated machine: each returns as soon as it holds.
inline bool Eventually(const std::function<bool()>& condition) { return WaitFor(condition, 20000); }

class MapRun {
 public:
  bool Start(const std::wstring& args) {
    return run_.Launch(args, BinDir() + L"zormap.exe") && Eventually([&] {
             std::vector<HWND> w = WindowsOf(run_.Pid(), L"ZorMapWindow");
             window_ = w.empty() ? nullptr : w[0];
             return window_ != nullptr;
           });
  }
  // A copy of the target named for this run, started and then followed.
  bool FollowCopy(const wchar_t* stem, TargetProcess* target) {
    name_ = stem + std::to_wstring(GetCurrentProcessId()) + L".exe";
    copy_ = TargetProcess::CopyAs(name_);
    return target->Start(L"", copy_) && Start(name_);
  }
  const std::wstring& Name() const { return name_; }
  void RemoveTargetCopy() const { RemoveCopy(copy_); }
  std::wstring Title() const { return WindowText(window_); }
  HWND Window() const { return window_; }
  std::wstring Text(int id) const { return WindowText(GetDlgItem(window_, id)); }
  // The mouse over the cell that holds the address.
  void PointAt(unsigned long long address) const {
    HWND grid = GetDlgItem(window_, IDC_MAP_GRID);
    int r[4];
    Layout().CellRect(static_cast<uint32_t>(address >> 20), r);
    PostMessageW(grid, WM_MOUSEMOVE, 0, MAKELPARAM((r[0] + r[2]) / 2, (r[1] + r[3]) / 2));
  }
  // The number after a label in the figures, or -1.
  long long Figure(const wchar_t* label) const {
    std::wstring text = Text(IDC_MAP_FIGURES);
    size_t at = text.find(label);
    return at == std::wstring::npos ? -1 : wcstoll(text.c_str() + at + wcslen(label), nullptr, 10);
  }
  MapLayout Layout() const {
    HWND grid = GetDlgItem(window_, IDC_MAP_GRID);
    RECT client = ClientRectOf(grid);
    return LayoutMap(client.right, client.bottom, 4096,
                     static_cast<int>(GetWindowLongPtrW(grid, GWLP_USERDATA)));
  }
  // The colour of the cell that holds the address, as the screen shows it.
  COLORREF Cell(unsigned long long address) const {
    int r[4];
    Layout().CellRect(static_cast<uint32_t>(address >> 20), r);
    return Pixels(GetDlgItem(window_, IDC_MAP_GRID))
        .At((r[0] + r[2] - 1) / 2, (r[1] + r[3] - 1) / 2);
  }
  bool CellTurns(unsigned long long address, MapKind kind) const {
    return Eventually([&] { return Cell(address) == kMapColors[kind]; });
  }
  ZorRun run_;

 private:
  HWND window_ = nullptr;
  std::wstring name_, copy_;
};

}  // namespace e2e
