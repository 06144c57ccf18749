// The four modal dialogs of the main menu, as the main dialog runs them.
#pragma once
#include <windows.h>

#include "dialogs/process_rows.h"  // ReleaseProcessRows

// "Connect To Process.": template 108. 1 when the user confirmed (with or
// without a selection), 0 when cancelled, when the template cannot be shown,
// or when a chooser is already open (that one is brought to the front).
// The caller refreshes on 1, then calls ReleaseProcessRows() either way.
// choose: what a confirmed row becomes (the monitor's target by default).
typedef void (*ProcessChoice)(const ProcessRow& row);
INT_PTR RunProcessChooser(HWND owner, ProcessChoice choose = ChooseProcessRow);

// "Auto Connect.": template 116. Always 0; the next tick acts on the name.
INT_PTR RunAutoConnectDialog(HWND owner);

// "Help.": template 120. Always 0.
INT_PTR RunHelpDialog(HWND owner);

// "About.": template 118. Always 0.
INT_PTR RunAboutDialog(HWND owner);

// The dialog procedures and their steps.
INT_PTR CALLBACK ProcessChooser(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillProcessChooser(HWND dialog);
void ChooseSelectedProcess(HWND dialog);

INT_PTR CALLBACK AutoConnectDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR CALLBACK HelpDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR CALLBACK AboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void LayoutAboutDialog(HWND dialog);
