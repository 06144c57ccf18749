#include "space/saved_file_win32.h"

#include <stdlib.h>

bool ReadSavedFile(const wchar_t* path, LogReader* log, MapReader* map, SavedKind* kind,
                   wchar_t* error, size_t units) {
  enum { kChunk = 65536 };
  *kind = kSavedLog;
  ZBuilder say(error, units);
  say.Add(path).AddAscii(": ");
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    say.AddAscii("cannot be opened");
    return false;
  }
  char* chunk = static_cast<char*>(malloc(kChunk));
  CsvReader* reader = nullptr;
  DWORD got = 0;
  bool readable = chunk != nullptr;
  while (readable && (readable = ReadFile(file, chunk, kChunk, &got, nullptr) != 0) && got) {
    if (!reader) {
      *kind = KindOfSaved(chunk, got);
      reader = *kind == kSavedMap ? static_cast<CsvReader*>(map) : log;
    }
    if (!reader->Feed(chunk, got)) break;
  }
  free(chunk);
  CloseHandle(file);
  if (!readable) {
    say.AddAscii("cannot be read");
    return false;
  }
  if (!reader) reader = log;
  if (reader->Finish()) return true;
  wchar_t why[kCsvWhyChars + 32];
  reader->Describe(why, kCsvWhyChars + 32);
  say.Add(why);
  return false;
}
