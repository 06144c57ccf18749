// What zormap.exe keeps in the registry under its own key: the warning's
// thresholds and whether the window shows the history strip.
#pragma once
#include "monitor/warning.h"

// Missing or out-of-range values (MB 1 to 4096, percent 1 to 100) keep the defaults.
WarningThresholds LoadWarningThresholds();
bool SaveWarningThresholds(const WarningThresholds& t);
// Whether the window shows the strip, kept in zormap's key (shown unless
// told otherwise).
bool LoadStripShown();
bool SaveStripShown(bool shown);
