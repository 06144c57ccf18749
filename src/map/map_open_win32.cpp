#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>
#include <stdlib.h>

#include <new>

#include "map/map_instances_win32.h"
#include "map/map_open_win32.h"
#include "map/opened_log.h"
#include "space/saved_file_win32.h"

namespace {

struct Opening {
  History rows;
  LogInstances instances;
};

}  // namespace

bool OpenSavedFile(const wchar_t* path, uint32_t pid, HWND owner, MapSession* session,
                   wchar_t* error, size_t units) {
  // Read apart from what is shown: a refused file leaves nothing half-drawn.
  void* room = malloc(sizeof(Opening));  // too large for a stack
  if (!room) {
    ZBuilder(error, units).Add(path).AddAscii(": not enough memory to open it");
    return false;
  }
  Opening* o = new (room) Opening;
  bool ok = false, again = true;
  while (again) {
    again = false;
    OpenedLog opened(&o->rows, pid, &o->instances);
    LogReader log(&opened);
    MapReader map;
    SavedKind kind = kSavedLog;
    ok = ReadSavedFile(path, &log, &map, &kind, error, units);
    if (ok && kind == kSavedMap && pid != kEveryPid) {
      ZBuilder(error, units).Add(path).AddAscii(": a saved map: --pid is for a log");
      ok = false;
    } else if (ok && kind == kSavedMap) {
      session->ShowSavedMap(path, map);
    } else if (ok && pid == kEveryPid && o->instances.Overlap()) {
      // Processes side by side make no one line: a person picks one, and
      // its rows are read again. Cancelled, nothing changes and nothing is said.
      if (units) error[0] = 0;
      ok = false;
      again = PickLogInstance(owner, o->instances, &pid);
    } else if (ok && !opened.Last().row && pid != kEveryPid) {
      ZBuilder(error, units).Add(path).AddAscii(": no rows of PID ").AddInt(pid);
      ok = false;
    } else if (ok) {
      session->ShowLog(path, o->rows, opened.Last(), opened.TrendMinutes(), log.Skipped(), pid);
    }
  }
  o->~Opening();
  free(room);
  return ok;
}

bool OpenSavedFileOrSay(HWND owner, const wchar_t* path, MapSession* session) {
  wchar_t error[kOpenErrorUnits];
  if (OpenSavedFile(path, kEveryPid, owner, session, error, kOpenErrorUnits)) return true;
  if (error[0]) MessageBoxW(owner, error, L"zormap", MB_ICONEXCLAMATION);
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
