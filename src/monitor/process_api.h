// The process and memory queries the monitor needs from the platform.
// The real implementation is process_api_win32.cpp; tests install substitutes.
#pragma once
#include <stdint.h>

#include "common/ztext.h"

typedef void* ProcessHandle;

enum : uint32_t {
  kProcessQueryInformation = 0x0400,
  kProcessVmRead = 0x0010,
  kStillActive = 259,
  kMemCommit = 0x1000,
  kMemReserve = 0x2000,
  kMemFree = 0x10000,
  kRegionInfoBytes = 28,  // MEMORY_BASIC_INFORMATION in the 32-bit layout
  kImagePathUnits = 520,
};

struct RegionInfo {
  uint64_t base;
  uint64_t size;
  uint32_t state;
};

// The three fields of SYSTEM_INFO the measurement uses.
struct SystemInfoRecord {
  uint32_t pageSize;
  uint64_t minimumAddress;
  uint64_t maximumAddress;  // last usable byte, inclusive
};

class ProcessApi {
 public:
  virtual ~ProcessApi() {}
  // Null when the process cannot be opened with that access.
  virtual ProcessHandle OpenProcess(uint32_t access, uint32_t pid) = 0;
  virtual bool GetExitCodeProcess(ProcessHandle h, uint32_t* code) = 0;
  // Returns the byte count VirtualQueryEx gives: kRegionInfoBytes on success.
  virtual uint32_t VirtualQueryEx(ProcessHandle h, uint32_t address, RegionInfo* info) = 0;
  virtual void GetSystemInfo(SystemInfoRecord* info) = 0;
  virtual void CloseHandle(ProcessHandle h) = 0;
  virtual bool EnumProcesses(uint32_t* pids, uint32_t bytes, uint32_t* bytesReturned) = 0;
  // Asks for one module handle; only success matters.
  virtual bool EnumProcessModules(ProcessHandle h) = 0;
  // Fills the path (terminated, device form); returns the units written, 0 on failure.
  virtual uint32_t GetProcessImageFileName(ProcessHandle h, ZChar* path, uint32_t units) = 0;
};

// The implementation in use. Tests swap it; the previous one is returned.
ProcessApi& Processes();
ProcessApi* SetProcessApi(ProcessApi* api);
// The platform's own implementation (beside this file in the _win32 source).
ProcessApi* PlatformProcessApi();
