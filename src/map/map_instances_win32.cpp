#include "map/map_instances_win32.h"

#include <commctrl.h>

#include "res/resource.h"

namespace {

struct Picking {
  const LogInstances* instances;
  uint32_t pid;
};

void SetCell(HWND list, int row, int column, const wchar_t* text) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text);
  SendMessageW(list, column ? LVM_SETITEMW : LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void Fill(HWND dialog, const LogInstances& instances) {
  HWND list = GetDlgItem(dialog, IDC_MAP_INSTANCES);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  static const wchar_t* const kTitles[] = {L"PID", L"User", L"First row", L"Last row", L"Peak MB"};
  // Shares of the list's width, room left for its scroll bar: times are
  // the widest.
  static const int kShares[] = {5, 15, 18, 18, 9}, kWhole = 65;
  RECT client;
  GetClientRect(list, &client);
  const int width = client.right - GetSystemMetrics(SM_CXVSCROLL);
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = i == 0 || i == 4 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = width * kShares[i] / kWhole;
    column.pszText = const_cast<wchar_t*>(kTitles[i]);
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  for (uint32_t i = 0; i < instances.Count(); ++i) {
    const LogInstance& p = instances.At(i);
    wchar_t text[kHistoryTimeUnits];
    const int row = static_cast<int>(i);
    ZBuilder(text, kHistoryTimeUnits).AddInt(p.pid);
    SetCell(list, row, 0, text);
    SetCell(list, row, 1, p.user);
    FormatHistoryTime(p.first + p.firstLabel, text);
    SetCell(list, row, 2, text);
    FormatHistoryTime(p.last + p.lastLabel, text);
    SetCell(list, row, 3, text);
    ZBuilder(text, kHistoryTimeUnits).AddInt(p.peakMb);
    SetCell(list, row, 4, text);
  }
  if (instances.Unlisted())
    SetDlgItemTextW(dialog, IDC_MAP_INSTANCES_MORE,
                    L"The log holds more processes than are listed here.");
  LVITEMW first = {};
  first.stateMask = first.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
}

// The selected row's PID ends the dialog; with none selected, a beep.
void Pick(HWND dialog, Picking* picking) {
  const int row = static_cast<int>(
      SendDlgItemMessageW(dialog, IDC_MAP_INSTANCES, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  if (!picking || row < 0 || uint32_t(row) >= picking->instances->Count()) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  picking->pid = picking->instances->At(uint32_t(row)).pid;
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK InstancesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Picking* picking = reinterpret_cast<Picking*>(GetWindowLongW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongW(dialog, DWLP_USER, static_cast<LONG>(lParam));
      Fill(dialog, *reinterpret_cast<Picking*>(lParam)->instances);
      return TRUE;
    case WM_NOTIFY:  // a double click on a row picks it, as OK does
      if (reinterpret_cast<NMHDR*>(lParam)->code == NM_DBLCLK) Pick(dialog, picking);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK)
        Pick(dialog, picking);
      else if (LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, 0);
      else
        return FALSE;
      return TRUE;
  }
  return FALSE;
}

}  // namespace

bool PickLogInstance(HWND owner, const LogInstances& instances, uint32_t* pid) {
  Picking picking = {&instances, 0};
  const INT_PTR chosen =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAP_INSTANCES), owner,
                      InstancesProc, reinterpret_cast<LPARAM>(&picking));
  if (chosen != 1) return false;
  *pid = picking.pid;
  return true;
}
