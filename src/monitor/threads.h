// Who holds a target's private space: its threads' stacks, the thread and
// process blocks, and the rest. Taken from the same walk as the size; the
// threads are read again only when the stack-like allocations change.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "common/ztext.h"
#include "monitor/vsize.h"

enum PrivateUse : uint8_t {
  kUseOther,
  kUseStack,
  kUseThreadBlock,
  kUseProcessBlock,
  kPrivateUses,
};

// Private bytes of one reading by use: over all uses, what the walk counts
// as private. With known false every byte is other private data.
struct ThreadSplit {
  bool known = false;         // the threads could be listed and their blocks read
  uint32_t threads = 0;       // the target's threads
  uint32_t threadsRead = 0;   // whose stacks are counted
  bool processBlock = false;  // found and trusted
  uint64_t committed[kPrivateUses] = {};
  uint64_t reserved[kPrivateUses] = {};
};

// A stretch of the target's space with its use, and the thread it serves.
struct UseRange {
  uint64_t start, end;
  uint32_t tid;
  PrivateUse use;
};

// What the blocks of one thread say, from ReadThreadBlocks.
struct ThreadBlocks {
  uint64_t block = 0;  // the 32-bit thread block
  uint64_t stackBase = 0, stackLimit = 0;
  uint64_t block64 = 0;  // the 64-bit one, when the system gave that
  uint64_t stack64Base = 0, stack64Limit = 0;
};

// Reads the thread block at address through a VM-read handle and checks it
// by its Self field: a 32-bit block, or a 64-bit one whose 32-bit block lies
// 0x2000 above it. False when neither can be trusted.
bool ReadThreadBlocks(ProcessHandle h, uint64_t address, ThreadBlocks* out);
// The target's 32-bit process block, trusted only when the image base it
// names is the main module's. False otherwise.
bool ReadProcessBlock(ProcessHandle h, uint64_t* address);

// Receives the walk's regions (handing them on to next), then Finish
// classifies the private ones.
class ThreadCensus : public RegionSink {
 public:
  // The threads are listed at least this often, in readings.
  enum { kRelistReadings = 10 };
  ~ThreadCensus();
  void Chain(RegionSink* next) { next_ = next; }
  void Begin(uint64_t usableTop) override;
  void Region(const RegionInfo& region) override;
  // After a whole walk of pid through h (query and VM-read access, held by
  // the caller so that the PID cannot pass to another process): reads the
  // threads again when the stack-like allocations changed, or
  // kRelistReadings readings after the last time, then splits the private
  // bytes. is64Bit: a target this 32-bit program cannot follow into
  // its space.
  void Finish(ProcessHandle h, uint32_t pid, bool is64Bit, ThreadSplit* split);
  // A new target: everything read of the last one goes.
  void Forget();
  // The use of the byte at address, and its thread (0 for none).
  PrivateUse UseAt(uint64_t address, uint32_t* tid) const;
  uint32_t Enumerations() const { return enumerations_; }

 private:
  struct Piece {
    uint64_t base, size, allocationBase;
    uint32_t state, protect;
  };
  template <typename T>
  struct Array {
    T* at = nullptr;
    uint32_t count = 0, capacity = 0;
    bool Push(const T& value) {
      if (count == capacity) {
        const uint32_t more = capacity ? capacity * 2 : 64;
        T* grown = static_cast<T*>(realloc(at, more * sizeof(T)));
        if (!grown) return false;
        at = grown;
        capacity = more;
      }
      at[count++] = value;
      return true;
    }
    void Free() {
      free(at);
      *this = Array();
    }
  };
  // The private allocation holding address, 0 when none.
  uint64_t AllocationOf(uint64_t address) const;
  bool StackLikeChanged(Array<uint64_t>* now) const;
  void Enumerate(ProcessHandle h, uint32_t pid);
  bool Reuse(const Array<UseRange>& old, uint32_t tid);
  void AddThread(uint32_t tid, const ThreadBlocks& blocks);
  void AddRange(uint64_t start, uint64_t end, uint32_t tid, PrivateUse use);
  void Split(ThreadSplit* split) const;

  RegionSink* next_ = nullptr;
  Array<Piece> pieces_;        // the private regions of the latest walk
  Array<UseRange> ranges_;     // from the latest enumeration, in address order
  Array<uint64_t> stackLike_;  // the allocations that made it read them
  bool read_ = false, known_ = false, processBlock_ = false;
  uint32_t threads_ = 0, threadsRead_ = 0, enumerations_ = 0, sinceListed_ = 0;
};

// "stack of thread 1234", "thread block of thread 1234", "process block";
// empty for other private data.
void FormatPrivateUse(PrivateUse use, uint32_t tid, ZChar* out, size_t units);
