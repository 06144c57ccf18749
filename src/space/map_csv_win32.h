// A reading written as a map CSV: zormap's Save and --save, zorlog's maps.
#pragma once
#include <windows.h>

#include "space/regions.h"

// The header and every region, in one pass of buffered writes.
bool WriteMapCsv(HANDLE file, const RegionTable& table);

// Written beside path first, and put in its place only once whole: a write
// that fails leaves the old file as it was.
bool ReplaceWithMapCsv(const wchar_t* path, const RegionTable& table);
