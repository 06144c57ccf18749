// Start-up's process-wide values and helpers shared with the main dialog.
#pragma once
#include <windows.h>

extern HINSTANCE g_instance;
extern wchar_t g_shortName[32];

// Shows the system's text for the thread's last error.
void ReportLastError();

// Sets the status line (control 1031) to a string of the table.
void SetStatusLine(HWND dialog, UINT stringId);

// Start-up up to the message loop, with the module whose resources it uses.
// False when the program is to end (refused system, failed start-up: the
// message has been shown).
bool StartUp(HINSTANCE instance, const wchar_t* commandLine);
// Until the quit message; its wParam is the exit code.
int RunMessageLoop();
// Releases what start-up and the run kept.
void ShutDown();

INT_PTR CALLBACK MainDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
