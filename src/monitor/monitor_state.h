#pragma once
#include <stdint.h>

#include "common/ztext.h"

// What the tool is watching; one record for the whole run, GUI thread only.
struct MonitorState {
  ZChar targetName[kTextUnits];  // image name watched or awaited; "-" when none
  uint32_t targetPid;            // 0: none
  ZChar pidText[kTextUnits];
  ZChar mbText[kTextUnits];
  uint32_t sizeKb;
  uint32_t sizeMb;
  bool waiting;    // a name is to be looked for whenever no live PID is known
  bool connected;  // the PID refers to a running, measured process
  uint64_t limitMb;
  ZChar* osText;         // owned; computed at the first refresh
  ZChar* maxMemoryText;  // owned; replaced at every refresh showing the info
  int32_t trayLevelIndex;
  int32_t levelCount;
  bool initialised;
};

extern MonitorState g_monitor;

enum { kMonitorTimerId = 1, kMonitorPeriodMs = 1000 };

void UpdateTargetInfo();
void RefreshDisplay();
void TickMonitor(uintptr_t timerId);

// Releases the owned texts (at exit).
void ReleaseMonitorTexts();
