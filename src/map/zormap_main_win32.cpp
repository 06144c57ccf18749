// zormap.exe: a live map of one process's address space beside its figures,
// with a warning before the space it can still use runs out. Its command
// line: a target to follow in the window, or --save for one reading without
// any window.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "map/map_open_win32.h"
#include "map/map_window_win32.h"
#include "map/zormap_console_win32.h"
#include "monitor/follow.h"

namespace {

const wchar_t kUsage[] =
    L"\r\n\r\nStart it as: zormap.exe [NAME|PID]\r\n"
    L"  NAME  an image name such as xtop.exe: waited for, followed, and waited for again\r\n"
    L"  PID   that process only, until it exits\r\n"
    L"With no argument, choose a running process from a list.\r\n"
    L"zormap.exe --save FILE NAME|PID writes one reading to a new FILE as CSV.\r\n"
    L"zormap.exe [--open] FILE shows a zorlog log or a saved map.\r\n"
    L"zormap.exe --open FILE --pid N shows the rows of PID N alone, of a log\r\n"
    L"  where processes ran side by side (without it, you choose one).";

int Refuse(const wchar_t* reason, int code) {
  wchar_t text[kFollowErrorUnits + 600];
  ZBuilder(text, sizeof text / sizeof text[0]).Add(reason).Add(kUsage);
  MessageBoxW(nullptr, text, L"zormap", MB_ICONEXCLAMATION);
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int show) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv && argc > 1 && !lstrcmpW(argv[1], L"--save")) {
    const int code = SaveFromCommandLine(argc, argv);
    LocalFree(argv);
    return code;
  }
  // A file alone: Explorer's Open with, a drop on the icon, a shortcut.
  const bool alone = argv && argc == 2 && IsFileArgument(argv[1]);
  if (alone || (argv && argc > 1 && !lstrcmpW(argv[1], L"--open"))) {
    // Refused without a window, on the console of whoever started it; with
    // none, a person started it (a script has a console): a box tells why.
    wchar_t error[kOpenErrorUnits] = L"usage: zormap.exe --open FILE [--pid N]";
    uint32_t pid = kEveryPid;
    bool usable = alone || argc == 3;
    if (!alone && argc == 5 && !lstrcmpW(argv[3], L"--pid")) {
      ZChar name[kTextUnits], why[kFollowErrorUnits];
      // A number, and none a log can hold taken for every PID.
      usable = ParseTarget(argv[4], name, &pid, why) && pid && pid != kEveryPid;
    }
    const bool opened =
        usable && OpenGiven(argv[alone ? 1 : 2], pid, error, sizeof error / sizeof error[0]);
    LocalFree(argv);
    if (opened) return RunMapWindow(instance, show, true);
    // A person who cancelled the choice of a process has been told enough.
    if (error[0] && !Report(error)) MessageBoxW(nullptr, error, L"zormap", MB_ICONEXCLAMATION);
    return usable ? 1 : 2;
  }
  ZChar name[kTextUnits] = {0}, reason[kFollowErrorUnits] = {0};
  uint32_t pid = 0;
  bool given = argv && argc > 1, ok = true;
  if (argc > 2) {
    ZCopy(reason, kFollowErrorUnits, L"more than one process given");
    ok = false;
  } else if (given && (argv[1][0] == '-' || argv[1][0] == '/')) {
    ZBuilder(reason, kFollowErrorUnits).AddAscii("unknown option ").Add(argv[1]);
    ok = false;
  } else if (given) {
    ok = ParseTarget(argv[1], name, &pid, reason);
  }
  if (argv) LocalFree(argv);
  if (!ok) return Refuse(reason, 2);
  if (given && !FollowGiven(name, pid, reason)) return Refuse(reason, 1);
  return RunMapWindow(instance, show, given);
}
