// Reading a target's threads and process block: what the system names, each
// block checked before it is trusted.
#include <string.h>

#include "monitor/process_api.h"
#include "monitor/threads.h"

namespace {

enum : uint32_t {
  kTib32Bytes = 0x1C,  // NT_TIB up to and with Self
  kTib64Bytes = 0x38,  // NT_TIB64 up to and with Self
  kBlock32Above64 = 0x2000,
  kBlockPage = 0x1000,
  kMaxThreads = 16384,
};

uint32_t Get32(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, sizeof v);
  return v;
}
uint64_t Get64(const uint8_t* p) {
  uint64_t v;
  memcpy(&v, p, sizeof v);
  return v;
}

// A 32-bit NT_TIB at address that names itself.
bool ReadTib32(ProcessHandle h, uint64_t address, uint64_t* base, uint64_t* limit) {
  uint8_t tib[kTib32Bytes];
  if (!Processes().ReadProcessMemory(h, address, tib, sizeof tib) || Get32(tib + 0x18) != address)
    return false;
  *base = Get32(tib + 0x04);
  *limit = Get32(tib + 0x08);
  return true;
}

}  // namespace

bool ReadThreadBlocks(ProcessHandle h, uint64_t address, ThreadBlocks* out) {
  *out = ThreadBlocks();
  if (!address || address > 0xFFFFFFFFull) return false;
  if (ReadTib32(h, address, &out->stackBase, &out->stackLimit)) {
    out->block = address;
    return true;
  }
  uint8_t tib[kTib64Bytes];
  if (!Processes().ReadProcessMemory(h, address, tib, sizeof tib) || Get64(tib + 0x30) != address)
    return false;
  ThreadBlocks found;
  found.block64 = address;
  found.stack64Base = Get64(tib + 0x08);
  found.stack64Limit = Get64(tib + 0x10);
  if (!ReadTib32(h, address + kBlock32Above64, &found.stackBase, &found.stackLimit)) return false;
  found.block = address + kBlock32Above64;
  *out = found;
  return true;
}

bool ReadProcessBlock(ProcessHandle h, uint64_t* address) {
  ProcessApi& api = Processes();
  bool wow64 = false;
  // A 32-bit target on 64-bit Windows has two blocks; only WOW64 names the 32-bit one.
  if (!api.IsWow64Process(h, &wow64)) return false;
  uint64_t block = 0, image = 0;
  uint8_t peb[12];  // up to and with ImageBaseAddress
  if (!api.QueryProcessBlock(h, wow64, &block) || !block || block > 0xFFFFFFFFull ||
      !api.ReadProcessMemory(h, block, peb, sizeof peb) || !api.EnumProcessModules(h, &image) ||
      Get32(peb + 8) != image)
    return false;
  *address = block;
  return true;
}

// A thread read before keeps its stacks and blocks while each stack is still
// one allocation from its start to its base.
bool ThreadCensus::Reuse(const Array<UseRange>& old, uint32_t tid) {
  bool stack = false;
  for (uint32_t i = 0; i < old.count; ++i) {
    const UseRange& r = old.at[i];
    if (r.tid != tid || r.use != kUseStack) continue;
    if (AllocationOf(r.start) != r.start || AllocationOf(r.end - 1) != r.start) return false;
    stack = true;
  }
  if (!stack) return false;
  for (uint32_t i = 0; i < old.count; ++i)
    if (old.at[i].tid == tid) ranges_.Push(old.at[i]);
  ++threadsRead_;
  return true;
}

void ThreadCensus::Enumerate(ProcessHandle h, uint32_t pid) {
  ++enumerations_;
  Array<UseRange> old = ranges_;  // only new threads are opened and read
  ranges_ = Array<UseRange>();
  known_ = processBlock_ = false;
  threads_ = threadsRead_ = 0;
  ProcessApi& api = Processes();
  static uint32_t tids[kMaxThreads];  // one census reads at a time, on one thread
  static ProcessHandle handles[kMaxThreads];
  uint32_t count = 0;
  if (api.ListThreads(pid, tids, handles, kMaxThreads, &count)) {
    threads_ = count;
    for (uint32_t i = 0; i < count && i < kMaxThreads; ++i) {
      ProcessHandle thread = handles[i];
      if (Reuse(old, tids[i])) {
        if (thread) api.CloseHandle(thread);
        continue;
      }
      if (!thread) thread = api.OpenThread(tids[i]);
      uint64_t address = 0;
      uint32_t owner = 0;
      // An ID from a snapshot may have passed to another process's thread,
      // whose block would sit at the same address as one of the target's.
      const bool named = thread && api.QueryThreadBlock(thread, &address, &owner) && owner == pid;
      if (thread) api.CloseHandle(thread);
      ThreadBlocks blocks;
      if (named && ReadThreadBlocks(h, address, &blocks)) AddThread(tids[i], blocks);
    }
    // Counted only where some thread's block could be read: with none (a
    // query-only handle, threads that cannot be opened) nothing is known.
    known_ = threadsRead_ > 0;
    uint64_t block = 0;
    processBlock_ = ReadProcessBlock(h, &block);
    if (processBlock_) AddRange(block, block + kBlockPage, 0, kUseProcessBlock);
  }
  old.Free();
}

// A stack runs from the allocation holding its limit up to its base; a
// thread whose stack is not where its block says counts as other data.
void ThreadCensus::AddThread(uint32_t tid, const ThreadBlocks& b) {
  const uint64_t low = b.stackLimit < b.stackBase ? AllocationOf(b.stackLimit) : 0;
  if (!low || low >= b.stackBase) return;
  uint64_t low64 = 0;
  if (b.block64) {
    low64 = b.stack64Limit < b.stack64Base ? AllocationOf(b.stack64Limit) : 0;
    if (!low64 || low64 >= b.stack64Base) return;
  }
  ++threadsRead_;
  AddRange(low, b.stackBase, tid, kUseStack);
  AddRange(b.block, b.block + kBlockPage, tid, kUseThreadBlock);
  if (!b.block64) return;
  AddRange(low64, b.stack64Base, tid, kUseStack);
  AddRange(b.block64, b.block64 + 2 * kBlockPage, tid, kUseThreadBlock);
}
