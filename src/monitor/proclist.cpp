#include "monitor/proclist.h"

#include <stdlib.h>
#include <string.h>

#include "monitor/process_api.h"

namespace {

enum { kInitialPids = 1024, kMaxPids = 1 << 20 };

// The system's PID list. Grows and asks again while the answer fills the
// array, so processes beyond the first 1024 are seen too.
class PidList {
 public:
  ~PidList() {
    if (heap_) free(heap_);
  }
  bool Fill() {
    uint32_t* pids = local_;
    uint32_t capacity = kInitialPids;
    for (;;) {
      uint32_t bytes = 0;
      if (!Processes().EnumProcesses(pids, capacity * 4, &bytes)) return false;
      if (bytes > capacity * 4) bytes = capacity * 4;
      if (bytes < capacity * 4 || capacity >= kMaxPids) {
        pids_ = pids;
        count_ = bytes / 4;
        return true;
      }
      uint32_t* bigger = static_cast<uint32_t*>(realloc(heap_, capacity * 2 * sizeof(uint32_t)));
      if (!bigger) {  // keep what we have rather than nothing
        pids_ = pids;
        count_ = capacity;
        return true;
      }
      heap_ = pids = bigger;
      capacity *= 2;
    }
  }
  uint32_t Count() const { return count_; }
  uint32_t operator[](uint32_t i) const { return pids_[i]; }

 private:
  uint32_t local_[kInitialPids];
  uint32_t* heap_ = nullptr;
  uint32_t* pids_ = nullptr;
  uint32_t count_ = 0;
};

// A process that counts as visible, opened for query and VM-read access.
// The caller closes the handle.
struct VisibleProcess {
  ProcessHandle handle = nullptr;
  ZChar path[kImagePathUnits];
  const ZChar* name = nullptr;  // after the last backslash of path

  bool Open(uint32_t pid) {
    if (pid == 0) return false;
    ProcessApi& api = Processes();
    handle = api.OpenProcess(kProcessQueryInformation | kProcessVmRead, pid);
    if (!handle) return false;
    path[0] = 0;
    uint64_t module = 0;
    if (api.EnumProcessModules(handle, &module)) {
      api.GetProcessImageFileName(handle, path, kImagePathUnits);
      path[kImagePathUnits - 1] = 0;
      for (const ZChar* p = path; *p; ++p)
        if (*p == '\\') name = p + 1;
      if (name) return true;
    }
    api.CloseHandle(handle);
    handle = nullptr;
    return false;
  }
};

}  // namespace

uint32_t FindProcessByImageName(const ZChar* name, ProcessHandle* handle) {
  *handle = nullptr;
  PidList pids;
  if (!pids.Fill()) return 0;
  for (uint32_t i = 0; i < pids.Count(); ++i) {
    VisibleProcess p;
    if (!p.Open(pids[i])) continue;
    if (ZEqual(p.name, name)) {
      *handle = p.handle;
      return pids[i];
    }
    Processes().CloseHandle(p.handle);
  }
  return 0;
}

uint32_t FindProcessByImageName(const ZChar* name) {
  ProcessHandle handle;
  const uint32_t pid = FindProcessByImageName(name, &handle);
  if (handle) Processes().CloseHandle(handle);
  return pid;
}

ZChar* FormatProcessRecord(uint32_t pid) {
  VisibleProcess p;
  if (!p.Open(pid)) return nullptr;
  Processes().CloseHandle(p.handle);
  // The record is the image name alone, so a long directory path never drops it.
  size_t units = ZLen(p.name) + 16;
  ZChar* record = ZAlloc(units);
  if (record) {
    ZBuilder(record, units)
        .Add(p.name)
        .Add(ZT("\n"))
        .AddInt(static_cast<int32_t>(pid))
        .Add(ZT("\n"));
  }
  return record;
}

ZChar* BuildProcessListText() {
  PidList pids;
  if (!pids.Fill()) return nullptr;
  size_t capacity = 2048, length = 0;
  ZChar* text = ZAlloc(capacity);
  if (!text) return nullptr;
  for (uint32_t i = 0; i < pids.Count(); ++i) {
    if (pids[i] == 0) continue;
    ZChar* record = FormatProcessRecord(pids[i]);
    if (!record) continue;
    size_t n = ZLen(record);
    if (length + n + 1 > capacity) {
      // Grow rather than drop a process the user may be looking for.
      size_t bigger = capacity * 2;
      while (length + n + 1 > bigger) bigger *= 2;
      ZChar* grown = static_cast<ZChar*>(realloc(text, bigger * sizeof(ZChar)));
      if (!grown) {
        ZFree(record);
        break;
      }
      text = grown;
      capacity = bigger;
    }
    memcpy(text + length, record, (n + 1) * sizeof(ZChar));
    length += n;
    ZFree(record);
  }
  return text;
}
