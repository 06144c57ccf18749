// The real ZOR.exe's four dialogs, opened from its commands and driven from
// this process as a user would: the process chooser's list, its sorting and
// choosing, the auto-connect dialog's presets and typed names, the help page
// and the about window's place and size.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <tlhelp32.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "e2e/zor_driver.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "support/target_process_win32.h"

namespace {

using namespace e2e;

std::wstring InfoPanel(const std::wstring& name, const std::wstring& pid, const std::wstring& mb) {
  return L"Process Name:\n" + name + L"\nProcess ID:\n" + pid + L"\nVirtual Size:\n" + mb + L" MB";
}

std::wstring InfoPanelFor(const std::wstring& name, const TargetProcess& target) {
  return InfoPanel(name, std::to_wstring(target.Pid()),
                   std::to_wstring(QueryProcessVirtualSize(target.Pid()) >> 10));
}

// Opens a modal dialog of the running ZOR by its command. Posted: the
// dialog's own message loop would keep a sent command from returning.
HWND OpenDialog(const ZorRun& zor, int command, const wchar_t* title) {
  zor.PostCommand(command);
  return WaitForWindowOf(zor.Pid(), L"#32770", title);
}

bool WaitClosed(HWND dialog) {
  return WaitFor([dialog] { return !IsWindow(dialog); });
}

void PressKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void Click(HWND control, const RECT& at, bool twice = false) {
  LPARAM point = MAKELPARAM((at.left + at.right) / 2, (at.top + at.bottom) / 2);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(control, WM_LBUTTONUP, 0, point);
  if (!twice) return;
  PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  PostMessageW(control, WM_LBUTTONUP, 0, point);
}

struct Row {
  std::wstring name, pid, mb;
};

// The chooser's list, read cell by cell through records in ZOR's process.
class ChooserList {
 public:
  ChooserList(const ZorRun& zor, HWND dialog)
      : list_(GetDlgItem(dialog, IDC_PROCESS_LIST)), remote_(zor.Pid(), 4096) {}

  std::vector<Row> Rows() {
    std::vector<Row> rows;
    int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) rows.push_back({Cell(i, 0), Cell(i, 1), Cell(i, 2)});
    return rows;
  }

  std::wstring Cell(int item, int column) {
    const size_t kText = 512, kUnits = 256;
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = reinterpret_cast<LPWSTR>(remote_.At(kText));
    cell.cchTextMax = kUnits;
    wchar_t text[kUnits] = L"";
    if (!remote_.Write(&cell, sizeof cell) || !remote_.Write(text, sizeof text, kText)) return L"?";
    SendMessageW(list_, LVM_GETITEMTEXTW, item, remote_.At());
    if (!remote_.Read(text, sizeof text, kText)) return L"?";
    text[kUnits - 1] = 0;
    return text;
  }

  RECT ItemRect(int item) {
    RECT r = {LVIR_LABEL, 0, 0, 0};
    remote_.Write(&r, sizeof r);
    if (!SendMessageW(list_, LVM_GETITEMRECT, item, remote_.At()) || !remote_.Read(&r, sizeof r))
      return RECT{};
    return r;
  }

  void ClickHeader(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    RECT r = {};
    if (SendMessageW(header, HDM_GETITEMRECT, column, remote_.At())) remote_.Read(&r, sizeof r);
    Click(header, r);
  }

  // Clicks the row of this PID and waits for it to be the selection mark.
  bool Select(DWORD pid, bool twice = false) {
    int item = Find(pid);
    if (item < 0) return false;
    Click(list_, ItemRect(item), twice);
    if (twice) return true;  // the dialog closes
    return WaitFor([&] { return SendMessageW(list_, LVM_GETSELECTIONMARK, 0, 0) == item; });
  }

  int Find(DWORD pid) {
    std::vector<Row> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].pid == std::to_wstring(pid)) return static_cast<int>(i);
    return -1;
  }

 private:
  HWND list_;
  RemoteBuffer remote_;
};

// Names compared as the chooser does: A to Z read as a to z, nothing else
// folded, then unit by unit.
int CompareNames(const std::wstring& a, const std::wstring& b) {
  auto fold = [](std::wstring s) {
    for (wchar_t& c : s)
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
  };
  return fold(a).compare(fold(b));
}

enum Order { kNameUp, kNameDown, kPidUp, kPidDown, kSizeDown };

