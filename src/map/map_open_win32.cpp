#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>
#include <stdlib.h>

#include <new>

#include "map/map_open_win32.h"
#include "map/opened_log.h"
#include "space/saved_file_win32.h"

bool OpenSavedFile(const wchar_t* path, MapSession* session, wchar_t* error, size_t units) {
  // Read apart from what is shown: a refused file leaves nothing half-drawn.
  void* room = malloc(sizeof(History));  // too large for a stack
  if (!room) {
    ZBuilder(error, units).Add(path).AddAscii(": not enough memory to open it");
    return false;
  }
  History* rows = new (room) History;
  OpenedLog opened(rows);
  LogReader log(&opened);
  MapReader map;
  SavedKind kind = kSavedLog;
  const bool ok = ReadSavedFile(path, &log, &map, &kind, error, units);
  if (ok && kind == kSavedLog)
    session->ShowLog(path, *rows, log.Last(), opened.TrendMinutes(log.Last()), log.Skipped());
  if (ok && kind == kSavedMap) session->ShowSavedMap(path, map);
  free(room);  // a History holds nothing else
  return ok;
}

bool OpenSavedFileOrSay(HWND owner, const wchar_t* path, MapSession* session) {
  wchar_t error[kOpenErrorUnits];
  if (OpenSavedFile(path, session, error, kOpenErrorUnits)) return true;
  MessageBoxW(owner, error, L"zormap", MB_ICONEXCLAMATION);
  return false;
}

void CsvFileDialog(HWND owner, wchar_t* path, OPENFILENAMEW* ofn) {
  ZeroMemory(ofn, sizeof *ofn);
  ofn->lStructSize = sizeof *ofn;
  ofn->hwndOwner = owner;
  ofn->lpstrFile = path;
  ofn->nMaxFile = MAX_PATH;
  ofn->lpstrDefExt = L"csv";
}

bool PickSavedFile(HWND owner, wchar_t* path) {
  path[0] = 0;
  OPENFILENAMEW ofn;
  CsvFileDialog(owner, path, &ofn);
  ofn.lpstrFilter = L"zorlog logs and saved maps (*.csv)\0*.csv\0All files\0*.*\0";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return GetOpenFileNameW(&ofn) != 0;
}

bool DroppedFile(HDROP drop, wchar_t* path) {
  path[0] = 0;
  const bool got = DragQueryFileW(drop, 0, path, MAX_PATH) > 0;
  DragFinish(drop);
  return got;
}
