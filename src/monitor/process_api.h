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
  kMemPrivate = 0x20000,
  kMemMapped = 0x40000,
  kMemImage = 0x1000000,
  kRegionInfoBytes = 28,  // MEMORY_BASIC_INFORMATION in the 32-bit layout
  kImagePathUnits = 520,
  kPageGuard = 0x100,
  kUserUnits = 128,  // DOMAIN\user, terminated
  // The system's error codes the logic tells apart (LastError).
  kErrorAccessDenied = 5,
  kErrorInvalidParameter = 87,  // no such process, or an address past its space
};

struct RegionInfo {
  uint64_t base;
  uint64_t size;
  uint32_t state;
  uint32_t type = 0;  // kMemImage, kMemMapped, kMemPrivate; 0 for free space
  uint32_t protect = 0;
  uint64_t allocationBase = 0;
};

// The fields of SYSTEM_INFO the measurement uses.
struct SystemInfoRecord {
  uint32_t pageSize;
  uint64_t minimumAddress;
  uint64_t maximumAddress;  // last usable byte, inclusive
  uint32_t allocationGranularity;
};

// Told each process of a snapshot; false stops the walk.
class ProcessNameVisitor {
 public:
  virtual ~ProcessNameVisitor() {}
  virtual bool Visit(uint32_t pid, const ZChar* imageName) = 0;
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
  // Asks for the first module, the executable: its base address.
  virtual bool EnumProcessModules(ProcessHandle h, uint64_t* firstModule) = 0;
  // Fills the path (terminated); returns the units written, 0 on failure. Device
  // form, or a drive path where the system lacks GetProcessImageFileNameW.
  virtual uint32_t GetProcessImageFileName(ProcessHandle h, ZChar* path, uint32_t units) = 0;
  // Needs VM-read access; false unless all the bytes were read.
  virtual bool ReadProcessMemory(ProcessHandle h, uint64_t address, void* buf, uint32_t bytes) = 0;
  // The file mapped at an address of an image or mapped region (device form),
  // terminated; the units written, 0 on failure. Needs VM-read access.
  virtual uint32_t GetMappedFileName(ProcessHandle h, uint64_t address, ZChar* name,
                                     uint32_t units) = 0;
  // Whether the process runs under WOW64; h null asks about this process.
  // False when it cannot tell. A system without WOW64 answers false.
  virtual bool IsWow64Process(ProcessHandle h, bool* wow64) = 0;
  // The threads of a process: at most max IDs written, how many it has in
  // *count. Where the listing opens them itself (the process's own list),
  // handles[i] holds thread i for querying, for the caller to close;
  // otherwise null (a snapshot of the system's threads). False without a list.
  virtual bool ListThreads(uint32_t pid, uint32_t* tids, ProcessHandle* handles, uint32_t max,
                           uint32_t* count) = 0;
  // A thread opened for querying; null when it cannot be. CloseHandle closes it.
  virtual ProcessHandle OpenThread(uint32_t tid) = 0;
  // The address of the thread's block as the system gives it (a 32-bit
  // program on 64-bit Windows may be given the 64-bit block), and the
  // process it belongs to: an ID may have passed to another's thread.
  virtual bool QueryThreadBlock(ProcessHandle thread, uint64_t* address, uint32_t* owner) = 0;
  // The process block; wow64: the 32-bit block of a process under WOW64.
  // Needs query access.
  virtual bool QueryProcessBlock(ProcessHandle h, bool wow64, uint64_t* address) = 0;
  // Every process with its image name, from one snapshot of the system's
  // list: 64-bit ones and other users' too, none of them opened. False
  // where there is no snapshot.
  virtual bool VisitProcessNames(ProcessNameVisitor* visitor) = 0;
  // The system's error code for the last call that failed on this thread.
  virtual uint32_t LastError() = 0;
  // The Terminal Services session a process runs in; false where the system
  // cannot say.
  virtual bool ProcessSession(uint32_t, uint32_t*) { return false; }
  // "DOMAIN\user" of the process's token, terminated; false when it cannot
  // be read. Needs query access; may wait on a domain controller.
  virtual bool ProcessUser(ProcessHandle, ZChar*, uint32_t) { return false; }
};

// The implementation in use. Tests swap it; the previous one is returned.
ProcessApi& Processes();
ProcessApi* SetProcessApi(ProcessApi* api);
// The platform's own implementation (beside this file in the _win32 source).
ProcessApi* PlatformProcessApi();
