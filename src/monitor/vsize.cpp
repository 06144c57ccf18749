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
  AddressSpaceStats stats;
  return WalkAddressSpace(pid, &stats);
}

uint32_t WalkAddressSpace(uint32_t pid, AddressSpaceStats* stats) {
  *stats = AddressSpaceStats();
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
    ++stats->regions;
    const bool last = end >= si.maximumAddress;
    uint64_t counted = 0;
    if (!last) {
      if (region.state == kMemCommit || region.state == kMemReserve) counted = region.size;
    } else if (region.state != kMemFree && si.pageSize &&
               region.base + si.pageSize <= si.maximumAddress) {
      // The last region counts page by page from its base while a whole page
      // fits below the last usable byte, so the page ending at it is left out.
      counted = (si.maximumAddress - region.base) / si.pageSize * si.pageSize;
    }
    sum += static_cast<uint32_t>(counted);
    if (region.state == kMemCommit) stats->committed += counted;
    if (region.state == kMemReserve) stats->reserved += counted;
    if (region.state == kMemFree) {
      // Only the part inside the range: from the walk's address to the
      // region's end, or past the last usable byte for the last one.
      uint64_t piece = (last ? si.maximumAddress + 1 : end) - address;
      stats->free += piece;
      if (piece > stats->largestFree) stats->largestFree = piece;
    }
    if (last) break;
    address = end;
  }
  api.CloseHandle(h);
  return sum >> 10;
}
