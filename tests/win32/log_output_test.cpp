// zorlog's rows against a real file opened as zorlog opens it (append only):
// a row cut back through a second handle, the next appended after it.
#include <gtest/gtest.h>

#include <string>

#include "log/log_output_win32.h"

namespace {

TEST(LogOutputWin32, CutsARowBackThroughASecondHandleAndAppendsAfterIt) {
  wchar_t temp[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetTempFileNameW(temp, L"zor", 0, path);
  HANDLE out = CreateFileW(path, FILE_APPEND_DATA | FILE_READ_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  Win32RowOutput rows(out, path);
  EXPECT_TRUE(rows.IsFile());
  uint64_t size = 0;
  ASSERT_TRUE(rows.Write("a,b\r\nhalf", 9));
  ASSERT_TRUE(rows.Size(&size));
  EXPECT_EQ(size, 9u);
  ASSERT_TRUE(rows.CutBack(5));
  ASSERT_TRUE(rows.Write("c,d\r\n", 5));
  CloseHandle(out);
  char text[32] = {};
  DWORD n = 0;
  HANDLE in = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ReadFile(in, text, sizeof text - 1, &n, nullptr);
  CloseHandle(in);
  DeleteFileW(path);
  EXPECT_EQ(std::string(text, n), "a,b\r\nc,d\r\n");
}

}  // namespace