// "" when the rows stand in this order, else the first pair that does not.
std::string OrderDifference(const std::vector<Row>& rows, Order order) {
  for (size_t i = 1; i < rows.size(); ++i) {
    const Row &a = rows[i - 1], &b = rows[i];
    bool ok = true;
    switch (order) {
      case kNameUp:
        ok = CompareNames(a.name, b.name) <= 0;
        break;
      case kNameDown:
        ok = CompareNames(a.name, b.name) >= 0;
        break;
      case kPidUp:
        ok = _wtoi(a.pid.c_str()) < _wtoi(b.pid.c_str());
        break;
      case kPidDown:
        ok = _wtoi(a.pid.c_str()) > _wtoi(b.pid.c_str());
        break;
      case kSizeDown:
        ok = _wtoi(a.mb.c_str()) >= _wtoi(b.mb.c_str());
        break;
    }
    if (!ok)
      return "rows " + std::to_string(i - 1) + " and " + std::to_string(i) + ": " + Utf8(a.name) +
             " " + Utf8(a.pid) + " " + Utf8(a.mb) + " / " + Utf8(b.name) + " " + Utf8(b.pid) + " " +
             Utf8(b.mb);
  }
  return rows.size() < 3 ? "too few rows" : "";
}

// Clicks a column's header and waits for the rows to stand in the order.
std::string SortAndCheck(ChooserList& list, int column, Order order) {
  list.ClickHeader(column);
  std::string difference;
  WaitFor([&] { return (difference = OrderDifference(list.Rows(), order)).empty(); });
  return difference;
}

std::vector<std::wstring> Pids(const std::vector<Row>& rows) {
  std::vector<std::wstring> pids;
  for (const Row& r : rows) pids.push_back(r.pid);
  return pids;
}

TEST_F(ZorTest, ChooserListsSortsAndConnectsAndTheChosenNameIsAwaitedAfterItsExit) {
  const std::wstring suffix = std::to_wstring(GetCurrentProcessId()) + L".exe";
  // Names whose order depends on the case folding: "zorE2EAlpha" sorts
  // before "ZorE2EBeta" only when case is ignored.
  const std::wstring nameA = L"zorE2EAlpha" + suffix, nameB = L"ZorE2EBeta" + suffix;
  const std::wstring exeA = TargetProcess::CopyAs(nameA), exeB = TargetProcess::CopyAs(nameB);
  TargetProcess a;
  auto b = std::make_unique<TargetProcess>();
  ASSERT_TRUE(a.Start(L"--commit 65536", exeA));
  ASSERT_TRUE(b->Start(L"--commit 16384", exeB));
  ZorRun zor;
  ASSERT_TRUE(zor.Start());
  const std::wstring idle = zor.Text(IDC_INFO_PANEL);

  // Every visible process with its PID and size; the targets among them.
  HWND dialog = OpenDialog(zor, IDM_CONNECT, L"Choose a process to view.");
  ASSERT_NE(dialog, nullptr);
  std::vector<std::wstring> enumerated;
  {
    ChooserList list(zor, dialog);
    std::vector<Row> rows = list.Rows();
    enumerated = Pids(rows);
    int at = list.Find(a.Pid());
    ASSERT_GE(at, 0);
    EXPECT_EQ(rows[at].name, nameA);
    EXPECT_EQ(rows[at].mb, std::to_wstring(QueryProcessVirtualSize(a.Pid()) >> 10));
    EXPECT_GE(_wtoi(rows[at].mb.c_str()), 64);
    ASSERT_GE(list.Find(b->Pid()), 0);
    EXPECT_GE(list.Find(zor.Pid()), 0);
    EXPECT_GE(list.Find(GetCurrentProcessId()), 0);

    // Each column keeps its own direction: names A to Z, then Z to A; PIDs
    // and sizes largest first, then PIDs smallest first.
    EXPECT_EQ(SortAndCheck(list, 0, kNameUp), "");
    EXPECT_LT(list.Find(a.Pid()), list.Find(b->Pid()));
    EXPECT_EQ(SortAndCheck(list, 0, kNameDown), "");
    EXPECT_EQ(SortAndCheck(list, 1, kPidDown), "");
    EXPECT_EQ(SortAndCheck(list, 2, kSizeDown), "");
    EXPECT_EQ(SortAndCheck(list, 1, kPidUp), "");

    // OK with the first target's row chosen: the window shows it at once.
    ASSERT_TRUE(list.Select(a.Pid()));
    PostMessageW(GetDlgItem(dialog, IDC_CHOOSER_OK), BM_CLICK, 0, 0);
  }
  ASSERT_TRUE(WaitClosed(dialog));
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanelFor(nameA, a)))
      << Utf8(zor.Text(IDC_INFO_PANEL)) << " was " << Utf8(idle);

  // Reopened: the list in enumeration order again. Cancel with the other
  // target's row chosen changes nothing.
  dialog = OpenDialog(zor, IDM_CONNECT, L"Choose a process to view.");
  ASSERT_NE(dialog, nullptr);
  {
    ChooserList list(zor, dialog);
    EXPECT_EQ(Pids(list.Rows()), enumerated);
    ASSERT_TRUE(list.Select(b->Pid()));
    PostMessageW(GetDlgItem(dialog, IDC_CHOOSER_CANCEL), BM_CLICK, 0, 0);
  }
  ASSERT_TRUE(WaitClosed(dialog));
  EXPECT_EQ(zor.Text(IDC_INFO_PANEL), InfoPanelFor(nameA, a));

  // Reopened, the size column starts largest first again, though it was
  // clicked an odd number of times before; a double-click on the second
  // target's row chooses it.
  dialog = OpenDialog(zor, IDM_CONNECT, L"Choose a process to view.");
  ASSERT_NE(dialog, nullptr);
  {
    ChooserList list(zor, dialog);
    EXPECT_EQ(SortAndCheck(list, 2, kSizeDown), "");
    // The cancelled choice has not reached the window meanwhile.
    EXPECT_EQ(zor.Text(IDC_INFO_PANEL), InfoPanelFor(nameA, a));
    ASSERT_TRUE(list.Select(b->Pid(), true));
  }
  ASSERT_TRUE(WaitClosed(dialog));
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanelFor(nameB, *b)))
      << Utf8(zor.Text(IDC_INFO_PANEL));

  // The chosen process exits: its name is awaited, and a new process of
  // that name is taken up.
  b->Exit();
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanel(nameB, L"-", L"0")))
      << Utf8(zor.Text(IDC_INFO_PANEL));
  b = std::make_unique<TargetProcess>();
  ASSERT_TRUE(b->Start(L"", exeB));
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanelFor(nameB, *b)))
      << Utf8(zor.Text(IDC_INFO_PANEL));

  b->Exit();
  a.Exit();
  RemoveCopy(exeA);
  RemoveCopy(exeB);
}

