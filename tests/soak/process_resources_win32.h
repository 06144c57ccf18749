// What this process holds, sampled so that a soak can tell growth from
// noise: handles, GDI objects, top-level windows, committed private memory
// and the bytes in use on its heaps.
#pragma once
#include <stdint.h>

#include <string>

struct ResourceSample {
  long handles = -1;     // -1: cannot be counted here
  long gdiObjects = -1;  // -1: cannot be counted here
  long windows = 0;      // top-level windows of this thread
  uint64_t privateBytes = 0;
  uint64_t heapBytes = 0;   // asked for by the blocks in use, all heaps
  uint64_t heapBlocks = 0;  // blocks in use, all heaps
};

ResourceSample SampleResources();
std::string Describe(const ResourceSample& s);

// Handle count: GetProcessHandleCount, or, where that gives 0 (Wine), this
// process's entries in the system handle table. -1 when neither works.
long CountHandles();
// GDI objects: GetGuiResources, or, where that gives 0 (Wine, whose
// GetGuiResources is a stub), the live entries of the process's GDI handle
// table, which Wine keeps in the PEB as Windows does. -1 when neither works.
long CountGdiObjects();
