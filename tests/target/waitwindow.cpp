// For scripts that show the programs: waits until a window of CLASS (and
// TITLE, unless "-") is visible on DESKTOP and answers, then moves it to
// X Y, or just right of the window of class OTHER. Exit 0 when so, 1 after
// SECONDS.
// Usage: waitwindow DESKTOP SECONDS CLASS TITLE|- [X Y | right-of OTHER]
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 && argc != 7) return 2;
  // The desktop a `wine explorer /desktop=NAME` call made, which may not
  // be there yet.
  const DWORD until = GetTickCount() + 1000 * wcstoul(argv[2], nullptr, 10);
  HDESK desk;
  while (!(desk = OpenDesktopW(argv[1], 0, FALSE, GENERIC_ALL)) || !SetThreadDesktop(desk)) {
    if (desk) CloseDesktop(desk);
    if (static_cast<LONG>(GetTickCount() - until) >= 0) return 1;
    Sleep(100);
  }
  ++argv, --argc;
  const wchar_t* title = lstrcmpW(argv[3], L"-") ? argv[3] : nullptr;
  HWND w = nullptr;
  DWORD_PTR answer;
  // Visible and past its first messages: a WM_NULL round trip.
  while (!(w = FindWindowW(argv[2], title)) || !IsWindowVisible(w) ||
         !SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer)) {
    if (static_cast<LONG>(GetTickCount() - until) >= 0) return 1;
    Sleep(100);
  }
  if (argc == 6) {
    int x = _wtoi(argv[4]), y = _wtoi(argv[5]);
    if (!lstrcmpW(argv[4], L"right-of")) {
      RECT r;
      HWND other = FindWindowW(argv[5], nullptr);
      if (!other || !GetWindowRect(other, &r)) return 1;
      x = r.right + 8, y = r.top;
    }
    SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}
