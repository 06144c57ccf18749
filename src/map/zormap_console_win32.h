// zormap.exe without a window: --save, and what it says on a console.
#pragma once
// zormap.exe --save FILE NAME|PID: one reading of a running target into a
// new FILE. Returns the exit code: 0, 1 (not running, or FILE exists or
// cannot be written), 2 (bad arguments); says why on standard error, or the
// console of whoever started it. Never a window: it may run unattended,
// where a message box would wait for nobody.
int SaveFromCommandLine(int argc, wchar_t** argv);

// "zormap: text" on standard error when there is one, or the console of
// whoever started us (a GUI program gets none of its own); otherwise nothing,
// and false: the exit code alone speaks, unless the caller knows a person
// is there to be told.
bool Report(const wchar_t* text);
