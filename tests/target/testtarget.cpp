// A process for the tests to watch: it reserves and commits chosen amounts of
// address space in chosen numbers of separate regions, can grow step by step,
// reports what it did on stdout and lives until told to exit.
//
//   testtarget [--reserve KB] [--commit KB] [--regions N]
//              [--grow KB] [--every MS] [--steps N] [--lifetime SECONDS]
//
// Commands on stdin, one a line: "reserve KB [N]", "commit KB [N]", "touch KB"
// (commits the first KB of the last reservation), "exit [CODE]". Every action
// answers "ok reserved=KB committed=KB" (totals so far). "probe BYTES" tries
// to reserve BYTES + 64 KB, then BYTES, frees what it got and answers
// "probe exact=0|1 larger=0|1". "fill" reserves all the space there is and
// frees again the largest block that then shows as free, so that the
// largest free block is the only large one (under Wine much of what shows
// as reserved can still be had), and answers "filled BYTES". "place KB"
// reserves KB on a whole MB of space that shows as free and answers
// "placed 0xADDRESS" ("find KB" only says where: "found 0xADDRESS"); "load" loads bigsection.dll
// from beside it and answers "loaded 0xBASE" (0x0 when either fails). "threads N KB" starts N
// threads that wait, each with KB of stack reserved, and answers "threads TID..." (the IDs of those
// it started); "churn MS" starts and ends a thread every MS milliseconds from then on and answers
// "churning". "split" reserves 4 MB + 8 KB in the middle of the largest free block and 1 MB 56 KB
// above it, as DLLs leave slivers, and answers "split 0xBLOCK 0xSIZE 0xFIRST". stdin closing ends
// the process, unless --lifetime keeps it for that long.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

CRITICAL_SECTION g_lock;
unsigned long long g_reservedKb = 0, g_committedKb = 0;
void* g_lastReserved = nullptr;

void Report(bool ok) {
  printf("%s reserved=%llu committed=%llu\n", ok ? "ok" : "failed", g_reservedKb, g_committedKb);
  fflush(stdout);
}

bool Reservable(unsigned long long bytes) {
  void* p = VirtualAlloc(nullptr, static_cast<SIZE_T>(bytes), MEM_RESERVE, PAGE_NOACCESS);
  if (p) VirtualFree(p, 0, MEM_RELEASE);
  return p != nullptr;
}

bool Allocate(unsigned long long kb, unsigned regions, bool commit, bool report = true) {
  if (regions == 0) regions = 1;
  unsigned long long each = kb / regions;
  EnterCriticalSection(&g_lock);
  bool ok = true;
  for (unsigned i = 0; i < regions && each; ++i) {
    DWORD type = MEM_RESERVE | (commit ? MEM_COMMIT : 0);
    void* p = VirtualAlloc(nullptr, static_cast<SIZE_T>(each * 1024), type, PAGE_READWRITE);
    if (!p) {
      ok = false;
      break;
    }
    if (!commit) g_lastReserved = p;
    (commit ? g_committedKb : g_reservedKb) += each;
  }
  if (report) Report(ok);
  LeaveCriticalSection(&g_lock);
  return ok;
}

struct Growth {
  unsigned long long kb = 0;
  unsigned every = 1000;
  unsigned steps = 0;  // 0: until the process ends
};

DWORD WINAPI Grow(void* param) {
  Growth* g = static_cast<Growth*>(param);
  for (unsigned n = 0; g->steps == 0 || n < g->steps; ++n) {
    Sleep(g->every);
    if (!Allocate(g->kb, 1, true)) break;
  }
  return 0;
}

DWORD WINAPI Expire(void* param) {
  Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(param)) * 1000);
  ExitProcess(0);
}

