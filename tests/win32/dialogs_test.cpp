// The dialog procedures on real windows: templates built in memory with the
// controls the procedures use (the program's own templates live in ZOR.exe),
// the process list and texts served by substitutes.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <string.h>

#include <string>
#include <vector>

#include "dialogs/dialogs_win32.h"
#include "dialogs/help_text.h"
#include "monitor/monitor_state.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "support/dialog_fakes.h"
#include "support/fakes.h"

namespace {

// A DLGTEMPLATE with its items, DWORD-aligned as the dialog manager wants.
class Template {
 public:
  Template(short cx, short cy) {
    Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    Dword(0);
    count_ = words_.size();
    words_.push_back(0);  // item count
    Words({0, 0, cx, cy});
    Words({0, 0});  // no menu, default class
    Text(L"test");
  }
  Template& Item(const wchar_t* cls, int id, DWORD style, short x, short y, short cx, short cy,
                 const wchar_t* text = L"", DWORD exStyle = 0) {
    if (words_.size() % 2) words_.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(exStyle);
    Words({x, y, cx, cy, static_cast<short>(id)});
    Text(cls);
    Text(text);
    words_.push_back(0);  // no creation data
    ++words_[count_];
    return *this;
  }
  HWND Create(DLGPROC proc) {
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(words_.data()), nullptr,
                                      proc, 0);
  }

 private:
  void Dword(DWORD d) { Words({static_cast<short>(d & 0xFFFF), static_cast<short>(d >> 16)}); }
  void Words(std::initializer_list<short> ws) {
    for (short w : ws) words_.push_back(static_cast<WORD>(w));
  }
  void Text(const wchar_t* s) {
    do words_.push_back(*s);
    while (*s++);
  }
  std::vector<WORD> words_;
  size_t count_;
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::wstring ItemText(HWND list, int item, int subitem) {
  wchar_t buf[64] = {};
  LVITEMW lv = {};
  lv.iSubItem = subitem;
  lv.pszText = buf;
  lv.cchTextMax = 64;
  SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
  return buf;
}

std::wstring Column(HWND list, int subitem) {
  std::wstring out;
  int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) out += ItemText(list, i, subitem) + L" ";
  return out;
}

class DialogsWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    ResetSystemInfoCache();
    memset(&g_monitor, 0, sizeof g_monitor);
  }
  void TearDown() override {
    ReleaseMonitorTexts();
    ResetSystemInfoCache();  // the real system's again for the other tests
  }
  void Run(uint32_t pid, const char* name, uint32_t kb) {
    FakeProcess& p = api.Add(pid, Z("\\Device\\HarddiskVolume1\\bin\\") + Z(name));
    p.regions = {{0x10000, kb * 1024ull, kMemCommit},
                 {0x10000 + kb * 1024ull, 0x7FFE0000, kMemFree}};
  }
  FakeProcessApi api;
  FakeStringTable strings;
};

