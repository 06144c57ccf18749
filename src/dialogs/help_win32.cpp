// The help window: the program's help page in one static control.
#include <windows.h>

#include "common/module_win32.h"
#include "dialogs/dialogs_win32.h"
#include "dialogs/help_text.h"
#include "res/resource.h"

namespace {

class Win32HelpResourceApi : public HelpResourceApi {
 public:
  bool Find(const char** bytes, size_t* size) override {
    HMODULE module = ResourceModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_HELPTEXT), L"TEXT");
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    *bytes = static_cast<const char*>(data);
    *size = SizeofResource(module, found);
    return true;
  }
  const char* Next(const char* p) override { return CharNextA(p); }
};

}  // namespace

HelpResourceApi* PlatformHelpResourceApi() {
  static Win32HelpResourceApi api;
  return &api;
}

INT_PTR CALLBACK HelpDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      // The one 8-bit window text: the page is in the ANSI code page.
      SetWindowTextA(GetDlgItem(dialog, IDC_HELP_TEXT), LoadedHelpText());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR RunHelpDialog(HWND owner) {
  DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_HELP), owner, HelpDialog, 0);
  return 0;
}
