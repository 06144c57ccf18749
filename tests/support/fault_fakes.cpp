#include "support/fault_fakes.h"

bool FailingProcessApi::Fails(uint32_t pid) {
  if (!fail.Next()) return false;
  failedPid = pid;
  return true;
}

ProcessHandle FailingProcessApi::OpenProcess(uint32_t access, uint32_t pid) {
  if (Fails(pid)) return nullptr;
  ProcessHandle h = FakeProcessApi::OpenProcess(access, pid);
  if (h) pids_[h] = pid;
  return h;
}

bool FailingProcessApi::GetExitCodeProcess(ProcessHandle h, uint32_t* code) {
  return !Fails(h) && FakeProcessApi::GetExitCodeProcess(h, code);
}

uint32_t FailingProcessApi::VirtualQueryEx(ProcessHandle h, uint32_t address, RegionInfo* info) {
  return Fails(h) ? 0 : FakeProcessApi::VirtualQueryEx(h, address, info);
}

bool FailingProcessApi::EnumProcesses(uint32_t* pids, uint32_t bytes, uint32_t* bytesReturned) {
  return !Fails(kListFailed) && FakeProcessApi::EnumProcesses(pids, bytes, bytesReturned);
}

bool FailingProcessApi::EnumProcessModules(ProcessHandle h, uint64_t* firstModule) {
  return !Fails(h) && FakeProcessApi::EnumProcessModules(h, firstModule);
}

uint32_t FailingProcessApi::GetProcessImageFileName(ProcessHandle h, ZChar* path, uint32_t units) {
  // A failed call leaves the buffer as it was.
  return Fails(h) ? 0 : FakeProcessApi::GetProcessImageFileName(h, path, units);
}

GdiObject FailingGdi::CreateSolidPen(uint32_t color) {
  return fail.Next() ? nullptr : FakeGdi::CreateSolidPen(color);
}

DcHandle FailingGdi::GetDC(WindowHandle window) {
  return fail.Next() ? nullptr : FakeGdi::GetDC(window);
}

DcHandle FailingGdi::CreateCompatibleDC(DcHandle dc) {
  return fail.Next() ? nullptr : FakeGdi::CreateCompatibleDC(dc);
}

GdiObject FailingGdi::CreateCompatibleBitmap(DcHandle dc, int32_t width, int32_t height) {
  return fail.Next() ? nullptr : FakeGdi::CreateCompatibleBitmap(dc, width, height);
}

bool FailingGdi::GetClientRect(WindowHandle window, ZRect* rect) {
  return !fail.Next() && FakeGdi::GetClientRect(window, rect);
}

bool FailingGdi::GetTextMetrics(DcHandle dc, int32_t* height, int32_t* externalLeading) {
  return !fail.Next() && FakeGdi::GetTextMetrics(dc, height, externalLeading);
}

int FailingStringTable::Load(uint32_t id, ZChar* buf, int units) {
  if (!fail.Next()) return FakeStringTable::Load(id, buf, units);
  failedId = id;
  if (units > 0) buf[0] = 0;
  return 0;
}

void FailNthRegistryCall(FakeRegistryApi& registry, FailNth& fail) {
  registry.failWhen = [&fail](const RegCall&) { return fail.Next(); };
}
