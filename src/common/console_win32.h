// One line of text to a standard handle: UTF-16 to a console, UTF-8 to a
// file or pipe, with CR LF.
#pragma once
#include <windows.h>

enum { kConsoleLineUnits = 600 };

void SayLine(HANDLE out, const wchar_t* text);
