// The process chooser: a report-mode list of the visible processes whose
// cells point into the rows, sorted by the column comparators.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "common/module_win32.h"
#include "common/string_table.h"
#include "dialogs/dialogs_win32.h"
#include "monitor/proclist.h"
#include "res/resource.h"

namespace {

HWND g_openChooser = nullptr;
ProcessChoice g_choose = ChooseProcessRow;

const ProcessRow* RowOf(LPARAM p) { return reinterpret_cast<const ProcessRow*>(p); }

int CALLBACK SortByName(LPARAM a, LPARAM b, LPARAM) {
  return CompareRowsByName(RowOf(a), RowOf(b));
}
int CALLBACK SortByPid(LPARAM a, LPARAM b, LPARAM) { return CompareRowsByPid(RowOf(a), RowOf(b)); }
int CALLBACK SortBySize(LPARAM a, LPARAM b, LPARAM) {
  return CompareRowsBySize(RowOf(a), RowOf(b));
}

const PFNLVCOMPARE kSorters[kColumnCount] = {SortByName, SortByPid, SortBySize};

void AddColumns(HWND list) {
  // Widths from the list's own default font, so the titles just fit.
  int average = 0;
  if (HDC dc = GetDC(list)) {
    TEXTMETRICW tm;
    if (GetTextMetricsW(dc, &tm)) average = tm.tmAveCharWidth;
    ReleaseDC(list, dc);
  }
  for (int i = 0; i < kColumnCount; ++i) {
    ZChar title[kTextUnits];
    title[0] = 0;
    Strings().Load(IDS_COL_NAME + i, title, kTextUnits);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_RIGHT;  // the list keeps its first column left-aligned
    column.cx = static_cast<int>(ZLen(title)) * average;
    column.pszText = title;
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

void AnswerDisplayInfo(NMLVDISPINFOW* info) {
  ProcessRow* row = reinterpret_cast<ProcessRow*>(info->item.lParam);
  if (!row) return;
  // The rows outlive the dialog, so the list may keep these pointers.
  switch (info->item.iSubItem) {
    case kColumnName:
      info->item.pszText = row->nameText;
      break;
    case kColumnPid:
      info->item.pszText = row->pidText;
      break;
    case kColumnSize:
      info->item.pszText = row->mbText;
      break;
  }
}

void SortByColumn(HWND dialog, int column) {
  if (column < 0 || column >= kColumnCount) return;
  SendMessageW(GetDlgItem(dialog, IDC_PROCESS_LIST), LVM_SORTITEMS, 0,
               reinterpret_cast<LPARAM>(kSorters[column]));
  ToggleSortDirection(column);
}

}  // namespace

void FillProcessChooser(HWND dialog) {
  ResetSortDirections();
  HWND list = GetDlgItem(dialog, IDC_PROCESS_LIST);
  if (list) AddColumns(list);

  ZChar* text = BuildProcessListText();
  int count = FillProcessRows(text ? text : ZT(""));
  ZFree(text);

  for (int i = 0; list && i < count; ++i) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = i;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.lParam = reinterpret_cast<LPARAM>(g_processRows[i]);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void ChooseSelectedProcess(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_PROCESS_LIST);
  if (!list) return;
  int mark = static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
  if (mark == -1) return;
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = mark;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) || !item.lParam) return;
  g_choose(*RowOf(item.lParam));
}

INT_PTR CALLBACK ProcessChooser(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FillProcessChooser(dialog);
      // From here the list points into the rows: they stay until it is gone.
      SetProcessRowsInUse(true);
      g_openChooser = dialog;
      return TRUE;
    case WM_DESTROY:
      SetProcessRowsInUse(false);
      if (g_openChooser == dialog) g_openChooser = nullptr;
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_CHOOSER_OK:
          ChooseSelectedProcess(dialog);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
        case IDC_CHOOSER_CANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
      switch (header->code) {
        case LVN_GETDISPINFOW:
          AnswerDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam));
          return TRUE;
        case LVN_ITEMACTIVATE:
          ChooseSelectedProcess(dialog);
          EndDialog(dialog, 1);
          return TRUE;
        case LVN_COLUMNCLICK:
          SortByColumn(dialog, reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

INT_PTR RunProcessChooser(HWND owner, ProcessChoice choose) {
  // A second chooser (from the tray menu while one is open) would take the
  // rows from under the first one's list.
  if (g_openChooser) {
    SetForegroundWindow(g_openChooser);
    return 0;
  }
  g_choose = choose;
  INT_PTR result = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_CHOOSER), owner,
                                   ProcessChooser, 0);
  return result == 1 ? 1 : 0;
}
