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

bool ReplaceWithMapCsv(const wchar_t* path, const RegionTable& table) {
  wchar_t part[MAX_PATH + 8];
  ZBuilder name(part, MAX_PATH + 8);
  name.Add(path).AddAscii(".part");
  if (name.Truncated()) return false;
  HANDLE file =
      CreateFileW(part, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteMapCsv(file, table);
  const bool closed = CloseHandle(file) != 0;
  if (written && closed && MoveFileExW(part, path, MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(part);
  return false;
}
