// zorlog's rows against a real file opened as zorlog opens it (append only):
// a row cut back through a second handle, the next appended after it.
#include <gtest/gtest.h>

#include <string>

#include "log/log_output_win32.h"

TEST(LogOutputWin32, CutsARowBackThroughASecondHandleAndAppendsAfterIt) {
  wchar_t temp[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetTempFileNameW(temp, L"zor", 0, path);
  HANDLE out = CreateFileW(path, FILE_APPEND_DATA | FILE_READ_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  Win32RowOutput rows(out, path);
  uint64_t size = 0;
  EXPECT_TRUE(rows.IsFile() && rows.Write("a,b\r\nhalf", 9) && rows.Size(&size) && size == 9);
  EXPECT_TRUE(rows.CutBack(5) && rows.Write("c,d\r\n", 5));
  char text[32];
  DWORD n = 0;
  SetFilePointer(out, 0, nullptr, FILE_BEGIN);
  ReadFile(out, text, sizeof text, &n, nullptr);
  CloseHandle(out);
  DeleteFileW(path);
  EXPECT_EQ(std::string(text, n), "a,b\r\nc,d\r\n");
}
