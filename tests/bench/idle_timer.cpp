// The least a program can be that wakes once a second, as ZOR.exe does: a
// hidden window with a one-second timer and a message loop. Its CPU time is
// the floor ZOR.exe's is measured against. WM_CLOSE ends it.
#include <windows.h>

namespace {

LRESULT CALLBACK IdleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      return 0;
    case WM_DESTROY:
      KillTimer(window, 1);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = IdleProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"ZorBenchIdle";
  if (!RegisterClassW(&wc)) return 1;
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"ZOR bench idle timer", WS_OVERLAPPED, 0, 0,
                                100, 100, nullptr, nullptr, instance, nullptr);
  if (!window || !SetTimer(window, 1, 1000, nullptr)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
