// The least a dialog program can be: a modeless dialog from a template,
// shown, and a message loop. ZOR.exe's start-up time is measured against
// the time this one takes to show its window. WM_CLOSE ends it.
#include <windows.h>

namespace {

INT_PTR CALLBACK MinimalDialog(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  HWND dialog = CreateDialogParamW(instance, L"MINIMAL", nullptr, MinimalDialog, 0);
  if (!dialog) return 1;
  ShowWindow(dialog, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