void Touch(unsigned long long kb) {
  EnterCriticalSection(&g_lock);
  bool ok =
      g_lastReserved && kb <= g_reservedKb &&
      VirtualAlloc(g_lastReserved, static_cast<SIZE_T>(kb * 1024), MEM_COMMIT, PAGE_READWRITE);
  if (ok) g_reservedKb -= kb, g_committedKb += kb;
  Report(ok);
  LeaveCriticalSection(&g_lock);
}

// The first whole MB of shown free space with room for the bytes.
void* Place(unsigned long long bytes, bool reserve) {
  MEMORY_BASIC_INFORMATION m;
  for (uintptr_t a = 0x100000; VirtualQuery(reinterpret_cast<void*>(a), &m, sizeof m);) {
    const uintptr_t end = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize;
    const uintptr_t at =
        (reinterpret_cast<uintptr_t>(m.BaseAddress) + 0xFFFFF) & ~uintptr_t{0xFFFFF};
    if (m.State == MEM_FREE && at < end && end - at >= bytes)
      return reserve ? VirtualAlloc(reinterpret_cast<void*>(at), bytes, MEM_RESERVE, PAGE_NOACCESS)
                     : reinterpret_cast<void*>(at);
    if (end <= a) break;
    a = end;
  }
  return nullptr;
}

void* LoadBeside(const wchar_t* dll) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  while (n && path[n - 1] != '\\') --n;
  if (n + lstrlenW(dll) >= MAX_PATH) return nullptr;
  lstrcpyW(path + n, dll);
  return LoadLibraryW(path);
}

// Reserve blocks from 1 GB down to 64 KB, each size while it can be had.
unsigned long long Fill() {
  static void* blocks[65536];
  static SIZE_T sizes[65536];
  int n = 0;
  for (SIZE_T size = 1u << 30; size >= 65536; size /= 2) {
    while (n < 65536) {
      void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
      if (!p) break;
      blocks[n] = p;
      sizes[n++] = size;
    }
  }
  // Largest first; a block that shows as reserved once freed is taken back.
  for (int i = 0; i < n; ++i) {
    MEMORY_BASIC_INFORMATION m;
    VirtualFree(blocks[i], 0, MEM_RELEASE);
    if (VirtualQuery(blocks[i], &m, sizeof m) == sizeof m && m.State == MEM_FREE) return sizes[i];
    VirtualAlloc(blocks[i], sizes[i], MEM_RESERVE, PAGE_NOACCESS);
  }
  return 0;
}

void Split() {
  MEMORY_BASIC_INFORMATION m;
  uintptr_t base = 0, size = 0;
  for (uintptr_t a = 0x10000; VirtualQuery(reinterpret_cast<void*>(a), &m, sizeof m);) {
    const uintptr_t end = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize;
    if (m.State == MEM_FREE && m.RegionSize > size)
      base = reinterpret_cast<uintptr_t>(m.BaseAddress), size = m.RegionSize;
    if (end <= a) break;
    a = end;
  }
  const uintptr_t first = (base + size / 2) & ~uintptr_t{0xFFFF};
  const bool ok =
      size > 0x1000000 &&
      VirtualAlloc(reinterpret_cast<void*>(first), 0x402000, MEM_RESERVE, PAGE_NOACCESS) &&
      VirtualAlloc(reinterpret_cast<void*>(first + 0x410000), 0x100000, MEM_RESERVE, PAGE_NOACCESS);
  printf("split %p %p %p\n", reinterpret_cast<void*>(base), reinterpret_cast<void*>(size),
         reinterpret_cast<void*>(ok ? first : 0));
}

DWORD WINAPI Idle(void*) {
  Sleep(INFINITE);
  return 0;
}

void StartThreads(unsigned n, unsigned long long kb) {
  printf("threads");
  for (unsigned i = 0; i < n; ++i) {
    DWORD tid = 0;
    HANDLE t = CreateThread(nullptr, static_cast<SIZE_T>(kb * 1024), Idle, nullptr,
                            STACK_SIZE_PARAM_IS_A_RESERVATION, &tid);
    if (!t) break;
    CloseHandle(t);
    printf(" %lu", tid);
  }
  printf("\n");
}

