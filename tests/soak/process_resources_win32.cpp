#include "process_resources_win32.h"

#include <windows.h>
// winternl.h needs the types of windows.h first.
#include <stdio.h>
#include <stdlib.h>
#include <winternl.h>

namespace {

// SYSTEM_HANDLE_INFORMATION (class 16), in the caller's layout.
struct HandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};

long HandlesInSystemTable() {
  typedef LONG(WINAPI * QueryFn)(ULONG, PVOID, ULONG, PULONG);
  QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  ULONG size = 1 << 16;
  for (int attempt = 0; attempt < 12; ++attempt, size *= 2) {
    HandleTable* table = static_cast<HandleTable*>(malloc(size));
    if (!table) return -1;
    ULONG needed = 0;
    LONG status = query(16, table, size, &needed);
    if (status == static_cast<LONG>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
      free(table);
      continue;
    }
    long n = -1;
    if (status == 0) {
      n = 0;
      DWORD me = GetCurrentProcessId();
      for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].ownerPid == me) ++n;
    }
    free(table);
    return n;
  }
  return -1;
}

// GDI_HANDLE_ENTRY as Windows and Wine lay it out in the shared table.
#pragma pack(push, 1)
struct GdiEntry {
  uint64_t object;
  uint32_t owner;
  uint16_t unique;  // bit 7: stock object
  uint8_t type;     // 0: free
  uint8_t flags;
  uint64_t user;
};
#pragma pack(pop)
static_assert(sizeof(GdiEntry) == 24, "GDI handle entry layout");
const int kGdiTableEntries = 0x4000;
const size_t kPebGdiTable = 0x94;  // GdiSharedHandleTable in the 32-bit PEB

long LiveGdiTableEntries() {
  typedef LONG(WINAPI * QueryFn)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic = {};
  if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0) return -1;
  const BYTE* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
  const GdiEntry* table = *reinterpret_cast<GdiEntry* const*>(peb + kPebGdiTable);
  if (!table) return -1;
  long n = 0;
  for (int i = 0; i < kGdiTableEntries; ++i)
    if (table[i].type && !(table[i].unique & 0x80)) ++n;
  return n;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}

}  // namespace

long CountHandles() {
  DWORD n = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &n) && n) return static_cast<long>(n);
  return HandlesInSystemTable();
}

long CountGdiObjects() {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return static_cast<long>(n);
  return LiveGdiTableEntries();
}

ResourceSample SampleResources() {
  ResourceSample s;
  s.handles = CountHandles();
  s.gdiObjects = CountGdiObjects();
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&s.windows));

  MEMORY_BASIC_INFORMATION mbi;
  uintptr_t address = 0;
  while (VirtualQuery(reinterpret_cast<void*>(address), &mbi, sizeof mbi) == sizeof mbi) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) s.privateBytes += mbi.RegionSize;
    uintptr_t end = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (end <= address) break;
    address = end;
  }

  HANDLE heaps[64];
  DWORD count = GetProcessHeaps(64, heaps);
  for (DWORD i = 0; i < count && i < 64; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heaps[i], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
        s.heapBytes += entry.cbData;
        ++s.heapBlocks;
      }
    HeapUnlock(heaps[i]);
  }
  return s;
}

std::string Describe(const ResourceSample& s) {
  char text[200];
  snprintf(
      text, sizeof text,
      "handles %ld, GDI objects %ld, windows %ld, private %llu KB, heap in use %llu bytes "
      "in %llu blocks",
      s.handles, s.gdiObjects, s.windows, static_cast<unsigned long long>(s.privateBytes >> 10),
      static_cast<unsigned long long>(s.heapBytes), static_cast<unsigned long long>(s.heapBlocks));
  return text;
}
