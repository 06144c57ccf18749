#include "monitor/ceiling.h"

#include "monitor/process_api.h"
#include "monitor/vsize.h"
#include "sysinfo/system_api.h"

namespace {

void SetReason(TargetCeiling* c, const char* text, uint32_t userVaMb = 0) {
  ZBuilder b(c->reason, kCeilingReasonUnits);
  b.AddAscii(text);
  if (userVaMb) b.AddInt(userVaMb).AddAscii(" MB");
}

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Read32(const uint8_t* p) { return Read16(p) | static_cast<uint32_t>(Read16(p + 2)) << 16; }

// IMAGE_FILE_LARGE_ADDRESS_AWARE and the stack sizes of a PE32 executable
// mapped at base, from the process's own memory: a patcher may have
// changed the file since.
bool ReadLargeAddressAware(ProcessHandle h, uint64_t base, CeilingFacts* f) {
  ProcessApi& api = Processes();
  uint8_t dos[64];
  if (!api.ReadProcessMemory(h, base, dos, sizeof dos) || Read16(dos) != 0x5A4D) return false;
  uint32_t ntOffset = Read32(dos + 0x3C);
  if (ntOffset < sizeof dos || ntOffset > 0x1000) return false;  // the headers' first page
  uint8_t nt[24 + 80];  // "PE\0\0", IMAGE_FILE_HEADER, the optional header to SizeOfStackCommit
  if (!api.ReadProcessMemory(h, base + ntOffset, nt, sizeof nt) || Read32(nt) != 0x4550)
    return false;
  f->largeAddressAware = (Read16(nt + 22) & 0x0020) != 0;
  const bool pe32 = Read16(nt + 24) == 0x10B;
  f->stackReserve = pe32 ? Read32(nt + 24 + 72) : 0;
  f->stackCommit = pe32 ? Read32(nt + 24 + 76) : 0;
  return true;
}

}  // namespace

TargetCeiling DecideCeiling(const CeilingFacts& f) {
  TargetCeiling c;
  if (f.targetIs64Bit) {
    c.is64Bit = true;
    SetReason(&c, "64-bit process");
    return c;
  }
  if (!f.headerRead) {
    SetReason(&c, "unknown (image header unreadable)");
    return c;
  }
  c.known = true;
  c.stackReserve = f.stackReserve;
  // A commit at or above the reservation leaves no room to grow: Windows
  // then reserves the commit rounded up to a whole MB.
  if (f.stackReserve && f.stackCommit >= f.stackReserve)
    c.stackReserve = (f.stackCommit + 0xFFFFF) & ~uint64_t{0xFFFFF};
  if (!f.largeAddressAware) {
    c.flaggedMb = f.ownMb;
    c.mb = f.ownMb < 2047 ? f.ownMb : 2047;
    c.lastByte = f.ownLastByte < 0x7FFEFFFF ? f.ownLastByte : 0x7FFEFFFF;
    SetReason(&c, "not large-address-aware");
    return c;
  }
  c.mb = f.ownMb;
  c.lastByte = f.ownLastByte;
  if (f.ownMb >= 4095)
    SetReason(&c, "large-address-aware, 4 GB (64-bit system)");
  else if (f.ownMb == 3071)
    SetReason(&c, "large-address-aware, 3 GB switch");
  else if (f.ownMb == 2047)
    SetReason(&c, "large-address-aware, no 3 GB switch");
  else
    SetReason(&c, "large-address-aware, user-VA ", f.ownMb);
  return c;
}

TargetCeiling QueryTargetCeiling(ProcessHandle h) {
  ProcessApi& api = Processes();
  CeilingFacts f;
  f.ownMb = static_cast<uint32_t>(System().TotalVirtual() >> 20);
  f.ownLastByte = CachedSystemInfo().maximumAddress;
  if (h) {
    bool selfWow64 = false, targetWow64 = false;
    // Under WOW64 a process that is not is a 64-bit one.
    if (api.IsWow64Process(nullptr, &selfWow64) && api.IsWow64Process(h, &targetWow64))
      f.targetIs64Bit = selfWow64 && !targetWow64;
    uint64_t base = 0;
    f.headerRead =
        !f.targetIs64Bit && api.EnumProcessModules(h, &base) && ReadLargeAddressAware(h, base, &f);
  }
  return DecideCeiling(f);
}

TargetCeiling QueryTargetCeiling(uint32_t pid) {
  ProcessApi& api = Processes();
  ProcessHandle h = api.OpenProcess(kProcessQueryInformation | kProcessVmRead, pid);
  TargetCeiling c = QueryTargetCeiling(h);
  if (h) api.CloseHandle(h);
  return c;
}
