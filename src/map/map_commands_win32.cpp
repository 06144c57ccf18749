// File > Save map as and Options > Warning thresholds.
#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>

#include "map/map_open_win32.h"
#include "map/map_settings.h"
#include "map/map_window_win32.h"
#include "res/resource.h"
#include "space/map_csv_win32.h"

namespace {

INT_PTR CALLBACK ThresholdsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  MapSession* session = reinterpret_cast<MapSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      session = reinterpret_cast<MapSession*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetDlgItemInt(dialog, IDC_MAP_WARN_MB, session->Thresholds().belowMb, FALSE);
      SetDlgItemInt(dialog, IDC_MAP_WARN_PERCENT, session->Thresholds().atPercent, FALSE);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        BOOL mbOk = FALSE, percentOk = FALSE;
        WarningThresholds t;
        t.belowMb = GetDlgItemInt(dialog, IDC_MAP_WARN_MB, &mbOk, FALSE);
        t.atPercent = GetDlgItemInt(dialog, IDC_MAP_WARN_PERCENT, &percentOk, FALSE);
        if (!mbOk || !percentOk || t.belowMb < 1 || t.belowMb > 4096 || t.atPercent < 1 ||
            t.atPercent > 100) {
          MessageBoxW(dialog, L"Give a size from 1 to 4096 MB and a share from 1 to 100 %.",
                      L"zormap", MB_ICONEXCLAMATION);
          return TRUE;
        }
        session->SetThresholds(t);
        SaveWarningThresholds(t);
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void EditThresholds(HWND owner, MapSession* session) {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAP_WARNING), owner,
                  ThresholdsDialog, reinterpret_cast<LPARAM>(session));
}

void SaveMapAs(HWND owner, const MapSession& session) {
  // The reading of this moment: steps go on while the dialog is open, and
  // may bring a restarted process's.
  MapSnapshot snapshot;
  if (!session.Snapshot(&snapshot)) {
    MessageBeep(MB_ICONEXCLAMATION);  // nothing read yet
    return;
  }
  wchar_t path[MAX_PATH];
  ProposeCsvName(snapshot, path, MAX_PATH);
  OPENFILENAMEW ofn;
  CsvFileDialog(owner, path, &ofn);
  ofn.lpstrFilter = L"CSV files (*.csv)\0*.csv\0All files\0*.*\0";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&ofn)) return;
  const wchar_t* says = nullptr;
  switch (ReplaceWithMapCsv(path, snapshot.regions)) {
    case kMapSaved:
      return;
    case kMapSaveInUse:
      says =
          L"The file is in use by another program, or cannot be written: close it there, or "
          L"choose another name.";
      break;
    case kMapSaveTooLong:
      says = L"The path is too long: choose a shorter folder or name.";
      break;
    default:
      says = L"The map could not be saved there.";
  }
  MessageBoxW(owner, says, L"zormap", MB_ICONEXCLAMATION);
}
