// The module whose resources the program loads: its own executable, or for
// the tests the executable's resources loaded as data.
#pragma once
#include <windows.h>

HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);