// The help page as the program carries it: the source file's bytes up to an
// end marker, a '*' before any backslash.
std::wstring HelpSource() {
  std::string dir = __FILE__;
  dir = dir.substr(0, dir.find_last_of("/\\") + 1);
  std::ifstream in(("Z:" + dir + "../../src/res/help.txt").c_str(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t stop = bytes.find_first_of("*\\");
  if (stop != std::string::npos && bytes[stop] == '*') bytes.resize(stop);
  return std::wstring(bytes.begin(), bytes.end());  // plain ASCII
}

// A control's text as the control itself gives it (an edit keeps its own).
std::wstring ControlText(HWND control) {
  std::vector<wchar_t> text(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0) + 2, L'\0');
  SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

TEST_F(ZorTest, AutoConnectHelpAndAboutAsAUserDrivesThem) {
  const std::wstring name = L"ZorE2EAuto" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring exe = TargetProcess::CopyAs(name);
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"", exe));
  ZorRun zor;
  ASSERT_TRUE(zor.Start(name));
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanelFor(name, target)))
      << Utf8(zor.Text(IDC_INFO_PANEL));

  // "Connect To Process" offers "xtop.exe"; Enter at once lets the connected
  // target go and waits for that name from the next refresh on.
  HWND dialog = OpenDialog(zor, IDM_AUTO_CONNECT, L"Connect To Process");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(GetDlgItem(dialog, IDC_AUTO_NAME)), L"xtop.exe");
  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PRESET_PROENGINEER, BM_GETCHECK, 0, 0), BST_CHECKED);
  PressKey(dialog, VK_RETURN);
  ASSERT_TRUE(WaitClosed(dialog));
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanel(L"xtop.exe", L"-", L"0")))
      << Utf8(zor.Text(IDC_INFO_PANEL));

  // Each opening starts from "xtop.exe" again. "Solid Works." fills in its
  // name with its capitals; a typed name of 70 characters is taken as its
  // first 63.
  dialog = OpenDialog(zor, IDM_AUTO_CONNECT, L"Connect To Process");
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, IDC_AUTO_NAME);
  EXPECT_EQ(ControlText(edit), L"xtop.exe");
  PostMessageW(GetDlgItem(dialog, IDC_PRESET_SOLIDWORKS), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return ControlText(edit) == L"SLDWORKS.exe"; }))
      << Utf8(ControlText(edit));
  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PRESET_SOLIDWORKS, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PRESET_PROENGINEER, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  std::wstring typed;
  for (int i = 0; i < 70; ++i) typed += static_cast<wchar_t>(L'a' + i % 26);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  EXPECT_EQ(ControlText(edit), typed);
  PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitClosed(dialog));
  EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanel(typed.substr(0, 63), L"-", L"0")))
      << Utf8(zor.Text(IDC_INFO_PANEL));

  // The help page whole, the same at every opening; Enter, Esc and OK close it.
  const std::wstring help = HelpSource();
  ASSERT_GT(help.size(), 1000u);
  for (int way = 0; way < 3; ++way) {
    dialog = OpenDialog(zor, IDM_HELP, L"Zorvane Help.");
    ASSERT_NE(dialog, nullptr) << way;
    EXPECT_EQ(ControlText(GetDlgItem(dialog, IDC_HELP_TEXT)), help) << way;
    if (way == 0) PressKey(dialog, VK_RETURN);
    if (way == 1) PressKey(dialog, VK_ESCAPE);
    if (way == 2) PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitClosed(dialog)) << way;
  }

  // About: as wide as its banner, five banner heights and the caption
  // buttons' height high, in the middle of the screen.
  dialog = OpenDialog(zor, IDM_ABOUT, L"About Zorvane");
  ASSERT_NE(dialog, nullptr);
  const RECT about = WindowRectOf(dialog);
  const int width = 292, height = 300 + GetSystemMetrics(SM_CYSIZE);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  EXPECT_TRUE(SameRect(about, RECT{left, top, left + width, top + height})) << Describe(about);
  PressKey(dialog, VK_ESCAPE);
  ASSERT_TRUE(WaitClosed(dialog));

  // The main window went on untouched behind them.
  EXPECT_TRUE(IsWindowVisible(zor.Window()));
  EXPECT_EQ(zor.Text(IDC_INFO_PANEL), InfoPanel(typed.substr(0, 63), L"-", L"0"));
  target.Exit();
  RemoveCopy(exe);
}

