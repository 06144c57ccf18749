#include "support/fakes.h"

#include <algorithm>

#include "res/resource.h"

ZString Z(const char* ascii) {
  ZString s;
  while (*ascii) s.push_back(static_cast<ZChar>(static_cast<unsigned char>(*ascii++)));
  return s;
}

std::string Narrow(const ZString& s) {
  std::string out;
  for (ZChar c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

std::string Narrow(const ZChar* s) { return Narrow(ZString(s ? s : ZT(""))); }

FakeProcessApi::FakeProcessApi() : previous_(SetProcessApi(this)) {}

FakeProcessApi::~FakeProcessApi() {
  for (Handle* h : open_) delete h;
  SetProcessApi(previous_);
}

FakeProcess& FakeProcessApi::Add(uint32_t pid, const ZString& path) {
  FakeProcess p;
  p.pid = pid;
  p.path = path;
  processes.push_back(p);
  pidList.push_back(pid);
  return processes.back();
}

// The newest process of that PID.
FakeProcess* FakeProcessApi::Find(uint32_t pid) {
  for (size_t i = processes.size(); i-- > 0;)
    if (processes[i].pid == pid) return &processes[i];
  return nullptr;
}

FakeProcessApi::Handle* FakeProcessApi::Get(ProcessHandle h) {
  Handle* handle = static_cast<Handle*>(h);
  return open_.count(handle) ? handle : nullptr;
}

FakeProcess* FakeProcessApi::Of(ProcessHandle h) {
  Handle* handle = Get(h);
  return handle ? &processes[handle->process] : nullptr;
}

ProcessHandle FakeProcessApi::OpenProcess(uint32_t access, uint32_t pid) {
  ++openCalls;
  FakeProcess* p = Find(pid);
  lastError = 87;  // ERROR_INVALID_PARAMETER: no such process
  if (!p || pid == 0) return nullptr;
  bool ok = (access & kProcessVmRead) ? p->openable : p->queryOpenable;
  lastError = 5;  // ERROR_ACCESS_DENIED
  if (!ok) return nullptr;
  Handle* h = new Handle{static_cast<size_t>(p - processes.data()), 0, 0};
  open_.insert(h);
  return h;
}

bool FakeProcessApi::GetExitCodeProcess(ProcessHandle h, uint32_t* code) {
  FakeProcess* p = Of(h);
  if (!p || !p->exitCodeReadable) return false;
  *code = p->exitCode;
  return true;
}

uint32_t FakeProcessApi::VirtualQueryEx(ProcessHandle h, uint32_t address, RegionInfo* info) {
  ++regionQueries;
  FakeProcess* p = Of(h);
  if (!p) return 0;
  if (Get(h)->queries++ == p->failQueryAt) {
    if (p->exitsAtFailedQuery) p->exitCode = 0;
    lastError = kErrorAccessDenied;
    return 0;
  }
  for (const RegionInfo& r : p->regions) {
    if (address >= r.base && address < r.base + r.size) {
      *info = r;
      return kRegionInfoBytes;
    }
  }
  lastError = kErrorInvalidParameter;  // past its space
  return 0;
}

void FakeProcessApi::GetSystemInfo(SystemInfoRecord* info) {
  ++systemInfoCalls;
  *info = systemInfo;
}

void FakeProcessApi::CloseHandle(ProcessHandle h) {
  ++closeCalls;
  Handle* handle = Get(h);
  if (!handle) return;
  const uint32_t pid = processes[handle->process].pid;
  open_.erase(handle);
  delete handle;
  if (afterClose) afterClose(pid);
}

bool FakeProcessApi::EnumProcesses(uint32_t* pids, uint32_t bytes, uint32_t* bytesReturned) {
  ++enumCalls;
  enumBufferBytes.push_back(bytes);
  if (enumFails) return false;
  size_t n = std::min<size_t>(pidList.size(), bytes / 4);
  std::copy(pidList.begin(), pidList.begin() + n, pids);
  *bytesReturned = static_cast<uint32_t>(n * 4);
  return true;
}

bool FakeProcessApi::VisitProcessNames(ProcessNameVisitor* visitor) {
  ++enumCalls;
  if (!snapshot) return false;
  for (uint32_t pid : pidList) {
    const FakeProcess* p = Find(pid);
    if (!visitor->Visit(pid, p ? ZFileName(p->path.c_str()) : ZT("[System Process]"))) break;
  }
  return true;
}

bool FakeProcessApi::EnumProcessModules(ProcessHandle h, uint64_t* firstModule) {
  FakeProcess* p = Of(h);
  if (!p || !p->modulesReadable) return false;
  *firstModule = p->imageBase;
  return true;
}

bool FakeProcessApi::ReadProcessMemory(ProcessHandle h, uint64_t address, void* buf,
                                       uint32_t bytes) {
  FakeProcess* p = Of(h);
  if (!p) return false;
  std::map<uint64_t, std::vector<uint8_t>> served = p->memory;
  if (p->headerReadsRefused > 0 && address == p->imageBase) {
    --p->headerReadsRefused;
    return false;
  }
  served[p->imageBase] = p->header;
  for (const auto& block : served) {
    if (address >= block.first && address - block.first + bytes <= block.second.size()) {
      std::copy_n(block.second.begin() + (address - block.first), bytes,
                  static_cast<uint8_t*>(buf));
      return true;
    }
  }
  return false;
}

bool FakeProcessApi::ListThreads(uint32_t pid, uint32_t* tids, ProcessHandle* handles, uint32_t max,
                                 uint32_t* count) {
  ++threadLists;
  FakeProcess* p = Find(pid);
  if (p && !p->threadsListable) return false;
  uint32_t n = 0;
  for (; p && n < p->threads.size(); ++n) {
    if (n >= max) continue;
    tids[n] = p->threads[n].tid;
    handles[n] = nullptr;
    if (!p->listGivesHandles) continue;
    Handle* h = new Handle{static_cast<size_t>(p - processes.data()), 0, tids[n]};
    open_.insert(h);
    handles[n] = h;
  }
  *count = n;
  return true;
}

// By ID: the first process that has a thread of that ID, as a recycled ID
// would name another's.
ProcessHandle FakeProcessApi::OpenThread(uint32_t tid) {
  for (size_t i = 0; i < processes.size(); ++i)
    for (const FakeProcess::Thread& t : processes[i].threads)
      if (t.tid == tid && t.openable && processes[i].exitCode == kStillActive) {
        Handle* h = new Handle{i, 0, tid};
        open_.insert(h);
        return h;
      }
  return nullptr;
}

bool FakeProcessApi::QueryThreadBlock(ProcessHandle thread, uint64_t* address, uint32_t* owner) {
  Handle* h = Get(thread);
  if (!h || !h->tid) return false;
  const FakeProcess& p = processes[h->process];
  for (const FakeProcess::Thread& t : p.threads)
    if (t.tid == h->tid) *address = t.block, *owner = t.owner ? t.owner : p.pid;
  return true;
}

bool FakeProcessApi::QueryProcessBlock(ProcessHandle h, bool wow64, uint64_t* address) {
  FakeProcess* p = Of(h);
  if (!p || !p->processBlock || wow64 != p->wow64) return false;
  *address = p->processBlock;
  return true;
}

bool FakeProcessApi::ProcessSession(uint32_t pid, uint32_t* session) {
  FakeProcess* p = Find(pid);
  return p && p->session >= 0 && (*session = static_cast<uint32_t>(p->session), true);
}

bool FakeProcessApi::ProcessUser(ProcessHandle h, ZChar* user, uint32_t units) {
  FakeProcess* p = Of(h);
  ++ownerLookups;
  return p && !p->user.empty() && (ZCopy(user, units, p->user.c_str()), true);
}

bool FakeProcessApi::IsWow64Process(ProcessHandle h, bool* wow64) {
  FakeProcess* p = h ? Of(h) : nullptr;
  if (h && !p) return false;
  *wow64 = p ? p->wow64 : selfWow64;
  return true;
}

uint32_t FakeProcessApi::GetMappedFileName(ProcessHandle h, uint64_t address, ZChar* name,
                                           uint32_t units) {
  FakeProcess* p = Of(h);
  if (!p || units == 0 || !p->mappedFiles.count(address)) return 0;
  const ZString& file = p->mappedFiles[address];
  size_t n = std::min<size_t>(file.size(), units - 1);
  std::copy(file.begin(), file.begin() + n, name);
  name[n] = 0;
  return static_cast<uint32_t>(n);
}

std::vector<uint8_t> ImageHeader(bool largeAddressAware, uint32_t stackReserve,
                                 uint32_t stackCommit) {
  std::vector<uint8_t> image(0x200, 0);
  image[0] = 'M';
  image[1] = 'Z';
  image[0x3C] = 0x80;  // e_lfanew
  image[0x80] = 'P';
  image[0x81] = 'E';
  image[0x80 + 22] = largeAddressAware ? 0x22 : 0x02;  // Characteristics
  image[0x80 + 24] = 0x0B;                             // PE32 optional header
  image[0x80 + 25] = 0x01;
  for (int i = 0; i < 4; ++i) {
    image[0x80 + 24 + 72 + i] = static_cast<uint8_t>(stackReserve >> 8 * i);
    image[0x80 + 24 + 76 + i] = static_cast<uint8_t>(stackCommit >> 8 * i);
  }
  return image;
}

uint32_t FakeProcessApi::GetProcessImageFileName(ProcessHandle h, ZChar* path, uint32_t units) {
  FakeProcess* p = Of(h);
  if (!p || units == 0) return 0;
  size_t n = std::min<size_t>(p->path.size(), units - 1);
  std::copy(p->path.begin(), p->path.begin() + n, path);
  path[n] = 0;
  return static_cast<uint32_t>(n);
}

FakeSystemApi::FakeSystemApi() : previous_(SetSystemApi(this)) {}
FakeSystemApi::~FakeSystemApi() { SetSystemApi(previous_); }

void FakeSystemApi::GetVersion(uint32_t* ma, uint32_t* mi, ZChar* sp) {
  ++versionCalls;
  *ma = major;
  *mi = minor;
  size_t n = std::min<size_t>(servicePack.size(), kServicePackUnits - 1);
  std::copy(servicePack.begin(), servicePack.begin() + n, sp);
  sp[n] = 0;
}

uint64_t FakeSystemApi::TotalVirtual() {
  ++memoryCalls;
  return totalVirtual;
}

FakeStringTable::FakeStringTable() : previous_(SetStringTable(this)) {
  const struct {
    uint32_t id;
    const char* text;
  } table[] = {
      {IDS_SHORT_NAME, "ZOR"},
      {IDS_CAPTION, "ZOR 1.2"},
      {IDS_START_ERROR, "ERROR!! Unable to start Zorvane."},
      {IDS_OS_FIRST + 0, "WINDOWS 2000"},
      {IDS_OS_FIRST + 1, "WINDOWS XP"},
      {IDS_OS_FIRST + 2, "WINDOWS XP"},
      {IDS_OS_FIRST + 3, "WINDOWS VISTA"},
      {IDS_OS_FIRST + 4, "WINDOWS 7"},
      {IDS_3GB_NOTE, "3GB SWITCH ENABLED"},
  };
  for (const auto& e : table) strings[e.id] = Z(e.text);
}

FakeStringTable::~FakeStringTable() { SetStringTable(previous_); }

int FakeStringTable::Load(uint32_t id, ZChar* buf, int units) {
  if (units <= 0) return 0;
  buf[0] = 0;
  auto it = strings.find(id);
  if (it == strings.end()) return 0;
  size_t n = std::min<size_t>(it->second.size(), static_cast<size_t>(units - 1));
  std::copy(it->second.begin(), it->second.begin() + n, buf);
  buf[n] = 0;
  return static_cast<int>(n);
}

RecordingDisplay::RecordingDisplay() : previous_(SetDisplayPort(this)) {}
RecordingDisplay::~RecordingDisplay() { SetDisplayPort(previous_); }

void RecordingDisplay::SetControlText(int id, const ZChar* text) {
  texts[id] = text;
  textOrder.push_back(id);
}
