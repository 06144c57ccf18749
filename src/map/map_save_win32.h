// A reading of zormap.exe kept as CSV: from the window's Save, and from the
// command line without a window.
#pragma once
#include <windows.h>

#include "map/regions.h"

// The header and every region, in one pass of buffered writes.
bool WriteMapCsv(HANDLE file, const RegionTable& table);

// "<image>-<pid>-<yyyymmdd-hhmmss>.csv" for the save dialog to propose.
void ProposeCsvName(const wchar_t* image, uint32_t pid, wchar_t* out, size_t units);

// zormap.exe --save FILE NAME|PID: one reading of a running target into a
// new FILE. Returns the exit code: 0, 1 (not running, or FILE exists or
// cannot be written), 2 (bad arguments); says why on standard error, or in a
// message box when there is no console to say it on.
int SaveFromCommandLine(int argc, wchar_t** argv);
