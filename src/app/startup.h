// Start-up's choice of the first target, apart from the window code so that
// it builds and runs everywhere.
#pragma once
#include "common/ztext.h"

// The raw command line as start-up keeps it (at most 63 units, terminated).
extern ZChar g_commandLine[kTextUnits];

// Takes the stored previous name, then the command line (which wins), each
// only when longer than 2 characters; clears the PID and the connected flag;
// when a name was given, waits for it and looks it up once.
void ChooseInitialTarget(const ZChar* commandLine);
