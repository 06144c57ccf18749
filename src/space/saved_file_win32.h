// A saved file opened in zormap: read in one pass, 64 KB at a time, through
// the reader its first line calls for.
#pragma once
#include <windows.h>

#include "space/log_reader.h"
#include "space/map_reader.h"

// False with a one-line message in error when the file cannot be read or
// is refused ("NAME: line N: why"); *kind says which reader took it (the
// log reader refuses a first line that starts neither kind).
bool ReadSavedFile(const wchar_t* path, LogReader* log, MapReader* map, SavedKind* kind,
                   wchar_t* error, size_t units);
