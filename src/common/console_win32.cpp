#include "common/console_win32.h"

#include "common/ztext.h"

void SayLine(HANDLE out, const wchar_t* text) {
  wchar_t line[kConsoleLineUnits + 2];
  ZBuilder(line, sizeof line / sizeof line[0]).Add(text).AddAscii("\r\n");
  DWORD mode, n;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, line, lstrlenW(line), &n, nullptr);
    return;
  }
  char utf8[sizeof line / sizeof line[0] * 3];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (bytes > 1) WriteFile(out, utf8, bytes - 1, &n, nullptr);
}
