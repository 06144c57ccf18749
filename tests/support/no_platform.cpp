// Off Windows there is no platform behind the seams: every test installs the
// substitute it needs, and a seam left empty fails loudly.
#include <stdio.h>
#include <stdlib.h>

#include "app/placement.h"
#include "common/string_table.h"
#include "dialogs/help_text.h"
#include "meter/gdi_api.h"
#include "monitor/process_api.h"
#include "settings/registry_api.h"
#include "sysinfo/system_api.h"
#include "tray/notify_api.h"

namespace {
[[noreturn]] void Missing(const char* seam) {
  fprintf(stderr, "no substitute installed for the %s seam\n", seam);
  abort();
}
}  // namespace

ProcessApi* PlatformProcessApi() { Missing("process"); }
StringTable* PlatformStringTable() { Missing("string table"); }
SystemApi* PlatformSystemApi() { Missing("system"); }
RegistryApi* PlatformRegistryApi() { Missing("registry"); }
HelpResourceApi* PlatformHelpResourceApi() { Missing("help resource"); }
GdiApi* PlatformGdiApi() { Missing("drawing"); }
NotifyApi* PlatformNotifyApi() { Missing("notify"); }
LayoutApi* PlatformLayoutApi() { Missing("layout"); }
