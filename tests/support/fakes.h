// Substitutes for the platform seams: they serve what a test sets up and
// count the calls made on them.
#pragma once
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/string_table.h"
#include "monitor/display_port.h"
#include "monitor/process_api.h"
#include "sysinfo/system_api.h"

typedef std::basic_string<ZChar> ZString;

struct FakeProcess {
  uint32_t pid = 0;
  ZString path;  // image path as the platform spells it
  uint32_t exitCode = kStillActive;
  bool exitCodeReadable = true;
  bool openable = true;       // with query and VM-read access (lookup and listing)
  bool queryOpenable = true;  // with query access alone (measurement)
  bool modulesReadable = true;
  int headerReadsRefused = 0;  // the first reads of the image header fail
  std::vector<RegionInfo> regions;
  int failQueryAt = -1;             // this region query (0-based, per handle) fails
  bool exitsAtFailedQuery = false;  // that failure is the process exiting
  bool wow64 = false;
  uint64_t imageBase = 0x400000;
  std::vector<uint8_t> header;              // what reads at imageBase serve
  std::map<uint64_t, ZString> mappedFiles;  // by allocation base
  struct Thread {
    uint32_t tid;
    uint64_t block;  // what the system names as its block
    bool openable;
    uint32_t owner = 0;  // the process its ID now names, 0: this one
  };
  std::vector<Thread> threads;
  bool threadsListable = true;
  bool listGivesHandles = false;  // the list opens the threads, as a process's own does
  uint64_t processBlock = 0;      // 0: the query fails
  std::map<uint64_t, std::vector<uint8_t>> memory;  // more bytes reads serve, by address
  int64_t session = -1;  // below 0, and an empty user: the system cannot say
  ZString user;
};

// The first bytes of an executable's image: DOS header, "PE\0\0" and file
// header, with or without the large-address-aware flag.
std::vector<uint8_t> ImageHeader(bool largeAddressAware, uint32_t stackReserve = 0x100000,
                                 uint32_t stackCommit = 0x1000);

class FakeProcessApi : public ProcessApi {
 public:
  FakeProcessApi();
  ~FakeProcessApi() override;

  FakeProcess& Add(uint32_t pid, const ZString& path);
  FakeProcess* Find(uint32_t pid);

  std::vector<uint32_t> pidList;  // the system's process list, in order
  std::vector<FakeProcess> processes;
  SystemInfoRecord systemInfo = {4096, 0x10000, 0x7FFEFFFF, 0x10000};
  bool enumFails = false;
  bool snapshot = true;  // the process list with names (toolhelp) is there
  uint32_t lastError = 0;
  bool selfWow64 = false;
  // Called after a handle is closed, with its process's PID: a test may end
  // that process here and give the PID to another.
  std::function<void(uint32_t pid)> afterClose;

  int openCalls = 0, closeCalls = 0, regionQueries = 0, systemInfoCalls = 0, enumCalls = 0;
  int threadLists = 0, ownerLookups = 0;
  std::vector<uint32_t> enumBufferBytes;  // the buffer size of each EnumProcesses call
  size_t OpenHandles() const { return open_.size(); }

  ProcessHandle OpenProcess(uint32_t access, uint32_t pid) override;
  bool GetExitCodeProcess(ProcessHandle h, uint32_t* code) override;
  uint32_t VirtualQueryEx(ProcessHandle h, uint32_t address, RegionInfo* info) override;
  void GetSystemInfo(SystemInfoRecord* info) override;
  void CloseHandle(ProcessHandle h) override;
  bool EnumProcesses(uint32_t* pids, uint32_t bytes, uint32_t* bytesReturned) override;
  bool EnumProcessModules(ProcessHandle h, uint64_t* firstModule) override;
  uint32_t GetProcessImageFileName(ProcessHandle h, ZChar* path, uint32_t units) override;
  bool ReadProcessMemory(ProcessHandle h, uint64_t address, void* buf, uint32_t bytes) override;
  bool IsWow64Process(ProcessHandle h, bool* wow64) override;
  uint32_t GetMappedFileName(ProcessHandle h, uint64_t address, ZChar* name,
                             uint32_t units) override;
  bool ListThreads(uint32_t pid, uint32_t* tids, ProcessHandle* handles, uint32_t max,
                   uint32_t* count) override;
  ProcessHandle OpenThread(uint32_t tid) override;
  bool QueryThreadBlock(ProcessHandle thread, uint64_t* address, uint32_t* owner) override;
  bool QueryProcessBlock(ProcessHandle h, bool wow64, uint64_t* address) override;
  bool VisitProcessNames(ProcessNameVisitor* visitor) override;
  uint32_t LastError() override { return lastError; }
  bool ProcessSession(uint32_t pid, uint32_t* session) override;
  bool ProcessUser(ProcessHandle h, ZChar* user, uint32_t units) override;

 private:
  // A handle stays with the process it opened, even when a later one is
  // given the same PID.
  struct Handle {
    size_t process;
    int queries;
    uint32_t tid;  // a thread's handle
  };
  FakeProcess* Of(ProcessHandle h);
  Handle* Get(ProcessHandle h);
  std::set<Handle*> open_;
  ProcessApi* previous_;
};

class FakeSystemApi : public SystemApi {
 public:
  FakeSystemApi();
  ~FakeSystemApi() override;
  uint32_t major = 6, minor = 1;
  ZString servicePack;
  uint64_t totalVirtual = 2047ull << 20;
  int versionCalls = 0, memoryCalls = 0;
  void GetVersion(uint32_t* ma, uint32_t* mi, ZChar* sp) override;
  uint64_t TotalVirtual() override;

 private:
  SystemApi* previous_;
};

// The program's string table as the resource script holds it (the texts the
// logic loads), editable per test.
class FakeStringTable : public StringTable {
 public:
  FakeStringTable();
  ~FakeStringTable() override;
  std::map<uint32_t, ZString> strings;
  int Load(uint32_t id, ZChar* buf, int units) override;

 private:
  StringTable* previous_;
};

class RecordingDisplay : public DisplayPort {
 public:
  RecordingDisplay();
  ~RecordingDisplay() override;
  std::map<int, ZString> texts;
  std::vector<int> textOrder;
  int levelUpdates = 0;
  void SetControlText(int id, const ZChar* text) override;
  void UpdateLevel() override { ++levelUpdates; }

 private:
  DisplayPort* previous_;
};

ZString Z(const char* ascii);
std::string Narrow(const ZString& s);
std::string Narrow(const ZChar* s);