// The path a module of that name was loaded from in a process; "" if none.
std::wstring ModulePath(DWORD pid, const wchar_t* moduleName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return L"";
  MODULEENTRY32W module = {};
  module.dwSize = sizeof module;
  std::wstring path;
  for (BOOL more = Module32FirstW(snapshot, &module); more && path.empty();
       more = Module32NextW(snapshot, &module))
    if (!_wcsicmp(module.szModule, moduleName)) path = module.szExePath;
  CloseHandle(snapshot);
  return path;
}

// Windows 2000's PSAPI.DLL has no GetProcessImageFileNameW. With a stand-in
// that exports only what that one has, loaded beside a copy of the program
// instead of the system's, the target is found by its image name, measured
// and listed in the chooser just as with the system's own.
TEST_F(ZorTest, FindsMeasuresAndListsATargetWithWindows2000sPsapiAsWithTheSystems) {
  const std::wstring name = L"ZorE2EPsapi" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring exe = TargetProcess::CopyAs(name);
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"--commit 65536", exe));
  const wchar_t kCopy[] = L"zor2000.exe";
  const std::wstring copy = CopyZorAs(kCopy);
  const std::wstring standIn = copy.substr(0, copy.find_last_of(L'\\') + 1) + L"psapi.dll";
  ASSERT_TRUE(CopyFileW((BinDir() + L"psapi2000.dll").c_str(), standIn.c_str(), FALSE));
  SetWineVersionFor(kCopy, L"win10");
  SetWineDllOverrideFor(kCopy, L"psapi", L"native");

  for (const std::wstring& zorExe : {copy, ZorExe()}) {
    SCOPED_TRACE(Utf8(zorExe));
    ZorRun zor;
    ASSERT_TRUE(zor.Start(name, zorExe));
    EXPECT_EQ(_wcsicmp(ModulePath(zor.Pid(), L"psapi.dll").c_str(), standIn.c_str()) == 0,
              zorExe == copy);
    EXPECT_TRUE(zor.WaitForText(IDC_INFO_PANEL, InfoPanelFor(name, target)))
        << Utf8(zor.Text(IDC_INFO_PANEL));
    HWND dialog = OpenDialog(zor, IDM_CONNECT, L"Choose a process to view.");
    ASSERT_NE(dialog, nullptr);
    {
      ChooserList list(zor, dialog);
      std::vector<Row> rows = list.Rows();
      int at = list.Find(target.Pid());
      ASSERT_GE(at, 0);
      EXPECT_EQ(rows[at].name, name);
      EXPECT_EQ(rows[at].mb, std::to_wstring(QueryProcessVirtualSize(target.Pid()) >> 10));
    }
    PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(WaitClosed(dialog));
    DWORD code = 99;
    ASSERT_TRUE(zor.Close(&code));
  }
  DeleteFileW(standIn.c_str());
  RemoveCopy(copy);
  target.Exit();
  RemoveCopy(exe);
}

}  // namespace