DWORD WINAPI Quick(void*) { return 0; }

DWORD WINAPI Churn(void* param) {
  const DWORD every = static_cast<DWORD>(reinterpret_cast<uintptr_t>(param));
  for (;;) {
    Sleep(every);
    if (HANDLE t = CreateThread(nullptr, 0, Quick, nullptr, 0, nullptr)) {
      WaitForSingleObject(t, INFINITE);
      CloseHandle(t);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  InitializeCriticalSection(&g_lock);
  unsigned long long reserveKb = 0, commitKb = 0;
  unsigned regions = 1, lifetime = 0;
  Growth growth;
  for (int i = 1; i + 1 < argc; i += 2) {
    const char* opt = argv[i];
    unsigned long long v = strtoull(argv[i + 1], nullptr, 10);
    if (!strcmp(opt, "--reserve"))
      reserveKb = v;
    else if (!strcmp(opt, "--commit"))
      commitKb = v;
    else if (!strcmp(opt, "--regions"))
      regions = static_cast<unsigned>(v);
    else if (!strcmp(opt, "--grow"))
      growth.kb = v;
    else if (!strcmp(opt, "--every"))
      growth.every = static_cast<unsigned>(v);
    else if (!strcmp(opt, "--steps"))
      growth.steps = static_cast<unsigned>(v);
    else if (!strcmp(opt, "--lifetime"))
      lifetime = static_cast<unsigned>(v);
  }
  if (reserveKb) Allocate(reserveKb, regions, false, false);
  if (commitKb) Allocate(commitKb, regions, true, false);
  printf("ready pid=%lu reserved=%llu committed=%llu\n", GetCurrentProcessId(), g_reservedKb,
         g_committedKb);
  fflush(stdout);
  if (growth.kb) CloseHandle(CreateThread(nullptr, 0, Grow, &growth, 0, nullptr));
  if (lifetime)
    CloseHandle(
        CreateThread(nullptr, 0, Expire, reinterpret_cast<void*>(uintptr_t{lifetime}), 0, nullptr));

  char line[256];
  while (fgets(line, sizeof line, stdin)) {
    char cmd[32] = "";
    unsigned long long kb = 0;
    unsigned n = 1;
    if (sscanf(line, "%31s %llu %u", cmd, &kb, &n) < 1) continue;
    if (!strcmp(cmd, "threads")) StartThreads(static_cast<unsigned>(kb), n);
    if (!strcmp(cmd, "churn")) {
      void* every = reinterpret_cast<void*>(static_cast<uintptr_t>(kb));
      CloseHandle(CreateThread(nullptr, 0, Churn, every, 0, nullptr));
      printf("churning\n");
    }
    if (!strcmp(cmd, "exit")) ExitProcess(static_cast<UINT>(kb));
    if (!strcmp(cmd, "reserve"))
      Allocate(kb, n, false);
    else if (!strcmp(cmd, "commit"))
      Allocate(kb, n, true);
    else if (!strcmp(cmd, "touch"))
      Touch(kb);
    else if (!strcmp(cmd, "fill"))
      printf("filled %llu\n", Fill());
    else if (!strcmp(cmd, "find"))
      printf("found %p\n", Place(kb * 1024, false));
    else if (!strcmp(cmd, "place"))
      printf("placed %p\n", Place(kb * 1024, true));
    else if (!strcmp(cmd, "load"))
      printf("loaded %p\n", LoadBeside(L"bigsection.dll"));
    else if (!strcmp(cmd, "split"))
      Split();
    else if (!strcmp(cmd, "probe")) {
      // Larger first, so that the exact one finds the block still free.
      bool larger = Reservable(kb + 65536);
      printf("probe exact=%d larger=%d\n", Reservable(kb), larger);
    }
    fflush(stdout);
  }
  if (lifetime) Sleep(INFINITE);  // the expiry thread ends the process
  return 0;
}
