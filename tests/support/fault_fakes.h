// Substitutes whose fallible platform calls fail one at a time: with failAt
// set to N, the Nth such call (counting from 0) fails as the platform's would
// and every other call behaves as the plain substitute does. Running a
// scenario for N = 0, 1, ... until a run in which no call failed reaches
// every failure point it has.
#pragma once
#include <map>

#include "support/fake_gdi.h"
#include "support/fakes.h"
#include "support/settings_fakes.h"

struct FailNth {
  int failAt = -1;
  int calls = 0;  // fallible calls made
  bool hit = false;
  // Counts a call; true when it is the one to fail.
  bool Next() {
    bool fail = calls++ == failAt;
    hit |= fail;
    return fail;
  }
};

// Open, exit code, region query, process list, module list and image path.
class FailingProcessApi : public FakeProcessApi {
 public:
  FailNth fail;
  static constexpr uint32_t kListFailed = 0xFFFFFFFF;
  uint32_t failedPid = 0;  // whose call failed; kListFailed for the process list

  ProcessHandle OpenProcess(uint32_t access, uint32_t pid) override;
  bool GetExitCodeProcess(ProcessHandle h, uint32_t* code) override;
  uint32_t VirtualQueryEx(ProcessHandle h, uint32_t address, RegionInfo* info) override;
  bool EnumProcesses(uint32_t* pids, uint32_t bytes, uint32_t* bytesReturned) override;
  bool EnumProcessModules(ProcessHandle h, uint64_t* firstModule) override;
  uint32_t GetProcessImageFileName(ProcessHandle h, ZChar* path, uint32_t units) override;

 private:
  bool Fails(uint32_t pid);
  bool Fails(ProcessHandle h) { return Fails(pids_.count(h) ? pids_[h] : 0); }
  std::map<ProcessHandle, uint32_t> pids_;
};

// Pen, window context, memory context and bitmap creation, and the client
// rectangle and text metrics queries.
class FailingGdi : public FakeGdi {
 public:
  FailNth fail;
  GdiObject CreateSolidPen(uint32_t color) override;
  DcHandle GetDC(WindowHandle window) override;
  DcHandle CreateCompatibleDC(DcHandle dc) override;
  GdiObject CreateCompatibleBitmap(DcHandle dc, int32_t width, int32_t height) override;
  bool GetClientRect(WindowHandle window, ZRect* rect) override;
  bool GetTextMetrics(DcHandle dc, int32_t* height, int32_t* externalLeading) override;
};

// String loads: a failed one yields an empty text and 0, as LoadStringW does.
class FailingStringTable : public FakeStringTable {
 public:
  FailNth fail;
  uint32_t failedId = 0;
  int Load(uint32_t id, ZChar* buf, int units) override;
};

// Key open and create, value query and set (closing cannot fail).
void FailNthRegistryCall(FakeRegistryApi& registry, FailNth& fail);