TEST_F(DialogsWin32, ChooserShowsSortsAndChoosesThroughTheListView) {
  strings.strings[IDS_COL_NAME] = Z("Process name");
  strings.strings[IDS_COL_PID] = Z("Process ID.");
  strings.strings[IDS_COL_SIZE] = Z("Size MB.");
  Run(8, "beta.exe", 2048);
  Run(12, "Alpha.exe", 1024);
  Run(4, "_c.exe", 4096);

  HWND dialog =
      Template(187, 230)
          .Item(WC_LISTVIEWW, IDC_PROCESS_LIST,
                LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER, 7, 7, 173, 195)
          .Create(ProcessChooser);
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, IDC_PROCESS_LIST);
  EXPECT_TRUE(ProcessRowsInUse());

  wchar_t title[64];
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT;
  column.pszText = title;
  column.cchTextMax = 64;
  SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  EXPECT_STREQ(title, L"Process ID.");

  // The cells come from the rows on request, in list-text order.
  EXPECT_EQ(Column(list, 0), L"beta.exe Alpha.exe _c.exe ");
  EXPECT_EQ(Column(list, 1), L"8 12 4 ");
  EXPECT_EQ(Column(list, 2), L"2 1 4 ");

  NMLISTVIEW click = {};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = IDC_PROCESS_LIST;
  click.hdr.code = LVN_COLUMNCLICK;
  auto clickColumn = [&](int subitem) {
    click.iSubItem = subitem;
    SendMessageW(dialog, WM_NOTIFY, IDC_PROCESS_LIST, reinterpret_cast<LPARAM>(&click));
    return Column(list, 0);
  };
  // Each column sorts with its own comparator.
  EXPECT_EQ(clickColumn(0), L"_c.exe Alpha.exe beta.exe ");
  EXPECT_EQ(clickColumn(2), L"_c.exe beta.exe Alpha.exe ");
  EXPECT_EQ(clickColumn(1), L"Alpha.exe beta.exe _c.exe ");

  // Nothing selected: OK leaves the target alone.
  SendMessageW(dialog, WM_COMMAND, IDC_CHOOSER_OK, 0);
  EXPECT_EQ(g_monitor.targetPid, 0u);

  SendMessageW(list, LVM_SETSELECTIONMARK, 0, 1);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(g_monitor.targetPid, 8u);
  EXPECT_STREQ(g_monitor.targetName, L"beta.exe");
  EXPECT_TRUE(g_monitor.connected);
  EXPECT_TRUE(g_monitor.waiting);

  // A second chooser would share the rows: it is refused while one is open.
  EXPECT_EQ(RunProcessChooser(nullptr), 0);
  ReleaseProcessRows();
  EXPECT_NE(g_processRows[0], nullptr);

  DestroyWindow(dialog);
  EXPECT_FALSE(ProcessRowsInUse());
  ReleaseProcessRows();
  EXPECT_EQ(g_processRows[0], nullptr);
}

TEST_F(DialogsWin32, AutoConnectFillsTheEditFromThePresetsAndAwaitsTheText) {
  strings.strings[IDS_PRESET_PROENGINEER] = Z("xtop.exe");
  strings.strings[IDS_PRESET_UNIGRAPHICS] = Z("ugraf.exe");
  strings.strings[IDS_PRESET_SOLIDWORKS] = Z("SLDWORKS.exe");
  strings.strings[IDS_PRESET_SOLIDEDGE] = Z("Edge.exe");
  Template t(119, 118);
  const int buttons[] = {IDC_PRESET_PROENGINEER, IDC_PRESET_UNIGRAPHICS, IDC_PRESET_SOLIDWORKS,
                         IDC_PRESET_SOLIDEDGE};
  for (int i = 0; i < 4; ++i)
    t.Item(L"Button", buttons[i], BS_AUTORADIOBUTTON | (i ? 0 : WS_GROUP), 13,
           static_cast<short>(15 + 15 * i), 60, 10);
  t.Item(L"Edit", IDC_AUTO_NAME, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 80, 105, 14);
  HWND dialog = t.Create(AutoConnectDialog);
  ASSERT_NE(dialog, nullptr);

  wchar_t text[128];
  GetDlgItemTextW(dialog, IDC_AUTO_NAME, text, 128);
  EXPECT_STREQ(text, L"xtop.exe");
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_PRESET_PROENGINEER), BST_CHECKED);

  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PRESET_SOLIDWORKS, BN_CLICKED), 0);
  GetDlgItemTextW(dialog, IDC_AUTO_NAME, text, 128);
  EXPECT_STREQ(text, L"SLDWORKS.exe");
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_PRESET_SOLIDWORKS), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_PRESET_PROENGINEER), BST_UNCHECKED);

  // OK takes the edit's text, cut to 63.
  std::wstring typed(70, L'w');
  SetDlgItemTextW(dialog, IDC_AUTO_NAME, typed.c_str());
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(g_monitor.waiting);
  EXPECT_EQ(std::wstring(g_monitor.targetName), typed.substr(0, 63));
  DestroyWindow(dialog);
}

TEST_F(DialogsWin32, HelpShowsTheTextUpToItsMarker) {
  ReleaseHelpText();
  FakeHelpResource resource;
  resource.bytes = "Zorvane 1.2\r\n\r\n- one\r\n*not shown";
  HWND dialog = Template(332, 423)
                    .Item(L"Static", IDC_HELP_TEXT, SS_LEFT | WS_GROUP, 7, 7, 318, 388)
                    .Create(HelpDialog);
  ASSERT_NE(dialog, nullptr);
  char text[256];
  GetDlgItemTextA(dialog, IDC_HELP_TEXT, text, sizeof text);
  EXPECT_STREQ(text, "Zorvane 1.2\r\n\r\n- one\r\n");
  DestroyWindow(dialog);
  ReleaseHelpText();
}

