// The auto-connect dialog: four preset names behind radio buttons, or any
// typed name, to be waited for.
#include <windows.h>

#include "common/module_win32.h"
#include "dialogs/auto_connect.h"
#include "dialogs/dialogs_win32.h"
#include "res/resource.h"

namespace {

// Checks one preset's button, clears the others and puts its name in the edit.
// Controls are looked up each time so nothing outlives this dialog's windows.
void ChoosePreset(HWND dialog, int buttonId) {
  for (const PresetEntry& e : g_presets)
    SendDlgItemMessageW(dialog, e.buttonId, BM_SETCHECK,
                        e.buttonId == buttonId ? BST_CHECKED : BST_UNCHECKED, 0);
  const ZChar* name = PresetNameForButton(buttonId);
  SetDlgItemTextW(dialog, IDC_AUTO_NAME, name ? name : ZT(""));
}

}  // namespace

INT_PTR CALLBACK AutoConnectDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      LoadPresetNames();
      ChoosePreset(dialog, IDC_PRESET_PROENGINEER);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (PresetNameForButton(id)) {
        ChoosePreset(dialog, id);
        return TRUE;
      }
      if (id == IDOK) {
        ZChar text[kTextUnits];
        text[0] = 0;
        if (HWND edit = GetDlgItem(dialog, IDC_AUTO_NAME)) GetWindowTextW(edit, text, kTextUnits);
        text[kTextUnits - 1] = 0;
        ApplyAutoConnectName(text);
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

INT_PTR RunAutoConnectDialog(HWND owner) {
  DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_AUTOCONNECT), owner,
                  AutoConnectDialog, 0);
  return 0;
}
