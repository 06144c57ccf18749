#include "monitor/vsize.h"

#include <string.h>

namespace {
bool g_filled = false;
SystemInfoRecord g_info;
}  // namespace

const SystemInfoRecord& CachedSystemInfo() {
  if (!g_filled) {
    memset(&g_info, 0, sizeof g_info);
    Processes().GetSystemInfo(&g_info);
    g_filled = true;
  }
  return g_info;
}

void ResetSystemInfoCache() { g_filled = false; }

uint32_t QueryProcessVirtualSize(uint32_t pid) {
  ProcessApi& api = Processes();
  ProcessHandle h = api.OpenProcess(kProcessQueryInformation, pid);
  if (!h) return 0;
  uint32_t code = 0;
  if (!api.GetExitCodeProcess(h, &code) || code != kStillActive) {
    api.CloseHandle(h);
    return 0;
  }
  const SystemInfoRecord& si = CachedSystemInfo();
  uint32_t sum = 0;
  uint64_t address = si.minimumAddress;
  while (address < si.maximumAddress) {
    RegionInfo region;
    if (api.VirtualQueryEx(h, static_cast<uint32_t>(address), &region) != kRegionInfoBytes) break;
    uint64_t end = region.base + region.size;
    if (end <= address) break;  // a region that does not advance would loop forever
    if (end < si.maximumAddress) {
      if (region.state == kMemCommit || region.state == kMemReserve)
        sum += static_cast<uint32_t>(region.size);
      address = end;
      continue;
    }
    // The last region counts page by page from its base while a whole page
    // fits below the last usable byte, so the page ending at it is left out.
    if (region.state != kMemFree && si.pageSize &&
        region.base + si.pageSize <= si.maximumAddress) {
      uint64_t pages = (si.maximumAddress - region.base) / si.pageSize;
      sum += static_cast<uint32_t>(pages * si.pageSize);
    }
    break;
  }
  api.CloseHandle(h);
  return sum >> 10;
}
