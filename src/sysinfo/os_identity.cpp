#include "sysinfo/os_identity.h"

#include "common/string_table.h"
#include "res/resource.h"
#include "sysinfo/system_api.h"

namespace {

const ZChar* const kVersions[] = {ZT("5.0"), ZT("5.1"), ZT("5.2"), ZT("6.0"), ZT("6.1")};

// Thresholds compare whole megabytes: the low 20 bits of the byte count are ignored.
bool AtLeastMegabytes(uint64_t bytes, uint64_t megabytes) { return (bytes >> 20) >= megabytes; }

}  // namespace

ZChar* IdentifyOperatingSystem() {
  uint32_t major = 0, minor = 0;
  ZChar servicePack[kServicePackUnits] = {0};
  System().GetVersion(&major, &minor, servicePack);
  servicePack[kServicePackUnits - 1] = 0;

  ZChar buf[kTextUnits];
  ZBuilder(buf, kTextUnits).AddInt(static_cast<int32_t>(major)).Add(ZT(".")).AddInt(static_cast<int32_t>(minor));
  int row = -1;
  for (int r = 0; r < 5 && row < 0; ++r)
    if (ZEqual(buf, kVersions[r])) row = r;
  if (row < 0) return ZDup(ZT("UNKNOWN OS"));  // never refused

  ZChar name[kTextUnits] = {0};
  Strings().Load(IDS_OS_FIRST + row, name, kTextUnits);
  if (AtLeastMegabytes(System().TotalVirtual(), 3500)) return nullptr;
  ZBuilder(buf, kTextUnits).Add(name).Add(ZT(" ")).Add(servicePack);
  return ZDup(buf);
}

ZChar* FormatAddressLimitText(uint64_t limitMb) {
  if (limitMb == 0) limitMb = System().TotalVirtual() >> 20;
  ZChar text[128];
  ZBuilder(text, 128).Add(ZT("Max addressable memory: ")).AddInt(static_cast<int64_t>(limitMb)).Add(ZT("MB"));
  if (AtLeastMegabytes(System().TotalVirtual(), 2500)) {
    ZChar note[kTextUnits] = {0};
    Strings().Load(IDS_3GB_NOTE, note, kTextUnits);
    ZChar both[kTextUnits];
    ZBuilder(both, kTextUnits).Add(text).Add(ZT("\r\n")).Add(note);
    return ZDup(both);
  }
  return ZDup(text);
}