RECT ChildRect(HWND dialog, int id) {
  RECT r = {};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(DialogsWin32, AboutLaysOutItsBandsFromTheBannerAndPaintsThem) {
  strings.strings[IDS_ABOUT_TEXT] = Z("Copyright\n\nZorvane V1.2");
  HWND dialog =
      Template(133, 242)
          .Item(L"Button", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 41, 221, 50, 14, L"OK")
          .Item(L"Static", IDC_ABOUT_BOX, SS_CENTER | SS_CENTERIMAGE | WS_GROUP, 0, 121, 133, 95)
          .Item(L"Static", IDC_ABOUT_BANNER, SS_LEFT, 0, 24, 133, 48)
          .Item(L"Static", IDC_ABOUT_RAMP_TOP, SS_LEFT | WS_GROUP, 0, 0, 133, 24)
          .Item(L"Static", IDC_ABOUT_RAMP_BOTTOM, SS_LEFT | WS_GROUP, 0, 72, 133, 24)
          .Item(L"Static", IDC_ABOUT_TEXT, SS_CENTER | WS_GROUP, 0, 133, 133, 83, L"",
                WS_EX_TRANSPARENT)
          .Create(AboutDialog);
  ASSERT_NE(dialog, nullptr);
  // Without the bitmap the banner keeps its template size; give it the
  // banner's and lay out again, as a sized bitmap control would have it.
  SetWindowPos(GetDlgItem(dialog, IDC_ABOUT_BANNER), nullptr, 0, 0, 292, 60,
               SWP_NOMOVE | SWP_NOZORDER);
  LayoutAboutDialog(dialog);

  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  EXPECT_EQ(window.right - window.left, 292);
  EXPECT_EQ(window.bottom - window.top, GetSystemMetrics(SM_CYSIZE) + 300);
  EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - 292) / 2);
  int cw = client.right;
  auto spans = [&](int id, int left, int top, int right, int bottom) {
    RECT r = ChildRect(dialog, id);
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
  };
  EXPECT_TRUE(spans(IDC_ABOUT_RAMP_TOP, 0, 0, cw, 30));
  EXPECT_TRUE(spans(IDC_ABOUT_BANNER, 0, 30, cw, 90));
  EXPECT_TRUE(spans(IDC_ABOUT_RAMP_BOTTOM, 0, 90, cw, 120));
  EXPECT_TRUE(spans(IDC_ABOUT_BOX, 0, 120, cw, 240));
  EXPECT_TRUE(spans(IDC_ABOUT_TEXT, 0, 120 + HIWORD(GetDialogBaseUnits()), cw, 240));
  EXPECT_TRUE(spans(IDOK, 15, 255, cw - 15, 285));
  wchar_t text[64];
  GetDlgItemTextW(dialog, IDC_ABOUT_TEXT, text, 64);
  EXPECT_STREQ(text, L"Copyright\n\nZorvane V1.2");

  ShowWindow(dialog, SW_SHOW);
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  HDC dc = GetDC(dialog);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  int mid = cw / 2;
  // Face colour fading to white down to the banner, and back below it.
  EXPECT_EQ(GetPixel(dc, mid, 0), face);
  EXPECT_GE(GetGValue(GetPixel(dc, mid, 29)), 250);
  EXPECT_EQ(GetPixel(dc, mid, 90), RGB(255, 255, 255));
  // The etched line along the box's top, 2 bx in from each side.
  int inset = 2 * LOWORD(GetDialogBaseUnits());
  EXPECT_EQ(GetPixel(dc, inset, 120), RGB(150, 150, 120));
  EXPECT_EQ(GetPixel(dc, inset, 121), RGB(255, 255, 255));
  EXPECT_NE(GetPixel(dc, inset - 1, 120), RGB(150, 150, 120));
  ReleaseDC(dialog, dc);

  SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  DestroyWindow(dialog);
}

}  // namespace
