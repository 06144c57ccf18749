// The program's entry.
#include <windows.h>

#include "app/app_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  if (!StartUp(instance, commandLine)) return 0;
  int code = RunMessageLoop();
  ShutDown();
  return code;
}
