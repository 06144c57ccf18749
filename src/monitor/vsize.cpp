#include "monitor/vsize.h"

#include <string.h>

namespace {
bool g_filled = false;
SystemInfoRecord g_info;

int KindOf(uint32_t type) {
  return type == kMemImage ? kKindImage : type == kMemMapped ? kKindMapped : kKindPrivate;
}

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

bool UsablePart(uint64_t start, uint64_t end, uint64_t usableTop, uint32_t granularity,
                uint64_t* usableStart, uint64_t* usableEnd) {
  if (end > usableTop + 1) end = usableTop + 1;
  if (granularity > 1) start = (start + granularity - 1) / granularity * granularity;
  *usableStart = start;
  *usableEnd = end;
  return start < end;
}

uint32_t QueryProcessVirtualSize(uint32_t pid) {
  ProcessApi& api = Processes();
  ProcessHandle h = api.OpenProcess(kProcessQueryInformation, pid);
  if (!h) return 0;
  AddressSpaceStats stats;
  uint32_t kb = WalkProcess(h, 0, &stats);
  api.CloseHandle(h);
  return kb;
}

uint32_t WalkProcess(ProcessHandle h, uint64_t usableTop, AddressSpaceStats* stats,
                     RegionSink* sink) {
  *stats = AddressSpaceStats();
  ProcessApi& api = Processes();
  uint32_t code = 0;
  if (!h || !api.GetExitCodeProcess(h, &code) || code != kStillActive) return 0;
  const SystemInfoRecord& si = CachedSystemInfo();
  if (sink) sink->Begin(usableTop);
  uint32_t sum = 0;
  uint64_t address = si.minimumAddress;
  while (address < si.maximumAddress) {
    RegionInfo region;
    if (api.VirtualQueryEx(h, static_cast<uint32_t>(address), &region) != kRegionInfoBytes) {
      // Past the target's own last byte a query fails as an invalid address
      // (a 2 GB target on a larger system, or a space its system keeps
      // smaller than the flag says, as Wine may): all it can use was walked.
      // Any other failure, or the target gone, cuts the walk short.
      const bool beyond = api.LastError() == kErrorInvalidParameter;
      stats->whole = (usableTop && address > usableTop) ||
                     (beyond && api.GetExitCodeProcess(h, &code) && code == kStillActive);
      return sum >> 10;
    }
    uint64_t end = region.base + region.size;
    if (end <= address) return sum >> 10;  // a region that does not advance would loop forever
    ++stats->regions;
    const bool last = end >= si.maximumAddress;
    // The part inside the walked range: from the walk's address to the
    // region's end, or past the last usable byte for the last one.
    const uint64_t walkedEnd = last ? si.maximumAddress + 1 : end;
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
    if (region.state == kMemCommit) {
      stats->committed += counted;
      stats->committedByKind[KindOf(region.type)] += counted;
    } else if (region.state == kMemReserve) {
      stats->reserved += counted;
      stats->reservedByKind[KindOf(region.type)] += counted;
    } else if (region.state == kMemFree) {
      const uint64_t piece = walkedEnd - address;
      stats->free += piece;
      if (piece > stats->largestFree) stats->largestFree = piece;
      uint64_t from, to;
      if (usableTop &&
          UsablePart(address, walkedEnd, usableTop, si.allocationGranularity, &from, &to)) {
        stats->usableFree += to - from;
        if (to - from > stats->largestUsable) stats->largestUsable = to - from;
        const uint64_t below = (to < 0x80000000ull ? to : 0x80000000ull);
        if (from < below && below - from > stats->largestUsableBelow2G)
          stats->largestUsableBelow2G = below - from;
      }
    }
    if (sink) {
      RegionInfo walked = region;
      walked.base = address;
      walked.size = walkedEnd - address;
      sink->Region(walked);
    }
    if (last) break;
    address = end;
  }
  stats->whole = true;
  return sum >> 10;
}
