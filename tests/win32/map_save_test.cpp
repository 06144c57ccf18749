// Save As against the real file system: the temporary file is a name of
// its own, a file open elsewhere or a path too long is told apart.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "map/map_save_win32.h"

namespace {

std::string Content(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "(none)";
  char text[256] = {0};
  DWORD n = 0;
  ReadFile(f, text, sizeof text - 1, &n, nullptr);
  CloseHandle(f);
  return std::string(text, n);
}

void Put(const std::wstring& path, const char* text) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(f, text, lstrlenA(text), &n, nullptr);
  CloseHandle(f);
}

TEST(MapSaveWin32, ReplacesOnlyTheChosenFileAndSaysWhyItCannot) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"zor-save-test.csv", part = path + L".part";
  RegionTable table;
  table.Begin(0);
  table.Region(RegionInfo{0x10000, 0x10000, kMemFree});
  table.Keep();
  const std::string saved =
      std::string(kMapCsvHeader) + "0x00010000,65536,free,,0x0,0x00000000,\"\",\r\n";
  struct Case {
    const char* what;
    std::wstring path;
    bool holdOpen;
    MapSaveResult result;
    std::string after;
  } cases[] = {
      {"replaced, the user's .part left alone", path, false, kMapSaved, saved},
      {"open in another program", path, true, kMapSaveInUse, "old"},
      {"a path near MAX_PATH", std::wstring(temp) + std::wstring(MAX_PATH - 8, L'x'), false,
       kMapSaveTooLong, "(none)"},
  };
  for (const Case& c : cases) {
    Put(path, "old");
    Put(part, "mine");
    HANDLE held =
        c.holdOpen ? CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                   : INVALID_HANDLE_VALUE;
    EXPECT_EQ(ReplaceWithMapCsv(c.path.c_str(), table), c.result) << c.what;
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_EQ(Content(c.path == path ? path : c.path), c.after) << c.what;
    EXPECT_EQ(Content(part), "mine") << c.what;
  }
  DeleteFileW(path.c_str());
  DeleteFileW(part.c_str());
}

}  // namespace
