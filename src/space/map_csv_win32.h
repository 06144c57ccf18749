// A reading written as a map CSV: zormap's Save and --save, zorlog's maps.
#pragma once
#include <windows.h>

#include "space/regions.h"

// The header and every region, in one pass of buffered writes.
bool WriteMapCsv(HANDLE file, const RegionTable& table);

enum MapSaveResult { kMapSaved, kMapSaveInUse, kMapSaveTooLong, kMapSaveFailed };
// Written under a new name of its own in path's folder first, flushed, and
// put in its place only once whole: a write that fails leaves the old file
// as it was, and no file of the user's is ever taken for the temporary one.
// kMapSaveInUse: path is open in another program or cannot be written.
MapSaveResult ReplaceWithMapCsv(const wchar_t* path, const RegionTable& table);
