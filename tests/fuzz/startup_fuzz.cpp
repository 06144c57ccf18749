// Start-up's choice of the first target from the stored name and the raw
// command line, whatever units they hold: bounded copies, the command line
// winning when longer than 2, a lookup only when a name was given.
#include <string.h>

#include "app/startup.h"
#include "fuzz_input.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t setup = in.Byte();
  ZString stored = in.Units(in.Byte() % (kTextUnits + 1));
  ZString processName = in.Units(in.Byte() % 80);
  ZString commandLine = in.RestAsUnits();

  memset(&g_monitor, 0, sizeof g_monitor);
  memset(&g_viewSettings, 0, sizeof g_viewSettings);
  ZCopy(g_monitor.targetName, kTextUnits, ZT("-"));
  g_monitor.targetPid = 99;
  g_monitor.connected = true;
  // The stored name as a load leaves it: at most 64 units, terminated.
  ZCopy(g_viewSettings.previousProcessName, kTextUnits + 1, stored.c_str());

  // One running process whose image name the input chooses (often the
  // command line itself), behind one that cannot be opened.
  FakeProcessApi api;
  api.Add(7, Z("\\Device\\HarddiskVolume1\\x\\") + commandLine.substr(0, 70)).openable = false;
  ZString image = (setup & 1) ? commandLine.substr(0, kTextUnits - 1) : processName;
  api.Add(1000, Z("\\Device\\HarddiskVolume1\\x\\") + image);
  if (setup & 2) api.enumFails = true;

  const ZChar* line = (setup & 4) ? nullptr : commandLine.c_str();
  ChooseInitialTarget(line);

  // The line as start-up keeps it, and the target name, bounded.
  ZString liveLine = line ? ZString(line) : ZString();
  ZString kept = liveLine.substr(0, kTextUnits - 1);
  FUZZ_CHECK(ZLenBounded(g_commandLine, kTextUnits) < kTextUnits);
  FUZZ_CHECK(ZString(g_commandLine) == kept);
  FUZZ_CHECK(ZLenBounded(g_monitor.targetName, kTextUnits) < kTextUnits);

  ZString liveStored(g_viewSettings.previousProcessName);
  bool given = kept.size() > 2 || liveStored.size() > 2;
  ZString expected = kept.size() > 2 ? kept
                     : liveStored.size() > 2 ? liveStored.substr(0, kTextUnits - 1)
                                             : ZString(ZT("-"));
  FUZZ_CHECK(ZString(g_monitor.targetName) == expected);
  FUZZ_CHECK(g_monitor.waiting == given);
  FUZZ_CHECK(g_monitor.connected == (g_monitor.targetPid != 0));
  // Only the image name after the last backslash counts.
  ZString path = Z("\\Device\\HarddiskVolume1\\x\\") + image;
  path = path.substr(0, path.find(ZChar(0)));
  ZString imageName = path.substr(path.rfind(ZChar('\\')) + 1);
  bool match = given && !(setup & 2) && imageName == expected;
  FUZZ_CHECK(g_monitor.targetPid == (match ? 1000u : 0u));
  if (!given) FUZZ_CHECK(api.enumCalls == 0);
  FUZZ_CHECK(api.OpenHandles() == 0);
  return 0;
}
