// The platform facts the system information needs: the version and service
// pack, and the total virtual address space of the tool's own process.
#pragma once
#include <stdint.h>

#include "common/ztext.h"

enum { kServicePackUnits = 128 };  // szCSDVersion of OSVERSIONINFOW

class SystemApi {
 public:
  virtual ~SystemApi() {}
  // A failed query leaves the cleared values: 0.0 and an empty service pack.
  virtual void GetVersion(uint32_t* major, uint32_t* minor, ZChar* servicePack) = 0;
  // ullTotalVirtual of GlobalMemoryStatusEx.
  virtual uint64_t TotalVirtual() = 0;
};

SystemApi& System();
SystemApi* SetSystemApi(SystemApi* api);
// The platform's own implementation (beside this file in the _win32 source).
SystemApi* PlatformSystemApi();
