// Opening a saved file in zormap.exe: from the command line, File > Open
// or a file dropped on the window.
#pragma once
#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>
#include <shellapi.h>

#include "map/map_session.h"

// Room for a path and why it is refused.
enum { kOpenErrorUnits = MAX_PATH + 160 };

// Reads the file whole and, once accepted, shows it in the session; false
// with "PATH: line N: why" in error, the session then as it was. Of a log,
// pid's rows alone; with kEveryPid, all of them, unless processes ran side
// by side: then a person picks one in a dialog owned by owner (cancelled:
// false with error empty).
bool OpenSavedFile(const wchar_t* path, uint32_t pid, HWND owner, MapSession* session,
                   wchar_t* error, size_t units);
// The same from the menu or a drop: a refused file is told in a box.
bool OpenSavedFileOrSay(HWND owner, const wchar_t* path, MapSession* session);
// The common dialog's fields for a CSV file at path (MAX_PATH) owned by owner;
// the caller adds its filter and flags.
void CsvFileDialog(HWND owner, wchar_t* path, OPENFILENAMEW* ofn);
// The file a user picks, into path (MAX_PATH); false when none.
bool PickSavedFile(HWND owner, wchar_t* path);
// The first file dropped, into path (MAX_PATH); the drop is released.
bool DroppedFile(HDROP drop, wchar_t* path);
