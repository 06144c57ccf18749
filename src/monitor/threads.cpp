#include "monitor/threads.h"

#include "monitor/process_api.h"

namespace {

// By start address; a shell sort, as the C library's qsort is not among the
// imports every supported system has.
void SortByStart(UseRange* r, uint32_t n) {
  for (uint32_t gap = n / 2; gap; gap /= 2)
    for (uint32_t i = gap; i < n; ++i) {
      const UseRange v = r[i];
      uint32_t j = i;
      for (; j >= gap && r[j - gap].start > v.start; j -= gap) r[j] = r[j - gap];
      r[j] = v;
    }
}

}  // namespace

ThreadCensus::~ThreadCensus() {
  pieces_.Free();
  ranges_.Free();
  stackLike_.Free();
}

void ThreadCensus::Begin(uint64_t usableTop) {
  pieces_.count = 0;
  if (next_) next_->Begin(usableTop);
}

void ThreadCensus::Region(const RegionInfo& r) {
  if (next_) next_->Region(r);
  if (r.type == kMemPrivate && r.state != kMemFree)
    pieces_.Push({r.base, r.size, r.allocationBase, r.state, r.protect});
}

void ThreadCensus::Forget() {
  ranges_.count = stackLike_.count = 0;
  read_ = known_ = processBlock_ = false;
  threads_ = threadsRead_ = sinceListed_ = 0;
}

uint64_t ThreadCensus::AllocationOf(uint64_t address) const {
  uint32_t lo = 0, hi = pieces_.count;  // the first piece that ends past address
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    if (pieces_.at[mid].base + pieces_.at[mid].size <= address)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < pieces_.count && pieces_.at[lo].base <= address ? pieces_.at[lo].allocationBase : 0;
}

// The allocations with a guard page and the known stacks still there, in
// address order: a thread's start or end always changes them.
bool ThreadCensus::StackLikeChanged(Array<uint64_t>* now) const {
  for (uint32_t i = 0; i < pieces_.count;) {
    const uint64_t allocation = pieces_.at[i].allocationBase;
    bool guarded = false;
    for (; i < pieces_.count && pieces_.at[i].allocationBase == allocation; ++i)
      guarded |= (pieces_.at[i].protect & kPageGuard) != 0;
    uint32_t tid = 0;
    if (guarded || (UseAt(allocation, &tid) == kUseStack && tid)) now->Push(allocation);
  }
  if (now->count != stackLike_.count) return true;
  for (uint32_t i = 0; i < now->count; ++i)
    if (now->at[i] != stackLike_.at[i]) return true;
  return false;
}

void ThreadCensus::Finish(ProcessHandle h, uint32_t pid, bool is64Bit, ThreadSplit* split) {
  *split = ThreadSplit();
  if (is64Bit) {
    Forget();
  } else {
    Array<uint64_t> now;
    // A stack committed whole has no guard page to give its thread away:
    // every kRelistReadings readings the threads are listed all the same.
    if (!read_ || ++sinceListed_ >= kRelistReadings || StackLikeChanged(&now)) {
      Enumerate(h, pid);
      read_ = true;
      sinceListed_ = 0;
      SortByStart(ranges_.at, ranges_.count);
      // Overlapping blocks would count their bytes twice: the later ones yield.
      uint32_t kept = 0;
      for (uint32_t i = 0; i < ranges_.count; ++i) {
        UseRange r = ranges_.at[i];
        if (kept && r.start < ranges_.at[kept - 1].end) r.start = ranges_.at[kept - 1].end;
        if (r.start < r.end) ranges_.at[kept++] = r;
      }
      ranges_.count = kept;
      now.count = 0;
      StackLikeChanged(&now);  // with the stacks now known
      stackLike_.Free();
      stackLike_ = now;
    } else {
      now.Free();
    }
  }
  Split(split);
}

void ThreadCensus::AddRange(uint64_t start, uint64_t end, uint32_t tid, PrivateUse use) {
  if (start < end) ranges_.Push({start, end, tid, use});
}

void ThreadCensus::Split(ThreadSplit* s) const {
  s->known = known_;
  s->threads = threads_;
  s->threadsRead = threadsRead_;
  s->processBlock = processBlock_;
  uint32_t r = 0;
  for (uint32_t i = 0; i < pieces_.count; ++i) {
    const Piece& p = pieces_.at[i];
    uint64_t* bytes = p.state == kMemCommit ? s->committed : s->reserved;
    const uint64_t end = p.base + p.size;
    uint64_t other = p.size;
    // Both run in address order.
    while (r < ranges_.count && ranges_.at[r].end <= p.base) ++r;
    for (uint32_t k = r; k < ranges_.count && ranges_.at[k].start < end; ++k) {
      const uint64_t from = ranges_.at[k].start > p.base ? ranges_.at[k].start : p.base;
      const uint64_t to = ranges_.at[k].end < end ? ranges_.at[k].end : end;
      if (from >= to) continue;
      bytes[ranges_.at[k].use] += to - from;
      other -= to - from;
    }
    bytes[kUseOther] += other;
  }
}

PrivateUse ThreadCensus::UseAt(uint64_t address, uint32_t* tid) const {
  *tid = 0;
  uint32_t lo = 0, hi = ranges_.count;  // the first range that ends past address
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    if (ranges_.at[mid].end <= address)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == ranges_.count || ranges_.at[lo].start > address) return kUseOther;
  *tid = ranges_.at[lo].tid;
  return ranges_.at[lo].use;
}

void FormatPrivateUse(PrivateUse use, uint32_t tid, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  if (use == kUseStack)
    b.AddAscii("stack of thread ").AddInt(tid);
  else if (use == kUseThreadBlock)
    b.AddAscii("thread block of thread ").AddInt(tid);
  else if (use == kUseProcessBlock)
    b.AddAscii("process block");
}
