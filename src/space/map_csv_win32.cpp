#include "space/map_csv_win32.h"

#include <stdlib.h>

#include "space/map_csv.h"

bool WriteMapCsv(HANDLE file, const RegionTable& table) {
  // Its own buffer, not a shared one: both companions write with it.
  enum { kBufferBytes = 65536 };
  char* buffer = static_cast<char*>(malloc(kBufferBytes));
  if (!buffer) return false;
  size_t used = 0;
  DWORD written = 0;
  auto flush = [&] {
    bool ok =
        WriteFile(file, buffer, static_cast<DWORD>(used), &written, nullptr) && written == used;
    used = 0;
    return ok;
  };
  used = lstrlenA(kMapCsvHeader);
  CopyMemory(buffer, kMapCsvHeader, used);
  used += FormatCsvCeiling(table.Ceiling(), buffer + used, kBufferBytes - used);
  bool ok = true;
  for (uint32_t i = 0; ok && i < table.Count(); ++i) {
    const MapRegion& r = table.At(i);
    char line[4 * kImagePathUnits];
    size_t n = FormatCsvLine(r, r.state != kMemFree ? table.NameOf(r.allocationBase) : nullptr,
                             line, sizeof line);
    if (used + n > kBufferBytes) ok = flush();
    CopyMemory(buffer + used, line, n);
    used += n;
  }
  ok = ok && flush();
  free(buffer);
  return ok;
}

MapSaveResult ReplaceWithMapCsv(const wchar_t* path, const RegionTable& table) {
  const int length = lstrlenW(path);
  int slash = length;
  while (slash > 0 && path[slash - 1] != '\\' && path[slash - 1] != '/') --slash;
  wchar_t folder[MAX_PATH], part[MAX_PATH];
  // GetTempFileNameW wants the folder and its own 14 units within MAX_PATH.
  if (length >= MAX_PATH || slash + 14 >= MAX_PATH) return kMapSaveTooLong;
  ZCopy(folder, slash ? slash + 1 : 2, slash ? path : L".");
  // A name no other file has, made (empty) by the call itself.
  if (!GetTempFileNameW(folder, L"zor", 0, part))
    return GetLastError() == ERROR_ACCESS_DENIED ? kMapSaveInUse : kMapSaveFailed;
  HANDLE file = CreateFileW(part, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = file != INVALID_HANDLE_VALUE;
  if (written) {
    // On the disk before it replaces the old file: a crash leaves one whole.
    written = WriteMapCsv(file, table) && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
  }
  if (written && MoveFileExW(part, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return kMapSaved;
  const DWORD error = GetLastError();
  DeleteFileW(part);
  return written && (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                     error == ERROR_LOCK_VIOLATION)
             ? kMapSaveInUse
             : kMapSaveFailed;
}
