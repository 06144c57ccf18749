// Save As against the real file system: the temporary file is a name of
// its own, a file open elsewhere or a path too long is told apart.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "space/map_csv.h"
#include "space/map_csv_win32.h"

namespace {

// The file's first bytes, written anew when text is given.
std::string File(const std::wstring& path, const char* text = nullptr) {
  HANDLE f = CreateFileW(path.c_str(), text ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ,
                         nullptr, text ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr);
  char got[256] = "(none)";
  DWORD n = 6;
  if (f != INVALID_HANDLE_VALUE && text) WriteFile(f, text, lstrlenA(text), &n, nullptr);
  if (f != INVALID_HANDLE_VALUE && !text) ReadFile(f, got, sizeof got, &n, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  return std::string(got, n);
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
  const struct {
    std::wstring path;
    bool held;  // open in another program
    MapSaveResult result;
    std::string after;
  } cases[] = {
      {path, false, kMapSaved, saved},  // the user's own X.csv.part left alone
      {path, true, kMapSaveInUse, "old"},
      {std::wstring(temp) + std::wstring(MAX_PATH - 8, L'x'), false, kMapSaveTooLong, "(none)"},
  };
  for (const auto& c : cases) {
    File(path, "old"), File(part, "mine");
    HANDLE held =
        c.held ? CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
               : INVALID_HANDLE_VALUE;
    EXPECT_EQ(ReplaceWithMapCsv(c.path.c_str(), table), c.result) << c.result;
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_EQ(File(c.path), c.after) << c.result;
    EXPECT_EQ(File(part), "mine") << c.result;
  }
  DeleteFileW(path.c_str());
  DeleteFileW(part.c_str());
}

}  // namespace
