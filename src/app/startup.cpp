#include "app/startup.h"

#include "monitor/monitor_state.h"
#include "monitor/proclist.h"
#include "settings/view_settings.h"

ZChar g_commandLine[kTextUnits];

void ChooseInitialTarget(const ZChar* commandLine) {
  MonitorState& m = g_monitor;
  bool given = false;
  if (ZLen(g_viewSettings.previousProcessName) > 2) {
    ZCopy(m.targetName, kTextUnits, g_viewSettings.previousProcessName);
    given = true;
  }
  // A longer command line is cut to 63 characters, as a typed name is.
  ZCopy(g_commandLine, kTextUnits, commandLine ? commandLine : ZT(""));
  if (ZLen(g_commandLine) > 2) {
    ZCopy(m.targetName, kTextUnits, g_commandLine);
    given = true;
  }
  m.targetPid = 0;
  m.connected = false;
  if (given) {
    m.waiting = true;
    m.targetPid = FindProcessByImageName(m.targetName);
    m.connected = m.targetPid != 0;
  }
}
